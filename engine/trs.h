// The acquisition thread: the one worker that owns the apparatus.
//
// It finds and opens the apparatus, performs the handshake, keeps the command queue, reads every
// reply, keeps the live read-outs, runs scans and arm operations, writes the periodic safety copy
// of the live scan and switches the detector high voltage off after a long idle time. Windows never
// touch the device: they call one of the typed request calls below, which writes the request's
// value and then adds the request to `pendingRequests`; the thread takes the set over in a
// synchronised call and reports every change back through the routines of WindowUpdates, each run
// on the user-interface thread while the worker waits.
//
// Who touches what:
// - Request values, `pendingRequests`, `moveTarget`, `calibrateThenScan` and the rebuild flag are
//   written by the typed request calls at any time: atomics, private to the thread object.
// - The read-outs the windows look at from their own handlers (`armAngle`, `scanState`,
//   `scanStart`, `scanEnd`, `scanEnding`, the link flags, `hvIsOn`, `speakerIsOn`) are atomics written by the
//   worker; the configuration block and the rest of the loop state are published once per pass
//   (status(), configSnapshot()).
// - Everything else (texts, `config`, `requestSet`, the plot range, the remaining-time fields) is
//   the worker's; the windows read and write it only inside the routines of WindowUpdates, which
//   run while the worker waits.
// - The live record's cells and `modified` are atomic (the scan writes them while the plot paints);
//   its other fields are written only on the user-interface thread, so the worker changes them
//   inside synchronised calls too.
#pragma once

#include "engine/clock.h"
#include "engine/commandqueue.h"
#include "engine/estimate.h"
#include "engine/plotchange.h"
#include "engine/profilefile.h"
#include "engine/requests.h"
#include "engine/uiexecutor.h"
#include "engine/windowupdates.h"

#include "device/deviceconfig.h"
#include "records/trecdata.h"

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

namespace engine {

class WindowUpdates;

// Scan states (`scanState`).
enum ScanState : int {
    scanIdle = 0,
    scanScanning = 1,
    scanPaused = 2,
    scanRepositioning = 3,
    scanUnconditional = 4,
    scanMovingArm = 5,
    scanUnconditionalPaused = 6,
};

// The longest counting time per scan step, tenths of a second: the most the windows offer. The
// apparatus's gate takes the time in hundredths as a 16-bit word, so nothing above this may reach
// it.
inline constexpr int kMaxCountingTime = 3000;

// What the thread is built on. Only `executor` and `windows` are required.
// How the last scan ended. Incomplete: interrupted before its end (a stop, a halt, an apparatus
// that stopped early) or finished with steps missing; scanEndingText says which.
enum ScanEnding : int {
    scanEndingNone = 0, // no scan yet, or one running
    scanEndingComplete = 1,
    scanEndingIncomplete = 2,
};

// The smallest multiple of `step` that is not below `b`.
int roundUpToGrid(int b, int step);

struct TrsEnvironment {
    UiExecutor* executor = nullptr;
    WindowUpdates* windows = nullptr;
    const Clock* clock = nullptr; // null: the wall clock
    Sleeper* sleeper = nullptr;   // null: real-time pauses
    QString settingsPath;         // rtg.ini; empty: ProfileFile::defaultPath()
    QString safetyCopyDir;        // empty: beside the executable, else the user's data folder
    bool startSuspended = false;  // true: the run begins with start(), not at construction
};

// The loop state as of the end of the last pass, for windows, tests and the command line.
struct TrsStatus {
    zavo::DeviceConfig config;
    RequestSet requestSet;
    bool handshakePending = false;
    bool awaitingAck = false;
    bool deviceBusy = false;
    bool adjusting = false;
    bool calibrating = false;
    int replyWatchdog = 0;
    int idleCounter = 0;
    int queueCount = 0;
    int scanRegion = -1;
    std::uint8_t lastCode = 47;
    double countRate = 0;
    int tubeCurrent = 0;
    QString deviceSection;
    QString accessProblem;           // see TRS::accessProblem
    std::uint64_t passes = 0;        // passes since the run began
    std::uint64_t linkLosses = 0;    // links dropped since construction
    std::uint64_t safetyCopies = 0;  // safety copies written since construction
    std::int64_t safetyDeadline = 0; // clock milliseconds
    std::int64_t hvOffDeadline = 0;
    QString scanEndingText;
};

class TRS {
public:
    static constexpr int kSafetyIntervalMs = 15 * 60 * 1000;
    // While a scan runs, besides the 15-minute timer and each segment's end.
    static constexpr int kScanSafetyIntervalMs = 60 * 1000;
    static constexpr int kHvOffIntervalMs = 30 * 60 * 1000;
    static constexpr const char* kSafetyCopyName = "safety.rtg";
    // A counted sweep that sends nothing for its counting time plus this is asked where it is.
    static constexpr int kSweepSilenceMarginMs = 2000;
    // How long the apparatus has to answer that question before the link is dropped.
    static constexpr int kProbeAnswerMs = 3000;
    // The question is asked again when an idle apparatus shows it was not heard.
    static constexpr int kProbeResendMs = 500;
    // A move to a segment start that reports no position for this long is asked where it is (the
    // arm reports every step while it moves).
    static constexpr int kMoveSilenceMs = 2000;

