// Times the module's serial line at a baud rate: 10 bit times per byte (8N1)
// each way, and a fixed latency before each reply, as a USB serial adapter
// that hands over what it has gathered once per frame. Received bytes count
// as arrived only once the line has carried them; a reply leaves whole once
// the line has clocked out its last byte. Waits are absolute deadlines on the
// monotonic clock, so the pacing never drifts. A baud rate of 0 and no
// latency is an unpaced line, on which nothing waits.
#pragma once

#include <chrono>
#include <cstddef>

#include "line_timing.h"

namespace module_emulator {

using emulator_common::LineTiming;

class LinePacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit LinePacer(LineTiming timing);

    bool paced() const { return timing_.paced(); }
    // When `bytes` read at `readAt` have all come down the line, after
    // whatever was still on it.
    Clock::time_point arrival(std::size_t bytes, Clock::time_point readAt);
    // When a reply of `bytes` asked for at `askedAt` has been clocked out.
    Clock::time_point replyDone(std::size_t bytes, Clock::time_point askedAt);

    static void waitUntil(Clock::time_point deadline);

private:
    LineTiming timing_;
    Clock::time_point receiveFree_{};
    Clock::time_point sendFree_{};
};

}  // namespace module_emulator
