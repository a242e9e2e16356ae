#include "imaging/decoders/icon_decoder.h"

#include <gtest/gtest.h>

#include "gif_writer.h"

namespace tessel::imaging {
namespace {

using test::Bytes;
using test::Put32;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// The test pattern: colour index (x + 3y) mod 16, transparent where x == y or x + y == 31.
int IndexAt(int x, int y) {
    return (x + 3 * y) % 16;
}
bool TransparentAt(int x, int y) {
    return x == y || x + y == 31;
}
std::uint32_t PaletteColour(int i) {
    return (i * 16) | ((255 - i) << 8) | (i * 8) << 16;
}

// The directory and first entry of an icon (type 1) or cursor (type 2) whose image starts
// at nOffset.
Bytes Directory(int nType, int nSize, std::uint32_t nResourceBytes, std::uint32_t nOffset) {
    Bytes out{0, 0, static_cast<std::uint8_t>(nType), 0, 1, 0};
    out.insert(out.end(), {std::uint8_t(nSize), std::uint8_t(nSize), 16, 0, 1, 0, 4, 0});
    Put32(out, nResourceBytes);
    Put32(out, nOffset);
    out.resize(nOffset, 0xAA);
    Put32(out, 40);  // the image's own header, which the readers pass over
    Put32(out, 32);
    Put32(out, 64);
    out.resize(nOffset + 40, 0);
    return out;
}

// A mask row of the pattern: 4 bytes, leftmost pixel in the top bit, set = transparent.
void PutMaskRow(Bytes& out, int y) {
    std::uint32_t nRow = 0x80000000u >> y | 0x80000000u >> (31 - y);
    for (int nShift : {24, 16, 8, 0})
        out.push_back(static_cast<std::uint8_t>(nRow >> nShift));
}

Bytes MakeIcon(int nSize = 32) {
    Bytes out = Directory(1, nSize, 744, 22);
    for (int i = 0; i < 16; ++i) {
        std::uint32_t c = PaletteColour(i);
        out.insert(out.end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c), 0});
    }
    for (int y = 31; y >= 0; --y) {
        for (int x = 0; x < 32; x += 2)
            out.push_back(std::uint8_t(IndexAt(x, y) << 4 | IndexAt(x + 1, y)));
    }
    for (int y = 31; y >= 0; --y)
        PutMaskRow(out, y);
    return out;
}

// A two-colour cursor: white where (x + y) is odd; its own palette (red, green) is ignored.
Bytes MakeCursor() {
    Bytes out = Directory(2, 32, 304, 30);
    out.insert(out.end(), {0, 0, 255, 0, 0, 255, 0, 0});
    for (int y = 31; y >= 0; --y) {
        for (int nByte = 0; nByte < 4; ++nByte)
            out.push_back(y % 2 ? 0xAA : 0x55);
    }
    for (int y = 31; y >= 0; --y)
        PutMaskRow(out, y);
    return out;
}

void ExpectImages(const IconImage& icon, auto colourAt) {
    EXPECT_EQ(icon.nColours, 16);
    for (const DibImage* dib : {&icon.colour, &icon.mask}) {
        ASSERT_EQ(dib->Width(), 32);
        ASSERT_EQ(dib->Height(), 32);
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool bClear = TransparentAt(x, y);
            ASSERT_EQ(icon.mask.Pixel(x, y), bClear ? kWhite : 0u) << x << "," << y;
            ASSERT_EQ(icon.colour.Pixel(x, y), bClear ? 0u : colourAt(x, y)) << x << "," << y;
        }
    }
}

TEST(IconDecoderTest, SixteenColourIconGivesColourAndMask) {
    auto icon = ReadIcon(MakeIcon());
    ASSERT_TRUE(icon);
    ExpectImages(*icon, [](int x, int y) { return PaletteColour(IndexAt(x, y)); });
}

TEST(IconDecoderTest, OnlyWholeThirtyTwoPixelIconsLoad) {
    Bytes icon = MakeIcon();
    EXPECT_FALSE(ReadIcon(MakeIcon(16)));
    Bytes wrong = icon;
    wrong[0] = 1;
    EXPECT_FALSE(ReadIcon(wrong));
    EXPECT_FALSE(ReadIcon(Bytes(icon.begin(), icon.end() - 1)));
    EXPECT_FALSE(ReadIcon(Bytes(icon.begin(), icon.begin() + 21)));
    wrong = icon;
    wrong[21] = 0x80;  // image offset past the end
    EXPECT_FALSE(ReadIcon(wrong));
}

TEST(CursorDecoderTest, TwoColourCursorUsesBlackAndWhite) {
    auto cursor = ReadCursor(MakeCursor());
    ASSERT_TRUE(cursor);
    ExpectImages(*cursor, [](int x, int y) { return (x + y) % 2 ? kWhite : 0u; });

    Bytes wrong = MakeCursor();
    wrong[2] = 1;  // an icon's type
    EXPECT_FALSE(ReadCursor(wrong));
    wrong = MakeCursor();
    wrong[7] = 16;
    EXPECT_FALSE(ReadCursor(wrong));
    Bytes file = MakeCursor();
    EXPECT_FALSE(ReadCursor(Bytes(file.begin(), file.end() - 1)));
}

TEST(CursorDecoderTest, CursorOfFiveHundredOddBytesIsASixteenColourIcon) {
    Bytes file = MakeIcon();  // a resource of 744 bytes: byte 15 is 2
    file[2] = 2;
    ASSERT_EQ(file[15], 2);
    auto cursor = ReadCursor(file);
    ASSERT_TRUE(cursor);
    ExpectImages(*cursor, [](int x, int y) { return PaletteColour(IndexAt(x, y)); });
}

}  // namespace
}  // namespace tessel::imaging
