// The widget of a window: Qt's events turned into the window's messages, and the window's
// surface shown. Also the painting contexts, window capture and host widgets.

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

#include "platform/application.h"
#include "platform/window_qt.h"

namespace tessel::platform {

WindowWidget::WindowWidget(HWND hWnd, QWidget* pParent, Qt::WindowFlags flags)
    : QWidget(pParent, flags), m_hWnd(hWnd) {
    // The surface covers the whole widget: Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_InputMethodEnabled);
    setMouseTracking(true);  // WM_MOUSEMOVE comes without a button held too
    setFocusPolicy(Qt::ClickFocus);
}

WindowWidget::~WindowWidget() {
    // Deleted by Qt (with a parent widget) while the window still exists.
    if (m_hWnd != nullptr) WindowData::WidgetDying(m_hWnd);
}

bool WindowWidget::event(QEvent* pEvent) {
    // This one deletes the widget: nothing may touch it afterwards.
    if (pEvent->type() == QEvent::DeferredDelete) return QWidget::event(pEvent);
    ++m_nEventDepth;
    bool bResult = true;
    switch (pEvent->type()) {
        // Every key comes here as it would to a window, Tab included (no focus chain).
        // A disabled window takes no keys.
        case QEvent::KeyPress:
            if (m_hWnd != nullptr && TakesInput(m_hWnd))
                SendKeyPress(m_hWnd, *static_cast<QKeyEvent*>(pEvent));
            break;
        case QEvent::KeyRelease:
            if (m_hWnd != nullptr && TakesInput(m_hWnd))
                SendKeyRelease(m_hWnd, *static_cast<QKeyEvent*>(pEvent));
            break;
        // The user's mouse has left the widget (not into a child's: Qt sends the child an
        // Enter and, for the widget, nothing).
        case QEvent::Leave:
            if (m_hWnd != nullptr && MouseOverWindow() == m_hWnd) NoteMouseOver(nullptr);
            bResult = QWidget::event(pEvent);
            break;
        // The widget is on another screen now, maybe of another density: the surface
        // follows it.
        case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        case QEvent::DevicePixelRatioChange:
#endif
            bResult = QWidget::event(pEvent);
            if (m_hWnd != nullptr) WindowData::SyncPixelRatio(m_hWnd);
            break;
        default:
            bResult = QWidget::event(pEvent);
            break;
    }
    --m_nEventDepth;
    return bResult;
}

void WindowWidget::paintEvent(QPaintEvent* pEvent) {
    if (m_hWnd == nullptr) return;
    HWND hWnd = m_hWnd;
    // A screen of another density than the surface's, not yet heard of: the surface is
    // remade and all of it shown again.
    if (WindowData::SyncPixelRatio(hWnd)) update();
    ++hWnd->nPaintEvents;
    PaintIfInvalid(hWnd);
    if (!WindowData::IsAlive(hWnd) || m_hWnd == nullptr) return;
    --hWnd->nPaintEvents;
    QPainter painter(this);
    const QRect rc = pEvent->rect();
    const Surface& surface = *hWnd->pSurface;
    const QImage& image = hWnd->pSurface->Pixels();
    if (!surface.LogicalRect().contains(rc)) painter.fillRect(rc, Qt::white);
    if (surface.Ratio() == 1.0)
        painter.drawImage(rc.topLeft(), image, rc);
    else
        painter.drawImage(QRectF(rc), image, QRectF(surface.PixelRect(rc)));
    // A bordered window shows a thin black frame, one logical pixel wide. It is drawn over the
    // edge of the client area rather than outside it, so a bordered window keeps the client
    // size it was given.
    if (hWnd->dwStyle & WS_BORDER) {
        const int w = width(), h = height();
        painter.fillRect(QRect(0, 0, w, 1), Qt::black);
        painter.fillRect(QRect(0, h - 1, w, 1), Qt::black);
        painter.fillRect(QRect(0, 0, 1, h), Qt::black);
        painter.fillRect(QRect(w - 1, 0, 1, h), Qt::black);
    }
    DrawCaret(hWnd, painter);
}

void WindowWidget::resizeEvent(QResizeEvent*) {
    if (m_hWnd != nullptr) WindowData::SyncGeometry(m_hWnd, true);
}

void WindowWidget::moveEvent(QMoveEvent*) {
    if (m_hWnd != nullptr) WindowData::SyncGeometry(m_hWnd, true);
}

void WindowWidget::mousePressEvent(QMouseEvent* pEvent) {
    if (m_hWnd == nullptr) return;
    if (pEvent->button() == Qt::LeftButton) SendMouse(m_hWnd, *pEvent, WM_LBUTTONDOWN);
    if (pEvent->button() == Qt::RightButton) SendMouse(m_hWnd, *pEvent, WM_RBUTTONDOWN);
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* pEvent) {
    if (m_hWnd == nullptr) return;
    if (pEvent->button() == Qt::LeftButton) SendMouse(m_hWnd, *pEvent, WM_LBUTTONUP);
    if (pEvent->button() == Qt::RightButton) SendMouse(m_hWnd, *pEvent, WM_RBUTTONUP);
}

// Qt reports the second press of a double click as a double click; without CS_DBLCLKS the
// window hears a second button-down.
void WindowWidget::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    if (m_hWnd == nullptr) return;
    const bool bDouble = m_hWnd->pClass != nullptr && (m_hWnd->pClass->nStyle & CS_DBLCLKS) != 0;
    if (pEvent->button() == Qt::LeftButton)
        SendMouse(m_hWnd, *pEvent, bDouble ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
    if (pEvent->button() == Qt::RightButton)
        SendMouse(m_hWnd, *pEvent, bDouble ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN);
}

void WindowWidget::mouseMoveEvent(QMouseEvent* pEvent) {
    if (m_hWnd != nullptr) SendMouse(m_hWnd, *pEvent, WM_MOUSEMOVE);
}

void WindowWidget::focusInEvent(QFocusEvent*) {
    if (m_hWnd == nullptr) return;
    HWND hOld = PreviousFocus();
    NoteFocusIn(m_hWnd);
    WindowData::Send(m_hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(hOld != m_hWnd ? hOld : nullptr),
                     0);
}

void WindowWidget::focusOutEvent(QFocusEvent*) {
    if (m_hWnd == nullptr) return;
    NoteFocusOut(m_hWnd);
    // Qt has already given the focus to the new widget.
    HWND hNew = WindowOfWidget(QApplication::focusWidget());
    WindowData::Send(m_hWnd, WM_KILLFOCUS,
                     reinterpret_cast<WPARAM>(hNew != m_hWnd ? hNew : nullptr), 0);
}

void WindowWidget::changeEvent(QEvent* pEvent) {
    QWidget::changeEvent(pEvent);
    if (m_hWnd == nullptr || pEvent->type() != QEvent::ActivationChange || !isWindow()) return;
    const bool bActive = isActiveWindow();
    HWND hOther = NoteActivation(m_hWnd, bActive);
    WindowData::Send(m_hWnd, WM_ACTIVATE,
                     MAKEWPARAM(bActive ? WA_ACTIVE : WA_INACTIVE, isMinimized() ? 1 : 0),
                     reinterpret_cast<LPARAM>(hOther));
}

// The user closes a top-level window: WM_CLOSE, whose default handling destroys it.
// Closing asks the window; the close stands when its WM_CLOSE handling destroyed it (the
// default does). Accepting it then matters when the application quits: Qt quits only when
// every window agrees to close.
void WindowWidget::closeEvent(QCloseEvent* pEvent) {
    if (m_hWnd != nullptr) WindowData::Send(m_hWnd, WM_CLOSE, 0, 0);
    if (m_hWnd == nullptr)
        pEvent->accept();
    else
        pEvent->ignore();
}

// Committed text from an input method arrives as characters; the composition itself is
// left to the input method's own window.
void WindowWidget::inputMethodEvent(QInputMethodEvent* pEvent) {
    if (m_hWnd != nullptr && TakesInput(m_hWnd) && !pEvent->commitString().isEmpty())
        SendInputMethodText(m_hWnd, pEvent->commitString());
    pEvent->accept();
}

QVariant WindowWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle: {
            const CaretInfo caret = GetCaretInfo();
            if (m_hWnd != nullptr && caret.hOwner == m_hWnd) return CaretRect();
            return QRect();
        }
        default:
            return QWidget::inputMethodQuery(query);
    }
}

