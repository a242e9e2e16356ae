// Block transfers and single pixels. Raster operations are applied pixel by pixel to the
// red, green and blue values; stretching picks the nearest source pixel. Each operation has a
// loop of its own over rows of pixels.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// The operations on 0xAARRGGBB pixels, on one pixel or on four at a time; results are
// always opaque.
constexpr QRgb kOpaque = 0xFF000000u;
struct CopySource {
    template <class T>
    T operator()(T, T src) const {
        return src | kOpaque;
    }
};
struct InvertSource {
    template <class T>
    T operator()(T, T src) const {
        return ~src | kOpaque;
    }
};
struct AndSource {
    template <class T>
    T operator()(T dst, T src) const {
        return (dst & src) | kOpaque;
    }
};
struct XorSource {
    template <class T>
    T operator()(T dst, T src) const {
        return (dst ^ src) | kOpaque;
    }
};
struct OrSource {
    template <class T>
    T operator()(T dst, T src) const {
        return dst | src | kOpaque;
    }
};

// Four pixels.
using Pixels4 = QRgb __attribute__((vector_size(16)));

// pOut[i] = op(pOut[i], pIn[i]) for nCount pixels, four at a time while there are four.
template <class Op>
void ApplyToRow(Op op, QRgb* pOut, const QRgb* pIn, int nCount) {
    int i = 0;
    for (; i + 4 <= nCount; i += 4) {
        Pixels4 dst, src;
        std::memcpy(&dst, pOut + i, sizeof dst);
        std::memcpy(&src, pIn + i, sizeof src);
        const Pixels4 result = op(dst, src);
        std::memcpy(pOut + i, &result, sizeof result);
    }
    for (; i < nCount; ++i)
        pOut[i] = op(pOut[i], pIn[i]);
}

