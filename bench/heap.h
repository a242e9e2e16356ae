#pragma once

#include <cstdint>

// The bench binary's heap.
//
// It replaces the global allocation functions so that a benchmark can tell how many blocks
// one run of an operation asks for, and it keeps the C library's allocator from giving
// freed memory back to the system after every run: a page of elements is some hundreds of
// kilobytes, and without this every read of a page would first fault its memory in again
// (a cost of the allocator's trimming policy, not of the reader).

// Heap allocations made through operator new since the program started.
std::uint64_t AllocationCount();
