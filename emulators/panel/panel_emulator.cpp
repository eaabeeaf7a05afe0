#include "panel_emulator.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace panel_emulator {

namespace {

constexpr std::size_t kFlashOutStart = 0x2000;
// After the final frame the updater pauses and closes the port; if it does
// not, the emulator ends on its own after this long.
constexpr std::chrono::seconds kEndAfterTransfer{3};

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::ostream& log) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) log << "panel-emulator: cannot write " << path << "\n";
}

std::vector<std::uint8_t> firmwareReply(std::uint8_t status, const FirmwareFault& fault) {
    if (!fault.length) return encodeLinkFrame(status, {});
    std::uint8_t length = *fault.length;
    std::vector<std::uint8_t> body{status};
    if (length > 1) body.resize(length, 0x00);
    return encodeLinkFrame(length, body);
}

// Line noise: random bytes, the same for the same frame in every run.
std::vector<std::uint8_t> noise(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

}  // namespace

PanelEmulator::PanelEmulator(EmulatorOptions options, std::ostream& log)
    : options_(std::move(options)),
      log_(log),
      bootloader_(options_.hardwareCode),
      inputLine_(options_.timing),
      replies_(options_.timing) {
    // Byte times are a fraction of a millisecond: the kernel's default timer
    // slack of 50 us would stretch every paced wait by a good part of one.
    if (options_.timing.paced()) prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signals_ = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals_ < 0) throw std::runtime_error("signalfd failed");
}

PanelEmulator::~PanelEmulator() { close(signals_); }

