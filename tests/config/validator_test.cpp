#include "config/validator.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/value/value_builders.h"
#include "value/text.h"

using namespace orvane;
using namespace orvane::config;
using namespace orvane::testing;

namespace {

const Value T = B(true);

// A description admitting the named kinds and nothing else.
Value of(std::initializer_list<std::string_view> kinds) {
    Value d;
    for (std::string_view k : kinds) d.entry(N(k)) = T;
    return d;
}
Value hashNode(std::initializer_list<std::pair<std::string_view, Value>> rules) {
    return hash({{"Hash", hash(rules)}});
}
Value vectorNode(std::initializer_list<std::pair<std::string_view, Value>> rules) {
    return hash({{"Vector", hash(rules)}});
}
Value ref(std::string_view id) { return hash({{"ReferenceID", N(id)}}); }
const Value kInt = of({"Int"});
const Value kAny = of({"Ignore"});

// "ok", or the message validate() left (it must replace whatever the error text held).
std::string check(const Value& description, const Value& store) {
    std::u16string error = u"stale";
    if (validate(error, store, description)) return "ok";
    return toUtf8(error);
}

struct Row {
    const char* name;
    Value description;
    Value store;
    std::string expected;
};

void expectRows(std::initializer_list<Row> rows) {
    for (const Row& r : rows) EXPECT_EQ(check(r.description, r.store), r.expected) << r.name;
}

const std::string kMust = "Semantic Error: Variable  must be of type ";

TEST(ValidateKinds, EachKindNeedsItsBitAndTheListReadsInAFixedOrder) {
    expectRows({
        {"narrow string", of({"String"}), N("x"), "ok"}, {"wide string", of({"String"}), W(u"x"), "ok"},
        {"integer", kInt, I(3), "ok"},                    {"float", of({"Float"}), F(1.5), "ok"},
        {"boolean", of({"Bool"}), B(false), "ok"},        {"pointer", of({"Ptr"}), P(64), "ok"},
        {"undef", of({"Undef"}), Value(), "ok"},          {"empty hash", hashNode({}), hash({}), "ok"},
        {"empty vector", vectorNode({}), vec({}), "ok"},
        {"undef store against a Hash", hashNode({}), Value(), kMust + "Hash"},
        {"integer is not float", of({"Float"}), I(1), kMust + "Float"},
        {"float is not integer", kInt, F(1.0), kMust + "Integer"},
        {"vector without the Vector bit", of({"Hash", "Int"}), vec({}), kMust + "Integer or Hash"},
        {"string without the String bit", of({"Bool"}), N("true"), kMust + "Boolean"},
        {"three kinds", of({"String", "Int", "Undef"}), B(true), kMust + "Undef, Integer or String"},
        {"every kind and Ptr", of({"Vector", "Hash", "String", "Float", "Int", "Bool", "Undef", "Ptr"}), P(8), "ok"},
        {"every named kind listed", of({"Vector", "Hash", "String", "Float", "Int", "Bool", "Undef"}), P(8),
         kMust + "Undef, Boolean, Integer, Float, String, Hash or Vector"},
        {"Ptr is never named", of({"Ptr", "Bool"}), I(1), kMust + "Boolean"},
        {"nothing to name", of({"Ptr"}), I(1), kMust},
        {"empty description admits nothing", hash({}), I(1), kMust},
        {"Ignore passes anything", kAny, P(1), "ok"},
        {"Ignore over its own size rules", hash({{"Ignore", T}, {"Vector", hash({{"MaxSize", I(0)}})}}), vec({I(1)}),
         "ok"},
        {"Ignore over a missing required key",
         hash({{"Ignore", T}, {"Hash", hash({{"MustExists", hash({{"a", T}})}})}}), hash({}), "ok"},
        {"Ignore as the rule for every entry", hashNode({{"Data", kAny}}), hash({{"a", Value()}, {"b", vec({})}}),
         "ok"},
    });
}

TEST(ValidateVector, SizesComeBeforeElementsAndEachIndexNeedsARule) {
    const Value singleFirst = vectorNode({{"SingleData", vec({of({"String"})})}, {"Data", kInt}});
    expectRows({
        {"exact size before bad elements", vectorNode({{"Size", I(2)}, {"Data", kInt}}), vec({N("a"), N("b"), N("c")}),
         "Semantic Error: Vector  must have 2 elements"},
        {"size 0 demands empty", vectorNode({{"Size", I(0)}, {"Data", kAny}}), vec({Value()}),
         "Semantic Error: Vector  must have 0 elements"},
        {"minimum", vectorNode({{"MinSize", I(2)}, {"Data", kInt}}), vec({I(1)}),
         "Semantic Error: Vector  must have a minimum of 2 elements"},
        {"maximum", vectorNode({{"MaxSize", I(1)}, {"Data", kInt}}), vec({I(1), I(2)}),
         "Semantic Error: Vector  must have a maximum of 1 elements"},
        {"bounds are inclusive", vectorNode({{"MinSize", I(2)}, {"MaxSize", I(2)}, {"Data", kInt}}), vec({I(1), I(2)}),
         "ok"},
        {"exact before minimum", vectorNode({{"Size", I(3)}, {"MinSize", I(5)}}), vec({I(1)}),
         "Semantic Error: Vector  must have 3 elements"},
        {"minimum before maximum", vectorNode({{"MinSize", I(3)}, {"MaxSize", I(0)}}), vec({I(1)}),
         "Semantic Error: Vector  must have a minimum of 3 elements"},
        {"elements in index order", vectorNode({{"Data", kInt}}), vec({I(1), N("x"), F(2.0)}),
         "Semantic Error: Variable [1] must be of type Integer"},
        {"no rule for an index", vectorNode({{"SingleData", vec({kInt})}}), vec({I(1), I(2)}),
         "Semantic Error: Invalid key '1' in Vector "},
        {"single rule wins over Data", singleFirst, vec({N("x"), I(2)}), "ok"},
        {"Data covers the other indices", singleFirst, vec({N("x"), N("y")}),
         "Semantic Error: Variable [1] must be of type Integer"},
        {"single rule keyed by text", vectorNode({{"SingleData", hash({{"2", kInt}})}, {"Data", of({"Bool"})}}),
         vec({T, T, N("x")}), "Semantic Error: Variable [2] must be of type Integer"},
    });
}

TEST(ValidateHash, RequiredKeysComeFirstThenSizesThenEntries) {
    const Value needsA = hashNode({{"MustExists", hash({{"a", T}})}, {"Data", kInt}});
    expectRows({
        {"present", needsA, hash({{"a", I(1)}}), "ok"},
        {"missing", needsA, hash({{"b", I(1)}}), "Semantic Error: Missing key 'a' in hash "},
        {"undef counts as missing", needsA, hash({{"a", Value()}}), "Semantic Error: Missing key 'a' in hash "},
        {"missing before size", hashNode({{"MustExists", hash({{"a", T}})}, {"Size", I(5)}}), hash({{"b", I(1)}}),
         "Semantic Error: Missing key 'a' in hash "},
        {"required keys in set order", hashNode({{"MustExists", hash({{"zeta", T}, {"alpha", T}})}}), hash({}),
         "Semantic Error: Missing key 'alpha' in hash "},
        {"a false entry requires nothing", hashNode({{"MustExists", hash({{"a", B(false)}})}}), hash({}), "ok"},
        {"minimum", hashNode({{"MinSize", I(2)}, {"Data", kInt}}), hash({{"a", I(1)}}),
         "Semantic Error: Hash  must have a minimum of 2 elements"},
        {"maximum", hashNode({{"MaxSize", I(1)}, {"Data", kInt}}), hash({{"a", I(1)}, {"b", I(2)}}),
         "Semantic Error: Hash  must have a maximum of 1 elements"},
        {"exact before minimum", hashNode({{"Size", I(3)}, {"MinSize", I(9)}}), hash({}),
         "Semantic Error: Hash  must have 3 elements"},
        {"minimum before maximum", hashNode({{"MinSize", I(3)}, {"MaxSize", I(0)}}), hash({{"a", I(1)}}),
         "Semantic Error: Hash  must have a minimum of 3 elements"},
        {"size before entries without rules", hashNode({{"Size", I(1)}}), hash({{"a", I(1)}, {"b", I(2)}}),
         "Semantic Error: Hash  must have 1 elements"},
    });
}

TEST(ValidateHash, EachKeyMustBeAllowedAndHaveARule) {
    const Value onlyA = hashNode({{"MayExists", hash({{"a", T}})}, {"Data", kInt}});
    const Value nameRule = hashNode({{"SingleData", hash({{"name", of({"String"})}})}, {"Data", kInt}});
    const Value mustVector = hashNode({{"MustExists", vec({T, B(false), T})}, {"Data", kInt}});
    expectRows({
        {"allowed key", onlyA, hash({{"a", I(1)}}), "ok"},
        {"MayExists before the Data rule", onlyA, hash({{"x", N("s")}}), "Semantic Error: Invalid key 'x' in hash "},
        {"MayExists before a SingleData rule",
         hashNode({{"MayExists", hash({{"a", T}})}, {"SingleData", hash({{"x", of({"String"})}})}}),
         hash({{"x", I(1)}}), "Semantic Error: Invalid key 'x' in hash "},
        {"required but not allowed",
         hashNode({{"MustExists", hash({{"a", T}})}, {"MayExists", hash({{"b", T}})}, {"Data", kAny}}),
         hash({{"a", I(1)}, {"b", I(1)}}), "Semantic Error: Invalid key 'a' in hash "},
        {"no rule for a key", hashNode({}), hash({{"k", I(1)}}), "Semantic Error: Invalid key 'k' in hash "},
        {"single rule wins over Data", nameRule, hash({{"name", N("x")}, {"port", I(1)}}), "ok"},
        {"single rule applies to its key", nameRule, hash({{"name", I(1)}}),
         "Semantic Error: Variable ['name'] must be of type String"},
        {"only single rules", hashNode({{"SingleData", hash({{"name", of({"String"})}})}}), hash({{"other", N("x")}}),
         "Semantic Error: Invalid key 'other' in hash "},
        {"MustExists as a Vector: all present", mustVector, hash({{"0", I(1)}, {"2", I(1)}}), "ok"},
        {"MustExists as a Vector: index 2 missing", mustVector, hash({{"0", I(1)}}),
         "Semantic Error: Missing key '2' in hash "},
        {"MayExists as a Vector names indices, not texts", hashNode({{"MayExists", vec({N("a")})}, {"Data", kInt}}),
         hash({{"0", I(1)}, {"a", I(1)}}), "Semantic Error: Invalid key 'a' in hash "},
    });
}

TEST(ValidatePaths, NameThePlaceFromTheStoreAndEntriesGoInIterationOrder) {
    const Value servers = hashNode({{"SingleData", hash({{"servers", vectorNode({{"Data", hashNode({
        {"SingleData", hash({{"port", kInt}})}})}})}})}});
    const Value tree =
        hash({{"ID", N("t")}, {"Int", T}, {"Vector", hash({{"Data", hash({{"ReferenceID", N("t")}})}})}});
    const Value listOfHashes =
        vectorNode({{"Data", hashNode({{"Data", kInt}, {"MayExists", hash({{"a", T}, {"b", T}})}})}});
    Value wide, sixteen;
    wide.entry(W(u"\u043a\u043b\u044e\u0447")) = N("x");
    for (char c = 'a'; c <= 'p'; ++c) sixteen.entry(N(std::string(1, c))) = N("bad");
    expectRows({
        {"later element", servers,
         hash({{"servers", vec({hash({{"port", I(1)}}), hash({{"port", I(2)}}), hash({{"port", F(3.0)}})})}}),
         "Semantic Error: Variable ['servers'][2]['port'] must be of type Integer"},
        {"sibling after a nested container", tree, vec({vec({I(1), vec({I(2)})}), N("x")}),
         "Semantic Error: Variable [1] must be of type Integer or Vector"},
        {"sibling hash after a nested one", listOfHashes, vec({hash({{"a", I(1)}}), hash({{"b", N("x")}})}),
         "Semantic Error: Variable [1]['b'] must be of type Integer"},
        {"invalid key names its hash", listOfHashes, vec({hash({{"a", I(1)}}), hash({{"c", I(1)}})}),
         "Semantic Error: Invalid key 'c' in hash [1]"},
        {"missing key names its hash", hashNode({{"Data", hashNode({{"MustExists", hash({{"a", T}})}})}}),
         hash({{"cfg", hash({})}}), "Semantic Error: Missing key 'a' in hash ['cfg']"},
        {"invalid index names its vector", hashNode({{"Data", vectorNode({{"SingleData", vec({kInt})}})}}),
         hash({{"list", vec({I(1), I(2)})}}), "Semantic Error: Invalid key '1' in Vector ['list']"},
        {"vector size names its vector", hashNode({{"Data", vectorNode({{"Size", I(1)}})}}),
         hash({{"list", vec({})}}), "Semantic Error: Vector ['list'] must have 1 elements"},
        {"hash size names its hash", vectorNode({{"Data", hashNode({{"MaxSize", I(0)}})}}),
         vec({hash({}), hash({{"k", I(1)}})}), "Semantic Error: Hash [1] must have a maximum of 0 elements"},
        {"wide key text", hashNode({{"Data", kInt}}), wide,
         "Semantic Error: Variable ['\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87'] must be of type Integer"},
        {"the first entry in table order fails first", hashNode({{"Data", kInt}}), sixteen,
         "Semantic Error: Variable ['" + sixteen.firstKey().toNarrowString() + "'] must be of type Integer"},
    });
}

TEST(ValidateMetaModel, ACompileErrorIsTheResultAndACompiledModelServesManyStores) {
    const Value siblingId = hashNode({{"Data", hash({{"ID", N("tree")}, {"Int", T}})},
                                      {"SingleData", hash({{"k", hash({{"ReferenceID", N("tree")}})}})}});
    EXPECT_EQ(check(siblingId, hash({})), "Meta Error: Meta model reference undefined ID 'tree'");
    MetaModel model;
    ASSERT_FALSE(model.loadMetaModel(siblingId));
    std::u16string error;
    EXPECT_FALSE(validate(error, hash({}), model));
    EXPECT_EQ(toUtf8(error), "Meta Error: Meta model reference undefined ID 'tree'");

    ASSERT_TRUE(model.loadMetaModel(vectorNode({{"Data", kInt}})));
    EXPECT_TRUE(validate(error, vec({I(1)}), model));
    EXPECT_FALSE(validate(error, vec({N("x")}), model));
    EXPECT_EQ(toUtf8(error), "Semantic Error: Variable [0] must be of type Integer");
    EXPECT_TRUE(validate(error, vec({I(2), I(3)}), model));
}

// Deep Hash chains are the hostile suite's; a deep Vector chain must name its place as well.
TEST(ValidateDepth, ARecursiveDescriptionFollowsADeepValue) {
    const Value nest = hash({{"ID", N("n")}, {"Undef", T}, {"Vector", hash({{"MaxSize", I(1)}, {"Data", ref("n")}})}});
    Value vectors;
    Value* vectorLevel = &vectors;
    std::string vectorPath;
    for (int i = 0; i < 100000; ++i, vectorPath += "[0]") vectorLevel = &vectorLevel->element(0);
    EXPECT_EQ(check(nest, vectors), "ok");
    vectorLevel->element(1);
    EXPECT_EQ(check(nest, vectors), "Semantic Error: Vector " + vectorPath + " must have a maximum of 1 elements");
}

// A container shared by many places (every level below holds one Hash under four keys) is a few
// hundred values but 4^40 places: the walk must take each shared part once per description, and a
// failure inside one must still name the first place in iteration order.
TEST(ValidateDepth, SharedPartsAreWalkedOncePerDescription) {
    const Value nest = hash({{"ID", N("n")}, {"Int", T}, {"Hash", hash({{"Data", ref("n")}})}});
    for (const Value& leaf : {I(1), N("x")}) {
        Value level = leaf;
        for (int i = 0; i < 40; ++i) {
            Value up;
            for (const char* key : {"p", "q", "r", "s"}) up.entry(N(key)) = level;
            level = up;
        }
        std::string path;  // 'p' comes first in each level's table order
        for (int i = 0; i < 40; ++i) path += "['p']";
        EXPECT_EQ(check(nest, level),
                  leaf.isInteger() ? "ok" : "Semantic Error: Variable " + path + " must be of type Integer or Hash");
    }
}

}  // namespace
