#include "widgets/colour_popup.h"

#include <algorithm>

#include "platform/color_dialog.h"
#include "platform/controls.h"
#include "widgets/colour_picker.h"

using tessel::widgets::kPickerColours;

namespace {

// Window class styles the popup registers with: one context for the class and the pixels
// under the popup kept while it is shown (the layer keeps every window's pixels anyway).
constexpr UINT kClassDcStyle = 0x0040;
constexpr UINT kSaveBitsStyle = 0x0800;

// Never more colours than a grid of this size holds.
constexpr int kMaxColours = 100;

CRect Deflated(CRect rc, int n) {
    return CRect(rc.left + n, rc.top + n, rc.right - n, rc.bottom - n);
}

}  // namespace

CColourPopup::CColourPopup(COLORREF crInitial, CWnd* pParentWnd, const char* szMoreText)
    : m_nNumColours(std::min(static_cast<int>(kPickerColours.size()), kMaxColours)),
      m_nNumRows((m_nNumColours + m_nNumColumns - 1) / m_nNumColumns),
      m_nMargin(GetSystemMetrics(SM_CXEDGE)),
      m_strMoreText(szMoreText != nullptr ? szMoreText : ""),
      m_crInitial(crInitial),
      m_crColour(crInitial),
      m_pParent(pParentWnd) {
    // A cell must leave room for a colour square inside its edges.
    if (m_nBoxSize - 2 * m_nMargin - 2 < 5) m_nBoxSize = 2 * m_nMargin + 7;
    m_bShowMore = !m_strMoreText.empty();

    NONCLIENTMETRICS metrics;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        m_Font.CreateFontIndirect(&metrics.lfMessageFont);

    PALETTEENTRY entries[kMaxColours];
    for (int i = 0; i < m_nNumColours; ++i) {
        const COLORREF cr = kPickerColours[static_cast<std::size_t>(i)].crColour;
        entries[i].peRed = static_cast<unsigned char>(GetRValue(cr));
        entries[i].peGreen = static_cast<unsigned char>(GetGValue(cr));
        entries[i].peBlue = static_cast<unsigned char>(GetBValue(cr));
        entries[i].peFlags = 0;
    }
    m_Palette.CreatePalette(entries, m_nNumColours);
}

CColourPopup::~CColourPopup() {
    *m_pAlive = false;
}

CColourPopup* CColourPopup::Open(CPoint ptTopLeft, COLORREF crInitial, CWnd* pParentWnd,
                                 const char* szMoreText) {
    auto* pPopup = new CColourPopup(crInitial, pParentWnd, szMoreText);
    std::shared_ptr<bool> pAlive = pPopup->m_pAlive;
    if (!pPopup->Create(ptTopLeft)) {
        // A window that was made and lost again has deleted its object already.
        if (*pAlive) delete pPopup;
        return nullptr;
    }
    return pPopup;
}

BOOL CColourPopup::Create(CPoint ptTopLeft) {
    const char* szClass = AfxRegisterWndClass(
        kClassDcStyle | kSaveBitsStyle | CS_HREDRAW | CS_VREDRAW, LoadCursor(IDC_ARROW));
    if (!CreateEx(0, szClass, "", WS_VISIBLE | WS_POPUP, ptTopLeft.x, ptTopLeft.y, 100, 100,
                  m_pParent != nullptr ? m_pParent->GetSafeHwnd() : nullptr, 0))
        return FALSE;
    SetWindowSize(ptTopLeft);
    CreateToolTips();
    FindChosenCell();
    SetCapture();
    SetFocus();  // for the keys
    return TRUE;
}

void CColourPopup::PostNcDestroy() {
    if (auto* pPicker = dynamic_cast<CColourPicker*>(m_pParent)) pPicker->OnPopupGone();
    delete this;
}

// --- Geometry -----------------------------------------------------------------------------

