// The Move arm dialog: drives the goniometer arm to an angle set with spin buttons, and stops it.
// It has no button anywhere: the application's left Ctrl+M shortcut opens it.
#pragma once

#include "widgets/anglefield.h"

#include <QDialog>

class QLabel;
class SpeedButton;
class QPushButton;

class TForm12 : public QDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);

    QLabel* angl;              // destination angle, "%.2f "
    SpinButton* SpinButton3;   // 5.00 degree
    SpinButton* SpinButton2;   // 0.50 degree
    SpinButton* SpinButton1;   // 0.05 degree
    SpeedButton* SpeedButton1; // "Move to": down while a move is asked for or runs
    QPushButton* BitBtn1;      // close

    // Takes the arm's current angle (angle units, effective form) into the read-out.
    void showArmAngle(int armAngle);
    // Enables or disables the three spin buttons (not while the arm moves).
    void setSpinButtonsEnabled(bool enabled);
    // The thread's move has ended: "Move to" comes up without posting anything.
    void releaseMoveButton();
    // The link is lost: an open dialog ends with the cancel result.
    void closeCancelled();

    void SpeedButton1Click();
    void BitBtn1Click();

    // Every way of closing (close button, Escape, the lost link) leaves "Move to" up: the dialog
    // opens only while nothing moves, and a move never outlives the link it was asked for on.
    void done(int result) override;

protected:
    // Escape closes the way the close button does.
    void reject() override;
    // The dialog opens with "Move to" up.
    void showEvent(QShowEvent* event) override;

private:
    // (effectiveOffset + scanStart, effectiveOffset + scanEnd) in angle units.
    static std::pair<int, int> targetRange();
    static std::pair<int, int> hundredthsRange();
};
