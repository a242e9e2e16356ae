// Block transfers against a pixel-by-pixel model of them: every raster operation, copies
// that stretch, shrink, mirror and reach outside the source, within clipping regions, through
// a viewport origin, and within one surface. And device-independent bitmaps of 16 and 32 bits
// against a model of their channels.

#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "canvas.h"
#include "platform/gdi.h"
#include "platform/gdi_qt.h"

namespace {

using namespace tessel::platform::test;

QImage& Pixels(Canvas& canvas) {
    return canvas.bitmap.Data()->pSurface->Pixels();
}

void FillRandomly(Canvas& canvas, std::mt19937& random) {
    QImage& image = Pixels(canvas);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFF));
    }
}

bool ReadsSource(std::uint32_t dwRop) {
    return dwRop == SRCCOPY || dwRop == NOTSRCCOPY || dwRop == SRCAND || dwRop == SRCINVERT ||
           dwRop == SRCPAINT;
}

QRgb Model(std::uint32_t dwRop, QRgb dst, QRgb src, QRgb pattern) {
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
        default:
            break;
    }
    return result | 0xFF000000u;
}

// One extent: a position and a size that may be negative (extending left or up).
struct Extent {
    int nPos, nSize;
    bool Normalise() {
        if (nSize >= 0) return false;
        nPos += nSize;
        nSize = -nSize;
        return true;
    }
};

// The source pixel under destination pixel u of n that show m source pixels.
int SourceIndex(int u, int n, int m, bool bMirror) {
    const int v = static_cast<int>((static_cast<std::int64_t>(2 * u + 1) * m) / (2 * n));
    return bMirror ? m - 1 - v : v;
}

struct Case {
    int x, y, w, h;      // destination, logical
    int sx, sy, sw, sh;  // source, logical
};

// What a transfer gives, worked out pixel by pixel from the images before it.
QImage Expected(const QImage& before, const QImage& source, const QRegion& visible, QPoint origin,
                QPoint sourceOrigin, const Case& c, std::uint32_t dwRop, QRgb pattern) {
    QImage expected = before.copy();
    Extent dx{c.x + origin.x(), c.w}, dy{c.y + origin.y(), c.h};
    Extent sx{c.sx + sourceOrigin.x(), c.sw}, sy{c.sy + sourceOrigin.y(), c.sh};
    bool bMirrorX = dx.Normalise(), bMirrorY = dy.Normalise();
    bMirrorX ^= sx.Normalise();
    bMirrorY ^= sy.Normalise();
    const bool bSource = ReadsSource(dwRop);
    if (dx.nSize == 0 || dy.nSize == 0 || (bSource && (sx.nSize == 0 || sy.nSize == 0)))
        return expected;
    for (int y = dy.nPos; y < dy.nPos + dy.nSize; ++y) {
        for (int x = dx.nPos; x < dx.nPos + dx.nSize; ++x) {
            if (!before.valid(x, y) || !visible.contains(QPoint(x, y))) continue;
            QRgb src = 0;
            if (bSource) {
                const int u = sx.nPos + SourceIndex(x - dx.nPos, dx.nSize, sx.nSize, bMirrorX);
                const int v = sy.nPos + SourceIndex(y - dy.nPos, dy.nSize, sy.nSize, bMirrorY);
                if (!source.valid(u, v)) continue;
                src = source.pixel(u, v);
            }
            expected.setPixel(x, y, Model(dwRop, before.pixel(x, y), src, pattern));
        }
    }
    return expected;
}

const std::uint32_t kRops[] = {SRCCOPY, NOTSRCCOPY, SRCAND,    SRCINVERT, SRCPAINT,
                               PATCOPY, PATINVERT,  DSTINVERT, WHITENESS, BLACKNESS};

const Case kCases[] = {
    {0, 0, 37, 23, 0, 0, 37, 23},      // the whole source, one to one
    {5, 4, 20, 10, 3, 2, 20, 10},      // a part
    {-6, -3, 30, 20, 10, 8, 30, 20},   // beyond the destination's top left and the source's edge
    {30, 20, 40, 40, -5, -4, 40, 40},  // beyond both far edges and the source's near ones
    {2, 1, 45, 35, 0, 0, 37, 23},      // stretched
    {1, 2, 13, 7, 0, 0, 37, 23},       // shrunk
    {40, 3, -25, 17, 4, 1, 25, 17},    // mirrored across
    {3, 30, 25, -17, 4, 1, 25, 17},    // mirrored up and down
    {3, 3, 20, 15, 30, 20, -20, -15},  // the source mirrored both ways
    {0, 0, 0, 10, 0, 0, 5, 5},         // nothing
};

