// Selection, cut, copy, paste and undo played as a user plays them: the mouse drags, the
// keys and the shortcuts, the editor's commands, and other programs filling the clipboard.
// Each expected page, cursor and selection is worked out by hand from the editor's rules for
// selecting, removing a range, copying it, inserting what is pasted and undoing a change.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "document/link.h"
#include "document/my_list.h"
#include "editor/tessel_edit.h"
#include "editor_host.h"
#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/user_input.h"
#include "player.h"
#include "program_dir.h"
#include "session_fixture.h"

namespace {

namespace fs = std::filesystem;
using tessel::cli::EditorHost;

// The editor's starting format: Arial 28, plain, black.
std::string StartRun(const std::string& utf8) {
    return TextRun("Arial", 28, utf8);
}
// The example picture (120 x 80 pixels) at half size.
const std::string kHalfPicture = "<Image('Image\\Map.bmp',0,50)>";
const std::string kFrameIn = Frame(Arial("left"), Times("right"), 120);
const std::string kFrameOut = Frame(Arial("left"), Times("right"), 480);

std::string Rights(int n) {
    return Repeat("key Right\n", n);
}

// The text of every Text element of a list, one after another.
std::string ListText(const CMyList& list) {
    std::string text;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext)
        if (p->m_nKind == kKindText) text += p->m_Command[0].strText;
    return text;
}

// The share of dark pixels in a box of a picture.
double DarkShare(const QImage& image, int x0, int y0, int x1, int y1) {
    int nDark = 0, nAll = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            ++nAll;
            if (qGray(image.pixel(x, y)) < 100) ++nDark;
        }
    }
    return nAll ? static_cast<double>(nDark) / nAll : 0.0;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ClipboardSessionTest : public SessionFixture {
  protected:
    ClipboardSessionTest()
        : SessionFixture("tessel-clipboard-sessions-", {.bClipboard = true, .bNoReports = true}) {}

    static std::unique_ptr<EditorHost> OpenHost(const std::string& utf8Markup, int nWidth = 600) {
        return SessionFixture::OpenHost(ExampleSettings(nWidth), utf8Markup);
    }
    // Every script must run to its end with nothing to report.
    // What an undo must give back: the page, the cursor and the selection.
    std::string State() { return Out("print markup\nprint caret\nprint selection\n"); }

    // The x of the caret after the moves, in the editor's client coordinates.
    int CaretX(const std::string& moves) {
        int x = -1, y = 0, w = 0, h = 0;
        const std::string box = Out(moves + "print caretbox\n");
        EXPECT_EQ(std::sscanf(box.c_str(), "%d %d %d %d", &x, &y, &w, &h), 4) << box;
        return x;
    }
    // The column editors of the page's frames, in the order of their frame numbers.
    std::vector<CTesselEdit*> Columns() {
        std::vector<CTesselEdit*> columns;
        for (auto& frame : Editor().m_pChildEdit) {
            for (CTesselEdit* p : frame)
                if (p) columns.push_back(p);
        }
        return columns;
    }
};

// --- Selecting with the mouse -----------------------------------------------------------------

// Two runs on one row, 14 high: "abcdef" (element 0) and "mnopqr" (element 1). A point a
// pixel or two right of a position's x lands on that position (the last one of the row whose
// x is not right of the point), as the letters d and p are wider than that.
class ClipboardSessionMouseTest : public ClipboardSessionTest {
  protected:
    void SetUp() override {
        ClipboardSessionTest::SetUp();
        Open(Arial("abcdef") + Times("mnopqr"));
        // After "abc" is (0, 0, 3); after "mno" (1, 0, 3): six steps to the second run's start.
        ASSERT_EQ(Out("key Home\n" + Rights(3) + "print caret\n"), "0 0 3\n");
        m_strA = std::to_string(CaretX("key Home\n" + Rights(3)) + 2) + " 7";
        ASSERT_EQ(Out("key Home\n" + Rights(9) + "print caret\n"), "1 0 3\n");
        m_strB = std::to_string(CaretX("key Home\n" + Rights(9)) + 2) + " 7";
        Out("key Home\n");
    }
    std::string m_strA, m_strB;
};

TEST_F(ClipboardSessionMouseTest, ADragEitherWayGivesOrderedEndsAfterTheRelease) {
    // While the button is held the end follows the cursor; the release puts the ends in
    // order. Every paint draws the selection, so the shown flag reads 1; no Shift selection.
    EXPECT_EQ(Out("down " + m_strA + "\nmove " + m_strB + "\nprint selection\nprint caret\nup " +
                  m_strB + "\nprint selection\nprint caret\n"),
              "0 0 3 1 0 3 1 0\n1 0 3\n0 0 3 1 0 3 1 0\n1 0 3\n");
    // Backwards: during the drag the start is where it began, after the release the ends are
    // swapped; the cursor stays where the button was released.
    EXPECT_EQ(Out("down " + m_strB + "\nmove " + m_strA + "\nprint selection\nup " + m_strA +
                  "\nprint selection\nprint caret\n"),
              "1 0 3 0 0 3 1 0\n0 0 3 1 0 3 1 0\n0 0 3\n");
}

TEST_F(ClipboardSessionMouseTest, AClickWithoutDraggingLeavesBothEndsAtTheClickedPlace) {
    // A shown selection first, which the press replaces.
    Out("down " + m_strA + "\nmove " + m_strB + "\nup " + m_strB + "\n");
    EXPECT_EQ(Out("click " + m_strB + "\nprint selection\nprint caret\n"),
              "1 0 3 1 0 3 1 0\n1 0 3\n");
    EXPECT_EQ(Out("click " + m_strA + "\nprint selection\n"), "0 0 3 0 0 3 1 0\n");
}

