// Every element is made and destroyed in large numbers (a page read makes a few hundred of
// them): the loops over the slot banks that construct and destroy their 47 slots are
// unrolled, which saves about a third of the instructions of both. (The option has to come
// before the class's declaration to apply to its constructor and destructor.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("unroll-loops")
#endif

#include "document/link.h"

#include <new>

namespace {

// Under a sanitizer every element gets memory of its own, so that a use after delete is
// still caught.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kKeepFreed = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || \
    __has_feature(thread_sanitizer)
constexpr bool kKeepFreed = false;
#else
constexpr bool kKeepFreed = true;
#endif
#else
constexpr bool kKeepFreed = true;
#endif

// The memory of elements freed on this thread, chained through its first bytes. Trivially
// destructible, so that it can be used until the thread ends; the drain below gives the
// memory back when the thread ends and closes the list.
struct FreedLinks {
    static constexpr int kMax = 1024;  // about 2 MB
    void* pHead;
    int nCount;
    bool bClosed;
};
thread_local FreedLinks t_freed{nullptr, 0, false};

struct FreedLinksDrain {
    FreedLinksDrain() = default;
    FreedLinksDrain(const FreedLinksDrain&) = delete;
    FreedLinksDrain& operator=(const FreedLinksDrain&) = delete;
    ~FreedLinksDrain() {
        t_freed.bClosed = true;
        while (void* p = t_freed.pHead) {
            t_freed.pHead = *static_cast<void**>(p);
            ::operator delete(p);
        }
        t_freed.nCount = 0;
    }
};
thread_local FreedLinksDrain t_drain;

}  // namespace

void* CLink::operator new(std::size_t nSize) {
    if (kKeepFreed && nSize == sizeof(CLink) && t_freed.pHead) {
        void* p = t_freed.pHead;
        t_freed.pHead = *static_cast<void**>(p);
        --t_freed.nCount;
        return p;
    }
    return ::operator new(nSize);
}

void CLink::operator delete(void* p, std::size_t nSize) noexcept {
    if (!p) return;
    if (kKeepFreed && nSize == sizeof(CLink) && !t_freed.bClosed &&
        t_freed.nCount < FreedLinks::kMax) {
        if (!t_freed.pHead) static_cast<void>(&t_drain);  // drained when the thread ends
        *static_cast<void**>(p) = t_freed.pHead;
        t_freed.pHead = p;
        ++t_freed.nCount;
        return;
    }
    ::operator delete(p);
}

CLink::CLink() {
    for (LINKPARAM& slot : m_HotLink)
        slot.nValue = kNoHotLink;
}

CLink::~CLink() {
    // The picture goes first, then the formula, as the element's owner expects.
    m_pPicture.reset();
    m_pFormula.reset();
}
