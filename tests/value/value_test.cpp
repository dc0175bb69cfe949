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

TEST(ValueKinds, CodesAreTheContract) {
    // Stored in bodies and used as the sort order of kinds: a renumbering must fail here.
    struct Row { ValueKind kind; std::uint32_t code; };
    const Row rows[] = {
        {ValueKind::Undef, 0},   {ValueKind::NarrowString, 1}, {ValueKind::WideString, 2},
        {ValueKind::Integer, 3}, {ValueKind::Float, 4},        {ValueKind::Pointer, 5},
        {ValueKind::Boolean, 6}, {ValueKind::Vector, 256},     {ValueKind::Hash, 257},
    };
    for (const Row& r : rows) EXPECT_EQ(static_cast<std::uint32_t>(r.kind), r.code);
    EXPECT_EQ(sizeof(Value), sizeof(void*));
}

TEST(ValueKinds, DefaultIsUndef) {
    const Value v;
    EXPECT_EQ(v.kind(), ValueKind::Undef);
    EXPECT_EQ(v.toWideString(), u"undef");
    EXPECT_FALSE(v.toBoolean());
    EXPECT_EQ(v.size(), 0u);
    EXPECT_FALSE(v.isString() || v.isInteger() || v.isBoolean() || v.isVector());
    EXPECT_EQ(v.pointer(), nullptr);
}

TEST(ValueKinds, TestsAnswerForTheirKindOnly) {
    struct Row { const char* name; Value v; bool isString, isInteger, isBoolean, isVector; };
    const Row rows[] = {
        {"narrow", N("x"), true, false, false, false},  {"wide", W(u"x"), true, false, false, false},
        {"integer", I(0), false, true, false, false},   {"float", F(0), false, false, false, false},
        {"boolean", B(false), false, false, true, false}, {"vector", vec({}), false, false, false, true},
        {"hash", hash({}), false, false, false, false},  {"pointer", P(8), false, false, false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.v.isString(), r.isString) << r.name;
        EXPECT_EQ(r.v.isInteger(), r.isInteger) << r.name;
        EXPECT_EQ(r.v.isBoolean(), r.isBoolean) << r.name;
        EXPECT_EQ(r.v.isVector(), r.isVector) << r.name;
    }
    EXPECT_EQ(P(0x1234).pointer(), reinterpret_cast<const void*>(0x1234));
}

TEST(ValueConversions, PerKind) {
    struct Row { const char* name; Value v; std::int32_t i; double f; bool b; };
    const Row rows[] = {
        {"undef", Value(), 0, 0.0, false},
        {"narrow number", N(" 12.5e1x"), 12, 125.0, true},
        {"wide number", W(u"-7.25"), -7, -7.25, true},
        {"wide D exponent", W(u"1.5D2"), 1, 150.0, true},
        {"integer", I(-42), -42, -42.0, true},
        {"integer zero", I(0), 0, 0.0, false},
        {"float truncates toward zero", F(-2.9), -2, -2.9, true},
        {"float zero", F(0.0), 0, 0.0, false},
        {"float NaN is true", F(kNaN), INT32_MIN, kNaN, true},
        {"float above range", F(3e9), INT32_MIN, 3e9, true},
        {"float just inside range", F(-2147483648.9), INT32_MIN, -2147483648.9, true},
        {"pointer", P(0x10), 0x10, 0.0, true},
        {"null pointer", P(0), 0, 0.0, false},
        {"true", B(true), 1, 1.0, true},
        {"false", B(false), 0, 0.0, false},
        {"vector", vec({I(5)}), 0, 0.0, true},
        {"empty vector", vec({}), 0, 0.0, false},
        {"hash", hash({{"a", I(1)}}), 0, 0.0, true},
        {"empty hash", hash({}), 0, 0.0, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.v.toInteger(), r.i) << r.name;
        if (std::isnan(r.f)) EXPECT_TRUE(std::isnan(r.v.toFloat())) << r.name;
        else EXPECT_EQ(r.v.toFloat(), r.f) << r.name;
        EXPECT_EQ(r.v.toBoolean(), r.b) << r.name;
    }
}

