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

// Both forms of the text, where it has a byte form: the literal loader takes what the general loader
// takes or gives up, and whatever it takes comes out the same. `taken` also demands that it takes it;
// `depth` is the nesting already used by including files.
void expectAgrees(std::u16string_view text, const std::string& name, bool taken = false, std::uint32_t depth = 0) {
    const Outcome slow = general(text, depth), fast = literal(text, depth);
    if (taken) {
        EXPECT_TRUE(fast.ok) << name << ": not taken";
    }
    if (fast.ok) {
        EXPECT_TRUE(slow.ok) << name << ": taken, but the general loader fails: " << slow.error;
        EXPECT_EQ(fast.store, slow.store) << name;
    }
    if (!slow.ok) {
        EXPECT_FALSE(fast.ok) << name;
    }
    if (std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x100; })) return;
    ConfigParser parser;
    Value store;
    const bool ok = detail::loadLiterals(parser, std::string_view(narrow(text)), store, depth);
    EXPECT_EQ(ok, fast.ok) << name << " (bytes)";
    if (ok) {
        EXPECT_EQ(exactDump(store), slow.store) << name << " (bytes)";
    }
}

void expectAccepted(std::u16string_view text, const std::string& name) { expectAgrees(text, name, true); }

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
        // A value is built in the slot its path names: whatever the slot held before is gone,
        // whatever the value writes or leaves out.
        {"block over block", "['a'] = { ['x'] = 1; }; ['a'] = { ['y'] = 2; };"},
        {"empty block over a value", "['b'] = 1; ['b'] = {};"},
        {"empty set over a string", "['c'] = 'x'; ['c'] = set();"},
        {"list over an element", "['v'][0] = 1; ['v'][0] = 2, 3;"},
        {"indexed block over a hash", "['h']['k'] = 1; ['h'] = { [0] = 5; };"},
        {"a block that rewrites its own keys", "['r'] = { ['k'] = 1; ['k'] = { ['j'] = 2; }; ['k']['j'] = 3; };"},
        {"appending inside a list item", "['l'] = { [] = 1; [] = { [] = 2; }; }, 4;"},
        {"a path through a fresh value", "['p'] = 1; ['p']['q']['r'] = { ['s'] = vector(); };"},
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
            const std::string name = std::to_string(levels) + " levels at " + std::to_string(base);
            for (const std::u16string* text : {&blocks, &calls, &lists})
                expectAgrees(*text, name, base == 0 && levels == 100, base);
        }
    }
}

// A text that comes back shares one body from its second use on; texts seen only once are never
// kept, and a long run of them sends texts past the sharing for a while, after which it resumes.
// In both ways of loading.
TEST(LiteralLoader, RepeatedTextsShareOneBody) {
    std::u16string plain = u"['a'] = 'same'; ['b'] = 'same'; ['c'] = 'same';";
    for (int i = 0; i < 20000; ++i) {
        const std::u16string n = widen(std::to_string(i));
        plain += u"['u" + n + u"'] = 'once " + n + u"';";
    }
    for (int i = 0; i < 5000; ++i) plain += u"['r" + widen(std::to_string(i)) + u"'] = 'again';";
    for (const std::u16string& text : {plain, plain + u"['x'] = 1 + 1;"}) {
        ConfigParser parser;
        ASSERT_TRUE(parser.parseText(text, Value(), false));
        const Value& v = parser.variables;
        EXPECT_EQ(v.findByName("b").identity(), v.findByName("c").identity());
        EXPECT_NE(v.findByName("u1").identity(), v.findByName("u2").identity());
        EXPECT_EQ(v.findByName("r4998").identity(), v.findByName("r4999").identity()) << "sharing resumes";
    }
}

// Two texts that take turns must both come to be shared, whichever slots of the sharing they land
// in: among four thousand partners of one text, some fall where it does.
TEST(LiteralLoader, TextsTakingTurnsAreBothShared) {
    constexpr int kPartners = 4000;
    std::u16string text;
    for (int i = 0; i < kPartners; ++i) {
        const std::u16string x = u"'x" + widen(std::to_string(i)) + u"'";
        text += u"['v'][] = 'a', " + x + u", 'a', " + x + u", 'a', " + x + u";";
    }
    ConfigParser parser;
    ASSERT_TRUE(parser.parseText(text, Value(), false));
    const Value& rows = parser.variables.findByName("v");
    ASSERT_EQ(rows.size(), std::uint32_t{kPartners});
    for (std::uint32_t i = 0; i < rows.size(); ++i) {
        const Value& row = rows.at(i);
        ASSERT_EQ(row.at(5).toNarrowString(), "x" + std::to_string(i));
        EXPECT_EQ(row.at(2).identity(), row.at(4).identity()) << "row " << i;
        EXPECT_EQ(row.at(3).identity(), row.at(5).identity()) << "row " << i;
    }
}

