#include "config/printer.h"

#include <gtest/gtest.h>

#include "config/config_parser.h"
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/value/value_builders.h"
#include "value/text.h"

using namespace orvane;
using namespace orvane::config;
using namespace orvane::testing;

namespace {

// A description with one options group: desc("Hash", {{"DisplayType", I(1)}}).
Value desc(std::string_view group, std::initializer_list<std::pair<std::string_view, Value>> options) {
    Value d;
    d.entry(N(group)) = hash(options);
    return d;
}

Value doubleQuoted() { return desc("String", {{"DoubleQuote", B(true)}}); }

struct Case {
    const char* name;
    Value data;
    std::u16string_view varName;
    std::u16string_view expected;
    Value description = Value();
    std::int32_t depth = 0;
};

void expectPrints(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const std::u16string text = printValue(c.data, c.depth, c.varName, c.description, Value());
        EXPECT_EQ(toUtf8(text), toUtf8(c.expected)) << c.name;
    }
}

TEST(PrinterDefaultLayout, HashesFollowTheirShape) {
    // Hashes of up to four keys iterate in ascending key order, which the expected texts rely on.
    const Value t = B(true);
    expectPrints({
        {"top level is a plain list of assignments in table order",
         hash({{"IsActive", t}, {"IsMessage", B(false)}, {"IsMinimize", t}, {"DisconnectStatus", I(2)},
               {"ConnectStatus", I(1)}, {"Message", N("Playing <GAMEDESC>")}}), u"",
         u"['DisconnectStatus'] = 2;\n['IsActive'] = true;\n['IsMessage'] = false;\n['IsMinimize'] = true;\n"
         u"['Message'] = 'Playing <GAMEDESC>';\n['ConnectStatus'] = 1;\n"},
        {"Undef entries are left out of a block", hash({{"a", I(1)}, {"b", Value()}, {"c", I(3)}}), u"",
         u"['a'] = 1;\n['c'] = 3;\n"},
        {"one entry is a path, even an Undef one", hash({{"k", Value()}}), u"name", u"name['k'] = undef;\n"},
        {"two to five trues are a set", hash({{"a", t}, {"b", t}, {"c", t}}), u"s", u"s = set('a', 'b', 'c');\n"},
        {"the integer 1 is not a true Boolean", hash({{"a", t}, {"b", I(1)}}), u"s",
         u"s = {\n\t['a'] = true;\n\t['b'] = 1;\n};\n"},
        {"six trues are a block", hash({{"a", t}, {"b", t}, {"c", t}, {"d", t}, {"e", t}, {"f", t}}), u"",
         u"['a'] = true;\n['c'] = true;\n['e'] = true;\n['b'] = true;\n['d'] = true;\n['f'] = true;\n"},
        {"nested blocks indent one tab per level",
         hash({{"a", hash({{"x", I(1)}, {"y", hash({{"p", I(2)}, {"q", I(3)}})}})}, {"b", I(4)}}), u"",
         u"['a'] = {\n\t['x'] = 1;\n\t['y'] = {\n\t\t['p'] = 2;\n\t\t['q'] = 3;\n\t};\n};\n['b'] = 4;\n"},
        {"an unnamed Hash below the top keeps its braces", hash({{"a", I(1)}, {"b", I(2)}}), u"",
         u"{\n\t['a'] = 1;\n\t['b'] = 2;\n\t}", Value(), 1},
        {"empty named Hash", hash({}), u"h", u"h = {\n};\n"},
        {"empty top level", hash({}), u"", u""},
        {"paths chain through one-entry Hashes and end in a block",
         hash({{"a", hash({{"b", hash({{"x", I(1)}, {"y", I(2)}})}})}}), u"h",
         u"\th['a']['b'] = {\n\t\t['x'] = 1;\n\t\t['y'] = 2;\n\t};\n", Value(), 1},
        {"keys that need escapes", hash({{"it's", I(1)}, {"tab\there", I(2)}}), u"",
         u"[\"it's\"] = 1;\n[\"tab\\there\"] = 2;\n"},
    });
}

