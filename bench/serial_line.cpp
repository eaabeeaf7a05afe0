#include "serial_line.h"

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace bench {

int openRawLine(const std::string& name, unsigned baud) {
    int fd = open(("/dev/" + name).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios line{};
    if (tcgetattr(fd, &line) == 0) {
        cfmakeraw(&line);
        line.c_cflag |= CREAD | CLOCAL;
        line.c_cc[VMIN] = 1;
        line.c_cc[VTIME] = 0;
        speed_t speed = baud == 115200 ? B115200 : B57600;
        cfsetispeed(&line, speed);
        cfsetospeed(&line, speed);
        tcsetattr(fd, TCSANOW, &line);
    }
    return fd;
}

bool writeExactly(int fd, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (length > 0) {
        ssize_t n = write(fd, bytes, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readExactly(int fd, void* buffer, std::size_t length) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (length > 0) {
        ssize_t n = read(fd, bytes, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace bench
