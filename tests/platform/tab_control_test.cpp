// The tab control with a parent that notes its notifications: the selection as tabs are
// inserted, the notifications of a user's choice and their order, a parent that keeps the
// selection, and a row too narrow for its tabs.

#include "platform/tab_control.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/application.h"
#include "platform/user_input.h"

namespace {

using tessel::platform::ProcessEvents;

constexpr UINT kTabsId = 41;

// A top-level window that notes the tab control's notifications, with the selection each
// one finds.
class CParentWnd : public CWnd {
  public:
    struct Heard {
        UINT nCode;
        int nSelection;
        bool operator==(const Heard&) const = default;
    };
    std::vector<Heard> heard;
    CTabCtrl* pTabs = nullptr;
    bool bKeep = false;  // answer TCN_SELCHANGING with "keep the selection"

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NOTIFY) {
            const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
            EXPECT_EQ(wParam, kTabsId);
            EXPECT_EQ(pHeader->idFrom, kTabsId);
            EXPECT_EQ(pHeader->hwndFrom, pTabs->GetSafeHwnd());
            heard.push_back({pHeader->code, pTabs->GetCurSel()});
            return pHeader->code == TCN_SELCHANGING && bKeep ? TRUE : 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class TabControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE,
                                      10, 10, 600, 200, nullptr, 0));
        m_parent.pTabs = &m_tabs;
        ASSERT_TRUE(m_tabs.Create(WS_VISIBLE, CRect(0, 0, 600, 200), &m_parent, kTabsId));
        EXPECT_EQ(m_tabs.GetCurSel(), -1);
        for (const char* szText : {"One", "Two", "Three"})
            m_tabs.InsertItem(m_tabs.GetItemCount(), szText);
        ProcessEvents();
    }
    void TearDown() override { m_parent.DestroyWindow(); }
    CPoint CentreOf(int nItem) {
        CRect rc;
        EXPECT_TRUE(m_tabs.GetItemRect(nItem, &rc));
        return rc.CenterPoint();
    }
    void Click(CPoint point) {
        m_tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        m_tabs.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }

    CParentWnd m_parent;
    CTabCtrl m_tabs;
};

TEST_F(TabControlTest, InsertingKeepsTheSelectedTabSelectedAndThePaneIsBelowTheRow) {
    CRect rcTab, rc(0, 0, 600, 200);
    ASSERT_TRUE(m_tabs.GetItemRect(0, &rcTab));
    m_tabs.AdjustRect(FALSE, &rc);
    EXPECT_TRUE(rc.top > rcTab.bottom && rc.left > 0 && rc.right < 600 && rc.bottom < 200);
    m_tabs.AdjustRect(TRUE, &rc);
    EXPECT_EQ(rc, CRect(0, 0, 600, 200));

    EXPECT_EQ(m_tabs.GetItemCount(), 3);
    EXPECT_EQ(m_tabs.GetCurSel(), 0);
    EXPECT_EQ(m_tabs.InsertItem(0, "Zero"), 0);
    EXPECT_EQ(m_tabs.GetCurSel(), 1);
    EXPECT_EQ(m_tabs.GetItemText(1), "One");
    EXPECT_EQ(m_tabs.InsertItem(99, "Last"), 4);
    EXPECT_EQ(m_tabs.GetItemText(4), "Last");
    EXPECT_EQ(m_tabs.InsertItem(-1, "None"), -1);
    EXPECT_EQ(m_tabs.GetItemCount(), 5);
    EXPECT_EQ(m_tabs.GetItemText(5), "");
    // Setting by program says nothing to the parent.
    EXPECT_EQ(m_tabs.SetCurSel(3), 1);
    EXPECT_EQ(m_tabs.SetCurSel(5), -1);
    EXPECT_EQ(m_tabs.GetCurSel(), 3);
    EXPECT_TRUE(m_parent.heard.empty());
}

