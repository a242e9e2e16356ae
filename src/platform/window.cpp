// Windows: the objects and their handles, message dispatch through the maps, creation and
// destruction, geometry, visibility, invalidation, focus, capture, timers and posted
// messages.

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/application.h"
#include "platform/window_qt.h"

using tessel::platform::MessageSink;
using tessel::platform::WindowWidget;

namespace {

// Every window that exists, and the window of every widget.
std::unordered_set<HWND>& Windows() {
    static auto* pWindows = new std::unordered_set<HWND>;
    return *pWindows;
}
std::unordered_map<const QWidget*, HWND>& WidgetWindows() {
    static auto* pMap = new std::unordered_map<const QWidget*, HWND>;
    return *pMap;
}

// The messages being delivered, innermost first: a frame learns when its object is deleted
// by the handler, so that nothing touches the object afterwards.
struct DispatchFrame {
    CWnd* pWnd = nullptr;
    bool bDeleted = false;
    DispatchFrame* pOuter = nullptr;
};
DispatchFrame* g_pFrames = nullptr;

HWND g_hCapture = nullptr;
HWND g_hFocus = nullptr;      // the window whose widget has Qt's focus
HWND g_hLostFocus = nullptr;  // the window that had it before
HWND g_hActive = nullptr;     // the active top-level window

// A message waiting in Qt's queue for a window's sink. The count of those not yet
// delivered tells ProcessEvents whether more is to come; Qt deletes the events of a sink
// that goes away, which takes them off the count as well.
int g_nPendingPosts = 0;
QEvent::Type PostedMessageType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
struct PostedMessage : QEvent {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    PostedMessage(UINT m, WPARAM w, LPARAM l)
        : QEvent(PostedMessageType()), message(m), wParam(w), lParam(l) {
        ++g_nPendingPosts;
    }
    ~PostedMessage() override { --g_nPendingPosts; }
};

// Messages delivered so far (ProcessEvents stops when a round delivers none).
unsigned g_nDelivered = 0;

double RatioOf(const QWidget* pWidget) {
    return tessel::platform::PixelRatioOf(pWidget);
}

// A new logical size or pixel ratio for a window's pixels, keeping what they show (scaled to
// a new ratio); new parts are white.
void ResizeSurface(tessel::platform::Surface& surface, QSize size, double dRatio) {
    QImage& old = surface.Pixels();
    if (surface.LogicalSize() == size && (old.isNull() || surface.Ratio() == dRatio)) return;
    QImage image = tessel::platform::MakeSurfaceImage(size, dRatio);
    if (!image.isNull()) {
        image.fill(0xFFFFFFFFu);
        if (!old.isNull()) {
            QPainter painter(&image);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, old);
        }
    }
    // Contexts that share the surface draw into the new pixels from now on.
    surface.image = std::move(image);
}

void ForgetWindow(HWND hWnd) {
    for (HWND* p : {&g_hCapture, &g_hFocus, &g_hLostFocus, &g_hActive})
        if (*p == hWnd) *p = nullptr;
}

void Unlink(std::vector<HWND>& list, HWND hWnd) {
    list.erase(std::remove(list.begin(), list.end(), hWnd), list.end());
}

QRect ClientRect(HWND hWnd) {
    QWidget* pWidget = hWnd->pWidget;
    return pWidget != nullptr ? pWidget->rect() : QRect();
}

QRect ToQRect(const CRect& rc) {
    return QRect(rc.left, rc.top, rc.Width(), rc.Height());
}

