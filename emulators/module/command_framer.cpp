#include "command_framer.h"

namespace module_emulator {

void CommandFramer::feed(std::string_view bytes) { buffer_.append(bytes); }

void CommandFramer::expectRaw(std::size_t length) { rawLength_ = length; }

std::optional<Command> CommandFramer::next() {
    if (rawLength_) {
        if (buffer_.size() < *rawLength_) return std::nullopt;
        Command chunk{buffer_.substr(0, *rawLength_), true, false};
        buffer_.erase(0, *rawLength_);
        rawLength_.reset();
        return chunk;
    }
    while (true) {
        const std::size_t end = buffer_.find('\n');
        if (discardingOverlong_) {
            // The rest of a line already reported as overlong.
            if (end == std::string::npos) {
                buffer_.clear();
                return std::nullopt;
            }
            buffer_.erase(0, end + 1);
            discardingOverlong_ = false;
            continue;
        }
        if (end == std::string::npos) {
            if (buffer_.size() <= maxLineLength) return std::nullopt;
            Command cut{buffer_.substr(0, maxLineLength), false, true};
            buffer_.clear();
            discardingOverlong_ = true;
            return cut;
        }
        Command line{buffer_.substr(0, end), false, end > maxLineLength};
        if (line.overlong) line.bytes.resize(maxLineLength);
        buffer_.erase(0, end + 1);
        return line;
    }
}

}  // namespace module_emulator
