#include "imaging/decoders/icon_decoder.h"

#include <new>

#include "imaging/decoders/byte_order.h"

namespace tessel::imaging {

namespace {

constexpr int kSize = IconImage::kSize;
constexpr std::size_t kDirectoryBytes = 22;  // the directory (6 bytes) and its first entry
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

bool HasEntryOf32(ByteSpan file) {
    return file.size() >= kDirectoryBytes && file[0] == 0 && file[6] == kSize && file[7] == kSize;
}

// The offset of the image data when the file reaches nNeeded bytes past it, else -1.
std::int64_t ImageOffset(ByteSpan file, std::uint64_t nNeeded) {
    std::uint64_t nOffset = ReadU32(&file[18]);
    return nOffset + nNeeded <= file.size() ? static_cast<std::int64_t>(nOffset) : -1;
}

// Builds both bitmaps from a colour per pixel and the mask bits (rows bottom up, 4 bytes a
// row, most significant bit leftmost; a set bit is transparent).
template <typename ColourAt>
IconImage Build(const std::uint8_t* pMask, ColourAt colourAt) {
    IconImage icon;
    InitDib(icon.colour, kSize, kSize, 32, 0);
    InitDib(icon.mask, kSize, kSize, 32, 0);
    for (int nRow = 0; nRow < kSize; ++nRow) {  // stored order: bottom row first
        std::uint8_t* pColour = icon.colour.bits.data() + nRow * kSize * 4;
        std::uint8_t* pMaskOut = icon.mask.bits.data() + nRow * kSize * 4;
        for (int x = 0; x < kSize; ++x) {
            bool bTransparent = (pMask[nRow * 4 + x / 8] >> (7 - x % 8)) & 1;
            std::uint32_t nColour = bTransparent ? kBlack : colourAt(nRow, x);
            std::uint32_t nMask = bTransparent ? kWhite : kBlack;
            // COLORREF 0x00BBGGRR into blue, green, red, unused.
            pColour[4 * x] = static_cast<std::uint8_t>(nColour >> 16);
            pColour[4 * x + 1] = static_cast<std::uint8_t>(nColour >> 8);
            pColour[4 * x + 2] = static_cast<std::uint8_t>(nColour);
            pMaskOut[4 * x] = pMaskOut[4 * x + 1] = pMaskOut[4 * x + 2] =
                static_cast<std::uint8_t>(nMask);
        }
    }
    return icon;
}

std::optional<IconImage> Icon(ByteSpan file) {
    if (!HasEntryOf32(file)) return std::nullopt;
    constexpr int kPaletteAt = 40, kPixelsAt = 104, kMaskAt = 616;
    std::int64_t nOffset = ImageOffset(file, kMaskAt + kSize * 4);
    if (nOffset < 0) return std::nullopt;
    const std::uint8_t* pImage = file.data() + nOffset;
    std::uint32_t palette[16];
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t* p = pImage + kPaletteAt + 4 * i;
        palette[i] = p[2] | (p[1] << 8) | (p[0] << 16);
    }
    const std::uint8_t* pPixels = pImage + kPixelsAt;
    return Build(pImage + kMaskAt, [&](int nRow, int x) {
        std::uint8_t nPair = pPixels[nRow * 16 + x / 2];
        return palette[(x & 1) ? nPair & 15 : nPair >> 4];
    });
}

std::optional<IconImage> Cursor(ByteSpan file) {
    if (file.size() < kDirectoryBytes) return std::nullopt;
    if (file[15] == 2) return Icon(file);
    if (!HasEntryOf32(file) || file[2] != 2) return std::nullopt;
    constexpr int kPixelsAt = 48, kMaskAt = 176;
    std::int64_t nOffset = ImageOffset(file, kMaskAt + kSize * 4);
    if (nOffset < 0) return std::nullopt;
    const std::uint8_t* pPixels = file.data() + nOffset + kPixelsAt;
    return Build(file.data() + nOffset + kMaskAt, [&](int nRow, int x) {
        return (pPixels[nRow * 4 + x / 8] >> (7 - x % 8)) & 1 ? kWhite : kBlack;
    });
}

}  // namespace

std::optional<IconImage> ReadIcon(ByteSpan file) {
    try {
        return Icon(file);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<IconImage> ReadCursor(ByteSpan file) {
    try {
        return Cursor(file);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace tessel::imaging
