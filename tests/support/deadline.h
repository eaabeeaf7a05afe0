// A point in time on the monotonic clock by which a wait must end.
// Every wait in the test support takes one, so a test that goes wrong fails
// at a known bound instead of hanging.
#pragma once

#include <algorithm>
#include <chrono>

namespace test_support {

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(std::chrono::milliseconds budget) : start_(Clock::now()), end_(start_ + budget) {}

    bool expired() const { return Clock::now() >= end_; }

    std::chrono::milliseconds remaining() const {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now());
        return std::max(left, std::chrono::milliseconds(0));
    }

    // Remaining time as a poll(2) timeout, rounded up so a wait never ends early.
    int pollTimeout() const {
        auto left = end_ - Clock::now();
        if (left <= Clock::duration::zero()) return 0;
        auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return static_cast<int>(std::min<long long>(ms, 60'000));
    }

    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
    }

private:
    Clock::time_point start_;
    Clock::time_point end_;
};

}  // namespace test_support
