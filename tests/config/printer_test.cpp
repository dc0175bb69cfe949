#include "config/printer.h"

#include <gtest/gtest.h>

#include "config/config_parser.h"
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
    std::int32_t depth;
    std::u16string_view varName;
    Value description;
    std::u16string_view expected;
};

void expectPrints(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const std::u16string text = printValue(c.data, c.depth, c.varName, c.description, Value());
        EXPECT_EQ(toUtf8(text), toUtf8(c.expected)) << c.name;
    }
}

TEST(PrinterDefaultLayout, HashesFollowTheirShape) {
    // Hashes of up to four keys iterate in ascending key order, which the expected texts rely on.
    expectPrints({
        {"top level is a plain list of assignments in table order",
         hash({{"IsActive", B(true)}, {"IsMessage", B(false)}, {"IsMinimize", B(true)},
               {"DisconnectStatus", I(2)}, {"ConnectStatus", I(1)}, {"Message", N("Playing <GAMEDESC>")}}),
         0, u"", Value(),
         u"['DisconnectStatus'] = 2;\n['IsActive'] = true;\n['IsMessage'] = false;\n['IsMinimize'] = true;\n"
         u"['Message'] = 'Playing <GAMEDESC>';\n['ConnectStatus'] = 1;\n"},
        {"Undef entries are left out of a block", hash({{"a", I(1)}, {"b", Value()}, {"c", I(3)}}), 0, u"",
         Value(), u"['a'] = 1;\n['c'] = 3;\n"},
        {"one entry is a path", hash({{"k", I(5)}}), 0, u"name", Value(), u"name['k'] = 5;\n"},
        {"one Undef entry is still a path", hash({{"k", Value()}}), 0, u"name", Value(), u"name['k'] = undef;\n"},
        {"two to five trues are a set", hash({{"a", B(true)}, {"b", B(true)}, {"c", B(true)}}), 0, u"s", Value(),
         u"s = set('a', 'b', 'c');\n"},
        {"one false makes a block", hash({{"a", B(true)}, {"b", B(false)}, {"c", B(true)}}), 0, u"s", Value(),
         u"s = {\n\t['a'] = true;\n\t['b'] = false;\n\t['c'] = true;\n};\n"},
        {"the integer 1 is not a true Boolean", hash({{"a", B(true)}, {"b", I(1)}}), 0, u"s", Value(),
         u"s = {\n\t['a'] = true;\n\t['b'] = 1;\n};\n"},
        {"six trues are a block",
         hash({{"a", B(true)}, {"b", B(true)}, {"c", B(true)}, {"d", B(true)}, {"e", B(true)}, {"f", B(true)}}), 0,
         u"", Value(), u"['a'] = true;\n['c'] = true;\n['e'] = true;\n['b'] = true;\n['d'] = true;\n['f'] = true;\n"},
        {"named block at depth 0", hash({{"a", I(1)}, {"b", N("x")}}), 0, u"h", Value(),
         u"h = {\n\t['a'] = 1;\n\t['b'] = 'x';\n};\n"},
        {"named block at depth 2", hash({{"a", I(1)}, {"b", I(2)}}), 2, u"h", Value(),
         u"\t\th = {\n\t\t\t['a'] = 1;\n\t\t\t['b'] = 2;\n\t\t};\n"},
        {"nested blocks indent one tab per level",
         hash({{"a", hash({{"x", I(1)}, {"y", hash({{"p", I(2)}, {"q", I(3)}})}})}, {"b", I(4)}}), 0, u"", Value(),
         u"['a'] = {\n\t['x'] = 1;\n\t['y'] = {\n\t\t['p'] = 2;\n\t\t['q'] = 3;\n\t};\n};\n['b'] = 4;\n"},
        {"an unnamed Hash below the top keeps its braces", hash({{"a", I(1)}, {"b", I(2)}}), 1, u"", Value(),
         u"{\n\t['a'] = 1;\n\t['b'] = 2;\n\t}"},
        {"empty named Hash", hash({}), 0, u"h", Value(), u"h = {\n};\n"},
        {"empty top level", hash({}), 0, u"", Value(), u""},
        {"paths chain through one-entry Hashes", hash({{"a", hash({{"b", hash({{"c", N("deep")}})}})}}), 0, u"",
         Value(), u"['a']['b']['c'] = 'deep';\n"},
        {"a path ends in a block", hash({{"a", hash({{"x", I(1)}, {"y", I(2)}})}}), 1, u"h", Value(),
         u"\th['a'] = {\n\t\t['x'] = 1;\n\t\t['y'] = 2;\n\t};\n"},
        {"keys that need escapes", hash({{"it's", I(1)}, {"tab\there", I(2)}}), 0, u"", Value(),
         u"[\"it's\"] = 1;\n[\"tab\\there\"] = 2;\n"},
    });
}

