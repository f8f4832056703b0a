#include "platform/gif_palette.h"

namespace vk7 {

const std::array<uint32_t, kPictureTableSize>& picturePalette() {
    static const std::array<uint32_t, kPictureTableSize> palette = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
        0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    return palette;  // entries 20..31 are black
}

uint8_t nearestPictureColour(uint32_t rgb) {
    const auto& palette = picturePalette();
    const int r = int(rgb >> 16 & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb & 0xFF);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < kPictureColours; ++i) {
        const uint32_t c = palette[size_t(i)];
        const int dr = r - int(c >> 16 & 0xFF), dg = g - int(c >> 8 & 0xFF), db = b - int(c & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

std::vector<uint8_t> reduceToPictureColours(std::span<const uint32_t> pixels) {
    std::vector<uint8_t> out(pixels.size());
    // A plot has few colours in long runs: remember the last one.
    uint32_t last = 0;
    uint8_t lastIndex = nearestPictureColour(0);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t rgb = pixels[i] & 0xFFFFFF;
        if (rgb != last) {
            last = rgb;
            lastIndex = nearestPictureColour(rgb);
        }
        out[i] = lastIndex;
    }
    return out;
}

}  // namespace vk7
