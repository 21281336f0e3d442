// Checks the generated 16-colour icons (assets/icons/*.ico) byte by byte:
// directory, entries, DIB headers, palette and transparency masks.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef BIORHYTHM_ICON_DIR
#error "BIORHYTHM_ICON_DIR must name the directory holding the .ico files"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r, g, b;
};

// Standard Windows 16-colour palette, in stored order.
constexpr std::array<Rgb, 16> kPalette{{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

constexpr std::array<int, 2> kSizes{32, 16};
constexpr std::size_t kDirSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteSize = 16 * 4;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian reads; callers check bounds first.
unsigned u16(const Bytes& b, std::size_t at)
{
    return static_cast<unsigned>(b[at] | (b[at + 1] << 8));
}

std::uint32_t u32(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8)
           | (static_cast<std::uint32_t>(b[at + 2]) << 16)
           | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::size_t stride(int width, int bitsPerPixel)
{
    return static_cast<std::size_t>(((width * bitsPerPixel + 31) / 32) * 4);
}

// Checks one DIB image (BITMAPINFOHEADER, palette, XOR bitmap, AND mask)
// stored at [offset, offset + length).
void checkImage(const Bytes& file, std::size_t offset, std::size_t length, int size)
{
    SCOPED_TRACE("image " + std::to_string(size) + "x" + std::to_string(size));
    const std::size_t xorStride = stride(size, 4);
    const std::size_t andStride = stride(size, 1);
    const std::size_t n = static_cast<std::size_t>(size);
    const std::size_t expected = kInfoHeaderSize + kPaletteSize + (xorStride + andStride) * n;

    ASSERT_EQ(length, expected) << "entry byte count";
    ASSERT_LE(offset + length, file.size()) << "image runs past the end of the file";

    EXPECT_EQ(u32(file, offset + 0), kInfoHeaderSize) << "biSize";
    EXPECT_EQ(u32(file, offset + 4), n) << "biWidth";
    EXPECT_EQ(u32(file, offset + 8), 2 * n) << "biHeight must count XOR and AND halves";
    EXPECT_EQ(u16(file, offset + 12), 1u) << "biPlanes";
    EXPECT_EQ(u16(file, offset + 14), 4u) << "biBitCount";
    EXPECT_EQ(u32(file, offset + 16), 0u) << "biCompression (BI_RGB)";
    const std::uint32_t sizeImage = u32(file, offset + 20);
    EXPECT_TRUE(sizeImage == 0 || sizeImage == (xorStride + andStride) * n) << "biSizeImage";
    const std::uint32_t clrUsed = u32(file, offset + 32);
    EXPECT_TRUE(clrUsed == 0 || clrUsed == 16) << "biClrUsed";

    const std::size_t pal = offset + kInfoHeaderSize;
    for (std::size_t i = 0; i < kPalette.size(); ++i) {
        SCOPED_TRACE("palette entry " + std::to_string(i));
        EXPECT_EQ(file[pal + 4 * i + 0], kPalette[i].b);
        EXPECT_EQ(file[pal + 4 * i + 1], kPalette[i].g);
        EXPECT_EQ(file[pal + 4 * i + 2], kPalette[i].r);
        EXPECT_EQ(file[pal + 4 * i + 3], 0);
    }

    const std::size_t xorStart = pal + kPaletteSize;
    const std::size_t andStart = xorStart + xorStride * n;
    int transparent = 0;
    int opaque = 0;
    int transparentButColoured = 0;
    for (std::size_t row = 0; row < n; ++row) {
        for (std::size_t x = 0; x < n; ++x) {
            const std::uint8_t maskByte = file[andStart + row * andStride + x / 8];
            const bool isTransparent = (maskByte >> (7 - x % 8)) & 1;
            const std::uint8_t colourByte = file[xorStart + row * xorStride + x / 2];
            const int index = (x % 2 == 0) ? (colourByte >> 4) : (colourByte & 0x0f);
            if (isTransparent) {
                ++transparent;
                if (index != 0)
                    ++transparentButColoured;
            } else {
                ++opaque;
            }
        }
    }
    EXPECT_GT(transparent, 0) << "AND mask has no transparent pixel";
    EXPECT_GT(opaque, 0) << "AND mask has no opaque pixel";
    EXPECT_EQ(transparentButColoured, 0) << "transparent pixels must use colour index 0";
}

class IcoFile : public ::testing::TestWithParam<const char*> {};

TEST_P(IcoFile, IsTwoImageSixteenColourIcon)
{
    const std::string path = std::string(BIORHYTHM_ICON_DIR) + "/" + GetParam() + ".ico";
    SCOPED_TRACE(path);
    const Bytes file = readFile(path);
    ASSERT_GE(file.size(), kDirSize + kSizes.size() * kEntrySize) << "missing or too short";

    EXPECT_EQ(u16(file, 0), 0u) << "reserved";
    EXPECT_EQ(u16(file, 2), 1u) << "type (1 = icon)";
    ASSERT_EQ(u16(file, 4), kSizes.size()) << "image count";

    std::size_t previousEnd = kDirSize + kSizes.size() * kEntrySize;
    for (std::size_t i = 0; i < kSizes.size(); ++i) {
        SCOPED_TRACE("directory entry " + std::to_string(i));
        const std::size_t e = kDirSize + i * kEntrySize;
        const auto size = static_cast<unsigned>(kSizes[i]);
        EXPECT_EQ(file[e + 0], size) << "width";
        EXPECT_EQ(file[e + 1], size) << "height";
        EXPECT_EQ(file[e + 2], 16) << "colour count";
        EXPECT_EQ(file[e + 3], 0) << "reserved";
        EXPECT_EQ(u16(file, e + 4), 1u) << "planes";
        EXPECT_EQ(u16(file, e + 6), 4u) << "bits per pixel";
        const std::uint32_t length = u32(file, e + 8);
        const std::uint32_t offset = u32(file, e + 12);
        ASSERT_GE(offset, previousEnd) << "image overlaps the directory or the previous image";
        ASSERT_LE(static_cast<std::size_t>(offset) + length, file.size())
            << "image runs past the end of the file";
        checkImage(file, offset, length, kSizes[i]);
        previousEnd = static_cast<std::size_t>(offset) + length;
    }
}

INSTANTIATE_TEST_SUITE_P(AllIcons, IcoFile,
                         ::testing::Values("hand", "pencil", "book", "knob", "books"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
