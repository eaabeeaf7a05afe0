// Replies waiting to go out on the line, each with the time it is due.
// Replies leave in the order they were made; a delayed reply holds back the
// ones after it, as a real panel that is busy would. schedule() is the one
// place that decides when a reply is due: it starts after the frame that
// asked for it has arrived, the reply latency and any injected delay, and is
// due once the line has clocked out all its bytes after those of the reply
// before it.
#pragma once

#include "arrival_clock.h"
#include "line_timing.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace panel_emulator {

using emulator_common::LineTiming;

class ReplyQueue {
public:
    using Clock = std::chrono::steady_clock;

    explicit ReplyQueue(LineTiming timing = {}) : timing_(timing), outgoingLine_(timing) {}

    // `askedAt` is when the frame that asked for the reply had arrived whole.
    void schedule(std::vector<std::uint8_t> bytes, std::chrono::milliseconds extraDelay, Clock::time_point askedAt);
    std::optional<Clock::time_point> nextDue() const;
    // The replies whose time has come, oldest first.
    std::vector<std::vector<std::uint8_t>> takeDue(Clock::time_point now);
    void clear();

private:
    struct Pending {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };
    LineTiming timing_;
    ArrivalClock outgoingLine_;
    std::deque<Pending> pending_;
};

}  // namespace panel_emulator
