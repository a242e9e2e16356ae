// Tool tips: a small borderless window of this layer that shows a tool's text next to the
// pointer once the mouse has rested on the tool for the initial delay. The tools' windows
// relay their mouse messages (RelayEvent); the layer tells every tip when the mouse leaves a
// window (ToolTipsMouseLeft), so a tip never outstays the pointer even when its tool's window
// relays nothing more.

#include <QWidget>

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/toolbar.h"
#include "platform/window_qt.h"

namespace tessel::platform {

// What a tip knows and does; the control's data. A base of its own so that the layer's
// mouse tracking can reach every tip.
struct ToolTipState {
    struct Tool {
        HWND hWnd = nullptr;
        UINT_PTR nId = 0;  // 0: the tool is the whole window, known by its handle
        bool bWholeClient = true;
        CRect rc;
        bool bCallback = false;  // asks the owner each time (TTN_NEEDTEXT)
        std::string strText;
    };

    explicit ToolTipState(CToolTipCtrl* pCtrl) : pCtrl(pCtrl) {}

    CToolTipCtrl* pCtrl;
    HWND hOwner = nullptr;
    std::vector<Tool> tools;
    bool bActive = true;
    int nInitialMs = kDefaultInitialMs;

    // The tool the mouse is on (hCurrent null: none).
    HWND hCurrent = nullptr;
    UINT_PTR nCurrent = 0;
    bool bSuppressed = false;  // popped (by a click): not shown again until the tool changes
    CPoint ptScreen;           // where the pointer was last, screen coordinates
    bool bShown = false;
    std::string strShown;
    CFont font;

    static constexpr int kDefaultInitialMs = 500;
    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr int kBorder = 1;
    static constexpr int kPadX = 4;
    static constexpr int kPadY = 2;
    static constexpr int kBelowPointer = 20;  // room for the pointer's own shape

    int FindTool(HWND hWnd, UINT_PTR nId) const {
        for (std::size_t i = 0; i < tools.size(); ++i)
            if (tools[i].hWnd == hWnd && tools[i].nId == nId) return static_cast<int>(i);
        return -1;
    }
    int ToolAt(HWND hWnd, CPoint pt) const {
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const Tool& tool = tools[i];
            if (tool.hWnd != hWnd) continue;
            CRect rc = tool.rc;
            if (tool.bWholeClient) {
                const QWidget* pWidget = WidgetOf(hWnd);
                rc =
                    pWidget != nullptr ? CRect(0, 0, pWidget->width(), pWidget->height()) : CRect();
            }
            if (rc.PtInRect(pt)) return static_cast<int>(i);
        }
        return -1;
    }
    bool IsCurrent(HWND hWnd, UINT_PTR nId) const {
        return hCurrent != nullptr && hCurrent == hWnd && nCurrent == nId;
    }

    void Hide();
    void Forget() {
        Hide();
        pCtrl->KillTimer(kShowTimer);
        hCurrent = nullptr;
        nCurrent = 0;
        bSuppressed = false;
    }
    std::string TextOf(const Tool& tool);
    void ShowNow();
    void Relay(const MSG& msg);
};

namespace {

std::unordered_set<ToolTipState*>& Tips() {
    static auto* pTips = new std::unordered_set<ToolTipState*>;
    return *pTips;
}
ToolTipState* g_pShown = nullptr;  // the tip shown now, if any

}  // namespace

void ToolTipState::Hide() {
    if (g_pShown == this) g_pShown = nullptr;
    if (!bShown) return;
    bShown = false;
    strShown.clear();
    pCtrl->ShowWindow(SW_HIDE);
}

std::string ToolTipState::TextOf(const Tool& tool) {
    if (!tool.bCallback) return tool.strText;
    if (!WindowData::IsAlive(hOwner)) return {};
    TOOLTIPTEXT tt;
    tt.hdr.hwndFrom = pCtrl->m_hWnd;
    tt.hdr.idFrom = tool.nId != 0 ? tool.nId : reinterpret_cast<UINT_PTR>(tool.hWnd);
    tt.hdr.code = TTN_NEEDTEXT;
    tt.uFlags = tool.nId != 0 ? 0 : TTF_IDISHWND;
    tt.lpszText = tt.szText;
    WindowData::Send(hOwner, WM_NOTIFY, tt.hdr.idFrom, reinterpret_cast<LPARAM>(&tt));
    tt.szText[sizeof(tt.szText) - 1] = '\0';
    if (tt.lpszText == nullptr || tt.lpszText == LPSTR_TEXTCALLBACK) return {};
    return tt.lpszText;
}

