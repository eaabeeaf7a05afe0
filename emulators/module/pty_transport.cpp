#include "pty_transport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>

namespace module_emulator {

std::optional<PtyPort> openPtyPort(std::string& error) {
    FileDescriptor master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master.valid() || grantpt(master.get()) != 0 || unlockpt(master.get()) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        return std::nullopt;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    termios settings{};
    if (tcgetattr(master.get(), &settings) != 0) {
        error = std::string("tcgetattr: ") + std::strerror(errno);
        return std::nullopt;
    }
    cfmakeraw(&settings);
    if (tcsetattr(master.get(), TCSANOW, &settings) != 0) {
        error = std::string("tcsetattr: ") + std::strerror(errno);
        return std::nullopt;
    }
    const char* path = ptsname(master.get());
    if (!path) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return std::nullopt;
    }
    std::string name = path;
    const std::string devPrefix = "/dev/";
    if (name.compare(0, devPrefix.size(), devPrefix) == 0) name.erase(0, devPrefix.size());
    return PtyPort{std::move(master), std::move(name)};
}

}  // namespace module_emulator
