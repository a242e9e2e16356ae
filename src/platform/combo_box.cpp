// The drop-down list box. The closed box is a child window drawn with the desktop's combo-box
// style; the dropped list is a top-level window of this layer without a frame (a tool-tip
// window to Qt, so that showing it takes the activation from nobody), placed under the box.
// While it is shown it holds the mouse capture, as a Windows popup does: a click anywhere
// else reaches it first and closes it. The box keeps the keyboard focus throughout.

#include "platform/combo_box.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace {

// Texts compare as their bytes (unsigned), letter case aside.
bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return tessel::platform::FoldCase(a) < tessel::platform::FoldCase(b);
}

QRect ToQRect(const CRect& rc) {
    return QRect(rc.left, rc.top, rc.Width(), rc.Height());
}
CRect FromQRect(const QRect& rc) {
    return CRect(rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height());
}

// The font of the box and its list: the desktop's message font.
LOGFONT ControlFont() {
    NONCLIENTMETRICS metrics;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, static_cast<UINT>(sizeof metrics), &metrics,
                             0))
        return metrics.lfMessageFont;
    LOGFONT lf;
    lf.lfHeight = -12;
    return lf;
}

// Space around an item's text in the list, and around the list item in the closed box.
constexpr int kItemPadding = 4;
constexpr int kBoxPadding = 4;
constexpr int kTextIndent = 3;
// The list's frame (WS_BORDER: a line over the edge of the client area).
constexpr int kListBorder = 1;
// The scroll bar's arrows repeat while held: first after this delay, then at this interval.
constexpr UINT kRepeatDelay = 300;
constexpr UINT kRepeatInterval = 50;
constexpr UINT_PTR kRepeatTimer = 1;
// Posted to the box when it loses the focus while the list is dropped.
constexpr UINT kFocusLostMessage = WM_USER + 0x7C01;

}  // namespace

// --- Data --------------------------------------------------------------------------------------

struct CComboBox::Data {
    class DropList;

    struct Item {
        std::string strText;
        std::uintptr_t dwData = 0;
    };

    explicit Data(CComboBox* pOwner) : pBox(pOwner) {}
    ~Data();

    CComboBox* pBox;
    std::vector<Item> items;
    int nCurSel = CB_ERR;
    CFont font;
    int nTextHeight = 14;
    int nItemHeight = 18;
    // How far the rectangle given to Create reaches below the closed box.
    int nListRoom = 0;

    std::unique_ptr<DropList> pList;
    bool bDropped = false;
    int nTop = 0;   // the first item the list shows
    int nHot = -1;  // the highlighted item of the list
    int nRows = 1;  // the rows the list shows

    int Count() const { return static_cast<int>(items.size()); }
    bool Valid(int n) const { return n >= 0 && n < Count(); }

    void MakeFont();
    // The rows a list dropped now shows: as many whole rows as fit in the room below the box,
    // one at least, and no more than there are items.
    int RowsToShow() const;
    int MaxTop() const { return std::max(0, Count() - nRows); }
    // Tells the parent (WM_COMMAND with the code); false when that destroyed the box, in
    // which case nothing here may be touched any more.
    bool Notify(UINT nCode);
    // Selects the item and tells the parent when it changed or bAlways. False when the
    // parent destroyed the box.
    bool Select(int nIndex, bool bAlways);
    void Drop();
    // Hides the list; bNotify: tell the parent (CBN_CLOSEUP). False when the box was
    // destroyed meanwhile.
    bool CloseUp(bool bNotify = true);
    void SetTop(int nNewTop);
    void EnsureVisible(int nIndex);
    void SetHot(int nIndex);
    // The user's keys: the item a navigation key moves to from nFrom, or -1 when the key
    // moves nowhere.
    int Navigate(UINT nChar, int nFrom, int nPage) const;
    void InvalidateList();
    void InvalidateBox() { pBox->Invalidate(FALSE); }
    // Keeps the selection, the highlight and the scrolling inside the items after a change
    // of the items.
    void ItemsChanged();
};

// The dropped list. Everything it does is the box's: it only draws the items and turns the
// mouse into choices.
class CComboBox::Data::DropList : public CWnd {
  public:
    explicit DropList(Data* pData) : m_pData(pData) {}

    BOOL Create(CWnd* pOwner);
    // The items' area and the scroll bar's (client coordinates; the scroll bar is empty when
    // every item fits).
    CRect ItemsRect() const;
    CRect ScrollRect() const;
    bool HasScrollBar() const { return m_pData->Count() > m_pData->nRows; }
    int ItemAt(CPoint point) const;  // -1 outside the items
    void StopTracking();

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    // Mouse wheel events come to the widget, not as messages.
    class WheelFilter : public QObject {
      public:
        explicit WheelFilter(DropList* pList) : m_pList(pList) {}