TEST_F(ClipboardSessionMouseTest, ADragWithShiftOrCtrlHeldMovesNothingWhileTheButtonIsHeld) {
    // The moves only count when the left button alone is held: with Shift (or Ctrl) held the
    // end and the cursor stay where the press put them.
    EXPECT_EQ(
        Out("key Shift\ndown " + m_strA + "\nmove " + m_strB + "\nprint selection\nprint caret\n"),
        "0 0 3 0 0 3 1 0\n0 0 3\n");
    // The release itself sets the end to the point released at, whatever keys are held (it
    // has no test of the flags), so the range from the press to the release ends selected;
    // releasing Shift sets the end to the cursor, which is there too.
    EXPECT_EQ(Out("up " + m_strB + "\nkeyup Shift\nprint selection\n"), "0 0 3 1 0 3 1 0\n");

    EXPECT_EQ(Out("click " + m_strA + "\nkey Ctrl\ndown " + m_strB + "\nmove " + m_strA +
                  "\nprint selection\nprint caret\nup " + m_strB + "\nkeyup Ctrl\n"),
              "1 0 3 1 0 3 1 0\n1 0 3\n");
}

// --- The selection is drawn -------------------------------------------------------------------

TEST_F(ClipboardSessionTest, TheSelectionIsDrawnInvertedUntilACopyClearsIt) {
    Open(StartRun("abcdefgh"));
    const int x2 = CaretX("key Home\n" + Rights(2));
    const int x6 = CaretX("key Home\n" + Rights(6));
    const int xEnd = CaretX("key End\n");
    int x = 0, y = 0, w = 0, h = 0;
    const std::string box = Out("print caretbox\n");
    ASSERT_EQ(std::sscanf(box.c_str(), "%d %d %d %d", &x, &y, &w, &h), 4) << box;
    ASSERT_GT(x6 - x2, 20);
    ASSERT_GT(xEnd - x6, 20);
    ASSERT_GT(h, 16);
    // Drag over "cdef": (0, 0, 2) to (0, 0, 6).
    const std::string row = " " + std::to_string(y + h / 2) + "\n";
    Out("down " + std::to_string(x2 + 2) + row + "move " + std::to_string(x6 + 2) + row + "up " +
        std::to_string(x6 + 2) + row);
    ASSERT_EQ(Out("print selection\n"), "0 0 2 0 0 6 1 0\n");

    // The selected letters are white on black: most of their box is dark (about 70 percent).
    // The letters after them are black on white: their strokes darken about a quarter.
    const auto shares = [&](const std::string& name) {
        const fs::path file = Dir() / name;
        Out("snapshot " + file.string() + "\n");
        const QImage image(QString::fromStdString(file.string()));
        EXPECT_FALSE(image.isNull()) << file;
        return std::pair{DarkShare(image, x2 + 3, y + 2, x6 - 3, y + h - 2),
                         DarkShare(image, x6 + 4, y + 2, xEnd - 3, y + h - 2)};
    };
    auto [selected, plain] = shares("dragged.png");
    EXPECT_GT(selected, 0.55);
    EXPECT_LT(plain, 0.45);
    // A repaint draws it again.
    Out("wait 50\n");
    std::tie(selected, plain) = shares("repainted.png");
    EXPECT_GT(selected, 0.55);
    EXPECT_LT(plain, 0.45);
    // A copy sets both ends to (0, 0, 0): nothing is highlighted any more.
    EXPECT_EQ(Out("command copy\nprint selection\n"), "0 0 0 0 0 0 1 0\n");
    std::tie(selected, plain) = shares("copied.png");
    EXPECT_LT(selected, 0.45);
    EXPECT_LT(plain, 0.45);
}

// --- Cut ------------------------------------------------------------------------------------

const std::string kRedBold = "0,1,0";
std::string RedTimes(const std::string& utf8) {
    return TextRun("Times New Roman", 12, utf8, kRedBold, "255,0,0");
}