// Lets go of everything a destroyed window holds, then of the window itself, and tells the
// object (PostNcDestroy may delete it).
void Finish(HWND hWnd, bool bDeleteWidget) {
    if (hWnd->pSink != nullptr) {
        for (const auto& [nId, nQtId] : hWnd->timers)
            hWnd->pSink->killTimer(nQtId);
        hWnd->pSink->Detach();
        hWnd->pSink->deleteLater();
        hWnd->pSink = nullptr;
    }
    hWnd->timers.clear();
    tessel::platform::ForgetCaretOwner(hWnd);
    ForgetWindow(hWnd);
    if (WindowData::IsAlive(hWnd->hParent)) {
        Unlink(hWnd->hParent->children, hWnd);
        Unlink(hWnd->hParent->owned, hWnd);
    }
    for (HWND hOther : hWnd->children)
        if (WindowData::IsAlive(hOther)) hOther->hParent = nullptr;
    for (HWND hOther : hWnd->owned)
        if (WindowData::IsAlive(hOther)) hOther->hParent = nullptr;
    Windows().erase(hWnd);
    WidgetWindows().erase(hWnd->pWidgetKey);

    if (WindowWidget* pWidget = hWnd->pOwnWidget) {
        pWidget->Detach();
        if (bDeleteWidget) {
            if (pWidget->InEvent()) {
                // The widget is delivering the event whose handler destroyed the window.
                pWidget->hide();
                pWidget->deleteLater();
            } else {
                delete pWidget;
            }
        }
    }
    CWnd* pWnd = hWnd->pWnd;
    delete hWnd;
    if (pWnd != nullptr) {
        pWnd->m_hWnd = nullptr;
        WindowData::PostNcDestroy(pWnd);
    }
}

}  // namespace

// --- Handles and dispatch ---------------------------------------------------------------------

bool WindowData::IsAlive(HWND hWnd) {
    return hWnd != nullptr && Windows().contains(hWnd);
}

LRESULT WindowData::Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsAlive(hWnd)) return 0;
    tessel::platform::TrackKeyMessage(message, wParam);
    CWnd* pWnd = hWnd->pWnd;
    if (pWnd == nullptr) return 0;
    ++g_nDelivered;
    struct Guard {
        DispatchFrame frame;
        CWnd::CurrentMessage saved;
        explicit Guard(CWnd* p) : frame{p, false, g_pFrames}, saved(p->m_current) {
            g_pFrames = &frame;
        }
        ~Guard() {
            g_pFrames = frame.pOuter;
            if (!frame.bDeleted) frame.pWnd->m_current = saved;
        }
    } guard(pWnd);
    pWnd->m_current = {message, wParam, lParam};
    return pWnd->WindowProc(message, wParam, lParam);
}

