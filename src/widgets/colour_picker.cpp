#include "widgets/colour_picker.h"

#include <algorithm>

#include "widgets/colour_popup.h"

namespace tessel::widgets {

const std::array<NamedColour, 40> kPickerColours = {{
    {RGB(0, 0, 0), "Black"},
    {RGB(165, 42, 0), "Brown"},
    {RGB(0, 64, 64), "Dark Olive Green"},
    {RGB(0, 85, 0), "Dark Green"},
    {RGB(0, 0, 94), "Dark Teal"},
    {RGB(0, 0, 139), "Dark blue"},
    {RGB(75, 0, 130), "Indigo"},
    {RGB(40, 40, 40), "Dark grey"},

    {RGB(139, 0, 0), "Dark red"},
    {RGB(255, 104, 32), "Orange"},
    {RGB(139, 139, 0), "Dark yellow"},
    {RGB(0, 147, 0), "Green"},
    {RGB(56, 142, 142), "Teal"},
    {RGB(0, 0, 255), "Blue"},
    {RGB(123, 123, 192), "Blue-grey"},
    {RGB(102, 102, 102), "Grey - 40"},

    {RGB(255, 0, 0), "Red"},
    {RGB(255, 173, 91), "Light orange"},
    {RGB(50, 205, 50), "Lime"},
    {RGB(60, 179, 113), "Sea green"},
    {RGB(127, 255, 212), "Aqua"},
    {RGB(125, 158, 192), "Light blue"},
    {RGB(128, 0, 128), "Violet"},
    {RGB(127, 127, 127), "Grey - 50"},

    {RGB(255, 192, 203), "Pink"},
    {RGB(255, 215, 0), "Gold"},
    {RGB(255, 255, 0), "Yellow"},
    {RGB(0, 255, 0), "Bright green"},
    {RGB(64, 224, 208), "Turquoise"},
    {RGB(192, 255, 255), "Skyblue"},
    {RGB(72, 0, 72), "Plum"},
    {RGB(192, 192, 192), "Light grey"},

    {RGB(255, 228, 225), "Rose"},
    {RGB(210, 180, 140), "Tan"},
    {RGB(255, 255, 224), "Light yellow"},
    {RGB(152, 251, 152), "Pale green "},  // the name has always carried the blank
    {RGB(175, 238, 238), "Pale turquoise"},
    {RGB(104, 131, 139), "Pale blue"},
    {RGB(230, 230, 250), "Lavender"},
    {RGB(255, 255, 255), "White"},
}};

}  // namespace tessel::widgets

CColourPicker::CColourPicker() = default;

CColourPicker::~CColourPicker() {
    // The popup must not report to a picker that is going away.
    if (CColourPopup* pPopup = m_pPopup) {
        m_pPopup = nullptr;
        pPopup->ForgetParent();
        pPopup->DestroyWindow();
    }
}

BOOL CColourPicker::Create(const char* szCaption, DWORD dwStyle, const CRect& rect,
                           CWnd* pParentWnd, UINT nID) {
    // The button type is the low four bits of the style.
    if (!CButton::Create(szCaption, (dwStyle & ~DWORD{0xF}) | BS_OWNERDRAW, rect, pParentWnd, nID))
        return FALSE;
    // The system colours are read once the window system is there (and again at each drawing,
    // for a desktop whose colours change).
    m_crBackground = GetSysColor(COLOR_3DFACE);
    m_crText = GetSysColor(COLOR_BTNTEXT);
    return TRUE;
}

void CColourPicker::SetColour(COLORREF crColour) {
    m_crColour = crColour;
    if (m_hWnd != nullptr) Invalidate(FALSE);
}

void CColourPicker::NotifyParent(UINT nMessage, COLORREF crColour) {
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(nMessage, static_cast<WPARAM>(crColour),
                             static_cast<LPARAM>(GetDlgCtrlID()));
}

BOOL CColourPicker::OnClicked() {
    if (m_pPopup != nullptr) return TRUE;  // already open
    m_bActive = TRUE;
    CRect rc;
    GetWindowRect(&rc);
    m_pPopup = CColourPopup::Open(CPoint(rc.left, rc.bottom), GetColour(), this, "More...");
    if (m_pPopup == nullptr) {
        m_bActive = FALSE;
        return TRUE;
    }
    Invalidate(FALSE);  // the arrow shows pushed
    NotifyParent(CPN_DROPDOWN, GetColour());
    return TRUE;
}

