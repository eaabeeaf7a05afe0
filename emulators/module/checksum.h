// Three-digit decimal checksum of the module's command interface: the byte
// sum modulo 256, written as exactly three ASCII digits ("000" to "255").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace module_emulator {

std::uint8_t byteSum(std::string_view bytes);

// "abc" -> "038".
std::string checksumDigits(std::uint8_t sum);

// Splits a checksummed frame: true when `frame` ends in three digits that
// match the sum of the bytes before them; `body` then holds those bytes.
enum class ChecksumCheck { Valid, Missing, Mismatch };
ChecksumCheck checkTrailingChecksum(std::string_view frame, std::string_view& body);

}  // namespace module_emulator