bool WindowData::PreTranslate(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsAlive(hWnd)) return true;
    MSG msg;
    msg.hwnd = hWnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    // The window itself, then its parents: a child window's parent is above it, a top-level
    // window (owned or not) ends the chain.
    for (HWND h = hWnd; IsAlive(h); h = (h->dwStyle & WS_CHILD) != 0 ? h->hParent : nullptr) {
        if (h->pWnd != nullptr && h->pWnd->PreTranslateMessage(&msg) != FALSE) return true;
        // A handler may have destroyed the window the message is for.
        if (!IsAlive(hWnd)) return true;
        if (!IsAlive(h)) break;
    }
    return false;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    return WindowData::IsAlive(hWnd) ? hWnd->pWnd : nullptr;
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MessageMap map{nullptr, {}};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const MessageMap* pMap = GetMessageMap(); pMap != nullptr; pMap = pMap->pBase) {
        for (const MessageMapEntry& entry : pMap->entries) {
            if (entry.nMessage != message || entry.pfnCall == nullptr) continue;
            if (message == WM_COMMAND &&
                (LOWORD(wParam) != entry.nId || (!entry.bAnyCode && HIWORD(wParam) != entry.nCode)))
                continue;
            return entry.pfnCall(this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hWnd = m_hWnd;
    if (!WindowData::IsAlive(hWnd)) return 0;
    switch (message) {
        case WM_SETCURSOR: {
            // A child's parent chooses first; a window chooses only for itself.
            if ((hWnd->dwStyle & WS_CHILD) != 0 && WindowData::IsAlive(hWnd->hParent) &&
                WindowData::Send(hWnd->hParent, WM_SETCURSOR, wParam, lParam) != 0)
                return TRUE;
            if (reinterpret_cast<HWND>(wParam) != hWnd || !WindowData::IsAlive(hWnd)) return FALSE;
            if (LOWORD(static_cast<UINT_PTR>(lParam)) != HTCLIENT || hWnd->pClass == nullptr ||
                hWnd->pClass->hCursor == nullptr)
                return FALSE;
            tessel::platform::ApplyCursor(hWnd, hWnd->pClass->hCursor);
            return TRUE;
        }
        case WM_PAINT:
            // Painting nothing validates the window all the same.
            hWnd->invalid = QRegion();
            return 0;
        case WM_CLOSE:
            DestroyWindow();
            return 0;
        default:
            return 0;
    }
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

int CWnd::OnCreate(LPCREATESTRUCT) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnActivate(UINT, CWnd*, BOOL) {
    Default();
}
void CWnd::OnKillFocus(CWnd*) {
    Default();
}
void CWnd::OnSetFocus(CWnd*) {
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowData::Send(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->pSink == nullptr) return FALSE;
    QCoreApplication::postEvent(m_hWnd->pSink, new PostedMessage(message, wParam, lParam));
    return TRUE;
}

namespace tessel::platform {

namespace {
// The dynamic property of a top-level widget that holds the ratio SetPixelRatio gave it.
constexpr const char* kPixelRatioProperty = "tesselPixelRatio";
}  // namespace

double PixelRatioOf(const QWidget* pWidget) {
    const QVariant given = pWidget->window()->property(kPixelRatioProperty);
    if (given.isValid() && given.toDouble() > 0.0) return SurfaceRatio(given.toDouble());
    return SurfaceRatio(pWidget->devicePixelRatio());
}

void SetPixelRatio(CWnd* pWnd, double dRatio) {
    QWidget* pTop = WidgetOf(pWnd);
    if (pTop == nullptr) return;
    pTop = pTop->window();
    pTop->setProperty(kPixelRatioProperty, dRatio > 0.0 ? QVariant(dRatio) : QVariant());
    // The windows made so far are remade at it; windows made later take it when made.
    if (HWND hWnd = WindowOfWidget(pTop)) WindowData::SyncPixelRatio(hWnd);
    for (QWidget* pChild : pTop->findChildren<QWidget*>()) {
        if (HWND hWnd = WindowOfWidget(pChild)) WindowData::SyncPixelRatio(hWnd);
    }
}

void MessageSink::customEvent(QEvent* pEvent) {
    if (pEvent->type() != PostedMessageType() || m_hWnd == nullptr) return;
    const auto* pMessage = static_cast<PostedMessage*>(pEvent);
    WindowData::Send(m_hWnd, pMessage->message, pMessage->wParam, pMessage->lParam);
}

void MessageSink::timerEvent(QTimerEvent* pEvent) {
    if (m_hWnd == nullptr) return;
    for (const auto& [nId, nQtId] : m_hWnd->timers) {
        if (nQtId == pEvent->timerId()) {
            WindowData::Send(m_hWnd, WM_TIMER, nId, 0);
            return;
        }
    }
}

QWidget* WidgetOf(HWND hWnd) {
    return WindowData::IsAlive(hWnd) ? hWnd->pWidget.data() : nullptr;
}

QWidget* WidgetOf(CWnd* pWnd) {
    return pWnd != nullptr ? WidgetOf(pWnd->m_hWnd) : nullptr;
}

HWND WindowOfWidget(const QWidget* pWidget) {
    if (pWidget == nullptr) return nullptr;
    const auto it = WidgetWindows().find(pWidget);
    return it != WidgetWindows().end() ? it->second : nullptr;
}

void RegisterAttached(HWND hWnd) {
    hWnd->pWidgetKey = hWnd->pWidget.data();
    Windows().insert(hWnd);
    WidgetWindows()[hWnd->pWidgetKey] = hWnd;
}

HWND MouseTarget(HWND hWnd, QPoint* pPoint) {
    if (!WindowData::IsAlive(g_hCapture) || g_hCapture == hWnd) return hWnd;
    QWidget* pFrom = WidgetOf(hWnd);
    QWidget* pTo = WidgetOf(g_hCapture);
    if (pFrom == nullptr || pTo == nullptr) return hWnd;
    *pPoint = pTo->mapFromGlobal(pFrom->mapToGlobal(*pPoint));
    return g_hCapture;
}

bool TakesInput(HWND hWnd) {
    for (HWND h = hWnd; WindowData::IsAlive(h);
         h = (h->dwStyle & WS_CHILD) != 0 ? h->hParent : nullptr)
        if (h->bDisabled) return false;
    return WindowData::IsAlive(hWnd);
}

HWND PreviousFocus() {
    return WindowData::IsAlive(g_hLostFocus) ? g_hLostFocus : nullptr;
}

void PaintIfInvalid(HWND hWnd) {
    if (!WindowData::IsAlive(hWnd) || hWnd->invalid.isEmpty()) return;
    const QRegion before = hWnd->invalid;
    hWnd->bPaintDCMade = false;
    WindowData::Send(hWnd, WM_PAINT, 0, 0);
    // A handler that painted without a paint context is not asked again for that area.
    if (WindowData::IsAlive(hWnd) && !hWnd->bPaintDCMade) hWnd->invalid -= before;
}

// Windows under hWnd (itself included) in creation order, parents before children.
static void CollectTree(HWND hWnd, std::vector<HWND>& out) {
    out.push_back(hWnd);
    for (HWND hChild : hWnd->children)
        if (WindowData::IsAlive(hChild)) CollectTree(hChild, out);
}

void PaintTree(HWND hWnd) {
    if (!WindowData::IsAlive(hWnd)) return;
    std::vector<HWND> windows;
    CollectTree(hWnd, windows);
    for (HWND h : windows) {
        if (!WindowData::IsAlive(h) || h->invalid.isEmpty()) continue;
        const QRect rc = h->invalid.boundingRect();
        PaintIfInvalid(h);
        if (QWidget* pWidget = WidgetOf(h)) pWidget->update(rc);
    }
}

void ProcessEvents() {
    EnsureApplication();
    // Rounds of what is pending now: a message handled may post or paint more, which the
    // next round delivers. A timer that keeps firing cannot hold the loop: the rounds end
    // when one delivers nothing, and there are at most a few dozen.
    for (int nRound = 0; nRound < 32; ++nRound) {
        const unsigned nBefore = g_nDelivered;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Shown windows that are still invalid (their paint request not yet come) are
        // painted now.
        std::vector<HWND> invalid;
        for (HWND h : Windows())
            if (!h->invalid.isEmpty() && h->pWidget && h->pWidget->isVisible())
                invalid.push_back(h);
        for (HWND h : invalid) {
            if (!WindowData::IsAlive(h)) continue;
            const QRect rc = h->invalid.boundingRect();
            PaintIfInvalid(h);
            if (QWidget* pWidget = WidgetOf(h)) pWidget->update(rc);
        }
        if (g_nDelivered == nBefore && g_nPendingPosts == 0) break;
    }
}

void NoteFocusIn(HWND hWnd) {
    g_hFocus = hWnd;
}
void NoteFocusOut(HWND hWnd) {
    if (g_hFocus == hWnd) g_hFocus = nullptr;
    g_hLostFocus = hWnd;
}
HWND NoteActivation(HWND hWnd, bool bActive) {
    if (bActive) {
        HWND hOld = WindowData::IsAlive(g_hActive) && g_hActive != hWnd ? g_hActive : nullptr;
        g_hActive = hWnd;
        return hOld;
    }
    if (g_hActive == hWnd) g_hActive = nullptr;
    return WindowOfWidget(QApplication::activeWindow());
}

}  // namespace tessel::platform

// --- Creation and destruction -------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() {
    for (DispatchFrame* p = g_pFrames; p != nullptr; p = p->pOuter)
        if (p->pWnd == this) p->bDeleted = true;
    HWND hWnd = std::exchange(m_hWnd, nullptr);
    if (!WindowData::IsAlive(hWnd)) return;
    // The derived parts are gone already: the window goes without messages to this object.
    hWnd->pWnd = nullptr;
    WindowData::Destroy(hWnd);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* szClassName, const char* szWindowName,
                    DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent,
                    UINT nID) {
    if (WindowData::IsAlive(m_hWnd)) return FALSE;
    tessel::platform::EnsureApplication();
    // Widgets need a QApplication; a program that made only a QGuiApplication has none.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return FALSE;
    const bool bChild = (dwStyle & WS_CHILD) != 0;
    if (hWndParent != nullptr && !WindowData::IsAlive(hWndParent)) return FALSE;
    if (bChild && hWndParent == nullptr) return FALSE;
    QWidget* pParentWidget = hWndParent != nullptr ? hWndParent->pWidget.data() : nullptr;
    if (hWndParent != nullptr && pParentWidget == nullptr) return FALSE;

    auto* hWnd = new WindowData;
    hWnd->pWnd = this;
    hWnd->pClass = tessel::platform::FindWindowClass(szClassName);
    hWnd->dwStyle = dwStyle & ~WS_VISIBLE;
    hWnd->dwExStyle = dwExStyle;
    hWnd->nID = bChild ? nID : 0;
    hWnd->strText = szWindowName != nullptr ? szWindowName : "";
    hWnd->hParent = hWndParent;
    hWnd->pSurface = std::make_shared<tessel::platform::Surface>();

    Qt::WindowFlags flags = Qt::Widget;
    if (!bChild) {
        flags = (dwExStyle & WS_EX_TOOLWINDOW) != 0 ? Qt::Tool : Qt::Window;
        if ((dwStyle & WS_POPUP) != 0 && (dwStyle & WS_CAPTION) != WS_CAPTION)
            flags |= Qt::FramelessWindowHint;
        // An owned window is a window of its own that stays with its owner's top level.
        if (pParentWidget != nullptr) pParentWidget = pParentWidget->window();
    }
    // A palette beside a page never takes the keyboard from the page: neither when it shows
    // nor when it is clicked.
    if (!bChild && (dwExStyle & WS_EX_NOACTIVATE) != 0) flags |= Qt::WindowDoesNotAcceptFocus;
    auto* pWidget = new WindowWidget(hWnd, pParentWidget, flags);
    if ((dwExStyle & WS_EX_NOACTIVATE) != 0) {
        pWidget->setAttribute(Qt::WA_ShowWithoutActivating);
        // A platform that activates every window it shows (the headless one does) finds
        // nothing in it to give the keyboard to.
        pWidget->setFocusPolicy(Qt::NoFocus);
    }
    hWnd->pOwnWidget = pWidget;
    hWnd->pWidget = pWidget;
    hWnd->pSink = new MessageSink(hWnd);
    pWidget->setGeometry(x, y, std::max(nWidth, 0), std::max(nHeight, 0));
    // The pixels exist from the start, for drawing during WM_CREATE; WM_SIZE follows it.
    ResizeSurface(*hWnd->pSurface, pWidget->size(), RatioOf(pWidget));
    if (!bChild && !hWnd->strText.empty())
        pWidget->setWindowTitle(tessel::platform::GbkToQString(
            hWnd->strText.data(), static_cast<int>(hWnd->strText.size())));

    hWnd->pWidgetKey = pWidget;
    Windows().insert(hWnd);
    WidgetWindows()[pWidget] = hWnd;
    if (hWndParent != nullptr) (bChild ? hWndParent->children : hWndParent->owned).push_back(hWnd);
    m_hWnd = hWnd;

    CREATESTRUCT cs;
    cs.dwExStyle = dwExStyle;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    const LRESULT nResult = WindowData::Send(hWnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs));
    if (!WindowData::IsAlive(hWnd)) return FALSE;
    if (nResult == -1) {
        WindowData::Destroy(hWnd);
        return FALSE;
    }
    WindowData::SyncGeometry(hWnd, true);
    if (!WindowData::IsAlive(hWnd)) return FALSE;
    if ((dwStyle & WS_VISIBLE) != 0) ShowWindow(SW_SHOW);
    return WindowData::IsAlive(hWnd) ? TRUE : FALSE;
}

void WindowData::Destroy(HWND hWnd) {
    if (!IsAlive(hWnd) || hWnd->bDestroying) return;
    hWnd->bDestroying = true;
    for (HWND hOwned : std::vector<HWND>(hWnd->owned))
        Destroy(hOwned);
    Send(hWnd, WM_DESTROY, 0, 0);
    // Children in creation order, each with its own children, after the parent has heard.
    for (HWND hChild : std::vector<HWND>(hWnd->children))
        if (IsAlive(hChild) && hChild->hParent == hWnd) Destroy(hChild);
    if (IsAlive(hWnd)) Finish(hWnd, true);
}

void WindowData::WidgetDying(HWND hWnd) {
    if (!IsAlive(hWnd)) return;
    WindowWidget* pWidget = hWnd->pOwnWidget;
    hWnd->pOwnWidget = nullptr;  // Qt is deleting it
    if (pWidget != nullptr) pWidget->Detach();
    if (hWnd->bDestroying) return;
    hWnd->bDestroying = true;
    for (HWND hOwned : std::vector<HWND>(hWnd->owned))
        Destroy(hOwned);
    Send(hWnd, WM_DESTROY, 0, 0);
    for (HWND hChild : std::vector<HWND>(hWnd->children))
        if (IsAlive(hChild) && hChild->hParent == hWnd) Destroy(hChild);
    if (IsAlive(hWnd)) Finish(hWnd, false);
}

BOOL CWnd::DestroyWindow() {
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->bDestroying) return FALSE;
    WindowData::Destroy(m_hWnd);
    return TRUE;
}

