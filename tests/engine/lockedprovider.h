// The simulated apparatus behind a port the user may not open: found like the real one, but every
// open fails with the serial provider's explanation until the port is unlocked.
#pragma once

#include "simulator/simprovider.h"

#include <atomic>
#include <mutex>
#include <string>

namespace enginetest {

inline constexpr const char* kLockedPortProblem =
    "No permission for the port /dev/ttyUSB7. Install the zavo-driver package (its "
    "device rule gives the user at the computer access) or add this user to the dialout group: sudo "
    "adduser pupil dialout, then log out and in again.";

class LockedSimProvider : public sim::SimProvider {
public:
    using sim::SimProvider::SimProvider;

    std::atomic<bool> locked{true};

    ft::Status OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) override {
        std::lock_guard lock(mutex_);
        if (locked.load()) {
            failure_ = kLockedPortProblem;
            return ft::DEVICE_NOT_OPENED;
        }
        failure_.clear();
        return sim::SimProvider::OpenEx(arg1, flags, handle);
    }
    std::string openFailure() const override {
        std::lock_guard lock(mutex_);
        return failure_;
    }

private:
    mutable std::mutex mutex_;
    std::string failure_;
};

} // namespace enginetest
