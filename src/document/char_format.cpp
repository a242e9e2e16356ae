#include "document/char_format.h"

#include <algorithm>

namespace {
int Bit(int n) {
    return n ? 1 : 0;
}
}  // namespace

int CharFormat::FootNote() const {
    if (bRaised && !bLowered) return kFootNoteRaised;
    if (bLowered && !bRaised) return kFootNoteLowered;
    return kFootNoteNormal;
}

FormatKey FormatKey::Of(const CLink& link) {
    return {link.m_Font[0].strText,  link.m_Font[1].nValue,  link.m_Font[2].nValue,
            link.m_Font[3].nValue,   link.m_Font[4].nValue,  link.m_Color[0].nValue,
            link.m_Color[1].nValue,  link.m_Color[2].nValue, link.m_FootNote[0].nValue,
            link.m_HotLink[0].nValue};
}

FormatKey FormatKey::Of(const CharFormat& fmt) {
    return {fmt.strFontName, fmt.nFontSize, Bit(fmt.bItalic), Bit(fmt.bBold), Bit(fmt.bUnderline),
            fmt.nRed,        fmt.nGreen,    fmt.nBlue,        fmt.FootNote(), fmt.nHotLink};
}

void CopyLink(CLink* pDest, const CLink* pSrc) {
    pDest->m_nKind = pSrc->m_nKind;
    pDest->m_pNext = nullptr;
    std::copy(std::begin(pSrc->m_Font), std::end(pSrc->m_Font), pDest->m_Font);
    std::copy(std::begin(pSrc->m_Color), std::end(pSrc->m_Color), pDest->m_Color);
    std::copy(std::begin(pSrc->m_FootNote), std::end(pSrc->m_FootNote), pDest->m_FootNote);
    std::copy(std::begin(pSrc->m_HotLink), std::end(pSrc->m_HotLink), pDest->m_HotLink);
    std::copy(std::begin(pSrc->m_Command), std::end(pSrc->m_Command), pDest->m_Command);
}

void InitLink(CLink* pLink, const CharFormat& fmt) {
    pLink->m_nKind = kKindText;
    pLink->m_Font[0].strText = fmt.strFontName;
    pLink->m_Font[1].nValue = fmt.nFontSize;
    pLink->m_Font[2].nValue = Bit(fmt.bItalic);
    pLink->m_Font[3].nValue = Bit(fmt.bBold);
    pLink->m_Font[4].nValue = Bit(fmt.bUnderline);
    pLink->m_Color[0].nValue = fmt.nRed;
    pLink->m_Color[1].nValue = fmt.nGreen;
    pLink->m_Color[2].nValue = fmt.nBlue;
    pLink->m_FootNote[0].nValue = fmt.FootNote();
    pLink->m_HotLink[0].nValue = fmt.nHotLink;
    pLink->m_pNext = nullptr;
}

int IsFontSame(const CLink* pLink, const CharFormat& fmt) {
    return FormatKey::Of(*pLink) == FormatKey::Of(fmt) ? 1 : 0;
}

int IsFontSameEachother(const CLink* pA, const CLink* pB) {
    return FormatKey::Of(*pA) == FormatKey::Of(*pB) ? 1 : 0;
}
