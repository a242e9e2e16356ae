#include <gtest/gtest.h>

#include "markup_test_support.h"

namespace {

using namespace markup_test;

const std::string kOpen = "<Font('" + kSongTi + "',12,0,0,0)><Color(0,0,0)>";
const std::string kClose = "</Color></Font>";

std::string WriteOne(CLink* p, IMarkupSink* pSink = nullptr) {
    CMyList list;
    list.Append(p);
    return Write(list, pSink);
}

// Brackets, "&", escapes and line breaks are protected; two-byte characters are never split.
TEST(WriterTest, TextIsEscapedAndWrappedInItsOwnPropertyTags) {
    EXPECT_EQ(WriteOne(NewText("><&()\\\"a\nb\rc\t'" + kChinese + kSlashChar + "n" + kTagOpenFull +
                               kEscapeFull + kTagCloseFull + kListOpenFull)),
              kOpen + "&>&<&&&(&)&\\\\\"a&\r\nb&\r\nc\t'" + kChinese + kSlashChar + "n\\" +
                  kTagOpenFull + "\\" + kEscapeFull + kTagCloseFull + kListOpenFull + kClose);
    EXPECT_EQ(WriteOne(NewText("x", {"Arial", 10, 1, 0, 1, 1, 2, 3, kFootNoteRaised})),
              "<Font('Arial',10,1,0,1)><Color(1,2,3)><FootNote(0)>x</FootNote></Color></Font>");
    EXPECT_EQ(WriteOne(SetHotLink(NewText("x", {.footNote = kFootNoteLowered}), 4, {T("P")})),
              "<HotLink(4,'P')>" + kOpen + "<FootNote(1)>x</FootNote>" + kClose + "</HotLink>");

    CollectingSink sink;
    EXPECT_EQ(WriteOne(NewText("ab\xb0"), &sink), kOpen + "ab" + kClose);  // half a character
    EXPECT_EQ(sink.Find(MarkupIssue::kTextNotWritable).nElement, 0);

    // Every element is self-contained; the char buffer overload writes the same.
    CMyList list;
    EXPECT_EQ(Write(list), "");
    list.Append(NewText("a"));
    list.Append(NewText("b"));
    const std::string expected = kOpen + "a" + kClose + kOpen + "b" + kClose;
    EXPECT_EQ(Write(list), expected);
    EXPECT_EQ(list.IsInList(), 0);  // the cursor is left at the end
    std::vector<char> buffer(expected.size() + 1, 'x');
    CWordAnalyzer().CodeGeneration(buffer.data(), &list, 0);
    EXPECT_EQ(std::string(buffer.data()), expected);
    std::string out = "x";
    CWordAnalyzer().appendstr("a\nb\rc", out, 0);
    EXPECT_EQ(out, "xa&\r\nb&\r\nc");
}

TEST(WriterTest, ObjectTagsHaveTheirExactForms) {
    CLink* pWide = NewObject(kKindMultiColumn, {N(20), N(5)});
    for (int i = 2; i < kCommandSlots; ++i)
        pWide->m_Command[i] = N(i);
    const std::pair<CLink*, std::string> cases[] = {
        {NewObject(kKindImage, {T("p.bmp"), N(1), N(50)}), "<Image('p.bmp',1,50)>"},
        {SetHotLink(NewObject(kKindImage, {T("p.bmp"), N(1), N(50)}), 0, {T("P")}),
         "<HotLink(0,'P')><Image('p.bmp',1,50)></HotLink>"},
        {SetHotLink(NewObject(kKindFormula, {T("f.fml"), N(100), N(30), N(40)}), 0, {T("P")}),
         "<Formula('f.fml',100,30,40)>"},
        {NewObject(kKindEdit, {N(80), N(20), T("ans"), N(255), N(16777215), N(2)}),
         "<Edit(80,20,'ans',255,16777215,2)>"},
        {NewObject(kKindCheck, {N(101)}), "<Check(101)>"},
        {NewObject(kKindChoice, {N(2), N(4)}), "<Choice(2,4)>"},
        {NewObject(kKindPageTotalScore, {T("P1")}, {"Arial", 12, 0, 100, 0, 1, 2, 3, 0}),
         "<Font('Arial',12,0,100,0)><Color(1,2,3)><PageTotalScore('P1')>" + kClose},
        {NewObject(kKindTotalScore, {T("")}), kOpen + "<TotalScore('')>" + kClose},
        {NewObject(kKindMultiColumn, {N(3), N(10), N(100), N(200), N(300), N(9)}),
         "<MultiColumn(3,10,100,200,300)>"},
        {NewObject(kKindMultiColumn, {N(-2), N(10), N(7)}), "<MultiColumn(-2,10)>"},
        {pWide, "<MultiColumn(20,5,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19)>"},
        {NewObject(kKindStartColumn, {}), "<StartColumn>"},
        {NewObject(kKindEndColumn, {}), "<EndColumn>"}};
    for (const auto& [pLink, expected] : cases)
        EXPECT_EQ(WriteOne(pLink), expected);
    for (int kind : {9, 10, 11, 12, 16, 17}) {
        CollectingSink sink;
        EXPECT_EQ(WriteOne(NewObject(kind, {T("x")}), &sink), "") << kind;
        EXPECT_EQ(sink.Find(MarkupIssue::kKindNotWritable).nValue, kind);
    }
}

// Parameter slot k holds the number k and the text "pk": the code decides which is written.
// Codes 10 to 13 write their media entry as it was given, a text or a number.
TEST(WriterTest, HotLinkTagsFollowTheActionTable) {
    // clang-format off
    const std::tuple<int, int, std::string> cases[] = {
        {0, kParamText, "'p1'"}, {1, kParamText, "1,2,3,4,'p5'"}, {2, kParamText, "1,2,'p3'"},
        {3, kParamText, "1,'p2'"}, {4, kParamText, "'p1'"}, {5, kParamText, "'p1'"},
        {10, kParamText, "'p1',2,3"}, {11, kParamNotGiven, "'p1',2,3"}, {12, kParamNumber, "1,2,3"},
        {13, kParamNumber, "1,2,3"}, {13, kParamText, "'p1',2,3"}, {20, kParamText, ""},
        {21, kParamText, "1,2,3,4,'p5'"}, {22, kParamText, "1,2,3,4,'p5'"},
        {23, kParamText, "'p1','p2','p3',4,5"}, {30, kParamText, "'p1'"}, {31, kParamText, ""}};
    // clang-format on
    for (const auto& [code, nType, expected] : cases) {
        CLink* p = SetHotLink(NewText("x"), code);
        for (int k = 1; k <= kHotLinkParams; ++k)
            p->m_HotLink[k] = {k == 1 ? nType : kParamText, k, "p" + std::to_string(k)};
        const std::string tag = "<HotLink(" + std::to_string(code) + (expected.empty() ? "" : ",");
        EXPECT_EQ(WriteOne(p), tag + expected + ")>" + kOpen + "x" + kClose + "</HotLink>");
    }
    // The opening tag alone, of the current element.
    CMyList list;
    std::string tag;
    char szTag[32] = "stale";
    EXPECT_EQ(CWordAnalyzer().FillHotLink(&list, tag, 0), 0);
    list.Append(SetHotLink(NewObject(kKindImage, {}), 3, {N(7), T("pg")}));
    list.First();
    EXPECT_EQ(CWordAnalyzer().FillHotLink(&list, szTag, 0), 1);
    EXPECT_STREQ(szTag, "<HotLink(3,7,'pg')>");

    // Codes outside the table write neither tag, and the loss is reported.
    for (int code : {-1, 6, 14, 99, 101}) {
        CollectingSink sink;
        EXPECT_EQ(WriteOne(SetHotLink(NewText("x"), code, {T("pg")}), &sink), kOpen + "x" + kClose);
        EXPECT_EQ(sink.Find(MarkupIssue::kHotLinkNotWritable).nValue, code);
        EXPECT_EQ(sink.Find(MarkupIssue::kHotLinkNotWritable).nElement, 0);
    }
}

// A text parameter is written in the first quotation pair that does not occur in it
// unescaped; what cannot be written so that it reads back whole is left out and reported.
TEST(WriterTest, TextParametersAreQuotedOrCleanedToReadBackWhole) {
    const std::string dq = "\xa3\xa2", rs = "\xa1\xaf";
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"it's", "\"it's\"", false},
        {"say \"it's\"", dq + "say \"it's\"" + dq, false},
        {"'\"" + dq, "\xa1\xae'\"" + dq + rs, false},
        {"'\"" + dq + rs, "\xa1\xb0'\"" + dq + rs + "\xa1\xb1", false},
        {"a\\'b", "'a\\'b'", false},  // an escaped quotation mark does not end the text
        {"x\\)y\\>z", "'x\\)y\\>z'", false},
        {"a,b(c<d" + kListOpenFull + kSlashChar, "'a,b(c<d" + kListOpenFull + kSlashChar + "'",
         false},
        {"C:\\pics\\", "'C:\\pics'", true},
        {"a\\" + kEscapeFull, "'a'", true},
        {"a\r\nb", "'ab'", true},
        {"a)b", "'ab'", true},
        {"x)y>z" + kListCloseFull + "w" + kTagCloseFull + "v", "'xyzwv'", true},
        {std::string(200, 'x'), "'" + std::string(129, 'x') + "'", true}};
    for (const auto& [answer, written, bReported] : cases) {
        CollectingSink sink;
        CMyList list;
        list.Append(NewObject(kKindCheck, {N(1)}));
        list.Append(NewObject(kKindEdit, {N(1), N(2), T(answer), N(3), N(4), N(5)}));
        EXPECT_EQ(Write(list, &sink), "<Check(1)><Edit(1,2," + written + ",3,4,5)>");
        EXPECT_EQ(sink.items.size(), bReported ? 1u : 0u) << answer;
        EXPECT_EQ(sink.Find(MarkupIssue::kParamNotWritable).nElement, bReported ? 1 : -2);
        EXPECT_EQ(sink.Find(MarkupIssue::kParamNotWritable).strSlot,
                  bReported ? "Command[2]" : "none");
    }

    CollectingSink sink;
    EXPECT_EQ(
        WriteOne(SetHotLink(NewText("x", {.face = "O'Neil"}), 0, {T("a>b")}), &sink),
        "<HotLink(0,'ab')><Font(\"O'Neil\",12,0,0,0)><Color(0,0,0)>x" + kClose + "</HotLink>");
    EXPECT_EQ(sink.Find(MarkupIssue::kParamNotWritable).strSlot, "HotLink[1]");
}