TEST_F(TabControlTest, AClickOnAnotherTabNotifiesBeforeAndAfter) {
    Click(CentreOf(2));
    const std::vector<CParentWnd::Heard> expected = {{TCN_SELCHANGING, 0}, {TCN_SELCHANGE, 2}};
    EXPECT_EQ(m_parent.heard, expected);
    // The selected tab, the pane and the space right of the tabs change nothing.
    m_parent.heard.clear();
    Click(CentreOf(2));
    Click(CPoint(300, 100));
    CRect rcLast;
    ASSERT_TRUE(m_tabs.GetItemRect(2, &rcLast));
    Click(CPoint(rcLast.right + 5, rcLast.top + 3));
    EXPECT_TRUE(m_parent.heard.empty());
    EXPECT_EQ(m_tabs.GetCurSel(), 2);
    EXPECT_EQ(m_tabs.HitTest(CPoint(300, 100)), -1);
    EXPECT_EQ(m_tabs.HitTest(CentreOf(1)), 1);
    // A parent that answers the first notification non-zero keeps the selection.
    m_parent.bKeep = true;
    m_tabs.ChooseItem(1);
    EXPECT_EQ(m_tabs.GetCurSel(), 2);
    EXPECT_EQ(m_parent.heard, (std::vector<CParentWnd::Heard>{{TCN_SELCHANGING, 2}}));
}

TEST_F(TabControlTest, ArrowKeysMoveTheSelectionWhileFocused) {
    m_tabs.SetFocus();
    ProcessEvents();
    using tessel::platform::Key;
    tessel::platform::PressKey(&m_tabs, Key::kRight, 0);
    tessel::platform::PressKey(&m_tabs, Key::kRight, 0);
    tessel::platform::PressKey(&m_tabs, Key::kRight, 0);  // past the last tab: nothing
    EXPECT_EQ(m_tabs.GetCurSel(), 2);
    tessel::platform::PressKey(&m_tabs, Key::kLeft, 0);
    EXPECT_EQ(m_tabs.GetCurSel(), 1);
    const std::vector<CParentWnd::Heard> expected = {{TCN_SELCHANGING, 0}, {TCN_SELCHANGE, 1},
                                                     {TCN_SELCHANGING, 1}, {TCN_SELCHANGE, 2},
                                                     {TCN_SELCHANGING, 2}, {TCN_SELCHANGE, 1}};
    EXPECT_EQ(m_parent.heard, expected);
}

TEST_F(TabControlTest, ANarrowRowScrollsWithItsArrows) {
    // Tabs left to right, each starting where the one before ends.
    CRect rc0, rc1;
    ASSERT_TRUE(m_tabs.GetItemRect(0, &rc0));
    ASSERT_TRUE(m_tabs.GetItemRect(1, &rc1));
    EXPECT_EQ(rc1.left, rc0.right);
    const int nTwoTabs = rc1.right;
    // A control as wide as two tabs and a bit: the third one is out of reach but for the
    // arrows at the right end.
    m_tabs.MoveWindow(0, 0, nTwoTabs + 10, 150);
    CRect rcClient;
    m_tabs.GetClientRect(&rcClient);
    const CPoint ptRightArrow(rcClient.right - 3, rc0.top + 3);
    EXPECT_EQ(m_tabs.HitTest(ptRightArrow), -1);
    Click(ptRightArrow);
    EXPECT_EQ(m_tabs.GetFirstVisible(), 1);
    EXPECT_FALSE(m_tabs.GetItemRect(0, &rc0));
    EXPECT_EQ(m_tabs.HitTest(CentreOf(1)), 1);
    EXPECT_TRUE(m_parent.heard.empty());
    // Selecting the first tab by program brings it back into sight.
    m_tabs.SetCurSel(0);
    EXPECT_EQ(m_tabs.GetFirstVisible(), 0);
    // Wide again: every tab shows.
    m_tabs.SetCurSel(2);
    m_tabs.MoveWindow(0, 0, 600, 150);
    ProcessEvents();
    EXPECT_EQ(m_tabs.GetFirstVisible(), 0);
}

}  // namespace
