// Block transfers and single pixels. Raster operations are applied pixel by pixel to the
// red, green and blue values; stretching picks the nearest source pixel.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi.h"
#include "platform/gdi_qt.h"

namespace {

bool NeedsSource(std::uint32_t dwRop) {
    switch (dwRop) {
        case SRCCOPY:
        case NOTSRCCOPY:
        case SRCAND:
        case SRCINVERT:
        case SRCPAINT:
            return true;
        default:
            return false;
    }
}

bool NeedsPattern(std::uint32_t dwRop) {
    return dwRop == PATCOPY || dwRop == PATINVERT;
}

bool IsKnownRop(std::uint32_t dwRop) {
    return NeedsSource(dwRop) || NeedsPattern(dwRop) || dwRop == WHITENESS || dwRop == BLACKNESS ||
           dwRop == DSTINVERT;
}

QRgb Apply(std::uint32_t dwRop, QRgb dst, QRgb src, QRgb pattern) {
    QRgb result = 0;
    switch (dwRop) {
        case SRCCOPY:
            result = src;
            break;
        case NOTSRCCOPY:
            result = ~src;
            break;
        case SRCAND:
            result = dst & src;
            break;
        case SRCINVERT:
            result = dst ^ src;
            break;
        case SRCPAINT:
            result = dst | src;
            break;
        case PATCOPY:
            result = pattern;
            break;
        case PATINVERT:
            result = dst ^ pattern;
            break;
        case DSTINVERT:
            result = ~dst;
            break;
        case WHITENESS:
            result = 0xFFFFFF;
            break;
        default:  // BLACKNESS
            break;
    }
    return result | 0xFF000000u;
}

// A rectangle of whole pixels whose width or height may be negative: it then extends left of
// or above (x, y), and a sign that differs between source and destination mirrors the copy.
struct Span {
    int x = 0, y = 0, w = 0, h = 0;
};

Span DeviceSpan(const DCData& dc, int x, int y, int w, int h) {
    const QPoint a = dc.ToDevice(x, y);
    const QPoint b = dc.ToDevice(static_cast<double>(x) + w, static_cast<double>(y) + h);
    return {a.x(), a.y(), b.x() - a.x(), b.y() - a.y()};
}

// Makes the extent positive; returns whether it was negative.
bool Normalise(int& nPos, int& nExtent) {
    if (nExtent >= 0) return false;
    nPos += nExtent;
    nExtent = -nExtent;
    return true;
}

// The source index for destination index u of n, when n destination pixels show m source
// pixels: the source pixel under the destination pixel's centre.
int SourceIndex(int u, int n, int m, bool bMirror) {
    const int v = static_cast<int>((static_cast<std::int64_t>(2 * u + 1) * m) / (2 * n));
    return bMirror ? m - 1 - v : v;
}

// Transfers src (a rectangle of pSource, when the operation reads one) onto dst of the
// context's surface, within its clipping region.
bool Transfer(DCData& dc, Span dst, const QImage* pSource, Span src, std::uint32_t dwRop) {
    if (!IsKnownRop(dwRop)) return false;
    const bool bSource = NeedsSource(dwRop);
    if (bSource && (pSource == nullptr || pSource->isNull())) return false;
    if (NeedsPattern(dwRop) && dc.state.brush.bNull) return true;
    QImage* pImage = dc.Image();
    if (pImage == nullptr) return false;

    bool bMirrorX = Normalise(dst.x, dst.w), bMirrorY = Normalise(dst.y, dst.h);
    if (bSource) {
        bMirrorX ^= Normalise(src.x, src.w);
        bMirrorY ^= Normalise(src.y, src.h);
        if (src.w == 0 || src.h == 0) return true;
    }
    if (dst.w == 0 || dst.h == 0) return true;

    // Reading through a copy keeps a transfer within one surface correct: the writes below
    // detach the destination from it.
    const QImage source = bSource ? *pSource : QImage();
    const QRgb pattern = tessel::platform::ToRgb(dc.state.brush.cr);
    const QRegion region = dc.VisibleRegion().intersected(QRect(dst.x, dst.y, dst.w, dst.h));
    for (const QRect& rect : region) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const QRgb* pIn = nullptr;
            if (bSource) {
                const int sy = src.y + SourceIndex(y - dst.y, dst.h, src.h, bMirrorY);
                if (sy < 0 || sy >= source.height()) continue;
                pIn = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
            }
            auto* pOut = reinterpret_cast<QRgb*>(pImage->scanLine(y));
            for (int x = rect.left(); x <= rect.right(); ++x) {
                QRgb s = 0;
                if (bSource) {
                    const int sx = src.x + SourceIndex(x - dst.x, dst.w, src.w, bMirrorX);
                    if (sx < 0 || sx >= source.width()) continue;
                    s = pIn[sx];
                }
                pOut[x] = Apply(dwRop, pOut[x], s, pattern);
            }
        }
    }
    return true;
}

}  // namespace

