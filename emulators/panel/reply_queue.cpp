#include "reply_queue.h"

#include <algorithm>

namespace panel_emulator {

ReplyQueue::Clock::time_point ReplyQueue::dueTime(std::size_t length, std::chrono::milliseconds extraDelay,
                                                  Clock::time_point askedAt) const {
    Clock::time_point start = std::max(askedAt + timing_.replyLatency + extraDelay, lineFree_);
    return start + timing_.timeFor(length);
}

void ReplyQueue::schedule(std::vector<std::uint8_t> bytes, std::chrono::milliseconds extraDelay,
                          Clock::time_point askedAt) {
    Clock::time_point due = dueTime(bytes.size(), extraDelay, askedAt);
    lineFree_ = due;
    pending_.push_back({due, std::move(bytes)});
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

void ReplyQueue::clear() {
    pending_.clear();
    lineFree_ = {};
}

}  // namespace panel_emulator
