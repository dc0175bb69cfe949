// Hostile structure: nesting a million deep in every bracket and prefix operator, include loops
// and chains, meta models 10^5 levels deep and descriptions that name themselves. Deep input ends
// in "Nesting too deep" or a result, never in a stack overflow.
#include <gtest/gtest.h>

#include <string>

#include "config/printer.h"
#include "config/validator.h"
#include "tests/hostile/hostile_support.h"
#include "value/text.h"

namespace orvane::hostile {
namespace {

constexpr std::size_t kMillion = 1'000'000;

struct Nest {
    const char* name;
    std::u16string open, close;
    std::size_t levelsPerOpen = 1;  // `open` is repeated kMillion / levelsPerOpen times

    std::size_t repeats() const { return kMillion / levelsPerOpen; }
};

const Nest kNests[] = {
    {"parentheses", u"(", u")"},         {"brackets", u"[", u"]"},        {"braces", u"{", u"}"},
    {"function calls", u"vector(", u")"}, {"parentheses left open", u"(", u""}, {"braces left open", u"{", u""},
    {"prefix minus", u"-", u""},          {"mixed prefixes and groups", u"-(!{~[", u"", 6},
};

TEST(HostileNesting, MillionLevelsEndInNestingTooDeep) {
    for (const Nest& nest : kNests) {
        SCOPED_TRACE(nest.name);
        const std::u16string text =
            u"['a'] = " + repeat(nest.open, nest.repeats()) + u"1" + repeat(nest.close, nest.repeats()) + u";";
        const Outcome r = load(text);
        ASSERT_FALSE(r.ok);
        // The limit is met on one of the first kMaxNestingDepth openers, which start at column 9.
        const std::string error = narrow(r.error);
        const std::string prefix = "Syntax Error (1:", suffix = "): Nesting too deep";
        ASSERT_TRUE(error.starts_with(prefix) && error.ends_with(suffix)) << error;
        const long column = std::stol(error.substr(prefix.size()));
        EXPECT_GE(column, 9);
        EXPECT_LE(column, 9 + static_cast<long>(nest.open.size() * config::kMaxNestingDepth));
        EXPECT_EQ(r.store.kind(), ValueKind::Undef);
    }
}

TEST(HostileNesting, StrayClosersAreWordedErrors) {
    for (const char16_t* closer : {u")", u"]", u"}"}) {
        SCOPED_TRACE(narrow(closer));
        const Outcome r = load(u"['a'] = 1" + repeat(closer, kMillion) + u";");
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(narrow(r.error).starts_with("Syntax Error (1:10): Cannot find counterpart of ")) << narrow(r.error);
    }
}

// A path of a million steps is one flat juxtaposition, not nesting: it builds a store a million
// levels deep, which prints, reads back equal, validates against a recursive model and is released.
TEST(HostileNesting, MillionStepPathMakesADeepStore) {
    const Outcome r = load(repeat(u"['a']", kDeepStore) + u" = 1;");
    ASSERT_TRUE(r.ok) << narrow(r.error);
    EXPECT_EQ(firstChainDepth(r.store), kDeepStore);

    const std::u16string printed = config::printConfig(r.store, Value());
    const Outcome again = load(printed);
    ASSERT_TRUE(again.ok) << narrow(again.error);
    EXPECT_EQ(r.store.compare(again.store), 0);

    const Value tree = load(u"['ID'] = 't'; ['Int'] = true; ['Hash']['Data']['ReferenceID'] = 't';").store;
    std::u16string error;
    EXPECT_TRUE(config::validate(error, r.store, tree)) << narrow(error);

    // The same chain ending in a string fails at the bottom, naming the whole path.
    const Outcome bad = load(repeat(u"['a']", kDeepStore) + u" = 'x';", nullptr, tree);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, u"Semantic Error: Variable " + repeat(u"['a']", kDeepStore) +
                             u" must be of type Integer or Hash");
}

TEST(HostileIncludes, LoopsAndChainsEndInIncludeFailed) {
    MemoryDisk disk;
    disk.files["self.cfg"] = "['n'][] = 1;\ninclude('self.cfg');";
    disk.files["ping.cfg"] = "include('pong.cfg');";
    disk.files["pong.cfg"] = "include('ping.cfg');";
    disk.files["var.cfg"] = "['v'] = includevar('var.cfg');";
    for (int i = 0; i < 100; ++i)
        disk.files["chain" + std::to_string(i) + ".cfg"] = "include('chain" + std::to_string(i + 1) + ".cfg');";

    struct Row { const char* name; std::u16string text, last; };  // last: the innermost message
    const Row rows[] = {
        {"two files including each other", u"include('ping.cfg');", u".\\ping.cfg: Include loop"},
        {"includevar of itself", u"['x'] = includevar('var.cfg');", u".\\var.cfg: Include loop"},
        // The top text counts as the first of the kMaxIncludeDepth files.
        {"a chain longer than the limit", u"include('chain0.cfg');",
         format(u".\\chain%u.cfg: Includes nested too deeply", config::kMaxIncludeDepth - 1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome r = load(row.text, &disk);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.starts_with(u"Include failed (1:")) << narrow(r.error);
        EXPECT_TRUE(r.error.ends_with(u"\n" + row.last)) << narrow(r.error);
        // A failed include adds nothing to the store.
        EXPECT_EQ(r.store.kind(), ValueKind::Undef);
    }
    // "self.cfg" and the ".\self.cfg" it names are one file: its first include of itself is the loop.
    EXPECT_EQ(load(u"include('self.cfg');", &disk).error,
              u"Include failed (1:8): \nInclude failed (2:8): \n.\\self.cfg: Include loop");
}

// A description chain 10^5 levels deep, written as one long path, compiles and checks stores.
TEST(HostileMeta, HundredThousandLevelModel) {
    constexpr std::size_t kLevels = 100'000;
    const Outcome meta = load(repeat(u"['Hash']['Data']", kLevels) + u"['Int'] = true;");
    ASSERT_TRUE(meta.ok) << narrow(meta.error);

    const Outcome good = load(repeat(u"['k']", kLevels) + u" = 1;", nullptr, meta.store);
    EXPECT_TRUE(good.ok) << narrow(good.error);
    const Outcome bad = load(repeat(u"['k']", kLevels) + u" = true;", nullptr, meta.store);
    EXPECT_EQ(bad.error, u"Semantic Error: Variable " + repeat(u"['k']", kLevels) + u" must be of type Integer");
    const Outcome shallow = load(u"['k'] = 1;", nullptr, meta.store);
    EXPECT_EQ(shallow.error, u"Semantic Error: Variable ['k'] must be of type Hash");
}

TEST(HostileMeta, SelfNamingDescriptions) {
    struct Row { const char* name; std::u16string model, store, error; };  // error empty: valid
    const Row rows[] = {
        {"a description naming itself sees no ID", u"['ID'] = 't'; ['ReferenceID'] = 't';", u"['a'] = 1;",
         u"Meta Error: Meta model reference undefined ID 't'"},
        {"a nested one naming itself", u"['ID'] = 't'; ['Hash']['Data'] = { ['ID'] = 'u'; ['ReferenceID'] = 'u'; };",
         u"['a'] = 1;", u"Meta Error: Meta model reference undefined ID 'u'"},
        {"two descriptions naming each other, mismatch deep down",
         u"['ID'] = 't'; ['Hash']['Data'] = { ['ID'] = 'u'; ['Vector']['Data']['ReferenceID'] = 't'; };",
         u"['a'][0]['b'][0] = 1;", u"Semantic Error: Variable ['a'][0]['b'][0] must be of type Hash"},
        {"two descriptions naming each other, match",
         u"['ID'] = 't'; ['Hash']['Data'] = { ['ID'] = 'u'; ['Vector']['Data']['ReferenceID'] = 't'; };",
         u"['a'][0]['b'] = vector();", u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome model = load(row.model);
        ASSERT_TRUE(model.ok) << narrow(model.error);
        const Outcome r = load(row.store, nullptr, model.store);
        EXPECT_EQ(r.error, row.error);
        EXPECT_EQ(r.ok, row.error.empty());
    }
}

// A printer description that names itself lays out every level of a deep store the same way.
TEST(HostileMeta, RecursivePrinterDescriptionOnADeepStore) {
    constexpr std::size_t kLevels = 100'000;
    const Outcome data = load(repeat(u"['k']", kLevels) + u" = 'leaf';");
    ASSERT_TRUE(data.ok) << narrow(data.error);
    const Value description =
        load(u"['ID'] = 'p'; ['Hash']['DisplayType'] = 1; ['Hash']['Data']['ReferenceID'] = 'p';").store;
    const std::u16string printed = config::printConfig(data.store, description);
    EXPECT_EQ(printed, repeat(u"['k']", kLevels) + u" = 'leaf';\n");
}

}  // namespace
}  // namespace orvane::hostile