TEST(PrinterDefaultLayout, VectorsAndScalars) {
    Value pointer;
    pointer.setPointer(&pointer);
    const Value six = vec({I(1), I(2), I(3), I(4), I(5), I(6)});
    expectPrints({
        {"empty Vector inline", vec({}), u"name", u"name = vector();\n"},
        {"five scalars inline", vec({I(1), N("a"), B(true), Value(), F(0.5)}), u"v",
         u"v = vector(1, 'a', true, undef, 0.5);\n"},
        {"six Integers are a block", six, u"v",
         u"v = {\n\t[0] = 1;\n\t[1] = 2;\n\t[2] = 3;\n\t[3] = 4;\n\t[4] = 5;\n\t[5] = 6;\n};\n"},
        {"a container element makes a block", vec({I(1), vec({I(2)})}), u"v",
         u"\tv = {\n\t\t[0] = 1;\n\t\t[1] = vector(2);\n\t};\n", Value(), 1},
        {"one Hash of one entry is a path", vec({hash({{"k", N("value")}})}), u"name", u"name[0]['k'] = 'value';\n"},
        {"one Hash of two entries is a block behind a path", vec({hash({{"a", I(1)}, {"b", I(2)}})}), u"name",
         u"name[0] = {\n\t['a'] = 1;\n\t['b'] = 2;\n};\n"},
        {"one Vector is a path to an inline Vector", vec({vec({I(1), I(2)})}), u"v", u"v[0] = vector(1, 2);\n"},
        {"Undef bare", Value(), u"", u"undef"},
        {"Pointer is invalid", pointer, u"x", u"x = Invalid;\n"},
        {"escapes inside double quotes", N("a\"b\\c\nd\re\tf\x01g"), u"x", u"x = \"a\\\"b\\\\c\\nd\\re\\tf\\x01g\";\n"},
    });
}

TEST(PrinterOptions, HashDisplayTypes) {
    const Value trues = hash({{"a", B(true)}, {"b", B(true)}, {"c", B(true)}});
    const Value mixed = hash({{"a", I(1)}, {"b", Value()}, {"c", N("x")}});
    auto display = [](Value type) { return desc("Hash", {{"DisplayType", type}}); };
    expectPrints({
        {"0 forces a block", trues, u"s",
         u"s = {\n\t['a'] = true;\n\t['b'] = true;\n\t['c'] = true;\n};\n", display(I(0))},
        {"1 forces a path, Undef included", mixed, u"s",
         u"\ts['a'] = 1;\n\ts['b'] = undef;\n\ts['c'] = 'x';\n", display(I(1)), 1},
        {"2 lists keys only", mixed, u"s", u"s = set('a', 'b', 'c');\n", display(I(2))},
        {"2 on an empty Hash", hash({}), u"s", u"s = set();\n", display(I(2))},
        {"-1 is automatic", hash({{"k", I(1)}}), u"s", u"s['k'] = 1;\n", display(I(-1))},
        {"read with toInteger", hash({{"a", I(1)}, {"b", I(2)}}), u"s", u"s['a'] = 1;\ns['b'] = 2;\n", display(N("1"))},
        {"ShowUndef writes undef", mixed, u"",
         u"['a'] = 1;\n['b'] = undef;\n['c'] = 'x';\n", desc("Hash", {{"ShowUndef", B(true)}})},
    });
}

