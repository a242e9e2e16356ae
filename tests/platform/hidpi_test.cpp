// Windows on a screen of pixel ratio 2 (QT_SCALE_FACTOR=2, set before the application
// starts): surfaces with two image pixels a side for every logical pixel, text drawn at that
// resolution, every drawing and reading call in logical pixels, the editor's caret and clicks
// where they are at ratio 1, and a window moved to a screen of another ratio.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QtGlobal>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/application.h"
#include "platform/gdi_qt.h"
#include "platform/user_input.h"
#include "platform/window_qt.h"

namespace {

using namespace tessel::platform;

// The headless platform with two screens side by side, the second of twice the first's
// density; with the scale factor of 2 their pixel ratios are 2 and 4. Windows open on the
// first. The file lives as long as the test program.
struct ScreensFile {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("tessel-hidpi-screens-" + std::to_string(getpid()) + ".json");
    ScreensFile() {
        std::ofstream(path) << R"({"screens": [
            {"name": "one", "x": 0, "y": 0, "width": 1600, "height": 1200, "dpr": 1,
             "logicalDpi": 96, "logicalBaseDpi": 96},
            {"name": "two", "x": 1600, "y": 0, "width": 1600, "height": 1200, "dpr": 2,
             "logicalDpi": 96, "logicalBaseDpi": 96}]})";
    }
    ~ScreensFile() {
        std::error_code error;
        std::filesystem::remove(path, error);
    }
};

// Before any test, and so before the application object exists.
const bool g_bScaled = [] {
    static const ScreensFile file;
    qputenv("QT_SCALE_FACTOR", "2");
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QByteArray(file.path.c_str()));
    return true;
}();

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0);

class HighDensityTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(g_bScaled);
        EnsureApplication();
        const char* szClass = AfxRegisterWndClass(0);
        ASSERT_TRUE(
            m_wnd.CreateEx(0, szClass, "hidpi", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, 0));
        ProcessEvents();
    }
    void TearDown() override {
        m_wnd.DestroyWindow();
        ProcessEvents();
    }
    const QImage& SurfaceImage() { return m_wnd.m_hWnd->pSurface->Pixels(); }

    // Whether every 2 x 2 block of image pixels of a logical pixel is of one colour, over the
    // blocks that are not all white, and how many such blocks there are.
    static int InkedBlocks(const QImage& image, int* pMixed) {
        int nInked = 0;
        *pMixed = 0;
        for (int y = 0; y + 1 < image.height(); y += 2) {
            for (int x = 0; x + 1 < image.width(); x += 2) {
                const QRgb a = image.pixel(x, y), b = image.pixel(x + 1, y),
                           c = image.pixel(x, y + 1), d = image.pixel(x + 1, y + 1);
                if ((a & b & c & d & 0xFFFFFFu) == 0xFFFFFFu) continue;
                ++nInked;
                if (a != b || a != c || a != d) ++*pMixed;
            }
        }
        return nInked;
    }

    CWnd m_wnd;
};

// The surface has twice the logical size in pixels; text drawn on it is finer than a ratio-1
// drawing doubled (which would make every logical pixel's 2 x 2 block one colour) and as
// large, in logical pixels, as at ratio 1. A capture of the window keeps the image pixels.
TEST_F(HighDensityTest, SurfacesHaveTheScreensPixelsAndTextIsDrawnAtThem) {
    CRect rc;
    m_wnd.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 200, 100));
    EXPECT_EQ(SurfaceImage().size(), QSize(400, 200));
    EXPECT_EQ(SurfaceImage().devicePixelRatio(), 2.0);

    LOGFONT lf;
    lf.lfHeight = -20;
    std::memcpy(lf.lfFaceName, "Arial", 6);
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    const std::string text = "Hamburgefonts";
    CSize extent;
    {
        CClientDC dc(&m_wnd);
        dc.FillSolidRect(CRect(0, 0, 200, 100), kWhite);
        dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(kBlack);
        dc.TextOut(10, 10, text.c_str(), static_cast<int>(text.size()));
        extent = dc.GetTextExtent(text.c_str(), static_cast<int>(text.size()));
    }
    int nMixed = 0;
    const int nInked = InkedBlocks(SurfaceImage(), &nMixed);
    ASSERT_GT(nInked, 50);
    EXPECT_GT(nMixed, nInked / 4);

    // The same text at ratio 1, in a bitmap of no window: the same extent, and ink over the
    // same logical area (glyph outlines rasterised at two sizes differ by a pixel at most).
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(200, 100));
    mem.SelectObject(&bitmap);
    mem.SelectObject(&font);
    mem.SetBkMode(TRANSPARENT);
    mem.TextOut(10, 10, text.c_str(), static_cast<int>(text.size()));
    EXPECT_EQ(mem.GetTextExtent(text.c_str(), static_cast<int>(text.size())), extent);
    auto inkBox = [](const QImage& image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu) box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect one = inkBox(bitmap.Data()->pSurface->Pixels());
    const QRect two = inkBox(SurfaceImage());
    EXPECT_LE(std::abs(two.left() / 2 - one.left()), 1);
    EXPECT_LE(std::abs(two.top() / 2 - one.top()), 1);
    EXPECT_LE(std::abs((two.right() + 1) / 2 - (one.right() + 1)), 1);
    EXPECT_LE(std::abs((two.bottom() + 1) / 2 - (one.bottom() + 1)), 1);

    CBitmap capture;
    ASSERT_TRUE(CaptureWindow(&m_wnd, capture));
    EXPECT_EQ(capture.GetSize(), CSize(200, 100));
    EXPECT_EQ(capture.Data()->pSurface->Pixels(), SurfaceImage());
}

