#include "platform/wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/window_qt.h"

namespace {

using tessel::platform::CaptureWindow;
using tessel::platform::ProcessEvents;
using tessel::platform::WidgetOf;

constexpr UINT kUserMessage = 2028;
constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

struct Message {
    CWnd* pWnd;
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
};
// Every message the test windows handle, in order.
std::vector<Message> g_log;

std::vector<UINT> Logged(CWnd* pWnd) {
    std::vector<UINT> result;
    for (const Message& m : g_log)
        if (m.pWnd == pWnd) result.push_back(m.nMessage);
    return result;
}
std::vector<WPARAM> Params(CWnd* pWnd, UINT nMessage) {
    std::vector<WPARAM> result;
    for (const Message& m : g_log)
        if (m.pWnd == pWnd && m.nMessage == nMessage) result.push_back(m.wParam);
    return result;
}

class CTestWnd : public CWnd {
  public:
    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

    int m_nCreateResult = 0;
    CREATESTRUCT m_cs;
    COLORREF m_crFill = kWhite;
    CRect m_rcPaint, m_rcExclude;
    int m_nNcDestroyed = 0;
    CWnd* m_pFocusOther = nullptr;
    bool m_bDestroyOnClick = false;

  protected:
    void Log(UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0) {
        g_log.push_back({this, nMessage, wParam, lParam});
    }
    int OnCreate(LPCREATESTRUCT pcs) {
        m_cs = *pcs;
        Log(WM_CREATE);
        return m_nCreateResult != 0 ? m_nCreateResult : CWnd::OnCreate(pcs);
    }
    void OnDestroy() { Log(WM_DESTROY); }
    void OnPaint() {
        CPaintDC dc(this);
        m_rcPaint = dc.m_rcPaint;
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, kWhite);
        if (!m_rcExclude.IsRectEmpty()) dc.ExcludeClipRect(m_rcExclude);
        dc.FillSolidRect(rc, m_crFill);
        Log(WM_PAINT);
    }
    void OnSize(UINT, int cx, int cy) { Log(WM_SIZE, 0, MAKELPARAM(cx, cy)); }
    void OnMove(int x, int y) { Log(WM_MOVE, 0, MAKELPARAM(x, y)); }
    void OnKey(UINT nChar, UINT nRep, UINT) { Log(WM_KEYDOWN, nChar, nRep); }
    void OnKeyUp(UINT nChar, UINT, UINT) { Log(WM_KEYUP, nChar); }
    void OnChar(UINT nChar, UINT, UINT) { Log(WM_CHAR, nChar); }
    void OnLButtonDown(UINT nFlags, CPoint pt) {
        Log(WM_LBUTTONDOWN, nFlags, MAKELPARAM(pt.x, pt.y));
        if (m_bDestroyOnClick) DestroyWindow();
    }
    void OnLButtonDblClk(UINT nFlags, CPoint pt) {
        Log(WM_LBUTTONDBLCLK, nFlags, MAKELPARAM(pt.x, pt.y));
    }
    void OnSetFocus(CWnd* pOld) {
        m_pFocusOther = pOld;
        Log(WM_SETFOCUS);
    }
    void OnKillFocus(CWnd* pNew) {
        m_pFocusOther = pNew;
        Log(WM_KILLFOCUS);
    }
    void OnTimer(UINT_PTR nId) { Log(WM_TIMER, nId); }
    void OnActivate(UINT nState, CWnd*, BOOL) { Log(WM_ACTIVATE, nState); }
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
        Log(WM_SETCURSOR, nHitTest, message);
        return CWnd::OnSetCursor(pWnd, nHitTest, message);  // the class cursor
    }
    void OnCommandAny() { Log(WM_COMMAND, 100); }
    void OnCommandNotify() { Log(WM_COMMAND, 101); }
    LRESULT OnUser(WPARAM wParam, LPARAM lParam) {
        Log(kUserMessage, wParam, lParam);
        return static_cast<LRESULT>(wParam + 1);
    }
    void PostNcDestroy() override {
        ++m_nNcDestroyed;
        Log(0);  // 0: the object has let go of its window
    }
};

