// The row table: SetRow tidies the document and breaks it into rows; the Get*LineMaxHeight
// functions decide how much of a row each kind of element takes and how tall it makes it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

#include "document/link_slots.h"
#include "editor/edit_bitmaps.h"
#include "editor/edit_extent.h"
#include "editor/edit_frames.h"
#include "editor/tessel_edit.h"
#include "formula/formula.h"
#include "imaging/picture.h"

namespace slots = tessel::slots;

using tessel::editor::Advance;
using tessel::editor::Extent;
using tessel::editor::FrameColumns;
using tessel::editor::FrameNumber;
using tessel::editor::Scaled;

namespace {

using tessel::editor::LinkAt;
using tessel::slots::ChoiceOptions;

bool IsEmptyText(const CLink* pLink) {
    return pLink->m_nKind == kKindText && tessel::slots::Text(*pLink).empty();
}

}  // namespace

bool CTesselEdit::LoadFailedInThisLayout(const CLink* pLink) const {
    return m_bInLayout &&
           std::find(m_LoadFailures.begin(), m_LoadFailures.end(), pLink) != m_LoadFailures.end();
}

void CTesselEdit::SetRow(CDC* pDC) {
    if (!m_pList) return;
    m_LaidOutEnd = TEXTPOS{kEndMark, kEndMark, kEndMark};

    // An empty document: the cursor and the selection go back to the start. (A placeholder
    // element would be removed again by the cleanup below, so none is made.)
    if (m_pList->IsEmpty()) m_CurPos = m_SelStart = m_SelEnd = TEXTPOS{};

    // Elements leave through the one removal routine, which keeps the cursor and the
    // selection on the same places.
    tessel::editor::Document doc = Doc(*m_pList);

    if (m_nEditID == -1) {
        // A frame whose number another frame already has (a pasted copy) gets the first free
        // number and column editors holding copies of the first frame's columns.
        for (CLink* pFrame = m_pList->FirstLink(); pFrame; pFrame = pFrame->m_pNext) {
            if (pFrame->m_nKind != kKindColumnFrame || FrameColumns(*pFrame) < 1) continue;
            const int f = FrameNumber(*pFrame);
            if (f < 0) continue;
            for (CLink* pDup = pFrame->m_pNext; pDup;) {
                CLink* pNext = pDup->m_pNext;
                const int nDup = FrameColumns(*pDup);
                if (pDup->m_nKind == kKindColumnFrame && nDup >= 1 && FrameNumber(*pDup) == f) {
                    int g = 0;
                    while (g < kMaxFrames && m_pChildEdit[g][0])
                        ++g;
                    if (g == kMaxFrames) {
                        // No free place in the table of column editors: the copy is dropped
                        // (its columns are its original's, which stay).
                        int nIndex = 0;
                        for (CLink* p = m_pList->FirstLink(); p != pDup; p = p->m_pNext)
                            ++nIndex;
                        delete tessel::editor::TakeLink(doc, nIndex);
                    } else {
                        slots::ColumnWidth(*pDup, nDup) = g;  // its frame number
                        for (int i = 0; i < nDup; ++i) {
                            auto* pColumn = new CMyList;
                            if (CTesselEdit* pSource = m_pChildEdit[f][i];
                                pSource && pSource->m_pList) {
                                CMyList& source = *pSource->m_pList;
                                for (source.First(); source.IsInList(); source.Next()) {
                                    auto* pCopy = new CLink;
                                    CopyLink(pCopy, source.GetCurr());
                                    pColumn->Append(pCopy);
                                }
                            }
                            MakeColumnEditor(g, i, slots::ColumnWidth(*pDup, i), pColumn);
                        }
                    }
                }
                pDup = pNext;
            }
        }
    } else {
        // A column cannot hold a frame.
        for (int i = 0; CLink* pLink = LinkAt(*m_pList, i);) {
            if (pLink->m_nKind == kKindColumnFrame)
                tessel::editor::RemoveLink(doc, i);
            else
                ++i;
        }
    }

    for (int r = 0; r < kMaxRows; ++r)
        m_Row[r] = ROW{0, 0, 0, 0};
    if (m_pList->IsEmpty()) {
        m_Row[0] = ROW{kEmptyRowHeight, 0, 0, 0};
        m_Row[1] = ROW{};
        return;
    }

    // Option counts: each Choice counts the option boxes after it, up to the next Choice.
    CLink* pChoice = nullptr;
    int nOptions = 0;
    for (CLink* pLink = m_pList->FirstLink(); pLink; pLink = pLink->m_pNext) {
        if (pLink->m_nKind == kKindChoice) {
            if (pChoice) ChoiceOptions(*pChoice) = nOptions;
            pChoice = pLink;
            nOptions = 0;
        } else if (tessel::slots::IsOptionBox(*pLink)) {
            ++nOptions;
        }
    }
    if (pChoice) ChoiceOptions(*pChoice) = nOptions;

    // Cleanup: empty Text elements and Choices without options go. The selection ends follow
    // their elements; the cursor keeps the page's own counting: it moves back once for each
    // removed element whose index in the list as it was before the cleanup is below the
    // cursor's element at that moment.
    // (The walk keeps the next element: a removal looks its element up by index once.)
    CLink* pCheck = m_pList->FirstLink();
    for (int i = 0, nOriginal = 0; pCheck; ++nOriginal) {
        CLink* pNext = pCheck->m_pNext;
        if (IsEmptyText(pCheck) ||
            (pCheck->m_nKind == kKindChoice && ChoiceOptions(*pCheck) == 0)) {
            const TEXTPOS cursor = m_CurPos;
            tessel::editor::RemoveLink(doc, i);
            m_CurPos = cursor;
            if (nOriginal < m_CurPos.nLink && m_CurPos.nLink != kEndMark) --m_CurPos.nLink;
        } else {
            ++i;
        }
        pCheck = pNext;
    }

    m_LoadFailures.clear();
    m_bInLayout = true;
    WordHintScope hints(*this);
    TEXTPOS p;
    int r = 0;
    while (p.nLink != kEndMark && r < kMaxRows) {
        const TEXTPOS start = p;
        int x = m_rcEdit.left, nHeight = 0;
        GetLineMaxHeight(pDC, m_pList, m_rcEdit, x, nHeight, p.nLink, p.nWord, p.nChar);
        if (p.nLink != kEndMark) {
            CLink* pLink = m_pList->GoTo(p.nLink);
            if (p.nChar == kEndMark) {
                // The row ended after word p.nWord: the next row starts with the next word,
                // or with the next element after the element's last word. (A word after
                // p.nWord is there when its offset is inside the text: the same as p.nWord
                // being below GetLinkWordNum - 1, without counting every word again.)
                const std::string& text = slots::Text(*pLink);
                if (pLink->m_nKind == kKindText &&
                    OffsetOf(text, p.nWord + 1, 0) < static_cast<int>(text.size()))
                    p = TEXTPOS{p.nLink, p.nWord + 1, 0};
                else
                    p.nWord = p.nChar = kEndMark;
            }
            if (p.nWord == kEndMark) p = TEXTPOS{p.nLink + 1, 0, 0};
        }
        if (nHeight == 0) nHeight = kEmptyRowHeight;
        m_Row[r++] = ROW{nHeight, start.nLink, start.nWord, start.nChar};
    }
    m_Row[r] = ROW{};
    m_LaidOutEnd = p.nLink == kEndMark ? TEXTPOS{kEndMark, kEndMark, kEndMark} : p;
    m_bInLayout = false;
    m_bLayoutReusable = m_LoadFailures.empty();
    m_LoadFailures.clear();
    m_nLaidOutDigest = LayoutDigest();
}

