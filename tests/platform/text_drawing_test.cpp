// TextOut draws glyph runs built from characters shaped once per face; these tests draw the
// same text one character at a time with drawText (TextOutPerCharacter) and compare pixels,
// over faces, sizes, styles, background modes, rotations, scales and clipping.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "canvas.h"
#include "platform/gbk.h"
#include "platform/gdi.h"
#include "platform/gdi_qt.h"
#include "platform/text.h"

namespace {

using namespace tessel::platform::test;
using tessel::platform::DecodeGbk;
using tessel::platform::GbkToUtf8;
using tessel::platform::TextOutPerCharacter;
using tessel::platform::Utf8ToGbk;

const QImage& Pixels(Canvas& canvas) {
    return canvas.bitmap.Data()->pSurface->Pixels();
}

// Pixels that differ between two images of the same size.
int DifferingPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    }
    return n;
}

// Text of every kind a page holds, GBK.
std::vector<std::string> Samples() {
    std::vector<std::string> samples = {
        "The quick brown fox jumps over the lazy dog 0123456789",
        "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ AVAWAY ffi fl Tf Wo",
        Utf8ToGbk("中文排版测试：选择正确的答案，并说明理由。"),
        Utf8ToGbk("Mixed 中英文 text, 数字 12.5% 与（括号）“引号”《书名》"),
        Utf8ToGbk("ＡＢＣ全角１２３　ā á ǎ à ü αβγ ДЖЯ ㄅㄆ ぁあ ァア ①②③ ⅠⅡⅢ ℃ ‰ ※ →"),
        Utf8ToGbk("鼂鼉齄 丂丄 癸ｇ 〇 ﹐﹑ 〡〢 ¤ §"),
        // Tabs, line ends, other control characters, a NUL, broken and lone bytes.
        std::string("a\tb\r\nc\x01"
                    "d",
                    8) +
            std::string("\0e", 2) +
            "\x80\xFF"
            "f\xB0<g\xB0",
        "\xA1\xA1\xA2\xA1\xAA\xA1\xF8\xFE\xA1\x40",  // ideographic space, unassigned, user rows
    };
    return samples;
}

struct Style {
    const char* szFace;
    int nHeight;
    int nWeight = FW_THIN;
    bool bItalic = false;
    bool bUnderline = false;
    bool bStrikeOut = false;
    int nEscapement = 0;
    unsigned char nQuality = 0;
    unsigned char nCharSet = DEFAULT_CHARSET;
};

LOGFONT MakeLogFont(const Style& style) {
    LOGFONT lf;
    lf.lfHeight = style.nHeight;
    lf.lfWeight = style.nWeight;
    lf.lfItalic = style.bItalic;
    lf.lfUnderline = style.bUnderline;
    lf.lfStrikeOut = style.bStrikeOut;
    lf.lfEscapement = style.nEscapement;
    lf.lfQuality = style.nQuality;
    lf.lfCharSet = style.nCharSet;
    const std::string face = Utf8ToGbk(style.szFace);
    std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    return lf;
}

// How a context is set up before drawing.
struct Setup {
    int nBkMode = TRANSPARENT;
    double dScaleX = 1, dScaleY = 1, dOffsetX = 0, dOffsetY = 0;
    CPoint ptOrigin{0, 0};
    bool bClip = false;
    bool bBusyBackground = false;  // stripes and spots of colour under the text
};

void Prepare(Canvas& canvas, CFont& font, const Setup& setup) {
    if (setup.bBusyBackground) {
        for (int x = 0; x < 760; x += 23)
            canvas.dc.FillSolidRect(CRect(x, 0, x + 9, 220), RGB(x % 256, 200, 90));
        for (int y = 0; y < 220; y += 17)
            canvas.dc.FillSolidRect(CRect(0, y, 760, y + 2), RGB(30, y, 160));
        for (int i = 0; i < 400; ++i)
            canvas.dc.SetPixel((i * 37) % 760, (i * 53) % 220, RGB(i % 256, 0, 0));
    }
    canvas.dc.SelectObject(&font);
    canvas.dc.SetBkMode(setup.nBkMode);
    canvas.dc.SetBkColor(RGB(250, 240, 160));
    canvas.dc.SetTextColor(RGB(20, 40, 180));
    canvas.dc.SetViewportOrg(setup.ptOrigin.x, setup.ptOrigin.y);
    if (setup.dScaleX != 1 || setup.dScaleY != 1 || setup.dOffsetX != 0 || setup.dOffsetY != 0)
        canvas.dc.SetWorldScale(setup.dScaleX, setup.dScaleY, setup.dOffsetX, setup.dOffsetY);
    if (setup.bClip) {
        canvas.dc.IntersectClipRect(CRect(10, 3, 700, 150));
        canvas.dc.ExcludeClipRect(CRect(60, 10, 90, 30));
    }
}

