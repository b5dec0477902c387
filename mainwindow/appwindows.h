// The program's windows. Each is created once at start-up, in a fixed order, and lives until the
// program ends; the main window and the acquisition thread's routines find the others here. An
// entry is null before its window exists and again after it is gone.
#pragma once

#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"

#include <QPointer>

class TForm1;
class TForm4;
class TForm5;
class TForm12;
class TForm13;
class TForm14;
class TForm15;

struct AppWindows {
    QPointer<TForm1> form1;
    QPointer<TForm4> form4;
    QPointer<TForm5> form5;
    QPointer<TForm6> form6;
    QPointer<TForm11> form11;
    QPointer<TForm12> form12;
    QPointer<TForm13> form13;
    QPointer<TForm14> form14;
    QPointer<TForm15> form15;
};

AppWindows& appWindows();
