// panel_floor: the least any client can do for a two-phase panel update, the
// yardstick for panelflash. It makes the same exchanges with the panel
// emulator (the same bytes, each frame written and its reply read whole by a
// blocking read of the exact length, the same final pause) and nothing else:
// no console, no trace, no judging beyond counting refusals. Its frames are
// built here from the image, independently of panelflash.
//
// usage: panel_floor PORTNAME IMAGE
// Between the phases it closes the port, prints "between phases" and waits
// for one byte on standard input (the driver's sign that the panel has
// reset). At the end it prints the bytes it moved on standard error:
// "exchanges=N answered=N sent=N received=N pause_ms=N refused=N".
#include "serial_line.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

using bench::openRawLine;
using bench::readExactly;
using bench::writeExactly;

namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kImageCapacity = 0x80000;
constexpr std::size_t kPage = 4096;
constexpr std::size_t kExtensionOffset = 0x6E000;
constexpr std::size_t kExtensionSize = 0x8000;
constexpr unsigned kBaud = 57600;
constexpr unsigned kFinalPauseMs = 2000;

const std::uint8_t kSectorFirstPage[28] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 121, 122, 123, 124, 125};

struct Counts {
    unsigned exchanges = 0, answered = 0, refused = 0;
    std::size_t sent = 0, received = 0;
};

class BootLink {
public:
    BootLink(int fd, Counts& counts) : fd_(fd), counts_(counts) {}
    bool exchange(std::vector<std::uint8_t> frame) {
        frame[1] = sequence_++;
        std::uint8_t reply[3];
        if (!writeExactly(fd_, frame.data(), frame.size()) || !readExactly(fd_, reply, sizeof reply)) return false;
        ++counts_.exchanges;
        ++counts_.answered;
        counts_.sent += frame.size();
        counts_.received += sizeof reply;
        if (reply[2] == 1) ++counts_.refused;
        return true;
    }

private:
    int fd_;
    Counts& counts_;
    std::uint8_t sequence_ = 0;
};

bool sendPage(BootLink& link, const std::uint8_t* data) {
    std::vector<std::uint8_t> frame(63);
    frame[0] = 0x06;
    for (unsigned packet = 0; packet < 69; ++packet) {
        frame[2] = static_cast<std::uint8_t>(packet);
        std::memcpy(frame.data() + 3, data + packet * 60, 60);
        if (!link.exchange(frame)) return false;
    }
    return true;
}

bool uploadBody(int fd, const std::vector<std::uint8_t>& image, std::size_t bodySize, Counts& counts) {
    BootLink link(fd, counts);
    for (int i = 0; i < 5; ++i)
        if (!link.exchange({0x00, 0})) return false;
    if (!link.exchange({0x01, 0})) return false;
    std::uint8_t sector = 0;
    for (std::size_t index = 1, address = 0x3000; address == 0x3000 || address < 0x2000 + bodySize;
         ++index, address += kPage) {
        if (!sendPage(link, image.data() + index * kPage)) return false;
        std::size_t page = address / kPage;
        for (std::uint8_t row = 0; row < 28; ++row) {
            if (kSectorFirstPage[row] == page) {
                sector = row;
                if (!link.exchange({0x0A, 0, row})) return false;
                break;
            }
        }
        if (!link.exchange({0x0B, 0, sector, static_cast<std::uint8_t>(page - kSectorFirstPage[sector])})) return false;
    }
    return sendPage(link, image.data()) && link.exchange({0x0A, 0, 2}) && link.exchange({0x0B, 0, 2, 0});
}

std::uint16_t crc16(const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<std::uint16_t>(bytes[i] << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc =
                (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
        }
    }
    return crc;
}

std::vector<std::uint8_t> linkFrame(std::uint8_t command, const std::uint8_t* payload, std::size_t length) {
    std::vector<std::uint8_t> frame(length + 7);
    frame[0] = 0xAA;
    frame[1] = 0x16;
    frame[2] = 0x30;
    frame[3] = static_cast<std::uint8_t>(1 + length);
    frame[4] = command;
    if (length != 0) std::memcpy(frame.data() + 5, payload, length);
    std::uint16_t crc = crc16(frame.data(), length + 5);
    frame[length + 5] = static_cast<std::uint8_t>(crc >> 8);
    frame[length + 6] = static_cast<std::uint8_t>(crc);
    return frame;
}

