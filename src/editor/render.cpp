// Drawing: the document row by row from the row table, each element at the running x and
// bottom-aligned in its row, off screen and copied to the window in one transfer. y is a
// document coordinate (row 0 at 0); scrolling is the context's viewport origin.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <unordered_map>

#include "document/link_slots.h"
#include "editor/edit_bitmaps.h"
#include "editor/edit_extent.h"
#include "editor/edit_frames.h"
#include "editor/positions.h"
#include "editor/tessel_edit.h"
#include "formula/formula.h"
#include "imaging/decoders/bmp_decoder.h"
#include "imaging/picture.h"
#include "resources/bitmaps.h"

namespace slots = tessel::slots;

using tessel::editor::Advance;
using tessel::editor::Extent;
using tessel::editor::kMaxColumnHeight;
using tessel::editor::Scaled;

namespace tessel::editor {

const imaging::DibImage* ResourceBitmap(unsigned nID) {
    static std::unordered_map<unsigned, std::unique_ptr<imaging::DibImage>> cache;
    auto [it, bNew] = cache.try_emplace(nID);
    if (bNew) {
        if (auto dib = imaging::ReadBmp(resources::BitmapResource(nID)))
            it->second = std::make_unique<imaging::DibImage>(std::move(*dib));
    }
    return it->second.get();
}

}  // namespace tessel::editor

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

const char* ScoreLabel(int nKind) {
    switch (nKind) {
        case kKindPageTotalScore:
            return "Page Total Score";
        case kKindPageScore:
            return "Page Score";
        case kKindTotalScore:
            return "Total Score";
        default:
            return "";
    }
}

std::uint32_t CopyRop(int bSelect) {
    return bSelect ? NOTSRCCOPY : SRCCOPY;
}

}  // namespace

int CTesselEdit::DrawMyList(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc) {
    CDC memDC;
    const bool bDC = memDC.CreateCompatibleDC(pDC);
    if (!m_pMemBitmap) m_pMemBitmap = new CBitmap;
    if (!bDC || !m_pMemBitmap->CreateCompatibleBitmap(pDC, rc.Width(), rc.Height())) {
        delete m_pMemBitmap;
        m_pMemBitmap = nullptr;
        return 0;
    }
    CBitmap* pOldBitmap = memDC.SelectObject(m_pMemBitmap);
    // The whole area is white before anything is drawn, so rows scrolled away leave nothing.
    memDC.PatBlt(rc.left, rc.top, rc.Width(), rc.Height(), WHITENESS);
    memDC.SetViewportOrg(0, m_nViewOrgY);
    m_nBandTop = rc.top - m_nViewOrgY;
    m_nBandBottom = rc.bottom - m_nViewOrgY;
    ShowMyList(&memDC, pList, pRow, rc, 0);
    m_nBandTop = INT_MIN;
    m_nBandBottom = INT_MAX;
    memDC.SetViewportOrg(0, 0);
    pDC->SetViewportOrg(0, 0);
    pDC->BitBlt(rc.left, rc.top, rc.Width(), rc.Height(), &memDC, rc.left, rc.top, SRCCOPY);
    memDC.SelectObject(pOldBitmap);
    m_pMemBitmap->DeleteObject();
    delete m_pMemBitmap;
    m_pMemBitmap = nullptr;
    // What is drawn next on pDC (the selection, the caret's place) is in document coordinates.
    pDC->SetViewportOrg(0, m_nViewOrgY);
    return 1;
}

void CTesselEdit::ShowMyList(CDC* pDC, CMyList* pList, ROW* pRow, CRect /*rc*/, int bSelect) {
    if (!pList || !pRow) return;
    WordHintScope hints(*this);
    int y = 0;
    for (int r = 0; r < kMaxRows && !pRow[r].IsEndMarker(); ++r) {
        int x = m_rcEdit.left;
        int nHeight = pRow[r].nHeight;
        const ROW& next = pRow[r + 1];
        ShowMyListOneLine(pDC, pList, x, y, nHeight, pRow[r].nLink, pRow[r].nWord, pRow[r].nChar,
                          next.nLink, next.nWord, next.nChar, bSelect);
        y += pRow[r].nHeight;
    }
}

