#include "platform/toolbar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/application.h"
#include "platform/user_input.h"

namespace {

using tessel::platform::CaptureWindow;
using tessel::platform::kNoModifiers;
using tessel::platform::MouseButton;
using tessel::platform::ProcessEvents;
using tessel::platform::RunEventLoopFor;
using tessel::platform::ShownToolTip;

constexpr int kBold = 101, kItalic = 102, kUnderline = 103;
constexpr COLORREF kBlack = RGB(0, 0, 0), kLightGrey = RGB(192, 192, 192);

// A window that notes the commands, notifications, key messages and enable changes it gets,
// answers TTN_NEEDTEXT from its table, and may take keys before they are delivered.
class CLogWnd : public CWnd {
  public:
    struct Command {
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Command> commands;
    std::vector<NMHDR> notifications;
    std::vector<UINT> tipFlags;
    std::vector<std::pair<UINT, WPARAM>> keys;           // delivered
    std::vector<std::pair<UINT, WPARAM>> pretranslated;  // seen by PreTranslateMessage
    std::vector<HWND> pretranslatedFor;                  // the window each was meant for
    std::vector<WPARAM> enables;
    std::vector<UINT> mouse;
    bool bSwallowKeys = false;
    std::vector<std::pair<UINT_PTR, const char*>> tipTexts;
    CToolTipCtrl* pRelayTo = nullptr;  // relays its mouse messages to this tip
    // Every window's PreTranslateMessage calls, in the order they were made.
    static inline std::vector<CLogWnd*> pretranslateOrder;

    BOOL Create(CWnd* pParent, CRect rc, UINT nId = 0) {
        const DWORD dwStyle = WS_VISIBLE | (pParent != nullptr ? WS_CHILD : WS_POPUP);
        return CreateEx(0, AfxRegisterWndClass(0), "log", dwStyle, rc.left, rc.top, rc.Width(),
                        rc.Height(), pParent != nullptr ? pParent->GetSafeHwnd() : nullptr, nId);
    }

  protected:
    const MessageMap* GetMessageMap() const override {
        static constexpr MessageMapEntry kEntries[] = {
            MapMessage<WM_NOTIFY, &CLogWnd::OnNotify>(),
            MapMessage<WM_KEYDOWN, &CLogWnd::OnKeyDown>(),
            MapMessage<WM_CHAR, &CLogWnd::OnChar>(),
            MapMessage<WM_ENABLE, &CLogWnd::OnEnable>(),
            MapMessage<WM_LBUTTONDOWN, &CLogWnd::OnLButtonDown>(),
            MapMessage<WM_MOUSEMOVE, &CLogWnd::OnMouseMove>(),
        };
        static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
        return &map;
    }
    // Commands of every id.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) return OnCommand(wParam, lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        pretranslateOrder.push_back(this);
        pretranslated.emplace_back(pMsg->message, pMsg->wParam);
        pretranslatedFor.push_back(pMsg->hwnd);
        return bSwallowKeys ? TRUE : FALSE;
    }

  private:
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) {
        commands.push_back({wParam, lParam});
        return 0;
    }
    LRESULT OnNotify(WPARAM, LPARAM lParam) {
        auto* pTip = reinterpret_cast<TOOLTIPTEXT*>(lParam);
        notifications.push_back(pTip->hdr);
        if (pTip->hdr.code != TTN_NEEDTEXT) return 0;
        tipFlags.push_back(pTip->uFlags);
        for (const auto& [nId, szText] : tipTexts)
            if (nId == pTip->hdr.idFrom) pTip->lpszText = szText;
        return 0;
    }
    void OnKeyDown(UINT nChar, UINT, UINT) { keys.emplace_back(WM_KEYDOWN, nChar); }
    void OnChar(UINT nChar, UINT, UINT) { keys.emplace_back(WM_CHAR, nChar); }
    LRESULT OnEnable(WPARAM wParam, LPARAM) {
        enables.push_back(wParam);
        return 0;
    }
    void OnLButtonDown(UINT, CPoint) { mouse.push_back(WM_LBUTTONDOWN); }
    void OnMouseMove(UINT nFlags, CPoint pt) {
        mouse.push_back(WM_MOUSEMOVE);
        if (pRelayTo == nullptr) return;
        MSG msg;
        msg.hwnd = m_hWnd;
        msg.message = WM_MOUSEMOVE;
        msg.wParam = nFlags;
        msg.lParam = MAKELPARAM(pt.x, pt.y);
        pRelayTo->RelayEvent(&msg);
    }
};

