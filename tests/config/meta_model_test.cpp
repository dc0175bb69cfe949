#include "config/meta_model.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/value/value_builders.h"
#include "value/text.h"

using namespace orvane;
using namespace orvane::config;
using namespace orvane::testing;

namespace {

using KeySet = std::set<std::u16string, std::less<>>;

const Value T = B(true);
const Value kInt = hash({{"Int", T}});

Value ref(std::string_view id) { return hash({{"ReferenceID", N(id)}}); }
Value hashRules(std::initializer_list<std::pair<std::string_view, Value>> rules) {
    return hash({{"Hash", hash(rules)}});
}
Value vectorRules(std::initializer_list<std::pair<std::string_view, Value>> rules) {
    return hash({{"Vector", hash(rules)}});
}

// Compiles `description` into `model` and fails the test when that does not succeed.
const MetaNode& compiled(MetaModel& model, const Value& description) {
    const bool ok = model.loadMetaModel(description);
    EXPECT_TRUE(ok) << toUtf8(model.errorText);
    static const MetaNode none;
    return ok ? *model.root : none;
}

TEST(MetaModelMask, KindKeysSetTheirBitsByPresence) {
    struct Row {
        const char* name;
        Value description;
        MetaTypeMask mask;
    } rows[] = {
        {"Ignore", hash({{"Ignore", T}}), metaType::kIgnore},
        {"Undef", hash({{"Undef", T}}), metaType::kUndef},
        {"String", hash({{"String", T}}), metaType::kString},
        {"Int", hash({{"Int", T}}), metaType::kInt},
        {"Bool", hash({{"Bool", T}}), metaType::kBool},
        {"Float", hash({{"Float", T}}), metaType::kFloat},
        {"Ptr", hash({{"Ptr", T}}), metaType::kPtr},
        {"Hash", hash({{"Hash", T}}), metaType::kHash},
        {"Vector", hash({{"Vector", T}}), metaType::kVector},
        {"false counts as given", hash({{"Int", B(false)}}), metaType::kInt},
        {"zero counts as given", hash({{"Float", I(0)}}), metaType::kFloat},
        {"Undef sets nothing", hash({{"Int", Value()}}), 0},
        {"keys are case-sensitive", hash({{"int", T}, {"STRING", T}}), 0},
        {"wide keys match", [] {
             Value d;
             d.entry(W(u"Bool")) = T;
             return d;
         }(),
         metaType::kBool},
        {"several kinds", hash({{"Int", T}, {"Float", T}, {"Undef", T}}),
         metaType::kInt | metaType::kFloat | metaType::kUndef},
        {"all nine", hash({{"Ignore", T}, {"Undef", T}, {"String", T}, {"Int", T}, {"Bool", T},
                           {"Float", T}, {"Ptr", T}, {"Hash", T}, {"Vector", T}}),
         0x01FF},
        {"unknown keys ignored", hash({{"Display", T}, {"Int", T}}), metaType::kInt},
        {"not a Hash", I(7), 0},
        {"Undef description", Value(), 0},
    };
    for (const Row& r : rows) {
        MetaModel model;
        EXPECT_EQ(compiled(model, r.description).typeMask, r.mask) << r.name;
    }
}

TEST(MetaModelSizes, ReadAsIntegersInsideTheirContainer) {
    struct Row {
        const char* name;
        Value description;
        std::int32_t hashSize, hashMin, hashMax, vectorSize, vectorMin, vectorMax;
    } rows[] = {
        {"hash sizes", hash({{"Hash", hash({{"Size", I(3)}, {"MinSize", I(1)}, {"MaxSize", I(9)}})}}),
         3, 1, 9, -1, -1, -1},
        {"vector sizes",
         hash({{"Vector", hash({{"Size", I(4)}, {"MinSize", I(2)}, {"MaxSize", I(8)}})}}), -1, -1, -1, 4,
         2, 8},
        {"zero is a rule", hash({{"Hash", hash({{"Size", I(0)}})}}), 0, -1, -1, -1, -1, -1},
        {"text sizes convert", hash({{"Vector", hash({{"Size", N("12")}, {"MinSize", N("abc")}})}}), -1,
         -1, -1, 12, 0, -1},
        {"float truncates", hash({{"Hash", hash({{"MaxSize", F(2.9)}})}}), -1, -1, 2, -1, -1, -1},
        {"rules without the kind key are not read",
         hash({{"Int", T}, {"Hash", Value()}, {"Vector", Value()}}), -1, -1, -1, -1, -1, -1},
        {"a Hash entry that is not a Hash gives no rules", hash({{"Hash", I(5)}, {"Vector", T}}), -1,
         -1, -1, -1, -1, -1},
        {"vector rules are not hash rules", hash({{"Hash", hash({})}, {"Vector", hash({{"Size", I(2)}})}}),
         -1, -1, -1, 2, -1, -1},
    };
    for (const Row& r : rows) {
        MetaModel model;
        const MetaNode& n = compiled(model, r.description);
        EXPECT_EQ(n.hashSize, r.hashSize) << r.name;
        EXPECT_EQ(n.hashMinSize, r.hashMin) << r.name;
        EXPECT_EQ(n.hashMaxSize, r.hashMax) << r.name;
        EXPECT_EQ(n.vectorSize, r.vectorSize) << r.name;
        EXPECT_EQ(n.vectorMinSize, r.vectorMin) << r.name;
        EXPECT_EQ(n.vectorMaxSize, r.vectorMax) << r.name;
    }
}

TEST(MetaModelKeyLists, KeepTheKeysWhoseValueIsTrue) {
    struct Row {
        const char* name;
        Value hashRules;
        bool hasMust;
        KeySet must;
        bool hasMay;
        KeySet may;
    } rows[] = {
        {"both lists",
         hash({{"MustExists", hash({{"a", T}})}, {"MayExists", hash({{"b", T}, {"c", B(false)}})}}), true,
         {u"a"}, true, {u"b"}},
        {"empty list still sets the flag", hash({{"MustExists", hash({})}}), true, {}, false, {}},
        {"values read as booleans",
         hash({{"MayExists", hash({{"one", I(1)}, {"zero", I(0)}, {"text", N("yes")}, {"no", N("false")},
                                   {"undef", Value()}})}}),
         false, {}, true, {u"one", u"text"}},
        {"a Vector gives its indices", hash({{"MustExists", vec({T, B(false), T})}}), true, {u"0", u"2"},
         false, {}},
        {"a scalar list is given but empty", hash({{"MayExists", I(1)}}), false, {}, true, {}},
        {"Undef list is not given", hash({{"MayExists", Value()}}), false, {}, false, {}},
    };
    for (const Row& r : rows) {
        MetaModel model;
        const MetaNode& n = compiled(model, hash({{"Hash", r.hashRules}}));
        EXPECT_EQ(n.hasMustExists, r.hasMust) << r.name;
        EXPECT_EQ(n.mustExists, r.must) << r.name;
        EXPECT_EQ(n.hasMayExists, r.hasMay) << r.name;
        EXPECT_EQ(n.mayExists, r.may) << r.name;
    }
}

TEST(MetaModelData, MembersCompileIntoTheirOwnNodes) {
    MetaModel model;
    const Value d = hash({
        {"Hash", hash({{"Data", hash({{"Int", T}})},
                       {"SingleData", hash({{"name", hash({{"String", T}})}, {"skip", Value()}})}})},
        {"Vector", hash({{"Data", hash({{"Float", T}})},
                         {"SingleData", vec({hash({{"Bool", T}}), Value(), hash({{"Undef", T}})})}})},
    });
    const MetaNode& n = compiled(model, d);
    ASSERT_NE(n.hashData, nullptr);
    EXPECT_EQ(n.hashData->typeMask, metaType::kInt);
    ASSERT_EQ(n.hashSingleData.size(), 1u);
    ASSERT_TRUE(n.hashSingleData.contains(u"name"));
    EXPECT_EQ(n.hashSingleData.at(u"name")->typeMask, metaType::kString);
    ASSERT_NE(n.vectorData, nullptr);
    EXPECT_EQ(n.vectorData->typeMask, metaType::kFloat);
    ASSERT_EQ(n.vectorSingleData.size(), 2u);
    EXPECT_EQ(n.vectorSingleData.at(0)->typeMask, metaType::kBool);
    EXPECT_EQ(n.vectorSingleData.at(2)->typeMask, metaType::kUndef);
    EXPECT_EQ(model.nodeCount(), 6u);
}

TEST(MetaModelData, VectorSingleDataTakesHashKeysAsIndices) {
    MetaModel model;
    const MetaNode& n =
        compiled(model, vectorRules({{"SingleData", hash({{"3", kInt}, {"x", hash({{"Bool", T}})}})}}));
    ASSERT_EQ(n.vectorSingleData.size(), 2u);
    EXPECT_EQ(n.vectorSingleData.at(3)->typeMask, metaType::kInt);
    EXPECT_EQ(n.vectorSingleData.at(0)->typeMask, metaType::kBool);  // "x" reads as index 0
}

TEST(MetaModelIds, AReferenceReachesEnclosingDescriptionsOnly) {
    const std::string undefinedTree = "Meta Error: Meta model reference undefined ID 'tree'";
    const Value declares = hash({{"ID", N("tree")}, {"Int", T}});
    struct Row {
        const char* name;
        Value description;
        std::string error;  // empty: compiles
    } rows[] = {
        {"self reference", hash({{"ID", N("tree")}, {"Hash", hash({{"Data", ref("tree")}})}}), ""},
        {"grandchild sees it",
         hash({{"ID", N("tree")}, {"Hash", hash({{"Data", vectorRules({{"Data", ref("tree")}})}})}}), ""},
        {"sibling Data to SingleData",
         hashRules({{"Data", declares}, {"SingleData", hash({{"k", ref("tree")}})}}), undefinedTree},
        {"hash member to vector member",
         hash({{"Hash", hash({{"Data", declares}})}, {"Vector", hash({{"Data", ref("tree")}})}}),
         undefinedTree},
        {"nested ID is not visible outside",
         hashRules({{"Data", hashRules({{"Data", declares}})}, {"SingleData", hash({{"k", ref("tree")}})}}),
         undefinedTree},
        {"top-level reference", ref("tree"), undefinedTree},
        {"integer ID found by its text",
         hash({{"ID", I(5)}, {"Hash", hash({{"Data", hash({{"ReferenceID", W(u"5")}})}})}}), ""},
        {"IDs are case-sensitive", hash({{"ID", N("Tree")}, {"Hash", hash({{"Data", ref("tree")}})}}),
         undefinedTree},
        {"failure deep in SingleData",
         vectorRules({{"SingleData", vec({kInt, hashRules({{"Data", ref("x")}})})}}),
         "Meta Error: Meta model reference undefined ID 'x'"},
        {"first failure wins",
         hash({{"Hash", hash({{"Data", ref("first")}})}, {"Vector", hash({{"Data", ref("second")}})}}),
         "Meta Error: Meta model reference undefined ID 'first'"},
    };
    for (const Row& r : rows) {
        MetaModel model;
        const bool ok = model.loadMetaModel(r.description);
        EXPECT_EQ(ok, r.error.empty()) << r.name;
        EXPECT_EQ(toUtf8(model.errorText), r.error) << r.name;
        EXPECT_EQ(model.root != nullptr, ok) << r.name;
    }
}

TEST(MetaModelIds, AReferenceIsTheSameNodeNotACopy) {
    MetaModel model;
    const Value referring = hash({{"ReferenceID", N("t")}, {"Int", T}, {"ID", N("u")}});
    const MetaNode& n = compiled(model, hash({{"ID", N("t")}, {"Hash", hash({{"Data", referring}})}}));
    EXPECT_EQ(n.hashData, &n);
    // Nothing but ReferenceID is read from a referring description: no node of its own.
    EXPECT_EQ(model.nodeCount(), 1u);
    EXPECT_EQ(n.typeMask, metaType::kHash);
}

TEST(MetaModelIds, AnInnerIdShadowsAnOuterOneInsideItOnly) {
    MetaModel model;
    const Value inner = hash({{"ID", N("t")}, {"Bool", T}, {"Hash", hash({{"Data", ref("t")}})}});
    const Value members = hash({{"inner", inner}, {"outer", ref("t")}});
    const MetaNode& n = compiled(model, hash({{"ID", N("t")}, {"Hash", hash({{"SingleData", members}})}}));
    const MetaNode* innerNode = n.hashSingleData.at(u"inner");
    EXPECT_EQ(innerNode->hashData, innerNode);
    EXPECT_EQ(n.hashSingleData.at(u"outer"), &n);
}

TEST(MetaModelLoad, EachLoadStartsAfresh) {
    MetaModel model;
    EXPECT_EQ(model.root, nullptr);
    EXPECT_TRUE(model.errorText.empty());

    EXPECT_FALSE(model.loadMetaModel(hashRules({{"Data", ref("x")}})));
    EXPECT_EQ(model.root, nullptr);
    EXPECT_EQ(toUtf8(model.errorText), "Meta Error: Meta model reference undefined ID 'x'");
    EXPECT_EQ(model.nodeCount(), 1u);  // the node compiled before the failure stays until the next load

    const MetaNode& n = compiled(model, hash({{"Int", T}}));
    EXPECT_TRUE(model.errorText.empty());
    EXPECT_EQ(model.nodeCount(), 1u);
    EXPECT_EQ(n.typeMask, metaType::kInt);
}

TEST(MetaModelDepth, ADeeplyNestedDescriptionCompiles) {
    constexpr int kDepth = 100000;
    Value d;
    Value* level = &d;
    for (int i = 0; i < kDepth; ++i) {
        level = &level->entry(N("Hash")).entry(N("Data"));
    }
    level->entry(N("Int")) = T;

    MetaModel model;
    const MetaNode* n = &compiled(model, d);
    EXPECT_EQ(model.nodeCount(), static_cast<std::size_t>(kDepth) + 1);
    int depth = 0;
    while (n->hashData) {
        n = n->hashData;
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(n->typeMask, metaType::kInt);
}

}  // namespace
