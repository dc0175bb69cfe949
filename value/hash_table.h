// The table behind a Hash Value, and the key text rules it shares with Value::compare.
//
// Invariants (the settings file's line order depends on them):
// - Linear hashing. The table starts with one open bucket; inserting a new key while the table holds
//   c >= 4 x open entries first opens one more bucket. The mask is the smallest 2^k - 1 covering
//   the open buckets; a key's bucket is hashCode & mask, less (mask + 1) / 2 when that is not below the
//   number of open buckets. Opening bucket n splits bucket n - (mask + 1) / 2. Erasing never closes one.
// - Iteration order: buckets ascending, inside a bucket keys ascending by compareText (case-sensitive).
//   The chains that hold this order are brought up to date only when the table is next walked in
//   order (first/next): a small table links a new key to the front of its bucket's chain and the
//   chains are sorted then, with a merge sort that neither allocates nor recurses; a table with a
//   lookup index does not link new keys at all (finding them is the index's job) and the walk
//   relinks every live entry first. Loading a large table thus compares no keys and walks no chain.
// - Entries never move once created, so a slot handed out by Value::entry stays valid while other
//   entries come and go; erased entries are reused. The first kInline entries and the heads of the
//   buckets they open live in the table object itself (which is heap-allocated and never moves), so
//   a small table costs one allocation; past them the table spills: a Spill holds the bucket heads,
//   the further chunks of entries (each as large as all before it) and the lookup index.
// - Lookup index. hashText is part of the language and collides badly on keys that differ only in
//   trailing digits (a million "keyN" share ~40,000 values), so once a table has held kIndexFrom
//   entries, find, insert and erase go through an open-addressing array keyed by keyHash instead of
//   walking the chains. From then on an entry's `hash` is its keyHash and the bucket's hashText is
//   computed from the key where a walk needs it. The array holds every live entry once and nothing
//   else, in a 4-byte slot: the low indexBits_ bits are the entry index, the others a tag (the same
//   bits of the keyHash), while the low indexBits_ bits of the keyHash pick the home slot; the tag
//   screens out most other keys of a probe run without touching their entries. Linear probing, at
//   most 3/4 full (5.3 to 10.7 bytes per entry), erasing shifts the rest of the probe run back so
//   there are no tombstones. Growing the index and that shift read the entries' stored keyHash, never
//   their keys. Below kIndexFrom a table has no array at all.
// - An entry index fits beside its tag: an entry is carved only when the free list is empty, that is
//   when every entry is live, so the indices in use stay below the most entries the table has held
//   at once, and the index, never shrinking and at most 3/4 full, has at least 4/3 as many slots.
//   The index bits of a slot are thus never all ones, and the all-ones word marks an empty slot.
//   For the same reason the index fills up only when no entry is erased.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "value/value.h"

namespace orvane::detail {

// The characters of a string Value, narrow (bytes) or wide (16-bit units).
struct KeyText {
    const void* data;
    std::size_t length;
    bool wide;

    static KeyText of(std::string_view s) { return {s.data(), s.size(), false}; }
    static KeyText of(std::u16string_view s) { return {s.data(), s.size(), true}; }
};

// The string order of compare(): narrow against narrow as signed bytes, wide against wide as
// unsigned units, mixed with the byte sign-extended to 16 bits; without case, ASCII letters fold.
int compareText(KeyText a, KeyText b, bool caseSensitive) noexcept;
bool equalText(KeyText a, KeyText b) noexcept;  // compareText(a, b, true) == 0, faster
std::uint32_t hashText(KeyText t) noexcept;     // Value::hashCode of a string
// A well-mixed hash for the lookup index; keys that equalText finds equal hash alike.
std::uint32_t keyHash(KeyText t) noexcept;
KeyText textOf(const Value& stringValue) noexcept;  // defined with Value's body

class HashTable {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr std::uint32_t kIndexFrom = 32;  // entries held when the lookup index appears
    // Entries held in the object itself. A settings record (3 to 10 keys) fits in 8; 4 would save
    // about 100 bytes on a table of one or two entries but pay four allocations more from the fifth
    // entry on, and 16 would double what every small table costs.
    static constexpr std::uint32_t kInline = 8;

    struct Entry {
        Value key;  // a string; Undef while the entry is erased or still being added
        Value value;
        std::uint32_t hash = 0;     // hashText of the key; its keyHash once the table has an index
        std::uint32_t next = kNone; // next entry of the bucket chain, or of the free list when erased
    };

