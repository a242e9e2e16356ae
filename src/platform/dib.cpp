// Device-independent bitmaps: a header, a colour table and rows of pixels, turned into a
// 32-bit image for drawing.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/gdi_qt.h"

namespace tessel::platform {
namespace {

constexpr int kMaxDibSide = 0xFFFF;
constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 28;
constexpr std::uint32_t kMaxHeaderSize = 124;  // the largest header Windows defines

std::uint32_t ReadU32(const unsigned char* p) {
    std::uint32_t n;
    std::memcpy(&n, p, sizeof n);
    return n;
}

// One channel of a 16- or 32-bit pixel under a bit mask, scaled to 0..255. Channels of up to
// eight bits are scaled through a table.
struct Channel {
    std::uint32_t nMask = 0;
    int nShift = 0;
    std::uint32_t nMax = 0;
    std::array<std::uint8_t, 256> scaled{};

    explicit Channel(std::uint32_t mask) : nMask(mask) {
        if (mask == 0) return;
        nShift = std::countr_zero(mask);
        nMax = mask >> nShift;
        if (nMax < scaled.size()) {
            for (std::uint32_t n = 0; n <= nMax; ++n)
                scaled[n] = static_cast<std::uint8_t>(Scale(n));
        }
    }
    int Value(std::uint32_t pixel) const {
        const std::uint32_t n = (pixel & nMask) >> nShift;
        return nMax < scaled.size() ? scaled[n] : Scale(n);
    }

  private:
    int Scale(std::uint32_t n) const {
        if (nMax == 0) return 0;
        return static_cast<int>(std::uint64_t{n} * 255 / nMax);
    }
};

}  // namespace

QImage DecodeDib(const BITMAPINFO* pInfo, const void* pBits, unsigned nUsage,
                 const CPalette* pPalette) {
    if (pInfo == nullptr || pBits == nullptr) return {};
    const BITMAPINFOHEADER& header = pInfo->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > kMaxHeaderSize) return {};
    const int nWidth = header.biWidth;
    const std::int64_t nSignedHeight = header.biHeight;
    const int nHeight = static_cast<int>(nSignedHeight < 0 ? -nSignedHeight : nSignedHeight);
    if (nWidth <= 0 || nHeight <= 0 || nWidth > kMaxDibSide || nHeight > kMaxDibSide ||
        static_cast<std::int64_t>(nWidth) * nHeight > kMaxDibPixels) {
        return {};
    }
    const int nBitCount = header.biBitCount;
    const bool bIndexed = nBitCount == 1 || nBitCount == 4 || nBitCount == 8;
    if (!bIndexed && nBitCount != 16 && nBitCount != 24 && nBitCount != 32) return {};
    const bool bBitFields = header.biCompression == BI_BITFIELDS;
    if (header.biCompression != BI_RGB && !(bBitFields && (nBitCount == 16 || nBitCount == 32)))
        return {};
    if (nUsage != DIB_RGB_COLORS && nUsage != DIB_PAL_COLORS) return {};

    const auto* pHeaderBytes = reinterpret_cast<const unsigned char*>(pInfo);
    const unsigned char* pTable = pHeaderBytes + header.biSize;

    // The colour table of an indexed bitmap: biClrUsed entries when that is set, else one
    // per possible index. Indices past the table are black.
    QRgb colours[256] = {};
    int nColours = 0;
    if (bIndexed) {
        const std::uint32_t nPossible = 1u << nBitCount;
        nColours = static_cast<int>(
            header.biClrUsed != 0 && header.biClrUsed < nPossible ? header.biClrUsed : nPossible);
        for (int i = 0; i < nColours; ++i) {
            if (nUsage == DIB_PAL_COLORS) {
                std::uint16_t nIndex;
                std::memcpy(&nIndex, pTable + 2 * i, sizeof nIndex);
                PALETTEENTRY entry;
                if (pPalette != nullptr && pPalette->GetPaletteEntries(nIndex, 1, &entry) == 1)
                    colours[i] = qRgb(entry.peRed, entry.peGreen, entry.peBlue);
                else
                    colours[i] = qRgb(0, 0, 0);
            } else {
                const unsigned char* pQuad = pTable + 4 * i;  // blue, green, red, reserved
                colours[i] = qRgb(pQuad[2], pQuad[1], pQuad[0]);
            }
        }
    }

