// Scalar series evaluated as a student would take them on the simulated bench (its mean rates,
// counted for 10 s each), checked against published data (xraylib) rather than the model's own.
#include "analysis/series.h"
#include "analysis/seriesevaluation.h"
#include "analysis/xraydata.h"
#include "simulator/physics.h"

#include <gtest/gtest.h>

namespace {

using namespace analysis;

constexpr double kSeconds = 10;
constexpr double kArmDeg = 40; // any angle: a radiator in the beam replaces the crystal

SeriesPoint reading(double x, double rate) {
    return {x, rate, rateSigma(rate, kSeconds)};
}

double rateOf(int radiatorZ, int filterZ, double filterUm, double volts = 500, int currentUa = 200) {
    sim::Bench bench;
    bench.radiatorZ = radiatorZ;
    bench.filterZ = filterZ;
    bench.filterUm = filterUm;
    bench.tubeCurrentUa = currentUa;
    return sim::registeredRate(bench, kArmDeg, true, volts);
}

TEST(Series, PlateauOfTheCounter) {
    std::vector<SeriesPoint> points;
    for (double volts = 300; volts <= 700; volts += 50) {
        points.push_back(reading(volts, rateOf(29, 0, 0, volts)));
    }
    const PlateauResult result = plateau(points);
    ASSERT_TRUE(result.ok()) << result.reason.toStdString();
    EXPECT_GE(result.thresholdV, 350);
    EXPECT_LE(result.thresholdV, 450);
    EXPECT_LT(std::abs(result.slopePercentPer100V.value), 5);
    EXPECT_GT(result.slopePercentPer100V.sigma, 0);
    EXPECT_GT(result.workingV, result.thresholdV);
    ASSERT_TRUE(result.endV.has_value()); // the discharges above 650 V
    EXPECT_EQ(*result.endV, 650);

    // Counted for 1 s each, the plateau reads 197 to 235 cps by chance: still one plateau to the
    // last voltage, and no end where the noise alone rose.
    std::vector<SeriesPoint> short_;
    for (const auto& [volts, rate] : std::vector<std::pair<double, double>>{
             {300, 0}, {350, 26}, {400, 142}, {450, 197}, {500, 204}, {550, 207}, {600, 235}, {650, 199}}) {
        short_.push_back({volts, rate, rateSigma(rate, 1)});
    }
    const PlateauResult noisy = plateau(short_);
    ASSERT_TRUE(noisy.ok());
    EXPECT_EQ(noisy.toV, 650);
    EXPECT_FALSE(noisy.endV.has_value());

    // The textbook series: start near 430 V, flat within a few per cent.
    const PlateauResult book = plateau(
        {reading(350, 22), reading(400, 155), reading(450, 215), reading(500, 231), reading(600, 229)});
    ASSERT_TRUE(book.ok());
    EXPECT_NEAR(book.thresholdV, 432, 2);
    EXPECT_FALSE(book.endV.has_value());
}

TEST(Series, AttenuationOfANickelFoil) {
    std::vector<SeriesPoint> points;
    for (double um : {0.0, 5.0, 10.0, 15.0, 20.0}) {
        points.push_back(reading(um / 1000.0, rateOf(26, 28, um)));
    }
    const double energy = radiationEnergyKeV(26, 29);
    const AttenuationResult result = attenuation(points, 28, energy);
    ASSERT_TRUE(result.ok()) << result.reason.toStdString();
    EXPECT_NEAR(result.referenceMuRhoCm2PerG, massAttenuationCm2PerG(28, energy), 1e-9);
    EXPECT_NEAR(result.muRhoCm2PerG.value, result.referenceMuRhoCm2PerG, 0.15 * result.referenceMuRhoCm2PerG);
    EXPECT_GT(result.muRhoCm2PerG.sigma, 0);
}

TEST(Series, DeadTimeFromTheTubeCurrent) {
    std::vector<SeriesPoint> points;
    for (int ua = 20; ua <= 240; ua += 20) {
        // Without a radiator the crystal reflects the continuum; a strong rate shows the dead time.
        sim::Bench bench;
        bench.tubeCurrentUa = ua;
        points.push_back(reading(ua, sim::registeredRate(bench, 45, true, 500) * 1));
    }
    const DeadTimeResult result = deadTimeFromCurrent(points);
    ASSERT_TRUE(result.ok()) << result.reason.toStdString();
    EXPECT_GT(result.cpsPerUa.value, 0);
    EXPECT_TRUE(std::isfinite(result.deadTimeS.sigma));
    EXPECT_NEAR(result.registeredAt(points.back().x), points.back().rateCps, 3 * points.back().sigmaCps);
}

TEST(Series, MoseleyFromFilterEdges) {
    std::vector<MoseleyReading> readings;
    for (int radiator = 23; radiator <= 30; ++radiator) {
        for (int filter : {0, 26, 27, 28}) {
            const double rate = rateOf(radiator, filter, filter ? 10.0 : 0.0);
            readings.push_back({radiator, filter, rate, rateSigma(rate, kSeconds)});
        }
    }
    const MoseleyResult result = moseley(readings);
    ASSERT_TRUE(result.ok()) << result.reason.toStdString();
    ASSERT_EQ(result.brackets.size(), 3u);
    for (const EdgeBracket& b : result.brackets) {
        EXPECT_EQ(b.belowZ, b.filterZ + 1); // Ni: between Cu and Zn
        EXPECT_LT(b.belowKeV, b.referenceEdgeKeV);
        EXPECT_GT(b.aboveKeV, b.referenceEdgeKeV);
    }
    EXPECT_NEAR(result.brackets[2].referenceEdgeKeV, 8.333, 0.005); // X-ray Data Booklet, Ni K
    const double both = std::hypot(result.measured.screening.sigma, result.reference.screening.sigma);
    EXPECT_NEAR(result.measured.screening.value, result.reference.screening.value, both);
    EXPECT_NEAR(result.reference.screening.value, 3, 1.5);
}

// The y of a polyline at x, between its points.
double curveAt(const SeriesCurve& curve, double x) {
    for (std::size_t i = 0; i + 1 < curve.points.size(); ++i) {
        const CurvePoint& a = curve.points[i];
        const CurvePoint& b = curve.points[i + 1];
        if (x >= a.x && x <= b.x && b.x > a.x) {
            return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
        }
    }
    return std::nan("");
}

SeriesReading seriesReading(double x, int radiatorZ, int filterZ, double rate) {
    return {radiatorZ, filterZ, rate, rateSigma(rate, kSeconds), x};
}

// The curves drawn over the readings come from the same evaluation as its lines and follow the
// readings: the plateau line, the attenuation's exponential and the dead-time curve pass within 3 σ
// of every reading they span (the dead-time curve from the origin); with the radiator as X each
// filter's edge stands, in that filter's colour, between the radiators that bracket it; with the
// filter as X the lines are the same and nothing is drawn.
TEST(Series, CurvesDrawnOverTheReadingsFollowThem) {
    std::vector<SeriesReading> hv, foil, current, byRadiator, byFilter;
    for (double volts = 300; volts <= 650; volts += 50) {
        hv.push_back(seriesReading(volts, 29, 0, rateOf(29, 0, 0, volts)));
    }
    for (double um : {0.0, 5.0, 10.0, 15.0, 20.0}) {
        foil.push_back(seriesReading(um / 1000.0, 26, 28, rateOf(26, 28, um)));
    }
    for (int ua = 20; ua <= 240; ua += 20) {
        sim::Bench bench;
        bench.tubeCurrentUa = ua;
        current.push_back(seriesReading(ua, 0, 0, sim::registeredRate(bench, 45, true, 500)));
    }
    for (int radiator = 23; radiator <= 30; ++radiator) {
        for (int filter : {0, 26, 27, 28}) {
            const double rate = rateOf(radiator, filter, filter ? 10.0 : 0.0);
            byRadiator.push_back(seriesReading(radiator - 22, radiator, filter, rate));
            byFilter.push_back(seriesReading(filter ? filter - 22 : 0, radiator, filter, rate));
        }
    }
    const struct {
        SeriesKind kind;
        const std::vector<SeriesReading>& readings;
        std::size_t lines;
    } cases[] = {{SeriesKind::counterPlateau, hv, 4},
                 {SeriesKind::attenuation, foil, 2},
                 {SeriesKind::deadTime, current, 2},
                 {SeriesKind::moseleyByRadiator, byRadiator, 5},
                 {SeriesKind::moseleyByFilter, byFilter, 5}};
    for (const auto& c : cases) {
        const SeriesEvaluation e = evaluateSeries(c.kind, c.readings);
        const int kind = static_cast<int>(c.kind);
        EXPECT_EQ(static_cast<std::size_t>(e.lines.size()), c.lines)
            << kind << e.lines.join('|').toStdString();
        if (c.kind == SeriesKind::moseleyByFilter) {
            EXPECT_EQ(e.lines, evaluateSeries(SeriesKind::moseleyByRadiator, byRadiator).lines);
            EXPECT_TRUE(e.curves.empty());
            continue;
        }
        ASSERT_FALSE(e.curves.empty()) << kind;
        if (c.kind == SeriesKind::moseleyByRadiator) {
            ASSERT_EQ(e.curves.size(), 3u);
            for (const SeriesCurve& edge : e.curves) {
                ASSERT_EQ(edge.points.size(), 2u);
                EXPECT_EQ(edge.points[0].x, edge.points[1].x) << kind;
                // Fe, Co, Ni: between the next two radiators (Ni's between Cu and Zn).
                EXPECT_GT(edge.points[0].x, edge.filterZ + 1 - 22) << edge.filterZ;
                EXPECT_LT(edge.points[0].x, edge.filterZ + 2 - 22) << edge.filterZ;
            }
            continue;
        }
        ASSERT_EQ(e.curves.size(), 1u) << kind;
        const SeriesCurve& curve = e.curves.front();
        int spanned = 0;
        for (const SeriesReading& r : c.readings) {
            const double y = curveAt(curve, r.x);
            if (std::isfinite(y)) {
                ++spanned;
                EXPECT_NEAR(y, r.rateCps, 3 * r.sigmaCps) << kind << " at " << r.x;
            }
        }
        EXPECT_GE(spanned, 3) << kind;
        if (c.kind == SeriesKind::deadTime) {
            EXPECT_EQ(curve.points.front().x, 0);
            EXPECT_EQ(curve.points.front().y, 0);
        }
    }
}

TEST(Series, WhatCannotBeEvaluatedSaysSo) {
    const struct {
        const char* what;
        QString reason;
    } cases[] = {
        {"one reading", plateau({reading(400, 100)}).reason},
        {"one voltage", plateau({reading(400, 100), reading(400, 101), reading(400, 99)}).reason},
        {"zero rates", attenuation({reading(0, 0), reading(0.01, 0)}, 28, 8).reason},
        {"one current", deadTimeFromCurrent({reading(100, 50)}).reason},
        {"no filter", moseley({{29, 0, 100, 3}, {30, 0, 100, 3}}).reason},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.reason.isEmpty()) << c.what;
    }
}

} // namespace
