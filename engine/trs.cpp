// The acquisition thread's construction, lifecycle and the state it publishes.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/d2xxunit.h"
#include "records/locations.h"

#include <QDir>
#include <QThread>

engine::TRS* acquisitionThread = nullptr;

namespace engine {

TRS::TRS(const TrsEnvironment& environment)
    : executor_(*environment.executor), windows_(*environment.windows),
      clock_(environment.clock ? *environment.clock : systemClock_),
      ownSleeper_(environment.sleeper ? nullptr : std::make_unique<Sleeper>()),
      sleeper_(environment.sleeper ? *environment.sleeper : *ownSleeper_),
      settings_(environment.settingsPath.isEmpty() ? ProfileFile::defaultPath() : environment.settingsPath),
      safetyCopyDir_(environment.safetyCopyDir) {
    config.countingTime = 10;
    config.angularStep = 1;
    config.hvSetting = 0;
    config.offset = 0;
    config.roiCount = 0;
    liveRecord = trecdata::Create(1, 200, 2600, 10, 10);
    liveRecord->offsetEnabled = false;
    recordView_ = {};
    refreshRecordView();
    publish();
    if (!acquisitionThread)
        acquisitionThread = this;
    executor_.reopen();
    sleeper_.rearm();
    if (!environment.startSuspended)
        start();
}

TRS::~TRS() {
    if (thread_) {
        terminate();
        waitFor();
    }
    if (acquisitionThread == this)
        acquisitionThread = nullptr;
}

void TRS::start() {
    if (thread_)
        return;
    thread_.reset(QThread::create([this] {
        run();
        runEnded_.store(true, std::memory_order_release);
    }));
    thread_->setObjectName(QStringLiteral("acquisition"));
    thread_->start();
}

void TRS::terminate() {
    terminated_.store(true);
    executor_.close();
    sleeper_.wake();
}

void TRS::hurryEnd() {
    sleeper_.hurry();
}

bool TRS::waitFor(std::chrono::milliseconds timeout) {
    if (!thread_)
        return true;
    if (!thread_->wait(QDeadlineTimer(timeout)))
        return false;
    // QThread's own wait synchronises through Qt's mutexes, which ThreadSanitizer cannot see; this
    // acquire pairs with the release at the end of the run, so what the run wrote is visibly
    // complete to whoever waited for it.
    return runEnded_.load(std::memory_order_acquire);
}

bool TRS::running() const {
    return thread_ && thread_->isRunning();
}

void TRS::run() {
    startOfRun();
    while (!terminated_.load()) {
        applyPendingRegions();
        if (!connected.load())
            passDisconnected();
        else if (handshakePending)
            passHandshake();
        else
            passConnected();
        ++passes_;
        publish();
    }
    endOfRun();
    publish();
}

void TRS::publish() {
    TrsStatus s;
    s.config = config;
    s.requestSet = requestSet;
    s.handshakePending = handshakePending;
    s.awaitingAck = awaitingAck;
    s.deviceBusy = deviceBusy;
    s.adjusting = adjusting;
    s.calibrating = calibrating;
    s.replyWatchdog = replyWatchdog;
    s.idleCounter = idleCounter;
    s.queueCount = commandQueue.count();
    s.scanRegion = scanRegion;
    s.lastCode = lastCode;
    s.countRate = countRate;
    s.tubeCurrent = tubeCurrent;
    s.deviceSection = deviceSection;
    s.accessProblem = accessProblem;
    s.passes = passes_;
    s.linkLosses = linkLosses_;
    s.safetyCopies = safetyCopies_;
    s.safetyDeadline = safetyDeadline;
    s.hvOffDeadline = hvOffDeadline;
    s.scanEndingText = scanEndingText;
    std::lock_guard lock(publishMutex_);
    published_ = std::move(s);
}

TrsStatus TRS::status() const {
    std::lock_guard lock(publishMutex_);
    return published_;
}

zavo::DeviceConfig TRS::configSnapshot() const {
    std::lock_guard lock(publishMutex_);
    return published_.config;
}

void TRS::copyRegionsToThread() {
    std::uint8_t count = 0;
    std::array<trecdata::Region, trecdata::kMaxRegions> entries{};
    liveRecord->CopyRegions(count, entries);
    std::array<zavo::RoiRange, 5> ranges{};
    for (std::size_t i = 0; i < ranges.size(); ++i)
        ranges[i] = {entries[i].from, entries[i].to};
    storeRegions(count, ranges);
}

void TRS::storeRegions(std::uint8_t count, const std::array<zavo::RoiRange, 5>& ranges) {
    std::lock_guard lock(regionsMutex_);
    pendingRoiCount_ = count;
    pendingRoiRanges_ = ranges;
    regionsPending_ = true;
}

void TRS::applyPendingRegions() {
    std::lock_guard lock(regionsMutex_);
    if (!regionsPending_)
        return;
    config.roiCount = pendingRoiCount_;
    config.roiRanges = pendingRoiRanges_;
    regionsPending_ = false;
}

QString TRS::defaultSafetyCopyDir() {
    const QString program = records::programDir();
    return records::writableProgramDir(program.isEmpty() ? QDir::currentPath() : program,
                                       records::userDataDir());
}

QString TRS::safetyCopyPath() const {
    const QString dir = safetyCopyDir_.isEmpty() ? defaultSafetyCopyDir() : safetyCopyDir_;
    return QDir(dir).filePath(QString::fromLatin1(kSafetyCopyName));
}

} // namespace engine
