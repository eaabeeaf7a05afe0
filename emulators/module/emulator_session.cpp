#include "emulator_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "reply_writer.h"
#include "text_escape.h"

namespace module_emulator {

EmulatorSession::EmulatorSession(const EmulatorOptions& options)
    : options_(options), protocol_(options.module), pacer_(options.timing) {}

void EmulatorSession::serve(int fd, bool requireSignature, int stopFd) {
    char buffer[4096];
    pollfd waits[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};

    while (true) {
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "module-emulator: poll: %s\n", std::strerror(errno));
            return;
        }
        if (waits[1].revents) {
            std::fprintf(stderr, "module-emulator: stop requested\n");
            return;
        }
        if (!waits[0].revents) continue;

        // Read before looking at a hang-up: the last bytes may still wait.
        const ssize_t received = read(fd, buffer, sizeof buffer);
        if (received < 0 && errno == EINTR) continue;
        if (received <= 0) {
            // 0: the TCP peer closed; EIO: the last pty slave was closed.
            std::fprintf(stderr, "module-emulator: peer gone after %u commands\n", commandCount_);
            return;
        }
        if (pacer_.paced()) {
            lastArrival_ = pacer_.arrival(std::size_t(received), LinePacer::Clock::now());
            LinePacer::waitUntil(lastArrival_);
        }
        std::string_view bytes(buffer, std::size_t(received));
        if (requireSignature && !admit(bytes)) return;
        if (onBytes(bytes, fd) == Flow::End) return;
    }
}

bool EmulatorSession::admit(std::string_view& bytes) {
    const SignatureGate::State before = gate_.state();
    const SignatureGate::State state = gate_.feed(bytes, admitted_);
    if (state == SignatureGate::State::Rejected) {
        std::fprintf(stderr,
                     "module-emulator: dropping the connection: it began with \"%s\", not the signature\n",
                     encodeEscapes(gate_.received()).c_str());
        return false;
    }
    if (state == SignatureGate::State::Passed && before == SignatureGate::State::Pending)
        std::fprintf(stderr, "module-emulator: signature accepted\n");
    bytes = admitted_;  // empty while the signature is still incomplete
    return true;
}

EmulatorSession::Flow EmulatorSession::onBytes(std::string_view bytes, int fd) {
    framer_.feed(bytes);
    while (auto command = framer_.next())
        if (answer(*command, fd) == Flow::End) return Flow::End;
    return Flow::Continue;
}

EmulatorSession::Flow EmulatorSession::answer(const Command& command, int fd) {
    ++commandCount_;
    const std::string described = describe(command);
    commandLog_.record(described);

    const Outcome outcome = protocol_.handle(command);
    if (outcome.rawChunkLength) framer_.expectRaw(*outcome.rawChunkLength);
    if (outcome.firmwareEnded) saveFirmware();

    const auto wire = wireReply(outcome.reply, options_.faults.find(commandCount_));
    std::fprintf(stderr, "module-emulator: #%u %s -> %s\n", commandCount_, described.c_str(),
                 wire ? encodeEscapes(*wire).c_str() : "(no reply)");
    if (!wire) return Flow::Continue;
    if (pacer_.paced()) LinePacer::waitUntil(pacer_.replyDone(wire->size(), lastArrival_));
    if (!ReplyWriter(fd, options_.pacing).write(*wire)) {
        std::fprintf(stderr, "module-emulator: write failed: %s\n", std::strerror(errno));
        return Flow::End;
    }
    return Flow::Continue;
}

// Text commands as received; a chunk by its size and its trailing checksum,
// since its bytes are kept in the firmware file instead.
std::string EmulatorSession::describe(const Command& command) const {
    if (!command.raw) return encodeEscapes(command.bytes);
    const std::size_t digits = protocol_.checksumMode() && command.bytes.size() >= 3 ? 3 : 0;
    const std::size_t dataSize = command.bytes.size() - digits;
    return "[" + std::to_string(dataSize) + " bytes]" +
           encodeEscapes(std::string_view(command.bytes).substr(dataSize));
}

void EmulatorSession::saveFirmware() const {
    if (!options_.firmwareOut.empty()) writeFirmwareFile(options_.firmwareOut, protocol_.firmware());
}

}  // namespace module_emulator
