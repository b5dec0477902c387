#include "mainwindow/tform11.h"

TForm11::TForm11(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Regions of interest"));
    setFixedSize(213, 209);
}