bool CaptureWindow(CWnd* pWnd, CBitmap& bitmap) {
    bitmap.DeleteObject();
    QWidget* pWidget = WidgetOf(pWnd);
    if (pWidget == nullptr) return false;
    PaintTree(pWnd->m_hWnd);
    pWidget = WidgetOf(pWnd);
    if (pWidget == nullptr || pWidget->width() <= 0 || pWidget->height() <= 0) return false;
    // On a high-density screen the capture keeps the screen's pixels: a bitmap of the
    // window's logical size at the window's pixel ratio. A window given a ratio of its own
    // (SetPixelRatio) is drawn into pixels of that ratio, not its screen's.
    const double dRatio = PixelRatioOf(pWidget);
    const QSize pixels(ToPixel(pWidget->width(), dRatio), ToPixel(pWidget->height(), dRatio));
    QImage image;
    if (dRatio == SurfaceRatio(pWidget->devicePixelRatio())) {
        image = pWidget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    } else {
        image = QImage(pixels, QImage::Format_RGB32);
        if (image.isNull()) return false;
        image.setDevicePixelRatio(dRatio);
        image.fill(Qt::white);
        pWidget->render(&image);
    }
    if (image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    image.setDevicePixelRatio(dRatio);
    if (!bitmap.CreateBitmap(pWidget->width(), pWidget->height())) return false;
    bitmap.Data()->pSurface->Pixels() = std::move(image);
    return true;
}

CWnd* AttachWidget(QWidget* pWidget) {
    if (pWidget == nullptr) return nullptr;
    if (HWND hWnd = WindowOfWidget(pWidget)) return hWnd->pWnd;
    auto* pWnd = new CWnd;
    auto* hWnd = new WindowData;
    hWnd->pWnd = pWnd;
    hWnd->pWidget = pWidget;
    hWnd->bAttached = true;
    hWnd->pClass = FindWindowClass(nullptr);
    hWnd->dwStyle = pWidget->isWindow() ? WS_OVERLAPPED : WS_CHILD;
    hWnd->pSink = new MessageSink(hWnd);
    RegisterAttached(hWnd);
    pWnd->m_hWnd = hWnd;
    QObject::connect(pWidget, &QObject::destroyed, [hWnd]() {
        if (!WindowData::IsAlive(hWnd)) return;
        CWnd* pObject = hWnd->pWnd;
        WindowData::WidgetDying(hWnd);
        delete pObject;
    });
    return pWnd;
}

}  // namespace tessel::platform

