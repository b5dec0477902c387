// Serves the simulated apparatus on a pseudo-terminal, so that the serial-port path of the program
// can be used and tested end to end. The terminal is in raw mode. The server keeps the master side
// open for its whole life; a client may open, close and reopen the terminal (the serial provider's
// reconnect): while no client has it open nothing is written to it, and a client that opens it finds
// a clean line (output and half-received commands of before are dropped).
//
// Unplugging the apparatus closes the terminal, so a client's reads and writes fail and the path
// vanishes, as a USB serial adapter's does; replugging creates a new terminal. A stable name for
// it is a symbolic link kept at a path of choice (as udev's by-id names are for real adapters).
#pragma once

#include "simulator/apparatus.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace sim {

class PtyServer {
public:
    explicit PtyServer(std::shared_ptr<Apparatus> apparatus);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Keeps a symbolic link at `path` to the current terminal (call before open()).
    void setLinkPath(std::string path) { linkPath_ = std::move(path); }
    // Called with the terminal's path whenever a terminal has been created after a replug.
    void setReopenedHandler(std::function<void(const std::string&)> handler) {
        reopened_ = std::move(handler);
    }
    // Creates the terminal; false with a reason in *error when the system refuses.
    bool open(std::string* error);
    // Path of the terminal clients open (e.g. /dev/pts/3).
    const std::string& path() const { return path_; }
    // Serves until `stop` becomes true; checks it at least every 50 ms and after every signal.
    void run(const std::atomic<bool>& stop);
    bool clientAttached() const { return attached_.load(); }

private:
    void detach();
    void closeTerminal();
    bool followPlug(); // true while a terminal is there to serve
    void attach();
    void readInput();
    void writeOutput();

    std::shared_ptr<Apparatus> apparatus_;
    int master_ = -1;
    std::string path_;
    std::string linkPath_;
    std::function<void(const std::string&)> reopened_;
    std::atomic<bool> attached_{false};
    std::string pending_; // bytes taken from the apparatus, not yet written to the terminal
};

} // namespace sim
