#include "analysis/gslquiet.h"

#include <gsl/gsl_errno.h>

#include <mutex>

namespace analysis {

void quietGsl() {
    static std::once_flag once;
    std::call_once(once, [] { gsl_set_error_handler_off(); });
}

} // namespace analysis
