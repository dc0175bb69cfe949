// Vectors and Hashes: access, paths, iteration, keys/values, copy-on-write, index limits, depth.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
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

    Value v = N("text");  // released bodies are reused for any kind
    v.setInteger(1);
    v.setEmptyVector();
    v.entry(N("k"));  // the Hash itself plus the key's body
    EXPECT_EQ(liveBodies(), start + 2);
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