void ToolTipState::ShowNow() {
    if (!bActive || bSuppressed || hCurrent == nullptr || !WindowData::IsAlive(pCtrl->m_hWnd))
        return;
    const QWidget* pToolWidget = WidgetOf(hCurrent);
    if (pToolWidget == nullptr || !pToolWidget->isVisible()) return;
    const int nTool = FindTool(hCurrent, nCurrent);
    if (nTool < 0) return;
    HWND hTip = pCtrl->m_hWnd;
    const HWND hTool = hCurrent;
    const UINT_PTR nId = nCurrent;
    std::string strText = TextOf(tools[static_cast<std::size_t>(nTool)]);
    // The owner's answer may have changed anything: the tip, its tools, the mouse.
    if (!WindowData::IsAlive(hTip) || !IsCurrent(hTool, nId) || strText.empty()) return;

    if (g_pShown != nullptr && g_pShown != this) g_pShown->Hide();
    if (!font.IsValid()) {
        NONCLIENTMETRICS metrics;
        SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        font.CreateFontIndirect(&metrics.lfMessageFont);
    }
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    measure.SelectObject(&font);
    const CSize extent = measure.GetTextExtent(strText);
    const int cx = extent.cx + 2 * (kBorder + kPadX);
    const int cy = extent.cy + 2 * (kBorder + kPadY);
    // Below the pointer, kept on the screen.
    int x = ptScreen.x;
    int y = ptScreen.y + kBelowPointer;
    const int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    const int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    if (cxScreen > 0 && x + cx > cxScreen) x = std::max(0, cxScreen - cx);
    if (cyScreen > 0 && y + cy > cyScreen) y = std::max(0, ptScreen.y - cy - 2);

    strShown = std::move(strText);
    bShown = true;
    g_pShown = this;
    pCtrl->MoveWindow(x, y, cx, cy, TRUE);
    pCtrl->Invalidate();
    pCtrl->ShowWindow(SW_SHOW);
    // Over the other windows (the offscreen platform has no stacking to change).
    if (QWidget* pWidget = WidgetOf(hTip); pWidget != nullptr && HasRealScreen()) pWidget->raise();
}

void ToolTipState::Relay(const MSG& msg) {
    if (!WindowData::IsAlive(pCtrl->m_hWnd) || !WindowData::IsAlive(msg.hwnd)) return;
    switch (msg.message) {
        case WM_MOUSEMOVE: {
            if (!bActive) return;
            const CPoint pt = PointFromLParam(msg.lParam);
            CPoint screen = pt;
            if (const QWidget* pWidget = WidgetOf(msg.hwnd)) {
                const QPoint global = pWidget->mapToGlobal(QPoint(pt.x, pt.y));
                screen = CPoint(global.x(), global.y());
            }
            const int nTool = ToolAt(msg.hwnd, pt);
            const HWND hTool = nTool >= 0 ? tools[static_cast<std::size_t>(nTool)].hWnd : nullptr;
            const UINT_PTR nId = nTool >= 0 ? tools[static_cast<std::size_t>(nTool)].nId : 0;
            if (nTool >= 0 && IsCurrent(hTool, nId)) {
                // Still on the same tool: a shown tip stays where it is; one not yet shown
                // waits until the mouse rests.
                if (!bShown && !bSuppressed && screen != ptScreen && nInitialMs > 0)
                    pCtrl->SetTimer(kShowTimer, static_cast<UINT>(nInitialMs));
                ptScreen = screen;
                return;
            }
            const bool bWasShown = bShown;
            Forget();
            ptScreen = screen;
            if (nTool < 0) return;
            hCurrent = hTool;
            nCurrent = nId;
            // From one tip straight to the next, the next comes sooner.
            const int nDelay = bWasShown ? nInitialMs / 5 : nInitialMs;
            if (nDelay <= 0)
                ShowNow();
            else
                pCtrl->SetTimer(kShowTimer, static_cast<UINT>(nDelay));
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
            // A click hides the tip; it stays away until the mouse goes to another tool.
            if (hCurrent == nullptr) return;
            Hide();
            pCtrl->KillTimer(kShowTimer);
            bSuppressed = true;
            return;
        case WM_MOUSELEAVE:
            if (hCurrent == msg.hwnd) Forget();
            return;
        default:
            return;
    }
}

void ToolTipsMouseLeft(HWND hWnd) {
    for (ToolTipState* pTip : std::vector<ToolTipState*>(Tips().begin(), Tips().end()))
        if (Tips().contains(pTip) && pTip->hCurrent == hWnd) pTip->Forget();
}

std::string ShownToolTip() {
    return g_pShown != nullptr ? g_pShown->strShown : std::string();
}

}  // namespace tessel::platform

using tessel::platform::ToolTipState;

struct CToolTipCtrl::Data : ToolTipState {
    explicit Data(CToolTipCtrl* pCtrl) : ToolTipState(pCtrl) {}
};

CToolTipCtrl::CToolTipCtrl() : m_pData(std::make_unique<Data>(this)) {
    tessel::platform::Tips().insert(m_pData.get());
}

CToolTipCtrl::~CToolTipCtrl() {
    DestroyWindow();
    tessel::platform::Tips().erase(m_pData.get());
    if (tessel::platform::g_pShown == m_pData.get()) tessel::platform::g_pShown = nullptr;
}

