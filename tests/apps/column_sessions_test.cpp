// Multi-column frames inserted with the Insert Columes dialog and their column editors' life:
// the widths, the columns' first text, where the command does nothing, the range checks,
// undo and redo, and every way a frame leaves the page. Each expected page is worked out by
// hand from the rules of the command (every column but the last as entered, the last the
// rest of the line, the gaps included) in the fixture's 600 pixel editor.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <utility>
#include <vector>

#include "editor/positions.h"
#include "session_fixture.h"

namespace {

const std::string kMatter = "Input Column Matter";

// A frame as the markup writes it: count, gap, widths, then each column.
std::string Columns(int nGap, const std::vector<int>& widths, const std::string& column) {
    std::string out = "<MultiColumn(" + std::to_string(widths.size()) + "," + std::to_string(nGap);
    for (int w : widths)
        out += "," + std::to_string(w);
    out += ")>";
    for (std::size_t i = 0; i < widths.size(); ++i)
        out += "<StartColumn>" + column + "<EndColumn>";
    return out;
}
std::string Message(const std::string& text) {
    return "message \"" + QCoreApplication::applicationName().toStdString() + "\" \"" + text +
           "\"\n";
}
const std::string kShown = "dialog \"Insert Columes\"\n";

class ColumnSessionTest : public SessionFixture {
  protected:
    ColumnSessionTest()
        : SessionFixture("tessel-column-sessions-", {.bClipboard = true, .bNoReports = true}) {}
    CTesselEdit* Column(int f, int i) { return Editor().m_pChildEdit[f][i]; }
    int ColumnEditors() {
        int n = 0;
        for (auto& row : Editor().m_pChildEdit)
            for (CTesselEdit* p : row)
                n += p != nullptr;
        return n;
    }
};

TEST_F(ColumnSessionTest, ThreeColumnsFillTheLineGapsIncludedAndAreOneUndoStep) {
    Open("");
    ASSERT_EQ(Editor().m_rcEdit.Width(), 600);
    // 100 and 150 as chosen; the last 600 - (100 + 10 + 150 + 10) = 330.
    const std::string page = Columns(10, {100, 150, 330}, TextRun("Arial", 28, kMatter)) + "\n";
    EXPECT_EQ(Out("answer 2028=3 2039=10 2035=\"Insert Column1's Whith:\" 2036=100 "
                  "2035=\"Insert Column2's Whith:\" 2036=150 ok\n"
                  "command frame\nprint dialogs\nprint caret\nprint markup\n"),
              kShown + "1 0 0\n" + page);
    const int xs[] = {0, 110, 270}, widths[] = {100, 150, 330};
    for (int i = 0; i < 3; ++i) {
        CTesselEdit* p = Column(0, i);
        ASSERT_NE(p, nullptr);
        // Numbered 0, 1, 2, without a tool window, at zoom 1; drawn side by side, the gaps
        // between them.
        EXPECT_TRUE(p->m_nEditID == i && p->m_pOwnerEdit == &Editor() && !p->m_pToolBar &&
                    p->m_dZoom == 1.0 && p->IsWindowVisible())
            << i;
        CRect rc;
        p->GetWindowRect(&rc);
        Editor().ScreenToClient(&rc);
        EXPECT_EQ(std::pair(rc.left, rc.Width()), std::pair(xs[i], widths[i]));
    }
    EXPECT_EQ(ColumnEditors(), 3);
    EXPECT_EQ(Out("command undo\nprint caret\nprint markup\n"), "0 0 0\n\n");
    EXPECT_EQ(ColumnEditors(), 0);
    // Redone with the widths it had, not those a page gets when it is opened.
    EXPECT_EQ(Out("command redo\nprint caret\nprint markup\n"), "1 0 0\n" + page);
    EXPECT_EQ(ColumnEditors(), 3);
}

TEST_F(ColumnSessionTest, ColumnsStartInTheCurrentFormatAndTakeTyping) {
    Open(Times("abc"));
    // The format of "abc" at its end, then bold; a width typed without choosing a column is
    // the first column's: 400, and the last 600 - 400.
    Out("key End\ncheck bold on\ncommand bold\nanswer 2028=2 2036=400 ok\ncommand frame\n");
    const auto matter = [](const std::string& text) {
        return TextRun("Times New Roman", 12, text, "0,1,0");
    };
    EXPECT_EQ(Markup(), Times("abc") + Columns(0, {400, 200}, matter(kMatter)) + "\n");
    ASSERT_NE(Column(0, 1), nullptr);
    Out(ClickInto(*Column(0, 1)) + "key End\ntype Z\n");
    EXPECT_EQ(Markup(), Times("abc") + "<MultiColumn(2,0,400,200)><StartColumn>" + matter(kMatter) +
                            "<EndColumn><StartColumn>" + matter(kMatter + "Z") + "<EndColumn>\n");
}

TEST_F(ColumnSessionTest, NothingIsInsertedFromAColumnNorBeyondTheEighthFrame) {
    std::string eight;
    for (int i = 0; i < 8; ++i)
        eight += "<MultiColumn(1,0,50)><StartColumn>" + Arial(std::to_string(i)) + "<EndColumn>";
    for (const std::string& page :
         {Arial("ab") + Frame(Arial("left"), Times("right"), 120), eight}) {
        Open(page);
        const std::string before = Markup();
        // The caret in the first column, or in the page whose table of frames is full.
        const std::string where = page == eight ? "key End\n" : ClickInto(*Column(0, 0));
        EXPECT_EQ(Out(where + "answer 2028=2 ok\ncommand frame\nprint dialogs\n"), kShown);
        EXPECT_EQ(Markup(), before);
        EXPECT_EQ(ColumnEditors(), page == eight ? 8 : 2);
        EXPECT_EQ(Editor().CanUndo(), 0);
    }
}

TEST_F(ColumnSessionTest, AFrameOfNoColumnsHasNoColumnEditors) {
    Open(Arial("ab"));
    EXPECT_EQ(Out("key End\nanswer 2028=0 ok\ncommand frame\nprint markup\n"),
              Arial("ab") + "<MultiColumn(0,0)>\n");
    EXPECT_EQ(ColumnEditors(), 0);
    EXPECT_EQ(Out("command undo\nprint markup\ncommand redo\nprint markup\n"),
              Arial("ab") + "\n" + Arial("ab") + "<MultiColumn(0,0)>\n");
}

TEST_F(ColumnSessionTest, ARefusedValueKeepsTheDialogOpenForTheNextAnswer) {
    // A value refused as it leaves a field of its own handler, again as OK takes the focus
    // from it, and by OK; the gap, which has none, by OK alone.
    const struct {
        std::string answers, shown, page;
    } cases[] = {
        {"answer 2028=17 ok\n" + Repeat("answer ok\n", 3) + "answer 2028=2 ok\n",
         Repeat(Message("Please enter an integer between 0 and 16."), 3),
         Columns(0, {50, 550}, TextRun("Arial", 28, kMatter))},
        {"answer 2028=2 2036=9 ok\n" + Repeat("answer ok\n", 3) + "answer 2036=300 ok\n",
         Repeat(Message("Please enter an integer between 10 and 400."), 3),
         Columns(0, {300, 300}, TextRun("Arial", 28, kMatter))},
        {"answer 2028=2 2039=401 ok\nanswer ok\nanswer cancel\n",
         Message("Please enter an integer between 0 and 400."), ""},
    };
    for (const auto& c : cases) {
        Open("");
        EXPECT_EQ(Out(c.answers + "command frame\nprint dialogs\nprint markup\n"),
                  kShown + c.shown + c.page + "\n")
            << c.answers;
    }
}

TEST_F(ColumnSessionTest, EveryWayAFrameLeavesThePageReleasesItsColumns) {
    Open(Arial("ab"));
    Out("key End\nanswer 2028=2 2036=100 ok\ncommand frame\n");
    const std::string frame = Columns(0, {100, 500}, Arial(kMatter));
    ASSERT_EQ(Markup(), Arial("ab") + frame + "\n");
    // Backspace after the frame; undone, the columns are back.
    EXPECT_EQ(Out("key Back\nprint markup\n"), Arial("ab") + "\n");
    EXPECT_EQ(ColumnEditors(), 0);
    Out("command undo\n");
    EXPECT_EQ(ColumnEditors(), 2);
    // Cut: the clip list holds it, one element of a page, each column's text ended by a line
    // break for other programs; pasted twice, two frames of their own.
    EXPECT_EQ(Out("key Left shift\nkeyup Shift\ncommand cut\nprint markup\n"), Arial("ab") + "\n");
    EXPECT_EQ(ColumnEditors(), 0);
    EXPECT_EQ(Out("print clipboard\n"),
              "private 1\ntext " + kMatter + "\\n" + kMatter + "\\n\nhtml\n");
    EXPECT_EQ(Out("command paste\ncommand paste\nprint markup\n"),
              Arial("ab") + frame + frame + "\n");
    EXPECT_EQ(ColumnEditors(), 4);
    ASSERT_NE(Column(1, 1), nullptr);
    // A copy of the whole page replaces the clip list; removing the page with Delete puts it
    // in the cut list, which the next typing releases.
    Out("command selectall\ncommand copy\ncommand selectall\nkey Delete\n");
    EXPECT_EQ(ColumnEditors(), 0);
    EXPECT_EQ(Out("type x\ncommand paste\nprint markup\n"),
              Arial("xab") + frame + frame + "\n");  // "ab" joins "x"
    EXPECT_EQ(ColumnEditors(), 4);
}

TEST_F(ColumnSessionTest, ColumnWindowsDestroyedComeBackWhenTheFrameIsDrawn) {
    Open(Arial("ab"));
    Out("key End\nanswer 2028=2 2036=300 ok\ncommand frame\n");
    const std::string page = Markup();
    Editor().DestroyMColumn(tessel::editor::LinkAt(*Editor().m_pList, 1));
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(Column(0, i), nullptr);
        EXPECT_EQ(Column(0, i)->m_hWnd, nullptr);
    }
    EXPECT_EQ(Markup(), page);
    Editor().Invalidate(TRUE);
    Out("wait 1\n");
    ASSERT_TRUE(Column(0, 0)->m_hWnd && Column(0, 0)->IsWindowVisible());
    Out(ClickInto(*Column(0, 0)) + "key End\ntype Z\n");
    EXPECT_EQ(Markup(), Arial("ab") + "<MultiColumn(2,0,300,300)><StartColumn>" +
                            Arial(kMatter + "Z") + "<EndColumn><StartColumn>" + Arial(kMatter) +
                            "<EndColumn>\n");

    // A page read into the editor in place of this one: its frame takes row 0, released by
    // the frame the old page had, and its last column the rest of the line (600 - 120).
    delete Editor().m_pList;
    Editor().m_pList = new CMyList;
    Editor().m_Analyzer.Convert(Frame(Arial("left"), Times("right"), 120).c_str(),
                                Editor().m_pList);
    Editor().m_CurPos = Editor().m_SelStart = Editor().m_SelEnd = TEXTPOS{};
    Editor().PrevCreateList();
    EXPECT_EQ(ColumnEditors(), 2);
    EXPECT_EQ(Gbk(), Frame(Arial("left"), Times("right"), 480));
}

}  // namespace
