// Replies waiting to go out on the line, each with the time it is due.
// Replies leave in the order they were made; a delayed reply holds back the
// ones after it, as a real panel that is busy would.
// Pacing the bytes at a baud rate, or adding a fixed reply latency, belongs
// in dueTime(): it is the one place that decides when a reply may leave.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace panel_emulator {

class ReplyQueue {
public:
    using Clock = std::chrono::steady_clock;

    void schedule(std::vector<std::uint8_t> bytes, std::chrono::milliseconds extraDelay);
    std::optional<Clock::time_point> nextDue() const;
    // The replies whose time has come, oldest first.
    std::vector<std::vector<std::uint8_t>> takeDue(Clock::time_point now);
    void clear() { pending_.clear(); }

private:
    Clock::time_point dueTime(std::chrono::milliseconds extraDelay) const;

    struct Pending {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Pending> pending_;
};

}  // namespace panel_emulator
