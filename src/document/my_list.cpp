#include "document/my_list.h"

#include <utility>

CMyList::CMyList() : m_pHead(new CLink), m_pTail(m_pHead), m_pCursor(m_pHead) {}

CMyList::~CMyList() {
    DestroyChain();
}

CMyList::CMyList(CMyList&& other) noexcept
    : m_pHead(std::exchange(other.m_pHead, new CLink)),
      m_pTail(std::exchange(other.m_pTail, other.m_pHead)),
      m_pCursor(std::exchange(other.m_pCursor, other.m_pHead)),
      m_nCursor(std::exchange(other.m_nCursor, 0)) {}

CMyList& CMyList::operator=(CMyList&& other) noexcept {
    if (this != &other) {
        DestroyChain();
        m_pHead = std::exchange(other.m_pHead, new CLink);
        m_pTail = std::exchange(other.m_pTail, other.m_pHead);
        m_pCursor = std::exchange(other.m_pCursor, other.m_pHead);
        m_nCursor = std::exchange(other.m_nCursor, 0);
    }
    return *this;
}

void CMyList::DestroyChain() {
    CLink* p = m_pHead;
    while (p) {
        CLink* pNext = p->m_pNext;
        delete p;
        p = pNext;
    }
    m_pHead = m_pTail = m_pCursor = nullptr;
    m_nCursor = -1;
}

void CMyList::Clear() {
    CLink* p = m_pHead ? m_pHead->m_pNext : nullptr;
    while (p) {
        CLink* pNext = p->m_pNext;
        delete p;
        p = pNext;
    }
    if (m_pHead) m_pHead->m_pNext = nullptr;
    m_pTail = m_pCursor = m_pHead;
    m_nCursor = 0;
}

void CMyList::Prev() {
    // From the head there is no previous element: the list is left without a current one.
    if (m_pCursor == m_pHead) {
        m_pCursor = nullptr;
        m_nCursor = -1;
        return;
    }
    m_nCursor = m_pCursor && m_nCursor > 0 ? m_nCursor - 1 : -1;
    // Searching for null ends on the last element, which is the end position.
    CLink* p = m_pHead;
    while (p && p->m_pNext != m_pCursor)
        p = p->m_pNext;
    m_pCursor = p;
}

void CMyList::Append(CLink* pLink) {
    if (!m_pHead || !m_pTail || !pLink) return;
    m_pTail->m_pNext = pLink;
    m_pTail = pLink;
}

void CMyList::Insert(CLink* pLink) {
    if (!m_pCursor || !pLink) return;
    pLink->m_pNext = m_pCursor->m_pNext;
    m_pCursor->m_pNext = pLink;
    m_pCursor = pLink;
    if (m_nCursor >= 0) ++m_nCursor;
    if (!pLink->m_pNext) m_pTail = pLink;
}

CLink* CMyList::GoTo(int nLink) {
    if (!m_pCursor || m_nCursor < 0 || m_nCursor > nLink) First();
    while (m_nCursor < nLink && IsInList())
        Next();
    return GetCurr();
}

CLink* CMyList::Remove() {
    CLink* pLink = GetCurr();
    if (!pLink) return nullptr;
    m_pCursor->m_pNext = pLink->m_pNext;
    if (!m_pCursor->m_pNext) m_pTail = m_pCursor;
    pLink->m_pNext = nullptr;
    return pLink;
}