// Strings are scanned several characters at a time: whatever ends a run of plain characters (the
// quote, a backslash between double quotes, a control character or the end of the text) must be
// seen at every offset, and nothing else may end it.
TEST(LiteralLoader, EndsAStringWhereverTheStopFalls) {
    struct Stop {
        const char* name;
        const char* open;  // the text before the run
        std::u16string stop;
        const char* close;
    };
    const Stop stops[] = {
        {"closing quote", "['a'] = '", u"'", ";"},
        {"closing double quote", "['a'] = \"", u"\"", ";"},
        {"escape", "['a'] = \"", u"\\x41\"", ";"},
        {"escaped quote", "['a'] = \"", u"\\\"x\"", ";"},
        {"backslash in a raw string", "['a'] = '", u"\\'", ";"},
        {"double quote in a raw string", "['a'] = '", u"\"'", ";"},
        {"quote in a double-quoted string", "['a'] = \"", u"'\"", ";"},
        {"tab", "['a'] = '", u"\t'", ";"},
        {"newline", "['a'] = \"", u"\n\"", ";"},
        {"NUL", "['a'] = '", std::u16string(1, u'\0') + u"'", ";"},
        {"unit 0x1F", "['a'] = '", u"\x1f'", ";"},
        {"DEL and Latin-1 letters pass", "['a'] = '", u"\x7f\u00e9\u00ff\u0080'", ";"},
        {"text ends inside", "['a'] = '", u"", ""},
        {"merged with the next", "['a'] = '", u"' 'tail'", ";"},
        {"key", "['", u"'] = 1", ";"},
    };
    for (const Stop& s : stops) {
        for (int before = 0; before <= 17; ++before) {
            std::u16string text = widen(s.open) + std::u16string(static_cast<std::size_t>(before), u'x') + s.stop;
            // Lengths past the stop too: the run's end must not depend on what follows it.
            for (int after = 0; after <= 9; after += 3) {
                const std::u16string full = text + std::u16string(static_cast<std::size_t>(after), u' ') + widen(s.close);
                expectAgrees(full, std::string(s.name) + ", " + std::to_string(before) + " before, " +
                                       std::to_string(after) + " after");
            }
        }
    }
}

// Floats take a short way when the digits and the power of ten are small; every Float must still
// carry the very bits the general loader gives it, on either side of those bounds.
TEST(LiteralLoader, ReadsFloatsToTheBit) {
    const Row rows[] = {
        {"tenths", "['a'] = 0.1, 0.2, 0.3, 0.7, 1.1, 2.675, 1.005;"},
        {"fifteen and sixteen digits", "['a'] = 123456789012345.0, 1234567890123456.0, 0.123456789012345, "
                                       "0.1234567890123456, 9007199254740993.0, 999999999999999.9;"},
        {"leading zeros count", "['a'] = 0.000000000000001, 0.0000000000000001, 000000000000000000001.5;"},
        {"powers at the bound", "['a'] = 1.5e22, 1.5e23, 1.0e-22, 1.0e-23, 1.0D22, 3.0d-22, 0.1e+22, 12.5e21;"},
        {"exponents that cancel", "['a'] = 0.00000000000000000000000001e26, 100000.0e-27, 5.0e00000000000000000001;"},
        {"extremes", "['a'] = 1.7976931348623157e308, 1.8e308, 4.9e-324, 2.0e-400, 0.0, 0.0e999999;"},
        {"no fraction digits", "['a'] = 1., 7.e3, 0.e0;"},
        {"negated", "['a'] = -0.5, -1.0e-5;"},
    };
    for (const Row& row : rows) expectAgrees(widen(row.text), row.name);

    // A spread of digit counts and exponents, the same every run.
    std::uint32_t state = 12345;
    auto next = [&state](std::uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    std::string text = "['f'] = 0.5";
    for (int i = 0; i < 3000; ++i) {
        text += ", ";
        for (std::uint32_t d = next(12); d > 0; --d) text += static_cast<char>('0' + next(10));
        text += static_cast<char>('0' + next(10));
        text += '.';
        for (std::uint32_t d = next(18); d > 0; --d) text += static_cast<char>('0' + next(10));
        if (next(2)) text += (next(2) ? "e-" : "e") + std::to_string(next(40));
    }
    text += ';';
    expectAccepted(widen(text), "a spread of floats");
}

// A text is shared whether it was read straight from the bytes or pieced together from merged or
// escaped parts: both forms find the same slot.
TEST(LiteralLoader, SharesATextWhicheverWayItWasRead) {
    const std::string texts[] = {"ab", "four", "eight ch", "nine char", "a text of twenty-two u", "caf\xe9"};
    for (const std::string& t : texts) {
        const std::string merged = "'" + t.substr(0, 1) + "' '" + t.substr(1) + "'";
        const std::string escaped = "\"\\x" + std::string(1, "0123456789abcdef"[(t[0] >> 4) & 15]) +
                                    std::string(1, "0123456789abcdef"[t[0] & 15]) + t.substr(1) + "\"";
        const std::string text = "['x'] = '" + t + "'; ['y'] = " + merged + "; ['z'] = '" + t + "'; ['w'] = " +
                                 escaped + "; ['" + t + "'] = 1;";
        ConfigParser parser;
        Value store;
        ASSERT_TRUE(detail::loadLiterals(parser, std::string_view(text), store, 0)) << t;
        EXPECT_EQ(store.findByName("y").identity(), store.findByName("z").identity()) << t;
        EXPECT_EQ(store.findByName("z").identity(), store.findByName("w").identity()) << t;
        EXPECT_EQ(store.findByName("w").toWideString(), widen(t)) << t;
        Value key;
        store.forEachEntry([&](const Value& k, const Value&) {
            if (k.toWideString() == widen(t)) key = k;
        });
        EXPECT_EQ(key.identity(), store.findByName("z").identity()) << t << ": the key";
    }
}

}  // namespace
}  // namespace orvane::config
