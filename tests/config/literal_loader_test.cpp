// The literal loader against the general loader (scan the whole text, build the whole tree, run
// it): whatever it takes must come out the same, to the bit, and what it gives up on must still load
// as the general loader loads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <string>
#include <vector>

#include "config/config_parser.h"
#include "config/evaluator.h"
#include "config/literal_loader.h"
#include "config/printer.h"
#include "config/scanner.h"
#include "config/tree_builder.h"
#include "tests/value/value_builders.h"
#include "value/text.h"

namespace orvane::config {
namespace {

// Kinds, every string unit, Float bits and Hash order: two trees print alike only if they are alike.
std::string exactDump(const Value& v) {
    char buffer[32];
    switch (v.kind()) {
        case ValueKind::Undef: return "u";
        case ValueKind::Integer: return "i" + std::to_string(v.toInteger());
        case ValueKind::Boolean: return v.toBoolean() ? "T" : "F";
        case ValueKind::Float:
            std::snprintf(buffer, sizeof buffer, "f%llx",
                          static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v.toFloat())));
            return buffer;
        case ValueKind::NarrowString:
        case ValueKind::WideString: {
            std::string out = v.kind() == ValueKind::WideString ? "w'" : "n'";
            for (char16_t c : v.toWideString()) {
                std::snprintf(buffer, sizeof buffer, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04x", unsigned(c));
                out += buffer;
            }
            return out + "'";
        }
        case ValueKind::Vector: {
            std::string out = "[";
            for (std::uint32_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + exactDump(v.at(i));
            return out + "]";
        }
        case ValueKind::Hash: {
            std::string out = "{";
            Value value;
            for (Value k = v.firstKey(&value); k.kind() != ValueKind::Undef; k = v.nextKey(k, &value))
                out += (out.size() > 1 ? "," : "") + exactDump(k) + ":" + exactDump(value);
            return out + "}";
        }
        default: return "?";
    }
}

struct Outcome {
    bool ok;
    std::string store;  // exactDump
    std::string error;
};

// The general loader in its plain order, at a given nesting already used.
Outcome general(std::u16string_view text, std::uint32_t depth = 0) {
    ConfigParser parser;
    std::vector<Token> tokens;
    Tree tree;
    Value store;
    std::u16string error;
    bool ok = scanText(error, tokens, text) && buildTree(error, tokens, tree);
    if (ok) {
        ok = detail::runStatements(parser, tree.root(), store, depth);
        error = parser.error;
    }
    return {ok, exactDump(store), narrow(error)};
}

// Whether the literal loader takes the text, and what it makes of it.
Outcome literal(std::u16string_view text, std::uint32_t depth = 0) {
    ConfigParser parser;
    Value store;
    const bool ok = detail::loadLiterals(parser, text, store, depth);
    return {ok, exactDump(store), {}};
}

Outcome loader(std::u16string_view text) {
    ConfigParser parser;
    const bool ok = parser.parseText(text, Value(), false);
    return {ok, exactDump(parser.variables), narrow(parser.error)};
}

void expectAccepted(std::u16string_view text, const char* name) {
    const Outcome fast = literal(text), slow = general(text);
    EXPECT_TRUE(fast.ok) << name << ": not taken";
    EXPECT_TRUE(slow.ok) << name << ": the general loader fails: " << slow.error;
    EXPECT_EQ(fast.store, slow.store) << name;
    // Latin-1 bytes take the same way to the same store.
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; })) {
        ConfigParser parser;
        Value store;
        EXPECT_TRUE(detail::loadLiterals(parser, std::string_view(narrow(text)), store, 0)) << name;
        EXPECT_EQ(exactDump(store), slow.store) << name << " (bytes)";
    }
}

struct Row {
    const char* name;
    const char* text;
};

