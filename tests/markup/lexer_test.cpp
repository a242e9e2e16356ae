#include <gtest/gtest.h>

#include "markup_test_support.h"

namespace {

using namespace markup_test;

const CWordAnalyzer kLexer;
const std::string kA = "\xb0\xa1";  // an ordinary two-byte character

int End(const std::string& s) {
    return static_cast<int>(s.size()) - 1;
}

TEST(LexerTest, KeywordsIgnoreCaseAndCommentsRunToTheLineEnd) {
    EXPECT_EQ(kLexer.GetCommandID("pAGEsCORE"), kKindPageScore);
    EXPECT_EQ(kLexer.GetPropertyID("hOTlINK"), CWordAnalyzer::kPropHotLink);
    for (const char* szWord : {"Imag", "Images", "", "Fonts"})
        EXPECT_EQ(kLexer.IsCommand(szWord) + kLexer.IsProperty(szWord), 0) << szWord;
    // clang-format off
    const std::pair<std::string, int> comments[] = {
        {"//ab\ncd", 4}, {"\xa3\xaf\xa3\xaf" "ab\rcd", 6}, {"//abc", 5}, {"/x", 0}, {"ab", 0}};
    // clang-format on
    for (const auto& [text, expected] : comments) {
        int nPos = 0;
        kLexer.SkipComment(text.c_str(), nPos, End(text));
        EXPECT_EQ(nPos, expected) << text;
    }
}

// Escaped brackets are skipped; a bracket counts as escaped only when the whole character
// before it is an escape symbol, so a character whose second byte is 0x5C escapes nothing.
TEST(LexerTest, BracketFindersSkipEscapedBracketsAtCharacterBoundaries) {
    using Finder = int (CWordAnalyzer::*)(const char*, int&, int) const;
    const Finder ls = &CWordAnalyzer::JumpLSParenth, rs = &CWordAnalyzer::JumpRSParenth;
    const Finder lp = &CWordAnalyzer::JumpLParenth, rp = &CWordAnalyzer::JumpRParenth;
    // clang-format off
    const std::tuple<Finder, std::string, int> cases[] = {  // position -1: not found
        {ls, "ab<c", 2}, {ls, "<a", 0}, {ls, "a&<b<c", 4}, {ls, "&<", -1}, {ls, "\\<b<", 3},
        {ls, kEscapeFull + "<x<", 4}, {ls, "a\\" + kTagOpenFull + "b<", 5},
        {ls, "ab" + kTagOpenFull, 2}, {ls, kSlashChar + "<", 2}, {ls, "\x95&<", 2},
        {ls, "abc", -1}, {rs, "a\\>b>", 4}, {rs, "a&>", 2}, {rs, "ab" + kTagCloseFull, 2},
        {rs, kSlashChar + ">", 2}, {rs, "ab", -1}, {lp, "x(", 1}, {lp, "\\(a" + kListOpenFull, 3},
        {rp, "a\\)b)", 4}, {rp, "a" + kListCloseFull, 1}, {rp, kSlashChar + ")", 2},
        {rp, "a\\" + kListCloseFull, -1}};
    // clang-format on
    for (const auto& [finder, text, pos] : cases) {
        int nPos = 0;
        EXPECT_EQ((kLexer.*finder)(text.c_str(), nPos, End(text)), pos >= 0) << text;
        EXPECT_EQ(nPos, pos >= 0 ? pos : End(text) + 1) << text;
    }
    int nPos = 0;
    EXPECT_EQ(kLexer.JumpLSParenth("a<b", nPos, 0), 0);  // the "<" lies beyond the range
}

TEST(LexerTest, GetWordReadsOneToken) {
    const std::string kLetters25(25, 'k');
    // Line breaks before a token are skipped; a run of letters and digits holds at most 20;
    // an escape before a line-break letter, a bracket, a quotation mark or an escape gives
    // that character; "&" takes the next character whole; a two-byte character ending in
    // 0x5C is no escape.
    // clang-format off
    const std::tuple<std::string, std::string, int> cases[] = {
        {"\r\n\r\nab!", "ab", 6}, {"\tx", "    ", 1}, {kLetters25, kLetters25.substr(5), 20},
        {"ab12cd!", "ab12cd", 6}, {"!a", "!", 1}, {kChinese, kChinese.substr(0, 2), 2},
        {kSlashChar + "n", kSlashChar, 2}, {"\\n", "\n", 2}, {"\\N", "\n", 2},
        {"\\\xa3\xee", "\n", 3}, {kEscapeFull + "n", "\n", 3}, {kEscapeFull + "\xa3\xce", "\n", 4},
        {"\\<", "<", 2}, {"\\" + kTagOpenFull, kTagOpenFull, 3}, {"\\>", ">", 2},
        {"\\" + kTagCloseFull, kTagCloseFull, 3}, {"\\(", "(", 2}, {"\\)", ")", 2}, {"\\" + kListOpenFull, kListOpenFull, 3},
        {"\\" + kListCloseFull, kListCloseFull, 3}, {"\\'", "'", 2}, {"\\\"", "\"", 2},
        {"\\\xa1\xb0", "\xa1\xb0", 3}, {"\\\xa1\xaf", "\xa1\xaf", 3}, {"\\\\", "\\", 2},
        {"\\" + kEscapeFull, kEscapeFull, 3}, {kEscapeFull + "<", "<", 3}, {"&(", "(", 2},
        {"&&", "&", 2}, {"&<", "<", 2}, {"&\r\n", "\n", 2}, {"&" + kA + "b", kA, 3}};
    // clang-format on
    for (const auto& [text, token, pos] : cases) {
        char szToken[kTokenBufferBytes] = "garbage";
        int nPos = 0;
        kLexer.GetWord(text.c_str(), szToken, nPos, End(text));
        EXPECT_EQ(std::string(szToken), token) << text;
        EXPECT_EQ(nPos, pos) << text;
    }
    char szToken[kTokenBufferBytes] = "garbage";
    int nPos = 0;
    kLexer.GetWord("abcdef", szToken, nPos, 2);  // a run stops at the end of the range
    EXPECT_STREQ(szToken, "abc");
}

// Raw line breaks vanish, tabs grow; an escape before an ordinary character or at the very
// end stays text, and so does a "&" at the very end.
TEST(LexerTest, StringFiltationResolvesTextEscapes) {
    const std::pair<std::string, std::string> cases[] = {
        {"a&<b&&c&>\r\n\\n\tx\\&", "a<b&c>\n    x\\&"},
        {"\\\xa1\xaa\\a" + kEscapeFull + "b" + kSlashChar + "n" + kEscapeFull,
         "\\\xa1\xaa\\a" + kEscapeFull + "b" + kSlashChar + "n" + kEscapeFull},
        {"", ""}};
    for (const auto& [text, expected] : cases) {
        std::string s = text;
        kLexer.StringFiltation(s);
        EXPECT_EQ(s, expected) << text;
        std::vector<char> buffer(4 * text.size() + 1, '\0');
        std::ranges::copy(text, buffer.begin());
        kLexer.StringFiltation(buffer.data());
        EXPECT_EQ(std::string(buffer.data()), expected) << text;
    }
}

}  // namespace
