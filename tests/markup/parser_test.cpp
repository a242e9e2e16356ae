#include <gtest/gtest.h>

#include <climits>

#include "markup_test_support.h"

namespace {

using namespace markup_test;
using Lines = std::vector<std::string>;

const std::string kBase = " font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 2 link 100";

Lines ReadDescribed(const std::string& markup) {
    CMyList list = Read(markup);
    return DescribeAll(list);
}

TEST(ParserTest, PlainTextIsOneElementInTheBaseFormat) {
    EXPECT_TRUE(Read("").IsEmpty());
    CMyList list = Read("abc");
    ASSERT_EQ(DescribeAll(list), Lines{"Text 'abc'" + kBase});
    const CLink* p = Elements(list)[0];
    EXPECT_EQ(p->m_Command[0].nType, kParamText);
    EXPECT_EQ(p->m_Font[0].nType, kParamText);
    EXPECT_EQ(p->m_Font[1].nType, kParamNumber);
    EXPECT_EQ(p->m_Color[2].nType, kParamNumber);
    EXPECT_EQ(p->m_FootNote[0].nType, kParamNumber);
    // A property left open does not reach into the next conversion.
    Read("<Font('Arial',20,1,1,1)><Color(9,9,9)>");
    EXPECT_EQ(ReadDescribed("x"), Lines{"Text 'x'" + kBase});
}

TEST(ParserTest, PropertyStacksAreIndependentAndKeepTheirBase) {
    EXPECT_EQ(
        ReadDescribed("<Font('A',10,0,0,0)><Font('B',20,1,0,1)>x</Font>y</Font></Font>z"),
        (Lines{"Text 'x' font 'B' 20 1 0 1 color 0 0 0 foot 2 link 100",
               "Text 'y' font 'A' 10 0 0 0 color 0 0 0 foot 2 link 100", "Text 'z'" + kBase}));
    // Closing tags need not nest: closing the font leaves the colour in force.
    EXPECT_EQ(ReadDescribed("<Font('A',14,0,1,0)><Color(1,2,3)>a</Font>b</Color>c</Color>d"),
              (Lines{"Text 'a' font 'A' 14 0 1 0 color 1 2 3 foot 2 link 100",
                     "Text 'b' font '" + kSongTi + "' 12 0 0 0 color 1 2 3 foot 2 link 100",
                     "Text 'c'" + kBase, "Text 'd'" + kBase}));
    const std::string raised = " font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 0";
    EXPECT_EQ(ReadDescribed("<HotLink(0,'P1')><FootNote(0)>a<HotLink(30,'w')>b</HotLink>c"
                            "</FootNote></HotLink></HotLink>d"),
              (Lines{"Text 'a'" + raised + " link 0 'P1'", "Text 'b'" + raised + " link 30 'w'",
                     "Text 'c'" + raised + " link 0 'P1'", "Text 'd'" + kBase}));
}

TEST(ParserTest, FullWidthSymbolsSpacingAndLetterCaseAreAccepted) {
    const std::string sep = kSeparatorFull;
    EXPECT_EQ(
        ReadDescribed(kTagOpenFull + "FONT" + kListOpenFull + "'Arial'" + sep + "20" + sep + "1" +
                      sep + "0" + sep + "0" + kListCloseFull + kTagCloseFull + "x" + kTagOpenFull +
                      "\xa3\xaf" + "font" + kTagCloseFull + "y"),
        (Lines{"Text 'x' font 'Arial' 20 1 0 0 color 0 0 0 foot 2 link 100", "Text 'y'" + kBase}));
    EXPECT_EQ(ReadDescribed("<FootNote" + kListOpenFull + "1" + kListCloseFull +
                            ">x</footnote>< color ( 1 , 2 ,\t3 ) >y</Color >"),
              (Lines{"Text 'x' font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 1 link 100",
                     "Text 'y' font '" + kSongTi + "' 12 0 0 0 color 1 2 3 foot 2 link 100"}));
}

TEST(ParserTest, UnknownTagEndsReadingAndIsReported) {
    const std::string markup = "a<Image('p',0,100)><Bogus(1)>b<Check(1)>";
    CollectingSink sink;
    CMyList list = Read(markup, &sink);
    EXPECT_EQ(ReadTexts(markup), (Lines{"a", "#1"}));
    const MarkupDiagnostic* d = sink.Find(MarkupIssue::kUnknownTag);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->nOffset, 19);
    EXPECT_EQ(d->nLength, static_cast<int>(markup.size()) - 19);
    // A closing-tag mark must be followed directly by a keyword.
    for (const char* szBad : {"a</ Font>b", "a</>b", "a<Fontx('A')>b"})
        EXPECT_EQ(ReadTexts(szBad), Lines{"a"}) << szBad;
}

