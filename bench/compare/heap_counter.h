// Exact heap accounting for compare_bench.
//
// malloc, free and their relatives are defined in this executable and forward to the C library's own
// entry points, so every block, whether from our code, operator new or a shared library under test,
// passes through one pair of counters. Counting is always on: it costs a malloc_usable_size call and
// an add per call, the same for every library, and needs no switch that a block could cross.
//
// Invariants: liveBytes() is the sum of malloc_usable_size over the blocks not yet freed; peakBytes()
// the greatest liveBytes() since the last resetPeak(). The counters are plain integers: one thread.
// Under AddressSanitizer the sanitizer owns malloc, nothing is counted and heapCounting() is false.
#pragma once

#include <cstddef>

namespace orvane::compare {

bool heapCounting();
std::size_t liveBytes();
std::size_t peakBytes();
void resetPeak();  // peakBytes() becomes liveBytes()
// Whether blocks from operator new (through the C++ library's own call to malloc) and realloc are
// seen, so a link that left the C library's malloc in charge shows up instead of reading as 0 bytes.
bool heapCounterSeesAllocations();

}  // namespace orvane::compare
