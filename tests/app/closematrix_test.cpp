// Closing the main window as the user does, in every situation the program can be in: a scan
// starting or running, the arm moving, a calibration, the apparatus unplugged, each dialog open and
// the waiting window of a scalar reading shown. Each time the program must end as run() ends it
// (its message loop returns once the last window has closed, then the parts go) within 3 s, after
// asking about the measured points exactly as the close query says, and nothing measured may be
// lost when the user answers Yes.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"

#include "tests/support/formsession.h"

#include "app/tform14.h"
#include "mainwindow/filedialogs.h"
#include "mainwindow/tform11.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/messages.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kTimeScale = 5;
// What the program may take from the user's close to its end.
constexpr auto kShutdownLimit = 3s;
// Beyond this the test ends the loop itself and reports a program that did not end.
constexpr auto kGiveUp = 15s;

const QString kLiveQuestion = QStringLiteral("Current live scan is modified. Save changes?");

// The save dialog answered with one path; `asked` counts the dialogs and outlives the window
// that owns this.
class SaveInto : public FileDialogs {
public:
    SaveInto(QString path, int& asked) : path_(std::move(path)), asked_(asked) {}
    std::optional<SaveDialogChoice> save(QWidget*, const SaveDialogRequest&) override {
        ++asked_;
        return SaveDialogChoice{path_, 1};
    }
    QStringList open(QWidget*, const records::FileType&) override { return {}; }

private:
    QString path_;
    int& asked_;
};

class CloseMatrix;

// One situation: `prepare` brings the program into it before the message loop runs; a modal
// window, when the situation has one, is opened by `openModal` from inside the loop and the main
// window is closed once `ready` holds.
struct Situation {
    std::string name{};
    std::function<void(CloseMatrix&)> prepare{};
    std::function<void(CloseMatrix&)> openModal{};
    std::function<bool(CloseMatrix&)> ready{};
    bool measured = false;            // the live scan holds points: the close query must ask
    ui::Reply answer = ui::Reply::No; // the answer to that question
    bool unplugged = false;           // the apparatus is gone at the end
};

// Test names and failure reports name the situation.
void PrintTo(const Situation& situation, std::ostream* out) {
    *out << situation.name;
}

class CloseMatrix : public ::testing::TestWithParam<Situation>, public formtest::SimulatedWindows {
public:
    CloseMatrix() : SimulatedWindows(options()) {}

    static sim::ApparatusOptions options() {
        sim::ApparatusOptions o;
        o.timeScale = kTimeScale;
        return o;
    }

    TForm1& form() { return session.form(); }
    project1::Windows& windows() { return session.windows(); }
    engine::TRS& thread() { return session.thread(); }
    int livePoints() {
        const trecdata* live = thread().liveRecord.get();
        return live ? live->ValidCellCount() : 0;
    }

    // Connected, the apparatus's own configuration received, nothing running.
    void connect() {
        ASSERT_TRUE(session.waitUntil([this] {
            return session.apparatusReady() && form().rec->isEnabled() && form().setup->isEnabled();
        }));
    }

    // The detector's high voltage on, as for any measurement: the end must switch it off.
    void switchHvOn() {
        form().HV->click();
        ASSERT_TRUE(session.waitUntil([this] { return thread().hvIsOn.load(); }));
    }

    // What the apparatus does once the program has gone: true when it is at rest with the HV off
    // (the end of the session stops motion and counting).
    bool apparatusAtRest() {
        const auto deadline = Clock::now() + 5s;
        while (Clock::now() < deadline) {
            const bool rest = apparatus->withFirmware([](sim::Firmware& f) {
                const sim::Firmware::Activity activity = f.activity();
                return !f.hvOn() && !f.scalarCounting() &&
                       (activity == sim::Firmware::Activity::Idle ||
                        activity == sim::Firmware::Activity::SessionEnded);
            });
            if (rest)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    void unplug() {
        apparatus->unplug();
        ASSERT_TRUE(session.waitUntil([this] { return !thread().connected.load(); }));
    }

    // A scan of one region from the arm's place upward, at the apparatus's own step and counting
    // time (0.05 degree, 2 s): it runs far longer than any case waits.
    void startScan() {
        const int arm = thread().armAngle.load();
        std::array<zavo::RoiRange, 5> ranges{};
        ranges[0] = {static_cast<std::int16_t>(arm), static_cast<std::int16_t>(arm + 100)};
        thread().storeRegions(1, ranges);
        ASSERT_TRUE(session.waitUntil([this] { return thread().configSnapshot().roiCount == 1; }));
        form().rec->click();
    }

    void startScanAndMeasure() {
        startScan();
        ASSERT_TRUE(session.waitUntil([this] { return livePoints() > 0; }, 60s));
    }

    // Runs the program's message loop, closes the main window as soon as the situation is ready and
    // returns when the loop has ended (or after kGiveUp). Fills the timings and the questions.
    void closeAndEnd(const Situation& situation) {
        ui::setMessageResponder([this, &situation](const ui::Message& message) {
            questions << message.text;
            return message.kind == ui::MessageKind::SaveQuestion ? situation.answer : ui::Reply::Ok;
        });
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (closeStarted || (situation.ready && !situation.ready(*this)))
                return;
            closeStarted = true;
            const trecdata* live = thread().liveRecord.get();
            modifiedAtClose = live && live->modified.load();
            started = Clock::now();
            closed = form().close();
        });
        if (situation.openModal)
            QTimer::singleShot(0, qApp, [&] { situation.openModal(*this); });
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [&] {
            loopEnded = false;
            QApplication::closeAllWindows();
            QCoreApplication::exit(1);
        });
        poll.start();
        giveUp.start(kGiveUp);
        loopEnded = true;
        QApplication::exec();
        poll.stop();
        giveUp.stop();
        session.end();
        ended = Clock::now();
        ui::setMessageResponder({});
    }

    QStringList questions;
    bool closeStarted = false;
    bool modifiedAtClose = false;
    bool closed = false;
    bool loopEnded = false;
    Clock::time_point started;
    Clock::time_point ended;
};