void CTesselEdit::ShowMyListOneLine(CDC* pDC, CMyList* pList, int& x, int y, int& nHeight,
                                    int nLink0, int nWord0, int nChar0, int nLink1, int nWord1,
                                    int nChar1, int bSelect) {
    if (!pList) return;
    if (nLink1 == kEndMark) {
        nLink1 = tessel::editor::LinkCount(*pList);
        nWord1 = nChar1 = 0;
    }
    pList->GoTo(nLink0);
    for (int i = nLink0; i <= nLink1 && pList->IsInList(); ++i, pList->Next()) {
        CLink* pLink = pList->GetCurr();
        if (pLink->m_nKind == kKindText) {
            if (nLink0 == nLink1)
                ShowTextOneLink(pDC, pLink, x, y, nHeight, nWord0, nChar0, nWord1, nChar1, bSelect);
            else if (i == nLink0)
                ShowTextOneLink(pDC, pLink, x, y, nHeight, nWord0, nChar0, kEndMark, kEndMark,
                                bSelect);
            else if (i == nLink1)
                ShowTextOneLink(pDC, pLink, x, y, nHeight, 0, 0, nWord1, nChar1, bSelect);
            else
                ShowTextOneLink(pDC, pLink, x, y, nHeight, 0, 0, kEndMark, kEndMark, bSelect);
            continue;
        }
        if (i == nLink1) continue;  // an object at the end position starts the next row
        switch (pLink->m_nKind) {
            case kKindImage:
                ShowImageOneLink(pDC, pLink, x, y, nHeight, bSelect);
                break;
            case kKindFormula:
                ShowFormulaOneLink(pDC, pLink, x, y, nHeight, bSelect);
                break;
            case kKindEdit:
                ShowEditOneLink(pDC, pLink, x, y, nHeight, bSelect);
                break;
            case kKindCheck:
                ShowBmpOneLink(pDC, tessel::editor::CheckBitmap(slots::CheckState(*pLink)), x, y,
                               nHeight, bSelect);
                break;
            case kKindChoice:
                ShowBmpOneLink(pDC, tessel::editor::kBitmapList, x, y, nHeight, bSelect);
                break;
            case kKindPageTotalScore:
            case kKindPageScore:
            case kKindTotalScore:
                ShowScoreOneLink(pDC, pLink, x, y, nHeight, bSelect);
                break;
            case kKindColumnFrame:
                ShowMColumnOneLink(pDC, pLink, x, y, nHeight, bSelect);
                break;
            default:
                break;
        }
    }
}

void CTesselEdit::ShowTextOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight, int nWord0,
                                  int nChar0, int nWord1, int nChar1, int bSelect) {
    std::string_view part = TextPart(slots::Text(*pLink), nWord0, nChar0, nWord1, nChar1);
    const LOGFONT lf = TextFont(pLink);
    const int nFontHeight = std::abs(lf.lfHeight);
    // Lowered text shares the bottom of normal text; raised text sits one half-size higher.
    const int nTop = pLink->m_FootNote[0].nValue == kFootNoteRaised ? y + nHeight - 2 * nFontHeight
                                                                    : y + nHeight - nFontHeight;
    const COLORREF crText =
        pLink->m_HotLink[0].nValue == kNoHotLink
            ? RGB(pLink->m_Color[0].nValue, pLink->m_Color[1].nValue, pLink->m_Color[2].nValue)
            : m_crHotLink;
    pDC->SetTextColor(crText);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* pOldFont = pDC->SelectObject(&font);
    COLORREF crOldText = 0, crOldBk = 0;
    if (bSelect) {
        crOldText = pDC->SetTextColor(kWhite);
        crOldBk = pDC->SetBkColor(kBlack);
    }
    if (!part.empty() && part.back() == '\n') part.remove_suffix(1);
    // A text cell reaches at most a row height above and below its row (raised text starts
    // up to one row height higher; the cell is taller than the font): beyond that, a row
    // outside the bitmap being drawn leaves no pixel in it.
    const bool bVisible = y + 2 * nHeight > m_nBandTop && y - nHeight < m_nBandBottom;
    if (bVisible) pDC->TextOut(x, nTop, part);
    Advance(x, pDC->GetTextExtent(part).cx);
    pDC->SelectObject(pOldFont);
    if (bSelect) {
        pDC->SetTextColor(crOldText);
        pDC->SetBkColor(crOldBk);
    }
}

