// The iteration order of a Hash: the settings file is written in it, so it must never drift.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/value/value_builders.h"
#include "value/hash_table.h"
#include "value/text.h"
#include "value/value.h"

using namespace orvane;
using namespace orvane::testing;

namespace {

// A Hash beside a deliberately naive model of its table: the model remembers the keys and how many
// buckets are open, and derives the order from scratch by sorting on (bucket, key) with bytes
// compared as signed.
class OrderModel {
public:
    Value h;

    void insert(const std::string& key, bool wide = false) {
        h.entry(wide ? W(widen(key)) : N(key)) = I(1);
        if (std::find(keys_.begin(), keys_.end(), key) != keys_.end()) return;
        if (keys_.size() >= 4 * buckets_) ++buckets_;
        keys_.push_back(key);
    }
    std::uint32_t erase(const std::string& key) {
        keys_.erase(std::find(keys_.begin(), keys_.end(), key));
        return h.eraseKey(widen(key));
    }

    std::string order() const {
        std::uint32_t mask = 0;
        while (mask < buckets_ - 1) mask = mask * 2 + 1;
        auto rank = [&](const std::string& key) {
            std::uint32_t h = static_cast<std::uint32_t>(key.size());
            std::vector<int> chars;
            for (char c : key) {
                h = h * 5 + static_cast<std::uint32_t>(static_cast<signed char>(c));
                chars.push_back(static_cast<signed char>(c));
            }
            const std::uint32_t b = h & mask;
            return std::make_pair(b >= buckets_ ? b - (mask + 1) / 2 : b, chars);
        };
        std::vector<std::string> sorted = keys_;
        std::sort(sorted.begin(), sorted.end(), [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
        std::string out;
        for (const std::string& k : sorted) out += k + ",";
        return out;
    }

private:
    std::vector<std::string> keys_;
    std::uint32_t buckets_ = 1;
};

std::string iterationOrder(const Value& h) {
    std::string out;
    for (Value k = h.firstKey(); k.kind() != ValueKind::Undef; k = h.nextKey(k)) out += k.toNarrowString() + ",";
    return out;
}

TEST(HashOrder, LiteralOrdersWorkedOutByHand) {
    // One letter hashes to 5 + code: a=102 b=103 ... i=110.
    struct Row { const char* name; std::vector<std::string> inserted; std::string order; };
    const Row rows[] = {
        {"one bucket sorts", {"d", "b", "a", "c"}, "a,b,c,d,"},
        {"fifth key opens bucket 1: even codes first", {"e", "d", "c", "b", "a"}, "a,c,e,b,d,"},
        // Ninth key opens bucket 2 (mask 3): h&3 = 0 -> 0, 1 -> 1, 2 -> 2, 3 -> folds into 1.
        {"three buckets", {"a", "b", "c", "d", "e", "f", "g", "h", "i"}, "c,g,b,d,f,h,a,e,i,"},
        {"case makes two keys", {"b", "B", "a", "A"}, "A,B,a,b,"},
    };
    for (const Row& r : rows) {
        Value h;
        for (const std::string& k : r.inserted) h.entry(N(k)) = I(1);
        EXPECT_EQ(iterationOrder(h), r.order) << r.name;
    }
}

TEST(HashOrder, MatchesTheModelThroughGrowthEraseAndCopy) {
    std::vector<std::string> keys;
    for (int i = 0; i < 40; ++i) keys.push_back("key" + std::to_string((i * 17) % 40));
    for (const char* k : {"", "a", "Z", "zz", "\xE9t\xE9", "settings.window", "x\xFF", "AB", "ab", "a b"})
        keys.push_back(k);
    OrderModel m;
    for (const std::string& k : keys) {
        m.insert(k);
        ASSERT_EQ(iterationOrder(m.h), m.order()) << "after inserting " << k;
    }
    m.h.entry(N("key3")) = I(-1);  // an existing key neither moves nor opens a bucket
    EXPECT_EQ(iterationOrder(m.h), m.order());

    const Value before = m.h;
    for (const char* k : {"key0", "key7", "a", "", "key39", "zz"}) EXPECT_EQ(m.erase(k), 1u) << k;
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "erasing keeps the others in place";
    for (const char* k : {"new1", "new2", "key0", "\xE9"}) m.insert(k);
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "erased buckets stay open";

    Value copy = before;
    copy.entry(N("key1")) = I(5);  // detaches: the copy must keep the table's order
    EXPECT_EQ(iterationOrder(copy), iterationOrder(before));
    std::string listed;
    const Value k = m.h.keys(true);
    for (std::uint32_t i = 0; i < k.size(); ++i) listed += k.at(i).toNarrowString() + ",";
    EXPECT_EQ(listed, m.order()) << "keys() lists the iteration order";
}

// Chains are put in order only when the table is walked: many insertions with no walk between
// them, a walk that starts in the middle (nextKey) and a copy taken before any walk must all see
// the model's order.
TEST(HashOrder, OrderAppearsOnlyWhenWalkedAndIsTheSameEveryWay) {
    OrderModel m;
    for (int i = 0; i < 3000; ++i) m.insert("k" + std::to_string((i * 7919) % 3000));
    const Value copy = m.h;  // shares the unordered table
    Value detached = m.h;
    detached.entry(N("k0")) = I(-1);  // copies it, still unordered
    const std::string order = m.order();
    const std::size_t cut = order.find(',', order.size() / 2);
    const std::string middle = order.substr(order.rfind(',', cut - 1) + 1, cut - order.rfind(',', cut - 1) - 1);
    std::string rest;
    for (Value k = m.h.nextKey(N(middle)); k.kind() != ValueKind::Undef; k = m.h.nextKey(k))
        rest += k.toNarrowString() + ",";
    EXPECT_EQ(rest, order.substr(cut + 1)) << "a walk that starts in the middle";
    EXPECT_EQ(iterationOrder(copy), order);
    EXPECT_EQ(iterationOrder(detached), order);
}

// Large tables look keys up through an index of their own; the order must still be the chains'.
// Keys that collide in hashCode fill few buckets with long chains, the case the index exists for.
TEST(HashOrder, LargeTablesWithCollidingKeysKeepTheOrderThroughEraseAndReuse) {
    std::vector<std::string> keys;
    for (int i = 0; i < 700; ++i) keys.push_back("key" + std::to_string((i * 389) % 700));
    // Three blocks of two characters with one 5 x first + second each: all share one hashCode.
    for (char a = '0'; a <= '9'; ++a)
        for (char b = '0'; b <= '9'; ++b)
            for (char c = '0'; c <= '9'; ++c)
                keys.push_back(std::string{a, char(333 - 5 * a), b, char(333 - 5 * b), c, char(333 - 5 * c)});
    OrderModel m;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        m.insert(keys[i]);
        if (i % 97 == 0 || i + 1 == keys.size()) {
            ASSERT_EQ(iterationOrder(m.h), m.order()) << "after inserting " << keys[i];
        }
    }
    for (std::size_t i = 3; i < keys.size(); i += 4) ASSERT_EQ(m.erase(keys[i]), 1u) << keys[i];
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "after erasing every fourth key";
    const Value copy = m.h;
    for (std::size_t i = 3; i < keys.size(); i += 8) m.insert(keys[i], true);  // into erased entries
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "after re-inserting half of them";
    // Keys erased and added with no walk between: the erasures meet chains the additions left unlinked.
    for (std::size_t i = 1; i < keys.size(); i += 16) {
        ASSERT_EQ(m.erase(keys[i]), 1u) << keys[i];
        m.insert("late" + std::to_string(i));
    }
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "after erasing and adding with no walk between";
    Value detached = copy;
    detached.entry(N("key5")) = I(3);
    EXPECT_EQ(iterationOrder(detached), iterationOrder(copy)) << "a copy keeps the order";
}

// Small tables keep their first entries in the table object; the order must not notice where an
// entry lives. Copies of tables of every size up to past two chunk starts, each written to after
// the copy, and a table whose inline entries are all erased and taken by other keys.
TEST(HashOrder, SmallTablesAndTheirCopiesFollowTheModelAcrossTheInlineRoom) {
    constexpr std::uint32_t kInline = detail::HashTable::kInline;
    std::vector<std::string> keys;
    for (char c = 'a'; c <= 'z'; ++c) keys.push_back(std::string(1, c) + (c % 3 ? "" : "x"));
    ASSERT_GT(keys.size(), 2 * kInline + 2);
    for (std::uint32_t n = 0; n <= 2 * kInline + 2; ++n) {
        SCOPED_TRACE(std::to_string(n) + " keys");
        OrderModel m;
        for (std::uint32_t i = 0; i < n; ++i) m.insert(keys[i]);
        OrderModel copy = m, rewritten = m;
        copy.insert("copy");  // detaches
        EXPECT_EQ(iterationOrder(copy.h), copy.order());
        if (n > 0) rewritten.insert(keys[0]);  // detaches before any walk, adding no key
        EXPECT_EQ(iterationOrder(rewritten.h), m.order()) << "a copy taken before the chains were sorted";
        EXPECT_EQ(iterationOrder(m.h), m.order()) << "the original";
    }
    OrderModel m;
    for (std::uint32_t i = 0; i < 2 * kInline + 1; ++i) m.insert(keys[i]);
    for (std::uint32_t i = 0; i < kInline; ++i) ASSERT_EQ(m.erase(keys[i]), 1u);  // the inline entries
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "inline entries erased";
    for (std::size_t i = keys.size() - kInline; i < keys.size(); ++i) m.insert(keys[i], true);
    EXPECT_EQ(iterationOrder(m.h), m.order()) << "inline entries taken by other keys";
}

}  // namespace