int PanelEmulator::run() {
    log_ << "panel-emulator: bootloader on " << line_.portName() << ", hardware code 0x" << std::hex
         << int(options_.hardwareCode) << std::dec << "\n";
    while (!done_) {
        std::vector<pollfd> fds{{signals_, POLLIN, 0}, {line_.openWatchFd(), POLLIN, 0}};
        // A master without an open slave polls as hung up at once: leave it out then.
        if (openers_ > 0) fds.push_back({line_.masterFd(), POLLIN, 0});
        auto wake = nextWake();
        timespec timeout{};
        if (wake) {
            auto left = std::max(*wake - std::chrono::steady_clock::now(), std::chrono::steady_clock::duration::zero());
            auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(nanos / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(nanos % 1'000'000'000);
        }
        if (ppoll(fds.data(), fds.size(), wake ? &timeout : nullptr, nullptr) < 0 && errno != EINTR) {
            throw std::runtime_error("poll failed");
        }
        if (fds[0].revents != 0) return finish("signal");
        if (openers_ > 0 && (fds[2].revents & POLLIN) != 0) receive();
        if (fds[1].revents != 0) followOpenEvents();
        if (done_) break;
        sendDueReplies();
        if (done_) break;
        if (endAfterTransfer_ && std::chrono::steady_clock::now() >= *endAfterTransfer_) {
            return finish("no hang-up after the transfer");
        }
    }
    return 0;
}

void PanelEmulator::followOpenEvents() {
    for (PtyLine::Event event : line_.takeOpenEvents()) {
        if (done_) return;
        if (event == PtyLine::Event::Opened) {
            if (openers_++ == 0) lineOpened();
        } else if (openers_ > 0 && --openers_ == 0) {
            // Bytes written just before the close belong to the session that ends.
            receive();
            lineHungUp();
        }
    }
}

std::optional<std::chrono::steady_clock::time_point> PanelEmulator::nextWake() const {
    std::optional<std::chrono::steady_clock::time_point> next;
    for (auto candidate : {replies_.nextDue(), endAfterTransfer_}) {
        if (candidate && (!next || *candidate < *next)) next = candidate;
    }
    return next;
}

void PanelEmulator::receive() {
    std::vector<std::uint8_t> bytes = line_.readAvailable();
    if (bytes.empty()) return;
    auto arrived = inputLine_.arrival(bytes.size(), std::chrono::steady_clock::now());
    if (side_ == Side::Bootloader) {
        bootFrames_.feed(bytes.data(), bytes.size());
        serveBootFrames(arrived);
    } else {
        linkFrames_.feed(bytes.data(), bytes.size());
        serveLinkFrames(arrived);
    }
}

void PanelEmulator::serveBootFrames(std::chrono::steady_clock::time_point askedAt) {
    while (auto frame = bootFrames_.next()) {
        unsigned number = ++bootFrameCount_;
        BootFault fault = options_.faults.forBootFrame(number);
        BootVerdict verdict;
        if (fault.refuse) {
            bootloader_.skip(*frame);
            verdict = {kBootRefused, "refusal injected"};
        } else {
            verdict = bootloader_.handle(*frame);
        }
        if (!verdict.accepted()) log_ << "panel-emulator: frame " << number << " refused: " << verdict.refusal << "\n";
        if (fault.silent) {
            log_ << "panel-emulator: frame " << number << " left unanswered\n";
            continue;
        }
        std::vector<std::uint8_t> reply{frame->command(), frame->sequence(), verdict.status};
        if (fault.shortReply) reply.pop_back();
        if (fault.garbage) {
            reply = noise(reply.size(), number);
            log_ << "panel-emulator: frame " << number << " answered with garbage:" << hex(reply) << "\n";
        }
        if (fault.hangUp) {
            reply.resize(1);
            hangUpAfterReplies_ = true;
        }
        replies_.schedule(std::move(reply), fault.delay, askedAt);
    }
}

void PanelEmulator::serveLinkFrames(std::chrono::steady_clock::time_point askedAt) {
    while (auto frame = linkFrames_.next()) {
        if (std::size_t dropped = linkFrames_.takeDroppedCount()) {
            log_ << "panel-emulator: " << dropped << " bytes outside any frame dropped\n";
        }
        unsigned number = ++firmwareFrameCount_;
        LinkVerdict verdict = firmware_.handle(*frame);
        if (!verdict.rejection.empty()) {
            log_ << "panel-emulator: firmware frame " << number << " rejected: " << verdict.rejection << "\n";
        }
        if (firmware_.transferFinished() && !endAfterTransfer_) {
            log_ << "panel-emulator: extension received (" << firmware_.extension().size() << " bytes)\n";
            writeExtension();
            endAfterTransfer_ = askedAt + kEndAfterTransfer;
        }
        FirmwareFault fault = options_.faults.forFirmwareFrame(number);
        if (fault.hangUp) hangUpAfterReplies_ = true;
        if (!verdict.status) continue;
        if (fault.silent) {
            log_ << "panel-emulator: firmware frame " << number << " left unanswered\n";
            continue;
        }
        std::vector<std::uint8_t> reply = firmwareReply(fault.status.value_or(*verdict.status), fault);
        if (fault.shortReply) reply.pop_back();
        if (fault.garbage) {
            reply = noise(7, 0x10000 + number);
            log_ << "panel-emulator: firmware frame " << number << " answered with garbage:" << hex(reply) << "\n";
        }
        if (fault.hangUp) reply.resize(3);
        replies_.schedule(std::move(reply), fault.delay, askedAt);
    }
}

void PanelEmulator::sendDueReplies() {
    for (const auto& reply : replies_.takeDue(std::chrono::steady_clock::now())) {
        if (!line_.write(reply)) log_ << "panel-emulator: reply not taken by the line\n";
    }
    // An injected hang-up: the part of a reply is out, and the port vanishes
    // as a panel pulled off the USB would.
    if (hangUpAfterReplies_ && !replies_.nextDue()) {
        line_.close();
        finish("line hung up (injected)");
    }
}

void PanelEmulator::lineHungUp() {
    inputLine_.clear();
    replies_.clear();
    bootFrames_.reset();
    linkFrames_.reset();
    if (side_ == Side::Firmware) {
        if (firmware_.transferFinished()) {
            finish("transfer complete and line closed");
            return;
        }
        log_ << "panel-emulator: line closed during the transfer (" << firmware_.extension().size()
             << " extension bytes so far)\n";
        return;
    }
    writeFlash();
    auto highest = bootloader_.flash().highestWrittenPage();
    log_ << "panel-emulator: line closed after " << bootFrameCount_
         << " bootloader frames, highest page written: " << (highest ? std::to_string(*highest) : std::string("none"))
         << "\n";
    if (!bootloader_.firstPhaseComplete()) return;
    if (!options_.reopen) {
        line_.close();
        finish("first phase complete, port not coming back");
        return;
    }
    side_ = Side::Firmware;
    log_ << "panel-emulator: reset; firmware running, USB link on the same port\n";
}

void PanelEmulator::lineOpened() {
    bootloader_.lineOpened();
    firmware_.lineOpened();
    log_ << "panel-emulator: line opened (" << (side_ == Side::Bootloader ? "bootloader" : "firmware") << ")\n";
}

void PanelEmulator::writeFlash() {
    if (!options_.flashOut.empty())
        writeBytes(options_.flashOut, bootloader_.flash().contentsFrom(kFlashOutStart), log_);
}

void PanelEmulator::writeExtension() {
    if (!options_.extensionOut.empty()) writeBytes(options_.extensionOut, firmware_.extension(), log_);
}

int PanelEmulator::finish(const char* why) {
    writeFlash();
    writeExtension();
    log_ << "panel-emulator: done (" << why << ")\n";
    done_ = true;
    return 0;
}

}  // namespace panel_emulator
