// Faults injected into the replies, chosen per command number (the first
// command received is 1; a raw chunk counts as one command). A fault changes
// what the reply puts on the wire; how the bytes are paced onto the line is
// the writer's affair (reply_writer.h).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "module_protocol.h"

namespace module_emulator {

// Bytes a flood sends: far more than any reply, so that a reader that keeps
// everything it is sent shows it plainly in its size.
constexpr std::size_t floodBytes = std::size_t(256) << 20;

struct ReplyFault {
    bool silent = false;                     // no reply at all
    bool badChecksum = false;                // checksum digits that do not match
    std::optional<std::string> replacement;  // this text instead of the real reply
    bool noNewline = false;                  // the reply without its line feed: a line never ended
    bool closeMidReply = false;              // half the reply, then the connection closes
    bool flood = false;                      // floodBytes without a line feed instead of the reply
    bool fragment = false;                   // this reply written in many small pieces
};

class FaultPlan {
public:
    ReplyFault& forCommand(unsigned number) { return faults_[number]; }
    const ReplyFault* find(unsigned number) const;

private:
    std::map<unsigned, ReplyFault> faults_;
};

// The bytes of one reply as they go on the wire: text, checksum digits when
// the reply carries them, line feed. nullopt when the fault keeps it silent.
std::optional<std::string> wireReply(const Reply& reply, const ReplyFault* fault);

}  // namespace module_emulator