// --- Relations and styles ---------------------------------------------------------------------

CWnd* CWnd::GetParent() const {
    return WindowData::IsAlive(m_hWnd) ? FromHandle(m_hWnd->hParent) : nullptr;
}

std::vector<CWnd*> CWnd::GetChildren() const {
    std::vector<CWnd*> result;
    if (!WindowData::IsAlive(m_hWnd)) return result;
    for (HWND hChild : m_hWnd->children)
        if (CWnd* pChild = FromHandle(hChild)) result.push_back(pChild);
    return result;
}

UINT CWnd::GetDlgCtrlID() const {
    return WindowData::IsAlive(m_hWnd) ? m_hWnd->nID : 0;
}

DWORD CWnd::GetStyle() const {
    if (!WindowData::IsAlive(m_hWnd)) return 0;
    const QWidget* pWidget = m_hWnd->pWidget;
    return m_hWnd->dwStyle | (pWidget != nullptr && !pWidget->isHidden() ? WS_VISIBLE : 0);
}

DWORD CWnd::GetExStyle() const {
    return WindowData::IsAlive(m_hWnd) ? m_hWnd->dwExStyle : 0;
}

// --- Geometry ----------------------------------------------------------------------------------

void WindowData::SyncGeometry(HWND hWnd, bool bRepaintAll) {
    if (!IsAlive(hWnd)) return;
    QWidget* pWidget = hWnd->pWidget;
    if (pWidget == nullptr) return;
    const QSize size = pWidget->size();
    const QPoint pos = pWidget->isWindow() ? pWidget->geometry().topLeft() : pWidget->pos();
    if (size != hWnd->sizeSent && hWnd->pSurface) {
        ResizeSurface(*hWnd->pSurface, size, RatioOf(pWidget));
        const QRegion uncovered =
            QRegion(QRect(QPoint(0, 0), size)).subtracted(QRect(QPoint(0, 0), hWnd->sizeSent));
        hWnd->invalid += bRepaintAll ? QRegion(QRect(QPoint(0, 0), size)) : uncovered;
        hWnd->invalid &= QRect(QPoint(0, 0), size);
        hWnd->sizeSent = size;
        pWidget->update();
        Send(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.width(), size.height()));
        if (!IsAlive(hWnd)) return;
    }
    if (pos != hWnd->posSent) {
        hWnd->posSent = pos;
        Send(hWnd, WM_MOVE, 0, MAKELPARAM(pos.x(), pos.y()));
    }
}

