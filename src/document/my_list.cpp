#include "document/my_list.h"

#include <utility>

CMyList::CMyList() : m_pHead(new CLink), m_pTail(m_pHead), m_pCursor(m_pHead) {}

CMyList::~CMyList() {
    DestroyChain();
}

CMyList::CMyList(CMyList&& other) noexcept
    : m_pHead(std::exchange(other.m_pHead, new CLink)),
      m_pTail(std::exchange(other.m_pTail, other.m_pHead)),
      m_pCursor(std::exchange(other.m_pCursor, other.m_pHead)) {}

CMyList& CMyList::operator=(CMyList&& other) noexcept {
    if (this != &other) {
        DestroyChain();
        m_pHead = std::exchange(other.m_pHead, new CLink);
        m_pTail = std::exchange(other.m_pTail, other.m_pHead);
        m_pCursor = std::exchange(other.m_pCursor, other.m_pHead);
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
}

void CMyList::Prev() {
    // From the head there is no previous element: the list is left without a current one.
    if (m_pCursor == m_pHead) {
        m_pCursor = nullptr;
        return;
    }
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
    if (!pLink->m_pNext) m_pTail = pLink;
}

CLink* CMyList::Remove() {
    CLink* pLink = GetCurr();
    if (!pLink) return nullptr;
    m_pCursor->m_pNext = pLink->m_pNext;
    if (!m_pCursor->m_pNext) m_pTail = m_pCursor;
    pLink->m_pNext = nullptr;
    return pLink;
}