TEST(PrinterOptions, HashOrderAndSort) {
    const Value abc = hash({{"a", I(1)}, {"b", I(2)}, {"c", I(3)}});
    auto order = [](Value keys) { return desc("Hash", {{"Order", keys}}); };
    // Table order of these keys is K7 k1 k3 k5 a8 k2 k4 k6: neither sorted nor sorted without case.
    const Value eight = hash({{"k1", I(1)}, {"k2", I(2)}, {"k3", I(3)}, {"k4", I(4)}, {"k5", I(5)}, {"k6", I(6)},
                              {"K7", I(7)}, {"a8", I(8)}});
    ASSERT_EQ(dump(eight.keys(true)), "[n'K7',n'k1',n'k3',n'k5',n'a8',n'k2',n'k4',n'k6']");
    const std::u16string_view tableOrder =
        u"['K7'] = 7;\n['k1'] = 1;\n['k3'] = 3;\n['k5'] = 5;\n['a8'] = 8;\n['k2'] = 2;\n['k4'] = 4;\n['k6'] = 6;\n";
    expectPrints({
        {"gap between two keys, rest in table order", abc, u"",
         u"['b'] = 2;\n\n\n['a'] = 1;\n['c'] = 3;\n", order(vec({N("b"), I(2), N("a")}))},
        {"gaps before the first and after the last key are dropped", abc, u"",
         u"['b'] = 2;\n['a'] = 1;\n['c'] = 3;\n", order(vec({I(3), N("b"), N("a"), N("c"), I(4)}))},
        {"absent keys print nothing and the larger gap wins", abc, u"",
         u"['a'] = 1;\n\n\n['b'] = 2;\n['c'] = 3;\n", order(vec({N("x"), I(3), N("a"), I(1), N("zz"), I(2), N("b")}))},
        {"gaps add up, Undef counts as one", abc, u"",
         u"['a'] = 1;\n\n\n\n['b'] = 2;\n['c'] = 3;\n", order(vec({N("a"), I(1), Value(), I(1), N("b")}))},
        {"negative gaps cancel", abc, u"",
         u"['a'] = 1;\n['b'] = 2;\n['c'] = 3;\n", order(vec({N("a"), I(2), I(-2), N("b")}))},
        {"a key named twice prints once", abc, u"",
         u"['c'] = 3;\n['a'] = 1;\n['b'] = 2;\n", order(vec({N("c"), N("c"), N("a")}))},
        {"non-string keys are read as text", hash({{"1", I(10)}, {"true", I(20)}}), u"",
         u"['true'] = 20;\n['1'] = 10;\n", order(vec({B(true), F(1.0)}))},
        {"an Undef value named in Order follows the rest", hash({{"a", I(1)}, {"b", Value()}, {"c", I(3)}}),
         u"", u"['c'] = 3;\n['a'] = 1;\n['b'] = undef;\n",
         desc("Hash", {{"Order", vec({N("b"), N("c")})}, {"ShowUndef", B(true)}})},
        {"set layout skips gaps", abc, u"s",
         u"s = set('b', 'a', 'c');\n", desc("Hash", {{"Order", vec({N("b"), I(1), N("a")})}, {"DisplayType", I(2)}})},
        {"path layout writes gaps as blank lines", abc, u"h", u"h['b'] = 2;\n\nh['a'] = 1;\nh['c'] = 3;\n",
         desc("Hash", {{"Order", vec({N("b"), I(1), N("a")})}, {"DisplayType", I(1)}})},
        {"Order wins over Sort", abc, u"",
         u"['c'] = 3;\n['a'] = 1;\n['b'] = 2;\n", desc("Hash", {{"Order", vec({N("c")})}, {"Sort", B(true)}})},
        {"Sort, even when false", eight, u"",
         u"['K7'] = 7;\n['a8'] = 8;\n['k1'] = 1;\n['k2'] = 2;\n['k3'] = 3;\n['k4'] = 4;\n['k5'] = 5;\n['k6'] = 6;\n",
         desc("Hash", {{"Sort", B(false)}})},
        {"SortNoCase", eight, u"",
         u"['a8'] = 8;\n['k1'] = 1;\n['k2'] = 2;\n['k3'] = 3;\n['k4'] = 4;\n['k5'] = 5;\n['k6'] = 6;\n['K7'] = 7;\n",
         desc("Hash", {{"Sort", I(0)}, {"SortNoCase", B(true)}})},
        {"SortNoCase alone does not sort", eight, u"", tableOrder, desc("Hash", {{"SortNoCase", B(true)}})},
        {"Undef Sort does not sort", eight, u"", tableOrder, desc("Hash", {{"Sort", Value()}})},
        {"sorted set", eight, u"s", u"s = set('a8', 'k1', 'k2', 'k3', 'k4', 'k5', 'k6', 'K7');\n",
         desc("Hash", {{"Sort", B(true)}, {"SortNoCase", B(true)}, {"DisplayType", I(2)}})},
    });
}

TEST(PrinterOptions, HashSeparatorsAndEntryDescriptions) {
    const Value abc = hash({{"a", N("x")}, {"b", N("y")}, {"c", N("z")}});
    expectPrints({
        {"separator lines go between written entries only", hash({{"a", Value()}, {"b", I(2)}, {"c", I(3)}}), u"h",
         u"\th = {\n\t\t['b'] = 2;\n\n\n\t\t['c'] = 3;\n\t};\n", desc("Hash", {{"SeperatorLines", I(2)}}), 1},
        {"negative separator lines are none", abc, u"",
         u"['a'] = 'x';\n['b'] = 'y';\n['c'] = 'z';\n", desc("Hash", {{"SeperatorLines", I(-1)}})},
        {"separator lines do not apply to a path; entry descriptions do", abc,
         u"h", u"h['a'] = 'x';\nh['b'] = 'y';\nh['c'] = \"z\";\n",
         desc("Hash",
              {{"SeperatorLines", I(1)}, {"DisplayType", I(1)}, {"SingleData", hash({{"c", doubleQuoted()}})}})},
        {"Data for the others, an empty SingleData entry counts", abc,
         u"", u"['a'] = 'x';\n['b'] = \"y\";\n['c'] = \"z\";\n",
         desc("Hash", {{"SingleData", hash({{"a", hash({})}, {"b", Value()}})}, {"Data", doubleQuoted()}})},
        {"DoubleQuote does not touch keys", hash({{"k", I(1)}, {"j", I(2)}}), u"",
         u"['j'] = 2;\n['k'] = 1;\n", doubleQuoted()},
    });
}

