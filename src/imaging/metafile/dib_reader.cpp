#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>

#include "imaging/metafile/byte_view.h"

namespace tessel::metafile::detail {

namespace {

constexpr std::uint32_t kCompressionPlain = 0;
constexpr std::uint32_t kCompressionMasks = 3;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kLargestInfoHeader = 124;  // the version 5 header
constexpr std::uint32_t kMaskBytes = 12;

}  // namespace

std::optional<DibLayout> ReadDibInfo(std::span<const std::uint8_t> info) {
    const ByteView v(info);
    if (!v.Has(0, kInfoHeaderBytes)) return std::nullopt;
    const std::uint32_t nHeaderSize = v.U32(0);
    if (nHeaderSize < kInfoHeaderBytes || nHeaderSize > kLargestInfoHeader ||
        !v.Has(0, nHeaderSize))
        return std::nullopt;

    DibLayout layout;
    Dib& dib = layout.dib;
    dib.nWidth = v.I32(4);
    dib.nHeight = v.I32(8);
    dib.nBitCount = v.U16(14);
    dib.nCompression = v.U32(16);
    const std::uint32_t nUsed = v.U32(32);
    if (dib.nWidth <= 0 || dib.nWidth > kMaxDibSide || dib.nHeight == 0 ||
        dib.nHeight < -kMaxDibSide || dib.nHeight > kMaxDibSide)
        return std::nullopt;

    const std::uint16_t nBits = dib.nBitCount;
    if (nBits != 1 && nBits != 4 && nBits != 8 && nBits != 16 && nBits != 24 && nBits != 32)
        return std::nullopt;
    if (dib.nCompression != kCompressionPlain &&
        !(dib.nCompression == kCompressionMasks && (nBits == 16 || nBits == 32)))
        return std::nullopt;

    std::uint64_t nTableOffset = nHeaderSize;
    if (dib.nCompression == kCompressionMasks) {
        // Masks follow a 40-byte header and are part of the larger ones.
        const std::uint64_t nMaskOffset = kInfoHeaderBytes;
        if (nHeaderSize == kInfoHeaderBytes) nTableOffset += kMaskBytes;
        if (!v.Has(nMaskOffset, kMaskBytes)) return std::nullopt;
        for (int i = 0; i < 3; ++i)
            dib.colors.push_back(v.U32(static_cast<std::size_t>(nMaskOffset) + 4 * i));
    }

    // Entries stored: the used count when given, else the full table of the depth. Deeper
    // bitmaps may carry a table too, which is skipped.
    std::uint64_t nStored = nUsed;
    if (nBits <= 8 && nStored == 0) nStored = 1u << nBits;
    if (!v.Has(nTableOffset, nStored * 4)) return std::nullopt;
    if (nBits <= 8) {
        const std::uint64_t nKept = std::min<std::uint64_t>(nStored, 1u << nBits);
        for (std::uint64_t i = 0; i < nKept; ++i)
            dib.colors.push_back(v.U32(static_cast<std::size_t>(nTableOffset + 4 * i)));
    }
    layout.nInfoBytes = nTableOffset + nStored * 4;

    const std::uint64_t nStride = (static_cast<std::uint64_t>(dib.nWidth) * nBits + 31) / 32 * 4;
    const std::uint64_t nRows = dib.nHeight < 0 ? -static_cast<std::int64_t>(dib.nHeight)
                                                : static_cast<std::uint64_t>(dib.nHeight);
    layout.nBitsBytes = nStride * nRows;
    return layout;
}

std::optional<Dib> ReadDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits) {
    std::optional<DibLayout> layout = ReadDibInfo(info);
    if (!layout || layout->nBitsBytes > bits.size()) return std::nullopt;
    layout->dib.bits.assign(bits.begin(),
                            bits.begin() + static_cast<std::ptrdiff_t>(layout->nBitsBytes));
    return std::move(layout->dib);
}

}  // namespace tessel::metafile::detail
