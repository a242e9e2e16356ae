#pragma once

// The Qt side of the windows of wnd.h. Only the platform's own .cpp files and its tests
// include this header.
//
// Every window is a WindowData (what an HWND points at) and, unless it is a host's attached
// widget, a WindowWidget: a QWidget that turns Qt's events into the window's messages and
// shows the window's surface. Messages are delivered to the CWnd object through
// WindowData::Send, which keeps the object's current message and survives handlers that
// destroy the window or delete the object.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi_qt.h"
#include "platform/wnd.h"

namespace tessel::platform {

class WindowWidget;
class MessageSink;

// A registered window class (AfxRegisterWndClass); lives until the process ends.
struct WindowClass {
    std::string strName;
    UINT nStyle = 0;
    HCURSOR hCursor = nullptr;
};
// The class of that name; unknown names (and null) get the default class: double clicks
// and the arrow cursor.
const WindowClass* FindWindowClass(const char* szName);

// The widget of a window (null for none): the WindowWidget, or the host's attached widget.
QWidget* WidgetOf(CWnd* pWnd);
QWidget* WidgetOf(HWND hWnd);
// The window of a widget, or null when the widget is no window of this layer.
HWND WindowOfWidget(const QWidget* pWidget);
// The pixel ratio a window's surface is made at: the one its top-level window was given
// (SetPixelRatio), or else its screen's.
double PixelRatioOf(const QWidget* pWidget);
// Makes an attached widget's window known (AttachWidget).
void RegisterAttached(HWND hWnd);

// Mouse input: the window that gets mouse messages for an event at a point of pWidget's
// (capture redirects), with the point in that window's client coordinates.
HWND MouseTarget(HWND hWnd, QPoint* pPoint);

// Messages of Qt input events (input.cpp).
void SendKeyPress(HWND hWnd, const QKeyEvent& event);
void SendKeyRelease(HWND hWnd, const QKeyEvent& event);
void SendInputMethodText(HWND hWnd, const QString& text);
// The WM_CHAR bytes of text: GBK, lead byte first; characters outside GBK are dropped.
std::string GbkBytesOf(const QString& text);
void SendMouse(HWND hWnd, QMouseEvent& event, UINT nMessage);
// Whether the user's mouse and key input reaches the window: it and every window above it
// up to its top-level window are enabled (EnableWindow).
bool TakesInput(HWND hWnd);
// The window the user's mouse is over now (input.cpp): when it changes, the window left gets
// WM_MOUSELEAVE and the tool tips of its tools hide. Null: over none of the layer's windows.
void NoteMouseOver(HWND hWnd);
HWND MouseOverWindow();
// Tool tips (tooltip.cpp): the mouse has left the window, so tips of its tools hide.
void ToolTipsMouseLeft(HWND hWnd);
// The virtual-key code of a Qt key, 0 for none.
UINT VirtualKeyOf(int nQtKey);
// Follows the keyboard state of real input events and of key messages (GetKeyState).
void TrackModifiers(Qt::KeyboardModifiers modifiers);
void TrackKeyMessage(UINT nMessage, WPARAM wParam);

// The caret (caret.cpp).
void DrawCaret(HWND hWnd, QPainter& painter);
void ForgetCaretOwner(HWND hWnd);  // the window is going away
QRect CaretRect();                 // client coordinates of the owner

// Cursors (cursor.cpp): the cursor over a window when a class or SetCursor chose it.
void ApplyCursor(HWND hWnd, HCURSOR hCursor);
// The window that gets mouse input now (SetCursor applies its cursor there).
void SetHoverWindow(HWND hWnd);

// The window that had the focus before the one getting it now.
HWND PreviousFocus();

// Paints the window now when part of it is invalid: WM_PAINT draws into its surface.
void PaintIfInvalid(HWND hWnd);
// The same for the window and every window under it, and asks Qt to show the result.
void PaintTree(HWND hWnd);

// Focus and activation as Qt reports them (the other window of WM_SETFOCUS, WM_KILLFOCUS and
// WM_ACTIVATE). NoteActivation returns the window that lost or gained the activation.
void NoteFocusIn(HWND hWnd);
void NoteFocusOut(HWND hWnd);
HWND NoteActivation(HWND hWnd, bool bActive);

// The MIME type a private clipboard format travels as on the system clipboard (empty for an
// unknown format).
std::string PrivateFormatMimeType(UINT nFormat);

// Whether Qt shows windows on a real screen (false on the offscreen and minimal platforms).
bool HasRealScreen();

}  // namespace tessel::platform

