#include "platform/button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/user_input.h"
#include "platform/window_qt.h"

namespace {

using tessel::platform::CaptureWindow;
using tessel::platform::kNoModifiers;
using tessel::platform::MouseButton;
using tessel::platform::MoveMouse;
using tessel::platform::PressMouse;
using tessel::platform::ProcessEvents;
using tessel::platform::ReleaseMouse;

constexpr UINT kButtonId = 42;
constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

class CSelfButton;

// A top-level window that notes its commands and answers WM_DRAWITEM when told to.
class CParentWnd : public CWnd {
  public:
    struct Command {
        UINT nId;
        UINT nCode;
        LPARAM lParam;
        int nClickedBefore;  // how often the watched button's OnClicked ran before it
        bool operator==(const Command&) const = default;
    };
    std::vector<Command> commands;
    std::vector<DRAWITEMSTRUCT> drawItems;
    bool bDrawItems = false;
    const CSelfButton* pWatched = nullptr;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// An owner-drawn button: red while pushed, blue otherwise; it notes each DrawItem's record
// and its own clicks, which it takes itself when told to.
class CSelfButton : public CButton {
  public:
    std::vector<DRAWITEMSTRUCT> draws;
    int nClicked = 0;
    BOOL bTakeClicks = FALSE;

    std::vector<UINT> States() const {
        std::vector<UINT> states;
        for (const DRAWITEMSTRUCT& d : draws)
            states.push_back(d.itemState);
        return states;
    }

  protected:
    void DrawItem(LPDRAWITEMSTRUCT pDraw) override {
        draws.push_back(*pDraw);
        pDraw->pDC->FillSolidRect(pDraw->rcItem,
                                  (pDraw->itemState & ODS_SELECTED) != 0 ? kRed : kBlue);
    }
    BOOL OnClicked() override {
        ++nClicked;
        return bTakeClicks;
    }
};

LRESULT CParentWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        commands.push_back(
            {LOWORD(wParam), HIWORD(wParam), lParam, pWatched != nullptr ? pWatched->nClicked : 0});
        return 0;
    }
    if (message == WM_DRAWITEM && bDrawItems) {
        auto* pDraw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        drawItems.push_back(*pDraw);
        pDraw->pDC->FillSolidRect(pDraw->rcItem, kGreen);
        return TRUE;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE,
                                      40, 30, 200, 120, nullptr, 0));
        tessel::platform::WidgetOf(&m_parent)->activateWindow();
        ProcessEvents();
    }
    void TearDown() override { CWnd::ReleaseCapture(); }

    static COLORREF PixelAt(CWnd& wnd, CPoint pt) {
        CBitmap bitmap;
        EXPECT_TRUE(CaptureWindow(&wnd, bitmap));
        return bitmap.GetPixel(pt.x, pt.y);
    }
    CParentWnd::Command Clicked(const CButton& button, int nClickedBefore) const {
        return {kButtonId, BN_CLICKED, reinterpret_cast<LPARAM>(button.GetSafeHwnd()),
                nClickedBefore};
    }

    CParentWnd m_parent;
};

TEST_F(ButtonTest, AnOwnerDrawnButtonIsDrawnPushedWhileHeldInsideAndClicksOnRelease) {
    CSelfButton button;
    ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40),
                              &m_parent, kButtonId));
    m_parent.pWatched = &button;
    ProcessEvents();
    ASSERT_FALSE(button.draws.empty());
    const DRAWITEMSTRUCT& first = button.draws.front();
    EXPECT_EQ(first.CtlType, ODT_BUTTON);
    EXPECT_EQ(first.CtlID, kButtonId);
    EXPECT_EQ(first.hwndItem, button.GetSafeHwnd());
    EXPECT_EQ(first.rcItem, CRect(0, 0, 50, 30));
    EXPECT_EQ(first.itemState & ODS_SELECTED, 0u);
    EXPECT_EQ(PixelAt(button, CPoint(25, 15)), kBlue);

    const CPoint ptInside(25, 15), ptOutside(80, 15);
    PressMouse(&button, ptInside, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    EXPECT_NE(button.States().back() & ODS_SELECTED, 0u);
    EXPECT_NE(button.States().back() & ODS_FOCUS, 0u);
    EXPECT_EQ(button.GetState(), BST_PUSHED | BST_FOCUS);
    EXPECT_EQ(PixelAt(button, ptInside), kRed);

    // Held and moved off the button it is no longer pushed; back on it, it is again.
    MoveMouse(&button, ptOutside, kNoModifiers);
    ProcessEvents();
    EXPECT_EQ(button.States().back() & ODS_SELECTED, 0u);
    EXPECT_EQ(button.GetState() & BST_PUSHED, 0u);
    MoveMouse(&button, ptInside, kNoModifiers);
    ProcessEvents();
    EXPECT_NE(button.States().back() & ODS_SELECTED, 0u);
    EXPECT_TRUE(m_parent.commands.empty());

    ReleaseMouse(&button, ptInside, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    EXPECT_EQ(button.States().back() & ODS_SELECTED, 0u);
    EXPECT_EQ(PixelAt(button, ptInside), kBlue);
    EXPECT_EQ(m_parent.commands, std::vector<CParentWnd::Command>{Clicked(button, 1)});

    // Released off the button: no click.
    m_parent.commands.clear();
    PressMouse(&button, ptInside, MouseButton::kLeft, kNoModifiers);
    MoveMouse(&button, ptOutside, kNoModifiers);
    ReleaseMouse(&button, ptOutside, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    EXPECT_TRUE(m_parent.commands.empty());
    EXPECT_EQ(button.nClicked, 1);
    EXPECT_EQ(button.GetState() & BST_PUSHED, 0u);
}

TEST_F(ButtonTest, TheClickReachesTheParentUnlessOnClickedTakesIt) {
    CSelfButton button;
    ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40),
                              &m_parent, kButtonId));
    m_parent.pWatched = &button;
    const CPoint pt(5, 5);

    PressMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    ReleaseMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    EXPECT_EQ(m_parent.commands, std::vector<CParentWnd::Command>{Clicked(button, 1)});

    button.bTakeClicks = TRUE;
    m_parent.commands.clear();
    PressMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    ReleaseMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    button.Click();
    EXPECT_EQ(button.nClicked, 3);
    EXPECT_TRUE(m_parent.commands.empty());

    // Space, while the button has the focus: pushed between the press and the release.
    button.bTakeClicks = FALSE;
    ASSERT_EQ(CWnd::GetFocus(), &button);
    tessel::platform::PressCharacterKey(&button, U' ', kNoModifiers);
    EXPECT_NE(button.GetState() & BST_PUSHED, 0u);
    EXPECT_TRUE(m_parent.commands.empty());
    tessel::platform::ReleaseCharacterKey(&button, U' ', kNoModifiers);
    EXPECT_EQ(button.GetState() & BST_PUSHED, 0u);
    EXPECT_EQ(m_parent.commands, std::vector<CParentWnd::Command>{Clicked(button, 4)});

    // Click does what a click does.
    m_parent.commands.clear();
    button.Click();
    EXPECT_EQ(m_parent.commands, std::vector<CParentWnd::Command>{Clicked(button, 5)});
}

