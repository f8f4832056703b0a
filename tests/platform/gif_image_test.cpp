#include "platform/qt/gif_image.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include "common/errors.h"
#include "common/files.h"
#include "platform/gif_palette.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

uint32_t rgbAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

TEST(PicturePalette, TwentyColoursInTheirOrderPaddedWithBlack) {
    const std::vector<uint32_t> expected = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                            0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
                                            0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const auto& p = picturePalette();
    for (int i = 0; i < kPictureTableSize; ++i) EXPECT_EQ(p[size_t(i)], i < 20 ? expected[size_t(i)] : 0u) << i;
}

TEST(PicturePalette, NearestColourByRgbDistanceFirstWinsTies) {
    struct Case { uint32_t rgb; uint32_t want; };
    for (Case c : {Case{0xFA0505, 0xFF0000}, {0xBEBEBE, 0xC0C0C0}, {0x400000, 0x000000},  // tie: black first
                   {0xC0C0C0, 0xC0C0C0}, {0xFFFBF0, 0xFFFBF0}, {0xA6CAF0, 0xA6CAF0}, {0xFF808080, 0x808080},
                   {0x9C9C9C, 0xA0A0A4}, {0xF0F0F0, 0xFFFBF0}, {0x202020, 0x000000}})
        EXPECT_EQ(picturePalette()[nearestPictureColour(c.rgb)], c.want) << std::hex << c.rgb;
}

// A picture with palette colours, colours off the palette and a flat block that must not be
// dithered.
QImage samplePicture() {
    QImage image(40, 24, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 20; ++x) image.setPixel(x, y, qRgb(190, 190, 190));
    image.setPixel(25, 5, qRgb(250, 5, 5));
    image.setPixel(26, 5, qRgb(0, 0, 255));
    image.setPixel(27, 5, qRgb(0, 120, 10));
    return image;
}

TEST(GifImage, RoundTripMapsEveryPixelToItsNearestColour) {
    const std::string bytes = encodeGif(samplePicture());
    ASSERT_GE(bytes.size(), 13u + 96u);
    EXPECT_EQ(bytes.substr(0, 3), "GIF");
    // The logical screen holds a global table of 32 entries with the palette in its order.
    EXPECT_EQ(static_cast<uint8_t>(bytes[10]) & 0x87, 0x84);
    for (int i = 0; i < kPictureTableSize; ++i) {
        const uint32_t c = picturePalette()[size_t(i)];
        EXPECT_EQ(static_cast<uint8_t>(bytes[size_t(13 + 3 * i)]), c >> 16 & 0xFF) << i;
        EXPECT_EQ(static_cast<uint8_t>(bytes[size_t(14 + 3 * i)]), c >> 8 & 0xFF) << i;
        EXPECT_EQ(static_cast<uint8_t>(bytes[size_t(15 + 3 * i)]), c & 0xFF) << i;
    }
    const QImage back = decodeGif(bytes);
    ASSERT_EQ(back.size(), QSize(40, 24));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(rgbAt(back, x, y), 0xC0C0C0u) << x << "," << y;
    EXPECT_EQ(rgbAt(back, 25, 5), 0xFF0000u);
    EXPECT_EQ(rgbAt(back, 26, 5), 0x0000FFu);
    EXPECT_EQ(rgbAt(back, 27, 5), 0x008000u);
    EXPECT_EQ(rgbAt(back, 39, 23), 0xFFFFFFu);
    EXPECT_EQ(qAlpha(back.pixel(0, 0)), 255);
}

TEST(GifImage, QtsOwnReaderOpensTheWrittenPicture) {
    if (!QImageReader::supportedImageFormats().contains("gif")) GTEST_SKIP() << "no GIF reader in this Qt";
    const std::string bytes = encodeGif(samplePicture());
    QImage viaQt;
    ASSERT_TRUE(viaQt.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()), "GIF"));
    EXPECT_EQ(viaQt.size(), QSize(40, 24));
    EXPECT_EQ(viaQt.pixel(25, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(viaQt.pixel(3, 3) & 0xFFFFFF, 0xC0C0C0u);
}

TEST(GifImage, SaveAndLoadThroughFiles) {
    test::TempDir dir;
    const fs::path file = dir / "results" / "1.gif";
    fs::create_directories(file.parent_path());
    saveGif(samplePicture(), file);
    EXPECT_EQ(readFileBytes(file), encodeGif(samplePicture()));
    const QImage back = loadGif(file);
    EXPECT_EQ(back.size(), QSize(40, 24));
    // Only the picture is left in the folder (no temporary).
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST(GifImage, UnreadableOrEmptyPicturesGiveIoErrors) {
    test::TempDir dir;
    EXPECT_THROW(loadGif(dir / "none.gif"), IoError);
    EXPECT_THROW(decodeGif("not a picture at all"), IoError);
    std::string cut = encodeGif(samplePicture());
    cut.resize(cut.size() / 2);
    try {
        decodeGif(cut, "/x/3.gif");
        FAIL() << "a cut picture was read";
    } catch (const IoError& e) {
        EXPECT_EQ(e.operation(), "read");
        EXPECT_EQ(e.path(), "/x/3.gif");
        EXPECT_FALSE(e.detail().empty());
    }
    EXPECT_THROW(encodeGif(QImage()), IoError);
    EXPECT_THROW(saveGif(samplePicture(), dir / "no-such-folder" / "1.gif"), IoError);
}

}  // namespace
}  // namespace vk7
