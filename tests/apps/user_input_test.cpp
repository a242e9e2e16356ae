// The platform's made-up user input: each action arrives at the window a user's action would
// reach, as the messages Windows would send for it.

#include <gtest/gtest.h>

#include <vector>

#include "platform/application.h"
#include "platform/user_input.h"
#include "platform/wnd.h"

namespace {

using namespace tessel::platform;

struct Message {
    CWnd* pWnd;
    UINT nMessage;
    WPARAM wParam;
    CPoint point;  // mouse messages
    bool bShift;   // key messages: GetKeyState(VK_SHIFT) said down while handled
    bool operator==(const Message&) const = default;
};

bool IsInput(UINT nMessage) {
    return (nMessage >= WM_KEYDOWN && nMessage <= WM_CHAR) ||
           (nMessage >= WM_MOUSEMOVE && nMessage <= WM_RBUTTONDBLCLK) || nMessage == WM_TIMER ||
           nMessage == WM_USER;
}

// A window that writes down the input messages it gets.
class CLogWnd : public CWnd {
  public:
    explicit CLogWnd(std::vector<Message>& log) : m_log(log) {}

  protected:
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override {
        if (IsInput(nMessage)) {
            const bool bMouse = nMessage >= WM_MOUSEMOVE;
            m_log.push_back({this, nMessage, wParam, bMouse ? PointFromLParam(lParam) : CPoint(),
                             !bMouse && GetKeyState(VK_SHIFT) < 0});
        }
        return CWnd::WindowProc(nMessage, wParam, lParam);
    }

