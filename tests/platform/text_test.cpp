#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "canvas.h"
#include "platform/fonts.h"
#include "platform/gdi.h"

namespace {

using namespace tessel::platform::test;

LOGFONT Font(int nHeight, const char* szFace, unsigned char nCharSet = DEFAULT_CHARSET) {
    LOGFONT lf;
    lf.lfHeight = nHeight;
    lf.lfCharSet = nCharSet;
    std::strncpy(lf.lfFaceName, szFace, LF_FACESIZE - 1);
    return lf;
}

constexpr char kSongGbk[] = "\xcb\xce\xcc\xe5";  // 宋体

TEST(Fonts, WindowsFacesResolveToCompatibleInstalledFaces) {
    using tessel::platform::ResolvedFamily;
    EXPECT_EQ(ResolvedFamily(Font(-16, "Arial")), "Liberation Sans");
    EXPECT_EQ(ResolvedFamily(Font(-16, "Times New Roman")), "Liberation Serif");
    EXPECT_EQ(ResolvedFamily(Font(-16, kSongGbk)), "Noto Serif CJK SC");
    EXPECT_EQ(ResolvedFamily(Font(-16, "SIMSUN")), "Noto Serif CJK SC");
    EXPECT_EQ(ResolvedFamily(Font(-16, "\xba\xda\xcc\xe5")), "Noto Sans CJK SC");  // 黑体
    EXPECT_EQ(ResolvedFamily(Font(-16, "Arial", GB2312_CHARSET)), "Noto Serif CJK SC");
}

TEST(Text, ExtentsAddUpAndChineseCharactersAreOneEmSquare) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    for (const char* szFace : {"Arial", "Times New Roman", kSongGbk}) {
        LOGFONT lf = Font(-20, szFace);
        lf.lfItalic = 1;
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
        dc.SelectObject(&font);
        EXPECT_EQ(dc.GetTextExtent("ab").cx, dc.GetTextExtent("a").cx + dc.GetTextExtent("b").cx)
            << szFace;
        EXPECT_GT(dc.GetTextExtent("a").cx, 0) << szFace;
        dc.SelectObject(static_cast<CFont*>(nullptr));
    }
    const LOGFONT lf = Font(-20, kSongGbk);
    CFont song;
    song.CreateFontIndirect(&lf);
    dc.SelectObject(&song);
    EXPECT_EQ(dc.GetTextExtent("\xd6\xd0\xce\xc4"), CSize(40, 20));  // 中文
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, 20);
}

TEST(Text, TextOutDrawsInTheTextColourOnAnOpaqueCell) {
    Canvas canvas(60, 40);
    const LOGFONT lf = Font(-24, kSongGbk);
    CFont font;
    font.CreateFontIndirect(&lf);
    canvas.dc.SelectObject(&font);
    canvas.dc.SetTextColor(kBlue);
    canvas.dc.SetBkColor(kGreen);
    ASSERT_TRUE(canvas.dc.TextOut(5, 5, "\xd6\xd0H"));  // 中H
    const CSize extent = canvas.dc.GetTextExtent("\xd6\xd0H");
    int nText = 0, nOther = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            const COLORREF cr = canvas.dc.GetPixel(x, y);
            const bool bInCell = x >= 5 && x < 5 + extent.cx && y >= 5 && y < 5 + extent.cy;
            nText += cr == kBlue;
            nOther += bInCell ? cr == kWhite : cr != kWhite;
        }
    }
    EXPECT_GT(nText, 20);  // the strokes, not just their smoothed edges
    EXPECT_EQ(nOther, 0);  // the cell is filled and nothing lies outside it
    EXPECT_EQ(canvas.dc.GetPixel(5, 5), kGreen);

    canvas.dc.SetBkMode(TRANSPARENT);
    canvas.dc.TextOut(5, 5 + extent.cy, "H");
    EXPECT_EQ(canvas.dc.GetPixel(5, 5 + extent.cy), kWhite);

    // Characters, not one missing-glyph box for all.
    canvas.dc.FillSolidRect(CRect(0, 0, 60, 40), kWhite);
    canvas.dc.TextOut(0, 0, "\xd6\xd0\xce\xc4");  // 中文, 24 pixels each
    std::string first, second;
    for (int y = 0; y < 24; ++y) {
        first += canvas.Row(y, 0, 24);
        second += canvas.Row(y, 24, 48);
    }
    EXPECT_NE(first, second);
}

}  // namespace
