// The reader against its own writer on every page we have, and against hand-worked readings.
//
// Every file of the fuzz seed corpora and every example page is read (E1), written, read
// again (E2), written and read once more (E3). Writing normalises what the first read kept
// but the markup cannot say (slots a tag did not give), so from E2 on reading and writing
// must agree exactly: E2 and E3 are equal in the kind and in every field of every slot.
// When writing E1 reports nothing, E2 also carries every value of E1's tags.
//
// The hand-written inputs below add to parser_test.cpp's what it leaves out; their expected
// elements are worked out from the reading rules of the markup language (docs/markup.md).

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "markup_test_support.h"

namespace {

using namespace markup_test;
namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<fs::path> Pages() {
    std::vector<fs::path> out;
    for (const char* dir : {"fuzz/corpus/convert", "fuzz/corpus-convert", "examples"}) {
        fs::path d = kSourceRoot / dir;
        if (!fs::is_directory(d)) continue;
        for (const auto& entry : fs::directory_iterator(d)) {
            if (!entry.is_regular_file()) continue;
            if (std::string(dir) == "examples" && entry.path().extension() != ".tsm") continue;
            out.push_back(entry.path());
        }
    }
    std::ranges::sort(out);
    return out;
}

std::string Slot(const LINKPARAM& s) {
    return std::to_string(s.nType) + ":" + std::to_string(s.nValue) + ":'" + s.strText + "'";
}

// Every field of every slot, for comparing and for printing what differs.
std::string Everything(const CLink* p) {
    std::string s = "kind " + std::to_string(p->m_nKind);
    auto bank = [&](const char* name, const LINKPARAM* slots, int n) {
        s += std::string(" ") + name;
        for (int i = 0; i < n; ++i)
            s += " " + Slot(slots[i]);
    };
    bank("font", p->m_Font, kFontSlots);
    bank("color", p->m_Color, kColorSlots);
    bank("foot", p->m_FootNote, kFootNoteSlots);
    bank("link", p->m_HotLink, kHotLinkSlots);
    bank("cmd", p->m_Command, kCommandSlots);
    return s;
}

std::vector<std::string> EverythingOf(CMyList& list) {
    std::vector<std::string> out;
    for (CLink* p : Elements(list))
        out.push_back(Everything(p));
    return out;
}

TEST(ReaderEquivalenceTest, EveryPageReadsBackAsItWasWritten) {
    const std::vector<fs::path> pages = Pages();
    ASSERT_FALSE(pages.empty());
    int nPages = 0;
    for (const fs::path& page : pages) {
        SCOPED_TRACE(page.string());
        const std::string markup = ReadFile(page);
        CMyList e1 = Read(markup);
        CollectingSink writeSink;
        const std::string w1 = Write(e1, &writeSink);
        CMyList e2 = Read(w1);
        const std::string w2 = Write(e2);
        CMyList e3 = Read(w2);
        EXPECT_EQ(EverythingOf(e2), EverythingOf(e3));
        EXPECT_EQ(w2, Write(e3));
        if (writeSink.items.empty()) {
            EXPECT_EQ(CarriedBack(e1), DescribeAll(e2));
        }
        ++nPages;
    }
    EXPECT_GT(nPages, 10);
}

// --- Hand-worked readings ---------------------------------------------------------------

// The format part of a text element's description.
std::string Format(const std::string& face = kSongTi, const std::string& size = "12 0 0 0",
                   const std::string& color = "0 0 0", int foot = 2,
                   const std::string& link = "100") {
    return " font '" + face + "' " + size + " color " + color + " foot " + std::to_string(foot) +
           " link " + link;
}
std::string Txt(const std::string& text, const std::string& format = Format()) {
    return "Text '" + text + "'" + format;
}

struct Case {
    std::string markup;
    std::vector<std::string> expected;
};

void ExpectReadings(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        EXPECT_EQ(ReadBack(c.markup), c.expected);
    }
}

