// Global operator new/delete for the fuzz targets, with a budget on live heap while an input runs.
//
// A few bytes of input may ask for a Vector of up to 2^27 elements (`['a'][99999999] = 1;`), and a
// handful of such statements would run into libFuzzer's RSS limit, or walking one such Vector into
// its timeout, and stop the search on something the language allows. Past the budget operator new throws std::bad_alloc instead, as it would on a
// machine with less memory; the targets take that as a legitimate end of the input, and ASan then
// checks that nothing leaked or broke on the way out.
//
// Invariants: every block comes from malloc and goes back to free, so ASan's checks of the blocks
// themselves still apply; live bytes are counted with malloc_usable_size on both sides, so new and
// delete always agree; the budget applies only between arm() and disarm(), never to libFuzzer.
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "fuzz/fuzz_support.h"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> ceiling{SIZE_MAX};  // live bytes allowed; SIZE_MAX while not armed

void* allocate(std::size_t size) noexcept {
    const std::size_t live = liveBytes.load(std::memory_order_relaxed);
    const std::size_t cap = ceiling.load(std::memory_order_relaxed);
    if (cap != SIZE_MAX && (size > cap || live > cap - size)) return nullptr;
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block) liveBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed);
    return block;
}

void release(void* block) noexcept {
    if (!block) return;
    liveBytes.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace orvane::fuzz {

void armAllocationBudget(std::size_t bytes) {
    const std::size_t live = liveBytes.load(std::memory_order_relaxed);
    ceiling.store(live + bytes, std::memory_order_relaxed);
}

void disarmAllocationBudget() { ceiling.store(SIZE_MAX, std::memory_order_relaxed); }

}  // namespace orvane::fuzz

void* operator new(std::size_t size) {
    if (void* block = allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* block = allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }
