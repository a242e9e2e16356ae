// The editor as a host sees it: opening, frames and their column editors, the markup handed
// back, scrolling, the tool window and the process-wide windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/application.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"
#include "widgets/tool_window.h"

namespace {

const std::string kText = "<Font('Arial',12,0,0,0)><Color(0,0,0)>";
std::string TextRun(const std::string& text) {
    return kText + text + "</Color></Font>";
}
std::string Frame(int n, const std::string& widths) {
    return "<MultiColumn(" + std::to_string(n) + ",10," + widths + ")>";
}

class EditorTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override {
        ASSERT_TRUE(m_host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, 50,
                                    200, 620, 420, nullptr, 0));
    }
    void TearDown() override {
        m_pEdit.reset();
        m_host.DestroyWindow();
    }
    CTesselEdit& Open(const std::string& markup, int nWidth = 600, int nHeight = 400) {
        m_pEdit = std::make_unique<CTesselEdit>();
        EXPECT_EQ(m_pEdit->Edit(m_host.m_hWnd, CRect(10, 10, 10 + nWidth, 10 + nHeight),
                                RGB(0, 0, 255), markup.c_str(), 0, 2, 1.0),
                  1);
        return *m_pEdit;
    }
    CWnd m_host;
    std::unique_ptr<CTesselEdit> m_pEdit;
};

TEST_F(EditorTest, AnEmptyPageOpensAsOneEmptyRow) {
    CTesselEdit& edit = Open("");
    EXPECT_EQ(edit.m_Row[0], (ROW{18, 0, 0, 0}));
    EXPECT_TRUE(edit.m_Row[1].IsEndMarker());
    EXPECT_EQ(edit.m_CurPos, TEXTPOS{});
    EXPECT_EQ(edit.m_rcEdit, CRect(0, 0, 600, 400));
    EXPECT_EQ(edit.m_nEditID, -1);
    EXPECT_EQ(g_nFocusEdit, -1);
    EXPECT_NE(g_nClipFormat, 0u);
    char buffer[16] = "untouched";
    EXPECT_EQ(edit.GetEditText(buffer), 1);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(edit.GetEditText(), "");
    EXPECT_EQ(edit.GetWinHeight(), 18);
}

TEST_F(EditorTest, FramesBecomeColumnEditorsAndComeBackFlat) {
    const std::string page = TextRun("before") + Frame(2, "200,300") + "<StartColumn>" +
                             TextRun("left") + "<EndColumn><StartColumn>" + TextRun("right") +
                             "<EndColumn>" + TextRun("after");
    CTesselEdit& edit = Open(page);
    CTesselEdit* pLeft = edit.m_pChildEdit[0][0];
    CTesselEdit* pRight = edit.m_pChildEdit[0][1];
    ASSERT_TRUE(pLeft && pRight);
    EXPECT_EQ(pLeft->m_nEditID, 0);
    EXPECT_EQ(pRight->m_nEditID, 1);
    EXPECT_EQ(pLeft->GetParent(), &edit);
    EXPECT_FALSE(pLeft->IsWindowVisible());  // shown when the frame is drawn
    // The document holds the frame as one element; its last column takes the rest.
    edit.m_pList->First();
    edit.m_pList->Next();
    CLink* pFrame = edit.m_pList->GetCurr();
    ASSERT_EQ(pFrame->m_nKind, kKindColumnFrame);
    EXPECT_EQ(pFrame->m_Command[3].nValue, 600 - 200);
    EXPECT_EQ(pFrame->m_Command[4].nValue, 0);  // the frame number

    // The frame is written back in its flat form, the last width as the editor set it.
    const std::string expected = TextRun("before") + Frame(2, "200,400") + "<StartColumn>" +
                                 TextRun("left") + "<EndColumn><StartColumn>" + TextRun("right") +
                                 "<EndColumn>" + TextRun("after");
    EXPECT_EQ(edit.GetEditText(), expected);
    std::string buffer(expected.size() + 1, '\x7f');
    edit.GetEditText(buffer.data());
    EXPECT_EQ(buffer.c_str(), expected);

    // A paint places the column windows on the frame's row, side by side with the gap.
    CBitmap shot;
    ASSERT_TRUE(tessel::platform::CaptureWindow(&m_host, shot));
    CRect rcLeft, rcRight, rcEdit;
    pLeft->GetWindowRect(&rcLeft);
    pRight->GetWindowRect(&rcRight);
    edit.GetWindowRect(&rcEdit);
    EXPECT_TRUE(pLeft->IsWindowVisible());
    EXPECT_EQ(rcLeft.left - rcEdit.left, 0);
    EXPECT_EQ(rcRight.left - rcEdit.left, 210);
    EXPECT_EQ(rcLeft.top - rcEdit.top, edit.m_Row[0].nHeight);
    EXPECT_EQ(rcLeft.Height(), edit.m_Row[1].nHeight);
}