// Readings parser_test.cpp leaves out: the semicolon as white space, closing tags of every
// property with nothing to close, the parameters of each hot-link code, the score tags, the
// check box without a value, the escapes of every mark, and every pair of quotation marks.
TEST(ReaderEquivalenceTest, PropertyTags) {
    ExpectReadings({
        // White space (";" too) around keywords and parameters.
        {"< Font ( 'A' , 9 ) >x<;Font;(;'B';);>y",
         {Txt("x", Format("A", "9 0 0 0")), Txt("y", Format("B", "9 0 0 0"))}},
        // A closing tag with nothing to close is ignored.
        {"</Font>a</HotLink></Color></FootNote>", {Txt("a")}},
        // Hot links carry the parameters of their code.
        {"<HotLink(10,'w.wav',1,2)>a<HotLink(11,3,0,5)>b</HotLink>c",
         {Txt("a", Format(kSongTi, "12 0 0 0", "0 0 0", 2, "10 'w.wav' 1 2")),
          Txt("b", Format(kSongTi, "12 0 0 0", "0 0 0", 2, "11 3 0 5")),
          Txt("c", Format(kSongTi, "12 0 0 0", "0 0 0", 2, "10 'w.wav' 1 2"))}},
        {"<HotLink(23,'p.exe','-x','c:\\d',1,2)>r",
         {Txt("r", Format(kSongTi, "12 0 0 0", "0 0 0", 2, "23 'p.exe' '-x' 'c:\\d' 1 2"))}},
    });
}

TEST(ReaderEquivalenceTest, ObjectTags) {
    ExpectReadings({
        {"<Check(1)><Check(101)><Check(7)><Check><Check(0)><Check(100)>",
         {"Check 1", "Check 101", "Check 100", "Check 0", "Check 0", "Check 100"}},
        {"<Font('Arial',10)><Color(1,2,3)><PageTotalScore('p')><PageScore(\"q\")>"
         "<TotalScore('')>",
         {"PageTotalScore 'p' font 'Arial' 10 0 0 0 color 1 2 3",
          "PageScore 'q' font 'Arial' 10 0 0 0 color 1 2 3",
          "TotalScore '' font 'Arial' 10 0 0 0 color 1 2 3"}},
    });
}

TEST(ReaderEquivalenceTest, TextEscapesAndBreaks) {
    ExpectReadings({
        {"a\\nb\\Nc" + kEscapeFull +
             "\xa3\xee"
             "d" +
             kEscapeFull +
             "\xa3\xce"
             "e",
         {Txt("a\nb\nc\nd\ne")}},
        {"\\<\\)\\\"\\\\\\>\\(\\'", {Txt("<)\"\\>('")}},
        {kEscapeFull + kTagOpenFull + "x", {Txt(kTagOpenFull + "x")}},
        {"&<&&&\r\nz", {Txt("<&\nz")}},
        {"a\r\nb\nc", {Txt("abc")}},
        // "&&" is a literal "&" before a tag.
        {"&&<Font('A')>x", {Txt("&"), Txt("x", Format("A"))}},
        {kSlashChar + "n", {Txt(kSlashChar + "n")}},
    });
}

TEST(ReaderEquivalenceTest, ParameterForms) {
    ExpectReadings({
        {"<Font('a b')>1<Font(\"c'd\")>2<Font(\xa3\xa2"
         "e\xa3\xa2)>3<Font(\xa1\xae"
         "f\xa1\xaf)>4<Font(\xa1\xb0g\xa1\xb1)>5",
         {Txt("1", Format("a b")), Txt("2", Format("c'd")), Txt("3", Format("e")),
          Txt("4", Format("f")), Txt("5", Format("g"))}},
    });
}

