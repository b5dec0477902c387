// The link to the apparatus: looking for it, opening it, the handshake, losing the link, the
// end of the run, the per-apparatus settings in rtg.ini and the safety copy.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/d2xxunit.h"
#include "device/linkseq.h"
#include "records/recordfile.h"
#include "records/safefile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace engine {
namespace {

constexpr const char* kDescription = "QM417";

QString nodeDescription(const ft::DeviceListInfoNode& node) {
    return QString::fromLatin1(node.Description,
                               static_cast<qsizetype>(strnlen(node.Description, sizeof node.Description)));
}

} // namespace

void TRS::startOfRun() {
    calibrating = false;
    calibrateThenScan.store(false);
    shuttingDown.store(false);
    atRangeEnd = false;
    linkReady.store(false);
    rateText = QStringLiteral("Disconected ");
    angleText.clear();
    currentText.clear();
    hvText.clear();
    displayDirty = true;
    handshakePending = false;
    commandQueue.clear();
    post(RoutineId::refreshReadouts);
    controlsEnabled.store(false);
    post(RoutineId::updateControlEnabling);
}

void TRS::passDisconnected() {
    // A closing window waits for shutDown to be taken over; nobody takes it while disconnected.
    if (pendingRequests.contains(shutDown))
        pendingRequests.remove(shutDown);
    if (displayDirty) {
        post(RoutineId::refreshReadouts);
        displayDirty = false;
    }
    handshakePending = false;
    sleeper_.sleepMs(500);
    if (terminated_.load())
        return;
    if (D2XXUnit::GetFTDeviceCount() != ft::OK || D2XXUnit::deviceCount == 0) {
        noteAccessProblem({});
        return;
    }
    D2XXUnit::CreateDeviceInfoList();
    D2XXUnit::GetDeviceInfoList();
    for (std::size_t i = 0; i < D2XXUnit::deviceInfoList.size(); ++i) {
        if (nodeDescription(D2XXUnit::deviceInfoList[i]) != QLatin1String(kDescription))
            continue;
        if (D2XXUnit::GetFTDeviceSerialNo(static_cast<ft::Dword>(i)) != ft::OK)
            continue;
        rateText = QStringLiteral("Connecting ...");
        angleText.clear();
        currentText.clear();
        hvText.clear();
        deviceSection = safeSectionName(QString::fromLatin1(D2XXUnit::serialNumber.c_str()).left(35));
        scanStart.store(200);
        scanEnd.store(2600);
        readDeviceSettings();
    }
    post(RoutineId::refreshReadouts);
    if (D2XXUnit::Open_USB_Device_By_Device_Description(kDescription) != ft::OK) {
        noteAccessProblem(QString::fromStdString(D2XXUnit::openFailure()));
        return;
    }
    noteAccessProblem({});
    sleeper_.sleepMs(500);
    zavo::configureLine(100, 100);
    zavo::writeHandshakeRequest();
    // The held block counts as invalid until the apparatus sends its own.
    config.marker[0] = 'N';
    blockReceived_ = false;
    lastCode = CommandQueue::kNone;
    connected.store(true);
    handshakePending = true;
    commandQueue.clear(true);
    scanState.store(scanIdle);
    controlsEnabled.store(true);
    post(RoutineId::updateControlEnabling);
}

// A device that is there but does not open (no permission, in use) is told on the status line
// rather than looking like no apparatus at all; the search goes on as before.
void TRS::noteAccessProblem(const QString& problem) {
    if (problem == accessProblem)
        return;
    accessProblem = problem;
    post(RoutineId::refreshScanStatus);
}

void TRS::passHandshake() {
    calibrating = false;
    calibrateThenScan.store(false);
    adjusting = false;
    replyWatchdog = 100;
    idleCounter = 10;
    if (!zavo::readHandshakeAck()) {
        loseLink();
        return;
    }
    commandQueue.clear();
    for (const zavo::QueueCode code : zavo::handshakeQueue)
        enqueue(code);
    hvIsOn.store(false);
    speakerIsOn.store(true);
    replyWatchdog = zavo::handshakeAllowance;
    plotDirtyFrom = -1;
    plotDirtyTo = -1;
    dirtyCellFirst_ = 0;
    dirtyCellLast_ = -1;
    linkReady.store(true);
    deviceBusy = false;
    awaitingAck = false;
    handshakePending = false;
    forgetMoveRequests();
    // The live record is made and changed only on the user-interface thread. The record about to
    // be replaced by one built from the apparatus's block loses its offset; one with unsaved
    // measurements is kept as it is (see receiveConfig).
    onUi([this] {
        if (!liveRecord)
            liveRecord = trecdata::Create(20, 15, 120, 0, 10);
        if (!liveRecord->modified.load())
            liveRecord->offsetEnabled = false;
    });
    const std::int64_t now = clock_.nowMs();
    safetyDeadline = now + kSafetyIntervalMs;
    hvOffDeadline = now + kHvOffIntervalMs;
}

