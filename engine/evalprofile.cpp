#include "engine/evalprofile.h"

#include "engine/profilefile.h"

namespace engine {

analysis::EvalOptions loadEvalOptions(const ProfileFile& file) {
    return analysis::readEvalSettings([&file](const QString& key, int defaultValue) {
        return file.readInt(QString::fromLatin1(analysis::kEvaluationSection), key, defaultValue);
    });
}

bool saveEvalOptions(ProfileFile& file, const analysis::EvalOptions& options) {
    bool written = true;
    analysis::writeEvalSettings(options, [&file, &written](const QString& key, int value) {
        written = file.writeInt(QString::fromLatin1(analysis::kEvaluationSection), key, value) && written;
    });
    return written;
}

} // namespace engine
