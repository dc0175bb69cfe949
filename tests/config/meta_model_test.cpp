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

const Value T = B(true);
const Value kInt = hash({{"Int", T}});

Value ref(std::string_view id) { return hash({{"ReferenceID", N(id)}}); }
Value rules(std::string_view kind, std::initializer_list<std::pair<std::string_view, Value>> list) {
    return hash({{kind, hash(list)}});
}

// Compiles `description` into `model` and fails the test when that does not succeed.
const MetaNode& compiled(MetaModel& model, const Value& description) {
    const bool ok = model.loadMetaModel(description);
    EXPECT_TRUE(ok) << toUtf8(model.errorText);
    static const MetaNode none;
    return ok ? *model.root : none;
}

std::string keys(const std::set<std::u16string, std::less<>>& set) {
    std::string out;
    for (const auto& k : set) out += toUtf8(k) + ",";
    return out;
}

// What a node holds: its mask in hex, then the six sizes, then the two key lists when given.
std::string summary(const MetaNode& n) {
    std::string out = narrow(format(u"%X %d %d %d %d %d %d", n.typeMask, n.hashSize, n.hashMinSize, n.hashMaxSize,
                                    n.vectorSize, n.vectorMinSize, n.vectorMaxSize));
    if (n.hasMustExists) out += " must:" + keys(n.mustExists);
    if (n.hasMayExists) out += " may:" + keys(n.mayExists);
    return out;
}

TEST(MetaModel, KindsSizesAndKeyListsCompileIntoTheNode) {
    Value wideKey;
    wideKey.entry(W(u"Bool")) = T;
    struct Row { const char* name; Value description; std::string summary; };
    const Row rows[] = {
        {"kinds add up", hash({{"Hash", T}, {"Vector", T}, {"Int", T}}), "188 -1 -1 -1 -1 -1 -1"},
        {"false and zero count as given", hash({{"Int", B(false)}, {"Float", I(0)}}), "28 -1 -1 -1 -1 -1 -1"},
        {"Undef sets nothing", hash({{"Int", Value()}}), "0 -1 -1 -1 -1 -1 -1"},
        {"keys are case-sensitive, unknown ones ignored", hash({{"int", T}, {"STRING", T}, {"Display", T}}),
         "0 -1 -1 -1 -1 -1 -1"},
        {"wide keys match", wideKey, "10 -1 -1 -1 -1 -1 -1"},
        {"not a Hash", I(7), "0 -1 -1 -1 -1 -1 -1"},
        {"hash sizes", rules("Hash", {{"Size", I(3)}, {"MinSize", I(1)}, {"MaxSize", I(9)}}), "80 3 1 9 -1 -1 -1"},
        {"vector sizes", rules("Vector", {{"Size", I(4)}, {"MinSize", I(2)}, {"MaxSize", I(8)}}), "100 -1 -1 -1 4 2 8"},
        {"zero is a rule", rules("Hash", {{"Size", I(0)}}), "80 0 -1 -1 -1 -1 -1"},
        {"text sizes convert", rules("Vector", {{"Size", N("12")}, {"MinSize", N("abc")}}), "100 -1 -1 -1 12 0 -1"},
        {"float truncates", rules("Hash", {{"MaxSize", F(2.9)}}), "80 -1 -1 2 -1 -1 -1"},
        {"a rules entry that is not a Hash gives no rules", hash({{"Hash", I(5)}, {"Vector", T}}),
         "180 -1 -1 -1 -1 -1 -1"},
        {"both lists keep the true keys", rules("Hash", {{"MustExists", hash({{"a", T}})},
                                                          {"MayExists", hash({{"b", T}, {"c", B(false)}})}}),
         "80 -1 -1 -1 -1 -1 -1 must:a, may:b,"},
        {"an empty list still counts as given", rules("Hash", {{"MustExists", hash({})}}),
         "80 -1 -1 -1 -1 -1 -1 must:"},
        {"values read as booleans",
         rules("Hash", {{"MayExists", hash({{"one", I(1)}, {"zero", I(0)}, {"text", N("yes")}, {"no", N("false")},
                                            {"undef", Value()}})}}), "80 -1 -1 -1 -1 -1 -1 may:one,text,"},
        {"a Vector gives its indices", rules("Hash", {{"MustExists", vec({T, B(false), T})}}),
         "80 -1 -1 -1 -1 -1 -1 must:0,2,"},
        {"a scalar list is given but empty", rules("Hash", {{"MayExists", I(1)}}), "80 -1 -1 -1 -1 -1 -1 may:"},
        {"an Undef list is not given", rules("Hash", {{"MayExists", Value()}}), "80 -1 -1 -1 -1 -1 -1"},
    };
    for (const Row& r : rows) {
        MetaModel model;
        EXPECT_EQ(summary(compiled(model, r.description)), r.summary) << r.name;
    }
    namespace m = metaType;
    const std::pair<const char*, MetaTypeMask> kinds[] = {
        {"Ignore", m::kIgnore}, {"Undef", m::kUndef}, {"String", m::kString}, {"Int", m::kInt}, {"Bool", m::kBool},
        {"Float", m::kFloat},   {"Ptr", m::kPtr},     {"Hash", m::kHash},     {"Vector", m::kVector},
    };
    for (const auto& [name, bit] : kinds) {
        MetaModel model;
        EXPECT_EQ(compiled(model, hash({{name, T}})).typeMask, bit) << name;
    }
}

