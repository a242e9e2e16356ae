// Positions in a document and the one-step moves between them.
#include "editor/positions.h"

#include <algorithm>

#include "document/link_slots.h"
#include "editor/edit_words.h"

namespace tessel::editor {

CLink* LinkAt(const CMyList& list, int nLink) {
    if (nLink < 0) return nullptr;
    CLink* p = list.FirstLink();
    for (int i = 0; p && i < nLink; ++i)
        p = p->m_pNext;
    return p;
}

int LinkCount(const CMyList& list) {
    int n = 0;
    for (CLink* p = list.FirstLink(); p; p = p->m_pNext)
        ++n;
    return n;
}

int WordCount(std::string_view text) {
    const int nSize = static_cast<int>(text.size());
    int nWords = 0;
    for (int nPos = 0; nPos < nSize; nPos += WordLength(text, nPos))
        ++nWords;
    return nWords;
}

int WordCount(const CLink* pLink) {
    if (!pLink || pLink->m_nKind != kKindText) return 0;
    return WordCount(tessel::slots::Text(*pLink));
}

int OffsetOf(std::string_view text, int nWord, int nChar, WordHint* pHint) {
    const int nSize = static_cast<int>(text.size());
    if (nWord == kEndMark) return nSize;
    int nPos = 0, k = 0;
    if (pHint && pHint->pData == text.data() && pHint->nSize == text.size() &&
        pHint->nWord <= nWord) {
        k = pHint->nWord;
        nPos = pHint->nPos;
    }
    for (; k < nWord && nPos < nSize; ++k)
        nPos += WordLength(text, nPos);
    if (pHint && nPos < nSize) *pHint = WordHint{text.data(), text.size(), k, nPos};
    if (nChar == kEndMark) nChar = nPos < nSize ? WordLength(text, nPos) : 0;
    return std::clamp(nPos + std::max(nChar, 0), 0, nSize);
}

TEXTPOS PositionAt(int nLink, std::string_view text, int k) {
    const int nSize = static_cast<int>(text.size());
    k = std::clamp(k, 0, nSize);
    int nPos = 0, nWords = 0, nLength = 0;
    while (nPos < k) {
        nLength = WordLength(text, nPos);
        nPos += nLength;
        ++nWords;
    }
    if (nPos == k) return TEXTPOS{nLink, nWords, 0};
    return TEXTPOS{nLink, nWords - 1, k - (nPos - nLength)};
}

LastWord LastWordOf(std::string_view text) {
    LastWord last;
    const int nSize = static_cast<int>(text.size());
    int nWords = 0;
    for (int nPos = 0; nPos < nSize; ++nWords) {
        last.nStart = nPos;
        last.nLength = WordLength(text, nPos);
        nPos += last.nLength;
    }
    last.nIndex = std::max(nWords - 1, 0);
    return last;
}

bool IsLetterWordAt(std::string_view text, int nStart) {
    return nStart >= 0 && nStart < static_cast<int>(text.size()) &&
           IsLetterOrDigit(static_cast<unsigned char>(text[nStart]));
}

TEXTPOS DocumentEnd(const CMyList& list) {
    int n = 0;
    const CLink* pLast = nullptr;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext, ++n)
        pLast = p;
    if (pLast && pLast->m_nKind == kKindText) return TEXTPOS{n - 1, WordCount(pLast), 0};
    return TEXTPOS{n, 0, 0};
}

namespace {
// What an element counts for in a document offset.
int ElementLength(const CLink& link) {
    return link.m_nKind == kKindText ? static_cast<int>(tessel::slots::Text(link).size()) : 1;
}
}  // namespace

int DocumentOffsetOf(const CMyList& list, TEXTPOS p) {
    if (p.nLink == kEndMark) p = DocumentEnd(list);
    int nOffset = 0, n = 0;
    for (const CLink* pLink = list.FirstLink(); pLink; pLink = pLink->m_pNext, ++n) {
        if (n < p.nLink) {
            nOffset += ElementLength(*pLink);
            continue;
        }
        if (pLink->m_nKind == kKindText)
            nOffset += OffsetOf(tessel::slots::Text(*pLink), p.nWord, p.nChar);
        break;
    }
    return nOffset;
}

