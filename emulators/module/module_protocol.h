// The module's side of the command interface as a pure state machine: one
// command in, one reply out. It knows the checksum mode (off at start unless
// the module demands checksums), the order of the upload commands, and it
// reassembles the firmware from the chunks. No I/O happens here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "command_framer.h"

namespace module_emulator {

// Error replies of this module. The updater only interprets "ERROR138".
namespace error_reply {
inline constexpr const char* checksumRequired = "ERROR138";
inline constexpr const char* checksumMismatch = "ERROR140";
inline constexpr const char* unknownCommand = "ERROR141";
inline constexpr const char* outOfOrder = "ERROR142";
inline constexpr const char* badBufferSize = "ERROR143";
inline constexpr const char* lineTooLong = "ERROR144";
}  // namespace error_reply

struct ModuleConfig {
    std::string version = "WL-4.2.17";
    bool checksumRequired = false;  // starts in checksum mode
    bool plainCrcOk = false;        // confirms checksum mode with an unchecksummed "OK"
};

struct Reply {
    std::string text;          // without checksum and line feed
    bool checksummed = false;  // the three digits go before the line feed
};

struct Outcome {
    Reply reply;
    std::optional<std::size_t> rawChunkLength;  // bytes on the wire of the next command
    bool firmwareEnded = false;                 // the upload was just closed
};

class ModuleProtocol {
public:
    // Largest chunk a buffer-size command may announce; also bounds the
    // framer's buffer while it collects a chunk.
    static constexpr std::size_t maxChunkSize = 65536;

    explicit ModuleProtocol(ModuleConfig config);

    Outcome handle(const Command& command);

    bool checksumMode() const { return checksumMode_; }
    const std::string& firmware() const { return firmware_; }

private:
    enum class Upload { Idle, Open };

    Outcome handleChunk(const std::string& wire);
    Outcome handleText(const std::string& body);
    Outcome handleBufferSet(const std::string& lengthText);
    Reply reply(std::string text) const { return Reply{std::move(text), checksumMode_}; }

    ModuleConfig config_;
    bool checksumMode_;
    Upload upload_ = Upload::Idle;
    std::string firmware_;
};

}  // namespace module_emulator
