// Sample firmware images for any catalogue model: the model's 32-byte header
// then a body whose bytes follow from their offset through a small mixing
// function, so that every page differs and a misplaced page shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace panel_emulator {

constexpr std::size_t kImageHeaderSize = 32;

// Throws std::invalid_argument for a name outside the catalogue.
std::vector<std::uint8_t> makeSampleImage(const std::string& model, std::size_t bodySize);
std::uint8_t sampleBodyByte(std::size_t offset);

}  // namespace panel_emulator
