// The spectrum, filters, counter and counting noise of the simulated apparatus.
#include "simulator/countnoise.h"
#include "simulator/physics.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sim;

TEST(Physics, BraggAnglesOfCopperLinesOnNaCl) {
    const AnodeLines cu = anodeLines(Anode::Cu);
    EXPECT_NEAR(*braggTwoThetaDeg(cu.kAlpha1Pm, Crystal::NaCl, 1), 31.70, 0.01);
    EXPECT_NEAR(*braggTwoThetaDeg(cu.kAlpha2Pm, Crystal::NaCl, 1), 31.78, 0.01);
    EXPECT_NEAR(*braggTwoThetaDeg(cu.kBeta1Pm, Crystal::NaCl, 1), 28.58, 0.01);
    EXPECT_NEAR(*braggTwoThetaDeg(cu.kAlpha1Pm, Crystal::NaCl, 2), 66.23, 0.01);
    EXPECT_NEAR(*braggTwoThetaDeg(cu.kAlpha1Pm, Crystal::NaCl, 3), 110.06, 0.01);
    EXPECT_FALSE(braggTwoThetaDeg(cu.kAlpha1Pm, Crystal::NaCl, 4).has_value());
    EXPECT_FALSE(braggTwoThetaDeg(cu.kAlpha1Pm, Crystal::NaCl, 0).has_value());
    EXPECT_NEAR(*braggTwoThetaDeg(cu.kAlpha1Pm, Crystal::LiF, 1), 45.0, 0.1);
}

TEST(Physics, SpectrumHasLinesWhereBraggPutsThemAndNothingBelowTheDuaneHuntLimit) {
    const Bench bench;
    EXPECT_NEAR(duaneHuntLimitPm(35.0), 35.42, 0.01);
    const double edgeDeg = *braggTwoThetaDeg(duaneHuntLimitPm(35.0), Crystal::NaCl, 1);
    EXPECT_NEAR(edgeDeg, 7.20, 0.01);
    EXPECT_EQ(plateauRate(bench, edgeDeg - 0.05), 0.0);
    EXPECT_GT(plateauRate(bench, edgeDeg + 0.5), 0.0);
    // K-alpha stands far above the continuum beside it, K-beta too, and the second order shows.
    EXPECT_GT(plateauRate(bench, 31.72), 8 * plateauRate(bench, 30.5));
    EXPECT_GT(plateauRate(bench, 28.58), 2 * plateauRate(bench, 27.5));
    EXPECT_GT(plateauRate(bench, 66.23), 1.5 * plateauRate(bench, 64.0));
    EXPECT_NEAR(plateauRate(bench, 31.70), 4400.0, 400.0); // the reference peak, K-alpha2 beside it
}

TEST(Physics, TubeSettingsScaleTheSpectrum) {
    Bench bench;
    const double reference = plateauRate(bench, 31.72);
    bench.tubeCurrentUa = 100;
    EXPECT_NEAR(plateauRate(bench, 31.72), reference / 2, 1e-9 * reference);
    bench = Bench{};
    bench.tubeKv = 8.5; // below the copper K edge: no lines, only a little continuum
    EXPECT_NEAR(plateauRate(bench, 31.72), plateauRate(bench, 31.2), 0.2 * plateauRate(bench, 31.2) + 1.0);
    bench.tubeKv = 0.0;
    EXPECT_EQ(plateauRate(bench, 31.72), 0.0);
    bench = Bench{};
    bench.anode = Anode::Mo;
    EXPECT_GT(plateauRate(bench, *braggTwoThetaDeg(anodeLines(Anode::Mo).kAlpha1Pm, Crystal::NaCl, 1)),
              1000.0);
}

TEST(Physics, FilterPassesBelowItsEdgeAndAbsorbsAboveIt) {
    Bench bench;
    bench.filterZ = 28; // Ni 10 um
    bench.filterUm = 10.0;
    EXPECT_NEAR(filterTransmission(bench, 8.048), 0.65, 0.01); // Cu K-alpha
    EXPECT_NEAR(filterTransmission(bench, 8.905), 0.08, 0.01); // Cu K-beta
    EXPECT_EQ(filterTransmission(Bench{}, 8.905), 1.0);
    // Through the filter K-beta nearly vanishes from the spectrum while K-alpha stays.
    EXPECT_LT(plateauRate(bench, 28.58), 0.3 * plateauRate(Bench{}, 28.58));
    EXPECT_GT(plateauRate(bench, 31.72), 0.6 * plateauRate(Bench{}, 31.72));
}

