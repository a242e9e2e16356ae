#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "imaging/metafile/metafile.h"
#include "metafile_bytes.h"
#include "platform/gdi.h"

namespace tessel::metafile {
namespace {

using test::Bytes;
using test::EmfBuilder;
using test::WmfBuilder;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr std::int32_t kNullPen = 0x80000008;
constexpr std::int32_t kBlackPen = 0x80000007;

// A white bitmap in a memory context that a metafile is played into.
class Canvas {
  public:
    Canvas(int nWidth, int nHeight) {
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.CreateBitmap(nWidth, nHeight);
        m_pOld = m_dc.SelectObject(&m_bitmap);
    }
    ~Canvas() { m_dc.SelectObject(m_pOld); }
    void Play(const std::optional<Metafile>& mf, const CRect& rc) {
        ASSERT_TRUE(mf);
        mf->Play(&m_dc, rc);
    }
    COLORREF At(int x, int y) const { return m_dc.GetPixel(x, y); }
    CDC& DC() { return m_dc; }

  private:
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_pOld = nullptr;
};

std::optional<Metafile> Emf(const EmfBuilder& emf, int nWidth, int nHeight) {
    return Metafile::FromEmfBytes(emf.Build(nWidth, nHeight));
}

TEST(MetafilePlayer, FillsTheScaledAreaOfTheDestination) {
    EmfBuilder emf;
    emf.Rec(39, {1, 0, static_cast<std::int32_t>(kRed), 0});  // solid red brush
    emf.Rec(37, {1}).Rec(37, {kNullPen});
    emf.Rec(43, {0, 0, 100, 50});
    Canvas canvas(240, 130);
    canvas.Play(Emf(emf, 100, 50), CRect(20, 10, 220, 110));

    for (CPoint pt : {CPoint(22, 12), CPoint(217, 12), CPoint(22, 107), CPoint(120, 60)})
        EXPECT_EQ(canvas.At(pt.x, pt.y), kRed) << pt.x << "," << pt.y;
    for (CPoint pt : {CPoint(18, 60), CPoint(222, 60), CPoint(120, 8), CPoint(120, 112)})
        EXPECT_EQ(canvas.At(pt.x, pt.y), kWhite) << pt.x << "," << pt.y;
    // The context is as it was: no clip, no pen or brush of the metafile's left.
    canvas.DC().Rectangle(0, 115, 10, 125);
    EXPECT_EQ(canvas.At(0, 120), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(5, 120), kWhite);
}

TEST(MetafilePlayer, MapsWindowToViewportAndDrawsPolygons) {
    // A triangle in a 1000 x 1000 window shown in a 100 x 100 viewport.
    EmfBuilder emf;
    emf.Rec(17, {8}).Rec(9, {1000, 1000}).Rec(11, {100, 100});
    emf.Rec(39, {1, 0, static_cast<std::int32_t>(kBlue), 0}).Rec(37, {1});
    emf.Raw(86, Bytes().I32s({0, 0, 0, 0, 3}).I16s({0, 0, 1000, 0, 0, 1000}));
    Canvas canvas(200, 200);
    canvas.Play(Emf(emf, 100, 100), CRect(0, 0, 200, 200));
    EXPECT_EQ(canvas.At(40, 40), kBlue);         // inside, near the right angle
    EXPECT_EQ(canvas.At(160, 160), kWhite);      // beyond the hypotenuse
    EXPECT_EQ(canvas.At(190, 0), RGB(0, 0, 0));  // the outline runs to the far corner

    // The same triangle from a placeable WMF whose box is the window.
    WmfBuilder wmf;
    wmf.Rec(0x02FC, {0, static_cast<std::int32_t>(kGreen & 0xFFFF), 0, 0}).Rec(0x012D, {0});
    wmf.Rec(0x0324, {3, 500, 500, 1500, 500, 500, 1500});
    Canvas other(100, 100);
    other.Play(Metafile::FromPlaceableWmfBytes(wmf.Build({500, 500, 1500, 1500}, 1)),
               CRect(0, 0, 100, 100));
    EXPECT_EQ(other.At(20, 20), kGreen);
    EXPECT_EQ(other.At(80, 80), kWhite);
}

TEST(MetafilePlayer, RestoresSavedStates) {
    EmfBuilder emf;
    emf.Rec(37, {kNullPen});
    emf.Rec(39, {1, 0, static_cast<std::int32_t>(kRed), 0}).Rec(37, {1});
    emf.Rec(33, {});  // save: red brush, origin 0
    emf.Rec(39, {2, 0, static_cast<std::int32_t>(kBlue), 0}).Rec(37, {2});
    emf.Rec(10, {-50, 0});           // window origin moves
    emf.Rec(43, {-50, 0, -25, 10});  // blue at 0..25
    emf.Rec(33, {}).Rec(33, {});
    emf.Rec(34, {-3});             // back to the first save
    emf.Rec(43, {50, 0, 75, 10});  // red at 50..75
    emf.Rec(34, {-1});             // nothing saved: ignored
    emf.Rec(43, {80, 0, 90, 10});
    Canvas canvas(100, 10);
    canvas.Play(Emf(emf, 100, 10), CRect(0, 0, 100, 10));
    EXPECT_EQ(canvas.At(10, 5), kBlue);
    EXPECT_EQ(canvas.At(60, 5), kRed);
    EXPECT_EQ(canvas.At(85, 5), kRed);
    EXPECT_EQ(canvas.At(40, 5), kWhite);
}

TEST(MetafilePlayer, TracksObjectsThroughDeletionAndStockObjects) {
    EmfBuilder emf;
    emf.Rec(38, {1, 0, 3, 0, static_cast<std::int32_t>(kRed)});  // pen 1: red, 3 wide
    emf.Rec(37, {1}).Rec(27, {0, 10}).Rec(54, {100, 10});
    emf.Rec(37, {kBlackPen}).Rec(40, {1});
    emf.Rec(37, {1}).Rec(27, {0, 30}).Rec(54, {100, 30});  // 1 is gone: black
    emf.Rec(95, {1, 0, 0, 0, 0, 0, 3, 0, static_cast<std::int32_t>(kBlue), 0, 0});
    emf.Rec(37, {1}).Rec(27, {0, 50}).Rec(54, {100, 50});  // pen 1 again: blue
    Canvas canvas(100, 60);
    canvas.Play(Emf(emf, 100, 60), CRect(0, 0, 100, 60));
    EXPECT_EQ(canvas.At(50, 10), kRed);
    EXPECT_EQ(canvas.At(50, 30), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(50, 31), kWhite);  // a one-pixel line
    int nBlueRows = 0;
    for (int y = 45; y < 56; ++y)
        nBlueRows += canvas.At(50, y) == kBlue;
    EXPECT_EQ(nBlueRows, 3);
}

TEST(MetafilePlayer, DrawsPathsBitmapsAndText) {
    EmfBuilder emf;
    // A closed figure of a line and a curve, filled.
    emf.Rec(39, {1, 0, static_cast<std::int32_t>(kGreen), 0}).Rec(37, {1}).Rec(37, {kNullPen});
    emf.Rec(59, {}).Rec(27, {0, 0}).Rec(54, {40, 0});
    emf.Raw(88, Bytes().I32s({0, 0, 0, 0, 3}).I16s({40, 20, 20, 40, 0, 40}));
    emf.Rec(61, {}).Rec(60, {}).Rec(62, {0, 0, 0, 0});
    emf.Raw(81, test::StretchDibits(60, 0, 20, 20));
    // Wide text with its baseline at y = 90.
    emf.Rec(82, {1, -16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    emf.Rec(37, {1}).Rec(22, {24}).Rec(24, {static_cast<std::int32_t>(kRed)}).Rec(18, {1});
    emf.Raw(84, Bytes()
                    .I32s({0, 0, 0, 0, 1, 0, 0, 0, 90, 3, 76, 0, 0, 0, 0, 0, 0})
                    .U16(u'\x4E2D')
                    .U16(u'W')
                    .U16(u'W'));
    Canvas canvas(100, 100);
    canvas.Play(Emf(emf, 100, 100), CRect(0, 0, 100, 100));
    EXPECT_EQ(canvas.At(5, 5), kGreen);
    EXPECT_EQ(canvas.At(24, 24), kGreen);  // inside the curve, beyond its chord
    EXPECT_EQ(canvas.At(45, 45), kWhite);
    EXPECT_EQ(canvas.At(70, 5), kRed);  // the top row
    EXPECT_EQ(canvas.At(70, 15), kBlue);
    int nAbove = 0, nBelow = 0;  // inked pixels above and below the baseline
    for (int y = 70; y < 100; ++y)
        for (int x = 0; x < 60; ++x)
            (y < 90 ? nAbove : nBelow) += canvas.At(x, y) != kWhite;
    EXPECT_GT(nAbove, 20);
    EXPECT_LT(nBelow, nAbove / 4);
}

}  // namespace
}  // namespace tessel::metafile
