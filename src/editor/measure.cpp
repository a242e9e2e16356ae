// Words, fonts and widths: how the editor cuts text into words, builds the font of a Text
// element, and measures words, parts of elements and stretches of a row. The layout, the
// drawing and the caret all count positions with GetWord and OffsetOf, so that a position
// (element, word, byte) means the same bytes everywhere.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "document/link_slots.h"
#include "editor/edit_extent.h"
#include "editor/edit_words.h"
#include "editor/tessel_edit.h"
#include "formula/formula.h"
#include "imaging/picture.h"
#include "platform/file_path.h"

namespace slots = tessel::slots;

using tessel::editor::Advance;
using tessel::editor::Extent;
using tessel::editor::Scaled;

using tessel::editor::IsLeadByte;
using tessel::editor::WordLength;

namespace {

// Copies a face name into a LOGFONT's 32 bytes, never cutting a double-byte character in two.
void CopyFaceName(char (&szFace)[LF_FACESIZE], const std::string& strName) {
    int n = 0;
    const int nMax = LF_FACESIZE - 1;
    const int nSize = static_cast<int>(strName.size());
    while (n < nSize && strName[n] != '\0') {
        const int nStep = IsLeadByte(static_cast<unsigned char>(strName[n])) ? 2 : 1;
        if (n + nStep > nMax || n + nStep > nSize) break;
        n += nStep;
    }
    std::memcpy(szFace, strName.data(), n);
    szFace[n] = '\0';
}

}  // namespace

int CTesselEdit::GetWord(const char* pszText, char* pszWord, int& nPos, int nLast) {
    const int nLength = WordLength(std::string_view(pszText, nLast + 1), nPos);
    std::memcpy(pszWord, pszText + nPos, nLength);
    pszWord[nLength] = '\0';
    nPos += nLength;
    return nLength;
}

int CTesselEdit::GetWordWidth(CDC* pDC, char* pszWord) {
    if (!pDC || !pszWord || pszWord[0] == '\0') return 0;
    return pDC->GetTextExtent(pszWord, static_cast<int>(std::strlen(pszWord))).cx;
}

int CTesselEdit::GetLinkWordNum(CLink* pLink) {
    return tessel::editor::WordCount(pLink);
}

int CTesselEdit::OffsetOf(const std::string& text, int nWord, int nChar) {
    return tessel::editor::OffsetOf(text, nWord, nChar,
                                    m_nWordHintScopes > 0 ? &m_WordHint : nullptr);
}

// From (nWord0, nChar0) to (nWord1, nChar1): the start is word nWord0's offset plus nChar0 and
// the end word nWord1's offset plus nChar1 (the end of word nWord1 for 60000, the end of the
// text for nWord1 = 60000), so that a part ending inside a word and the next part starting
// there meet at the same byte. A start of 60000 bytes counts as 0 when the part runs to the end
// of the text. Offsets never pass the end of the text; an end before the start gives nothing.
std::string_view CTesselEdit::TextPart(const std::string& text, int nWord0, int nChar0, int nWord1,
                                       int nChar1) {
    if (nWord1 == kEndMark && nChar0 == kEndMark) nChar0 = 0;
    const int nStart = OffsetOf(text, nWord0, nChar0);
    const int nEnd = OffsetOf(text, nWord1, nChar1);
    if (nEnd <= nStart) return {};
    return std::string_view(text).substr(nStart, nEnd - nStart);
}

LOGFONT CTesselEdit::TextFont(const CLink* pLink, bool bFootNote) const {
    LOGFONT lf;
    // Whatever the page's size and the zoom, the height stays one a font can have.
    const double dPixels = pLink->m_Font[1].nValue * m_dZoom + 0.5;
    lf.lfHeight = -static_cast<int>(std::clamp(dPixels, -double(tessel::editor::kMaxFontPixels),
                                               double(tessel::editor::kMaxFontPixels)));
    if (bFootNote && pLink->m_FootNote[0].nValue != kFootNoteNormal) lf.lfHeight /= 2;
    lf.lfWidth = lf.lfEscapement = lf.lfOrientation = 0;
    // Plain text asks for the thinnest weight (100), not the normal 400.
    lf.lfWeight = pLink->m_Font[3].nValue == 1 ? FW_BOLD : FW_THIN;
    lf.lfItalic = pLink->m_Font[2].nValue == 1 ? 1 : 0;
    lf.lfUnderline = pLink->m_Font[4].nValue == 1 ? 1 : 0;
    lf.lfStrikeOut = 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = 5;
    lf.lfClipPrecision = lf.lfQuality = lf.lfPitchAndFamily = 0;
    CopyFaceName(lf.lfFaceName, pLink->m_Font[0].strText);
    return lf;
}