// Draws every sample both ways, at a few places, and counts the pixels that differ.
int CompareDrawings(const Style& style, const Setup& setup) {
    const LOGFONT lf = MakeLogFont(style);
    CFont font;
    font.CreateFontIndirect(&lf);
    int nDiffering = 0;
    for (const std::string& sample : Samples()) {
        Canvas reference(760, 220), drawn(760, 220);
        Prepare(reference, font, setup);
        Prepare(drawn, font, setup);
        const int x = style.nEscapement == 0 ? 5 : 300, y = style.nEscapement == 0 ? 5 : 110;
        // Twice apart, then once more over the first in another colour.
        const CPoint places[] = {{x, y}, {x + 3, y + 60}, {x + 2, y + 3}};
        for (const CPoint& place : places) {
            if (&place == &places[2]) {
                reference.dc.SetTextColor(RGB(200, 0, 30));
                drawn.dc.SetTextColor(RGB(200, 0, 30));
                reference.dc.SetBkColor(RGB(220, 255, 220));
                drawn.dc.SetBkColor(RGB(220, 255, 220));
            }
            EXPECT_TRUE(TextOutPerCharacter(reference.dc, place.x, place.y, sample.data(),
                                            static_cast<int>(sample.size())));
            EXPECT_TRUE(drawn.dc.TextOut(place.x, place.y, sample));
        }
        int nInk = 0;
        for (int row = 0; row < Pixels(reference).height(); ++row) {
            for (int col = 0; col < Pixels(reference).width(); ++col)
                nInk += Pixels(reference).pixel(col, row) != 0xFFFFFFFFu;
        }
        EXPECT_GT(nInk, 100) << "nothing drawn";
        const int n = DifferingPixels(Pixels(reference), Pixels(drawn));
        EXPECT_EQ(n, 0) << style.szFace << " " << style.nHeight << " sample \"" << GbkToUtf8(sample)
                        << "\"";
        nDiffering += n;
    }
    return nDiffering;
}

TEST(TextDrawing, GlyphRunsDrawWhatCharacterByCharacterDrawingDraws) {
    const char* faces[] = {"Arial",       "Times New Roman", "宋体",   "黑体",
                           "Courier New", "楷体_GB2312",     "Verdana"};
    for (const char* szFace : faces) {
        for (int nHeight : {-12, -16, -21, 30}) {
            SCOPED_TRACE(testing::Message() << szFace << " " << nHeight);
            CompareDrawings({szFace, nHeight}, {});
        }
    }
}

TEST(TextDrawing, StylesAndBackgroundsDrawTheSame) {
    for (const char* szFace : {"Arial", "宋体", "Times New Roman"}) {
        SCOPED_TRACE(szFace);
        CompareDrawings({.szFace = szFace, .nHeight = -16, .nWeight = FW_BOLD}, {});
        CompareDrawings({.szFace = szFace, .nHeight = -18, .bItalic = true}, {});
        CompareDrawings({.szFace = szFace,
                         .nHeight = -20,
                         .nWeight = FW_BOLD,
                         .bItalic = true,
                         .bUnderline = true,
                         .bStrikeOut = true},
                        {.nBkMode = OPAQUE});
        CompareDrawings({.szFace = szFace, .nHeight = -16, .nQuality = NONANTIALIASED_QUALITY},
                        {.nBkMode = OPAQUE});
        CompareDrawings({.szFace = szFace, .nHeight = -16, .nCharSet = GB2312_CHARSET}, {});
    }
}

TEST(TextDrawing, TextOverOtherPixelsDrawsTheSame) {
    for (const char* szFace : {"Arial", "宋体", "Times New Roman"}) {
        SCOPED_TRACE(szFace);
        CompareDrawings({.szFace = szFace, .nHeight = -16}, {.bBusyBackground = true});
        CompareDrawings({.szFace = szFace, .nHeight = -19, .bItalic = true},
                        {.bBusyBackground = true});
        CompareDrawings({.szFace = szFace, .nHeight = -15, .nWeight = FW_BOLD, .bItalic = true},
                        {.nBkMode = OPAQUE, .bBusyBackground = true});
        CompareDrawings({.szFace = szFace, .nHeight = -14, .nQuality = NONANTIALIASED_QUALITY},
                        {.bBusyBackground = true});
        CompareDrawings({.szFace = szFace, .nHeight = -16},
                        {.ptOrigin = {-4, 2}, .bClip = true, .bBusyBackground = true});
    }
}