TEST(PrinterDefaultLayout, VectorsFollowTheirShape) {
    expectPrints({
        {"three Integers inline", vec({I(1), I(2), I(3)}), 0, u"name", Value(), u"name = vector(1, 2, 3);\n"},
        {"empty Vector inline", vec({}), 0, u"name", Value(), u"name = vector();\n"},
        {"five scalars inline", vec({I(1), N("a"), B(true), Value(), F(0.5)}), 0, u"v", Value(),
         u"v = vector(1, 'a', true, undef, 0.5);\n"},
        {"six Integers are a block", vec({I(1), I(2), I(3), I(4), I(5), I(6)}), 0, u"name", Value(),
         u"name = {\n\t[0] = 1;\n\t[1] = 2;\n\t[2] = 3;\n\t[3] = 4;\n\t[4] = 5;\n\t[5] = 6;\n};\n"},
        {"six Integers at the top level", vec({I(1), I(2), I(3), I(4), I(5), I(6)}), 0, u"", Value(),
         u"[0] = 1;\n[1] = 2;\n[2] = 3;\n[3] = 4;\n[4] = 5;\n[5] = 6;\n"},
        {"a container element makes a block", vec({I(1), vec({I(2)})}), 1, u"v", Value(),
         u"\tv = {\n\t\t[0] = 1;\n\t\t[1] = vector(2);\n\t};\n"},
        {"one Hash of one entry is a path", vec({hash({{"k", N("value")}})}), 0, u"name", Value(),
         u"name[0]['k'] = 'value';\n"},
        {"one Hash of two entries is a block behind a path", vec({hash({{"a", I(1)}, {"b", I(2)}})}), 0, u"name",
         Value(), u"name[0] = {\n\t['a'] = 1;\n\t['b'] = 2;\n};\n"},
        {"one Vector is a path to an inline Vector", vec({vec({I(1), I(2)})}), 0, u"v", Value(),
         u"v[0] = vector(1, 2);\n"},
    });
}

TEST(PrinterDefaultLayout, ScalarsUseTheirTextForms) {
    Value pointer;
    pointer.setPointer(&pointer);
    expectPrints({
        {"Integer", I(-42), 0, u"x", Value(), u"x = -42;\n"},
        {"smallest Integer", I(INT32_MIN), 0, u"x", Value(), u"x = -2147483648;\n"},
        {"Float without fraction prints as an Integer", F(2.0), 0, u"x", Value(), u"x = 2;\n"},
        {"Float uses %g", F(1e20), 0, u"x", Value(), u"x = 1e+20;\n"},
        {"Booleans", vec({B(true), B(false)}), 0, u"", Value(), u"vector(true, false)"},
        {"Undef named", Value(), 3, u"x", Value(), u"\t\t\tx = undef;\n"},
        {"Undef bare", Value(), 0, u"", Value(), u"undef"},
        {"Pointer is invalid", pointer, 0, u"x", Value(), u"x = Invalid;\n"},
        {"narrow string", N("abc"), 0, u"x", Value(), u"x = 'abc';\n"},
        {"wide string keeps non-ASCII units", W(u"caf\u00e9 \u4e2d"), 0, u"x", Value(), u"x = 'caf\u00e9 \u4e2d';\n"},
        {"narrow bytes widen as Latin-1", N("\xe9"), 0, u"x", Value(), u"x = '\u00e9';\n"},
        {"apostrophe switches to double quotes", N("it's"), 0, u"x", Value(), u"x = \"it's\";\n"},
        {"escapes inside double quotes", N("a\"b\\c\nd\re\tf\x01g"), 0, u"x", Value(),
         u"x = \"a\\\"b\\\\c\\nd\\re\\tf\\x01g\";\n"},
        {"backslash alone stays verbatim", N("C:\\dir"), 0, u"x", Value(), u"x = 'C:\\dir';\n"},
        {"empty string", N(""), 0, u"x", Value(), u"x = '';\n"},
    });
}