TEST(PrinterOptions, VectorDisplayTypes) {
    const Value three = vec({I(1), N("x"), vec({I(2)})}), two = vec({I(1), I(2)});
    auto display = [](std::int32_t type, std::initializer_list<std::pair<std::string_view, Value>> more = {}) {
        Value d = desc("Vector", more);
        d.entry(N("Vector")).entry(N("DisplayType")) = I(type);
        return d;
    };
    expectPrints({
        {"0 forces a block", two, u"v", u"v = {\n\t[0] = 1;\n\t[1] = 2;\n};\n", display(0)},
        {"1 forces a path", two, u"v", u"\tv[0] = 1;\n\tv[1] = 2;\n", display(1), 1},
        {"2 forces inline, containers included", vec({hash({{"a", I(1)}, {"b", I(2)}}), vec({})}), u"v",
         u"\tv = vector({\n\t['a'] = 1;\n\t['b'] = 2;\n\t}, vector());\n", display(2), 1},
        {"3 is a list", three, u"v", u"\tv = vector(\n\t\t1,\n\t\t'x',\n\t\tvector(2)\n\t);\n", display(3), 1},
        {"3 bare at the top", two, u"", u"vector(\n\t1,\n\t2\n)", display(3)},
        {"3 on an empty Vector", vec({}), u"v", u"\tv = vector(\n\t);\n", display(3), 1},
        {"4 is automatic", three, u"v", u"v = {\n\t[0] = 1;\n\t[1] = 'x';\n\t[2] = vector(2);\n};\n", display(4)},
        {"separator lines in a block", vec({I(1), I(2), I(3)}), u"v",
         u"v = {\n\t[0] = 1;\n\n\t[1] = 2;\n\n\t[2] = 3;\n};\n", display(0, {{"SeperatorLines", I(1)}})},
        {"separator lines in a path", two, u"v", u"v[0] = 1;\n\n\nv[1] = 2;\n", display(1, {{"SeperatorLines", I(2)}})},
        {"separator lines do not apply inline", two, u"v",
         u"v = vector(1, 2);\n", desc("Vector", {{"SeperatorLines", I(2)}})},
        {"NoNumbers in a block", two, u"v", u"v = {\n\t[] = 1;\n\t[] = 2;\n};\n", display(0, {{"NoNumbers", B(true)}})},
        {"NoNumbers in a path", vec({hash({{"k", I(1)}})}), u"v",
         u"v[]['k'] = 1;\n", desc("Vector", {{"NoNumbers", B(true)}})},
        {"SingleData for one index, Data for the rest", vec({N("a"), N("b"), N("c")}),
         u"v", u"v = vector(\"a\", 'b', \"c\");\n",
         desc("Vector", {{"SingleData", vec({Value(), hash({})})}, {"Data", doubleQuoted()}})},
        {"SingleData must be a Vector", vec({N("a"), N("b")}), u"v",
         u"v = vector('a', 'b');\n", desc("Vector", {{"SingleData", hash({{"0", doubleQuoted()}})}})},
    });
}

// Descriptions of the form {ID id, Hash {DisplayType 0, SingleData {child: {ReferenceID id}}, Data dq}}.
Value recursiveNode(Value id) {
    Value d = desc("Hash", {{"DisplayType", I(0)},
                            {"SingleData", hash({{"child", hash({{"ReferenceID", id}})}})},
                            {"Data", doubleQuoted()}});
    d.entry(N("ID")) = id;
    return d;
}

TEST(PrinterIds, ReferenceIdReachesAnEnclosingDescription) {
    const Value tree =
        hash({{"name", N("a")}, {"child", hash({{"name", N("b")}, {"child", hash({{"name", N("c")}})}})}});
    const std::u16string expected =
        u"['child'] = {\n\t['child'] = {\n\t\t['name'] = \"c\";\n\t};\n\t['name'] = \"b\";\n};\n['name'] = \"a\";\n";
    EXPECT_EQ(toUtf8(printConfig(tree, recursiveNode(N("node")))), toUtf8(expected));
    // A non-string ID is a key like any other: the Integer 7 registers under the text 7.
    EXPECT_EQ(toUtf8(printConfig(tree, recursiveNode(I(7)))), toUtf8(expected));
}

TEST(PrinterIds, IdsAreScopedToTheMembersOfTheValue) {
    // 'a' registers q for its members; its sibling 'b' refers to q and must get the defaults.
    const Value inner = hash({{"x", N("s")}, {"y", N("t")}});
    const Value data = hash({{"a", inner}, {"b", inner}});
    Value aDesc = desc("Hash", {{"SingleData", hash({{"y", hash({{"ReferenceID", N("q")}})}})}});
    aDesc.entry(N("ID")) = N("q");
    aDesc.entry(N("String")) = hash({{"DoubleQuote", B(true)}});
    const Value d = desc("Hash", {{"SingleData", hash({{"a", aDesc}, {"b", hash({{"ReferenceID", N("q")}})}})}});
    EXPECT_EQ(toUtf8(printConfig(data, d)),
              toUtf8(u"['a'] = {\n\t['x'] = 's';\n\t['y'] = \"t\";\n};\n"
                     u"['b'] = {\n\t['x'] = 's';\n\t['y'] = 't';\n};\n"));
}