int CTesselEdit::GetTextLength(CDC* pDC, CLink* pLink, int nWord0, int nChar0, int nWord1,
                               int nChar1) {
    if (nWord0 == nWord1 && nChar0 == nChar1) return 0;
    if (!pDC || !pLink || pLink->m_nKind != kKindText) return 0;
    std::string_view part = TextPart(slots::Text(*pLink), nWord0, nChar0, nWord1, nChar1);
    if (!part.empty() && part.back() == '\n') part.remove_suffix(1);
    const LOGFONT lf = TextFont(pLink);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* pOld = pDC->SelectObject(&font);
    const int nWidth = pDC->GetTextExtent(part).cx;
    pDC->SelectObject(pOld);
    return nWidth;
}

// Pictures and formulas are found with ResolvePath relative to the project directory, rather
// than by making the project directory the process's current directory: the host's current
// directory is left alone, and a page that names its files the Windows way ("Image\A.BMP")
// finds them whatever the case of the names on disk.
bool CTesselEdit::EnsurePicture(CLink* pLink, bool bKeepFailed) {
    if (pLink->m_pPicture) {
        if (pLink->m_pPicture->IsLoaded() || bKeepFailed) return pLink->m_pPicture->IsLoaded();
        pLink->m_pPicture = nullptr;  // kept by an earlier measurement: load it again
    }
    const std::string strPath =
        tessel::platform::ResolvePath(ProjectDirectory(), slots::FileName(*pLink));
    auto pPicture = std::make_unique<CPicture>();
    const bool bLoaded = pPicture->Load(strPath.c_str()) != 0;
    if (bLoaded || bKeepFailed) pLink->m_pPicture = pPicture.release();
    return bLoaded;
}

bool CTesselEdit::EnsureFormula(CLink* pLink) {
    if (pLink->m_pFormula) return true;
    const std::string strPath =
        tessel::platform::ResolvePath(ProjectDirectory(), slots::FileName(*pLink));
    auto pFormula = std::make_unique<CFormula>();
    if (!pFormula->Open(strPath.c_str())) return false;
    // The formula's own rectangle has slack below its drawing; the element takes only the
    // height it draws in.
    const CRect rc = pFormula->GetRect();
    slots::FormulaWidth(*pLink) = rc.Width();
    slots::FormulaHeight(*pLink) = rc.Height() - CFormula::kBottomSlack;
    pLink->m_pFormula = pFormula.release();
    return true;
}

void CTesselEdit::GetProperX(CDC* pDC, CMyList* pList, int& x, int nLink0, int nWord0, int nChar0,
                             int nLink1, int nWord1, int nChar1) {
    if (!pList) return;
    pList->GoTo(nLink0);
    if (nLink0 == nLink1) {
        CLink* pLink = pList->GetCurr();
        if (!pLink) {
            x = 0;
            return;
        }
        x += GetTextLength(pDC, pLink, nWord0, nChar0, nWord1, nChar1);
        return;
    }
    for (int i = nLink0; i < nLink1 && pList->IsInList(); ++i, pList->Next()) {
        CLink* pLink = pList->GetCurr();
        switch (pLink->m_nKind) {
            case kKindText:
                Advance(x, i == nLink0
                               ? GetTextLength(pDC, pLink, nWord0, nChar0, kEndMark, kEndMark)
                               : GetTextLength(pDC, pLink, 0, 0, kEndMark, kEndMark));
                break;
            case kKindImage:
                // A picture that cannot be loaded is kept here (it is 0 wide); the next
                // layout releases it and tries again.
                EnsurePicture(pLink, true);
                Advance(x, Scaled(pLink->m_pPicture->GetWidth(), slots::ImageScale(*pLink)));
                break;
            case kKindFormula:
                if (!EnsureFormula(pLink)) return;
                Advance(x, Scaled(slots::FormulaWidth(*pLink), slots::FormulaScale(*pLink)));
                break;
            case kKindEdit:
                Advance(x, slots::EditWidth(*pLink));
                break;
            case kKindCheck:
            case kKindChoice:
            case kKindDate:
            case kKindTime:
            case kKindReverseTime:
            case kKindCountTime:
                Advance(x, 18);
                break;
            case kKindPageTotalScore:
            case kKindPageScore:
            case kKindTotalScore:
                Advance(x, slots::ScoreWidth(*pLink));
                break;
            default:
                break;
        }
    }
    if (CLink* pLink = pList->GetCurr();
        pLink && pLink->m_nKind == kKindText && (nWord1 != 0 || nChar1 != 0))
        Advance(x, GetTextLength(pDC, pLink, 0, 0, nWord1, nChar1));
}