TEXTPOS PositionAtDocumentOffset(const CMyList& list, int nOffset) {
    nOffset = std::max(nOffset, 0);
    int n = 0;
    for (const CLink* pLink = list.FirstLink(); pLink; pLink = pLink->m_pNext, ++n) {
        const int nLength = ElementLength(*pLink);
        if (nOffset < nLength) {
            if (pLink->m_nKind != kKindText) return TEXTPOS{n, 0, 0};
            return PositionAt(n, tessel::slots::Text(*pLink), nOffset);
        }
        nOffset -= nLength;
    }
    return DocumentEnd(list);
}

TEXTPOS StepBack(const CMyList& list, TEXTPOS p) {
    // After the end of the document: step back from the document's end.
    if (p.nLink == kEndMark) p = DocumentEnd(list);
    p.nLink = std::max(p.nLink, 0);
    p.nWord = std::max(p.nWord, 0);
    p.nChar = std::max(p.nChar, 0);
    if (p == TEXTPOS{}) return p;
    if (p.nWord == 0 && p.nChar == 0) {
        // At the start of an element: before the last character of the one before it.
        const CLink* pPrev = LinkAt(list, p.nLink - 1);
        if (!pPrev) return p;
        const std::string& text = tessel::slots::Text(*pPrev);
        if (pPrev->m_nKind != kKindText || text.empty()) return TEXTPOS{p.nLink - 1, 0, 0};
        const LastWord last = LastWordOf(text);
        return TEXTPOS{p.nLink - 1, last.nIndex,
                       IsLetterWordAt(text, last.nStart) ? last.nLength - 1 : 0};
    }
    if (p.nChar == 0) {
        // Before the last byte of the word before.
        const CLink* pLink = LinkAt(list, p.nLink);
        const std::string_view text = pLink && pLink->m_nKind == kKindText
                                          ? std::string_view(tessel::slots::Text(*pLink))
                                          : std::string_view();
        const int nStart = OffsetOf(text, p.nWord - 1, 0);
        const int nLength = nStart < static_cast<int>(text.size()) ? WordLength(text, nStart) : 0;
        return TEXTPOS{p.nLink, p.nWord - 1, IsLetterWordAt(text, nStart) ? nLength - 1 : 0};
    }
    --p.nChar;
    return p;
}

TEXTPOS StepForward(const CMyList& list, TEXTPOS p) {
    if (p.nLink == kEndMark) return TEXTPOS{LinkCount(list), 0, 0};
    const CLink* pLink = LinkAt(list, p.nLink);
    if (!pLink) return p;
    if (pLink->m_nKind != kKindText) return TEXTPOS{p.nLink + 1, 0, 0};
    const std::string& text = tessel::slots::Text(*pLink);
    const int nStart = OffsetOf(text, p.nWord, 0);
    if (nStart < static_cast<int>(text.size())) {
        if (!IsLetterWordAt(text, nStart)) {
            ++p.nWord;
            p.nChar = 0;
        } else if (++p.nChar >= WordLength(text, nStart)) {
            ++p.nWord;
            p.nChar = 0;
        }
    }
    const int nWords = WordCount(text);
    if (p.nWord >= nWords) {
        if (pLink->m_pNext) return TEXTPOS{p.nLink + 1, 0, 0};
        return TEXTPOS{p.nLink, nWords, 0};
    }
    return p;
}

bool IsPosition(const CMyList& list, TEXTPOS p) {
    if (p.nLink < 0 || p.nWord < 0 || p.nChar < 0) return false;
    const int n = LinkCount(list);
    if (p.nLink >= n) return p == TEXTPOS{n, 0, 0};
    const CLink* pLink = LinkAt(list, p.nLink);
    if (pLink->m_nKind != kKindText) return p.nWord == 0 && p.nChar == 0;
    const std::string& text = tessel::slots::Text(*pLink);
    const int nWords = WordCount(text);
    if (p.nWord > nWords) return false;
    if (p.nWord == nWords) return p.nChar == 0;
    if (p.nChar == 0) return true;
    const int nStart = OffsetOf(text, p.nWord, 0);
    return IsLetterWordAt(text, nStart) && p.nChar < WordLength(text, nStart);
}

}  // namespace tessel::editor
