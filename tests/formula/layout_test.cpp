#include "formula/layout.h"

#include <gtest/gtest.h>

#include <string>

#include "formula/parser.h"

namespace tessel::formula {
namespace {

Box Lay(const std::string& strText, double dBase = kBaseFontSize) {
    ParseResult result = ParseFormula(strText);
    EXPECT_TRUE(result.Ok()) << strText << ": " << result.strError;
    if (!result.Ok()) return Box();
    return LayoutFormula(*result.pRoot, CEstimateMetrics(), dBase);
}

double Height(const Box& box) {
    return box.ascent + box.descent;
}

// The first text item that draws strGbk.
const DrawItem* FindText(const Box& box, const std::string& strGbk) {
    for (const DrawItem& item : box.items)
        if (item.kind == DrawItem::kText && item.strGbk == strGbk) return &item;
    ADD_FAILURE() << "no text " << strGbk;
    static const DrawItem none;
    return &none;
}

// The area covered by the items that are not text (delimiters, bars, signs).
DRect ShapeBounds(const Box& box) {
    DRect r{1e9, 1e9, -1e9, -1e9};
    for (const DrawItem& item : box.items) {
        if (item.kind == DrawItem::kText) continue;
        const DRect b = ItemBounds(item);
        r = {std::min(r.left, b.left), std::min(r.top, b.top), std::max(r.right, b.right),
             std::max(r.bottom, b.bottom)};
    }
    return r;
}

TEST(LayoutFormula, FractionsStackAroundTheBar) {
    const Box a = Lay("a");
    const Box frac = Lay("\\frac{a}{b}");
    EXPECT_GT(frac.ascent, a.ascent);
    EXPECT_GT(frac.descent, a.descent);
    EXPECT_LT(FindText(frac, "a")->y, 0);  // numerator above the baseline
    EXPECT_GT(FindText(frac, "b")->y, 0);  // denominator below it
    const DRect bar = ShapeBounds(frac);
    EXPECT_GE(bar.right - bar.left, FindText(frac, "a")->w);
    EXPECT_LT(FindText(frac, "a")->y, bar.top);
    EXPECT_GT(FindText(frac, "b")->y - FindText(frac, "b")->dAscent, bar.bottom);
    // A fraction inside a fraction is set smaller.
    const Box nested = Lay("\\frac{\\frac{a}{b}}{c}");
    EXPECT_LT(FindText(nested, "a")->font.nSize, FindText(frac, "a")->font.nSize);
}

TEST(LayoutFormula, ScriptsAreRaisedLoweredAndSmaller) {
    const Box sup = Lay("x^2");
    const Box sub = Lay("x_2");
    const Box both = Lay("x_i^2");
    EXPECT_LT(FindText(sup, "2")->y, 0);
    EXPECT_GT(FindText(sub, "2")->y, 0);
    EXPECT_LT(FindText(sup, "2")->font.nSize, FindText(sup, "x")->font.nSize);
    EXPECT_GT(FindText(sup, "2")->x, FindText(sup, "x")->x);
    EXPECT_EQ(Lay("x^2_i").width, both.width);
    // Both scripts: the superscript's bottom stays clear of the subscript's top, however
    // deep and tall they are.
    const Box fracs = Lay("x^{\\frac{1}{2}}_{\\frac{3}{4}}");
    EXPECT_LT(FindText(fracs, "2")->y + FindText(fracs, "2")->dDescent,
              FindText(fracs, "3")->y - FindText(fracs, "3")->dAscent);
}

TEST(LayoutFormula, DelimitersAndRadicalsGrowWithTheirContents) {
    const DRect small = ShapeBounds(Lay("\\left( x \\right)"));
    const Box tallBox = Lay("\\left( \\frac{\\frac{a}{b}}{\\frac{c}{d}} \\right)");
    const DRect tall = ShapeBounds(tallBox);
    EXPECT_GT(tall.bottom - tall.top, 1.8 * (small.bottom - small.top));
    EXPECT_LE(tall.top, FindText(tallBox, "a")->y - FindText(tallBox, "a")->dAscent);
    EXPECT_GE(tall.bottom, FindText(tallBox, "d")->y);
    for (const char* szText : {"\\left[ \\frac{a}{b} \\right]", "\\left\\{ \\frac{a}{b} \\right.",
                               "\\left| \\frac{a}{b} \\right|", "\\sqrt{\\frac{a}{b}}"}) {
        const Box box = Lay(szText);
        const DRect r = ShapeBounds(box);
        EXPECT_LE(r.top, FindText(box, "a")->y - FindText(box, "a")->dAscent) << szText;
        EXPECT_GE(r.bottom, FindText(box, "b")->y) << szText;
    }
}

TEST(LayoutFormula, SizesScaleWithTheBaseSize) {
    const std::string text = "\\sum_{i=1}^n \\frac{\\sqrt{x_i}}{\\left(1+y\\right)^2} \\int_a^b";
    const Box normal = Lay(text, 20);
    const Box large = Lay(text, 40);
    EXPECT_NEAR(large.width / normal.width, 2.0, 0.1);
    EXPECT_NEAR(Height(large) / Height(normal), 2.0, 0.1);
}

// TeX's spacing: a binary operator gets medium spaces, a relation thick ones, a sign at the
// start none.
TEST(LayoutFormula, SpacesOperatorsByTheirRole) {
    const double em = kBaseFontSize;
    const double plus = Lay("+").width;
    const double ab = Lay("ab").width;
    EXPECT_NEAR(Lay("a+b").width, ab + plus + 2 * em * 4 / 18, 0.01);
    EXPECT_NEAR(Lay("+b").width, plus + Lay("b").width, 0.01);
    EXPECT_NEAR(Lay("a=b").width, ab + Lay("=").width + 2 * em * 5 / 18, 0.01);
    const FontDesc script{Face::kSerif, false, false, 14};  // no spaces in scripts
    EXPECT_NEAR(Lay("a^{a+b}").width - Lay("a^{ab}").width,
                CEstimateMetrics().TextWidth(script, "+"), 0.01);
}

TEST(LayoutFormula, LimitsGoAboveAndBelowInDisplayStyleOnly) {
    const Box display = Lay("\\sum_{k}^{n}");
    EXPECT_GT(FindText(display, "k")->y, 0);
    EXPECT_LT(FindText(display, "n")->y, -0.5 * display.ascent);
    EXPECT_NEAR(FindText(display, "k")->x + FindText(display, "k")->w / 2, display.width / 2, 1);
    for (const char* szText : {"\\sum\\nolimits_k", "\\begin{matrix} \\sum_k \\end{matrix}"}) {
        const Box box = Lay(szText);  // asked for, and in text style (a matrix's cells)
        EXPECT_GE(FindText(box, "k")->x, ShapeBounds(box).right - 0.5) << szText;
    }
    const Box integral = Lay("\\int_a^b");  // integrals: at the side, unless asked
    EXPECT_GT(FindText(integral, "b")->x, 0.3 * integral.width);
    const Box above = Lay("\\int\\limits_a^b");
    EXPECT_NEAR(FindText(above, "a")->x + FindText(above, "a")->w / 2, above.width / 2, 1);
}

// Everything drawn lies within the box, so that nothing is cut off when drawn in the
// rectangle the formula reports.
TEST(LayoutFormula, InkStaysInsideTheBox) {
    const char* const texts[] = {
        "x^2 + y_i^2 = \\frac{a+b}{c-d}",
        "\\sqrt[3]{\\frac{1}{x}} \\sqrt{y}",
        "\\left\\langle \\frac{a}{b} \\right\\rangle \\left\\lfloor x \\right\\rceil",
        "\\sum_{i=1}^{n} \\prod_k \\iiint_V \\oint_{\\partial S} \\bigcup_i A_i",
        "\\lim_{x \\to \\infty} \\overline{AB} \\vec{a} \\hat{x} \\tilde{y} \\ddot{z}",
        "\\overbrace{a+b}^{n} \\underbrace{c+d}_{m} \\underline{x}",
        "\\partial\\nabla\\forall\\exists\\notin\\subseteq\\supset\\Rightarrow\\Leftrightarrow",
        "\\mapsto\\longrightarrow\\sim\\cong\\ll\\gg\\neg\\emptyset\\otimes\\circ\\bullet",
        "\\nless\\ngtr\\leqslant\\geqslant\\backsim\\backcong\\propto\\therefore\\because",
        "\\in\\ni\\cup\\cap\\wedge\\vee\\angle\\perp\\parallel\\mid\\Vert\\oplus\\odot\\mp",
        "x'' \\cdot \\cdots \\vdots \\ddots \\leftarrow \\Leftarrow \\longleftarrow \\simeq",
        "{}^{\\int} x_{\\sum} \\frac{\\prod}{\\coprod} \\bigcap \\langle \\rfloor \\lceil",
        "\\begin{pmatrix} 1 & 2 \\\\ 3 & 4 \\end{pmatrix} \\begin{cases} a \\\\ b \\end{cases}",
        "a &= b \\\\ c &= \\frac{d}{e}",
    };
    for (const char* szText : texts) {
        const Box box = Lay(szText);
        for (const DrawItem& item : box.items) {
            const DRect r = ItemBounds(item);
            const double slack = 0.5;
            EXPECT_GE(r.left, -slack) << szText << " item " << item.kind;
            EXPECT_LE(r.right, box.width + slack) << szText << " item " << item.kind;
            EXPECT_GE(r.top, -box.ascent - slack) << szText << " item " << item.kind;
            EXPECT_LE(r.bottom, box.descent + slack) << szText << " item " << item.kind;
        }
    }
}

}  // namespace
}  // namespace tessel::formula
