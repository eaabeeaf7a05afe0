// The TCP side of the emulator: a listener on an IPv4 address (127.0.0.1
// unless told otherwise) that hands out one accepted connection.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "file_descriptor.h"

namespace module_emulator {

class TcpListener {
public:
    // Listens on `address`:`port`; port 0 takes an ephemeral one.
    static std::optional<TcpListener> open(const std::string& address, std::uint16_t port, std::string& error);

    std::uint16_t port() const { return port_; }

    // Waits for one connection; an invalid descriptor when a stop request
    // (readable `stopFd`) or an error came first.
    FileDescriptor acceptOne(int stopFd, std::string& error) const;

private:
    TcpListener(FileDescriptor fd, std::uint16_t port) : fd_(std::move(fd)), port_(port) {}

    FileDescriptor fd_;
    std::uint16_t port_;
};

}  // namespace module_emulator
