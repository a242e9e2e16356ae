// The text a file gives the page. The GBK bytes expected are made by the C library's iconv,
// a converter independent of the platform's own; line breaks and limits follow the import's
// rules.
#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

#include "editor/text_import.h"

namespace {

using tessel::editor::DetectEncoding;
using tessel::editor::ImportedText;
using tessel::editor::kImportLimit;
using tessel::editor::TextEncoding;

// UTF-8 converted by iconv into the encoding named.
std::string Iconv(const std::string& utf8, const char* szTo = "GBK") {
    iconv_t cd = iconv_open(szTo, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8, out(utf8.size() * 4 + 4, '\0');
    char* pIn = in.data();
    char* pOut = out.data();
    size_t nIn = in.size(), nOut = out.size();
    EXPECT_NE(iconv(cd, &pIn, &nIn, &pOut, &nOut), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - nOut);
    return out;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(TextImportTest, EveryLineBreakIsOneLineFeedTakingOneMoreBreakWithIt) {
    EXPECT_EQ(ImportedText("a\r\nb", false), "a\nb");
    EXPECT_EQ(ImportedText("a\n\nb", false), "a\nb");
    EXPECT_EQ(ImportedText("a\r\rb", false), "a\nb");
    EXPECT_EQ(ImportedText("a\n\rb", false), "a\nb");
    // A third break is a line of its own.
    EXPECT_EQ(ImportedText("a\r\n\r\nb", false), "a\n\nb");
    EXPECT_EQ(ImportedText("a\n\n\nb\r", false), "a\n\nb\n");
    EXPECT_EQ(ImportedText("", false), "");
    // The text ends at the first zero byte.
    EXPECT_EQ(ImportedText(std::string("ab\0cd", 5), false), "ab");
    EXPECT_EQ(ImportedText(std::string("\0ab", 3), true), "");
}

TEST(TextImportTest, GbkStaysAsItIsInWholeCharactersUpToTheLimit) {
    const std::string gbk = Iconv("中文，“引号”\r\n第二行");
    EXPECT_EQ(DetectEncoding(gbk, false), TextEncoding::kGbk);
    EXPECT_EQ(ImportedText(gbk, false), Iconv("中文，“引号”\n第二行"));
    // Second bytes that are line breaks or backslashes belong to their character.
    const std::string pairs = std::string("\x81\x5C") + "\x95\x0A" + "x";
    EXPECT_EQ(ImportedText(pairs, false), pairs);

    const std::string ascii = Repeat("0123456789", 500);  // 5000 bytes
    EXPECT_EQ(ImportedText(ascii, false), ascii.substr(0, kImportLimit));
    // 2 + 2 x 1534 = 3070 bytes, and the lead byte of the next character at 3071 is dropped.
    const std::string wide = "ab" + Repeat(Iconv("中"), 2000);
    EXPECT_EQ(ImportedText(wide, false), wide.substr(0, 3070));
    // One letter less, and the limit falls between two characters.
    EXPECT_EQ(ImportedText(wide.substr(1), false), wide.substr(1, 3071));
    // A lead byte cut by the zero byte goes too.
    EXPECT_EQ(ImportedText(std::string("a\xD6\0", 3), false), "a");
}

TEST(TextImportTest, Utf8IsRecognisedAndConvertedBeforeTheLimitCounts) {
    const std::string utf8 = "中文，“引号”\r\n第二行 ￥";
    EXPECT_EQ(DetectEncoding(utf8, false), TextEncoding::kUtf8);
    EXPECT_EQ(ImportedText(utf8, false), Iconv("中文，“引号”\n第二行 ￥"));
    EXPECT_EQ(ImportedText("\xEF\xBB\xBF"
                           "abc\n",
                           false),
              "abc\n");
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF"
                             "abc",
                             false),
              TextEncoding::kUtf8);
    // Plain ASCII is the same either way.
    EXPECT_EQ(DetectEncoding("abc", false), TextEncoding::kGbk);
    // A character GBK cannot hold becomes "?".
    EXPECT_EQ(ImportedText("a\xF0\x9F\x98\x80z", false), "a?z");

    // 6000 bytes of UTF-8 are 4000 of GBK: the limit keeps 1535 whole characters.
    const std::string many = Repeat("中", 2000);
    EXPECT_EQ(ImportedText(many, false), Repeat(Iconv("中"), 1535));
    // The part of a file read so far may end inside a character: that one is left out, and
    // the rest is still UTF-8.
    const std::string cut = "ab" + Repeat("中", 3) + std::string("\xE4\xB8");
    EXPECT_EQ(DetectEncoding(cut, true), TextEncoding::kUtf8);
    EXPECT_EQ(ImportedText(cut, true), "ab" + Repeat(Iconv("中"), 3));
    // The whole file ending so is no UTF-8.
    EXPECT_EQ(DetectEncoding(cut, false), TextEncoding::kGbk);
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_EQ(DetectEncoding("a\xC0\xAF", false), TextEncoding::kGbk);
    EXPECT_EQ(DetectEncoding("a\xED\xA0\x80", false), TextEncoding::kGbk);
}

}  // namespace