const MessageMap* CTestWnd::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_CREATE, &CTestWnd::OnCreate>(),
        MapMessage<WM_DESTROY, &CTestWnd::OnDestroy>(),
        MapMessage<WM_PAINT, &CTestWnd::OnPaint>(),
        MapMessage<WM_SIZE, &CTestWnd::OnSize>(),
        MapMessage<WM_MOVE, &CTestWnd::OnMove>(),
        MapMessage<WM_KEYDOWN, &CTestWnd::OnKey>(),
        MapMessage<WM_KEYUP, &CTestWnd::OnKeyUp>(),
        MapMessage<WM_CHAR, &CTestWnd::OnChar>(),
        MapMessage<WM_LBUTTONDOWN, &CTestWnd::OnLButtonDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &CTestWnd::OnLButtonDblClk>(),
        MapMessage<WM_SETFOCUS, &CTestWnd::OnSetFocus>(),
        MapMessage<WM_KILLFOCUS, &CTestWnd::OnKillFocus>(),
        MapMessage<WM_TIMER, &CTestWnd::OnTimer>(),
        MapMessage<WM_ACTIVATE, &CTestWnd::OnActivate>(),
        MapMessage<WM_SETCURSOR, &CTestWnd::OnSetCursor>(),
        MapCommand<100, &CTestWnd::OnCommandAny>(),
        MapNotify<101, CBN_SELCHANGE, &CTestWnd::OnCommandNotify>(),
        MapMessage<kUserMessage, &CTestWnd::OnUser>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}
const MessageMap* CTestWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

// A derived class with a map of its own: what it does not take goes to the base's map.
class CDerivedWnd : public CTestWnd {
  public:
    const MessageMap* GetMessageMap() const override {
        static constexpr MessageMapEntry kEntries[] = {
            MapCommand<200, &CDerivedWnd::OnOwnCommand>(),
            MapMessage<kUserMessage, &CDerivedWnd::OnOwnUser>(),
        };
        static const MessageMap map{CTestWnd::GetThisMessageMap(), kEntries};
        return &map;
    }

  private:
    void OnOwnCommand() { Log(WM_COMMAND, 200); }
    LRESULT OnOwnUser(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam * 10); }
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        g_log.clear();
        ASSERT_TRUE(m_host.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "host",
                                    WS_POPUP | WS_VISIBLE, 40, 30, 120, 80, nullptr, 0));
    }
    void TearDown() override {
        tessel::platform::SetMenuChooser(nullptr);
        CWnd::ReleaseCapture();
    }
    BOOL CreateChild(CWnd& wnd, CRect rc, UINT nId, CWnd* pParent = nullptr,
                     const char* szClass = nullptr) {
        return wnd.CreateEx(0, szClass != nullptr ? szClass : AfxRegisterWndClass(CS_DBLCLKS),
                            nullptr, WS_CHILD | WS_VISIBLE, rc.left, rc.top, rc.Width(),
                            rc.Height(), (pParent != nullptr ? pParent : &m_host)->GetSafeHwnd(),
                            nId);
    }
    static void Send(CWnd& wnd, QEvent&& event) {
        QCoreApplication::sendEvent(WidgetOf(&wnd), &event);
    }
    static QMouseEvent Mouse(QEvent::Type type, QPoint pt, Qt::MouseButton button,
                             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        return QMouseEvent(type, pt, pt, button, buttons, modifiers);
    }

    CTestWnd m_host;
};