TEST_F(ClipboardSessionTest, CutInsideOneRunKeepsTheOuterPartsAndPastesInTheSameFormat) {
    Open(RedTimes("abcdef") + Arial("xyz"));
    EXPECT_EQ(Out("key Right\nkey Shift\nkey Right\nkey Right\nkey Right\nkeyup Shift\n"
                  "print selection\n"),
              "0 0 1 0 0 4 1 0\n");
    // "bcd" leaves the run; the cursor is where the range began (offset 1); both ends of the
    // selection are set to (0, 0, 0). The clipboard holds one element with the cut bytes.
    EXPECT_EQ(Out("key X ctrl\nprint caret\nprint selection\nprint clipboard\n"),
              "0 0 1\n0 0 0 0 0 0 1 0\nprivate 1\ntext bcd\nhtml\n");
    EXPECT_EQ(Markup(), RedTimes("aef") + Arial("xyz") + "\n");
    // At the page's start nothing comes before: the run goes in before "aef" as an element
    // of its own, with its format, and the cursor stands after it.
    EXPECT_EQ(Out("key Home\nkey V ctrl\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), RedTimes("bcd") + RedTimes("aef") + Arial("xyz") + "\n");
    // At the end of "xyz" (inside it): a run of its own after it.
    Out("key End\nkey V ctrl\n");
    EXPECT_EQ(Markup(), RedTimes("bcd") + RedTimes("aef") + Arial("xyz") + RedTimes("bcd") + "\n");
}

TEST_F(ClipboardSessionTest, CutOfAWholeElementLeavesTheCursorAtTheStartOfWhatFollowed) {
    Open(Arial("ab") + kHalfPicture + Times("cd"));
    // After "ab" is the picture's start; one step passes it.
    EXPECT_EQ(Out("key Right\nkey Right\nkey Shift\nkey Right\nkeyup Shift\nprint selection\n"),
              "1 0 0 2 0 0 1 0\n");
    const std::string out = Out("key X ctrl\nprint caret\nprint clipboard\n");
    EXPECT_TRUE(out.starts_with("1 0 0\nprivate 1\n")) << out;
    EXPECT_EQ(Markup(), Arial("ab") + Times("cd") + "\n");
    // It pastes back whole.
    Out("key V ctrl\n");
    EXPECT_EQ(Markup(), Arial("ab") + kHalfPicture + Times("cd") + "\n");

    // From inside the first run to inside the last: "b", the picture and "c" go; the cursor
    // is at the start of what followed the kept "a", the kept "d".
    Open(Arial("ab") + kHalfPicture + Times("cd"));
    EXPECT_EQ(Out("key Right\nkey Shift\n" + Rights(3) + "keyup Shift\nprint selection\n"),
              "0 0 1 2 0 1 1 0\n");
    EXPECT_EQ(Out("key X ctrl\nprint caret\nprint clipboard\n"),
              "1 0 0\nprivate 3\ntext bc\nhtml\n");
    EXPECT_EQ(Markup(), Arial("a") + Times("d") + "\n");
}

TEST_F(ClipboardSessionTest, CutOfEverythingLeavesAnEmptyPage) {
    Open(Arial("ab") + kHalfPicture + Times("cd"));
    // The empty run the cut leaves goes at the next layout: the page is empty.
    EXPECT_EQ(Out("key A ctrl\nkey X ctrl\nprint caret\nprint selection\nprint markup\n"
                  "print clipboard\n"),
              "0 0 0\n0 0 0 0 0 0 1 0\n\nprivate 3\ntext abcd\nhtml\n");
    EXPECT_EQ(Gbk(), "");
    // Typing starts again.
    EXPECT_EQ(Out("type z\nprint caret\n"), "1 0 0\n");
}

// The clip list changes hands: GetpListFromClip takes it (the clipboard is then empty),
// EmptyMyClip releases it, and the cut list and the selection make the buffer empty or not.
TEST_F(ClipboardSessionTest, TheClipListIsTakenBackOrReleasedAndTheBufferEmptied) {
    Open(Arial("ab") + kHalfPicture + Times("cd"));
    CTesselEdit& edit = Editor();
    // Copying everything leaves no cut list behind and both selection ends at (0, 0, 0).
    EXPECT_EQ(Out("key A ctrl\nkey C ctrl\n"), "");
    EXPECT_EQ(edit.IsBuffEmpty(), 1);
    CMyList* pTaken = nullptr;
    ASSERT_EQ(edit.GetpListFromClip(pTaken), 1);
    ASSERT_NE(pTaken, nullptr);
    // The three elements copied, in order: a run, the picture, a run.
    std::vector<int> kinds;
    for (const CLink* p = pTaken->FirstLink(); p; p = p->m_pNext)
        kinds.push_back(p->m_nKind);
    EXPECT_EQ(kinds, (std::vector<int>{kKindText, kKindImage, kKindText}));
    delete pTaken;
    EXPECT_EQ(g_pClipList, nullptr);
    EXPECT_EQ(Out("print clipboard\n"), "");
    pTaken = nullptr;
    EXPECT_EQ(edit.GetpListFromClip(pTaken), 0);
    EXPECT_EQ(pTaken, nullptr);
    // A new copy, then EmptyMyClip: the list is released and the clipboard emptied.
    EXPECT_EQ(Out("key A ctrl\nkey C ctrl\nprint clipboard\n"), "private 3\ntext abcd\nhtml\n");
    edit.EmptyMyClip();
    EXPECT_EQ(g_pClipList, nullptr);
    EXPECT_EQ(Out("print clipboard\n"), "");
    // A cut with nothing selected still makes a (new, empty) cut list: the buffer is not
    // empty until ClearBuff releases it.
    EXPECT_EQ(Out("key End\n"), "");
    EXPECT_EQ(edit.OnCut(edit.m_pList, 0), 0);
    EXPECT_EQ(edit.IsBuffEmpty(), 0);
    edit.ClearBuff();
    EXPECT_EQ(edit.IsBuffEmpty(), 1);
    EXPECT_EQ(edit.m_pCutList, nullptr);
}

// --- Copy and paste ---------------------------------------------------------------------------

TEST_F(ClipboardSessionTest, CopyThenPasteTwiceInsertsTheElementsTwice) {
    Open(Arial("ab") + kHalfPicture + Arial("cd") + Times("ef"));
    // "b" and the picture: from (0, 0, 1) to the start of "cd".
    EXPECT_EQ(Out("key Right\nkey Shift\nkey Right\nkey Right\nkeyup Shift\nprint selection\n"),
              "0 0 1 2 0 0 1 0\n");
    // A copy leaves the page and the cursor, and sets the selection ends to (0, 0, 0).
    EXPECT_EQ(Out("key C ctrl\nprint selection\nprint caret\nprint clipboard\n"),
              "0 0 0 0 0 0 1 0\n2 0 0\nprivate 2\ntext b\nhtml\n");
    const std::string page = Arial("ab") + kHalfPicture + Arial("cd") + Times("ef");
    EXPECT_EQ(Markup(), page + "\n");
    // At the start of "ef", after "cd": "b" is in the format of "cd" and joins it; the
    // picture goes in before "ef".
    EXPECT_EQ(Out("key Right\nkey Right\nprint caret\nkey V ctrl\nprint caret\n"),
              "3 0 0\n4 0 0\n");
    EXPECT_EQ(Markup(),
              Arial("ab") + kHalfPicture + Arial("cdb") + kHalfPicture + Times("ef") + "\n");
    // Again: now a picture is before the cursor, so "b" is an element of its own.
    EXPECT_EQ(Out("key V ctrl\nprint caret\n"), "6 0 0\n");
    EXPECT_EQ(Markup(), Arial("ab") + kHalfPicture + Arial("cdb") + kHalfPicture + Arial("b") +
                            kHalfPicture + Times("ef") + "\n");
    // The paste does not use the clipboard up.
    EXPECT_EQ(Out("print clipboard\n"), "private 2\ntext b\nhtml\n");
}

// --- Typing and deleting with a selection ------------------------------------------------------

// A key with a selection: typing replaces it ("bc" and "de" go, "a" and "f" stay; the last key
// left the cursor in the Times run, whose format is the current one: X goes into "f"); Delete
// removes only it; Backspace has no case for a selection: it removes the character before the
// cursor, and the selection collapses onto the cursor like after any key.
TEST_F(ClipboardSessionTest, KeysWithASelection) {
    // The page, the steps of Shift+Right from after its first letter, the selection they make,
    // the key with what it prints, and the page after it.
    const struct {
        std::string page;
        int nRights;
        std::string selection, key, printed, markup;
    } cases[] = {
        {Arial("abc") + Times("def"), 4, "0 0 1 1 0 2 1 0\n",
         "type X\nprint caret\nprint selection\n", "1 0 1\n1 0 1 1 0 1 1 0\n",
         Arial("a") + Times("Xf")},
        {Arial("abcdef"), 3, "0 0 1 0 0 4 1 0\n", "key Delete\nprint caret\n", "0 0 1\n",
         Arial("aef")},
        {Arial("abcdef"), 3, "0 0 1 0 0 4 1 0\n", "key Back\nprint caret\nprint selection\n",
         "0 0 3\n0 0 3 0 0 3 1 0\n", Arial("abcef")},
    };
    for (const auto& c : cases) {
        Open(c.page);
        EXPECT_EQ(
            Out("key Right\nkey Shift\n" + Rights(c.nRights) + "keyup Shift\nprint selection\n"),
            c.selection);
        EXPECT_EQ(Out(c.key), c.printed) << c.key;
        EXPECT_EQ(Markup(), c.markup + "\n") << c.key;
    }
}

// --- Frames ------------------------------------------------------------------------------------

TEST_F(ClipboardSessionTest, AFrameIsCutAndPastedWholeAndAgainAsACopy) {
    Open(Arial("ab") + kFrameIn + Arial("cd"));
    EXPECT_EQ(Markup(), Arial("ab") + kFrameOut + Arial("cd") + "\n");
    // The frame is element 1: one step after "ab" is its start, one more passes it.
    EXPECT_EQ(Out("key Right\nkey Right\nkey Right shift\nkeyup Shift\nprint selection\n"),
              "1 0 0 2 0 0 1 0\n");
    EXPECT_EQ(Out("key X ctrl\nprint caret\n"), "1 0 0\n");
    // The frame has left the document: two runs remain, no frame, no column marks.
    const std::string dump = Out("print dump\n");
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 3) << dump;
    EXPECT_EQ(dump.find("\"kind\":16"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("\"kind\":13"), std::string::npos) << dump;
    EXPECT_EQ(Markup(), Arial("ab") + Arial("cd") + "\n");
    // Pasted back: the frame with both columns' contents.
    EXPECT_EQ(Out("key V ctrl\nprint caret\n"), "2 0 0\n");
    EXPECT_EQ(Markup(), Arial("ab") + kFrameOut + Arial("cd") + "\n");
    // Again: a second frame, with copies of the columns, each column an editor of its own.
    EXPECT_EQ(Out("key V ctrl\nprint caret\n"), "3 0 0\n");
    EXPECT_EQ(Markup(), Arial("ab") + kFrameOut + kFrameOut + Arial("cd") + "\n");
    std::vector<CTesselEdit*> columns = Columns();
    ASSERT_EQ(columns.size(), 4u);
    // The second frame's right column is the lowest right one: typing there changes only it.
    CTesselEdit* pLast = nullptr;
    CRect rcLast;
    for (CTesselEdit* p : columns) {
        CRect rc;
        p->GetWindowRect(&rc);
        if (!pLast || rc.top > rcLast.top || (rc.top == rcLast.top && rc.left > rcLast.left)) {
            pLast = p;
            rcLast = rc;
        }
    }
    Out(ClickInto(*pLast) + "key End\ntype Z\n");
    EXPECT_EQ(Markup(), Arial("ab") + kFrameOut + Frame(Arial("left"), Times("rightZ"), 480) +
                            Arial("cd") + "\n");
}

TEST_F(ClipboardSessionTest, InsideAColumnTheClipboardWorksOnTheColumn) {
    Open(Arial("ab") + kFrameIn + Arial("cd"));
    ASSERT_NE(Editor().m_pChildEdit[0][0], nullptr);
    CTesselEdit& left = *Editor().m_pChildEdit[0][0];
    const auto page = [](const std::string& leftColumn) {
        return Arial("ab") + Frame(leftColumn, Times("right"), 480) + Arial("cd") + "\n";
    };
    // In the column "left": its end is after its one word; two steps back select "ft".
    EXPECT_EQ(Out(ClickInto(left) + "key End\nprint caret\nkey Left shift\nkey Left shift\n"
                                    "keyup Shift\nprint selection\n"),
              "0 1 0\n0 0 2 0 1 0 1 0\n");
    // The cursor is re-located at offset 2 of "le": the end of its one word, (0, 1, 0).
    EXPECT_EQ(Out("key X ctrl\nprint caret\nprint clipboard\n"),
              "0 1 0\nprivate 1\ntext ft\nhtml\n");
    EXPECT_EQ(Markup(), page(Arial("le")));
    // Pasted at the column's start: an element of its own before "le".
    EXPECT_EQ(Out("key Home\nkey V ctrl\nprint caret\n"), "1 0 0\n");
    EXPECT_EQ(Markup(), page(Arial("ft") + Arial("le")));

    // The commands go to the top-level editor, which passes them to the column that has the
    // focus: the copy takes the column's "le", not the top-level's empty selection.
    EXPECT_EQ(Out("key End\nkey Left shift\nkey Left shift\nkeyup Shift\nprint selection\n"
                  "command copy\nprint clipboard\n"),
              "1 0 0 1 1 0 1 0\nprivate 1\ntext le\nhtml\n");
    // Cut it: the run is empty and goes, the cursor at (1, 0, 0); the paste joins "ft", the
    // run before it in the same format.
    Out("key End\nkey Left shift\nkey Left shift\nkeyup Shift\n");
    EXPECT_EQ(Out("command cut\nprint caret\nprint clipboard\n"),
              "1 0 0\nprivate 1\ntext le\nhtml\n");
    EXPECT_EQ(Markup(), page(Arial("ft")));
    EXPECT_EQ(Out("command paste\n"), "");
    EXPECT_EQ(Markup(), page(Arial("ftle")));
}

TEST_F(ClipboardSessionTest, APasteHoldingAFrameDoesNothingInAColumnButRemoveItsSelection) {
    Open(Arial("ab") + kFrameIn + Arial("cd"));
    ASSERT_NE(Editor().m_pChildEdit[0][0], nullptr);
    // In the top-level editor (the left of "ab" is no column): copy the frame, one element
    // of the document, with its columns' texts for other programs.
    const std::string out =
        Out("click 1 5\nkey Home\nkey Right\nkey Right\nkey Right shift\n"
            "keyup Shift\nprint selection\nkey C ctrl\nprint clipboard\n");
    EXPECT_TRUE(out.starts_with("1 0 0 2 0 0 1 0\nprivate 1\n")) << out;
    // In the column: "ft" selected, then Ctrl+V: the selection goes, nothing is pasted.
    EXPECT_EQ(Out(ClickInto(*Editor().m_pChildEdit[0][0]) +
                  "key End\nkey Left shift\nkey Left shift\nkeyup Shift\nkey V ctrl\n"
                  "print caret\n"),
              "0 1 0\n");  // offset 2 of "le"
    EXPECT_EQ(Markup(), Arial("ab") + Frame(Arial("le"), Times("right"), 480) + Arial("cd") + "\n");
    // By the command too.
    Out("key Home\nkey Right shift\nkeyup Shift\ncommand paste\n");
    EXPECT_EQ(Markup(), Arial("ab") + Frame(Arial("e"), Times("right"), 480) + Arial("cd") + "\n");
    EXPECT_EQ(Columns().size(), 2u);
}

// --- Two editors -------------------------------------------------------------------------------

TEST_F(ClipboardSessionTest, ACopyInOneEditorPastesWholeInAnother) {
    const std::string page =
        TextRun("Times New Roman", 20, "bold italic", "1,1,1", "255,0,0") + Arial("plain 中文") +
        TextRun("Arial", 12, "up", "0,0,0", "0,0,255", 0) + kHalfPicture +
        TextRun("Arial", 12, "down", "0,0,0", "0,128,0", 1) + Arial("line&\r\nbreak") +
        Frame(Arial("left"), Times("right"), 480) + Times("end");
    Open(page);
    ASSERT_EQ(Markup(), page + "\n");
    std::unique_ptr<EditorHost> pOther = OpenHost("");
    ASSERT_TRUE(pOther);
    auto pOtherPlayer = std::make_unique<tessel::play::Player>(pOther->Editor());
    Out("command selectall\ncommand copy\n");
    EXPECT_EQ(OutOf(*pOtherPlayer, "command paste\nprint markup\n"), page + "\n");
    // And back into the first, at its end (below the text).
    Out("click 590 390\ncommand paste\n");
    EXPECT_EQ(Markup(), page + page + "\n");
    pOtherPlayer.reset();
    pOther.reset();
    tessel::platform::ProcessEvents();
}

// --- What other programs put on the clipboard --------------------------------------------------

TEST_F(ClipboardSessionTest, ALongTextPastesWholeAndIsWrittenAsRunsThatReadBack) {
    // 25000 bytes, more than a page of markup is read: the paste takes it all.
    const std::string text = Repeat("abcd ", 5000);
    Open("");
    Out("clipboard text " + text + "\ncommand paste\n");
    ASSERT_TRUE(Editor().m_pList);
    EXPECT_EQ(ListText(*Editor().m_pList), text);
    // The writer splits it into runs in the same format, each short enough to read back whole:
    // at most 2001 bytes of text markup between a run's tags.
    const std::string markup = Gbk();
    const std::string head = "<Font('Arial',28,0,0,0)><Color(0,0,0)>", tail = "</Color></Font>";
    size_t nRuns = 0;
    for (size_t n = markup.find(head); n != std::string::npos;) {
        const size_t next = markup.find(head, n + 1);
        const size_t nEnd = next == std::string::npos ? markup.size() : next;
        ASSERT_EQ(markup.substr(nEnd - tail.size(), tail.size()), tail) << n;
        EXPECT_LE(nEnd - n - head.size() - tail.size(), 2001u) << n;
        ++nRuns;
        n = next;
    }
    EXPECT_GE(nRuns, 13u);
    // Reopened, a page reads only its first 20481 bytes of markup: the text comes back up to
    // there, not beyond.
    std::unique_ptr<EditorHost> pReopened = OpenHost(tessel::platform::GbkToUtf8(markup));
    ASSERT_TRUE(pReopened && pReopened->Editor().m_pList);
    const std::string back = ListText(*pReopened->Editor().m_pList);
    EXPECT_GT(back.size(), 15000u);
    EXPECT_LT(back.size(), text.size());
    EXPECT_TRUE(text.starts_with(back));
    pReopened.reset();

    // 6000 bytes: several runs, a page that reads back whole.
    const std::string shorter = Repeat("wxyz ", 1200);
    Open("");
    Out("clipboard text " + shorter + "\ncommand paste\n");
    const std::string written = Gbk();
    EXPECT_LT(written.size(), 20481u);
    EXPECT_GE(std::count(written.begin(), written.end(), '<') / 4, 3) << written.size();
    pReopened = OpenHost(tessel::platform::GbkToUtf8(written));
    ASSERT_TRUE(pReopened && pReopened->Editor().m_pList);
    EXPECT_EQ(ListText(*pReopened->Editor().m_pList), shorter);
}

TEST_F(ClipboardSessionTest, AnotherTesselProcessesDataPasteEveryElement) {
    const std::string page = RedTimes("red") + kHalfPicture +
                             TextRun("Arial", 12, "x", "0,0,0", "0,0,0", 0) + Arial("字");
    Open("");
    const std::string out =
        Out("clipboard markup " + page + "\nprint clipboard\ncommand paste\nprint markup\n");
    EXPECT_TRUE(out.starts_with("private 4\n")) << out;
    EXPECT_TRUE(out.ends_with("\n" + page + "\n")) << out;
}

// Per character of the page's text (line feeds left out): the character and how its format
// differs from the editor's starting one (Arial 28, plain, black, in the normal position).
std::string Formats(const CMyList& list) {
    std::string out;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind != kKindText) continue;
        const LINKPARAM* font = p->m_Font;
        const std::string color = std::to_string(p->m_Color[0].nValue) + "," +
                                  std::to_string(p->m_Color[1].nValue) + "," +
                                  std::to_string(p->m_Color[2].nValue);
        const int nFootNote = p->m_FootNote[0].nValue;
        for (char ch : p->m_Command[0].strText) {
            if (ch == '\n') continue;
            out += std::string(1, ch) + (font[0].strText != "Arial" ? " " + font[0].strText : "") +
                   (font[1].nValue != 28 ? " " + std::to_string(font[1].nValue) : "") +
                   (font[2].nValue ? " italic" : "") + (font[3].nValue ? " bold" : "") +
                   (font[4].nValue ? " underline" : "") + (color != "0,0,0" ? " " + color : "") +
                   (nFootNote == 0   ? " raised"
                    : nFootNote == 1 ? " lowered"
                                     : "") +
                   "\n";
        }
    }
    return out;
}