TEST(PrinterOptions, HashDisplayTypes) {
    const Value trues = hash({{"a", B(true)}, {"b", B(true)}, {"c", B(true)}});
    const Value mixed = hash({{"a", I(1)}, {"b", Value()}, {"c", N("x")}});
    expectPrints({
        {"0 forces a block", trues, 0, u"s", desc("Hash", {{"DisplayType", I(0)}}),
         u"s = {\n\t['a'] = true;\n\t['b'] = true;\n\t['c'] = true;\n};\n"},
        {"1 forces a path, Undef included", mixed, 1, u"s", desc("Hash", {{"DisplayType", I(1)}}),
         u"\ts['a'] = 1;\n\ts['b'] = undef;\n\ts['c'] = 'x';\n"},
        {"2 lists keys only", mixed, 0, u"s", desc("Hash", {{"DisplayType", I(2)}}), u"s = set('a', 'b', 'c');\n"},
        {"2 on an empty Hash", hash({}), 0, u"s", desc("Hash", {{"DisplayType", I(2)}}), u"s = set();\n"},
        {"3 is automatic", trues, 0, u"s", desc("Hash", {{"DisplayType", I(3)}}), u"s = set('a', 'b', 'c');\n"},
        {"-1 is automatic", hash({{"k", I(1)}}), 0, u"s", desc("Hash", {{"DisplayType", I(-1)}}), u"s['k'] = 1;\n"},
        {"read with toInteger", trues, 0, u"s", desc("Hash", {{"DisplayType", N("1")}}),
         u"s['a'] = true;\ns['b'] = true;\ns['c'] = true;\n"},
        {"ShowUndef writes undef", mixed, 0, u"", desc("Hash", {{"ShowUndef", B(true)}}),
         u"['a'] = 1;\n['b'] = undef;\n['c'] = 'x';\n"},
        {"ShowUndef false", mixed, 0, u"", desc("Hash", {{"ShowUndef", B(false)}}), u"['a'] = 1;\n['c'] = 'x';\n"},
    });
}

