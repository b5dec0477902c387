// The evaluation settings in the settings file "rtg.ini" (section "evaluation"): what the windows'
// evaluation and the command line's use unless a record's comment names others.
#pragma once

#include "analysis/evaloptions.h"

#include <QString>

namespace engine {

class ProfileFile;

// The options kept in the file (the program's defaults where it has none).
analysis::EvalOptions loadEvalOptions(const ProfileFile& file);
// Writes them into the file; false when it cannot be written.
bool saveEvalOptions(ProfileFile& file, const analysis::EvalOptions& options);

} // namespace engine