      protected:
        bool eventFilter(QObject* pObject, QEvent* pEvent) override;

      private:
        DropList* m_pList;
        int m_nRemainder = 0;  // wheel movement short of a whole step
    };

    QStyleOptionSlider ScrollOption() const;
    QStyle::SubControl ScrollPartAt(CPoint point) const;
    // A client point in the scroll bar's own coordinates.
    QPoint ScrollPoint(CPoint point) const {
        const CRect rc = ScrollRect();
        return QPoint(point.x - rc.left, point.y - rc.top);
    }
    void ScrollBy(QStyle::SubControl part);

    void OnPaint();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();

    Data* m_pData;
    WheelFilter m_wheelFilter{this};
    QStyle::SubControl m_scrollPart = QStyle::SC_None;  // the scroll bar's part held down
    int m_nDragOffset = 0;                              // where the slider was taken, from its top
    bool m_bChoosing = false;                           // the button went down on the items
};

CComboBox::Data::~Data() = default;

void CComboBox::Data::MakeFont() {
    if (font.IsValid()) return;
    const LOGFONT lf = ControlFont();
    font.CreateFontIndirect(&lf);
    nTextHeight = font.Data()->pFace->Height();
    nItemHeight = nTextHeight + kItemPadding;
}

int CComboBox::Data::RowsToShow() const {
    const int nFit = (nListRoom - 2 * kListBorder) / nItemHeight;
    return std::max(1, std::min(nFit, Count()));
}

bool CComboBox::Data::Notify(UINT nCode) {
    HWND hWnd = pBox->m_hWnd;
    if (CWnd* pParent = pBox->GetParent())
        pParent->SendMessage(WM_COMMAND, MAKEWPARAM(pBox->GetDlgCtrlID(), nCode),
                             reinterpret_cast<LPARAM>(hWnd));
    return WindowData::IsAlive(hWnd);
}

bool CComboBox::Data::Select(int nIndex, bool bAlways) {
    if (!Valid(nIndex)) return true;
    const bool bChanged = nIndex != nCurSel;
    nCurSel = nIndex;
    if (bChanged) InvalidateBox();
    if (bDropped) {
        SetHot(nIndex);
        EnsureVisible(nIndex);
    }
    return bChanged || bAlways ? Notify(CBN_SELCHANGE) : true;
}

void CComboBox::Data::Drop() {
    if (bDropped || !WindowData::IsAlive(pBox->m_hWnd) || !pBox->IsWindowEnabled()) return;
    // The parent hears first, so that it can fill the list before it shows.
    if (!Notify(CBN_DROPDOWN)) return;
    // The list's window goes with the box's; a box made again makes a new one.
    if (pList && !WindowData::IsAlive(pList->GetSafeHwnd())) pList.reset();
    if (!pList) {
        auto pNew = std::make_unique<DropList>(this);
        if (!pNew->Create(pBox)) return;
        pList = std::move(pNew);
    }
    nRows = RowsToShow();
    CRect rcBox;
    pBox->GetWindowRect(&rcBox);
    const int nHeight = nRows * nItemHeight + 2 * kListBorder;
    int y = rcBox.bottom;
    // Above the box when the screen has no room below it and more above.
    if (const QWidget* pWidget = tessel::platform::WidgetOf(pBox)) {
        if (const QScreen* pScreen = pWidget->screen()) {
            const QRect avail = pScreen->availableGeometry();
            if (y + nHeight > avail.bottom() + 1 &&
                rcBox.top - avail.top() > avail.bottom() + 1 - y)
                y = rcBox.top - nHeight;
        }
    }
    pList->MoveWindow(rcBox.left, y, rcBox.Width(), nHeight, TRUE);
    nHot = nCurSel;
    nTop = 0;
    SetTop(nCurSel);
    bDropped = true;
    pList->ShowWindow(SW_SHOW);
    pList->Invalidate(FALSE);
    pList->SetCapture();
    InvalidateBox();
}

bool CComboBox::Data::CloseUp(bool bNotify) {
    if (!bDropped) return true;
    bDropped = false;
    if (pList) {
        pList->StopTracking();
        if (CWnd::GetCapture() == pList.get()) CWnd::ReleaseCapture();
        pList->ShowWindow(SW_HIDE);
    }
    if (WindowData::IsAlive(pBox->m_hWnd)) InvalidateBox();
    return bNotify ? Notify(CBN_CLOSEUP) : true;
}

