// The keys the editor handles, the cursor's moves (one step, row-wise), hit testing and
// placing the cursor with the mouse.
#include <algorithm>
#include <utility>

#include "editor/edit_extent.h"
#include "editor/tessel_edit.h"
#include "widgets/edit_commands.h"

using tessel::editor::Advance;
using tessel::editor::DocumentEnd;
using tessel::editor::StepBack;
using tessel::editor::StepForward;

namespace {

bool IsKeyDown(UINT nVirtKey) {
    return (GetKeyState(static_cast<int>(nVirtKey)) & 0xFF00) != 0;
}

bool IsMovementKey(UINT nChar) {
    return nChar == VK_RIGHT || nChar == VK_LEFT || nChar == VK_UP || nChar == VK_DOWN ||
           nChar == VK_HOME || nChar == VK_END;
}

}  // namespace

void CTesselEdit::OnKeyDown(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    const bool bShift = IsKeyDown(VK_SHIFT), bControl = IsKeyDown(VK_CONTROL);
    if (IsMovementKey(nChar) && bShift && !m_bShiftSel) {
        m_SelStart = m_CurPos;
        m_bShiftSel = 1;
    }
    // Ctrl+B, Ctrl+I and Ctrl+U change the format typed next (or the selection's): the
    // format at the cursor is not reloaded after them.
    // Ctrl+I and Ctrl+M type a tab and a carriage return as well: the character that follows
    // such a shortcut's key is not typed.
    m_bSwallowChar = false;
    if (HistoryOwner().m_bShortcuts && RunFormatShortcut(nChar, bShift, bControl)) {
        m_bSwallowChar = true;
        return;
    }
    if (HistoryOwner().m_bShortcuts && RunShortcut(nChar, bShift, bControl)) {
        if (m_hWnd) ResetToolBar();
        return;
    }
    CClientDC dc(this);
    switch (nChar) {
        case VK_BACK:
            m_NextStepKind = tessel::editor::StepKind::kBackspace;
            OnBack(&dc);
            break;
        case VK_END:
            OnEnd(&dc);
            break;
        case VK_HOME:
            OnHome(&dc);
            break;
        case VK_LEFT:
            OnLeftArrow(&dc);
            break;
        case VK_UP:
            OnUpArrow(&dc);
            break;
        case VK_RIGHT:
            OnRightArrow(&dc);
            break;
        case VK_DOWN:
            OnDownArrow(&dc);
            break;
        case VK_DELETE:
            OnDelete(&dc);
            break;
        default:
            // Characters arrive as WM_CHAR; every other key is left alone.
            return;
    }
    if (!m_hWnd) return;
    ResetToolBar();
    if (!bShift && !bControl) m_SelStart = m_SelEnd = m_CurPos;
}

bool CTesselEdit::RunShortcut(UINT nChar, bool bShift, bool bControl) {
    void (CTesselEdit::*command)() = nullptr;
    int (CTesselEdit::*history)() = nullptr;
    if (bControl && !bShift) {
        switch (nChar) {
            case 'X':
                command = &CTesselEdit::OnInsertCut;
                break;
            case 'C':
            case VK_INSERT:
                command = &CTesselEdit::OnInsertCopy;
                break;
            case 'V':
                command = &CTesselEdit::OnInsertPaste;
                break;
            case 'A':
                command = &CTesselEdit::SelectAll;
                break;
            case 'Z':
                history = &CTesselEdit::Undo;
                break;
            case 'Y':
                history = &CTesselEdit::Redo;
                break;
            default:
                break;
        }
    } else if (bControl && bShift) {
        if (nChar == 'V') command = &CTesselEdit::PastePlainText;
        if (nChar == 'Z') history = &CTesselEdit::Redo;
    } else if (bShift) {
        if (nChar == VK_DELETE) command = &CTesselEdit::OnInsertCut;
        if (nChar == VK_INSERT) command = &CTesselEdit::OnInsertPaste;
    }
    // The keys act on this editor, the one that has the keyboard: the commands' routing finds
    // it as the focused one.
    if (command) {
        g_nFocusEdit = m_nEditID;
        (this->*command)();
    } else if (history) {
        (this->*history)();
    }
    return command || history;
}

