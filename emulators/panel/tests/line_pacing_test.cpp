// Timing of a paced line: when received bytes count as arrived and when
// replies may leave, computed from given instants (no clock is read).
#include "arrival_clock.h"
#include "reply_queue.h"

#include <gtest/gtest.h>

using namespace panel_emulator;
using namespace std::chrono;

namespace {

const steady_clock::time_point t0 = steady_clock::time_point{} + hours(1);
// 57600 baud, 8N1: 10 bits a byte.
const LineTiming k57600{57600, milliseconds(1)};
const nanoseconds kByte57600{173611};

std::vector<std::uint8_t> bytes(std::size_t n) { return std::vector<std::uint8_t>(n, 0x55); }

}  // namespace

TEST(LineTiming, ByteTimeIsTenBitTimes) {
    EXPECT_EQ(k57600.timeFor(1), kByte57600);
    // No drift over a long run: 57600 bytes take exactly 10 s.
    EXPECT_EQ(k57600.timeFor(57600), seconds(10));
    EXPECT_EQ(LineTiming{}.timeFor(1000), nanoseconds(0));
    EXPECT_FALSE(LineTiming{}.paced());
}

TEST(ArrivalClock, BytesArriveAfterTheirBitTimesAndQueueBehindTheOnesBefore) {
    ArrivalClock line(k57600);
    EXPECT_EQ(line.arrival(63, t0), t0 + k57600.timeFor(63));
    // Written while the first frame is still on the line: they follow it.
    EXPECT_EQ(line.arrival(2, t0 + microseconds(100)), t0 + k57600.timeFor(65));
    // An idle line starts the next bytes when they are written, not when the last ones ended.
    EXPECT_EQ(line.arrival(3, t0 + seconds(2)), t0 + seconds(2) + k57600.timeFor(3));
    // After a hang-up the next session's bytes do not queue behind the old ones.
    line.arrival(4096, t0 + seconds(3));
    line.clear();
    EXPECT_EQ(line.arrival(1, t0 + seconds(3)), t0 + seconds(3) + kByte57600);
}

TEST(ArrivalClock, UnpacedBytesHaveArrivedWhenRead) {
    ArrivalClock line;
    EXPECT_EQ(line.arrival(4096, t0), t0);
}

TEST(ReplyQueue, ReplyLeavesAfterLatencyAndItsOwnBytes) {
    ReplyQueue replies(k57600);
    replies.schedule(bytes(3), milliseconds(0), t0);
    EXPECT_EQ(*replies.nextDue(), t0 + milliseconds(1) + k57600.timeFor(3));
    // A second reply asked for at once waits for the line, not for a second latency on top.
    replies.schedule(bytes(7), milliseconds(0), t0);
    auto firstDue = t0 + milliseconds(1) + k57600.timeFor(3);
    auto due = replies.takeDue(firstDue);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(*replies.nextDue(), firstDue + k57600.timeFor(7));
}

TEST(ReplyQueue, InjectedDelayAddsToLatencyAndHoldsBackLaterReplies) {
    ReplyQueue replies(k57600);
    replies.schedule(bytes(3), milliseconds(50), t0);
    replies.schedule(bytes(3), milliseconds(0), t0 + milliseconds(2));
    auto delayedDue = t0 + milliseconds(51) + k57600.timeFor(3);
    EXPECT_EQ(*replies.nextDue(), delayedDue);
    EXPECT_EQ(replies.takeDue(delayedDue).size(), 1u);
    EXPECT_EQ(*replies.nextDue(), delayedDue + k57600.timeFor(3));
}

TEST(ReplyQueue, UnpacedReplyIsDueWhenAsked) {
    ReplyQueue replies;
    replies.schedule(bytes(3), milliseconds(0), t0);
    EXPECT_EQ(replies.takeDue(t0).size(), 1u);
    replies.clear();
    EXPECT_FALSE(replies.nextDue());
}
