#include "emulator_options.h"

#include "panel_models.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace panel_emulator {

const char* const kEmulatorUsage =
    "usage: panel-emulator [--model NAME] [--hardware-code BYTE]\n"
    "                      [--flash-out FILE] [--extension-out FILE] [--no-reopen]\n"
    "                      [--baud RATE] [--latency MS]\n"
    "                      [--refuse N] [--silent N] [--short N] [--delay N:MS]\n"
    "                      [--garbage N] [--hangup N]\n"
    "                      [--fw-status K:V] [--fw-silent K] [--fw-length K:L] [--fw-delay K:MS]\n"
    "                      [--fw-short K] [--fw-garbage K] [--fw-hangup K]\n"
    "       panel-emulator --make-image MODEL SIZE FILE\n"
    "--baud paces both directions at RATE (10 bit times a byte), --latency adds\n"
    "MS before every reply; N counts bootloader frames from 1, K firmware frames from 1;\n"
    "numbers are decimal or 0x-hexadecimal.\n";

namespace {

struct BadOption : std::runtime_error {
    using std::runtime_error::runtime_error;
};

unsigned long long parseNumber(const std::string& text, unsigned long long max, const std::string& what) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (*digits == '\0' || *digits == '-' || *end != '\0' || errno != 0 || value > max) {
        throw BadOption("bad " + what + ": " + text);
    }
    return value;
}

std::uint8_t parseByte(const std::string& text, const std::string& what) {
    return static_cast<std::uint8_t>(parseNumber(text, 0xFF, what));
}

unsigned parseFrameNumber(const std::string& text) {
    unsigned value = static_cast<unsigned>(parseNumber(text, std::numeric_limits<unsigned>::max(), "frame number"));
    if (value == 0) throw BadOption("frame numbers count from 1");
    return value;
}

// "N:VALUE" → (N, VALUE)
std::pair<unsigned, std::string> splitPair(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos) throw BadOption("expected N:VALUE, got " + text);
    return {parseFrameNumber(text.substr(0, colon)), text.substr(colon + 1)};
}

std::chrono::milliseconds parseMillis(const std::string& text) {
    return std::chrono::milliseconds(parseNumber(text, 600'000, "delay"));
}

}  // namespace

ParsedOptions parseEmulatorOptions(const std::vector<std::string>& args) {
    EmulatorOptions options;
    std::optional<std::uint8_t> explicitCode;
    const PanelModel* model = nullptr;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& option = args[i];
            auto value = [&]() -> const std::string& {
                if (i + 1 >= args.size()) throw BadOption(option + " needs a value");
                return args[++i];
            };
            if (option == "--model") {
                model = findPanelModel(value());
                if (model == nullptr) throw BadOption("unknown model " + args[i]);
            } else if (option == "--hardware-code") {
                explicitCode = parseByte(value(), "hardware code");
            } else if (option == "--flash-out") {
                options.flashOut = value();
            } else if (option == "--extension-out") {
                options.extensionOut = value();
            } else if (option == "--no-reopen") {
                options.reopen = false;
            } else if (option == "--baud") {
                options.timing.baud = static_cast<std::uint32_t>(parseNumber(value(), 4'000'000, "baud rate"));
            } else if (option == "--latency") {
                options.timing.replyLatency = parseMillis(value());
            } else if (option == "--refuse") {
                options.faults.boot[parseFrameNumber(value())].refuse = true;
            } else if (option == "--silent") {
                options.faults.boot[parseFrameNumber(value())].silent = true;
            } else if (option == "--short") {
                options.faults.boot[parseFrameNumber(value())].shortReply = true;
            } else if (option == "--garbage") {
                options.faults.boot[parseFrameNumber(value())].garbage = true;
            } else if (option == "--hangup") {
                options.faults.boot[parseFrameNumber(value())].hangUp = true;
            } else if (option == "--delay") {
                auto [n, ms] = splitPair(value());
                options.faults.boot[n].delay = parseMillis(ms);
            } else if (option == "--fw-status") {
                auto [k, v] = splitPair(value());
                options.faults.firmware[k].status = parseByte(v, "status");
            } else if (option == "--fw-silent") {
                options.faults.firmware[parseFrameNumber(value())].silent = true;
            } else if (option == "--fw-length") {
                auto [k, l] = splitPair(value());
                options.faults.firmware[k].length = parseByte(l, "length byte");
            } else if (option == "--fw-short") {
                options.faults.firmware[parseFrameNumber(value())].shortReply = true;
            } else if (option == "--fw-garbage") {
                options.faults.firmware[parseFrameNumber(value())].garbage = true;
            } else if (option == "--fw-hangup") {
                options.faults.firmware[parseFrameNumber(value())].hangUp = true;
            } else if (option == "--fw-delay") {
                auto [k, ms] = splitPair(value());
                options.faults.firmware[k].delay = parseMillis(ms);
            } else if (option == "--make-image") {
                if (i + 3 >= args.size()) throw BadOption("--make-image needs MODEL SIZE FILE");
                if (findPanelModel(args[i + 1]) == nullptr) throw BadOption("unknown model " + args[i + 1]);
                std::size_t size = static_cast<std::size_t>(parseNumber(args[i + 2], 0x1000000, "image size"));
                options.makeImage = ImageRequest{args[i + 1], size, args[i + 3]};
                i += 3;
            } else {
                throw BadOption("unknown option " + option);
            }
        }
    } catch (const BadOption& bad) {
        return {std::nullopt, bad.what()};
    }
    if (explicitCode) {
        options.hardwareCode = *explicitCode;
    } else if (model != nullptr) {
        options.hardwareCode = model->hardwareCode;
    }
    return {options, {}};
}

}  // namespace panel_emulator
