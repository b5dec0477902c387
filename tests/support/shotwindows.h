// The program's windows for the screenshot programs: settings and the safety copy in a temporary
// folder, so a shot never touches the user's files.
#pragma once

#include "app/project1.h"

#include <QTemporaryDir>

namespace shots {

struct ShotWindows {
    QTemporaryDir dir;
    project1::Windows windows;

    ShotWindows() : windows(options(dir)) {}

private:
    static project1::Options options(const QTemporaryDir& dir) {
        project1::titleApplication();
        project1::Options options;
        options.settingsPath = dir.filePath(QStringLiteral("rtg.ini"));
        options.safetyCopyDir = dir.path();
        return options;
    }
};

} // namespace shots