TEST(PrinterOptions, HashOrderAndSort) {
    const Value abc = hash({{"a", I(1)}, {"b", I(2)}, {"c", I(3)}});
    auto order = [](Value keys) { return desc("Hash", {{"Order", keys}}); };
    // Table order of these keys is K7 k1 k3 k5 a8 k2 k4 k6: neither sorted nor sorted without case.
    const Value eight = hash({{"k1", I(1)}, {"k2", I(2)}, {"k3", I(3)}, {"k4", I(4)}, {"k5", I(5)}, {"k6", I(6)},
                              {"K7", I(7)}, {"a8", I(8)}});
    ASSERT_EQ(dump(eight.keys(true)), "[n'K7',n'k1',n'k3',n'k5',n'a8',n'k2',n'k4',n'k6']");
    expectPrints({
        {"gap between two keys, rest in table order", abc, 0, u"", order(vec({N("b"), I(2), N("a")})),
         u"['b'] = 2;\n\n\n['a'] = 1;\n['c'] = 3;\n"},
        {"Undef counts as one line", abc, 0, u"", order(vec({N("c"), Value(), N("a")})),
         u"['c'] = 3;\n\n['a'] = 1;\n['b'] = 2;\n"},
        {"gap before the first key is dropped", abc, 0, u"", order(vec({I(3), N("b")})),
         u"['b'] = 2;\n['a'] = 1;\n['c'] = 3;\n"},
        {"gap after the last key is dropped", abc, 0, u"", order(vec({N("a"), N("b"), N("c"), I(4)})),
         u"['a'] = 1;\n['b'] = 2;\n['c'] = 3;\n"},
        {"absent keys print nothing and the larger gap wins", abc, 0, u"",
         order(vec({N("x"), I(3), N("a"), I(1), N("zz"), I(2), N("b")})),
         u"['a'] = 1;\n\n\n['b'] = 2;\n['c'] = 3;\n"},
        {"gaps add up", abc, 0, u"", order(vec({N("a"), I(1), Value(), I(1), N("b")})),
         u"['a'] = 1;\n\n\n\n['b'] = 2;\n['c'] = 3;\n"},
        {"negative gaps cancel", abc, 0, u"", order(vec({N("a"), I(2), I(-2), N("b")})),
         u"['a'] = 1;\n['b'] = 2;\n['c'] = 3;\n"},
        {"a key named twice prints once", abc, 0, u"", order(vec({N("c"), N("c"), N("a")})),
         u"['c'] = 3;\n['a'] = 1;\n['b'] = 2;\n"},
        {"non-string keys are read as text", hash({{"1", I(10)}, {"true", I(20)}}), 0, u"",
         order(vec({B(true), F(1.0)})), u"['true'] = 20;\n['1'] = 10;\n"},
        {"an Undef value named in Order follows the rest",
         hash({{"a", I(1)}, {"b", Value()}, {"c", I(3)}}), 0, u"",
         desc("Hash", {{"Order", vec({N("b"), N("c")})}, {"ShowUndef", B(true)}}),
         u"['c'] = 3;\n['a'] = 1;\n['b'] = undef;\n"},
        {"set layout skips gaps", abc, 0, u"s", desc("Hash", {{"Order", vec({N("b"), I(1), N("a")})}, {"DisplayType", I(2)}}),
         u"s = set('b', 'a', 'c');\n"},
        {"path layout writes gaps as blank lines", abc, 0, u"h",
         desc("Hash", {{"Order", vec({N("b"), I(1), N("a")})}, {"DisplayType", I(1)}}),
         u"h['b'] = 2;\n\nh['a'] = 1;\nh['c'] = 3;\n"},
        {"Order wins over Sort", abc, 0, u"", desc("Hash", {{"Order", vec({N("c")})}, {"Sort", B(true)}}),
         u"['c'] = 3;\n['a'] = 1;\n['b'] = 2;\n"},
        {"Sort", eight, 0, u"", desc("Hash", {{"Sort", B(false)}}),
         u"['K7'] = 7;\n['a8'] = 8;\n['k1'] = 1;\n['k2'] = 2;\n['k3'] = 3;\n['k4'] = 4;\n['k5'] = 5;\n['k6'] = 6;\n"},
        {"SortNoCase", eight, 0, u"", desc("Hash", {{"Sort", I(0)}, {"SortNoCase", B(true)}}),
         u"['a8'] = 8;\n['k1'] = 1;\n['k2'] = 2;\n['k3'] = 3;\n['k4'] = 4;\n['k5'] = 5;\n['k6'] = 6;\n['K7'] = 7;\n"},
        {"SortNoCase alone does not sort", eight, 0, u"", desc("Hash", {{"SortNoCase", B(true)}}),
         u"['K7'] = 7;\n['k1'] = 1;\n['k3'] = 3;\n['k5'] = 5;\n['a8'] = 8;\n['k2'] = 2;\n['k4'] = 4;\n['k6'] = 6;\n"},
        {"Undef Sort does not sort", eight, 0, u"", desc("Hash", {{"Sort", Value()}}),
         u"['K7'] = 7;\n['k1'] = 1;\n['k3'] = 3;\n['k5'] = 5;\n['a8'] = 8;\n['k2'] = 2;\n['k4'] = 4;\n['k6'] = 6;\n"},
        {"sorted set", eight, 0, u"s", desc("Hash", {{"Sort", B(true)}, {"SortNoCase", B(true)}, {"DisplayType", I(2)}}),
         u"s = set('a8', 'k1', 'k2', 'k3', 'k4', 'k5', 'k6', 'K7');\n"},
    });
}