bool CTesselEdit::RunFormatShortcut(UINT nChar, bool bShift, bool bControl) {
    if (!bControl || bShift) return false;
    UINT nID = 0;
    switch (nChar) {
        case 'B':
            nID = tessel::commands::kBold;
            break;
        case 'I':
            nID = tessel::commands::kItalic;
            break;
        case 'U':
            nID = tessel::commands::kUnderline;
            break;
        default:
            return false;
    }
    g_nFocusEdit = m_nEditID;
    ToggleFormatButton(nID);
    return true;
}

void CTesselEdit::PrevObject(CMyList* pList) {
    if (pList) m_CurPos = StepBack(*pList, m_CurPos);
}

void CTesselEdit::NextObject(CMyList* pList) {
    if (pList) m_CurPos = StepForward(*pList, m_CurPos);
}

void CTesselEdit::UpObject(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc) {
    int x = 0, y = 0, h = 0;
    RePostitionCaret(pDC, pList, pRow, rc, x, y, h);
    const int i = MovementRow(pRow, m_CurPos);
    if (i == 0) return;
    GetLinkWordChar(pDC, pList, pRow, rc, x, y - pRow[i - 1].nHeight);
}

void CTesselEdit::DownObject(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc) {
    int x = 0, y = 0, h = 0;
    RePostitionCaret(pDC, pList, pRow, rc, x, y, h);
    const int i = MovementRow(pRow, m_CurPos);
    if (pRow[i + 1].IsEndMarker()) return;
    Advance(y, pRow[i].nHeight);
    GetLinkWordChar(pDC, pList, pRow, rc, x, y);
}

void CTesselEdit::HomeObject(CDC* /*pDC*/, CMyList* /*pList*/, ROW* pRow, CRect /*rc*/) {
    m_CurPos = pRow[MovementRow(pRow, m_CurPos)].Start();
}

void CTesselEdit::EndObject(CDC* /*pDC*/, CMyList* pList, ROW* pRow, CRect /*rc*/) {
    if (!pList) return;
    const int i = MovementRow(pRow, m_CurPos);
    if (pRow[i + 1].IsEndMarker()) {
        m_CurPos = DocumentEnd(*pList);
        return;
    }
    // Before the row's last character: the next row's start is the same place as the end of
    // this one, and is drawn on the next row.
    m_CurPos = StepBack(*pList, pRow[i + 1].Start());
}

void CTesselEdit::GetLinkWordChar(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc, int nX, int nY) {
    nX = std::max(nX, 0);
    nY = std::max(nY, 0);
    if (!pList || pList->IsEmpty()) {
        m_CurPos = TEXTPOS{};
        return;
    }
    const TEXTPOS end = DocumentEnd(*pList);
    if (pRow[0].IsEndMarker()) {  // not laid out yet
        m_CurPos = end;
        return;
    }
    // The row the point is in: below the last row the point lies after the text.
    long long nSum = 0;
    int k = 0;
    while (nSum < nY) {
        if (k > kMaxRows || pRow[k].IsEndMarker()) {
            m_CurPos = end;
            ResetToolBar();
            return;
        }
        nSum += pRow[k].nHeight;
        ++k;
    }
    // On the top edge of a row the point belongs to that row.
    const int r = nSum > nY || pRow[k].IsEndMarker() ? std::max(k - 1, 0) : k;
    // The walk along the row stops where the next row starts, or where the laid-out part of
    // the document ends when this is the last row the table holds.
    const TEXTPOS next = pRow[r + 1].IsEndMarker() ? m_LaidOutEnd : pRow[r + 1].Start();
    const TEXTPOS start = pRow[r].Start();
    TEXTPOS p = start;
    int x = rc.left;
    for (;;) {
        if (x >= nX) {
            if (x != nX) p = StepBack(*pList, p);
            break;
        }
        x = rc.left;
        GetProperX(pDC, pList, x, start.nLink, start.nWord, start.nChar, p.nLink, p.nWord, p.nChar);
        if (p >= next) {
            p = StepBack(*pList, p);
            break;
        }
        // At the document's end the walk stops; a point inside the last character or object
        // still lands before it, as everywhere else on a row.
        if (p >= end) {
            if (x > nX) p = StepBack(*pList, p);
            break;
        }
        if (x < nX) p = StepForward(*pList, p);
    }
    m_CurPos = p;
    ResetToolBar();
}

