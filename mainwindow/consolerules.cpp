#include "mainwindow/consolerules.h"

namespace console {

int angularStepEntry(int step) {
    for (std::size_t entry = 0; entry < kAngularSteps.size(); ++entry) {
        if (kAngularSteps[entry] == step)
            return static_cast<int>(entry);
    }
    return -1;
}

std::optional<int> stepDownTarget(const Arm& arm) {
    if (arm.low + 2 * arm.o >= arm.p)
        return std::nullopt;
    return arm.p - arm.o - 1;
}

std::optional<int> stepUpTarget(const Arm& arm) {
    if (arm.p >= arm.high + 2 * arm.o)
        return std::nullopt;
    return arm.p - arm.o + 1;
}

std::optional<int> holdDownTarget(const Arm& arm) {
    if (arm.low + 2 * arm.o >= arm.p)
        return std::nullopt;
    return arm.low;
}

std::optional<int> holdUpTarget(const Arm& arm) {
    if (arm.p >= arm.high + 2 * arm.o)
        return std::nullopt;
    return arm.high;
}

bool releaseDownStops(const Arm& arm) {
    return arm.p != arm.low + 2 * arm.o;
}

bool releaseUpStops(const Arm& arm) {
    return arm.p != arm.high + 2 * arm.o;
}

QRect fitToScreen(const QRect& window, const QRect& screenArea) {
    // Worked out with the screen's top left corner as the origin.
    const QSize screen = screenArea.size();
    QRect fitted = window.translated(-screenArea.topLeft());
    if (fitted.height() > screen.height())
        fitted.setHeight(screen.height());
    if (fitted.top() + fitted.height() > screen.height())
        fitted.moveTop((screen.height() - fitted.height()) / 2);
    if (fitted.width() > screen.width())
        fitted.setWidth(screen.width());
    if (fitted.left() + fitted.width() > screen.width())
        fitted.moveLeft((screen.width() - fitted.width()) / 2);
    return fitted.translated(screenArea.topLeft());
}

BarLefts bottomBarLefts(int panelWidth, const BarWidths& w, int rightMargin) {
    BarLefts lefts;
    lefts.exit = panelWidth - w.exit - rightMargin;
    const int a = (lefts.exit - w.sm - w.smLeft - w.save - w.load - w.close - 2 * w.print - w.setup - 24) / 2;
    lefts.save = w.smLeft + w.sm + a;
    lefts.load = lefts.save + w.save + 8;
    lefts.close = lefts.load + w.load + 8;
    lefts.print = lefts.close + w.close + w.print;
    lefts.setup = lefts.exit - w.setup - a;
    return lefts;
}

int bottomBarMinWidth(const BarWidths& w, int rightMargin) {
    return w.smLeft + w.sm + w.save + w.load + w.close + 2 * w.print + w.setup + w.exit + rightMargin + 24 +
           2 * kMinBarGap;
}

} // namespace console
