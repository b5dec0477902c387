// The support window: who to contact for help, where the guide is (with a button that opens
// it), and an OK button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TForm15 : public QDialog {
    Q_OBJECT
public:
    explicit TForm15(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* GuideButton; // "Open the guide"
    QPushButton* BitBtn1;     // OK
};
