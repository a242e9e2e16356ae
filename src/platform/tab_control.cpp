// The tab control: a child window that lays its tabs out in one row, draws their shapes and
// the pane's frame with the desktop's style (Qt's) and their labels with the control's
// font, and turns clicks and arrow keys into selections that its parent hears of.

#include "platform/tab_control.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "platform/application.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace {

// The labels' font: the desktop's message font.
LOGFONT ControlFont() {
    NONCLIENTMETRICS metrics;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, static_cast<UINT>(sizeof metrics), &metrics,
                             0))
        return metrics.lfMessageFont;
    LOGFONT lf;
    lf.lfHeight = -12;
    return lf;
}

QRect ToQRect(const CRect& rc) {
    return QRect(rc.left, rc.top, rc.Width(), rc.Height());
}

// The row: tabs start this far from the control's left edge; a tab that is not selected
// starts this far below the top (the selected one reaches the top, standing out).
constexpr int kRowLeft = 2;
constexpr int kRowTop = 2;
// Space left and right of a label, and above and below it.
constexpr int kLabelPadX = 6;
constexpr int kLabelPadY = 3;
// The pane's frame: the inside starts this far within it.
constexpr int kPaneFrame = 2;

}  // namespace

struct CTabCtrl::Data {
    struct Item {
        std::string strText;
        int nWidth = -1;  // the tab's width, measured when first needed
    };

    std::vector<Item> items;
    int nCurSel = -1;
    int nFirst = 0;  // the first tab the row shows
    CFont font;
    int nTextHeight = 14;

    int Count() const { return static_cast<int>(items.size()); }
    bool Valid(int n) const { return n >= 0 && n < Count(); }

    void MakeFont() {
        if (font.IsValid()) return;
        const LOGFONT lf = ControlFont();
        font.CreateFontIndirect(&lf);
        if (const FontData* pData = font.Data()) nTextHeight = pData->pFace->Height();
    }
    int TabHeight() {
        MakeFont();
        return nTextHeight + 2 * kLabelPadY;
    }
    // The bottom of the row, where the pane's frame starts.
    int RowBottom() { return kRowTop + TabHeight(); }
    int WidthOf(int n) {
        Item& item = items[n];
        if (item.nWidth < 0) {
            MakeFont();
            const FontData* pData = font.Data();
            const int nText = pData != nullptr
                                  ? pData->pFace->Width(item.strText.data(),
                                                        static_cast<int>(item.strText.size()))
                                  : 0;
            item.nWidth = nText + 2 * kLabelPadX;
        }
        return item.nWidth;
    }
    // Whether the tabs need more room than the control's width cx.
    bool Overflows(int cx) {
        int x = kRowLeft;
        for (int i = 0; i < Count(); ++i)
            x += WidthOf(i);
        return x > cx;
    }
    // The arrow buttons' squares, side by side at the right end of the row.
    int ArrowSize() { return TabHeight() - 2; }
    CRect LeftArrow(int cx) {
        const int n = ArrowSize();
        return CRect(cx - 2 * n, kRowTop, cx - n, kRowTop + n);
    }
    CRect RightArrow(int cx) {
        const int n = ArrowSize();
        return CRect(cx - n, kRowTop, cx, kRowTop + n);
    }
    // Where the row's tabs may show: up to the arrows when there are arrows.
    int RowRight(int cx) { return Overflows(cx) ? LeftArrow(cx).left : cx; }
    // The tab's rectangle as the row shows it from nFirst (empty for a tab before it).
    CRect TabRect(int n) {
        if (!Valid(n) || n < nFirst) return CRect();
        int x = kRowLeft;
        for (int i = nFirst; i < n; ++i)
            x += WidthOf(i);
        return CRect(x, kRowTop, x + WidthOf(n), kRowTop + TabHeight());
    }
    // Whether the row shows every tab from nFirst on.
    bool ShowsTheRest(int cx) {
        if (!Valid(nFirst)) return true;
        return TabRect(Count() - 1).right <= RowRight(cx);
    }
    // Scrolls the row so that tab n shows (as far as it can: a tab wider than the row starts
    // it).
    void EnsureVisible(int n, int cx) {
        if (!Valid(n)) return;
        if (!Overflows(cx)) {
            nFirst = 0;
            return;
        }
        if (n < nFirst) nFirst = n;
        while (nFirst < n && TabRect(n).right > RowRight(cx))
            ++nFirst;
    }
};