namespace {

// A 64-bit digest that takes eight bytes at a step: the layout's inputs are some 50 slots per
// element, and a page of hundreds of elements is digested twice per keystroke.
struct Digest {
    std::uint64_t n = 0x9E3779B97F4A7C15ull;
    void Word(std::uint64_t v) {
        n = (n ^ v) * 0xFF51AFD7ED558CCDull;
        n ^= n >> 32;
    }
    void Bytes(const void* p, std::size_t nSize) {
        const auto* b = static_cast<const unsigned char*>(p);
        std::size_t i = 0;
        for (; i + 8 <= nSize; i += 8) {
            std::uint64_t v;
            std::memcpy(&v, b + i, 8);
            Word(v);
        }
        std::uint64_t nLast = nSize;
        for (; i < nSize; ++i)
            nLast = (nLast << 8) | b[i];
        Word(nLast);
    }
    template <class T>
    void Value(const T& v) {
        if constexpr (std::is_pointer_v<T>)
            Word(reinterpret_cast<std::uintptr_t>(v));
        else if constexpr (std::is_integral_v<T>)
            Word(static_cast<std::uint64_t>(v));
        else
            Bytes(&v, sizeof v);
    }
    void Slots(std::span<const LINKPARAM> slots) {
        for (const LINKPARAM& slot : slots) {
            Word(static_cast<std::uint32_t>(slot.nValue));
            if (!slot.strText.empty()) Bytes(slot.strText.data(), slot.strText.size());
        }
    }
};

}  // namespace

