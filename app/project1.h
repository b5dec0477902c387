// The program with its parts: the application object titled "ZAVO DRIVER USB", the windows created
// once each in a fixed order (main window, Setup, export progress, print, regions of interest, Move
// arm, scalar mode, waiting for data, support), the acquisition thread and the executor that
// serves its calls on this thread, the wiring between them, the message loop, and the end.
#pragma once

#include "mainwindow/tform1.h"

#include <QString>

#include <memory>

class FormUpdates;
class TForm4;
class TForm5;
class TForm6;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;

namespace engine {
class Clock;
class QtUiExecutor;
class Sleeper;
class TRS;
} // namespace engine

namespace project1 {

// How the parts are built; the defaults are those of the program.
struct Options {
    QString settingsPath;                 // rtg.ini; empty: the program's settings file
    QString safetyCopyDir;                // empty: the thread's default place
    const engine::Clock* clock = nullptr; // null: the wall clock
    engine::Sleeper* sleeper = nullptr;   // null: real-time pauses
    bool installKeyFilter = true;         // the application-wide Ctrl+M shortcut
};

// Titles the application ("ZAVO DRIVER USB"); the first step of the program's start.
void titleApplication();

// The parts of one run. The main window owns the dialogs it centres itself over (regions of
// interest, Move arm, support); the others are owned here. Destruction stops the acquisition
// thread before any window it updates goes away, then ends the main window first.
class Windows {
public:
    explicit Windows(const Options& options = {});
    ~Windows();
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    TForm1& main() const { return *form1_; }
    TForm4& setup() const { return *form4_; }
    TForm5& exportProgress() const { return *form5_; }
    TForm6& print() const { return *form6_; }
    TForm11& regions() const { return *form11_; }
    TForm12& moveArm() const { return *form12_; }
    TForm13& scalar() const { return *form13_; }
    TForm14& waiting() const { return *form14_; }
    TForm15& support() const { return *form15_; }
    engine::TRS& thread() const { return *thread_; }
    engine::QtUiExecutor& executor() const { return *executor_; }

private:
    void createWindows(const Options& options);
    void wireWindows();
    void startThread(const Options& options);

    std::unique_ptr<engine::QtUiExecutor> executor_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm6> form6_;
    TForm11* form11_ = nullptr; // owned by the main window
    TForm12* form12_ = nullptr; // owned by the main window
    std::unique_ptr<TForm13> form13_;
    std::unique_ptr<TForm14> form14_;
    TForm15* form15_ = nullptr; // owned by the main window
    std::unique_ptr<FormUpdates> updates_;
    std::unique_ptr<engine::TRS> thread_;
};

// Runs the program with its windows; returns the exit status.
int run(int argc, char** argv);

} // namespace project1