    HashTable() noexcept {}
    HashTable(const HashTable& other);
    ~HashTable() { std::destroy_n(inline_, std::min(used_, kInline)); }
    HashTable& operator=(const HashTable&) = delete;

    std::uint32_t size() const noexcept { return count_; }
    std::uint32_t find(KeyText key) const noexcept {  // entry index or kNone
        return find(key, hashFor(key));
    }
    // Slots of the lookup index, 0 while there is none: what the index costs, for tests and benchmarks.
    std::uint32_t indexSlots() const noexcept { return indexBits_ ? std::uint32_t{1} << indexBits_ : 0; }
    // The entry for the key, added with an Undef value when absent (makeKey() gives the stored key).
    template <class MakeKey>
    Entry& findOrInsert(KeyText key, MakeKey makeKey) {
        return findOrInsertHashed(key, hashFor(key), makeKey);
    }
    // The same when the caller knows hashText(key).
    template <class MakeKey>
    Entry& findOrInsert(KeyText key, std::uint32_t keyHashText, MakeKey makeKey) {
        return findOrInsertHashed(key, indexBits_ ? keyHash(key) : keyHashText, makeKey);
    }
    bool erase(KeyText key) noexcept;

    // Iteration in order. Logically const: the first call after an insertion orders the chains.
    std::uint32_t first() const noexcept;                     // kNone when empty
    std::uint32_t next(std::uint32_t index) const noexcept;   // kNone after the last
    Entry& at(std::uint32_t index) noexcept { return index < kInline ? inline_[index] : spilled(index); }
    const Entry& at(std::uint32_t index) const noexcept {
        return index < kInline ? inline_[index] : spilled(index);
    }

    // Moves every key and value handle out, for a release that must not recurse.
    template <class Sink>
    void drain(Sink sink);

private:
    // The heads of the buckets the inline entries open (a new key opens one when c >= 4 x open).
    static constexpr std::uint32_t kInlineHeads = (kInline + 3) / 4;
    static_assert(std::has_single_bit(kInline), "entry positions split into chunk and offset by shifts");
    static_assert(kIndexFrom > kInline, "a table with an index has spilled");

    using Slot = std::uint32_t;  // tag bits above the entry index
    static constexpr Slot kEmpty = 0xFFFFFFFFu;
    // The index's memory. Its probes land anywhere in it, so on a large index each would also miss
    // the processor's address cache: where the platform offers huge pages, a large index asks for them.
    struct IndexDelete {
        bool huge;  // value-initialised: false
        void operator()(Slot* slots) const noexcept;
    };
    using Index = std::unique_ptr<Slot[], IndexDelete>;
    static Index newIndex(std::size_t slots);  // uninitialised; throws std::bad_alloc

    // What a table needs once it outgrows its inline room. Chunk k of `chunks` holds the entries
    // [kInline << k, kInline << (k + 1)); `heads` has one head per open bucket.
    struct Spill {
        std::vector<std::unique_ptr<Entry[]>> chunks;
        std::vector<std::uint32_t> heads;
        Index index;  // null while the table has held fewer than kIndexFrom entries
    };