void CComboBox::Data::SetTop(int nNewTop) {
    nNewTop = std::clamp(nNewTop, 0, MaxTop());
    if (nNewTop == nTop) return;
    nTop = nNewTop;
    InvalidateList();
}

void CComboBox::Data::EnsureVisible(int nIndex) {
    if (!Valid(nIndex)) return;
    if (nIndex < nTop)
        SetTop(nIndex);
    else if (nIndex >= nTop + nRows)
        SetTop(nIndex - nRows + 1);
}

void CComboBox::Data::SetHot(int nIndex) {
    if (nIndex == nHot) return;
    nHot = nIndex;
    InvalidateList();
}

int CComboBox::Data::Navigate(UINT nChar, int nFrom, int nPage) const {
    const int nLast = Count() - 1;
    if (nLast < 0) return -1;
    int nTo = nFrom;
    switch (nChar) {
        case VK_UP:
            nTo = nFrom < 0 ? 0 : nFrom - 1;
            break;
        case VK_DOWN:
            nTo = nFrom < 0 ? 0 : nFrom + 1;
            break;
        case VK_HOME:
            nTo = 0;
            break;
        case VK_END:
            nTo = nLast;
            break;
        case VK_PRIOR:
            nTo = nFrom < 0 ? 0 : nFrom - std::max(1, nPage - 1);
            break;
        case VK_NEXT:
            nTo = nFrom < 0 ? 0 : nFrom + std::max(1, nPage - 1);
            break;
        default:
            return -1;
    }
    nTo = std::clamp(nTo, 0, nLast);
    return nTo == nFrom ? -1 : nTo;
}

void CComboBox::Data::InvalidateList() {
    if (bDropped && pList) pList->Invalidate(FALSE);
}

void CComboBox::Data::ItemsChanged() {
    if (!Valid(nCurSel)) nCurSel = CB_ERR;
    if (!Valid(nHot)) nHot = -1;
    nTop = std::clamp(nTop, 0, MaxTop());
    InvalidateList();
    if (WindowData::IsAlive(pBox->m_hWnd)) InvalidateBox();
}

// --- The dropped list --------------------------------------------------------------------------

BOOL CComboBox::Data::DropList::Create(CWnd* pOwner) {
    if (!CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0, LoadCursor(IDC_ARROW)), nullptr,
                  WS_POPUP | WS_BORDER, 0, 0, 1, 1, pOwner->GetSafeHwnd(), 0))
        return FALSE;
    if (QWidget* pWidget = tessel::platform::WidgetOf(this)) {
        // A tool-tip window is shown without taking the activation from the box's window,
        // and never takes the focus: the keys keep going to the box.
        pWidget->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint |
                                Qt::WindowDoesNotAcceptFocus);
        pWidget->setAttribute(Qt::WA_ShowWithoutActivating);
        pWidget->setFocusPolicy(Qt::NoFocus);
        pWidget->installEventFilter(&m_wheelFilter);
    }
    return TRUE;
}

CRect CComboBox::Data::DropList::ItemsRect() const {
    CRect rc;
    GetClientRect(&rc);
    rc = CRect(rc.left + kListBorder, rc.top + kListBorder, rc.right - kListBorder,
               rc.bottom - kListBorder);
    if (HasScrollBar()) rc.right = std::max(rc.left, rc.right - ScrollRect().Width());
    return rc;
}

CRect CComboBox::Data::DropList::ScrollRect() const {
    if (!HasScrollBar()) return CRect();
    CRect rc;
    GetClientRect(&rc);
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    const int nWidth = pWidget != nullptr ? pWidget->style()->pixelMetric(
                                                QStyle::PM_ScrollBarExtent, nullptr, pWidget)
                                          : 16;
    return CRect(std::max(rc.left + kListBorder, rc.right - kListBorder - nWidth),
                 rc.top + kListBorder, rc.right - kListBorder, rc.bottom - kListBorder);
}

int CComboBox::Data::DropList::ItemAt(CPoint point) const {
    const CRect rc = ItemsRect();
    if (!rc.PtInRect(point)) return -1;
    const int nIndex = m_pData->nTop + (point.y - rc.top) / m_pData->nItemHeight;
    return m_pData->Valid(nIndex) ? nIndex : -1;
}

void CComboBox::Data::DropList::StopTracking() {
    m_scrollPart = QStyle::SC_None;
    m_bChoosing = false;
    KillTimer(kRepeatTimer);
}

