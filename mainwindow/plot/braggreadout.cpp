#include "mainwindow/plot/braggreadout.h"

#include "analysis/bragg.h"
#include "analysis/measured.h"

#include <cmath>

namespace plot {

QString braggReadout(double armDeg, double rateCps, double countingSeconds, double dPm) {
    const double lambda = analysis::wavelengthPm(armDeg, dPm, 1);
    QString text = lambda > 0 && std::isfinite(lambda)
                       ? QString::asprintf("\u03bb %.1f pm, E %.2f keV", lambda, analysis::energyKeV(lambda))
                       : QStringLiteral("\u03bb ----");
    const double sigma = analysis::rateSigma(rateCps, countingSeconds);
    if (rateCps >= 0 && std::isfinite(sigma)) {
        // Three significant digits at most: the read-out stays short enough for its field.
        const int decimals = sigma < 10 ? 2 : sigma < 100 ? 1 : 0;
        text += QString::asprintf(", \u00b1 %.*f cps", decimals, sigma);
    }
    return text;
}

} // namespace plot
