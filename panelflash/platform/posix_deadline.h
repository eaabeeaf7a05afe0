// A point on the monotonic clock by which a wait must end, for the POSIX
// backend's polls: wall-clock changes never stretch or cut a wait short.
#pragma once

#include <chrono>
#include <cstdint>

struct PosixDeadline {
    std::chrono::steady_clock::time_point end;
};

inline PosixDeadline deadlineAfter(uint32_t budgetMs) {
    return PosixDeadline{std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs)};
}

// Time left as a poll(2) time-out, rounded up so a wait never ends early.
inline int deadlineRemainingMs(const PosixDeadline& deadline) {
    auto left = deadline.end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}