TEST(Physics, RadiatorFluorescenceShowsTheFilterAbsorptionEdge) {
    const auto through = [](int radiator, int filter) {
        Bench bench;
        bench.radiatorZ = radiator;
        bench.filterZ = filter;
        bench.filterUm = 10.0;
        return plateauRate(bench, 45.0);
    };
    EXPECT_GT(through(26, 0), 100.0);
    Bench iron;
    iron.radiatorZ = 26;
    EXPECT_EQ(plateauRate(iron, 45.0), plateauRate(iron, 90.0)); // fluorescence ignores the arm angle
    // Ni passes Co and Cu fluorescence (below its edge) but stops Zn's (above it).
    EXPECT_GT(through(27, 28) / through(27, 0), 0.4);
    EXPECT_GT(through(29, 28) / through(29, 0), 0.4);
    EXPECT_LT(through(30, 28) / through(30, 0), 0.15);
}

TEST(Physics, GeigerCounterStartsPlateausAndLosesCountsToDeadTime) {
    EXPECT_EQ(geiger::voltageResponse(300.0), 0.0);
    EXPECT_EQ(geiger::voltageResponse(325.0), 0.0);
    EXPECT_GT(geiger::voltageResponse(380.0), 0.0);
    EXPECT_LT(geiger::voltageResponse(380.0), 1.0);
    EXPECT_DOUBLE_EQ(geiger::voltageResponse(450.0), 1.0);
    EXPECT_NEAR(geiger::voltageResponse(550.0), 1.03, 1e-9); // 3 % per 100 V
    EXPECT_EQ(geiger::dischargeRate(600.0), 0.0);
    EXPECT_GT(geiger::dischargeRate(800.0), 1000.0);
    EXPECT_DOUBLE_EQ(geiger::registeredRate(10000.0), 5000.0); // 100 us dead time
    const Bench bench;
    EXPECT_EQ(registeredRate(bench, 31.72, false, 500.0), 0.0);
    EXPECT_EQ(registeredRate(bench, 31.72, true, 300.0), 0.0);
    EXPECT_NEAR(registeredRate(bench, 5.0, true, 500.0), 0.3 * geiger::voltageResponse(500.0),
                1e-3); // background
}

TEST(Physics, BenchProblemsAreNamed) {
    EXPECT_EQ(benchProblem(Bench{}), "");
    Bench bench;
    bench.tubeCurrentUa = 256;
    EXPECT_NE(benchProblem(bench), "");
    bench = Bench{};
    bench.filterZ = 42;
    EXPECT_NE(benchProblem(bench), "");
    bench = Bench{};
    bench.tubeKv = std::nan("");
    EXPECT_NE(benchProblem(bench), "");
    EXPECT_EQ(elementBySymbol("ni")->z, 28);
    EXPECT_EQ(anodeByName("mo"), Anode::Mo);
    EXPECT_FALSE(crystalByName("KBr").has_value());
}

TEST(CountNoise, PoissonCountsHaveTheirMeanAndVariance) {
    for (const double mean : {0.3, 4.0, 40.0, 4000.0}) {
        const int samples = 20000;
        double sum = 0.0;
        double squares = 0.0;
        for (int i = 0; i < samples; ++i) {
            Random random = randomFor(11, Stream::Sweep, static_cast<std::uint64_t>(i));
            const double k = static_cast<double>(poisson(random, mean));
            sum += k;
            squares += k * k;
        }
        const double average = sum / samples;
        const double variance = squares / samples - average * average;
        EXPECT_NEAR(average, mean, 5 * std::sqrt(mean / samples)) << "mean " << mean;
        EXPECT_NEAR(variance / mean, 1.0, 0.06) << "mean " << mean;
    }
    Random random(3);
    EXPECT_EQ(poisson(random, 0.0), 0u);
    EXPECT_EQ(poisson(random, -2.0), 0u);
}

TEST(CountNoise, DrawsDependOnSeedStreamAndIndexOnly) {
    const auto first = [](std::uint64_t seed, Stream stream, std::uint64_t index) {
        return randomFor(seed, stream, index).next();
    };
    EXPECT_EQ(first(1, Stream::Sweep, 7), first(1, Stream::Sweep, 7));
    EXPECT_NE(first(1, Stream::Sweep, 7), first(1, Stream::Sweep, 8));
    EXPECT_NE(first(1, Stream::Sweep, 7), first(1, Stream::Display, 7));
    EXPECT_NE(first(1, Stream::Sweep, 7), first(2, Stream::Sweep, 7));
    Random random(5);
    for (int i = 0; i < 1000; ++i) {
        const double u = random.uniform();
        ASSERT_GT(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}
