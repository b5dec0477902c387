// The main window's rules without widgets: spin-button steps, arm-button refusals and targets,
// fitting the window to the screen, the bottom bar's places and reading read-outs back.
#include "mainwindow/consolerules.h"
#include "widgets/steprules.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using ui::stepDetectorVolts;
using ui::stepWithin;

// Counting time in tenths of a second: 0.1 s .. 300.0 s.
std::optional<int> countingTime(int tenths, int step, bool up) {
    return stepWithin(tenths, step, up, 1, 3000);
}

TEST(CountingTimeSteps, ClampAtTheEndsAndIgnoreAClickAtTheEnd) {
    // At 0.1 s no down button changes anything.
    EXPECT_EQ(countingTime(1, 1, false), std::nullopt);
    EXPECT_EQ(countingTime(1, 100, false), std::nullopt);
    // 0.5 s minus 1 s gives 0.1 s; 295.0 s plus 10 s gives 300.0 s.
    EXPECT_EQ(countingTime(5, 10, false), 1);
    EXPECT_EQ(countingTime(2950, 100, true), 3000);
    // At 300.0 s no up button changes anything; down still works.
    EXPECT_EQ(countingTime(3000, 1, true), std::nullopt);
    EXPECT_EQ(countingTime(3000, 1, false), 2999);
    // Ordinary steps.
    EXPECT_EQ(countingTime(10, 1, true), 11);
    EXPECT_EQ(countingTime(10, 100, true), 110);
}

TEST(CountingTimeSteps, AValueOutsideTheRangeIsBroughtIntoIt) {
    // The apparatus may hold 0 or more than 300 s; a click brings the value back into range.
    EXPECT_EQ(countingTime(0, 1, false), 1);
    EXPECT_EQ(countingTime(5000, 10, true), 3000);
    EXPECT_EQ(countingTime(5000, 10, false), 3000);
}

TEST(StepWithin, CrossedBoundsDoNotMisbehave) {
    EXPECT_EQ(stepWithin(500, 50, true, 800, 200), 800);
    EXPECT_EQ(stepWithin(800, 50, false, 800, 200), std::nullopt);
}

TEST(DetectorVoltSteps, ClampAndLimit) {
    // 30 V minus 50 V gives 0 V; at 0 V down still yields 0 V (posted again).
    EXPECT_EQ(stepDetectorVolts(30, 50, false, std::nullopt), 0);
    EXPECT_EQ(stepDetectorVolts(0, 5, false, std::nullopt), 0);
    // 1250 V plus 50 V gives 1275 V; at 1275 V up changes nothing.
    EXPECT_EQ(stepDetectorVolts(1250, 50, true, std::nullopt), 1275);
    EXPECT_EQ(stepDetectorVolts(1275, 5, true, std::nullopt), std::nullopt);
    // With a 1000 V limit, 980 V plus 50 V gives 1000 V, and stepping down is never limited.
    EXPECT_EQ(stepDetectorVolts(980, 50, true, 1000), 1000);
    EXPECT_EQ(stepDetectorVolts(1000, 5, true, 1000), 1000);
    EXPECT_EQ(stepDetectorVolts(1200, 50, false, 1000), 1150);
    // A limit above the ceiling does not lift the ceiling.
    EXPECT_EQ(stepDetectorVolts(1270, 50, true, 2000), 1275);
}

TEST(ReadoutNumbers, TheTrailingBlankGoesAndGarbageIsRefused) {
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("1.0 "), 10), 10);
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("295.0 "), 10), 2950);
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("800 "), 1), 800);
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("12.35 "), 20), 247);
    // 0.25 x 10 = 2.5 is a tie: it rounds to the even 2.
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("0.25 "), 10), 2);
    EXPECT_EQ(ui::readoutScaled(QString(), 10), std::nullopt);
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("Disconected "), 10), std::nullopt);
    EXPECT_EQ(ui::readoutScaled(QStringLiteral("1e300 "), 10), std::nullopt);
}