// A strip of three 16 x 15 images: each a black square on light grey, which is see-through.
void MakeStrip(CBitmap& strip) {
    ASSERT_TRUE(strip.CreateBitmap(48, 15));
    for (int x = 0; x < 48; ++x)
        for (int y = 0; y < 15; ++y) {
            const bool bInk = x % 16 >= 5 && x % 16 < 11 && y >= 4 && y < 10;
            strip.SetPixel(x, y, bInk ? kBlack : kLightGrey);
        }
}

class ToolBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        ASSERT_TRUE(m_host.Create(nullptr, CRect(40, 30, 240, 130)));
        m_host.tipTexts = {{kBold, "Bold"}, {kItalic, "\xD0\xB1\xCC\xE5"}};  // 斜体 in GBK
        MakeStrip(m_strip);
    }
    void TearDown() override {
        CWnd::ReleaseCapture();
        CLogWnd::pretranslateOrder.clear();
    }
    // A bar of Bold, a separator, Italic (a check button) and Underline.
    void MakeBar(CToolBarCtrl& bar, DWORD dwStyle = 0) {
        ASSERT_TRUE(
            bar.Create(WS_VISIBLE | CCS_NORESIZE | dwStyle, CRect(0, 0, 200, 26), &m_host, 50));
        ASSERT_EQ(bar.AddBitmap(3, &m_strip), 0);
        TBBUTTON buttons[4];
        buttons[0].iBitmap = 0;
        buttons[0].idCommand = kBold;
        buttons[1].fsStyle = TBSTYLE_SEP;
        buttons[2].iBitmap = 1;
        buttons[2].idCommand = kItalic;
        buttons[2].fsStyle = TBSTYLE_CHECK;
        buttons[3].iBitmap = 2;
        buttons[3].idCommand = kUnderline;
        ASSERT_TRUE(bar.AddButtons(4, buttons));
    }
    static CPoint Centre(CToolBarCtrl& bar, int nIndex) {
        CRect rc;
        EXPECT_TRUE(bar.GetItemRect(nIndex, &rc));
        return rc.CenterPoint();
    }
    static void Click(CWnd* pWnd, CPoint pt) {
        tessel::platform::PressMouse(pWnd, pt, MouseButton::kLeft, kNoModifiers);
        tessel::platform::ReleaseMouse(pWnd, pt, MouseButton::kLeft, kNoModifiers);
    }
    static std::vector<WPARAM> Commands(const CLogWnd& wnd) {
        std::vector<WPARAM> result;
        for (const auto& c : wnd.commands)
            result.push_back(c.wParam);
        return result;
    }
    // The pixel of the bar at a point, as shown.
    static COLORREF Shown(CWnd& wnd, CPoint pt) {
        CBitmap bitmap;
        EXPECT_TRUE(CaptureWindow(&wnd, bitmap));
        return bitmap.GetPixel(pt.x, pt.y);
    }

    CLogWnd m_host;
    CBitmap m_strip;
};

