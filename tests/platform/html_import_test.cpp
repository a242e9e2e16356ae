// Formatted text from HTML as browsers and office programs put it on the clipboard. The runs
// expected are worked out by hand from what the HTML says: CSS point sizes at 96 pixels to
// 72 points, GBK codes from the GB2312 table.

#include "platform/html_import.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "canvas.h"

namespace tessel::platform {

void PrintTo(const HtmlRun& run, std::ostream* pOut) {
    *pOut << "{\"" << run.strText << "\" face=\"" << run.strFace << "\" px=" << run.nPixelSize
          << " b=" << run.bBold << " i=" << run.bItalic << " u=" << run.bUnderline;
    if (run.bColor) *pOut << " rgb=" << run.nRed << "," << run.nGreen << "," << run.nBlue;
    *pOut << " v=" << run.nVertical << "}";
}

}  // namespace tessel::platform

namespace {

using tessel::platform::HtmlRun;
using tessel::platform::ReadHtmlRuns;

constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5";    // 宋体
constexpr char kZhongWen[] = "\xD6\xD0\xCE\xC4";  // 中文

HtmlRun Plain(const std::string& text) {
    HtmlRun run;
    run.strText = text;
    return run;
}
HtmlRun Bold(const std::string& text) {
    HtmlRun run = Plain(text);
    run.bBold = 1;
    return run;
}

TEST(HtmlImport, BrowserSpansGiveFaceSizeWeightAndColour) {
    const std::vector<HtmlRun> runs = ReadHtmlRuns(
        "<html><body><!--StartFragment-->"
        "<span style=\"font-family: Arial, sans-serif; font-size: 12pt; font-weight: bold; "
        "color: #ff0000\">Red</span>"
        "<span style=\"font-size: 20px; color: rgb(0, 128, 255)\">Big</span>"
        "<span style=\"font-size: 10.5pt; font-weight: 600\">Semi</span>"
        "<span style=\"font-weight: 500\">Medium</span>"
        "<span style=\"text-decoration: underline; font-style: italic\">Under</span>"
        "<!--EndFragment--></body></html>");
    HtmlRun red = Bold("Red");
    red.strFace = "Arial";
    red.nPixelSize = 16;  // 12 * 96 / 72
    red.bColor = true;
    red.nRed = 255;
    HtmlRun big = Plain("Big");
    big.nPixelSize = 20;
    big.bColor = true;
    big.nGreen = 128;
    big.nBlue = 255;
    HtmlRun semi = Bold("Semi");
    semi.nPixelSize = 14;  // 10.5 * 96 / 72
    HtmlRun under = Plain("Under");
    under.bUnderline = 1;
    under.bItalic = 1;
    EXPECT_EQ(runs, (std::vector<HtmlRun>{red, big, semi, Plain("Medium"), under}));
}

TEST(HtmlImport, TagsForBoldItalicUnderlineAndScripts) {
    const std::vector<HtmlRun> runs = ReadHtmlRuns(
        "a<b>b</b><i>c</i><u>d</u>x<sup>2</sup>y<sub>3</sub>"
        "<font color=\"#00FF00\">g</font>");
    HtmlRun italic = Plain("c");
    italic.bItalic = 1;
    HtmlRun underline = Plain("d");
    underline.bUnderline = 1;
    HtmlRun super = Plain("2");
    super.nVertical = 1;
    HtmlRun sub = Plain("3");
    sub.nVertical = 2;
    HtmlRun green = Plain("g");
    green.bColor = true;
    green.nGreen = 255;
    EXPECT_EQ(runs, (std::vector<HtmlRun>{Plain("a"), Bold("b"), italic, underline, Plain("x"),
                                          super, Plain("y"), sub, green}));
}

TEST(HtmlImport, LineBreaksParagraphsAndJoinedRuns) {
    // <br> and the end of each paragraph give one line break; the same format is one run.
    EXPECT_EQ(ReadHtmlRuns("<p>one<br>two</p><p>three</p>"),
              (std::vector<HtmlRun>{Plain("one\ntwo\nthree")}));
    EXPECT_EQ(ReadHtmlRuns("<b>a</b><b>b</b><strong>c</strong>"),
              (std::vector<HtmlRun>{Bold("abc")}));
    // A line break between blocks joins the text before it. An empty paragraph shows as
    // nothing (as in a browser); one holding a space is a line of its own. Nothing is kept
    // before the first text or after the last.
    EXPECT_EQ(ReadHtmlRuns("<p></p><p><b>a</b></p><p></p><p>&nbsp;</p><p>b</p><p></p>"),
              (std::vector<HtmlRun>{Bold("a\n"), Plain(" \nb")}));
    // Non-breaking spaces are spaces.
    EXPECT_EQ(ReadHtmlRuns("x&nbsp;&nbsp;y"), (std::vector<HtmlRun>{Plain("x  y")}));
}

TEST(HtmlImport, WordParagraphs) {
    // As Word writes HTML: a class, a style sheet of its own, inline styles with quoted
    // faces, office tags.
    const std::string html = std::string(
                                 "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
                                 "<head><style><!-- /* Style Definitions */ p.MsoNormal "
                                 "{margin:0cm; font-size:10.5pt; "
                                 "mso-bidi-font-size:11.0pt;} --></style></head>"
                                 "<body lang=ZH-CN><!--StartFragment-->"
                                 "<p class=MsoNormal><span lang=EN-US style='font-family:"
                                 "\"Times New Roman\",serif'>Word</span><b><span "
                                 "style='font-family:") +
                             kSongTi + "'>" + kZhongWen +
                             "</span></b><o:p></o:p></p>"
                             "<p class=MsoNormal><span style='font-size:16.0pt;color:#C00000'>"
                             "Next<o:p>&nbsp;</o:p></span></p>"
                             "<!--EndFragment--></body></html>";
    const std::vector<HtmlRun> runs = ReadHtmlRuns(html);
    HtmlRun word = Plain("Word");
    word.strFace = "Times New Roman";
    word.nPixelSize = 14;  // the paragraph's 10.5 points
    HtmlRun chinese = Bold(std::string(kZhongWen) + "\n");
    chinese.strFace = kSongTi;
    chinese.nPixelSize = 14;
    HtmlRun next = Plain("Next ");
    next.nPixelSize = 21;  // 16 * 96 / 72 = 21.33
    next.bColor = true;
    next.nRed = 0xC0;
    EXPECT_EQ(runs, (std::vector<HtmlRun>{word, chinese, next}));
}

TEST(HtmlImport, BrowsersQuoteFaceNamesWithEntities) {
    // As a browser serialises a selection: the face quoted with &quot; in the attribute,
    // which is the text's face; a &quot; in the text is a quotation mark.
    const std::vector<HtmlRun> runs = ReadHtmlRuns(
        "<meta charset='utf-8'><span style=\"font-family: &quot;Courier New&quot;, monospace; "
        "font-size: 13px;\">say &quot;hi&quot;</span><span style='color: red'>!</span>");
    HtmlRun say = Plain("say \"hi\"");
    say.strFace = "Courier New";
    say.nPixelSize = 13;
    HtmlRun bang = Plain("!");
    bang.bColor = true;
    bang.nRed = 255;
    EXPECT_EQ(runs, (std::vector<HtmlRun>{say, bang}));
}

TEST(HtmlImport, LibreOfficeFontTags) {
    const std::vector<HtmlRun> runs = ReadHtmlRuns(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html><head>"
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/></head><body>"
        "<p style=\"margin-bottom: 0cm\"><font face=\"Liberation Serif\"><font size=\"3\" "
        "style=\"font-size: 12pt\">Hello </font></font><font face=\"Liberation Serif\"><font "
        "size=\"3\" style=\"font-size: 12pt\"><b>world</b></font></font></p></body></html>");
    HtmlRun hello = Plain("Hello ");
    hello.strFace = "Liberation Serif";
    hello.nPixelSize = 16;
    HtmlRun world = hello;
    world.strText = "world";
    world.bBold = 1;
    EXPECT_EQ(runs, (std::vector<HtmlRun>{hello, world}));
}

TEST(HtmlImport, TablesGiveTheTextOfTheirCellsAndPicturesNothing) {
    EXPECT_EQ(ReadHtmlRuns("<table border=1><tr><td>x</td><td>y</td></tr><tr><td>z</td></tr>"
                           "</table>"),
              (std::vector<HtmlRun>{Plain("x\ny\nz")}));
    EXPECT_EQ(ReadHtmlRuns("before<table><tr><td>cell</td></tr></table>after"),
              (std::vector<HtmlRun>{Plain("before\ncell\nafter")}));
    EXPECT_EQ(ReadHtmlRuns("<p>a<img src=\"picture.png\" width=10 height=10>b</p>"),
              (std::vector<HtmlRun>{Plain("ab")}));
    EXPECT_EQ(ReadHtmlRuns("<img src=\"picture.png\">"), std::vector<HtmlRun>{});
}

TEST(HtmlImport, TextIsGbkAndWhatGbkCannotHoldIsLeftOut) {
    // 中 written as a character reference, an emoji and Hangul that GBK lacks.
    EXPECT_EQ(ReadHtmlRuns(std::string(kZhongWen) + "&#x4E2D;&#x1F600;&#xD55C;!"),
              (std::vector<HtmlRun>{Plain(std::string(kZhongWen) + "\xD6\xD0!")}));
    // A run left with no text goes, and its neighbours of one format join.
    EXPECT_EQ(ReadHtmlRuns("a<b>&#x1F600;</b>b"), (std::vector<HtmlRun>{Plain("ab")}));
}

TEST(HtmlImport, UntrustedInputIsReadAsFarAsItGoes) {
    EXPECT_EQ(ReadHtmlRuns(""), std::vector<HtmlRun>{});
    EXPECT_EQ(ReadHtmlRuns("<b"), std::vector<HtmlRun>{});
    // Control characters other than the tab and the line feed are no text of a page (a zero
    // byte would end its markup).
    EXPECT_EQ(ReadHtmlRuns(std::string("a\0b\x01"
                                       "c\x7F",
                                       6) +
                           "\td"),
              (std::vector<HtmlRun>{Plain("abc d")}));
    EXPECT_EQ(ReadHtmlRuns("<span style=\"font-size: 99999999pt; color: #zzz\">q</span>"),
              (std::vector<HtmlRun>{Plain("q")}));
    // Unclosed tags, stray bytes (0x80, a lead byte at the end).
    const std::vector<HtmlRun> broken = ReadHtmlRuns("<p><b><i>x</p></table>\x80<<>&amp\xD6");
    ASSERT_FALSE(broken.empty());

    // Only the first 4 MB are read, never splitting a character: the one that would be
    // split at the limit is left out with everything after it.
    const std::size_t nLimit = std::size_t{4} << 20;
    std::string huge(nLimit - 1, 'a');
    huge += kZhongWen;
    huge += "tail";
    const std::vector<HtmlRun> runs = ReadHtmlRuns(huge);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].strText.size(), nLimit - 1);
    EXPECT_EQ(runs[0].strText.find_first_not_of('a'), std::string::npos);
}

}  // namespace
