// Scalars, conversions, text forms, quoting, hash codes, comparison and sorting.
#include "value/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/value/value_builders.h"
#include "value/text.h"

using namespace orvane;
using namespace orvane::testing;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ValueKinds, CodesAreTheContractAndTestsAnswerForTheirKindOnly) {
    // Stored in bodies and used as the sort order of kinds: a renumbering must fail here.
    const std::pair<ValueKind, std::uint32_t> codes[] = {
        {ValueKind::Undef, 0},   {ValueKind::NarrowString, 1}, {ValueKind::WideString, 2},
        {ValueKind::Integer, 3}, {ValueKind::Float, 4},        {ValueKind::Pointer, 5},
        {ValueKind::Boolean, 6}, {ValueKind::Vector, 256},     {ValueKind::Hash, 257},
    };
    for (const auto& [kind, code] : codes) EXPECT_EQ(static_cast<std::uint32_t>(kind), code);
    EXPECT_EQ(sizeof(Value), sizeof(void*));

    // Flags: isString, isInteger, isBoolean, isVector.
    struct Row { const char* name; Value v; const char* flags; };
    const Row rows[] = {
        {"undef", Value(), "0000"},  {"narrow", N("x"), "1000"}, {"wide", W(u"x"), "1000"},
        {"integer", I(0), "0100"},   {"float", F(0), "0000"},    {"boolean", B(false), "0010"},
        {"vector", vec({}), "0001"}, {"hash", hash({}), "0000"}, {"pointer", P(8), "0000"},
    };
    for (const Row& r : rows) {
        const std::string got = {char('0' + r.v.isString()), char('0' + r.v.isInteger()),
                                 char('0' + r.v.isBoolean()), char('0' + r.v.isVector())};
        EXPECT_EQ(got, r.flags) << r.name;
    }
    EXPECT_EQ(P(0x1234).pointer(), reinterpret_cast<const void*>(0x1234));
    EXPECT_EQ(I(0x1234).pointer(), nullptr);
}

TEST(ValueConversions, PerKind) {
    struct Row { const char* name; Value v; std::int32_t i; double f; bool b; };
    const Row rows[] = {
        {"undef", Value(), 0, 0.0, false},           {"narrow number", N(" 12.5e1x"), 12, 125.0, true},
        {"wide number", W(u"-7.25"), -7, -7.25, true}, {"integer", I(-42), -42, -42.0, true},
        {"integer zero", I(0), 0, 0.0, false},        {"float truncates toward zero", F(-2.9), -2, -2.9, true},
        {"float zero", F(0.0), 0, 0.0, false},        {"float NaN is true", F(kNaN), INT32_MIN, kNaN, true},
        {"float above range", F(3e9), INT32_MIN, 3e9, true}, {"pointer", P(0x10), 0x10, 0.0, true},
        {"null pointer", P(0), 0, 0.0, false},        {"true", B(true), 1, 1.0, true},
        {"false", B(false), 0, 0.0, false},           {"vector", vec({I(5)}), 0, 0.0, true},
        {"empty vector", vec({}), 0, 0.0, false},     {"hash", hash({{"a", I(1)}}), 0, 0.0, true},
        {"empty hash", hash({}), 0, 0.0, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.v.toInteger(), r.i) << r.name;
        if (std::isnan(r.f)) EXPECT_TRUE(std::isnan(r.v.toFloat())) << r.name;
        else EXPECT_EQ(r.v.toFloat(), r.f) << r.name;
        EXPECT_EQ(r.v.toBoolean(), r.b) << r.name;
    }
}