void TRS::loseLink() {
    controlsEnabled.store(false);
    post(RoutineId::updateControlEnabling);
    linkReady.store(false);
    forgetMoveRequests();
    bool settingsUnwritten = false;
    if (connected.load()) {
        D2XXUnit::CloseDevice();
        settingsUnwritten = writeDeviceSettings();
    }
    connected.store(false);
    handshakePending = true;
    rateText = QStringLiteral("Disconected ");
    angleText.clear();
    currentText.clear();
    hvText.clear();
    displayDirty = true;
    ++linkLosses_;
    const int state = scanState.load();
    if (state >= scanScanning && state <= scanUnconditional) {
        scanInterrupted(QStringLiteral("the link to the apparatus was lost"));
        post(RoutineId::refreshScanStatus);
    }
    probing_ = false;
    windingDown_ = false;
    configAsked_ = false;
    positionAsked_ = false;
    stopOrdered_ = false;
    // Last, so that it lies over the status the loss itself gives.
    if (settingsUnwritten)
        post(RoutineId::showSettingsFailure);
}

// A move belongs to the link it was asked for on. One still waiting when that link goes, or one
// posted while there was none, would otherwise set the arm off by itself as soon as an apparatus
// answers again.
void TRS::forgetMoveRequests() {
    requestSet.remove(moveArm);
    pendingRequests.remove(moveArm);
}

void TRS::endOfRun() {
    // The shutdown sequence writes the held block back into the apparatus's memory, so it is only
    // sent once the apparatus's own block has come: a run ended during the handshake (Ctrl+C while
    // connecting) sends nothing more rather than overwriting the apparatus's memory with a block
    // it never sent. The high voltage cannot be on before the block: it is switched on only by a
    // request, which waits behind the block's reading. The wait after the final '!' serves no
    // command after it, so an end the user hurries (hurryEnd) skips it.
    if (connected.load() && !handshakePending && blockReceived_) {
        applyPendingRegions();
        zavo::sendShutdownSequence(
            config, deviceBusy, [this](int ms) { sleeper_.pauseMs(ms); },
            [this](int ms) { sleeper_.paceMs(ms); });
    }
    // The device belongs to this thread; it is closed here rather than by whoever destroys the
    // thread object.
    if (connected.load()) {
        D2XXUnit::CloseDevice();
        connected.store(false);
    }
    linkReady.store(false);
    controlsEnabled.store(false);
}

void TRS::readDeviceSettings() {
    config.countingTime = static_cast<std::uint16_t>(
        std::clamp(settings_.readInt(deviceSection, QStringLiteral("TRATE"), 50), 0, kMaxCountingTime));
    config.angularStep = static_cast<std::uint16_t>(
        std::clamp(settings_.readInt(deviceSection, QStringLiteral("ARATE"), 1), 0, 0xFFFF));
    config.hvSetting = static_cast<std::uint8_t>(
        std::clamp(settings_.readInt(deviceSection, QStringLiteral("RTGV"), 20), 0, 0xFF));
}

// The file is written at every lost link: a failure is told on the windows once, and again only
// when its reason changes. True when there is a new failure to tell (settingsFailure).
bool TRS::writeDeviceSettings() {
    if (deviceSection.isEmpty())
        return false;
    const std::pair<const char*, int> values[] = {
        {"TRATE", config.countingTime}, {"ARATE", config.angularStep}, {"RTGV", config.hvSetting}};
    for (const auto& [key, value] : values) {
        if (settings_.writeInt(deviceSection, QLatin1String(key), value))
            continue;
        const QString failure = settings_.lastWriteError();
        if (failure.isEmpty() || failure == settingsFailure)
            return false;
        settingsFailure = failure;
        return true;
    }
    return false;
}

void TRS::writeSafetyCopyIfModified() {
    if (liveRecord && liveRecord->modified.load())
        writeSafetyCopy();
}

void TRS::writeSafetyCopy() {
    // The record is read on the user-interface thread (its comment and regions live there); the
    // file is written here. Its `modified` stays as it is: the scan is still unsaved.
    QByteArray bytes;
    if (!onUi([&] { bytes = records::recordFileBytes(*liveRecord); }))
        return;
    if (records::writeFileSafely(safetyCopyPath(), bytes))
        ++safetyCopies_;
}

} // namespace engine