TEST(TextDrawing, RotatedScaledAndClippedTextDrawsTheSame) {
    for (const char* szFace : {"Arial", "宋体"}) {
        SCOPED_TRACE(szFace);
        for (int nEscapement : {900, 450, 300, 2700, 1800}) {
            SCOPED_TRACE(nEscapement);
            CompareDrawings({.szFace = szFace, .nHeight = -16, .nEscapement = nEscapement},
                            {.nBkMode = OPAQUE});
        }
        CompareDrawings({.szFace = szFace, .nHeight = -16},
                        {.dScaleX = 1.5, .dScaleY = 0.75, .dOffsetX = 0.3, .dOffsetY = 2.6});
        CompareDrawings({.szFace = szFace, .nHeight = -16},
                        {.dScaleX = -0.5, .dScaleY = 1.25, .dOffsetX = 700, .dOffsetY = 0});
        CompareDrawings({.szFace = szFace, .nHeight = -16, .bUnderline = true},
                        {.nBkMode = OPAQUE, .ptOrigin = {7, -3}, .bClip = true});
    }
}

// The text extent is the sum of the characters' advances, and TextOut fills exactly that
// cell on an opaque background.
TEST(TextDrawing, ExtentsAreSumsOfAdvancesAndTextOutFillsThem) {
    for (const char* szFace : {"Arial", "宋体", "Times New Roman"}) {
        SCOPED_TRACE(szFace);
        const LOGFONT lf = MakeLogFont({.szFace = szFace, .nHeight = -17, .bItalic = true});
        CFont font;
        font.CreateFontIndirect(&lf);
        for (const std::string& sample : Samples()) {
            Canvas canvas(900, 40);
            canvas.dc.SelectObject(&font);
            int nSum = 0;
            for (char32_t ch : DecodeGbk(sample.data(), static_cast<int>(sample.size()))) {
                int nWidth = 0;
                if (ch <= 0xFFFF) {
                    ASSERT_TRUE(canvas.dc.GetCharWidth(ch, ch, &nWidth));
                }
                nSum += nWidth;
            }
            const CSize extent = canvas.dc.GetTextExtent(sample);
            EXPECT_EQ(extent.cx, nSum) << GbkToUtf8(sample);
            canvas.dc.SetBkColor(kRed);
            canvas.dc.SetTextColor(kRed);
            canvas.dc.TextOut(0, 0, sample);
            const int nRow = extent.cy - 1;  // below any glyph a sample has
            EXPECT_EQ(canvas.dc.GetPixel(extent.cx - 1, nRow), kRed);
            EXPECT_EQ(canvas.dc.GetPixel(extent.cx, nRow), kWhite);
        }
    }
}

// --- A lead byte and the byte after it are one character ------------------------------
// A byte of 0x80 or more takes the byte after it, whatever that byte is, and a lead byte at
// the end of a text is a character of its own. A pair that GBK has no character for, and a
// lead byte at the end, are drawn and measured as one replacement character (U+FFFD): the
// second byte never shows as a character of its own.

// The character GBK gives the pair: its conversion on its own, when that is one character;
// U+FFFD otherwise.
char32_t PairCharacter(int lead, int trail) {
    const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
    const std::u32string chars = QString::fromStdString(GbkToUtf8(pair)).toStdU32String();
    return chars.size() == 1 ? chars[0] : U'\uFFFD';
}

TEST(LeadBytes, TakeTheByteAfterThemWhateverItIs) {
    int nChecked = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::u32string pair(1, PairCharacter(lead, trail));
            // Alone, before an ASCII character, and before a lead byte that ends the text.
            const std::pair<std::string, std::u32string> afters[] = {
                {"", U""}, {"<", U"<"}, {"\xB0", U"\uFFFD"}};
            for (const auto& [after, decodedAfter] : afters) {
                std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
                gbk += after;
                ASSERT_EQ(DecodeGbk(gbk.data(), static_cast<int>(gbk.size())), pair + decodedAfter)
                    << std::hex << lead << " " << trail << " " << after.size();
                ++nChecked;
            }
        }
        const std::string lone{'a', static_cast<char>(lead)};
        EXPECT_EQ(DecodeGbk(lone.data(), 2), U"a\uFFFD") << std::hex << lead;
    }
    EXPECT_EQ(nChecked, 128 * 256 * 3);
    EXPECT_EQ(DecodeGbk("\x80\x41", 2), U"\uFFFD");
    EXPECT_EQ(DecodeGbk("\xB0\xA1", 2), U"\u554A");  // 啊
    EXPECT_TRUE(DecodeGbk(nullptr, 0).empty());
}

