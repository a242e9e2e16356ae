// Tool bars: a row of buttons showing images of one strip, drawn with the desktop's 3-D edges
// and driven by the mouse as the Windows tool bar is (press, capture while held, the command
// on a release over the button pressed). Buttons and separators are laid out from the left
// edge; the buttons are tools of the bar's tool tip when it has one.

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <map>
#include <utility>

#include "platform/toolbar.h"
#include "platform/window_qt.h"

namespace {

constexpr int kSeparatorWidth = 8;
constexpr QRgb kTransparentGrey = 0xFFC0C0C0u;  // (192, 192, 192): the strip's see-through

bool IsSeparator(const TBBUTTON& button) {
    return (button.fsStyle & TBSTYLE_SEP) != 0;
}
bool IsHidden(const TBBUTTON& button) {
    return (button.fsState & TBSTATE_HIDDEN) != 0;
}
// A button that takes clicks: enabled and not indeterminate.
bool TakesClicks(const TBBUTTON& button) {
    return !IsSeparator(button) && !IsHidden(button) && (button.fsState & TBSTATE_ENABLED) != 0 &&
           (button.fsState & TBSTATE_INDETERMINATE) == 0;
}

// The shape of an image's ink, in one colour: what the greyed (embossed) look draws twice.
// White and the face colour count as the image's background, as on the desktop.
QImage InkShape(const QImage& image, QRgb face, const QColor& colour) {
    QImage shape(image.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    const QRgb ink = colour.rgba();
    for (int y = 0; y < image.height(); ++y) {
        const auto* pIn = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* pOut = reinterpret_cast<QRgb*>(shape.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = pIn[x];
            if (qAlpha(px) == 0) continue;
            const QRgb rgb = px | 0xFF000000u;
            if (rgb == 0xFFFFFFFFu || rgb == (face | 0xFF000000u)) continue;
            pOut[x] = ink;
        }
    }
    return shape;
}

}  // namespace

struct CToolBarCtrl::Data {
    CSize bitmapSize{16, 15};
    CSize buttonSize{23, 22};
    bool bButtonSizeSet = false;  // else the button size follows the bitmap size
    std::vector<QImage> images;   // ARGB, the strip's light grey made transparent
    std::vector<TBBUTTON> buttons;
    std::vector<CRect> rects;  // by button; empty for hidden buttons

    int nPressed = -1;     // the button the mouse pressed and holds, or -1
    bool bInside = false;  // the held mouse is over it
    int nHot = -1;         // the button the mouse is over (flat bars show its frame)
    HWND hOwner = nullptr;
    std::unique_ptr<CToolTipCtrl> pTips;
    std::map<UINT, CRect> tipTools;  // the tools the tip has, by command

