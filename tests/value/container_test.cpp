// Vectors and Hashes: access, paths, iteration, keys/values, copy-on-write, index limits, depth.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <thread>
#include <tuple>

#include "tests/value/value_builders.h"
#include "value/body_pool.h"
#include "value/value.h"

using namespace orvane;
using namespace orvane::testing;

namespace {

std::int64_t liveBodies() { return detail::poolStats().liveBodies; }

TEST(ValueAccess, ReadingFindsOrAnswersTheSharedUndef) {
    const Value v = vec({I(10), Value(), N("x")});
    EXPECT_EQ(v.at(0).toInteger(), 10);
    EXPECT_EQ(&v.at(3), &Value::undef());
    EXPECT_EQ(&v.at(static_cast<std::uint32_t>(-1)), &Value::undef()) << "a negative index reads as absent";
    EXPECT_EQ(&I(5).at(0), &Value::undef());
    EXPECT_EQ(std::string() + char('0' + v.hasIndex(1, false)) + char('0' + v.hasIndex(1, true)) +
                  char('0' + v.hasIndex(2, true)) + char('0' + v.hasIndex(3, false)),
              "1010");
    EXPECT_FALSE(hash({{"0", I(1)}}).hasIndex(0, false));

    const Value h = hash({{"name", N("v")}, {"5", I(5)}, {"undef", I(0)}, {"true", B(true)}, {"gap", Value()}});
    EXPECT_EQ(dump(h.find(W(u"name"))), "n'v'") << "a wide key finds a narrow one";
    EXPECT_EQ(dump(h.find(I(5))), "i5") << "an Integer key is its text";
    EXPECT_EQ(dump(h.find(Value())), "i0") << "an Undef key is \"undef\"";
    EXPECT_EQ(&h.find(N("Name")), &Value::undef()) << "keys are case-sensitive";
    EXPECT_EQ(&vec({N("name")}).find(N("name")), &Value::undef());
    EXPECT_EQ(dump(h.findByName("name")), "n'v'");
    EXPECT_EQ(std::string() + char('0' + h.existsByName("gap", false)) + char('0' + h.existsByName("gap", true)) +
                  char('0' + h.existsByName(u"name", true)) + char('0' + h.existsByName(u"nope", false)),
              "1010");
}

// Each writer turns this Value into the container it needs, dropping any other kind.
TEST(ValueAccess, WritersMakeTheContainerTheyNeed) {
    using Make = std::function<Value()>;
    const std::tuple<const char*, Make, std::string> rows[] = {
        {"element drops an Integer", [] { Value v = I(7); v.element(2); return v; }, "[undef,undef,undef]"},
        {"Integer and wide keys name one text entry",
         [] { Value v = N("t"); v.entry(I(5)) = I(1); v.entry(W(u"5")) = I(2); return v; }, "{5:i2}"},
        {"appendSlot drops a Hash", [] { Value v = hash({{"a", I(1)}}); v.appendSlot() = I(9); return v; }, "[i9]"},
        {"resize grows and shrinks", [] { Value v = N("x"); v.resize(3); v.element(0) = I(1); v.resize(2); return v; },
         "[i1,undef]"},
        {"appendAll of a Vector", [] { Value v = vec({I(9)}); v.appendAll(vec({I(1), N("z")})); return v; },
         "[i9,i1,n'z']"},
        {"appendAll of itself", [] { Value v = vec({I(1), I(2)}); v.appendAll(v); return v; }, "[i1,i2,i1,i2]"},
        {"appendAll of a scalar adds nothing", [] { Value v = F(1); v.appendAll(N("x")); return v; }, "[]"},
        {"setEmptyVector", [] { Value v = B(true); v.setEmptyVector(); return v; }, "[]"},
        {"eraseKey is case-sensitive and takes wide text",
         [] { Value v = hash({{"a", I(1)}, {"A", I(2)}, {"b", I(3)}}); v.eraseKey(u"a"); v.eraseKey(u"b"); return v; },
         "{A:i2}"},
        {"an erased key can come back",
         [] { Value v = hash({{"a", I(1)}, {"b", I(2)}}); v.eraseKey(u"a"); v.entry(N("a")) = I(5); return v; },
         "{a:i5,b:i2}"},
        {"eraseKey leaves a Vector alone", [] { Value v = vec({N("a")}); v.eraseKey(u"a"); return v; }, "[n'a']"},
    };
    for (const auto& [name, make, want] : rows) EXPECT_EQ(dump(make()), want) << name;
    Value h;
    h.entry(I(5));
    EXPECT_EQ(h.firstKey().kind(), ValueKind::NarrowString) << "an Integer key is stored as text";
    EXPECT_EQ(h.eraseKey(u"5") * 10 + h.eraseKey(u"5"), 10u) << "the count of entries removed";
    for (const int n : {2, 100}) {  // a table of inline entries, and one with a lookup index
        Value t, key = N("k"), held = N("held");
        for (int i = 0; i < n; ++i) t.entry(N(std::to_string(i))) = I(i);
        t.entry(key) = held;
        t.eraseKey(u"k");
        EXPECT_FALSE(key.isShared() || held.isShared()) << n << ": an erased entry lets go at once, not when reused";
    }
}

// A key read from inside the Hash it goes into: the table grows past its inline room and builds
// and grows its index meanwhile, and the text being inserted must stay where it was read.
TEST(ValueAccess, AKeyTakenFromTheSameHash) {
    Value h;
    for (int i = 0; i < 200; ++i) h.entry(N("v" + std::to_string(i))) = N("key" + std::to_string(i));
    for (int i = 0; i < 200; ++i) h.entry(h.find(N("v" + std::to_string(i)))) = I(i);
    ASSERT_EQ(h.size(), 400u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(dump(h.find(N("key" + std::to_string(i)))), "i" + std::to_string(i));
    Value shared = h;  // a shared table detaches first: the key then lies in the copy left behind
    shared.entry(shared.find(N("v7"))) = I(-7);
    EXPECT_EQ(dump(shared.find(N("key7"))), "i-7");
    EXPECT_EQ(dump(h.find(N("key7"))), "i7");
}

TEST(ValuePaths, ResolveExistsEntryAt) {
    const Value tree = hash({{"list", vec({I(1), Value(), hash({{"deep", N("x")}})})}, {"gap", Value()}});
    struct Row { const char* name; Value path; std::string resolved; bool existsLoose, existsStrict; };
    const Row rows[] = {
        {"undef path is here", Value(), dump(tree), true, true},
        {"key with undef value", N("gap"), "undef", true, false},
        {"absent key", W(u"none"), "undef", false, false},
        {"integer on a hash", I(0), "undef", false, false},
        {"vector path", vec({N("list"), I(2), N("deep")}), "n'x'", true, true},
        {"nested vector component", vec({vec({N("list"), vec({I(2)})}), N("deep")}), "n'x'", true, true},
        {"path through undef element", vec({N("list"), I(1)}), "undef", false, false},
        {"negative index", vec({N("list"), I(-1)}), "undef", false, false},
        {"empty vector path is here", vec({}), dump(tree), true, true},
        {"float path is here, never exists", F(1), dump(tree), false, false},
        {"float component stays put", vec({N("list"), F(0), I(0)}), "i1", false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(dump(tree.resolve(r.path)), r.resolved) << r.name;
        EXPECT_EQ(tree.exists(r.path, false), r.existsLoose) << r.name;
        EXPECT_EQ(tree.exists(r.path, true), r.existsStrict) << r.name;
    }
    EXPECT_FALSE(vec({Value(), I(3)}).exists(I(0), false)) << "an Integer path needs a defined element either way";
    EXPECT_FALSE(Value().exists(Value(), true));
    EXPECT_TRUE(Value().exists(Value(), false));
    EXPECT_FALSE(Value().exists(vec({vec({})}), false)) << "a nested path must end somewhere defined";

    Value built;
    built.entryAt(vec({N("a"), I(1), N("b")})) = I(5);
    built.entryAt(vec({N("a"), I(0)})) = N("s");
    built.entryAt(N("top")) = B(true);
    built.entryAt(vec({N("a"), I(1), vec({N("c"), vec({I(0)})})})) = I(6);
    EXPECT_EQ(dump(built), "{a:[n's',{b:i5,c:[i6]}],top:btrue}");
    EXPECT_EQ(&built.entryAt(Value()), &built);
    EXPECT_EQ(&built.entryAt(F(2)), &built);
    Value list = I(1);
    list.entryAt(I(1)) = I(2);
    EXPECT_EQ(dump(list), "[undef,i2]");
}

TEST(ValueIteration, KeysInOrderWithValues) {
    Value value;
    const Value v = vec({N("a"), Value(), I(3)});
    std::string seen;
    for (Value k = v.firstKey(&value); k.kind() != ValueKind::Undef; k = v.nextKey(k, &value))
        seen += dump(k) + "=" + dump(value) + ";";
    EXPECT_EQ(seen, "i0=n'a';i1=undef;i2=i3;");
    EXPECT_EQ(v.nextKey(I(-1)).kind(), ValueKind::Undef);

    const Value h = hash({{"x", I(1)}, {"y", I(2)}});
    EXPECT_EQ(dump(h.nextKey(I(0))), "undef") << "a Hash needs a string key";
    EXPECT_EQ(dump(h.nextKey(N("absent"))), "undef");
    value = N("stale");
    EXPECT_EQ(I(3).firstKey(&value).kind(), ValueKind::Undef);
    EXPECT_EQ(dump(value), "undef") << "the end hands back Undef";
    EXPECT_EQ(hash({}).firstKey().kind(), ValueKind::Undef);

    struct Row { const char* name; Value v; std::string keysAll, keysDefined, values; };
    const Row rows[] = {
        {"vector", vec({N("a"), Value(), I(3)}), "[i0,i1,i2]", "[i0,i2]", "[n'a',undef,i3]"},
        {"hash", hash({{"a", Value()}}), "[n'a']", "[]", "[undef]"},
        {"hash in table order", hash({{"p", I(1)}, {"q", I(2)}, {"r", I(3)}, {"s", I(4)}, {"t", I(5)}}),
         "[n'q',n's',n'p',n'r',n't']", "[n'q',n's',n'p',n'r',n't']", "[i2,i4,i1,i3,i5]"},
        {"undef", Value(), "undef", "undef", "[undef]"},
        {"scalar", I(4), "undef", "undef", "[i4]"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(dump(r.v.keys(true)), r.keysAll) << r.name;
        EXPECT_EQ(dump(r.v.keys(false)), r.keysDefined) << r.name;
        EXPECT_EQ(dump(r.v.values()), r.values) << r.name;
    }
}

// The entry walk lists what firstKey/nextKey list, in their order, and hands out the table's own
// handles: a copy would count as a second owner of each value.
TEST(ValueIteration, EntryWalkMatchesKeyIterationWithoutCopying) {
    auto byKeys = [](const Value& h) {
        std::string out;
        Value value;
        for (Value k = h.firstKey(&value); k.kind() != ValueKind::Undef; k = h.nextKey(k, &value))
            out += dump(k) + "=" + dump(value) + ";";
        return out;
    };
    auto byWalk = [](const Value& h) {
        std::string out;
        h.forEachEntry([&](const Value& key, const Value& value) {
            out += dump(key) + "=" + dump(value) + ";";
            EXPECT_EQ(&value, &h.find(key)) << dump(key) << " is not the table's own value";
            EXPECT_FALSE(key.isShared() || value.isShared()) << dump(key) << " was copied";
        });
        return out;
    };
    // "keyN" keys collide on hashText, so these chains are long and the large tables have an index.
    auto numbered = [](int n, int step) {
        Value h;
        for (int i = 0; i < n; i += step) h.entry(N("key" + std::to_string(i))) = i % 5 == 0 ? Value() : I(i);
        return h;
    };
    auto erasedAndRefilled = [&](int n) {
        Value h = numbered(n, 1);
        for (int i = 0; i < n; i += 3) h.eraseKey(N("key" + std::to_string(i)).toWideString());
        for (int i = 0; i < n; i += 6) h.entry(N("key" + std::to_string(i))) = I(-i);  // reuses erased entries
        for (int i = n; i < n + 40; ++i) h.entry(N("key" + std::to_string(i))) = Value();
        return h;
    };
    struct Row { const char* name; Value h; std::uint32_t size; };
    const Row rows[] = {
        {"empty after an erase", hash({}), 0},
        {"inline, Undef values included", hash({{"b", Value()}, {"a", I(1)}, {"B", N("x")}}), 3},
        {"colliding keys past the inline entries", numbered(30, 1), 30},
        {"colliding keys with an index", numbered(3000, 1), 3000},
        {"erased and re-inserted, small", erasedAndRefilled(20), 20 - 7 + 4 + 40},
        {"erased and re-inserted, indexed", erasedAndRefilled(900), 900 - 300 + 150 + 40},
        {"Latin-1 and empty keys", hash({{"w", I(1)}, {"\xe9", I(2)}, {"", Value()}}), 3},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(r.h.size(), r.size) << r.name;
        std::uint32_t seen = 0;
        r.h.forEachEntry([&](const Value&, const Value&) { ++seen; });
        EXPECT_EQ(seen, r.size) << r.name;
        EXPECT_EQ(byWalk(r.h), byKeys(r.h)) << r.name;
    }

    for (const Value& v : {Value(), I(1), N("k"), vec({hash({{"a", I(1)}})})})
        v.forEachEntry([&](const Value& key, const Value&) { ADD_FAILURE() << dump(v) << " has entry " << dump(key); });
}

// Every writing operation, applied to one handle of a shared tree, must leave the other handle alone.
TEST(ValueCopyOnWrite, EveryWriterDetachesOnlyItsHandle) {
    using Writer = std::function<void(Value&)>;
    const std::pair<const char*, Writer> rows[] = {
        {"setInteger", [](Value& v) { v.setInteger(1); }}, {"setFloat", [](Value& v) { v.setFloat(1); }},
        {"setBoolean", [](Value& v) { v.setBoolean(true); }}, {"setPointer", [](Value& v) { v.setPointer(&v); }},
        {"setNarrowString", [](Value& v) { v.setNarrowString("n"); }},
        {"setWideString", [](Value& v) { v.setWideString(u"w"); }},
        {"setEmptyVector", [](Value& v) { v.setEmptyVector(); }}, {"assign", [](Value& v) { v = I(3); }},
        {"element deep", [](Value& v) { v.element(1).element(0).setInteger(8); }},
        {"appendSlot", [](Value& v) { v.appendSlot() = I(8); }}, {"resize", [](Value& v) { v.resize(1); }},
        {"appendAll", [](Value& v) { v.appendAll(vec({I(8)})); }}, {"entry", [](Value& v) { v.entry(N("k")); }},
        {"entryAt into a hash", [](Value& v) { v.entryAt(vec({I(2), N("h")})) = I(8); }},
        {"eraseKey", [](Value& v) { v.element(2).eraseKey(u"h"); }},
        {"sort", [](Value& v) { v.element(1).sort(); }}, {"sortNoCase", [](Value& v) { v.element(1).sortNoCase(); }},
    };
    for (const auto& [name, write] : rows) {
        const Value original = vec({I(9), vec({N("b"), N("a")}), hash({{"h", I(1)}, {"g", I(2)}})});
        const std::string before = dump(original);
        Value copy = original;
        write(copy);
        EXPECT_EQ(dump(original), before) << name;
        EXPECT_NE(dump(copy), before) << name << " did not write at all";
    }
}

TEST(ValueCopyOnWrite, CopiesAreSharedReadsNeverDetachWritesCopyOnceShallow) {
    Value a;
    for (int i = 0; i < 1000; ++i) a.appendSlot().setInteger(i);
    const std::int64_t start = liveBodies();
    Value b = a;
    EXPECT_EQ(liveBodies(), start) << "a copy allocates nothing";
    (void)b.at(7);
    (void)b.keys(true);
    (void)b.compare(a);
    EXPECT_EQ(&a.at(5), &b.at(5)) << "reading never detaches";

    b.element(0).setInteger(-1);
    EXPECT_EQ(liveBodies(), start + 2) << "one new Vector body, one new element; the rest stays shared";
    EXPECT_EQ(a.at(0).toInteger(), 0);
    b.element(1).setInteger(-2);
    EXPECT_EQ(liveBodies(), start + 3) << "the second write on the now private Vector copies no more";
    a = Value();
    EXPECT_EQ(liveBodies(), start) << "a's Vector and its elements 0 and 1, no longer shared, are freed";

    Value v = N("text");  // a kind change swaps or reuses the body: the count stays one
    v.setInteger(1);
    v.setEmptyVector();
    v.entry(N("k"));  // the Hash itself, its table and the key's body
    EXPECT_EQ(liveBodies(), start + 3);
}

// Scalars live in small bodies, strings and containers in large ones, a Hash's table in a third
// class; a body freed into the wrong class's list would later be handed out overlapping a
// neighbour. This fills many fresh bodies of all classes, interleaved, and reads every one back.
void expectBodiesDisjoint(const char* after) {
    constexpr int kEach = 64;
    Value ints[kEach], texts[kEach], tables[kEach];
    for (int i = 0; i < kEach; ++i) {
        ints[i].setInteger(i * 1001);
        texts[i].setNarrowString("text #" + std::to_string(i) + " fills its inline room");
        for (int k = 0; k < 8; ++k) tables[i].entry(N("k" + std::to_string(k))) = I(i + k);
    }
    for (int i = 0; i < kEach; ++i) {
        ASSERT_EQ(ints[i].toInteger(), i * 1001) << after;
        ASSERT_EQ(texts[i].toNarrowString(), "text #" + std::to_string(i) + " fills its inline room") << after;
        for (int k = 0; k < 8; ++k)
            ASSERT_EQ(tables[i].findByName("k" + std::to_string(k)).toInteger(), i + k) << after;
    }
}

// A Value switching kinds back and forth, crossing between the two body sizes, alone and shared.
TEST(ValueBodies, KindChangesAcrossSizesKeepValuesCountsAndNeighbours) {
    using Set = std::function<void(Value&)>;
    struct Row { const char* name; Set set; std::string want; };
    const Row rows[] = {
        {"integer", [](Value& v) { v.setInteger(-7); }, "i-7"},
        {"float", [](Value& v) { v.setFloat(2.5); }, "f2.5"},
        {"pointer", [](Value& v) { v.setPointer(reinterpret_cast<const void*>(0x40)); }, "p64"},
        {"boolean", [](Value& v) { v.setBoolean(true); }, "btrue"},
        {"short narrow", [](Value& v) { v.setNarrowString("ab"); }, "n'ab'"},
        {"long wide", [](Value& v) { v.setWideString(u"a wide text longer than the inline room"); },
         "w'a wide text longer than the inline room'"},
        {"vector of both sizes",
         [](Value& v) {
             v.setEmptyVector();
             v.appendSlot().setFloat(0.5);
             v.appendSlot().setNarrowString("x");
         },
         "[f0.5,n'x']"},
        {"hash of both sizes", [](Value& v) { v.entry(N("k")) = vec({B(false), I(3)}); }, "{k:[bfalse,i3]}"},
    };
    const std::int64_t start = liveBodies();
    for (const Row& from : rows) {
        for (const Row& to : rows) {
            const std::string name = std::string(from.name) + " -> " + to.name;
            {
                Value v;
                from.set(v);
                to.set(v);
                EXPECT_EQ(dump(v), to.want) << name << ", private";
                from.set(v);
                EXPECT_EQ(dump(v), from.want) << name << " and back, private";
            }
            EXPECT_EQ(liveBodies(), start) << name << ", private";
            {
                Value v;
                from.set(v);
                const Value other = v;
                to.set(v);
                EXPECT_EQ(dump(v), to.want) << name << ", shared";
                EXPECT_EQ(dump(other), from.want) << name << ": the other handle keeps its value";
                Value third = v;
                from.set(v);
                EXPECT_EQ(dump(v), from.want) << name << " and back, shared";
                EXPECT_EQ(dump(third), to.want) << name << " and back: the other handle keeps its value";
                EXPECT_NE(v.identity(), other.identity()) << name << ": equal values, separate data";
            }
            EXPECT_EQ(liveBodies(), start) << name << ", shared";
            expectBodiesDisjoint(name.c_str());
        }
    }
}

// Builds `levels` nested containers, Hash and Vector in turn, each also holding scalars and strings.
Value mixedTree(int levels) {
    Value root;
    Value* slot = &root;
    for (int i = 0; i < levels; ++i) {
        if (i % 2 == 0) {
            slot->entry(N("i")).setInteger(i);
            slot->entry(N("t")).setWideString(u"a wide text longer than the inline room");
            slot = &slot->entry(N("next"));
        } else {
            slot->element(0).setBoolean(true);
            slot->element(1).setFloat(i + 0.5);
            slot->element(2).setPointer(slot);
            slot = &slot->element(3);
        }
    }
    slot->setNarrowString("leaf");
    return root;
}

TEST(ValueBodies, DeepMixedTreesReleaseEveryBodyOnce) {
    constexpr int kLevels = 100'000;
    const std::int64_t start = liveBodies();
    {
        Value tree = mixedTree(kLevels);
        // A middle level held from outside survives the root's release with all it holds.
        Value middle = tree.resolve(vec({N("next"), I(3), N("next"), I(3)}));
        ASSERT_EQ(dump(middle.find(N("i"))), "i4");
        const std::int64_t whole = liveBodies() - start;
        tree = Value();
        EXPECT_LT(liveBodies() - start, whole);
        EXPECT_GT(liveBodies() - start, whole / 2) << "the middle level's subtree stays";
        EXPECT_EQ(dump(middle.find(N("i"))), "i4");
        EXPECT_EQ(middle.resolve(vec({N("next"), I(1)})).toFloat(), 5.5);
        Value deepest = middle;
        for (int i = 4; i < kLevels; ++i) deepest = deepest.resolve(i % 2 == 0 ? N("next") : I(3));
        EXPECT_EQ(dump(deepest), "n'leaf'");
        deepest = Value();
        middle.setInteger(0);  // drops the rest of the tree for a small body
        expectBodiesDisjoint("releasing a deep tree");
    }
    EXPECT_EQ(liveBodies(), start);
}

// A body freed on another thread joins that thread's list of its own class: a fresh thread that
// releases a tree can build the same tree again from what it freed, without a new slab.
TEST(ValueBodies, AThreadReusesWhatItFreedClassByClass) {
    constexpr int kLevels = 2'000;
    Value tree = mixedTree(kLevels);
    std::int64_t freed = 0, rebuilt = 0;
    std::size_t grown = 1;
    std::string leaf;
    std::thread([&] {
        tree = Value();
        freed = -detail::poolStats().liveBodies;
        const std::size_t reserved = detail::poolStats().reservedBytes;
        Value again = mixedTree(kLevels);
        grown = detail::poolStats().reservedBytes - reserved;
        rebuilt = detail::poolStats().liveBodies + freed;
        leaf = again.resolve(vec({N("next"), I(3), N("next"), I(3)})).find(N("t")).toNarrowString();
    }).join();
    EXPECT_EQ(freed, rebuilt) << "the same tree has the same bodies";
    EXPECT_GT(freed, 5 * kLevels / 2);
    EXPECT_EQ(grown, 0u) << "every body came from a free list of its own class";
    EXPECT_EQ(leaf, "a wide text longer than the inline room");
}

TEST(ValueLimits, RefusedIndicesNeverWriteOutsideTheVector) {
    for (const std::uint32_t index : {static_cast<std::uint32_t>(-1), 0x80000000u, Value::kMaxVectorSize}) {
        Value v = vec({I(1), I(2)});
        Value& slot = v.element(index);
        EXPECT_TRUE(slot.isScratchSlot()) << index;
        slot = I(99);
        EXPECT_EQ(dump(v), "[i1,i2]") << index;
        Value s = I(5);
        s.element(index);
        EXPECT_EQ(dump(s), "i5") << index << ": a refused index leaves the Value unchanged";
    }
    EXPECT_EQ(dump(Value().element(static_cast<std::uint32_t>(-2))), "undef") << "earlier writes are dropped";

    Value tree;
    Value& refused = tree.entryAt(vec({N("a"), I(-1), N("b")}));
    EXPECT_TRUE(refused.isScratchSlot()) << "the caller of entryAt can tell";
    refused = I(3);
    EXPECT_EQ(dump(tree), "{a:undef}");
    EXPECT_FALSE(tree.element(0).isScratchSlot());

    Value big = vec({I(1)});
    EXPECT_THROW(big.resize(Value::kMaxVectorSize + 1), std::bad_alloc);
    EXPECT_EQ(dump(big), "[i1]");
}

TEST(ValueDepth, MillionLevelsReleaseAndCompareWithoutRecursion) {
    constexpr int kLevels = 1'000'000;
    const std::int64_t start = liveBodies();
    auto nest = [&](bool hashes, std::int32_t leaf) {
        Value root;
        Value* slot = &root;
        const Value key = N("k");
        for (int i = 0; i < kLevels; ++i) slot = hashes ? &slot->entry(key) : &slot->element(0);
        slot->setInteger(leaf);
        return root;
    };
    {
        Value a = nest(false, 1), b = nest(false, 2);
        Value path;
        EXPECT_EQ(a.compare(b, 0, &path), -1);
        ASSERT_EQ(path.size(), static_cast<std::uint32_t>(kLevels));
        EXPECT_EQ(dump(path.at(kLevels - 1)), "i0");
        EXPECT_EQ(a.compare(a), 0);
        b = Value();
        a.setInteger(0);  // replacing the kind releases the tree and keeps the body
    }
    EXPECT_EQ(liveBodies(), start);
    {
        Value a = nest(true, 1), b = nest(true, 1);
        EXPECT_EQ(a.compare(b), 0);
        b.entryAt(vec({N("k"), N("k"), N("extra")})) = I(0);
        Value path;
        EXPECT_EQ(a.compare(b, 0, &path), -1);
        EXPECT_EQ(dump(path), "[n'k',n'k']");
    }
    EXPECT_EQ(liveBodies(), start);
}

}  // namespace
