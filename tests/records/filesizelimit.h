// A disk that fills up, simulated: while `work` runs, every write past `bytes` in a file fails
// (the file-size limit, with its signal ignored so the write returns an error instead).
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <utility>

#include <gtest/gtest.h>

template <class Work>
auto withFileSizeLimit(rlim_t bytes, Work&& work) {
    struct rlimit saved {};
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    auto result = std::forward<Work>(work)();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return result;
}