const std::string kHtml =
    "<p><b>B</b><i>I</i><u>U</u><font color=\"#ff0000\">R</font>"
    "<span style=\"font-size:20px\">S</span><sup>P</sup><sub>L</sub></p><p>two</p>";

TEST_F(ClipboardSessionTest, HtmlPastesRunsWithTheirFormatsAndALineBreakBetweenBlocks) {
    Open("");
    Out("clipboard html " + kHtml + "\ncommand paste\n");
    ASSERT_TRUE(Editor().m_pList);
    EXPECT_EQ(ListText(*Editor().m_pList), "BIURSPL\ntwo");
    // The current format (Arial 28, plain, black) with what each tag gives.
    EXPECT_EQ(Formats(*Editor().m_pList),
              "B bold\nI italic\nU underline\nR 255,0,0\nS 20\nP raised\nL lowered\nt\nw\no\n");
}

// Plain text, and the text beside HTML in a plain-text paste, is one run in the current
// format. The line break stays a line feed: the writer writes it "&" CR LF. After a key in a
// Times run its format is the current one; at the end of "ab" (inside it) the text goes in as a
// run of its own after it. An emoji and a Thai letter have no GBK code and are dropped; the
// Chinese character has one.
TEST_F(ClipboardSessionTest, PlainTextPastesAsOneRunInTheCurrentFormat) {
    const std::string plainHtml = StartRun("BIURSPL&\r\ntwo");
    const std::string cases[][3] = {
        {"", "clipboard text one\\ntwo\ncommand paste\n", StartRun("one&\r\ntwo")},
        {Times("ab"), "key End\nclipboard text x\\ny\ncommand paste\n",
         Times("ab") + Times("x&\r\ny")},
        {"", "clipboard text a😀中ก b\ncommand paste\n", StartRun("a中 b")},
        {"", "clipboard html " + kHtml + "\ncommand pasteplain\n", plainHtml},
        {"", "clipboard html " + kHtml + "\nkey V ctrl shift\n", plainHtml},
    };
    for (const auto& [page, script, markup] : cases) {
        Open(page);
        EXPECT_EQ(Out(script + "print markup\n"), markup + "\n") << script;
    }
}

