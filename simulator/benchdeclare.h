// What a person at the bench does by hand: turns the radiator selector, puts a filter foil of some
// thickness in the beam. The protocol has no command for these, so the simulated bench takes them
// from outside: from the program's own declarations (when it talks to the built-in simulator) or
// from the control input of zavo-apparatus-sim ("bench radiator Cu", "bench filter Ni", ...).
#pragma once

#include "simulator/physics.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The element of a radiator or filter text: a symbol V..Zn gives its Z; "N/A" (radiator: the
// crystal is in the beam), "none" (no filter) and "0" give 0; anything else gives none.
std::optional<int> declaredElement(std::string_view text);

// Applies a declared radiator, filter and filter thickness (micrometres) to the bench. Returns false
// and leaves the bench alone when a text is not an element of the bench or the thickness is negative.
bool declareOnBench(Bench& bench, std::string_view radiator, std::string_view filter, double filterUm);

// One "bench ..." command of the control input, in words ("bench", "radiator", "Cu"): changes the
// bench and returns what was done, or a text starting with "error: ".
//   bench radiator N/A|V..Zn   bench filter none|V..Zn   bench thickness UM   bench show
std::string benchCommand(Bench& bench, const std::vector<std::string>& words);

} // namespace sim
