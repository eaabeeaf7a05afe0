#include "output_buffer.h"

#include <cerrno>
#include <unistd.h>

namespace test_support {

bool OutputBuffer::drain(int fd) {
    if (ended_) return false;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            data_.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        ended_ = true;
        return false;
    }
}

bool OutputBuffer::consume(const std::string& text) {
    auto found = data_.find(text, cursor_);
    if (found == std::string::npos) return false;
    cursor_ = found + text.size();
    return true;
}

std::optional<std::string> OutputBuffer::consumeLine() {
    auto end = data_.find('\n', cursor_);
    if (end == std::string::npos) return std::nullopt;
    std::string line = data_.substr(cursor_, end - cursor_);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    cursor_ = end + 1;
    return line;
}

}  // namespace test_support
