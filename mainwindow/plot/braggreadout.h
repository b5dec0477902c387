// The cursor's Bragg read-out beside the angle and rate: the wavelength and photon energy that the
// arm angle under the mouse reflects in first order on the chosen crystal, and the standard
// uncertainty of the counting rate there.
#pragma once

#include <QString>

namespace plot {

// "λ 154.0 pm, E 8.05 keV, ± 2.50 cps" for an arm angle in degrees, a rate (below 0: no data, no
// ± part), the counting time per step in seconds and the crystal's lattice spacing. An angle that
// reflects nothing (0 or below) reads "λ ----".
QString braggReadout(double armDeg, double rateCps, double countingSeconds, double dPm);

} // namespace plot