TEST(ParserTest, TextEscapesAndProtectedBrackets) {
    EXPECT_EQ(ReadTexts("a&<b>c&(d&)"), Lines{"a<b>c(d)"});
    EXPECT_EQ(ReadTexts("x\\<Check(1)>y" + kEscapeFull + "<Check(1)>"),
              Lines{"x<Check(1)>y<Check(1)>"});
    EXPECT_EQ(ReadTexts("1\\n2\\N3&\r\n4\r\n5\t6"), Lines{"1\n2\n3\n45    6"});
    EXPECT_EQ(ReadTexts("\\a\\" + kChinese + "&" + kChinese + "\\"),
              Lines{"\\a\\" + kChinese + kChinese + "\\"});
    EXPECT_EQ(ReadTexts("a&<Check(1)>&"), Lines{"a<Check(1)>&"});
}

TEST(ParserTest, CharactersEndingInTheBackslashCodeEscapeNothing) {
    EXPECT_EQ(ReadTexts(kChinese + kSlashChar + "<Check(1)>" + kSlashChar),
              (Lines{kChinese + kSlashChar, "#4", kSlashChar}));
    EXPECT_EQ(
        ReadDescribed("<Image('" + kSlashChar + "',1,50)><Formula('a" + kSlashChar + "',1,2,3)>"),
        (Lines{"Image '" + kSlashChar + "' 1 50 link 100", "Formula 'a" + kSlashChar + "' 1 2 3"}));
    // A lead byte without its second byte at the end of the markup is dropped.
    CollectingSink sink;
    CMyList list = Read("ab\xb0", &sink);
    EXPECT_EQ(Elements(list)[0]->m_Command[0].strText, "ab");
    ASSERT_NE(sink.Find(MarkupIssue::kIncompleteCharacter), nullptr);
    EXPECT_EQ(sink.Find(MarkupIssue::kIncompleteCharacter)->nOffset, 2);
}

TEST(ParserTest, CommandTagsFillTheirElementSlots) {
    const std::string font = " font 'Arial' 9 1 100 0 color 4 5 6";
    EXPECT_EQ(
        ReadDescribed(
            "<HotLink(1,10,20,30,40,'Pg')><Font('Arial',9,1,100,0)><Color(4,5,6)><FootNote(1)>"
            "<Image('p.bmp',1,50)><PageScore('P1')></FootNote></Color></Font></HotLink>"
            "<Formula('f.fml',80,30,40)><Edit(80,20,'ans',255,16777215,2)><Choice(2,4)>"
            "<PageTotalScore('P2')><TotalScore('')><MultiColumn(2,10,100,200)><StartColumn>"
            "</Image></Check><EndColumn><StartColumn></StartColumn><Check(1)>"),
        (Lines{"Image 'p.bmp' 1 50 link 1 10 20 30 40 'Pg'", "PageScore 'P1'" + font,
               "Formula 'f.fml' 80 30 40", "Edit 80 20 'ans' 255 16777215 2", "Choice 2 4",
               "PageTotalScore 'P2'" + kBase.substr(0, kBase.find(" foot")),
               "TotalScore ''" + kBase.substr(0, kBase.find(" foot")), "MultiColumn 2 10 100 200",
               "StartColumn", "EndColumn", "StartColumn", "EndColumn", "Check 1"}));
    CMyList list = Read("<MultiColumn(2,10,100,200)>");
    EXPECT_EQ(Elements(list)[0]->m_Command[4].nType, kParamNotGiven);

    const std::pair<std::string, int> states[] = {{"0", 0},     {"1", 1},    {"100", 100},
                                                  {"101", 101}, {"7", 100},  {"-1", 100},
                                                  {"2", 100},   {"102", 100}};
    for (const auto& [given, state] : states)
        EXPECT_EQ(ReadDescribed("<Check(" + given + ")>"), Lines{"Check " + std::to_string(state)});
}

