#include "arrival_clock.h"

#include <algorithm>

namespace panel_emulator {

ArrivalClock::Clock::time_point ArrivalClock::arrival(std::size_t bytes, Clock::time_point sentAt) {
    lineFree_ = std::max(sentAt, lineFree_) + timing_.timeFor(bytes);
    return lineFree_;
}

}  // namespace panel_emulator