TEST(MetaModel, MembersCompileIntoTheirOwnNodes) {
    MetaModel model;
    const Value d = hash({
        {"Hash", hash({{"Data", kInt}, {"SingleData", hash({{"name", hash({{"String", T}})}, {"skip", Value()}})}})},
        {"Vector", hash({{"Data", hash({{"Float", T}})},
                         {"SingleData", vec({hash({{"Bool", T}}), Value(), hash({{"Undef", T}})})}})},
    });
    const MetaNode& n = compiled(model, d);
    ASSERT_TRUE(n.hashData && n.vectorData && n.hashSingleData.size() == 1 && n.vectorSingleData.size() == 2);
    EXPECT_EQ(n.hashData->typeMask, metaType::kInt);
    EXPECT_EQ(n.hashSingleData.at(u"name")->typeMask, metaType::kString);
    EXPECT_EQ(n.vectorData->typeMask, metaType::kFloat);
    EXPECT_EQ(n.vectorSingleData.at(0)->typeMask, metaType::kBool);
    EXPECT_EQ(n.vectorSingleData.at(2)->typeMask, metaType::kUndef);
    EXPECT_EQ(model.nodeCount(), 6u);

    const MetaNode& byText = compiled(model, rules("Vector", {{"SingleData", hash({{"3", kInt}, {"x", kInt}})}}));
    EXPECT_EQ(byText.vectorSingleData.size(), 2u);
    EXPECT_TRUE(byText.vectorSingleData.contains(3) && byText.vectorSingleData.contains(0)) << "\"x\" reads as 0";
}

TEST(MetaModelIds, AReferenceReachesEnclosingDescriptionsOnly) {
    const std::string undefinedTree = "Meta Error: Meta model reference undefined ID 'tree'";
    const Value declares = hash({{"ID", N("tree")}, {"Int", T}});
    struct Row { const char* name; Value description; std::string error; };
    const Row rows[] = {
        {"self reference", hash({{"ID", N("tree")}, {"Hash", hash({{"Data", ref("tree")}})}}), ""},
        {"grandchild sees it",
         hash({{"ID", N("tree")}, {"Hash", hash({{"Data", rules("Vector", {{"Data", ref("tree")}})}})}}), ""},
        {"sibling Data to SingleData", rules("Hash", {{"Data", declares}, {"SingleData", hash({{"k", ref("tree")}})}}),
         undefinedTree},
        {"hash member to vector member",
         hash({{"Hash", hash({{"Data", declares}})}, {"Vector", hash({{"Data", ref("tree")}})}}), undefinedTree},
        {"nested ID is not visible outside",
         rules("Hash", {{"Data", rules("Hash", {{"Data", declares}})}, {"SingleData", hash({{"k", ref("tree")}})}}),
         undefinedTree},
        {"integer ID found by its text", hash({{"ID", I(5)}, {"Hash", hash({{"Data", ref("5")}})}}), ""},
        {"IDs are case-sensitive", hash({{"ID", N("Tree")}, {"Hash", hash({{"Data", ref("tree")}})}}), undefinedTree},
        {"failure deep in SingleData",
         rules("Vector", {{"SingleData", vec({kInt, rules("Hash", {{"Data", ref("x")}})})}}),
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

TEST(MetaModelIds, AReferenceIsTheSameNodeAndAnInnerIdShadowsInsideItOnly) {
    MetaModel model;
    const Value referring = hash({{"ReferenceID", N("t")}, {"Int", T}, {"ID", N("u")}});
    const MetaNode& n = compiled(model, hash({{"ID", N("t")}, {"Hash", hash({{"Data", referring}})}}));
    EXPECT_EQ(n.hashData, &n);
    // Nothing but ReferenceID is read from a referring description: no node of its own.
    EXPECT_EQ(model.nodeCount(), 1u);
    EXPECT_EQ(n.typeMask, metaType::kHash);

    const Value inner = hash({{"ID", N("t")}, {"Bool", T}, {"Hash", hash({{"Data", ref("t")}})}});
    const Value members = hash({{"inner", inner}, {"outer", ref("t")}});
    const MetaNode& outer = compiled(model, hash({{"ID", N("t")}, {"Hash", hash({{"SingleData", members}})}}));
    const MetaNode* innerNode = outer.hashSingleData.at(u"inner");
    EXPECT_EQ(innerNode->hashData, innerNode);
    EXPECT_EQ(outer.hashSingleData.at(u"outer"), &outer);
}

TEST(MetaModelLoad, EachLoadStartsAfresh) {
    MetaModel model;
    EXPECT_EQ(model.root, nullptr);
    EXPECT_FALSE(model.loadMetaModel(rules("Hash", {{"Data", ref("x")}})));
    EXPECT_EQ(model.root, nullptr);
    EXPECT_EQ(model.nodeCount(), 1u);  // the node compiled before the failure stays until the next load
    const MetaNode& n = compiled(model, kInt);
    EXPECT_TRUE(model.errorText.empty());
    EXPECT_EQ(model.nodeCount(), 1u);
    EXPECT_EQ(n.typeMask, metaType::kInt);
}

}  // namespace