TEST_F(WindowTest, CreationSendsCreateSizeAndMoveAndFailsOnMinusOne) {
    CTestWnd child;
    ASSERT_TRUE(CreateChild(child, CRect(5, 6, 35, 26), 7));
    EXPECT_EQ(Logged(&child), (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(child.m_cs.cx, 30);
    EXPECT_EQ(child.m_cs.hwndParent, m_host.GetSafeHwnd());
    EXPECT_EQ(CWnd::FromHandle(child.GetSafeHwnd()), &child);
    EXPECT_EQ(child.GetParent(), &m_host);
    EXPECT_EQ(child.GetDlgCtrlID(), 7u);
    EXPECT_TRUE(child.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(child.IsWindowVisible());
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 30, 20));

    CTestWnd failing;
    failing.m_nCreateResult = -1;
    EXPECT_FALSE(CreateChild(failing, CRect(0, 0, 10, 10), 8));
    EXPECT_EQ(Logged(&failing), (std::vector<UINT>{WM_CREATE, WM_DESTROY, 0}));
    EXPECT_EQ(failing.GetSafeHwnd(), nullptr);
    EXPECT_EQ(m_host.GetChildren(), std::vector<CWnd*>{&child});
    EXPECT_FALSE(child.CreateEx(0, nullptr, nullptr, WS_CHILD, 0, 0, 1, 1, nullptr, 0));
}

TEST_F(WindowTest, DestroyTellsParentsFirstAndLetsGoChildrenFirst) {
    CTestWnd a, a1, b;
    ASSERT_TRUE(CreateChild(a, CRect(0, 0, 20, 20), 1));
    ASSERT_TRUE(CreateChild(a1, CRect(0, 0, 5, 5), 2, &a));
    ASSERT_TRUE(CreateChild(b, CRect(30, 0, 50, 20), 3));
    EXPECT_EQ(m_host.GetChildren(), (std::vector<CWnd*>{&a, &b}));
    g_log.clear();
    EXPECT_TRUE(m_host.DestroyWindow());
    std::vector<std::pair<CWnd*, UINT>> order;
    for (const Message& m : g_log)
        order.emplace_back(m.pWnd, m.nMessage);
    const std::vector<std::pair<CWnd*, UINT>> expected = {
        {&m_host, WM_DESTROY}, {&a, WM_DESTROY}, {&a1, WM_DESTROY}, {&a1, 0}, {&a, 0},
        {&b, WM_DESTROY},      {&b, 0},          {&m_host, 0}};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(a1.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(m_host.DestroyWindow());

    // An object deleted with its window still there takes the window along silently; its
    // children still hear of it.
    ASSERT_TRUE(m_host.CreateEx(0, nullptr, nullptr, WS_POPUP, 0, 0, 50, 50, nullptr, 0));
    auto pParent = std::make_unique<CTestWnd>();
    ASSERT_TRUE(CreateChild(*pParent, CRect(0, 0, 20, 20), 1));
    CTestWnd grandChild;
    ASSERT_TRUE(CreateChild(grandChild, CRect(0, 0, 5, 5), 2, pParent.get()));
    CWnd* pRaw = pParent.get();
    g_log.clear();
    pParent.reset();
    EXPECT_EQ(Logged(pRaw), std::vector<UINT>{});
    EXPECT_EQ(Logged(&grandChild), (std::vector<UINT>{WM_DESTROY, 0}));
    EXPECT_TRUE(m_host.GetChildren().empty());
}

TEST_F(WindowTest, MessageMapsRouteCommandsUserMessagesAndBaseClasses) {
    EXPECT_EQ(m_host.SendMessage(WM_COMMAND, MAKEWPARAM(100, 5)), 0);
    EXPECT_EQ(m_host.SendMessage(WM_COMMAND, MAKEWPARAM(101, CBN_SELCHANGE)), 0);
    m_host.SendMessage(WM_COMMAND, MAKEWPARAM(101, BN_CLICKED));  // another code: no entry
    m_host.SendMessage(WM_COMMAND, MAKEWPARAM(102, 0));
    EXPECT_EQ(Params(&m_host, WM_COMMAND), (std::vector<WPARAM>{100, 101}));
    EXPECT_EQ(m_host.SendMessage(kUserMessage, 41, 2), 42);
    EXPECT_EQ(m_host.SendMessage(WM_USER + 1, 41, 2), 0);  // no entry: default handling

    CDerivedWnd derived;
    ASSERT_TRUE(CreateChild(derived, CRect(0, 0, 10, 10), 9));
    EXPECT_EQ(Logged(&derived).front(), WM_CREATE);  // the base class's handler
    derived.SendMessage(WM_COMMAND, MAKEWPARAM(200, 0));
    derived.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0));
    EXPECT_EQ(Params(&derived, WM_COMMAND), (std::vector<WPARAM>{200, 100}));
    EXPECT_EQ(derived.SendMessage(kUserMessage, 4), 40);  // the derived entry wins
}

