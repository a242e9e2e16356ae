#include "imaging/decoders/bmp_decoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/decoders/byte_order.h"
#include "imaging/decoders/decoder_limits.h"

namespace tessel::imaging {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kCoreHeaderBytes = 12;
constexpr std::size_t kInfoHeaderBytes = 40;
// A run-length picture may be mostly skipped by deltas and the end-of-picture mark, so its
// size is not bounded by its data; believe up to this many pixels per byte (and 1 M pixels
// whatever the data).
constexpr std::int64_t kRlePixelsPerByte = 1024;
constexpr std::int64_t kRleFreePixels = std::int64_t{1} << 20;

// Expands 8- or 4-bit run-length data into the rows of dib (bottom row first, as stored).
// Pixels that fall outside the picture are dropped; data that ends early leaves the rest 0.
void ExpandRle(ByteSpan data, DibImage& dib, bool bFourBits) {
    const std::int64_t nWidth = dib.Width(), nHeight = dib.Height(), nStride = dib.Stride();
    auto put = [&](std::int64_t x, std::int64_t y, int v) {
        if (x >= nWidth || y >= nHeight) return;
        std::uint8_t* pRow = dib.bits.data() + y * nStride;
        if (!bFourBits) {
            pRow[x] = static_cast<std::uint8_t>(v);
        } else if (x & 1) {
            pRow[x >> 1] = static_cast<std::uint8_t>((pRow[x >> 1] & 0xF0) | v);
        } else {
            pRow[x >> 1] = static_cast<std::uint8_t>((pRow[x >> 1] & 0x0F) | (v << 4));
        }
    };
    std::size_t p = 0;
    const std::size_t nEnd = data.size();
    std::int64_t x = 0, y = 0;
    while (p + 2 <= nEnd && y < nHeight) {
        int nCount = data[p], nValue = data[p + 1];
        p += 2;
        if (nCount > 0) {  // a run: one byte repeated (two alternating nibbles at 4 bits)
            for (int i = 0; i < nCount; ++i, ++x) {
                int v = !bFourBits ? nValue : (i & 1) ? nValue & 15 : nValue >> 4;
                put(x, y, v);
            }
        } else if (nValue == 0) {  // end of line
            x = 0;
            ++y;
        } else if (nValue == 1) {  // end of picture
            break;
        } else if (nValue == 2) {  // delta: move right and up
            if (p + 2 > nEnd) break;
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else {  // absolute: nValue literal pixels, padded to a 16-bit boundary
            std::size_t nBytes = bFourBits ? (nValue + 1) / 2 : nValue;
            std::size_t nHave = std::min(nBytes, nEnd - p);
            for (int i = 0; i < nValue && static_cast<std::size_t>(bFourBits ? i / 2 : i) < nHave;
                 ++i, ++x) {
                int v = !bFourBits ? data[p + i]
                        : (i & 1)  ? data[p + i / 2] & 15
                                   : data[p + i / 2] >> 4;
                put(x, y, v);
            }
            p += std::min(nBytes + (nBytes & 1), nEnd - p);
        }
    }
}

std::optional<DibImage> Read(ByteSpan file) {
    if (file.size() < kFileHeaderBytes + kCoreHeaderBytes) return std::nullopt;
    if (file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const std::uint64_t nBitsOffset = ReadU32(&file[10]);
    const std::uint8_t* h = &file[kFileHeaderBytes];
    const std::uint64_t nInfoSize = ReadU32(h);
    // The OS/2 (and Windows 2) core header: 16-bit width and height, planes and bit count,
    // nothing else; the rows are bottom up and never compressed.
    const bool bCore = nInfoSize == kCoreHeaderBytes;
    if (!bCore &&
        (nInfoSize < kInfoHeaderBytes || file.size() < kFileHeaderBytes + kInfoHeaderBytes))
        return std::nullopt;
    const std::int64_t nWidth = bCore ? ReadU16(h + 4) : ReadS32(h + 4);
    const std::int64_t nRawHeight = bCore ? ReadU16(h + 6) : ReadS32(h + 8);
    const int nBitCount = ReadU16(h + (bCore ? 10 : 14));
    const std::uint32_t nCompression = bCore ? kBiRgb : ReadU32(h + 16);
    const std::uint32_t nUsed = bCore ? 0 : ReadU32(h + 32);
    if (nWidth <= 0 || nRawHeight == 0) return std::nullopt;
    if (bCore && nBitCount != 1 && nBitCount != 4 && nBitCount != 8 && nBitCount != 24)
        return std::nullopt;
    const bool bTopDown = nRawHeight < 0;
    const std::int64_t nHeight = bTopDown ? -nRawHeight : nRawHeight;

    bool bDepthOk = false;
    switch (nCompression) {
        case kBiRgb:
            bDepthOk = nBitCount == 1 || nBitCount == 4 || nBitCount == 8 || nBitCount == 16 ||
                       nBitCount == 24 || nBitCount == 32;
            break;
        case kBiRle8:
            bDepthOk = nBitCount == 8 && !bTopDown;
            break;
        case kBiRle4:
            bDepthOk = nBitCount == 4 && !bTopDown;
            break;
        case kBiBitfields:
            bDepthOk = nBitCount == 16 || nBitCount == 32;
            break;
    }
    if (!bDepthOk || nWidth * nHeight > kMaxPixels) return std::nullopt;

    int nColours = 0;
    if (nBitCount == 8 && nUsed != 0) {
        if (nUsed > 256) return std::nullopt;
        nColours = static_cast<int>(nUsed);
    } else if (nBitCount <= 8) {
        nColours = 1 << nBitCount;
    }
    // Table entries are blue, green, red and a reserved byte; in the core header's table,
    // blue, green and red only.
    const std::uint64_t nTableAt = kFileHeaderBytes + nInfoSize;
    const unsigned nEntryBytes = bCore ? 3 : 4;
    if (nTableAt + nColours * nEntryBytes > file.size()) return std::nullopt;
    const std::size_t nMasksAt = kFileHeaderBytes + kInfoHeaderBytes;
    if (nCompression == kBiBitfields && nMasksAt + 12 > file.size()) return std::nullopt;

    if (nBitsOffset > file.size()) return std::nullopt;
    const std::int64_t nAvailable = static_cast<std::int64_t>(file.size() - nBitsOffset);
    const std::int64_t nStride = DibStride(nWidth, nBitCount);
    const bool bRle = nCompression == kBiRle8 || nCompression == kBiRle4;
    if (!bRle && nStride * nHeight > nAvailable) return std::nullopt;
    if (bRle && nWidth * nHeight > std::max(kRleFreePixels, nAvailable * kRlePixelsPerByte)) {
        return std::nullopt;
    }

    const std::uint8_t* pBits = file.data() + nBitsOffset;
    std::optional<DibImage> dib(std::in_place);
    InitDib(*dib, static_cast<int>(nWidth), static_cast<int>(nHeight), nBitCount, nColours,
            bRle || bTopDown ? nullptr : pBits);
    DibHeader& out = dib->info.bmiHeader;
    if (bCore) {
        const std::uint8_t* pEntry = file.data() + nTableAt;
        for (int i = 0; i < nColours; ++i, pEntry += 3)
            dib->info.bmiColors[i] = {pEntry[0], pEntry[1], pEntry[2], 0};
    } else {
        out.biXPelsPerMeter = ReadS32(h + 24);
        out.biYPelsPerMeter = ReadS32(h + 28);
        out.biClrImportant = std::min<std::uint32_t>(ReadU32(h + 36), nColours);
        std::memcpy(dib->info.bmiColors, file.data() + nTableAt, nColours * 4u);
    }
    if (nCompression == kBiBitfields) {
        out.biCompression = kBiBitfields;
        std::memcpy(dib->info.bmiColors, &file[nMasksAt], 12);
    }

    if (bRle) {
        ExpandRle(file.subspan(nBitsOffset), *dib, nCompression == kBiRle4);
    } else if (bTopDown) {
        for (std::int64_t y = 0; y < nHeight; ++y) {
            std::memcpy(dib->Row(static_cast<int>(y)), pBits + y * nStride, nStride);
        }
    }
    return dib;
}

}  // namespace

std::optional<DibImage> ReadBmp(ByteSpan file) {
    try {
        return Read(file);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace tessel::imaging
