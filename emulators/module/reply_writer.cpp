#include "reply_writer.h"

#include <cerrno>
#include <ctime>
#include <sys/socket.h>
#include <unistd.h>

namespace module_emulator {

namespace {
void pauseBetweenPieces() {
    timespec pause{0, 2'000'000};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

ssize_t writeSome(int fd, const char* data, std::size_t size) {
    // send() keeps a vanished TCP peer from raising SIGPIPE; a pty is no socket.
    const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == ENOTSOCK) return ::write(fd, data, size);
    return sent;
}
}  // namespace

bool ReplyWriter::write(std::string_view bytes) const {
    if (!pacing_.fragment) return writeAll(bytes);
    const std::size_t pieceSize = (bytes.size() + maxPieces - 1) / maxPieces;
    for (std::size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
        if (offset > 0) pauseBetweenPieces();
        if (!writeAll(bytes.substr(offset, pieceSize))) return false;
    }
    return true;
}

bool ReplyWriter::writeAll(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t written = writeSome(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

}  // namespace module_emulator
