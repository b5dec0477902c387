// The export progress window: a bar that the spreadsheet export sets up, advances and hides.
#pragma once

#include <QDialog>

class QProgressBar;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1;

    // Advances the bar by its step (1), up to its maximum.
    void stepIt();
};