CTabCtrl::CTabCtrl() : m_pData(std::make_unique<Data>()) {}

CTabCtrl::~CTabCtrl() = default;

BOOL CTabCtrl::Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID) {
    if (pParentWnd == nullptr) return FALSE;
    tessel::platform::EnsureApplication();
    m_pData->MakeFont();
    return CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursor(IDC_ARROW)), nullptr,
                    (dwStyle | WS_CHILD) & ~WS_POPUP, rect.left, rect.top, rect.Width(),
                    rect.Height(), pParentWnd->GetSafeHwnd(), nID);
}

int CTabCtrl::InsertItem(int nItem, const char* szText) {
    Data& data = *m_pData;
    if (nItem < 0) return -1;
    nItem = std::min(nItem, data.Count());
    data.items.insert(data.items.begin() + nItem, Data::Item{szText != nullptr ? szText : "", -1});
    if (data.nCurSel < 0)
        data.nCurSel = 0;
    else if (nItem <= data.nCurSel)
        ++data.nCurSel;
    if (nItem < data.nFirst) ++data.nFirst;
    if (m_hWnd != nullptr) Invalidate(FALSE);
    return nItem;
}

int CTabCtrl::GetItemCount() const {
    return m_pData->Count();
}

std::string CTabCtrl::GetItemText(int nItem) const {
    return m_pData->Valid(nItem) ? m_pData->items[nItem].strText : std::string();
}

int CTabCtrl::GetCurSel() const {
    return m_pData->nCurSel;
}

int CTabCtrl::SetCurSel(int nItem) {
    Data& data = *m_pData;
    if (!data.Valid(nItem)) return -1;
    const int nOld = data.nCurSel;
    data.nCurSel = nItem;
    if (m_hWnd != nullptr) {
        CRect rc;
        GetClientRect(&rc);
        data.EnsureVisible(nItem, rc.Width());
        Invalidate(FALSE);
    }
    return nOld;
}

BOOL CTabCtrl::GetItemRect(int nItem, CRect* pRect) const {
    if (pRect == nullptr || !m_pData->Valid(nItem) || nItem < m_pData->nFirst) return FALSE;
    *pRect = m_pData->TabRect(nItem);
    return TRUE;
}

int CTabCtrl::HitTest(CPoint point) const {
    Data& data = *m_pData;
    CRect rcClient;
    GetClientRect(&rcClient);
    if (point.y < 0 || point.y >= data.RowBottom() || point.x < 0 ||
        point.x >= data.RowRight(rcClient.Width()))
        return -1;
    for (int i = data.nFirst; i < data.Count(); ++i)
        if (data.TabRect(i).PtInRect(point)) return i;
    return -1;
}

void CTabCtrl::AdjustRect(BOOL bLarger, CRect* pRect) const {
    if (pRect == nullptr) return;
    const int nTop = m_pData->RowBottom() + kPaneFrame;
    if (bLarger) {
        pRect->left -= kPaneFrame;
        pRect->top -= nTop;
        pRect->right += kPaneFrame;
        pRect->bottom += kPaneFrame;
    } else {
        pRect->left += kPaneFrame;
        pRect->top += nTop;
        pRect->right -= kPaneFrame;
        pRect->bottom -= kPaneFrame;
    }
}

int CTabCtrl::GetFirstVisible() const {
    return m_pData->nFirst;
}

void CTabCtrl::ChooseItem(int nItem) {
    if (!m_pData->Valid(nItem) || !WindowData::IsAlive(m_hWnd)) return;
    Choose(nItem);
}