TEST_F(EditorTest, MarkupThatFramesCannotHoldIsKeptAsWritten) {
    // Nine frames (one too many), a frame of 17 columns, and a frame whose markup has text
    // between its columns and ends before its second column closes.
    std::string page;
    for (int i = 0; i < 9; ++i)
        page += Frame(1, "50") + "<StartColumn>" + TextRun(std::to_string(i)) + "<EndColumn>";
    std::string wide = "<MultiColumn(17,1";
    for (int i = 0; i < 17; ++i)
        wide += ",5";
    wide += ")><StartColumn>" + TextRun("w") + "<EndColumn>";
    page += wide;
    CTesselEdit& edit = Open(page);
    for (int f = 0; f < kMaxFrames; ++f)
        EXPECT_NE(edit.m_pChildEdit[f][0], nullptr) << f;
    // The ninth frame and the wide one stay in their flat form: nothing is lost.
    const std::string back = edit.GetEditText();
    EXPECT_NE(back.find(Frame(1, "50") + "<StartColumn>" + TextRun("8") + "<EndColumn>"),
              std::string::npos)
        << back;
    EXPECT_NE(back.find(wide), std::string::npos) << back;

    CTesselEdit& repaired =
        Open(Frame(2, "100,100") + TextRun("stray") + "<StartColumn>" + TextRun("a") +
             "<EndColumn>" + TextRun("between") + "<StartColumn>" + TextRun("b"));
    EXPECT_EQ(repaired.GetEditText(), Frame(2, "100,500") + "<StartColumn>" + TextRun("stray") +
                                          TextRun("a") + "<EndColumn><StartColumn>" +
                                          TextRun("between") + TextRun("b") + "<EndColumn>");
}

TEST_F(EditorTest, TheViewFollowsTheCursorsRow) {
    CTesselEdit edit;  // rows given by hand: no window needed
    edit.m_rcEdit = CRect(0, 0, 300, 100);
    for (int r = 0; r < 5; ++r)
        edit.m_Row[r] = ROW{40, r, 0, 0};
    edit.m_Row[5] = ROW{};
    edit.m_CurPos = {1, 0, 0};  // rows 0 and 1 are visible
    EXPECT_EQ(edit.SetMyViewPort(nullptr), 0);
    edit.m_CurPos = {3, 0, 0};  // row 3 spans 120..160: its bottom goes to the view's bottom
    EXPECT_EQ(edit.SetMyViewPort(nullptr), 1);
    EXPECT_EQ(edit.m_nViewOrgY, 100 - 160);
    edit.m_CurPos = {0, 0, 5};  // back up: row 0's top to the view's top
    EXPECT_EQ(edit.SetMyViewPort(nullptr), 1);
    EXPECT_EQ(edit.m_nViewOrgY, 0);
    edit.m_CurPos = {9, 0, 0};  // beyond the last row: the last row
    EXPECT_EQ(edit.SetMyViewPort(nullptr), 1);
    EXPECT_EQ(edit.m_nViewOrgY, 100 - 200);
    edit.m_Row[4].nHeight = 150;  // a row taller than the view shows its bottom
    EXPECT_EQ(edit.SetMyViewPort(nullptr), 1);
    EXPECT_EQ(edit.m_nViewOrgY, 100 - 310);
}

