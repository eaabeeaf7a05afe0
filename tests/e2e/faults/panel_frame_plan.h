// The frames a complete update sends, in order, worked out from the image
// body the way the updater walks it: five Syncs and the Identify, then for
// each page after the first its 69 Data packets, an Erase where the page
// starts a sector and its Write, then image page 0 to device page 2 (first
// phase); and the 1284 LinkFrames of the extension (second phase). A fault
// cell names a frame by its place here, so its number follows from the image
// size, and the console line each frame makes is known before the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fault_matrix {

enum class BootKind { sync, identify, data, erase, write };

struct PlannedBootFrame {
    BootKind kind;
    unsigned devicePage;              // the page a Data, Erase or Write frame serves
    unsigned packet;                  // the Data packet's number within its page
    std::vector<std::uint8_t> shown;  // the bytes the trace shows (at most 5)
    std::uint8_t acceptedStatus;      // byte 2 of the reply of a panel that takes it
};

// Every frame of the first phase; frame number n is element n - 1.
std::vector<PlannedBootFrame> firstPhaseFrames(const std::string& body, std::uint8_t hardwareCode);

// The console line of an exchange: the frame's trace, "-- ", the reply.
std::string bootTrace(const PlannedBootFrame& frame);
std::string bootReplyLine(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);
// The whole line of an exchange that the panel accepts.
std::string bootAcceptedLine(const PlannedBootFrame& frame);

// Frame numbers of the second phase, counted from 1.
constexpr unsigned kOpeningFrame = 1;
constexpr unsigned kSecondFrame = 2;
constexpr unsigned kBeforeBlocksFrame = 3;
constexpr unsigned kBlockCount = 128;
constexpr unsigned kChunksPerBlock = 8;
constexpr unsigned blockOpenFrame(unsigned block) { return 4 + block * (kChunksPerBlock + 2); }
constexpr unsigned chunkFrame(unsigned block, unsigned chunk) { return blockOpenFrame(block) + 1 + chunk; }
constexpr unsigned blockCloseFrame(unsigned block) { return blockOpenFrame(block) + kChunksPerBlock + 1; }
constexpr unsigned kFinalLinkFrame = blockCloseFrame(kBlockCount - 1) + 1;

// The trace of second-phase frame k (bytes 3 to 7, then "-- ") and the
// reply line a panel that accepts it makes.
std::string linkTrace(unsigned frame, const std::string& extension);
std::string linkAcceptedReply(unsigned frame);

std::string hexBytes(const std::vector<std::uint8_t>& bytes);

}  // namespace fault_matrix
