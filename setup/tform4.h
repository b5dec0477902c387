// The Setup dialog: arm calibration (offset from a known peak, arm position, coarse calibration,
// physical arm range), the detector high-voltage limit, automatic coarse calibration before scans
// and the tool-tip hints. It never talks to the apparatus: every action posts a request to the
// acquisition thread.
#pragma once

#include "widgets/anglefield.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class SpinButton;
class trecdata;

// What the dialog needs from the other windows; set once the windows exist.
struct SetupHooks {
    // "Set offset" / "Discard offset" gave the displayed record this offset (angle units).
    std::function<void(int offset)> offsetApplied;
    // The detector voltage the main window shows (volts), when it can be read.
    std::function<std::optional<int>()> shownDetectorVolts;
    // A lowered limit cuts the detector voltage: the read-outs show `volts`.
    std::function<void(int volts)> showDetectorVolts;
    // The "Show hints" option changed.
    std::function<void(bool shown)> applyHints;
    // "Evaluation": the evaluation settings dialog.
    std::function<void()> editEvaluation;
};

// The arm position (displayed angle units) of the highest averaged value among the record's valid
// points, the first one on ties; empty when the record holds no valid point.
std::optional<int> peakPosition(const trecdata& record);

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    // Writes "Hints"/"show" into the settings file given with setSettingsPath().
    ~TForm4() override;

    SetupHooks hooks;
    void setSettingsPath(const QString& path) { settingsPath_ = path; }

    QLabel* peakat;
    QLabel* peakpos;
    QLabel* Newarmpos;
    QLabel* loangl;
    QLabel* hiangl;
    QLabel* HVctrl; // HV limit, volts and a blank
    SpinButton* SpinButton1;
    SpinButton* SpinButton2;
    SpinButton* SpinButton3;
    SpinButton* SpinButton4;
    SpinButton* SpinButton5;
    SpinButton* SpinButton6;
    SpinButton* SpinButton7;
    SpinButton* SpinButton8;
    SpinButton* SpinButton9;
    SpinButton* SpinButton10;
    SpinButton* SpinButton11;
    SpinButton* SpinButton12;
    SpinButton* SpinButton13; // HV limit 5 V
    SpinButton* SpinButton14; // HV limit 50 V
    SpinButton* SpinButton15;
    SpinButton* SpinButton16;
    SpinButton* SpinButton17;
    QPushButton* BitBtn1;    // close
    QPushButton* BitBtn2;    // "Discard offset"
    QPushButton* BitBtn3;    // "Set arm pos."
    QPushButton* BitBtn4;    // "Set offset"
    QPushButton* BitBtn5;    // "Set phys. arm rng."
    QPushButton* BitBtn9;    // "Coarse angle calibration"
    QPushButton* evaluation; // "Evaluation..."
    QCheckBox* hvlon;
    QCheckBox* shints;
    QCheckBox* acoarses;

    // Fills the opening read-outs from the record shown in the main window (or none) and the
    // acquisition thread's state.
    void prepare(const trecdata* displayed);

    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn9Click();
    void hvlonClick();
    void shintsClick();
    void acoarsesClick();
    // ---- What the main window and the acquisition thread's routines change ----
    // The apparatus's HV limit (volts / 5) and its switch.
    void showHvLimit(int limit, bool enabled);
    // The "Show hints" option as the settings file has it (applied by its click handler).
    void showHintsOption(bool shown);
    // The link is lost: an open dialog ends with the cancel result.
    void closeCancelled();

    // Shared by the two HV limit spin buttons (steps 50 and 5 V).
    void SpinButton14Click(int step, bool up);

private:
    void postOffset(int offset);
    void lowerDetectorHv(int limitVolts);
    std::optional<int> limitVolts() const;

    QString settingsPath_;
};
