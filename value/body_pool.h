// The slab pool behind Value bodies, in two size classes: 16-byte bodies for the scalars that need
// one 8-byte payload, 32-byte bodies for strings and containers. A freed body is reused only by its
// own class.
//
// Invariants:
// - Bodies are carved from slabs that are never returned to the system while the process runs, so a
//   body freed late (a static Value at exit, a Value moved to another thread) always lands in live
//   memory. The slab list lives in storage that is never destroyed and stays reachable. A slab
//   serves one class only.
// - The free lists and the carving cursors (one of each per class) are per thread and trivially
//   destructible: no lock on the hot path, and no thread-exit ordering to get wrong. A body freed on
//   another thread joins that thread's list of its class.
// - A body is freed with the class it was allocated with; the pool does not record it.
// - Under AddressSanitizer a free body is poisoned except for its link, so a stale handle still trips it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane::detail {

// The codes index the pool's per-class state and scale the size, so the hot path takes no branch.
enum class BodyClass : unsigned char {
    Small = 0,  // kSmallBodySize bytes
    Large = 1,  // kLargeBodySize bytes
};

inline constexpr std::size_t kSmallBodySize = 16;
inline constexpr std::size_t kLargeBodySize = 32;
inline constexpr std::size_t kBodyAlign = 8;
static_assert(kLargeBodySize == 2 * kSmallBodySize, "bodySize() doubles the small size");

constexpr std::size_t bodySize(BodyClass c) noexcept {
    return kSmallBodySize << static_cast<unsigned>(c);
}

struct PoolStats {
    std::size_t reservedBytes;  // all slabs of both classes taken from the system so far, by every thread
    std::int64_t liveBodies;    // bodies of both classes handed out minus bodies freed, on this thread
};

void* allocateBody(BodyClass c);  // bodySize(c) bytes; throws std::bad_alloc when no slab can be had
void freeBody(void* body, BodyClass c) noexcept;
PoolStats poolStats() noexcept;

}  // namespace orvane::detail
