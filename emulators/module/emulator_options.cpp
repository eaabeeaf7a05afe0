// The command line, read against one option table that also makes the usage
// text (option_table.h). Numbers are decimal; commands count from 1. The
// transport is checked once the whole line is read, so the options may come
// in any order.
#include "emulator_options.h"

#include <string_view>

#include "option_table.h"
#include "text_escape.h"

namespace module_emulator {

namespace {

using emulator_common::Option;
using emulator_common::OptionError;
using emulator_common::OptionWords;

constexpr unsigned long maxBaud = 4'000'000;
constexpr unsigned long maxLatencyMs = 60'000;
constexpr unsigned long maxPort = 65535;
constexpr unsigned long maxCommandNumber = 1'000'000'000;
constexpr std::size_t maxDigits = 9;

std::optional<unsigned long> parseNumber(std::string_view text, unsigned long max) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + unsigned(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

std::optional<unsigned> parseCommandNumber(std::string_view text) {
    const auto number = parseNumber(text, maxCommandNumber);
    if (!number || *number == 0) return std::nullopt;
    return unsigned(*number);
}

[[noreturn]] void refuse(const OptionWords& words) {
    throw OptionError("invalid value for " + words[0] + ": " + words[1]);
}

unsigned long number(const OptionWords& words, unsigned long max) {
    const auto number = parseNumber(words[1], max);
    if (!number) refuse(words);
    return *number;
}

unsigned commandNumber(const OptionWords& words) {
    const auto number = parseCommandNumber(words[1]);
    if (!number) refuse(words);
    return *number;
}

// The line as read so far; the transport is settled once it is all read.
struct Reading {
    EmulatorOptions options;
    bool tcp = false;
    bool pty = false;
    bool portGiven = false;
    bool listenGiven = false;
};

template <bool ReplyFault::*fault>
void markCommand(Reading& reading, const OptionWords& words) {
    reading.options.faults.forCommand(commandNumber(words)).*fault = true;
}

void replaceReply(Reading& reading, const OptionWords& words) {
    const std::string_view text = words[1];
    const std::size_t colon = text.find(':');
    const auto command = parseCommandNumber(text.substr(0, colon));
    if (colon == std::string_view::npos || !command) refuse(words);
    auto replacement = decodeEscapes(text.substr(colon + 1));
    if (!replacement) refuse(words);
    reading.options.faults.forCommand(*command).replacement = std::move(*replacement);
}

const Option<Reading> optionTable[] = {
    {"--tcp", "", "serve one TCP connection on 127.0.0.1; prints the port",
        [](Reading& r, const OptionWords&) { r.tcp = true; }},
    {"--port", "P", "TCP port (default 0: an ephemeral port)",
        [](Reading& r, const OptionWords& w) {
            r.options.port = std::uint16_t(number(w, maxPort));
            r.portGiven = true;
        }},
    {"--listen", "ADDRESS", "IPv4 address to listen on with --tcp (default 127.0.0.1)",
        [](Reading& r, const OptionWords& w) {
            r.options.listenAddress = w[1];
            r.listenGiven = true;
        }},
    {"--baud", "RATE", "pace the line both ways at RATE, 10 bit times a byte",
        [](Reading& r, const OptionWords& w) { r.options.timing.baud = std::uint32_t(number(w, maxBaud)); }},
    {"--latency", "MS", "wait MS before every reply",
        [](Reading& r, const OptionWords& w) {
            r.options.timing.replyLatency = std::chrono::milliseconds(number(w, maxLatencyMs));
        }},
    {"--pty", "", "serve a pseudo-terminal; prints its name, e.g. pts/5",
        [](Reading& r, const OptionWords&) { r.pty = true; }},
    {"--version", "TEXT", "reply to the version query (default WL-4.2.17)",
        [](Reading& r, const OptionWords& w) { r.options.module.version = w[1]; }},
    {"--checksum-required", "", "start in checksum mode; a plain query gets ERROR138",
        [](Reading& r, const OptionWords&) { r.options.module.checksumRequired = true; }},
    {"--plain-crc-ok", "", "confirm checksum mode with a plain OK",
        [](Reading& r, const OptionWords&) { r.options.module.plainCrcOk = true; }},
    {"--firmware-out", "FILE", "write the received firmware to FILE",
        [](Reading& r, const OptionWords& w) { r.options.firmwareOut = w[1]; }},
    {"--command-log", "FILE", "record every command received, one escaped line each",
        [](Reading& r, const OptionWords& w) { r.options.commandLog = w[1]; }},
    {"--silent", "K", "do not reply to command K", markCommand<&ReplyFault::silent>},
    {"--bad-checksum", "K", "reply to command K with a wrong checksum", markCommand<&ReplyFault::badChecksum>},
    {"--reply", "K:TEXT", "reply to command K with TEXT (escapes \\n, \\xHH)", replaceReply},
    {"--fragment", "", "write every reply in many small pieces",
        [](Reading& r, const OptionWords&) { r.options.pacing.fragment = true; }},
    {"--fragment-reply", "K", "write the reply to command K in many small pieces", markCommand<&ReplyFault::fragment>},
    {"--no-newline", "K", "reply to command K without the line feed", markCommand<&ReplyFault::noNewline>},
    {"--close-mid-reply", "K", "send half the reply to command K, then close", markCommand<&ReplyFault::closeMidReply>},
    {"--flood", "K", "answer command K with 256 MiB and no line feed", markCommand<&ReplyFault::flood>},
};

}  // namespace

std::string usageText() {
    return "usage: module-emulator (--tcp [--port P] | --pty) [options]\n" + emulator_common::optionList(optionTable) +
           "K counts the commands received from 1, a raw chunk as one; MS are milliseconds;\n"
           "numbers are decimal.\n";
}

ParsedOptions parseOptions(int argc, const char* const* argv) {
    Reading reading;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (auto refused = emulator_common::applyOptions(optionTable, args, reading, "unknown option: ")) {
        return ParsedOptions{std::nullopt, *refused};
    }
    if (reading.tcp == reading.pty) return ParsedOptions{std::nullopt, "choose exactly one of --tcp and --pty"};
    if (reading.portGiven && !reading.tcp) return ParsedOptions{std::nullopt, "--port needs --tcp"};
    if (reading.listenGiven && !reading.tcp) return ParsedOptions{std::nullopt, "--listen needs --tcp"};
    reading.options.transport = reading.tcp ? Transport::Tcp : Transport::Pty;
    return ParsedOptions{std::move(reading.options), {}};
}

}  // namespace module_emulator
