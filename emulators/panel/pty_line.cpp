#include "pty_line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

namespace panel_emulator {

namespace {

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PtyLine::PtyLine() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) throw systemError("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) throw systemError("grantpt/unlockpt");
    const char* name = ptsname(master_);
    if (name == nullptr) throw systemError("ptsname");
    slavePath_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    openWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (openWatch_ < 0 || inotify_add_watch(openWatch_, slavePath_.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        throw systemError("inotify on " + slavePath_);
    }
}

PtyLine::~PtyLine() {
    close();
    if (openWatch_ >= 0) ::close(openWatch_);
}

std::string PtyLine::portName() const {
    const std::string prefix = "/dev/";
    return slavePath_.compare(0, prefix.size(), prefix) == 0 ? slavePath_.substr(prefix.size()) : slavePath_;
}

std::vector<std::uint8_t> PtyLine::readAvailable() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    for (;;) {
        ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            bytes.insert(bytes.end(), chunk, chunk + n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return bytes;  // EAGAIN: nothing more now; EIO: the slave is closed
        }
    }
}

std::vector<PtyLine::Event> PtyLine::takeOpenEvents() {
    std::vector<Event> events;
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = ::read(openWatch_, buffer, sizeof buffer)) > 0) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->mask & IN_OPEN) events.push_back(Event::Opened);
            if (event->mask & IN_CLOSE) events.push_back(Event::Closed);
            at += sizeof(inotify_event) + event->len;
        }
    }
    return events;
}

bool PtyLine::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd room{master_, POLLOUT, 0};
            if (poll(&room, 1, 1000) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

void PtyLine::close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

}  // namespace panel_emulator
