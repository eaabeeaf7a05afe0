// Serial port on POSIX terminals.
//
// The port is a terminal device opened non-blocking, so neither the open nor
// any transfer can hang on the modem lines; every wait is a poll(2) on a
// monotonic deadline, as long as the read time-out that the port's own set-up
// gave it. Exclusivity takes two locks: a flock on the device keeps
// out any process that asks for the same lock, root included, and TIOCEXCL
// keeps ordinary processes out (it alone does not stop root). The exit guard
// clears TIOCEXCL if the run dies holding the port.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix_deadline.h"
#include "platform/posix_exit_guard.h"

const char kDevicePathPrefix[] = "/dev/";

// The open terminal and the read time-out its latest set-up gave it.
struct PlatformPort {
    int fd;
    uint32_t readTimeoutMs;
};

namespace {

// Until its first set-up a port's reads wait as long as a configured one's.
constexpr uint32_t kUnconfiguredReadTimeoutMs = 1000;

speed_t speedFor(uint32_t baudRate) {
    switch (baudRate) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

tcflag_t characterSizeFor(uint8_t dataBits) {
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

constexpr short kHangUpEvents = POLLHUP | POLLERR | POLLNVAL;

void applyLineSettings(int fd, const PortSettings& settings) {
    termios line{};
    if (tcgetattr(fd, &line) != 0) {
        return;
    }
    cfmakeraw(&line);
    // Raw also means no software flow control in either direction: XON and
    // XOFF are ordinary bytes of the image.
    line.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY | INPCK);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    line.c_cflag |= characterSizeFor(settings.dataBits) | CREAD | CLOCAL;
    if (settings.stopBits == 2) {
        line.c_cflag |= CSTOPB;
    }
    if (settings.parityChecking) {
        line.c_cflag |= PARENB;
        line.c_iflag |= INPCK;
    }
    // With the descriptor non-blocking, VMIN 1 makes an empty queue read as
    // EAGAIN, so a read of 0 bytes always means a hang-up; the poll deadline
    // bounds every wait. (VMIN 0 would read an empty queue as 0 bytes.)
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    speed_t speed = speedFor(settings.baudRate);
    if (speed != B0) {
        cfsetispeed(&line, speed);
        cfsetospeed(&line, speed);
    }
    tcsetattr(fd, TCSANOW, &line);
}

void setModemLines(int fd, bool raised) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &lines);
}

}  // namespace

bool platformOpenPort(const char* devicePath, PortHandle& port) {
    int fd = open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Only a device is a port: a name that leads to a regular file, a FIFO or
    // a directory would have the frames written into it.
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
        close(fd);
        return false;
    }
    // The flock comes first: the exclusive mode belongs to the terminal, not
    // to this descriptor, so it is set only once the port is ours, and a
    // failed open never touches the holder's. A device that is no terminal
    // has no exclusive mode; the flock still keeps it to one holder.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        close(fd);
        return false;
    }
    exitGuardHoldPort(fd);
    port = new PlatformPort{fd, kUnconfiguredReadTimeoutMs};
    return true;
}

void platformConfigurePort(PortHandle port, const PortSettings& settings, const PortTimeouts& timeouts) {
    // The line is always raw and never aborts on an error, so `binary` and
    // `abortOnError` need nothing; there is no write time-out to set.
    port->readTimeoutMs = timeouts.readTotalConstantMs;
    applyLineSettings(port->fd, settings);
    tcflush(port->fd, TCIOFLUSH);
    setModemLines(port->fd, true);
}

void platformClosePort(PortHandle port) {
    int fd = port->fd;
    setModemLines(fd, false);
    tcflush(fd, TCIOFLUSH);
    // Cleared first: the exclusive mode belongs to the terminal, not to this
    // descriptor, and would lock out the next open while anything else
    // still holds the terminal.
    exitGuardReleasePort();
    ioctl(fd, TIOCNXCL);
    close(fd);
    delete port;
}

void platformWritePort(PortHandle port, const uint8_t* data, size_t length) {
    int fd = port->fd;
    size_t written = 0;
    while (written < length) {
        ssize_t taken = write(fd, data + written, length - written);
        if (taken > 0) {
            written += static_cast<size_t>(taken);
            continue;
        }
        if (taken < 0 && errno == EINTR) {
            continue;
        }
        if (taken < 0 && errno == EAGAIN) {
            pollfd wait{fd, POLLOUT, 0};
            int ready = poll(&wait, 1, -1);
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready < 0 || (wait.revents & kHangUpEvents) != 0) {
                return;
            }
            continue;
        }
        // The line is gone; the read that follows reports it.
        return;
    }
}

bool platformReadPort(PortHandle port, uint8_t* buffer, size_t count, size_t& received) {
    int fd = port->fd;
    received = 0;
    PosixDeadline deadline = deadlineAfter(port->readTimeoutMs);
    // Waits before each read: a reply is hardly ever there the moment its
    // frame has gone out, and a read that finds nothing would cost a system
    // call in every exchange.
    while (received < count) {
        pollfd wait{fd, POLLIN, 0};
        int ready = poll(&wait, 1, deadlineRemainingMs(deadline));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (ready == 0) {
            return true;  // time-out: the caller judges the count
        }
        if ((wait.revents & POLLIN) == 0 && (wait.revents & kHangUpEvents) != 0) {
            return false;
        }
        ssize_t arrived = read(fd, buffer + received, count - received);
        if (arrived > 0) {
            received += static_cast<size_t>(arrived);
            continue;
        }
        if (arrived == 0) {
            return false;  // end of file: the line has hung up
        }
        if (errno != EINTR && errno != EAGAIN) {
            return false;  // EIO and the like: the line has hung up
        }
    }
    return true;
}
