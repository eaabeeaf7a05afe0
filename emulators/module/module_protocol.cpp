#include "module_protocol.h"

#include <string_view>

#include "checksum.h"

namespace module_emulator {

namespace {
constexpr std::string_view enableChecksumCommand = "atCrcEnabledSet=true";
constexpr std::string_view bufferSetPrefix = "atOTAFirmwareBufferSet=";

Outcome answer(Reply reply) {
    Outcome outcome;
    outcome.reply = std::move(reply);
    return outcome;
}
}  // namespace

ModuleProtocol::ModuleProtocol(ModuleConfig config)
    : config_(std::move(config)), checksumMode_(config_.checksumRequired) {}

Outcome ModuleProtocol::handle(const Command& command) {
    if (command.raw) return handleChunk(command.bytes);
    if (command.overlong) return answer(reply(error_reply::lineTooLong));

    // The switch into checksum mode is sent without a checksum; it is taken
    // in either mode so that a repeated switch does no harm.
    if (command.bytes == enableChecksumCommand) {
        checksumMode_ = true;
        if (config_.plainCrcOk) return answer(Reply{"OK", false});
        return answer(reply("OK"));
    }
    if (!checksumMode_) return handleText(command.bytes);

    std::string_view body;
    switch (checkTrailingChecksum(command.bytes, body)) {
    case ChecksumCheck::Missing:
        // Answered in the framing the command came in, so that an updater
        // still in plain mode can read it.
        return answer(Reply{error_reply::checksumRequired, false});
    case ChecksumCheck::Mismatch: return answer(reply(error_reply::checksumMismatch));
    case ChecksumCheck::Valid: break;
    }
    return handleText(std::string(body));
}

Outcome ModuleProtocol::handleText(const std::string& body) {
    const std::string_view text = body;
    if (text == "atFirmwareVersionGet") return answer(reply(config_.version));
    if (text == "atRestartSet") return answer(reply("OK"));
    if (text == "atOTAFirmwareInitialize") {
        upload_ = Upload::Open;
        firmware_.clear();
        return answer(reply("OK"));
    }
    if (text == "atOTAFirmwareEnd") {
        if (upload_ != Upload::Open) return answer(reply(error_reply::outOfOrder));
        upload_ = Upload::Idle;
        Outcome ended = answer(reply("OK"));
        ended.firmwareEnded = true;
        return ended;
    }
    if (text.substr(0, bufferSetPrefix.size()) == bufferSetPrefix)
        return handleBufferSet(body.substr(bufferSetPrefix.size()));
    return answer(reply(error_reply::unknownCommand));
}

Outcome ModuleProtocol::handleBufferSet(const std::string& lengthText) {
    if (upload_ != Upload::Open) return answer(reply(error_reply::outOfOrder));
    if (lengthText.empty() || lengthText.size() > 6 || lengthText[0] == '0')
        return answer(reply(error_reply::badBufferSize));
    std::size_t length = 0;
    for (char c : lengthText) {
        if (c < '0' || c > '9') return answer(reply(error_reply::badBufferSize));
        length = length * 10 + std::size_t(c - '0');
    }
    if (length > maxChunkSize) return answer(reply(error_reply::badBufferSize));

    Outcome accepted = answer(reply("OK"));
    accepted.rawChunkLength = length + (checksumMode_ ? 3 : 0);
    return accepted;
}

Outcome ModuleProtocol::handleChunk(const std::string& wire) {
    std::string_view data = wire;
    if (checksumMode_ && checkTrailingChecksum(wire, data) != ChecksumCheck::Valid)
        return answer(reply(error_reply::checksumMismatch));
    firmware_.append(data);
    return answer(reply("OK"));
}

}  // namespace module_emulator
