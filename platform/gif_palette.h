// The palette of saved pictures: the 20 static colours of the classic desktop palette, in
// their fixed order, padded with black to the 32 entries of a 5-bit GIF colour table, and
// the reduction of a picture to it (nearest colour, no dithering).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vk7 {

constexpr int kPictureColours = 20;
constexpr int kPictureTableSize = 32;

// 0xRRGGBB values: 000000 800000 008000 808000 000080 800080 008080 C0C0C0 C0DCC0 A6CAF0
// FFFBF0 A0A0A4 808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF, then black.
const std::array<uint32_t, kPictureTableSize>& picturePalette();

// The index of the colour nearest to 0xRRGGBB (the top byte is ignored) among the 20, by
// squared distance in RGB; of equally near colours the first wins.
uint8_t nearestPictureColour(uint32_t rgb);

// Every pixel mapped to its nearest colour, one index per pixel.
std::vector<uint8_t> reduceToPictureColours(std::span<const uint32_t> pixels);

}  // namespace vk7
