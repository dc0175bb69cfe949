// The characters of a string body: kept inside the body's 24-byte payload when they fit, so that the
// short strings that make up most keys and settings cost no allocation of their own.
//
// Invariants:
// - The last byte of the storage tells the form: kHeap, or the length of an inline text (at most
//   kInlineCapacity units, stored from the first byte).
// - A heap text owns exactly `size` units, in a block of the body pool's (allocateBlock); a text is
//   only ever replaced whole, never grown, so no spare capacity is kept.
// - Internal to value/: a string body is the only owner, and it is never copied (bodies are shared).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "value/body_pool.h"

namespace orvane::detail {

template <class C>
class BodyText {
public:
    static constexpr std::size_t kBytes = 24;
    static constexpr std::size_t kInlineCapacity = (kBytes - 1) / sizeof(C);

    BodyText() noexcept { bytes_[kBytes - 1] = 0; }
    BodyText(const BodyText&) = delete;
    BodyText& operator=(const BodyText&) = delete;
    ~BodyText() { release(); }

    const C* data() const noexcept { return isHeap() ? heap().data : local(); }
    std::size_t size() const noexcept { return isHeap() ? heap().size : bytes_[kBytes - 1]; }
    bool empty() const noexcept { return size() == 0; }
    std::basic_string_view<C> view() const noexcept {
        if (!isHeap()) return {local(), bytes_[kBytes - 1]};
        const Heap h = heap();
        return {h.data, h.size};
    }

    // Replaces the text. On a failed allocation the old text stays.
    void assign(const C* text, std::size_t n) {
        if (n <= kInlineCapacity) {
            unsigned char copy[kBytes];  // the text may live in the heap block about to be freed
            if (n) std::memcpy(copy, text, n * sizeof(C));
            release();
            std::memcpy(bytes_, copy, n * sizeof(C));
            bytes_[kBytes - 1] = static_cast<unsigned char>(n);
            return;
        }
        C* fresh = allocate(n);
        std::memcpy(fresh, text, n * sizeof(C));
        release();
        const Heap h{fresh, n};
        std::memcpy(bytes_, &h, sizeof h);
        bytes_[kBytes - 1] = kHeap;
    }

private:
    static constexpr unsigned char kHeap = 0xFF;
    struct Heap {
        C* data;
        std::size_t size;
    };
    static_assert(sizeof(Heap) < kBytes && kInlineCapacity < kHeap);

    static C* allocate(std::size_t n) { return static_cast<C*>(allocateBlock(n * sizeof(C))); }
    static void deallocate(C* text, std::size_t n) noexcept { freeBlock(text, n * sizeof(C)); }

    bool isHeap() const noexcept { return bytes_[kBytes - 1] == kHeap; }
    Heap heap() const noexcept {
        Heap h;
        std::memcpy(&h, bytes_, sizeof h);
        return h;
    }
    C* local() noexcept { return reinterpret_cast<C*>(bytes_); }
    const C* local() const noexcept { return reinterpret_cast<const C*>(bytes_); }
    void release() noexcept {
        if (!isHeap()) return;
        const Heap h = heap();
        deallocate(h.data, h.size);
        bytes_[kBytes - 1] = 0;
    }

    alignas(8) unsigned char bytes_[kBytes];
};

}  // namespace orvane::detail