TEST(ReaderEquivalenceTest, SlotTypesRecordHowParametersWereGiven) {
    CMyList list = Read("x<Image('a',,50)><Formula('g')><Edit(1,,'t')>");
    std::vector<CLink*> e = Elements(list);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0]->m_Command[0].nType, kParamText);
    EXPECT_EQ(e[1]->m_Command[0].nType, kParamText);
    EXPECT_EQ(e[1]->m_Command[1].nType, kParamNumber);  // transparent: always a number
    EXPECT_EQ(e[1]->m_Command[2].nType, kParamNumber);
    EXPECT_EQ(e[2]->m_Command[0].nType, kParamText);
    EXPECT_EQ(e[2]->m_Command[1].nType, kParamNotGiven);
    EXPECT_EQ(e[2]->m_Command[3].nType, kParamNotGiven);
    EXPECT_EQ(e[3]->m_Command[0].nType, kParamNumber);
    EXPECT_EQ(e[3]->m_Command[1].nType, kParamNotGiven);
    EXPECT_EQ(e[3]->m_Command[2].nType, kParamText);
    EXPECT_EQ(e[3]->m_Command[5].nType, kParamNotGiven);
}

TEST(ReaderEquivalenceTest, Reports) {
    CollectingSink sink;
    ReadBack("\\ax<Bold>b", false, &sink);
    ASSERT_EQ(sink.items.size(), 2u);
    EXPECT_EQ(sink.items[0].nIssue, MarkupIssue::kStrayEscape);
    EXPECT_EQ(sink.items[0].nOffset, 0);
    EXPECT_EQ(sink.items[0].nLength, 1);
    EXPECT_FALSE(sink.items[0].bLoss);
    EXPECT_EQ(sink.items[1].nIssue, MarkupIssue::kUnknownTag);
    EXPECT_EQ(sink.items[1].nOffset, 3);
    EXPECT_EQ(sink.items[1].nLength, 7);
    EXPECT_EQ(sink.items[1].strDetail, "<Bold>");

    CollectingSink s2;
    ReadBack("<Font('Z',9>x</Color>", false, &s2);
    ASSERT_EQ(s2.items.size(), 2u);
    EXPECT_EQ(s2.items[0].nIssue, MarkupIssue::kMissingListClose);
    EXPECT_EQ(s2.items[0].nOffset, 5);
    EXPECT_EQ(s2.items[0].nLength, 6);
    EXPECT_EQ(s2.items[1].nIssue, MarkupIssue::kUnmatchedClose);
    EXPECT_EQ(s2.items[1].nOffset, 13);
    EXPECT_EQ(s2.items[1].nLength, 8);
}

// A page repeats its tags: a tag read again reads as it did the first time, and what it
// reports is reported again, at its own offset.
TEST(ReaderEquivalenceTest, RepeatedTagsReadAndReportAlike) {
    std::string markup;
    for (int i = 0; i < 5; ++i)
        markup += "<Color(1,2,3)>x</Color>";  // 23 bytes each
    markup += "<Font('Z',9>a<Font('Z',9>b</Font></Font><Color(1,2,3)";
    CollectingSink sink;
    const std::string x = Txt("x", Format(kSongTi, "12 0 0 0", "1 2 3"));
    EXPECT_EQ(ReadBack(markup, false, &sink),
              (std::vector<std::string>{x, x, x, x, x, Txt("a", Format("Z", "9 0 0 0")),
                                        Txt("b", Format("Z", "9 0 0 0")), Txt("<Color(1,2,3)")}));
    ASSERT_EQ(sink.items.size(), 3u);
    EXPECT_EQ(sink.items[0].nIssue, MarkupIssue::kMissingListClose);
    EXPECT_EQ(sink.items[0].nOffset, 120);
    EXPECT_EQ(sink.items[0].nLength, 6);
    EXPECT_EQ(sink.items[1].nIssue, MarkupIssue::kMissingListClose);
    EXPECT_EQ(sink.items[1].nOffset, 133);
    EXPECT_EQ(sink.items[1].nLength, 6);
    EXPECT_EQ(sink.items[2].nIssue, MarkupIssue::kUnclosedTag);
    EXPECT_EQ(sink.items[2].nOffset, 155);
    EXPECT_EQ(sink.items[2].nLength, 13);
}

}  // namespace
