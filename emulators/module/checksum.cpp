#include "checksum.h"

namespace module_emulator {

std::uint8_t byteSum(std::string_view bytes) {
    std::uint8_t sum = 0;
    for (char c : bytes) sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(c));
    return sum;
}

std::string checksumDigits(std::uint8_t sum) {
    const char digits[] = {char('0' + sum / 100), char('0' + sum / 10 % 10), char('0' + sum % 10)};
    return std::string(digits, 3);
}

ChecksumCheck checkTrailingChecksum(std::string_view frame, std::string_view& body) {
    if (frame.size() < 3) return ChecksumCheck::Missing;
    const std::string_view digits = frame.substr(frame.size() - 3);
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return ChecksumCheck::Missing;
        value = value * 10 + unsigned(c - '0');
    }
    const std::string_view candidate = frame.substr(0, frame.size() - 3);
    if (value != byteSum(candidate)) return ChecksumCheck::Mismatch;
    body = candidate;
    return ChecksumCheck::Valid;
}

}  // namespace module_emulator