const MessageMap* CToolTipCtrl::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &CToolTipCtrl::OnPaint>(),
        MapMessage<WM_TIMER, &CToolTipCtrl::OnTimer>(),
        MapMessage<WM_DESTROY, &CToolTipCtrl::OnDestroy>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    HWND hOwner = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
    if (!CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), nullptr,
                  WS_POPUP | (dwStyle & ~(WS_VISIBLE | WS_CHILD)), 0, 0, 0, 0, hOwner, 0))
        return FALSE;
    m_pData->hOwner = hOwner;
    // A tip never takes the focus or the mouse, and showing it activates nothing.
    if (QWidget* pWidget = tessel::platform::WidgetOf(this)) {
        pWidget->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint |
                                Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
        pWidget->setAttribute(Qt::WA_ShowWithoutActivating);
        pWidget->setAttribute(Qt::WA_TransparentForMouseEvents);
        pWidget->setFocusPolicy(Qt::NoFocus);
    }
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* szText, const CRect* lpRectTool,
                           UINT_PTR nIDTool) {
    if (pWnd == nullptr || !WindowData::IsAlive(pWnd->m_hWnd)) return FALSE;
    ToolTipState::Tool tool;
    tool.hWnd = pWnd->m_hWnd;
    tool.nId = nIDTool;
    tool.bWholeClient = lpRectTool == nullptr;
    if (lpRectTool != nullptr) tool.rc = *lpRectTool;
    tool.bCallback = szText == LPSTR_TEXTCALLBACK;
    if (!tool.bCallback && szText != nullptr) tool.strText = szText;
    // Adding a tool again replaces it.
    const int nIndex = m_pData->FindTool(tool.hWnd, tool.nId);
    if (nIndex >= 0)
        m_pData->tools[static_cast<std::size_t>(nIndex)] = std::move(tool);
    else
        m_pData->tools.push_back(std::move(tool));
    return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
    if (pWnd == nullptr) return;
    const int nIndex = m_pData->FindTool(pWnd->m_hWnd, nIDTool);
    if (nIndex < 0) return;
    if (m_pData->IsCurrent(pWnd->m_hWnd, nIDTool)) m_pData->Forget();
    m_pData->tools.erase(m_pData->tools.begin() + nIndex);
}

void CToolTipCtrl::UpdateTipText(const char* szText, CWnd* pWnd, UINT_PTR nIDTool) {
    if (pWnd == nullptr) return;
    const int nIndex = m_pData->FindTool(pWnd->m_hWnd, nIDTool);
    if (nIndex < 0) return;
    ToolTipState::Tool& tool = m_pData->tools[static_cast<std::size_t>(nIndex)];
    tool.bCallback = szText == LPSTR_TEXTCALLBACK;
    tool.strText = !tool.bCallback && szText != nullptr ? szText : "";
    // A tip showing the old text shows the new one.
    if (m_pData->bShown && m_pData->IsCurrent(pWnd->m_hWnd, nIDTool)) {
        m_pData->Hide();
        m_pData->ShowNow();
    }
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, const CRect* lpRect) {
    if (pWnd == nullptr) return;
    const int nIndex = m_pData->FindTool(pWnd->m_hWnd, nIDTool);
    if (nIndex < 0) return;
    ToolTipState::Tool& tool = m_pData->tools[static_cast<std::size_t>(nIndex)];
    tool.bWholeClient = lpRect == nullptr;
    tool.rc = lpRect != nullptr ? *lpRect : CRect();
}

int CToolTipCtrl::GetToolCount() const {
    return static_cast<int>(m_pData->tools.size());
}

void CToolTipCtrl::Activate(BOOL bActivate) {
    m_pData->bActive = bActivate != FALSE;
    if (!m_pData->bActive) m_pData->Forget();
}

void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime) {
    if (dwDuration != TTDT_INITIAL) return;
    m_pData->nInitialMs = iTime >= 0 ? iTime : ToolTipState::kDefaultInitialMs;
}

void CToolTipCtrl::RelayEvent(const MSG* pMsg) {
    if (pMsg != nullptr) m_pData->Relay(*pMsg);
}

std::string CToolTipCtrl::GetShownText() const {
    return m_pData->bShown ? m_pData->strShown : std::string();
}

void CToolTipCtrl::Pop() {
    if (m_pData->hCurrent == nullptr) return;
    m_pData->Hide();
    KillTimer(ToolTipState::kShowTimer);
    m_pData->bSuppressed = true;
}

void CToolTipCtrl::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != ToolTipState::kShowTimer) return;
    KillTimer(nIDEvent);
    m_pData->ShowNow();
}

void CToolTipCtrl::OnDestroy() {
    m_pData->Forget();
}

void CToolTipCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const COLORREF crText = GetSysColor(COLOR_INFOTEXT);
    dc.FillSolidRect(rc, GetSysColor(COLOR_INFOBK));
    dc.Draw3dRect(rc, crText, crText);
    if (m_pData->strShown.empty()) return;
    CFont* pOld = m_pData->font.IsValid() ? dc.SelectObject(&m_pData->font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(crText);
    dc.TextOut(ToolTipState::kBorder + ToolTipState::kPadX,
               ToolTipState::kBorder + ToolTipState::kPadY, m_pData->strShown);
    if (m_pData->font.IsValid()) dc.SelectObject(pOld);
}
