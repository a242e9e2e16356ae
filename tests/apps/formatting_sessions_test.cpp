// Character formatting and the tool window played as a user plays them: the check buttons
// clicked (their state set, then their command sent), the boxes chosen from, colours picked,
// and the shortcuts. Each expected page is worked out by hand from the formatting rules: the
// range is cut, taken back and put in again as changed copies, each joining the text before
// it when their formats then agree; with nothing selected only the format typed next changes,
// until a key reloads it from the text at the cursor.

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/user_input.h"
#include "program_dir.h"
#include "session_fixture.h"
#include "widgets/edit_commands.h"
#include "widgets/tool_window.h"

namespace {

const std::string kBoldStyle = "0,1,0";
const std::string kPicture = "<Image('Image\\Map.bmp',0,50)>";

// n characters selected to the right of the cursor.
std::string SelectRight(int n) {
    return Repeat("key Right shift\n", n) + "keyup Shift\n";
}

// The line of `print toolbar` for a button.
std::string ButtonLine(const std::string& toolbar, UINT nID) {
    const std::string strId = std::to_string(nID) + ' ';
    const size_t nStart = toolbar.find(strId);
    if (nStart == std::string::npos) return "missing";
    return toolbar.substr(nStart, toolbar.find('\n', nStart) - nStart);
}
std::string ToolbarLine(const std::string& toolbar, const std::string& strKey) {
    const size_t nStart = toolbar.find('\n' + strKey + ' ');
    if (nStart == std::string::npos) return "missing";
    return toolbar.substr(nStart + 1, toolbar.find('\n', nStart + 1) - nStart - 1);
}

class FormattingSessionTest : public SessionFixture {
  protected:
    FormattingSessionTest()
        : SessionFixture("tessel-formatting-sessions-", {.bClipboard = true, .bNoReports = true}) {}
    std::string Toolbar() { return Out("print toolbar\n"); }
};

using namespace tessel::commands;

TEST_F(FormattingSessionTest, BoldOverTwoRunsSplitsThemAndKeepsTheRangeSelected) {
    Open(Arial("abcd") + Times("efgh"));
    Out("clipboard text before\n");
    Out("key Home\nkey Right\nkey Right\n" + SelectRight(4) + "check bold on\ncommand bold\n");
    // "cd" and "ef" differ in face: four runs.
    EXPECT_EQ(Markup(),
              Arial("ab") + Arial("cd", kBoldStyle) + Times("ef", kBoldStyle) + Times("gh") + "\n");
    // The clipboard served as the transfer: what was on it is gone, and nothing is left.
    EXPECT_EQ(Out("print clipboard\n"), "");
    // The changed text is still the selection: a copy takes exactly "cdef".
    EXPECT_EQ(Out("command copy\nprint clipboard\n"), "private 2\ntext cdef\nhtml\n");
    // One step of the history gives the page back, and one redoes it.
    Out("command undo\n");
    EXPECT_EQ(Markup(), Arial("abcd") + Times("efgh") + "\n");
    Out("command redo\n");
    EXPECT_EQ(Markup(),
              Arial("ab") + Arial("cd", kBoldStyle) + Times("ef", kBoldStyle) + Times("gh") + "\n");
}

TEST_F(FormattingSessionTest, AClickOnTheToolWindowsBoldButtonBoldsTheSelection) {
    Open(Arial("abcd"));
    Out("key Home\n" + SelectRight(2));
    CEditToolWnd* pTools = Editor().ToolBar();
    ASSERT_NE(pTools, nullptr);
    CToolBarCtrl& bar = pTools->m_FormatBar;
    CRect rc;
    ASSERT_TRUE(bar.GetItemRect(bar.CommandToIndex(kBold), &rc));
    using tessel::platform::MouseButton;
    tessel::platform::PressMouse(&bar, rc.CenterPoint(), MouseButton::kLeft, 0);
    tessel::platform::ReleaseMouse(&bar, rc.CenterPoint(), MouseButton::kLeft, 0);
    tessel::platform::ProcessEvents();
    EXPECT_EQ(Markup(), Arial("ab", kBoldStyle) + Arial("cd") + "\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kBold), "53006 enabled checked");
    // A second click takes it off again; the plain copy has no run before it to join.
    tessel::platform::PressMouse(&bar, rc.CenterPoint(), MouseButton::kLeft, 0);
    tessel::platform::ReleaseMouse(&bar, rc.CenterPoint(), MouseButton::kLeft, 0);
    tessel::platform::ProcessEvents();
    EXPECT_EQ(Markup(), Arial("ab") + Arial("cd") + "\n");
}

TEST_F(FormattingSessionTest, CopiesJoinTheRunBeforeThemWhenTheirFormatsAgree) {
    // The second run is bold already: after the change "cd" and "ef" agree and join, while
    // "gh" stays a run of its own (a copy joins the text before it, never the one after).
    Open(Arial("abcd") + Arial("efgh", kBoldStyle));
    Out("key Home\nkey Right\nkey Right\n" + SelectRight(4) + "check bold on\ncommand bold\n");
    EXPECT_EQ(Markup(), Arial("ab") + Arial("cdef", kBoldStyle) + Arial("gh", kBoldStyle) + "\n");
    // Inside one run: the run splits around the changed part.
    Open(Times("abcdef"));
    Out("key Home\nkey Right\n" + SelectRight(3) + "check italic on\ncommand italic\n");
    EXPECT_EQ(Markup(), Times("a") + Times("bcd", "1,0,0") + Times("ef") + "\n");
    // Taking it off again puts plain copies back: they join "a", and "ef" stays apart.
    Out("check italic off\ncommand italic\n");
    EXPECT_EQ(Markup(), Times("abcd") + Times("ef") + "\n");
}

TEST_F(FormattingSessionTest, WithNothingSelectedOnlyTheTypedFormatChangesUntilAKeyReloadsIt) {
    Open(Arial("abc"));
    Out("key End\ncheck bold on\ncommand bold\n");
    EXPECT_EQ(Markup(), Arial("abc") + "\n");
    Out("type xy\n");
    EXPECT_EQ(Markup(), Arial("abc") + Arial("xy", kBoldStyle) + "\n");
    // A move into "abc" reloads its format: the button comes up, typing is plain again.
    Out("key Home\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kBold), "53006 enabled");
    Out("type z\n");
    EXPECT_EQ(Markup(), Arial("zabc") + Arial("xy", kBoldStyle) + "\n");
    // A colour chosen with nothing selected colours what is typed next.
    Out("key End\ncolor FF0000\ntype r\n");
    EXPECT_EQ(Markup(), Arial("zabc") + Arial("xy", kBoldStyle) +
                            TextRun("Arial", 12, "r", kBoldStyle, "255,0,0") + "\n");
    EXPECT_EQ(ToolbarLine(Toolbar(), "color"), "color FF0000");
}

TEST_F(FormattingSessionTest, RaisedAndLoweredArePairOfWhichOnlyThePressedOneStaysDown) {
    Open(Arial("abcd"));
    Out("command selectall\ncheck subscript on\ncommand subscript\n");
    EXPECT_EQ(Markup(), TextRun("Arial", 12, "abcd", "0,0,0", "0,0,0", 1) + "\n");
    // Raised pressed while lowered is down: only raised stays down, the text is raised.
    Out("check superscript on\ncommand superscript\n");
    std::string toolbar = Toolbar();
    EXPECT_EQ(ButtonLine(toolbar, kRaised), "53027 enabled checked");
    EXPECT_EQ(ButtonLine(toolbar, kLowered), "53026 enabled");
    EXPECT_EQ(Markup(), TextRun("Arial", 12, "abcd", "0,0,0", "0,0,0", 0) + "\n");
    // Released: both up, the text in the normal position.
    Out("check superscript off\ncommand superscript\n");
    toolbar = Toolbar();
    EXPECT_EQ(ButtonLine(toolbar, kRaised), "53027 enabled");
    EXPECT_EQ(ButtonLine(toolbar, kLowered), "53026 enabled");
    EXPECT_EQ(Markup(), Arial("abcd") + "\n");
}

TEST_F(FormattingSessionTest, TheSizeAndFontBoxesSetTheTableSizeAndTheFace) {
    Open(Arial("abcd"));
    // Item 5 ("24") stands for 28 pixels, item 13 ("10.5") for 10.
    Out("command selectall\nsize 5\n");
    EXPECT_EQ(Markup(), TextRun("Arial", 28, "abcd") + "\n");
    Out("size 13\n");
    EXPECT_EQ(Markup(), TextRun("Arial", 10, "abcd") + "\n");
    Out("font Times New Roman\n");
    EXPECT_EQ(Markup(), TextRun("Times New Roman", 10, "abcd") + "\n");
    Out("font 宋体\n");
    EXPECT_EQ(Markup(), TextRun("宋体", 10, "abcd") + "\n");
    EXPECT_EQ(ToolbarLine(Toolbar(), "font"), "font 宋体");
    // Each change is one step.
    Out("command undo\ncommand undo\n");
    EXPECT_EQ(Markup(), TextRun("Arial", 10, "abcd") + "\n");
}

TEST_F(FormattingSessionTest, APictureInTheRangeKeepsItsPlaceAndTakesTheChangedField) {
    Open(Arial("ab") + kPicture + Arial("cd"));
    Out("command selectall\ncheck underline on\ncommand underline\n");
    EXPECT_EQ(Markup(), Arial("ab", "0,0,1") + kPicture + Arial("cd", "0,0,1") + "\n");
    // The picture's own font field was set too: its fifth font slot is 1.
    const std::string dump = Out("print dump\n");
    const size_t nImage = dump.find("{\"kind\":1,");
    ASSERT_NE(nImage, std::string::npos) << dump;
    const std::string line = dump.substr(nImage, dump.find('\n', nImage) - nImage);
    EXPECT_NE(line.find("\"value\":1,\"text\":\"\"}],\"color\""), std::string::npos) << line;
}

TEST_F(FormattingSessionTest, ACommandWhileAColumnHasTheFocusChangesTheColumn) {
    Open(Arial("ab") + Frame(Arial("left"), Times("right"), 120) + Arial("cd"));
    ASSERT_NE(Editor().m_pChildEdit[0][0], nullptr);
    Out(ClickInto(*Editor().m_pChildEdit[0][0]) + "key Home\n" + SelectRight(2) +
        "check bold on\ncommand bold\n");
    EXPECT_EQ(Markup(), Arial("ab") +
                            Frame(Arial("le", kBoldStyle) + Arial("ft"), Times("right"), 480) +
                            Arial("cd") + "\n");
    // The step is the top-level editor's: one undo gives the column back.
    Out("command undo\n");
    EXPECT_EQ(Markup(),
              Arial("ab") + Frame(Arial("left"), Times("right"), 480) + Arial("cd") + "\n");
}

TEST_F(FormattingSessionTest, CtrlBIAndUToggleAsAClickOnTheButtonDoes) {
    Open(Arial("abcd"));
    Out("command selectall\nkey B ctrl\n");
    EXPECT_EQ(Markup(), Arial("abcd", kBoldStyle) + "\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kBold), "53006 enabled checked");
    Out("key I ctrl\nkey U ctrl\n");
    EXPECT_EQ(Markup(), Arial("abcd", "1,1,1") + "\n");
    Out("key B ctrl\n");
    EXPECT_EQ(Markup(), Arial("abcd", "1,0,1") + "\n");
    // With nothing selected the next typed text takes it, and no key reloads it first.
    Out("key End\nkey B ctrl\ntype x\n");
    EXPECT_EQ(Markup(), Arial("abcd", "1,0,1") + Arial("x", "1,1,1") + "\n");
    // Switched off with the other shortcuts, Ctrl+B does nothing.
    Editor().SetShortcuts(false);
    Out("command selectall\nkey B ctrl\n");
    EXPECT_EQ(Markup(), Arial("abcd", "1,0,1") + Arial("x", "1,1,1") + "\n");
}

TEST_F(FormattingSessionTest, TheTimerGreysAndEnablesTheClipboardButtons) {
    Open(Arial("abcd"));
    Out("wait 400\n");
    std::string toolbar = Toolbar();
    // Nothing selected, nothing on the clipboard; the frame button starts greyed.
    for (UINT nId : {kCut, kCopy, kHotLink, kPaste, kInsertMultiColumn})
        EXPECT_EQ(ButtonLine(toolbar, nId), std::to_string(nId) + " indeterminate");
    for (UINT nId : {kInsertImage, kInsertFormula, kBold, kImportText, kInsertSymbol})
        EXPECT_EQ(ButtonLine(toolbar, nId), std::to_string(nId) + " enabled");
    Out("key Home\n" + SelectRight(2) + "wait 400\n");
    toolbar = Toolbar();
    for (UINT nId : {kCut, kCopy, kHotLink})
        EXPECT_EQ(ButtonLine(toolbar, nId), std::to_string(nId) + " enabled");
    // A cut after an earlier removal greys Paste at once, though the clipboard held text;
    // the next tick finds the cut text.
    Out("clipboard text x\nwait 400\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kPaste), "53005 enabled");
    // The cut runs outside the event loop, so no tick can come between it and the look.
    Out("key Delete\n" + SelectRight(1));
    Editor().OnInsertCut();
    ASSERT_NE(Editor().ToolBar(), nullptr);
    EXPECT_EQ(Editor().ToolBar()->GetButtonState(kPaste), TBSTATE_INDETERMINATE);
    Out("wait 400\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kPaste), "53005 enabled");
    // Text from another program counts as pastable too.
    ClearClipboard();
    Out("wait 400\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kPaste), "53005 indeterminate");
    Out("clipboard text hi\nwait 400\n");
    EXPECT_EQ(ButtonLine(Toolbar(), kPaste), "53005 enabled");
}

TEST_F(FormattingSessionTest, TheControlsShowTheFormatAtTheCursor) {
    Open(TextRun("arial", 10, "abc", "1,1,0", "0,0,255") + TextRun("NoSuchFace", 13, "def") +
         TextRun("Times New Roman", 16, "ghi", "0,0,1", "0,0,0", 0) + Arial("jkl"));
    // In the first run: the "Arial" item whatever the case, item 13 ("10.5", 10 pixels).
    Out("key Home\nkey Right\n");
    std::string toolbar = Toolbar();
    EXPECT_EQ(ToolbarLine(toolbar, "font"), "font Arial");
    EXPECT_EQ(ToolbarLine(toolbar, "size"), "size 13");
    EXPECT_EQ(ToolbarLine(toolbar, "color"), "color 0000FF");
    EXPECT_EQ(ButtonLine(toolbar, kBold), "53006 enabled checked");
    EXPECT_EQ(ButtonLine(toolbar, kItalic), "53007 enabled checked");
    EXPECT_EQ(ButtonLine(toolbar, kUnderline), "53008 enabled");
    // A face no item has and a size outside the table leave both boxes as they were.
    Out("key Right\nkey Right\nkey Right\nkey Right\n");
    toolbar = Toolbar();
    EXPECT_EQ(ToolbarLine(toolbar, "font"), "font Arial");
    EXPECT_EQ(ToolbarLine(toolbar, "size"), "size 13");
    EXPECT_EQ(ToolbarLine(toolbar, "color"), "color 000000");
    EXPECT_EQ(ButtonLine(toolbar, kBold), "53006 enabled");
    // Raised text: the raised button down; then text in the normal position: both up. (The
    // place after a run's last character is the start of the next run.)
    Out("key Right\nkey Right\nkey Right\n");
    toolbar = Toolbar();
    EXPECT_EQ(ToolbarLine(toolbar, "font"), "font Times New Roman");
    EXPECT_EQ(ToolbarLine(toolbar, "size"), "size 10");
    EXPECT_EQ(ButtonLine(toolbar, kRaised), "53027 enabled checked");
    EXPECT_EQ(ButtonLine(toolbar, kUnderline), "53008 enabled checked");
    Out("key End\n");
    toolbar = Toolbar();
    EXPECT_EQ(ButtonLine(toolbar, kRaised), "53027 enabled");
    EXPECT_EQ(ButtonLine(toolbar, kLowered), "53026 enabled");
    EXPECT_EQ(ToolbarLine(toolbar, "size"), "size 12");
}

// On a real X server (Xvfb) the tool window shows its controls on the button face, not a
// black box, and the picker's popup its grid. (Under the sanitizers, what the X platform's
// system libraries keep at exit is not this test's concern: leak checks are off for it.)
class ToolWindowOnAnXServer : public ProgramDirTest {};

TEST_F(ToolWindowOnAnXServer, TheToolWindowAndThePickerDrawTheirControls) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not on the PATH";
    std::error_code error;
    const std::filesystem::path tool =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "tessel";
    if (error || !std::filesystem::exists(tool)) GTEST_SKIP() << "no tessel beside the test";
    Write("shots.play", "wait 400\nsnapshot-toolbar tools.png\nsnapshot-picker picker.png\n");
    const std::string command =
        "cd '" + m_dir.string() +
        "' && QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 timeout 60 xvfb-run -a '" +
        tool.string() + "' play shots.play >out.txt 2>err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << Read("err.txt");
    const QImage tools((m_dir / "tools.png").c_str());
    ASSERT_EQ(tools.size(), QSize(430, 75));
    // Below the format bar nothing is drawn but the face: one colour, and not black. The
    // colour button's face shows the current colour (black) inside its sunken edge.
    const QRgb face = tools.pixel(420, 70);
    EXPECT_NE(qGray(face), 0);
    EXPECT_EQ(tools.pixel(10, 70), face);
    EXPECT_EQ(tools.pixel(300, 36), qRgb(0, 0, 0));
    // The popup: 8 x 5 cells of 18 pixels under the "More..." box; the first cell black, the
    // last white.
    const QImage picker((m_dir / "picker.png").c_str());
    ASSERT_GE(picker.width(), 8 * 18);
    ASSERT_GE(picker.height(), 5 * 18);
    const int nBottom = picker.height() - 2 - 9;  // the middle of the last row
    EXPECT_EQ(picker.pixel(picker.width() - 2 - 9, nBottom), qRgb(255, 255, 255));
    EXPECT_EQ(picker.pixel(2 + 9, nBottom - 4 * 18), qRgb(0, 0, 0));
}

}  // namespace