// The file is the 24-bit BMP whose header fields editor/bmp_file_test.cpp checks (for this
// same 5 x 3 size too): rows of 5 x 3 = 15 bytes padded to 16 after 54 bytes of headers, each
// pixel blue, green, red. (A cancelled dialog pastes nothing: play_clipboard_test.cpp.)
TEST_F(ClipboardSessionTest, ABitmapPastesAsAPictureSavedAsA24BitBmp) {
    Open("");
    const fs::path file = Dir() / "X.bmp";
    EXPECT_EQ(Out("clipboard bitmap 5 3 00FF00\nanswer file " + file.string() +
                  "\ncommand paste\nprint markup\n"),
              "<Image('" + file.string() + "',0,100)>\n");
    const std::string bytes = ReadFile(file);
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 5; ++x) {
            const size_t n = 54 + row * 16 + x * 3;
            EXPECT_EQ(bytes.substr(n, 3), std::string("\x00\xFF\x00", 3)) << row << ' ' << x;
        }
    }
}

// --- Undo and redo -----------------------------------------------------------------------------

class ClipboardSessionUndoTest : public ClipboardSessionTest {
  protected:
    // The change gives the page expected; an undo gives back the page, the cursor and the
    // selection of before; a redo the page and the cursor of after, and no selection (the
    // ends that a cut or paste sets to (0, 0, 0) may come back elsewhere: both ends equal
    // select nothing all the same).
    // The moves before it are no part of the change.
    void ExpectUndoable(const std::string& moves, const std::string& change,
                        const std::string& expected) {
        Out(moves);
        const std::string before = State();
        Out(change);
        const std::string after = State();
        EXPECT_TRUE(after.starts_with(expected + "\n")) << change << after;
        Out("command undo\n");
        EXPECT_EQ(State(), before) << change;
        Out("command redo\n");
        const std::string redone = State();
        const auto upToSelection = [](const std::string& state) {
            return state.substr(0, state.rfind('\n', state.size() - 2) + 1);
        };
        EXPECT_EQ(upToSelection(redone), upToSelection(after)) << change;
        int e[8] = {};
        const std::string selection = redone.substr(upToSelection(redone).size());
        ASSERT_EQ(std::sscanf(selection.c_str(), "%d %d %d %d %d %d %d %d", &e[0], &e[1], &e[2],
                              &e[3], &e[4], &e[5], &e[6], &e[7]),
                  8)
            << selection;
        EXPECT_TRUE(e[0] == e[3] && e[1] == e[4] && e[2] == e[5]) << change << selection;
    }
};