LRESULT CTabCtrl::Notify(UINT nCode) {
    CWnd* pParent = GetParent();
    if (pParent == nullptr) return 0;
    NMHDR hdr;
    hdr.hwndFrom = m_hWnd;
    hdr.idFrom = GetDlgCtrlID();
    hdr.code = nCode;
    return pParent->SendMessage(WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

bool CTabCtrl::Choose(int nItem) {
    Data& data = *m_pData;
    if (!data.Valid(nItem) || nItem == data.nCurSel) return true;
    HWND hWnd = m_hWnd;
    // The parent may keep the selection, or destroy the control while it hears.
    if (Notify(TCN_SELCHANGING) != 0 || !WindowData::IsAlive(hWnd))
        return WindowData::IsAlive(hWnd);
    if (!data.Valid(nItem)) return true;
    SetCurSel(nItem);
    Notify(TCN_SELCHANGE);
    return WindowData::IsAlive(hWnd);
}

const MessageMap* CTabCtrl::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &CTabCtrl::OnPaint>(),
        MapMessage<WM_LBUTTONDOWN, &CTabCtrl::OnLButtonDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &CTabCtrl::OnLButtonDown>(),
        MapMessage<WM_KEYDOWN, &CTabCtrl::OnKeyDown>(),
        MapMessage<WM_SETFOCUS, &CTabCtrl::OnSetFocus>(),
        MapMessage<WM_KILLFOCUS, &CTabCtrl::OnKillFocus>(),
        MapMessage<WM_SIZE, &CTabCtrl::OnSize>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

const MessageMap* CTabCtrl::GetMessageMap() const {
    return GetThisMessageMap();
}

void CTabCtrl::OnPaint() {
    CPaintDC dc(this);
    Data& data = *m_pData;
    QWidget* pWidget = tessel::platform::WidgetOf(this);
    if (pWidget == nullptr) return;
    CRect rcClient;
    GetClientRect(&rcClient);
    const int cx = rcClient.Width();
    const int nRowBottom = data.RowBottom();
    const bool bOverflow = data.Overflows(cx);
    const int nRowRight = data.RowRight(cx);
    const bool bFocus = GetFocus() == this;
    const QStyle* pStyle = pWidget->style();

    dc.FillSolidRect(rcClient, GetSysColor(COLOR_BTNFACE));
    const CRect rcSel = data.TabRect(data.nCurSel);
    const bool bSelShown =
        data.Valid(data.nCurSel) && data.nCurSel >= data.nFirst && rcSel.left < nRowRight;

    // The pane's frame, open under the selected tab.
    if (QPainter* pPainter = dc.Data()->BeginDraw()) {
        QStyleOptionTabWidgetFrame frame;
        frame.initFrom(pWidget);
        frame.state |= QStyle::State_Enabled;
        frame.rect = QRect(0, nRowBottom, cx, std::max(0, rcClient.Height() - nRowBottom));
        frame.shape = QTabBar::RoundedNorth;
        frame.lineWidth = pStyle->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, pWidget);
        frame.tabBarRect = QRect(kRowLeft, kRowTop, nRowRight - kRowLeft, nRowBottom - kRowTop);
        frame.tabBarSize = frame.tabBarRect.size();
        if (bSelShown) frame.selectedTabRect = ToQRect(rcSel);
        pPainter->save();
        pStyle->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, pPainter, pWidget);
        pPainter->restore();
    }

    // The tabs, the selected one last so that it stands over its neighbours; those past the
    // row's right end are cut off there.
    const int nSaved = dc.SaveDC();
    dc.IntersectClipRect(CRect(0, 0, nRowRight, nRowBottom + kPaneFrame));
    dc.SelectObject(&data.font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    auto drawTab = [&](int i) {
        const CRect rcTab = data.TabRect(i);
        if (rcTab.left >= nRowRight) return;
        const bool bSelected = i == data.nCurSel;
        if (QPainter* pPainter = dc.Data()->BeginDraw()) {
            QStyleOptionTab option;
            option.initFrom(pWidget);
            option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
            option.state |= QStyle::State_Enabled;
            if (bSelected) option.state |= QStyle::State_Selected;
            // The selected tab reaches the top and covers the pane's line under it.
            option.rect =
                bSelected ? QRect(rcTab.left, 0, rcTab.Width(), nRowBottom + 1) : ToQRect(rcTab);
            option.shape = QTabBar::RoundedNorth;
            const int nLast = data.Count() - 1;
            option.position = data.Count() == 1  ? QStyleOptionTab::OnlyOneTab
                              : i == data.nFirst ? QStyleOptionTab::Beginning
                              : i == nLast       ? QStyleOptionTab::End
                                                 : QStyleOptionTab::Middle;
            option.selectedPosition = data.nCurSel == i - 1   ? QStyleOptionTab::PreviousIsSelected
                                      : data.nCurSel == i + 1 ? QStyleOptionTab::NextIsSelected
                                                              : QStyleOptionTab::NotAdjacent;
            pPainter->save();
            pStyle->drawControl(QStyle::CE_TabBarTabShape, &option, pPainter, pWidget);
            pPainter->restore();
        }
        const int nTextTop = rcTab.top + kLabelPadY - (bSelected ? 1 : 0);
        dc.TextOut(rcTab.left + kLabelPadX, nTextTop, data.items[i].strText);
        if (bSelected && bFocus) {
            const CRect rcFocus(rcTab.left + kLabelPadX - 2, nTextTop - 1,
                                rcTab.right - kLabelPadX + 2, nTextTop + data.nTextHeight + 1);
            dc.DrawFocusRect(&rcFocus);
        }
    };
    for (int i = data.nFirst; i < data.Count(); ++i)
        if (i != data.nCurSel) drawTab(i);
    if (bSelShown) drawTab(data.nCurSel);
    dc.RestoreDC(nSaved);

    if (bOverflow) {
        CRect rcLeft = data.LeftArrow(cx);
        CRect rcRight = data.RightArrow(cx);
        dc.DrawFrameControl(&rcLeft, DFC_SCROLL,
                            DFCS_SCROLLLEFT | (data.nFirst > 0 ? 0 : DFCS_INACTIVE));
        dc.DrawFrameControl(&rcRight, DFC_SCROLL,
                            DFCS_SCROLLRIGHT | (data.ShowsTheRest(cx) ? DFCS_INACTIVE : 0));
    }
}

void CTabCtrl::OnLButtonDown(UINT, CPoint point) {
    Data& data = *m_pData;
    HWND hWnd = m_hWnd;
    if (GetFocus() != this) SetFocus();
    if (!WindowData::IsAlive(hWnd)) return;
    CRect rcClient;
    GetClientRect(&rcClient);
    const int cx = rcClient.Width();
    if (data.Overflows(cx)) {
        if (data.LeftArrow(cx).PtInRect(point)) {
            if (data.nFirst > 0) {
                --data.nFirst;
                Invalidate(FALSE);
            }
            return;
        }
        if (data.RightArrow(cx).PtInRect(point)) {
            if (!data.ShowsTheRest(cx)) {
                ++data.nFirst;
                Invalidate(FALSE);
            }
            return;
        }
    }
    const int nItem = HitTest(point);
    if (nItem >= 0) Choose(nItem);
}

void CTabCtrl::OnKeyDown(UINT nChar, UINT, UINT) {
    Data& data = *m_pData;
    if (data.Count() == 0 || (nChar != VK_LEFT && nChar != VK_RIGHT)) {
        Default();
        return;
    }
    const int nTo = data.nCurSel + (nChar == VK_LEFT ? -1 : 1);
    if (data.Valid(nTo)) Choose(nTo);
}

void CTabCtrl::OnSetFocus(CWnd*) {
    Invalidate(FALSE);
}

void CTabCtrl::OnKillFocus(CWnd*) {
    Invalidate(FALSE);
}

void CTabCtrl::OnSize(UINT, int cx, int) {
    // A wider control may show tabs it had scrolled past.
    Data& data = *m_pData;
    if (!data.Overflows(cx)) {
        data.nFirst = 0;
    } else {
        while (data.nFirst > 0) {
            --data.nFirst;
            if (!data.ShowsTheRest(cx)) {
                ++data.nFirst;
                break;
            }
        }
    }
    Invalidate(FALSE);
}