TEST(PrinterOptions, HashSeparatorsAndEntryDescriptions) {
    const Value abc = hash({{"a", N("x")}, {"b", N("y")}, {"c", N("z")}});
    expectPrints({
        {"separator lines go between written entries only",
         hash({{"a", Value()}, {"b", I(2)}, {"c", I(3)}}), 1, u"h", desc("Hash", {{"SeperatorLines", I(2)}}),
         u"\th = {\n\t\t['b'] = 2;\n\n\n\t\t['c'] = 3;\n\t};\n"},
        {"negative separator lines are none", abc, 0, u"", desc("Hash", {{"SeperatorLines", I(-1)}}),
         u"['a'] = 'x';\n['b'] = 'y';\n['c'] = 'z';\n"},
        {"separator lines do not apply to a path", abc, 0, u"h",
         desc("Hash", {{"SeperatorLines", I(1)}, {"DisplayType", I(1)}}),
         u"h['a'] = 'x';\nh['b'] = 'y';\nh['c'] = 'z';\n"},
        {"SingleData for one key", abc, 0, u"", desc("Hash", {{"SingleData", hash({{"b", doubleQuoted()}})}}),
         u"['a'] = 'x';\n['b'] = \"y\";\n['c'] = 'z';\n"},
        {"Data for the others, an empty SingleData entry counts",
         abc, 0, u"", desc("Hash", {{"SingleData", hash({{"a", hash({})}, {"b", Value()}})}, {"Data", doubleQuoted()}}),
         u"['a'] = 'x';\n['b'] = \"y\";\n['c'] = \"z\";\n"},
        {"entry descriptions reach a path", abc, 0, u"h",
         desc("Hash", {{"DisplayType", I(1)}, {"SingleData", hash({{"c", doubleQuoted()}})}}),
         u"h['a'] = 'x';\nh['b'] = 'y';\nh['c'] = \"z\";\n"},
        {"DoubleQuote on a bare string", N("abc"), 0, u"", doubleQuoted(), u"\"abc\""},
        {"DoubleQuote does not touch keys", hash({{"k", I(1)}, {"j", I(2)}}), 0, u"", doubleQuoted(),
         u"['j'] = 2;\n['k'] = 1;\n"},
    });
}

