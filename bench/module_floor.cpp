// module_floor: the least any client can do for a module firmware upload, the
// yardstick for moduleflash. It makes the same exchanges with the module
// emulator (the signature on TCP, the version query, checksum mode, then the
// initialise, chunk-size and chunk commands, end and restart, with the same
// bytes and checksums) with plain POSIX calls: each command written in one
// piece, its reply read until its line feed, nothing else.
//
// usage: module_floor tcp ADDRESS PORT FILE [nodelay]
//        module_floor pty NAME FILE
// "nodelay" sets TCP_NODELAY, to show what the peer's delayed acknowledgement
// costs a chunk that travels in two segments. At the end it prints the bytes
// it moved on standard error: "exchanges=N sent=N received=N".
#include "serial_line.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

const char kSignature[] = "x5k9q2w7m3j8z1v6r4t0y8p2n6b3h7d";

struct Link {
    int fd = -1;
    bool checksums = false;
    unsigned exchanges = 0;
    std::size_t sent = 0, received = 0;
    std::string reply;
    char pending[4096];
    std::size_t pendingSize = 0;

    // Sends the command with its checksum (in checksum mode) and, when asked,
    // a line feed; reads the reply line. False when the line has gone.
    bool exchange(std::string command, bool lineFeed) {
        if (checksums) {
            unsigned char sum = 0;
            for (char c : command) sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(c));
            char digits[4];
            std::snprintf(digits, sizeof digits, "%03u", sum);
            command += digits;
        }
        if (lineFeed) command += '\n';
        if (!bench::writeExactly(fd, command.data(), command.size())) return false;
        ++exchanges;
        sent += command.size();
        reply.clear();
        for (;;) {
            ssize_t n = read(fd, pending, sizeof pending);
            if (n <= 0) return false;
            received += static_cast<std::size_t>(n);
            reply.append(pending, static_cast<std::size_t>(n));
            if (reply.find('\n') != std::string::npos) return true;
        }
    }
    bool ok(std::string command, bool lineFeed = true) {
        return exchange(std::move(command), lineFeed) && reply.compare(0, 2, "OK") == 0;
    }
};

int connectTo(const char* address, const char* port, bool noDelay) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port)));
    if (inet_pton(AF_INET, address, &peer.sin_addr) != 1) return -1;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) return -1;
    int on = noDelay ? 1 : 0;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return bench::writeExactly(fd, kSignature, sizeof kSignature - 1) ? fd : -1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string transport = argc > 1 ? argv[1] : "";
    bool tcp = transport == "tcp" && (argc == 5 || (argc == 6 && std::string(argv[5]) == "nodelay"));
    bool pty = transport == "pty" && argc == 4;
    if (!tcp && !pty) {
        std::fprintf(stderr, "usage: module_floor tcp ADDRESS PORT FILE [nodelay] | module_floor pty NAME FILE\n");
        return 2;
    }
    std::ifstream file(tcp ? argv[4] : argv[3], std::ios::binary);
    std::string firmware((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Link link;
    link.fd = tcp ? connectTo(argv[2], argv[3], argc == 6) : bench::openRawLine(argv[2], 115200);
    if (link.fd < 0) {
        std::fprintf(stderr, "module_floor: cannot reach the module\n");
        return 1;
    }
    const std::size_t chunkSize = tcp ? 2048 : 1024;
    bool done = link.exchange("atFirmwareVersionGet", true) && link.ok("atCrcEnabledSet=true");
    link.checksums = true;
    done = done && link.ok("atOTAFirmwareInitialize");
    for (std::size_t offset = 0; done && offset < firmware.size(); offset += chunkSize) {
        std::string chunk = firmware.substr(offset, chunkSize);
        done = link.ok("atOTAFirmwareBufferSet=" + std::to_string(chunk.size())) && link.ok(chunk, false);
    }
    done = done && link.ok("atOTAFirmwareEnd") && link.ok("atRestartSet");
    close(link.fd);
    std::fprintf(stderr, "exchanges=%u sent=%zu received=%zu\n", link.exchanges, link.sent, link.received);
    return done ? 0 : 1;
}
