#include "allocation_counter.h"

#include <cstdlib>
#include <new>

// Kept in a translation unit of their own, so that no caller sees their bodies.
namespace {
std::size_t g_nAllocated = 0;

void* Allocate(std::size_t n) {
    g_nAllocated += n;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

std::size_t tessel::imaging::test::BytesAllocated() {
    return g_nAllocated;
}

void* operator new(std::size_t n) {
    return Allocate(n);
}
void* operator new[](std::size_t n) {
    return Allocate(n);
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