TEST(LiteralLoader, TakesPlainDataAndBuildsWhatTheGeneralLoaderBuilds) {
    const Row rows[] = {
        {"nothing", ""},
        {"only comments", "  // line\n /* block * / */ \r\n\t"},
        {"scalar kinds", "['i'] = 42; ['f'] = 1.5; ['s'] = 'x'; ['t'] = true; ['n'] = false; ['u'] = undef;"},
        {"integers wrap", "['a'] = 4294967295, 4294967296, 2147483648, 99999999999, 007, 0;"},
        {"hex and binary", "['a'] = 0x1F, 0xffffffff, 0x, 0b101, 0b, 0x0b1;"},
        {"floats", "['a'] = 1.5e+3, 2.5D-1, 1., 0.5, 3.25E7, 1.0d2, 0.0000001, 179769313486231570000000.0e300;"},
        {"negatives", "['a'] = -3, -2147483648, - 15, -0, -/* c */4, -0x10;"},
        {"raw strings", "['a'] = 'raw \\ text \"q\"', '', ' ';"},
        {"escaped strings", "['a'] = \"t\\tn\\nz\\0x\\x41\\xff\\x7F\\q\\\\\\\"\", \"\";"},
        {"strings merge across space and comments", "['a'] = 'it' 's' /* c */ \"!\" // x\n '?';"},
        {"merged keys", "['a' 'b'] = 1; [\"c\\x64\"] = 2;"},
        {"long strings", "['a'] = 'a string far longer than the shared literals that a file repeats', "
                         "'a string far longer than the shared literals that a file repeats';"},
        {"paths", "['a']['b'] ['c'] = 1; ['a']['b']['d'] = 2; ['v'][] = 1; ['v'][] = 2; ['v'][5] = 3;"},
        {"integer keys at the top", "[2] = 'x'; [0] = 'y'; [] = 'z';"},
        {"a key changes the kind", "['a'] = 1; ['a']['b'] = 2; ['a'][0] = 3; ['a'] = 'x';"},
        {"reassignments", "['a'] = 1; ['a'] = 2; ['b'] = { ['c'] = 1; }; ['b']['c'] = 'now';"},
        {"blocks", "['r'] = { ['name'] = 's'; ['rules'] = { ['max'] = 32; }; ['tags'] = 'a', 'b'; };"},
        {"empty and vector blocks", "['e'] = {}; ['v'] = { [0] = 1; [] = 2; }; ['w'] = { [] = {}; };"},
        {"lists of blocks", "['l'] = { ['a'] = 1; }, {}, { [0] = 2; }, 3;"},
        {"vector calls", "['a'] = vector(); ['b'] = vector(1); ['c'] = vector(1, 'x'); ['d'] = vector (undef);"},
        {"vector of what writes nothing", "['a'] = vector({}); ['b'] = vector(set(1)); ['c'] = vector({}, 1);"},
        {"vector of a vector", "['a'] = vector(vector(1, 2)); ['b'] = vector(vector()); ['c'] = vector({ [1] = 2; });"},
        {"vector of a block", "['a'] = vector({ ['k'] = 1; }); ['b'] = vector(set('a'));"},
        {"sets", "['a'] = set('x', 1, 'y', 'x'); ['b'] = set(); ['c'] = set(1); ['d'] = set(vector('z'));"},
        {"nested calls in lists", "['a'] = vector(1, vector(2, 3)), set('k'), -1;"},
        {"underscores and digits in words", "['a'] = vector ( 1 ) ;"},
    };
    for (const Row& row : rows) expectAccepted(widen(row.text), row.name);
}

// Everything else goes the general way, and the loader as a whole ends as the general loader does,
// error, message and kept store alike.
TEST(LiteralLoader, GivesUpOnAnythingElse) {
    const Row rows[] = {
        {"missing last semicolon", "['a'] = 1"},
        {"missing semicolon in a block", "['a'] = { ['b'] = 1 };"},
        {"lone value", "5;"},
        {"empty statement", "['a'] = 1;;"},
        {"operators", "['a'] = 1 + 2;"},
        {"compound assignment", "['a'] += 1;"},
        {"equality", "['a'] == 1;"},
        {"chained assignment", "['a'] = ['b'] = 1;"},
        {"path read", "['a'] = 1; ['b'] = ['a'];"},
        {"parentheses", "['a'] = (1);"},
        {"other functions", "['a'] = keys(set('a'));"},
        {"include", "include('x.cfg');"},
        {"q strings", "['a'] = q{x};"},
        {"q strings merging", "['a'] = 'a' q{b};"},
        {"unknown word", "['a'] = yes;"},
        {"word glued to a keyword", "['a'] = truex;"},
        {"juxtaposed values", "['a'] = 5 6;"},
        {"number glued to a word", "['a'] = 5x;"},
        {"float without exponent digits", "['a'] = 1.5e;"},
        {"float with a sign only", "['a'] = 1.5e+;"},
        {"float with two points", "['a'] = 1.5.2;"},
        {"leading point", "['a'] = .5;"},
        {"double negation", "['a'] = --1;"},
        {"negated string", "['a'] = -'x';"},
        {"negated float (integer operators only)", "['a'] = -1.5;"},
        {"negative index", "[-1] = 1;"},
        {"index a vector refuses", "[0xFFFFFFFF] = 1;"},
        {"float key", "[1.5] = 1;"},
        {"trailing comma", "['a'] = 1, ;"},
        {"string left open", "['a'] = 'x;"},
        {"control character in a string", "['a'] = 'x\ty';"},
        {"hex escape cut short", "['a'] = \"\\x4\";"},
        {"block comment left open", "['a'] = 1; /* x"},
        {"invalid character", "['a'] = 1; @"},
        {"statements before a late error", "['a'] = 1; ['b'] = { ['c'] = 2; }; ['d'] = 1 +;"},
        {"lexical error after good statements", "['a'] = 1; ['b'] = 2; ['c'] = \"\\x\";"},
    };
    for (const Row& row : rows) {
        const std::u16string text = widen(row.text);
        EXPECT_FALSE(literal(text).ok) << row.name;
        const Outcome slow = general(text), whole = loader(text);
        EXPECT_EQ(whole.ok, slow.ok) << row.name;
        EXPECT_EQ(whole.error, slow.error) << row.name;
        // Kept after a failure: what ran before it, which is nothing when a scan or syntax error
        // comes first, even after the short way had written statements before giving up.
        EXPECT_EQ(whole.store, slow.store) << row.name;
    }
}

