#include <gtest/gtest.h>

#include <memory>

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

TEST(WriterTest, EmptyListWritesNothingInBothOverloads) {
    CMyList list;
    EXPECT_EQ(Write(list), "");
    char szOut[16] = "stale";
    CWordAnalyzer().CodeGeneration(szOut, &list, 0);
    EXPECT_STREQ(szOut, "");
}

TEST(WriterTest, TextElementIsWrappedInItsOwnPropertyTags) {
    EXPECT_EQ(WriteOne(NewText("a<b")), kOpen + "a&<b" + kClose);
    Fmt raised{"Arial", 10, 1, 0, 1, 1, 2, 3, kFootNoteRaised};
    EXPECT_EQ(WriteOne(NewText("x", raised)),
              "<Font('Arial',10,1,0,1)><Color(1,2,3)><FootNote(0)>x</FootNote></Color></Font>");
    CLink* pLinked = NewText("x", Fmt{.footNote = kFootNoteLowered});
    SetHotLink(pLinked, 4, {T("P")});
    EXPECT_EQ(WriteOne(pLinked),
              "<HotLink(4,'P')>" + kOpen + "<FootNote(1)>x</FootNote>" + kClose + "</HotLink>");

    // Every element is self-contained; the char buffer overload writes the same.
    CMyList list;
    list.Append(NewText("a"));
    list.Append(NewText("b"));
    const std::string expected = kOpen + "a" + kClose + kOpen + "b" + kClose;
    EXPECT_EQ(Write(list), expected);
    EXPECT_EQ(list.IsInList(), 0);  // the cursor is left at the end
    std::vector<char> buffer(expected.size() + 1, 'x');
    CWordAnalyzer().CodeGeneration(buffer.data(), &list, 0);
    EXPECT_EQ(std::string(buffer.data()), expected);
}

// Brackets, "&", escapes and line breaks are protected; two-byte characters are never split.
TEST(WriterTest, TextCharactersAreEscapedSoTheyReadBackAsText) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {">", "&>"}, {"<", "&<"}, {"&", "&&"}, {"(", "&("}, {")", "&)"}, {"\\", "&\\"},
        {"\"", "\\\""}, {"a\nb", "a&\r\nb"}, {"a\rb", "a&\r\nb"}, {"\t'", "\t'"},
        {kChinese, kChinese}, {kSlashChar + "n", kSlashChar + "n"},
        {kTagOpenFull, "\\" + kTagOpenFull}, {kEscapeFull, "\\" + kEscapeFull},
        {kTagCloseFull + kListOpenFull, kTagCloseFull + kListOpenFull}};
    // clang-format on
    for (const auto& [text, body] : cases)
        EXPECT_EQ(WriteOne(NewText(text)), kOpen + body + kClose);

    CollectingSink sink;
    EXPECT_EQ(WriteOne(NewText("ab\xb0"), &sink), kOpen + "ab" + kClose);
    ASSERT_NE(sink.Find(MarkupIssue::kTextNotWritable), nullptr);
    EXPECT_EQ(sink.Find(MarkupIssue::kTextNotWritable)->nElement, 0);
}

TEST(WriterTest, ObjectTagsHaveTheirExactForms) {
    CLink* pImage = NewObject(kKindImage, {T("p.bmp"), N(1), N(50)});
    SetHotLink(pImage, 0, {T("P")});
    CLink* pFormula = NewObject(kKindFormula, {T("f.fml"), N(100), N(30), N(40)});
    SetHotLink(pFormula, 0, {T("ignored")});
    CLink* pScore = NewObject(kKindPageTotalScore, {T("P1")});
    SetFormat(pScore, Fmt{"Arial", 12, 0, 100, 0, 1, 2, 3, kFootNoteRaised});
    CLink* pTotal = NewObject(kKindTotalScore, {T("")});
    SetFormat(pTotal, Fmt{});
    CLink* pWide = NewObject(kKindMultiColumn, {N(20), N(5)});
    for (int i = 2; i < kCommandSlots; ++i)
        pWide->m_Command[i] = N(i);

    const std::pair<CLink*, std::string> cases[] = {
        {NewObject(kKindImage, {T("p.bmp"), N(1), N(50)}), "<Image('p.bmp',1,50)>"},
        {pImage, "<HotLink(0,'P')><Image('p.bmp',1,50)></HotLink>"},
        {pFormula, "<Formula('f.fml',100,30,40)>"},
        {NewObject(kKindEdit, {N(80), N(20), T("ans"), N(255), N(16777215), N(2)}),
         "<Edit(80,20,'ans',255,16777215,2)>"},
        {NewObject(kKindCheck, {N(101)}), "<Check(101)>"},
        {NewObject(kKindChoice, {N(2), N(4)}), "<Choice(2,4)>"},
        {pScore, "<Font('Arial',12,0,100,0)><Color(1,2,3)><PageTotalScore('P1')>" + kClose},
        {pTotal, kOpen + "<TotalScore('')>" + kClose},
        {NewObject(kKindMultiColumn, {N(3), N(10), N(100), N(200), N(300), N(9)}),
         "<MultiColumn(3,10,100,200,300)>"},
        {NewObject(kKindMultiColumn, {N(0), N(10), N(7)}), "<MultiColumn(0,10)>"},
        {NewObject(kKindMultiColumn, {N(-2), N(10), N(7)}), "<MultiColumn(-2,10)>"},
        {pWide, "<MultiColumn(20,5,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19)>"},
        {NewObject(kKindStartColumn, {}), "<StartColumn>"},
        {NewObject(kKindEndColumn, {}), "<EndColumn>"}};
    for (const auto& [pLink, expected] : cases)
        EXPECT_EQ(WriteOne(pLink), expected);

    CLink* pPage = NewObject(kKindPageScore, {T("P2")});
    SetFormat(pPage, Fmt{});
    EXPECT_EQ(WriteOne(pPage), kOpen + "<PageScore('P2')>" + kClose);
    for (int kind : {9, 10, 11, 12, 16, 17}) {
        CLink* p = NewText("x");
        p->m_nKind = kind;
        EXPECT_EQ(WriteOne(p), "") << kind;
    }
}