    int HitTest(CPoint pt) const {
        for (std::size_t i = 0; i < rects.size(); ++i)
            if (!IsHidden(buttons[i]) && rects[i].PtInRect(pt)) return static_cast<int>(i);
        return -1;
    }
    int CommandToIndex(UINT nID) const {
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (static_cast<UINT>(buttons[i].idCommand) == nID) return static_cast<int>(i);
        return -1;
    }
    bool Valid(int nIndex) const {
        return nIndex >= 0 && nIndex < static_cast<int>(buttons.size());
    }
    // Lays the buttons out again, repaints and brings the tip's tools up to date.
    void Relayout(CToolBarCtrl* pBar);
};

CToolBarCtrl::CToolBarCtrl() : m_pData(std::make_unique<Data>()) {}

CToolBarCtrl::~CToolBarCtrl() {
    DestroyWindow();
}

const MessageMap* CToolBarCtrl::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_CREATE, &CToolBarCtrl::OnCreate>(),
        MapMessage<WM_DESTROY, &CToolBarCtrl::OnDestroy>(),
        MapMessage<WM_PAINT, &CToolBarCtrl::OnPaint>(),
        MapMessage<WM_MOUSEMOVE, &CToolBarCtrl::OnMouseMove>(),
        MapMessage<WM_LBUTTONDOWN, &CToolBarCtrl::OnLButtonDown>(),
        MapMessage<WM_LBUTTONUP, &CToolBarCtrl::OnLButtonUp>(),
        MapMessage<WM_MOUSELEAVE, &CToolBarCtrl::OnMouseLeave>(),
        MapMessage<TB_ENABLEBUTTON, &CToolBarCtrl::OnButtonMessage<TB_ENABLEBUTTON>>(),
        MapMessage<TB_CHECKBUTTON, &CToolBarCtrl::OnButtonMessage<TB_CHECKBUTTON>>(),
        MapMessage<TB_PRESSBUTTON, &CToolBarCtrl::OnButtonMessage<TB_PRESSBUTTON>>(),
        MapMessage<TB_HIDEBUTTON, &CToolBarCtrl::OnButtonMessage<TB_HIDEBUTTON>>(),
        MapMessage<TB_INDETERMINATE, &CToolBarCtrl::OnButtonMessage<TB_INDETERMINATE>>(),
        MapMessage<TB_ISBUTTONENABLED, &CToolBarCtrl::OnButtonMessage<TB_ISBUTTONENABLED>>(),
        MapMessage<TB_ISBUTTONCHECKED, &CToolBarCtrl::OnButtonMessage<TB_ISBUTTONCHECKED>>(),
        MapMessage<TB_ISBUTTONPRESSED, &CToolBarCtrl::OnButtonMessage<TB_ISBUTTONPRESSED>>(),
        MapMessage<TB_ISBUTTONHIDDEN, &CToolBarCtrl::OnButtonMessage<TB_ISBUTTONHIDDEN>>(),
        MapMessage<TB_ISBUTTONINDETERMINATE,
                   &CToolBarCtrl::OnButtonMessage<TB_ISBUTTONINDETERMINATE>>(),
        MapMessage<TB_SETSTATE, &CToolBarCtrl::OnButtonMessage<TB_SETSTATE>>(),
        MapMessage<TB_GETSTATE, &CToolBarCtrl::OnButtonMessage<TB_GETSTATE>>(),
        MapMessage<TB_BUTTONCOUNT, &CToolBarCtrl::OnButtonMessage<TB_BUTTONCOUNT>>(),
        MapMessage<TB_COMMANDTOINDEX, &CToolBarCtrl::OnButtonMessage<TB_COMMANDTOINDEX>>(),
        MapMessage<TB_SETPARENT, &CToolBarCtrl::OnButtonMessage<TB_SETPARENT>>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

BOOL CToolBarCtrl::Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID) {
    if (pParentWnd == nullptr) return FALSE;
    return CreateEx(0, AfxRegisterWndClass(0, LoadCursor(IDC_ARROW)), nullptr,
                    (dwStyle | WS_CHILD) & ~WS_POPUP, rect.left, rect.top, rect.Width(),
                    rect.Height(), pParentWnd->GetSafeHwnd(), nID);
}

int CToolBarCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if ((lpCreateStruct->style & TBSTYLE_TOOLTIPS) != 0) {
        // The tip belongs to the bar's parent, which is asked for the buttons' texts.
        m_pData->pTips = std::make_unique<CToolTipCtrl>();
        if (!m_pData->pTips->Create(GetParent())) m_pData->pTips.reset();
    }
    return 0;
}

void CToolBarCtrl::OnDestroy() {
    if (CWnd::GetCapture() == this) CWnd::ReleaseCapture();
    m_pData->nPressed = -1;
    if (m_pData->pTips) m_pData->pTips->DestroyWindow();
    m_pData->tipTools.clear();
}

// --- Layout --------------------------------------------------------------------------------------