QStyleOptionSlider CComboBox::Data::DropList::ScrollOption() const {
    QStyleOptionSlider option;
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (pWidget != nullptr) option.initFrom(pWidget);
    // The style lays a scroll bar out from its own origin, as a scroll bar widget is: the
    // option's rectangle starts at (0, 0), and drawing and hit tests are moved there.
    const CRect rc = ScrollRect();
    option.rect = QRect(0, 0, rc.Width(), rc.Height());
    option.orientation = Qt::Vertical;
    option.state &= ~QStyle::State_Horizontal;
    option.minimum = 0;
    option.maximum = m_pData->MaxTop();
    option.singleStep = 1;
    option.pageStep = std::max(1, m_pData->nRows);
    option.sliderPosition = m_pData->nTop;
    option.sliderValue = m_pData->nTop;
    option.subControls = QStyle::SC_All;
    if (m_scrollPart != QStyle::SC_None) {
        option.activeSubControls = m_scrollPart;
        option.state |= QStyle::State_Sunken;
    }
    return option;
}

QStyle::SubControl CComboBox::Data::DropList::ScrollPartAt(CPoint point) const {
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (pWidget == nullptr || !HasScrollBar() || !ScrollRect().PtInRect(point))
        return QStyle::SC_None;
    const QStyleOptionSlider option = ScrollOption();
    return pWidget->style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option,
                                                   ScrollPoint(point), pWidget);
}

void CComboBox::Data::DropList::ScrollBy(QStyle::SubControl part) {
    switch (part) {
        case QStyle::SC_ScrollBarAddLine:
            m_pData->SetTop(m_pData->nTop + 1);
            break;
        case QStyle::SC_ScrollBarSubLine:
            m_pData->SetTop(m_pData->nTop - 1);
            break;
        case QStyle::SC_ScrollBarAddPage:
            m_pData->SetTop(m_pData->nTop + m_pData->nRows);
            break;
        case QStyle::SC_ScrollBarSubPage:
            m_pData->SetTop(m_pData->nTop - m_pData->nRows);
            break;
        default:
            break;
    }
}

const MessageMap* CComboBox::Data::DropList::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &DropList::OnPaint>(),
        MapMessage<WM_MOUSEMOVE, &DropList::OnMouseMove>(),
        MapMessage<WM_LBUTTONDOWN, &DropList::OnLButtonDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &DropList::OnLButtonDown>(),
        MapMessage<WM_LBUTTONUP, &DropList::OnLButtonUp>(),
        MapMessage<WM_RBUTTONDOWN, &DropList::OnRButtonDown>(),
        MapMessage<WM_TIMER, &DropList::OnTimer>(),
        MapMessage<WM_DESTROY, &DropList::OnDestroy>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

void CComboBox::Data::DropList::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    dc.FillSolidRect(rcClient, GetSysColor(COLOR_WINDOW));
    const CRect rcItems = ItemsRect();
    dc.SelectObject(&m_pData->font);
    dc.SetBkMode(TRANSPARENT);
    for (int nRow = 0; nRow < m_pData->nRows; ++nRow) {
        const int nIndex = m_pData->nTop + nRow;
        if (!m_pData->Valid(nIndex)) break;
        const int y = rcItems.top + nRow * m_pData->nItemHeight;
        const CRect rcRow(rcItems.left, y, rcItems.right, y + m_pData->nItemHeight);
        const bool bHot = nIndex == m_pData->nHot;
        if (bHot) dc.FillSolidRect(rcRow, GetSysColor(COLOR_HIGHLIGHT));
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(bHot ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        dc.SaveDC();
        dc.IntersectClipRect(rcRow);
        dc.TextOut(rcRow.left + kTextIndent, y + (m_pData->nItemHeight - m_pData->nTextHeight) / 2,
                   m_pData->items[nIndex].strText);
        dc.RestoreDC(-1);
    }
    const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
    if (HasScrollBar() && pWidget != nullptr) {
        if (QPainter* pPainter = dc.Data()->BeginDraw()) {
            const QStyleOptionSlider option = ScrollOption();
            pPainter->save();
            const CRect rc = ScrollRect();
            pPainter->translate(rc.left, rc.top);
            pWidget->style()->drawComplexControl(QStyle::CC_ScrollBar, &option, pPainter, pWidget);
            pPainter->restore();
        }
    }
}