void CColourPopup::SetWindowSize(CPoint ptTopLeft) {
    int nWidth = m_nNumColumns * m_nBoxSize + 2 * m_nMargin;
    int nHeight = m_nNumRows * m_nBoxSize + 2 * m_nMargin;
    m_TextRect = CRect();
    if (m_bShowMore) {
        // The "More..." box: the text in the message font with a margin all round, and room
        // for its frame; the popup widens to it when it is the wider.
        CClientDC dc(this);
        CFont* pOldFont = m_Font.IsValid() ? dc.SelectObject(&m_Font) : nullptr;
        CSize text = dc.GetTextExtent(m_strMoreText);
        if (pOldFont != nullptr) dc.SelectObject(pOldFont);
        text.cx += 2 * m_nMargin;
        text.cy += 2 * m_nMargin;
        const int nTextBoxHeight = text.cy + 2 * m_nMargin + 2;
        nHeight += m_nMargin + nTextBoxHeight;
        nWidth = std::max(nWidth, text.cx);
        m_TextRect.SetRect(m_nMargin, m_nMargin, nWidth - m_nMargin, m_nMargin + nTextBoxHeight);
    }

    // Keep it on the screen; when it would pass the bottom it opens above its parent.
    CRect rc(ptTopLeft, CSize(nWidth, nHeight));
    const int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    const int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    if (rc.right > cxScreen) rc.OffsetRect(cxScreen - rc.right, 0);
    if (rc.left < 0) rc.OffsetRect(-rc.left, 0);
    if (rc.bottom > cyScreen) {
        CRect rcParent;
        if (m_pParent != nullptr) m_pParent->GetWindowRect(&rcParent);
        rc.OffsetRect(0, -(rcParent.Height() + rc.Height()));
    }
    m_WindowRect = rc;
    MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
}

CRect CColourPopup::GetCellRect(Cell cell) const {
    const int nLeft = cell.nCol * m_nBoxSize + m_nMargin;
    int nTop = cell.nRow * m_nBoxSize + m_nMargin;
    if (m_bShowMore) nTop += m_TextRect.Height();
    return CRect(nLeft, nTop, nLeft + m_nBoxSize, nTop + m_nBoxSize);
}

CRect CColourPopup::BoxRect(Cell cell) const {
    if (cell == kMoreBox) return m_TextRect;
    if (IndexOf(cell) < 0) return CRect();
    return GetCellRect(cell);
}

int CColourPopup::IndexOf(Cell cell) const {
    if (cell.nRow < 0 || cell.nCol < 0 || cell.nRow >= m_nNumRows || cell.nCol >= m_nNumColumns)
        return -1;
    const int nIndex = cell.nRow * m_nNumColumns + cell.nCol;
    return nIndex < m_nNumColours ? nIndex : -1;
}

COLORREF CColourPopup::ColourOf(Cell cell) const {
    const int nIndex = IndexOf(cell);
    return nIndex >= 0 ? kPickerColours[static_cast<std::size_t>(nIndex)].crColour : m_crInitial;
}

CColourPopup::Cell CColourPopup::CellFromPoint(CPoint point) const {
    if (m_bShowMore && m_TextRect.PtInRect(point)) return kMoreBox;
    const int nTop = m_nMargin + (m_bShowMore ? m_TextRect.Height() : 0);
    const int x = point.x - m_nMargin, y = point.y - nTop;
    if (x < 0 || y < 0) return kNoCell;
    const Cell cell{y / m_nBoxSize, x / m_nBoxSize};
    return IndexOf(cell) >= 0 ? cell : kNoCell;
}

void CColourPopup::CreateToolTips() {
    if (!m_ToolTip.Create(this)) return;
    for (int i = 0; i < m_nNumColours; ++i) {
        const CRect rc = GetCellRect({i / m_nNumColumns, i % m_nNumColumns});
        m_ToolTip.AddTool(this, kPickerColours[static_cast<std::size_t>(i)].strName.data(), &rc,
                          static_cast<UINT_PTR>(i + 1));
    }
}