namespace {

// Button rectangles from the left edge; separators are narrow gaps, hidden buttons take no
// room.
std::vector<CRect> LayOut(const std::vector<TBBUTTON>& buttons, CSize buttonSize) {
    std::vector<CRect> rects;
    rects.reserve(buttons.size());
    int x = 0;
    for (const TBBUTTON& button : buttons) {
        if (IsHidden(button)) {
            rects.emplace_back();
            continue;
        }
        const int cx = IsSeparator(button) ? kSeparatorWidth : buttonSize.cx;
        rects.emplace_back(x, 0, x + cx, buttonSize.cy);
        x += cx;
    }
    return rects;
}

}  // namespace

BOOL CToolBarCtrl::SetBitmapSize(CSize size) {
    // As on Windows, only before images are added.
    if (size.cx <= 0 || size.cy <= 0 || !m_pData->images.empty()) return FALSE;
    m_pData->bitmapSize = size;
    if (!m_pData->bButtonSizeSet) m_pData->buttonSize = CSize(size.cx + 7, size.cy + 7);
    m_pData->Relayout(this);
    return TRUE;
}

BOOL CToolBarCtrl::SetButtonSize(CSize size) {
    if (size.cx <= 0 || size.cy <= 0) return FALSE;
    m_pData->buttonSize = size;
    m_pData->bButtonSizeSet = true;
    m_pData->Relayout(this);
    return TRUE;
}

int CToolBarCtrl::AddBitmap(int nNumButtons, CBitmap* pBitmap) {
    if (nNumButtons <= 0 || pBitmap == nullptr || !pBitmap->IsValid()) return -1;
    const QImage& strip = pBitmap->Data()->pSurface->Pixels();
    if (strip.isNull()) return -1;
    const QImage argb = strip.convertToFormat(QImage::Format_ARGB32);
    const int nFirst = static_cast<int>(m_pData->images.size());
    const CSize size = m_pData->bitmapSize;
    for (int i = 0; i < nNumButtons; ++i) {
        QImage image = argb.copy(i * size.cx, 0, size.cx, size.cy);
        for (int y = 0; y < image.height(); ++y) {
            auto* pLine = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((pLine[x] | 0xFF000000u) == kTransparentGrey) pLine[x] = 0;
        }
        m_pData->images.push_back(std::move(image));
    }
    Invalidate();
    return nFirst;
}

BOOL CToolBarCtrl::AddButtons(int nNumButtons, const TBBUTTON* lpButtons) {
    if (nNumButtons <= 0 || lpButtons == nullptr) return FALSE;
    m_pData->buttons.insert(m_pData->buttons.end(), lpButtons, lpButtons + nNumButtons);
    m_pData->Relayout(this);
    return TRUE;
}

BOOL CToolBarCtrl::DeleteButton(int nIndex) {
    if (!m_pData->Valid(nIndex)) return FALSE;
    m_pData->buttons.erase(m_pData->buttons.begin() + nIndex);
    if (m_pData->nPressed == nIndex) {
        m_pData->nPressed = -1;
        if (CWnd::GetCapture() == this) CWnd::ReleaseCapture();
    } else if (m_pData->nPressed > nIndex) {
        --m_pData->nPressed;
    }
    m_pData->nHot = -1;
    m_pData->Relayout(this);
    return TRUE;
}

int CToolBarCtrl::GetButtonCount() const {
    return static_cast<int>(m_pData->buttons.size());
}

BOOL CToolBarCtrl::GetButton(int nIndex, TBBUTTON* lpButton) const {
    if (!m_pData->Valid(nIndex) || lpButton == nullptr) return FALSE;
    *lpButton = m_pData->buttons[static_cast<std::size_t>(nIndex)];
    return TRUE;
}

int CToolBarCtrl::CommandToIndex(UINT nID) const {
    return m_pData->CommandToIndex(nID);
}

