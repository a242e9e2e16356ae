// The tool window on its own, with a window that records what reaches it standing in for the
// editor: where its controls are, what its buttons and boxes send and to whom, its tool tips,
// and keys typed into it. The expected places, orders and texts are those the tool window's
// rules give, written out here by hand.

#include "widgets/tool_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/user_input.h"
#include "widgets/edit_commands.h"
#include "widgets/list_fields.h"

namespace {

using namespace tessel::commands;
using tessel::platform::ProcessEvents;

struct Received {
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
};

// Stands in for the editor window: records commands, keys and the picker's colour.
class CRecorder : public CWnd {
  public:
    std::vector<Received> m_log;
    std::vector<UINT> Commands() const {
        std::vector<UINT> ids;
        for (const Received& r : m_log)
            if (r.nMessage == WM_COMMAND) ids.push_back(LOWORD(r.wParam));
        return ids;
    }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND || message == WM_CHAR || message == WM_KEYDOWN ||
            message == kColourChosenMessage)
            m_log.push_back({message, wParam, lParam});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ToolWindowTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override {
        ASSERT_TRUE(m_editor.CreateEx(0, AfxRegisterWndClass(0), "editor", WS_POPUP | WS_VISIBLE,
                                      40, 300, 500, 300, nullptr, 0));
        ASSERT_TRUE(m_tools.Create(nullptr, &m_editor));
        m_tools.ShowWindow(SW_SHOW);
        ProcessEvents();
    }
    void TearDown() override {
        m_tools.DestroyWindow();
        m_editor.DestroyWindow();
        ProcessEvents();
    }
    // A control's rectangle in the tool window's client area.
    CRect PlaceOf(CWnd& control) {
        CRect rc;
        control.GetWindowRect(&rc);
        m_tools.ScreenToClient(&rc);
        return rc;
    }
    CPoint CentreOf(CToolBarCtrl& bar, UINT nID) {
        CRect rc;
        EXPECT_TRUE(bar.GetItemRect(bar.CommandToIndex(nID), &rc));
        return rc.CenterPoint();
    }

    CRecorder m_editor;
    CEditToolWnd m_tools;
};

TEST_F(ToolWindowTest, TheControlsAreWhereTheRulesPutThem) {
    EXPECT_EQ(m_tools.GetWindowText(), "Text Editor");
    CRect rc;
    m_tools.GetClientRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(430, 75));
    EXPECT_EQ(PlaceOf(m_tools.m_InsertBar), CRect(0, 0, 430, 22));
    EXPECT_EQ(PlaceOf(m_tools.m_FormatBar), CRect(205, 25, 275, 50));
    EXPECT_EQ(PlaceOf(m_tools.m_ColourBtn), CRect(277, 26, 370, 46));
    // The boxes' closed height is their own; their left edges and widths are the rules'.
    const CRect rcFont = PlaceOf(m_tools.m_FontBox), rcSize = PlaceOf(m_tools.m_SizeBox);
    EXPECT_EQ(rcFont.TopLeft(), CPoint(0, 25));
    EXPECT_EQ(rcFont.Width(), 128);
    EXPECT_EQ(rcSize.TopLeft(), CPoint(130, 25));
    EXPECT_EQ(rcSize.Width(), 73);
    EXPECT_EQ(m_tools.m_FontBox.GetDlgCtrlID(), kFontBox);
    EXPECT_EQ(m_tools.m_SizeBox.GetDlgCtrlID(), kSizeBox);
    EXPECT_EQ(m_tools.m_ColourBtn.GetDlgCtrlID(), 323u);
}

