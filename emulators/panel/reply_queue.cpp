#include "reply_queue.h"

namespace panel_emulator {

void ReplyQueue::schedule(
    std::vector<std::uint8_t> bytes, std::chrono::milliseconds extraDelay, Clock::time_point askedAt) {
    Clock::time_point due = outgoingLine_.arrival(bytes.size(), askedAt + timing_.replyLatency + extraDelay);
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
    outgoingLine_.clear();
}

}  // namespace panel_emulator
