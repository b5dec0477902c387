// The windows' end when the session ends them (logout, shutdown, `kill`, Ctrl+C in the terminal
// that started the program): no question can be asked then, so the live scan, when it is not
// saved, goes into the safety copy; then the program leaves its event loop, and the end of the
// acquisition thread sends the apparatus's shutdown sequence (HV to zero and off, the block, '!').
// The signals reach the event loop through their pipe (engine::SessionSignals).
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

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

private:
    void arrived();

    engine::TRS& thread_;
    std::function<void(int)> quit_;
    engine::SessionSignals& signals_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace project1
