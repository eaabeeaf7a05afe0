#include "console_text.h"

#include <algorithm>

namespace wine_e2e {

namespace {

constexpr char kEscape = '\x1b';
constexpr std::size_t kTabStop = 8;

bool isFinalByte(char character) { return character >= 0x40 && character <= 0x7E; }

}  // namespace

ConsoleText::ConsoleText(std::size_t wrapWidth) : wrapWidth_(wrapWidth) {}

void ConsoleText::feed(const std::string& bytes) {
    for (char character : bytes) {
        if (!pending_.empty()) {
            pending_ += character;
            // ESC [ parameters final; anything else after ESC is unknown.
            if (pending_.size() == 2 && character != '[') {
                unknown_.push_back(pending_);
                pending_.clear();
            } else if (pending_.size() > 2 && isFinalByte(character)) {
                control(pending_);
                pending_.clear();
            }
            continue;
        }
        switch (character) {
        case kEscape: pending_ = character; break;
        case '\r': column_ = 0; break;
        case '\n': endLine(); break;
        case '\t': do { put(' ');
            } while (column_ % kTabStop != 0);
            break;
        default: put(character); break;
        }
    }
}

std::string ConsoleText::text() const { return done_ + line_; }

std::size_t ConsoleText::find(const std::string& needle, std::size_t from) const {
    std::size_t at = done_.find(needle, from);
    if (at != std::string::npos) {
        return at;
    }
    // Only a match that reaches into the unfinished line is left.
    std::size_t tailStart = done_.size() >= needle.size() ? done_.size() - needle.size() + 1 : 0;
    tailStart = std::max(tailStart, from);
    if (tailStart > done_.size()) {
        at = line_.find(needle, tailStart - done_.size());
        return at == std::string::npos ? at : done_.size() + at;
    }
    at = (done_.substr(tailStart) + line_).find(needle);
    return at == std::string::npos ? at : tailStart + at;
}

void ConsoleText::put(char character) {
    if (column_ < line_.size()) {
        line_[column_] = character;
    } else {
        line_.resize(column_, ' ');
        line_ += character;
    }
    ++column_;
}

void ConsoleText::endLine() {
    // A line that filled the width was broken by the console, not by the
    // program: it goes on in the next.
    if (wrapWidth_ != 0 && line_.size() == wrapWidth_) {
        done_ += line_;
    } else {
        done_ += line_ + "\n";
    }
    line_.clear();
    column_ = 0;
}

void ConsoleText::control(const std::string& sequence) {
    std::string parameters = sequence.substr(2, sequence.size() - 3);
    char final = sequence.back();
    if (parameters == "?25" && (final == 'l' || final == 'h')) {
        return;  // cursor hidden or shown
    }
    if (final == 'K' && (parameters.empty() || parameters == "0")) {
        if (column_ < line_.size()) {
            line_.resize(column_);
        }
        return;
    }
    if (final == 'C' && parameters.find_first_not_of("0123456789") == std::string::npos) {
        std::size_t count = parameters.empty() ? 1 : std::stoul(parameters);
        // A cell passed over past the end of the line holds a blank.
        column_ += count;
        if (line_.size() < column_) {
            line_.resize(column_, ' ');
        }
        return;
    }
    unknown_.push_back(sequence);
}

std::string consoleText(const std::string& bytes, std::size_t wrapWidth) {
    ConsoleText replay(wrapWidth);
    replay.feed(bytes);
    return replay.text();
}

}  // namespace wine_e2e