void CTesselEdit::ShowImageOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight,
                                   int bSelect) {
    if (slots::ImageScale(*pLink) == 0) slots::ImageScale(*pLink) = 100;
    const int z = slots::ImageScale(*pLink);
    if (!pLink->m_pPicture) return;
    const int w = pLink->m_pPicture->GetWidth(), h = pLink->m_pPicture->GetHeight();
    CDC memDC;
    CBitmap bitmap;
    if (!memDC.CreateCompatibleDC(pDC) || !bitmap.CreateCompatibleBitmap(pDC, w, h)) return;
    CBitmap* pOld = memDC.SelectObject(&bitmap);
    memDC.PatBlt(0, 0, w, h, WHITENESS);
    pLink->m_pPicture->Draw(&memDC, 0, 0, nullptr, nullptr, 1);
    const int sw = Scaled(w, z), sh = Scaled(h, z);
    pDC->StretchBlt(x, y + nHeight - sh, sw, sh, &memDC, 0, 0, w, h, CopyRop(bSelect));
    memDC.SelectObject(pOld);
    Advance(x, sw);
}

void CTesselEdit::ShowFormulaOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight,
                                     int bSelect) {
    const int z = slots::FormulaScale(*pLink);
    const int w = Scaled(slots::FormulaWidth(*pLink), z),
              h = Scaled(slots::FormulaHeight(*pLink), z);
    if (w == 0 || h == 0 || !pLink->m_pFormula) return;
    CDC memDC;
    CBitmap bitmap;
    if (!memDC.CreateCompatibleDC(pDC) || !bitmap.CreateCompatibleBitmap(pDC, w, h)) return;
    CBitmap* pOld = memDC.SelectObject(&bitmap);
    memDC.PatBlt(0, 0, w, h, WHITENESS);
    pLink->m_pFormula->Draw(&memDC, CRect(0, 0, w, h), 1.0);
    pDC->BitBlt(x, y + nHeight - h, w, h, &memDC, 0, 0, CopyRop(bSelect));
    memDC.SelectObject(pOld);
    Advance(x, w);
}

void CTesselEdit::ShowBmpOneLink(CDC* pDC, unsigned int nBitmapID, int& x, int y, int nHeight,
                                 int bSelect) {
    const tessel::imaging::DibImage* pDib = tessel::editor::ResourceBitmap(nBitmapID);
    if (!pDib) return;
    CDC memDC;
    CBitmap bitmap;
    if (!memDC.CreateCompatibleDC(pDC) ||
        !bitmap.CreateFromDib(reinterpret_cast<const BITMAPINFO*>(&pDib->info), pDib->bits.data()))
        return;
    const int w = pDib->Width(), h = pDib->Height();
    CBitmap* pOld = memDC.SelectObject(&bitmap);
    pDC->BitBlt(x, y + nHeight - h, w, h, &memDC, 0, 0, CopyRop(bSelect));
    memDC.SelectObject(pOld);
    Advance(x, w);
}