TEST_F(ToolBarTest, ButtonsAndSeparatorsAreLaidOutFromTheLeftEdge) {
    CToolBarCtrl bar;
    MakeBar(bar);
    EXPECT_EQ(bar.GetButtonCount(), 4);
    EXPECT_EQ(bar.SendMessage(TB_BUTTONCOUNT), 4);
    // Buttons are the image size plus 7 x 7; a separator is 8 pixels wide.
    CRect rc;
    ASSERT_TRUE(bar.GetItemRect(0, &rc));
    EXPECT_EQ(rc, CRect(0, 0, 23, 22));
    ASSERT_TRUE(bar.GetItemRect(1, &rc));
    EXPECT_EQ(rc, CRect(23, 0, 31, 22));
    ASSERT_TRUE(bar.GetItemRect(2, &rc));
    EXPECT_EQ(rc, CRect(31, 0, 54, 22));
    EXPECT_EQ(bar.CommandToIndex(kUnderline), 3);
    EXPECT_EQ(bar.SendMessage(TB_COMMANDTOINDEX, kItalic), 2);
    EXPECT_EQ(bar.CommandToIndex(999), -1);

    // A hidden button takes no room.
    EXPECT_TRUE(bar.HideButton(kItalic));
    EXPECT_FALSE(bar.GetItemRect(2, &rc));
    ASSERT_TRUE(bar.GetItemRect(3, &rc));
    EXPECT_EQ(rc, CRect(31, 0, 54, 22));
    EXPECT_TRUE(bar.HideButton(kItalic, FALSE));

    // Another button size moves everything.
    EXPECT_TRUE(bar.SetButtonSize(CSize(30, 28)));
    ASSERT_TRUE(bar.GetItemRect(2, &rc));
    EXPECT_EQ(rc, CRect(38, 0, 68, 28));
    TBBUTTON button;
    ASSERT_TRUE(bar.GetButton(2, &button));
    EXPECT_EQ(button.idCommand, kItalic);
    EXPECT_TRUE(bar.DeleteButton(1));
    ASSERT_TRUE(bar.GetItemRect(1, &rc));
    EXPECT_EQ(rc, CRect(30, 0, 60, 28));
}

TEST_F(ToolBarTest, AClickSendsOneCommandToTheOwner) {
    CToolBarCtrl bar;
    MakeBar(bar);
    const CPoint ptBold = Centre(bar, 0);
    tessel::platform::PressMouse(&bar, ptBold, MouseButton::kLeft, kNoModifiers);
    // The press alone sends nothing and holds the mouse.
    EXPECT_TRUE(m_host.commands.empty());
    EXPECT_EQ(CWnd::GetCapture(), &bar);
    tessel::platform::ReleaseMouse(&bar, ptBold, MouseButton::kLeft, kNoModifiers);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    ASSERT_EQ(Commands(m_host), std::vector<WPARAM>{MAKEWPARAM(kBold, BN_CLICKED)});
    EXPECT_EQ(m_host.commands[0].lParam, reinterpret_cast<LPARAM>(bar.GetSafeHwnd()));

    // A press on one button and the release on another is no click.
    tessel::platform::PressMouse(&bar, ptBold, MouseButton::kLeft, kNoModifiers);
    tessel::platform::MoveMouse(&bar, Centre(bar, 3), kNoModifiers);
    tessel::platform::ReleaseMouse(&bar, Centre(bar, 3), MouseButton::kLeft, kNoModifiers);
    // Nor is a click on a separator or past the last button.
    Click(&bar, Centre(bar, 1));
    Click(&bar, CPoint(150, 10));
    EXPECT_EQ(m_host.commands.size(), 1u);

    // Once another window is the owner, it gets the commands and the parent none.
    CLogWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, CRect(300, 30, 340, 60)));
    bar.SetOwner(&owner);
    Click(&bar, Centre(bar, 3));
    EXPECT_EQ(Commands(owner), std::vector<WPARAM>{MAKEWPARAM(kUnderline, BN_CLICKED)});
    EXPECT_EQ(m_host.commands.size(), 1u);
    // TB_SETPARENT names the owner too, and answers the one before.
    EXPECT_EQ(bar.SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(m_host.GetSafeHwnd())),
              reinterpret_cast<LRESULT>(owner.GetSafeHwnd()));
    Click(&bar, Centre(bar, 3));
    EXPECT_EQ(m_host.commands.size(), 2u);
    EXPECT_EQ(owner.commands.size(), 1u);
}

