// The caret: where the cursor is drawn, how tall the caret is, the caret refresh that ends
// every change, the caret bitmap offered to hosts, and the mouse cursor over the editor.
#include <algorithm>
#include <optional>

#include "document/link_slots.h"
#include "editor/edit_extent.h"
#include "editor/tessel_edit.h"
#include "formula/formula.h"
#include "imaging/picture.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"
#include "widgets/tool_window.h"

using tessel::editor::Scaled;

namespace {

constexpr int kCaretWidth = 2;
constexpr int kDefaultCaretHeight = 17;  // no character before the cursor to take it from

}  // namespace

void CTesselEdit::RePostitionCaret(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc, int& x, int& y,
                                   int& nHeight) {
    x = rc.left;
    y = rc.top;
    if (pRow[0].IsEndMarker()) {
        // Nothing laid out yet.
        nHeight = kEmptyRowHeight;
        return;
    }
    // The display rule: a cursor at the start of a row is found at the end of the row before,
    // and drawn at the left edge of its own row.
    const TEXTPOS& p = m_CurPos;
    const int i = DisplayRow(pRow, p);
    for (int r = 0; r < i; ++r)
        tessel::editor::Advance(y, pRow[r].nHeight);
    if (!pRow[i + 1].IsEndMarker() && p == pRow[i + 1].Start()) {
        tessel::editor::Advance(y, pRow[i].nHeight);
        nHeight = pRow[i + 1].nHeight;
        return;
    }
    GetProperX(pDC, pList, x, pRow[i].nLink, pRow[i].nWord, pRow[i].nChar, p.nLink, p.nWord,
               p.nChar);
    nHeight = pRow[i].nHeight;
}

int CTesselEdit::DisplayRow(const ROW* pRow, const TEXTPOS& p) {
    int i = 0;
    while (i + 1 < kMaxRows && !pRow[i + 1].IsEndMarker() && p > pRow[i + 1].Start())
        ++i;
    return i;
}

int CTesselEdit::MovementRow(const ROW* pRow, const TEXTPOS& p) {
    int i = 0;
    while (i + 1 < kMaxRows && !pRow[i + 1].IsEndMarker() && p >= pRow[i + 1].Start())
        ++i;
    return i;
}

// The caret is as tall as the character before it (the start of the document takes the
// first element's own height).
int CTesselEdit::GetProperCharHeight(CDC* /*pDC*/, CMyList* pList) {
    if (!pList) return kDefaultCaretHeight;
    const TEXTPOS before = tessel::editor::StepBack(*pList, m_CurPos);
    const CLink* pLink = tessel::editor::LinkAt(*pList, before.nLink);
    if (!pLink) return kDefaultCaretHeight;
    switch (pLink->m_nKind) {
        case kKindText:
            // As tall as the full-size font: raised and lowered text are not halved here.
            return static_cast<int>(std::clamp(pLink->m_Font[1].nValue * m_dZoom + 0.5,
                                               -double(tessel::editor::kMaxFontPixels),
                                               double(tessel::editor::kMaxFontPixels)));
        case kKindImage:
            if (pLink->m_pPicture)
                return Scaled(pLink->m_pPicture->GetHeight(), tessel::slots::ImageScale(*pLink));
            break;
        case kKindFormula:
            if (pLink->m_pFormula)
                return Scaled(tessel::slots::FormulaHeight(*pLink),
                              tessel::slots::FormulaScale(*pLink));
            break;
        default:
            break;
    }
    return kDefaultCaretHeight;
}

void CTesselEdit::RefreshCaret(CDC* pDC) {
    if (!m_hWnd || !m_pList) return;
    std::optional<CClientDC> clientDC;
    if (!pDC) pDC = &clientDC.emplace(this);
    int x = 0, y = 0, h = 0;
    RePostitionCaret(pDC, m_pList, m_Row, m_rcEdit, x, y, h);
    const int c = GetProperCharHeight(pDC, m_pList);
    CreateSolidCaret(kCaretWidth, c);
    // The caret's foot stands on the foot of its row.
    SetCaretPos(CPoint(x, y + h - c + m_nViewOrgY));
    ShowCaret();
}

