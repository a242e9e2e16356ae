#include <gtest/gtest.h>

#include <cctype>

#include "markup_test_support.h"

namespace {

using namespace markup_test;

const CWordAnalyzer kLexer;
const std::string kA = "\xb0\xa1";  // an ordinary two-byte character

int End(const std::string& s) {
    return static_cast<int>(s.size()) - 1;
}

TEST(LexerTest, StepsOverWholeCharactersAndLooksOneByteBack) {
    const std::string text = kA + "a" + kSlashChar;
    const std::pair<int, int> forward[] = {{0, 2}, {2, 3}, {3, 5}};
    const std::pair<int, int> backward[] = {{3, 2}, {2, 0}, {5, 4}, {1, 0}};
    for (auto [from, to] : forward) {
        kLexer.ForwardPtr(text.c_str(), from);
        EXPECT_EQ(from, to);
    }
    for (auto [from, to] : backward) {
        kLexer.BackwardPtr(text.c_str(), from);
        EXPECT_EQ(from, to);
    }
    int nPos = 0;
    kLexer.ForwardPtr("\xb0", nPos);  // a lead byte before the NUL: never step over the NUL
    EXPECT_EQ(nPos, 1);

    char szChar[3] = "zz";
    nPos = 0;
    EXPECT_EQ(CWordAnalyzer::GetUniChar(text.c_str(), szChar, nPos, 4), 2);
    EXPECT_EQ(std::string(szChar), kA);
    EXPECT_EQ(CWordAnalyzer::GetUniChar(text.c_str(), szChar, nPos, 4), 1);
    EXPECT_STREQ(szChar, "a");
    EXPECT_EQ(nPos, 3);

    char szOut[8];
    kLexer.PosToString("abcdef", 1, 3, szOut);
    EXPECT_STREQ(szOut, "bcd");
    EXPECT_EQ(kLexer.GetStringLength(text.c_str()), 5);
    EXPECT_EQ(kLexer.StringEqu("PageScore", "pAGEsCORE"), 1);
    EXPECT_EQ(kLexer.StringEqu("Font", "Fonts"), 0);
    EXPECT_EQ(kLexer.CheckCommandError("<Bogus"), 1);
}

TEST(LexerTest, KeywordTablesAndCaseInsensitiveLookup) {
    const std::vector<std::string> commands = {
        "Text",           "Image",       "Formula",     "Edit",     "Check", "Choice",
        "PageTotalScore", "PageScore",   "TotalScore",  "Date",     "Time",  "ReverseTime",
        "CountTime",      "MultiColumn", "StartColumn", "EndColumn"};
    for (int i = 0; i < 16; ++i) {
        ASSERT_STREQ(CWordAnalyzer::m_CommandID[i], commands[i].c_str());
        std::string lower = commands[i], upper = commands[i];
        for (char& c : lower)
            c = static_cast<char>(std::tolower(c));
        for (char& c : upper)
            c = static_cast<char>(std::toupper(c));
        EXPECT_EQ(kLexer.GetCommandID(lower.c_str()), i) << lower;
        EXPECT_EQ(kLexer.GetCommandID(upper.c_str()), i) << upper;
        EXPECT_EQ(kLexer.IsCommand(lower.c_str()) - kLexer.IsProperty(lower.c_str()), 1);
    }
    EXPECT_STREQ(CWordAnalyzer::m_CommandID[16], "");
    const char* properties[] = {"Font", "Color", "FootNote", "HotLink"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(CWordAnalyzer::m_PropertyID[i], properties[i]);
        EXPECT_EQ(kLexer.GetPropertyID(properties[i]), i);
        EXPECT_EQ(kLexer.IsCommand(properties[i]), 0);
    }
    EXPECT_STREQ(CWordAnalyzer::m_PropertyID[4], "");
    EXPECT_EQ(kLexer.GetPropertyID("hOTlINK"), 3);
    EXPECT_EQ(kLexer.IsProperty("color"), 1);
    // Neither a prefix, a longer word nor the empty table terminator is a keyword.
    for (const char* szWord : {"Bogus", "Imag", "Images", "", "Fonts"}) {
        EXPECT_EQ(kLexer.GetCommandID(szWord), 100) << szWord;
        EXPECT_EQ(kLexer.GetPropertyID(szWord), 100) << szWord;
        EXPECT_EQ(kLexer.IsCommand(szWord) + kLexer.IsProperty(szWord), 0) << szWord;
    }
}

TEST(LexerTest, QuotationMarksPairByIndex) {
    const char* left[] = {"'", "\"", "\xa3\xa2", "\xa1\xae", "\xa1\xb0"};
    const char* right[] = {"'", "\"", "\xa3\xa2", "\xa1\xaf", "\xa1\xb1"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(CWordAnalyzer::m_szDelLQuotation[i], left[i]);
        EXPECT_STREQ(CWordAnalyzer::m_szDelRQuotation[i], right[i]);
        EXPECT_EQ(CWordAnalyzer::IsLQuotation((std::string(left[i]) + "x").c_str()), i);
        EXPECT_EQ(CWordAnalyzer::IsRQuotation((std::string(right[i]) + "x").c_str()), i);
    }
    EXPECT_STREQ(CWordAnalyzer::m_szDelLQuotation[5], "");
    EXPECT_STREQ(CWordAnalyzer::m_szDelRQuotation[5], "");
    EXPECT_EQ(CWordAnalyzer::IsLQuotation("\xa1\xaf"), -1);  // a right mark only
    EXPECT_EQ(CWordAnalyzer::IsRQuotation("\xa1\xb0"), -1);  // a left mark only
    EXPECT_EQ(CWordAnalyzer::IsLQuotation("\xa1\xaa"), -1);  // same lead byte, other char
    EXPECT_EQ(CWordAnalyzer::IsLQuotation("a"), -1);
}

TEST(LexerTest, SkipsSpaceAndComments) {
    int nPos = 0;
    kLexer.JumpSpace(" \t\r\n;x", nPos, 5);
    EXPECT_EQ(nPos, 5);
    nPos = 0;
    kLexer.JumpSpace("   x", nPos, 1);  // stops beyond the end of the range
    EXPECT_EQ(nPos, 2);
    const std::pair<std::string, int> comments[] = {{"//ab\ncd", 4},
                                                    {"\xa3\xaf\xa3\xaf"
                                                     "ab\rcd",
                                                     6},
                                                    {"//abc", 5},
                                                    {"/x", 0},
                                                    {"ab", 0}};
    for (const auto& [text, expected] : comments) {
        nPos = 0;
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
    struct Case {
        Finder finder;
        std::string text;
        int pos;  // -1: not found
    };
    // clang-format off
    const Case cases[] = {
        {ls, "ab<c", 2}, {ls, "<a", 0}, {ls, "a&<b<c", 4}, {ls, "&<", -1}, {ls, "\\<b<", 3},
        {ls, kEscapeFull + "<x<", 4}, {ls, "a\\" + kTagOpenFull + "b<", 5},
        {ls, "ab" + kTagOpenFull, 2}, {ls, kSlashChar + "<", 2}, {ls, "\x95&<", 2},
        {ls, "abc", -1}, {rs, "a\\>b>", 4}, {rs, "a&>", 2}, {rs, "ab" + kTagCloseFull, 2},
        {rs, kSlashChar + ">", 2}, {rs, "ab", -1}, {lp, "x(", 1}, {lp, "\\(a" + kListOpenFull, 3},
        {rp, "a\\)b)", 4}, {rp, "a" + kListCloseFull, 1}, {rp, kSlashChar + ")", 2},
        {rp, "a\\" + kListCloseFull, -1}};
    // clang-format on
    for (const Case& c : cases) {
        int nPos = 0;
        EXPECT_EQ((kLexer.*c.finder)(c.text.c_str(), nPos, End(c.text)), c.pos >= 0) << c.text;
        if (c.pos >= 0)
            EXPECT_EQ(nPos, c.pos) << c.text;
        else
            EXPECT_GT(nPos, End(c.text)) << c.text;
    }
    int nPos = 0;
    EXPECT_EQ(kLexer.JumpLSParenth("a<b", nPos, 0), 0);  // the "<" lies beyond the range
}

TEST(LexerTest, GetWordReadsOneToken) {
    struct Case {
        std::string text, token;
        int pos;
    };
    const std::string kLetters25(25, 'k');
    // Line breaks before a token are skipped; a run of letters and digits holds at most 20;
    // an escape before a line-break letter, a bracket, a quotation mark or an escape gives
    // that character; "&" takes the next character whole; a two-byte character ending in
    // 0x5C is no escape.
    // clang-format off
    const Case cases[] = {
        {"\r\n\r\nab!", "ab", 6}, {"\tx", "    ", 1}, {kLetters25, kLetters25.substr(5), 20},
        {"ab12cd!", "ab12cd", 6}, {"!a", "!", 1}, {kChinese, kChinese.substr(0, 2), 2},
        {kSlashChar + "n", kSlashChar, 2}, {"\\n", "\n", 2}, {"\\N", "\n", 2},
        {"\\\xa3\xee", "\n", 3}, {kEscapeFull + "n", "\n", 3}, {kEscapeFull + "\xa3\xce", "\n", 4},
        {"\\<", "<", 2}, {"\\" + kTagOpenFull, kTagOpenFull, 3}, {"\\>", ">", 2},
        {"\\" + kTagCloseFull, kTagCloseFull, 3}, {"\\(", "(", 2},
        {"\\" + kListCloseFull, kListCloseFull, 3}, {"\\'", "'", 2}, {"\\\"", "\"", 2},
        {"\\\xa1\xb0", "\xa1\xb0", 3}, {"\\\xa1\xaf", "\xa1\xaf", 3}, {"\\\\", "\\", 2},
        {"\\" + kEscapeFull, kEscapeFull, 3}, {kEscapeFull + "<", "<", 3}, {"&(", "(", 2},
        {"&&", "&", 2}, {"&<", "<", 2}, {"&\r\n", "\n", 2}, {"&" + kA + "b", kA, 3}};
    // clang-format on
    for (const Case& c : cases) {
        char szToken[kTokenBufferBytes] = "garbage";
        int nPos = 0;
        kLexer.GetWord(c.text.c_str(), szToken, nPos, End(c.text));
        EXPECT_EQ(std::string(szToken), c.token) << c.text;
        EXPECT_EQ(nPos, c.pos) << c.text;
    }
    char szToken[kTokenBufferBytes] = "garbage";
    int nPos = 0;
    kLexer.GetWord("abcdef", szToken, nPos, 2);  // a run stops at the end of the range
    EXPECT_STREQ(szToken, "abc");
    kLexer.GetWord("abcdef", szToken, nPos, 2);
    EXPECT_STREQ(szToken, "");
    nPos = 0;
    kLexer.GetWord("\r\n", szToken, nPos, 1);
    EXPECT_STREQ(szToken, "");
}

TEST(LexerTest, StringFiltationResolvesTextEscapes) {
    // Raw line breaks vanish, tabs grow; an escape before an ordinary character or at the
    // very end stays text, and so does a "&" at the very end.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"a&<b&&c&>", "a<b&c>"}, {"a\r\nb\rc\nd", "abcd"}, {"x\ty\t", "x    y    "},
        {"a\\nb&\r\nc", "a\nb\nc"}, {"\\\"q\\\"(&)", "\"q\"()"}, {"\\a", "\\a"},
        {"\\" + kChinese, "\\" + kChinese}, {kEscapeFull + "b", kEscapeFull + "b"}, {"a\\", "a\\"},
        {"a" + kEscapeFull, "a" + kEscapeFull}, {"a&", "a&"},
        {"&" + kChinese + "&", kChinese + "&"},
        {kSlashChar + "n" + kSlashChar + "<", kSlashChar + "n" + kSlashChar + "<"}, {"", ""}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        std::string s = text;
        kLexer.StringFiltation(s);
        EXPECT_EQ(s, expected) << text;
        std::vector<char> buffer(4 * text.size() + 1, '\0');
        std::copy(text.begin(), text.end(), buffer.begin());
        kLexer.StringFiltation(buffer.data());
        EXPECT_EQ(std::string(buffer.data()), expected) << text;
    }
}

}  // namespace
