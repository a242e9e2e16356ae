// Push buttons: a child window that tracks a press with the mouse capture (pushed while the
// mouse is held down over it) or with Space, and reports the click to itself (OnClicked) and
// then to its parent. Plain buttons are drawn with the desktop's push-button style; owner-drawn
// ones by DrawItem, with a context on the button's client area.

#include "platform/button.h"

#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include "platform/application.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace {

// Button types are the low four bits of the style.
constexpr DWORD kButtonTypeMask = 0x000F;

// The caption's font: the desktop's message font.
LOGFONT ControlFont() {
    NONCLIENTMETRICS metrics;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, static_cast<UINT>(sizeof metrics), &metrics,
                             0))
        return metrics.lfMessageFont;
    LOGFONT lf;
    lf.lfHeight = -12;
    return lf;
}

}  // namespace

struct CButton::Data {
    CFont font;
    bool bPushed = false;    // drawn pushed in
    bool bTracking = false;  // the left button went down on the button and is still held
    bool bSpaceDown = false;
};

CButton::CButton() : m_pData(std::make_unique<Data>()) {}

CButton::~CButton() = default;

BOOL CButton::Create(const char* szCaption, DWORD dwStyle, const CRect& rect, CWnd* pParentWnd,
                     UINT nID) {
    if (pParentWnd == nullptr) return FALSE;
    tessel::platform::EnsureApplication();
    if (!m_pData->font.IsValid()) {
        const LOGFONT lf = ControlFont();
        m_pData->font.CreateFontIndirect(&lf);
    }
    return CreateEx(0, AfxRegisterWndClass(0, LoadCursor(IDC_ARROW)), szCaption,
                    (dwStyle | WS_CHILD) & ~WS_POPUP, rect.left, rect.top, rect.Width(),
                    rect.Height(), pParentWnd->GetSafeHwnd(), nID);
}

UINT CButton::GetState() const {
    UINT nState = 0;
    if (m_pData->bPushed) nState |= BST_PUSHED;
    if (m_hWnd != nullptr && GetFocus() == this) nState |= BST_FOCUS;
    return nState;
}

void CButton::Click() {
    if (!WindowData::IsAlive(m_hWnd) || !IsWindowEnabled()) return;
    Notify();
}

// The button hears of its click first; the parent only when the button did not take it.
void CButton::Notify() {
    HWND hWnd = m_hWnd;
    if (OnClicked()) return;
    if (!WindowData::IsAlive(hWnd)) return;
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED),
                             reinterpret_cast<LPARAM>(hWnd));
}

void CButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    HWND hWnd = m_hWnd;
    LRESULT nDrawn = FALSE;
    if (CWnd* pParent = GetParent())
        nDrawn = pParent->SendMessage(WM_DRAWITEM, lpDrawItemStruct->CtlID,
                                      reinterpret_cast<LPARAM>(lpDrawItemStruct));
    if (nDrawn == FALSE && WindowData::IsAlive(hWnd))
        DrawPushButton(lpDrawItemStruct->pDC, lpDrawItemStruct->rcItem,
                       lpDrawItemStruct->itemState);
}

void CButton::DrawPushButton(CDC* pDC, const CRect& rc, UINT nState) {
    QWidget* pWidget = tessel::platform::WidgetOf(this);
    if (pDC == nullptr || pWidget == nullptr) return;
    pDC->FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
    QPainter* pPainter = pDC->Data()->BeginDraw();
    if (pPainter == nullptr) return;

    QStyleOptionButton option;
    option.initFrom(pWidget);
    option.rect = QRect(rc.left, rc.top, rc.Width(), rc.Height());
    option.state &= ~(QStyle::State_Enabled | QStyle::State_HasFocus | QStyle::State_MouseOver |
                      QStyle::State_Sunken | QStyle::State_Raised | QStyle::State_On);
    if ((nState & ODS_DISABLED) != 0)
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    else
        option.state |= QStyle::State_Enabled;
    option.state |= (nState & ODS_SELECTED) != 0 ? QStyle::State_Sunken : QStyle::State_Raised;
    if ((nState & ODS_FOCUS) != 0)
        option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    const std::string strCaption = GetWindowText();
    option.text =
        tessel::platform::GbkToQString(strCaption.data(), static_cast<int>(strCaption.size()));
    const FontData* pFont = m_pData->font.Data();
    if (pFont != nullptr) option.fontMetrics = QFontMetrics(pFont->pFace->font);

    pPainter->save();
    if (pFont != nullptr) pPainter->setFont(pFont->pFace->font);
    pWidget->style()->drawControl(QStyle::CE_PushButton, &option, pPainter, pWidget);
    pPainter->restore();
}