// Fills, lines, single pixels and block transfers take logical coordinates, and what they
// draw reads back at them: exactly the logical pixels named, each a 2 x 2 block of the
// surface's pixels.
TEST_F(HighDensityTest, DrawingAndReadingBackAgreeInLogicalPixels) {
    CClientDC dc(&m_wnd);
    dc.FillSolidRect(CRect(0, 0, 200, 100), kWhite);
    CBrush red;
    red.CreateSolidBrush(kRed);
    dc.FillRect(CRect(10, 20, 30, 35), &red);
    // A one-pixel line covers the pixels from its first point up to its last, one logical
    // pixel high.
    dc.MoveTo(50, 60);
    dc.LineTo(60, 60);
    dc.SetPixel(100, 70, kRed);

    const struct {
        int x, y;
        COLORREF cr;
    } expected[] = {
        {10, 20, kRed},    {29, 20, kRed},    {10, 34, kRed},   {29, 34, kRed},   {9, 20, kWhite},
        {10, 19, kWhite},  {30, 34, kWhite},  {29, 35, kWhite}, {50, 60, kBlack}, {59, 60, kBlack},
        {49, 60, kWhite},  {60, 60, kWhite},  {50, 59, kWhite}, {50, 61, kWhite}, {100, 70, kRed},
        {101, 70, kWhite}, {100, 71, kWhite},
    };
    for (const auto& e : expected)
        EXPECT_EQ(dc.GetPixel(e.x, e.y), e.cr) << e.x << "," << e.y;
    // The surface's own pixels: whole 2 x 2 blocks.
    const QImage& image = SurfaceImage();
    for (const auto& e : expected) {
        for (int d = 0; d < 4; ++d)
            EXPECT_EQ(ToColorRef(image.pixel(2 * e.x + d % 2, 2 * e.y + d / 2)), e.cr)
                << e.x << "," << e.y;
    }

    // Copied out, in logical coordinates, into a bitmap made for the window (ratio 2) and
    // into one of no window (ratio 1): each reads back the same logical pixels.
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&dc));
    CBitmap compatible;
    ASSERT_TRUE(compatible.CreateCompatibleBitmap(&dc, 150, 80));
    EXPECT_EQ(compatible.GetSize(), CSize(150, 80));
    EXPECT_EQ(compatible.Data()->pSurface->Pixels().size(), QSize(300, 160));
    mem.SelectObject(&compatible);
    ASSERT_TRUE(mem.BitBlt(0, 0, 150, 80, &dc, 0, 0, SRCCOPY));
    CDC plain;
    plain.CreateCompatibleDC(nullptr);
    CBitmap single;
    ASSERT_TRUE(single.CreateBitmap(150, 80));
    plain.SelectObject(&single);
    ASSERT_TRUE(plain.BitBlt(0, 0, 150, 80, &dc, 0, 0, SRCCOPY));
    for (const auto& e : expected) {
        EXPECT_EQ(compatible.GetPixel(e.x, e.y), e.cr) << e.x << "," << e.y;
        EXPECT_EQ(single.GetPixel(e.x, e.y), e.cr) << e.x << "," << e.y;
    }
    // And back onto the window, moved by (5, 5) with an inverting copy: the red fill's
    // corners move with it.
    dc.FillSolidRect(CRect(0, 0, 200, 100), kWhite);
    ASSERT_TRUE(dc.BitBlt(5, 5, 150, 80, &mem, 0, 0, NOTSRCCOPY));
    EXPECT_EQ(dc.GetPixel(15, 25), RGB(0, 255, 255));
    EXPECT_EQ(dc.GetPixel(34, 39), RGB(0, 255, 255));
    EXPECT_EQ(dc.GetPixel(35, 39), kBlack);
    EXPECT_EQ(dc.GetPixel(14, 25), kBlack);
}