TEST(PrinterIds, TableFromTheCallerAndUnknownReferences) {
    const Value ids = hash({{"dq", doubleQuoted()}});
    const Value ref = hash({{"ReferenceID", N("dq")}});
    EXPECT_EQ(toUtf8(printValue(N("v"), 0, u"x", ref, ids)), "x = \"v\";\n");
    EXPECT_EQ(toUtf8(printValue(N("v"), 0, u"x", ref, Value())), "x = 'v';\n");
    // An unknown reference drops the description's own options as well.
    Value unknown = desc("Vector", {{"DisplayType", I(0)}});
    unknown.entry(N("ReferenceID")) = N("nowhere");
    EXPECT_EQ(toUtf8(printValue(vec({I(1)}), 0, u"v", unknown, Value())), "v = vector(1);\n");
    // ID and ReferenceID in one description: it registers itself first, then finds itself.
    Value self = doubleQuoted();
    self.entry(N("ID")) = N("me");
    self.entry(N("ReferenceID")) = N("me");
    EXPECT_EQ(toUtf8(printValue(N("v"), 0, u"x", self, Value())), "x = \"v\";\n");
    EXPECT_EQ(dump(ids), "{dq:{String:{DoubleQuote:btrue}}}") << "the caller's table is never written";
}

TEST(PrinterHashEntry, SeparatorsFollowTheFirstFlag) {
    const Value data = hash({{"a", I(1)}, {"b", hash({{"x", I(2)}, {"y", I(3)}})}});
    const Value d = desc("Hash", {{"SeperatorLines", I(2)}, {"SingleData", hash({{"a", doubleQuoted()}})}});
    bool first = true;
    EXPECT_EQ(toUtf8(printHashEntry(data, 1, N("a"), first, d, Value())), "\t['a'] = 1;\n");
    EXPECT_FALSE(first);
    EXPECT_EQ(toUtf8(printHashEntry(data, 1, W(u"b"), first, d, Value())),
              "\n\n\t['b'] = {\n\t\t['x'] = 2;\n\t\t['y'] = 3;\n\t};\n");
    EXPECT_FALSE(first);
    first = true;
    EXPECT_EQ(toUtf8(printHashEntry(data, 0, N("missing"), first, Value(), Value())), "['missing'] = undef;\n");
    EXPECT_FALSE(first);
}

// Each open Hash keeps its place in its members while the Hashes inside it are written, however
// many of those there are; the expected text is built from firstKey/nextKey.
TEST(PrinterOptions, NestedHashesEachResumeTheirOwnOrder) {
    auto twoDigits = [](int i) { return std::string(i < 10 ? "0" : "") + std::to_string(i); };
    Value outer;
    for (int k = 39; k >= 0; --k) {
        Value& inner = outer.entry(N("k" + twoDigits(k)));
        for (int i = 0; i < 30; ++i) inner.entry(N("i" + twoDigits(i))) = i == 7 ? Value() : I(100 * k + i);
    }
    Value innerDesc = desc("Hash", {{"Order", vec({N("i05"), I(2), N("i03"), N("i05"), N("i07")})}});
    Value description = desc("Hash", {{"Sort", B(true)}, {"Data", innerDesc}});

    std::string expected;
    for (int k = 0; k < 40; ++k) {  // sorted outer keys
        const Value& inner = outer.find(N("k" + twoDigits(k)));
        expected += "['k" + twoDigits(k) + "'] = {\n";
        expected += "\t['i05'] = " + std::to_string(100 * k + 5) + ";\n\n\n";
        expected += "\t['i03'] = " + std::to_string(100 * k + 3) + ";\n";
        Value value;
        for (Value key = inner.firstKey(&value); key.kind() != ValueKind::Undef; key = inner.nextKey(key, &value)) {
            const std::string name = key.toNarrowString();
            if (name == "i05" || name == "i03" || value.kind() == ValueKind::Undef) continue;
            expected += "\t['" + name + "'] = " + value.toNarrowString() + ";\n";
        }
        expected += "};\n";
    }
    EXPECT_EQ(toUtf8(printConfig(outer, description)), expected);
}

TEST(PrinterData, IsNeverChanged) {
    const Value data = hash({{"a", I(1)}, {"b", vec({I(2), I(3)})}, {"c", N("x")}});
    const std::string before = dump(data);
    printConfig(data, desc("Hash", {{"Order", vec({N("c"), N("b")})}, {"Sort", B(true)}}));
    EXPECT_EQ(dump(data), before);
}

// --- numbers and long text: the printer's own number conversions and its output buffering ---