const MessageMap* CButton::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &CButton::OnPaint>(),
        MapMessage<WM_LBUTTONDOWN, &CButton::OnLButtonDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &CButton::OnLButtonDown>(),
        MapMessage<WM_LBUTTONUP, &CButton::OnLButtonUp>(),
        MapMessage<WM_MOUSEMOVE, &CButton::OnMouseMove>(),
        MapMessage<WM_KEYDOWN, &CButton::OnKeyDown>(),
        MapMessage<WM_KEYUP, &CButton::OnKeyUp>(),
        MapMessage<WM_SETFOCUS, &CButton::OnSetFocus>(),
        MapMessage<WM_KILLFOCUS, &CButton::OnKillFocus>(),
        MapMessage<WM_ENABLE, &CButton::OnEnable>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

const MessageMap* CButton::GetMessageMap() const {
    return GetThisMessageMap();
}

void CButton::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    UINT nState = 0;
    if (m_pData->bPushed) nState |= ODS_SELECTED;
    if (GetFocus() == this) nState |= ODS_FOCUS;
    if (!IsWindowEnabled()) nState |= ODS_DISABLED;
    if ((GetStyle() & kButtonTypeMask) != BS_OWNERDRAW) {
        DrawPushButton(&dc, rc, nState);
        return;
    }
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = GetDlgCtrlID();
    dis.itemID = 0;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = nState;
    dis.hwndItem = m_hWnd;
    dis.pDC = &dc;
    dis.rcItem = rc;
    DrawItem(&dis);
}

void CButton::OnLButtonDown(UINT, CPoint) {
    if (!IsWindowEnabled()) return;
    SetCapture();
    m_pData->bTracking = true;
    if (!m_pData->bPushed) {
        m_pData->bPushed = true;
        Invalidate(FALSE);
    }
}

void CButton::OnMouseMove(UINT, CPoint point) {
    if (!m_pData->bTracking) return;
    CRect rc;
    GetClientRect(&rc);
    // Pushed only while the mouse is over the button.
    const bool bInside = rc.PtInRect(point);
    if (bInside != m_pData->bPushed) {
        m_pData->bPushed = bInside;
        Invalidate(FALSE);
    }
}

void CButton::OnLButtonUp(UINT, CPoint point) {
    if (!m_pData->bTracking) return;
    m_pData->bTracking = false;
    if (GetCapture() == this) ReleaseCapture();
    CRect rc;
    GetClientRect(&rc);
    const bool bClicked = rc.PtInRect(point) && IsWindowEnabled();
    if (m_pData->bPushed && !m_pData->bSpaceDown) {
        m_pData->bPushed = false;
        Invalidate(FALSE);
    }
    if (bClicked) Notify();
}

void CButton::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar != VK_SPACE) {
        Default();
        return;
    }
    if (m_pData->bTracking || m_pData->bSpaceDown || !IsWindowEnabled()) return;
    m_pData->bSpaceDown = true;
    if (!m_pData->bPushed) {
        m_pData->bPushed = true;
        Invalidate(FALSE);
    }
}

void CButton::OnKeyUp(UINT nChar, UINT, UINT) {
    if (nChar != VK_SPACE || !m_pData->bSpaceDown) {
        Default();
        return;
    }
    m_pData->bSpaceDown = false;
    m_pData->bPushed = false;
    Invalidate(FALSE);
    Notify();
}

void CButton::OnSetFocus(CWnd*) {
    Invalidate(FALSE);
}

void CButton::OnKillFocus(CWnd*) {
    // A Space press ends without a click when the focus goes elsewhere.
    if (m_pData->bSpaceDown) {
        m_pData->bSpaceDown = false;
        if (!m_pData->bTracking) m_pData->bPushed = false;
    }
    Invalidate(FALSE);
}

LRESULT CButton::OnEnable(WPARAM wParam, LPARAM) {
    if (wParam == 0) {
        // A disabled button lets go of a press in progress.
        if (m_pData->bTracking && GetCapture() == this) ReleaseCapture();
        m_pData->bTracking = false;
        m_pData->bSpaceDown = false;
        m_pData->bPushed = false;
    }
    Invalidate(FALSE);
    return 0;
}
