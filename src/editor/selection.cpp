// The selection: dragged with the mouse (the press and the release are in navigation.cpp with
// the other ways of placing the cursor), drawn as selected or plain range by range, and the
// whole document at once.
#include <algorithm>

#include "editor/tessel_edit.h"

void CTesselEdit::OnMouseMove(UINT nFlags, CPoint point) {
    // Only a drag with the left button alone selects.
    if (nFlags != MK_LBUTTON) return;
    CClientDC dc(this);
    GetLinkWordChar(&dc, m_pList, m_Row, m_rcEdit, point.x, point.y - m_nViewOrgY);
    // What the selection no longer covers is drawn plain, what it covers now selected.
    ReShowPartSelected(&dc, m_CurPos, m_SelEnd, 0);
    m_SelEnd = m_CurPos;
    if (SetMyViewPort(&dc)) Invalidate(TRUE);
    ReShowPartSelected(&dc, m_SelStart, m_CurPos, 1);
}

void CTesselEdit::ReShowPartSelected(CDC* pDC, TEXTPOS a, TEXTPOS b, int bSelect) {
    if (!pDC) return;
    pDC->SetViewportOrg(0, m_nViewOrgY);
    m_bSelected = 1;
    if (b < a) std::swap(a, b);
    if (a == b || !m_pList || m_Row[0].IsEndMarker()) return;
    WordHintScope hints(*this);
    // Only rows the window shows can change a pixel (document coordinates of the view).
    const int nViewTop = m_rcEdit.top - m_nViewOrgY;
    const int nViewBottom = m_rcEdit.bottom - m_nViewOrgY;
    auto visible = [&](int y, int nHeight) {
        return y + 2 * nHeight > nViewTop && y - nHeight < nViewBottom;
    };
    // The row that holds a: the last one whose start is not after it.
    auto hasNext = [this](int r) { return r < kMaxRows && !m_Row[r + 1].IsEndMarker(); };
    int r = 0;
    int y = m_rcEdit.top;
    while (hasNext(r) && m_Row[r + 1].Start() <= a) {
        y += m_Row[r].nHeight;
        ++r;
    }
    // Row by row to the row that holds b: each from where the range enters it to where it
    // leaves it.
    bool bFirst = true;
    for (;;) {
        const bool bLast = !(hasNext(r) && b >= m_Row[r + 1].Start());
        const TEXTPOS to = bLast ? b : m_Row[r + 1].Start();
        if (visible(y, m_Row[r].nHeight)) {
            int x = m_rcEdit.left;
            if (bFirst) {
                const TEXTPOS rowStart = m_Row[r].Start();
                GetProperX(pDC, m_pList, x, rowStart.nLink, rowStart.nWord, rowStart.nChar, a.nLink,
                           a.nWord, a.nChar);
            }
            int nHeight = m_Row[r].nHeight;
            ShowMyListOneLine(pDC, m_pList, x, y, nHeight, a.nLink, a.nWord, a.nChar, to.nLink,
                              to.nWord, to.nChar, bSelect);
        } else if (y - m_Row[r].nHeight >= nViewBottom) {
            break;  // this row and all after it are below the window
        }
        if (bLast) break;
        a = to;
        y += m_Row[r].nHeight;
        bFirst = false;
        ++r;
    }
}

void CTesselEdit::SelectAll() {
    if (RoutedToColumn(&CTesselEdit::SelectAll)) return;
    if (!m_pList || !m_hWnd) return;
    CClientDC dc(this);
    DropCaret();
    m_SelStart = TEXTPOS{};
    m_SelEnd = m_CurPos = tessel::editor::DocumentEnd(*m_pList);
    m_bShiftSel = 0;
    if (SetMyViewPort(&dc)) Invalidate(TRUE);
    ReShowPartSelected(&dc, m_SelStart, m_SelEnd, 1);
    RefreshCaret(&dc);
}
