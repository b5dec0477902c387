#include "app/sessionend.h"

#include "engine/sessionsignals.h"
#include "engine/trs.h"
#include "records/recordfile.h"

#include <QSocketNotifier>
#include <QTextStream>

#include <chrono>

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

int SessionEnd::endThread(int status) {
    thread_.terminate();
    // The pipe is read between short waits: the event loop that watched it has ended.
    while (!thread_.waitFor(std::chrono::milliseconds(20)))
        arrived();
    arrived();
    // Once more now that the thread has ended: the points that came while the apparatus was being
    // stopped join the copy.
    if (signals_.first() != 0)
        writeUnsavedScan(nullptr);
    return signals_.first() != 0 ? engine::SessionSignals::exitStatus(signals_.first()) : status;
}

void SessionEnd::arrived() {
    const int before = signals_.taken();
    int last = 0;
    if (signals_.take(&last) == 0)
        return;
    if (before == 0) {
        keepUnsavedScan();
        quit_(engine::SessionSignals::exitStatus(signals_.first()));
    }
    // A third signal within a second never comes here: its handler ends the program at once.
    if (signals_.taken() >= 2 && !hurried_) {
        hurried_ = true;
        thread_.hurryEnd();
        QTextStream err(stderr);
        err << engine::SessionSignals::hurryNotice(last);
        err.flush();
    }
}

void SessionEnd::keepUnsavedScan() {
    QTextStream err(stderr);
    err << "zavo-driver: " << engine::SessionSignals::name(signals_.first()) << ": ending";
    writeUnsavedScan(&err);
    err << "; switching the apparatus off\n";
    err.flush();
}

void SessionEnd::writeUnsavedScan(QTextStream* told) {
    const trecdata* live = thread_.liveRecord.get();
    if (!live || !live->modified.load())
        return;
    const QString path = thread_.safetyCopyPath();
    QString error;
    if (records::writeRecordFile(*live, path, &error)) {
        if (told)
            *told << "; the unsaved scan is kept in " << path;
    } else if (told) {
        *told << "; the unsaved scan could not be kept in " << path << ": " << error;
    } else {
        QTextStream(stderr) << "zavo-driver: the unsaved scan could not be kept in " << path << ": " << error
                            << '\n';
    }
}

} // namespace project1