TEST_F(ToolBarTest, CheckButtonsToggleOnEachClickAndLookSunken) {
    CToolBarCtrl bar;
    MakeBar(bar);
    const CPoint ptItalic = Centre(bar, 2);
    CRect rcItalic;
    ASSERT_TRUE(bar.GetItemRect(2, &rcItalic));
    const COLORREF crRaisedTopLeft = Shown(bar, rcItalic.TopLeft());

    Click(&bar, ptItalic);
    EXPECT_TRUE(bar.IsButtonChecked(kItalic));
    EXPECT_NE(bar.SendMessage(TB_ISBUTTONCHECKED, kItalic), 0);
    EXPECT_EQ(bar.GetState(kItalic), TBSTATE_ENABLED | TBSTATE_CHECKED);
    // Sunken: the top-left corner is the shadow's now, not the light's.
    EXPECT_EQ(Shown(bar, rcItalic.TopLeft()), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(crRaisedTopLeft, GetSysColor(COLOR_3DLIGHT));

    Click(&bar, ptItalic);
    EXPECT_FALSE(bar.IsButtonChecked(kItalic));
    EXPECT_EQ(bar.SendMessage(TB_ISBUTTONCHECKED, kItalic), 0);
    EXPECT_EQ(Shown(bar, rcItalic.TopLeft()), crRaisedTopLeft);
    EXPECT_EQ(Commands(m_host), (std::vector<WPARAM>{MAKEWPARAM(kItalic, BN_CLICKED),
                                                     MAKEWPARAM(kItalic, BN_CLICKED)}));

    // Checking from code sends nothing; a push button clicked stays unchecked.
    EXPECT_TRUE(bar.CheckButton(kItalic));
    EXPECT_TRUE(bar.IsButtonChecked(kItalic));
    Click(&bar, Centre(bar, 0));
    EXPECT_FALSE(bar.IsButtonChecked(kBold));
    EXPECT_EQ(m_host.commands.size(), 3u);
    EXPECT_FALSE(bar.CheckButton(999));  // no such button
}

TEST_F(ToolBarTest, IndeterminateAndDisabledButtonsIgnoreClicksAndLookGreyed) {
    CToolBarCtrl bar;
    MakeBar(bar);
    CRect rcBold;
    ASSERT_TRUE(bar.GetItemRect(0, &rcBold));
    // The image is centred; its light grey shows the button's face.
    const CPoint ptInk(rcBold.left + 3 + 7, rcBold.top + 3 + 6);
    const CPoint ptSeeThrough(rcBold.left + 3, rcBold.top + 3);
    EXPECT_EQ(Shown(bar, ptInk), kBlack);
    EXPECT_EQ(Shown(bar, ptSeeThrough), GetSysColor(COLOR_BTNFACE));

    EXPECT_TRUE(bar.SetState(kBold, TBSTATE_INDETERMINATE));
    EXPECT_EQ(bar.GetState(kBold), TBSTATE_INDETERMINATE);
    EXPECT_TRUE(bar.IsButtonIndeterminate(kBold));
    EXPECT_FALSE(bar.IsButtonEnabled(kBold));
    Click(&bar, Centre(bar, 0));
    EXPECT_TRUE(m_host.commands.empty());
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_NE(Shown(bar, ptInk), kBlack);

    // Enabled but indeterminate: still greyed, still no clicks.
    EXPECT_TRUE(bar.SetState(kBold, TBSTATE_ENABLED | TBSTATE_INDETERMINATE));
    Click(&bar, Centre(bar, 0));
    EXPECT_TRUE(m_host.commands.empty());
    EXPECT_NE(Shown(bar, ptInk), kBlack);

    EXPECT_TRUE(bar.SetState(kBold, TBSTATE_ENABLED));
    EXPECT_EQ(Shown(bar, ptInk), kBlack);
    EXPECT_TRUE(bar.EnableButton(kBold, FALSE));
    EXPECT_EQ(bar.SendMessage(TB_ISBUTTONENABLED, kBold), 0);
    Click(&bar, Centre(bar, 0));
    EXPECT_TRUE(m_host.commands.empty());
    EXPECT_NE(Shown(bar, ptInk), kBlack);
    EXPECT_TRUE(bar.EnableButton(kBold));
    Click(&bar, Centre(bar, 0));
    EXPECT_EQ(Commands(m_host), std::vector<WPARAM>{MAKEWPARAM(kBold, BN_CLICKED)});
    EXPECT_EQ(bar.GetState(999), -1);
}

TEST_F(ToolBarTest, FlatButtonsShowAFrameOnlyUnderTheMouse) {
    CToolBarCtrl bar;
    MakeBar(bar, TBSTYLE_FLAT);
    CRect rcBold;
    ASSERT_TRUE(bar.GetItemRect(0, &rcBold));
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(Shown(bar, rcBold.TopLeft()), crFace);
    tessel::platform::MoveMouse(&bar, Centre(bar, 0), kNoModifiers);
    EXPECT_EQ(Shown(bar, rcBold.TopLeft()), GetSysColor(COLOR_3DHILIGHT));
    // Leaving the bar takes the frame away.
    tessel::platform::MoveMouse(&m_host, CPoint(100, 80), kNoModifiers);
    EXPECT_EQ(Shown(bar, rcBold.TopLeft()), crFace);
}

TEST_F(ToolBarTest, ButtonTipsAskTheParentForTheirText) {
    CToolBarCtrl bar;
    MakeBar(bar, TBSTYLE_TOOLTIPS);
    CToolTipCtrl* pTips = bar.GetToolTips();
    ASSERT_NE(pTips, nullptr);
    EXPECT_EQ(pTips->GetToolCount(), 3);  // the buttons, not the separator

    tessel::platform::MoveMouse(&bar, Centre(bar, 0), kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "");  // not before the delay
    RunEventLoopFor(600);
    EXPECT_EQ(ShownToolTip(), "Bold");
    EXPECT_EQ(pTips->GetShownText(), "Bold");
    ASSERT_FALSE(m_host.notifications.empty());
    const NMHDR hdr = m_host.notifications.back();
    EXPECT_EQ(hdr.code, TTN_NEEDTEXT);
    EXPECT_EQ(hdr.idFrom, static_cast<UINT_PTR>(kBold));
    EXPECT_EQ(hdr.hwndFrom, pTips->GetSafeHwnd());
    EXPECT_EQ(m_host.tipFlags.back(), 0u);
    EXPECT_TRUE(pTips->IsWindowVisible());

    // Off the buttons (past the last one) the tip goes; the next one is asked for anew.
    tessel::platform::MoveMouse(&bar, CPoint(150, 10), kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "");
    tessel::platform::MoveMouse(&bar, Centre(bar, 2), kNoModifiers);
    RunEventLoopFor(600);
    EXPECT_EQ(ShownToolTip(), "\xD0\xB1\xCC\xE5");
    EXPECT_EQ(m_host.notifications.back().idFrom, static_cast<UINT_PTR>(kItalic));

    // Leaving the bar for its parent hides it, and so does a press.
    tessel::platform::MoveMouse(&m_host, CPoint(100, 80), kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "");
    tessel::platform::MoveMouse(&bar, Centre(bar, 0), kNoModifiers);
    RunEventLoopFor(600);
    EXPECT_EQ(ShownToolTip(), "Bold");
    tessel::platform::PressMouse(&bar, Centre(bar, 0), MouseButton::kLeft, kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "");
    tessel::platform::ReleaseMouse(&bar, Centre(bar, 0), MouseButton::kLeft, kNoModifiers);

    // A button the parent has no text for shows no tip.
    tessel::platform::MoveMouse(&bar, Centre(bar, 3), kNoModifiers);
    RunEventLoopFor(600);
    EXPECT_EQ(ShownToolTip(), "");
    EXPECT_EQ(m_host.notifications.back().idFrom, static_cast<UINT_PTR>(kUnderline));

    // Without TBSTYLE_TOOLTIPS there is no tip.
    CToolBarCtrl plain;
    ASSERT_TRUE(plain.Create(WS_VISIBLE, CRect(0, 40, 100, 66), &m_host, 51));
    EXPECT_EQ(plain.GetToolTips(), nullptr);
}

TEST_F(ToolBarTest, TipsOfAnyWindowShowTheirFixedText) {
    CLogWnd area;
    ASSERT_TRUE(area.Create(&m_host, CRect(10, 10, 110, 60), 7));
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&m_host));
    area.pRelayTo = &tips;
    const CRect rcCorner(0, 0, 20, 20);
    ASSERT_TRUE(tips.AddTool(&area, "Corner", &rcCorner, 5));
    ASSERT_TRUE(tips.AddTool(&area, "Anywhere else"));
    EXPECT_EQ(tips.GetToolCount(), 2);

    tessel::platform::MoveMouse(&area, CPoint(5, 5), kNoModifiers);
    RunEventLoopFor(600);
    EXPECT_EQ(ShownToolTip(), "Corner");
    // The tip is near the pointer, below it.
    CRect rcTip, rcArea;
    tips.GetWindowRect(&rcTip);
    area.GetWindowRect(&rcArea);
    EXPECT_GT(rcTip.top, rcArea.top + 5);
    EXPECT_LT(rcTip.top, rcArea.top + 5 + 40);
    EXPECT_LT(std::abs(rcTip.left - (rcArea.left + 5)), 40);

    tessel::platform::MoveMouse(&area, CPoint(60, 30), kNoModifiers);
    RunEventLoopFor(600);
    EXPECT_EQ(ShownToolTip(), "Anywhere else");
    EXPECT_TRUE(m_host.notifications.empty());  // fixed texts ask nobody
    tips.UpdateTipText("Changed", &area);
    EXPECT_EQ(ShownToolTip(), "Changed");

    // Moving off the window hides the tip, though the window relays nothing more.
    tessel::platform::MoveMouse(&m_host, CPoint(150, 80), kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "");

    // Without a delay the tip shows on the first move; Pop hides it; inactive, none shows.
    tips.SetDelayTime(TTDT_INITIAL, 0);
    tessel::platform::MoveMouse(&area, CPoint(5, 5), kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "Corner");
    tips.Pop();
    EXPECT_EQ(ShownToolTip(), "");
    tips.Activate(FALSE);
    tessel::platform::MoveMouse(&area, CPoint(60, 30), kNoModifiers);
    RunEventLoopFor(100);
    EXPECT_EQ(ShownToolTip(), "");
    tips.Activate(TRUE);
    tips.DelTool(&area, 5);
    EXPECT_EQ(tips.GetToolCount(), 1);
    tessel::platform::MoveMouse(&area, CPoint(5, 5), kNoModifiers);
    EXPECT_EQ(ShownToolTip(), "Changed");
    tips.DestroyWindow();
    EXPECT_EQ(ShownToolTip(), "");
}