std::vector<Situation> situations() {
    const auto waitForScalarMode = [](CloseMatrix& m) {
        ASSERT_TRUE(m.session.waitUntil([&m] { return m.form().smode->isEnabled(); }));
    };
    return {
        // Scans: starting (the thread aligns the start and takes no requests), counting, and the
        // live scan saved on the way out.
        {.name = "ScanStarting", .prepare = [](CloseMatrix& m) { m.startScan(); }},
        {.name = "Scanning", .prepare = [](CloseMatrix& m) { m.startScanAndMeasure(); }, .measured = true},
        {.name = "ScanningSavedOnTheWayOut",
         .prepare = [](CloseMatrix& m) { m.startScanAndMeasure(); },
         .measured = true,
         .answer = ui::Reply::Yes},
        // The arm: a held fast move, a coarse calibration started from Setup.
        {.name = "MovingTheArm",
         .prepare =
             [](CloseMatrix& m) {
                 m.form().ssrightMouseDown();
                 ASSERT_TRUE(m.session.waitUntil(
                     [&m] { return m.thread().scanState.load() == engine::scanMovingArm; }));
             }},
        {.name = "Calibrating",
         .prepare =
             [](CloseMatrix& m) {
                 m.windows().setup().BitBtn9->click();
                 ASSERT_TRUE(m.session.waitUntil([&m] { return m.thread().status().calibrating; }));
             }},
        // The apparatus gone: idle, and after a scan that measured points.
        {.name = "Unplugged", .prepare = [](CloseMatrix& m) { m.unplug(); }, .unplugged = true},
        {.name = "UnpluggedDuringAScan",
         .prepare =
             [](CloseMatrix& m) {
                 m.startScanAndMeasure();
                 m.unplug();
             },
         .measured = true,
         .unplugged = true},
        // The windows open over the main window, each in its own modal loop.
        {.name = "SetupOpen",
         .openModal = [](CloseMatrix& m) { m.form().setup->click(); },
         .ready = [](CloseMatrix& m) { return m.windows().setup().isVisible(); }},
        {.name = "MoveArmOpen",
         .openModal = [](CloseMatrix& m) { m.form().openMoveArm(); },
         .ready = [](CloseMatrix& m) { return m.windows().moveArm().isVisible(); }},
        {.name = "RegionsOpen",
         .openModal = [](CloseMatrix& m) { m.windows().regions().exec(); },
         .ready = [](CloseMatrix& m) { return m.windows().regions().isVisible(); }},
        {.name = "ScalarOpen",
         .prepare = waitForScalarMode,
         .openModal = [](CloseMatrix& m) { m.form().smode->click(); },
         .ready = [](CloseMatrix& m) { return m.windows().scalar().isVisible(); }},
        // A scalar reading under way: the waiting window's loop runs inside the scalar window's.
        {.name = "WaitingForAScalarReading",
         .prepare = waitForScalarMode,
         .openModal =
             [](CloseMatrix& m) {
                 QTimer::singleShot(0, &m.windows().scalar(),
                                    [&m] { m.windows().scalar().Button1->click(); });
                 m.form().smode->click();
             },
         .ready = [](CloseMatrix& m) { return m.windows().waiting().isVisible(); }},
    };
}

TEST_P(CloseMatrix, TheProgramEndsInTimeAfterAskingAboutWhatWasMeasured) {
    formtest::Watchdog watchdog(120s);
    const Situation& situation = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString savePath = dir.filePath(QStringLiteral("live.RTG"));
    int saveDialogs = 0;
    form().setFileDialogs(std::make_unique<SaveInto>(savePath, saveDialogs));
    connect();
    switchHvOn();
    if (situation.prepare)
        situation.prepare(*this);
    if (HasFatalFailure())
        return;
    const int measuredBefore = livePoints();
    closeAndEnd(situation);

    ASSERT_TRUE(closeStarted) << "the situation never came about";
    EXPECT_TRUE(closed) << "closing was refused";
    EXPECT_TRUE(loopEnded) << "the message loop did not end: a window stayed open";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(ended - started);
    RecordProperty("shutdownMs", static_cast<int>(took.count()));
    EXPECT_LT(took, kShutdownLimit) << "the program took " << took.count() << " ms to end";
    if (!situation.unplugged) {
        EXPECT_TRUE(apparatusAtRest()) << "the apparatus was left running or with the HV on";
    }
    // A scan that is only starting may have measured its first point by the time the window closes.
    EXPECT_TRUE(modifiedAtClose || !situation.measured);
    if (modifiedAtClose) {
        EXPECT_EQ(questions, QStringList{kLiveQuestion});
    } else {
        EXPECT_TRUE(questions.isEmpty()) << questions.join(QLatin1Char('|')).toStdString();
    }
    if (situation.answer == ui::Reply::Yes) {
        EXPECT_EQ(saveDialogs, 1);
        const records::LoadResult saved = records::loadRecordFile(savePath);
        ASSERT_TRUE(saved.record);
        EXPECT_GE(saved.record->ValidCellCount(), measuredBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Situations, CloseMatrix, ::testing::ValuesIn(situations()),
                         [](const ::testing::TestParamInfo<Situation>& info) { return info.param.name; });

} // namespace