TEST_F(ToolWindowTest, TheButtonsComeInOrderWithTheirKindsAndTips) {
    struct Expected {
        UINT nId;  // 0: a separator
        bool bCheck;
        const char* szTip;
    };
    const std::vector<Expected> insert = {
        {53009, false, "Insert Image"},
        {53010, false, "Insert Formula"},
        {53011, false, "Insert Edit Frame"},
        {53012, false, "Insert Judgement"},
        {53013, false, "Insert Choices"},
        {0, false, ""},
        {53016, false, "Insert Page Total Score"},
        {53015, false, "Insert Total Score"},
        {53014, false, "Insert Page Score"},
        {0, false, ""},
        {53017, false, "Insert Frame"},
        {53018, false, "Insert Hot Link"},
        {53027, true, "Insert Superscript"},
        {53026, true, "Insert Subscript"},
        {0, false, ""},
        {53004, false, "Cut"},
        {53003, false, "Copy"},
        {53005, false, "Paste"},
        {0, false, ""},
        {52770, false, "Insert Text"},
        {52768, true, "Insert Symbol"},
    };
    const std::vector<Expected> format = {
        {53006, true, "Bold"}, {53007, true, "Italic"}, {53008, true, "UnderLine"}};
    for (const auto& [pBar, expected] :
         {std::pair<CToolBarCtrl*, const std::vector<Expected>*>{&m_tools.m_InsertBar, &insert},
          {&m_tools.m_FormatBar, &format}}) {
        ASSERT_EQ(pBar->GetButtonCount(), static_cast<int>(expected->size()));
        for (int i = 0; i < pBar->GetButtonCount(); ++i) {
            TBBUTTON button;
            ASSERT_TRUE(pBar->GetButton(i, &button));
            const Expected& e = (*expected)[static_cast<size_t>(i)];
            if (e.nId == 0) {
                EXPECT_TRUE(button.fsStyle & TBSTYLE_SEP) << i;
                continue;
            }
            EXPECT_EQ(static_cast<UINT>(button.idCommand), e.nId) << i;
            EXPECT_EQ((button.fsStyle & TBSTYLE_CHECK) != 0, e.bCheck) << e.nId;
            EXPECT_EQ(CEditToolWnd::ToolTipOf(e.nId), e.szTip);
        }
    }
    // Only the frame button starts greyed.
    EXPECT_TRUE(m_tools.GetButtonState(kInsertMultiColumn) & TBSTATE_INDETERMINATE);
    EXPECT_EQ(m_tools.GetButtonState(kInsertImage), TBSTATE_ENABLED);
}

TEST_F(ToolWindowTest, HoveringShowsTheTipAndAClickGoesToTheEditor) {
    CToolBarCtrl& bar = m_tools.m_InsertBar;
    for (const auto& [nId, szTip] : {std::pair<UINT, const char*>{kCopy, "Copy"}, {kCut, "Cut"}}) {
        tessel::platform::MoveMouse(&bar, CentreOf(bar, nId), 0);
        tessel::platform::RunEventLoopFor(700);
        EXPECT_EQ(tessel::platform::ShownToolTip(), szTip);
        tessel::platform::MoveMouse(&bar, CPoint(2, 60), 0);
    }
    const CPoint pt = CentreOf(bar, kInsertImage);
    tessel::platform::PressMouse(&bar, pt, tessel::platform::MouseButton::kLeft, 0);
    tessel::platform::ReleaseMouse(&bar, pt, tessel::platform::MouseButton::kLeft, 0);
    ProcessEvents();
    EXPECT_EQ(m_editor.Commands(), std::vector<UINT>{kInsertImage});
    // A greyed button sends nothing.
    const CPoint ptFrame = CentreOf(bar, kInsertMultiColumn);
    tessel::platform::PressMouse(&bar, ptFrame, tessel::platform::MouseButton::kLeft, 0);
    tessel::platform::ReleaseMouse(&bar, ptFrame, tessel::platform::MouseButton::kLeft, 0);
    ProcessEvents();
    EXPECT_EQ(m_editor.Commands(), std::vector<UINT>{kInsertImage});
}