TEST_F(ClipboardSessionUndoTest, EveryKindOfChangeIsUndoneAndRedoneExactly) {
    Open(Arial("abc") + kHalfPicture + Times("def"));
    // Typed after the a, in the run's format; the cursor after the z, (0, 0, 4).
    ExpectUndoable("key Right\n", "type xyz\n", Arial("axyzbc") + kHalfPicture + Times("def"));
    // Two Backspaces take z and y; the cursor is after the x.
    ExpectUndoable("", "key Back\nkey Back\n", Arial("axbc") + kHalfPicture + Times("def"));
    // Delete takes the b after it.
    ExpectUndoable("", "key Delete\n", Arial("axc") + kHalfPicture + Times("def"));
    // From after the x to after the d: "c", the picture and "d" are cut.
    Out("key Shift\n" + Rights(3) + "keyup Shift\n");
    ASSERT_EQ(Out("print selection\n"), "0 0 2 2 0 1 1 0\n");
    ExpectUndoable("", "key X ctrl\n", Arial("ax") + Times("ef"));
    // Pasted at the page's start: each element goes in before "ax", in order.
    ExpectUndoable("key Home\n", "key V ctrl\n",
                   Arial("c") + kHalfPicture + Times("d") + Arial("ax") + Times("ef"));
}

