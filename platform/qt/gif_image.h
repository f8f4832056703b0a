// GIF pictures through giflib: a picture is written reduced to the 20-colour palette of
// platform/gif_palette.h (nearest colour, no dithering, a 32-entry colour table, LZW) and
// read back into an image. Errors are IoError with giflib's own text as the detail.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <QImage>

namespace vk7 {

// The bytes of a one-frame GIF of `image`. Throws IoError("write", name) for an empty image
// or a failure of the encoder; `name` only names the picture in the error.
std::string encodeGif(const QImage& image, const std::string& name = "GIF");

// Writes `image` as a GIF through the safe rewrite. Throws IoError.
void saveGif(const QImage& image, const std::filesystem::path& file);

// The first frame of a GIF on a canvas of its logical screen (transparent where the frame
// leaves it uncovered or is transparent). Throws IoError("read", name, giflib's text).
QImage decodeGif(std::string_view bytes, const std::string& name = "GIF");

// Reads a GIF file. Throws IoError.
QImage loadGif(const std::filesystem::path& file);

}  // namespace vk7
