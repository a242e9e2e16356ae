// The changes an editor makes to its document: inserting text and elements, removing a range,
// deleting backwards, and the one way an element leaves the document.
#include "editor/edits.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "document/link_slots.h"
#include "editor/edit_words.h"
#include "editor/positions.h"

namespace tessel::editor {
namespace {

using tessel::slots::Text;

bool IsText(const CLink* pLink) {
    return pLink && pLink->m_nKind == kKindText;
}

bool IsInside(const TEXTPOS& p) {
    return p.nWord != 0 || p.nChar != 0;
}

// A new element that copies pSrc's description and holds the text given.
CLink* CopyWithText(const CLink& src, std::string text) {
    auto* p = new CLink;
    CopyLink(p, &src);
    Text(*p) = std::move(text);
    return p;
}

CLink* NewText(const CharFormat& fmt, std::string_view text) {
    auto* p = new CLink;
    InitLink(p, fmt);
    Text(*p).assign(text);
    return p;
}

// The length of the last character of a non-empty text: the last word when it is not a run
// of letters and digits, else one byte.
int LastCharLength(std::string_view text) {
    const LastWord last = LastWordOf(text);
    return IsLetterWordAt(text, last.nStart) ? 1 : last.nLength;
}

void Destroy(Document& doc, CLink* pLink) {
    if (!pLink) return;
    if (pLink->m_nKind == kKindColumnFrame && doc.releaseFrame) doc.releaseFrame(*pLink);
    delete pLink;
}

// What a removal takes goes to the cut list, or is destroyed when there is none. A frame's
// column editors are released as it leaves: a frame in a cut list keeps only its description.
void Give(Document& doc, CMyList* pCut, CLink* pLink) {
    if (!pLink) return;
    if (!pCut) {
        Destroy(doc, pLink);
        return;
    }
    if (pLink->m_nKind == kKindColumnFrame && doc.copyFrame) {
        doc.copyFrame(*pLink, *pCut);
        Destroy(doc, pLink);
        return;
    }
    if (pLink->m_nKind == kKindColumnFrame && doc.releaseFrame) doc.releaseFrame(*pLink);
    pCut->Append(pLink);
}

void EnsureNotEmpty(Document& doc, const CharFormat& fmt) {
    if (!doc.list.IsEmpty()) return;
    doc.list.Append(NewText(fmt, {}));
    doc.cursor = TEXTPOS{};
}

// Whether two elements carry the same hot link: no link at all, or the same action with the
// same parameters. Runs whose links go to different places stay apart when they meet, so
// that neither takes the other's target.
bool SameHotLink(const CLink& a, const CLink& b) {
    if (a.m_HotLink[0].nValue == kNoHotLink && b.m_HotLink[0].nValue == kNoHotLink) return true;
    return std::equal(std::begin(a.m_HotLink), std::end(a.m_HotLink), std::begin(b.m_HotLink));
}

}  // namespace

CLink* TakeLink(Document& doc, int nLink) {
    if (nLink < 0) return nullptr;
    CMyList& list = doc.list;
    list.First();
    for (int i = 0; i < nLink && list.IsInList(); ++i)
        list.Next();
    CLink* pLink = list.Remove();
    if (!pLink) return nullptr;
    for (TEXTPOS* p : {&doc.cursor, &doc.selStart, &doc.selEnd}) {
        if (p->nLink == kEndMark) continue;
        if (p->nLink > nLink)
            --p->nLink;
        else if (p->nLink == nLink)
            *p = TEXTPOS{nLink, 0, 0};
    }
    return pLink;
}

void RemoveLink(Document& doc, int nLink) {
    Destroy(doc, TakeLink(doc, nLink));
}

void InsertLinkAt(CMyList& list, int nLink, CLink* pLink) {
    // GoTo walks on from the list's cursor, which an insertion leaves on the inserted element,
    // so a run of insertions one after another costs one step each.
    list.GoTo(nLink);
    if (list.IsInList())
        list.Insert(pLink);
    else
        list.Append(pLink);
}

void InsertText(Document& doc, std::string_view s, const CharFormat& fmt) {
    if (s.empty()) return;
    TEXTPOS& cursor = doc.cursor;
    const int e = cursor.nLink;
    CLink* pCur = LinkAt(doc.list, e);
    CLink* pPrev = LinkAt(doc.list, e - 1);
    if (IsText(pCur) && (IsFontSame(pCur, fmt) || IsInside(cursor))) {
        std::string& text = Text(*pCur);
        const int k = OffsetOf(text, cursor.nWord, cursor.nChar);
        if (IsFontSame(pCur, fmt)) {
            // Into the element itself.
            text.insert(static_cast<std::size_t>(k), s);
            cursor = PositionAt(e, text, k + static_cast<int>(s.size()));
            if (cursor.nWord >= WordCount(text)) cursor = TEXTPOS{e + 1, 0, 0};
            return;
        }
        // Inside an element of another format: it is split around a new element.
        CLink* pRight = CopyWithText(*pCur, text.substr(static_cast<std::size_t>(k)));
        text.resize(static_cast<std::size_t>(k));
        InsertLinkAt(doc.list, e + 1, NewText(fmt, s));
        InsertLinkAt(doc.list, e + 2, pRight);
        cursor = TEXTPOS{e + 2, 0, 0};
        return;
    }
    if (IsText(pPrev) && IsFontSame(pPrev, fmt)) {
        // After a Text element in the format: it grows; the cursor still stands after it.
        Text(*pPrev).append(s);
        return;
    }
    InsertLinkAt(doc.list, e, NewText(fmt, s));
    cursor = TEXTPOS{e + 1, 0, 0};
}

bool InsertElement(Document& doc, CLink* pLink) {
    TEXTPOS& cursor = doc.cursor;
    const int e = cursor.nLink;
    CLink* pPrev = LinkAt(doc.list, e - 1);
    if (e < 0 || (e > 0 && !pPrev)) {
        Destroy(doc, pLink);
        return false;
    }
    CLink* pCur = LinkAt(doc.list, e);
    if (IsText(pLink) && IsText(pPrev) && IsFontSameEachother(pPrev, pLink) &&
        SameHotLink(*pPrev, *pLink) && (!pCur || !IsInside(cursor))) {
        Text(*pPrev).append(Text(*pLink));
        delete pLink;
        return true;
    }
    if (IsText(pCur) && IsInside(cursor)) {
        std::string& text = Text(*pCur);
        const int k = OffsetOf(text, cursor.nWord, cursor.nChar);
        CLink* pRight = CopyWithText(*pCur, text.substr(static_cast<std::size_t>(k)));
        text.resize(static_cast<std::size_t>(k));
        InsertLinkAt(doc.list, e + 1, pLink);
        InsertLinkAt(doc.list, e + 2, pRight);
        cursor = TEXTPOS{e + 2, 0, 0};
        return true;
    }
    InsertLinkAt(doc.list, e, pLink);
    cursor = TEXTPOS{e + 1, 0, 0};
    return true;
}

bool RemoveRange(Document& doc, TEXTPOS s, TEXTPOS t, CMyList* pCut, const CharFormat& fmt) {
    if (s == t) return false;
    if (t < s) std::swap(s, t);
    CLink* pFirst = LinkAt(doc.list, s.nLink);
    if (!pFirst) return false;

    if (IsText(pFirst) && s.nLink == t.nLink) {
        // Within one Text element: the bytes between the two ends go.
        std::string& text = Text(*pFirst);
        const int ks = OffsetOf(text, s.nWord, s.nChar);
        const int kt = std::max(ks, OffsetOf(text, t.nWord, t.nChar));
        const auto nFrom = static_cast<std::size_t>(ks), nCount = static_cast<std::size_t>(kt - ks);
        if (pCut) pCut->Append(CopyWithText(*pFirst, text.substr(nFrom, nCount)));
        text.erase(nFrom, nCount);
        doc.cursor = PositionAt(s.nLink, text, ks);
        // The place after the element's last word is written as the start of the next one.
        if (doc.cursor.nWord >= WordCount(text) && pFirst->m_pNext)
            doc.cursor = TEXTPOS{s.nLink + 1, 0, 0};
        if (text.empty()) {
            RemoveLink(doc, s.nLink);
            doc.cursor = TEXTPOS{s.nLink, 0, 0};
        }
        EnsureNotEmpty(doc, fmt);
        return true;
    }

    // Across elements: the first one loses its bytes from s on (or goes whole when s is at its
    // start), every element up to t's goes whole, and t's element loses its bytes before t.
    int i = s.nLink;
    for (int n = s.nLink; n < t.nLink; ++n) {
        CLink* pLink = LinkAt(doc.list, i);
        if (!pLink) break;
        if (n == s.nLink && IsText(pLink) && IsInside(s)) {
            std::string& text = Text(*pLink);
            const int ks = OffsetOf(text, s.nWord, s.nChar);
            Give(doc, pCut, CopyWithText(*pLink, text.substr(static_cast<std::size_t>(ks))));
            text.resize(static_cast<std::size_t>(ks));
            ++i;
            continue;
        }
        Give(doc, pCut, TakeLink(doc, i));
    }
    if (CLink* pLast = LinkAt(doc.list, i); IsText(pLast) && IsInside(t)) {
        std::string& text = Text(*pLast);
        const int kt = OffsetOf(text, t.nWord, t.nChar);
        Give(doc, pCut, CopyWithText(*pLast, text.substr(0, static_cast<std::size_t>(kt))));
        text.erase(0, static_cast<std::size_t>(kt));
        if (text.empty()) RemoveLink(doc, i);
    }
    doc.cursor = IsInside(s) ? TEXTPOS{s.nLink + 1, 0, 0} : s;
    EnsureNotEmpty(doc, fmt);
    return true;
}

bool CopyRange(Document& doc, TEXTPOS s, TEXTPOS t, CMyList& out) {
    if (s == t) return false;
    if (t < s) std::swap(s, t);
    const CLink* pFirst = LinkAt(doc.list, s.nLink);
    if (!pFirst) return false;
    bool bCopied = false;
    auto copyPart = [&](const CLink& link, int nFrom, int nTo) {
        const std::string& text = Text(link);
        const auto nStart = static_cast<std::size_t>(nFrom);
        out.Append(CopyWithText(link, text.substr(nStart, static_cast<std::size_t>(nTo) - nStart)));
        bCopied = true;
    };
    auto copyWhole = [&](const CLink& link) {
        bCopied = true;
        if (link.m_nKind == kKindColumnFrame && doc.copyFrame) {
            doc.copyFrame(link, out);
            return;
        }
        auto* p = new CLink;
        CopyLink(p, &link);
        out.Append(p);
    };
    if (IsText(pFirst) && s.nLink == t.nLink) {
        const std::string& text = Text(*pFirst);
        const int ks = OffsetOf(text, s.nWord, s.nChar);
        copyPart(*pFirst, ks, std::max(ks, OffsetOf(text, t.nWord, t.nChar)));
        return true;
    }
    // The elements are visited along their chain: the walk leaves the list's cursor alone.
    const CLink* pLink = pFirst;
    for (int n = s.nLink; n <= t.nLink && pLink; ++n, pLink = pLink->m_pNext) {
        const std::string& text = Text(*pLink);
        if (n == t.nLink) {
            // The last element counts only for the bytes of a Text element before t.
            if (IsText(pLink) && IsInside(t)) copyPart(*pLink, 0, OffsetOf(text, t.nWord, t.nChar));
            break;
        }
        if (n == s.nLink && IsText(pLink) && IsInside(s))
            copyPart(*pLink, OffsetOf(text, s.nWord, s.nChar), static_cast<int>(text.size()));
        else
            copyWhole(*pLink);
    }
    return bCopied;
}

void DeleteBefore(Document& doc, const CharFormat& fmt) {
    TEXTPOS& cursor = doc.cursor;
    if (cursor == TEXTPOS{}) return;
    const int e = cursor.nLink;
    CLink* pCur = LinkAt(doc.list, e);
    if (IsText(pCur) && IsInside(cursor)) {
        // Inside a Text element: the character before the cursor goes.
        std::string& text = Text(*pCur);
        const int k = OffsetOf(text, cursor.nWord, cursor.nChar);
        int nLength = 1;
        if (cursor.nChar == 0) {
            const int nStart = OffsetOf(text, cursor.nWord - 1, 0);
            if (nStart < k && IsLeadByte(static_cast<unsigned char>(text[nStart])))
                nLength = k - nStart;
        }
        nLength = std::min(nLength, k);
        if (nLength > 0) text.erase(static_cast<std::size_t>(k - nLength), nLength);
        cursor = PositionAt(e, text, k - nLength);
    } else {
        CLink* pPrev = LinkAt(doc.list, e - 1);
        if (!pPrev) return;
        if (IsText(pPrev) && Text(*pPrev).empty()) {
            // Empty Text elements before the cursor go, and no character with them.
            for (int i = e - 1; i >= 0; --i) {
                CLink* p = LinkAt(doc.list, i);
                if (!IsText(p) || !Text(*p).empty()) break;
                RemoveLink(doc, i);
            }
        } else if (IsText(pPrev)) {
            std::string& text = Text(*pPrev);
            const int nLength = LastCharLength(text);
            if (nLength == static_cast<int>(text.size()))
                RemoveLink(doc, e - 1);
            else
                text.resize(text.size() - static_cast<std::size_t>(nLength));
        } else {
            RemoveLink(doc, e - 1);
        }
    }
    EnsureNotEmpty(doc, fmt);
}

}  // namespace tessel::editor