BOOL CToolBarCtrl::GetItemRect(int nIndex, CRect* lpRect) const {
    if (!m_pData->Valid(nIndex) || lpRect == nullptr) return FALSE;
    if (m_pData->rects.size() != m_pData->buttons.size())
        m_pData->rects = LayOut(m_pData->buttons, m_pData->buttonSize);
    if (IsHidden(m_pData->buttons[static_cast<std::size_t>(nIndex)])) return FALSE;
    *lpRect = m_pData->rects[static_cast<std::size_t>(nIndex)];
    return TRUE;
}

void CToolBarCtrl::SetOwner(CWnd* pOwner) {
    SendMessage(TB_SETPARENT,
                reinterpret_cast<WPARAM>(pOwner != nullptr ? pOwner->m_hWnd : nullptr));
}

CToolTipCtrl* CToolBarCtrl::GetToolTips() const {
    return m_pData->pTips && m_pData->pTips->GetSafeHwnd() != nullptr ? m_pData->pTips.get()
                                                                      : nullptr;
}

void CToolBarCtrl::Data::Relayout(CToolBarCtrl* pBar) {
    Data& data = *this;
    data.rects = LayOut(data.buttons, data.buttonSize);
    if (data.nHot >= static_cast<int>(data.buttons.size())) data.nHot = -1;
    pBar->Invalidate();
    CToolTipCtrl* pTips = pBar->GetToolTips();
    if (pTips == nullptr) return;
    // The tip's tools: the shown buttons, known by their commands.
    std::map<UINT, CRect> tools;
    for (std::size_t i = 0; i < data.buttons.size(); ++i) {
        const TBBUTTON& button = data.buttons[i];
        if (IsSeparator(button) || IsHidden(button) || button.idCommand == 0) continue;
        tools.emplace(static_cast<UINT>(button.idCommand), data.rects[i]);
    }
    for (const auto& [nId, rc] : data.tipTools)
        if (!tools.contains(nId)) pTips->DelTool(pBar, nId);
    for (const auto& [nId, rc] : tools) {
        const auto it = data.tipTools.find(nId);
        if (it == data.tipTools.end())
            pTips->AddTool(pBar, LPSTR_TEXTCALLBACK, &rc, nId);
        else if (it->second != rc)
            pTips->SetToolRect(pBar, nId, &rc);
    }
    data.tipTools = std::move(tools);
}

// --- Button states
// ---------------------------------------------------------------------------------

