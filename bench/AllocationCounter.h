#pragma once

#include <cstddef>

namespace kelvarn::bench {

// Bytes currently held on the heap by this program (as the allocator sizes blocks).
std::size_t liveHeapBytes();

} // namespace kelvarn::bench