TEST(PrinterOptions, VectorDisplayTypes) {
    const Value three = vec({I(1), N("x"), vec({I(2)})});
    expectPrints({
        {"0 forces a block", vec({I(1), I(2)}), 0, u"v", desc("Vector", {{"DisplayType", I(0)}}),
         u"v = {\n\t[0] = 1;\n\t[1] = 2;\n};\n"},
        {"1 forces a path", vec({I(1), I(2)}), 1, u"v", desc("Vector", {{"DisplayType", I(1)}}),
         u"\tv[0] = 1;\n\tv[1] = 2;\n"},
        {"2 forces inline, containers included", vec({hash({{"a", I(1)}, {"b", I(2)}}), vec({})}), 1, u"v",
         desc("Vector", {{"DisplayType", I(2)}}), u"\tv = vector({\n\t['a'] = 1;\n\t['b'] = 2;\n\t}, vector());\n"},
        {"3 is a list", three, 1, u"v", desc("Vector", {{"DisplayType", I(3)}}),
         u"\tv = vector(\n\t\t1,\n\t\t'x',\n\t\tvector(2)\n\t);\n"},
        {"3 bare at the top", vec({I(1), I(2)}), 0, u"", desc("Vector", {{"DisplayType", I(3)}}),
         u"vector(\n\t1,\n\t2\n)"},
        {"3 on an empty Vector", vec({}), 1, u"v", desc("Vector", {{"DisplayType", I(3)}}), u"\tv = vector(\n\t);\n"},
        {"4 is automatic", three, 0, u"v", desc("Vector", {{"DisplayType", I(4)}}),
         u"v = {\n\t[0] = 1;\n\t[1] = 'x';\n\t[2] = vector(2);\n};\n"},
        {"separator lines in a block", vec({I(1), I(2), I(3)}), 0, u"v",
         desc("Vector", {{"DisplayType", I(0)}, {"SeperatorLines", I(1)}}),
         u"v = {\n\t[0] = 1;\n\n\t[1] = 2;\n\n\t[2] = 3;\n};\n"},
        {"separator lines in a path", vec({I(1), I(2)}), 0, u"v",
         desc("Vector", {{"DisplayType", I(1)}, {"SeperatorLines", I(2)}}), u"v[0] = 1;\n\n\nv[1] = 2;\n"},
        {"separator lines do not apply inline", vec({I(1), I(2)}), 0, u"v", desc("Vector", {{"SeperatorLines", I(2)}}),
         u"v = vector(1, 2);\n"},
        {"NoNumbers in a block", vec({I(1), I(2)}), 0, u"v", desc("Vector", {{"DisplayType", I(0)}, {"NoNumbers", B(true)}}),
         u"v = {\n\t[] = 1;\n\t[] = 2;\n};\n"},
        {"NoNumbers in a path", vec({hash({{"k", I(1)}})}), 0, u"v", desc("Vector", {{"NoNumbers", B(true)}}),
         u"v[]['k'] = 1;\n"},
        {"SingleData for one index, Data for the rest", vec({N("a"), N("b"), N("c")}), 0, u"v",
         desc("Vector", {{"SingleData", vec({Value(), hash({})})}, {"Data", doubleQuoted()}}),
         u"v = vector(\"a\", 'b', \"c\");\n"},
        {"SingleData must be a Vector", vec({N("a"), N("b")}), 0, u"v",
         desc("Vector", {{"SingleData", hash({{"0", doubleQuoted()}})}}), u"v = vector('a', 'b');\n"},
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
              toUtf8(u"['a'] = {\n\t['x'] = 's';\n\t['y'] = \"t\";\n};\n['b'] = {\n\t['x'] = 's';\n\t['y'] = 't';\n};\n"));
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

TEST(PrinterData, IsNeverChanged) {
    const Value data = hash({{"a", I(1)}, {"b", vec({I(2), I(3)})}, {"c", N("x")}});
    const Value copy = data;
    const std::string before = dump(data);
    printConfig(data, desc("Hash", {{"Order", vec({N("c"), N("b")})}, {"Sort", B(true)}}));
    EXPECT_EQ(dump(data), before);
    EXPECT_EQ(dump(copy), before);
}

// --- deep values: a chain of one-member containers prints as one long path ---

constexpr int kDeep = 1000000;

TEST(PrinterDepth, VectorChainPrintsAsOnePath) {
    Value v = I(1);
    for (int i = 0; i < kDeep; ++i) v = vec({v});
    std::u16string expected;
    for (int i = 0; i < kDeep - 1; ++i) expected += u"[0]";
    expected += u" = vector(1);\n";
    EXPECT_TRUE(printConfig(v, Value()) == expected);
}

TEST(PrinterDepth, HashChainPrintsAsOnePath) {
    Value v = N("leaf");
    for (int i = 0; i < kDeep; ++i) {
        Value outer;
        outer.entry(N("k")) = v;
        v = std::move(outer);
    }
    std::u16string expected;
    for (int i = 0; i < kDeep; ++i) expected += u"['k']";
    expected += u" = 'leaf';\n";
    EXPECT_TRUE(printValue(v, 0, u"", Value(), Value()) == expected);
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
    Value blocks = desc("Vector", {{"DisplayType", I(0)}, {"NoNumbers", B(true)}, {"Data", hash({{"ReferenceID", N("b")}})}});
    blocks.entry(N("Hash")) = hash({{"Data", hash({{"ReferenceID", N("b")}})}});
    blocks.entry(N("ID")) = N("b");
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        expectRoundTrip(TreeGenerator(seed, true).hashOf(0), Value(), "seed " + std::to_string(seed));
        const Value tree = TreeGenerator(seed, false).hashOf(0);
        expectRoundTrip(tree, forced, "forced layouts, seed " + std::to_string(seed));
        expectRoundTrip(tree, blocks, "blocks without numbers, seed " + std::to_string(seed));
    }
}

}  // namespace