TEST(ValueConversions, StringTruthAndDecimalParseInBothKinds) {
    const std::pair<const char*, bool> truth[] = {
        {"", false}, {"0", false}, {"false", false}, {"False", true}, {" 0", true}, {"0.0", true}, {"falsey", true},
        {"fals", true},
    };
    for (const auto& [text, want] : truth) {
        EXPECT_EQ(N(text).toBoolean(), want) << "narrow '" << text << "'";
        EXPECT_EQ(W(widen(text)).toBoolean(), want) << "wide '" << text << "'";
    }
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"  -12ab", -12}, {" +42x", 42}, {"\t5", 0} /* only blanks are skipped */, {"", 0}, {"-", 0}, {"+-3", 0},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN} /* unsigned sum, wrapped */, {"4294967297", 1},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, want] : numbers) {
        EXPECT_EQ(N(text).toInteger(), want) << "narrow '" << text << "'";
        EXPECT_EQ(W(widen(text)).toInteger(), want) << "wide '" << text << "'";
    }
    EXPECT_EQ(W(u"\u0660" u"5").toInteger(), 0) << "only ASCII digits count";
}

// Short strings live inside the body, longer ones in a block of the body pool up to a body's size,
// and longer still on the heap; every length around both borders, in units and in bytes, must read
// back whole, and rewriting a string from its own text must survive the change of form.
TEST(ValueStrings, EveryLengthAroundTheInlineBorderReadsBackWhole) {
    for (std::size_t n : {0u, 1u, 10u, 11u, 12u, 16u, 17u, 22u, 23u, 24u, 25u, 32u, 33u, 100u}) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i) text += static_cast<char>('a' + i % 26);
        const std::u16string wide = widen(text);
        Value a(text), b(std::u16string_view{wide});
        EXPECT_EQ(a.toNarrowString(), text) << n;
        EXPECT_EQ(b.toWideString(), wide) << n;
        EXPECT_EQ(a.compare(b), 0) << n;
        EXPECT_EQ(a.hashCode(), b.hashCode()) << n;
        for (std::size_t m : {0u, 5u, 11u, 12u, 16u, 17u, 23u, 24u, 32u, 33u}) {
            if (m > n) continue;
            Value na = a, wb = b;  // shared: the rewrite detaches
            na.setNarrowString(std::string_view(text).substr(n - m));
            wb.setWideString(std::u16string_view(wide).substr(n - m));
            Value own(text), ownWide(std::u16string_view{wide});  // sole owners: rewritten in place
            own.setNarrowString(std::string_view(own.toNarrowString()).substr(n - m));
            const std::u16string before = ownWide.toWideString();
            ownWide.setWideString(std::u16string_view(before).substr(n - m));
            EXPECT_EQ(na.toNarrowString(), text.substr(n - m)) << n << "->" << m;
            EXPECT_EQ(wb.toWideString(), wide.substr(n - m)) << n << "->" << m;
            EXPECT_EQ(own.toNarrowString(), text.substr(n - m)) << n << "->" << m;
            EXPECT_EQ(ownWide.toWideString(), wide.substr(n - m)) << n << "->" << m;
            EXPECT_EQ(a.toNarrowString(), text) << "the shared original is untouched";
        }
    }
}

