#include "formula/formula.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A scratch project directory, made the current directory as the editor does.
class FormulaFile : public ::testing::Test {
  protected:
    void SetUp() override {
        m_old = fs::current_path();
        m_dir = fs::temp_directory_path() / ("tessel_formula_" + std::to_string(getpid()));
        fs::create_directories(m_dir / "formula");
        fs::current_path(m_dir);
    }
    void TearDown() override {
        fs::current_path(m_old);
        fs::remove_all(m_dir);
    }
    static void Write(const std::string& strName, const std::string& strText) {
        std::ofstream(strName, std::ios::binary) << strText;
    }

    fs::path m_old, m_dir;
};

TEST_F(FormulaFile, OpensFilesByTheNamesPagesGive) {
    Write("formula/sum.fml", "\\sum_{i=1}^{n} i = \\frac{n(n+1)}{2}");
    CFormula formula;
    EXPECT_EQ(formula.GetCurrentFileName(), "");
    ASSERT_EQ(formula.Open("FORMULA\\SUM.FML"), 1);  // Windows separators and letter case
    EXPECT_EQ(formula.GetCurrentFileName(), "FORMULA\\SUM.FML");
    const CRect rc = formula.GetRect();
    EXPECT_EQ(rc.TopLeft(), CPoint(0, 0));
    EXPECT_GT(rc.Width(), 100);
    EXPECT_GT(rc.Height(), 40);  // a fraction's height
    const std::string strAbsolute = (m_dir / "formula" / "sum.fml").string();
    EXPECT_EQ(formula.Open(strAbsolute.c_str()), 1);
    EXPECT_EQ(formula.GetCurrentFileName(), strAbsolute);
}

TEST_F(FormulaFile, AFailedOpenKeepsTheFormulaItHad) {
    Write("good.fml", "x^2");
    Write("bad.fml", "x^2\n\\frac{a}");
    Write("big.fml", std::string(64 * 1024 + 1, 'x'));
    Write("empty.fml", "% nothing\n");
    CFormula formula;
    EXPECT_EQ(formula.Open("missing.fml"), 0);
    EXPECT_EQ(formula.Open(nullptr), 0);
    EXPECT_EQ(formula.GetCurrentFileName(), "");
    ASSERT_EQ(formula.Open("good.fml"), 1);
    const CRect rc = formula.GetRect();
    EXPECT_EQ(formula.Open("bad.fml"), 0);
    EXPECT_EQ(formula.GetErrorLine(), 2);
    EXPECT_FALSE(formula.GetLastError().empty());
    EXPECT_EQ(formula.Open("big.fml"), 0);
    EXPECT_EQ(formula.Open("formula"), 0);  // a folder
    EXPECT_EQ(formula.GetCurrentFileName(), "good.fml");
    EXPECT_EQ(formula.GetRect(), rc);
    EXPECT_FALSE(formula.Parse("}"));
    EXPECT_EQ(formula.GetRect(), rc);

    ASSERT_EQ(formula.Open("empty.fml"), 1);  // an empty formula takes no room
    EXPECT_EQ(formula.GetRect(), CRect(0, 0, 0, 5));
    EXPECT_EQ(CFormula().GetRect(), CRect(0, 0, 0, 5));
}

// The ink's bounding box in the bitmap, or an empty rectangle.
CRect Ink(const CBitmap& bmp) {
    const CSize size = bmp.GetSize();
    CRect r(size.cx, size.cy, 0, 0);
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if (bmp.GetPixel(x, y) != RGB(255, 255, 255))
                r = CRect(std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                          std::max(r.bottom, y + 1));
    return r.IsRectEmpty() ? CRect() : r;
}

// Draws into rc of a white bitmap with room all round and returns the ink's bounds.
CRect DrawAt(CFormula& formula, const CRect& rc, double dScale = 1.0) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bmp;
    bmp.CreateBitmap(rc.right + 40, rc.bottom + 40);
    CBitmap* pOld = dc.SelectObject(&bmp);
    dc.FillSolidRect(CRect(0, 0, rc.right + 40, rc.bottom + 40), RGB(255, 255, 255));
    dc.SetTextColor(RGB(0, 0, 255));
    dc.SetBkMode(OPAQUE);
    formula.Draw(&dc, rc, dScale);
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 255));  // the context is left as it was
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    dc.SelectObject(pOld);
    return Ink(bmp);
}

bool Contains(const CRect& outer, const CRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(CFormula, DrawsInsideTheRectangleScaledToFit) {
    CFormula formula;
    ASSERT_TRUE(
        formula.Parse("\\left( \\int_0^1 \\frac{x^2}{\\sqrt{1-x}}\\,dx \\right) \\ne \\pi"));
    const CRect natural = formula.GetRect();
    const int w = natural.Width(), h = natural.Height() - CFormula::kBottomSlack;

    const CRect rc(20, 20, 20 + w, 20 + h);  // as the editor draws it
    const CRect ink = DrawAt(formula, rc);
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_TRUE(Contains(rc, ink));
    EXPECT_GT(ink.Width(), w - 3 * CFormula::kMargin - 2);  // it fills its rectangle
    EXPECT_GT(ink.Height(), h - 3 * CFormula::kMargin - 2);

    const CRect large(20, 20, 20 + 2 * w, 20 + 2 * h);
    const CRect inkLarge = DrawAt(formula, large);
    EXPECT_TRUE(Contains(large, inkLarge));
    EXPECT_NEAR(inkLarge.Width(), 2 * ink.Width(), 0.1 * ink.Width());

    const CRect small(20, 20, 20 + w / 2, 20 + h / 2);
    const CRect inkSmall = DrawAt(formula, small);
    EXPECT_TRUE(Contains(small, inkSmall));
    EXPECT_NEAR(inkSmall.Width(), ink.Width() / 2, 0.15 * ink.Width());

    // A wide, flat rectangle: the proportions are kept and the drawing is centred.
    const CRect flat(20, 20, 20 + 3 * w, 20 + h);
    const CRect inkFlat = DrawAt(formula, flat);
    EXPECT_TRUE(Contains(flat, inkFlat));
    EXPECT_NEAR(inkFlat.left - flat.left, flat.right - inkFlat.right, 4);

    // Magnified beyond the rectangle: cut at its edges.
    EXPECT_EQ(DrawAt(formula, rc, 3.0), rc);

    EXPECT_TRUE(DrawAt(formula, CRect(20, 20, 20, 60)).IsRectEmpty());  // an empty rectangle
    CFormula empty;
    EXPECT_TRUE(DrawAt(empty, rc).IsRectEmpty());
}

}  // namespace