bool linkExchange(int fd, const std::vector<std::uint8_t>& frame, std::uint8_t expected, Counts& counts) {
    std::uint8_t reply[128];
    if (!writeExactly(fd, frame.data(), frame.size()) || !readExactly(fd, reply, 7)) return false;
    std::size_t more = reply[3] >= 1 && reply[3] <= 122 ? reply[3] - 1u : 0;
    if (more != 0 && !readExactly(fd, reply + 7, more)) return false;
    ++counts.exchanges;
    ++counts.answered;
    counts.sent += frame.size();
    counts.received += 7 + more;
    if (reply[4] != expected) ++counts.refused;
    return true;
}

bool sendExtension(int fd, const std::uint8_t* extension, Counts& counts) {
    const std::uint8_t before[] = {0x41, 0x07, 0x07};
    const std::uint8_t open[] = {0x01};
    if (!linkExchange(fd, linkFrame(0x61, nullptr, 0), 0x0F, counts) ||
        !linkExchange(fd, linkFrame(0x1F, nullptr, 0), 0x10, counts) ||
        !linkExchange(fd, linkFrame(0x70, before, sizeof before), 0x10, counts)) {
        return false;
    }
    for (unsigned block = 0; block < kExtensionSize / 256; ++block) {
        if (!linkExchange(fd, linkFrame(0x70, open, sizeof open), 0x10, counts)) return false;
        for (unsigned chunk = 0; chunk < 8; ++chunk) {
            if (!linkExchange(fd, linkFrame(0x71, extension + block * 256 + chunk * 32, 32), 0x10, counts))
                return false;
        }
        const std::uint8_t close[] = {0x42, 0x07, static_cast<std::uint8_t>(block)};
        if (!linkExchange(fd, linkFrame(0x70, close, sizeof close), 0x10, counts)) return false;
    }
    std::vector<std::uint8_t> final = linkFrame(0x99, nullptr, 0);
    if (!writeExactly(fd, final.data(), final.size())) return false;
    ++counts.exchanges;
    counts.sent += final.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(kFinalPauseMs));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: panel_floor PORTNAME IMAGE\n");
        return 2;
    }
    std::ifstream file(argv[2], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < kHeaderSize + kPage) {
        std::fprintf(stderr, "panel_floor: cannot use image %s\n", argv[2]);
        return 2;
    }
    std::vector<std::uint8_t> image(kImageCapacity + 60, 0);
    std::size_t bodySize = std::min(bytes.size() - kHeaderSize, kImageCapacity);
    std::memcpy(image.data(), bytes.data() + kHeaderSize, bodySize);
    bool hasExtension = bodySize == kExtensionOffset + kExtensionSize;
    if (hasExtension) bodySize = kExtensionOffset;

    Counts counts;
    int fd = openRawLine(argv[1], kBaud);
    if (fd < 0 || !uploadBody(fd, image, bodySize, counts)) {
        std::fprintf(stderr, "panel_floor: first phase broke off\n");
        return 1;
    }
    close(fd);
    unsigned pauseMs = 0;
    if (hasExtension) {
        std::printf("between phases\n");
        std::fflush(stdout);
        char go = 0;
        if (read(STDIN_FILENO, &go, 1) != 1) return 1;
        fd = openRawLine(argv[1], kBaud);
        if (fd < 0 || !sendExtension(fd, image.data() + kExtensionOffset, counts)) {
            std::fprintf(stderr, "panel_floor: second phase broke off\n");
            return 1;
        }
        pauseMs = kFinalPauseMs;
        close(fd);
    }
    std::fprintf(stderr, "exchanges=%u answered=%u sent=%zu received=%zu pause_ms=%u refused=%u\n", counts.exchanges,
        counts.answered, counts.sent, counts.received, pauseMs, counts.refused);
    return counts.refused == 0 ? 0 : 1;
}
