// Keyboard and mouse input as window messages: Qt keys as virtual-key codes, typed text as
// WM_CHAR bytes of GBK, mouse events as button and move messages with their flags, and the
// keyboard state GetKeyState reports.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>
#include <utility>

#include "platform/gbk.h"
#include "platform/window_qt.h"

namespace {

bool g_bShiftDown = false;
bool g_bControlDown = false;
bool g_bAltDown = false;

HWND g_hMouseOver = nullptr;  // the window the mouse is over

// Key messages carry a repeat count of 1; bit 30 is set when the key was already down (an
// automatic repeat, and every key-up), bit 31 on key-up.
constexpr LPARAM kKeyRepeat = LPARAM{1} << 30;
constexpr LPARAM kKeyUp = LPARAM{1} << 31;

}  // namespace

namespace tessel::platform {

UINT VirtualKeyOf(int nQtKey) {
    if ((nQtKey >= Qt::Key_A && nQtKey <= Qt::Key_Z) ||
        (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9))
        return static_cast<UINT>(nQtKey);  // the same ASCII codes
    if (nQtKey >= Qt::Key_F1 && nQtKey <= Qt::Key_F12)
        return VK_F1 + static_cast<UINT>(nQtKey - Qt::Key_F1);
    switch (nQtKey) {
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        // Punctuation keys of a US keyboard (the OEM codes), shifted or not.
        case Qt::Key_Semicolon:
        case Qt::Key_Colon:
            return 0xBA;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return 0xBB;
        case Qt::Key_Comma:
        case Qt::Key_Less:
            return 0xBC;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            return 0xBD;
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return 0xBE;
        case Qt::Key_Slash:
        case Qt::Key_Question:
            return 0xBF;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde:
            return 0xC0;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            return 0xDB;
        case Qt::Key_Backslash:
        case Qt::Key_Bar:
            return 0xDC;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            return 0xDD;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl:
            return 0xDE;
        default:
            return 0;
    }
}

void TrackModifiers(Qt::KeyboardModifiers modifiers) {
    g_bShiftDown = modifiers.testFlag(Qt::ShiftModifier);
    g_bControlDown = modifiers.testFlag(Qt::ControlModifier);
    g_bAltDown = modifiers.testFlag(Qt::AltModifier);
}

void TrackKeyMessage(UINT nMessage, WPARAM wParam) {
    if (nMessage != WM_KEYDOWN && nMessage != WM_KEYUP) return;
    const bool bDown = nMessage == WM_KEYDOWN;
    if (wParam == VK_SHIFT) g_bShiftDown = bDown;
    if (wParam == VK_CONTROL) g_bControlDown = bDown;
    if (wParam == VK_MENU) g_bAltDown = bDown;
}

std::string GbkBytesOf(const QString& text) {
    std::string bytes;
    for (char32_t ch : text.toUcs4()) {
        const QByteArray utf8 = QString::fromUcs4(&ch, 1).toUtf8();
        bool bLossy = false;
        const std::string gbk = Utf8ToGbk(std::string_view(utf8.constData(), utf8.size()), &bLossy);
        if (!bLossy) bytes += gbk;
    }
    return bytes;
}

namespace {

// A key message of the user's: offered for pre-translation first, delivered when nothing
// took it. False when it was taken (or the window went away).
bool DeliverKey(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (WindowData::PreTranslate(hWnd, nMessage, wParam, lParam)) return false;
    if (!WindowData::IsAlive(hWnd)) return false;
    WindowData::Send(hWnd, nMessage, wParam, lParam);
    return true;
}

// Each byte is a message of its own, pre-translated on its own, as on Windows.
void SendChars(HWND hWnd, const std::string& bytes, LPARAM lParam) {
    for (unsigned char byte : bytes) {
        if (!WindowData::IsAlive(hWnd)) return;
        DeliverKey(hWnd, WM_CHAR, byte, lParam);
    }
}

// The WM_CHAR bytes a key press gives, as Windows translates keys: control codes for
// Ctrl+letter, Enter, Backspace, Tab and Escape, and the text of other keys.
std::string CharsOfKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool bControl = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers.testFlag(Qt::AltModifier)) return {};
    const int nKey = event.key();
    if (bControl && nKey >= Qt::Key_A && nKey <= Qt::Key_Z)
        return std::string(1, static_cast<char>(nKey - Qt::Key_A + 1));
    switch (nKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return bControl ? "\n" : "\r";
        case Qt::Key_Backspace:
            return bControl ? "\x7F" : "\b";
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return bControl ? "" : "\t";
        case Qt::Key_Escape:
            return "\x1B";
        default:
            break;
    }
    if (bControl) return {};
    QString text;
    for (QChar ch : event.text())
        if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) text += ch;
    return GbkBytesOf(text);
}

}  // namespace