TEST_F(ClipboardSessionUndoTest, PastesOfAFrameAndOfABitmapAreUndoneAndRedone) {
    Open(Arial("ab") + kFrameIn + Arial("cd"));
    // The frame copied, pasted at the page's end (inside "cd": after it).
    ExpectUndoable("key Right\nkey Right\nkey Right shift\nkeyup Shift\nkey C ctrl\nkey End\n",
                   "key V ctrl\n", Arial("ab") + kFrameOut + Arial("cd") + kFrameOut);
    // A cut of the first frame is undone with both its columns (a click at the left of "ab"
    // puts the cursor at the page's start).
    ExpectUndoable("click 1 5\nkey Right\nkey Right\nkey Right shift\nkeyup Shift\n",
                   "key X ctrl\n", Arial("ab") + Arial("cd") + kFrameOut);

    const fs::path file = Dir() / "undo.bmp";
    Open(Arial("ab"));
    // (An answer is for the play that queues it.)
    ExpectUndoable("clipboard bitmap 2 2 0000FF\n",
                   "answer file " + file.string() + "\ncommand paste\n",
                   "<Image('" + file.string() + "',0,100)>" + Arial("ab"));
}

TEST_F(ClipboardSessionUndoTest, ARunOfTypingOrOfBackspacesIsOneStepAndTypingClearsRedo) {
    Open("");
    Out("type abc\nkey Back\nkey Back\n");
    EXPECT_EQ(Markup(), StartRun("a") + "\n");
    // One undo brings both Backspaces back, the next all three letters.
    EXPECT_EQ(Out("command undo\nprint markup\nprint caret\n"), StartRun("abc") + "\n1 0 0\n");
    EXPECT_EQ(Out("command undo\nprint markup\nprint caret\n"), "\n0 0 0\n");
    EXPECT_EQ(Editor().CanRedo(), 1);
    // Typing after an undo: there is nothing left to redo.
    Out("type x\n");
    EXPECT_EQ(Editor().CanRedo(), 0);
    EXPECT_EQ(Out("command redo\nprint markup\n"), StartRun("x") + "\n");
    EXPECT_EQ(Out("command undo\nprint markup\n"), "\n");
    EXPECT_EQ(Editor().CanUndo(), 0);
}

// --- Shortcuts ---------------------------------------------------------------------------------

