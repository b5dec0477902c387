// The main window: the console for angular scans. It shows the live read-outs of the apparatus,
// starts, pauses and stops scans, switches the detector high voltage and the loudspeaker, moves the
// goniometer arm, sets the counting time, detector voltage, angular step and vertical range, and
// lists the live scan and the records loaded from files, one of which the scan plot displays.
//
// The window never talks to the apparatus: it posts requests to the acquisition thread that
// start-up hands it, and the thread changes the windows through FormUpdates (synchronised calls run
// on this thread). Other windows are reached through PeerWindows, also set by start-up.
#pragma once

#include "analysis/evaloptions.h"
#include "engine/requests.h"
#include "mainwindow/consolerules.h"
#include "mainwindow/peerwindows.h"
#include "mainwindow/plot/printpage.h"
#include "records/fileflows.h"

#include "version.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class EvalResultsWindow;
class EvalSettingsDialog;
class FileDialogs;
class FormUpdates;
class MoveArmShortcut;
class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class ProgressWindow;
class ScanPlot;
class SpeedButton;
class SpinButton;
class trecdata;

namespace analysis {
struct SpectrumResult;
}

namespace engine {
class QtUiExecutor;
class TRS;
} // namespace engine

// The window's own options; the defaults are those of the program.
struct Form1Options {
    QString settingsPath;         // rtg.ini; empty: the program's settings file
    bool installKeyFilter = true; // the application-wide Ctrl+M shortcut
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = zavo::kMainWindowTitle;
    static constexpr int kBottomBarHeight = 37;
    static constexpr int kMargin = 16;              // left and right margin of the plot panel
    static constexpr int kSettingsStripWidth = 520; // `Bevel1`: the settings strip's width
    static constexpr int kShutdownWaitMs = 600;     // closing waits this long for the thread to take shutDown