TEST(ValueConversions, StringTruth) {
    struct Row { const char* text; bool truth; };
    const Row rows[] = {
        {"", false}, {"0", false}, {"false", false}, {"False", true}, {" 0", true},
        {"0.0", true}, {"00", true}, {"falsey", true}, {"x", true}, {"fals", true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(N(r.text).toBoolean(), r.truth) << "narrow '" << r.text << "'";
        EXPECT_EQ(W(widen(r.text)).toBoolean(), r.truth) << "wide '" << r.text << "'";
    }
}

TEST(ValueConversions, DecimalParse) {
    struct Row { const char* text; std::int32_t value; };
    const Row rows[] = {
        {"  -12ab", -12},       {" +42x", 42},          {"\t5", 0},  // only blanks are skipped
        {"abc", 0},             {"", 0},                {"-", 0},
        {"+-3", 0},             {"  7 8", 7},           {"0012", 12},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN},  // unsigned sum, wrapped
        {"4294967297", 1},      {"-2147483648", INT32_MIN}, {"-1", -1},
        {"1.9", 1},             {"0x10", 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(N(r.text).toInteger(), r.value) << "narrow '" << r.text << "'";
        EXPECT_EQ(W(widen(r.text)).toInteger(), r.value) << "wide '" << r.text << "'";
    }
    EXPECT_EQ(W(u"\u0660" u"5").toInteger(), 0) << "only ASCII digits count";
}

TEST(ValueTextForms, PerKind) {
    struct Row { const char* name; Value v; std::u16string wide; std::string narrow; };
    const Row rows[] = {
        {"undef", Value(), u"undef", "undef"},
        {"narrow widens bytes", N("a\xE9"), u"a\u00E9", "a\xE9"},
        {"wide narrows above 255", W(u"\u00E9\u20AC"), u"\u00E9\u20AC", "\xE9?"},
        {"integer", I(-17), u"-17", "-17"},
        {"float %g", F(0.5), u"0.5", "0.5"},
        {"float %g large", F(1e20), u"1e+20", "1e+20"},
        {"float %g six digits", F(1234567.0), u"1.23457e+06", "1.23457e+06"},
        {"true", B(true), u"true", "true"},
        {"false", B(false), u"false", "false"},
        {"vector", vec({I(1)}), u"{vector}", "{vector}"},
        {"hash", hash({}), u"{hash}", "{hash}"},
        {"embedded NUL", N(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.v.toWideString(), r.wide) << r.name;
        EXPECT_EQ(r.v.toNarrowString(), r.narrow) << r.name;
    }
    const Value p = P(0xAB);
    EXPECT_EQ(p.toWideString(), format(u"%p", reinterpret_cast<const void*>(0xAB)));
    EXPECT_NE(p.toWideString().find(u"AB"), std::u16string::npos);
}

TEST(ValueTextForms, Quoted) {
    struct Row { const char* name; Value v; bool force; std::u16string out; };
    const Row rows[] = {
        {"plain letters", N("abc"), false, u"'abc'"},
        {"backslash and quote stay verbatim", N("a\\b\"c"), false, u"'a\\b\"c'"},
        {"apostrophe forces double quotes", N("it's"), false, u"\"it's\""},
        {"tab", N("a\tb"), false, u"\"a\\tb\""},
        {"line feed and carriage return", N("\r\n"), false, u"\"\\r\\n\""},
        {"control as hex", W(u"\u0001"), false, u"\"\\x01\""},
        {"escape as upper-case hex", W(u"\u001B"), false, u"\"\\x1B\""},
        {"forced", N("abc"), true, u"\"abc\""},
        {"forced escapes", N("a\"\\b"), true, u"\"a\\\"\\\\b\""},
        {"non-ASCII copied", W(u"\u20AC'"), false, u"\"\u20AC'\""},
        {"integer is its text", I(5), false, u"'5'"},
        {"undef", Value(), false, u"'undef'"},
        {"empty", N(""), false, u"''"},
        {"DEL is not a control here", W(u"\u007F"), false, u"'\u007F'"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.v.quoted(r.force), r.out) << r.name;
}

TEST(ValueHashCode, PerKind) {
    struct Row { const char* name; Value v; std::uint32_t code; };
    const Row rows[] = {
        {"undef", Value(), 0},
        {"narrow: length, then h*5+byte", N("ab"), (2u * 5 + 'a') * 5 + 'b'},
        {"wide ASCII equals narrow", W(u"ab"), (2u * 5 + 'a') * 5 + 'b'},
        {"narrow byte is signed", N("\xE9"), 5u + 0xFFFFFFE9u},
        {"wide unit is unsigned", W(u"\u00E9"), 5u + 0xE9u},
        {"empty", N(""), 0},
        {"integer", I(-1), 0xFFFFFFFFu},
        {"float low bits", F(0.1), 0x9999999Au},
        {"float 1.0", F(1.0), 0},
        {"pointer low bits", P(0x12345678), 0x12345678u},
        {"true", B(true), 1},
        {"false", B(false), 0},
        {"vector size", vec({I(9), I(9), I(9)}), 3},
        {"hash size", hash({{"a", I(1)}, {"b", I(2)}}), 2},
    };
    for (const Row& r : rows) EXPECT_EQ(r.v.hashCode(), r.code) << r.name;
}

TEST(ValueCompare, ScalarsAndKindOrder) {
    struct Row { const char* name; Value a; Value b; bool caseSensitive; int result; };
    const Row rows[] = {
        {"two undef never equal", Value(), Value(), true, 1},
        {"undef before anything", Value(), N(""), true, -1},
        {"anything after undef", I(0), Value(), true, 1},
        {"string before integer", N("zzz"), I(0), true, -1},
        {"integer 1 before float 1.0", I(1), F(1.0), true, -1},
        {"float after integer", F(1.0), I(1), true, 1},
        {"float before pointer", F(9), P(1), true, -1},
        {"pointer before boolean", P(9), B(false), true, -1},
        {"boolean before vector", B(true), vec({}), true, -1},
        {"vector before hash", vec({I(1)}), hash({}), true, -1},
        {"integers signed", I(-1), I(1), true, -1},
        {"integers equal", I(7), I(7), true, 0},
        {"pointers unsigned", P(1), P(~std::uintptr_t{0}), true, -1},
        {"false before true", B(false), B(true), true, -1},
        {"floats", F(2.5), F(-1), true, 1},
        {"NaN equals anything", F(kNaN), F(1), true, 0},
        {"anything equals NaN", F(1), F(kNaN), true, 0},
        {"prefix is less", N("ab"), N("abc"), true, -1},
        {"equal strings", N("abc"), N("abc"), true, 0},
        {"case counts", N("a"), N("B"), true, 1},
        {"case folded", N("a"), N("B"), false, -1},
        {"mixed kinds, same letters, case folded", N("abc"), W(u"ABC"), false, 0},
        {"mixed kinds, same letters, case counts", N("abc"), W(u"ABC"), true, 1},
        {"mixed kinds equal", W(u"key"), N("key"), true, 0},
        {"narrow bytes are signed", N("\xE9"), N("a"), true, -1},
        {"wide units are unsigned", W(u"\u00E9"), W(u"a"), true, 1},
        {"byte against unit is sign-extended", N("\xE9"), W(u"a"), true, 1},
        {"unit against byte is sign-extended", W(u"\u00E9"), N("\xE9"), true, -1},
        {"byte 0xE9 matches unit 0xFFE9", N("\xE9"), W(u"\uFFE9"), true, 0},
        {"only ASCII letters fold", W(u"\u00E9"), W(u"\u00C9"), false, 1},
        {"vectors: size first", vec({I(9)}), vec({I(1), I(1)}), true, -1},
        {"vectors: elementwise", vec({I(1), I(2)}), vec({I(1), I(3)}), true, -1},
        {"vectors: equal", vec({N("a"), vec({I(1)})}), vec({W(u"a"), vec({I(1)})}), true, 0},
        {"vectors: undef element never equal", vec({Value()}), vec({Value()}), true, 1},
        {"vectors: case passed down", vec({N("A")}), vec({N("a")}), false, 0},
        {"hashes: fewer keys first", hash({{"a", I(1)}}), hash({{"a", I(1)}, {"b", I(1)}}), true, -1},
        {"hashes: keys before values", hash({{"a", I(9)}}), hash({{"b", I(1)}}), true, -1},
        {"hashes: keys always case-sensitive", hash({{"a", I(1)}}), hash({{"A", I(1)}}), false, 1},
        {"hashes: values by sorted key", hash({{"b", I(1)}, {"a", I(2)}}), hash({{"a", I(1)}, {"b", I(2)}}), true, 1},
        {"hashes: equal", hash({{"x", N("v")}, {"y", F(2)}}), hash({{"y", F(2)}, {"x", W(u"v")}}), true, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(r.a.compare(r.b, 0, nullptr, r.caseSensitive), r.result) << r.name;
}

TEST(ValueCompare, DifferencePath) {
    struct Row { const char* name; Value a; Value b; int result; std::string path; };
    const Row rows[] = {
        {"nested vector", vec({I(1), vec({I(2), I(3)})}), vec({I(1), vec({I(2), I(4)})}), -1, "[i1,i1]"},
        {"top-level scalar", I(1), I(2), -1, "[]"},
        {"sizes at the top", vec({I(1)}), vec({}), 1, "[]"},
        {"kind differs inside", vec({vec({I(1)})}), vec({vec({N("a")})}), 1, "[i0,i0]"},
        {"hash keys", hash({{"a", I(1)}, {"b", hash({{"c", I(2)}})}}),
         hash({{"a", I(1)}, {"b", hash({{"c", I(3)}})}}), -1, "[n'b',n'c']"},
        {"equal leaves it empty", vec({I(1)}), vec({I(1)}), 0, "[]"},
    };
    for (const Row& r : rows) {
        Value path = N("stale");
        EXPECT_EQ(r.a.compare(r.b, 0, &path), r.result) << r.name;
        EXPECT_EQ(dump(path), r.path) << r.name;
    }

    Value untouched = N("stale");
    EXPECT_EQ(I(1).compare(N("1"), 0, &untouched), 1);
    EXPECT_EQ(dump(untouched), "n'stale'") << "kinds differ at the top: the path is not touched";

    Value deeper;
    EXPECT_EQ(vec({I(1)}).compare(vec({I(2)}), 2, &deeper), -1);
    EXPECT_EQ(dump(deeper), "[undef,undef,i0]") << "positions start at the given depth";
}

TEST(ValueSort, StableAscendingWithAndWithoutCase) {
    Value v = vec({N("b"), N("A"), W(u"a"), N("B"), N("a")});
    Value noCase = v;
    v.sort();
    EXPECT_EQ(dump(v), "[n'A',n'B',w'a',n'a',n'b']") << "case-sensitive; equal texts keep their order";
    noCase.sortNoCase();
    EXPECT_EQ(dump(noCase), "[n'A',w'a',n'a',n'b',n'B']") << "case-folded; equal texts keep their order";

    Value mixed = vec({hash({}), F(1), I(3), N("x"), Value(), I(1), B(false), vec({})});
    mixed.sort();
    EXPECT_EQ(dump(mixed), "[undef,n'x',i1,i3,f1,bfalse,[],{}]");

    Value scalar = I(4);
    scalar.sort();
    EXPECT_EQ(dump(scalar), "i4");
}

}  // namespace
