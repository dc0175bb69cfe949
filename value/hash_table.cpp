// Linear-hashing table of a Hash Value and the key text order; the invariants are in hash_table.h.
#include "value/hash_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

std::uint32_t keyHash(KeyText t) noexcept {
    const std::uint64_t h =
        t.wide ? hashUnits(static_cast<const char16_t*>(t.data), t.length, [](char16_t c) { return c; })
               : hashUnits(static_cast<const char*>(t.data), t.length, narrowUnit);
    return static_cast<std::uint32_t>(h);
}

namespace {

// A slot of an index with `mask` + 1 slots: the entry index in the mask's bits, tag bits above it.
// Home slot and tag come from disjoint bits of keyHash, so keys sharing a home differ in their tags
// as if at random; a larger index takes its home's new bit from the tag.
std::uint32_t homeOf(std::uint32_t kh, std::uint32_t mask) noexcept { return kh & mask; }
std::uint32_t tagOf(std::uint32_t kh, std::uint32_t mask) noexcept { return kh & ~mask; }

void prefetch(const void* address) noexcept {  // starts a cache miss ahead of the read that needs it
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

}  // namespace

HashTable::HashTable(const HashTable& other)
    : buckets_(other.buckets_),
      used_(other.used_),
      count_(other.count_),
      freeHead_(other.freeHead_),
      chained_(other.chained_),
      sorted_(other.sorted_),
      indexBits_(other.indexBits_) {
    std::copy_n(other.inlineHeads_, kInlineHeads, inlineHeads_);
    if (other.spill_) {
        // Entries keep their indices in the copy, so heads, links and index slots carry over as they are.
        const Spill& from = *other.spill_;
        spill_ = std::make_unique<Spill>();
        spill_->heads = from.heads;
        if (from.index) {
            spill_->index = newIndex(other.indexSlots());
            std::copy_n(from.index.get(), other.indexSlots(), spill_->index.get());
        }
        spill_->chunks.reserve(from.chunks.capacity());
        for (std::size_t k = 0; k < from.chunks.size(); ++k) {
            const std::uint32_t start = kInline << k;
            spill_->chunks.push_back(std::make_unique<Entry[]>(start));  // chunk k is as large as its start
            std::copy_n(from.chunks[k].get(), std::min(start, used_ - std::min(used_, start)), spill_->chunks[k].get());
        }
    }
    // Last: nothing below throws, and a failed allocation above must leave no inline entry constructed,
    // as no destructor runs for a table whose construction failed.
    std::uninitialized_copy_n(other.inline_, std::min(used_, kInline), inline_);
}

namespace {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr std::size_t kHugePage = std::size_t{1} << 21;
#else
constexpr std::size_t kHugePage = 0;  // none to ask for
#endif
}  // namespace

HashTable::Index HashTable::newIndex(std::size_t slots) {
    const std::size_t bytes = slots * sizeof(Slot);
    if (kHugePage == 0 || bytes < kHugePage) return Index(new Slot[slots]);
    void* block = ::operator new(bytes, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(block, bytes, MADV_HUGEPAGE);  // a hint: where it is not taken, the index just runs slower
#endif
    return Index(static_cast<Slot*>(block), IndexDelete{true});
}

void HashTable::IndexDelete::operator()(Slot* slots) const noexcept {
    if (huge) ::operator delete(slots, std::align_val_t{kHugePage});
    else delete[] slots;
}

// The tags screen out the other keys of a probe run without touching their entries, which lie
// anywhere in memory. A key is the same when its hashCode and its text are, as without an index:
// a narrow and a wide text that equalText finds equal may still differ in hashCode when they hold
// bytes above 0x7F, which keyHash does not see.
std::uint32_t HashTable::slotOf(KeyText key, std::uint32_t hash, std::uint32_t* empty) const noexcept {
    const std::uint32_t mask = indexSlots() - 1;
    const std::uint32_t tag = tagOf(hash, mask);
    for (std::uint32_t s = homeOf(hash, mask);; s = (s + 1) & mask) {
        const Slot slot = spill_->index[s];
        if (slot == kEmpty) {
            if (empty) *empty = s;
            return kNone;
        }
        if ((slot & ~mask) != tag) continue;
        const Entry& e = at(slot & mask);
        if (e.hash != hash) continue;
        const KeyText stored = textOf(e.key);
        if (equalText(stored, key) && (stored.wide == key.wide || hashText(stored) == hashText(key))) return s;
    }
}

void HashTable::placeInIndex(std::uint32_t entry, std::uint32_t hash) noexcept {
    const std::uint32_t mask = indexSlots() - 1;
    Slot* const index = spill_->index.get();
    std::uint32_t s = homeOf(hash, mask);
    while (index[s] != kEmpty) s = (s + 1) & mask;
    index[s] = tagOf(hash, mask) | entry;
}

// Backward-shift deletion: every later entry of the probe run whose path from its home slot passes
// the hole moves into it, so a probe that stops at the first empty slot still finds everything.
// A slot does not hold all of its home, so each entry of the run is read for its keyHash. The run is
// short (a few entries at 3/4 full or less), but its entries lie anywhere in memory: the first
// kAhead are fetched before any is read, so that the misses overlap.
void HashTable::removeFromIndex(std::uint32_t slot) noexcept {
    constexpr std::uint32_t kAhead = 8;
    const std::uint32_t mask = indexSlots() - 1;
    Slot* const index = spill_->index.get();
    std::uint32_t ahead = 0;
    for (std::uint32_t s = (slot + 1) & mask; ahead < kAhead && index[s] != kEmpty; s = (s + 1) & mask, ++ahead)
        prefetch(&at(index[s] & mask));
    std::uint32_t hole = slot;
    for (std::uint32_t s = (slot + 1) & mask; index[s] != kEmpty; s = (s + 1) & mask) {
        const std::uint32_t home = homeOf(at(index[s] & mask).hash, mask);
        if (((s - home) & mask) >= ((s - hole) & mask)) {
            index[hole] = index[s];
            hole = s;
        }
    }
    index[hole] = kEmpty;
}

std::uint32_t HashTable::find(KeyText key, std::uint32_t hash, std::uint32_t* empty) const noexcept {
    if (indexBits_) {
        const std::uint32_t s = slotOf(key, hash, empty);
        return s == kNone ? kNone : spill_->index[s] & (indexSlots() - 1);
    }
    for (std::uint32_t i = heads()[bucketOf(hash)]; i != kNone;) {
        const Entry& e = at(i);
        if (e.hash == hash && equalText(textOf(e.key), key)) return i;
        i = e.next;
    }
    return kNone;
}

// The caller has made room: a chunk for entry used_ when the free list is empty.
std::uint32_t HashTable::newEntry() noexcept {
    if (freeHead_ != kNone) {
        const std::uint32_t i = freeHead_;
        freeHead_ = at(i).next;
        return i;
    }
    if (used_ < kInline) std::construct_at(&inline_[used_]);
    return used_++;
}

// The caller has made room for the head: inline, or in spill_->heads' capacity.
void HashTable::openBucket() noexcept {
    const std::uint32_t n = buckets_;
    if (spill_) spill_->heads.push_back(kNone);
    ++buckets_;
    if (!chained_) return;  // the walk that relinks the chains will put the keys in their buckets
    // Bucket n took its keys from the bucket it folded into; split that chain keeping both in order.
    std::uint32_t* keep = &heads()[n - (mask() + 1) / 2];
    std::uint32_t* move = &heads()[n];
    for (std::uint32_t i = *keep; i != kNone; i = at(i).next) {
        if (bucketOf(bucketHash(at(i))) == n) {
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
// themselves, which lie in index order: this reads memory in sequence. With `rehash` (the first
// index) each entry's hash turns from hashText into keyHash. The writes land anywhere in the index;
// the homes of a batch are fetched ahead so that their cache misses overlap.
void HashTable::indexEntries(bool rehash) noexcept {
    constexpr std::uint32_t kBatch = 16;
    const std::uint32_t mask = indexSlots() - 1;
    std::uint32_t entries[kBatch];
    std::uint32_t hashes[kBatch];
    for (std::uint32_t from = 0; from < used_; from += kBatch) {
        const std::uint32_t to = std::min(used_, from + kBatch);
        std::uint32_t n = 0;
        for (std::uint32_t j = from; j < to; ++j) {
            Entry& e = at(j);
            if (e.key.kind() == ValueKind::Undef) continue;  // not yet keyed (see insertNew) or erased
            if (rehash) e.hash = keyHash(textOf(e.key));
            entries[n] = j;
            hashes[n] = e.hash;
            prefetch(&spill_->index[homeOf(hashes[n], mask)]);
            ++n;
        }
        for (std::uint32_t b = 0; b < n; ++b) placeInIndex(entries[b], hashes[b]);
    }
}

std::uint32_t HashTable::insertNew(KeyText key, std::uint32_t hash, std::uint32_t empty) {
    // Every allocation that may fail comes before any change, so a failure leaves the table whole.
    const bool opens = count_ >= 4 * buckets_;
    const bool carves = freeHead_ == kNone && used_ == capacity();
    std::unique_ptr<Spill> spill;  // the table's first step past its inline room
    if (!spill_ && (carves || (opens && buckets_ == kInlineHeads))) {
        spill = std::make_unique<Spill>();
        spill->heads.reserve(2 * std::size_t{kInlineHeads});
    }
    Spill* const big = spill_ ? spill_.get() : spill.get();  // null while the table stays inline
    if (big && opens && big->heads.capacity() == buckets_) big->heads.reserve(2 * std::size_t{buckets_});
    Index grown;
    std::uint8_t grownBits = 0;
    if (indexBits_ ? 4 * (std::uint64_t{count_} + 1) > 3 * std::uint64_t{indexSlots()} : count_ + 1 >= kIndexFrom) {
        grownBits = static_cast<std::uint8_t>(indexBits_ ? indexBits_ + 1 : std::bit_width(kIndexFrom));
        if (grownBits > 31) throw std::bad_alloc();
        grown = newIndex(std::size_t{1} << grownBits);
    }
    if (carves) {  // last, so that adding the chunk is the first change
        if (big->chunks.size() == big->chunks.capacity())
            big->chunks.reserve(std::max<std::size_t>(4, 2 * big->chunks.size()));
        big->chunks.push_back(std::make_unique<Entry[]>(std::size_t{kInline} << big->chunks.size()));
    }
    if (spill) {
        spill->heads.assign(inlineHeads_, inlineHeads_ + buckets_);
        spill_ = std::move(spill);
    }
    const std::uint32_t i = newEntry();
    const bool reindexed = grown != nullptr;
    if (reindexed) {
        std::fill_n(grown.get(), std::size_t{1} << grownBits, kEmpty);
        const bool first = !indexBits_;
        if (first) hash = keyHash(key);  // the caller had no index to compute it for
        spill_->index = std::move(grown);
        indexBits_ = grownBits;
        // An index fills up only when every entry is live (count_ + 1 passes 3/4 of the slots, which
        // used_ never does), so entry i, just carved, is the one without a key here.
        indexEntries(first);
    }
    if (indexBits_) chained_ = false;  // before a bucket opens: its split waits for the walk's relink
    if (opens) openBucket();
    Entry& e = at(i);
    e.hash = hash;
    ++count_;
    if (indexBits_) {
        // The slot where find stopped is the one placeInIndex would reach, unless the index is new.
        if (reindexed || empty == kNone) placeInIndex(i, hash);
        else spill_->index[empty] = tagOf(hash, indexSlots() - 1) | i;
        return i;
    }
    std::uint32_t& head = heads()[bucketOf(hash)];
    e.next = head;
    head = i;
    if (e.next != kNone) sorted_ = false;  // a chain of one is in order
    return i;
}

bool HashTable::erase(KeyText key) noexcept {
    if (indexBits_) {
        const std::uint32_t s = slotOf(key, keyHash(key));
        if (s == kNone) return false;
        const std::uint32_t i = spill_->index[s] & (indexSlots() - 1);
        removeFromIndex(s);
        if (!chained_) {
            recycle(i);
            return true;
        }
        // The chains link one way: the link naming entry i is found by walking its bucket, which
        // compares indices only.
        std::uint32_t* link = &heads()[bucketOf(hashText(key))];
        while (*link != i) link = &at(*link).next;
        release(link);
        return true;
    }
    const std::uint32_t hash = hashText(key);
    for (std::uint32_t* link = &heads()[bucketOf(hash)]; *link != kNone; link = &at(*link).next) {
        Entry& e = at(*link);
        if (e.hash != hash || !equalText(textOf(e.key), key)) continue;
        release(link);
        return true;
    }
    return false;
}

void HashTable::release(std::uint32_t* link) noexcept {
    const std::uint32_t i = *link;
    *link = at(i).next;
    recycle(i);
}

void HashTable::recycle(std::uint32_t i) noexcept {
    Entry& e = at(i);
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
void HashTable::orderChains() const noexcept {
    auto* self = const_cast<HashTable*>(this);
    if (!chained_) self->relink();
    if (sorted_) return;
    std::uint32_t* const heads = self->heads();
    for (std::uint32_t b = 0; b < buckets_; ++b) heads[b] = self->sortedChain(heads[b]);
    sorted_ = true;
}

// Links every live entry into its bucket's chain, in entry order; the sort puts them in key order.
// Entries lie in index order and their keys nearly so: one pass in sequence over both.
void HashTable::relink() noexcept {
    std::uint32_t* const heads = this->heads();
    std::fill_n(heads, buckets_, kNone);
    for (std::uint32_t i = used_; i-- > 0;) {
        Entry& e = at(i);
        if (e.key.kind() == ValueKind::Undef) continue;  // erased: its link belongs to the free list
        std::uint32_t& head = heads[bucketOf(bucketHash(e))];
        e.next = head;
        head = i;
    }
    chained_ = true;
    sorted_ = false;
}

std::uint32_t HashTable::first() const noexcept {
    orderChains();
    const std::uint32_t* const heads = this->heads();
    for (std::uint32_t b = 0; b < buckets_; ++b)
        if (heads[b] != kNone) return heads[b];
    return kNone;
}

std::uint32_t HashTable::next(std::uint32_t index) const noexcept {
    orderChains();
    const Entry& e = at(index);
    if (e.next != kNone) return e.next;
    const std::uint32_t* const heads = this->heads();
    for (std::uint32_t b = bucketOf(bucketHash(e)) + 1; b < buckets_; ++b)
        if (heads[b] != kNone) return heads[b];
    return kNone;
}

}  // namespace orvane::detail
