#include "paced_input.h"

#include <algorithm>

namespace panel_emulator {

void PacedInput::add(std::vector<std::uint8_t> bytes, Clock::time_point readAt) {
    lineFree_ = std::max(readAt, lineFree_) + timing_.timeFor(bytes.size());
    inFlight_.push_back({lineFree_, std::move(bytes)});
}

std::optional<PacedInput::Clock::time_point> PacedInput::nextArrival() const {
    if (inFlight_.empty()) return std::nullopt;
    return inFlight_.front().arrived;
}

std::vector<PacedInput::Chunk> PacedInput::takeArrived(Clock::time_point now) {
    std::vector<Chunk> arrived;
    while (!inFlight_.empty() && inFlight_.front().arrived <= now) {
        arrived.push_back(std::move(inFlight_.front()));
        inFlight_.pop_front();
    }
    return arrived;
}

void PacedInput::clear() {
    inFlight_.clear();
    lineFree_ = {};
}

}  // namespace panel_emulator
