#include "engine/uiexecutor.h"

namespace engine {

UiExecutor::UiExecutor() : uiThread_(std::this_thread::get_id()) {}

void UiExecutor::bindToCurrentThread() {
    std::lock_guard lock(mutex_);
    uiThread_ = std::this_thread::get_id();
}

bool UiExecutor::onUiThread() const {
    std::lock_guard lock(mutex_);
    return uiThread_ == std::this_thread::get_id();
}

bool UiExecutor::call(std::function<void()> routine) {
    if (onUiThread()) {
        if (closed())
            return false;
        routine();
        return true;
    }
    auto pending = std::make_shared<Pending>();
    pending->routine = std::move(routine);
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        queue_.push_back(pending);
        // The waker only schedules work (it must not call back into the executor); running it
        // under the lock means it can never run after setWaker() has removed it.
        if (waker_)
            waker_();
    }
    uiWait_.notify_all();
    std::unique_lock lock(mutex_);
    workerWait_.wait(lock, [&] { return pending->done || pending->cancelled; });
    return pending->done;
}

void UiExecutor::setWaker(std::function<void()> waker) {
    std::lock_guard lock(mutex_);
    waker_ = std::move(waker);
}

int UiExecutor::serve() {
    int ran = 0;
    for (;;) {
        std::shared_ptr<Pending> next;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                break;
            next = queue_.front();
            queue_.pop_front();
        }
        // The worker stays blocked in call() while the routine runs, so the routine may touch
        // the worker's state freely.
        next->routine();
        {
            std::lock_guard lock(mutex_);
            next->done = true;
            ++served_;
        }
        workerWait_.notify_all();
        ++ran;
    }
    return ran;
}

int UiExecutor::serveFor(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        uiWait_.wait_for(lock, timeout, [&] { return !queue_.empty() || interrupted_; });
        interrupted_ = false;
    }
    return serve();
}

void UiExecutor::interruptWait() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    uiWait_.notify_all();
}

void UiExecutor::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        for (auto& pending : queue_)
            pending->cancelled = true;
        queue_.clear();
    }
    workerWait_.notify_all();
    uiWait_.notify_all();
}

void UiExecutor::reopen() {
    std::lock_guard lock(mutex_);
    closed_ = false;
}

bool UiExecutor::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::uint64_t UiExecutor::served() const {
    std::lock_guard lock(mutex_);
    return served_;
}

} // namespace engine
