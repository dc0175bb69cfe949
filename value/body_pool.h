// The slab pool behind Value bodies, in three size classes: 16-byte bodies for the scalars that need
// one 8-byte payload, 32-byte bodies for strings and containers, and the tables behind Hashes that
// hold entries (as many Hashes do as hold anything: a record, a block). A freed body is reused only
// by its own class. The small blocks that bodies own come from the first two classes as well.
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

// The codes index the pool's per-class state and its sizes, so the hot path takes no branch.
enum class BodyClass : unsigned char {
    Small = 0,  // kSmallBodySize bytes
    Large = 1,  // kLargeBodySize bytes
    Table = 2,  // kTableBodySize bytes
};

inline constexpr std::size_t kSmallBodySize = 16;
inline constexpr std::size_t kLargeBodySize = 32;
// A Hash's table with its inline entries (checked where the table is defined); the same 16-byte
// multiple the C library's allocator would round it to.
inline constexpr std::size_t kTableBodySize = sizeof(void*) == 8 ? 240 : 160;
inline constexpr std::size_t kBodyAlign = 8;
static_assert(kTableBodySize % kSmallBodySize == 0, "every class is a whole number of small bodies");

// At namespace scope, so that a lookup reads it where it lies instead of building it on the stack.
inline constexpr std::size_t kBodySizes[] = {kSmallBodySize, kLargeBodySize, kTableBodySize};
constexpr std::size_t bodySize(BodyClass c) noexcept { return kBodySizes[static_cast<unsigned>(c)]; }

struct PoolStats {
    std::size_t reservedBytes;  // all slabs of every class taken from the system so far, by every thread
    std::int64_t liveBodies;    // bodies and blocks handed out minus those freed, on this thread
};

void* allocateBody(BodyClass c);  // bodySize(c) bytes; throws std::bad_alloc when no slab can be had
void freeBody(void* body, BodyClass c) noexcept;

// Storage a body owns (a string's text too long to sit inside it, a Vector's elements), aligned for
// any Value. A block the size of a body or less is a pool body: most such blocks are small (a label,
// a server name, a list of three or four), and the pool hands them out and takes them back for a
// fraction of what the C library's allocator costs. Freed with the size it was allocated with.
void* allocateBlock(std::size_t bytes);  // throws std::bad_alloc
void freeBlock(void* block, std::size_t bytes) noexcept;

PoolStats poolStats() noexcept;

}  // namespace orvane::detail
