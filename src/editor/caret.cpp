// The caret: where the cursor is drawn, how tall the caret is, the caret refresh that ends
// every change, the caret bitmap offered to hosts, and the mouse cursor over the editor.
#include <algorithm>
#include <optional>

#include "editor/edit_words.h"
#include "editor/tessel_edit.h"
#include "formula/formula.h"
#include "imaging/picture.h"

using tessel::editor::IsLetterOrDigit;
using tessel::editor::WordLength;

namespace {

constexpr int kCaretWidth = 2;
constexpr int kDefaultCaretHeight = 17;  // no character before the cursor to take it from

}  // namespace

void CTesselEdit::PrevObject(CMyList* pList) {
    if (!pList) return;
    TEXTPOS& p = m_CurPos;
    int nCount = -1;
    auto count = [&] {
        if (nCount < 0) {
            nCount = 0;
            for (pList->First(); pList->IsInList(); pList->Next())
                ++nCount;
        }
        return nCount;
    };
    auto linkAt = [&](int nLink) -> CLink* {
        pList->First();
        for (int i = 0; i < nLink && pList->IsInList(); ++i)
            pList->Next();
        return pList->GetCurr();
    };
    if (p.nLink == kEndMark) {
        // After the end of the document: step back from the document's end instead.
        const int n = count();
        CLink* pLast = n > 0 ? linkAt(n - 1) : nullptr;
        if (pLast && pLast->m_nKind == kKindText)
            p = TEXTPOS{n - 1, GetLinkWordNum(pLast), 0};
        else
            p = TEXTPOS{n, 0, 0};
    }
    if (p.nLink <= 0 && p.nWord <= 0 && p.nChar <= 0) return;
    if (p.nWord == 0 && p.nChar == 0) {
        CLink* pPrev = linkAt(p.nLink - 1);
        if (!pPrev) return;
        const std::string& text = pPrev->m_Command[0].strText;
        if (pPrev->m_nKind != kKindText || text.empty()) {
            p = TEXTPOS{p.nLink - 1, 0, 0};
            return;
        }
        // Before the last character of the previous element.
        const int nLast = static_cast<int>(text.size()) - 1;
        int nWords = 0, nWordStart = 0;
        for (int nPos = 0; nPos <= nLast; ++nWords) {
            nWordStart = nPos;
            nPos += WordLength(text.c_str(), nPos, nLast);
        }
        const int nLength = WordLength(text.c_str(), nWordStart, nLast);
        const bool bLetters = IsLetterOrDigit(static_cast<unsigned char>(text[nWordStart]));
        p = TEXTPOS{p.nLink - 1, nWords - 1, bLetters ? nLength - 1 : 0};
        return;
    }
    if (p.nChar == 0) {
        CLink* pLink = linkAt(p.nLink);
        const std::string empty;
        const std::string& text = pLink ? pLink->m_Command[0].strText : empty;
        const int nStart = OffsetOf(text, p.nWord - 1, 0);
        const int nLast = static_cast<int>(text.size()) - 1;
        --p.nWord;
        p.nChar = 0;
        if (nStart <= nLast && IsLetterOrDigit(static_cast<unsigned char>(text[nStart])))
            p.nChar = WordLength(text.c_str(), nStart, nLast) - 1;
        return;
    }
    --p.nChar;
}

void CTesselEdit::RePostitionCaret(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc, int& x, int& y,
                                   int& nHeight) {
    x = rc.left;
    y = rc.top;
    if (pRow[0].IsEndMarker()) {
        // Nothing laid out yet.
        nHeight = kEmptyRowHeight;
        return;
    }
    // The display rule: a cursor at the start of a row is found at the end of the row before.
    const TEXTPOS& p = m_CurPos;
    int i = 0;
    while (i < kMaxRows - 1 && !pRow[i + 1].IsEndMarker() && p > pRow[i + 1].Start()) {
        y += pRow[i].nHeight;
        ++i;
    }
    if (!pRow[i + 1].IsEndMarker() && p == pRow[i + 1].Start()) {
        y += pRow[i].nHeight;
        nHeight = pRow[i + 1].nHeight;
        return;
    }
    GetProperX(pDC, pList, x, pRow[i].nLink, pRow[i].nWord, pRow[i].nChar, p.nLink, p.nWord,
               p.nChar);
    nHeight = pRow[i].nHeight;
}

int CTesselEdit::GetProperCharHeight(CDC* /*pDC*/, CMyList* pList) {
    if (!pList) return kDefaultCaretHeight;
    const TEXTPOS saved = m_CurPos;
    PrevObject(pList);
    int nHeight = kDefaultCaretHeight;
    pList->First();
    for (int i = 0; i < m_CurPos.nLink && pList->IsInList(); ++i)
        pList->Next();
    if (CLink* pLink = pList->GetCurr()) {
        const LINKPARAM* c = pLink->m_Command;
        switch (pLink->m_nKind) {
            case kKindText:
                // As tall as the full-size font: raised and lowered text are not halved here.
                nHeight = static_cast<int>(pLink->m_Font[1].nValue * m_dZoom + 0.5);
                break;
            case kKindImage:
                if (pLink->m_pPicture) nHeight = pLink->m_pPicture->GetHeight() * c[2].nValue / 100;
                break;
            case kKindFormula:
                if (pLink->m_pFormula) nHeight = c[3].nValue * c[1].nValue / 100;
                break;
            default:
                break;
        }
    }
    m_CurPos = saved;
    return nHeight;
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