bool WindowData::SyncPixelRatio(HWND hWnd) {
    if (!IsAlive(hWnd) || hWnd->bAttached || !hWnd->pSurface) return false;
    QWidget* pWidget = hWnd->pWidget;
    if (pWidget == nullptr) return false;
    tessel::platform::Surface& surface = *hWnd->pSurface;
    const double dRatio = RatioOf(pWidget);
    if (surface.image.isNull() || surface.Ratio() == dRatio) return false;
    const QSize size = surface.LogicalSize();
    ResizeSurface(surface, size, dRatio);
    hWnd->invalid = QRegion(QRect(QPoint(0, 0), size));
    pWidget->update();
    return true;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->pWidget == nullptr) return;
    m_hWnd->pWidget->setGeometry(x, y, std::max(nWidth, 0), std::max(nHeight, 0));
    if (m_hWnd->bAttached) return;
    WindowData::SyncGeometry(m_hWnd, bRepaint != FALSE);
}

void CWnd::MoveWindow(const CRect& rc, BOOL bRepaint) {
    MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), bRepaint);
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (pWidget == nullptr) return FALSE;
    const bool bWasShown = !pWidget->isHidden();
    const bool bShow = nCmdShow != SW_HIDE;
    if (bShow != bWasShown) {
        HWND hWnd = m_hWnd;
        WindowData::Send(hWnd, WM_SHOWWINDOW, bShow ? TRUE : FALSE, 0);
        if (QWidget* p = tessel::platform::WidgetOf(hWnd)) p->setVisible(bShow);
    }
    return bWasShown ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    return pWidget != nullptr && pWidget->isVisible() ? TRUE : FALSE;
}

