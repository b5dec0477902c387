// GSL's default error handler aborts the program. Every function of this room that calls GSL calls
// quietGsl() first, so a failed fit is a return code the function turns into a result that says why.
#pragma once

namespace analysis {

void quietGsl();

} // namespace analysis