TEST_F(ButtonTest, ADisabledButtonTakesNoClickAndIsDrawnDisabled) {
    CSelfButton button;
    ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40),
                              &m_parent, kButtonId));
    button.SetFocus();
    button.EnableWindow(FALSE);
    ProcessEvents();
    EXPECT_FALSE(button.IsWindowEnabled());
    ASSERT_FALSE(button.draws.empty());
    EXPECT_NE(button.States().back() & ODS_DISABLED, 0u);

    const CPoint pt(5, 5);
    PressMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    EXPECT_EQ(button.GetState() & BST_PUSHED, 0u);
    ReleaseMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    tessel::platform::PressCharacterKey(&button, U' ', kNoModifiers);
    tessel::platform::ReleaseCharacterKey(&button, U' ', kNoModifiers);
    button.Click();
    ProcessEvents();
    EXPECT_EQ(button.nClicked, 0);
    EXPECT_TRUE(m_parent.commands.empty());
    for (UINT nState : button.States())
        EXPECT_EQ(nState & ODS_SELECTED, 0u);

    button.EnableWindow(TRUE);
    ProcessEvents();
    EXPECT_EQ(button.States().back() & ODS_DISABLED, 0u);
    PressMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    ReleaseMouse(&button, pt, MouseButton::kLeft, kNoModifiers);
    EXPECT_EQ(button.nClicked, 1);
}

TEST_F(ButtonTest, PlainButtonsDrawTheirCaptionAndOwnerDrawnOnesAskTheParent) {
    CButton withText, withoutText;
    ASSERT_TRUE(withText.Create("OK", WS_CHILD | WS_VISIBLE, CRect(10, 10, 70, 34), &m_parent, 1));
    ASSERT_TRUE(
        withoutText.Create("", WS_CHILD | WS_VISIBLE, CRect(80, 10, 140, 34), &m_parent, 2));
    auto pixels = [](CWnd& wnd) {
        CBitmap bitmap;
        EXPECT_TRUE(CaptureWindow(&wnd, bitmap));
        std::vector<COLORREF> result;
        for (int y = 0; y < bitmap.GetSize().cy; ++y)
            for (int x = 0; x < bitmap.GetSize().cx; ++x)
                result.push_back(bitmap.GetPixel(x, y));
        return result;
    };
    const std::vector<COLORREF> blank = pixels(withoutText);
    EXPECT_NE(pixels(withText), blank);
    withText.SetWindowText("");
    withText.Invalidate();
    EXPECT_EQ(pixels(withText), blank);
    // Pushed, the button looks otherwise.
    PressMouse(&withoutText, CPoint(5, 5), MouseButton::kLeft, kNoModifiers);
    EXPECT_NE(pixels(withoutText), blank);
    ReleaseMouse(&withoutText, CPoint(5, 5), MouseButton::kLeft, kNoModifiers);
    m_parent.SetFocus();  // the focus, which the press gave it, shows as well
    EXPECT_EQ(pixels(withoutText), blank);

    // An owner-drawn button of no class of its own: the parent draws it through WM_DRAWITEM.
    CButton owned;
    m_parent.bDrawItems = true;
    ASSERT_TRUE(owned.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 50, 40, 70),
                             &m_parent, kButtonId));
    EXPECT_EQ(PixelAt(owned, CPoint(3, 3)), kGreen);
    ASSERT_FALSE(m_parent.drawItems.empty());
    EXPECT_EQ(m_parent.drawItems.back().CtlID, kButtonId);
    EXPECT_EQ(m_parent.drawItems.back().hwndItem, owned.GetSafeHwnd());
    EXPECT_EQ(m_parent.drawItems.back().rcItem, CRect(0, 0, 30, 20));
}

}  // namespace