void CTesselEdit::EditMyList(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc) {
    const int c = GetProperCharHeight(pDC, pList);
    CreateSolidCaret(kCaretWidth, c);
    SetMyViewPort(pDC);
    const int nRowHeight = pRow ? pRow->nHeight : 0;
    SetCaretPos(CPoint(rc.left, rc.top + nRowHeight - c + m_nViewOrgY));
    ShowCaret();
}

// When no bitmap is given, the editor's own caret bitmap (m_pCaretBmp) is made and kept, so
// that whatever this makes has an owner.
int CTesselEdit::CreateCaretBmp(CDC* pDC, int nHeight, CBitmap* pBitmap) {
    CDC memDC;
    if (!memDC.CreateCompatibleDC(pDC)) return 0;
    if (!pBitmap) {
        if (!m_pCaretBmp) m_pCaretBmp = new CBitmap;
        pBitmap = m_pCaretBmp;
    }
    if (pBitmap->IsValid()) pBitmap->DeleteObject();
    if (!pBitmap->CreateCompatibleBitmap(pDC, 3, nHeight)) return 0;
    CBitmap* pOldBitmap = memDC.SelectObject(pBitmap);
    memDC.PatBlt(0, 0, 3, nHeight, BLACKNESS);
    CPen pen(PS_SOLID, 3, RGB(255, 255, 255));
    CPen* pOldPen = memDC.SelectObject(&pen);
    memDC.MoveTo(0, 0);
    memDC.LineTo(0, nHeight);
    memDC.SelectObject(pOldPen);
    memDC.SelectObject(pOldBitmap);
    return 1;
}

BOOL CTesselEdit::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (nHitTest == HTCLIENT) {
        SetCursor(m_hIBeam);
        return TRUE;
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

// Every tick of the clipboard timer: Cut, Copy and Hot Link are offered while something is
// selected, Paste while the clipboard holds something the editor can paste. (The tool window's
// buttons follow the same states once it has them.)
void CTesselEdit::OnTimer(UINT_PTR nIDEvent) {
    using namespace tessel::commands;
    if (!m_pToolBar || !m_pToolBar->m_hWnd) {
        KillTimer(nIDEvent);
        return;
    }
    if (!UpdateCommandStates()) return;
    CWnd::OnTimer(nIDEvent);
}

bool CTesselEdit::UpdateCommandStates() {
    using namespace tessel::commands;
    const bool bSelection = m_SelStart != m_SelEnd;
    if (!OpenClipboard(this)) return false;
    const bool bPastable = IsClipboardFormatAvailable(g_nClipFormat) ||
                           IsClipboardFormatAvailable(CF_TEXT) ||
                           IsClipboardFormatAvailable(CF_BITMAP);
    CloseClipboard();
    CEditToolWnd* pToolBar = m_pToolBar && m_pToolBar->m_hWnd ? m_pToolBar : nullptr;
    if (pToolBar)
        pToolBar->CheckButton(
            kInsertSymbol, g_pSymbolDlg && g_pSymbolDlg->m_hWnd && g_pSymbolDlg->IsWindowVisible());
    const UINT nSelectionState = MF_BYCOMMAND | (bSelection ? MF_ENABLED : MF_GRAYED);
    for (UINT nId : {kCopy, kCut, kHotLink}) {
        if (pToolBar)
            pToolBar->SetButtonState(nId, bSelection ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE);
        m_Menu.EnableMenuItem(nId, nSelectionState);
    }
    if (pToolBar)
        pToolBar->SetButtonState(kPaste, bPastable ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE);
    m_Menu.EnableMenuItem(kPaste, MF_BYCOMMAND | (bPastable ? MF_ENABLED : MF_GRAYED));
    return true;
}
