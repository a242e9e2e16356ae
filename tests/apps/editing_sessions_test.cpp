// Editing sessions played as a user plays them, through the keyboard, the input method and the
// mouse: each expected caret, selection and page follows from the editor's rules for moving
// the caret, hit testing, typing and deletion, worked out by hand for the page at hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "session_fixture.h"

namespace {

// The example picture, 120 x 80 pixels.
const std::string kPicture = "<Image('Image\\Map.bmp',0,100)>";

class EditingSessionTest : public SessionFixture {};

// --- Moving one step ---------------------------------------------------------------------------

TEST_F(EditingSessionTest, LeftAndRightStepOverCharactersWordsAndObjects) {
    // a and b are one word, the Chinese character a word of two bytes, c a word of its own.
    Open(Arial("ab中c"));
    EXPECT_EQ(Out("print caret\n"
                  "key Right\nprint caret\nkey Right\nprint caret\nkey Right\nprint caret\n"
                  "key Right\nprint caret\nkey Right\nprint caret\n"),
              "0 0 0\n0 0 1\n0 1 0\n0 2 0\n0 3 0\n0 3 0\n");
    EXPECT_EQ(Out("key Left\nprint caret\nkey Left\nprint caret\nkey Left\nprint caret\n"
                  "key Left\nprint caret\nkey Left\nprint caret\n"),
              "0 2 0\n0 1 0\n0 0 1\n0 0 0\n0 0 0\n");
}

TEST_F(EditingSessionTest, APictureIsOneStepAndThePlaceAfterAnElementIsTheNextOnesStart) {
    Open(Arial("ab") + kPicture + Arial("cd"));
    // After the b is the start of the picture; one step passes the whole picture.
    EXPECT_EQ(Out("key Right\nkey Right\nprint caret\nkey Right\nprint caret\n"), "1 0 0\n2 0 0\n");
    EXPECT_EQ(Out("key Left\nprint caret\nkey Left\nprint caret\n"), "1 0 0\n0 0 1\n");
    // The page ends with a Text element: its end is written with the word count.
    EXPECT_EQ(Out("key End\nprint caret\n"), "2 1 0\n");
}

// --- Rows: Home, End, Up, Down, and where the caret is drawn -----------------------------------

TEST_F(EditingSessionTest, EndStopsBeforeARowsLastCharacterAndOnTheLastRowAtTheEnd) {
    // 150 letters are one word too long for a 300 pixel line: broken between bytes.
    Open(Arial(std::string(150, 'a')), 300);
    const std::string rows = Out("print rows\n");
    int nHeight = 0, nLink = -1, nWord = -1, nChar = -1;
    const std::size_t second = rows.find('\n') + 1;
    ASSERT_EQ(std::sscanf(rows.c_str() + second, "%d %d %d %d", &nHeight, &nLink, &nWord, &nChar),
              4);
    ASSERT_EQ(nLink, 0);
    ASSERT_GT(nChar, 1);
    // End on the first row: the start of the next row, one step back.
    EXPECT_EQ(Out("key End\nprint caret\n"), "0 0 " + std::to_string(nChar - 1) + "\n");
    // Home: the row's start; Down and Home: the second row's start.
    EXPECT_EQ(Out("key Home\nprint caret\nkey Down\nkey Home\nprint caret\n"),
              "0 0 0\n0 0 " + std::to_string(nChar) + "\n");
    // Up from the second row's start goes to the first row's start.
    EXPECT_EQ(Out("key Up\nprint caret\nkey Up\nprint caret\n"), "0 0 0\n0 0 0\n");
}

TEST_F(EditingSessionTest, RowMovesOverPicturesAndTheCaretStandsOnTheRowsFoot) {
    // Three pictures of 120 on a 200 pixel line: one per row, each row 80 + 2 high.
    Open(kPicture + kPicture + kPicture, 200);
    EXPECT_EQ(Out("print rows\n"), "82 0 0 0\n82 1 0 0\n82 2 0 0\nend\n");
    // End on the last row of a page that ends with a picture: after it, the element count.
    EXPECT_EQ(Out("key Down\nkey Down\nprint caret\nkey End\nprint caret\n"), "2 0 0\n3 0 0\n");
    // Down on the last row and Up on the first do nothing.
    EXPECT_EQ(Out("key Down\nprint caret\n"), "3 0 0\n");
    EXPECT_EQ(Out("key Home\nkey Up\nkey Up\nkey Up\nprint caret\n"), "0 0 0\n");
    // A cursor at the start of row 1 is drawn at the left edge of row 1, with its height;
    // the caret is as tall as the picture before it and stands on the foot of the row.
    EXPECT_EQ(Out("key Right\nprint caret\nprint caretbox\n"), "1 0 0\n0 84 2 80\n");
    // At the start of the page the caret height comes from the element there.
    EXPECT_EQ(Out("key Left\nprint caretbox\n"), "0 2 2 80\n");
}

TEST_F(EditingSessionTest, TheCaretIsAsTallAsTheTextBeforeItRaisedOrNot) {
    Open("<Font('Arial',20,0,0,0)><FootNote(0)>ab</FootNote></Font>");
    const std::string box = Out("key End\nprint caretbox\n");
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(std::sscanf(box.c_str(), "%d %d %d %d", &x, &y, &w, &h), 4) << box;
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 20);  // the size, not halved for raised text
}