TEST(Transfers, AgreeWithThePixelModelEverywhere) {
    std::mt19937 random(7);
    for (bool bClip : {false, true}) {
        for (QPoint origin : {QPoint(0, 0), QPoint(3, -2)}) {
            for (std::uint32_t dwRop : kRops) {
                for (const Case& c : kCases) {
                    SCOPED_TRACE(testing::Message()
                                 << std::hex << dwRop << std::dec << " clip " << bClip << " origin "
                                 << origin.x() << "," << origin.y() << " case " << (&c - kCases));
                    Canvas target(50, 40), source(37, 23);
                    FillRandomly(target, random);
                    FillRandomly(source, random);
                    CBrush brush(RGB(12, 200, 77));
                    target.dc.SelectObject(&brush);
                    target.dc.SetViewportOrg(origin.x(), origin.y());
                    QRegion visible(0, 0, 50, 40);
                    if (bClip) {
                        target.dc.IntersectClipRect(CRect(2, 1, 44, 33));
                        target.dc.ExcludeClipRect(CRect(10, 8, 20, 14));
                        visible = QRegion(2 + origin.x(), 1 + origin.y(), 42, 32)
                                      .subtracted(QRect(10 + origin.x(), 8 + origin.y(), 10, 6));
                    }
                    const QImage before = Pixels(target).copy();
                    const QImage sourcePixels = Pixels(source).copy();
                    const QRgb pattern = tessel::platform::ToRgb(RGB(12, 200, 77));
                    if (ReadsSource(dwRop)) {
                        EXPECT_TRUE(target.dc.StretchBlt(c.x, c.y, c.w, c.h, &source.dc, c.sx, c.sy,
                                                         c.sw, c.sh, dwRop));
                    } else {
                        EXPECT_TRUE(target.dc.PatBlt(c.x, c.y, c.w, c.h, dwRop));
                    }
                    EXPECT_TRUE(Pixels(target) == Expected(before, sourcePixels, visible, origin,
                                                           QPoint(), c, dwRop, pattern));
                }
            }
        }
    }
}

// A copy within one surface reads the pixels as they were before it, wherever the two
// rectangles overlap.
TEST(Transfers, WithinOneSurfaceReadTheSurfaceAsItWas) {
    std::mt19937 random(11);
    for (std::uint32_t dwRop : {SRCCOPY, NOTSRCCOPY, SRCINVERT}) {
        for (const Case& c : {Case{0, 3, 40, 30, 0, 0, 40, 30}, Case{0, 0, 40, 30, 2, 5, 40, 30},
                              Case{4, 4, 30, 30, 0, 0, 15, 15}}) {
            Canvas canvas(50, 40);
            FillRandomly(canvas, random);
            const QImage before = Pixels(canvas).copy();
            EXPECT_TRUE(canvas.dc.StretchBlt(c.x, c.y, c.w, c.h, &canvas.dc, c.sx, c.sy, c.sw, c.sh,
                                             dwRop));
            EXPECT_TRUE(Pixels(canvas) == Expected(before, before, QRegion(0, 0, 50, 40), QPoint(),
                                                   QPoint(), c, dwRop, 0));
        }
    }
}