    explicit TForm1(const Form1Options& options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- Bottom bar (`Panel2`) ----
    QFrame* Panel2;
    SpeedButton* rec;
    SpeedButton* _pause;
    SpeedButton* _stop;
    SpeedButton* ssleft;
    SpeedButton* sleft;
    SpeedButton* sright;
    SpeedButton* ssright;
    SpeedButton* HV;
    SpeedButton* speaker;
    QPushButton* BitBtn3;      // "Reset"
    QPushButton* smode;        // "SM"
    QPushButton* BitBtn4;      // "Save"
    QPushButton* BitBtn5;      // "Load"
    QPushButton* BitBtn2;      // "Close"
    SpeedButton* SpeedButton2; // print
    QPushButton* setup;        // "Setup"
    QPushButton* BitBtn7;      // "Exit"

    // ---- Upper area (`Panel3`) ----
    QFrame* Panel3;
    QLabel* CV;
    QLabel* CA;
    QLabel* CI;
    QLabel* CHV;
    QLabel* scanstate;
    std::array<QLabel*, 6> readoutLabels{}; // "Intensity:" ... "Data:"
    SpeedButton* offseton;
    QLabel* Label10;           // "Offset Enabled"
    SpeedButton* SpeedButton3; // support window
    QFrame* Panel1;
    ScanPlot* plot;
    QLabel* viewRecordLabel; // "View record"
    QComboBox* lista;
    QToolButton* overlays; // a menu with a check per entry: laid over the displayed record
    QToolButton* ratio;    // a menu of entries: the transmission of the displayed record over one
    QLabel* commentLabel;  // "Comment"
    QPlainTextEdit* comment;
    QFrame* Panel5;
    QLabel* regionsLabel; // "Regions of interest"
    QPushButton* rngbutton;
    SpeedButton* dall;
    std::array<SpeedButton*, 5> d{}; // d1..d5
    QTableWidget* aranges;
    QPushButton* evaluate;           // "Evaluate"
    QPushButton* evalSettingsButton; // "Evaluation settings"
    EvalSettingsDialog* evalSettings;
    EvalResultsWindow* evalResults;

    // ---- Settings strip (`Panel4`) ----
    QLabel* sfrq;
    SpinButton* SpinButton1; // 0.1 s
    SpinButton* SpinButton2; // 1 s
    SpinButton* SpinButton3; // 10 s
    QComboBox* st;
    QLabel* tl;
    QComboBox* range;
    QLabel* HVctrl;
    SpinButton* SpinButton4; // 5 V
    SpinButton* SpinButton5; // 50 V

    // ---- Window state ----
    int displayedEntry = 0;
    bool commentLoading = false;
    bool scanActive = false;
    bool holdDown = false;
    bool holdUp = false;

    trecdata* displayedRecord() const { return displayedRecord_; }
    engine::TRS* thread() const { return thread_; }
    engine::QtUiExecutor& executor() const { return *executor_; }
    const QString& settingsPath() const { return settingsPath_; }
    const PeerWindows& peers() const { return peers_; }

    // ---- Wiring by start-up ----
    // The other windows this one changes.
    void connectWindows(const PeerWindows& peers);
    // The acquisition thread (running), the executor that serves its synchronised calls and the
    // routines through which it updates the windows. The window asks for a fresh live record and
    // enables its controls as the thread's state says. Start-up stops the thread before the
    // window goes.
    void connectThread(engine::TRS& thread, engine::QtUiExecutor& executor, FormUpdates& updates);

    // ---- Operations for other windows and the thread's routines ----
    void showRecord(trecdata* record);
    void selectRegionButton(int n);
    int selectedRegionButton() const;
    void rangeChange(bool byUser);
    void updateControlEnabling();
    // Fills `aranges` from a record's regions and enables d1..d5 for the regions it has.
    void fillRegionGrid(const trecdata& record);
    // Adds a record loaded from a file as a new entry of `lista` (the window owns it from now on).
    int addLoadedRecord(std::unique_ptr<trecdata> record, const QString& label);
    trecdata* entryRecord(int entry) const;
    // A share in a record of the list (the live one or a loaded one), for code that keeps it across
    // an event loop of its own: the thread may replace the live record while a dialog is open, and
    // the record the dialog works on must outlive that. A record the window does not own is
    // returned without a share.
    std::shared_ptr<trecdata> holdRecord(trecdata* record) const;
    // ---- Comparing records (tform1_compare.cpp) ----
    // Whether entry `entry` is laid over the displayed record; changing it repaints the plot.
    bool overlayShown(int entry) const;
    void setOverlayShown(int entry, bool shown);
    // Hands the plot the records laid over the displayed one, from the list's checks.
    void refreshOverlays();
    // The live record is about to be freed: it is laid over nothing any more.
    void releaseLiveOverlay();
    // The transmission of the displayed record over entry `secondEntry` as a new entry, displayed;
    // its index, or -1 after a message when the two cannot form one.
    int addTransmission(int secondEntry);
    // The detector voltage shown in `HVctrl`, in volts.
    std::optional<int> shownDetectorVolts() const;
    // A lowered HV limit cut the detector voltage: the HV read-outs show it (this window's only
    // while it shows the live scan).
    void showLoweredDetectorVolts(int volts);
    // The status line (tform1_status.cpp): the scan status as the thread reports it, or a note
    // laid over it (a settings file that cannot be written) that stays until the scan status says
    // something new. A text longer than the field is cut with an ellipsis; the tooltip then holds
    // the whole text.
    void showScanStatus(const QString& status);
    void showStatusNote(const QString& note);
    // The Setup dialog gave the displayed record a new offset.
    void applyRecordOffset(int offset);
    // Shows or hides the tool-tip hints of this window.
    void applyHints(bool shown);
    // Fits the window to a screen area (taller or wider windows shrink and are centred).
    void fitToScreen(const QRect& screen);
    // Fits the window to the available area of its screen at start-up, with room for a title bar
    // the window does not have yet.
    void fitToOwnScreen();
    // The smallest size at which every control is visible and none overlaps another.
    QSize smallestSize() const;
    // Left Ctrl+M: opens the Move arm dialog with the arm's angle when the thread is idle and the
    // dialog is not open yet. True when it opened.
    bool openMoveArm();
    // Ends the modal runs of the windows that act on the apparatus, with the cancel result: the
    // waiting window, the scalar-mode window, Setup and Move arm. On loss of the link, and when
    // this window closes (the program ends only once no window runs a loop of its own).
    void closeApparatusDialogs();

    // ---- Evaluation (tform1_evaluation.cpp) ----
    // The evaluation settings dialog; true when its options were kept.
    bool editEvaluationSettings();
    // The settings the evaluation and the Bragg read-out start from (a record's comment wins).
    const analysis::EvalOptions& evaluationDefaults() const;
    // "Evaluate": the displayed record (a copy of it as it is now) is evaluated off this thread;
    // when done, its peaks are labelled on the plot and the results window shows the table.
    void evaluateClick();
    // The displayed record's evaluation is done and shown (none while one runs or without a record).
    bool evaluationPending() const { return pendingEvaluation_.record != nullptr; }
    // The evaluation kept for a record (null when it has none).
    std::shared_ptr<const analysis::SpectrumResult> evaluationOf(const trecdata* record) const;
    // A record goes (closed, or the live record replaced by a new scan): its evaluation goes too.
    void forgetEvaluation(const trecdata* record);
    // The page's lines and marks for a record: now, its file, its settings; the labelled peaks and
    // the results table when it was evaluated.
    printing::PageText printedPage(const trecdata& record) const;

    // ---- Handlers ----
    void recClick();
    void _pauseClick();
    void _stopClick();
    void HVClick();
    void speakerClick();
    void sleftClick();
    void srightClick();
    void ssleftMouseDown();
    void ssleftMouseUp();
    void ssrightMouseDown();
    void ssrightMouseUp();
    void SpinButton3Click(int step, bool up); // counting time, shared by SpinButton1..3
    void SpinButton5Click(int step, bool up); // detector voltage, shared by SpinButton4..5
    void stChange();
    void listaChange();
    void commentChange();
    void offsetonClick();
    void smodeClick();
    void setupClick();
    void SpeedButton3Click();
    void d1Click();
    // "Edit ROI": the region editor on the displayed record; after Apply the view shows "All" and the
    // live record's regions go to the thread (tform1_regions.cpp, with the print button).
    void rngbuttonClick();
    // The print button: the print dialog, then one page of the displayed record as the screen shows it.
    void SpeedButton2Click();
    void Panel2Resize();
    void Panel3Resize();

    // ---- Record file flows (tform1_fileflows.cpp) ----
    // Saves a record through the save dialog (record file, text or workbook; the record file alone
    // with recordOnly). False only when a record file or text file could not be written; true
    // without a record, when cancelled, and for a workbook (which reports its own failure).
    bool saveRecord(trecdata* record, bool recordOnly);
    void BitBtn4Click(); // "Save"
    void BitBtn5Click(); // "Load"
    void BitBtn2Click(); // "Close"
    void BitBtn3Click(); // "Reset"
    // Asks about every modified record; true when the window may close.
    bool FormCloseQuery();
    // The user switched the save dialog to type n (from 1): the extension a bare name gets.
    QString SaveDialog1TypeChange(int type);
    // Loads one record file as a new entry of `lista` and displays it; false (after a message)
    // when it is not a record file or cannot be read.
    bool loadRecordEntry(const QString& path);
    // The file dialogs of the flows (the program's own unless a test sets others).
    void setFileDialogs(std::unique_ptr<FileDialogs> dialogs);

    // Closing: the thread is asked to shut down (see closeEvent). True once it was.
    bool shutdownPosted() const { return shutdownPosted_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction of the controls (tform1_controls.cpp).
    void createBottomBar();
    void createUpperArea();
    void createSettingsStrip();
    void createRegionPanel();
    void createEvaluationControls();
    // The plot's labels and the results window for the record now displayed.
    void showEvaluationOf(const trecdata* record);
    void connectHandlers();
    void createCompareButtons();
    void fillOverlayMenu();
    void fillRatioMenu();

    // FormCreate steps (tform1_lifecycle.cpp).
    void FormCreate(const Form1Options& options);
    void FormShow();
    void FormDestroy();

    void colourOffsetLabel();
    console::BarWidths barWidths() const;
    // The counting time and detector voltage as a spin button or a typed value sets them: shown and
    // posted to the thread.
    void applyCountingTime(int tenths);
    void applyDetectorVolts(int volts);
    std::optional<int> detectorVoltLimit() const; // volts, while the HV limit is switched on
    void makeSettingsTypeable();
    void repaintPlot();
    // The arm as the arm buttons see it (angle units), when the thread exists.
    std::optional<console::Arm> armState() const;
    // Posts a move to the target a rule gives, unless it refuses.
    void moveArmBy(std::optional<int> (*rule)(const console::Arm&));
    // The end of a continuous move: a stop unless the arm stands at the limit; the button is
    // disabled until the thread's next status update.
    void endHold(bool (*stops)(const console::Arm&), SpeedButton* button);

    // Record file flows (tform1_fileflows.cpp).
    records::SaveOutcome saveRecordAs(trecdata& record, bool recordOnly);
    void exportWorkbook(const trecdata& record, const QString& path);
    FileDialogs& fileDialogs();
    // Removes entry `entry` (1..) from `lista` and hands its record over.
    std::shared_ptr<trecdata> takeLoadedRecord(int entry);

    QString settingsPath_;
    QString scanStatus_;      // the last scan status the thread reported
    QString statusNote_;      // shown over it while not empty
    QString statusUnderNote_; // the scan status the note was laid over
    trecdata* displayedRecord_ = nullptr;
    std::vector<std::shared_ptr<trecdata>> loadedRecords_; // entries 1.. of `lista`
    PeerWindows peers_;
    engine::QtUiExecutor* executor_ = nullptr;
    FormUpdates* updates_ = nullptr;
    engine::TRS* thread_ = nullptr;
    MoveArmShortcut* shortcut_ = nullptr;
    bool shown_ = false;
    bool shutdownPosted_ = false;
    std::unique_ptr<FileDialogs> fileDialogs_;
    std::vector<records::FileType> saveTypes_; // of the save dialog that is open
    struct PendingEvaluation {
        const trecdata* record = nullptr;
        unsigned ticket = 0;
    };
    PendingEvaluation pendingEvaluation_;
    unsigned evaluationTickets_ = 0;
    std::map<const trecdata*, std::shared_ptr<const analysis::SpectrumResult>> evaluations_;
};