    explicit TRS(const TrsEnvironment& environment);
    // Ends the run (terminate() and wait) if it still goes; the device is closed by the run itself.
    ~TRS();
    TRS(const TRS&) = delete;
    TRS& operator=(const TRS&) = delete;

    // ---- Lifecycle (user-interface thread) ----
    void start(); // only with startSuspended
    // Signals termination: no synchronised call is posted from now on (one that waits is dropped),
    // pauses end early, and the run ends after its current pass with the shutdown sequence when
    // the link is up.
    void terminate();
    // The user insists on the end (a second signal): the shutdown sequence skips the wait that only
    // paces the apparatus after its last byte. Every byte is still sent, the HV switched off first.
    void hurryEnd();
    // Waits for the run to end; false when `timeout` passed first.
    bool waitFor(std::chrono::milliseconds timeout = std::chrono::hours(24));
    bool running() const;
    bool terminated() const { return terminated_.load(); }

    // ---- Requests of the windows (user-interface thread) ----
    // Each call writes the request's value first and then adds the request's number to
    // `pendingRequests`, so the worker never takes a request over without its value.
    void requestCountingTime(int tenths);        // setCountingTime; kept within 0..kMaxCountingTime
    void requestScalarTime(int hundredths);      // setScalarTime
    void requestAngularStep(int units);          // setAngularStep: 1, 2, 4 or 10 angle units
    void requestDetectorHv(int units);           // setDetectorHv: 5 V units
    void requestHvLimit(int units);              // setHvLimit: 5 V units
    void requestHvLimitEnabled(bool on);         // setHvLimitEnabled
    void requestArmMin(int steps);               // setArmMin (device form)
    void requestArmMax(int steps);               // setArmMax (device form)
    void requestArmRange(int min, int max);      // both ends of the arm's range
    void requestArmPosition(int steps);          // setArmPosition: where the arm stands (device form)
    void requestOffset(int steps);               // applyOffset: the new angle offset
    void requestOffsetEnabled(bool on);          // setOffset: offset correction on or off
    void requestMoveArm(int target);             // moveArm: target in effective form
    void requestRangeMode(int mode);             // setRange: 0 automatic, else full-scale index + 1
    void requestRadiator(int selection);         // setRadiator
    void requestFilter(int selection);           // setFilter
    void requestDetectorPosition(int selection); // setDetectorPosition
    void requestFilterThickness(double mm);      // setFilterThickness
    // setAutoCoarse; a scan still waiting for a calibration is forgotten.
    void requestAutoCoarse(bool on);
    // The scan button: a fresh live record, then startScan, or calibrateAndScan when
    // `calibrateFirst` (the automatic coarse calibration is on).
    void requestScan(bool calibrateFirst);
    void requestCoarseCalibration();
    void requestPause(bool paused); // pauseScan, or resumeScan when released
    void requestStop();
    void requestHv(bool on);      // hvOn / hvOff
    void requestSpeaker(bool on); // speakerOn / speakerOff
    void requestScalarAcquire();
    void requestAbortAcquire();
    // The main window closes: wait until `shutDown` has left `pendingRequests`, then terminate().
    void requestShutDown();
    // The next pass replaces the live record with a fresh one built from the configuration.
    void rebuildLiveRecord() { rebuildPending_.store(true); }

