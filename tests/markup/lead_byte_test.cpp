// A byte of 0x80 or more and the byte after it, whatever that byte is, are one character: the
// second byte is never a symbol, a line break, a tab or an entity of its own. These tests
// take lead bytes before every kind of byte the markup gives a meaning to.

#include <gtest/gtest.h>

#include "markup_test_support.h"

namespace {

using namespace markup_test;
using Lines = std::vector<std::string>;

const std::string kBase = " font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 2 link 100";
const std::string kOpen = "<Font('" + kSongTi + "',12,0,0,0)><Color(0,0,0)>";
const std::string kClose = "</Color></Font>";
const std::string kSongTiFont = "<Font Face=\"" + kSongTi + "\" Size=\"2\" Color=\"#000000\">";

std::string WriteOne(CLink* p, IMarkupSink* pSink = nullptr) {
    CMyList list;
    list.Append(p);
    return Write(list, pSink);
}

std::string HtmlOne(CLink* p) {
    CMyList list;
    list.Append(p);
    std::string out;
    CWordAnalyzer().CodeGeneration(out, &list, 1);
    return out;
}

// In text, the byte after a lead byte opens no tag, escapes nothing, is no line break to drop
// and no tab to widen; "&" after a lead byte protects nothing.
TEST(LeadByteTest, TheByteAfterALeadByteIsNoSymbolInText) {
    EXPECT_EQ(ReadBack("\x81<Font('Arial',20,0,0,0)>x</Font>y"),
              (Lines{"Text '\x81<Font('Arial',20,0,0,0)>x'" + kBase, "Text 'y'" + kBase}));
    EXPECT_EQ(ReadBack("a\x81<Check(1)>b<Check(0)>", true), (Lines{"a\x81<Check(1)>b", "Check 0"}));
    // "\x81\\" is a character, not an escape: the "<" after it opens a tag.
    EXPECT_EQ(ReadBack("a\x81\\<Check(1)>", true), (Lines{"a\x81\\", "Check 1"}));
    // An escape before "\x81<" protects an ordinary character: both stay text.
    EXPECT_EQ(ReadBack("a\\\x81<Check(1)>", true), Lines{"a\\\x81<Check(1)>"});
    EXPECT_EQ(ReadBack("a\x81&<Check(1)>", true), (Lines{"a\x81&", "Check 1"}));
    EXPECT_EQ(ReadBack("a\x81\nb\x81\rc\x81\td", true), Lines{"a\x81\nb\x81\rc\x81\td"});
    EXPECT_EQ(ReadBack("\x81\\n", true), Lines{"\x81\\n"});
    // A lead byte with nothing after it, at the end of the markup, is dropped.
    CollectingSink sink;
    EXPECT_EQ(ReadBack("a\x81", true, &sink), Lines{"a"});
    EXPECT_EQ(sink.Find(MarkupIssue::kIncompleteCharacter).nOffset, 1);
}

// Inside a tag, the byte after a lead byte closes neither the tag, nor the parameter list,
// nor a quoted text, and separates nothing.
TEST(LeadByteTest, TheByteAfterALeadByteIsNoSymbolInTags) {
    EXPECT_EQ(ReadBack("<Image('a\x81>b',1,50)>x", true),
              (Lines{"Image 'a\x81>b' 1 50 link 100", "x"}));
    EXPECT_EQ(ReadBack("<Image(a\x81),1,50)>"), Lines{"Image 'a\x81)' 1 50 link 100"});
    EXPECT_EQ(ReadBack("<Image('a\x81'b',1,50)>"), Lines{"Image 'a\x81'b' 1 50 link 100"});
    // The quotation mark after "\x81\\" is not escaped: it ends the text.
    EXPECT_EQ(ReadBack("<Image('a\x81\\',1,50)>"), Lines{"Image 'a\x81\\' 1 50 link 100"});
    // "\x81," is one character of the first parameter (a text): the second one is 3.
    EXPECT_EQ(ReadBack("<Choice(\x81,2,3)>"), Lines{"Choice 0 3"});
    EXPECT_EQ(ReadBack("<Font('\x81''," + std::string("16,1,0,0)>x")),
              Lines{"Text 'x' font '\x81'' 16 1 0 0 color 0 0 0 foot 2 link 100"});
}

// The reader keeps the first 20481 bytes: a character whose second byte lies past them is
// cut in half and dropped; one that ends on the last byte is kept whole.
TEST(LeadByteTest, ThePageLimitCutsBetweenCharacters) {
    std::string tags;
    for (int i = 0; i < 2047; ++i)
        tags += "<Check(1)>";
    ASSERT_EQ(tags.size(), 20470u);
    const std::string whole = tags + "abcdefghi\xb0\xa1";  // the pair at 20479 and 20480
    EXPECT_EQ(ReadBack(whole, true).back(), "abcdefghi\xb0\xa1");
    CollectingSink sink;
    const std::string cut = tags + "abcdefghij\xb0\xa1";  // the pair at 20480 and 20481
    EXPECT_EQ(ReadBack(cut, true, &sink).back(), "abcdefghij");
    EXPECT_EQ(sink.Find(MarkupIssue::kIncompleteCharacter).nOffset, kMaxMarkupBytes - 1);
    EXPECT_EQ(sink.Find(MarkupIssue::kMarkupTooLong).nLength, 1);
}

// The writer writes a character's two bytes unchanged whatever the second one is, and the
// reader gives the text back whole; a lead byte at the end of a text cannot be written.
TEST(LeadByteTest, TextsWithLeadBytesBeforeSymbolsAreWrittenUnchangedAndReadBackWhole) {
    const std::string texts[] = {"a\x81<",
                                 "a\x81\\",
                                 "a\x81>",
                                 "a\x81)",
                                 "\x81&b",
                                 "a\x81\r",
                                 "\x81\n",
                                 "a\x81\t",
                                 "\x81\"",
                                 "\x81(" + kChinese,
                                 "\x81<\x81"
                                 "<"};
    for (const std::string& text : texts) {
        CollectingSink sink;
        const std::string markup = WriteOne(NewText(text), &sink);
        EXPECT_EQ(markup, kOpen + text + kClose);
        EXPECT_TRUE(sink.items.empty()) << markup;
        EXPECT_EQ(ReadBack(markup, true), Lines{text}) << markup;
    }
    CollectingSink sink;
    EXPECT_EQ(WriteOne(NewText("a\x81"), &sink), kOpen + "a" + kClose);
    EXPECT_EQ(sink.Find(MarkupIssue::kTextNotWritable).strDetail, "\x81");
}

// A text parameter is walked by the same characters: ")" after a lead byte ends nothing and
// stays, "\x81\\" before the closing quotation mark is no escape; a lead byte at the end
// would take the closing mark and is left out.
TEST(LeadByteTest, TextParametersWithLeadBytesReadBackWhole) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"a\x81)b", "'a\x81)b'", false}, {"a\x81'b", "'a\x81'b'", false},
        {"a\x81\\", "'a\x81\\'", false}, {"a\x81>", "'a\x81>'", false},
        {"a\x81')", "'a\x81''", true},  // the ")" stands alone and is left out
        {"ab\x81", "'ab'", true}};
    for (const auto& [answer, written, bReported] : cases) {
        CollectingSink sink;
        CMyList list;
        list.Append(NewObject(kKindEdit, {N(80), N(20), T(answer), N(0), N(0), N(0)}));
        const std::string markup = Write(list, &sink);
        EXPECT_EQ(markup, "<Edit(80,20," + written + ",0,0,0)>") << answer;
        EXPECT_EQ(sink.Find(MarkupIssue::kParamNotWritable).nElement, bReported ? 0 : -2) << answer;
        const std::string kept = written.substr(1, written.size() - 2);
        EXPECT_EQ(ReadBack(markup), Lines{"Edit 80 20 '" + kept + "' 0 0 0"}) << markup;
    }
}

// In HTML a character whose second byte a browser would not pair with its lead byte (below
// 0x40, or none) is left out whole: its second byte is no space, entity or line break.
TEST(LeadByteTest, HtmlLeavesOutWholeCharactersABrowserWouldSplit) {
    EXPECT_EQ(HtmlOne(NewText("\xb0\x20" + kSlashChar + "\x81<p\xb0")),
              kSongTiFont + kSlashChar + "p</Font>");
    EXPECT_EQ(HtmlOne(NewText("a\x81\nb\x81\"c\x81&d")), kSongTiFont + "abcd</Font>");
    EXPECT_EQ(HtmlOne(NewText("x\x81"
                              "Ay")),
              kSongTiFont +
                  "x\x81"
                  "Ay</Font>");
    // In attributes too.
    EXPECT_EQ(HtmlOne(NewObject(kKindEdit, {N(80), N(20),
                                            T("a\x81\"b\x81"
                                              "Ac\x81")})),
              "<input type=\"text\" name=\"ab\x81"
              "Ac\" size=\"10\">");
}

}  // namespace