TEST_F(ToolWindowTest, TheBoxesHoldTheirItemsAndPassTheirChoicesOn) {
    CCJComboBox& sizes = m_tools.m_SizeBox;
    const std::vector<std::string> expected = {"72", "48", "36", "28",  "26",  "24",  "22",
                                               "20", "18", "16", "14",  "12",  "11",  "10.5",
                                               "10", "9",  "8",  "7.5", "6.5", "5.5", "5"};
    ASSERT_EQ(sizes.GetCount(), 21);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(sizes.GetLBText(i), expected[static_cast<size_t>(i)]);
    EXPECT_EQ(sizes.GetCurSel(), 5);

    CCJComboBox& fonts = m_tools.m_FontBox;
    EXPECT_EQ(fonts.GetCurSel(), 0);
    EXPECT_NE(fonts.FindStringExact(-1, "Arial"), CB_ERR);
    EXPECT_NE(fonts.FindStringExact(-1, "\xCB\xCE\xCC\xE5"), CB_ERR);  // 宋体
    EXPECT_NE(fonts.FindStringExact(-1, "times new roman"), CB_ERR);

    // A choice in a box is posted to the editor as the box sent it.
    sizes.ChooseItem(3);
    fonts.ChooseItem(fonts.FindStringExact(-1, "Arial"));
    EXPECT_TRUE(m_editor.m_log.empty());
    ProcessEvents();
    ASSERT_EQ(m_editor.m_log.size(), 2u);
    EXPECT_EQ(m_editor.m_log[0].wParam, MAKEWPARAM(kSizeBox, CBN_SELCHANGE));
    EXPECT_EQ(m_editor.m_log[0].lParam, reinterpret_cast<LPARAM>(sizes.m_hWnd));
    EXPECT_EQ(m_editor.m_log[1].wParam, MAKEWPARAM(kFontBox, CBN_SELCHANGE));
}

TEST_F(ToolWindowTest, AColourChosenInThePickerReachesTheEditor) {
    m_tools.m_ColourBtn.SendMessage(CPN_SELENDOK, RGB(12, 34, 56), 0);
    ProcessEvents();
    ASSERT_EQ(m_editor.m_log.size(), 1u);
    EXPECT_EQ(m_editor.m_log[0].nMessage, kColourChosenMessage);
    EXPECT_EQ(m_editor.m_log[0].wParam, RGB(12, 34, 56));
    EXPECT_EQ(m_tools.m_ColourBtn.GetColour(), RGB(12, 34, 56));
}

TEST_F(ToolWindowTest, KeysTypedIntoTheToolWindowGoToTheEditor) {
    m_tools.m_FontBox.SetFocus();
    ProcessEvents();
    tessel::platform::PressCharacterKey(&m_tools.m_FontBox, U'q', 0);
    tessel::platform::ReleaseCharacterKey(&m_tools.m_FontBox, U'q', 0);
    ProcessEvents();
    std::vector<UINT> chars;
    for (const Received& r : m_editor.m_log)
        if (r.nMessage == WM_CHAR) chars.push_back(static_cast<UINT>(r.wParam));
    EXPECT_EQ(chars, std::vector<UINT>{'q'});
    EXPECT_EQ(CWnd::GetFocus(), &m_editor);
    // The font box did not take the key as a choice.
    EXPECT_EQ(m_tools.m_FontBox.GetCurSel(), 0);
}

TEST_F(ToolWindowTest, TheWindowDrawsItsControls) {
    CBitmap bitmap;
    ASSERT_TRUE(tessel::platform::CaptureWindow(&m_tools, bitmap));
    // Not a black box: most of the window shows the button face, and the colour button its
    // black face.
    const COLORREF crFace = GetSysColor(COLOR_3DFACE);
    int nFace = 0, nAll = 0;
    for (int y = 0; y < 75; y += 3)
        for (int x = 0; x < 430; x += 3, ++nAll)
            if (bitmap.GetPixel(x, y) == crFace) ++nFace;
    EXPECT_GT(nFace, nAll / 3);
    EXPECT_EQ(bitmap.GetPixel(300, 36), RGB(0, 0, 0));
}

TEST(ListFieldTest, FieldsCountFromOneAndTheLastCounts) {
    using tessel::widgets::GetListField;
    EXPECT_EQ(GetListField("Bold|Italic|UnderLine", 1), "Bold");
    EXPECT_EQ(GetListField("Bold|Italic|UnderLine", 3), "UnderLine");
    EXPECT_EQ(GetListField("Bold|Italic|UnderLine", 4), "");
    EXPECT_EQ(GetListField("a||b", 2), "");
    EXPECT_EQ(GetListField("a||b", 3), "b");
    EXPECT_EQ(GetListField("a|", 2), "");
    EXPECT_EQ(GetListField("alone", 1), "alone");
    EXPECT_EQ(GetListField("alone", 0), "");
    EXPECT_EQ(GetListField("", 1), "");
    // "\xB5\x7C" is one double-byte character whose second byte is the separator's.
    EXPECT_EQ(GetListField("\xB5\x7C|b", 1), "\xB5\x7C");
    EXPECT_EQ(GetListField("\xB5\x7C|b", 2), "b");
}

}  // namespace
