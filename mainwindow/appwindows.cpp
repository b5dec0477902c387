#include "appwindows.h"

#include "tform1.h"
#include "tform12.h"
#include "tform13.h"
#include "tform14.h"
#include "tform15.h"
#include "tform4.h"
#include "tform5.h"

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