bool CDC::PatBlt(int x, int y, int nWidth, int nHeight, std::uint32_t dwRop) {
    if (NeedsSource(dwRop)) return false;
    return Transfer(*m_pData, DeviceSpan(*m_pData, x, y, nWidth, nHeight), nullptr, {}, dwRop);
}

bool CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc,
                 std::uint32_t dwRop) {
    return StretchBlt(x, y, nWidth, nHeight, pSrc, xSrc, ySrc, nWidth, nHeight, dwRop);
}

bool CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, std::uint32_t dwRop) {
    const Span dst = DeviceSpan(*m_pData, x, y, nWidth, nHeight);
    if (!NeedsSource(dwRop)) return Transfer(*m_pData, dst, nullptr, {}, dwRop);
    if (pSrc == nullptr) return false;
    DCData& source = *pSrc->m_pData;
    return Transfer(*m_pData, dst, source.Image(),
                    DeviceSpan(source, xSrc, ySrc, nSrcWidth, nSrcHeight), dwRop);
}

// The source rectangle is in the bitmap's own rows: counted from the bottom row up for a
// bottom-up bitmap (biHeight > 0), so (0, 0, w, h) is the whole picture either way.
int CDC::StretchDIBits(int x, int y, int nWidth, int nHeight, int xSrc, int ySrc, int nSrcWidth,
                       int nSrcHeight, const void* pBits, const BITMAPINFO* pInfo, unsigned nUsage,
                       std::uint32_t dwRop) {
    const QImage image = tessel::platform::DecodeDib(pInfo, pBits, nUsage, m_pData->state.pPalette);
    if (image.isNull()) return 0;
    // Source coordinates beyond +-2^29 select nothing in any bitmap; clamped, they cannot
    // overflow either.
    auto clamp = [](std::int64_t n) {
        return static_cast<int>(std::clamp<std::int64_t>(n, -(1 << 29), 1 << 29));
    };
    Span src{clamp(xSrc), clamp(ySrc), clamp(nSrcWidth), clamp(nSrcHeight)};
    if (pInfo->bmiHeader.biHeight > 0) src.y = image.height() - src.y - src.h;
    if (!Transfer(*m_pData, DeviceSpan(*m_pData, x, y, nWidth, nHeight), &image, src, dwRop))
        return 0;
    return std::abs(src.h);
}

COLORREF CDC::GetPixel(int x, int y) const {
    const QPoint p = m_pData->ToDevice(x, y);
    if (!m_pData->VisibleRegion().contains(p)) return CLR_INVALID;
    return tessel::platform::ToColorRef(m_pData->Image()->pixel(p));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF cr) {
    const QPoint p = m_pData->ToDevice(x, y);
    if (!m_pData->VisibleRegion().contains(p)) return CLR_INVALID;
    m_pData->Image()->setPixel(p, tessel::platform::ToRgb(cr));
    return cr;
}
