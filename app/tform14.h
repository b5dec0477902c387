// The waiting-for-data window of scalar mode: a borderless box with a progress bar that fills in
// the counting time and an "Abort" button. It closes only from outside: with ui::mrOk when the
// reading arrived, ui::mrAbort when the apparatus had none, ui::mrCancel when the link was lost.
#pragma once

#include "widgets/datawait.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TForm14 : public QDialog, public DataWait {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    explicit TForm14(QWidget* parent = nullptr);

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* Button1; // "Abort"
    QTimer* Timer1;

    // What "Abort" does: start-up has it ask the acquisition thread to abort the reading.
    std::function<void()> onAbort;

    int waitOver(const QWidget* owner, int ticks) override;
    void endWait(int result) override;

    // Centres the window over `owner` (halves rounded toward zero).
    void placeOver(const QWidget* owner);
    // One tick of the timer: the bar advances by one and stops at its maximum.
    void Timer1Timer();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Escape must not close it: only the three outside events do.
    void reject() override {}
};