    // Masks of 16- and 32-bit pixels: 5-5-5 and 8-8-8 unless bit fields say otherwise. They
    // follow a 40-byte header and are part of any larger one.
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (nBitCount == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    if (bBitFields) {
        const unsigned char* pMasks =
            header.biSize >= 52 ? pHeaderBytes + sizeof(BITMAPINFOHEADER) : pTable;
        for (int i = 0; i < 3; ++i)
            masks[i] = ReadU32(pMasks + 4 * i);
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const int nStride = DibStride(nWidth, nBitCount);
    const auto* pAllBits = static_cast<const unsigned char*>(pBits);
    const bool bBottomUp = nSignedHeight > 0;
    // One loop per depth, each over whole rows, taken in the order they are stored.
    uchar* pImageBits = image.bits();
    const qsizetype nImageStride = image.bytesPerLine();
    auto decodeRows = [&](auto decodeRow) {
        for (int nStored = 0; nStored < nHeight; ++nStored) {
            const int y = bBottomUp ? nHeight - 1 - nStored : nStored;
            decodeRow(pAllBits + static_cast<std::int64_t>(nStored) * nStride,
                      reinterpret_cast<QRgb*>(pImageBits + y * nImageStride));
        }
    };
    auto index = [&](int nIndex) { return nIndex < nColours ? colours[nIndex] : qRgb(0, 0, 0); };
    switch (nBitCount) {
        case 1:
        case 4:
        case 8:
            decodeRows([&](const unsigned char* pRow, QRgb* pOut) {
                const int nMask = (1 << nBitCount) - 1;
                for (int x = 0; x < nWidth; ++x) {
                    const int nBitPos = x * nBitCount;
                    const int nShift = 8 - nBitCount - nBitPos % 8;
                    pOut[x] = index((pRow[nBitPos / 8] >> nShift) & nMask);
                }
            });
            break;
        case 16:
            decodeRows([&](const unsigned char* pRow, QRgb* pOut) {
                for (int x = 0; x < nWidth; ++x) {
                    const std::uint32_t pixel = pRow[2 * x] | (pRow[2 * x + 1] << 8);
                    pOut[x] = qRgb(red.Value(pixel), green.Value(pixel), blue.Value(pixel));
                }
            });
            break;
        case 24:
            decodeRows([&](const unsigned char* pRow, QRgb* pOut) {
                for (int x = 0; x < nWidth; ++x)
                    pOut[x] = qRgb(pRow[3 * x + 2], pRow[3 * x + 1], pRow[3 * x]);
            });
            break;
        default:
            if (masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF) {
                // Eight bits a channel where a 32-bit image keeps them: only the top byte
                // differs.
                decodeRows([&](const unsigned char* pRow, QRgb* pOut) {
                    for (int x = 0; x < nWidth; ++x)
                        pOut[x] = ReadU32(pRow + 4 * x) | 0xFF000000u;
                });
                break;
            }
            decodeRows([&](const unsigned char* pRow, QRgb* pOut) {
                for (int x = 0; x < nWidth; ++x) {
                    const std::uint32_t pixel = ReadU32(pRow + 4 * x);
                    pOut[x] = qRgb(red.Value(pixel), green.Value(pixel), blue.Value(pixel));
                }
            });
            break;
    }
    return image;
}

}  // namespace tessel::platform

namespace {

// One pixel for every logical pixel of a surface of more pixels than logical pixels: the
// first image pixel of each pixel's block, as CBitmap::GetPixel reads it.
QImage LogicalPixels(const tessel::platform::Surface& surface, const QImage& pixels) {
    const QSize size = surface.LogicalSize();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < size.height(); ++y) {
        auto* pOut = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const QPoint p = surface.PixelRect(QRect(x, y, 1, 1)).topLeft();
            pOut[x] = pixels.valid(p) ? pixels.pixel(p) : 0xFF000000u;
        }
    }
    return image;
}

}  // namespace

