#include "app/sessionend.h"

#include "engine/sessionsignals.h"
#include "engine/trs.h"
#include "records/recordfile.h"

#include <QSocketNotifier>
#include <QTextStream>

namespace project1 {

SessionEnd::SessionEnd(engine::TRS& thread, std::function<void(int status)> quit)
    : thread_(thread), quit_(std::move(quit)), signals_(engine::SessionSignals::install()) {
    notifier_ = new QSocketNotifier(signals_.readFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { arrived(); });
}

SessionEnd::~SessionEnd() {
    engine::SessionSignals::uninstall();
}

int SessionEnd::signal() const {
    return signals_.first();
}

void SessionEnd::arrived() {
    const int before = signals_.taken();
    if (signals_.take(nullptr) == 0 || before > 0)
        return; // the end is under way; a third signal within a second ends it at once
    QTextStream err(stderr);
    const int signal = signals_.first();
    err << "zavo-driver: " << engine::SessionSignals::name(signal) << ": ending";
    const trecdata* live = thread_.liveRecord.get();
    if (live && live->modified.load()) {
        const QString path = thread_.safetyCopyPath();
        QString error;
        if (records::writeRecordFile(*live, path, &error))
            err << "; the unsaved scan is kept in " << path;
        else
            err << "; the unsaved scan could not be kept in " << path << ": " << error;
    }
    err << "; switching the apparatus off\n";
    err.flush();
    quit_(engine::SessionSignals::exitStatus(signal));
}

} // namespace project1