    // ---- Other operations for the windows (user-interface thread) ----
    // The live record's regions become the stored regions of the configuration (they travel with
    // the block to the apparatus and into the next live record). Taken over at the next pass.
    void copyRegionsToThread();
    // The same with explicit regions (displayed angle units), for callers without a region editor.
    void storeRegions(std::uint8_t count, const std::array<zavo::RoiRange, 5>& ranges);
    // Copies of the published state; safe from any thread.
    TrsStatus status() const;
    zavo::DeviceConfig configSnapshot() const;

    // ---- Helpers for the routines of WindowUpdates (user-interface thread, inside a routine) ----
    // `offset` when `offsetEnabled` is set, else 0.
    int effectiveOffset() const { return config.effectiveOffset(); }
    // The status line of `scanState` ("Idle", "Scanning 10.00 deg to 130.00 deg", ...), or the
    // access problem while a found apparatus does not open.
    QString scanStatusText() const;
    // Label of the live record's entry in the record list: "Live at 0.05/1.0  [deg/sec]".
    QString liveEntryLabel() const;
    // Inside refreshReadouts: what the points measured since the last refresh change in the plot
    // (the automatic full scale has already grown from them). The engine forgets them after the
    // routine.
    const PlotChange& plotChange() const { return plotChange_; }
    // Inside refreshScanStatus: what the remaining-time read-out shows in the present state.
    RemainingShown remainingShown() const;

    // ---- Link and display state ----
    std::atomic<bool> connected{false};
    std::atomic<bool> controlsEnabled{false};
    std::atomic<bool> linkReady{false};
    QString deviceSection; // rtg.ini section: the apparatus's serial number made safe
    // Why the apparatus, found, could not be opened (the port and the fix); empty otherwise. While
    // it is set and no link is up, it is the status line (scanStatusText()).
    QString accessProblem;
    bool displayDirty = false;
    QString rateText;
    QString angleText;
    QString currentText;
    QString hvText;
    double countRate = 0;
    double scalarRate = 0;
    int tubeCurrent = 0;
    std::atomic<bool> hvIsOn{false};
    std::atomic<bool> speakerIsOn{false};
    std::atomic<int> armAngle{0};
    bool atRangeEnd = false;
    std::atomic<bool> shuttingDown{false};
    std::uint8_t lastCode = 47;

    // ---- Scan state ----
    // Shared: a window that holds the live record across an event loop of its own (a modal dialog)
    // keeps it alive when the thread replaces it meanwhile (a reconnection, a new scan).
    std::shared_ptr<trecdata> liveRecord;
    std::atomic<int> scanState{scanIdle};
    std::atomic<int> scanEnding{scanEndingNone};
    QString scanEndingText; // why the last scan is incomplete; read inside routines or via status()
    // Why the apparatus's settings could not be written to the settings file, the last time it
    // failed ("Cannot write PATH: No space left on device"); read inside routines.
    QString settingsFailure;
    int scanRegion = -1;
    std::atomic<int> scanStart{-1}; // device steps, without offset
    std::atomic<int> scanEnd{-1};
    bool adjusting = false;
    int alignTarget = 0;
    bool calibrating = false;
    int plotDirtyFrom = -1;
    int plotDirtyTo = -1;
    QString remainingText;
    std::int64_t scanEndTime = 0; // clock milliseconds
    int remainingMinutes = 0;

    // ---- Device configuration: the one copy of the apparatus's block ----
    zavo::DeviceConfig config;