TEST_F(EditorTest, ToolWindowFloatsAboveAndProcessWindowsAreReleased) {
    CTesselEdit& edit = Open(TextRun("x"));
    ASSERT_NE(edit.m_pToolBar, nullptr);
    CRect rcBar, rcEdit;
    edit.m_pToolBar->GetWindowRect(&rcBar);
    edit.GetWindowRect(&rcEdit);
    EXPECT_EQ(rcBar.left, rcEdit.left);
    EXPECT_EQ(rcBar.bottom + 20, rcEdit.top);
    EXPECT_EQ(edit.m_pToolBar->GetWindowText(), "Text Editor");
    EXPECT_TRUE(edit.m_pToolBar->IsWindowVisible());
    ASSERT_NE(g_pSymbolDlg, nullptr);
    EXPECT_FALSE(g_pSymbolDlg->IsWindowVisible());
    EXPECT_EQ(g_pSymbolDlg->GetWindowText(), "Insert Symbol");
    EXPECT_EQ(edit.m_Menu.GetMenuItemCount(), 5);
    EXPECT_EQ(edit.m_Menu.GetMenuItemID(4), 53018u);

    // A second editor shares the symbol window; the slot empties with its maker.
    CTesselEdit second;
    ASSERT_EQ(second.Edit(m_host.m_hWnd, CRect(0, 0, 100, 100), 0, "", 0, 2, 1.0), 1);
    CSymbolDlg* pShared = g_pSymbolDlg;
    second.DestroyWindow();
    EXPECT_EQ(g_pSymbolDlg, pShared);
    m_pEdit.reset();
    EXPECT_EQ(g_pSymbolDlg, nullptr);
}

TEST_F(EditorTest, TheMessageMapRoutesEveryMessageOfTheEditor) {
    CTesselEdit edit;
    const MessageMap* pMap = edit.GetMessageMap();
    auto has = [&](UINT nMessage, UINT nId = 0) {
        return std::ranges::any_of(pMap->entries, [&](const MessageMapEntry& e) {
            return e.nMessage == nMessage && e.nId == nId;
        });
    };
    for (UINT nMessage :
         {WM_CREATE, WM_KEYDOWN, WM_LBUTTONDOWN, WM_CHAR, WM_KEYUP, WM_LBUTTONUP, WM_MOUSEMOVE,
          WM_DESTROY, WM_PAINT, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_KILLFOCUS,
          WM_ACTIVATE, WM_TIMER, WM_SETCURSOR, tessel::commands::kColourChosenMessage,
          tessel::commands::kInsertSymbolCharMessage})
        EXPECT_TRUE(has(nMessage)) << nMessage;
    for (UINT nId = 53003; nId <= 53028; ++nId) {
        if (nId == 53019 || nId == 53020 || nId == 53021 || nId == 53022 || nId == 53023)
            continue;  // tool bars, not commands
        EXPECT_TRUE(has(WM_COMMAND, nId)) << nId;
    }
    EXPECT_TRUE(has(WM_COMMAND, 52770));
    EXPECT_TRUE(has(WM_COMMAND, 52768));
    // The editor's own commands: undo, redo, select all, paste as plain text.
    for (UINT nId = 53090; nId <= 53093; ++nId)
        EXPECT_TRUE(has(WM_COMMAND, nId)) << nId;
    EXPECT_EQ(pMap->entries.size(), 45u);
}

}  // namespace

namespace {

// The paint lays the page out again whenever anything the layout reads has changed, whoever
// changed it: here the document is changed behind the editor's back and only repainted.
TEST_F(EditorTest, APaintLaysOutAgainWhateverChangedTheDocument) {
    CTesselEdit& edit = Open(TextRun("ab"));
    auto repaint = [&edit] {
        edit.Invalidate(TRUE);
        edit.UpdateWindow();
    };
    repaint();
    ASSERT_TRUE(edit.m_Row[1].IsEndMarker());
    const int nOneRow = edit.m_Row[0].nHeight;
    // A line feed put into the text: two rows.
    CLink* pText = edit.m_pList->FirstLink();
    pText->m_Command[0].strText = "a\nb";
    repaint();
    EXPECT_FALSE(edit.m_Row[1].IsEndMarker());
    EXPECT_TRUE(edit.m_Row[2].IsEndMarker());
    // A larger size: taller rows.
    pText->m_Font[1].nValue = 40;
    repaint();
    EXPECT_GT(edit.m_Row[0].nHeight, nOneRow);
    // A row table written by someone else is laid out again.
    const ROW row = edit.m_Row[0];
    edit.m_Row[0].nHeight = -1;
    repaint();
    EXPECT_EQ(edit.m_Row[0], row);
}

}  // namespace