// Every file the printer writes is plain data and loads back the short way.
TEST(LiteralLoader, TakesWhatThePrinterWrites) {
    using namespace orvane::testing;
    Value store = hash({
        {"name", W(u"caf\u00e9 \"quoted\" 'single' \t tab")},
        {"numbers", vec({I(-5), I(0), I(2147483647), F(0.25), F(1.5e-3), F(12345.5)})},
        {"many", vec({I(1), I(2), I(3), I(4), I(5), I(6), I(7)})},
        {"flags", hash({{"a", B(true)}, {"b", B(true)}})},
        {"one", hash({{"deep", hash({{"er", N("x")}})}})},
        {"empty", Value()},
        {"nested", vec({hash({{"k", I(1)}, {"l", vec({})}}), vec({I(1), vec({I(2)})})})},
    });
    store.entry(Value("blank")).setEmptyVector();
    const std::u16string printed = printConfig(store, Value());
    expectAccepted(printed, "printed store");
    EXPECT_NE(literal(printed).store, "u");
}

// Nesting right up to the evaluator's limit: the short way never takes a text the general way
// would refuse, and takes the deep data files people write.
TEST(LiteralLoader, StopsShortOfTheNestingLimit) {
    const std::uint32_t depths[] = {0, 4, 100, 300};
    for (std::uint32_t base : depths) {
        for (int levels = 100; levels <= 300; levels += (levels >= 240 && levels < 262) ? 1 : 20) {
            // ['a'] = open^levels inner close^levels
            auto nested = [levels](std::u16string_view open, std::u16string_view inner, std::u16string_view close) {
                std::u16string text = u"['a'] = ";
                for (int i = 0; i < levels; ++i) text += open;
                text += inner;
                for (int i = 0; i < levels; ++i) text += close;
                return text;
            };
            const std::u16string blocks = nested(u"{ ['a'] = ", u"1;", u" };"),
                                 calls = nested(u"vector(", u"1", u")") + u";",
                                 lists = nested(u"1, vector(", u"1", u")") + u";";
            for (const std::u16string* text : {&blocks, &calls, &lists}) {
                const Outcome fast = literal(*text, base), slow = general(*text, base);
                if (fast.ok) {
                    EXPECT_TRUE(slow.ok) << levels << " levels at " << base << ": " << slow.error;
                    EXPECT_EQ(fast.store, slow.store);
                }
                if (base == 0 && levels == 100) {
                    EXPECT_TRUE(fast.ok) << "100 levels";
                }
            }
        }
    }
}

}  // namespace
}  // namespace orvane::config

namespace orvane::config {
namespace {

// A text that comes back shares one body from its second use on, and texts seen only once never
// push it out, in both ways of loading.
TEST(LiteralLoader, RepeatedTextsShareOneBody) {
    std::u16string plain = u"['a'] = 'same'; ['b'] = 'same';";
    for (int i = 0; i < 2000; ++i) {
        const std::u16string n = widen(std::to_string(i));
        plain += u"['u" + n + u"'] = 'once " + n + u"';";
    }
    plain += u"['c'] = 'same';";
    for (const std::u16string& text : {plain, plain + u"['x'] = 1 + 1;"}) {
        ConfigParser parser;
        ASSERT_TRUE(parser.parseText(text, Value(), false));
        const Value& v = parser.variables;
        EXPECT_EQ(v.findByName("b").identity(), v.findByName("c").identity());
        EXPECT_NE(v.findByName("u1").identity(), v.findByName("u2").identity());
    }
}

}  // namespace
}  // namespace orvane::config
