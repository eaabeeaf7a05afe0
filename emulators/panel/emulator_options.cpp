// The command line, read against one option table that also makes the usage
// text (option_table.h). Numbers are decimal or 0x-hexadecimal; frame numbers
// count from 1. An explicit hardware code wins over the model's, whatever
// their order.
#include "emulator_options.h"

#include "option_table.h"
#include "panel_models.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <map>

namespace panel_emulator {

namespace {

using emulator_common::Option;
using emulator_common::OptionError;
using emulator_common::OptionWords;

constexpr unsigned long long kMaxBaud = 4'000'000;
constexpr unsigned long long kMaxDelayMs = 600'000;
constexpr unsigned long long kMaxImageBody = 0x1000000;

unsigned long long parseNumber(const std::string& text, unsigned long long max, const std::string& what) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (*digits == '\0' || *digits == '-' || *end != '\0' || errno != 0 || value > max) {
        throw OptionError("bad " + what + ": " + text);
    }
    return value;
}

std::uint8_t parseByte(const std::string& text, const std::string& what) {
    return static_cast<std::uint8_t>(parseNumber(text, 0xFF, what));
}

unsigned parseFrameNumber(const std::string& text) {
    unsigned value = static_cast<unsigned>(parseNumber(text, std::numeric_limits<unsigned>::max(), "frame number"));
    if (value == 0) throw OptionError("frame numbers count from 1");
    return value;
}

// "N:VALUE" → (N, VALUE)
std::pair<unsigned, std::string> splitPair(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos) throw OptionError("expected N:VALUE, got " + text);
    return {parseFrameNumber(text.substr(0, colon)), text.substr(colon + 1)};
}

std::chrono::milliseconds parseMillis(const std::string& text) {
    return std::chrono::milliseconds(parseNumber(text, kMaxDelayMs, "delay"));
}

const PanelModel& knownModel(const std::string& name) {
    const PanelModel* model = findPanelModel(name);
    if (model == nullptr) throw OptionError("unknown model " + name);
    return *model;
}

// The line as read so far; the hardware code is settled once it is all read.
struct Reading {
    EmulatorOptions options;
    std::optional<std::uint8_t> explicitCode;
    const PanelModel* model = nullptr;
};

// "N:MS": the reply to frame N held back MS longer.
template <typename Fault>
void delayReply(std::map<unsigned, Fault>& faults, const std::string& pair) {
    auto [n, ms] = splitPair(pair);
    faults[n].delay = parseMillis(ms);
}

// "K:BYTE": the reply to firmware frame K carries BYTE in `field`.
void forceReplyByte(FaultPlan& faults, const std::string& pair, std::optional<std::uint8_t> FirmwareFault::*field,
    const std::string& what) {
    auto [k, byte] = splitPair(pair);
    faults.firmware[k].*field = parseByte(byte, what);
}

template <bool BootFault::*fault>
void markBootFrame(Reading& reading, const OptionWords& words) {
    reading.options.faults.boot[parseFrameNumber(words[1])].*fault = true;
}

template <bool FirmwareFault::*fault>
void markFirmwareFrame(Reading& reading, const OptionWords& words) {
    reading.options.faults.firmware[parseFrameNumber(words[1])].*fault = true;
}

