#include <gtest/gtest.h>

#include "markup_test_support.h"

namespace {

using namespace markup_test;
using Lines = std::vector<std::string>;

const std::string kBase = " font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 2 link 100";

TEST(ParserTest, PropertyStacksAreIndependentAndKeepTheirBase) {
    EXPECT_TRUE(Read("").IsEmpty());
    EXPECT_EQ(ReadBack("abc"), Lines{"Text 'abc'" + kBase});
    EXPECT_EQ(
        ReadBack("<Font('A',10,0,0,0)><Font('B',20,1,0,1)>x</Font>y</Font></Font>z"),
        (Lines{"Text 'x' font 'B' 20 1 0 1 color 0 0 0 foot 2 link 100",
               "Text 'y' font 'A' 10 0 0 0 color 0 0 0 foot 2 link 100", "Text 'z'" + kBase}));
    // Closing tags need not nest: closing the font leaves the colour in force.
    EXPECT_EQ(ReadBack("<Font('A',14,0,1,0)><Color(1,2,3)>a</Font>b</Color>c</Color>d"),
              (Lines{"Text 'a' font 'A' 14 0 1 0 color 1 2 3 foot 2 link 100",
                     "Text 'b' font '" + kSongTi + "' 12 0 0 0 color 1 2 3 foot 2 link 100",
                     "Text 'c'" + kBase, "Text 'd'" + kBase}));
    const std::string raised = " font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 0";
    EXPECT_EQ(ReadBack("<HotLink(0,'P1')><FootNote(0)>a<HotLink(30,'w')>b</HotLink>c"
                       "</FootNote></HotLink></HotLink>d"),
              (Lines{"Text 'a'" + raised + " link 0 'P1'", "Text 'b'" + raised + " link 30 'w'",
                     "Text 'c'" + raised + " link 0 'P1'", "Text 'd'" + kBase}));
    // A property left open does not reach into the next conversion.
    EXPECT_EQ(ReadBack("x"), Lines{"Text 'x'" + kBase});
}

TEST(ParserTest, FullWidthSymbolsSpacingAndLetterCaseAreAccepted) {
    const std::string sep = "\xa3\xac";  // ，
    EXPECT_EQ(
        ReadBack(kTagOpenFull + "FONT" + kListOpenFull + "'Arial'" + sep + "20" + sep + "1" + sep +
                 "0" + sep + "0" + kListCloseFull + kTagCloseFull + "x" + kTagOpenFull +
                 "\xa3\xaf" + "font" + kTagCloseFull + "y"),
        (Lines{"Text 'x' font 'Arial' 20 1 0 0 color 0 0 0 foot 2 link 100", "Text 'y'" + kBase}));
    EXPECT_EQ(ReadBack("<FootNote" + kListOpenFull + "1" + kListCloseFull +
                       ">x</footnote>< color ( 1 ;, 2 ,\t3 ) >y</Color >"),
              (Lines{"Text 'x' font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 1 link 100",
                     "Text 'y' font '" + kSongTi + "' 12 0 0 0 color 1 2 3 foot 2 link 100"}));
}

TEST(ParserTest, UnknownTagEndsReadingAndIsReportedWhereItStands) {
    const std::string markup = "a<Image('p',0,100)>\r\n<Bogus(1)>b<Check(1)>";
    CollectingSink sink;
    EXPECT_EQ(ReadBack(markup, true, &sink), (Lines{"a", "Image 'p' 0 100 link 100"}));
    EXPECT_EQ(sink.Find(MarkupIssue::kUnknownTag).nOffset, 21);  // not at the line breaks
    EXPECT_EQ(sink.Find(MarkupIssue::kUnknownTag).nLength, int(markup.size()) - 21);
    // A closing-tag mark must be followed directly by a keyword.
    for (const char* szBad : {"a</ Font>b", "a</>b", "a<Fontx('A')>b"})
        EXPECT_EQ(ReadBack(szBad, true), Lines{"a"}) << szBad;
}

TEST(ParserTest, EscapesProtectBracketsButCharactersEndingInTheBackslashCodeDoNot) {
    EXPECT_EQ(
        ReadBack("a&<b>c&(d&)" + kEscapeFull + "<Check(1)>\\<Check(1)>1\\n2&\r\n3\r\n4\t5&", true),
        Lines{"a<b>c(d)<Check(1)><Check(1)>1\n2\n34    5&"});
    EXPECT_EQ(ReadBack("\\a\\" + kChinese + "&" + kChinese + kEscapeFull + "b&<Check(1)>\\", true),
              Lines{"\\a\\" + kChinese + kChinese + kEscapeFull + "b<Check(1)>\\"});
    EXPECT_EQ(ReadBack(kChinese + kSlashChar + "<Check(1)>" + kSlashChar, true),
              (Lines{kChinese + kSlashChar, "Check 1", kSlashChar}));
    // A lead byte without its second byte at the end of the markup is dropped.
    CollectingSink sink;
    EXPECT_EQ(ReadBack("ab\xb0", true, &sink), Lines{"ab"});
    EXPECT_EQ(sink.Find(MarkupIssue::kIncompleteCharacter).nOffset, 2);
}

// Commands take the font, colour and hot link in force; of the closing command tags only
// that of StartColumn means something; a check box is 0, 1, 100 or 101, anything else 100.
TEST(ParserTest, CommandTagsTakeTheFormatInForce) {
    EXPECT_EQ(ReadBack("<HotLink(1,10,20,30,40,'Pg')><Font('Arial',9,1,100,0)><Color(4,5,6)>"
                       "<FootNote(1)><Image('p.bmp',1,50)><PageScore('P1')></Image></Check>"
                       "<StartColumn></StartColumn><Check(0)><Check(101)><Check(7)><Check(-1)>"),
              (Lines{"Image 'p.bmp' 1 50 link 1 10 20 30 40 'Pg'",
                     "PageScore 'P1' font 'Arial' 9 1 100 0 color 4 5 6", "StartColumn",
                     "EndColumn", "Check 0", "Check 101", "Check 100", "Check 100"}));
}

// Quoted texts keep what stands between the marks of one pair, escapes included; two-byte
// characters never end a text on a byte that looks like a separator or a quotation mark.
// Numbers take their sign, 19 characters at most, and saturate at the 32-bit range. A tag
// takes 20 parameters.
TEST(ParserTest, ParametersKeepTheirQuotesAndNumbers) {
    const std::string wide = "\xb0\xa3\xac\xb0", quoteInside = "\xb0\xa1\xb1\xb0";
    std::string many;
    for (int i = 2; i <= 25; ++i)
        many += "," + std::to_string(i);
    EXPECT_EQ(
        ReadBack("<Edit(12-3,+7,\"a'b\",0000000000000000123,99999999999,-99999999999)>"
                 "<Image(x y" +
                 wide + ",00000000000000000005,5)><Image(\xa3\xa2" + kSlashChar +
                 "\xa3\xa2)><Formula(\xa1\xb0" + quoteInside +
                 "\xa1\xb1,1)><Formula('f\\'g')><MultiColumn(18" + many + ")>"),
        (Lines{"Edit 12 7 'a'b' 123 2147483647 -2147483648", "Image 'x y" + wide + "' 0 5 link 100",
               "Image '" + kSlashChar + "' 0 100 link 100", "Formula '" + quoteInside + "' 1 0 0",
               "Formula 'f\\'g' 100 0 0",
               "MultiColumn 18 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20"}));
}

// Also when an earlier tag gave them.
TEST(ParserTest, ParametersNotGivenTakeDefaultsOrTheFormatInForce) {
    const std::string fmt = " font 'Arial' 30 1 1 1 color 1 2 9 foot 0 link 100";
    EXPECT_EQ(ReadBack("<Image('a.bmp')><Formula><Edit(1,2,'x')><Edit><HotLink(0,'P')><HotLink>x"
                       "</HotLink>w</HotLink><Font('Arial',20,1,1,1)><Color(1,2,3)>"
                       "<FootNote(0)><Font(,30)><Color(,,9)><FootNote>y<Font('Courier')>z"),
              (Lines{"Image 'a.bmp' 0 100 link 100", "Formula '' 100 0 0", "Edit 1 2 'x' 0 0 0",
                     "Edit 0 0 '' 0 0 0", "Text 'x'" + kBase,
                     "Text 'w' font '" + kSongTi + "' 12 0 0 0 color 0 0 0 foot 2 link 0 'P'",
                     "Text 'y'" + fmt, "Text 'z' font 'Courier'" + fmt.substr(13)}));
}

TEST(ParserTest, MalformedTagsAreSkippedOrReadForgivinglyAndReported) {
    CollectingSink sink;
    const std::string markup =
        "a<>b< >c<Text>d<Date(1)>e</Text><TIME><reversetime><CountTime>f</Date>g<Choice(2,3>x";
    EXPECT_EQ(ReadBack(markup, true, &sink),
              (Lines{"a", "b", "c", "d", "e", "f", "g", "Choice 2 3", "x"}));
    EXPECT_EQ(sink.Find(MarkupIssue::kEmptyTag).nOffset, 1);
    EXPECT_EQ(sink.Find(MarkupIssue::kIgnoredKeyword).nOffset, 8);
    EXPECT_EQ(sink.Find(MarkupIssue::kMissingListClose).nOffset, markup.find("(2,3"));
    // A tag open without a tag close: the rest is text.
    EXPECT_EQ(ReadBack("a<Font('x'", true, &sink), (Lines{"a", "<Font('x'"}));
    EXPECT_EQ(sink.Find(MarkupIssue::kUnclosedTag).nOffset, 1);
}

TEST(ParserTest, LineBreaksBetweenTagsAreDroppedExceptAtTheEnd) {
    EXPECT_EQ(ReadBack("<Check(0)>\r\n<Check(1)>\n", true), (Lines{"Check 0", "Check 1", ""}));
    EXPECT_EQ(ReadBack("<Font('Arial',20,0,0,0)>ab</Font><Color(1,2,3)>\r\n"),
              (Lines{"Text 'ab' font 'Arial' 20 0 0 0 color 0 0 0 foot 2 link 100",
                     "Text '' font '" + kSongTi + "' 12 0 0 0 color 1 2 3 foot 2 link 100"}));
}

TEST(ParserTest, LimitsCutAtCharacterBoundariesAndAreReported) {
    // A text run keeps 2001 bytes of markup; the tag after it is still read.
    CollectingSink sink;
    EXPECT_EQ(ReadBack("<Check(0)>" + std::string(2100, 'a') + "<Check(1)>", true, &sink),
              (Lines{"Check 0", std::string(2001, 'a'), "Check 1"}));
    EXPECT_EQ(sink.Find(MarkupIssue::kTextRunTooLong).nOffset, 10);
    EXPECT_EQ(sink.Find(MarkupIssue::kTextRunTooLong).nLength, 99);
    std::string wide;
    for (int i = 0; i < 1100; ++i)
        wide += "\xb0\xa1";
    EXPECT_EQ(ReadBack(wide + "<Check(1)>", true), (Lines{wide.substr(0, 2000), "Check 1"}));

    // Text parameters keep 129 bytes, never half a character.
    EXPECT_EQ(ReadBack("<Image('" + std::string(200, 'x') + "',1,70)><Formula('" +
                       wide.substr(0, 200) + "',1,2,3)>"),
              (Lines{"Image '" + std::string(129, 'x') + "' 1 70 link 100",
                     "Formula '" + wide.substr(0, 128) + "' 1 2 3"}));

    // The markup is read up to position 20480: here the last whole tag ends there.
    std::string big = "a";
    for (int i = 0; i < 2100; ++i)
        big += "<Check(1)>";
    const Lines read = ReadBack(big, true, &sink);
    EXPECT_EQ(read.size(), 2049u);
    EXPECT_EQ(read.back(), "Check 1");
    EXPECT_EQ(sink.Find(MarkupIssue::kMarkupTooLong).nOffset, kMaxMarkupBytes);
    EXPECT_EQ(sink.Find(MarkupIssue::kMarkupTooLong).nLength, int(big.size()) - kMaxMarkupBytes);
}

}  // namespace
