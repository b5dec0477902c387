// The main window's life: creation, the wiring start-up gives it (the other windows and the
// acquisition thread), first display, closing (which hands the thread its shut-down request) and
// destruction.
#include "mainwindow/tform1.h"

#include "mainwindow/filedialogs.h"
#include "mainwindow/formupdates.h"
#include "mainwindow/keyfilter.h"
#include "mainwindow/plot/scanplot.h"
#include "scalar/tform13.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/datawait.h"
#include "widgets/steprules.h"

#include "engine/profilefile.h"
#include "engine/qtuiexecutor.h"
#include "engine/trs.h"
#include "records/trecdata.h"
#include "setup/tform12.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace {

constexpr QSize kDesignSize(1024, 720);

engine::ProfileFile settingsFile(const QString& path) {
    return engine::ProfileFile(path.isEmpty() ? engine::ProfileFile::defaultPath() : path);
}

} // namespace

TForm1::TForm1(const Form1Options& options, QWidget* parent)
    : QWidget(parent), settingsPath_(options.settingsPath) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QLatin1String(kTitle));
    QFont windowFont = font();
    windowFont.setPixelSize(11);
    setFont(windowFont);
    createBottomBar();
    createUpperArea();
    createEvaluationControls();
    connectHandlers();
    resize(kDesignSize);
    FormCreate(options);
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::FormCreate(const Form1Options& options) {
    aranges->item(0, 0)->setText(QStringLiteral("Start angle"));
    aranges->item(0, 1)->setText(QStringLiteral("End angle"));

    // Shown only: once connected, the thread replaces both with the apparatus's own settings.
    const engine::ProfileFile settings = settingsFile(settingsPath_);
    const int time = settings.readInt(QStringLiteral("scan"), QStringLiteral("time"), 1);
    sfrq->setText(QString::asprintf("%.1f ", time / 10.0));
    const int resolution = settings.readInt(QStringLiteral("scan"), QStringLiteral("res"), 0);
    st->setCurrentIndex(resolution >= 0 && resolution < st->count() ? resolution : 0);

    displayedRecord_ = nullptr;

    lista->setCurrentIndex(0);
    displayedEntry = 0;
    showRecord(nullptr);
    BitBtn2->setEnabled(false); // the live entry is selected
    for (SpeedButton* button : d)
        button->setEnabled(false); // no regions shown yet
    colourOffsetLabel();

    fitToOwnScreen();

    range->setCurrentIndex(0);

    if (options.installKeyFilter)
        shortcut_ = new MoveArmShortcut([this] { return openMoveArm(); }, this);
}

void TForm1::connectWindows(const PeerWindows& peers) {
    peers_ = peers;
}

void TForm1::connectThread(engine::TRS& thread, engine::QtUiExecutor& executor, FormUpdates& updates) {
    thread_ = &thread;
    executor_ = &executor;
    updates_ = &updates;
    thread_->rebuildLiveRecord();
    showRecord(nullptr);
    // Nothing may be posted to the apparatus before the thread reports a link.
    updateControlEnabling();
}

bool TForm1::openMoveArm() {
    TForm12* dialog = peers_.moveArm;
    if (!dialog || !thread_ || dialog->isVisible())
        return false;
    // Only with an apparatus to move: the link up, its controls enabled, nothing running.
    if (!thread_->linkReady.load() || !thread_->controlsEnabled.load() ||
        thread_->scanState.load() != engine::scanIdle)
        return false;
    dialog->showArmAngle(thread_->armAngle.load());
    dialog->exec();
    return true;
}

void TForm1::closeApparatusDialogs() {
    if (peers_.setup)
        peers_.setup->closeCancelled();
    if (peers_.moveArm)
        peers_.moveArm->closeCancelled();
    if (peers_.waiting)
        peers_.waiting->endWait(ui::mrCancel);
    if (peers_.scalar)
        peers_.scalar->closeCancelled();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    Panel3Resize();
    const bool hints =
        settingsFile(settingsPath_).readInt(QStringLiteral("Hints"), QStringLiteral("show"), 1) == 1;
    if (TForm4* setupDialog = peers_.setup)
        setupDialog->showHintsOption(hints);
    applyHints(hints);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!shutdownPosted_ && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (!shutdownPosted_) {
        // A dialog's own loop would keep the program alive after this window has gone.
        closeApparatusDialogs();
        showRecord(nullptr);
        if (thread_)
            thread_->requestShutDown();
        shutdownPosted_ = true;
        // The thread takes the request over inside a synchronised call, which only runs while this
        // thread serves them. The wait is bounded: while it aligns a scan start the thread takes no
        // requests, and the end of its run sends the shutdown sequence anyway.
        if (thread_ && executor_) {
            executor_->waitUntil([this] { return !thread_->pendingRequests.contains(engine::shutDown); },
                                 std::chrono::milliseconds(kShutdownWaitMs));
        }
    }
    event->accept();
}

void TForm1::FormDestroy() {
    if (shortcut_) {
        delete shortcut_;
        shortcut_ = nullptr;
    }
    engine::ProfileFile settings = settingsFile(settingsPath_);
    if (const std::optional<int> tenths = ui::readoutScaled(sfrq->text(), 10))
        settings.writeInt(QStringLiteral("scan"), QStringLiteral("time"), *tenths);
    settings.writeInt(QStringLiteral("scan"), QStringLiteral("res"), st->currentIndex());
    showRecord(nullptr);
    loadedRecords_.clear();
}
