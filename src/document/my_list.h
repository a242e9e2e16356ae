#pragma once

#include "document/link.h"

// A document (or a clipboard fragment, or one column of a frame) as a singly linked chain
// of elements behind a sentinel head. The cursor points at the element *before* the
// current one, so inserting before the current element and removing it are O(1).
//
// Traversal: First(), then GetCurr()/IsInList() and Next().
class CMyList {
  public:
    CMyList();
    ~CMyList();
    CMyList(const CMyList&) = delete;
    CMyList& operator=(const CMyList&) = delete;
    // Takes over the other list's chain; the other list is left empty. This list's own
    // elements are destroyed first. (A plain pointer copy would leave two owners.)
    CMyList(CMyList&& other) noexcept;
    CMyList& operator=(CMyList&& other) noexcept;

    void First() {
        m_pCursor = m_pHead;
        m_nCursor = 0;
    }
    void Next() {
        if (!m_pCursor) return;
        m_pCursor = m_pCursor->m_pNext;
        m_nCursor = m_pCursor && m_nCursor >= 0 ? m_nCursor + 1 : -1;
    }
    // Makes element nLink current (counted from 0) and returns it; past the end the cursor
    // stands after the last element and the result is null. Walks on from the cursor when it stands
    // at or before nLink, so that a layout or a drawing that visits the elements in order does not
    // walk the chain from the head for every row.
    CLink* GoTo(int nLink);
    // Steps back one element by searching from the head (the chain has no back links).
    void Prev();
    CLink* GetCurr() const { return m_pCursor ? m_pCursor->m_pNext : nullptr; }
    // The first element, without moving the cursor (a walk that must not disturb it follows
    // m_pNext from here). Null for an empty list.
    CLink* FirstLink() const { return m_pHead ? m_pHead->m_pNext : nullptr; }
    int IsInList() const { return m_pCursor && m_pCursor->m_pNext ? 1 : 0; }
    int IsEmpty() const { return m_pHead && !m_pHead->m_pNext ? 1 : 0; }

    // Attaches the element after the tail; the cursor does not move.
    void Append(CLink* pLink);
    // Puts the element before the current one; the current element stays current.
    void Insert(CLink* pLink);
    // Unlinks the current element and hands it to the caller; its successor becomes current.
    // Returns null when there is no current element.
    CLink* Remove();

    // Destroys every element; the list is empty with the cursor at the head.
    void Clear();

  private:
    void DestroyChain();

    CLink* m_pHead = nullptr;    // sentinel, never a document element
    CLink* m_pTail = nullptr;    // last element (the sentinel when empty)
    CLink* m_pCursor = nullptr;  // element before the current one; null when off the list
    int m_nCursor = 0;           // the current element's index; -1 when not known
};
