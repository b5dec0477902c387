// The ways a Linux session ends a program: Ctrl+C (SIGINT), logout or shutdown (SIGTERM, SIGHUP)
// and Ctrl+\ (SIGQUIT). Each is caught the async-signal-safe way: the handler only writes the
// signal's number into a pipe, which the program's own loop reads (the command line's serving loop,
// the window's event loop through a socket notifier) to stop, save and switch the apparatus off in
// order. Only a third signal within a second of the one before ends the program from the handler,
// at once, with a message: the user insists, and nothing measured is kept beyond the last safety
// copy. SIGPIPE is ignored from the first install on, so a closed standard output turns into failed
// writes instead of ending a scan or the program.
#pragma once

#include <QString>

namespace engine {

class SessionSignals {
public:
    // Installs the handlers (once for the process; later calls reuse them) and resets the count.
    static SessionSignals& install();
    // Gives the caught signals back their previous dispositions (SIGPIPE stays ignored).
    static void uninstall();

    // The pipe's reading end (non-blocking), for an event loop to watch.
    int readFd() const;
    // Reads what arrived since the last call; returns how many signals, the last one in *signal.
    int take(int* signal);
    // Signals taken since install(); the first one of them (0: none).
    int taken() const { return taken_; }
    int first() const { return first_; }

    // The exit status of a program ended by `signal` after it saved and shut down: 128 + the
    // signal's number, as the shell reports a program the signal ended (130 for Ctrl+C).
    static int exitStatus(int signal) { return 128 + signal; }
    // "Ctrl+C", "SIGTERM", "SIGHUP", "SIGQUIT".
    static const char* name(int signal);
    // What a second signal is answered with on standard error (one line): the end is hurried,
    // nothing measured is dropped and the HV still goes off.
    static QString hurryNotice(int signal);

private:
    SessionSignals() = default;
    int taken_ = 0;
    int first_ = 0;
};

} // namespace engine