TEST(PrinterNumbers, NumbersAtEveryDigitCountAndTheWordsForSpecialFloats) {
    // Floats are checked against the formatter below; these pin the words it has no test for.
    const double inf = std::numeric_limits<double>::infinity();
    expectPrints({
        {"infinities", vec({F(inf), F(-inf)}), u"", u"vector(inf, -inf)"},
        {"not a number", F(std::numeric_limits<double>::quiet_NaN()), u"", u"nan"},
        {"zero", I(0), u"", u"0"},
        {"one digit", I(9), u"", u"9"},
        {"two digits", I(10), u"", u"10"},
        {"three digits", I(-100), u"", u"-100"},
        {"largest Integer", I(2147483647), u"", u"2147483647"},
        {"smallest Integer", I(-2147483647 - 1), u"", u"-2147483648"},
    });
}

TEST(PrinterNumbers, FloatsPrintAsTheFormattersG) {
    // The printer writes Floats itself; the formatter's %g is the reference it must match: signed
    // zeros, both infinities and NaNs, rounding that carries into an exponent, and every exponent.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> samples = {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                                   std::numeric_limits<double>::min(), nan, -nan, 999999.5, 0.0001, 0.00001234567};
    for (int e = -310; e <= 310; ++e)
        for (double m : {1.0, 9.999995, 9.9999949, 5.0, 1.5}) {
            const double v = m * std::pow(10.0, e);
            samples.insert(samples.end(), {v, -v, std::nextafter(v, 0.0), std::nextafter(v, std::numeric_limits<double>::infinity())});
        }
    // Multiples of 1/16, the common settings values, around each limit of six significant digits.
    for (double base : {0.0, 1.0, 99.0, 1000.0, 10000.0, 99990.0, 100000.0, 999990.0, 1e6})
        for (int k = -320; k <= 320; ++k)
            if (const double v = base + k / 16.0; v >= 0) samples.insert(samples.end(), {v, -v});
    std::uint64_t bits = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 6364136223846793005u + 1442695040888963407u;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        samples.push_back(v);
    }
    int mismatches = 0;
    for (double v : samples) {
        const std::u16string printed = printValue(F(v), 0, u"", Value(), Value());
        if (printed != format(u"%g", v) && ++mismatches <= 5)
            ADD_FAILURE() << "printed " << toUtf8(printed) << ", %g gives " << toUtf8(format(u"%g", v));
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PrinterText, QuotedStringsAcrossBufferBoundaries) {
    // Strings are quoted in place in the printer's buffer: each must come out whole wherever it
    // starts, whatever its width and escapes, and at lengths about where the room it may need (four
    // units per character) passes a few buffer sizes. quoted() is the reference.
    struct Kind {
        const char* name;
        bool wide;
        char16_t special;  // placed in every stretch of the text: decides the quoting
    };
    const Kind kinds[] = {
        {"narrow verbatim", false, u'a'},  {"narrow apostrophe", false, u'\''},
        {"narrow control", false, u'\x01'}, {"wide verbatim", true, u'\u4e2d'},
        {"wide escapes", true, u'\n'},
    };
    for (const Kind& kind : kinds) {
        for (std::size_t length : {0u, 1u, 511u, 2045u, 2046u, 2047u, 2048u, 8190u, 8191u, 8192u, 8193u}) {
            std::u16string text(length, u'q');
            for (std::size_t i = 3; i < length; i += 700) text[i] = kind.special;
            const Value value = kind.wide ? W(text) : N(narrow(text));
            for (std::size_t lead : {0u, 1u, 2u, 3u, 4089u, 8186u}) {  // where the buffer is when it starts
                Value list;
                list.appendSlot() = N(std::string(lead, 'x'));
                list.appendSlot() = value;
                list.appendSlot() = I(7);
                const std::u16string expected = u"v = vector(" + N(std::string(lead, 'x')).quoted(false) + u", " +
                                                value.quoted(false) + u", 7);\n";
                ASSERT_TRUE(printValue(list, 0, u"v", Value(), Value()) == expected)
                    << kind.name << ", length " << length << ", after " << lead;
            }
        }
    }
}

TEST(PrinterText, Utf8OfPrintedTextAroundEveryPosition) {
    // A non-ASCII character at each position near the starts and ends of large stretches of text.
    auto reference = [](std::u16string_view text) {
        std::string out;
        for (char16_t c : text) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    };
    const std::u16string ascii = printConfig(W(std::u16string(9000, u'x')), Value());
    EXPECT_EQ(toUtf8(ascii), reference(ascii));
    for (std::size_t at : {0u, 1u, 2046u, 2047u, 2048u, 2049u, 4095u, 4096u, 8191u, 8192u, 8999u}) {
        for (char16_t c : {u'\u00e9', u'\u4e2d', u'\u0080', u'\uffff'}) {
            std::u16string text(9000, u'y');
            text[at] = c;
            const std::u16string printed = printConfig(W(text), Value());
            ASSERT_EQ(toUtf8(printed), reference(printed)) << "at " << at;
        }
    }
}

