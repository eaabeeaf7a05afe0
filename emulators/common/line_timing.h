// How fast an emulated serial line is: 10 bit times per byte (8N1) at the
// baud rate, and a fixed latency before each reply, as a USB serial adapter
// that hands over what it has gathered once per frame. A baud rate of 0 is
// an unpaced line: bytes take no time at all.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace emulator_common {

struct LineTiming {
    std::uint32_t baud = 0;
    std::chrono::milliseconds replyLatency{0};

    bool paced() const { return baud != 0 || replyLatency.count() != 0; }
    std::chrono::nanoseconds timeFor(std::size_t bytes) const {
        if (baud == 0) return std::chrono::nanoseconds(0);
        return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * 10'000'000'000LL / baud);
    }
};

}  // namespace emulator_common