void CComboBox::Data::DropList::OnMouseMove(UINT nFlags, CPoint point) {
    Data& data = *m_pData;
    if (m_scrollPart == QStyle::SC_ScrollBarSlider) {
        const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
        if (pWidget == nullptr) return;
        const QStyleOptionSlider option = ScrollOption();
        const QStyle* pStyle = pWidget->style();
        const QRect groove = pStyle->subControlRect(QStyle::CC_ScrollBar, &option,
                                                    QStyle::SC_ScrollBarGroove, pWidget);
        const QRect slider = pStyle->subControlRect(QStyle::CC_ScrollBar, &option,
                                                    QStyle::SC_ScrollBarSlider, pWidget);
        const int nSpan = groove.height() - slider.height();
        data.SetTop(QStyle::sliderValueFromPosition(
            0, data.MaxTop(), ScrollPoint(point).y() - groove.top() - m_nDragOffset,
            std::max(nSpan, 1)));
        return;
    }
    if (m_scrollPart != QStyle::SC_None) return;
    const CRect rcItems = ItemsRect();
    const int nIndex = ItemAt(point);
    if (nIndex >= 0) {
        data.SetHot(nIndex);
    } else if ((nFlags & MK_LBUTTON) != 0 && m_bChoosing && point.x >= rcItems.left &&
               point.x < rcItems.right) {
        // Dragging past the top or the bottom scrolls the list along.
        if (point.y < rcItems.top) {
            data.SetTop(data.nTop - 1);
            data.SetHot(data.nTop);
        } else if (point.y >= rcItems.bottom) {
            data.SetTop(data.nTop + 1);
            data.SetHot(std::min(data.nTop + data.nRows, data.Count()) - 1);
        }
    }
}

void CComboBox::Data::DropList::OnLButtonDown(UINT, CPoint point) {
    CRect rcClient;
    GetClientRect(&rcClient);
    if (!rcClient.PtInRect(point)) {
        // A click anywhere else (the box itself included) closes the list, changing nothing.
        m_pData->CloseUp();
        return;
    }
    const QStyle::SubControl part = ScrollPartAt(point);
    if (part != QStyle::SC_None) {
        m_scrollPart = part;
        if (part == QStyle::SC_ScrollBarSlider) {
            const QWidget* pWidget = tessel::platform::WidgetOf(m_hWnd);
            const QStyleOptionSlider option = ScrollOption();
            const QRect slider = pWidget->style()->subControlRect(
                QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, pWidget);
            m_nDragOffset = ScrollPoint(point).y() - slider.top();
        } else {
            ScrollBy(part);
            SetTimer(kRepeatTimer, kRepeatDelay);
        }
        Invalidate(FALSE);
        return;
    }
    m_bChoosing = true;
    const int nIndex = ItemAt(point);
    if (nIndex >= 0) m_pData->SetHot(nIndex);
}

void CComboBox::Data::DropList::OnLButtonUp(UINT, CPoint point) {
    if (m_scrollPart != QStyle::SC_None) {
        StopTracking();
        Invalidate(FALSE);
        return;
    }
    m_bChoosing = false;
    // A release on an item chooses it: after a click on it, or after the press that dropped
    // the list was dragged onto it.
    const int nIndex = ItemAt(point);
    if (nIndex < 0) return;
    Data& data = *m_pData;
    if (!data.Select(nIndex, true)) return;
    data.CloseUp();
}

void CComboBox::Data::DropList::OnRButtonDown(UINT, CPoint point) {
    CRect rcClient;
    GetClientRect(&rcClient);
    if (!rcClient.PtInRect(point)) m_pData->CloseUp();
}

void CComboBox::Data::DropList::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kRepeatTimer) return;
    if (m_scrollPart == QStyle::SC_None || m_scrollPart == QStyle::SC_ScrollBarSlider) {
        KillTimer(kRepeatTimer);
        return;
    }
    ScrollBy(m_scrollPart);
    SetTimer(kRepeatTimer, kRepeatInterval);
}

void CComboBox::Data::DropList::OnDestroy() {
    StopTracking();
    if (CWnd::GetCapture() == this) CWnd::ReleaseCapture();
    m_pData->bDropped = false;
}

bool CComboBox::Data::DropList::WheelFilter::eventFilter(QObject*, QEvent* pEvent) {
    if (pEvent->type() != QEvent::Wheel) return false;
    Data& data = *m_pList->m_pData;
    m_nRemainder += static_cast<QWheelEvent*>(pEvent)->angleDelta().y();
    // Each notch (120) scrolls the lines the desktop scrolls by, the wheel pointing up
    // scrolling towards the first item.
    const int nSteps = m_nRemainder / 120;
    m_nRemainder -= nSteps * 120;
    if (nSteps != 0)
        data.SetTop(data.nTop - nSteps * std::max(1, QApplication::wheelScrollLines()));
    pEvent->accept();
    return true;
}