TEST(WriterTest, HotLinkTagsFollowTheActionTable) {
    const std::string page = "pg";
    struct Case {
        int code;
        std::vector<LINKPARAM> params;
        std::string tag;
    };
    const Case cases[] = {
        {0, {T(page)}, "<HotLink(0,'pg')>"},
        {1, {N(1), N(2), N(3), N(4), T(page)}, "<HotLink(1,1,2,3,4,'pg')>"},
        {2, {N(5), N(6), T(page)}, "<HotLink(2,5,6,'pg')>"},
        {3, {N(7), T(page)}, "<HotLink(3,7,'pg')>"},
        {4, {T(page)}, "<HotLink(4,'pg')>"},
        {5, {T(page)}, "<HotLink(5,'pg')>"},
        {10, {T("a.wav"), N(1), N(2)}, "<HotLink(10,'a.wav',1,2)>"},
        {11, {T("b.mid"), N(0), N(0)}, "<HotLink(11,'b.mid',0,0)>"},
        {12, {N(3), N(1), N(2)}, "<HotLink(12,3,1,2)>"},
        {13, {N(-4), N(5), N(6)}, "<HotLink(13,-4,5,6)>"},
        {20, {N(9)}, "<HotLink(20)>"},
        {21, {N(1), N(2), N(3), N(4), T(page)}, "<HotLink(21,1,2,3,4,'pg')>"},
        {22, {N(-1), N(0), N(800), N(600), T("")}, "<HotLink(22,-1,0,800,600,'')>"},
        {23, {T("a.exe"), T("-x"), T("C:"), N(1), N(2)}, "<HotLink(23,'a.exe','-x','C:',1,2)>"},
        {30, {T("http://x.cn")}, "<HotLink(30,'http://x.cn')>"},
        {31, {T("unused")}, "<HotLink(31)>"}};
    for (const Case& c : cases) {
        CMyList list;
        CLink* p = NewText("x");
        p->m_HotLink[0] = N(c.code);
        std::copy(c.params.begin(), c.params.end(), p->m_HotLink + 1);
        list.Append(p);
        list.First();
        std::string tag = "stale";
        EXPECT_EQ(CWordAnalyzer().FillHotLink(&list, tag, 0), 1) << c.code;
        EXPECT_EQ(tag, c.tag) << c.code;
        EXPECT_EQ(Write(list), c.tag + kOpen + "x" + kClose + "</HotLink>") << c.code;
    }

    CMyList list;
    std::string tag;
    list.First();
    EXPECT_EQ(CWordAnalyzer().FillHotLink(&list, tag, 0), 0);
    EXPECT_EQ(CWordAnalyzer().FillHotLink(nullptr, tag, 0), 0);
    CLink* p = NewObject(kKindImage, {T("a"), N(0), N(100)});
    SetHotLink(p, 31);
    list.Append(p);
    list.First();
    char szTag[64] = "stale";
    EXPECT_EQ(CWordAnalyzer().FillHotLink(&list, szTag, 0), 1);
    EXPECT_STREQ(szTag, "<HotLink(31)>");

    // Codes outside the table write neither tag, and the loss is reported.
    for (int code : {-1, 6, 14, 99, 101}) {
        CollectingSink sink;
        CLink* pText = NewText("x");
        SetHotLink(pText, code, {T("pg")});
        EXPECT_EQ(WriteOne(pText, &sink), kOpen + "x" + kClose) << code;
        const MarkupDiagnostic* d = sink.Find(MarkupIssue::kHotLinkNotWritable);
        ASSERT_NE(d, nullptr) << code;
        EXPECT_EQ(d->nValue, code);
        EXPECT_EQ(d->nElement, 0);
    }
}