// Copying a whole bitmap onto a whole bitmap of its size leaves two independent pictures:
// drawing on either afterwards changes only that one.
TEST(Transfers, WholeBitmapCopiesStayIndependent) {
    std::mt19937 random(13);
    Canvas source(30, 20), target(30, 20);
    FillRandomly(source, random);
    const QImage original = Pixels(source).copy();
    EXPECT_TRUE(target.dc.BitBlt(0, 0, 30, 20, &source.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(Pixels(target) == original);
    source.dc.FillSolidRect(CRect(0, 0, 10, 10), kRed);
    EXPECT_TRUE(Pixels(target) == original);
    EXPECT_EQ(source.dc.GetPixel(5, 5), kRed);
    target.dc.FillSolidRect(CRect(5, 5, 20, 15), kBlue);
    EXPECT_EQ(source.dc.GetPixel(15, 12), tessel::platform::ToColorRef(original.pixel(15, 12)));
    EXPECT_EQ(target.dc.GetPixel(15, 12), kBlue);
    // And through a bitmap that goes away, as a window is painted from an off-screen one.
    auto pBitmap = std::make_unique<Canvas>(30, 20);
    FillRandomly(*pBitmap, random);
    const QImage drawn = Pixels(*pBitmap).copy();
    EXPECT_TRUE(target.dc.BitBlt(0, 0, 30, 20, &pBitmap->dc, 0, 0, SRCCOPY));
    pBitmap.reset();
    EXPECT_TRUE(Pixels(target) == drawn);
    target.dc.SetPixel(0, 0, kGreen);
    EXPECT_EQ(target.dc.GetPixel(0, 0), kGreen);
}

// A brush that paints nothing leaves the pattern operations without effect.
TEST(Transfers, PatternOperationsWithANullBrushDoNothing) {
    std::mt19937 random(3);
    Canvas canvas(20, 10);
    FillRandomly(canvas, random);
    CBrush hollow;
    hollow.CreateNullBrush();
    canvas.dc.SelectObject(&hollow);
    const QImage before = Pixels(canvas).copy();
    EXPECT_TRUE(canvas.dc.PatBlt(0, 0, 20, 10, PATCOPY));
    EXPECT_TRUE(canvas.dc.PatBlt(0, 0, 20, 10, PATINVERT));
    EXPECT_TRUE(Pixels(canvas) == before);
}

// 16- and 32-bit bitmaps, with the default channels and with bit fields of every width, read
// as each channel scaled to 0..255 on its own.
TEST(Dibs, ChannelsUnderBitFieldsScaleToFullRange) {
    struct Layout {
        int nBitCount;
        bool bBitFields;
        std::uint32_t masks[3];
    };
    const Layout layouts[] = {
        {16, false, {0x7C00, 0x03E0, 0x001F}},
        {16, true, {0xF800, 0x07E0, 0x001F}},
        {16, true, {0x000F, 0x00F0, 0x0F00}},
        {32, false, {0xFF0000, 0x00FF00, 0x0000FF}},
        {32, true, {0x3FF00000, 0x000FFC00, 0x000003FF}},
        {32, true, {0x000000FF, 0x0000FF00, 0x00FF0000}},
        {32, true, {0x00000005, 0x00FFF000, 0}},
    };
    std::mt19937 random(5);
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(testing::Message()
                     << layout.nBitCount << " bits, masks " << std::hex << layout.masks[0] << " "
                     << layout.masks[1] << " " << layout.masks[2]);
        constexpr int kWidth = 7, kHeight = 3;
        std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + 12);
        BITMAPINFOHEADER header;
        header.biWidth = kWidth;
        header.biHeight = -kHeight;
        header.biBitCount = static_cast<std::uint16_t>(layout.nBitCount);
        header.biCompression = layout.bBitFields ? BI_BITFIELDS : BI_RGB;
        std::memcpy(info.data(), &header, sizeof header);
        std::memcpy(info.data() + sizeof header, layout.masks, 12);
        const int nStride = DibStride(kWidth, layout.nBitCount);
        std::vector<unsigned char> bits(nStride * kHeight);
        for (unsigned char& b : bits)
            b = static_cast<unsigned char>(random());
        const QImage image = tessel::platform::DecodeDib(
            reinterpret_cast<const BITMAPINFO*>(info.data()), bits.data(), DIB_RGB_COLORS, nullptr);
        ASSERT_FALSE(image.isNull());
        auto scale = [](std::uint32_t pixel, std::uint32_t mask) -> int {
            if (mask == 0) return 0;
            const int nShift = std::countr_zero(mask);
            return static_cast<int>(std::uint64_t{(pixel & mask) >> nShift} * 255 /
                                    (mask >> nShift));
        };
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                std::uint32_t pixel = 0;
                std::memcpy(&pixel, bits.data() + y * nStride + x * layout.nBitCount / 8,
                            layout.nBitCount / 8);
                EXPECT_EQ(image.pixel(x, y),
                          qRgb(scale(pixel, layout.masks[0]), scale(pixel, layout.masks[1]),
                               scale(pixel, layout.masks[2])))
                    << x << "," << y;
            }
        }
    }
}

}  // namespace
