// The program with its windows: the application object, the windows created once each in a fixed
// order (main window, Setup, export progress, print, regions of interest, Move arm, scalar mode,
// waiting for data, support), the message loop, and the end.
#pragma once

#include "mainwindow/tform1.h"

#include <memory>

class TForm4;
class TForm5;
class TForm6;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;

namespace project1 {

inline constexpr const char* kApplicationTitle = "ZAVO DRIVER USB";

// The windows of one run. The main window owns the dialogs it centres itself over (regions of
// interest, Move arm, support); the others are owned here. Destruction ends the main window first,
// which stops the acquisition thread before any window it updates goes away.
class Windows {
public:
    explicit Windows(const Form1Options& options = {});
    ~Windows();
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    TForm1& main() const { return *form1_; }

private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm13> form13_;
    std::unique_ptr<TForm14> form14_;
};

// Runs the program with its windows; returns the exit status.
int run(int argc, char** argv);

} // namespace project1
