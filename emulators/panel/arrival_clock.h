// When bytes sent down one direction of the line have come out at the other
// end: each byte takes its bit times after the one before it, so bytes sent
// at t have arrived whole at max(t, end of the bytes before them) plus their
// own time. On an unpaced line bytes arrive when they are sent. The emulator
// keeps one clock for each direction: the updater's frames (dated when read)
// and its own replies. It handles a frame as soon as it reads it and only
// dates the reply from the frame's arrival, so a paced exchange costs it a
// single timed wake-up, the one for the reply.
#pragma once

#include "line_timing.h"

#include <chrono>
#include <cstddef>

namespace panel_emulator {

using emulator_common::LineTiming;

class ArrivalClock {
public:
    using Clock = std::chrono::steady_clock;

    explicit ArrivalClock(LineTiming timing = {}) : timing_(timing) {}

    Clock::time_point arrival(std::size_t bytes, Clock::time_point sentAt);
    // A closed line carries nothing over to the next session.
    void clear() { lineFree_ = {}; }

private:
    LineTiming timing_;
    Clock::time_point lineFree_{};
};

}  // namespace panel_emulator