// Calls f with the operation of a raster operation that reads a source.
template <class F>
void WithSourceOp(std::uint32_t dwRop, F&& f) {
    switch (dwRop) {
        case SRCCOPY:
            f(CopySource());
            break;
        case NOTSRCCOPY:
            f(InvertSource());
            break;
        case SRCAND:
            f(AndSource());
            break;
        case SRCINVERT:
            f(XorSource());
            break;
        default:  // SRCPAINT
            f(OrSource());
            break;
    }
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

// A span of logical pixels (with a positive extent) as the image pixels it covers at a pixel
// ratio.
Span PixelSpan(const Span& span, double dRatio) {
    using tessel::platform::ToPixel;
    const int x = ToPixel(span.x, dRatio), y = ToPixel(span.y, dRatio);
    return {x, y, ToPixel(span.x + span.w, dRatio) - x, ToPixel(span.y + span.h, dRatio) - y};
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

// The operations that read no source, on one row of pixels: a pattern is the source of
// every pixel.
void ApplyToRow(std::uint32_t dwRop, QRgb* pOut, int nCount, QRgb pattern) {
    switch (dwRop) {
        case PATCOPY:
            std::fill_n(pOut, nCount, pattern | kOpaque);
            break;
        case PATINVERT: {
            const Pixels4 patterns = {pattern, pattern, pattern, pattern};
            int i = 0;
            for (; i + 4 <= nCount; i += 4) {
                Pixels4 dst;
                std::memcpy(&dst, pOut + i, sizeof dst);
                dst = XorSource()(dst, patterns);
                std::memcpy(pOut + i, &dst, sizeof dst);
            }
            for (; i < nCount; ++i)
                pOut[i] = XorSource()(pOut[i], pattern);
            break;
        }
        case DSTINVERT:
            ApplyToRow(InvertSource(), pOut, pOut, nCount);
            break;
        case WHITENESS:
            std::fill_n(pOut, nCount, 0xFFFFFFFFu);
            break;
        default:  // BLACKNESS
            std::fill_n(pOut, nCount, kOpaque);
            break;
    }
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

    QRegion region = dc.VisibleRegion().intersected(QRect(dst.x, dst.y, dst.w, dst.h));
    if (region.isEmpty()) return true;
    // Surfaces of more pixels than logical pixels: the logical rectangles become the image
    // pixels they cover, on either side, and a copy between two surfaces of one ratio copies
    // their pixels as they are.
    const tessel::platform::Surface& surface = *dc.state.pSurface;
    if (surface.Ratio() != 1.0) {
        region = surface.PixelRegion(region).intersected(pImage->rect());
        dst = PixelSpan(dst, surface.Ratio());
        if (region.isEmpty() || dst.w == 0 || dst.h == 0) return true;
    }
    if (bSource && pSource->devicePixelRatio() != 1.0) {
        src = PixelSpan(src, pSource->devicePixelRatio());
        if (src.w == 0 || src.h == 0) return true;
    }
    // Reading through a copy keeps a transfer within one surface correct: taking the
    // destination's pixels for writing below detaches them from it.
    QImage source;
    if (bSource) {
        source = *pSource;
        if (source.depth() != 32) source = source.convertToFormat(QImage::Format_RGB32);
    }
    uchar* pBits = pImage->bits();
    const qsizetype nStride = pImage->bytesPerLine();
    auto row = [&](int y) { return reinterpret_cast<QRgb*>(pBits + y * nStride); };

    if (!bSource) {
        const QRgb pattern = tessel::platform::ToRgb(dc.state.brush.cr);
        for (const QRect& rect : region) {
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                ApplyToRow(dwRop, row(y) + rect.left(), rect.width(), pattern);
        }
        return true;
    }

    // Source columns by destination column over the region's extent, -1 outside the source:
    // the pixel under each destination pixel's centre.
    const QRect bounds = region.boundingRect();
    const bool bScaled = src.w != dst.w || bMirrorX;
    std::vector<int> columns;
    if (bScaled) {
        columns.resize(bounds.width());
        for (int x = bounds.left(); x <= bounds.right(); ++x) {
            const int sx = src.x + SourceIndex(x - dst.x, dst.w, src.w, bMirrorX);
            columns[x - bounds.left()] = sx >= 0 && sx < source.width() ? sx : -1;
        }
    }
    // A copy from a surface whose pixels are all opaque (RGB32 keeps alpha at 0xFF) is a
    // plain copy of rows.
    const bool bPlainCopy = dwRop == SRCCOPY && source.format() == QImage::Format_RGB32;
    WithSourceOp(dwRop, [&](auto op) {
        for (const QRect& rect : region) {
            // Without scaling, the columns of the source that exist.
            int x0 = rect.left(), x1 = rect.right() + 1;
            const int nShift = src.x - dst.x;
            if (!bScaled) {
                x0 = std::max(x0, -nShift);
                x1 = std::min(x1, source.width() - nShift);
                if (x0 >= x1) continue;
            }
            for (int y = rect.top(); y <= rect.bottom(); ++y) {
                const int sy = src.y + SourceIndex(y - dst.y, dst.h, src.h, bMirrorY);
                if (sy < 0 || sy >= source.height()) continue;
                const auto* pIn = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
                QRgb* pOut = row(y);
                if (!bScaled && bPlainCopy) {
                    // Pixels of an opaque source are copied as they are.
                    std::memmove(pOut + x0, pIn + x0 + nShift,
                                 static_cast<std::size_t>(x1 - x0) * sizeof(QRgb));
                    continue;
                }
                if (!bScaled) {
                    ApplyToRow(op, pOut + x0, pIn + x0 + nShift, x1 - x0);
                    continue;
                }
                const int* pColumns = columns.data() - bounds.left();
                for (int x = x0; x < x1; ++x) {
                    if (pColumns[x] >= 0) pOut[x] = op(pOut[x], pIn[pColumns[x]]);
                }
            }
        }
    });
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

// Logical pixels: on a surface of more pixels than logical pixels, the first image pixel of
// the pixel's block is read, and the whole block is set.
COLORREF CDC::GetPixel(int x, int y) const {
    const QPoint p = m_pData->ToDevice(x, y);
    if (!m_pData->VisibleRegion().contains(p)) return CLR_INVALID;
    const QImage* pImage = m_pData->Image();
    const QRect block = m_pData->state.pSurface->PixelRect(QRect(p, QSize(1, 1)));
    if (!pImage->rect().contains(block.topLeft())) return CLR_INVALID;
    return tessel::platform::ToColorRef(pImage->pixel(block.topLeft()));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF cr) {
    const QPoint p = m_pData->ToDevice(x, y);
    if (!m_pData->VisibleRegion().contains(p)) return CLR_INVALID;
    QImage* pImage = m_pData->Image();
    if (m_pData->state.pSurface->Ratio() == 1.0) {
        pImage->setPixel(p, tessel::platform::ToRgb(cr));
        return cr;
    }
    tessel::platform::FillPixels(*pImage, m_pData->state.pSurface->PixelRect(QRect(p, QSize(1, 1))),
                                 tessel::platform::ToRgb(cr));
    return cr;
}