void CColourPopup::FindChosenCell() {
    m_ChosenCell = m_bShowMore ? kMoreBox : kNoCell;
    for (int i = 0; i < m_nNumColours; ++i) {
        if (kPickerColours[static_cast<std::size_t>(i)].crColour == m_crInitial) {
            m_ChosenCell = {i / m_nNumColumns, i % m_nNumColumns};
            break;
        }
    }
}

// --- Choosing -----------------------------------------------------------------------------

void CColourPopup::ChangeSelection(Cell cell) {
    if (cell == m_HoverCell) return;
    const CRect rcOld = BoxRect(m_HoverCell);
    if (!rcOld.IsRectEmpty()) InvalidateRect(&rcOld, FALSE);
    m_HoverCell = cell;
    const CRect rcNew = BoxRect(m_HoverCell);
    if (!rcNew.IsRectEmpty()) InvalidateRect(&rcNew, FALSE);
    m_crColour = ColourOf(cell);
    if (m_pParent != nullptr)
        m_pParent->SendMessage(CPN_SELCHANGE, static_cast<WPARAM>(m_crColour), 0);
}

void CColourPopup::EndSelection(UINT nMessage) {
    if (m_bEnding) return;
    m_bEnding = true;
    if (GetCapture() == this) ReleaseCapture();
    if (nMessage == CPN_SELENDOK && m_HoverCell == kMoreBox) {
        CColorDialog dialog(m_crInitial, CC_FULLOPEN | CC_ANYCOLOR, this);
        m_crColour = dialog.DoModal() == IDOK ? dialog.GetColor() : m_crInitial;
    } else if (nMessage == CPN_SELENDCANCEL) {
        m_crColour = m_crInitial;
    }
    const std::shared_ptr<bool> pAlive = m_pAlive;
    if (m_pParent != nullptr) m_pParent->SendMessage(nMessage, static_cast<WPARAM>(m_crColour), 0);
    // The parent may have closed the popup itself meanwhile.
    if (*pAlive && m_hWnd != nullptr) DestroyWindow();
}

void CColourPopup::RelayToToolTip(UINT message, UINT nFlags, CPoint point) {
    if (m_ToolTip.GetSafeHwnd() == nullptr) return;
    MSG msg;
    msg.hwnd = m_hWnd;
    msg.message = message;
    msg.wParam = nFlags;
    msg.lParam = MAKELPARAM(point.x, point.y);
    m_ToolTip.RelayEvent(&msg);
}

void CColourPopup::OnMouseMove(UINT nFlags, CPoint point) {
    RelayToToolTip(WM_MOUSEMOVE, nFlags, point);
    CRect rcClient;
    GetClientRect(&rcClient);
    if (!rcClient.PtInRect(point)) return;  // the capture brings moves from elsewhere too
    const Cell cell = CellFromPoint(point);
    if (cell == kNoCell) return;
    ChangeSelection(cell);
}

void CColourPopup::OnLButtonDown(UINT nFlags, CPoint point) {
    RelayToToolTip(WM_LBUTTONDOWN, nFlags, point);
}

void CColourPopup::OnLButtonUp(UINT nFlags, CPoint point) {
    RelayToToolTip(WM_LBUTTONUP, nFlags, point);
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    EndSelection(rcWindow.PtInRect(ptScreen) ? CPN_SELENDOK : CPN_SELENDCANCEL);
}