    Entry& spilled(std::uint32_t index) const noexcept {  // an entry past the inline ones
        const auto k = static_cast<std::uint32_t>(std::bit_width(index / kInline)) - 1;
        return spill_->chunks[k][index - (kInline << k)];
    }
    std::uint32_t* heads() noexcept { return spill_ ? spill_->heads.data() : inlineHeads_; }
    const std::uint32_t* heads() const noexcept { return spill_ ? spill_->heads.data() : inlineHeads_; }
    std::uint32_t capacity() const noexcept {  // entries the table can hold without a new chunk
        return spill_ ? kInline << spill_->chunks.size() : kInline;
    }
    // What an entry's `hash` holds for this key: keyHash with an index, hashText without.
    std::uint32_t hashFor(KeyText key) const noexcept { return indexBits_ ? keyHash(key) : hashText(key); }
    std::uint32_t bucketHash(const Entry& e) const noexcept {  // the hashText deciding e's bucket
        return indexBits_ ? hashText(textOf(e.key)) : e.hash;
    }
    // `hash` is hashFor(key). When the key is absent and the table has an index, *empty (when given)
    // is the slot where the probe stopped, which is where the key would go.
    std::uint32_t find(KeyText key, std::uint32_t hash, std::uint32_t* empty = nullptr) const noexcept;
    template <class MakeKey>
    Entry& findOrInsertHashed(KeyText key, std::uint32_t hash, MakeKey makeKey);
    std::uint32_t slotOf(KeyText key, std::uint32_t hash, std::uint32_t* empty = nullptr) const noexcept;  // or kNone
    void placeInIndex(std::uint32_t entry, std::uint32_t hash) noexcept;
    void indexEntries(bool rehash) noexcept;  // places every live entry into an empty index
    void removeFromIndex(std::uint32_t slot) noexcept;
    std::uint32_t mask() const noexcept {  // the smallest 2^k - 1 covering the open buckets
        return std::bit_ceil(buckets_) - 1;
    }
    void orderChains() const noexcept;  // links and sorts them as the iteration order needs
    void relink() noexcept;
    std::uint32_t sortedChain(std::uint32_t head) noexcept;
    std::uint32_t bucketOf(std::uint32_t hash) const noexcept {
        const std::uint32_t m = mask();
        const std::uint32_t b = hash & m;
        return b >= buckets_ ? b - (m + 1) / 2 : b;
    }
    std::uint32_t newEntry() noexcept;
    void openBucket() noexcept;
    // `empty`: find's empty slot for the key, or kNone.
    std::uint32_t insertNew(KeyText key, std::uint32_t hash, std::uint32_t empty);
    void release(std::uint32_t* link) noexcept;  // unlinks the entry *link names and frees it
    void recycle(std::uint32_t entry) noexcept;  // frees an entry that no chain links

    std::unique_ptr<Spill> spill_;             // null while the table fits in the object
    std::uint32_t buckets_ = 1;                // open buckets (the size of spill_->heads once spilled)
    std::uint32_t used_ = 0;                   // entries carved, live or erased
    std::uint32_t count_ = 0;                  // live entries
    std::uint32_t freeHead_ = kNone;           // erased entries waiting for reuse
    std::uint32_t inlineHeads_[kInlineHeads] = {kNone};  // the heads until the table spills (bucket 0 open)
    mutable bool chained_ = true;              // every live entry is linked into its bucket's chain
    mutable bool sorted_ = true;               // every chain is in key order
    std::uint8_t indexBits_ = 0;               // the index has 2^indexBits_ slots; 0: there is none
    // Entries 0 .. kInline - 1, each constructed when carved: a load makes a table per record or
    // block, most hold a few keys, and the memory of the others is then never written.
    union {
        Entry inline_[kInline];
    };
};
static_assert(sizeof(void*) != 8 || sizeof(HashTable) <= HashTable::kInline * sizeof(HashTable::Entry) + 40,
              "a small table is its inline entries and a few words");

template <class MakeKey>
HashTable::Entry& HashTable::findOrInsertHashed(KeyText key, std::uint32_t hash, MakeKey makeKey) {
    // Most tables are records and blocks of a few keys. Below kInline carved entries a table has never
    // spilled nor had an index, so its inline chains hold every key; while the new key then needs no
    // bucket and no erased entry waits, it takes the next inline entry, all in one pass.
    if (used_ < kInline) {
        std::uint32_t& head = inlineHeads_[bucketOf(hash)];
        for (std::uint32_t i = head; i != kNone; i = inline_[i].next) {
            Entry& e = inline_[i];
            if (e.hash == hash && equalText(textOf(e.key), key)) return e;
        }
        if (freeHead_ == kNone && count_ < 4 * buckets_) {
            Value stored = makeKey();
            const std::uint32_t i = used_++;
            Entry& e = *std::construct_at(&inline_[i]);
            e.key = std::move(stored);
            e.hash = hash;
            e.next = head;
            head = i;
            if (e.next != kNone) sorted_ = false;  // a chain of one is in order
            ++count_;
            return e;
        }
    }
    std::uint32_t empty = kNone;
    std::uint32_t i = find(key, hash, &empty);
    if (i == kNone) {
        Value stored = makeKey();  // before linking, so a failed allocation leaves the table whole
        i = insertNew(key, hash, empty);
        at(i).key = std::move(stored);
    }
    return at(i);
}

template <class Sink>
void HashTable::drain(Sink sink) {
    for (std::uint32_t i = 0; i < used_; ++i) {
        Entry& e = at(i);
        sink(e.key);
        sink(e.value);
    }
}

}  // namespace orvane::detail
