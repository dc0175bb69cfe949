// The slab pool behind Value bodies: every body has one size, so a freed body is reused for any kind.
//
// Invariants:
// - Bodies are carved from slabs that are never returned to the system while the process runs, so a
//   body freed late (a static Value at exit, a Value moved to another thread) always lands in live
//   memory. The slab list lives in storage that is never destroyed and stays reachable.
// - The free list and the carving cursor are per thread and trivially destructible: no lock on the hot
//   path, and no thread-exit ordering to get wrong. A body freed on another thread joins that
//   thread's list.
// - Under AddressSanitizer a free body is poisoned except for its link, so a stale handle still trips it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane::detail {

inline constexpr std::size_t kBodySize = 32;
inline constexpr std::size_t kBodyAlign = 8;

struct PoolStats {
    std::size_t reservedBytes;  // all slabs taken from the system so far, by every thread
    std::int64_t liveBodies;    // bodies handed out minus bodies freed, on this thread
};

void* allocateBody();             // kBodySize bytes; throws std::bad_alloc when no slab can be had
void freeBody(void* body) noexcept;
PoolStats poolStats() noexcept;

}  // namespace orvane::detail