// Every edit frame is drawn as the same plain rectangle, whatever its style; a selection does
// not change it.
void CTesselEdit::ShowEditOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight,
                                  int /*bSelect*/) {
    const int w = Extent(slots::EditWidth(*pLink)), h = Extent(slots::EditHeight(*pLink));
    pDC->Rectangle(x, y + nHeight - h, x + w - 2, y + nHeight - 2);
    Advance(x, w);
}

void CTesselEdit::ShowScoreOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight,
                                   int bSelect) {
    const std::string_view label = ScoreLabel(pLink->m_nKind);
    if (label.empty()) return;
    CDC memDC;
    if (!memDC.CreateCompatibleDC(pDC)) return;
    const LOGFONT lf = TextFont(pLink, false);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* pOldFont = memDC.SelectObject(&font);
    const CSize size = memDC.GetTextExtent(label);
    // The layout takes the field's size from the last drawing.
    slots::ScoreWidth(*pLink) = size.cx;
    slots::ScoreHeight(*pLink) = size.cy;
    CBitmap bitmap;
    if (bitmap.CreateCompatibleBitmap(pDC, size.cx, size.cy)) {
        CBitmap* pOldBitmap = memDC.SelectObject(&bitmap);
        memDC.SetTextColor(
            RGB(pLink->m_Color[0].nValue, pLink->m_Color[1].nValue, pLink->m_Color[2].nValue));
        memDC.TextOut(0, 0, label);
        pDC->BitBlt(x, y + nHeight - size.cy, size.cx, size.cy, &memDC, 0, 0, CopyRop(bSelect));
        memDC.SelectObject(pOldBitmap);
        Advance(x, size.cx);
    }
    memDC.SelectObject(pOldFont);
}

// The columns of a frame are column editors, child windows that paint themselves: drawing the
// frame places their windows over the frame's row (always from the left edge), and draws
// their content here only for the selected look.
void CTesselEdit::ShowMColumnOneLink(CDC* /*pDC*/, CLink* pLink, int /*x*/, int y, int nHeight,
                                     int bSelect) {
    const int n = tessel::editor::FrameColumns(*pLink), f = tessel::editor::FrameNumber(*pLink);
    if (n < 0 || f < 0) return;
    const int nGap = Extent(slots::ColumnGap(*pLink));
    // A column's window is never taller than kMaxColumnHeight (nor wider than this editor):
    // the page's sizes are not trusted to size windows, each of which has pixels of its own.
    const int nWindowHeight = std::clamp(nHeight, 0, kMaxColumnHeight);
    int cx = 0;
    for (int i = 0; i < n; ++i) {
        CTesselEdit* pColumn = m_pChildEdit[f][i];
        const int nWidth =
            std::clamp(slots::ColumnWidth(*pLink, i), 0, std::max(0, m_rcEdit.Width()));
        if (!pColumn) {
            Advance(cx, static_cast<long long>(nWidth) + nGap);
            continue;
        }
        if (!pColumn->m_hWnd) {
            // Columns need this editor's window to live in.
            if (!m_hWnd) return;
            const char* szClass =
                AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, m_hIBeam);
            if (!pColumn->CreateEx(WS_EX_TRANSPARENT, szClass, "", WS_CHILD | WS_BORDER, 0, 0,
                                   nWidth, 0, m_hWnd, 0))
                return;
            pColumn->ShowWindow(SW_SHOW);
        }
        pColumn->MoveWindow(cx, y + m_nViewOrgY, nWidth, nWindowHeight, TRUE);
        pColumn->m_rcEdit = CRect(0, 0, nWidth, nWindowHeight);
        pColumn->m_nViewOrgY = 0;
        Advance(cx, static_cast<long long>(nWidth) + nGap);
        pColumn->ShowWindow(SW_SHOW);
        if (bSelect) {
            CClientDC dc(pColumn);
            pColumn->ShowMyList(&dc, pColumn->m_pList, pColumn->m_Row, pColumn->m_rcEdit, 1);
        } else {
            pColumn->Invalidate(TRUE);
        }
    }
}
