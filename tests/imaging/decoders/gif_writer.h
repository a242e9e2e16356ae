#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

// A small GIF writer for the decoder tests and the picture benchmark: an LZW encoder and a
// builder of whole files from index pixels.
namespace tessel::imaging::test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, int n) {
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(static_cast<std::uint8_t>(n >> 8));
}
inline void Put32(Bytes& out, std::uint32_t n) {
    Put16(out, static_cast<int>(n & 0xFFFF));
    Put16(out, static_cast<int>(n >> 16));
}

// LZW-encodes index pixels with the given minimum code size; with nClearEvery > 0 a clear
// code follows every nClearEvery data codes. Returns the packed codes (no sub-blocks).
inline Bytes LzwEncode(std::span<const std::uint8_t> pixels, int nMinBits, int nClearEvery = 0) {
    const int nClear = 1 << nMinBits;
    Bytes out;
    std::uint32_t nAcc = 0;
    int nAccBits = 0;
    int nBits = nMinBits + 1;
    auto put = [&](int nCode) {
        nAcc |= static_cast<std::uint32_t>(nCode) << nAccBits;
        for (nAccBits += nBits; nAccBits >= 8; nAccBits -= 8, nAcc >>= 8) {
            out.push_back(static_cast<std::uint8_t>(nAcc));
        }
    };
    // (prefix code, pixel) -> code, open addressing; the key 0 is never a valid entry since
    // keys are stored plus one.
    std::vector<std::uint32_t> keys(1 << 14), codes(1 << 14);
    auto slot = [&](std::uint32_t nKey) {
        std::uint32_t i = (nKey * 2654435761u) >> 18;
        while (keys[i] != 0 && keys[i] != nKey)
            i = (i + 1) & ((1 << 14) - 1);
        return i;
    };
    int nCodes = 0;  // data codes since the last clear
    auto restart = [&] {
        put(nClear);
        nBits = nMinBits + 1;
        nCodes = 0;
        std::fill(keys.begin(), keys.end(), 0);
    };
    // Emits a data code and follows the decoder: its next free entry after reading it is
    // nClear + 1 + nCodes, and its code width grows when that reaches 1 << nBits.
    auto emit = [&](int nCode) {
        put(nCode);
        int nNext = nClear + 1 + ++nCodes;
        if (nNext == (1 << nBits) && nBits < 12) ++nBits;
        return nNext;
    };
    restart();
    if (!pixels.empty()) {
        int nCur = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            std::uint32_t nKey = ((static_cast<std::uint32_t>(nCur) << 8) | pixels[i]) + 1;
            std::uint32_t s = slot(nKey);
            if (keys[s] == nKey) {
                nCur = static_cast<int>(codes[s]);
                continue;
            }
            int nNext = emit(nCur);
            if (nNext < 4096) {
                keys[s] = nKey;
                codes[s] = static_cast<std::uint32_t>(nNext);
            }
            if (nNext >= 4096 || nCodes == nClearEvery) restart();
            nCur = pixels[i];
        }
        emit(nCur);
    }
    put(nClear + 1);
    if (nAccBits > 0) out.push_back(static_cast<std::uint8_t>(nAcc));
    return out;
}

// Data in sub-blocks of at most 255 bytes, with the terminator.
inline void PutSubBlocks(Bytes& out, std::span<const std::uint8_t> data) {
    for (std::size_t i = 0; i < data.size(); i += 255) {
        std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + i, data.begin() + i + n);
    }
    out.push_back(0);
}

// A colour table of 2^(nSizeBits + 1) entries: entry i = (i, 255 - i, i / 2).
inline void PutColourTable(Bytes& out, int nSizeBits) {
    for (int i = 0; i < (2 << nSizeBits); ++i) {
        for (int c : {i, 255 - i, i / 2})
            out.push_back(static_cast<std::uint8_t>(c));
    }
}

// The signature, a logical screen and, when nGlobalBits >= 0, a global colour table of
// 2^(nGlobalBits + 1) entries.
inline Bytes GifHeader(int nWidth, int nHeight, int nGlobalBits, const char* szVersion = "89a") {
    Bytes out{'G',
              'I',
              'F',
              static_cast<std::uint8_t>(szVersion[0]),
              static_cast<std::uint8_t>(szVersion[1]),
              static_cast<std::uint8_t>(szVersion[2])};
    Put16(out, nWidth);
    Put16(out, nHeight);
    out.push_back(static_cast<std::uint8_t>(nGlobalBits >= 0 ? 0xF0 | nGlobalBits : 0));
    out.push_back(0);
    out.push_back(0);
    if (nGlobalBits >= 0) PutColourTable(out, nGlobalBits);
    return out;
}

inline void PutControl(Bytes& out, int nFlags, int nDelay, int nTransparent) {
    out.insert(out.end(), {'!', 0xF9, 4, static_cast<std::uint8_t>(nFlags)});
    Put16(out, nDelay);
    out.insert(out.end(), {static_cast<std::uint8_t>(nTransparent), 0});
}

struct TestFrame {
    int nLeft = 0;
    int nTop = 0;
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::uint8_t> pixels = {};  // rows top to bottom
    int nLocalBits = -1;                    // a local colour table of 2^(n+1) entries when >= 0
    bool bInterlaced = false;
    int nMinBits = 8;
    int nClearEvery = 0;
};

// An image descriptor, its colour table and its data (rows reordered when interlaced).
inline void PutFrame(Bytes& out, const TestFrame& f) {
    out.push_back(',');
    for (int n : {f.nLeft, f.nTop, f.nWidth, f.nHeight})
        Put16(out, n);
    int nFlags = (f.bInterlaced ? 0x40 : 0) | (f.nLocalBits >= 0 ? 0x80 | f.nLocalBits : 0);
    out.push_back(static_cast<std::uint8_t>(nFlags));
    if (f.nLocalBits >= 0) PutColourTable(out, f.nLocalBits);
    std::vector<std::uint8_t> stored;
    if (f.bInterlaced) {
        for (auto [nStart, nStep] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
            for (int y = nStart; y < f.nHeight; y += nStep) {
                auto row = f.pixels.begin() + static_cast<std::ptrdiff_t>(y) * f.nWidth;
                stored.insert(stored.end(), row, row + f.nWidth);
            }
        }
    }
    out.push_back(static_cast<std::uint8_t>(f.nMinBits));
    PutSubBlocks(out, LzwEncode(f.bInterlaced ? stored : f.pixels, f.nMinBits, f.nClearEvery));
}

}  // namespace tessel::imaging::test
