#pragma once

// The window half of the platform layer: windows and their messages, the caret, timers,
// cursors, popup menus and the clipboard's opening, shaped like the Windows interfaces the
// editor is written against and implemented on Qt widgets. Nothing here names a Qt type
// except AttachWidget, for hosts that are Qt programs.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi.h"
#include "platform/geometry.h"

class QWidget;

using UINT = unsigned int;
using BOOL = int;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;

struct WindowData;
struct CursorData;
// A window as a host names it: the layer's handle of a CWnd's window (null for none).
using HWND = WindowData*;
using HCURSOR = CursorData*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// --- Messages --------------------------------------------------------------------------------
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_DRAWITEM = 0x002B;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
// The mouse has left the window's client area (moved into another window, a child window
// included, or off the program's windows). Windows sends it to windows that ask with
// TrackMouseEvent; here every window gets it. Handlers take (WPARAM, LPARAM), both 0.
inline constexpr UINT WM_MOUSELEAVE = 0x02A3;
inline constexpr UINT WM_USER = 0x0400;

// Mouse message flags (wParam of the button and move messages).
inline constexpr UINT MK_LBUTTON = 0x0001;
inline constexpr UINT MK_RBUTTON = 0x0002;
inline constexpr UINT MK_SHIFT = 0x0004;
inline constexpr UINT MK_CONTROL = 0x0008;
inline constexpr UINT MK_MBUTTON = 0x0010;

// Virtual-key codes (wParam of WM_KEYDOWN and WM_KEYUP). Letters and digits are their
// upper-case ASCII codes.
inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_SHIFT = 0x10;
inline constexpr UINT VK_CONTROL = 0x11;
inline constexpr UINT VK_MENU = 0x12;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_PRIOR = 0x21;
inline constexpr UINT VK_NEXT = 0x22;
inline constexpr UINT VK_END = 0x23;
inline constexpr UINT VK_HOME = 0x24;
inline constexpr UINT VK_LEFT = 0x25;
inline constexpr UINT VK_UP = 0x26;
inline constexpr UINT VK_RIGHT = 0x27;
inline constexpr UINT VK_DOWN = 0x28;
inline constexpr UINT VK_INSERT = 0x2D;
inline constexpr UINT VK_DELETE = 0x2E;
inline constexpr UINT VK_F1 = 0x70;
inline constexpr UINT VK_F4 = 0x73;

// Notification codes carried in the high word of WM_COMMAND's wParam.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;

// WM_ACTIVATE states.
inline constexpr UINT WA_INACTIVE = 0;
inline constexpr UINT WA_ACTIVE = 1;
inline constexpr UINT WA_CLICKACTIVE = 2;

// Hit-test code of WM_SETCURSOR for the client area.
inline constexpr UINT HTCLIENT = 1;

// WM_SIZE types.
inline constexpr UINT SIZE_RESTORED = 0;

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
// A window that never takes the keyboard: shown or clicked, the focus stays where it was.
inline constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;
// Window class styles.
inline constexpr UINT CS_VREDRAW = 0x0001;
inline constexpr UINT CS_HREDRAW = 0x0002;
inline constexpr UINT CS_DBLCLKS = 0x0008;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// Menu item flags.
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;

// Standard cursors for LoadCursor.
enum class StandardCursor { kArrow, kIBeam, kWait };
inline constexpr StandardCursor IDC_ARROW = StandardCursor::kArrow;
inline constexpr StandardCursor IDC_IBEAM = StandardCursor::kIBeam;
inline constexpr StandardCursor IDC_WAIT = StandardCursor::kWait;