// --- The box -----------------------------------------------------------------------------------

CComboBox::CComboBox() : m_pData(std::make_unique<Data>(this)) {}

CComboBox::~CComboBox() = default;

BOOL CComboBox::Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID) {
    if (pParentWnd == nullptr) return FALSE;
    tessel::platform::EnsureApplication();
    m_pData->MakeFont();
    const int nHeight = m_pData->nItemHeight + kBoxPadding;
    m_pData->nListRoom = rect.Height() - nHeight;
    return CreateEx(0, AfxRegisterWndClass(0, LoadCursor(IDC_ARROW)), nullptr,
                    (dwStyle | WS_CHILD) & ~WS_POPUP, rect.left, rect.top, rect.Width(), nHeight,
                    pParentWnd->GetSafeHwnd(), nID);
}

int CComboBox::AddString(const char* szItem) {
    const std::string strItem = szItem != nullptr ? szItem : "";
    int nIndex = m_pData->Count();
    if ((GetStyle() & CBS_SORT) != 0) {
        const auto& items = m_pData->items;
        nIndex = static_cast<int>(std::upper_bound(items.begin(), items.end(), strItem,
                                                   [](const std::string& a, const Data::Item& b) {
                                                       return LessIgnoringCase(a, b.strText);
                                                   }) -
                                  items.begin());
    }
    return InsertString(nIndex, strItem.c_str());
}

int CComboBox::InsertString(int nIndex, const char* szItem) {
    Data& data = *m_pData;
    if (nIndex == -1) nIndex = data.Count();
    if (nIndex < 0 || nIndex > data.Count()) return CB_ERR;
    data.items.insert(data.items.begin() + nIndex, Data::Item{szItem != nullptr ? szItem : "", 0});
    if (data.nCurSel >= nIndex) ++data.nCurSel;
    if (data.nHot >= nIndex) ++data.nHot;
    data.ItemsChanged();
    return nIndex;
}

int CComboBox::DeleteString(int nIndex) {
    Data& data = *m_pData;
    if (!data.Valid(nIndex)) return CB_ERR;
    data.items.erase(data.items.begin() + nIndex);
    if (data.nCurSel == nIndex)
        data.nCurSel = CB_ERR;
    else if (data.nCurSel > nIndex)
        --data.nCurSel;
    if (data.nHot == nIndex)
        data.nHot = -1;
    else if (data.nHot > nIndex)
        --data.nHot;
    data.ItemsChanged();
    return data.Count();
}

void CComboBox::ResetContent() {
    m_pData->items.clear();
    m_pData->nCurSel = CB_ERR;
    m_pData->nHot = -1;
    m_pData->ItemsChanged();
}

int CComboBox::GetCount() const {
    return m_pData->Count();
}

int CComboBox::GetCurSel() const {
    return m_pData->nCurSel;
}

int CComboBox::SetCurSel(int nSelect) {
    Data& data = *m_pData;
    if (!data.Valid(nSelect)) {
        if (nSelect == -1 && data.nCurSel != CB_ERR) {
            data.nCurSel = CB_ERR;
            data.InvalidateBox();
        }
        return CB_ERR;
    }
    if (nSelect != data.nCurSel) {
        data.nCurSel = nSelect;
        data.InvalidateBox();
    }
    if (data.bDropped) {
        data.SetHot(nSelect);
        data.EnsureVisible(nSelect);
    }
    return nSelect;
}

void CComboBox::GetLBText(int nIndex, std::string& strText) const {
    if (m_pData->Valid(nIndex)) strText = m_pData->items[nIndex].strText;
}

std::string CComboBox::GetLBText(int nIndex) const {
    return m_pData->Valid(nIndex) ? m_pData->items[nIndex].strText : std::string();
}

int CComboBox::GetLBTextLen(int nIndex) const {
    return m_pData->Valid(nIndex) ? static_cast<int>(m_pData->items[nIndex].strText.size())
                                  : CB_ERR;
}

int CComboBox::FindString(int nStartAfter, const char* szText) const {
    const std::string folded = tessel::platform::FoldCase(szText != nullptr ? szText : "");
    const int nCount = m_pData->Count();
    const int nFirst = nStartAfter >= 0 && nStartAfter < nCount ? nStartAfter + 1 : 0;
    for (int k = 0; k < nCount; ++k) {
        const int i = (nFirst + k) % nCount;
        if (tessel::platform::FoldCase(m_pData->items[i].strText).starts_with(folded)) return i;
    }
    return CB_ERR;
}