    // ---- Requests ----
    RequestSet requestSet;
    PendingRequests pendingRequests;
    // Where the safety copy goes.
    QString safetyCopyPath() const;
    const QString& settingsPath() const { return settings_.path(); }
    // The folder beside the executable when it is writable and no system location (never under
    // /usr), else the user's data folder.
    static QString defaultSafetyCopyDir();

private:
    friend struct TrsTestAccess; // tests only: reads the request values

    using RecordEdit = std::function<void(trecdata&)>;

    // ---- Request values: written by the typed request calls, read by the worker ----
    void postRequest(int request) { pendingRequests.add(request); }
    std::atomic<std::int16_t> countingTimeRequest{0};    // tenths of a second
    std::atomic<std::int32_t> scalarCountTimeRequest{0}; // hundredths of a second
    std::atomic<std::int32_t> armPositionRequest{0};
    std::atomic<std::int32_t> armMinRequest{0};
    std::atomic<std::int32_t> armMaxRequest{0};
    std::atomic<std::int32_t> offsetRequest{0};
    std::atomic<std::int16_t> angularStepRequest{0};
    std::atomic<std::int32_t> hvRequest{0}; // 5 V units, low byte used
    std::atomic<std::int32_t> hvLimitRequest{0};
    std::atomic<std::uint8_t> hvLimitEnabledRequest{0};
    std::atomic<double> filterThicknessRequest{0}; // mm
    std::atomic<std::uint8_t> rangeModeRequest{0};
    std::atomic<std::uint8_t> radiatorRequest{0};
    std::atomic<std::uint8_t> filterRequest{0};
    std::atomic<std::uint8_t> detectorPositionRequest{0};
    std::atomic<std::uint8_t> autoCoarseRequest{0};
    std::atomic<std::uint8_t> offsetEnabledRequest{0};

    std::atomic<int> moveTarget{0}; // effective form; written by requestMoveArm and the thread
    std::atomic<bool> calibrateThenScan{false};
    std::atomic<bool> rebuildPending_{false};

    // A cached copy of the live record's fields that the worker reads, refreshed on the
    // user-interface thread at the end of every synchronised call.
    struct RecordView {
        std::uint8_t regionCount = 0;
        std::array<trecdata::Region, trecdata::kMaxRegions> regions{};
        std::int32_t firstAngle = 0;
        std::int32_t lastAngle = 0;
        std::int32_t viewFirstCell = 0;
        std::int32_t countingTime = 10;
        double tubeCurrent = 0;
        bool getRegion(int index, int& from, int& to) const;
    };

    // ---- run (trs.cpp, loop.cpp) ----
    void run();
    void startOfRun();
    void passConnected();
    bool replyStep();
    void requestStep();
    void timersStep();
    void publish();
    bool queueStatusFails();

    // ---- link (link.cpp) ----
    void passDisconnected();
    void noteAccessProblem(const QString& problem);
    void passHandshake();
    void loseLink();
    void forgetMoveRequests();
    void endOfRun();
    void readDeviceSettings();
    bool writeDeviceSettings();
    void writeSafetyCopy();
    void writeSafetyCopyIfModified();

    // ---- queue codes (codes.cpp) ----
    void enqueue(std::uint8_t code);
    bool performCode(std::uint8_t code);
    void takeOverValue(std::uint8_t code);
    void resetConfiguration();

    // ---- replies (replies.cpp) ----
    void dispatchReply(std::uint8_t tag);
    void acknowledge();
    void receiveConfigReply();
    void unorderedMotion();
    void receiveConfig(const zavo::DeviceConfig& block);
    void armPositionReply(int position);
    void tubeCurrentReply(int microamperes);

    // ---- requests (requests_handling.cpp) ----
    void handleRequest(int request);
    void enqueueSimple(int request, std::uint8_t code);

    // ---- scans (scan.cpp) ----
    bool startAlignment();
    void enqueueMovePattern(int target);
    void enqueueSweepPattern(int target);
    void handleStartScan();
    void handleCalibrateAndScan();
    void handlePauseScan();
    void handleResumeScan();
    void handleStop();
    void operationComplete();
    void scanStep(double rate);
    void haltNotice();
    void scanBegins();
    void scanInterrupted(const QString& reason);