template <UINT Message>
LRESULT CToolBarCtrl::OnButtonMessage(WPARAM wParam, LPARAM lParam) {
    Data& data = *m_pData;
    const int nIndex = data.CommandToIndex(static_cast<UINT>(wParam));
    TBBUTTON* pButton =
        data.Valid(nIndex) ? &data.buttons[static_cast<std::size_t>(nIndex)] : nullptr;
    // A new state: repainted, laid out again when shown or hidden, and a held button that
    // stops taking clicks is let go.
    auto setState = [&](std::uint8_t nState) -> LRESULT {
        if (pButton == nullptr) return FALSE;
        const std::uint8_t nOld = pButton->fsState;
        pButton->fsState = nState;
        if (nIndex == data.nPressed && !TakesClicks(*pButton)) {
            data.nPressed = -1;
            if (CWnd::GetCapture() == this) CWnd::ReleaseCapture();
        }
        if (((nOld ^ nState) & TBSTATE_HIDDEN) != 0) {
            data.Relayout(this);
        } else if (nOld != nState) {
            const CRect rc = data.rects[static_cast<std::size_t>(nIndex)];
            InvalidateRect(&rc);
        }
        return TRUE;
    };
    auto setBit = [&](std::uint8_t nBit) -> LRESULT {
        if (pButton == nullptr) return FALSE;
        return setState(static_cast<std::uint8_t>(lParam != 0 ? pButton->fsState | nBit
                                                              : pButton->fsState & ~nBit));
    };
    auto hasBit = [&](std::uint8_t nBit) -> LRESULT {
        return pButton != nullptr && (pButton->fsState & nBit) != 0 ? TRUE : FALSE;
    };
    if constexpr (Message == TB_ENABLEBUTTON) return setBit(TBSTATE_ENABLED);
    if constexpr (Message == TB_CHECKBUTTON) return setBit(TBSTATE_CHECKED);
    if constexpr (Message == TB_PRESSBUTTON) return setBit(TBSTATE_PRESSED);
    if constexpr (Message == TB_HIDEBUTTON) return setBit(TBSTATE_HIDDEN);
    if constexpr (Message == TB_INDETERMINATE) return setBit(TBSTATE_INDETERMINATE);
    if constexpr (Message == TB_ISBUTTONENABLED) return hasBit(TBSTATE_ENABLED);
    if constexpr (Message == TB_ISBUTTONCHECKED) return hasBit(TBSTATE_CHECKED);
    if constexpr (Message == TB_ISBUTTONPRESSED) return hasBit(TBSTATE_PRESSED);
    if constexpr (Message == TB_ISBUTTONHIDDEN) return hasBit(TBSTATE_HIDDEN);
    if constexpr (Message == TB_ISBUTTONINDETERMINATE) return hasBit(TBSTATE_INDETERMINATE);
    if constexpr (Message == TB_SETSTATE)
        return setState(static_cast<std::uint8_t>(LOWORD(static_cast<UINT_PTR>(lParam))));
    if constexpr (Message == TB_GETSTATE) return pButton != nullptr ? pButton->fsState : -1;
    if constexpr (Message == TB_BUTTONCOUNT) return static_cast<LRESULT>(data.buttons.size());
    if constexpr (Message == TB_COMMANDTOINDEX) return nIndex;
    if constexpr (Message == TB_SETPARENT) {
        HWND hOld = WindowData::IsAlive(data.hOwner) ? data.hOwner
                    : WindowData::IsAlive(m_hWnd)    ? m_hWnd->hParent
                                                     : nullptr;
        data.hOwner = reinterpret_cast<HWND>(wParam);
        return reinterpret_cast<LRESULT>(hOld);
    }
    return 0;
}

BOOL CToolBarCtrl::SetState(int nID, UINT nState) {
    return SendMessage(TB_SETSTATE, static_cast<WPARAM>(nID), MAKELPARAM(nState & 0xFFFF, 0)) != 0
               ? TRUE
               : FALSE;
}

int CToolBarCtrl::GetState(int nID) const {
    return static_cast<int>(
        const_cast<CToolBarCtrl*>(this)->SendMessage(TB_GETSTATE, static_cast<WPARAM>(nID)));
}

BOOL CToolBarCtrl::CheckButton(int nID, BOOL bCheck) {
    return SendMessage(TB_CHECKBUTTON, static_cast<WPARAM>(nID), bCheck) != 0 ? TRUE : FALSE;
}

BOOL CToolBarCtrl::EnableButton(int nID, BOOL bEnable) {
    return SendMessage(TB_ENABLEBUTTON, static_cast<WPARAM>(nID), bEnable) != 0 ? TRUE : FALSE;
}

BOOL CToolBarCtrl::Indeterminate(int nID, BOOL bIndeterminate) {
    return SendMessage(TB_INDETERMINATE, static_cast<WPARAM>(nID), bIndeterminate) != 0 ? TRUE
                                                                                        : FALSE;
}

BOOL CToolBarCtrl::PressButton(int nID, BOOL bPress) {
    return SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(nID), bPress) != 0 ? TRUE : FALSE;
}

BOOL CToolBarCtrl::HideButton(int nID, BOOL bHide) {
    return SendMessage(TB_HIDEBUTTON, static_cast<WPARAM>(nID), bHide) != 0 ? TRUE : FALSE;
}

BOOL CToolBarCtrl::IsButtonChecked(int nID) const {
    return const_cast<CToolBarCtrl*>(this)->SendMessage(TB_ISBUTTONCHECKED,
                                                        static_cast<WPARAM>(nID)) != 0
               ? TRUE
               : FALSE;
}

