#include "platform/qt/gif_image.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/errors.h"
#include "common/files.h"
#include "platform/gif_palette.h"

namespace vk7 {

namespace {

// Pictures larger than this are not decoded (a damaged header must not exhaust memory).
constexpr int kMaxSide = 32768;
constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

std::string giflibText(int error) {
    const char* text = GifErrorString(error);
    return text ? text : "GIF error " + std::to_string(error);
}

int writeToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), size_t(length));
    return length;
}

struct ByteReader {
    std::string_view bytes;
    size_t at = 0;
};

int readFromBytes(GifFileType* gif, GifByteType* data, int length) {
    auto* r = static_cast<ByteReader*>(gif->UserData);
    const size_t n = std::min(size_t(length), r->bytes.size() - r->at);
    std::memcpy(data, r->bytes.data() + r->at, n);
    r->at += n;
    return static_cast<int>(n);
}

}  // namespace

std::string encodeGif(const QImage& image, const std::string& name) {
    if (image.isNull() || image.width() < 1 || image.height() < 1 || image.width() > 65535 || image.height() > 65535)
        throw IoError("write", name, "the picture has no size a GIF can hold");
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height();

    std::vector<GifColorType> colours(kPictureTableSize);
    for (int i = 0; i < kPictureTableSize; ++i) {
        const uint32_t c = picturePalette()[size_t(i)];
        colours[size_t(i)] = {GifByteType(c >> 16 & 0xFF), GifByteType(c >> 8 & 0xFF), GifByteType(c & 0xFF)};
    }

    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToString, &error);
    if (!gif) throw IoError("write", name, giflibText(error));
    ColorMapObject* map = GifMakeMapObject(kPictureTableSize, colours.data());
    auto fail = [&](int code) {
        if (map) GifFreeMapObject(map);
        int ignored = 0;
        EGifCloseFile(gif, &ignored);
        throw IoError("write", name, giflibText(code));
    };
    if (!map) fail(E_GIF_ERR_NOT_ENOUGH_MEM);
    if (EGifPutScreenDesc(gif, w, h, 5, 0, map) == GIF_ERROR) fail(gif->Error);
    GifFreeMapObject(map);
    map = nullptr;
    if (EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_ERROR) fail(gif->Error);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        std::vector<uint8_t> indexes = reduceToPictureColours(std::span<const uint32_t>(line, size_t(w)));
        if (EGifPutLine(gif, indexes.data(), w) == GIF_ERROR) fail(gif->Error);
    }
    if (EGifCloseFile(gif, &error) == GIF_ERROR) throw IoError("write", name, giflibText(error));
    return out;
}

void saveGif(const QImage& image, const std::filesystem::path& file) {
    safeRewrite(file, encodeGif(image, pathForMessage(file)));
}

QImage decodeGif(std::string_view bytes, const std::string& name) {
    ByteReader reader{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromBytes, &error);
    if (!gif) throw IoError("read", name, giflibText(error));
    auto fail = [&](const std::string& why) {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
        throw IoError("read", name, why);
    };
    if (gif->SWidth < 1 || gif->SHeight < 1 || gif->SWidth > kMaxSide || gif->SHeight > kMaxSide ||
        int64_t(gif->SWidth) * gif->SHeight > kMaxPixels)
        fail("the picture's size is not valid");
    if (DGifSlurp(gif) == GIF_ERROR) fail(giflibText(gif->Error));
    if (gif->ImageCount < 1) fail("the file holds no picture");

    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount < 1) fail("the picture has no colour table");
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, 0, &gcb);

    QImage image(gif->SWidth, gif->SHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const GifImageDesc& d = frame.ImageDesc;
    for (int y = 0; y < d.Height; ++y) {
        const int cy = d.Top + y;
        if (cy < 0 || cy >= image.height()) continue;
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(cy));
        for (int x = 0; x < d.Width; ++x) {
            const int cx = d.Left + x;
            if (cx < 0 || cx >= image.width()) continue;
            const int index = frame.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)];
            if (index == gcb.TransparentColor) continue;
            const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
            out[cx] = 0xFF000000u | uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | uint32_t(c.Blue);
        }
    }
    DGifCloseFile(gif, &error);
    return image;
}

QImage loadGif(const std::filesystem::path& file) { return decodeGif(readFileBytes(file), pathForMessage(file)); }

}  // namespace vk7
