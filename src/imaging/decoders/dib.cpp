#include "imaging/decoders/dib.h"

#include <bit>
#include <cstring>

namespace tessel::imaging {

namespace {

std::uint32_t Mask(const DibInfo& info, int n) {
    std::uint32_t nMask;
    std::memcpy(&nMask, &info.bmiColors[n], 4);
    return nMask;
}

// The masked field of v scaled to 0..255.
int Channel(std::uint32_t v, std::uint32_t nMask) {
    if (nMask == 0) return 0;
    int nShift = std::countr_zero(nMask);
    std::uint64_t nMax = nMask >> nShift;
    return static_cast<int>(std::uint64_t{(v & nMask) >> nShift} * 255 / nMax);
}

std::uint32_t ColourRef(int r, int g, int b) {
    return static_cast<std::uint32_t>(r | (g << 8) | (b << 16));
}

}  // namespace

void InitDib(DibImage& dib, int nWidth, int nHeight, int nBitCount, int nColours,
             const std::uint8_t* pRows) {
    dib.info = DibInfo{};
    DibHeader& h = dib.info.bmiHeader;
    h.biWidth = nWidth;
    h.biHeight = nHeight;
    h.biBitCount = static_cast<std::uint16_t>(nBitCount);
    h.biClrUsed = static_cast<std::uint32_t>(nColours);
    h.biSizeImage = static_cast<std::uint32_t>(DibStride(nWidth, nBitCount) * nHeight);
    if (pRows) {
        dib.bits.assign(pRows, pRows + h.biSizeImage);
    } else {
        dib.bits.assign(h.biSizeImage, 0);
    }
}

int DibImage::Index(int x, int y) const {
    const std::uint8_t* pRow = Row(y);
    switch (BitCount()) {
        case 1:
            return (pRow[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (pRow[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        case 8:
            return pRow[x];
        default:
            return 0;
    }
}

std::uint32_t DibImage::Pixel(int x, int y) const {
    const std::uint8_t* pRow = Row(y);
    bool bMasked = info.bmiHeader.biCompression == kBiBitfields;
    switch (BitCount()) {
        case 1:
        case 4:
        case 8: {
            const DibColour& c = info.bmiColors[Index(x, y)];
            return ColourRef(c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
        case 16: {
            std::uint32_t v = pRow[2 * x] | (pRow[2 * x + 1] << 8);
            if (!bMasked)
                return ColourRef(Channel(v, 0x7C00), Channel(v, 0x03E0), Channel(v, 0x1F));
            return ColourRef(Channel(v, Mask(info, 0)), Channel(v, Mask(info, 1)),
                             Channel(v, Mask(info, 2)));
        }
        case 24:
            return ColourRef(pRow[3 * x + 2], pRow[3 * x + 1], pRow[3 * x]);
        case 32: {
            const std::uint8_t* p = pRow + 4 * x;
            if (!bMasked) return ColourRef(p[2], p[1], p[0]);
            std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
            return ColourRef(Channel(v, Mask(info, 0)), Channel(v, Mask(info, 1)),
                             Channel(v, Mask(info, 2)));
        }
        default:
            return 0;
    }
}

std::vector<std::uint8_t> DibImage::Packed() const {
    std::size_t nTable = info.bmiHeader.biCompression == kBiBitfields ? 12 : ColourCount() * 4;
    std::vector<std::uint8_t> packed(sizeof(DibHeader) + nTable + bits.size());
    std::memcpy(packed.data(), &info, sizeof(DibHeader) + nTable);
    if (!bits.empty())
        std::memcpy(packed.data() + sizeof(DibHeader) + nTable, bits.data(), bits.size());
    return packed;
}

}  // namespace tessel::imaging
