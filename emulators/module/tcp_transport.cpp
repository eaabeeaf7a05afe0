#include "tcp_transport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace module_emulator {

std::optional<TcpListener> TcpListener::open(const std::string& listenAddress, std::uint16_t port, std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (inet_pton(AF_INET, listenAddress.c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + listenAddress;
        return std::nullopt;
    }
    address.sin_port = htons(port);

    FileDescriptor fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        error = std::string("socket: ") + std::strerror(errno);
        return std::nullopt;
    }
    const int reuse = 1;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);

    if (bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd.get(), 1) != 0) {
        error = "bind/listen on " + listenAddress + ": " + std::strerror(errno);
        return std::nullopt;
    }
    socklen_t length = sizeof address;
    getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
    return TcpListener(std::move(fd), ntohs(address.sin_port));
}

FileDescriptor TcpListener::acceptOne(int stopFd, std::string& error) const {
    pollfd waits[2] = {{fd_.get(), POLLIN, 0}, {stopFd, POLLIN, 0}};
    while (true) {
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll: ") + std::strerror(errno);
            return FileDescriptor();
        }
        if (waits[1].revents) return FileDescriptor();
        if (waits[0].revents) break;
    }
    FileDescriptor connection(accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection.valid()) error = std::string("accept: ") + std::strerror(errno);
    return connection;
}

}  // namespace module_emulator
