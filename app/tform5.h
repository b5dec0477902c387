// The export progress window: a bar that the spreadsheet export sets up, advances and hides.
#pragma once

#include "widgets/progresswindow.h"

#include <QDialog>

class QProgressBar;

class TForm5 : public QDialog, public ProgressWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1;

    // Advances the bar by its step (1), up to its maximum.
    void stepIt();

    void begin(const QWidget* owner, int maximum) override;
    void step() override { stepIt(); }
    void end() override { hide(); }
    void placeAt(const QPoint& topLeft) override { move(topLeft); }
    void setPosition(int position) override;

private:
    int paintedPosition_ = 0;
};