    // ---- sweepwatch.cpp ----
    bool sweeping() const;
    bool repositioning() const;
    void sweepStarted();
    void sweepHeard();
    bool sweepWatchStep(); // false when the link was dropped
    void sweepIdleRate();
    void sweepPositionReply();
    void repositionAnswered();
    void askPosition();
    bool atSegmentEnd() const;
    void countMissingSteps(int from, int to);
    void segmentFinished();
    void scanFinished();
    void interruptSweep(const QString& reason);

    // ---- arm (arm.cpp) ----
    void handleMoveArm();
    void handleCoarseCalibration();
    void handleSetArmPosition();
    void handleSetArmRange(int request);
    void handleApplyOffset();
    bool regionCheck();

    // ---- synchronised calls (uicalls.cpp) ----
    bool post(RoutineId routine, const RecordEdit& edit = {});
    bool onUi(const std::function<void()>& work);
    void runRoutine(RoutineId routine);
    void replaceLiveRecordNow();
    void refreshRecordView();
    void computeEstimate();
    void applyPendingRegions();
    void preparePlotChange();
    void forgetPlotChange();
    void assertOnUiThread() const;

    // ---- environment ----
    UiExecutor& executor_;
    WindowUpdates& windows_;
    SystemClock systemClock_;
    const Clock& clock_;
    std::unique_ptr<Sleeper> ownSleeper_;
    Sleeper& sleeper_;
    ProfileFile settings_;
    QString safetyCopyDir_;
    std::unique_ptr<QThread> thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> runEnded_{false};

    // ---- loop state (worker only) ----
    CommandQueue commandQueue;
    bool handshakePending = false;
    bool awaitingAck = false;
    bool deviceBusy = false;
    bool blockReceived_ = false; // the apparatus's block came on this link
    int replyWatchdog = 0;
    bool configAsked_ = false;       // the block was asked for ('x' sent) and has not come yet
    bool positionAsked_ = false;     // an 'I' came: the 'W' that follows answers a status poll
    bool stopOrdered_ = false;       // a stop went to an apparatus moving by itself; ends with 0x03
    bool repositionRetried_ = false; // the move to the segment start was ordered again once
    // The watch over a counted sweep (sweepwatch.cpp).
    bool sweepAcked_ = false;       // the apparatus acknowledged the run command
    std::int64_t sweepHeardMs_ = 0; // the last 'S' or 'W' of the sweep
    int sweepFrom_ = 0;             // where an unconditional sweep began
    bool probing_ = false;          // the position was asked for
    bool probeAnswered_ = false;    // the 'I' of the answer came; its 'W' decides
    std::int64_t probeSentMs_ = 0;
    std::int64_t probeDeadlineMs_ = 0;
    bool windingDown_ = false; // a stopped sweep's rates are stored until the stop's 0x03
    int missingSteps_ = 0;
    int firstMissing_ = 0;
    int lastMissing_ = 0;
    int idleCounter = 0;
    bool polledSincePause_ = false; // a status poll went out since the last 200 ms pause
    std::int64_t safetyDeadline = 0;
    std::int64_t scanSafetyDeadline_ = 0; // the next safety copy while a scan runs
    std::int64_t hvOffDeadline = 0;
    RecordView recordView_;
    // Record cells measured since the last read-out refresh (first > last: none), and what they
    // change in the plot (worked out on the user-interface thread).
    int dirtyCellFirst_ = 0;
    int dirtyCellLast_ = -1;
    PlotChange plotChange_;
    std::uint64_t passes_ = 0;
    std::uint64_t linkLosses_ = 0;
    std::uint64_t safetyCopies_ = 0;

    // ---- hand-over of stored regions from the windows ----
    mutable std::mutex regionsMutex_;
    bool regionsPending_ = false;
    std::uint8_t pendingRoiCount_ = 0;
    std::array<zavo::RoiRange, 5> pendingRoiRanges_{};

    // ---- published state ----
    mutable std::mutex publishMutex_;
    TrsStatus published_;
};

} // namespace engine

// The one acquisition thread of the program (null when none exists).
extern engine::TRS* acquisitionThread;