TEST(ValueTextForms, WideNarrowAndQuoted) {
    struct Row { const char* name; Value v; std::u16string wide; std::string narrow; };
    const Row rows[] = {
        {"undef", Value(), u"undef", "undef"}, {"narrow widens bytes", N("a\xE9"), u"a\u00E9", "a\xE9"},
        {"wide narrows above 255", W(u"\u00E9\u20AC"), u"\u00E9\u20AC", "\xE9?"}, {"integer", I(-17), u"-17", "-17"},
        {"float %g", F(0.5), u"0.5", "0.5"}, {"float %g six digits", F(1234567.0), u"1.23457e+06", "1.23457e+06"},
        {"true", B(true), u"true", "true"}, {"false", B(false), u"false", "false"},
        {"vector", vec({I(1)}), u"{vector}", "{vector}"}, {"hash", hash({}), u"{hash}", "{hash}"},
        {"embedded NUL", N(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.v.toWideString(), r.wide) << r.name;
        EXPECT_EQ(r.v.toNarrowString(), r.narrow) << r.name;
    }
    EXPECT_EQ(P(0xAB).toWideString(), format(u"%p", reinterpret_cast<const void*>(0xAB)));

    struct Quote { const char* name; Value v; bool force; std::u16string out; };
    const Quote quotes[] = {
        {"plain letters", N("abc"), false, u"'abc'"}, {"empty", N(""), false, u"''"},
        {"backslash and quote stay verbatim", N("a\\b\"c"), false, u"'a\\b\"c'"},
        {"apostrophe forces double quotes", N("it's"), false, u"\"it's\""},
        {"named escapes", N("a\tb\r\n"), false, u"\"a\\tb\\r\\n\""},
        {"other controls as upper-case hex", W(u"\u001B"), false, u"\"\\x1B\""},
        {"forced escapes", N("a\"\\b"), true, u"\"a\\\"\\\\b\""},
        {"non-ASCII copied", W(u"\u20AC'"), false, u"\"\u20AC'\""}, {"integer is its text", I(5), false, u"'5'"},
        {"DEL is not a control here", W(u"\u007F"), false, u"'\u007F'"},
    };
    for (const Quote& q : quotes) EXPECT_EQ(q.v.quoted(q.force), q.out) << q.name;
}

TEST(ValueHashCode, PerKind) {
    struct Row { const char* name; Value v; std::uint32_t code; };
    const Row rows[] = {
        {"undef", Value(), 0}, {"narrow: length, then h*5+byte", N("ab"), (2u * 5 + 'a') * 5 + 'b'},
        {"wide ASCII equals narrow", W(u"ab"), (2u * 5 + 'a') * 5 + 'b'},
        {"narrow byte is signed", N("\xE9"), 5u + 0xFFFFFFE9u}, {"wide unit is unsigned", W(u"\u00E9"), 5u + 0xE9u},
        {"integer", I(-1), 0xFFFFFFFFu}, {"float low bits", F(0.1), 0x9999999Au},
        {"pointer low bits", P(0x12345678), 0x12345678u}, {"true", B(true), 1},
        {"vector size", vec({I(9), I(9), I(9)}), 3}, {"hash size", hash({{"a", I(1)}, {"b", I(2)}}), 2},
    };
    for (const Row& r : rows) EXPECT_EQ(r.v.hashCode(), r.code) << r.name;
}

TEST(ValueCompare, ScalarsKindOrderAndContainers) {
    struct Row { const char* name; Value a; Value b; int result; bool caseSensitive = true; };
    const Row rows[] = {
        {"two undef never equal", Value(), Value(), 1}, {"undef before anything", Value(), N(""), -1},
        {"string before integer", N("zzz"), I(0), -1}, {"NaN equals anything", F(kNaN), F(1), 0},
        {"integer 1 before float 1.0", I(1), F(1.0), -1}, {"float before pointer", F(9), P(1), -1},
        {"pointer before boolean", P(9), B(false), -1}, {"boolean before vector", B(true), vec({}), -1},
        {"vector before hash", vec({I(1)}), hash({}), -1}, {"integers signed", I(-1), I(1), -1},
        {"integers equal", I(7), I(7), 0}, {"pointers unsigned", P(1), P(~std::uintptr_t{0}), -1},
        {"false before true", B(false), B(true), -1}, {"floats", F(2.5), F(-1), 1},
        {"prefix is less", N("ab"), N("abc"), -1}, {"case counts", N("a"), N("B"), 1},
        {"case folded", N("a"), N("B"), -1, false}, {"mixed kinds equal", W(u"key"), N("key"), 0},
        {"mixed kinds, same letters, case folded", N("abc"), W(u"ABC"), 0, false},
        {"narrow bytes are signed", N("\xE9"), N("a"), -1}, {"wide units are unsigned", W(u"\u00E9"), W(u"a"), 1},
        {"byte against unit is sign-extended", N("\xE9"), W(u"a"), 1},
        {"unit against byte is sign-extended", W(u"\u00E9"), N("\xE9"), -1},
        {"byte 0xE9 matches unit 0xFFE9", N("\xE9"), W(u"\uFFE9"), 0},
        {"only ASCII letters fold", W(u"\u00E9"), W(u"\u00C9"), 1, false},
        {"vectors: size first", vec({I(9)}), vec({I(1), I(1)}), -1},
        {"vectors: elementwise", vec({I(1), I(2)}), vec({I(1), I(3)}), -1},
        {"vectors: equal", vec({N("a"), vec({I(1)})}), vec({W(u"a"), vec({I(1)})}), 0},
        {"vectors: undef element never equal", vec({Value()}), vec({Value()}), 1},
        {"vectors: case passed down", vec({N("A")}), vec({N("a")}), 0, false},
        {"hashes: fewer keys first", hash({{"a", I(1)}}), hash({{"a", I(1)}, {"b", I(1)}}), -1},
        {"hashes: keys before values", hash({{"a", I(9)}}), hash({{"b", I(1)}}), -1},
        {"hashes: keys always case-sensitive", hash({{"a", I(1)}}), hash({{"A", I(1)}}), 1, false},
        {"hashes: values by sorted key", hash({{"b", I(1)}, {"a", I(2)}}), hash({{"a", I(1)}, {"b", I(2)}}), 1},
        {"hashes: equal", hash({{"x", N("v")}, {"y", F(2)}}), hash({{"y", F(2)}, {"x", W(u"v")}}), 0},
    };
    for (const Row& r : rows) EXPECT_EQ(r.a.compare(r.b, 0, nullptr, r.caseSensitive), r.result) << r.name;
}

TEST(ValueCompare, DifferencePath) {
    struct Row { const char* name; Value a; Value b; std::uint32_t depth; int result; std::string path; };
    const Row rows[] = {
        {"nested vector", vec({I(1), vec({I(2), I(3)})}), vec({I(1), vec({I(2), I(4)})}), 0, -1, "[i1,i1]"},
        {"top-level scalar", I(1), I(2), 0, -1, "[]"},
        {"sizes at the top", vec({I(1)}), vec({}), 0, 1, "[]"},
        {"kind differs inside", vec({vec({I(1)})}), vec({vec({N("a")})}), 0, 1, "[i0,i0]"},
        {"hash keys", hash({{"a", I(1)}, {"b", hash({{"c", I(2)}})}}), hash({{"a", I(1)}, {"b", hash({{"c", I(3)}})}}),
         0, -1, "[n'b',n'c']"},
        {"equal leaves it empty", vec({I(1)}), vec({I(1)}), 0, 0, "[]"},
        {"kinds differ at the top: the path is not touched", I(1), N("1"), 0, 1, "n'stale'"},
        {"positions start at the given depth", vec({I(1)}), vec({I(2)}), 2, -1, "[undef,undef,i0]"},
    };
    for (const Row& r : rows) {
        Value path = N("stale");
        EXPECT_EQ(r.a.compare(r.b, r.depth, &path), r.result) << r.name;
        EXPECT_EQ(dump(path), r.path) << r.name;
    }
}

TEST(ValueSort, StableAscendingWithAndWithoutCase) {
    Value v = vec({N("b"), N("A"), W(u"a"), N("B"), N("a")});
    Value noCase = v;
    v.sort();
    EXPECT_EQ(dump(v), "[n'A',n'B',w'a',n'a',n'b']") << "case-sensitive; equal texts keep their order";
    noCase.sortNoCase();
    EXPECT_EQ(dump(noCase), "[n'A',w'a',n'a',n'b',n'B']") << "case-folded; equal texts keep their order";

    Value mixed = vec({hash({}), F(1), I(3), N("x"), Value(), I(1), B(false), vec({})}), scalar = I(4);
    mixed.sort();
    EXPECT_EQ(dump(mixed), "[undef,n'x',i1,i3,f1,bfalse,[],{}]");
    scalar.sort();
    EXPECT_EQ(dump(scalar), "i4");
}

}  // namespace