const Option<Reading> kOptions[] = {
    {"--model", "NAME", "play this panel model, with its hardware code",
        [](Reading& r, const OptionWords& w) { r.model = &knownModel(w[1]); }},
    {"--hardware-code", "BYTE", "identify with this hardware code instead of the model's",
        [](Reading& r, const OptionWords& w) { r.explicitCode = parseByte(w[1], "hardware code"); }},
    {"--flash-out", "FILE", "write the flash from 0x2000 on to FILE",
        [](Reading& r, const OptionWords& w) { r.options.flashOut = w[1]; }},
    {"--extension-out", "FILE", "write the extension received to FILE",
        [](Reading& r, const OptionWords& w) { r.options.extensionOut = w[1]; }},
    {"--no-reopen", "", "end after the first phase instead of running the firmware",
        [](Reading& r, const OptionWords&) { r.options.reopen = false; }},
    {"--baud", "RATE", "pace both directions at RATE, 10 bit times a byte",
        [](Reading& r, const OptionWords& w) {
            r.options.timing.baud = static_cast<std::uint32_t>(parseNumber(w[1], kMaxBaud, "baud rate"));
        }},
    {"--latency", "MS", "wait MS before every reply",
        [](Reading& r, const OptionWords& w) { r.options.timing.replyLatency = parseMillis(w[1]); }},
    {"--refuse", "N", "answer bootloader frame N with status 1, not applying it", markBootFrame<&BootFault::refuse>},
    {"--silent", "N", "apply bootloader frame N, send no reply", markBootFrame<&BootFault::silent>},
    {"--short", "N", "apply bootloader frame N, send 2 of the 3 reply bytes", markBootFrame<&BootFault::shortReply>},
    {"--delay", "N:MS", "hold the reply to bootloader frame N back MS longer",
        [](Reading& r, const OptionWords& w) { delayReply(r.options.faults.boot, w[1]); }},
    {"--garbage", "N", "apply bootloader frame N, answer with 3 random bytes", markBootFrame<&BootFault::garbage>},
    {"--hangup", "N", "apply bootloader frame N, send 1 reply byte, close the line", markBootFrame<&BootFault::hangUp>},
    {"--fw-status", "K:V", "reply to firmware frame K with status V",
        [](Reading& r, const OptionWords& w) {
            forceReplyByte(r.options.faults, w[1], &FirmwareFault::status, "status");
        }},
    {"--fw-silent", "K", "send no reply to firmware frame K", markFirmwareFrame<&FirmwareFault::silent>},
    {"--fw-length", "K:L", "reply to firmware frame K with length byte L",
        [](Reading& r, const OptionWords& w) {
            forceReplyByte(r.options.faults, w[1], &FirmwareFault::length, "length byte");
        }},
    {"--fw-delay", "K:MS", "hold the reply to firmware frame K back MS longer",
        [](Reading& r, const OptionWords& w) { delayReply(r.options.faults.firmware, w[1]); }},
    {"--fw-short", "K", "reply to firmware frame K without its last byte",
        markFirmwareFrame<&FirmwareFault::shortReply>},
    {"--fw-garbage", "K", "answer firmware frame K with 7 random bytes", markFirmwareFrame<&FirmwareFault::garbage>},
    {"--fw-hangup", "K", "send 3 reply bytes to firmware frame K, close the line",
        markFirmwareFrame<&FirmwareFault::hangUp>},
    {"--make-image", "MODEL SIZE FILE", "write a sample image for MODEL, SIZE body bytes, to FILE",
        [](Reading& r, const OptionWords& w) {
            knownModel(w[1]);
            std::size_t size = static_cast<std::size_t>(parseNumber(w[2], kMaxImageBody, "image size"));
            r.options.makeImage = ImageRequest{w[1], size, w[3]};
        }},
};

}  // namespace

std::string emulatorUsage() {
    return "usage: panel-emulator [OPTION...]\n"
           "       panel-emulator --make-image MODEL SIZE FILE\n" +
           emulator_common::optionList(kOptions) +
           "N counts bootloader frames from 1, K firmware frames from 1; MS are milliseconds;\n"
           "numbers are decimal or 0x-hexadecimal.\n";
}

ParsedOptions parseEmulatorOptions(const std::vector<std::string>& args) {
    Reading reading;
    if (auto refused = emulator_common::applyOptions(kOptions, args, reading, "unknown option ")) {
        return {std::nullopt, *refused};
    }
    EmulatorOptions& options = reading.options;
    if (reading.explicitCode) {
        options.hardwareCode = *reading.explicitCode;
    } else if (reading.model != nullptr) {
        options.hardwareCode = reading.model->hardwareCode;
    }
    return {options, {}};
}

}  // namespace panel_emulator