// Each run keeps the format and the hot link; tabs, escapes and line breaks are counted as
// the reader counts them, and two-byte characters are never split.
TEST(WriterTest, LongTextIsWrittenAsSeveralRunsThatReadBackWhole) {
    std::string wide, lines;
    for (int i = 0; i < 1500; ++i) {
        wide += i % 7 ? "\xb0\xa1" : kSlashChar;
        lines += "a\n";
    }
    const std::pair<std::string, std::string> cases[] = {
        {std::string(3000, 'a'), std::string(3000, 'a')},
        {std::string(1500, '&'), std::string(1500, '&')},
        {std::string(600, '\t'), std::string(2400, ' ')},
        {"a" + wide, "a" + wide},
        {lines, lines}};
    for (const auto& [text, expected] : cases) {
        CollectingSink sink;
        CMyList list;
        list.Append(SetHotLink(NewText(text, {.face = "Arial", .footNote = 1}), 0, {T("P")}));
        CMyList back = Read(Write(list, &sink));
        std::vector<CLink*> runs = Elements(back);
        std::string joined;
        for (CLink* pRun : runs) {
            EXPECT_EQ(IsFontSameEachother(pRun, Elements(list)[0]), 1);
            EXPECT_EQ(pRun->m_HotLink[1].strText, "P");
            joined += pRun->m_Command[0].strText;
        }
        EXPECT_EQ(joined, expected) << text.substr(0, 4);
        EXPECT_EQ(sink.Find(MarkupIssue::kTextSplit).nValue, int(runs.size()));
        EXPECT_GT(runs.size(), 1u);
        EXPECT_FALSE(sink.Find(MarkupIssue::kTextSplit).bLoss);
    }
}

}  // namespace
