// Timing of a paced line, computed from given instants (no clock is read).
#include "line_pacer.h"

#include <gtest/gtest.h>

using namespace module_emulator;
using namespace std::chrono;

namespace {
const LinePacer::Clock::time_point t0 = LinePacer::Clock::time_point{} + hours(1);
const LineTiming k115200{115200, milliseconds(1)};
}  // namespace

TEST(LinePacer, ByteTimeIsTenBitTimesWithoutDrift) {
    EXPECT_EQ(k115200.timeFor(1), nanoseconds(86805));
    EXPECT_EQ(k115200.timeFor(115200), seconds(10));
    EXPECT_FALSE(LineTiming{}.paced());
}

TEST(LinePacer, ReceivedBytesQueueBehindTheOnesStillOnTheLine) {
    LinePacer pacer(k115200);
    const auto first = pacer.arrival(1027, t0);
    EXPECT_EQ(first, t0 + k115200.timeFor(1027));
    // Read while the first piece was still on the line: it follows that piece.
    EXPECT_EQ(pacer.arrival(1027, t0 + microseconds(10)), first + k115200.timeFor(1027));
    // After a pause the line starts again when the bytes were read.
    EXPECT_EQ(pacer.arrival(6, t0 + seconds(5)), t0 + seconds(5) + k115200.timeFor(6));
}

TEST(LinePacer, ReplyWaitsForLatencyThenItsOwnBytes) {
    LinePacer pacer(k115200);
    const auto done = pacer.replyDone(6, t0);
    EXPECT_EQ(done, t0 + milliseconds(1) + k115200.timeFor(6));
    // A reply asked for before the last one has left waits for the line.
    EXPECT_EQ(pacer.replyDone(6, t0), done + k115200.timeFor(6));
}
