#include "line_pacer.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace module_emulator {

LinePacer::LinePacer(LineTiming timing) : timing_(timing) {
    // Byte times are a fraction of a millisecond: the kernel's default timer
    // slack of 50 us would stretch every paced wait by a good part of one.
    if (timing_.paced()) prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

LinePacer::Clock::time_point LinePacer::arrival(std::size_t bytes, Clock::time_point readAt) {
    receiveFree_ = std::max(readAt, receiveFree_) + timing_.timeFor(bytes);
    return receiveFree_;
}

LinePacer::Clock::time_point LinePacer::replyDone(std::size_t bytes, Clock::time_point askedAt) {
    sendFree_ = std::max(askedAt + timing_.replyLatency, sendFree_) + timing_.timeFor(bytes);
    return sendFree_;
}

// steady_clock is CLOCK_MONOTONIC on Linux, so its instants are absolute
// deadlines for clock_nanosleep.
void LinePacer::waitUntil(Clock::time_point deadline) {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    const timespec until{
        static_cast<time_t>(sinceEpoch / 1'000'000'000), static_cast<long>(sinceEpoch % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

}  // namespace module_emulator