TEST_F(WindowTest, PostedMessagesWaitForTheEventLoop) {
    EXPECT_TRUE(m_host.PostMessage(kUserMessage, 1));
    m_host.SendMessage(kUserMessage, 2);
    EXPECT_EQ(Params(&m_host, kUserMessage), std::vector<WPARAM>{2});
    ProcessEvents();
    EXPECT_EQ(Params(&m_host, kUserMessage), (std::vector<WPARAM>{2, 1}));

    CTestWnd child;
    ASSERT_TRUE(CreateChild(child, CRect(0, 0, 10, 10), 1));
    EXPECT_TRUE(child.PostMessage(kUserMessage, 3));
    child.DestroyWindow();
    ProcessEvents();  // the window is gone, and its message with it
    EXPECT_TRUE(Params(&child, kUserMessage).empty());
    EXPECT_FALSE(child.PostMessage(kUserMessage, 4));
}

TEST_F(WindowTest, PaintingShowsChildrenOverTheParentAndHonoursClipping) {
    CTestWnd child;
    ASSERT_TRUE(CreateChild(child, CRect(10, 10, 30, 30), 1));
    m_host.m_crFill = kRed;
    child.m_crFill = kBlue;
    CBitmap bitmap;
    ASSERT_TRUE(CaptureWindow(&m_host, bitmap));
    EXPECT_EQ(bitmap.GetSize(), CSize(120, 80));
    EXPECT_EQ(bitmap.GetPixel(5, 5), kRed);
    EXPECT_EQ(bitmap.GetPixel(15, 15), kBlue);

    // Invalidated parts are painted by the event loop, or at once by UpdateWindow.
    const size_t nPaints = Params(&m_host, WM_PAINT).size();
    CRect rcPart(0, 0, 8, 4);
    m_host.InvalidateRect(&rcPart);
    ProcessEvents();
    EXPECT_EQ(Params(&m_host, WM_PAINT).size(), nPaints + 1);
    EXPECT_EQ(m_host.m_rcPaint, rcPart);
    m_host.Invalidate(FALSE);
    m_host.UpdateWindow();
    EXPECT_EQ(Params(&m_host, WM_PAINT).size(), nPaints + 2);
    m_host.UpdateWindow();  // nothing invalid: no paint
    EXPECT_EQ(Params(&m_host, WM_PAINT).size(), nPaints + 2);

    // The parent leaves the child's area alone when it excludes it.
    m_host.m_rcExclude = CRect(10, 10, 30, 30);
    m_host.Invalidate();
    child.ShowWindow(SW_HIDE);
    ASSERT_TRUE(CaptureWindow(&m_host, bitmap));
    EXPECT_EQ(bitmap.GetPixel(15, 15), kWhite);
    EXPECT_EQ(bitmap.GetPixel(35, 15), kRed);

    CClientDC dc(&m_host);
    dc.SetPixel(1, 1, kBlue);
    ASSERT_TRUE(CaptureWindow(&m_host, bitmap));
    EXPECT_EQ(bitmap.GetPixel(1, 1), kBlue);

    // A window never shown is painted for the capture all the same.
    CTestWnd hidden;
    hidden.m_crFill = kBlue;
    ASSERT_TRUE(hidden.CreateEx(0, nullptr, nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    ASSERT_TRUE(CaptureWindow(&hidden, bitmap));
    EXPECT_EQ(bitmap.GetPixel(9, 9), kBlue);
}

TEST_F(WindowTest, TheCaretIsDrawnInvertedWhileShownAndGoesWithItsOwner) {
    CTestWnd child;
    ASSERT_TRUE(CreateChild(child, CRect(0, 0, 50, 40), 1));
    child.CreateSolidCaret(2, 10);
    CWnd::SetCaretPos(CPoint(4, 5));
    auto info = tessel::platform::GetCaretInfo();
    EXPECT_EQ(info.hOwner, child.GetSafeHwnd());
    EXPECT_EQ(info.size, CSize(2, 10));
    EXPECT_FALSE(info.bShown);
    m_host.ShowCaret();  // not the owner: nothing
    EXPECT_FALSE(tessel::platform::GetCaretInfo().bShown);
    child.ShowCaret();
    info = tessel::platform::GetCaretInfo();
    EXPECT_TRUE(info.bShown);
    EXPECT_EQ(info.pos, CPoint(4, 5));
    CBitmap bitmap;
    ASSERT_TRUE(CaptureWindow(&child, bitmap));
    EXPECT_EQ(bitmap.GetPixel(4, 5), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.GetPixel(5, 14), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.GetPixel(6, 5), kWhite);
    child.HideCaret();
    ASSERT_TRUE(CaptureWindow(&child, bitmap));
    EXPECT_EQ(bitmap.GetPixel(4, 5), kWhite);

    // A bitmap caret is XORed: white inverts, black leaves the window's pixels.
    CBitmap caretBitmap;
    caretBitmap.CreateBitmap(3, 4);
    caretBitmap.SetPixel(0, 0, RGB(0, 0, 0));
    child.CreateCaret(&caretBitmap);
    child.ShowCaret();
    ASSERT_TRUE(CaptureWindow(&child, bitmap));
    EXPECT_EQ(bitmap.GetPixel(4, 5), kWhite);
    EXPECT_EQ(bitmap.GetPixel(5, 5), RGB(0, 0, 0));

    child.DestroyWindow();
    EXPECT_EQ(tessel::platform::GetCaretInfo().hOwner, nullptr);
}

TEST_F(WindowTest, TimersDeliverWmTimerUntilKilled) {
    EXPECT_EQ(m_host.SetTimer(7, 10), 7u);
    for (int i = 0; i < 500 && Params(&m_host, WM_TIMER).empty(); ++i) {
        QThread::msleep(2);
        ProcessEvents();
    }
    ASSERT_FALSE(Params(&m_host, WM_TIMER).empty());
    EXPECT_EQ(Params(&m_host, WM_TIMER).front(), 7u);
    EXPECT_TRUE(m_host.KillTimer(7));
    EXPECT_FALSE(m_host.KillTimer(7));
    m_host.SetTimer(8, 10);
    m_host.DestroyWindow();  // the timer goes with the window
    ProcessEvents();
}

TEST_F(WindowTest, KeysBecomeVirtualKeysAndGbkCharacterBytes) {
    Send(m_host, QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A"));
    EXPECT_EQ(Params(&m_host, WM_KEYDOWN), std::vector<WPARAM>{'A'});
    EXPECT_EQ(Params(&m_host, WM_CHAR), std::vector<WPARAM>{'A'});
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    m_host.SendMessage(WM_KEYUP, VK_SHIFT);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);

    g_log.clear();
    Send(m_host, QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                           QString::fromUtf8("\xE4\xB8\xAD")));  // 中: D6 D0 in GBK
    Send(m_host, QKeyEvent(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "\x03"));
    Send(m_host, QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r"));
    Send(m_host, QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier));
    Send(m_host, QKeyEvent(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier));
    Send(m_host, QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier));
    EXPECT_EQ(Params(&m_host, WM_CHAR), (std::vector<WPARAM>{0xD6, 0xD0, 3, 13}));
    EXPECT_EQ(Params(&m_host, WM_KEYDOWN),
              (std::vector<WPARAM>{'C', VK_RETURN, VK_LEFT, VK_F1 + 4}));
    EXPECT_EQ(Params(&m_host, WM_KEYUP), std::vector<WPARAM>{VK_LEFT});

    // Text committed by an input method; a character GBK lacks is dropped.
    g_log.clear();
    QInputMethodEvent ime;
    ime.setCommitString(
        QString::fromUtf8("\xE6\xB1\x89\xF0\x9F\x98\x80"
                          "a"));  // 汉, an emoji, a
    QCoreApplication::sendEvent(WidgetOf(&m_host), &ime);
    EXPECT_EQ(Params(&m_host, WM_CHAR), (std::vector<WPARAM>{0xBA, 0xBA, 'a'}));
}