// --- Painting contexts ---------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* pWnd) {
    m_pData->bCreated = true;
    HWND hWnd = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    if (!WindowData::IsAlive(hWnd) || hWnd->bAttached) return;
    m_hWnd = hWnd;
    const QRegion region = hWnd->invalid & hWnd->pSurface->LogicalRect();
    m_pData->state.pSurface = hWnd->pSurface;
    m_pData->state.clip = region;
    const QRect rc = region.boundingRect();
    m_rcPaint = CRect(rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height());
    hWnd->invalid = QRegion();
    hWnd->bPaintDCMade = true;
}

CPaintDC::~CPaintDC() {
    DeleteDC();
    // Outside the widget's own paint event, Qt is asked to show what was painted.
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->nPaintEvents > 0 || m_rcPaint.IsRectEmpty()) return;
    if (QWidget* pWidget = m_hWnd->pWidget)
        pWidget->update(m_rcPaint.left, m_rcPaint.top, m_rcPaint.Width(), m_rcPaint.Height());
}

CClientDC::CClientDC(CWnd* pWnd) {
    m_pData->bCreated = true;
    HWND hWnd = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    if (!WindowData::IsAlive(hWnd) || hWnd->bAttached) return;
    m_hWnd = hWnd;
    m_pData->state.pSurface = hWnd->pSurface;
}

CClientDC::~CClientDC() {
    DeleteDC();
    if (!WindowData::IsAlive(m_hWnd) || m_hWnd->nPaintEvents > 0) return;
    if (QWidget* pWidget = m_hWnd->pWidget) pWidget->update();
}