// Text cut into characters by the rule: a byte of 0x80 or more and the next byte (if any)
// are one, every other byte is one.
std::vector<std::string> CharactersByTheRule(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        const size_t n = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

// One replacement character wide, and the extent of a text is the sum of the extents of its
// characters: the layout adds up the widths of words that are cut by the same rule.
TEST(LeadBytes, BrokenPairsAreOneReplacementWideAndExtentsAddUp) {
    const std::string broken[] = {"\x80\x41", "\x81\x20", "\xFF\xFF",
                                  "\x81<",    "\xB0\\",   "\xA1\x40",
                                  "\x81\x7F", "\x81",     std::string("\x81\0", 2)};
    for (const char* szFace : {"Arial", "宋体", "Times New Roman"}) {
        SCOPED_TRACE(szFace);
        const LOGFONT lf = MakeLogFont({.szFace = szFace, .nHeight = -17});
        CFont font;
        font.CreateFontIndirect(&lf);
        Canvas canvas(900, 40);
        canvas.dc.SelectObject(&font);
        int nReplacement = 0;
        ASSERT_TRUE(canvas.dc.GetCharWidth(0xFFFD, 0xFFFD, &nReplacement));
        EXPECT_GT(nReplacement, 0);
        for (const std::string& pair : broken) {
            EXPECT_EQ(canvas.dc.GetTextExtent(pair.data(), static_cast<int>(pair.size())).cx,
                      nReplacement)
                << std::hex
                << (static_cast<unsigned char>(pair[0]) << 8 |
                    static_cast<unsigned char>(pair.back()));
        }
        auto width = [&](const std::string& text) {
            return canvas.dc.GetTextExtent(text.data(), static_cast<int>(text.size())).cx;
        };
        EXPECT_EQ(width("x\x81\x20y"), width("x") + width("\x81\x20") + width("y"));
        EXPECT_EQ(width("x\x81\x20y"), width("x") + nReplacement + width("y"));
        EXPECT_EQ(width("<\x80<"), width("<") + nReplacement);  // the second "<" is taken
        for (const std::string& sample : Samples()) {
            int nSum = 0;
            for (const std::string& character : CharactersByTheRule(sample))
                nSum += width(character);
            EXPECT_EQ(width(sample), nSum) << GbkToUtf8(sample);
        }
    }
}

// "\x80" "A" is one replacement glyph in one cell: drawn exactly as a lead byte alone is,
// with nothing of an "A" beside it.
TEST(LeadBytes, BrokenPairsDrawOneReplacementGlyphAndNoSecondCharacter) {
    for (const char* szFace : {"Arial", "宋体"}) {
        SCOPED_TRACE(szFace);
        const LOGFONT lf = MakeLogFont({.szFace = szFace, .nHeight = -24});
        CFont font;
        font.CreateFontIndirect(&lf);
        auto draw = [&](const std::string& text, int nBkMode, const std::string& then = {}) {
            auto pCanvas = std::make_unique<Canvas>(120, 40);
            Canvas& canvas = *pCanvas;
            canvas.dc.SelectObject(&font);
            canvas.dc.SetBkMode(nBkMode);
            canvas.dc.SetBkColor(kGreen);
            canvas.dc.SetTextColor(kBlack);
            canvas.dc.TextOut(4, 4, text.data(), static_cast<int>(text.size()));
            if (!then.empty()) {
                const int x =
                    4 + canvas.dc.GetTextExtent(text.data(), static_cast<int>(text.size())).cx;
                canvas.dc.TextOut(x, 4, then.data(), static_cast<int>(then.size()));
            }
            return pCanvas;
        };
        auto inked = [](Canvas& canvas) {
            int n = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 120; ++x)
                    n += canvas.bitmap.GetPixel(x, y) != kWhite;
            return n;
        };
        const auto alone = draw("\x81", TRANSPARENT);
        ASSERT_GT(inked(*alone), 10);  // the replacement glyph shows
        for (const std::string pair : {"\x80\x41", "\xFF\xFF", "\x81\x20", "\x81<", "\xA1\x40"}) {
            SCOPED_TRACE(GbkToUtf8(pair));
            const auto drawn = draw(pair, TRANSPARENT);
            EXPECT_EQ(DifferingPixels(Pixels(*drawn), Pixels(*alone)), 0);
        }
        // Had the "A" been drawn after the glyph, it would show.
        const auto withLetter = draw("\x81", TRANSPARENT, "A");
        EXPECT_GT(DifferingPixels(Pixels(*withLetter), Pixels(*alone)), 10);
        // One cell: an opaque background fills exactly one replacement character's width.
        const auto opaque = draw("\x80\x41", OPAQUE);
        int nReplacement = 0;
        ASSERT_TRUE(opaque->dc.GetCharWidth(0xFFFD, 0xFFFD, &nReplacement));
        const int nRow = 4 + opaque->dc.GetTextExtent("\x80\x41").cy - 1;  // below the glyph
        EXPECT_EQ(opaque->bitmap.GetPixel(4 + nReplacement - 1, nRow), kGreen);
        EXPECT_EQ(opaque->bitmap.GetPixel(4 + nReplacement, nRow), kWhite);
    }
}

}  // namespace
