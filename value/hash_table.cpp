// Linear-hashing table of a Hash Value and the key text order; the invariants are in hash_table.h.
#include "value/hash_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

namespace orvane::detail {
namespace {

char16_t narrowUnit(char c) {  // a byte against a 16-bit unit: sign-extended
    return static_cast<char16_t>(static_cast<std::int16_t>(static_cast<signed char>(c)));
}

template <class C>
C upper(C c) {  // the "C" rules: ASCII letters only
    return c >= 'a' && c <= 'z' ? static_cast<C>(c - ('a' - 'A')) : c;
}

// Compares the first n characters of a and b; the caller decides when they are all equal.
template <class A, class B, class Key>
int comparePrefix(const A* a, const B* b, std::size_t n, bool caseSensitive, Key key) {
    for (std::size_t i = 0; i < n; ++i) {
        int x = key(a[i]), y = key(b[i]);
        if (x == y) continue;
        if (!caseSensitive) {
            x = key(upper(a[i]));
            y = key(upper(b[i]));
            if (x == y) continue;
        }
        return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace

int compareText(KeyText a, KeyText b, bool caseSensitive) noexcept {
    const std::size_t n = a.length < b.length ? a.length : b.length;
    int c;
    if (!a.wide && !b.wide) {
        c = comparePrefix(static_cast<const char*>(a.data), static_cast<const char*>(b.data), n,
                          caseSensitive, [](char ch) { return int(static_cast<signed char>(ch)); });
    } else if (a.wide && b.wide) {
        c = comparePrefix(static_cast<const char16_t*>(a.data), static_cast<const char16_t*>(b.data),
                          n, caseSensitive, [](char16_t ch) { return int(ch); });
    } else {
        // Mixed: bring the narrow side to units first; upper-casing commutes with the widening
        // because only ASCII letters change.
        const bool narrowFirst = !a.wide;
        const auto* nar = static_cast<const char*>(narrowFirst ? a.data : b.data);
        const auto* wid = static_cast<const char16_t*>(narrowFirst ? b.data : a.data);
        c = 0;
        for (std::size_t i = 0; i < n && c == 0; ++i) {
            char16_t x = narrowUnit(nar[i]), y = wid[i];
            if (!caseSensitive) {
                x = upper(x);
                y = upper(y);
            }
            if (x != y) c = x < y ? -1 : 1;
        }
        if (!narrowFirst) c = -c;
    }
    if (c != 0) return c;
    return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
}

bool equalText(KeyText a, KeyText b) noexcept {
    if (a.length != b.length) return false;
    if (a.length == 0) return true;  // an empty string's data may be null, which memcmp must not see
    if (a.wide == b.wide)
        return std::memcmp(a.data, b.data, a.length * (a.wide ? sizeof(char16_t) : 1)) == 0;
    return compareText(a, b, true) == 0;
}

std::uint32_t hashText(KeyText t) noexcept {
    auto h = static_cast<std::uint32_t>(t.length);
    if (t.wide) {
        const auto* p = static_cast<const char16_t*>(t.data);
        for (std::size_t i = 0; i < t.length; ++i) h = h * 5 + p[i];
    } else {
        const auto* p = static_cast<const char*>(t.data);
        for (std::size_t i = 0; i < t.length; ++i)
            h = h * 5 + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(p[i])));
    }
    return h;
}

namespace {

constexpr std::uint64_t kOdd1 = 0x9E3779B97F4A7C15u;
constexpr std::uint64_t kOdd2 = 0xC2B2AE3D27D4EB4Fu;

// Each step is a bijection of the word for a given state, so keys of one length that fit in a word
// never collide before the final mix, which is a bijection too.
std::uint64_t mixWord(std::uint64_t h, std::uint64_t word) { return std::rotl(h ^ (word * kOdd2), 31) * kOdd1; }

// Four 16-bit units to a word: a narrow key feeds the very words its wide twin does.
template <class C, class Unit>
std::uint64_t hashUnits(const C* p, std::size_t n, Unit unit) {
    std::uint64_t h = std::uint64_t{n} * kOdd1;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        h = mixWord(h, std::uint64_t{unit(p[i])} | std::uint64_t{unit(p[i + 1])} << 16 |
                           std::uint64_t{unit(p[i + 2])} << 32 | std::uint64_t{unit(p[i + 3])} << 48);
    }
    if (i < n) {
        std::uint64_t word = 0;
        for (unsigned shift = 0; i < n; ++i, shift += 16) word |= std::uint64_t{unit(p[i])} << shift;
        h = mixWord(h, word);
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDu;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53u;
    return h ^ (h >> 33);
}

}  // namespace

std::uint64_t keyHash(KeyText t) noexcept {
    if (t.wide) return hashUnits(static_cast<const char16_t*>(t.data), t.length, [](char16_t c) { return c; });
    return hashUnits(static_cast<const char*>(t.data), t.length, narrowUnit);
}

namespace {

// A slot of an index with `mask` + 1 slots: the entry index in the mask's bits, tag bits above it.
// Home slot and tag come from disjoint bits of keyHash, so keys sharing a home differ in their tags
// as if at random, and a larger index keeps a subset of the tag.
std::uint32_t homeOf(std::uint64_t kh, std::uint32_t mask) noexcept {
    return static_cast<std::uint32_t>(kh) & mask;
}
std::uint32_t tagOf(std::uint64_t kh, std::uint32_t mask) noexcept {
    return static_cast<std::uint32_t>(kh >> 32) & ~mask;
}

void prefetch(const void* address) noexcept {  // starts a cache miss ahead of the read that needs it
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

}  // namespace

HashTable::HashTable(const HashTable& other)
    : heads_(other.heads_),
      used_(other.used_),
      count_(other.count_),
      freeHead_(other.freeHead_),
      sorted_(other.sorted_),
      indexBits_(other.indexBits_) {
    if (other.index_) {  // entries keep their indices in the copy, so the slots carry over as they are
        index_ = std::make_unique_for_overwrite<Slot[]>(other.indexSlots());
        std::copy_n(other.index_.get(), other.indexSlots(), index_.get());
    }
    chunks_.reserve(other.chunks_.size());
    for (std::size_t k = 0; k < other.chunks_.size(); ++k) {
        const std::uint32_t n = kFirstChunk << k;
        chunks_.push_back(std::make_unique<Entry[]>(n));
        const std::uint32_t start = kFirstChunk * ((1u << k) - 1);
        for (std::uint32_t i = 0; i < n && start + i < used_; ++i) chunks_[k][i] = other.chunks_[k][i];
    }
}

std::uint32_t HashTable::bucketOf(std::uint32_t hash) const noexcept {
    const std::uint32_t m = mask();
    std::uint32_t b = hash & m;
    if (b >= heads_.size()) b -= (m + 1) / 2;
    return b;
}

// The tags screen out the other keys of a probe run without touching their entries, which lie
// anywhere in memory; a key is the same when its hashCode and its text are, as without an index.
std::uint32_t HashTable::slotOf(KeyText key, std::uint32_t hash, std::uint64_t kh) const noexcept {
    const std::uint32_t mask = indexSlots() - 1;
    const std::uint32_t tag = tagOf(kh, mask);
    for (std::uint32_t s = homeOf(kh, mask);; s = (s + 1) & mask) {
        const Slot slot = index_[s];
        if (slot == kEmpty) return kNone;
        if ((slot & ~mask) != tag) continue;
        const Entry& e = at(slot & mask);
        if (e.hash == hash && equalText(textOf(e.key), key)) return s;
    }
}

void HashTable::placeInIndex(std::uint32_t entry, std::uint64_t kh) noexcept {
    const std::uint32_t mask = indexSlots() - 1;
    std::uint32_t s = homeOf(kh, mask);
    while (index_[s] != kEmpty) s = (s + 1) & mask;
    index_[s] = tagOf(kh, mask) | entry;
}

// Backward-shift deletion: every later entry of the probe run whose path from its home slot passes
// the hole moves into it, so a probe that stops at the first empty slot still finds everything.
// A slot does not hold its home, so each entry of the run hashes its key again. The run is short
// (a few entries at 3/4 full or less), but its entries and their keys lie anywhere in memory: the
// first kAhead are fetched, entries then keys, before any is hashed, so that the misses overlap.
void HashTable::removeFromIndex(std::uint32_t slot) noexcept {
    constexpr std::uint32_t kAhead = 8;
    const std::uint32_t mask = indexSlots() - 1;
    std::uint32_t ahead = 0;
    for (std::uint32_t s = (slot + 1) & mask; ahead < kAhead && index_[s] != kEmpty; s = (s + 1) & mask, ++ahead)
        prefetch(&at(index_[s] & mask));
    for (std::uint32_t k = 1; k <= ahead; ++k) prefetch(at(index_[(slot + k) & mask] & mask).key.identity());
    std::uint32_t hole = slot;
    for (std::uint32_t s = (slot + 1) & mask; index_[s] != kEmpty; s = (s + 1) & mask) {
        const std::uint32_t home = homeOf(keyHash(textOf(at(index_[s] & mask).key)), mask);
        if (((s - home) & mask) >= ((s - hole) & mask)) {
            index_[hole] = index_[s];
            hole = s;
        }
    }
    index_[hole] = kEmpty;
}

std::uint32_t HashTable::find(KeyText key, std::uint32_t hash, std::uint64_t kh) const noexcept {
    if (index_) {
        const std::uint32_t s = slotOf(key, hash, kh);
        return s == kNone ? kNone : index_[s] & (indexSlots() - 1);
    }
    for (std::uint32_t i = heads_[bucketOf(hash)]; i != kNone;) {
        const Entry& e = at(i);
        if (e.hash == hash && equalText(textOf(e.key), key)) return i;
        i = e.next;
    }
    return kNone;
}

std::uint32_t HashTable::newEntry() {
    if (freeHead_ != kNone) {
        const std::uint32_t i = freeHead_;
        freeHead_ = at(i).next;
        return i;
    }
    if (used_ == kFirstChunk * ((1u << chunks_.size()) - 1))
        chunks_.push_back(std::make_unique<Entry[]>(kFirstChunk << chunks_.size()));
    return used_++;
}

void HashTable::openBucket() {
    const auto n = static_cast<std::uint32_t>(heads_.size());
    heads_.push_back(kNone);
    // Bucket n took its keys from the bucket it folded into; split that chain keeping both in order.
    std::uint32_t* keep = &heads_[n - (mask() + 1) / 2];
    std::uint32_t* move = &heads_[n];
    for (std::uint32_t i = *keep; i != kNone; i = at(i).next) {
        if (bucketOf(at(i).hash) == n) {
            *move = i;
            move = &at(i).next;
        } else {
            *keep = i;
            keep = &at(i).next;
        }
    }
    *keep = kNone;
    *move = kNone;
}

// The old slots do not say where their entries' homes are, so the index is filled from the entries
// themselves, hashing each key again: entries and their keys lie roughly in insertion order, so this
// reads memory nearly in sequence. The writes land anywhere in the index; the homes of a batch are
// fetched ahead so that their cache misses overlap.
void HashTable::indexEntries() noexcept {
    constexpr std::uint32_t kBatch = 16;
    const std::uint32_t mask = indexSlots() - 1;
    std::uint32_t entries[kBatch];
    std::uint64_t hashes[kBatch];
    for (std::uint32_t from = 0; from < used_; from += kBatch) {
        const std::uint32_t to = std::min(used_, from + kBatch);
        std::uint32_t n = 0;
        for (std::uint32_t j = from; j < to; ++j) {
            const Value& k = at(j).key;
            if (k.kind() == ValueKind::Undef) continue;  // not yet keyed (see insertNew) or erased
            entries[n] = j;
            hashes[n] = keyHash(textOf(k));
            prefetch(&index_[homeOf(hashes[n], mask)]);
            ++n;
        }
        for (std::uint32_t b = 0; b < n; ++b) placeInIndex(entries[b], hashes[b]);
    }
}

std::uint32_t HashTable::insertNew(KeyText key, std::uint32_t hash, std::uint64_t kh) {
    // Every allocation that may fail comes before any change, so a failure leaves the table whole.
    if (heads_.capacity() == heads_.size() && count_ >= 4 * heads_.size())
        heads_.reserve(heads_.size() * 2);
    std::unique_ptr<Slot[]> grown;
    std::uint8_t grownBits = 0;
    if (index_ ? 4 * (std::uint64_t{count_} + 1) > 3 * std::uint64_t{indexSlots()} : count_ + 1 >= kIndexFrom) {
        grownBits = static_cast<std::uint8_t>(index_ ? indexBits_ + 1 : std::bit_width(kIndexFrom));
        if (grownBits > 31) throw std::bad_alloc();
        grown = std::make_unique_for_overwrite<Slot[]>(std::size_t{1} << grownBits);
    }
    const std::uint32_t i = newEntry();
    if (grown) {
        std::fill_n(grown.get(), std::size_t{1} << grownBits, kEmpty);
        if (!index_) kh = keyHash(key);  // the caller had no index to compute it for
        index_ = std::move(grown);
        indexBits_ = grownBits;
        // An index fills up only when every entry is live (count_ + 1 passes 3/4 of the slots, which
        // used_ never does), so entry i, just carved, is the one without a key here.
        indexEntries();
    }
    if (index_) placeInIndex(i, kh);
    if (count_ >= 4 * heads_.size()) openBucket();
    std::uint32_t& head = heads_[bucketOf(hash)];
    Entry& e = at(i);
    e.hash = hash;
    e.next = head;
    head = i;
    if (e.next != kNone) sorted_ = false;  // a chain of one is in order
    ++count_;
    return i;
}

bool HashTable::erase(KeyText key, std::uint32_t hash) noexcept {
    if (index_) {
        const std::uint32_t s = slotOf(key, hash, keyHash(key));
        if (s == kNone) return false;
        const std::uint32_t i = index_[s] & (indexSlots() - 1);
        removeFromIndex(s);
        // The chains link one way: the link naming entry i is found by walking its bucket, which
        // compares indices only.
        std::uint32_t* link = &heads_[bucketOf(hash)];
        while (*link != i) link = &at(*link).next;
        release(link);
        return true;
    }
    for (std::uint32_t* link = &heads_[bucketOf(hash)]; *link != kNone; link = &at(*link).next) {
        Entry& e = at(*link);
        if (e.hash != hash || !equalText(textOf(e.key), key)) continue;
        release(link);
        return true;
    }
    return false;
}

void HashTable::release(std::uint32_t* link) noexcept {
    const std::uint32_t i = *link;
    Entry& e = at(i);
    *link = e.next;
    e.key = Value();
    e.value = Value();
    e.next = freeHead_;
    freeHead_ = i;
    --count_;
}

// Bottom-up merge sort of one index-linked chain: runs of 1, 2, 4, ... are merged pairwise in
// place, so it takes O(n log n) compares whatever the keys, with no allocation and no recursion.
std::uint32_t HashTable::sortedChain(std::uint32_t head) noexcept {
    auto less = [this](std::uint32_t a, std::uint32_t b) {
        return compareText(textOf(at(a).key), textOf(at(b).key), true) < 0;
    };
    for (std::size_t run = 1;; run *= 2) {
        std::uint32_t p = head, tail = kNone;
        head = kNone;
        std::size_t merges = 0;
        while (p != kNone) {
            ++merges;
            std::uint32_t q = p;
            std::size_t pSize = 0;
            for (; pSize < run && q != kNone; ++pSize) q = at(q).next;
            std::size_t qSize = run;
            while (pSize > 0 || (qSize > 0 && q != kNone)) {
                std::uint32_t e;
                if (pSize == 0) {
                    e = q, q = at(q).next, --qSize;
                } else if (qSize == 0 || q == kNone || !less(q, p)) {
                    e = p, p = at(p).next, --pSize;
                } else {
                    e = q, q = at(q).next, --qSize;
                }
                if (tail == kNone) head = e;
                else at(tail).next = e;
                tail = e;
            }
            p = q;
        }
        if (tail != kNone) at(tail).next = kNone;
        if (merges <= 1) return head;
    }
}

// Ordering the chains changes links only: entries stay where they are, so handed-out slots and
// indices stay valid, and the table reads the same to every caller.
void HashTable::sortChains() const noexcept {
    if (sorted_) return;
    auto* self = const_cast<HashTable*>(this);
    for (std::uint32_t& head : self->heads_) head = self->sortedChain(head);
    sorted_ = true;
}

std::uint32_t HashTable::first() const noexcept {
    sortChains();
    for (std::uint32_t head : heads_)
        if (head != kNone) return head;
    return kNone;
}

std::uint32_t HashTable::next(std::uint32_t index) const noexcept {
    sortChains();
    const Entry& e = at(index);
    if (e.next != kNone) return e.next;
    for (std::size_t b = bucketOf(e.hash) + 1; b < heads_.size(); ++b)
        if (heads_[b] != kNone) return heads_[b];
    return kNone;
}

}  // namespace orvane::detail