// A bitmap of more pixels than logical pixels (one made compatible with a window on a
// high-density screen, or a capture of such a window) is described and read in its image
// pixels; a header of its logical size reads one pixel per logical pixel instead.
int GetDIBits(CDC* /*pDC*/, CBitmap* hBitmap, unsigned uStartScan, unsigned cScanLines, void* pBits,
              BITMAPINFO* pInfo, unsigned uUsage) {
    if (hBitmap == nullptr || !hBitmap->IsValid() || pInfo == nullptr) return 0;
    if (uUsage != DIB_RGB_COLORS && uUsage != DIB_PAL_COLORS) return 0;
    BITMAPINFOHEADER& header = pInfo->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    const tessel::platform::Surface& surface = *hBitmap->Data()->pSurface;
    const QImage& pixels = hBitmap->Data()->pSurface->Pixels();
    // Bitmaps are 32-bit; anything else is read through a 32-bit copy.
    const bool bDirect =
        pixels.format() == QImage::Format_RGB32 || pixels.format() == QImage::Format_ARGB32;
    QImage image = bDirect ? pixels : pixels.convertToFormat(QImage::Format_RGB32);
    if (surface.Ratio() != 1.0 && pBits != nullptr) {
        const QSize logical = surface.LogicalSize();
        if (header.biWidth == logical.width() &&
            (header.biHeight == logical.height() || header.biHeight == -logical.height()))
            image = LogicalPixels(surface, image);
    }
    const int nWidth = image.width();
    const int nHeight = image.height();
    if (nWidth <= 0 || nHeight <= 0) return 0;

    if (pBits == nullptr) {
        if (header.biBitCount == 0) {
            header.biWidth = nWidth;
            header.biHeight = nHeight;
            header.biPlanes = 1;
            header.biBitCount = 32;
            header.biCompression = BI_RGB;
            header.biXPelsPerMeter = 0;
            header.biYPelsPerMeter = 0;
            header.biClrUsed = 0;
            header.biClrImportant = 0;
        } else {
            if (header.biBitCount != 24 && header.biBitCount != 32) return 0;
            header.biWidth = nWidth;
            header.biHeight = header.biHeight < 0 ? -nHeight : nHeight;
        }
        header.biSizeImage =
            static_cast<std::uint32_t>(DibStride(nWidth, header.biBitCount)) * nHeight;
        return nHeight;
    }

    const int nBitCount = header.biBitCount;
    if ((nBitCount != 24 && nBitCount != 32) || header.biCompression != BI_RGB) return 0;
    const std::int64_t nSignedHeight = header.biHeight;
    if (header.biWidth != nWidth || (nSignedHeight != nHeight && nSignedHeight != -nHeight))
        return 0;
    if (uStartScan >= static_cast<unsigned>(nHeight)) return 0;
    const int nLines = static_cast<int>(
        std::min<unsigned>(cScanLines, static_cast<unsigned>(nHeight) - uStartScan));
    if (nLines <= 0) return 0;
    const bool bBottomUp = nSignedHeight > 0;
    const int nStride = DibStride(nWidth, nBitCount);
    const int nBytesPerPixel = nBitCount / 8;
    auto* pOut = static_cast<unsigned char*>(pBits);
    for (int nLine = 0; nLine < nLines; ++nLine) {
        const int nStored = static_cast<int>(uStartScan) + nLine;
        const int y = bBottomUp ? nHeight - 1 - nStored : nStored;
        const auto* pRow = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        unsigned char* pDst = pOut + static_cast<std::int64_t>(nLine) * nStride;
        std::memset(pDst, 0, static_cast<std::size_t>(nStride));
        for (int x = 0; x < nWidth; ++x) {
            const QRgb rgb = pRow[x];
            pDst[x * nBytesPerPixel] = static_cast<unsigned char>(qBlue(rgb));
            pDst[x * nBytesPerPixel + 1] = static_cast<unsigned char>(qGreen(rgb));
            pDst[x * nBytesPerPixel + 2] = static_cast<unsigned char>(qRed(rgb));
        }
    }
    header.biSizeImage = static_cast<std::uint32_t>(nStride) * nHeight;
    return nLines;
}
