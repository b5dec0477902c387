// The windows' end when the session ends them (logout, shutdown, `kill`, Ctrl+C in the terminal
// that started the program): no question can be asked then, so the live scan, when it is not
// saved, goes into the safety copy; then the program leaves its event loop, and the end of the
// acquisition thread sends the apparatus's shutdown sequence (HV to zero and off, the block, '!').
// A second signal hurries that end (the wait after the last byte is skipped) but keeps the safety
// copy and the shutdown sequence; a third within a second ends the program at once.
// The signals reach the event loop through their pipe (engine::SessionSignals).
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;
class QTextStream;

namespace engine {
class TRS;
class SessionSignals;
} // namespace engine

namespace project1 {

class SessionEnd : public QObject {
public:
    // `quit` ends the event loop with the exit status (128 + the signal's number).
    SessionEnd(engine::TRS& thread, std::function<void(int status)> quit);
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // The first signal that came (0: none yet).
    int signal() const;

    // After the event loop: ends the acquisition thread (its shutdown sequence) while the signals
    // are still read, so a second one is answered; after a signal the safety copy is then written
    // again with what came until the apparatus stopped. Returns the program's exit status: the
    // signal's when one came, else `status` (the event loop's).
    int endThread(int status);

private:
    void arrived();
    void keepUnsavedScan();
    // The live scan into the safety copy when it is not saved; the outcome is told as part of the
    // line `told` when given, else only a failure, on a line of its own.
    void writeUnsavedScan(QTextStream* told);

    engine::TRS& thread_;
    std::function<void(int)> quit_;
    engine::SessionSignals& signals_;
    QSocketNotifier* notifier_ = nullptr;
    bool hurried_ = false;
};

} // namespace project1
