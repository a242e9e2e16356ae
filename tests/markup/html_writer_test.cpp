#include <gtest/gtest.h>

#include "markup_test_support.h"

namespace {

using namespace markup_test;

std::string Html(CMyList& list) {
    std::string out = "stale";
    CWordAnalyzer().CodeGeneration(out, &list, 1);
    return out;
}

std::string HtmlOf(std::initializer_list<CLink*> links) {
    CMyList list;
    for (CLink* p : links)
        list.Append(p);
    return Html(list);
}

std::string Anchor(CLink* p) {
    CMyList list;
    list.Append(p);
    list.First();
    std::string out = "stale";
    int n = CWordAnalyzer().FillHotLink(&list, out, 1);
    return std::to_string(n) + ":" + out;
}

const std::string kSongTiFont = "<Font Face=\"" + kSongTi + "\" Size=\"2\" Color=\"#000000\">";

TEST(HtmlWriterTest, TextCarriesItsFormatAndEntities) {
    EXPECT_EQ(HtmlOf({NewText("a b", {.size = 12, .bold = 1, .red = 255})}),
              "<Font Face=\"" + kSongTi + "\" Size=\"2\" Color=\"#ff0000\"><B>a&nbsp;b</B></Font>");
    EXPECT_EQ(HtmlOf({NewText("x  <y>&\"z'" + kChinese)}),
              kSongTiFont + "x&nbsp;&nbsp;&lt;y&gt;&amp;&quot;z'" + kChinese + "</Font>");
    // All three styles nest in a fixed order; the colour is written as the editor draws it.
    EXPECT_EQ(HtmlOf({NewText("s", {.face = "Arial",
                                    .size = 40,
                                    .italic = 1,
                                    .bold = 1,
                                    .underline = 1,
                                    .red = 0x1AB,
                                    .green = 16,
                                    .blue = -1})}),
              "<Font Face=\"Arial\" Size=\"7\" Color=\"#ab10ff\"><I><B><U>s</U></B></I></Font>");
    // A break closes the format, starts a paragraph and opens the format again.
    const std::string italic = "<Font Face=\"" + kSongTi + "\" Size=\"2\" Color=\"#000000\"><I>";
    EXPECT_EQ(
        HtmlOf({NewText("a\nb\rc", {.italic = 1})}),
        italic + "a</I></Font>\n<p>" + italic + "b</I></Font>\n<p>" + italic + "c</I></Font>");
    // A face name cannot end its attribute.
    EXPECT_EQ(HtmlOf({NewText("", {.face = "A\"&B"})}),
              "<Font Face=\"A&quot;&amp;B\" Size=\"2\" Color=\"#000000\"></Font>");
}

TEST(HtmlWriterTest, FontSizesMapToTheSevenHtmlSizes) {
    const std::pair<int, int> cases[] = {{-3, 1}, {8, 1},  {9, 2},  {12, 2}, {13, 3}, {18, 3},
                                         {19, 4}, {24, 4}, {25, 5}, {36, 5}, {37, 7}, {400, 7}};
    for (auto [size, html] : cases) {
        std::string out = HtmlOf({NewText("", {.size = size})});
        EXPECT_NE(out.find("Size=\"" + std::to_string(html) + "\""), std::string::npos)
            << size << ": " << out;
    }
}

TEST(HtmlWriterTest, ObjectsBecomeImagesAndInputs) {
    // Formula pictures are published under the lower-case name with ".gif"; the size is the
    // element's own, scaled.
    EXPECT_EQ(HtmlOf({NewObject(kKindFormula, {T("Formula\\SUM.FML"), N(150), N(96), N(41)})}),
              "<Img SRC=\"formula\\sum.gif\" width=\"144\" height=\"61\" "
              "alt=\"Formula\\SUM.FML\">");
    EXPECT_EQ(HtmlOf({NewObject(kKindFormula, {T("A.fmlB.FML" + kChinese), N(100), N(1), N(2)})}),
              "<Img SRC=\"a.gif\" width=\"1\" height=\"2\" alt=\"A.fmlB.FML" + kChinese + "\">");
    // Two-byte characters keep their bytes, even those that look like capitals.
    EXPECT_EQ(HtmlOf({NewObject(kKindFormula, {T("\xb0\x41X"), N(100), N(0), N(0)})}),
              "<Img SRC=\"\xb0\x41x.gif\" width=\"0\" height=\"0\" alt=\"\xb0\x41X\">");
    EXPECT_EQ(HtmlOf({NewObject(kKindEdit, {N(160), N(20), T(kChinese + "\"1&2\"")})}),
              "<input type=\"text\" name=\"" + kChinese + "&quot;1&amp;2&quot;\" size=\"20\">");
    // Scores, clocks and column frames have no HTML form; a picture that never loaded writes
    // nothing, not even its anchor.
    EXPECT_EQ(HtmlOf({NewObject(kKindPageScore, {T("5")}), NewObject(kKindDate, {}),
                      NewObject(kKindMultiColumn, {N(2), N(8), N(100), N(100)}),
                      NewObject(kKindStartColumn, {}), NewObject(kKindEndColumn, {}),
                      SetHotLink(NewObject(kKindImage, {T("a.bmp"), N(0), N(100)}), 0, {T("P")}),
                      NewObject(kKindColumnFrame, {})}),
              "");
}

TEST(HtmlWriterTest, ChecksAreRadioButtonsOfTheLatestChoice) {
    const std::string box = "<input type=\"checkbox\" name=\"checkbox\" value=\"checkbox\">";
    auto radio = [](int n) {
        return "<input type=\"radio\" name=\"radioButton" + std::to_string(n) +
               "\" value=\"radiobutton\">";
    };
    CMyList list;
    for (CLink* p : {NewObject(kKindCheck, {N(0)}), NewObject(kKindChoice, {N(1), N(4)}),
                     NewObject(kKindCheck, {N(1)}), NewObject(kKindCheck, {N(0)}),
                     NewObject(kKindChoice, {N(0), N(2)}), NewObject(kKindCheck, {N(0)}),
                     NewObject(kKindChoice, {N(0), N(0)}), NewObject(kKindCheck, {N(0)})})
        list.Append(p);
    const std::string expected = box + radio(1) + radio(1) + radio(2) + box;
    EXPECT_EQ(Html(list), expected);
    // The groups start again with every call, whichever mode the call before was in.
    EXPECT_EQ(Html(list), expected);
    CMyList choiceOnly;
    choiceOnly.Append(NewObject(kKindChoice, {N(0), N(3)}));
    Html(choiceOnly);
    Write(choiceOnly);
    EXPECT_EQ(HtmlOf({NewObject(kKindCheck, {N(0)})}), box);
}

TEST(HtmlWriterTest, HotLinksBecomeAnchorsByAction) {
    const std::pair<CLink*, std::string> cases[] = {
        {SetHotLink(NewText(""), 0, {T("P")}), "1:<a Href=\"P.htm\">"},
        {SetHotLink(NewText(""), 1, {N(1), N(2), N(3), N(4), T("Q")}),
         "1:<a Href=\"Q.htm\" target=_blank>"},
        {SetHotLink(NewText(""), 2, {N(1), N(2), T("R")}), "1:<a Href=\"R.htm\" target=_blank>"},
        {SetHotLink(NewText(""), 3, {N(7), T(kChinese)}),
         "1:<a Href=\"javascript:changeSubPage(7," + kChinese + ".htm)\">"},
        {SetHotLink(NewText(""), 5, {T("S")}), "1:<a Href=\"S.htm\" target=_blank>"},
        {SetHotLink(NewText(""), 20), "1:<a Href=\"window.close()\">"},
        {SetHotLink(NewText(""), 23, {T("calc.exe"), T(""), T("C:\\")}), "1:<a Href=\"calc.exe\">"},
        {SetHotLink(NewText(""), 30, {T("http://a/?x=1&y=\"2\"")}),
         "1:<a Href=\"http://a/?x=1&amp;y=&quot;2&quot;\">"},
        {SetHotLink(NewText(""), 31), "1:<a Href=\"parent.history.back()\">"},
        {SetHotLink(NewText(""), 4, {T("P")}), "0:"},
        {SetHotLink(NewText(""), 10, {T("a.wav")}), "0:"},
        {SetHotLink(NewText(""), 21), "0:"},
        {SetHotLink(NewText(""), -1), "0:"},
    };
    for (const auto& [pLink, anchor] : cases)
        EXPECT_EQ(Anchor(pLink), anchor);

    // Text inside an anchor closes it; an action without one writes the text alone.
    EXPECT_EQ(HtmlOf({SetHotLink(NewText("t"), 0, {T("P")})}),
              "<a Href=\"P.htm\">" + kSongTiFont + "t</Font></a>");
    EXPECT_EQ(HtmlOf({SetHotLink(NewText("t"), 10, {T("P")})}), kSongTiFont + "t</Font>");
    CMyList empty;
    std::string out = "stale";
    EXPECT_EQ(CWordAnalyzer().FillHotLink(&empty, out, 1), 0);
    EXPECT_EQ(out, "");
}

TEST(HtmlWriterTest, CharBufferFormsAndLineBreaksOutsideText) {
    CMyList list;
    list.Append(NewText("a\nb", {.bold = 1}));
    list.Append(NewObject(kKindEdit, {N(8), N(0), T("x\r\ny")}));
    char buffer[512] = "stale";
    CWordAnalyzer().CodeGeneration(buffer, &list, 1);
    const std::string bold = "<Font Face=\"" + kSongTi + "\" Size=\"2\" Color=\"#000000\"><B>";
    // A break inside an attribute stays in the value instead of starting a paragraph.
    EXPECT_EQ(std::string(buffer), bold + "a</B></Font>\n<p>" + bold +
                                       "b</B></Font><input type=\"text\" "
                                       "name=\"x&#13;&#10;y\" size=\"1\">");
    // appendstr in the HTML mode breaks with the format of the last text written.
    char szOut[128] = "<";
    CWordAnalyzer().appendstr("1\n2", szOut, 1);
    EXPECT_EQ(std::string(szOut), "<1</B></Font>\n<p>" + bold + "2");
}

}  // namespace