void CWnd::GetClientRect(CRect* pRect) const {
    if (pRect == nullptr) return;
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    *pRect = pWidget != nullptr ? CRect(0, 0, pWidget->width(), pWidget->height()) : CRect();
}

void CWnd::GetWindowRect(CRect* pRect) const {
    if (pRect == nullptr) return;
    GetClientRect(pRect);
    ClientToScreen(pRect);
}

void CWnd::ClientToScreen(CPoint* pPoint) const {
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (pPoint == nullptr || pWidget == nullptr) return;
    const QPoint p = pWidget->mapToGlobal(QPoint(pPoint->x, pPoint->y));
    *pPoint = CPoint(p.x(), p.y());
}

void CWnd::ClientToScreen(CRect* pRect) const {
    if (pRect == nullptr) return;
    CPoint tl = pRect->TopLeft();
    ClientToScreen(&tl);
    pRect->OffsetRect(tl.x - pRect->left, tl.y - pRect->top);
}

void CWnd::ScreenToClient(CPoint* pPoint) const {
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (pPoint == nullptr || pWidget == nullptr) return;
    const QPoint p = pWidget->mapFromGlobal(QPoint(pPoint->x, pPoint->y));
    *pPoint = CPoint(p.x(), p.y());
}

void CWnd::ScreenToClient(CRect* pRect) const {
    if (pRect == nullptr) return;
    CPoint tl = pRect->TopLeft();
    ScreenToClient(&tl);
    pRect->OffsetRect(tl.x - pRect->left, tl.y - pRect->top);
}