int CComboBox::FindStringExact(int nStartAfter, const char* szText) const {
    const std::string wanted = tessel::platform::FoldCase(szText != nullptr ? szText : "");
    const int nCount = m_pData->Count();
    const int nFirst = nStartAfter >= 0 && nStartAfter < nCount ? nStartAfter + 1 : 0;
    for (int k = 0; k < nCount; ++k) {
        const int i = (nFirst + k) % nCount;
        if (tessel::platform::FoldCase(m_pData->items[i].strText) == wanted) return i;
    }
    return CB_ERR;
}

int CComboBox::SetItemData(int nIndex, std::uintptr_t dwData) {
    if (!m_pData->Valid(nIndex)) return CB_ERR;
    m_pData->items[nIndex].dwData = dwData;
    return 0;
}

std::uintptr_t CComboBox::GetItemData(int nIndex) const {
    return m_pData->Valid(nIndex) ? m_pData->items[nIndex].dwData
                                  : static_cast<std::uintptr_t>(CB_ERR);
}

void CComboBox::ShowDropDown(BOOL bShowIt) {
    if (bShowIt)
        m_pData->Drop();
    else
        m_pData->CloseUp();
}

BOOL CComboBox::GetDroppedState() const {
    return m_pData->bDropped ? TRUE : FALSE;
}

CWnd* CComboBox::GetDroppedList() const {
    return m_pData->bDropped ? m_pData->pList.get() : nullptr;
}

void CComboBox::ChooseItem(int nIndex) {
    if (!m_pData->Valid(nIndex) || !WindowData::IsAlive(m_hWnd)) return;
    if (!m_pData->Select(nIndex, true)) return;
    m_pData->CloseUp();
}

const MessageMap* CComboBox::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &CComboBox::OnPaint>(),
        MapMessage<WM_DESTROY, &CComboBox::OnDestroy>(),
        MapMessage<WM_LBUTTONDOWN, &CComboBox::OnLButtonDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &CComboBox::OnLButtonDown>(),
        MapMessage<WM_KEYDOWN, &CComboBox::OnKeyDown>(),
        MapMessage<WM_SYSKEYDOWN, &CComboBox::OnSysKeyDown>(),
        MapMessage<WM_CHAR, &CComboBox::OnChar>(),
        MapMessage<WM_SETFOCUS, &CComboBox::OnSetFocus>(),
        MapMessage<WM_KILLFOCUS, &CComboBox::OnKillFocus>(),
        MapMessage<WM_ENABLE, &CComboBox::OnEnable>(),
        MapMessage<kFocusLostMessage, &CComboBox::OnFocusLost>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

const MessageMap* CComboBox::GetMessageMap() const {
    return GetThisMessageMap();
}

void CComboBox::OnPaint() {
    CPaintDC dc(this);
    Data& data = *m_pData;
    QWidget* pWidget = tessel::platform::WidgetOf(this);
    if (pWidget == nullptr) return;
    CRect rcClient;
    GetClientRect(&rcClient);
    const bool bEnabled = IsWindowEnabled() != FALSE;
    const bool bFocus = GetFocus() == this;

    QStyleOptionComboBox option;
    option.initFrom(pWidget);
    option.rect = ToQRect(rcClient);
    option.state &= ~(QStyle::State_Enabled | QStyle::State_HasFocus | QStyle::State_MouseOver);
    if (bEnabled) option.state |= QStyle::State_Enabled;
    if (bFocus) option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    if (data.bDropped) {
        option.state |= QStyle::State_On | QStyle::State_Sunken;
        option.activeSubControls = QStyle::SC_ComboBoxArrow;
    }
    if (!bEnabled) option.palette.setCurrentColorGroup(QPalette::Disabled);
    option.editable = false;
    option.frame = true;
    option.subControls =
        QStyle::SC_ComboBoxFrame | QStyle::SC_ComboBoxArrow | QStyle::SC_ComboBoxEditField;
    if (data.Valid(data.nCurSel)) {
        const std::string& strText = data.items[data.nCurSel].strText;
        option.currentText =
            tessel::platform::GbkToQString(strText.data(), static_cast<int>(strText.size()));
    }

    dc.FillSolidRect(rcClient, GetSysColor(COLOR_BTNFACE));
    const QStyle* pStyle = pWidget->style();
    CRect rcText = rcClient;
    if (QPainter* pPainter = dc.Data()->BeginDraw()) {
        pPainter->save();
        pStyle->drawComplexControl(QStyle::CC_ComboBox, &option, pPainter, pWidget);
        pPainter->restore();
        rcText = FromQRect(pStyle->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, pWidget));
    }
    // The selected item's text, highlighted while the closed box has the focus.
    const bool bHighlight = bFocus && !data.bDropped && bEnabled;
    if (bHighlight) {
        const CRect rcMark(rcText.left, rcText.top + 1, rcText.right, rcText.bottom - 1);
        dc.FillSolidRect(rcMark, GetSysColor(COLOR_HIGHLIGHT));
    }
    if (!data.Valid(data.nCurSel)) return;
    dc.SelectObject(&data.font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(!bEnabled    ? COLOR_GRAYTEXT
                                : bHighlight ? COLOR_HIGHLIGHTTEXT
                                             : COLOR_BTNTEXT));
    dc.IntersectClipRect(rcText);
    dc.TextOut(rcText.left + kTextIndent, rcText.top + (rcText.Height() - data.nTextHeight) / 2,
               data.items[data.nCurSel].strText);
}

