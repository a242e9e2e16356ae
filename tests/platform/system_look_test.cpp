#include "platform/controls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QScreen>
#include <QStyle>

#include <string>

#include "platform/application.h"
#include "platform/gbk.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

COLORREF FromQt(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

// A memory context drawing into a white bitmap.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    Canvas(int nWidth, int nHeight) {
        tessel::platform::EnsureApplication();
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(nWidth, nHeight);
        dc.SelectObject(&bitmap);
    }
    COLORREF At(int x, int y) { return dc.GetPixel(x, y); }
    // Whether the pixels of two canvases of the same size are all the same.
    bool SameAs(Canvas& other, int nWidth, int nHeight) {
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                if (At(x, y) != other.At(x, y)) return false;
        return true;
    }
};

TEST(SystemLook, ColoursMetricsAndFontsComeFromTheDesktop) {
    tessel::platform::EnsureApplication();
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), FromQt(palette.color(QPalette::Button)));
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), FromQt(palette.color(QPalette::ButtonText)));
    EXPECT_EQ(GetSysColor(COLOR_3DSHADOW), FromQt(palette.color(QPalette::Dark)));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), FromQt(palette.color(QPalette::Shadow)));
    EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT), FromQt(palette.color(QPalette::Light)));
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), FromQt(palette.color(QPalette::Midlight)));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), FromQt(palette.color(QPalette::Highlight)));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), FromQt(palette.color(QPalette::HighlightedText)));
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT),
              FromQt(palette.color(QPalette::Disabled, QPalette::Text)));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), FromQt(palette.color(QPalette::ToolTipBase)));
    EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), FromQt(palette.color(QPalette::ToolTipText)));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.width());
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.height());
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CYEDGE), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL),
              QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    NONCLIENTMETRICS metrics;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const QFont font = QApplication::font();
    const std::string strFace = tessel::platform::Utf8ToGbk(font.family().toStdString());
    for (const LOGFONT* pFont : {&metrics.lfCaptionFont, &metrics.lfMenuFont, &metrics.lfStatusFont,
                                 &metrics.lfMessageFont}) {
        EXPECT_EQ(std::string(pFont->lfFaceName), strFace.substr(0, LF_FACESIZE - 1));
        EXPECT_LT(pFont->lfHeight, 0);  // a character height in pixels
        if (font.pixelSize() > 0) {
            EXPECT_EQ(pFont->lfHeight, -font.pixelSize());
        }
    }
    EXPECT_FALSE(SystemParametersInfo(0x0030, 0, &metrics, 0));
}

