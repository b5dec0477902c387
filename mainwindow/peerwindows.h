// The other windows the main window and the acquisition thread's routines change. Each is reached
// through small named functions of its own, never through its controls. Start-up fills this in
// once every window exists (TForm1::connectWindows); an empty entry is skipped.
#pragma once

#include <QPointer>

#include <functional>

class DataWait;
class ProgressWindow;
class TForm4;
class TForm6;
class TForm11;
class TForm12;
class TForm13;

struct PeerWindows {
    QPointer<TForm4> setup;                   // Setup dialog
    QPointer<TForm6> print;                   // print dialog
    QPointer<TForm11> regions;                // regions-of-interest editor
    QPointer<TForm12> moveArm;                // Move arm dialog
    QPointer<TForm13> scalar;                 // scalar-mode window
    DataWait* waiting = nullptr;              // waiting-for-data window
    ProgressWindow* exportProgress = nullptr; // export progress window
    std::function<void()> showSupport;        // opens the support window modally
};
