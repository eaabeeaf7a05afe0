// Cuts the byte stream from the updater into commands. Text commands end at
// a line feed (which is dropped). After a buffer-size command the protocol
// announces a raw chunk: the next command is then exactly that many bytes,
// whatever they contain, line feeds included, and has no terminator.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace module_emulator {

struct Command {
    std::string bytes;
    bool raw = false;       // a chunk cut by length rather than by a line feed
    bool overlong = false;  // a text line that outgrew the limit, cut short
};

class CommandFramer {
public:
    // A peer that never sends a line feed must not grow the buffer without
    // limit: a text line longer than this is handed on cut short.
    static constexpr std::size_t maxLineLength = 4096;

    void feed(std::string_view bytes);

    // The next command is `length` raw bytes, not a line.
    void expectRaw(std::size_t length);

    // The next complete command, if the buffered bytes hold one.
    std::optional<Command> next();

    std::size_t buffered() const { return buffer_.size(); }

private:
    std::string buffer_;
    std::optional<std::size_t> rawLength_;
    bool discardingOverlong_ = false;
};

}  // namespace module_emulator