TEST(SystemLook, EdgesDrawTheirColoursOnTheSidesAskedAndAdjustTheRectangle) {
    Canvas canvas(60, 50);
    CRect rc(10, 10, 50, 40);
    ASSERT_TRUE(canvas.dc.DrawEdge(&rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
    EXPECT_EQ(rc, CRect(12, 12, 48, 38));  // two edges: two pixels on each side
    // Sunken: the outer edge shadow above and left, highlight below and right; the inner
    // one dark shadow above and left, light below and right.
    EXPECT_EQ(canvas.At(20, 10), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(canvas.At(10, 20), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(canvas.At(20, 39), GetSysColor(COLOR_3DHILIGHT));
    EXPECT_EQ(canvas.At(49, 20), GetSysColor(COLOR_3DHILIGHT));
    EXPECT_EQ(canvas.At(20, 11), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(canvas.At(11, 20), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(canvas.At(20, 38), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(canvas.At(48, 20), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(canvas.At(20, 20), kWhite);  // the middle is left alone
    EXPECT_EQ(canvas.At(9, 9), kWhite);

    // Raised, on two sides only: only those move.
    Canvas raised(60, 50);
    rc = CRect(10, 10, 50, 40);
    ASSERT_TRUE(raised.dc.DrawEdge(&rc, EDGE_RAISED, BF_LEFT | BF_TOP | BF_ADJUST));
    EXPECT_EQ(rc, CRect(12, 12, 50, 40));
    EXPECT_EQ(raised.At(20, 10), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(raised.At(20, 11), GetSysColor(COLOR_3DHILIGHT));
    EXPECT_EQ(raised.At(20, 39), kWhite);
    EXPECT_EQ(raised.At(49, 20), kWhite);

    // One edge: one pixel; without BF_ADJUST the rectangle stays.
    rc = CRect(10, 10, 50, 40);
    raised.dc.DrawEdge(&rc, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    EXPECT_EQ(rc, CRect(11, 11, 49, 39));
    raised.dc.DrawEdge(&rc, EDGE_ETCHED, BF_RECT);
    EXPECT_EQ(rc, CRect(11, 11, 49, 39));
}

TEST(SystemLook, FocusRectanglesInvertAndThreeDRectanglesTakeTheirCorners) {
    Canvas canvas(30, 20);
    canvas.dc.FillSolidRect(CRect(0, 0, 30, 20), RGB(10, 200, 40));
    const CRect rc(2, 2, 22, 12);
    canvas.dc.DrawFocusRect(&rc);
    // Dotted: every other pixel of the frame is inverted.
    int nInverted = 0;
    for (int x = 2; x < 22; ++x)
        if (canvas.At(x, 2) == RGB(245, 55, 215)) ++nInverted;
    EXPECT_EQ(nInverted, 10);
    EXPECT_EQ(canvas.At(10, 6), RGB(10, 200, 40));  // inside: untouched
    canvas.dc.DrawFocusRect(&rc);                   // again: gone
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(canvas.At(x, y), RGB(10, 200, 40)) << x << "," << y;

    const COLORREF kTopLeft = RGB(255, 0, 0), kBottomRight = RGB(0, 0, 255);
    canvas.dc.Draw3dRect(CRect(0, 0, 10, 8), kTopLeft, kBottomRight);
    EXPECT_EQ(canvas.At(0, 0), kTopLeft);
    EXPECT_EQ(canvas.At(9, 0), kBottomRight);  // the top-right corner is the right side's
    EXPECT_EQ(canvas.At(0, 7), kBottomRight);  // the bottom-left corner is the bottom's
    EXPECT_EQ(canvas.At(9, 7), kBottomRight);
    EXPECT_EQ(canvas.At(0, 4), kTopLeft);
    EXPECT_EQ(canvas.At(4, 4), RGB(10, 200, 40));
}

TEST(SystemLook, FrameControlsDrawButtonsAndArrows) {
    // A combo box's drop arrow is the down arrow; up is another picture.
    Canvas down(17, 17), combo(17, 17), up(17, 17), pushed(17, 17), inactive(17, 17);
    CRect rc(0, 0, 17, 17);
    ASSERT_TRUE(down.dc.DrawFrameControl(&rc, DFC_SCROLL, DFCS_SCROLLDOWN));
    ASSERT_TRUE(combo.dc.DrawFrameControl(&rc, DFC_SCROLL, DFCS_SCROLLCOMBOBOX));
    ASSERT_TRUE(up.dc.DrawFrameControl(&rc, DFC_SCROLL, DFCS_SCROLLUP));
    ASSERT_TRUE(pushed.dc.DrawFrameControl(&rc, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED));
    ASSERT_TRUE(inactive.dc.DrawFrameControl(&rc, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE));
    EXPECT_TRUE(combo.SameAs(down, 17, 17));
    EXPECT_FALSE(up.SameAs(down, 17, 17));
    EXPECT_FALSE(pushed.SameAs(down, 17, 17));
    EXPECT_FALSE(inactive.SameAs(down, 17, 17));
    // The control covers its rectangle: the white canvas shows nowhere inside.
    EXPECT_NE(down.At(8, 8), kWhite);
    EXPECT_NE(down.At(1, 15), kWhite);

    Canvas button(40, 20), buttonPushed(40, 20), flat(40, 20);
    rc = CRect(0, 0, 40, 20);
    ASSERT_TRUE(button.dc.DrawFrameControl(&rc, DFC_BUTTON, DFCS_BUTTONPUSH));
    ASSERT_TRUE(buttonPushed.dc.DrawFrameControl(&rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED));
    ASSERT_TRUE(flat.dc.DrawFrameControl(&rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT));
    EXPECT_NE(button.At(20, 10), kWhite);
    EXPECT_FALSE(buttonPushed.SameAs(button, 40, 20));
    EXPECT_FALSE(flat.SameAs(button, 40, 20));
    EXPECT_FALSE(button.dc.DrawFrameControl(&rc, 1, 0));  // no such control here
}

}  // namespace