void CColourPicker::OnPopupGone() {
    m_pPopup = nullptr;
    if (m_bActive) {
        // Closed without telling how the choice ended (its window was destroyed).
        m_bActive = FALSE;
        if (m_hWnd != nullptr) Invalidate(FALSE);
    }
}

LRESULT CColourPicker::OnSelChange(WPARAM wParam, LPARAM /*lParam*/) {
    const auto crColour = static_cast<COLORREF>(wParam);
    if (m_bTrackSelection) SetColour(crColour);
    NotifyParent(CPN_SELCHANGE, crColour);
    return 0;
}

LRESULT CColourPicker::OnSelEndOK(WPARAM wParam, LPARAM /*lParam*/) {
    const auto crColour = static_cast<COLORREF>(wParam);
    m_bActive = FALSE;
    SetColour(crColour);
    if (m_pEditWnd != nullptr) {
        // The editor's own colour command; the parent hears nothing.
        if (m_pEditWnd->GetSafeHwnd() != nullptr)
            m_pEditWnd->SendMessage(CPN_SELENDOK, static_cast<WPARAM>(crColour),
                                    static_cast<LPARAM>(GetDlgCtrlID()));
        return 0;
    }
    NotifyParent(CPN_CLOSEUP, crColour);
    NotifyParent(CPN_SELENDOK, crColour);
    return 0;
}

LRESULT CColourPicker::OnSelEndCancel(WPARAM wParam, LPARAM /*lParam*/) {
    const auto crColour = static_cast<COLORREF>(wParam);
    m_bActive = FALSE;
    SetColour(crColour);
    NotifyParent(CPN_CLOSEUP, crColour);
    NotifyParent(CPN_SELENDCANCEL, crColour);
    return 0;
}

void CColourPicker::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CDC* pDC = lpDrawItemStruct->pDC;
    if (pDC == nullptr) return;
    const UINT nState = lpDrawItemStruct->itemState;
    const bool bDisabled = (nState & ODS_DISABLED) != 0 || !IsWindowEnabled();
    m_crBackground = GetSysColor(COLOR_3DFACE);
    m_crText = GetSysColor(COLOR_BTNTEXT);

    // A sunken edge round the whole face.
    CRect rc = lpDrawItemStruct->rcItem;
    pDC->DrawEdge(&rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);

    // The drop arrow at the right, pushed while the popup is open.
    const int nArrowWidth = std::min(GetSystemMetrics(SM_CXVSCROLL), rc.Width());
    m_ArrowRect = CRect(rc.right - nArrowWidth, rc.top, rc.right, rc.bottom);
    UINT nArrowState = DFCS_SCROLLDOWN;
    if (m_bActive || (nState & ODS_SELECTED) != 0) nArrowState |= DFCS_PUSHED;
    if (bDisabled) nArrowState |= DFCS_INACTIVE;
    CRect rcArrow = m_ArrowRect;
    pDC->DrawFrameControl(&rcArrow, DFC_SCROLL, nArrowState);

    // The rest of the face: the colour, inset by the edge width.
    CRect rcFace(rc.left, rc.top, m_ArrowRect.left, rc.bottom);
    pDC->FillSolidRect(rcFace, m_crBackground);
    const int nEdge = GetSystemMetrics(SM_CXEDGE);
    const CRect rcColour(rcFace.left + nEdge, rcFace.top + nEdge, rcFace.right - nEdge,
                         rcFace.bottom - nEdge);
    if (!rcColour.IsRectEmpty())
        pDC->FillSolidRect(rcColour, bDisabled ? m_crBackground : m_crColour);

    if ((nState & ODS_FOCUS) != 0) {
        const CRect rcFocus(rcFace.left + 1, rcFace.top + 1, rcFace.right - 1, rcFace.bottom - 1);
        pDC->DrawFocusRect(&rcFocus);
    }
}

const MessageMap* CColourPicker::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<CPN_SELCHANGE, &CColourPicker::OnSelChange>(),
        MapMessage<CPN_SELENDOK, &CColourPicker::OnSelEndOK>(),
        MapMessage<CPN_SELENDCANCEL, &CColourPicker::OnSelEndCancel>(),
    };
    // The button's own map (clicks, painting) answers the rest.
    static const MessageMap kMap{CButton::GetThisMessageMap(), kEntries};
    return &kMap;
}