void CComboBox::OnDestroy() {
    m_pData->CloseUp(false);
}

void CComboBox::OnLButtonDown(UINT, CPoint) {
    if (m_pData->bDropped) {
        m_pData->CloseUp();
        return;
    }
    if (GetFocus() != this) SetFocus();
    if (!WindowData::IsAlive(m_hWnd)) return;
    m_pData->Drop();
}

void CComboBox::OnKeyDown(UINT nChar, UINT, UINT) {
    Data& data = *m_pData;
    const bool bAlt = GetKeyState(VK_MENU) < 0;
    if (nChar == VK_F4 || (bAlt && (nChar == VK_DOWN || nChar == VK_UP))) {
        if (data.bDropped)
            data.CloseUp();
        else
            data.Drop();
        return;
    }
    if (data.bDropped) {
        switch (nChar) {
            case VK_RETURN:
                if (data.Valid(data.nHot)) {
                    if (!data.Select(data.nHot, true)) return;
                }
                data.CloseUp();
                return;
            case VK_ESCAPE:
                data.CloseUp();
                return;
            default: {
                const int nTo = data.Navigate(nChar, data.nHot, data.nRows);
                if (nTo >= 0) {
                    data.SetHot(nTo);
                    data.EnsureVisible(nTo);
                }
                return;
            }
        }
    }
    const int nTo = data.Navigate(nChar, data.nCurSel, data.RowsToShow());
    if (nTo >= 0) {
        data.Select(nTo, false);
        return;
    }
    Default();
}

LRESULT CComboBox::OnSysKeyDown(WPARAM wParam, LPARAM) {
    // Alt+Down and Alt+Up drop the list or close it.
    if (wParam == VK_DOWN || wParam == VK_UP) {
        if (m_pData->bDropped)
            m_pData->CloseUp();
        else
            m_pData->Drop();
        return 0;
    }
    return Default();
}

// A typed character goes to the next item that starts with it, as a Windows list does.
void CComboBox::OnChar(UINT nChar, UINT, UINT) {
    Data& data = *m_pData;
    if (nChar < 0x21 || nChar >= 0x80) return;
    const char szPrefix[2] = {static_cast<char>(nChar), 0};
    const int nFrom = data.bDropped ? data.nHot : data.nCurSel;
    const int nTo = FindString(nFrom, szPrefix);
    if (nTo < 0 || nTo == nFrom) return;
    if (data.bDropped) {
        data.SetHot(nTo);
        data.EnsureVisible(nTo);
    } else {
        data.Select(nTo, false);
    }
}

void CComboBox::OnSetFocus(CWnd*) {
    Invalidate(FALSE);
}

// Qt moves the focus on a press before the press arrives: a click elsewhere takes the focus
// from the box first, and then reaches the list, which has the capture and closes. The list
// closes a little later, then, so that the click is the list's (it changes nothing), as a
// click outside a popup is on Windows. Any other loss of the focus closes it too.
void CComboBox::OnKillFocus(CWnd*) {
    if (m_pData->bDropped) PostMessage(kFocusLostMessage);
    Invalidate(FALSE);
}

LRESULT CComboBox::OnFocusLost(WPARAM, LPARAM) {
    if (m_pData->bDropped && GetFocus() != this) m_pData->CloseUp();
    return 0;
}

LRESULT CComboBox::OnEnable(WPARAM wParam, LPARAM) {
    if (wParam == 0 && !m_pData->CloseUp()) return 0;
    Invalidate(FALSE);
    return 0;
}