// --- Hit testing ------------------------------------------------------------------------------

TEST_F(EditingSessionTest, AClickLandsBeforeWhatItHitsOnTheRowUnderThePoint) {
    // Rows of 82: a point on the top edge of a row belongs to that row.
    Open(kPicture + kPicture + kPicture, 200);
    EXPECT_EQ(Out("click 0 82\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Out("click 0 81\nprint caret\n"), "0 0 0\n");
    EXPECT_EQ(Out("click 5 0\nprint caret\n"), "0 0 0\n");
    EXPECT_EQ(Out("click 0 164\nprint caret\n"), "2 0 0\n");
    // Inside a picture, at its right edge and right of the row's end: before it, as the place
    // after it starts the next row; on the last row the place after it is the page's end.
    EXPECT_EQ(Out("click 119 100\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Out("click 120 100\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Out("click 190 100\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Out("click 190 200\nprint caret\n"), "3 0 0\n");
    // Below the text: the end of the page.
    EXPECT_EQ(Out("click 50 390\nprint caret\n"), "3 0 0\n");
}

TEST_F(EditingSessionTest, AClickInTheRightHalfOfAChineseCharacterLandsBeforeIt) {
    Open(kPicture + Arial("中文"), 600);
    // The character after the 120 pixel picture is at least 11 pixels wide at size 12.
    EXPECT_EQ(Out("click 130 70\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Out("click 90 70\nprint caret\n"), "0 0 0\n");
}

// --- The selection by Shift and the keys ------------------------------------------------------

TEST_F(EditingSessionTest, ShiftAndTheArrowsSelectAndAPlainMoveClearsTheSelection) {
    Open("");
    // Typing leaves the cursor after the text, (1, 0, 0); both selection ends follow it. Every
    // paint draws the selection (empty or not), and every drawing of it sets m_bSelected.
    EXPECT_EQ(Out("type abcdef\nprint caret\nprint selection\n"), "1 0 0\n1 0 0 1 0 0 1 0\n");
    // Selecting backwards: the ends are put in order when Shift is released.
    EXPECT_EQ(Out("key Shift\nkey Left\nkey Left\nprint selection\nkeyup Shift\n"
                  "print selection\n"),
              "1 0 0 0 0 4 1 1\n0 0 4 1 0 0 1 0\n");
    // A move without Shift clears the shown selection: both ends are the cursor.
    EXPECT_EQ(Out("key Left\nprint caret\nprint selection\n"), "0 0 3\n0 0 3 0 0 3 1 0\n");
    // Three steps right with Shift from the start.
    EXPECT_EQ(Out("key Home\nkey Right shift\nkey Right shift\nkey Right shift\nkeyup Shift\n"
                  "print selection\n"),
              "0 0 0 0 0 3 1 0\n");
}

TEST_F(EditingSessionTest, CtrlWithAnArrowMovesTheCaretAndKeepsTheSelectionEnds) {
    Open(Arial("abc"));
    EXPECT_EQ(Out("key End\nkey Home\nprint selection\nkey Right ctrl\nprint caret\n"
                  "print selection\n"),
              "0 0 0 0 0 0 1 0\n0 0 1\n0 0 0 0 0 0 1 0\n");
    EXPECT_EQ(Out("key Right ctrl\nkey Right\nprint caret\nprint selection\n"),
              "0 1 0\n0 1 0 0 1 0 1 0\n");
}

// --- Typing -----------------------------------------------------------------------------------

TEST_F(EditingSessionTest, TypedTextJoinsTheRunOfItsFormat) {
    Open(Times("ab"));
    // Clicking into the run makes its format the current one: the text goes into it.
    EXPECT_EQ(Out("key Right\ntype xy\nprint caret\n"), "0 0 3\n");
    EXPECT_EQ(Markup(), Times("axyb") + "\n");
    // At the end of the run the run grows; no element is added.
    EXPECT_EQ(Out("key End\ntype z\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), Times("axybz") + "\n");
}

TEST_F(EditingSessionTest, TypingBeforeAPictureExtendsTheRunBeforeItOrStartsOne) {
    // The format stays the run's when the cursor moves onto the picture.
    Open(Times("ab") + kPicture);
    EXPECT_EQ(Out("key Right\nkey Right\nprint caret\ntype x\nprint caret\n"), "1 0 0\n1 0 0\n");
    EXPECT_EQ(Markup(), Times("abx") + kPicture + "\n");
    // A page that starts with a picture: a new run in the current format goes before it.
    Open(kPicture);
    EXPECT_EQ(Out("type x\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), TextRun("Arial", 28, "x") + kPicture + "\n");
}

TEST_F(EditingSessionTest, EnterTabEscapeAndControlCharacters) {
    Open("");
    // Enter is one line feed (written "&" CR LF), Tab four spaces; Escape and Ctrl with a letter
    // that is no shortcut type nothing.
    Out("type a\nkey Enter\ntype b\\tc\nkey Escape\nkey Q ctrl\nkey W ctrl\n");
    EXPECT_EQ(Gbk(), "<Font('Arial',28,0,0,0)><Color(0,0,0)>a&\r\nb    c</Color></Font>");
    // The line feed ends the first row: two rows.
    const std::string rows = Out("print rows\n");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3) << rows;
}

TEST_F(EditingSessionTest, ChineseTextArrivesAsTwoByteCharactersByKeysAndInputMethod) {
    Open("");
    EXPECT_EQ(Out("type 中\nime 文字\nprint caret\nkey Left\nprint caret\n"), "1 0 0\n0 2 0\n");
    // A lead byte and a trail byte below 0x80 are still one character of two bytes.
    Out("key End\nchar 0x81\nchar 0x41\n");
    EXPECT_EQ(Gbk(),
              "<Font('Arial',28,0,0,0)><Color(0,0,0)>"
              "\xd6\xd0\xce\xc4\xd7\xd6\x81\x41</Color></Font>");
    EXPECT_EQ(Out("key Left\nprint caret\n"), "0 3 0\n");
}

TEST_F(EditingSessionTest, TypingReplacesTheSelection) {
    Open(Arial("abcdef"));
    Out("key Right\nkey Shift\nkey Right\nkey Right\nkey Right\nkeyup Shift\ntype X\n");
    EXPECT_EQ(Markup(), Arial("aXef") + "\n");
    EXPECT_EQ(Out("print caret\nprint selection\n").substr(0, 18), "0 0 2\n0 0 2 0 0 2 ");
}

// --- Deletion ---------------------------------------------------------------------------------

TEST_F(EditingSessionTest, BackspaceRemovesTheCharacterOrObjectBeforeTheCaret) {
    Open(Arial("ab") + kPicture + Times("cd"));
    // After the picture: the picture goes.
    EXPECT_EQ(Out("key Right\nkey Right\nkey Right\nprint caret\nkey Back\nprint caret\n"),
              "2 0 0\n1 0 0\n");
    EXPECT_EQ(Markup(), Arial("ab") + Times("cd") + "\n");
    // At the start of a run: the last character of the run before it.
    EXPECT_EQ(Out("key Back\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), Arial("a") + Times("cd") + "\n");
    // A run of one character before the caret goes whole.
    EXPECT_EQ(Out("key Back\nprint caret\nkey Back\nprint caret\n"), "0 0 0\n0 0 0\n");
    EXPECT_EQ(Markup(), Times("cd") + "\n");

    // A run holding one Chinese character goes whole, both bytes.
    Open(Arial("中") + Times("xy"));
    EXPECT_EQ(Out("key Right\nprint caret\nkey Back\nprint caret\n"), "1 0 0\n0 0 0\n");
    EXPECT_EQ(Markup(), Times("xy") + "\n");
    // Inside a run: the character before the caret, two bytes for a Chinese one.
    Open(Arial("a中b"));
    // The letters either side are one word now.
    EXPECT_EQ(Out("key Right\nkey Right\nkey Back\nprint caret\n"), "0 0 1\n");
    EXPECT_EQ(Markup(), Arial("ab") + "\n");
}

TEST_F(EditingSessionTest, DeletingTheOnlyCharacterLeavesAnEmptyPageToTypeInto) {
    Open(Times("a"));
    EXPECT_EQ(Out("key End\nkey Back\nprint caret\nprint rows\n"), "0 0 0\n18 0 0 0\nend\n");
    EXPECT_EQ(Markup(), "\n");
    // The next text starts a run in the current format, the run's that was deleted.
    EXPECT_EQ(Out("type z\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), Times("z") + "\n");
    // Delete on the only character likewise.
    EXPECT_EQ(Out("key Home\nkey Delete\nprint caret\n"), "0 0 0\n");
    EXPECT_EQ(Markup(), "\n");
}

TEST_F(EditingSessionTest, DeleteRemovesWhatFollowsTheCaretOrOnlyTheSelection) {
    Open(Arial("ab") + kPicture + Arial("cd"));
    // Before the picture: the picture goes, the caret stays.
    EXPECT_EQ(Out("key Right\nkey Right\nkey Delete\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), Arial("ab") + Arial("cd") + "\n");
    // Inside a run: the next character.
    EXPECT_EQ(Out("key Home\nkey Delete\nprint caret\n"), "0 0 0\n");
    EXPECT_EQ(Markup(), Arial("b") + Arial("cd") + "\n");
    // At the end of the page: nothing.
    EXPECT_EQ(Out("key End\nkey Delete\nprint caret\n"), "1 1 0\n");
    EXPECT_EQ(Markup(), Arial("b") + Arial("cd") + "\n");
    // With a selection: only the selection.
    EXPECT_EQ(Out("key Left\nkey Shift\nkey Left\nkeyup Shift\nkey Delete\nprint caret\n"),
              "1 0 0\n");
    EXPECT_EQ(Markup(), Arial("b") + Arial("d") + "\n");
}

}  // namespace