TEST(TypedValues, SnapToTheStepClampToTheBoundsAndRefuseWhatIsNoNumber) {
    struct Case {
        const char* text;
        int factor, step, lo, hi;
        std::optional<int> value;
    };
    const Case cases[] = {
        // Detector volts: 5 V steps, 0 .. 1275 V (or the HV limit).
        {"503", 1, 5, 0, 1275, 505},
        {"502", 1, 5, 0, 1275, 500},
        {" 800 ", 1, 5, 0, 1275, 800},
        {"1300", 1, 5, 0, 1275, 1275},
        {"990", 1, 5, 0, 900, 900},
        {"-20", 1, 5, 0, 1275, 0},
        // Counting time in tenths: 0.1 .. 300 s; a decimal comma is a point.
        {"2.34", 10, 1, 1, 3000, 23},
        {"2,36", 10, 1, 1, 3000, 24},
        {"0", 10, 1, 1, 3000, 1},
        {"1000", 10, 1, 1, 3000, 3000},
        // Move arm target in hundredths of a degree, 0.05 degree steps.
        {"40.03", 100, 5, 250, 12000, 4005},
        {"2", 100, 5, 250, 12000, 250},
        // Refused.
        {"abc", 1, 5, 0, 1275, std::nullopt},
        {"", 1, 5, 0, 1275, std::nullopt},
        {"5 0", 1, 5, 0, 1275, std::nullopt},
        {"nan", 1, 5, 0, 1275, std::nullopt},
        {"12V", 1, 5, 0, 1275, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::typedValue(QString::fromLatin1(c.text), c.factor, c.step, c.lo, c.hi), c.value)
            << c.text;
}

TEST(ArmButtons, SingleStepsAreRefusedAtTheLimits) {
    // No offset: the arm at the lower limit cannot step down, one unit above it can.
    EXPECT_EQ(console::stepDownTarget({100, 0, 100, 2400}), std::nullopt);
    EXPECT_EQ(console::stepDownTarget({101, 0, 100, 2400}), 100);
    EXPECT_EQ(console::stepUpTarget({2400, 0, 100, 2400}), std::nullopt);
    EXPECT_EQ(console::stepUpTarget({2399, 0, 100, 2400}), 2400);
}

TEST(ArmButtons, TheOffsetCountsTwiceInTheTestsAndOnceInTheTarget) {
    // armAngle 907 with offset 7: p = 914, the apparatus stands at 900; a step down targets
    // armAngle - 1 = 906 (effective form).
    const console::Arm arm{914, 7, 100, 2400};
    EXPECT_EQ(console::stepDownTarget(arm), 906);
    EXPECT_EQ(console::stepUpTarget(arm), 908);
    // The apparatus at its lower limit 100 with offset 7: p = 114 = L + 2 o.
    EXPECT_EQ(console::stepDownTarget({114, 7, 100, 2400}), std::nullopt);
    EXPECT_EQ(console::holdDownTarget({114, 7, 100, 2400}), std::nullopt);
    EXPECT_EQ(console::stepUpTarget({2414, 7, 100, 2400}), std::nullopt);
    // A negative offset.
    EXPECT_EQ(console::stepDownTarget({90, -5, 100, 2400}), std::nullopt);
    EXPECT_EQ(console::stepDownTarget({91, -5, 100, 2400}), 95);
}

TEST(ArmButtons, ContinuousMovesRunToTheLimitAndStopOnReleaseUnlessThere) {
    EXPECT_EQ(console::holdDownTarget({900, 0, 100, 2400}), 100);
    EXPECT_EQ(console::holdUpTarget({900, 0, 100, 2400}), 2400);
    EXPECT_EQ(console::holdUpTarget({2400, 0, 100, 2400}), std::nullopt);
    EXPECT_TRUE(console::releaseDownStops({900, 0, 100, 2400}));
    // Released exactly at L + 2 x offset: no stop.
    EXPECT_FALSE(console::releaseDownStops({110, 5, 100, 2400}));
    EXPECT_TRUE(console::releaseDownStops({105, 5, 100, 2400}));
    EXPECT_FALSE(console::releaseUpStops({2410, 5, 100, 2400}));
}

TEST(FitToScreen, ALargeWindowShrinksToTheScreenAndIsCentred) {
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(console::fitToScreen(QRect(50, 60, 3000, 2000), screen), QRect(0, 0, 1280, 1024));
    // Only too tall: the height shrinks, the width stays.
    EXPECT_EQ(console::fitToScreen(QRect(10, 100, 800, 1500), screen), QRect(10, 0, 800, 1024));
    // Fits, but hangs over the bottom right: moved to the centre in both directions (halves truncate).
    EXPECT_EQ(console::fitToScreen(QRect(900, 700, 801, 601), screen), QRect(239, 211, 801, 601));
    // Fits where it is: unchanged.
    EXPECT_EQ(console::fitToScreen(QRect(10, 20, 800, 600), screen), QRect(10, 20, 800, 600));
    // A screen whose origin is not 0, 0 (a second monitor).
    EXPECT_EQ(console::fitToScreen(QRect(1300, 0, 900, 2000), QRect(1280, 0, 1024, 768)),
              QRect(1300, 0, 900, 768));
}

TEST(BottomBar, TheRightButtonsShareTheGapAndExitKeepsTheMargin) {
    console::BarWidths widths;
    widths.smLeft = 344;
    widths.sm = 41;
    widths.save = widths.load = widths.close = widths.setup = widths.exit = 75;
    widths.print = 25;
    const console::BarLefts lefts = console::bottomBarLefts(1024, widths, 16);
    EXPECT_EQ(lefts.exit, 1024 - 75 - 16);
    const int a = (lefts.exit - 41 - 344 - 75 * 4 - 2 * 25 - 24) / 2;
    EXPECT_EQ(lefts.save, 344 + 41 + a);
    EXPECT_EQ(lefts.load, lefts.save + 75 + 8);
    EXPECT_EQ(lefts.close, lefts.load + 75 + 8);
    EXPECT_EQ(lefts.print, lefts.close + 75 + 25);
    EXPECT_EQ(lefts.setup, lefts.exit - 75 - a);
    // The gap between print and Setup is the remaining 8 pixels (give or take the halving).
    EXPECT_NEAR(lefts.setup - (lefts.print + 25), 8, 1);
}

} // namespace