void CWnd::SetWindowText(const char* szText) {
    if (!WindowData::IsAlive(m_hWnd)) return;
    m_hWnd->strText = szText != nullptr ? szText : "";
    QWidget* pWidget = m_hWnd->pWidget;
    if (pWidget != nullptr && pWidget->isWindow() && !m_hWnd->bAttached)
        pWidget->setWindowTitle(tessel::platform::GbkToQString(
            m_hWnd->strText.data(), static_cast<int>(m_hWnd->strText.size())));
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    if (!WindowData::IsAlive(m_hWnd)) return FALSE;
    HWND hWnd = m_hWnd;
    const bool bWasDisabled = hWnd->bDisabled;
    const bool bDisable = bEnable == FALSE;
    if (bDisable == bWasDisabled) return bWasDisabled ? TRUE : FALSE;
    hWnd->bDisabled = bDisable;
    if (bDisable) {
        // A disabled window holds neither the mouse nor the keyboard.
        if (g_hCapture == hWnd) g_hCapture = nullptr;
        QWidget* pWidget = hWnd->pWidget;
        if (pWidget != nullptr && pWidget->hasFocus()) pWidget->clearFocus();
    }
    if (!WindowData::IsAlive(hWnd)) return bWasDisabled ? TRUE : FALSE;
    WindowData::Send(hWnd, WM_ENABLE, bDisable ? FALSE : TRUE, 0);
    if (WindowData::IsAlive(hWnd) && hWnd->pWnd != nullptr) hWnd->pWnd->Invalidate();
    return bWasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
    return WindowData::IsAlive(m_hWnd) && !m_hWnd->bDisabled ? TRUE : FALSE;
}

