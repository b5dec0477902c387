// The room's foundations against published values: Bragg's law on the apparatus's crystals (X-ray
// Data Booklet wavelengths), xraylib's line and edge energies, the weighted line, the comment's words.
#include "analysis/bragg.h"
#include "analysis/evaloptions.h"
#include "analysis/linearfit.h"
#include "analysis/measuredtext.h"
#include "analysis/xraydata.h"

#include <QMap>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using namespace analysis;

TEST(Bragg, PublishedLinesStandWhereTheBookPutsThem) {
    struct Case {
        double lambdaPm;
        const char* crystal;
        int order;
        double armDeg; // 2θ from the X-ray Data Booklet's wavelengths
    };
    const Case cases[] = {
        {154.06, "NaCl", 1, 31.70}, {139.22, "NaCl", 1, 28.58}, {154.06, "NaCl", 2, 66.22},
        {70.93, "LiF", 1, 20.30},   {154.06, "KBr", 1, 27.08},
    };
    for (const Case& c : cases) {
        const double d = *crystalSpacingPm(QString::fromLatin1(c.crystal));
        EXPECT_NEAR(armAngleDeg(c.lambdaPm, d, c.order), c.armDeg, 0.02) << c.crystal << " " << c.lambdaPm;
        EXPECT_NEAR(wavelengthPm(c.armDeg, d, c.order), c.lambdaPm, 0.1) << c.crystal << " " << c.armDeg;
    }
    EXPECT_NEAR(energyKeV(154.06), 8.048, 0.001);
    EXPECT_TRUE(std::isnan(armAngleDeg(300, 282.01, 2))); // nλ > 2d: no reflection
    EXPECT_FALSE(crystalSpacingPm(u"quartz").has_value());
    // 0.01° of the arm near 31.7° is d·cos(15.85°)·π/180 · 0.01 = 0.0473 pm of λ on NaCl.
    EXPECT_NEAR(wavelengthPm(Measured{31.70, 0.01}, 282.01, 1).sigma, 0.0473, 0.0002);
}

TEST(XrayData, XraylibValuesOfTheAnodesAndFilters) {
    EXPECT_EQ(atomicNumber(u"Cu"), 29);
    EXPECT_EQ(atomicNumber(u"mo"), 42);
    EXPECT_EQ(atomicNumber(u"Xx"), 0);
    EXPECT_EQ(elementSymbol(74), QStringLiteral("W"));
    const auto cu = characteristicLines(29);
    ASSERT_EQ(cu.size(), 3u);
    EXPECT_NEAR(cu[0].energyKeV, 8.0478, 0.0005); // Kα1
    EXPECT_NEAR(cu[2].energyKeV, 8.9053, 0.0005); // Kβ1
    EXPECT_NEAR(cu[0].relativeRate / cu[1].relativeRate, 2.0, 0.1);
    EXPECT_GT(characteristicLines(74).size(), 3u); // W has its L lines
    EXPECT_NEAR(kEdgeKeV(28), 8.3328, 0.0005);
    EXPECT_NEAR(massAttenuationCm2PerG(28, 8.048), 48.7, 1.0);
    EXPECT_NEAR(densityGPerCm3(28), 8.9, 0.1);
    EXPECT_TRUE(std::isnan(kEdgeKeV(0)));
}

TEST(MeasuredText, TheUncertaintyNeverShowsAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        Measured m;
        int decimals;
        const char* text;
    } cases[] = {
        {{31.70342, 0.0041}, 3, "31.703 \u00b1 0.004"},  // enough places as asked
        {{8.04781, 0.00042}, 3, "8.0478 \u00b1 0.0004"}, // Cu K-alpha's energy from a sharp peak
        {{1.0, 1e-9}, 2, "1.00000 \u00b1 0.00000"},      // at most three places more
        {{154.1, nan}, 1, "154.1"},                      // no uncertainty known
        {{nan, nan}, 2, "----"},                         // no value found
    };
    for (const auto& c : cases)
        EXPECT_EQ(measuredText(c.m, c.decimals), QString::fromUtf8(c.text)) << c.text;
}

TEST(LinearFit, KnownLineWithItsUncertainties) {
    const std::vector<double> x = {0, 1, 2, 3}, y = {1, 3, 5, 7}, s = {1, 1, 1, 1};
    const LineFit fit = fitLine(x, y, s);
    ASSERT_TRUE(fit.ok);
    EXPECT_NEAR(fit.slope.value, 2, 1e-12);
    EXPECT_NEAR(fit.intercept.value, 1, 1e-12);
    EXPECT_NEAR(fit.slope.sigma, std::sqrt(1.0 / 5.0), 1e-12); // 1/sqrt(Σ(x - x̄)²)
    const LineFit origin = fitLineThroughOrigin(x, std::vector<double>{0, 2, 4, 6}, s);
    EXPECT_NEAR(origin.slope.value, 2, 1e-12);
    EXPECT_FALSE(fitLine(std::vector<double>{1, 1}, std::vector<double>{1, 2}, s).ok);
}

TEST(EvalOptions, CommentWordsWinForTheirRecord) {
    QStringList problems;
    const EvalOptions o =
        applyComment(EvalOptions{}, QStringLiteral("Mo tube\ncrystal=LiF anode=Mo kV=30 tau=90"), &problems);
    EXPECT_EQ(o.crystal, QStringLiteral("LiF"));
    EXPECT_DOUBLE_EQ(o.dPm, 201.3);
    EXPECT_EQ(o.anodeZ, 42);
    EXPECT_DOUBLE_EQ(o.tubeKv, 30);
    EXPECT_DOUBLE_EQ(o.deadTimeUs, 90);
    EXPECT_TRUE(problems.isEmpty());
    applyComment(EvalOptions{}, QStringLiteral("d=-3 anode=Xx"), &problems);
    EXPECT_EQ(problems.size(), 2);
    EvalOptions flat;
    flat.dPm = 0;
    EXPECT_EQ(optionsProblem(flat), QStringLiteral("The lattice spacing must be positive."));

    QMap<QString, int> ini;
    EvalOptions custom;
    setCustomSpacing(custom, 313.5);
    custom.deadTimeUs = 92.5;
    writeEvalSettings(custom, [&](const QString& k, int v) { ini[k] = v; });
    const EvalOptions back = readEvalSettings([&](const QString& k, int d) { return ini.value(k, d); });
    EXPECT_EQ(back, custom);
}

} // namespace