BOOL CToolBarCtrl::IsButtonEnabled(int nID) const {
    return const_cast<CToolBarCtrl*>(this)->SendMessage(TB_ISBUTTONENABLED,
                                                        static_cast<WPARAM>(nID)) != 0
               ? TRUE
               : FALSE;
}

BOOL CToolBarCtrl::IsButtonIndeterminate(int nID) const {
    return const_cast<CToolBarCtrl*>(this)->SendMessage(TB_ISBUTTONINDETERMINATE,
                                                        static_cast<WPARAM>(nID)) != 0
               ? TRUE
               : FALSE;
}

// --- The mouse -----------------------------------------------------------------------------------

namespace {

void Relay(CToolBarCtrl* pBar, UINT nMessage, UINT nFlags, CPoint point) {
    CToolTipCtrl* pTips = pBar->GetToolTips();
    if (pTips == nullptr) return;
    MSG msg;
    msg.hwnd = pBar->GetSafeHwnd();
    msg.message = nMessage;
    msg.wParam = nFlags;
    msg.lParam = MAKELPARAM(point.x, point.y);
    pTips->RelayEvent(&msg);
}

}  // namespace

void CToolBarCtrl::OnMouseMove(UINT nFlags, CPoint point) {
    Relay(this, WM_MOUSEMOVE, nFlags, point);
    Data& data = *m_pData;
    const int nAt = data.HitTest(point);
    if (data.nPressed >= 0) {
        // The held button looks pressed only while the mouse is over it.
        const bool bInside = nAt == data.nPressed;
        if (bInside != data.bInside) {
            data.bInside = bInside;
            const CRect rc = data.rects[static_cast<std::size_t>(data.nPressed)];
            InvalidateRect(&rc);
        }
        return;
    }
    const int nHot =
        nAt >= 0 && TakesClicks(data.buttons[static_cast<std::size_t>(nAt)]) ? nAt : -1;
    if (nHot == data.nHot) return;
    for (int i : {data.nHot, nHot}) {
        if (!data.Valid(i)) continue;
        const CRect rc = data.rects[static_cast<std::size_t>(i)];
        InvalidateRect(&rc);
    }
    data.nHot = nHot;
}

void CToolBarCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
    Relay(this, WM_LBUTTONDOWN, nFlags, point);
    Data& data = *m_pData;
    const int nAt = data.HitTest(point);
    if (nAt < 0 || !TakesClicks(data.buttons[static_cast<std::size_t>(nAt)])) return;
    data.nPressed = nAt;
    data.bInside = true;
    SetCapture();
    const CRect rc = data.rects[static_cast<std::size_t>(nAt)];
    InvalidateRect(&rc);
}

