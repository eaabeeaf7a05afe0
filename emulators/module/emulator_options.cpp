#include "emulator_options.h"

#include <string_view>

#include "text_escape.h"

namespace module_emulator {

const char* const usageText =
    "usage: module-emulator (--tcp [--port P] | --pty) [options]\n"
    "  --tcp               serve one TCP connection on 127.0.0.1; prints the port\n"
    "  --port P            TCP port (default 0: an ephemeral port)\n"
    "  --listen ADDRESS    IPv4 address to listen on with --tcp (default 127.0.0.1)\n"
    "  --baud RATE         pace the line both ways at RATE, 10 bit times a byte\n"
    "  --latency MS        wait MS before every reply\n"
    "  --pty               serve a pseudo-terminal; prints its name, e.g. pts/5\n"
    "  --version TEXT      reply to the version query (default WL-4.2.17)\n"
    "  --checksum-required start in checksum mode; a plain query gets ERROR138\n"
    "  --plain-crc-ok      confirm checksum mode with a plain OK\n"
    "  --firmware-out FILE write the received firmware to FILE\n"
    "  --command-log FILE  record every command received, one escaped line each\n"
    "  --silent K          do not reply to command K (the first is 1)\n"
    "  --bad-checksum K    reply to command K with a wrong checksum\n"
    "  --reply K:TEXT      reply to command K with TEXT (escapes \\n, \\xHH)\n"
    "  --fragment          write every reply in many small pieces\n"
    "  --fragment-reply K  write the reply to command K in many small pieces\n"
    "  --no-newline K      reply to command K without the line feed\n"
    "  --close-mid-reply K send half the reply to command K, then close\n"
    "  --flood K           answer command K with 256 MiB and no line feed\n";

namespace {

std::optional<unsigned long> parseNumber(std::string_view text, unsigned long max) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + unsigned(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

std::optional<unsigned> parseCommandNumber(std::string_view text) {
    const auto number = parseNumber(text, 1'000'000'000);
    if (!number || *number == 0) return std::nullopt;
    return unsigned(*number);
}

}  // namespace

ParsedOptions parseOptions(int argc, const char* const* argv) {
    EmulatorOptions options;
    bool tcp = false;
    bool pty = false;
    bool portGiven = false;
    bool listenGiven = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string_view(argv[++i]);
        };
        auto missing = [&] { return ParsedOptions{std::nullopt, std::string(word) + " needs a value"}; };
        auto invalid = [&](std::string_view text) {
            return ParsedOptions{std::nullopt,
                                 "invalid value for " + std::string(word) + ": " + std::string(text)};
        };

        if (word == "--tcp") {
            tcp = true;
        } else if (word == "--pty") {
            pty = true;
        } else if (word == "--checksum-required") {
            options.module.checksumRequired = true;
        } else if (word == "--plain-crc-ok") {
            options.module.plainCrcOk = true;
        } else if (word == "--fragment") {
            options.pacing.fragment = true;
        } else if (word == "--baud" || word == "--latency") {
            const auto text = value();
            if (!text) return missing();
            const auto number = parseNumber(*text, word == "--baud" ? 4'000'000 : 60'000);
            if (!number) return invalid(*text);
            if (word == "--baud") options.timing.baud = std::uint32_t(*number);
            else options.timing.replyLatency = std::chrono::milliseconds(*number);
        } else if (word == "--listen") {
            const auto text = value();
            if (!text) return missing();
            options.listenAddress = std::string(*text);
            listenGiven = true;
        } else if (word == "--port") {
            const auto text = value();
            if (!text) return missing();
            const auto port = parseNumber(*text, 65535);
            if (!port) return invalid(*text);
            options.port = std::uint16_t(*port);
            portGiven = true;
        } else if (word == "--version" || word == "--firmware-out" || word == "--command-log") {
            const auto text = value();
            if (!text) return missing();
            if (word == "--version") options.module.version = std::string(*text);
            else if (word == "--firmware-out") options.firmwareOut = std::string(*text);
            else options.commandLog = std::string(*text);
        } else if (word == "--silent" || word == "--bad-checksum" || word == "--fragment-reply" ||
                   word == "--no-newline" || word == "--close-mid-reply" || word == "--flood") {
            const auto text = value();
            if (!text) return missing();
            const auto number = parseCommandNumber(*text);
            if (!number) return invalid(*text);
            ReplyFault& fault = options.faults.forCommand(*number);
            bool& flag = word == "--silent"           ? fault.silent
                         : word == "--bad-checksum"   ? fault.badChecksum
                         : word == "--fragment-reply" ? fault.fragment
                         : word == "--no-newline"     ? fault.noNewline
                         : word == "--close-mid-reply" ? fault.closeMidReply
                                                       : fault.flood;
            flag = true;
        } else if (word == "--reply") {
            const auto text = value();
            if (!text) return missing();
            const std::size_t colon = text->find(':');
            const auto number = parseCommandNumber(text->substr(0, colon));
            if (colon == std::string_view::npos || !number) return invalid(*text);
            auto replacement = decodeEscapes(text->substr(colon + 1));
            if (!replacement) return invalid(*text);
            options.faults.forCommand(*number).replacement = std::move(*replacement);
        } else {
            return ParsedOptions{std::nullopt, "unknown option: " + std::string(word)};
        }
    }

    if (tcp == pty) return ParsedOptions{std::nullopt, "choose exactly one of --tcp and --pty"};
    if (portGiven && !tcp) return ParsedOptions{std::nullopt, "--port needs --tcp"};
    if (listenGiven && !tcp) return ParsedOptions{std::nullopt, "--listen needs --tcp"};
    options.transport = tcp ? Transport::Tcp : Transport::Pty;
    return ParsedOptions{std::move(options), {}};
}

}  // namespace module_emulator
