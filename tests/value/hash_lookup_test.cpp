// Lookups in large Hashes, where a key index stands in for the bucket chains: every key present is
// found under its narrow and its wide spelling, every key erased is gone, copies go their own way,
// and a failed allocation leaves the table as it was. The keys are chosen to collide in hashCode.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <map>
#include <new>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "tests/value/value_builders.h"
#include "value/hash_table.h"
#include "value/text.h"
#include "value/value.h"

using namespace orvane;
using namespace orvane::testing;

namespace {

// Allocations left before operator new fails, per thread; negative: never fail.
thread_local long allocationsLeft = -1;

}  // namespace

// Every plain form of new and delete is replaced, so that all of them agree (a sanitizer checks
// that what one allocates the matching one frees). GCC sees the free below inlined into this file's
// deletes of new'd objects and calls that a mismatch; these functions are the program's whole set.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t n) {
    if (allocationsLeft == 0) throw std::bad_alloc();
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return operator new(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept { return operator new(n, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr std::uint32_t kIndexFrom = detail::HashTable::kIndexFrom;

// "key0".."key<n-1>": keys that differ only in trailing digits share hashCode in large groups.
std::vector<std::string> trailingDigits(int n) {
    std::vector<std::string> keys;
    for (int i = 0; i < n; ++i) keys.push_back("key" + std::to_string(i));
    return keys;
}

// Keys of `blocks` two-character blocks, each block one of ten with the same 5 x first + second
// ("0]", "1X", ... "90"): every key has the same hashCode, and swapping blocks keeps it.
std::vector<std::string> oneHashCode(int blocks) {
    std::vector<std::string> keys{""};
    for (int b = 0; b < blocks; ++b) {
        std::vector<std::string> longer;
        for (const std::string& k : keys)
            for (char c = '0'; c <= '9'; ++c) longer.push_back(k + c + char(333 - 5 * c));
        keys = std::move(longer);
    }
    return keys;
}

// A HashTable used directly, for what a Value does not show (entry indices and the index's size),
// beside the map it must agree with.
class Table {
public:
    std::uint32_t insert(const std::string& k, int value, bool wide = false) {
        const std::u16string w = widen(k);
        auto key = wide ? detail::KeyText::of(w) : text(k);
        t_.findOrInsert(key, [&] { return wide ? W(w) : N(k); }).value = I(value);
        model_[k] = value;
        return find(k);
    }
    std::uint32_t find(const std::string& k) const { return t_.find(text(k)); }
    bool erase(const std::string& k) {
        model_.erase(k);
        return t_.erase(text(k));
    }
    const detail::HashTable& table() const { return t_; }

    // Every key of the model is found with its value under its narrow and its wide spelling, no
    // other key of `universe` is, and no entry index reaches 3/4 of the slots of an index: the bits
    // beside a slot's tag always hold it.
    ::testing::AssertionResult matches(const std::vector<std::string>& universe) const {
        if (t_.size() != model_.size())
            return ::testing::AssertionFailure() << "size " << t_.size() << ", expected " << model_.size();
        for (const std::string& k : universe) {
            const auto it = model_.find(k);
            const std::uint32_t i = find(k);
            const bool found = i != detail::HashTable::kNone;
            if ((it != model_.end()) != found)
                return ::testing::AssertionFailure() << k << (found ? " is still found" : " is lost");
            if (t_.find(detail::KeyText::of(widen(k))) != i)
                return ::testing::AssertionFailure() << k << " is entry " << i << " only when narrow";
            if (!found) continue;
            if (t_.at(i).value.toInteger() != it->second)
                return ::testing::AssertionFailure() << k << " finds entry " << i << " of another key";
            if (t_.indexSlots() != 0 && 4 * std::uint64_t{i} >= 3 * std::uint64_t{t_.indexSlots()})
                return ::testing::AssertionFailure() << k << " has entry " << i << " with only "
                                                     << t_.indexSlots() << " slots";
        }
        return ::testing::AssertionSuccess();
    }

private:
    static detail::KeyText text(const std::string& k) { return detail::KeyText::of(k); }
    detail::HashTable t_;
    std::map<std::string, int> model_;
};

// Checked after every insertion while the index appears and grows three times, then at the end.
TEST(HashLookup, EveryKeyIsFoundAcrossTheIndexThresholdAndItsGrowth) {
    struct Family { const char* name; std::vector<std::string> keys; std::size_t sharingOneHashCode; };
    const Family families[] = {{"trailing digits", trailingDigits(3000), 8}, {"one hashCode", oneHashCode(3), 1000}};
    for (const Family& f : families) {
        SCOPED_TRACE(f.name);
        std::unordered_map<std::uint32_t, std::size_t> groups;
        std::size_t largest = 0;
        for (const std::string& k : f.keys) largest = std::max(largest, ++groups[N(k).hashCode()]);
        ASSERT_GE(largest, f.sharingOneHashCode) << "the keys do not collide";
        Table t;
        for (std::size_t i = 0; i < f.keys.size(); ++i) {
            t.insert(f.keys[i], static_cast<int>(i));
            if (i < 8 * kIndexFrom) {
                ASSERT_TRUE(t.matches(f.keys)) << "after inserting " << f.keys[i];
            }
        }
        t.insert(f.keys[7], -7, true);
        EXPECT_TRUE(t.matches(f.keys)) << "a wide key names the narrow entry";
    }
}

// Erasing every key in turn from tables filled to the index's limit before growing, so that each
// erasure lands somewhere in a probe run and shifts what follows it.
TEST(HashLookup, EraseAnywhereInAProbeRunKeepsTheRestReachable) {
    for (std::uint32_t n : {kIndexFrom * 3 / 2, kIndexFrom * 3, kIndexFrom * 6, kIndexFrom * 24}) {
        const std::vector<std::string> keys = trailingDigits(static_cast<int>(n));
        Table full;
        for (std::uint32_t i = 0; i < n; ++i) full.insert(keys[i], static_cast<int>(i));
        for (const std::string& k : keys) {
            Table t = full;  // the index copied as it is
            ASSERT_TRUE(t.erase(k)) << n << " keys, erasing " << k;
            ASSERT_TRUE(t.matches(keys)) << n << " keys, erased " << k;
        }
        EXPECT_TRUE(full.matches(keys)) << "the original is untouched";
    }
}

// Narrow and wide spellings name one entry exactly when their hashCodes and their texts agree, in a
// table of any size. A byte above 0x7F compares as the unit it sign-extends to, but hashCode widens
// it to 32 bits, so "\xE9" and u"\uFFE9" stay two keys; Latin-1 widening (U+00E9) is another text.
TEST(HashLookup, NarrowAndWideSpellingsNameOneEntryInSmallAndLargeTables) {
    struct Row {
        const char* name;
        std::string narrow;
        std::u16string wide;
        bool equalText, sameEntry;
    };
    const Row rows[] = {
        {"empty", "", u"", true, true},
        {"ascii, shorter than a word", "ab", u"ab", true, true},
        {"ascii, several words and a tail", "settings.window.left", u"settings.window.left", true, true},
        {"high byte, sign-extended", "caf\xE9", u"caf\uFFE9", true, false},
        {"high bytes past a word", "\x80zzzz\xFF", u"\uFF80zzzz\uFFFF", true, false},
        {"high byte, Latin-1 widened", "caf\xE9", u"caf\u00E9", false, false},
        {"case differs", "Setting", u"setting", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const detail::KeyText narrow = detail::KeyText::of(r.narrow), wide = detail::KeyText::of(r.wide);
        ASSERT_EQ(detail::equalText(narrow, wide), r.equalText);
        EXPECT_EQ(detail::keyHash(narrow) == detail::keyHash(wide), r.equalText);
        for (int filler : {0, 3 * static_cast<int>(kIndexFrom)}) {
            SCOPED_TRACE(filler ? "with an index" : "without an index");
            Value h;
            for (const std::string& k : trailingDigits(filler)) h.entry(N(k)) = I(0);
            const std::uint32_t size = h.size();
            h.entry(N(r.narrow)) = I(1);
            EXPECT_EQ(dump(h.find(W(r.wide))), r.sameEntry ? "i1" : "undef");
            h.entry(W(r.wide)) = I(2);
            EXPECT_EQ(h.size(), size + (r.sameEntry ? 1 : 2));
            EXPECT_EQ(h.eraseKey(r.wide), 1u);
            EXPECT_EQ(dump(h.find(N(r.narrow))), r.sameEntry ? "undef" : "i1");
            EXPECT_EQ(h.size(), size + (r.sameEntry ? 0 : 1));
        }
    }
}

// The index is only as fast as its hash spreads keys that hashCode lumps together, both in the
// home slot (the low bits) and in the tag that screens keys sharing a probe run (the others).
TEST(HashLookup, KeyHashSeparatesCollidingKeys) {
    for (const std::vector<std::string>& keys : {trailingDigits(100000), oneHashCode(4)}) {
        std::set<std::uint32_t> full, slots;
        const std::uint32_t slotCount = std::bit_ceil(static_cast<std::uint32_t>(keys.size())) * 2;
        const std::uint32_t mask = slotCount - 1;
        for (const std::string& k : keys) {
            const std::uint32_t h = detail::keyHash(detail::KeyText::of(k));
            full.insert(h);
            slots.insert(h & mask);
        }
        // n keys spread over 2^32 values: n^2 / 2^33 pairs coincide on average, about one here.
        EXPECT_GE(full.size() + 20, keys.size()) << keys.front();
        // Random placement of n keys in s slots fills s(1 - e^(-n/s)) of them on average, give or
        // take a few hundred at most here; a hash that keeps the weak hash's structure fills far fewer.
        const double expected = slotCount * (1 - std::exp(-double(keys.size()) / slotCount));
        EXPECT_GT(double(slots.size()), 0.97 * expected) << keys.front();
    }
}

// Insertions that spill the table out of its object, create the index, grow it, or need a new chunk
// of entries, failing at each allocation in turn: every failure must leave the table exactly as it
// was, down to which entry the insertion that finally succeeds takes.
TEST(HashLookup, AFailedAllocationLeavesTheTableWhole) {
    using detail::HashTable;
    auto text = [](const std::string& k) { return detail::KeyText::of(k); };
    auto listing = [](const HashTable& t) {
        std::string out;
        for (std::uint32_t i = t.first(); i != HashTable::kNone; i = t.next(i))
            out += t.at(i).key.toNarrowString() + "=" + t.at(i).value.toNarrowString() + ",";
        return out;
    };
    constexpr std::uint32_t kInline = HashTable::kInline;
    // kInline * 8 starts a chunk (they double from kInline on) without touching the index.
    for (std::uint32_t filled : {kInline, kInline * 2, kIndexFrom - 1, kIndexFrom * 3 / 2, kInline * 8, kIndexFrom * 3}) {
        SCOPED_TRACE(std::to_string(filled) + " keys");
        const std::vector<std::string> keys = trailingDigits(static_cast<int>(filled) + 1);
        HashTable t;
        for (std::uint32_t i = 0; i < filled; ++i)
            t.findOrInsert(text(keys[i]), [&] { return N(keys[i]); }).value =
                I(static_cast<int>(i));
        const std::string& added = keys[filled];
        const Value addedKey = N(added), minusOne = I(-1);
        const std::string before = listing(t);
        int failures = 0;
        for (long allowed = 0;; ++allowed) {
            allocationsLeft = allowed;
            bool failed = false;
            try {
                t.findOrInsert(text(added), [&] { return addedKey; }).value = minusOne;
            } catch (const std::bad_alloc&) {
                failed = true;
            }
            allocationsLeft = -1;
            if (!failed) break;
            ++failures;
            SCOPED_TRACE("allocation " + std::to_string(allowed) + " failed");
            ASSERT_EQ(t.size(), filled);
            ASSERT_EQ(listing(t), before);
            ASSERT_EQ(t.find(text(added)), HashTable::kNone);
            for (std::uint32_t i = 0; i < filled; ++i) {
                const std::uint32_t at = t.find(text(keys[i]));
                ASSERT_NE(at, HashTable::kNone) << keys[i];
                ASSERT_EQ(t.at(at).value.toInteger(), static_cast<int>(i)) << keys[i];
            }
        }
        EXPECT_GE(failures, 1) << "the insertion allocates";
        EXPECT_EQ(t.find(text(added)), filled) << "the failed attempts took no entry";
        EXPECT_EQ(t.size(), filled + 1);
    }
}

// Tables filled to the index's limit, then emptied in different patterns and refilled with other
// keys, which take the erased entries: every entry up to the highest the index allows is in use
// again each round, yet the index neither grows nor loses a key until one key more arrives.
TEST(HashLookup, ReusedEntriesStayWithinTheIndexThatHoldsThem) {
    struct Row {
        const char* name;
        std::uint32_t erasedFrom, erasedTo, erasedStep;  // entry positions, in insertion order
    };
    for (std::uint32_t slots : {64u, 256u, 4096u}) {
        const std::uint32_t limit = slots / 4 * 3;
        const Row rows[] = {
            {"the newest quarter", limit - limit / 4, limit, 1},
            {"every third", 0, limit, 3},
            {"all but two, below the index threshold", 1, limit - 1, 1},
            {"the oldest half", 0, limit / 2, 1},
        };
        SCOPED_TRACE(std::to_string(slots) + " slots");
        Table t;
        std::vector<std::string> live = trailingDigits(static_cast<int>(limit)), universe = live;
        for (std::uint32_t i = 0; i < limit; ++i) ASSERT_EQ(t.insert(live[i], static_cast<int>(i)), i);
        ASSERT_EQ(t.table().indexSlots(), slots);
        ASSERT_TRUE(t.matches(universe));
        int next = 0;
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            std::vector<std::string> kept;
            for (std::uint32_t p = 0; p < live.size(); ++p) {
                if (p >= r.erasedFrom && p < r.erasedTo && (p - r.erasedFrom) % r.erasedStep == 0) {
                    ASSERT_TRUE(t.erase(live[p])) << live[p];
                } else {
                    kept.push_back(live[p]);
                }
            }
            ASSERT_TRUE(t.matches(universe)) << "after erasing";
            while (kept.size() < limit) {
                kept.push_back("new" + std::to_string(next++));
                universe.push_back(kept.back());
                t.insert(kept.back(), -next);
            }
            live = std::move(kept);
            std::vector<std::uint32_t> entries;
            for (const std::string& k : live) entries.push_back(t.find(k));
            std::sort(entries.begin(), entries.end());
            EXPECT_EQ(entries.front(), 0u);
            EXPECT_EQ(entries.back(), limit - 1) << "the refill took the erased entries, no new ones";
            EXPECT_EQ(std::unique(entries.begin(), entries.end()), entries.end());
            ASSERT_EQ(t.table().indexSlots(), slots) << "reuse does not grow the index";
            ASSERT_TRUE(t.matches(universe)) << "after refilling";
        }
        t.insert("one more", 1);
        universe.push_back("one more");
        EXPECT_EQ(t.table().indexSlots(), 2 * slots);
        EXPECT_TRUE(t.matches(universe)) << "after growing";
    }
}

// A small table keeps its first entries in the table object and spills the rest into chunks: a slot
// handed out on either side of the spill, or of a later chunk start, is the entry for its key for as
// long as the key stays, and writing through it is seen by lookups.
TEST(HashLookup, SlotsHandedOutStayValidAcrossTheSpill) {
    constexpr std::uint32_t kInline = detail::HashTable::kInline;
    std::vector<std::string> keys = trailingDigits(static_cast<int>(kInline * 4 + 3));
    Value h;
    std::vector<Value*> slots;  // null once its key is erased
    auto add = [&](std::size_t i) {  // the value is written through the slot only
        slots.push_back(&h.entry(N(keys[i])));
        *slots.back() = I(static_cast<int>(i));
    };
    auto stable = [&](const std::string& when) -> ::testing::AssertionResult {
        for (std::size_t j = 0; j < slots.size(); ++j) {
            if (!slots[j]) continue;
            if (&h.entry(N(keys[j])) != slots[j])
                return ::testing::AssertionFailure() << when << ": " << keys[j] << " moved";
            const std::string seen = dump(h.find(W(widen(keys[j]))));
            if (seen != "i" + std::to_string(j))
                return ::testing::AssertionFailure() << when << ": " << keys[j] << " holds " << seen;
        }
        return ::testing::AssertionSuccess();
    };
    for (std::size_t i = 0; i < keys.size(); ++i) {
        add(i);
        ASSERT_TRUE(stable("after inserting " + keys[i]));
    }
    // Inline entries erased and taken again by other keys, which get slots of their own.
    for (std::size_t j = 1; j < kInline; j += 2) {
        ASSERT_EQ(h.eraseKey(widen(keys[j])), 1u);
        slots[j] = nullptr;
    }
    for (std::size_t j = 1; j < kInline; j += 2) {
        keys.push_back("again" + std::to_string(j));
        add(keys.size() - 1);
    }
    EXPECT_TRUE(stable("after reuse"));
}

// Copies of tables taken just below, at and past the spill, and past a chunk start and the index
// threshold, each with erased entries waiting for reuse: a copy finds what the original held, reuses
// the same erased entries, grows on its own, and leaves the original alone.
TEST(HashLookup, CopiesOnEitherSideOfTheSpillKeepEntriesAndFreeList) {
    constexpr std::uint32_t kInline = detail::HashTable::kInline;
    for (std::uint32_t n : {1u, kInline - 1, kInline, kInline + 1, 2 * kInline + 3, kIndexFrom + 5}) {
        SCOPED_TRACE(std::to_string(n) + " keys");
        const std::vector<std::string> keys = trailingDigits(static_cast<int>(n + 4 * kInline));
        Table t;
        for (std::uint32_t i = 0; i < n; ++i) t.insert(keys[i], static_cast<int>(i));
        std::set<std::uint32_t> erased, taken;
        for (std::uint32_t i = 0; i < n; i += 3) {
            erased.insert(t.find(keys[i]));
            ASSERT_TRUE(t.erase(keys[i]));
        }
        Table copy = t;
        ASSERT_TRUE(copy.matches(keys)) << "as copied";
        std::uint32_t next = n;
        for (; taken.size() < erased.size(); ++next) taken.insert(copy.insert(keys[next], -static_cast<int>(next)));
        EXPECT_EQ(taken, erased) << "the copy reuses the erased entries first";
        for (; next < keys.size(); ++next) copy.insert(keys[next], -static_cast<int>(next));  // past the next spill
        EXPECT_TRUE(copy.matches(keys)) << "the copy, grown";
        t.insert(keys[1 % n], 77);
        EXPECT_TRUE(t.matches(keys)) << "the original";
        EXPECT_TRUE(Table(copy).matches(keys)) << "a copy of the grown copy";
    }
}

// The largest index sizes a test reaches cheaply, where a slot keeps the fewest tag bits: 2^19
// slots filled to the limit (13 tag bits), then grown to 2^20 (12) and thinned out.
TEST(HashLookup, LargeIndexesFindEveryKey) {
    constexpr std::uint32_t kSlots = 1u << 19;
    constexpr std::uint32_t kLimit = kSlots / 4 * 3;
    const std::vector<std::string> keys = trailingDigits(static_cast<int>(kLimit) + 1000);
    Table t;
    for (std::uint32_t i = 0; i < kLimit; ++i) t.insert(keys[i], static_cast<int>(i));
    ASSERT_EQ(t.table().indexSlots(), kSlots);
    ASSERT_TRUE(t.matches(keys)) << "full";
    for (std::uint32_t i = kLimit; i < keys.size(); ++i) t.insert(keys[i], static_cast<int>(i));
    ASSERT_EQ(t.table().indexSlots(), 2 * kSlots);
    ASSERT_TRUE(t.matches(keys)) << "grown";
    for (std::uint32_t i = 0; i < keys.size(); i += 5) ASSERT_TRUE(t.erase(keys[i])) << keys[i];
    EXPECT_TRUE(t.matches(keys)) << "thinned out";
}

}  // namespace
