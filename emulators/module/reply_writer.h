// Puts reply bytes on the line. Whole replies go out in one write; with
// fragmentation each reply is split into fewer than 50 pieces, written one
// by one with a short pause, so that the updater sees many separate
// arrivals. Pacing at a baud rate or a reply latency belongs here too.
#pragma once

#include <string_view>

namespace module_emulator {

struct WritePacing {
    bool fragment = false;
};

class ReplyWriter {
public:
    // Pieces per fragmented reply: well below the 50 arrivals that the
    // updater tolerates before it gives up on a line.
    static constexpr std::size_t maxPieces = 16;

    ReplyWriter(int fd, WritePacing pacing) : fd_(fd), pacing_(pacing) {}

    // False when the peer has gone.
    bool write(std::string_view bytes) const;

private:
    bool writeAll(std::string_view bytes) const;

    int fd_;
    WritePacing pacing_;
};

}  // namespace module_emulator
