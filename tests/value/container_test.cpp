// Vectors and Hashes: access, paths, iteration, keys/values, copy-on-write, index limits, depth.
#include <gtest/gtest.h>

#include <functional>
#include <new>

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
    EXPECT_TRUE(v.hasIndex(1, false));
    EXPECT_FALSE(v.hasIndex(1, true));
    EXPECT_TRUE(v.hasIndex(2, true));
    EXPECT_FALSE(v.hasIndex(3, false));
    EXPECT_FALSE(hash({{"0", I(1)}}).hasIndex(0, false));

    const Value h = hash({{"name", N("v")}, {"5", I(5)}, {"undef", I(0)}, {"true", B(true)}, {"gap", Value()}});
    EXPECT_EQ(dump(h.find(W(u"name"))), "n'v'") << "a wide key finds a narrow one";
    EXPECT_EQ(dump(h.find(I(5))), "i5") << "an Integer key is its text";
    EXPECT_EQ(dump(h.find(Value())), "i0") << "an Undef key is \"undef\"";
    EXPECT_EQ(dump(h.find(B(true))), "btrue");
    EXPECT_EQ(&h.find(N("Name")), &Value::undef()) << "keys are case-sensitive";
    EXPECT_EQ(&h.find(N("absent")), &Value::undef());
    EXPECT_EQ(&vec({N("name")}).find(N("name")), &Value::undef());
    EXPECT_EQ(dump(h.findByName("name")), "n'v'");
    EXPECT_TRUE(h.existsByName("gap", false));
    EXPECT_FALSE(h.existsByName("gap", true));
    EXPECT_TRUE(h.existsByName(u"name", true));
    EXPECT_FALSE(h.existsByName(u"nope", false));
    EXPECT_EQ(h.size(), 5u);
}

TEST(ValueAccess, WritingMakesTheContainerItNeeds) {
    Value v = I(7);
    v.element(3);
    EXPECT_EQ(dump(v), "[undef,undef,undef,undef]") << "the Integer is gone, not wrapped";

    v = N("text");
    v.entry(I(5)) = I(1);
    EXPECT_EQ(dump(v), "{5:i1}");
    EXPECT_EQ(v.firstKey().kind(), ValueKind::NarrowString) << "an Integer key is stored as text";
    EXPECT_EQ(dump(v.find(W(u"5"))), "i1");
    v.entry(W(u"5")) = I(2);
    EXPECT_EQ(dump(v), "{5:i2}") << "the wide key names the same entry";

    Value s = hash({{"a", I(1)}});
    s.appendSlot() = I(9);
    EXPECT_EQ(dump(s), "[i9]");
    s.resize(3);
    EXPECT_EQ(dump(s), "[i9,undef,undef]");
    s.resize(1);
    EXPECT_EQ(dump(s), "[i9]");
    s.appendAll(vec({I(1), N("z")}));
    EXPECT_EQ(dump(s), "[i9,i1,n'z']");
    s.appendAll(I(4));
    EXPECT_EQ(dump(s), "[i9,i1,n'z']") << "appending a non-Vector adds nothing";
    s.appendAll(s);
    EXPECT_EQ(dump(s), "[i9,i1,n'z',i9,i1,n'z']") << "appending a Vector to itself";
    Value scalar = F(1);
    scalar.appendAll(N("x"));
    EXPECT_EQ(dump(scalar), "[]") << "still becomes a Vector";
    Value r = N("x");
    r.resize(2);
    EXPECT_EQ(dump(r), "[undef,undef]");
    Value e = B(true);
    e.setEmptyVector();
    EXPECT_EQ(dump(e), "[]");
}

TEST(ValueAccess, EraseKey) {
    Value h = hash({{"a", I(1)}, {"A", I(2)}, {"b", I(3)}});
    EXPECT_EQ(h.eraseKey(u"a"), 1u);
    EXPECT_EQ(dump(h.find(N("A"))), "i2") << "erasing is case-sensitive";
    EXPECT_EQ(h.eraseKey(u"a"), 0u);
    EXPECT_EQ(h.eraseKey(u"zz"), 0u);
    EXPECT_EQ(h.size(), 2u);
    h.entry(W(u"w")) = I(4);
    EXPECT_EQ(h.eraseKey(u"b"), 1u) << "a wide text erases a narrow key";
    EXPECT_EQ(h.size(), 2u);
    EXPECT_EQ(dump(h.find(N("w"))), "i4");
    h.entry(N("a")) = I(5);
    EXPECT_EQ(dump(h.find(N("a"))), "i5") << "an erased key can come back";

    Value v = vec({N("a")});
    EXPECT_EQ(v.eraseKey(u"a"), 0u);
    EXPECT_EQ(dump(v), "[n'a']");
}