struct WindowData {
    CWnd* pWnd = nullptr;  // null once the object has let go of the window
    QPointer<QWidget> pWidget;
    const QWidget* pWidgetKey = nullptr;  // the widget's address, kept while Qt deletes it
    tessel::platform::WindowWidget* pOwnWidget = nullptr;  // null for an attached widget
    bool bAttached = false;
    const tessel::platform::WindowClass* pClass = nullptr;
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    UINT nID = 0;
    std::string strText;  // GBK

    HWND hParent = nullptr;      // the parent of a child window, the owner of a top-level one
    std::vector<HWND> children;  // child windows, in creation order
    std::vector<HWND> owned;     // top-level windows this one owns

    // The client area's pixels, what WM_PAINT draws into and the widget shows, at the pixel
    // ratio of the widget's screen (a logical pixel is that many pixels a side).
    std::shared_ptr<tessel::platform::Surface> pSurface;
    QRegion invalid;            // client coordinates; painted by the next WM_PAINT
    int nPaintEvents = 0;       // inside the widget's paint event (no new update requests then)
    bool bPaintDCMade = false;  // a paint context was made during the current WM_PAINT
    QSize sizeSent{-1, -1};     // the size and position the last WM_SIZE and WM_MOVE carried
    QPoint posSent{INT32_MIN, INT32_MIN};

    tessel::platform::MessageSink* pSink = nullptr;  // posted messages and timers
    std::map<UINT_PTR, int> timers;                  // timer id -> Qt timer id

    bool bDestroying = false;
    bool bDisabled = false;  // EnableWindow(FALSE): no mouse or key input from the user

    // Delivers a message to the window's object now; 0 when it has none.
    static LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Offers a key message of the user's to the window's object, then to the objects of the
    // windows above it up to its top-level window (CWnd::PreTranslateMessage); true when one
    // of them took it (or the window went away meanwhile), so that it is not delivered.
    static bool PreTranslate(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Whether the handle names a window that exists.
    static bool IsAlive(HWND hWnd);
    // Destroys the window: WM_DESTROY to it, then to its children (each destroyed in turn),
    // then the objects let go. Owned windows are destroyed first. Nothing happens when the
    // window is already being destroyed.
    static void Destroy(HWND hWnd);
    // The widget is being deleted by Qt (its parent widget went away): destroy the window
    // without deleting the widget again.
    static void WidgetDying(HWND hWnd);
    // Resizes the surface and sends WM_SIZE and WM_MOVE when the widget's geometry differs
    // from what the last ones carried.
    static void SyncGeometry(HWND hWnd, bool bRepaintAll);
    // Remakes the surface at the pixel ratio of the widget's screen when that is another one
    // (the window went to a screen of another density): what it shows is kept, scaled, and
    // the whole window is invalid. True when it did.
    static bool SyncPixelRatio(HWND hWnd);
    static void PostNcDestroy(CWnd* pWnd) { pWnd->PostNcDestroy(); }
};

namespace tessel::platform {

// The widget of a window this layer created.
class WindowWidget : public QWidget {
  public:
    WindowWidget(HWND hWnd, QWidget* pParent, Qt::WindowFlags flags);
    ~WindowWidget() override;
    HWND Window() const { return m_hWnd; }
    // The window has gone: the widget shows nothing more and delivers no events.
    void Detach() { m_hWnd = nullptr; }
    // Inside one of this widget's event handlers (deleting it now would pull the ground
    // away under the handler: it is deleted later instead).
    bool InEvent() const { return m_nEventDepth > 0; }

  protected:
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void inputMethodEvent(QInputMethodEvent* pEvent) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  private:
    HWND m_hWnd = nullptr;
    int m_nEventDepth = 0;
};

// Receives a window's posted messages and timer ticks. It is deleted later rather than at
// once, as it may be delivering the message whose handler destroys the window.
class MessageSink : public QObject {
  public:
    explicit MessageSink(HWND hWnd) : m_hWnd(hWnd) {}
    void Detach() { m_hWnd = nullptr; }

  protected:
    void customEvent(QEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;

  private:
    HWND m_hWnd = nullptr;
};

}  // namespace tessel::platform