  private:
    std::vector<Message>& m_log;
};

class UserInputTest : public testing::Test {
  protected:
    void SetUp() override {
        EnsureApplication();
        // A 200 x 100 top-level window whose right half is a child window.
        const char* szClass = AfxRegisterWndClass(CS_DBLCLKS);
        ASSERT_TRUE(
            m_host.CreateEx(0, szClass, "host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, 0));
        ASSERT_TRUE(m_child.CreateEx(0, szClass, "child", WS_CHILD | WS_VISIBLE, 100, 0, 100, 100,
                                     m_host.m_hWnd, 1));
        ProcessEvents();
        // The keyboard state follows the last input event: none held from here on.
        MoveMouse(&m_host, CPoint(0, 0), kNoModifiers);
        m_log.clear();
    }
    void TearDown() override {
        m_child.DestroyWindow();
        m_host.DestroyWindow();
        ProcessEvents();
    }
    std::vector<Message> Take() { return std::exchange(m_log, {}); }
    Message KeyMsg(CWnd& wnd, UINT nMessage, WPARAM wParam, bool bShift = false) {
        return {&wnd, nMessage, wParam, CPoint(), bShift};
    }
    Message MouseMsg(CWnd& wnd, UINT nMessage, WPARAM wParam, CPoint point) {
        return {&wnd, nMessage, wParam, point, false};
    }

    std::vector<Message> m_log;
    CLogWnd m_host{m_log};
    CLogWnd m_child{m_log};
};

TEST_F(UserInputTest, CharacterKeysGiveTheirVirtualKeyAndTheirGbkBytes) {
    PressCharacterKey(&m_host, U'a', kNoModifiers);
    ReleaseCharacterKey(&m_host, U'a', kNoModifiers);
    // A comma is the OEM key 0xBC of a US keyboard; 中 is D6 D0 in GBK and has no key code.
    PressCharacterKey(&m_host, U',', kNoModifiers);
    PressCharacterKey(&m_host, U'中', kNoModifiers);
    // Ctrl with a letter types the control character; Shift is down while its key is handled.
    PressCharacterKey(&m_host, U'c', kControlHeld);
    PressCharacterKey(&m_host, U'A', kShiftHeld);
    EXPECT_EQ(Take(), (std::vector<Message>{
                          KeyMsg(m_host, WM_KEYDOWN, 'A'), KeyMsg(m_host, WM_CHAR, 'a'),
                          KeyMsg(m_host, WM_KEYUP, 'A'), KeyMsg(m_host, WM_KEYDOWN, 0xBC),
                          KeyMsg(m_host, WM_CHAR, ','), KeyMsg(m_host, WM_CHAR, 0xD6),
                          KeyMsg(m_host, WM_CHAR, 0xD0), KeyMsg(m_host, WM_KEYDOWN, 'C'),
                          KeyMsg(m_host, WM_CHAR, 3), KeyMsg(m_host, WM_KEYDOWN, 'A', true),
                          KeyMsg(m_host, WM_CHAR, 'A', true)}));
}

TEST_F(UserInputTest, NamedKeysGiveTheirVirtualKeysAndTheCharactersWindowsTypesForThem) {
    PressKey(&m_child, Key::kEnter, kNoModifiers);
    PressKey(&m_child, Key::kTab, kNoModifiers);
    PressKey(&m_child, Key::kBackspace, kNoModifiers);
    PressKey(&m_child, Key::kEscape, kNoModifiers);
    PressKey(&m_child, Key::kDelete, kNoModifiers);
    PressKey(&m_child, static_cast<Key>(static_cast<int>(Key::kF1) + 4), kNoModifiers);
    PressKey(&m_child, Key::kShift, kShiftHeld);
    PressKey(&m_child, Key::kRight, kShiftHeld);
    ReleaseKey(&m_child, Key::kShift, kNoModifiers);
    PressKey(&m_child, Key::kPageDown, kNoModifiers);
    EXPECT_EQ(
        Take(),
        (std::vector<Message>{
            KeyMsg(m_child, WM_KEYDOWN, VK_RETURN), KeyMsg(m_child, WM_CHAR, 13),
            KeyMsg(m_child, WM_KEYDOWN, VK_TAB), KeyMsg(m_child, WM_CHAR, 9),
            KeyMsg(m_child, WM_KEYDOWN, VK_BACK), KeyMsg(m_child, WM_CHAR, 8),
            KeyMsg(m_child, WM_KEYDOWN, VK_ESCAPE), KeyMsg(m_child, WM_CHAR, 27),
            KeyMsg(m_child, WM_KEYDOWN, VK_DELETE), KeyMsg(m_child, WM_KEYDOWN, VK_F1 + 4),
            KeyMsg(m_child, WM_KEYDOWN, VK_SHIFT, true),
            KeyMsg(m_child, WM_KEYDOWN, VK_RIGHT, true), KeyMsg(m_child, WM_KEYUP, VK_SHIFT, false),
            KeyMsg(m_child, WM_KEYDOWN, VK_NEXT)}));
}

TEST_F(UserInputTest, AnInputMethodCommitsItsTextAsGbkCharacters) {
    CommitInputText(&m_host, "中文a");  // D6 D0, CE C4
    EXPECT_EQ(Take(),
              (std::vector<Message>{KeyMsg(m_host, WM_CHAR, 0xD6), KeyMsg(m_host, WM_CHAR, 0xD0),
                                    KeyMsg(m_host, WM_CHAR, 0xCE), KeyMsg(m_host, WM_CHAR, 0xC4),
                                    KeyMsg(m_host, WM_CHAR, 'a')}));
}

// The press picks the window under the point; until the button is released every event goes
// there, in that window's coordinates.
TEST_F(UserInputTest, TheMouseReachesTheWindowUnderThePointAndStaysWithItWhileHeld) {
    PressMouse(&m_host, CPoint(150, 10), MouseButton::kLeft, kNoModifiers);
    MoveMouse(&m_host, CPoint(20, 30), kNoModifiers);
    ReleaseMouse(&m_host, CPoint(20, 30), MouseButton::kLeft, kNoModifiers);
    MoveMouse(&m_host, CPoint(20, 31), kNoModifiers);
    MoveMouse(&m_host, CPoint(120, 31), kShiftHeld | kControlHeld);
    EXPECT_EQ(Take(), (std::vector<Message>{
                          MouseMsg(m_child, WM_LBUTTONDOWN, MK_LBUTTON, CPoint(50, 10)),
                          MouseMsg(m_child, WM_MOUSEMOVE, MK_LBUTTON, CPoint(-80, 30)),
                          MouseMsg(m_child, WM_LBUTTONUP, 0, CPoint(-80, 30)),
                          MouseMsg(m_host, WM_MOUSEMOVE, 0, CPoint(20, 31)),
                          MouseMsg(m_child, WM_MOUSEMOVE, MK_SHIFT | MK_CONTROL, CPoint(20, 31)),
                      }));
}

TEST_F(UserInputTest, DoubleClicksAndTheRightButtonGiveTheirMessages) {
    const CPoint pt(5, 6);
    PressMouse(&m_host, pt, MouseButton::kLeft, kShiftHeld);
    ReleaseMouse(&m_host, pt, MouseButton::kLeft, kNoModifiers);
    DoubleClickMouse(&m_host, pt, MouseButton::kLeft, kNoModifiers);
    ReleaseMouse(&m_host, pt, MouseButton::kLeft, kNoModifiers);
    PressMouse(&m_host, pt, MouseButton::kRight, kControlHeld);
    ReleaseMouse(&m_host, pt, MouseButton::kRight, kNoModifiers);
    EXPECT_EQ(Take(), (std::vector<Message>{
                          MouseMsg(m_host, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, pt),
                          MouseMsg(m_host, WM_LBUTTONUP, 0, pt),
                          MouseMsg(m_host, WM_LBUTTONDBLCLK, MK_LBUTTON, pt),
                          MouseMsg(m_host, WM_LBUTTONUP, 0, pt),
                          MouseMsg(m_host, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, pt),
                          MouseMsg(m_host, WM_RBUTTONUP, 0, pt),
                      }));
}

// Keys follow the focus, which a click moves (the windows take the focus on a click).
TEST_F(UserInputTest, KeysGoToTheWindowWithTheFocusAndAClickMovesIt) {
    CLogWnd other(m_log);
    ASSERT_TRUE(other.CreateEx(0, AfxRegisterWndClass(0), "other", WS_POPUP | WS_VISIBLE, 300, 0,
                               50, 50, nullptr, 0));
    ProcessEvents();
    PressMouse(&m_host, CPoint(150, 50), MouseButton::kLeft, kNoModifiers);
    ReleaseMouse(&m_host, CPoint(150, 50), MouseButton::kLeft, kNoModifiers);
    EXPECT_EQ(CWnd::GetFocus(), &m_child);
    EXPECT_EQ(KeyboardTarget(&other), &m_child);
    PressMouse(&m_host, CPoint(50, 50), MouseButton::kLeft, kNoModifiers);
    ReleaseMouse(&m_host, CPoint(50, 50), MouseButton::kLeft, kNoModifiers);
    EXPECT_EQ(KeyboardTarget(&other), &m_host);
    other.DestroyWindow();
}

TEST_F(UserInputTest, TheEventLoopDeliversWhatIsPosted) {
    m_child.PostMessage(WM_USER, 7);
    EXPECT_TRUE(Take().empty());
    RunEventLoopFor(0);
    EXPECT_EQ(Take(), (std::vector<Message>{KeyMsg(m_child, WM_USER, 7)}));
}

}  // namespace
