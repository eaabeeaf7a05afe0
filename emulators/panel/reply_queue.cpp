#include "reply_queue.h"

#include <algorithm>

namespace panel_emulator {

ReplyQueue::Clock::time_point ReplyQueue::dueTime(std::chrono::milliseconds extraDelay) const {
    Clock::time_point due = Clock::now() + extraDelay;
    if (!pending_.empty()) due = std::max(due, pending_.back().due);
    return due;
}

void ReplyQueue::schedule(std::vector<std::uint8_t> bytes, std::chrono::milliseconds extraDelay) {
    pending_.push_back({dueTime(extraDelay), std::move(bytes)});
}

std::optional<ReplyQueue::Clock::time_point> ReplyQueue::nextDue() const {
    if (pending_.empty()) return std::nullopt;
    return pending_.front().due;
}

std::vector<std::vector<std::uint8_t>> ReplyQueue::takeDue(Clock::time_point now) {
    std::vector<std::vector<std::uint8_t>> due;
    while (!pending_.empty() && pending_.front().due <= now) {
        due.push_back(std::move(pending_.front().bytes));
        pending_.pop_front();
    }
    return due;
}

}  // namespace panel_emulator
