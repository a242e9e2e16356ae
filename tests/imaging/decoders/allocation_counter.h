#pragma once

#include <cstddef>

namespace tessel::imaging::test {

// Bytes asked of operator new since the test program started (allocation_counter.cpp
// replaces the global allocation functions), so that a test can tell that a refused header
// allocated nothing.
std::size_t BytesAllocated();

}  // namespace tessel::imaging::test
