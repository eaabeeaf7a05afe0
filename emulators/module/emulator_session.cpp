#include "emulator_session.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
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
        std::fprintf(stderr, "module-emulator: dropping the connection: it began with \"%s\", not the signature\n",
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

    const ReplyFault* fault = options_.faults.find(commandCount_);
    if (fault && fault->flood) return flood(fd);
    auto wire = wireReply(outcome.reply, fault);
    std::fprintf(stderr, "module-emulator: #%u %s -> %s\n", commandCount_, described.c_str(),
        wire ? encodeEscapes(*wire).c_str() : "(no reply)");
    if (!wire) return Flow::Continue;
    if (pacer_.paced()) LinePacer::waitUntil(pacer_.replyDone(wire->size(), lastArrival_));
    WritePacing pacing = options_.pacing;
    if (fault && fault->fragment) pacing.fragment = true;
    if (fault && fault->closeMidReply) {
        ReplyWriter(fd, pacing).write(wire->substr(0, (wire->size() + 1) / 2));
        std::fprintf(stderr, "module-emulator: closing halfway through the reply\n");
        return Flow::End;
    }
    if (!ReplyWriter(fd, pacing).write(*wire)) {
        std::fprintf(stderr, "module-emulator: write failed: %s\n", std::strerror(errno));
        return Flow::End;
    }
    return Flow::Continue;
}

// Writes the flood in blocks, so that the emulator itself stays small. The
// line is made non-blocking for it and every write waits on poll(2): a pty
// whose reader has gone with the queue full would block a plain write for
// good, while poll reports the hang-up.
EmulatorSession::Flow EmulatorSession::flood(int fd) {
    const std::string block(64 * 1024, 'F');
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    std::size_t sent = 0;
    while (sent < floodBytes) {
        pollfd room{fd, POLLOUT, 0};
        if (poll(&room, 1, -1) < 0 && errno != EINTR) break;
        if (room.revents & (POLLHUP | POLLERR | POLLNVAL)) break;
        if (!(room.revents & POLLOUT)) continue;
        const std::size_t size = std::min(block.size(), floodBytes - sent);
        ssize_t written = send(fd, block.data(), size, MSG_NOSIGNAL);
        if (written < 0 && errno == ENOTSOCK) written = ::write(fd, block.data(), size);
        if (written < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (written < 0) break;
        sent += std::size_t(written);
    }
    fcntl(fd, F_SETFL, flags);
    if (sent < floodBytes) {
        std::fprintf(stderr, "module-emulator: flood stopped after %zu bytes: peer gone\n", sent);
        return Flow::End;
    }
    std::fprintf(stderr, "module-emulator: flood of %zu bytes sent\n", floodBytes);
    return Flow::Continue;
}

// Text commands as received; a chunk by its size and its trailing checksum,
// since its bytes are kept in the firmware file instead.
std::string EmulatorSession::describe(const Command& command) const {
    if (!command.raw) return encodeEscapes(command.bytes);
    const std::size_t digits = protocol_.checksumMode() && command.bytes.size() >= 3 ? 3 : 0;
    const std::size_t dataSize = command.bytes.size() - digits;
    return "[" + std::to_string(dataSize) + " bytes]" + encodeEscapes(std::string_view(command.bytes).substr(dataSize));
}

void EmulatorSession::saveFirmware() const {
    if (!options_.firmwareOut.empty()) writeFirmwareFile(options_.firmwareOut, protocol_.firmware());
}

}  // namespace module_emulator