std::uint64_t CTesselEdit::LayoutDigest() const {
    Digest d;
    d.Value(m_pList);
    d.Value(m_rcEdit.left);
    d.Value(m_rcEdit.top);
    d.Value(m_rcEdit.right);
    d.Value(m_rcEdit.bottom);
    d.Value(m_dZoom);
    d.Value(m_nCharSpace);
    d.Value(m_nLineSpace);
    d.Value(m_nEditID);
    if (!m_pList) return d.n;
    for (const CLink* pLink = m_pList->FirstLink(); pLink; pLink = pLink->m_pNext) {
        d.Value(pLink);
        d.Value(pLink->m_nKind);
        d.Slots(pLink->m_Font);
        d.Slots(pLink->m_Color);
        d.Slots(pLink->m_FootNote);
        d.Slots(pLink->m_HotLink);
        d.Slots(pLink->m_Command);
        const CPicture* pPicture = pLink->m_pPicture.get();
        d.Value(pPicture);
        if (pPicture) {
            d.Value(pPicture->IsLoaded());
            d.Value(pPicture->IsLoaded() ? pPicture->GetWidth() : 0);
            d.Value(pPicture->IsLoaded() ? pPicture->GetHeight() : 0);
        }
        d.Value(pLink->m_pFormula.get());
    }
    for (const auto& frame : m_pChildEdit) {
        for (CTesselEdit* pColumn : frame) {
            d.Value(pColumn);
            if (pColumn) d.Value(pColumn->GetWinHeight());
        }
    }
    const std::string& strDir = ProjectDirectory();
    d.Value(strDir.size());
    d.Bytes(strDir.data(), strDir.size());
    // The row table itself, in case something other than the layout wrote it.
    d.Bytes(m_Row, sizeof m_Row);
    return d.n;
}

