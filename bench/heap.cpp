#include "heap.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> g_nAllocations{0};

void* Allocate(std::size_t nSize) {
    g_nAllocations.fetch_add(1, std::memory_order_relaxed);
    if (nSize == 0) nSize = 1;
    return std::malloc(nSize);
}

// Freed memory stays with the allocator (up to 256 MB) instead of going back to the system.
const bool g_bNoTrim = [] {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    return true;
}();

}  // namespace

std::uint64_t AllocationCount() {
    return g_nAllocations.load(std::memory_order_relaxed);
}

// Replacements of the global allocation functions. The aligned forms are left to the
// runtime: nothing measured here allocates over-aligned objects.
void* operator new(std::size_t nSize) {
    if (void* p = Allocate(nSize)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t nSize) {
    if (void* p = Allocate(nSize)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t nSize, const std::nothrow_t&) noexcept {
    return Allocate(nSize);
}
void* operator new[](std::size_t nSize, const std::nothrow_t&) noexcept {
    return Allocate(nSize);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