TEST_F(ClipboardSessionTest, TheShortcutsRunTheirCommands) {
    Open(Arial("abcdef"));
    CTesselEdit& editor = Editor();
    const auto insertKey = [&](tessel::platform::Modifiers modifiers) {
        CWnd* pTarget = tessel::platform::KeyboardTarget(&editor);
        tessel::platform::PressKey(pTarget, tessel::platform::Key::kInsert, modifiers);
        tessel::platform::ProcessEvents();
        tessel::platform::ReleaseKey(pTarget, tessel::platform::Key::kInsert, modifiers);
        tessel::platform::ProcessEvents();
    };
    // Shift+Delete cuts "bc".
    Out("key Right\nkey Shift\nkey Right\nkey Right\nkeyup Shift\nkey Delete shift\n");
    EXPECT_EQ(Out("print caret\nprint clipboard\n"), "0 0 1\nprivate 1\ntext bc\nhtml\n");
    EXPECT_EQ(Markup(), Arial("adef") + "\n");
    // Shift+Insert pastes it inside "adef": the run is split around it.
    insertKey(tessel::platform::kShiftHeld);
    EXPECT_EQ(Markup(), Arial("a") + Arial("bc") + Arial("def") + "\n");
    // Ctrl+A and Ctrl+Insert copy the whole page.
    Out("key A ctrl\n");
    insertKey(tessel::platform::kControlHeld);
    EXPECT_EQ(Out("print clipboard\n"), "private 3\ntext abcdef\nhtml\n");
    // Ctrl+Z undoes the paste, Ctrl+Y redoes it, and so does Ctrl+Shift+Z.
    EXPECT_EQ(Out("key Z ctrl\nprint markup\n"), Arial("adef") + "\n");
    EXPECT_EQ(Out("key Y ctrl\nprint markup\n"), Arial("a") + Arial("bc") + Arial("def") + "\n");
    EXPECT_EQ(Out("key Z ctrl\nprint markup\n"), Arial("adef") + "\n");
    EXPECT_EQ(Out("key Z ctrl shift\nprint markup\n"),
              Arial("a") + Arial("bc") + Arial("def") + "\n");
    // Ctrl+X and Ctrl+V: "a" cut, pasted at the end (inside "def": after it).
    Out("key Home\nkey Right shift\nkeyup Shift\nkey X ctrl\nkey End\nkey V ctrl\n");
    EXPECT_EQ(Markup(), Arial("bc") + Arial("def") + Arial("a") + "\n");
}

TEST_F(ClipboardSessionTest, WithTheShortcutsOffCtrlKeysDoNothing) {
    Open(Arial("abc"));
    Editor().SetShortcuts(false);
    EXPECT_EQ(Out("key Shift\nkey Right\nkeyup Shift\nkey C ctrl\nprint clipboard\n"), "");
    // Ctrl+A neither selects nor types.
    EXPECT_EQ(Out("key A ctrl\nprint markup\nprint selection\n"),
              Arial("abc") + "\n0 0 0 0 0 1 1 0\n");
    Out("clipboard text zz\nkey V ctrl\nkey X ctrl\n");
    EXPECT_EQ(Markup(), Arial("abc") + "\n");
    // The commands still work.
    EXPECT_EQ(Out("command copy\nprint clipboard\n"), "private 1\ntext a\nhtml\n");
}

// --- Two processes through the system clipboard -----------------------------------------------

class ClipboardSessionProcesses : public ProgramDirTest {};

TEST_F(ClipboardSessionProcesses, ACopyInOneProcessPastesWholeInAnother) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not on the PATH: the two-process clipboard needs an X server";
    std::error_code error;
    const fs::path tool = fs::read_symlink("/proc/self/exe", error).parent_path() / "tessel";
    if (error || !fs::exists(tool)) GTEST_SKIP() << "no tessel beside the test: " << tool;

    const std::string page = TextRun("Times New Roman", 20, "bold italic", "1,1,1", "255,0,0") +
                             Arial("plain 中文") + kHalfPicture +
                             TextRun("Arial", 12, "up", "0,0,0", "0,0,255", 0);
    Write("a.tsm", tessel::platform::Utf8ToGbk(page));
    // A copies, shows it is done, then keeps its window (and the clipboard) for a while.
    Write("a.play",
          "command selectall\ncommand copy\nprint markup\nsnapshot marker.png\nwait 8000\n");
    Write("b.play", "command paste\nprint markup\nprint clipboard\n");
    const std::string tool_q = "'" + tool.string() + "'";
    const std::string project = std::string(" --project '") + TESSEL_EXAMPLES_DIR + "'";
    Write("run.sh", "export QT_QPA_PLATFORM=xcb\n" + tool_q + " play a.play a.tsm" + project +
                        " >a.out 2>a.err &\n"
                        "i=0\n"
                        "while [ ! -f marker.png ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); "
                        "done\n" +
                        tool_q + " play b.play" + project + " >b.out 2>b.err\n" + "wait\n");
    const std::string command =
        "cd '" + m_dir.string() + "' && timeout 60 xvfb-run -a sh -c 'sh ./run.sh' >x.out 2>x.err";
    const int nStatus = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0)
        << nStatus << "\n"
        << Read("x.err") << Read("a.err") << Read("b.err");
    EXPECT_TRUE(fs::exists(m_dir / "marker.png")) << Read("a.err");
    EXPECT_EQ(Read("a.out"), page + "\n") << Read("a.err");
    // B gets every element and format from A's clipboard; the private data name a list of
    // another process, so B counts the elements of the markup they carry: 4.
    const std::string out = Read("b.out");
    ASSERT_TRUE(out.starts_with(page + "\n")) << out << Read("b.err");
    const std::string clip = out.substr(page.size() + 1);
    EXPECT_TRUE(clip.starts_with("private 4\ntext bold italicplain 中文up\nhtml\n")) << clip;
}

}  // namespace
