// Bytes collected from one descriptor of a child, with a read cursor.
// Reads append everything that arrives; the "read until" operations move the
// cursor past what they consumed, so successive waits see only newer output
// while the whole transcript stays available.
#pragma once

#include <optional>
#include <string>

namespace test_support {

class OutputBuffer {
public:
    // Reads what the descriptor has now (non-blocking); false once it is at
    // its end (EOF, or EIO from a pseudo-terminal whose slave side is gone).
    bool drain(int fd);

    // Finds text after the cursor; on success moves the cursor past it.
    bool consume(const std::string& text);
    // Takes one line (without its line end) after the cursor, if complete.
    std::optional<std::string> consumeLine();

    const std::string& all() const { return data_; }
    std::string unread() const { return data_.substr(cursor_); }
    bool atEnd() const { return ended_; }

private:
    std::string data_;
    std::size_t cursor_ = 0;
    bool ended_ = false;
};

}  // namespace test_support