TEST_F(ToolBarTest, DisabledWindowsGetNoMouseOrKeys) {
    CToolBarCtrl bar;
    MakeBar(bar);
    EXPECT_TRUE(bar.IsWindowEnabled());
    EXPECT_FALSE(bar.EnableWindow(FALSE));  // it was enabled
    EXPECT_FALSE(bar.IsWindowEnabled());
    Click(&bar, Centre(bar, 0));
    EXPECT_TRUE(m_host.commands.empty());
    EXPECT_TRUE(bar.EnableWindow(TRUE));  // it was disabled
    Click(&bar, Centre(bar, 0));
    EXPECT_EQ(m_host.commands.size(), 1u);

    CLogWnd child;
    ASSERT_TRUE(child.Create(&m_host, CRect(0, 40, 50, 90), 8));
    child.EnableWindow(FALSE);
    child.EnableWindow(FALSE);  // no change: no message
    EXPECT_EQ(child.enables, std::vector<WPARAM>{FALSE});
    Click(&child, CPoint(5, 5));
    tessel::platform::PressCharacterKey(&child, U'x', kNoModifiers);
    EXPECT_TRUE(child.mouse.empty());
    EXPECT_TRUE(child.keys.empty());
    // Nor do the windows inside a disabled window.
    child.EnableWindow(TRUE);
    EXPECT_EQ(child.enables, (std::vector<WPARAM>{FALSE, TRUE}));
    CLogWnd inner;
    ASSERT_TRUE(inner.Create(&child, CRect(0, 0, 20, 20), 9));
    m_host.EnableWindow(FALSE);
    Click(&inner, CPoint(5, 5));
    EXPECT_TRUE(inner.mouse.empty());
    m_host.EnableWindow(TRUE);
    Click(&inner, CPoint(5, 5));
    EXPECT_EQ(std::count(inner.mouse.begin(), inner.mouse.end(), WM_LBUTTONDOWN), 1);
}

