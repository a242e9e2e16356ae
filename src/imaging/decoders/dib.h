#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// What every picture decoder produces: a device-independent bitmap laid out exactly as
// Windows keeps one, so that the drawing layer can hand it to StretchDIBits or
// CBitmap::CreateFromDib as it is.
//
// The plain structs below have the layout of BITMAPINFOHEADER, RGBQUAD and a BITMAPINFO with
// room for 256 colours (1064 bytes); platform/gdi.h's structs of the same names match them
// field for field, so either a memcpy of DibImage::info or DibImage::Packed() gives the
// drawing layer its BITMAPINFO without any conversion.

namespace tessel::imaging {

using ByteSpan = std::span<const std::uint8_t>;

// BITMAPINFOHEADER, 40 bytes.
struct DibHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // always positive here: rows are stored bottom up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;  // kBiRgb, or kBiBitfields for 16 and 32 bits
    std::uint32_t biSizeImage = 0;    // height × stride
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;  // entries in the colour table (0 above 8 bits per pixel)
    std::uint32_t biClrImportant = 0;
};

// RGBQUAD: one colour-table entry.
struct DibColour {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

// BITMAPINFO with a full colour table. With kBiBitfields the red, green and blue masks take
// the place of the first three entries, as they do in a Windows DIB.
struct DibInfo {
    DibHeader bmiHeader;
    DibColour bmiColors[256];
};

static_assert(sizeof(DibHeader) == 40);
static_assert(sizeof(DibColour) == 4);
static_assert(offsetof(DibInfo, bmiColors) == 40);
static_assert(sizeof(DibInfo) == 1064);

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;
inline constexpr std::uint32_t kBiRle4 = 2;
inline constexpr std::uint32_t kBiBitfields = 3;

// Bytes per row of a DIB: rows are padded to a multiple of 4 bytes.
constexpr std::int64_t DibStride(std::int64_t nWidth, int nBitCount) {
    return (nWidth * nBitCount + 31) / 32 * 4;
}

// A decoded picture: header, colour table and the pixel rows, bottom row first, each
// Stride() bytes long. Bit counts 1, 4 and 8 index the colour table (the leftmost pixel in
// the high bits of a byte); 16 is 5-5-5 (or masked with kBiBitfields); 24 is blue, green,
// red; 32 is blue, green, red and an unused byte (or masked).
struct DibImage {
    DibInfo info;
    std::vector<std::uint8_t> bits;

    int Width() const { return info.bmiHeader.biWidth; }
    int Height() const { return info.bmiHeader.biHeight; }
    int BitCount() const { return info.bmiHeader.biBitCount; }
    // Entries of the colour table; 0 for 16, 24 and 32 bits per pixel.
    int ColourCount() const { return static_cast<int>(info.bmiHeader.biClrUsed); }
    int Stride() const { return static_cast<int>(DibStride(Width(), BitCount())); }

    // Row y counted from the top of the picture.
    const std::uint8_t* Row(int y) const {
        return bits.data() + static_cast<std::size_t>(Height() - 1 - y) * Stride();
    }
    std::uint8_t* Row(int y) {
        return bits.data() + static_cast<std::size_t>(Height() - 1 - y) * Stride();
    }
    // Colour-table index of a pixel (1, 4 and 8 bits per pixel; 0 otherwise).
    int Index(int x, int y) const;
    // Colour of a pixel as a COLORREF (0x00BBGGRR).
    std::uint32_t Pixel(int x, int y) const;

    // The packed form of the bitmap (the clipboard's CF_DIB): header, colour table (or the
    // three masks) and the rows, in one block.
    std::vector<std::uint8_t> Packed() const;
};

// Sets up the header of a bottom-up DIB of the given size and depth with nColours table
// entries (not filled in) and its rows: copied from pRows (height × stride bytes, bottom row
// first) when given, else zeroed. The caller has checked the size against its limits
// (decoder_limits.h).
void InitDib(DibImage& dib, int nWidth, int nHeight, int nBitCount, int nColours,
             const std::uint8_t* pRows = nullptr);

}  // namespace tessel::imaging