TEST(WriterTest, TextParametersAreQuotedOrCleanedToReadBackWhole) {
    const std::string dq = "\xa3\xa2", rs = "\xa1\xaf";
    const std::pair<std::string, std::string> kept[] = {
        {"it's", "\"it's\""},
        {"say \"it's\"", dq + "say \"it's\"" + dq},
        {"'\"" + dq, "\xa1\xae'\"" + dq + rs},
        {"'\"" + dq + rs, "\xa1\xb0'\"" + dq + rs + "\xa1\xb1"},
        {"a\\'b", "'a\\'b'"},  // an escaped quotation mark does not end the text
        {"x\\)y\\>z", "'x\\)y\\>z'"},
        {"a,b(c<d" + kListOpenFull + kSlashChar, "'a,b(c<d" + kListOpenFull + kSlashChar + "'"}};
    for (const auto& [file, quoted] : kept) {
        CollectingSink sink;
        EXPECT_EQ(WriteOne(NewObject(kKindImage, {T(file), N(0), N(100)}), &sink),
                  "<Image(" + quoted + ",0,100)>");
        EXPECT_TRUE(sink.items.empty()) << file;
    }

    const std::pair<std::string, std::string> cleaned[] = {
        {"C:\\pics\\", "C:\\pics"},
        {"a\\" + kEscapeFull, "a"},
        {"a\r\nb", "ab"},
        {"x)y>z" + kListCloseFull + "w" + kTagCloseFull + "v", "xyzwv"},
        {std::string(200, 'x'), std::string(129, 'x')}};
    for (const auto& [answer, written] : cleaned) {
        CollectingSink sink;
        CMyList list;
        list.Append(NewObject(kKindCheck, {N(1)}));
        list.Append(NewObject(kKindEdit, {N(1), N(2), T(answer), N(3), N(4), N(5)}));
        EXPECT_EQ(Write(list, &sink), "<Check(1)><Edit(1,2,'" + written + "',3,4,5)>");
        const MarkupDiagnostic* d = sink.Find(MarkupIssue::kParamNotWritable);
        ASSERT_NE(d, nullptr) << answer;
        EXPECT_EQ(d->nElement, 1);
        EXPECT_EQ(d->strSlot, "Command[2]");
    }

    CollectingSink sink;
    CLink* p = NewText("x", Fmt{.face = "O'Neil"});
    SetHotLink(p, 0, {T("a>b")});
    EXPECT_EQ(WriteOne(p, &sink), "<HotLink(0,'ab')><Font(\"O'Neil\",12,0,0,0)><Color(0,0,0)>x" +
                                      kClose + "</HotLink>");
    ASSERT_NE(sink.Find(MarkupIssue::kParamNotWritable), nullptr);
    EXPECT_EQ(sink.Find(MarkupIssue::kParamNotWritable)->strSlot, "HotLink[1]");
}

TEST(WriterTest, LongTextIsWrittenAsSeveralRunsThatReadBackWhole) {
    std::string wide, lines;
    for (int i = 0; i < 1500; ++i)
        wide += i % 7 ? "\xb0\xa1" : kSlashChar;
    for (int i = 0; i < 800; ++i)
        lines += "a\n";
    const std::pair<std::string, std::string> cases[] = {
        {std::string(3000, 'a'), std::string(3000, 'a')},
        {std::string(1500, '&'), std::string(1500, '&')},
        {std::string(600, '\t'), std::string(2400, ' ')},
        {"a" + wide, "a" + wide},
        {lines, lines}};
    for (const auto& [text, expected] : cases) {
        CollectingSink sink;
        CLink* pOriginal = NewText(text, Fmt{.face = "Arial", .footNote = kFootNoteLowered});
        SetHotLink(pOriginal, 0, {T("P")});
        CMyList list;
        list.Append(pOriginal);
        std::string markup = Write(list, &sink);
        CMyList back = Read(markup);
        std::vector<CLink*> e = Elements(back);
        ASSERT_GT(e.size(), 1u) << text.substr(0, 4);
        std::string joined;
        for (CLink* pRun : e) {
            EXPECT_EQ(IsFontSameEachother(pRun, pOriginal), 1);
            EXPECT_EQ(pRun->m_HotLink[1].strText, "P");
            joined += pRun->m_Command[0].strText;
        }
        EXPECT_EQ(joined, expected) << text.substr(0, 4);
        const MarkupDiagnostic* d = sink.Find(MarkupIssue::kTextSplit);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->nValue, static_cast<int>(e.size()));
        EXPECT_FALSE(d->bLoss);
    }
}

TEST(WriterTest, AppendstrRewritesLineBreaks) {
    std::string out = "x";
    CWordAnalyzer().appendstr("a\nb\rc", out, 0);
    EXPECT_EQ(out, "xa&\r\nb&\r\nc");
    char szOut[32] = "y";
    CWordAnalyzer().appendstr("<d>\n", szOut, 0);
    EXPECT_STREQ(szOut, "y<d>&\r\n");
}

}  // namespace
