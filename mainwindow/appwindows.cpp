#include "mainwindow/appwindows.h"

#include "app/tform14.h"
#include "app/tform15.h"
#include "app/tform5.h"
#include "mainwindow/tform1.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"

TForm6::TForm6(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Print"));
    setFixedSize(386, 136);
}

TForm11::TForm11(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Regions of interest"));
    setFixedSize(213, 209);
}

AppWindows& appWindows() {
    static AppWindows windows;
    return windows;
}
