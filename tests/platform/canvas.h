#pragma once

// What the drawing tests share: a running GUI application (text needs one; the tests run
// without a display) and a bitmap to draw into and read back.

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/gdi.h"

namespace tessel::platform::test {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char arg0[] = "tessel_platform_tests";
        static char* argv[] = {arg0, nullptr};
        m_pApp = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_pApp.reset(); }

  private:
    std::unique_ptr<QGuiApplication> m_pApp;
};
// One application for the whole test program, however many files include this.
inline ::testing::Environment* const g_pQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

// A memory context drawing into a white bitmap.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    Canvas(int nWidth, int nHeight) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(nWidth, nHeight);
        dc.SelectObject(&bitmap);
    }
    // Bitmap pixels x0 .. x1 - 1 of row y: '.' white, '#' black, 'r' red, 'g' green, 'b' blue.
    std::string Row(int y, int x0, int x1) {
        std::string row;
        for (int x = x0; x < x1; ++x) {
            const COLORREF colours[] = {kWhite, kBlack, kRed, kGreen, kBlue, bitmap.GetPixel(x, y)};
            row += ".#rgb?"[std::find(colours, colours + 5, colours[5]) - colours];
        }
        return row;
    }
};

}  // namespace tessel::platform::test