void SendKeyPress(HWND hWnd, const QKeyEvent& event) {
    TrackModifiers(event.modifiers());
    const LPARAM lParam = 1 | (event.isAutoRepeat() ? kKeyRepeat : 0);
    if (const UINT nVirtKey = VirtualKeyOf(event.key())) {
        // A key-down taken by pre-translation still gives its characters, offered in the same
        // way (Windows would drop them: the key is never translated). A window that takes keys
        // to hand them to another one takes the characters too, and so the first character
        // typed is not lost.
        DeliverKey(hWnd, WM_KEYDOWN, nVirtKey, lParam);
        if (!WindowData::IsAlive(hWnd)) return;
    }
    SendChars(hWnd, CharsOfKey(event), lParam);
}

void SendKeyRelease(HWND hWnd, const QKeyEvent& event) {
    // Qt reports an automatic repeat as a release and a press; Windows as key-downs only.
    if (event.isAutoRepeat()) return;
    TrackModifiers(event.modifiers());
    if (const UINT nVirtKey = VirtualKeyOf(event.key()))
        DeliverKey(hWnd, WM_KEYUP, nVirtKey, 1 | kKeyRepeat | kKeyUp);
}

void SendInputMethodText(HWND hWnd, const QString& text) {
    SendChars(hWnd, GbkBytesOf(text), 1);
}

void NoteMouseOver(HWND hWnd) {
    if (!WindowData::IsAlive(g_hMouseOver)) g_hMouseOver = nullptr;
    if (hWnd == g_hMouseOver) return;
    HWND hLeft = std::exchange(g_hMouseOver, hWnd);
    if (hLeft == nullptr) return;
    ToolTipsMouseLeft(hLeft);
    WindowData::Send(hLeft, WM_MOUSELEAVE, 0, 0);
}

HWND MouseOverWindow() {
    return WindowData::IsAlive(g_hMouseOver) ? g_hMouseOver : nullptr;
}

void SendMouse(HWND hWnd, QMouseEvent& event, UINT nMessage) {
    TrackModifiers(event.modifiers());
    // While a button is held Qt gives every event to the widget pressed, wherever the mouse
    // is: the window under the mouse is known from presses and from moves with no button.
    const bool bPress = nMessage == WM_LBUTTONDOWN || nMessage == WM_RBUTTONDOWN ||
                        nMessage == WM_LBUTTONDBLCLK || nMessage == WM_RBUTTONDBLCLK;
    if (bPress || (nMessage == WM_MOUSEMOVE && event.buttons() == Qt::NoButton)) {
        NoteMouseOver(hWnd);
        if (!WindowData::IsAlive(hWnd)) return;
    }
    // On a high-density screen the position can fall inside a logical pixel: it is the pixel
    // it is in rather than the nearest one.
    const QPointF position = event.position();
    QPoint point = position.toPoint();
    if (hWnd->pSurface && hWnd->pSurface->Ratio() != 1.0)
        point = QPoint(static_cast<int>(std::floor(position.x())),
                       static_cast<int>(std::floor(position.y())));
    HWND hTarget = MouseTarget(hWnd, &point);
    UINT nFlags = 0;
    const Qt::MouseButtons buttons = event.buttons();
    if (buttons.testFlag(Qt::LeftButton)) nFlags |= MK_LBUTTON;
    if (buttons.testFlag(Qt::RightButton)) nFlags |= MK_RBUTTON;
    if (buttons.testFlag(Qt::MiddleButton)) nFlags |= MK_MBUTTON;
    if (g_bShiftDown) nFlags |= MK_SHIFT;
    if (g_bControlDown) nFlags |= MK_CONTROL;
    // A disabled window (or one inside a disabled window) hears nothing of the mouse; the
    // event stops here rather than going on to the parent's widget.
    if (!TakesInput(hTarget)) {
        event.accept();
        return;
    }
    SetHoverWindow(hTarget);
    // The cursor is chosen before each mouse message, unless the mouse is captured.
    if (CWnd::GetCapture() == nullptr)
        WindowData::Send(hTarget, WM_SETCURSOR, reinterpret_cast<WPARAM>(hTarget),
                         MAKELPARAM(HTCLIENT, static_cast<int>(nMessage)));
    if (WindowData::IsAlive(hTarget))
        WindowData::Send(hTarget, nMessage, nFlags, MAKELPARAM(point.x(), point.y()));
    event.accept();
}

}  // namespace tessel::platform

short GetKeyState(int nVirtKey) {
    bool bDown = false;
    if (nVirtKey == static_cast<int>(VK_SHIFT)) bDown = g_bShiftDown;
    if (nVirtKey == static_cast<int>(VK_CONTROL)) bDown = g_bControlDown;
    if (nVirtKey == static_cast<int>(VK_MENU)) bDown = g_bAltDown;
    return bDown ? static_cast<short>(-128) : 0;  // 0xFF80, as Windows reports a key held
}
