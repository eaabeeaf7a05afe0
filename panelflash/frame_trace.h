// The console trace of a sent frame: a few of its bytes in hexadecimal, then
// "-- ", formatted in one piece so that it goes out as one message.
#pragma once

#include <cstdint>

constexpr uint32_t kMaxTracedBytes = 5;

struct FrameTrace {
    char text[kMaxTracedBytes * 3 + sizeof "-- "];
};

// "%02X " for each of the first `count` bytes (at most kMaxTracedBytes), then "-- ".
void formatFrameTrace(const uint8_t* bytes, uint32_t count, FrameTrace& trace);