TEST_F(WindowTest, MouseMessagesCarryFlagsAndDoubleClicksFollowTheClass) {
    Send(m_host, Mouse(QEvent::MouseButtonPress, QPoint(5, 6), Qt::LeftButton, Qt::ShiftModifier));
    ASSERT_EQ(Logged(&m_host),
              (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE, WM_SETCURSOR, WM_LBUTTONDOWN}));
    EXPECT_EQ(g_log[3].wParam, HTCLIENT);  // unpacked by the map: hit test, then message
    EXPECT_EQ(g_log[3].lParam, static_cast<LPARAM>(WM_LBUTTONDOWN));
    EXPECT_EQ(g_log[4].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(PointFromLParam(g_log[4].lParam), CPoint(5, 6));

    Send(m_host, Mouse(QEvent::MouseButtonDblClick, QPoint(5, 6), Qt::LeftButton));
    EXPECT_EQ(Logged(&m_host).back(), WM_LBUTTONDBLCLK);
    CTestWnd plain;
    ASSERT_TRUE(CreateChild(plain, CRect(0, 0, 20, 20), 1, nullptr, AfxRegisterWndClass(0)));
    Send(plain, Mouse(QEvent::MouseButtonDblClick, QPoint(1, 1), Qt::LeftButton));
    EXPECT_EQ(Logged(&plain).back(), WM_LBUTTONDOWN);

    // Captured, the mouse goes to the capturing window in its own coordinates.
    CTestWnd other;
    ASSERT_TRUE(CreateChild(other, CRect(50, 40, 70, 60), 2));
    other.SetCapture();
    EXPECT_EQ(CWnd::GetCapture(), &other);
    Send(plain, Mouse(QEvent::MouseButtonPress, QPoint(3, 4), Qt::LeftButton));
    EXPECT_EQ(PointFromLParam(g_log.back().lParam), CPoint(-47, -36));
    EXPECT_EQ(g_log.back().pWnd, &other);
    CWnd::ReleaseCapture();

    // A handler may destroy its own window.
    other.m_bDestroyOnClick = true;
    Send(other, Mouse(QEvent::MouseButtonPress, QPoint(3, 4), Qt::LeftButton));
    EXPECT_EQ(other.GetSafeHwnd(), nullptr);
    ProcessEvents();
}

