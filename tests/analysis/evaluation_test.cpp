// The spectrum evaluation on synthetic records: Gaussian peaks with seeded Poisson noise, where the
// true centre is known, so the fitted uncertainties can be held against how often they cover it; and
// the answers to records and options that cannot be evaluated.
#include "analysis/evaluation.h"

#include "records/trecdata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

using namespace analysis;

struct Shape {
    double centreDeg, fwhmDeg, heightCps;
    double backgroundCps, slopeCpsPerDeg;
};

double trueRate(const Shape& s, double x) {
    const double u = (x - s.centreDeg) / (s.fwhmDeg / 2.354820045);
    return s.backgroundCps + s.slopeCpsPerDeg * (x - s.centreDeg) + s.heightCps * std::exp(-0.5 * u * u);
}

// A record from `fromDeg` to `toDeg` at `step` angle units and `tenths` of a second per point, whose
// rates are Poisson counts of the shape as a counter with dead time `tauUs` registers it.
std::unique_ptr<trecdata> synthetic(const Shape& shape, double fromDeg, double toDeg, int step, int tenths,
                                    double tauUs, std::mt19937& random) {
    const int from = static_cast<int>(std::lround(fromDeg * 20)),
              to = static_cast<int>(std::lround(toDeg * 20));
    auto record = trecdata::Create(step, from, to, 0, tenths);
    const double seconds = tenths / 10.0;
    for (int angle = from; angle <= to; angle += step) {
        const double n = trueRate(shape, angle / 20.0);
        const double m = n / (1 + n * tauUs * 1e-6);
        std::poisson_distribution<int> counts(m * seconds);
        record->SetPoint(angle - from, counts(random) / seconds);
    }
    return record;
}

TEST(SpectrumUncertainty, TrueCentreWithinOneAndTwoSigmaAsOftenAsAGaussianAllows) {
    struct Case {
        const char* what;
        Shape shape;
        int step, tenths;
        double tauUs;
    };
    // 45 degrees: no line of the copper anode on rock salt lies near, so each peak is fitted alone.
    const Case cases[] = {
        {"strong line", {45.0, 0.25, 400, 40, -2}, 1, 10, 0},
        {"weak line on a high background", {45.0, 0.25, 40, 60, 1}, 1, 20, 0},
        {"wide line at step 0.1", {45.0, 0.6, 100, 20, 0}, 2, 10, 0},
        {"strong line, dead-time corrected", {45.0, 0.25, 3000, 200, 0}, 1, 10, 100},
    };
    constexpr int kTrials = 200;
    for (const Case& c : cases) {
        std::mt19937 random(20261210);
        int within1 = 0, within2 = 0, found = 0;
        for (int trial = 0; trial < kTrials; ++trial) {
            const auto record = synthetic(c.shape, 43.0, 47.0, c.step, c.tenths, c.tauUs, random);
            EvalOptions options;
            options.deadTimeUs = c.tauUs;
            const SpectrumResult result = analyseSpectrum(*record, options);
            ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
            const Peak* best = nullptr;
            for (const Peak& p : result.peaks) {
                if (!best || std::abs(p.centreDeg.value - 45) < std::abs(best->centreDeg.value - 45))
                    best = &p;
            }
            if (!best || std::abs(best->centreDeg.value - 45) > 0.2)
                continue;
            ++found;
            const double pull = std::abs(best->centreDeg.value - c.shape.centreDeg) / best->centreDeg.sigma;
            within1 += pull <= 1;
            within2 += pull <= 2;
        }
        std::printf("%s: centre within 1 sigma %d, within 2 sigma %d of %d trials\n", c.what, within1,
                    within2, kTrials);
        EXPECT_EQ(found, kTrials) << c.what;
        EXPECT_GE(within1, 0.60 * kTrials) << c.what;
        EXPECT_LE(within1, 0.76 * kTrials) << c.what;
        EXPECT_GE(within2, 0.93 * kTrials) << c.what;
    }
}

TEST(SpectrumInput, WhatCannotBeEvaluatedSaysWhy) {
    std::mt19937 random(7);
    const auto flat = [](double cps) {
        auto record = trecdata::Create(1, 600, 800, 0, 10);
        for (int i = 0; i <= 200; ++i)
            record->SetPoint(i, cps);
        return record;
    };
    const auto threePoints = [] {
        auto record = trecdata::Create(1, 600, 800, 0, 10);
        for (int i = 0; i < 3; ++i)
            record->SetPoint(i, 100);
        return record;
    };
    const auto bright = [&] { return synthetic({35, 0.25, 20000, 100, 0}, 34, 36, 1, 10, 0, random); };
    EvalOptions noSpacing;
    noSpacing.dPm = 0;
    EvalOptions negativeSpacing;
    negativeSpacing.dPm = -282;
    EvalOptions noAnode;
    noAnode.anodeZ = 0;
    EvalOptions deadTime;
    deadTime.deadTimeUs = 100; // 1 − Rτ = −1 at 20000 cps
    struct Case {
        const char* what;
        std::unique_ptr<trecdata> record;
        EvalOptions options;
        QString error; // empty: evaluated
        QString note;  // a note the result must hold
        QString duaneHunt;
    };
    Case cases[] = {
        {"empty record",
         trecdata::Create(1, 600, 800, 0, 10),
         {},
         "The record holds no measured points.",
         {},
         {}},
        {"three points",
         threePoints(),
         {},
         "The record holds 3 measured points; an evaluation needs at least 5.",
         {},
         {}},
        {"flat", flat(50), {}, {}, "no peak found", "no edge above the background"},
        {"zeros", flat(0), {}, {}, "all counting rates are zero", "no edge above the background"},
        {"zero d", flat(50), noSpacing, "The lattice spacing must be positive.", {}, {}},
        {"negative d", flat(50), negativeSpacing, "The lattice spacing must be positive.", {}, {}},
        {"unknown anode", flat(50), noAnode, "The anode element is not known.", {}, {}},
        {"dead time beyond 1/R", bright(), deadTime, "1 − Rτ is not positive", {}, {}},
    };
    for (const Case& c : cases) {
        const SpectrumResult result = analyseSpectrum(*c.record, c.options);
        if (c.error.isEmpty()) {
            EXPECT_TRUE(result.error.isEmpty()) << c.what << ": " << result.error.toStdString();
            EXPECT_TRUE(result.notes.join('\n').contains(c.note)) << c.what;
            EXPECT_TRUE(result.peaks.empty()) << c.what;
            EXPECT_FALSE(result.duaneHunt.found) << c.what;
            EXPECT_EQ(result.duaneHunt.reason, c.duaneHunt) << c.what;
        } else {
            EXPECT_TRUE(result.error.contains(c.error)) << c.what << ": " << result.error.toStdString();
            EXPECT_TRUE(result.points.empty() && result.peaks.empty()) << c.what;
        }
    }
}

} // namespace
