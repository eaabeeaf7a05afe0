// Bytes the updater has written, held back until the line would have carried
// them: each byte takes its bit times after the one before it, so a chunk
// read at time t has arrived whole at max(t, end of the previous chunk) plus
// its own bytes' time. On an unpaced line every chunk has arrived at once.
#pragma once

#include "line_timing.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace panel_emulator {

class PacedInput {
public:
    using Clock = std::chrono::steady_clock;

    explicit PacedInput(LineTiming timing = {}) : timing_(timing) {}

    struct Chunk {
        Clock::time_point arrived;
        std::vector<std::uint8_t> bytes;
    };

    void add(std::vector<std::uint8_t> bytes, Clock::time_point readAt);
    std::optional<Clock::time_point> nextArrival() const;
    // The chunks that have arrived whole by `now`, oldest first.
    std::vector<Chunk> takeArrived(Clock::time_point now);
    void clear();

private:
    LineTiming timing_;
    std::deque<Chunk> inFlight_;
    Clock::time_point lineFree_{};
};

}  // namespace panel_emulator