TEST(ParserTest, GetParamKeepsPositionsQuotesAndNumbers) {
    const CWordAnalyzer reader;
    CWordAnalyzer::PARAMTER params[kMaxParams];
    int nCount = -1;
    // The content is padded with spaces so that the range is the same whether it is taken
    // with or without the brackets.
    auto get = [&](const std::string& list) {
        for (auto& p : params)
            p = {-9, -9, "junk"};
        EXPECT_EQ(reader.GetParam(list.c_str(), params, nCount, 1, int(list.size()) - 2), 1);
    };
    get("( 1,,'a b',x y,-5 )");
    EXPECT_EQ(nCount, 5);
    const int types[] = {kParamNumber, kParamNotGiven, kParamText, kParamText, kParamNumber};
    for (int i = 0; i < kMaxParams; ++i)
        EXPECT_EQ(params[i].nType, i < 5 ? types[i] : kParamNotGiven) << i;
    EXPECT_EQ(params[0].nValue, 1);
    EXPECT_EQ(params[2].strText, "a b");
    EXPECT_EQ(params[3].strText, "x y");
    EXPECT_EQ(params[4].nValue, -5);

    // Every quotation pair; nothing is resolved inside; two-byte characters never end a
    // parameter on a byte that looks like a separator or a quotation mark.
    get("( \"a'b\",\xa3\xa2"
        "c\xa3\xa2,\xa1\xae"
        "d\xa1\xaf,\xa1\xb0"
        "e\xa1\xb1,'f\\'g',"
        "\xb0\xa3\xac\xb0,\xa1\xb0\xb0\xa1\xb1\xb0\xa1\xb1,5 )");
    const char* texts[] = {"a'b", "c", "d", "e", "f\\'g", "\xb0\xa3\xac\xb0", "\xb0\xa1\xb1\xb0"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(params[i].strText, texts[i]) << i;
    EXPECT_EQ(params[7].nValue, 5);

    // Signs, 19 characters at most, saturation at the 32-bit range.
    get("( 12-3,+7,0000000000000000123,00000000000000000000123,99999999999,-99999999999 )");
    const int numbers[] = {12, 7, 123, 0, INT_MAX, INT_MIN};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(params[i].nValue, numbers[i]) << i;

    std::string many = "1";
    for (int i = 2; i <= 25; ++i)
        many += "," + std::to_string(i);
    get("( " + many + " )");
    EXPECT_EQ(nCount, kMaxParams);
    for (int i = 0; i < kMaxParams; ++i)
        EXPECT_EQ(params[i].nValue, i + 1);
    EXPECT_EQ(ReadDescribed("<MultiColumn(18" + many.substr(1) + ")><Edit(10,,'ans',1,2,3)>"),
              (Lines{"MultiColumn 18 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20",
                     "Edit 10 0 'ans' 1 2 3"}));
}

TEST(ParserTest, ParametersNotGivenTakeDefaultsOrTheFormatInForce) {
    const std::string fmt = " font 'Arial' 30 1 1 1 color 1 9 3 foot 0 link 100";
    EXPECT_EQ(ReadDescribed("<Image('a.bmp')><Formula('f.fml')><Edit><HotLink(0,'P')><HotLink>x"
                            "</HotLink>w</HotLink><Font('Arial',20,1,1,1)><Color(1,2,3)>"
                            "<FootNote(0)><Font(,30)><Color(,9)><FootNote>y<Font('Courier')>z"),
              (Lines{"Image 'a.bmp' 0 100 link 100", "Formula 'f.fml' 100 0 0", "Edit 0 0 '' 0 0 0",
                     "Text 'x'" + kBase,
                     "Text 'w' font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 2 link 0 'P'",
                     "Text 'y'" + fmt, "Text 'z' font 'Courier'" + fmt.substr(13)}));
}

TEST(ParserTest, EmptyTagsAndElementlessKeywordsAreSkipped) {
    CollectingSink sink;
    const std::string markup =
        "a<>b< >c<Text>d<Date(1)>e</Text><TIME><reversetime><CountTime>f</Date>g";
    Read(markup, &sink);
    EXPECT_EQ(ReadTexts(markup), (Lines{"a", "b", "c", "d", "e", "f", "g"}));
    ASSERT_NE(sink.Find(MarkupIssue::kEmptyTag), nullptr);
    EXPECT_EQ(sink.Find(MarkupIssue::kEmptyTag)->nOffset, 1);
    EXPECT_NE(sink.Find(MarkupIssue::kIgnoredKeyword), nullptr);
    EXPECT_EQ(sink.Find(MarkupIssue::kUnknownTag), nullptr);
}

TEST(ParserTest, UnclosedListsAndTagsAreReadForgivingly) {
    CollectingSink sink;
    CMyList list = Read("<Choice(2,3>x", &sink);
    EXPECT_EQ(DescribeAll(list), (Lines{"Choice 2 3", "Text 'x'" + kBase}));
    ASSERT_NE(sink.Find(MarkupIssue::kMissingListClose), nullptr);
    EXPECT_EQ(sink.Find(MarkupIssue::kMissingListClose)->nOffset, 7);
    // A tag open without a tag close: the rest is text.
    CollectingSink unclosed;
    CMyList rest = Read("a<Font('x'", &unclosed);
    std::string all;
    for (CLink* p : Elements(rest))
        all += p->m_Command[0].strText;
    EXPECT_EQ(all, "a<Font('x'");
    EXPECT_NE(unclosed.Find(MarkupIssue::kUnclosedTag), nullptr);
}

TEST(ParserTest, LineBreaksBetweenTagsAreDroppedExceptAtTheEnd) {
    EXPECT_EQ(ReadTexts("<Image('a',0,100)>\r\n<Check(1)>\n"), (Lines{"#1", "#4", ""}));
    EXPECT_EQ(ReadDescribed("<Font('Arial',20,0,0,0)>ab</Font><Color(1,2,3)>\r\n"),
              (Lines{"Text 'ab' font 'Arial' 20 0 0 0 color 0 0 0 foot 2 link 100",
                     "Text '' font '" + kSongTi + "' 12 0 0 0 color 1 2 3 foot 2 link 100"}));
}

TEST(ParserTest, LimitsCutAtCharacterBoundariesAndAreReported) {
    // A text run keeps 2001 bytes of markup; the tag after it is still read.
    CollectingSink sink;
    CMyList list = Read("<Check(0)>" + std::string(2100, 'a') + "<Check(1)>", &sink);
    EXPECT_EQ(ReadTexts("<Check(0)>" + std::string(2100, 'a') + "<Check(1)>"),
              (Lines{"#4", std::string(2001, 'a'), "#4"}));
    const MarkupDiagnostic* d = sink.Find(MarkupIssue::kTextRunTooLong);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->nOffset, 10);
    EXPECT_EQ(d->nLength, 99);
    std::string wide;
    for (int i = 0; i < 1100; ++i)
        wide += "\xb0\xa1";
    EXPECT_EQ(ReadTexts(wide + "<Check(1)>"), (Lines{wide.substr(0, 2000), "#4"}));

    // Text parameters keep 129 bytes, never half a character.
    EXPECT_EQ(ReadDescribed("<Image('" + std::string(200, 'x') + "',1,70)><Formula('" +
                            wide.substr(0, 200) + "',1,2,3)>"),
              (Lines{"Image '" + std::string(129, 'x') + "' 1 70 link 100",
                     "Formula '" + wide.substr(0, 128) + "' 1 2 3"}));

    // The markup is read up to position 20480: here the last whole tag ends there.
    std::string big = "a";
    for (int i = 0; i < 2100; ++i)
        big += "<Check(1)>";
    CollectingSink bigSink;
    CMyList bigList = Read(big, &bigSink);
    EXPECT_EQ(Elements(bigList).size(), 2049u);
    EXPECT_EQ(Elements(bigList).back()->m_nKind, kKindCheck);
    d = bigSink.Find(MarkupIssue::kMarkupTooLong);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->nOffset, kMaxMarkupBytes);
    EXPECT_EQ(d->nLength, static_cast<int>(big.size()) - kMaxMarkupBytes);
}