std::string CWnd::GetWindowText() const {
    return WindowData::IsAlive(m_hWnd) ? m_hWnd->strText : std::string();
}

// --- Invalidation ------------------------------------------------------------------------------

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}

void CWnd::InvalidateRect(const CRect* pRect, BOOL /*bErase*/) {
    if (!WindowData::IsAlive(m_hWnd)) return;
    QWidget* pWidget = m_hWnd->pWidget;
    if (pWidget == nullptr) return;
    const QRect client = ClientRect(m_hWnd);
    const QRect rc = pRect != nullptr ? ToQRect(*pRect).normalized() & client : client;
    if (rc.isEmpty()) return;
    if (!m_hWnd->bAttached) m_hWnd->invalid += rc;
    pWidget->update(rc);
}

void CWnd::UpdateWindow() {
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->invalid.isEmpty()) return;
    const QRect rc = m_hWnd->invalid.boundingRect();
    tessel::platform::PaintIfInvalid(m_hWnd);
    if (QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd)) pWidget->update(rc);
}

// --- Focus and capture -------------------------------------------------------------------------

CWnd* CWnd::SetFocus() {
    CWnd* pOld = GetFocus();
    QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (pWidget == nullptr) return pOld;
    // Qt moves the focus at once within the active window; in another top-level window the
    // focus arrives when that window is activated.
    if (!pWidget->isActiveWindow()) pWidget->activateWindow();
    pWidget->setFocus(Qt::OtherFocusReason);
    return pOld;
}

CWnd* CWnd::GetFocus() {
    return FromHandle(tessel::platform::WindowOfWidget(QApplication::focusWidget()));
}

CWnd* CWnd::SetCapture() {
    CWnd* pOld = GetCapture();
    if (WindowData::IsAlive(m_hWnd)) g_hCapture = m_hWnd;
    return pOld;
}

CWnd* CWnd::GetCapture() {
    return FromHandle(g_hCapture);
}

BOOL CWnd::ReleaseCapture() {
    g_hCapture = nullptr;
    return TRUE;
}

// --- Timers ------------------------------------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* /*pfnUnused*/) {
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->pSink == nullptr) return 0;
    KillTimer(nIDEvent);
    // Like Windows, no timer fires more often than every ten milliseconds.
    const int nMs = static_cast<int>(std::clamp<UINT>(nElapse, 10, 0x7FFFFFFF));
    const int nQtId = m_hWnd->pSink->startTimer(nMs);
    if (nQtId == 0) return 0;
    m_hWnd->timers[nIDEvent] = nQtId;
    return nIDEvent == 0 ? 1 : nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->pSink == nullptr) return FALSE;
    const auto it = m_hWnd->timers.find(nIDEvent);
    if (it == m_hWnd->timers.end()) return FALSE;
    m_hWnd->pSink->killTimer(it->second);
    m_hWnd->timers.erase(it);
    return TRUE;
}