constexpr UINT LOWORD(UINT_PTR v) {
    return static_cast<UINT>(v & 0xFFFF);
}
constexpr UINT HIWORD(UINT_PTR v) {
    return static_cast<UINT>((v >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(UINT lo, UINT hi) {
    return (static_cast<WPARAM>(hi & 0xFFFF) << 16) | (lo & 0xFFFF);
}
// A point in the lParam of a mouse message: x in the low word, y in the high word, each a
// signed 16-bit value.
constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(hi & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(lo & 0xFFFF));
}
constexpr CPoint PointFromLParam(LPARAM l) {
    return {static_cast<std::int16_t>(l & 0xFFFF), static_cast<std::int16_t>((l >> 16) & 0xFFFF)};
}

struct CREATESTRUCT {
    DWORD dwExStyle = 0;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    HWND hwndParent = nullptr;
};
using LPCREATESTRUCT = CREATESTRUCT*;

// A message as the event loop hands it over (PreTranslateMessage, CToolTipCtrl::RelayEvent).
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class CWnd;

// --- Message maps ------------------------------------------------------------------------------
// A window class lists the messages it handles in a static table; dispatch looks a message up
// in the class's table, then in its base class's, and so on, and falls back to the default
// handling. Each entry holds a small function generated for the handler's signature, which
// unpacks wParam and lParam the way the message carries them.
struct MessageMapEntry {
    UINT nMessage = 0;
    UINT nId = 0;           // WM_COMMAND: the command (control) id
    UINT nCode = 0;         // WM_COMMAND: the notification code
    bool bAnyCode = false;  // WM_COMMAND: any notification code (a menu or button command)
    LRESULT (*pfnCall)(CWnd* pWnd, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct MessageMap {
    const MessageMap* pBase = nullptr;
    std::span<const MessageMapEntry> entries;
};

// Entry makers. The handler signatures are those of the message:
//   WM_CREATE                        int  (LPCREATESTRUCT)
//   WM_DESTROY, WM_PAINT             void ()
//   WM_KEYDOWN, WM_KEYUP, WM_CHAR    void (UINT nChar, UINT nRepCnt, UINT nFlags)
//   mouse buttons and WM_MOUSEMOVE   void (UINT nFlags, CPoint point)
//   WM_SETFOCUS, WM_KILLFOCUS        void (CWnd* pOther)
//   WM_ACTIVATE                      void (UINT nState, CWnd* pOther, BOOL bMinimized)
//   WM_TIMER                         void (UINT_PTR nIDEvent)
//   WM_SETCURSOR                     BOOL (CWnd* pWnd, UINT nHitTest, UINT message)
//   WM_SIZE                          void (UINT nType, int cx, int cy)
//   WM_MOVE                          void (int x, int y)
//   WM_SHOWWINDOW                    void (BOOL bShow, UINT nStatus)
//   WM_CLOSE                         void ()
//   any other message                LRESULT (WPARAM, LPARAM)
// and commands are void () (or LRESULT (WPARAM, LPARAM) for the raw parameters). The
// handler may be a protected or private member: the map is written inside the class.
template <UINT Message, auto Handler>
constexpr MessageMapEntry MapMessage();
// WM_COMMAND with the id, whatever the notification code (menu items, buttons, accelerators).
template <UINT Id, auto Handler>
constexpr MessageMapEntry MapCommand();
// WM_COMMAND with the id and that notification code only.
template <UINT Id, UINT Code, auto Handler>
constexpr MessageMapEntry MapNotify();

// --- Windows ---------------------------------------------------------------------------------

// Registers a window class and returns its name. Registering the same styles and cursor again
// gives the same name. The class's cursor is shown over the client area unless WM_SETCURSOR
// is handled; CS_DBLCLKS makes a second click within the double-click time a
// WM_LBUTTONDBLCLK (without it, another WM_LBUTTONDOWN).
const char* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr);

class CWnd {
  public:
    CWnd();
    virtual ~CWnd();  // destroys the window if it still exists (without messages to this object)
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window: a child of hWndParent (WS_CHILD) or a top-level window (owned by
    // hWndParent when given). Titles are GBK. Sizes are client sizes: a top-level window's
    // frame, if any, is the window system's. WM_CREATE is sent before this returns, then
    // WM_SIZE and WM_MOVE; a WM_CREATE result of -1 destroys the window again (WM_DESTROY
    // is sent) and CreateEx returns FALSE. Windows need a QApplication: EnsureApplication
    // makes one when there is no application yet; when the program made only a
    // QGuiApplication, CreateEx returns FALSE.
    BOOL CreateEx(DWORD dwExStyle, const char* szClassName, const char* szWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, UINT nID);
    // Destroys the window as Windows does: the windows it owns go first; then WM_DESTROY is
    // sent to the window and after it to each child in creation order (each child's own
    // children after it), so a WM_DESTROY handler still finds its children; the objects let
    // go of their windows children first, each getting PostNcDestroy. FALSE when there is no
    // window or it is already being destroyed.
    BOOL DestroyWindow();

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object of a window (null for none).
    static CWnd* FromHandle(HWND hWnd);

    CWnd* GetParent() const;
    // Children in creation order.
    std::vector<CWnd*> GetChildren() const;
    UINT GetDlgCtrlID() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;

    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(const CRect& rc, BOOL bRepaint = TRUE);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void GetClientRect(CRect* pRect) const;
    // In screen coordinates: the client area (frames are the window system's).
    void GetWindowRect(CRect* pRect) const;
    void ClientToScreen(CPoint* pPoint) const;
    void ClientToScreen(CRect* pRect) const;
    void ScreenToClient(CPoint* pPoint) const;
    void ScreenToClient(CRect* pRect) const;
    void SetWindowText(const char* szText);
    // A disabled window gets no mouse or keyboard input; changing the state sends WM_ENABLE
    // (wParam: enabled) and repaints it. Windows are enabled when created.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    std::string GetWindowText() const;

    // Marks the client area for painting; the next WM_PAINT comes from the event loop.
    // Window classes have no background brush here, so erasing or not paints the same.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const CRect* pRect, BOOL bErase = TRUE);
    // Paints now when something is invalid (shown or not).
    void UpdateWindow();

    // Qt moves the focus at once (WM_KILLFOCUS and WM_SETFOCUS before this returns) within
    // the active top-level window; for a window in another one, the focus arrives when the
    // event loop has activated it.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    static BOOL ReleaseCapture();

    // WM_TIMER every nElapse milliseconds (ten at least) until KillTimer or the window goes;
    // setting an id again restarts it.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* pfnUnused = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The system caret: one per process, owned by the window that created it last, created
    // hidden. It is drawn over the owner's client area by the layer, inverting what is
    // under it (a bitmap caret: XOR with the bitmap's pixels, copied when created), and
    // blinks while shown. Showing and hiding are a flag, not counted as Windows counts
    // them: one ShowCaret undoes any number of HideCaret calls. Both act only for the
    // owner.
    void CreateSolidCaret(int nWidth, int nHeight);
    void CreateCaret(CBitmap* pBitmap);
    static void SetCaretPos(CPoint point);
    static CPoint GetCaretPos();
    void ShowCaret();
    void HideCaret();
    static void DestroyCaret();

    // Delivers the message now, through the message map, and returns the handler's result.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queues the message; the event loop delivers it (see ProcessEvents).
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The message map of this class; derived classes with handlers override it.
    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap* GetThisMessageMap();

  protected:
    // What the layer does with a message no map entry takes (or when a handler calls the
    // base class's handler): the default handling of the current message.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Looks the message up in the map chain and calls the handler, else DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Default handlers, for derived handlers to call ("the platform's default handling").
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnPaint();
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    void OnKillFocus(CWnd* pNewWnd);
    void OnSetFocus(CWnd* pOldWnd);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnTimer(UINT_PTR nIDEvent);

    // Keyboard input (WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN) from the user passes here
    // before it is delivered: first to the window it is meant for, then to each window above
    // it up to its top-level window. One that returns TRUE has dealt with the message, which
    // is then not delivered.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Called after the window is gone (WM_DESTROY handled); the object is not deleted.
    virtual void PostNcDestroy() {}

  private:
    friend struct WindowData;
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};
};

// Keyboard state as the last input message left it: Shift, Ctrl and Alt (VK_MENU) follow the
// modifiers of real input events (keyboard and mouse) and the WM_KEYDOWN / WM_KEYUP messages
// of those keys that are sent or posted to any window. The high bit (a negative result)
// means the key is down.
short GetKeyState(int nVirtKey);

// --- Painting ----------------------------------------------------------------------------------

// The context of WM_PAINT: it draws into the window's client area, clipped to the area to be
// painted. Created and destroyed inside the paint handler.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    CRect m_rcPaint;  // the area to be painted, client coordinates

  protected:
    HWND m_hWnd = nullptr;
};

// A context that draws into the window's client area at any time (what it draws stays until
// the next paint covers it).
class CClientDC : public CDC {
  public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

  protected:
    HWND m_hWnd = nullptr;
};

// --- Cursors -----------------------------------------------------------------------------------
HCURSOR LoadCursor(StandardCursor cursor);
// Shows the cursor now (over whatever window the mouse is on); returns the previous one.
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();
BOOL DestroyCursor(HCURSOR hCursor);  // standard cursors are shared: nothing is freed

// --- Menus -------------------------------------------------------------------------------------
class CMenu {
  public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    bool IsCreated() const;
    // nFlags: MF_STRING or MF_SEPARATOR, with MF_GRAYED or MF_DISABLED. The text is GBK; "&"
    // marks the access key.
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* szNewItem = nullptr);
    // nEnable: MF_BYCOMMAND or MF_BYPOSITION with MF_ENABLED, MF_GRAYED or MF_DISABLED.
    // Returns the item's previous state, or -1 when there is no such item.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;  // 0 for a separator
    std::string GetMenuString(UINT nIDItem, UINT nFlags) const;
    // Shows the menu at the screen point and waits for the choice; a chosen enabled item
    // sends WM_COMMAND with its id to pWnd. Returns TRUE when an item was chosen. Greyed,
    // disabled items and separators are never chosen. Without a screen (the offscreen
    // platform) and without a chooser, the menu is dismissed at once: FALSE.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd);

    struct Item {
        UINT nFlags = 0;
        UINT_PTR nID = 0;
        std::string strText;
    };
    const std::vector<Item>& Items() const { return m_items; }

  private:
    bool m_bCreated = false;
    std::vector<Item> m_items;
};

// --- Clipboard ---------------------------------------------------------------------------------
// The system clipboard, shaped like the Windows one: open it, empty it and set the data of
// each format, or read the data of a format, then close it. What is set reaches other programs
// when the clipboard is closed, all formats at once; until then reads (GetClipboardData,
// IsClipboardFormatAvailable) still see the content from before. Setting data without
// emptying first keeps the formats already there that are not set again. Everything fails
// (FALSE, null) without a QGuiApplication. Data from other programs is taken as absent when
// it is absurdly large (text, HTML or private data over 64 MB, images over 16384 pixels a
// side).

// The id of a private clipboard format (0xC000 and up); the same name, whatever its ASCII
// case, always gives the same id. Other programs see the format under its name as first
// registered, as a MIME type of that name.
UINT RegisterClipboardFormat(const char* szFormat);
// One opener at a time: opening again, by any window, fails until the clipboard is closed.
BOOL OpenClipboard(CWnd* pWnd);
// Closes the clipboard; when it was emptied or data were set while it was open, the new
// content goes to the system clipboard now (owned by this process from then on).
BOOL CloseClipboard();
// Standard formats: 8-bit text (GBK bytes, ending with a zero byte; other programs see it as
// Unicode text) and a bitmap.
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
// HTML text (GBK bytes, ending with a zero byte; other programs see it as HTML). Not a
// Windows standard format: Windows registers "HTML Format" with a header of offsets instead.
inline constexpr UINT CF_HTML = 0x0082;
// Whether the system clipboard holds data of the format (standard or private).
BOOL IsClipboardFormatAvailable(UINT nFormat);
// Drops every format's data; the clipboard must be open. FALSE when it is not.
BOOL EmptyClipboard();

// Global memory for clipboard data: a block of bytes, zero-filled when allocated.
struct GlobalBlock;
using HGLOBAL = GlobalBlock*;
using HANDLE = void*;
using HBITMAP = CBitmap*;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GMEM_DDESHARE = GMEM_SHARE;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
// Null when the memory cannot be had (or for 0 bytes).
HGLOBAL GlobalAlloc(UINT nFlags, std::size_t nBytes);
// The block's bytes; null for a null handle or one that is no live block.
void* GlobalLock(HGLOBAL hMem);
// As on Windows: TRUE while the block stays locked, FALSE once it is unlocked.
BOOL GlobalUnlock(HGLOBAL hMem);
// The block's size in bytes; 0 for a handle that is no live block.
std::size_t GlobalSize(HGLOBAL hMem);
// Frees the block; returns null (a handle that is no live block is returned as it is).
HGLOBAL GlobalFree(HGLOBAL hMem);

// Sets the data of a format while the clipboard is open: an HGLOBAL for CF_TEXT and CF_HTML
// (the bytes up to the first zero byte) and private formats (all its bytes as they are), an
// HBITMAP for CF_BITMAP.
// The clipboard owns the data from then on (a bitmap is copied; the caller keeps its own).
// Returns hData, or null when the clipboard is not open or the format is unknown (the data
// are then the caller's).
HANDLE SetClipboardData(UINT nFormat, HANDLE hData);
// The data of a format while the clipboard is open, owned by the clipboard until it is
// closed: an HGLOBAL for CF_TEXT (another program's Unicode text as GBK, what GBK cannot hold
// left out; line ends as they are), CF_HTML and private formats (GlobalSize: the byte count);
// an HBITMAP for CF_BITMAP. Asked again while open, a format gives the same handle. Null when
// the format is not there (or a private format's data are empty) or the clipboard is not
// open.
HANDLE GetClipboardData(UINT nFormat);

namespace tessel::platform {

// Delayed rendering: a format whose data are made only when a program asks for them (on
// Windows the clipboard's owner is sent WM_RENDERFORMAT; here the owner gives the function
// that makes them). While the clipboard is open; the data are the bytes SetClipboardData
// would take (GBK text for CF_TEXT and CF_HTML), made at most once, on this thread, from the
// event loop or a read. FALSE when the clipboard is not open or the format is unknown.
BOOL SetClipboardDataLater(UINT nFormat, std::function<std::string()> render);
// The number of the content this process last put on the clipboard (it grows with each
// close that set or emptied something), while the clipboard still holds that content; 0 when
// it holds another program's, or nothing this process set.
unsigned long OwnClipboardContent();

}  // namespace tessel::platform

// --- Hosts and tests ---------------------------------------------------------------------------
namespace tessel::platform {

// A window object for a Qt program's own widget, so that it can be a parent: the editor's
// overload of Edit for Qt hosts uses it. The object lives as long as the widget.
CWnd* AttachWidget(QWidget* pWidget);

// Runs the event loop until nothing is pending: posted messages, timers that are due,
// paints (shown windows still invalid are painted before it returns). Tests and
// command-line tools call it instead of a message loop. It never waits: a timer not yet due
// fires in a later call.
void ProcessEvents();

// The window's pixels as they are shown, its child windows included (each painted first
// when invalid), in a new bitmap of the window's size.
bool CaptureWindow(CWnd* pWnd, CBitmap& bitmap);

// Draws the top-level window of pWnd, and every window inside it, at dRatio device pixels to
// the logical pixel whatever screen it is on (0: its screen's again). For pictures finer than
// the screen: a page drawn for paper. Windows already made are remade at it and drawn again.
void SetPixelRatio(CWnd* pWnd, double dRatio);

// What the caret is: whose it is, where, how large, and whether it is shown.
struct CaretInfo {
    HWND hOwner = nullptr;
    CPoint pos;
    CSize size;
    bool bShown = false;
};
CaretInfo GetCaretInfo();

// The cursor set last by SetCursor or by a window class over its window.
HCURSOR CurrentCursor();

// Popup menus in tests and tools: while a chooser is set, TrackPopupMenu asks it instead of
// showing the menu, and sends the id it returns (0: the menu was dismissed).
using MenuChooser = std::function<UINT(const CMenu& menu, CPoint ptScreen)>;
void SetMenuChooser(MenuChooser chooser);

}  // namespace tessel::platform

#include "platform/wnd_map.inl"
