#include "formula/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tessel::formula {
namespace {

TEST(ParseFormula, AcceptsTheLanguage) {
    const char* const texts[] = {
        "x^2 + y_i^2 = z_{ij}^{2n}",
        "\\frac{a}{b} + \\dfrac12 - \\binom{n}{k}",
        "\\sqrt{x} \\sqrt[3]{x+1} \\sqrt[n]{\\frac{a}{b}}",
        "\\alpha\\beta\\Gamma\\Omega \\pm\\times\\div\\cdot\\le\\ge\\ne\\approx\\equiv\\infty",
        "\\partial\\nabla\\in\\notin\\subset\\supseteq\\cup\\cap\\forall\\exists\\angle\\perp",
        "\\to\\leftarrow\\Rightarrow\\Leftrightarrow\\parallel\\degree\\cdots",
        "\\left( \\frac{a}{b} \\right] \\left\\{ x \\right. \\left| y \\right\\| "
        "\\left\\langle u \\right\\rangle",
        "\\sum_{i=1}^{n} \\int_a^b \\prod\\limits_k \\oint \\lim_{x\\to 0} \\max_i",
        "\\text{面积 } S = \\pi r^2 \\quad \\text{\\{cm\\}}",
        "f'(x) = x'' \\, a\\;b\\!c ~ d \\qquad \\overline{AB} \\vec{a} \\overrightarrow{AB}",
        "\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix} "
        "\\begin{cases} x & x > 0 \\\\ -x & x \\le 0 \\end{cases}",
        "a &= b + c \\\\ &= d",
        "$ x = 1 $ % a comment",
        "α ≤ β",                // symbols typed as themselves
        "\xEF\xBB\xBFx",        // a byte-order mark
        "\xA6\xC1 + \xD6\xD0",  // GBK (not UTF-8): alpha + a Chinese character
    };
    for (const char* szText : texts) {
        const ParseResult result = ParseFormula(szText);
        EXPECT_TRUE(result.Ok()) << szText << ": " << result.nLine << ":" << result.nColumn << " "
                                 << result.strError;
    }
}

TEST(ParseFormula, RefusesFaultsAndSaysWhere) {
    const std::tuple<std::string, int, int> cases[] = {
        {"x + \\foo", 1, 5},  // unknown command
        {"{x", 1, 2},         // group not closed
        {"x}", 1, 2},
        {"x^2^3", 1, 4},  // double superscript
        {"x_1_2", 1, 4},
        {"\\frac{a}", 1, 9},  // missing argument
        {"\\left( x", 1, 7},
        {"x \\right)", 1, 3},
        {"\\left x \\right)", 1, 7},  // not a delimiter
        {"{a & b}", 1, 4},            // cells only at the top or in an environment
        {"\\begin{matrix} a \\end{cases}", 1, 18},
        {"\\begin{tabular} a", 1, 1},
        {"a\n  # b", 2, 3},
        {"x\\", 1, 2},
        {std::string("x\0y", 3), 1, 2},
        {"\\text{abc", 1, 6},
        {"\\text{\\alpha}", 1, 7},
        {"\\sqrt[3{x}", 1, 7},
    };
    for (const auto& [text, nLine, nColumn] : cases) {
        const ParseResult result = ParseFormula(text);
        EXPECT_FALSE(result.Ok()) << text;
        EXPECT_EQ(result.nLine, nLine) << text << ": " << result.strError;
        EXPECT_EQ(result.nColumn, nColumn) << text << ": " << result.strError;
        EXPECT_FALSE(result.strError.empty());
    }
}

TEST(ParseFormula, EmptyTextIsAnEmptyFormula) {
    for (const char* szText : {"", "  \n\t", "% nothing but a comment\n", "{}"}) {
        const ParseResult result = ParseFormula(szText);
        ASSERT_TRUE(result.Ok()) << szText;
        EXPECT_EQ(result.pRoot->kind, NodeKind::kRow);
        EXPECT_EQ(result.pRoot->kids.size(), std::string_view(szText) == "{}" ? 1u : 0u);
    }
}

std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Every way of nesting counts towards one limit, and a deep text neither overflows the stack
// nor takes long.
TEST(ParseFormula, LimitsNestingAndSize) {
    EXPECT_TRUE(ParseFormula(Repeat("{", kMaxNesting) + Repeat("}", kMaxNesting)).Ok());
    EXPECT_FALSE(ParseFormula(Repeat("{", kMaxNesting + 1) + Repeat("}", kMaxNesting + 1)).Ok());
    EXPECT_TRUE(ParseFormula(Repeat("x^{", kMaxNesting - 1) + Repeat("}", kMaxNesting - 1)).Ok());
    EXPECT_FALSE(
        ParseFormula(Repeat("\\frac{", kMaxNesting + 1) + Repeat("}{y}", kMaxNesting + 1)).Ok());
    EXPECT_FALSE(ParseFormula(Repeat("\\left(\\sqrt{", 40) + Repeat("}\\right)", 40)).Ok());
    EXPECT_FALSE(ParseFormula(Repeat("{", 30000)).Ok());

    EXPECT_TRUE(ParseFormula(std::string(kMaxFormulaBytes, 'x')).Ok());
    const ParseResult tooBig = ParseFormula(std::string(kMaxFormulaBytes + 1, 'x'));
    EXPECT_FALSE(tooBig.Ok());
    EXPECT_FALSE(tooBig.strError.empty());
}

// What the tree says about letters, numbers, scripts and text.
TEST(ParseFormula, BuildsTheTree) {
    ParseResult r = ParseFormula("x_i^2 3.14 \\alpha \\text{面积}");
    ASSERT_TRUE(r.Ok());
    const auto& kids = r.pRoot->kids;
    ASSERT_EQ(kids.size(), 4u);
    ASSERT_EQ(kids[0]->kind, NodeKind::kScripts);
    EXPECT_TRUE(kids[0]->pSup && kids[0]->pSub);
    EXPECT_TRUE(kids[0]->kids[0]->bItalic);      // letters are italic
    EXPECT_EQ(kids[1]->runs[0].strGbk, "3.14");  // one upright number
    EXPECT_FALSE(kids[1]->bItalic);
    EXPECT_EQ(kids[2]->runs[0].strGbk, "\xA6\xC1");  // alpha in GBK
    ASSERT_EQ(kids[3]->kind, NodeKind::kText);
    EXPECT_EQ(kids[3]->runs[0].face, Face::kCjk);
    EXPECT_EQ(kids[3]->runs[0].strGbk, "\xC3\xE6\xBB\xFD");

    // x^2_i is x_i^2; primes are superscripts and may be followed by one.
    r = ParseFormula("x^2_i f''^2");
    ASSERT_TRUE(r.Ok());
    EXPECT_TRUE(r.pRoot->kids[0]->pSup && r.pRoot->kids[0]->pSub);
    ASSERT_EQ(r.pRoot->kids[1]->pSup->kids.size(), 3u);
    EXPECT_EQ(r.pRoot->kids[1]->pSup->kids[0]->shape, Shape::kPrime);
}

}  // namespace
}  // namespace tessel::formula