void CTesselEdit::OnLeftArrow(CDC* pDC) {
    if (m_CurPos == TEXTPOS{}) return;
    PrevObject(m_pList);
    FinishMove(pDC, true);
}

void CTesselEdit::OnRightArrow(CDC* pDC) {
    NextObject(m_pList);
    FinishMove(pDC, true);
}

void CTesselEdit::OnUpArrow(CDC* pDC) {
    UpObject(pDC, m_pList, m_Row, m_rcEdit);
    FinishMove(pDC, true);
}

void CTesselEdit::OnDownArrow(CDC* pDC) {
    DownObject(pDC, m_pList, m_Row, m_rcEdit);
    FinishMove(pDC, true);
}

void CTesselEdit::OnHome(CDC* pDC) {
    HomeObject(pDC, m_pList, m_Row, m_rcEdit);
    FinishMove(pDC, false);
}

void CTesselEdit::OnEnd(CDC* pDC) {
    EndObject(pDC, m_pList, m_Row, m_rcEdit);
    FinishMove(pDC, false);
}

void CTesselEdit::FinishMove(CDC* pDC, bool bScroll) {
    DropCaret();
    if (bScroll && SetMyViewPort(pDC)) Invalidate(TRUE);
    if (m_bShiftSel) {
        // The selection follows the cursor: what it no longer covers is drawn plain, what it
        // covers now selected.
        ReShowPartSelected(pDC, m_CurPos, m_SelEnd, 0);
        m_SelEnd = m_CurPos;
        ReShowPartSelected(pDC, m_SelStart, m_CurPos, 1);
    } else if (m_bSelected) {
        m_bSelected = 0;
        m_SelStart = m_SelEnd = TEXTPOS{};
        Invalidate(TRUE);
    }
    RefreshCaret(pDC);
}

void CTesselEdit::DropCaret() {
    DestroyCaret();
    delete m_pCaretBmp;
    m_pCaretBmp = nullptr;
}

void CTesselEdit::OnLButtonDown(UINT /*nFlags*/, CPoint point) {
    SetCapture();
    SetFocus();
    g_nFocusEdit = m_nEditID;
    DropCaret();
    if (m_bSelected) {
        m_bSelected = 0;
        m_SelStart = m_SelEnd = m_CurPos;
        Invalidate(TRUE);
    }
    CClientDC dc(this);
    GetLinkWordChar(&dc, m_pList, m_Row, m_rcEdit, point.x, point.y - m_nViewOrgY);
    if (SetMyViewPort(&dc)) Invalidate(TRUE);
    m_SelStart = m_SelEnd = m_CurPos;
    // The caret comes back when the button is released.
}

void CTesselEdit::OnLButtonUp(UINT /*nFlags*/, CPoint point) {
    if (GetCapture() != this) return;
    ReleaseCapture();
    m_bSelected = 1;
    CClientDC dc(this);
    GetLinkWordChar(&dc, m_pList, m_Row, m_rcEdit, point.x, point.y - m_nViewOrgY);
    if (SetMyViewPort(&dc)) Invalidate(TRUE);
    ReShowPartSelected(&dc, m_SelStart, m_CurPos, 1);
    m_SelEnd = m_CurPos;
    if (m_SelEnd < m_SelStart) std::swap(m_SelStart, m_SelEnd);
    RefreshCaret(&dc);
}
