#pragma once

// What a user's hands do, made up: the Qt events that keys, an input method and the mouse
// make, delivered to the widget that would receive them, so that they travel the same road
// as real input (the widget turns them into WM_KEYDOWN, WM_CHAR, WM_KEYUP and the mouse
// messages). For scripted sessions and tests. Nothing here names a Qt type.

#include <string_view>

#include "platform/geometry.h"
#include "platform/wnd.h"

namespace tessel::platform {

// The modifier keys held during an event (a combination of the flags).
using Modifiers = unsigned;
inline constexpr Modifiers kNoModifiers = 0;
inline constexpr Modifiers kShiftHeld = 1;
inline constexpr Modifiers kControlHeld = 2;

// The keys that are pressed for what they do rather than for a character they type.
enum class Key {
    kBackspace,
    kTab,
    kEnter,
    kEscape,
    kPageUp,
    kPageDown,
    kEnd,
    kHome,
    kLeft,
    kUp,
    kRight,
    kDown,
    kInsert,
    kDelete,
    kShift,
    kControl,
    kF1,  // F2 to F12 follow in order
    kF12 = kF1 + 11,
};

// The window keys go to: the window of this layer that has the keyboard focus, else
// pFallback (also when the focus is in a widget that is no window of this layer).
CWnd* KeyboardTarget(CWnd* pFallback);

// A press and a release of the key with the modifiers held, delivered to pTarget's widget.
// The key types what it types on a keyboard (Enter a carriage return, Tab a tab, Backspace
// a backspace, Escape an escape; the others nothing), which the window hears as characters.
void PressKey(CWnd* pTarget, Key key, Modifiers modifiers);
void ReleaseKey(CWnd* pTarget, Key key, Modifiers modifiers);

// A press and a release of the key that types ch, a Unicode character that is no control
// character: a letter key for a letter of either case, the key of that symbol for the other
// printable ASCII characters, and a key without a code of its own for any other character
// (as a keyboard layout that types it directly reports it). The press types ch.
void PressCharacterKey(CWnd* pTarget, char32_t ch, Modifiers modifiers);
void ReleaseCharacterKey(CWnd* pTarget, char32_t ch, Modifiers modifiers);

// An input method commits the text (UTF-8) to pTarget's widget in one event.
void CommitInputText(CWnd* pTarget, std::string_view utf8);

enum class MouseButton { kLeft, kRight };

// Mouse actions at a point of pWnd's client area. Each event goes to the widget under the
// point (pWnd's own or that of a child window shown there), except while a button is held:
// then, as Qt does for a user, to the widget that got the press. The events carry the
// buttons held after them. A press first activates its top-level window when that is not the
// active one, as the window system does (the event loop runs for that), then gives the
// keyboard focus to the window pressed (or the nearest one above it) when it takes the focus
// on a click, as Qt does. A double click is the second press of two quick clicks: a press,
// a release, DoubleClickMouse, then a release.
void PressMouse(CWnd* pWnd, CPoint point, MouseButton button, Modifiers modifiers);
void ReleaseMouse(CWnd* pWnd, CPoint point, MouseButton button, Modifiers modifiers);
void DoubleClickMouse(CWnd* pWnd, CPoint point, MouseButton button, Modifiers modifiers);
void MoveMouse(CWnd* pWnd, CPoint point, Modifiers modifiers);

// Runs the event loop for nMilliseconds, waiting for events as a program idles: timers fire
// when they are due, posted messages arrive, windows paint. Then ProcessEvents.
void RunEventLoopFor(int nMilliseconds);

}  // namespace tessel::platform