void CToolBarCtrl::OnLButtonUp(UINT nFlags, CPoint point) {
    Relay(this, WM_LBUTTONUP, nFlags, point);
    Data& data = *m_pData;
    const int nPressed = std::exchange(data.nPressed, -1);
    if (CWnd::GetCapture() == this) CWnd::ReleaseCapture();
    if (!data.Valid(nPressed)) return;
    const CRect rc = data.rects[static_cast<std::size_t>(nPressed)];
    InvalidateRect(&rc);
    TBBUTTON& button = data.buttons[static_cast<std::size_t>(nPressed)];
    // A click is the release over the button pressed.
    if (data.HitTest(point) != nPressed || !TakesClicks(button)) return;
    if ((button.fsStyle & TBSTYLE_CHECK) != 0) button.fsState ^= TBSTATE_CHECKED;
    data.nHot = nPressed;
    HWND hOwner = WindowData::IsAlive(data.hOwner) ? data.hOwner : m_hWnd->hParent;
    WindowData::Send(hOwner, WM_COMMAND,
                     MAKEWPARAM(static_cast<UINT>(button.idCommand), BN_CLICKED),
                     reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CToolBarCtrl::OnMouseLeave(WPARAM, LPARAM) {
    Data& data = *m_pData;
    if (data.Valid(data.nHot)) {
        const CRect rc = data.rects[static_cast<std::size_t>(data.nHot)];
        InvalidateRect(&rc);
    }
    data.nHot = -1;
    return 0;
}

// --- Painting
// --------------------------------------------------------------------------------------

void CToolBarCtrl::OnPaint() {
    CPaintDC dc(this);
    Data& data = *m_pData;
    if (data.rects.size() != data.buttons.size())
        data.rects = LayOut(data.buttons, data.buttonSize);
    CRect rcClient;
    GetClientRect(&rcClient);
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    const COLORREF crShadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF crLight = GetSysColor(COLOR_BTNHIGHLIGHT);
    dc.FillSolidRect(rcClient, crFace);
    const bool bFlat = (GetStyle() & TBSTYLE_FLAT) != 0;
    const bool bBarEnabled = IsWindowEnabled() != FALSE;

    for (std::size_t i = 0; i < data.buttons.size(); ++i) {
        const TBBUTTON& button = data.buttons[i];
        if (IsHidden(button)) continue;
        CRect rc = data.rects[i];
        if (IsSeparator(button)) {
            // An etched line down the middle.
            const int x = rc.left + rc.Width() / 2 - 1;
            dc.FillSolidRect(CRect(x, rc.top + 1, x + 1, rc.bottom - 1), crShadow);
            dc.FillSolidRect(CRect(x + 1, rc.top + 1, x + 2, rc.bottom - 1), crLight);
            continue;
        }
        const int nIndex = static_cast<int>(i);
        const bool bChecked = (button.fsState & TBSTATE_CHECKED) != 0;
        const bool bDown =
            (button.fsState & TBSTATE_PRESSED) != 0 || (nIndex == data.nPressed && data.bInside);
        const bool bGreyed = !bBarEnabled || (button.fsState & TBSTATE_ENABLED) == 0 ||
                             (button.fsState & TBSTATE_INDETERMINATE) != 0;
        const bool bHot = nIndex == data.nHot && !bGreyed;

        // The frame: always raised on a classic bar, only under the mouse on a flat one;
        // sunken while pressed or checked.
        CRect rcInside = rc;
        if (bDown || bChecked) {
            dc.DrawEdge(&rcInside, bFlat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        } else if (!bFlat) {
            dc.DrawEdge(&rcInside, EDGE_RAISED, BF_RECT | BF_ADJUST);
        } else if (bHot) {
            dc.DrawEdge(&rcInside, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        }
        QPainter* p = dc.Data()->BeginDraw();
        if (p == nullptr) continue;
        // A checked button not held down shows a dotted lighter face.
        if (bChecked && !bDown && !bHot)
            p->fillRect(QRect(rcInside.left, rcInside.top, rcInside.Width(), rcInside.Height()),
                        QBrush(tessel::platform::ToQColor(crLight), Qt::Dense4Pattern));

        if (button.iBitmap < 0 || button.iBitmap >= static_cast<int>(data.images.size())) continue;
        const QImage& image = data.images[static_cast<std::size_t>(button.iBitmap)];
        int x = rc.left + (rc.Width() - image.width()) / 2;
        int y = rc.top + (rc.Height() - image.height()) / 2;
        if (bDown || bChecked) {
            ++x;
            ++y;
        }
        if (!bGreyed) {
            p->drawImage(x, y, image);
        } else {
            // Greyed: the image's ink embossed, a light copy under a shadow one.
            const QRgb face = tessel::platform::ToRgb(crFace);
            p->drawImage(x + 1, y + 1, InkShape(image, face, tessel::platform::ToQColor(crLight)));
            p->drawImage(x, y, InkShape(image, face, tessel::platform::ToQColor(crShadow)));
        }
    }
}