// --- deep values: a chain of one-member containers prints as one long path ---

constexpr int kDeep = 1000000;

TEST(PrinterDepth, ChainsOfOneMemberContainersPrintAsOnePath) {
    Value vectors = I(1), hashes = N("leaf");
    std::u16string vectorPath, hashPath;
    for (int i = 0; i < kDeep; ++i) {
        vectors = vec({vectors});
        Value outer;
        outer.entry(N("k")) = hashes;
        hashes = std::move(outer);
        vectorPath += i ? u"[0]" : u"";
        hashPath += u"['k']";
    }
    EXPECT_TRUE(printConfig(vectors, Value()) == vectorPath + u" = vector(1);\n");
    EXPECT_TRUE(printValue(hashes, 0, u"", Value(), Value()) == hashPath + u" = 'leaf';\n");
}

TEST(PrinterDepth, MixedChainUnderARecursiveDescription) {
    // Vectors and Hashes alternate, the outermost a Vector; one self-referring description makes
    // every Vector inline and every Hash a path, so the nesting shows in the text all the way down.
    Value v = I(7);
    for (int i = 0; i < kDeep; ++i) {
        if (i % 2) {
            v = vec({v});
        } else {
            Value outer;
            outer.entry(N("k")) = v;
            v = std::move(outer);
        }
    }
    Value d = desc("Vector", {{"DisplayType", I(2)}, {"Data", hash({{"ReferenceID", N("r")}})}});
    d.entry(N("Hash")) = hash({{"DisplayType", I(1)}, {"Data", hash({{"ReferenceID", N("r")}})}});
    d.entry(N("ID")) = N("r");
    std::u16string expected = u"vector(";
    for (int i = 1; i < kDeep / 2; ++i) expected += u"['k'] = vector(";
    expected += u"['k'] = 7;\n";
    for (int i = 1; i < kDeep / 2; ++i) expected += u");\n";
    expected += u")";
    EXPECT_TRUE(printConfig(v, d) == expected);
}

TEST(PrinterDepth, DeepBlocksCloseEveryBrace) {
    constexpr int kLevels = 2000;
    Value v = I(0);
    for (int i = 0; i < kLevels; ++i) v = vec({I(i), v});  // the innermost, vec(0, 0), is inline
    auto tabs = [](int n) { return std::u16string(static_cast<std::size_t>(n), u'\t'); };
    std::u16string expected;
    constexpr int kBlocks = kLevels - 1;  // block j (from the outside) writes its entries at depth j
    for (int j = 0; j < kBlocks; ++j) {
        expected += tabs(j) + u"[0] = " + widen(std::to_string(kLevels - 1 - j)) + u";\n";
        expected += tabs(j) + (j + 1 < kBlocks ? u"[1] = {\n" : u"[1] = vector(0, 0);\n");
    }
    for (int j = kBlocks - 1; j >= 1; --j) expected += tabs(j - 1) + u"};\n";
    EXPECT_TRUE(printConfig(v, Value()) == expected);
}

// --- round trip: what the printer writes, the loader reads back as the same tree ---

// Deterministic trees of every kind the loader can give back: no Undef (it never compares equal) and
// no empty Hash (an empty block loads as Undef); Floats with a fraction %g writes exactly. Vectors of
// fewer than two elements only when the automatic layout prints them: a forced block writes an empty
// one as an empty block, and vector(v) of a lone Vector v reads as v itself.
class TreeGenerator {
public:
    TreeGenerator(std::uint32_t seed, bool shortVectors) : state_(seed), shortVectors_(shortVectors) {}

    Value hashOf(int depth) {
        Value h;
        const std::uint32_t n = 1 + next(7);
        for (std::uint32_t i = 0; i < n; ++i) h.entry(key()) = value(depth + 1);
        return h;
    }

private:
    std::uint32_t next(std::uint32_t bound) {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % bound;
    }

    Value key() {
        static const char* const kKeys[] = {"a", "Name", "it's", "two words", "tab\there", "back\\slash", "\"q\"", "7"};
        return N(std::string(kKeys[next(8)]) + std::to_string(next(4)));
    }

    Value value(int depth) {
        const std::uint32_t pick = next(depth < 5 ? 10 : 6);
        switch (pick) {
            case 0: return I(static_cast<std::int32_t>(next(100000)) - 50000);
            case 1: return F((2.0 * next(1000) + 1) / 8.0);
            case 2: return B(next(2) == 0);
            case 3: return N("line\nbreak, 'quote' and \"double\" \x01");
            case 4: return W(u"caf\u00e9 \u4e2d");
            case 5: return N(std::to_string(next(1000)));
            case 6:
            case 7: return hashOf(depth);
            case 8: {  // all true now and then, for the set layout
                Value h;
                for (std::uint32_t i = 0, n = 2 + next(3); i < n; ++i) h.entry(key()) = B(true);
                return h;
            }
            default: {
                Value v;
                v.setEmptyVector();
                const std::uint32_t n = shortVectors_ ? next(8) : 2 + next(6);
                for (std::uint32_t i = 0; i < n; ++i) v.appendSlot() = value(depth + 1);
                return v;
            }
        }
    }