TEST(ParserTest, GetRealWordAndResolveCommandDecodeOneUnit) {
    const CWordAnalyzer reader;
    const std::string text = "\r\nab<Font('A',3)></Color></Image><Bogus>< >";
    CWordAnalyzer::MESSAGE msg;
    int nPos = 0;
    reader.GetRealWord(text.c_str(), msg, nPos, int(text.size()) - 1);
    EXPECT_EQ(msg.nType, CWordAnalyzer::kTextRun);
    EXPECT_EQ(msg.strWord, "ab");
    EXPECT_EQ(nPos, 4);
    const std::pair<int, int> expected[] = {{CWordAnalyzer::kPropertyOpen, 0},
                                            {CWordAnalyzer::kPropertyClose, 1},
                                            {CWordAnalyzer::kCommandClose, 1}};
    for (const auto& [type, id] : expected) {
        reader.GetRealWord(text.c_str(), msg, nPos, int(text.size()) - 1);
        EXPECT_EQ(msg.nType, type);
        EXPECT_EQ(msg.nID, id);
    }
    EXPECT_EQ(nPos, 33);
    reader.ResolveCommand(text.c_str(), msg, 4, 16);
    EXPECT_EQ(msg.Param[0].strText, "A");
    EXPECT_EQ(msg.Param[1].nValue, 3);
    EXPECT_EQ(msg.nParamNum, 2);
    reader.ResolveCommand(text.c_str(), msg, 33, 39);
    EXPECT_EQ(msg.nType, CWordAnalyzer::kUnknownTag);
    reader.ResolveCommand(text.c_str(), msg, 40, 42);
    EXPECT_EQ(msg.nType, CWordAnalyzer::kNothing);
}

}  // namespace