int CTesselEdit::GetLineMaxHeight(CDC* pDC, CMyList* pList, CRect rc, int& x, int& nHeight,
                                  int& nLink, int& nWord, int& nChar) {
    pList->GoTo(nLink);
    int bFitted = 1;
    while (bFitted && pList->IsInList()) {
        CLink* pLink = pList->GetCurr();
        if (pLink->m_nKind != kKindText) nWord = nChar = 0;
        switch (pLink->m_nKind) {
            case kKindText:
                bFitted = GetTextLineMaxHeight(pDC, rc, pLink, x, nHeight, nWord, nChar);
                break;
            case kKindImage:
                bFitted = GetImageLineMaxHeight(pDC, rc, pLink, x, nHeight);
                break;
            case kKindFormula:
                bFitted = GetFormulaLineMaxHeight(pDC, rc, pLink, x, nHeight);
                break;
            case kKindEdit:
                bFitted = GetEditLineMaxHeight(pDC, rc, pLink, x, nHeight);
                break;
            case kKindCheck:
                bFitted = GetBitmapLineMaxHeight(
                    pDC, tessel::editor::CheckBitmap(slots::CheckState(*pLink)), rc, x, nHeight);
                break;
            case kKindChoice:
                bFitted = GetBitmapLineMaxHeight(pDC, tessel::editor::kBitmapList, rc, x, nHeight);
                break;
            case kKindPageTotalScore:
            case kKindPageScore:
            case kKindTotalScore:
                bFitted = GetScoreLineMaxHeight(pDC, rc, pLink, x, nHeight);
                break;
            case kKindColumnFrame: {
                // A frame stands alone on its row, as tall as its tallest column; after
                // anything else on the row it starts the next one.
                if (x != rc.left) return 0;
                ++nLink;
                nWord = nChar = 0;
                nHeight = 0;
                const int n = FrameColumns(*pLink), f = FrameNumber(*pLink);
                for (int i = 0; f >= 0 && i < n; ++i)
                    if (CTesselEdit* pColumn = m_pChildEdit[f][i])
                        nHeight = std::max(nHeight, pColumn->GetWinHeight());
                return 0;
            }
            default:
                break;  // takes no room
        }
        if (bFitted) {
            pList->Next();
            ++nLink;
            nWord = nChar = 0;
        }
    }
    if (pList->IsInList()) return 0;
    nLink = nWord = nChar = kEndMark;
    return 1;
}

int CTesselEdit::GetTextLineMaxHeight(CDC* pDC, CRect rc, CLink* pLink, int& x, int& nHeight,
                                      int& nWord, int& nChar) {
    const LOGFONT lf = TextFont(pLink);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* pOld = pDC->SelectObject(&font);
    const int nFontHeight = std::abs(lf.lfHeight);
    nHeight = std::max(nHeight, Extent(static_cast<long long>(nFontHeight) + m_nLineSpace));

    const std::string& text = slots::Text(*pLink);
    const char* pszText = text.c_str();
    const int nLast = static_cast<int>(text.size()) - 1;
    const int W = rc.Width();
    // The platform places characters one by one at whole-pixel advances, so the width of a
    // word of single bytes (its text extent) is the sum of its bytes' advances: one table per
    // element saves converting every word for measuring.
    int anAdvance[128] = {};
    pDC->GetCharWidth(0, 127, anAdvance);
    auto advance = [&anAdvance](char c) { return anAdvance[static_cast<unsigned char>(c) & 0x7F]; };
    int nPos = OffsetOf(text, nWord, 0);
    int nFirstChar = nChar;  // bytes of the first word placed on earlier rows
    int bFitted = 1;
    char szWord[128];
    for (int k = nWord; nPos <= nLast; ++k) {
        const int nLength = GetWord(pszText, szWord, nPos, nLast);
        const auto c = static_cast<unsigned char>(szWord[0]);
        const int nSkip = std::exchange(nFirstChar, 0);
        if (c == '\n') {
            // A line feed ends the row; the next one starts after it.
            nWord = k;
            nChar = kEndMark;
            if (nPos > nLast) nWord = kEndMark;
            bFitted = 0;
            break;
        }
        if (c >= 0x80) {
            // A double-byte character takes a square cell and stays on the row even when it
            // reaches past the right edge.
            Advance(x, static_cast<long long>(nFontHeight) + m_nCharSpace);
            if (x > rc.right) {
                nWord = k;
                nChar = kEndMark;
                bFitted = 0;
                break;
            }
            continue;
        }
        int v = 0;
        for (int j = 0; j < nLength; ++j)
            v += advance(szWord[j]);
        if (v > W - 10) {
            // Too long for any line: broken between bytes where the edge falls.
            int j = std::clamp(nSkip, 0, nLength);
            for (; j < nLength && x <= rc.right; ++j)
                Advance(x, static_cast<long long>(advance(szWord[j])) + m_nCharSpace);
            if (x > rc.right) {
                // The byte that crossed the edge starts the next row; when the row was already
                // full before the word (an object wider than the line), the word starts it
                // where it stood.
                nWord = k;
                nChar = std::max(j - 1, std::clamp(nSkip, 0, nLength - 1));
                bFitted = 0;
                break;
            }
            continue;
        }
        Advance(x, v);
        if (x > rc.right) {
            nWord = k;
            nChar = 0;
            bFitted = 0;
            break;
        }
    }
    if (bFitted) nWord = nChar = kEndMark;
    pDC->SelectObject(pOld);
    return bFitted;
}