    std::uint32_t state_;
    bool shortVectors_;
};

void expectRoundTrip(const Value& tree, const Value& description, const std::string& what) {
    const std::u16string text = printConfig(tree, description);
    ConfigParser parser;
    ASSERT_TRUE(parser.parseText(text, Value(), false)) << what << ": " << toUtf8(parser.error) << "\n" << toUtf8(text);
    Value diff;
    EXPECT_EQ(parser.variables.compare(tree, 0, &diff), 0)
        << what << ": differs at " << dump(diff) << "\n" << toUtf8(text) << "\nloaded " << dump(parser.variables);
}

TEST(PrinterRoundTrip, GeneratedTreesLoadBackEqual) {
    // Every layout the loader reads the same way: lists, blocks, separators, "[]" appends, sorting.
    Value forced = desc("Hash", {{"DisplayType", I(0)}, {"SeperatorLines", I(1)}, {"Sort", B(true)}});
    forced.entry(N("Vector")) = hash({{"DisplayType", I(3)}, {"Data", hash({{"ReferenceID", N("all")}})}});
    forced.entry(N("Hash")).entry(N("Data")) = hash({{"ReferenceID", N("all")}});
    forced.entry(N("String")) = hash({{"DoubleQuote", B(true)}});
    forced.entry(N("ID")) = N("all");
    Value blocks =
        desc("Vector", {{"DisplayType", I(0)}, {"NoNumbers", B(true)}, {"Data", hash({{"ReferenceID", N("b")}})}});
    blocks.entry(N("Hash")) = hash({{"Data", hash({{"ReferenceID", N("b")}})}});
    blocks.entry(N("ID")) = N("b");
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        expectRoundTrip(TreeGenerator(seed, true).hashOf(0), Value(), "seed " + std::to_string(seed));
        const Value tree = TreeGenerator(seed, false).hashOf(0);
        expectRoundTrip(tree, forced, "forced layouts, seed " + std::to_string(seed));
        expectRoundTrip(tree, blocks, "blocks without numbers, seed " + std::to_string(seed));
    }
}

// --- UTF-8 output: the same layout, encoded as it is written ---

TEST(PrinterUtf8, BytesAreTheEncodingOfThePrintedText) {
    // Strings around and beyond the staging block, with two- and three-byte units placed at its
    // edges, so an encoding step that splits, drops or repeats a unit at a flush shows.
    Value longStrings;
    longStrings.setEmptyVector();
    for (std::size_t length : {8180u, 8191u, 8192u, 8193u, 20000u}) {
        std::u16string text(length, u'a');
        text[0] = u'\u00e9';
        text[length / 2] = u'\u4e2d';
        text[length - 1] = u'\uffff';
        longStrings.appendSlot() = W(text);
        text[length - 2] = u'\'';  // forces double quotes, whose escapes lengthen the text
        longStrings.appendSlot() = W(text);
    }
    Value many;  // enough generated records for the result to grow several times
    for (std::uint32_t seed = 1; seed <= 400; ++seed)
        many.entry(N("record" + std::to_string(seed))) = TreeGenerator(seed, true).hashOf(0);
    Value forced = desc("Vector", {{"DisplayType", I(3)}});
    forced.entry(N("String")) = hash({{"DoubleQuote", B(true)}});
    forced.entry(N("Hash")) = hash({{"Sort", B(true)}, {"SeperatorLines", I(2)}});

    struct Row {
        const char* name;
        Value data;
        Value description;
    };
    const Row rows[] = {
        {"empty tree", hash({}), Value()},
        {"Undef", Value(), Value()},
        {"a lone scalar", W(u"\u0080\u07ff\u0800"), Value()},
        {"long strings across the block edges", longStrings, Value()},
        {"long strings, forced layouts", longStrings, forced},
        {"generated records", many, Value()},
        {"generated records, forced layouts", many, forced},
    };
    for (const Row& r : rows) {
        const std::string expected = toUtf8(printConfig(r.data, r.description));
        const std::string bytes = printConfigUtf8(r.data, r.description);
        EXPECT_EQ(bytes.size(), expected.size()) << r.name;
        EXPECT_TRUE(bytes == expected) << r.name;  // not EXPECT_EQ: a failure would dump megabytes
    }
}

}  // namespace