// A window that paints a red square on white, and counts its paints.
class CSquareWnd : public CWnd {
  public:
    int m_nPaints = 0;

  protected:
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override {
        if (nMessage != WM_PAINT) return CWnd::WindowProc(nMessage, wParam, lParam);
        ++m_nPaints;
        CPaintDC dc(this);
        dc.FillSolidRect(CRect(0, 0, 200, 100), kWhite);
        dc.FillSolidRect(CRect(10, 10, 20, 20), kRed);
        return 0;
    }
};

// Moved onto the screen of ratio 4, the window's surface is made anew at that ratio and
// painted again: the square covers the same logical pixels, 4 x 4 image pixels each.
TEST_F(HighDensityTest, AWindowMovedToAScreenOfAnotherRatioIsRemadeAtIt) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2) GTEST_SKIP() << "the platform has one screen";
    ASSERT_EQ(screens[1]->devicePixelRatio(), 4.0);
    CSquareWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "moved", WS_POPUP | WS_VISIBLE, 10, 10, 200,
                             100, nullptr, 0));
    ProcessEvents();
    ASSERT_EQ(wnd.m_hWnd->pSurface->Pixels().size(), QSize(400, 200));
    const int nPaints = wnd.m_nPaints;
    ASSERT_GT(nPaints, 0);

    const QRect target = screens[1]->geometry();
    wnd.MoveWindow(target.left() + 10, target.top() + 10, 200, 100, FALSE);
    ProcessEvents();
    const QImage& image = wnd.m_hWnd->pSurface->Pixels();
    EXPECT_EQ(image.size(), QSize(800, 400));
    EXPECT_GT(wnd.m_nPaints, nPaints);
    CRect rc;
    wnd.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 200, 100));
    CClientDC dc(&wnd);
    EXPECT_EQ(dc.GetPixel(10, 10), kRed);
    EXPECT_EQ(dc.GetPixel(19, 19), kRed);
    EXPECT_EQ(dc.GetPixel(20, 19), kWhite);
    EXPECT_EQ(ToColorRef(image.pixel(40, 40)), kRed);
    EXPECT_EQ(ToColorRef(image.pixel(79, 79)), kRed);
    EXPECT_EQ(ToColorRef(image.pixel(80, 79)), kWhite);
    EXPECT_EQ(ToColorRef(image.pixel(39, 40)), kWhite);
    wnd.DestroyWindow();
}

// The editor on a short page: the caret stands where the layout puts it and a click on a
// character boundary moves it there, in the logical pixels a ratio-1 screen has; the widths
// are measured at ratio 1, on a context of no window.
TEST_F(HighDensityTest, TheEditorsCaretAndClicksAreInLogicalPixels) {
    const char* szPage = "<Font('Arial',20,0,0,0)><Color(0,0,0)>abcdefgh</Color></Font>";
    CTesselEdit edit;
    ASSERT_TRUE(edit.Edit(m_wnd.m_hWnd, CRect(0, 0, 200, 100), RGB(0, 0, 255), szPage, 0, 2, 1.0));
    ProcessEvents();
    ASSERT_NE(edit.m_hWnd, nullptr);
    EXPECT_EQ(edit.m_hWnd->pSurface->Pixels().size(), QSize(400, 200));

    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    CLink* pText = edit.m_pList->GoTo(0);
    ASSERT_NE(pText, nullptr);
    const int nLeft = edit.m_rcEdit.left;
    const int nThree = edit.GetTextLength(&measure, pText, 0, 0, 0, 3);
    const int nFive = edit.GetTextLength(&measure, pText, 0, 0, 0, 5);
    ASSERT_GT(nFive - nThree, 4);

    const CaretInfo before = GetCaretInfo();
    ASSERT_EQ(before.hOwner, edit.m_hWnd);
    EXPECT_EQ(before.pos.x, nLeft);
    // A click puts the caret on the last character boundary at or left of the point: a
    // pixel right of the boundary after "abc", then on the boundary after "abcde".
    const struct {
        int x, nCaret;
    } clicks[] = {{nLeft + nThree + 1, nLeft + nThree}, {nLeft + nFive, nLeft + nFive}};
    for (const auto& click : clicks) {
        const CPoint point(click.x, before.pos.y + before.size.cy / 2);
        PressMouse(&edit, point, MouseButton::kLeft, kNoModifiers);
        ReleaseMouse(&edit, point, MouseButton::kLeft, kNoModifiers);
        ProcessEvents();
        const CaretInfo after = GetCaretInfo();
        EXPECT_EQ(after.pos.x, click.nCaret);
        EXPECT_EQ(after.pos.y, before.pos.y);
        EXPECT_EQ(after.size, before.size);
    }
    edit.DestroyWindow();
}

}  // namespace
