#include "mainwindow/tform6.h"

TForm6::TForm6(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Print"));
    setFixedSize(386, 136);
}
