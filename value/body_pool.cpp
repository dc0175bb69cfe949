// Slab allocation of Value bodies; the invariants are in body_pool.h.
#include "value/body_pool.h"

#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define ORVANE_POISON(p, n) __asan_poison_memory_region((p), (n))
#define ORVANE_UNPOISON(p, n) __asan_unpoison_memory_region((p), (n))
#else
#define ORVANE_POISON(p, n) ((void)(p), (void)(n))
#define ORVANE_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace orvane::detail {
namespace {

// The unit a slab is made of; a body of either class is a whole number of them.
struct alignas(kBodyAlign) Grain {
    std::byte bytes[kSmallBodySize];
};
static_assert(kLargeBodySize % sizeof(Grain) == 0 && kTableBodySize % sizeof(Grain) == 0);

struct FreeBody {
    FreeBody* next;
};
static_assert(sizeof(FreeBody) <= kSmallBodySize && alignof(FreeBody) <= kBodyAlign);

constexpr std::size_t kSlabGrains = 8192;  // 128 KiB per slab: 8192 small, 4096 large or 546 table bodies
constexpr std::size_t kSlabBytes = kSlabGrains * sizeof(Grain);

struct SlabList {
    std::mutex lock;
    std::vector<std::unique_ptr<Grain[]>> slabs;
    std::size_t reservedBytes = 0;
};

// Never destroyed: bodies may be freed after every static destructor that could otherwise run first.
SlabList& slabList() {
    static union Holder {
        SlabList list;
        Holder() : list() {}
        ~Holder() {}
    } holder;
    return holder.list;
}

// One class's share of a thread's pool.
struct ClassState {
    FreeBody* free;
    std::byte* cursor;  // next uncarved body of this thread's newest slab of the class
    std::byte* end;
    std::int64_t live;  // bodies and blocks of the class handed out minus those freed
};
static_assert(std::is_trivially_destructible_v<ClassState>);

thread_local ClassState tClasses[3] = {};

ClassState& stateOf(BodyClass c) noexcept { return tClasses[static_cast<unsigned>(c)]; }

std::byte* newSlab() {
    auto slab = std::make_unique_for_overwrite<Grain[]>(kSlabGrains);
    auto* first = reinterpret_cast<std::byte*>(slab.get());
    SlabList& list = slabList();
    std::lock_guard guard(list.lock);
    list.slabs.push_back(std::move(slab));
    list.reservedBytes += kSlabBytes;
    ORVANE_POISON(first, kSlabBytes);
    return first;
}

// Out of line, so that the common paths of allocateBody need no saved registers.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
std::byte* carveFromNewSlab(ClassState& s, std::size_t size) {
    s.cursor = newSlab();
    s.end = s.cursor + kSlabBytes;
    std::byte* body = s.cursor;
    s.cursor += size;
    return body;
}

}  // namespace

void* allocateBody(BodyClass c) {
    ClassState& s = stateOf(c);
    const std::size_t size = bodySize(c);
    void* body;
    if (s.free) {
        FreeBody* f = s.free;
        s.free = f->next;
        body = f;
        // A list left by a large release runs through memory in no order, so the next body, link
        // and all, would be a cache miss per line that the next allocation waits for; fetching it
        // now overlaps those with this one's use.
#if defined(__GNUC__)
        if (s.free)
            for (std::size_t line = 0; line < size; line += 64)
                __builtin_prefetch(reinterpret_cast<const std::byte*>(s.free) + line, 1);
#endif
    } else if (static_cast<std::size_t>(s.end - s.cursor) >= size) {  // a slab's tail may not fit a table
        body = s.cursor;
        s.cursor += size;
    } else {
        body = carveFromNewSlab(s, size);
    }
    ORVANE_UNPOISON(body, size);
    ++s.live;
    return body;
}

void freeBody(void* body, BodyClass c) noexcept {
    ClassState& s = stateOf(c);
    const std::size_t size = bodySize(c);
    ORVANE_UNPOISON(body, size);
    auto* f = static_cast<FreeBody*>(body);
    f->next = s.free;
    s.free = f;
    ORVANE_POISON(static_cast<std::byte*>(body) + sizeof(FreeBody), size - sizeof(FreeBody));
    --s.live;
}

namespace {
BodyClass blockClass(std::size_t bytes) noexcept {
    return bytes <= kSmallBodySize ? BodyClass::Small : BodyClass::Large;
}
}  // namespace

void* allocateBlock(std::size_t bytes) {
    if (bytes <= kLargeBodySize) return allocateBody(blockClass(bytes));
    return ::operator new(bytes);
}

void freeBlock(void* block, std::size_t bytes) noexcept {
    if (bytes <= kLargeBodySize) freeBody(block, blockClass(bytes));
    else ::operator delete(block);  // unsized: clang declares the sized form only on request
}

PoolStats poolStats() noexcept {
    SlabList& list = slabList();
    std::lock_guard guard(list.lock);
    return {list.reservedBytes, tClasses[0].live + tClasses[1].live + tClasses[2].live};
}

}  // namespace orvane::detail
