// The regions-of-interest editor: its grid and checks come with the region editing feature.
#pragma once

#include <QDialog>

class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);
};
