#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "canvas.h"

namespace {

using namespace tessel::platform::test;

TEST(RasterOps, IconMaskAndColourAndInversionWorkOnRgbValues) {
    Canvas target(4, 1), mask(4, 1), colour(4, 1);
    target.dc.FillSolidRect(CRect(0, 0, 4, 1), kBlue);
    for (int x : {1, 2})
        mask.dc.SetPixel(x, 0, kBlack);  // opaque where black, as an icon's mask
    colour.dc.FillSolidRect(CRect(0, 0, 4, 1), kBlack);
    colour.dc.SetPixel(1, 0, kRed);
    colour.dc.SetPixel(2, 0, kGreen);
    EXPECT_TRUE(target.dc.BitBlt(0, 0, 4, 1, &mask.dc, 0, 0, SRCAND));
    EXPECT_TRUE(target.dc.BitBlt(0, 0, 4, 1, &colour.dc, 0, 0, SRCINVERT));
    EXPECT_EQ(target.Row(0, 0, 4), "brgb");  // the background shows where the mask is white

    target.dc.SetPixel(0, 0, RGB(10, 20, 30));
    EXPECT_TRUE(target.dc.BitBlt(1, 0, 1, 1, &target.dc, 0, 0, NOTSRCCOPY));
    EXPECT_EQ(target.dc.GetPixel(1, 0), RGB(245, 235, 225));
    EXPECT_TRUE(target.dc.BitBlt(2, 0, 1, 1, &target.dc, 0, 0, SRCPAINT));  // green | source
    EXPECT_EQ(target.dc.GetPixel(2, 0), RGB(10, 255, 30));
    EXPECT_TRUE(target.dc.PatBlt(0, 0, 2, 1, DSTINVERT));
    EXPECT_EQ(target.dc.GetPixel(0, 0), RGB(245, 235, 225));
    EXPECT_FALSE(target.dc.BitBlt(0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
}

TEST(RasterOps, StretchBltScalesNearestNeighbourAndMirrors) {
    Canvas source(2, 2), target(6, 4);
    source.dc.SetPixel(0, 0, kRed);
    source.dc.SetPixel(1, 0, kGreen);
    source.dc.SetPixel(0, 1, kBlue);
    source.dc.SetPixel(1, 1, kBlack);
    EXPECT_TRUE(target.dc.StretchBlt(0, 0, 4, 4, &source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(target.Row(1, 0, 6), "rrgg..");
    EXPECT_EQ(target.Row(2, 0, 6), "bb##..");
    // A destination width of the other sign mirrors.
    EXPECT_TRUE(target.dc.StretchBlt(6, 0, -2, 1, &source.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.Row(0, 0, 6), "rrgggr");
    // Shrinking takes the pixel under each destination pixel's centre.
    Canvas small(1, 1);
    EXPECT_TRUE(small.dc.StretchBlt(0, 0, 1, 1, &target.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(small.Row(0, 0, 1), "#");
}

// A 3 x 2 bitmap of palette indices {0, 1, 1} over {1, 0, 2} in every depth, with a colour
// table of red, green, blue (24 bits: the colours themselves).
struct TestDib {
    std::vector<unsigned char> info, bits;
    TestDib(int nBitCount, bool bTopDown) {
        const int rows[2][3] = {{0, 1, 1}, {1, 0, nBitCount == 1 ? 1 : 2}};
        const RGBQUAD table[3] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
        BITMAPINFOHEADER header;
        header.biWidth = 3;
        header.biHeight = bTopDown ? -2 : 2;
        header.biBitCount = static_cast<std::uint16_t>(nBitCount);
        header.biClrUsed = nBitCount == 24 ? 0 : nBitCount == 1 ? 2 : 3;
        info.resize(sizeof header + sizeof table);
        std::memcpy(info.data(), &header, sizeof header);
        std::memcpy(info.data() + sizeof header, table, sizeof table);
        const int nStride = DibStride(3, nBitCount);
        bits.assign(nStride * 2, 0);
        for (int y = 0; y < 2; ++y) {
            unsigned char* pRow = bits.data() + (bTopDown ? y : 1 - y) * nStride;
            for (int x = 0; x < 3; ++x) {
                const int n = rows[y][x];
                if (nBitCount == 24) {
                    std::memcpy(pRow + 3 * x, &table[n], 3);
                } else {
                    const int nBit = x * nBitCount;
                    pRow[nBit / 8] |= static_cast<unsigned char>(n << (8 - nBitCount - nBit % 8));
                }
            }
        }
    }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

TEST(StretchDIBits, ReadsEveryDepthBottomUpAndTopDown) {
    for (int nBitCount : {1, 4, 8, 24}) {
        for (bool bTopDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << nBitCount << " bits, top down " << bTopDown);
            const TestDib dib(nBitCount, bTopDown);
            Canvas canvas(3, 2);
            EXPECT_EQ(canvas.dc.StretchDIBits(0, 0, 3, 2, 0, 0, 3, 2, dib.bits.data(), dib.Info(),
                                              DIB_RGB_COLORS, SRCCOPY),
                      2);
            EXPECT_EQ(canvas.Row(0, 0, 3), "rgg");
            EXPECT_EQ(canvas.Row(1, 0, 3), nBitCount == 1 ? "grg" : "grb");
        }
    }
    // The source rectangle of a bottom-up bitmap counts rows from the bottom.
    const TestDib dib(8, false);
    Canvas canvas(3, 1);
    canvas.dc.StretchDIBits(0, 0, 3, 1, 0, 0, 3, 1, dib.bits.data(), dib.Info(), DIB_RGB_COLORS,
                            SRCCOPY);
    EXPECT_EQ(canvas.Row(0, 0, 3), "grb");
}

TEST(StretchDIBits, RefusesHeadersItCannotReadAndBlackensIndicesPastTheTable) {
    TestDib dib(8, false);
    auto* pHeader = reinterpret_cast<BITMAPINFOHEADER*>(dib.info.data());
    Canvas canvas(3, 2);
    auto draw = [&] {
        return canvas.dc.StretchDIBits(0, 0, 3, 2, 0, 0, 3, 2, dib.bits.data(), dib.Info(),
                                       DIB_RGB_COLORS, SRCCOPY);
    };
    for (auto change :
         {+[](BITMAPINFOHEADER& h) { h.biBitCount = 7; },
          +[](BITMAPINFOHEADER& h) { h.biWidth = 0; }, +[](BITMAPINFOHEADER& h) { h.biSize = 12; },
          +[](BITMAPINFOHEADER& h) { h.biCompression = 1; }}) {
        BITMAPINFOHEADER saved = *pHeader;
        change(*pHeader);
        EXPECT_EQ(draw(), 0);
        *pHeader = saved;
    }
    pHeader->biClrUsed = 2;  // index 2 (blue) is now past the table
    EXPECT_EQ(draw(), 2);
    EXPECT_EQ(canvas.Row(1, 0, 3), "gr#");
}

TEST(Coordinates, ViewportOriginShiftsAndClippingProtectsAndSaveDcRestores) {
    Canvas canvas(8, 3);
    const int nSaved = canvas.dc.SaveDC();
    canvas.dc.SetViewportOrg(2, 1);
    canvas.dc.FillSolidRect(CRect(0, 0, 2, 1), kRed);
    EXPECT_EQ(canvas.Row(1, 0, 8), "..rr....");
    canvas.dc.ExcludeClipRect(CRect(1, 0, 3, 1));  // device columns 3 and 4
    canvas.dc.FillSolidRect(CRect(-2, 0, 6, 1), kBlue);
    EXPECT_EQ(canvas.Row(1, 0, 8), "bbbr.bbb");
    EXPECT_EQ(canvas.dc.SetPixel(1, 0, kGreen), CLR_INVALID);  // clipped
    EXPECT_TRUE(canvas.dc.RestoreDC(nSaved));
    EXPECT_EQ(canvas.dc.GetViewportOrg(), CPoint(0, 0));
    canvas.dc.FillSolidRect(CRect(0, 1, 8, 2), kBlack);
    EXPECT_EQ(canvas.Row(1, 0, 8), "########");
    EXPECT_FALSE(canvas.dc.RestoreDC(nSaved));
    // A world scale maps before the origin.
    canvas.dc.SetWorldScale(2.0, 1.0, 1.0, 0.0);
    canvas.dc.FillSolidRect(CRect(0, 2, 2, 3), kGreen);
    EXPECT_EQ(canvas.Row(2, 0, 8), ".gggg...");
}

TEST(Shapes, FollowGdiPixelExtents) {
    Canvas canvas(8, 6);
    CPen black(PS_SOLID, 1, kBlack), none(PS_NULL, 1, kBlack);
    CBrush red(kRed), hollow;
    hollow.CreateNullBrush();
    canvas.dc.SelectObject(&black);
    canvas.dc.SelectObject(&red);
    EXPECT_TRUE(canvas.dc.Rectangle(1, 1, 6, 5));  // covers 1 .. 5 by 1 .. 4
    EXPECT_EQ(canvas.Row(1, 0, 8), ".#####..");
    EXPECT_EQ(canvas.Row(2, 0, 8), ".#rrr#..");
    EXPECT_EQ(canvas.Row(4, 0, 8), ".#####..");
    EXPECT_EQ(canvas.Row(5, 0, 8), "........");

    canvas.dc.SelectObject(&none);  // without a pen the fill is a pixel smaller
    canvas.dc.FillSolidRect(CRect(0, 0, 8, 6), kWhite);
    canvas.dc.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(canvas.Row(1, 0, 8), ".rrrr...");
    EXPECT_EQ(canvas.Row(4, 0, 8), "........");

    canvas.dc.SelectObject(static_cast<CPen*>(nullptr));  // the default black pen
    canvas.dc.SelectObject(&hollow);
    canvas.dc.Rectangle(0, 0, 8, 6);
    EXPECT_EQ(canvas.Row(3, 0, 8), "#rrrr..#");
    canvas.dc.MoveTo(1, 4);
    canvas.dc.LineTo(6, 4);  // the end point is left out
    EXPECT_EQ(canvas.Row(4, 0, 8), "######.#");

    // Recorded shapes appear only when the path is filled.
    canvas.dc.SelectObject(&red);
    canvas.dc.FillSolidRect(CRect(0, 0, 8, 6), kWhite);
    canvas.dc.BeginPath();
    canvas.dc.Rectangle(2, 2, 5, 5);
    canvas.dc.EndPath();
    EXPECT_EQ(canvas.Row(3, 0, 8), "........");
    EXPECT_TRUE(canvas.dc.FillPath());
    EXPECT_EQ(canvas.Row(3, 0, 8), "..rr....");
    EXPECT_FALSE(canvas.dc.FillPath());  // filling used the path up
}

TEST(Objects, ContextsOutliveBitmapsAndPalettesRealise) {
    auto pBitmap = std::make_unique<CBitmap>();
    pBitmap->CreateCompatibleBitmap(nullptr, 2, 2);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    EXPECT_EQ(dc.SelectObject(pBitmap.get()), nullptr);
    dc.FillSolidRect(CRect(0, 0, 1, 1), kRed);
    EXPECT_EQ(pBitmap->GetPixel(0, 0), kRed);  // what the painter drew is there to read
    EXPECT_EQ(pBitmap->GetPixel(1, 1), kBlack);
    EXPECT_EQ(dc.GetCurrentBitmap(), pBitmap.get());
    pBitmap.reset();
    EXPECT_EQ(dc.GetCurrentBitmap(), nullptr);
    dc.FillSolidRect(CRect(0, 0, 2, 2), kBlue);  // harmless

    const PALETTEENTRY entries[2] = {{255, 0, 0, 0}, {0, 0, 255, 0}};
    CPalette palette;
    ASSERT_TRUE(palette.CreatePalette(entries, 2));
    EXPECT_EQ(dc.SelectPalette(&palette, false), nullptr);
    EXPECT_EQ(dc.RealizePalette(), 2);
    PALETTEENTRY out[3];
    EXPECT_EQ(palette.GetPaletteEntries(1, 3, out), 1);  // only as many as there are
}

}  // namespace