TEST(ValuePaths, ResolveExistsEntryAt) {
    const Value tree = hash({{"list", vec({I(1), Value(), hash({{"deep", N("x")}})})}, {"gap", Value()}});
    struct Row { const char* name; Value path; std::string resolved; bool existsLoose, existsStrict; };
    const Row rows[] = {
        {"undef path is here", Value(), dump(tree), true, true},
        {"key", N("list"), "[i1,undef,{deep:n'x'}]", true, true},
        {"key with undef value", N("gap"), "undef", true, false},
        {"absent key", W(u"none"), "undef", false, false},
        {"integer on a hash", I(0), "undef", false, false},
        {"vector path", vec({N("list"), I(2), N("deep")}), "n'x'", true, true},
        {"nested vector component", vec({vec({N("list"), vec({I(2)})}), N("deep")}), "n'x'", true, true},
        {"path through undef element", vec({N("list"), I(1)}), "undef", false, false},
        {"path past the end", vec({N("list"), I(7), N("deep")}), "undef", false, false},
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

    const Value holes = vec({Value(), I(3)});
    EXPECT_FALSE(holes.exists(I(0), false)) << "an Integer path needs a defined element either way";
    EXPECT_TRUE(holes.exists(I(1), false));
    EXPECT_FALSE(Value().exists(Value(), true));
    EXPECT_TRUE(Value().exists(Value(), false));
    EXPECT_FALSE(Value().exists(vec({vec({})}), false)) << "a nested path must end somewhere defined";
    EXPECT_TRUE(Value().exists(vec({}), false));

    Value built;
    built.entryAt(vec({N("a"), I(1), N("b")})) = I(5);
    EXPECT_EQ(dump(built), "{a:[undef,{b:i5}]}");
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
    Value k = v.firstKey(&value);
    std::string seen;
    for (; k.kind() != ValueKind::Undef; k = v.nextKey(k, &value)) seen += dump(k) + "=" + dump(value) + ";";
    EXPECT_EQ(seen, "i0=n'a';i1=undef;i2=i3;");
    EXPECT_EQ(dump(value), "undef") << "the end hands back Undef";
    EXPECT_EQ(v.nextKey(I(-1)).kind(), ValueKind::Undef);
    EXPECT_EQ(v.nextKey(I(2)).kind(), ValueKind::Undef);
    EXPECT_EQ(dump(v.nextKey(I(0))), "i1");

    const Value h = hash({{"x", I(1)}, {"y", I(2)}});
    EXPECT_EQ(dump(h.nextKey(I(0))), "undef") << "a Hash needs a string key";
    EXPECT_EQ(dump(h.nextKey(N("absent"))), "undef");
    Value first = h.firstKey(&value);
    EXPECT_EQ(dump(h.find(first)), dump(value));
    EXPECT_EQ(dump(h.nextKey(h.nextKey(first))), "undef");

    value = N("stale");
    EXPECT_EQ(I(3).firstKey(&value).kind(), ValueKind::Undef);
    EXPECT_EQ(dump(value), "undef");
    EXPECT_EQ(vec({}).firstKey().kind(), ValueKind::Undef);
    EXPECT_EQ(hash({}).firstKey().kind(), ValueKind::Undef);
}

TEST(ValueIteration, KeysAndValues) {
    struct Row { const char* name; Value v; std::string keysAll, keysDefined, values; };
    const Row rows[] = {
        {"vector", vec({N("a"), Value(), I(3)}), "[i0,i1,i2]", "[i0,i2]", "[n'a',undef,i3]"},
        {"hash", hash({{"a", Value()}}), "[n'a']", "[]", "[undef]"},
        {"empty hash", hash({}), "[]", "[]", "[]"},
        {"undef", Value(), "undef", "undef", "[undef]"},
        {"scalar", I(4), "undef", "undef", "[i4]"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(dump(r.v.keys(true)), r.keysAll) << r.name;
        EXPECT_EQ(dump(r.v.keys(false)), r.keysDefined) << r.name;
        EXPECT_EQ(dump(r.v.values()), r.values) << r.name;
    }
    const Value h = hash({{"p", I(1)}, {"q", I(2)}, {"r", I(3)}});
    EXPECT_EQ(dump(h.keys(true)), dump(h.keys(false)));
    std::string inOrder;
    Value value;
    for (Value k = h.firstKey(&value); k.kind() != ValueKind::Undef; k = h.nextKey(k, &value))
        inOrder += (inOrder.empty() ? "" : ",") + dump(value);
    EXPECT_EQ(dump(h.values()), "[" + inOrder + "]") << "values follow the iteration order";
}

// Every writing operation, applied to one handle of a shared tree, must leave the other handle alone.
TEST(ValueCopyOnWrite, EveryWriterDetachesOnlyItsHandle) {
    using Writer = std::function<void(Value&)>;
    struct Row { const char* name; Writer write; };
    const Row rows[] = {
        {"setInteger", [](Value& v) { v.setInteger(1); }},
        {"setFloat", [](Value& v) { v.setFloat(1); }},
        {"setBoolean", [](Value& v) { v.setBoolean(true); }},
        {"setPointer", [](Value& v) { v.setPointer(&v); }},
        {"setNarrowString", [](Value& v) { v.setNarrowString("n"); }},
        {"setWideString", [](Value& v) { v.setWideString(u"w"); }},
        {"setEmptyVector", [](Value& v) { v.setEmptyVector(); }},
        {"assign", [](Value& v) { v = I(3); }},
        {"element", [](Value& v) { v.element(0) = I(8); }},
        {"element deep", [](Value& v) { v.element(1).element(0).setInteger(8); }},
        {"appendSlot", [](Value& v) { v.appendSlot() = I(8); }},
        {"resize", [](Value& v) { v.resize(1); }},
        {"appendAll", [](Value& v) { v.appendAll(vec({I(8)})); }},
        {"entry", [](Value& v) { v.entry(N("k")) = I(8); }},
        {"entryAt", [](Value& v) { v.entryAt(vec({I(1), I(0)})) = I(8); }},
        {"entryAt into a hash", [](Value& v) { v.entryAt(vec({I(2), N("h")})) = I(8); }},
        {"eraseKey", [](Value& v) { v.element(2).eraseKey(u"h"); }},
        {"sort", [](Value& v) { v.element(1).sort(); }},
        {"sortNoCase", [](Value& v) { v.element(1).sortNoCase(); }},
    };
    for (const Row& r : rows) {
        const Value original = vec({I(9), vec({N("b"), N("a")}), hash({{"h", I(1)}, {"g", I(2)}})});
        const std::string before = dump(original);
        Value copy = original;
        r.write(copy);
        EXPECT_EQ(dump(original), before) << r.name;
        EXPECT_NE(dump(copy), before) << r.name << " did not write at all";
    }

    Value h = hash({{"a", I(1)}, {"b", I(2)}});
    const Value shared = h;
    EXPECT_EQ(h.eraseKey(u"a"), 1u);
    EXPECT_EQ(dump(shared.find(N("a"))), "i1") << "eraseKey on a shared Hash";
}

TEST(ValueCopyOnWrite, CopiesAreSharedReadsNeverDetachWritesCopyOnceShallow) {
    Value a;
    for (int i = 0; i < 1000; ++i) a.appendSlot().setInteger(i);
    const std::int64_t start = liveBodies();

    Value b = a;
    EXPECT_EQ(liveBodies(), start) << "a copy allocates nothing";
    EXPECT_EQ(&a.at(5), &b.at(5)) << "both handles see one body";
    (void)b.at(7);
    (void)b.keys(true);
    (void)b.compare(a);
    EXPECT_EQ(&a.at(5), &b.at(5)) << "reading never detaches";

    b.element(0).setInteger(-1);
    EXPECT_EQ(liveBodies(), start + 2) << "one new Vector body, one new element; the rest stays shared";
    EXPECT_NE(&a.at(5), &b.at(5));
    EXPECT_EQ(a.at(0).toInteger(), 0);
    b.element(1).setInteger(-2);
    EXPECT_EQ(liveBodies(), start + 3) << "the second write on the now private Vector copies no more";

    a = Value();
    EXPECT_EQ(liveBodies(), start) << "a's Vector and its elements 0 and 1, no longer shared, are freed";
}

TEST(ValueCopyOnWrite, ReleasedBodiesAreReusedForAnyKind) {
    const std::int64_t start = liveBodies();
    Value v = N("text");
    v.setInteger(1);
    v.setEmptyVector();
    v.entry(N("k"));  // the Hash itself plus the key's body
    EXPECT_EQ(liveBodies(), start + 2);
    v = Value();
    EXPECT_EQ(liveBodies(), start);
}

TEST(ValueLimits, RefusedIndicesNeverWriteOutsideTheVector) {
    struct Row { const char* name; std::uint32_t index; };
    const Row rows[] = {
        {"-1", static_cast<std::uint32_t>(-1)},
        {"INT32_MIN", 0x80000000u},
        {"the bound itself", Value::kMaxVectorSize},
        {"far beyond", 0x7FFFFFFFu},
    };
    for (const Row& r : rows) {
        Value v = vec({I(1), I(2)});
        Value& slot = v.element(r.index);
        EXPECT_TRUE(slot.isScratchSlot()) << r.name;
        slot = I(99);
        EXPECT_EQ(dump(v), "[i1,i2]") << r.name;
        Value s = I(5);
        s.element(r.index);
        EXPECT_EQ(dump(s), "i5") << r.name << ": a refused index leaves the Value unchanged";
    }
    Value& scratch = Value().element(static_cast<std::uint32_t>(-1));
    scratch = I(1);
    EXPECT_EQ(dump(Value().element(static_cast<std::uint32_t>(-2))), "undef") << "earlier writes are dropped";

    Value tree;
    Value& refused = tree.entryAt(vec({N("a"), I(-1), N("b")}));
    EXPECT_TRUE(refused.isScratchSlot()) << "the caller of entryAt can tell";
    refused = I(3);
    EXPECT_EQ(dump(tree), "{a:undef}");
    EXPECT_TRUE(Value().entryAt(I(-3)).isScratchSlot());
    EXPECT_FALSE(tree.element(0).isScratchSlot());

    Value big = vec({I(1)});
    EXPECT_THROW(big.resize(Value::kMaxVectorSize + 1), std::bad_alloc);
    EXPECT_EQ(dump(big), "[i1]");
    EXPECT_THROW(big.resize(0xFFFFFFFFu), std::bad_alloc);
}

TEST(ValueDepth, MillionLevelsReleaseAndCompareWithoutRecursion) {
    constexpr int kLevels = 1'000'000;
    const std::int64_t start = liveBodies();
    auto nestVectors = [&](std::int32_t leaf) {
        Value root;
        Value* slot = &root;
        for (int i = 0; i < kLevels; ++i) slot = &slot->element(0);
        slot->setInteger(leaf);
        return root;
    };
    auto nestHashes = [&](std::int32_t leaf) {
        Value root;
        Value* slot = &root;
        const Value key = N("k");
        for (int i = 0; i < kLevels; ++i) slot = &slot->entry(key);
        slot->setInteger(leaf);
        return root;
    };

    {
        Value a = nestVectors(1), b = nestVectors(2);
        Value path;
        EXPECT_EQ(a.compare(b, 0, &path), -1);
        ASSERT_EQ(path.size(), static_cast<std::uint32_t>(kLevels));
        EXPECT_EQ(dump(path.at(0)), "i0");
        EXPECT_EQ(dump(path.at(kLevels - 1)), "i0");
        EXPECT_EQ(a.compare(a), 0);
        b = Value();
        a.setInteger(0);  // replacing the kind releases the tree and keeps the body
    }
    EXPECT_EQ(liveBodies(), start);
    {
        Value a = nestHashes(1), b = nestHashes(1);
        EXPECT_EQ(a.compare(b), 0);
        b.entryAt(vec({N("k"), N("k"), N("extra")})) = I(0);
        Value path;
        EXPECT_EQ(a.compare(b, 0, &path), -1);
        EXPECT_EQ(dump(path), "[n'k',n'k']");
    }
    EXPECT_EQ(liveBodies(), start);
}

}  // namespace
