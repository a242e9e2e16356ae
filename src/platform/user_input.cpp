// Made-up user input: Qt's key, input-method and mouse events built as the window system
// would build them and sent through QCoreApplication::sendEvent, so that the application's
// own delivery (focus on click, propagation) and the window widgets' conversion into
// messages both take part.

#include "platform/user_input.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include "platform/application.h"
#include "platform/window_qt.h"

namespace tessel::platform {
namespace {

Qt::KeyboardModifiers QtModifiers(Modifiers modifiers) {
    Qt::KeyboardModifiers result = Qt::NoModifier;
    if (modifiers & kShiftHeld) result |= Qt::ShiftModifier;
    if (modifiers & kControlHeld) result |= Qt::ControlModifier;
    return result;
}

struct QtKey {
    int nKey = Qt::Key_unknown;
    QString text;  // what the key types, as a keyboard reports it
};

QtKey QtKeyOf(Key key) {
    if (key >= Key::kF1 && key <= Key::kF12)
        return {Qt::Key_F1 + (static_cast<int>(key) - static_cast<int>(Key::kF1)), {}};
    switch (key) {
        case Key::kBackspace:
            return {Qt::Key_Backspace, QStringLiteral("\b")};
        case Key::kTab:
            return {Qt::Key_Tab, QStringLiteral("\t")};
        case Key::kEnter:
            return {Qt::Key_Return, QStringLiteral("\r")};
        case Key::kEscape:
            return {Qt::Key_Escape, QStringLiteral("\x1b")};
        case Key::kPageUp:
            return {Qt::Key_PageUp, {}};
        case Key::kPageDown:
            return {Qt::Key_PageDown, {}};
        case Key::kEnd:
            return {Qt::Key_End, {}};
        case Key::kHome:
            return {Qt::Key_Home, {}};
        case Key::kLeft:
            return {Qt::Key_Left, {}};
        case Key::kUp:
            return {Qt::Key_Up, {}};
        case Key::kRight:
            return {Qt::Key_Right, {}};
        case Key::kDown:
            return {Qt::Key_Down, {}};
        case Key::kInsert:
            return {Qt::Key_Insert, {}};
        case Key::kDelete:
            return {Qt::Key_Delete, QStringLiteral("\x7f")};
        case Key::kShift:
            return {Qt::Key_Shift, {}};
        case Key::kControl:
            return {Qt::Key_Control, {}};
        default:
            return {};
    }
}

// Qt names the keys of printable ASCII by their codes, letters by the capital's.
QtKey QtKeyOfCharacter(char32_t ch) {
    QtKey key;
    key.text = QString::fromUcs4(&ch, 1);
    if (ch >= U'a' && ch <= U'z')
        key.nKey = Qt::Key_A + static_cast<int>(ch - U'a');
    else if (ch >= 0x20 && ch <= 0x7E)
        key.nKey = static_cast<int>(ch);
    return key;
}

void SendKey(CWnd* pTarget, QEvent::Type type, const QtKey& key, Modifiers modifiers) {
    QWidget* pWidget = WidgetOf(pTarget);
    if (pWidget == nullptr) return;
    QKeyEvent event(type, key.nKey, QtModifiers(modifiers), key.text);
    QCoreApplication::sendEvent(pWidget, &event);
}

// The mouse as Qt tracks it for a user: the buttons held, and the widget that got the press
// that started holding them (it gets every mouse event until the last button is released).
struct MouseState {
    Qt::MouseButtons buttons;
    QPointer<QWidget> pGrabber;
};
MouseState g_mouse;

// The window widget under a point of pRoot's, pRoot itself when no child window is there.
QWidget* WidgetAt(QWidget* pRoot, QPoint point) {
    QWidget* pWidget = pRoot->childAt(point);
    while (pWidget != nullptr && pWidget != pRoot && WindowOfWidget(pWidget) == nullptr)
        pWidget = pWidget->parentWidget();
    return pWidget != nullptr ? pWidget : pRoot;
}

// A press gives the focus to the widget pressed, or the nearest one above it in the same
// top-level window, that takes the focus on a click (what Qt does for a user's press).
void GiveFocusOnPress(QWidget* pWidget) {
    for (QWidget* p = pWidget; p != nullptr; p = p->parentWidget()) {
        if (p->isEnabled() && (p->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus) {
            if (QApplication::focusWidget() != p) p->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (p->isWindow()) return;
    }
}

Qt::MouseButton QtButton(MouseButton button) {
    return button == MouseButton::kRight ? Qt::RightButton : Qt::LeftButton;
}

void SendMouseEvent(CWnd* pWnd, CPoint point, QEvent::Type type, Qt::MouseButton button,
                    Modifiers modifiers) {
    QWidget* pRoot = WidgetOf(pWnd);
    if (pRoot == nullptr) return;
    // The window system activates the top-level window a button is pressed in; the
    // activation arrives through the event loop, before the press.
    const bool bPress = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (bPress && !pRoot->window()->isActiveWindow()) {
        pRoot->window()->activateWindow();
        QCoreApplication::processEvents();
        pRoot = WidgetOf(pWnd);
        if (pRoot == nullptr) return;
    }
    const QPoint where(point.x, point.y);
    QWidget* pTarget = nullptr;
    if (g_mouse.buttons != Qt::NoButton && g_mouse.pGrabber) pTarget = g_mouse.pGrabber;
    if (pTarget == nullptr) pTarget = WidgetAt(pRoot, where);
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (g_mouse.buttons == Qt::NoButton) g_mouse.pGrabber = pTarget;
            g_mouse.buttons |= button;
            break;
        case QEvent::MouseButtonRelease:
            g_mouse.buttons &= ~Qt::MouseButtons(button);
            if (g_mouse.buttons == Qt::NoButton) g_mouse.pGrabber = nullptr;
            break;
        default:
            break;
    }
    const QPoint global = pRoot->mapToGlobal(where);
    const QPointF local = pTarget->mapFromGlobal(global);
    const QPointF scene = pTarget->window()->mapFromGlobal(global);
    QPointer<QWidget> pReceiver = pTarget;
    if (bPress) GiveFocusOnPress(pTarget);
    if (!pReceiver) return;
    QMouseEvent event(type, local, scene, QPointF(global), button, g_mouse.buttons,
                      QtModifiers(modifiers));
    QCoreApplication::sendEvent(pReceiver, &event);
}

}  // namespace

CWnd* KeyboardTarget(CWnd* pFallback) {
    CWnd* pFocus = CWnd::GetFocus();
    return pFocus != nullptr ? pFocus : pFallback;
}

void PressKey(CWnd* pTarget, Key key, Modifiers modifiers) {
    SendKey(pTarget, QEvent::KeyPress, QtKeyOf(key), modifiers);
}

void ReleaseKey(CWnd* pTarget, Key key, Modifiers modifiers) {
    SendKey(pTarget, QEvent::KeyRelease, QtKeyOf(key), modifiers);
}

void PressCharacterKey(CWnd* pTarget, char32_t ch, Modifiers modifiers) {
    SendKey(pTarget, QEvent::KeyPress, QtKeyOfCharacter(ch), modifiers);
}

void ReleaseCharacterKey(CWnd* pTarget, char32_t ch, Modifiers modifiers) {
    SendKey(pTarget, QEvent::KeyRelease, QtKeyOfCharacter(ch), modifiers);
}

void CommitInputText(CWnd* pTarget, std::string_view utf8) {
    QWidget* pWidget = WidgetOf(pTarget);
    if (pWidget == nullptr) return;
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    QCoreApplication::sendEvent(pWidget, &event);
}

void PressMouse(CWnd* pWnd, CPoint point, MouseButton button, Modifiers modifiers) {
    SendMouseEvent(pWnd, point, QEvent::MouseButtonPress, QtButton(button), modifiers);
}

void ReleaseMouse(CWnd* pWnd, CPoint point, MouseButton button, Modifiers modifiers) {
    SendMouseEvent(pWnd, point, QEvent::MouseButtonRelease, QtButton(button), modifiers);
}

void DoubleClickMouse(CWnd* pWnd, CPoint point, MouseButton button, Modifiers modifiers) {
    SendMouseEvent(pWnd, point, QEvent::MouseButtonDblClick, QtButton(button), modifiers);
}

void MoveMouse(CWnd* pWnd, CPoint point, Modifiers modifiers) {
    SendMouseEvent(pWnd, point, QEvent::MouseMove, Qt::NoButton, modifiers);
}

void RunEventLoopFor(int nMilliseconds) {
    EnsureApplication();
    if (nMilliseconds > 0) {
        QEventLoop loop;
        QTimer::singleShot(nMilliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    ProcessEvents();
}

}  // namespace tessel::platform
