// Synchronised calls: the acquisition thread hands a routine to the user-interface thread and
// waits until it has run there.
//
// The user-interface side serves the calls: a GUI through its event loop (QtUiExecutor arranges
// that), a headless program by calling serve() or serveFor() from its own loop. Closing the
// executor (done when the worker is told to terminate) makes every later call return at once
// without running, and drops a call that is still waiting to be served, so a user-interface thread
// that waits for the worker to end can never deadlock against a call it no longer serves.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace engine {

class UiExecutor {
public:
    // The thread that constructs the executor is taken as the user-interface thread.
    UiExecutor();
    UiExecutor(const UiExecutor&) = delete;
    UiExecutor& operator=(const UiExecutor&) = delete;

    // Makes the calling thread the user-interface thread.
    void bindToCurrentThread();
    bool onUiThread() const;

    // Worker side. Runs `routine` on the user-interface thread and returns once it has run
    // (true). Returns false without running it when the executor is closed or gets closed
    // while the call waits. Called on the user-interface thread itself, it runs the routine
    // at once.
    bool call(std::function<void()> routine);

    // Invoked on the calling (worker) thread whenever a call starts waiting; a GUI uses it to
    // schedule serve() on its event loop. It must only schedule: it runs under the executor's
    // lock.
    void setWaker(std::function<void()> waker);

    // User-interface side: runs every call that is waiting now; returns how many ran.
    int serve();
    // Waits up to `timeout` for a call and serves what is waiting; returns how many ran.
    int serveFor(std::chrono::milliseconds timeout);
    // Wakes a serveFor() that is waiting.
    void interruptWait();

    // Refuses further calls and drops the waiting ones; their callers return false.
    void close();
    // Accepts calls again (a new worker run).
    void reopen();
    bool closed() const;

    // Calls served since construction.
    std::uint64_t served() const;

private:
    struct Pending {
        std::function<void()> routine;
        bool done = false;
        bool cancelled = false;
    };

    mutable std::mutex mutex_;
    std::condition_variable workerWait_;
    std::condition_variable uiWait_;
    std::deque<std::shared_ptr<Pending>> queue_;
    std::function<void()> waker_;
    std::thread::id uiThread_;
    bool closed_ = false;
    bool interrupted_ = false;
    std::uint64_t served_ = 0;
};

} // namespace engine
