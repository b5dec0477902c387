// The short-wavelength (Duane–Hunt) limit of the continuum in first order, and Planck's constant
// from it: h = e·U·λmin/c.
//
// The rising edge is found on the smoothed rates before the first peak: the background is the level
// of the first points, the continuum's height the highest smoothed rate before that peak; the edge
// is the stretch where the rate climbs from 20 % to 60 % of that height above the background. A
// weighted straight line through those points (Poisson weights, refitted with the line's own rates)
// meets the background at λmin. An angle range given in the options replaces the edge found; the
// background then comes from the points below it.
#pragma once

#include "analysis/evaloptions.h"
#include "analysis/evaluation.h"
#include "analysis/peaks.h"

#include <vector>

namespace analysis {

// SI values (exact since 2019).
inline constexpr double kPlanckJs = 6.62607015e-34;
inline constexpr double kElementaryChargeC = 1.602176634e-19;
inline constexpr double kSpeedOfLightMPerS = 299792458.0;

// The limit in the series; `peaks` (ascending) bound the continuum's search from above.
DuaneHunt duaneHunt(const Series& series, const std::vector<Peak>& peaks, const EvalOptions& options);

} // namespace analysis