TEST_F(ToolBarTest, ParentsPreTranslateKeysTypedIntoTheirChildren) {
    CLogWnd child, inner;
    ASSERT_TRUE(child.Create(&m_host, CRect(0, 0, 100, 50), 1));
    ASSERT_TRUE(inner.Create(&child, CRect(0, 0, 50, 20), 2));
    tessel::platform::PressCharacterKey(&inner, U'a', kNoModifiers);
    // The window the key is for first, then each window above it.
    const std::vector<std::pair<UINT, WPARAM>> kTyped = {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}};
    EXPECT_EQ(inner.pretranslated, kTyped);
    EXPECT_EQ(child.pretranslated, kTyped);
    EXPECT_EQ(m_host.pretranslated, kTyped);
    EXPECT_EQ(CLogWnd::pretranslateOrder,
              (std::vector<CLogWnd*>{&inner, &child, &m_host, &inner, &child, &m_host}));
    EXPECT_EQ(m_host.pretranslatedFor,
              (std::vector<HWND>{inner.GetSafeHwnd(), inner.GetSafeHwnd()}));
    EXPECT_EQ(inner.keys, kTyped);  // nobody took them

    // The top-level window takes them: the child hears nothing, the windows below it were
    // asked first; a key-down taken still gives its character, offered the same way.
    m_host.bSwallowKeys = true;
    inner.keys.clear();
    inner.pretranslated.clear();
    m_host.pretranslated.clear();
    tessel::platform::PressKey(&inner, tessel::platform::Key::kEnter, kNoModifiers);
    EXPECT_EQ(m_host.pretranslated,
              (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, '\r'}}));
    EXPECT_EQ(inner.pretranslated, m_host.pretranslated);
    EXPECT_TRUE(inner.keys.empty());
    // Text from an input method is characters, taken the same way.
    m_host.pretranslated.clear();
    tessel::platform::CommitInputText(&inner, "b");
    EXPECT_EQ(m_host.pretranslated, (std::vector<std::pair<UINT, WPARAM>>{{WM_CHAR, 'b'}}));
    EXPECT_TRUE(inner.keys.empty());

    // A window in the middle takes them before its parent sees them.
    m_host.bSwallowKeys = false;
    child.bSwallowKeys = true;
    m_host.pretranslated.clear();
    tessel::platform::PressCharacterKey(&inner, U'c', kNoModifiers);
    EXPECT_TRUE(m_host.pretranslated.empty());
    EXPECT_TRUE(inner.keys.empty());

    // Messages sent by code are delivered as they are.
    inner.pretranslated.clear();
    inner.SendMessage(WM_KEYDOWN, 'D', 1);
    EXPECT_TRUE(inner.pretranslated.empty());
    EXPECT_EQ(inner.keys, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 'D'}}));

    // An owned top-level window ends the chain: its owner is not asked.
    CLogWnd floating;
    ASSERT_TRUE(floating.CreateEx(0, AfxRegisterWndClass(0), "floating", WS_POPUP | WS_VISIBLE, 300,
                                  300, 50, 50, m_host.GetSafeHwnd(), 0));
    m_host.pretranslated.clear();
    tessel::platform::PressCharacterKey(&floating, U'e', kNoModifiers);
    EXPECT_EQ(floating.pretranslated.size(), 2u);
    EXPECT_TRUE(m_host.pretranslated.empty());
    ProcessEvents();
}

}  // namespace