int CTesselEdit::PlaceObject(const CRect& rc, int w, int h, bool bAdvanceWhenWide, int& x,
                             int& nHeight) {
    w = Extent(w);
    h = Extent(h);
    if (w < rc.Width()) {
        if (static_cast<long long>(x) + w >= rc.right) return 0;
        Advance(x, w);
    } else if (bAdvanceWhenWide) {
        Advance(x, w);
    }
    nHeight = std::max(nHeight, Extent(static_cast<long long>(h) + m_nLineSpace));
    return 1;
}

int CTesselEdit::GetImageLineMaxHeight(CDC* /*pDC*/, CRect rc, CLink* pLink, int& x, int& nHeight) {
    if (LoadFailedInThisLayout(pLink)) return 0;
    if (!EnsurePicture(pLink, false)) {
        if (m_bInLayout) m_LoadFailures.push_back(pLink);
        return 0;
    }
    const int z = slots::ImageScale(*pLink);
    return PlaceObject(rc, Scaled(pLink->m_pPicture->GetWidth(), z),
                       Scaled(pLink->m_pPicture->GetHeight(), z), true, x, nHeight);
}

int CTesselEdit::GetFormulaLineMaxHeight(CDC* /*pDC*/, CRect rc, CLink* pLink, int& x,
                                         int& nHeight) {
    if (LoadFailedInThisLayout(pLink)) return 0;
    if (!EnsureFormula(pLink)) {
        if (m_bInLayout) m_LoadFailures.push_back(pLink);
        return 0;
    }
    const int z = slots::FormulaScale(*pLink);
    return PlaceObject(rc, Scaled(slots::FormulaWidth(*pLink), z),
                       Scaled(slots::FormulaHeight(*pLink), z), true, x, nHeight);
}

int CTesselEdit::GetEditLineMaxHeight(CDC* /*pDC*/, CRect rc, CLink* pLink, int& x, int& nHeight) {
    return PlaceObject(rc, slots::EditWidth(*pLink), slots::EditHeight(*pLink), false, x, nHeight);
}

int CTesselEdit::GetScoreLineMaxHeight(CDC* /*pDC*/, CRect rc, CLink* pLink, int& x, int& nHeight) {
    // The size of the label as the last drawing measured it (0 before the first drawing).
    return PlaceObject(rc, slots::ScoreWidth(*pLink), slots::ScoreHeight(*pLink), false, x,
                       nHeight);
}

int CTesselEdit::GetBitmapLineMaxHeight(CDC* /*pDC*/, unsigned int nBitmapID, CRect rc, int& x,
                                        int& nHeight) {
    const tessel::imaging::DibImage* pDib = tessel::editor::ResourceBitmap(nBitmapID);
    if (!pDib) return 0;
    return PlaceObject(rc, pDib->Width(), pDib->Height(), false, x, nHeight);
}

int CTesselEdit::GetWinHeight() {
    int nHeight = 0;
    for (int r = 0; r <= kMaxRows && m_Row[r].nHeight != kEndMark; ++r)
        Advance(nHeight, m_Row[r].nHeight);
    return nHeight;
}