void CColourPopup::OnKeyDown(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    const int nLastRow = m_nNumRows - 1, nLastCol = m_nNumColumns - 1;
    // The "More..." box is no cell of the grid: from it the keys go as from no cell.
    Cell cell = m_HoverCell;
    const bool bInGrid = IndexOf(cell) >= 0;
    switch (nChar) {
        case VK_DOWN:
            if (!bInGrid)
                cell = {0, 0};
            else if (cell.nRow < nLastRow)
                ++cell.nRow;
            else
                cell = m_bShowMore ? kMoreBox : Cell{0, cell.nCol};
            break;
        case VK_UP:
            if (!bInGrid)
                cell = {nLastRow, 0};
            else if (cell.nRow > 0)
                --cell.nRow;
            else
                cell = m_bShowMore ? kMoreBox : Cell{nLastRow, cell.nCol};
            break;
        case VK_RIGHT:
            if (!bInGrid)
                cell = {0, 0};
            else
                cell.nCol = cell.nCol < nLastCol ? cell.nCol + 1 : 0;
            break;
        case VK_LEFT:
            if (!bInGrid)
                cell = {nLastRow, nLastCol};
            else
                cell.nCol = cell.nCol > 0 ? cell.nCol - 1 : nLastCol;
            break;
        case VK_ESCAPE:
            m_crColour = m_crInitial;
            EndSelection(CPN_SELENDCANCEL);
            return;
        case VK_RETURN:
            EndSelection(CPN_SELENDOK);
            return;
        default:
            Default();
            return;
    }
    // A last row that is not full has no cell under every column.
    if (cell != kMoreBox && IndexOf(cell) < 0) cell = {cell.nRow, 0};
    ChangeSelection(cell);
}

// --- Drawing ------------------------------------------------------------------------------

void CColourPopup::DrawCell(CDC* pDC, Cell cell) {
    CRect rc = BoxRect(cell);
    if (rc.IsRectEmpty()) return;
    const bool bChosen = cell == m_ChosenCell, bHover = cell == m_HoverCell;
    pDC->FillSolidRect(rc, GetSysColor(COLOR_3DFACE));

    if (cell == kMoreBox) {
        if (bHover)
            pDC->DrawEdge(&rc, EDGE_RAISED, BF_RECT);
        else if (bChosen)
            pDC->DrawEdge(&rc, BDR_SUNKENOUTER, BF_RECT);
        CFont* pOldFont = m_Font.IsValid() ? pDC->SelectObject(&m_Font) : nullptr;
        const CSize text = pDC->GetTextExtent(m_strMoreText);
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(GetSysColor(COLOR_BTNTEXT));
        pDC->TextOut(rc.left + (rc.Width() - text.cx) / 2, rc.top + (rc.Height() - text.cy) / 2,
                     m_strMoreText);
        if (pOldFont != nullptr) pDC->SelectObject(pOldFont);
        return;
    }

    if (bChosen)
        pDC->DrawEdge(&rc, BDR_SUNKENOUTER, BF_RECT);
    else if (bHover)
        pDC->DrawEdge(&rc, BDR_RAISEDINNER, BF_RECT);
    // The colour square, inside the margin, outlined in the shadow colour.
    const CRect rcSquare = Deflated(rc, m_nMargin + 1);
    CPen pen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    CBrush brush(ColourOf(cell));
    CPen* pOldPen = pDC->SelectObject(&pen);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    pDC->Rectangle(rcSquare);
    pDC->SelectObject(pOldBrush);
    pDC->SelectObject(pOldPen);
}

void CColourPopup::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    dc.FillSolidRect(rcClient, GetSysColor(COLOR_3DFACE));
    CPalette* pOldPalette = dc.SelectPalette(&m_Palette, false);
    dc.RealizePalette();
    if (m_bShowMore) DrawCell(&dc, kMoreBox);
    for (int i = 0; i < m_nNumColours; ++i)
        DrawCell(&dc, {i / m_nNumColumns, i % m_nNumColumns});
    if (pOldPalette != nullptr) dc.SelectPalette(pOldPalette, false);
    dc.DrawEdge(&rcClient, EDGE_RAISED, BF_RECT);
}

const MessageMap* CColourPopup::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &CColourPopup::OnPaint>(),
        MapMessage<WM_MOUSEMOVE, &CColourPopup::OnMouseMove>(),
        MapMessage<WM_LBUTTONDOWN, &CColourPopup::OnLButtonDown>(),
        MapMessage<WM_LBUTTONUP, &CColourPopup::OnLButtonUp>(),
        MapMessage<WM_KEYDOWN, &CColourPopup::OnKeyDown>(),
    };
    static const MessageMap kMap{CWnd::GetThisMessageMap(), kEntries};
    return &kMap;
}