TEST_F(WindowTest, CursorsComeFromClassesAndSetCursor) {
    const HCURSOR hBeam = LoadCursor(IDC_IBEAM);
    EXPECT_EQ(hBeam, LoadCursor(IDC_IBEAM));
    EXPECT_NE(hBeam, LoadCursor(IDC_ARROW));
    const char* szClass = AfxRegisterWndClass(CS_DBLCLKS, hBeam);
    EXPECT_STREQ(szClass, AfxRegisterWndClass(CS_DBLCLKS, hBeam));
    EXPECT_STRNE(szClass, AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(IDC_ARROW)));

    CTestWnd child;
    ASSERT_TRUE(CreateChild(child, CRect(0, 0, 20, 20), 1, nullptr, szClass));
    Send(child, Mouse(QEvent::MouseMove, QPoint(2, 2), Qt::NoButton));
    EXPECT_EQ(tessel::platform::CurrentCursor(), hBeam);
    EXPECT_EQ(WidgetOf(&child)->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(SetCursor(LoadCursor(IDC_WAIT)), hBeam);
    EXPECT_EQ(WidgetOf(&child)->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(GetCursor(), LoadCursor(IDC_WAIT));
}

TEST_F(WindowTest, PopupMenusAskTheChooserAndSkipGreyedItems) {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 100, "&Cut");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_GRAYED, 102, "Paste");
    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(1), 0u);
    EXPECT_EQ(menu.GetMenuString(100, MF_BYCOMMAND), "&Cut");
    EXPECT_EQ(menu.EnableMenuItem(100, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(menu.EnableMenuItem(0, MF_BYPOSITION | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(menu.GetMenuState(102, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(menu.EnableMenuItem(999, MF_GRAYED), static_cast<UINT>(-1));

    EXPECT_FALSE(menu.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, &m_host));  // offscreen, no chooser
    CPoint ptAsked;
    UINT nChoice = 102;
    tessel::platform::SetMenuChooser([&](const CMenu& m, CPoint pt) {
        EXPECT_EQ(&m, &menu);
        ptAsked = pt;
        return nChoice;
    });
    EXPECT_FALSE(menu.TrackPopupMenu(TPM_LEFTALIGN, 7, 8, &m_host));
    EXPECT_EQ(ptAsked, CPoint(7, 8));
    nChoice = 100;
    EXPECT_TRUE(menu.TrackPopupMenu(TPM_LEFTALIGN, 7, 8, &m_host));
    EXPECT_EQ(Params(&m_host, WM_COMMAND), std::vector<WPARAM>{100});
}

TEST_F(WindowTest, ClipboardFormatsAndOpening) {
    const UINT nFormat = RegisterClipboardFormat("super text edit");
    EXPECT_GE(nFormat, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("Super Text Edit"), nFormat);
    EXPECT_NE(RegisterClipboardFormat("another"), nFormat);
    EXPECT_TRUE(OpenClipboard(&m_host));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
}

TEST_F(WindowTest, GeometryTextFocusAndHostWidgets) {
    CTestWnd child;
    ASSERT_TRUE(CreateChild(child, CRect(10, 20, 30, 30), 1));
    g_log.clear();
    child.MoveWindow(CRect(12, 22, 52, 42));
    EXPECT_EQ(Logged(&child), (std::vector<UINT>{WM_SIZE, WM_MOVE}));
    CPoint pt(0, 0);
    child.ClientToScreen(&pt);
    EXPECT_EQ(pt, CPoint(40 + 12, 30 + 22));
    child.ScreenToClient(&pt);
    EXPECT_EQ(pt, CPoint(0, 0));
    child.SetWindowText("\xD6\xD0");
    EXPECT_EQ(child.GetWindowText(), "\xD6\xD0");

    // Focus moves between the windows of the active top-level window.
    CTestWnd other;
    ASSERT_TRUE(CreateChild(other, CRect(60, 0, 80, 20), 2));
    WidgetOf(&m_host)->activateWindow();
    ProcessEvents();
    EXPECT_EQ(Params(&m_host, WM_ACTIVATE), std::vector<WPARAM>{WA_ACTIVE});
    child.SetFocus();
    ProcessEvents();
    ASSERT_EQ(CWnd::GetFocus(), &child);
    other.SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), &other);
    EXPECT_EQ(Logged(&child).back(), WM_KILLFOCUS);
    EXPECT_EQ(child.m_pFocusOther, &other);
    EXPECT_EQ(other.m_pFocusOther, &child);

    // A Qt program's widget as a parent; its windows go when it goes.
    auto pWidget = std::make_unique<QWidget>();
    CWnd* pHost = tessel::platform::AttachWidget(pWidget.get());
    ASSERT_NE(pHost, nullptr);
    EXPECT_EQ(tessel::platform::AttachWidget(pWidget.get()), pHost);
    CTestWnd guest;
    ASSERT_TRUE(CreateChild(guest, CRect(0, 0, 10, 10), 3, pHost));
    EXPECT_EQ(WidgetOf(&guest)->parentWidget(), pWidget.get());
    const HWND hHost = pHost->GetSafeHwnd();
    const QWidget* pGone = pWidget.get();
    g_log.clear();
    pWidget.reset();
    EXPECT_EQ(Logged(&guest), (std::vector<UINT>{WM_DESTROY, 0}));
    EXPECT_EQ(guest.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandle(hHost), nullptr);
    EXPECT_EQ(tessel::platform::WindowOfWidget(pGone), nullptr);
}

}  // namespace
