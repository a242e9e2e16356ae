#include "imaging/decoders/psd_decoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/decoders/byte_order.h"
#include "imaging/decoders/decoder_limits.h"

namespace tessel::imaging {

namespace {

constexpr std::size_t kHeaderBytes = 26;
// The most a version 1 file may hold; larger documents use version 2.
constexpr int kMaxChannels = 56;
constexpr std::int64_t kMaxSide = 30000;

enum ColourMode : int {
    kBitmapMode = 0,
    kGreyMode = 1,
    kIndexedMode = 2,
    kRgbMode = 3,
    kCmykMode = 4,
    kDuotoneMode = 8,
};
constexpr int kRaw = 0;
constexpr int kPackBits = 1;

// The image resource that says how many entries of an indexed picture's table are used.
constexpr int kUsedColoursResource = 1046;
// Bytes of an indexed picture's table in the colour mode data.
constexpr std::size_t kTableBytes = 768;
// PackBits makes at most 128 bytes of a 2-byte run, so a row of n packed bytes holds at
// most 64 n bytes.
constexpr std::uint64_t kPackBitsMostPerByte = 64;

// A section at p: a 4-byte length and that many bytes. p moves past it; false when the file
// is shorter than the length says.
bool TakeSection(ByteSpan file, std::size_t& p, ByteSpan& section) {
    if (file.size() - p < 4) return false;
    const std::size_t nLength = ReadBigU32(&file[p]);
    p += 4;
    if (nLength > file.size() - p) return false;
    section = file.subspan(p, nLength);
    p += nLength;
    return true;
}

// The used entries of an indexed picture's table, from the image resources; 256 when they do
// not say. A resource is a 4-byte signature, a 2-byte id, a name (a length byte and the
// characters, padded to an even size), a 4-byte size and the data, padded to an even size.
int UsedColours(ByteSpan resources) {
    std::size_t q = 0;
    while (resources.size() - q >= 12) {
        const int nId = ReadBigU16(&resources[q + 4]);
        const std::size_t nSizeAt = q + 6 + ((resources[q + 6] + 2u) & ~1u);
        if (nSizeAt + 4 > resources.size()) break;
        const std::size_t nSize = ReadBigU32(&resources[nSizeAt]);
        const std::size_t nDataAt = nSizeAt + 4;
        if (nSize > resources.size() - nDataAt) break;
        if (nId == kUsedColoursResource && nSize >= 2) {
            const int nUsed = ReadBigU16(&resources[nDataAt]);
            if (nUsed >= 1 && nUsed <= 256) return nUsed;
        }
        q = nDataAt + nSize;
        if (nSize & 1) {
            if (q == resources.size()) break;
            ++q;
        }
    }
    return 256;
}

// Expands one PackBits row into out: a count byte n below 128 is followed by n + 1 bytes
// taken as they are, one above 128 by a byte repeated 257 - n times; 128 does nothing.
// Bytes past the end of the row are dropped; false when the data ends before the row does.
bool UnpackBits(ByteSpan in, std::span<std::uint8_t> out) {
    std::size_t i = 0, o = 0;
    while (o < out.size() && i < in.size()) {
        const unsigned n = in[i++];
        if (n < 128) {
            const std::size_t nCopy =
                std::min<std::size_t>({n + 1u, in.size() - i, out.size() - o});
            std::memcpy(out.data() + o, in.data() + i, nCopy);
            o += nCopy;
            i += std::min<std::size_t>(n + 1u, in.size() - i);
        } else if (n > 128) {
            if (i == in.size()) break;
            const std::size_t nRepeat = std::min<std::size_t>(257 - n, out.size() - o);
            std::memset(out.data() + o, in[i++], nRepeat);
            o += nRepeat;
        }
    }
    return o == out.size();
}

std::optional<DibImage> Read(ByteSpan file) {
    if (file.size() < kHeaderBytes || !HasPsdSignature(file)) return std::nullopt;
    if (ReadBigU16(&file[4]) != 1) return std::nullopt;
    const int nChannels = ReadBigU16(&file[12]);
    const std::int64_t nHeight = ReadBigU32(&file[14]);
    const std::int64_t nWidth = ReadBigU32(&file[18]);
    const int nDepth = ReadBigU16(&file[22]);
    const int nMode = ReadBigU16(&file[24]);
    if (nChannels < 1 || nChannels > kMaxChannels || nWidth < 1 || nHeight < 1 ||
        nWidth > kMaxSide || nHeight > kMaxSide || nWidth * nHeight > kMaxPixels) {
        return std::nullopt;
    }

    // Channels of the colour mode, and the depth of the DIB they make.
    int nBase = 1, nBitCount = 8;
    const bool bEightOrSixteen = nDepth == 8 || nDepth == 16;
    switch (nMode) {
        case kBitmapMode:
            if (nDepth != 1) return std::nullopt;
            nBitCount = 1;
            break;
        case kGreyMode:
        case kDuotoneMode:
            if (!bEightOrSixteen) return std::nullopt;
            break;
        case kIndexedMode:
            if (nDepth != 8) return std::nullopt;
            break;
        case kRgbMode:
        case kCmykMode:
            if (!bEightOrSixteen) return std::nullopt;
            nBase = nMode == kRgbMode ? 3 : 4;
            nBitCount = 24;
            break;
        default:
            return std::nullopt;
    }
    if (nChannels < nBase) return std::nullopt;

    std::size_t p = kHeaderBytes;
    ByteSpan modeData, resources, layers;
    if (!TakeSection(file, p, modeData) || !TakeSection(file, p, resources) ||
        !TakeSection(file, p, layers) || file.size() - p < 2) {
        return std::nullopt;
    }
    if (nMode == kIndexedMode && modeData.size() < kTableBytes) return std::nullopt;
    const int nCompression = ReadBigU16(&file[p]);
    const ByteSpan data = file.subspan(p + 2);

    // The rows read, those of the colour mode's channels, are checked against the data
    // before the picture is allocated.
    const std::uint64_t nRowBytes = static_cast<std::uint64_t>(nWidth * nDepth + 7) / 8;
    const std::uint64_t nRows = static_cast<std::uint64_t>(nBase) * nHeight;
    std::size_t nPackedAt = 0;  // where the first packed row starts in data
    if (nCompression == kRaw) {
        if (nRows * nRowBytes > data.size()) return std::nullopt;
    } else if (nCompression == kPackBits) {
        const std::uint64_t nCountBytes = static_cast<std::uint64_t>(nChannels) * nHeight * 2;
        if (nCountBytes > data.size()) return std::nullopt;
        std::uint64_t nPacked = 0;
        for (std::uint64_t i = 0; i < nRows; ++i) {
            const std::uint64_t nCount = ReadBigU16(&data[2 * i]);
            if (nCount * kPackBitsMostPerByte < nRowBytes) return std::nullopt;
            nPacked += nCount;
        }
        if (nPacked > data.size() - nCountBytes) return std::nullopt;
        nPackedAt = static_cast<std::size_t>(nCountBytes);
    } else {
        return std::nullopt;
    }

    const int nColours = nMode == kBitmapMode    ? 2
                         : nMode == kIndexedMode ? UsedColours(resources)
                         : nBitCount == 8        ? 256
                                                 : 0;
    std::optional<DibImage> dib(std::in_place);
    InitDib(*dib, static_cast<int>(nWidth), static_cast<int>(nHeight), nBitCount, nColours);
    DibColour* pTable = dib->info.bmiColors;
    for (int i = 0; i < nColours; ++i) {
        if (nMode == kBitmapMode) {
            const std::uint8_t v = i == 0 ? 255 : 0;
            pTable[i] = {v, v, v, 0};
        } else if (nMode == kIndexedMode) {
            pTable[i] = {modeData[512 + i], modeData[256 + i], modeData[i], 0};
        } else {
            const auto v = static_cast<std::uint8_t>(i);
            pTable[i] = {v, v, v, 0};
        }
    }

    const int w = static_cast<int>(nWidth);
    auto sample = [nDepth](const std::uint8_t* pRow, int x) -> std::uint8_t {
        if (nDepth == 8) return pRow[x];
        const unsigned v = (pRow[2 * x] << 8) | pRow[2 * x + 1];
        return static_cast<std::uint8_t>((v * 255 + 32767) / 65535);
    };
    std::vector<std::uint8_t> unpacked(nCompression == kPackBits ? nRowBytes : 0);
    std::size_t nAt = nPackedAt;
    for (int c = 0; c < nBase; ++c) {
        for (int y = 0; y < nHeight; ++y) {
            const std::size_t nRow = static_cast<std::size_t>(c) * nHeight + y;
            const std::uint8_t* pIn;
            if (nCompression == kRaw) {
                pIn = data.data() + nRow * nRowBytes;
            } else {
                const std::size_t nCount = ReadBigU16(&data[2 * nRow]);
                if (!UnpackBits(data.subspan(nAt, nCount), unpacked)) return std::nullopt;
                nAt += nCount;
                pIn = unpacked.data();
            }
            std::uint8_t* pOut = dib->Row(y);
            if (nBitCount == 1) {
                std::memcpy(pOut, pIn, nRowBytes);
            } else if (nBitCount == 8) {
                for (int x = 0; x < w; ++x)
                    pOut[x] = sample(pIn, x);
            } else if (c < 3) {  // red, green or blue (cyan, magenta or yellow) in B, G, R
                for (int x = 0; x < w; ++x)
                    pOut[3 * x + 2 - c] = sample(pIn, x);
            } else {  // black scales the three before it
                for (int x = 0; x < w; ++x) {
                    const unsigned k = sample(pIn, x);
                    for (std::uint8_t* q = pOut + 3 * x; q < pOut + 3 * x + 3; ++q)
                        *q = static_cast<std::uint8_t>((*q * k + 127) / 255);
                }
            }
        }
    }
    return dib;
}

}  // namespace

bool HasPsdSignature(ByteSpan file) {
    return file.size() >= 4 && std::memcmp(file.data(), "8BPS", 4) == 0;
}

std::optional<DibImage> ReadPsd(ByteSpan file) {
    try {
        return Read(file);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace tessel::imaging
