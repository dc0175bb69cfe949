// The malloc family, counted. See heap_counter.h; glibc exports its allocator as __libc_* so that
// an executable can wrap it without dlsym (which itself allocates).
#include "bench/compare/heap_counter.h"

#include <malloc.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace {

std::size_t gLive = 0;
std::size_t gPeak = 0;

}  // namespace

namespace orvane::compare {

#if defined(__SANITIZE_ADDRESS__)
bool heapCounting() { return false; }
#else
bool heapCounting() { return true; }
#endif
std::size_t liveBytes() { return gLive; }
std::size_t peakBytes() { return gPeak; }
void resetPeak() { gPeak = gLive; }

// The blocks escape into an empty asm statement, so the compiler cannot drop the unused pairs.
bool heapCounterSeesAllocations() {
    if (!heapCounting()) return true;
    constexpr std::size_t kBlock = 1 << 20;
    const std::size_t before = gLive;
    resetPeak();
    {
        const std::unique_ptr<char[]> block = std::make_unique<char[]>(kBlock);
        asm volatile("" : : "g"(block.get()) : "memory");
        if (gLive < before + kBlock) return false;
    }
    void* grown = std::malloc(16);
    asm volatile("" : : "g"(grown) : "memory");
    grown = std::realloc(grown, kBlock);
    asm volatile("" : : "g"(grown) : "memory");
    const bool grew = gLive >= before + kBlock;
    std::free(grown);
    return grew && gPeak >= before + kBlock && gLive == before;
}

}  // namespace orvane::compare

#if !defined(__SANITIZE_ADDRESS__)

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
void __libc_free(void* block);
}

namespace {

void* counted(void* block) noexcept {
    if (block) {
        gLive += malloc_usable_size(block);
        if (gLive > gPeak) gPeak = gLive;
    }
    return block;
}

void uncount(void* block) noexcept {
    if (block) gLive -= malloc_usable_size(block);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) noexcept { return counted(__libc_malloc(size)); }
void* calloc(std::size_t count, std::size_t size) noexcept { return counted(__libc_calloc(count, size)); }

void free(void* block) noexcept {
    uncount(block);
    __libc_free(block);
}

void* realloc(void* block, std::size_t size) noexcept {
    if (!block) return malloc(size);
    const std::size_t before = malloc_usable_size(block);
    void* moved = __libc_realloc(block, size);
    // glibc frees the block for size 0 and returns null; any other null leaves it as it was.
    if (moved || size == 0) gLive -= before;
    return counted(moved);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    return counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept { return memalign(alignment, size); }
void* valloc(std::size_t size) noexcept { return counted(__libc_valloc(size)); }
void* pvalloc(std::size_t size) noexcept { return counted(__libc_pvalloc(size)); }

int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* block = memalign(alignment, size);
    if (!block) return ENOMEM;
    *out = block;
    return 0;
}

}  // extern "C"

#endif
