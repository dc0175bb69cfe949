// Slab allocation of Value bodies; the invariants are in body_pool.h.
#include "value/body_pool.h"

#include <memory>
#include <mutex>
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

struct alignas(kBodyAlign) RawBody {
    std::byte bytes[kBodySize];
};
struct FreeBody {
    FreeBody* next;
};
static_assert(sizeof(FreeBody) <= kBodySize);

constexpr std::size_t kSlabBodies = 4096;  // 128 KiB per slab

struct SlabList {
    std::mutex lock;
    std::vector<std::unique_ptr<RawBody[]>> slabs;
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

thread_local FreeBody* tFree = nullptr;
thread_local RawBody* tCursor = nullptr;  // next uncarved body of this thread's newest slab
thread_local RawBody* tEnd = nullptr;
thread_local std::int64_t tLive = 0;

RawBody* newSlab() {
    auto slab = std::make_unique_for_overwrite<RawBody[]>(kSlabBodies);
    RawBody* first = slab.get();
    SlabList& list = slabList();
    std::lock_guard guard(list.lock);
    list.slabs.push_back(std::move(slab));
    list.reservedBytes += kSlabBodies * sizeof(RawBody);
    ORVANE_POISON(first, kSlabBodies * sizeof(RawBody));
    return first;
}

}  // namespace

void* allocateBody() {
    void* body;
    if (tFree) {
        FreeBody* f = tFree;
        tFree = f->next;
        body = f;
    } else {
        if (tCursor == tEnd) {
            tCursor = newSlab();
            tEnd = tCursor + kSlabBodies;
        }
        body = tCursor++;
    }
    ORVANE_UNPOISON(body, kBodySize);
    ++tLive;
    return body;
}

void freeBody(void* body) noexcept {
    ORVANE_UNPOISON(body, kBodySize);
    auto* f = static_cast<FreeBody*>(body);
    f->next = tFree;
    tFree = f;
    ORVANE_POISON(static_cast<std::byte*>(body) + sizeof(FreeBody), kBodySize - sizeof(FreeBody));
    --tLive;
}

PoolStats poolStats() noexcept {
    SlabList& list = slabList();
    std::lock_guard guard(list.lock);
    return {list.reservedBytes, tLive};
}

}  // namespace orvane::detail
