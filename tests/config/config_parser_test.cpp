#include "config/config_parser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/config/loader_support.h"

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#define ORVANE_HAS_PTHREAD 1
#endif

using namespace orvane;
using namespace orvane::config;
using namespace orvane::testing;

namespace {

struct StoreCase {
    const char* name;
    const char* source;
    Value expected;
};

void expectStores(const std::vector<StoreCase>& cases) {
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = loadText(c.source);
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(sameValue(r.store, c.expected)) << "got " << dump(r.store) << ", want " << dump(c.expected);
    }
}

struct ErrorCase {
    const char* name;
    const char* source;
    const char* error;
};

void expectErrors(const std::vector<ErrorCase>& cases) {
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = loadText(c.source);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(Evaluator, StatementsBuildTheStore) {
    expectStores({
        {"empty file", "", Value()},
        {"comments only", "// note\n/* block */\n", Value()},
        {"assignments fill a Hash", "['a'] = 1; ['b'] = 'x';", hash({{"a", I(1)}, {"b", W(u"x")}})},
        {"literals and keywords",
         "['i'] = 0x1F; ['f'] = 1.5; ['s'] = \"t\\tx\"; ['t'] = true; ['n'] = false; ['u'] = undef;",
         hash({{"i", I(31)}, {"f", F(1.5)}, {"s", W(u"t\tx")}, {"t", B(true)}, {"n", B(false)}, {"u", Value()}})},
        {"later assignment replaces", "['a'] = 1; ['a'] = 'x';", hash({{"a", W(u"x")}})},
        {"lines and statements are independent", "['a'] =\n1\n;\n['b'] = 2;", hash({{"a", I(1)}, {"b", I(2)}})},
    });
}

TEST(Evaluator, VectorsAndPaths) {
    expectStores({
        {"comma builds a Vector", "['v'] = 1, 2, 3;", hash({{"v", vec({I(1), I(2), I(3)})}})},
        {"empty brackets append", "['v'] = 1, 2, 3; ['v'][] = 4;", hash({{"v", vec({I(1), I(2), I(3), I(4)})}})},
        {"append to nothing starts a Vector", "[] = 'a'; [] = 'b';", vec({W(u"a"), W(u"b")})},
        {"append to a Hash lands after as many elements as it had entries",
         "['h'] = { ['a'] = 1; }; ['h'][] = 5;", hash({{"h", vec({Value(), I(5)})}})},
        {"index grows the Vector with undef", "['v'][2] = 7;", hash({{"v", vec({Value(), Value(), I(7)})}})},
        {"negative index writes nothing", "['v'] = 1, 2; ['v'][-1] = 9;", hash({{"v", vec({I(1), I(2)})}})},
        {"path steps walk levels", "['a'][0]['b'] = 2;", hash({{"a", vec({hash({{"b", I(2)}})})}})},
        {"Vector key walks levels", "['a', 'b'] = 1;", hash({{"a", hash({{"b", I(1)}})}})},
        {"Vector key mixes indices and names", "['a', 1, 'c'] = 1;",
         hash({{"a", vec({Value(), hash({{"c", I(1)}})})}})},
        {"key of another kind leaves the slot where it is", "['a'][true] = 3; ['b'][1.5] = 4;",
         hash({{"a", I(3)}, {"b", I(4)}})},
        {"key computed from the store", "['k'] = 'a'; [['k']] = 1;", hash({{"k", W(u"a")}, {"a", I(1)}})},
        {"a target's key works on the store itself", "[['n'] = 'x'] = 1;", hash({{"n", W(u"x")}, {"x", I(1)}})},
        {"a read's key works on a copy", "['a'] = [['n'] = 'x'];", hash({{"a", Value()}})},
        {"read of an absent path is undef and creates nothing", "['a'] = ['b']['c'][3];", hash({{"a", Value()}})},
        {"read through an append is undef", "['v'] = 1; ['a'] = ['v'][];", hash({{"v", I(1)}, {"a", Value()}})},
        {"read of a Vector key", "['a', 'b'] = 1; ['c'] = ['a', 'b'];",
         hash({{"a", hash({{"b", I(1)}})}, {"c", I(1)}})},
        {"read of an index", "['v'] = 5, 6; ['x'] = ['v'][1]; ['y'] = ['v'][-1];",
         hash({{"v", vec({I(5), I(6)})}, {"x", I(6)}, {"y", Value()}})},
    });
}

TEST(Evaluator, BlocksHaveTheirOwnScope) {
    expectStores({
        {"block builds a Hash", "['h'] = { ['x'] = 1; ['y'] = 2; };",
         hash({{"h", hash({{"x", I(1)}, {"y", I(2)}})}})},
        {"paths in a block start at the block", "['x'] = 5; ['h'] = { ['y'] = ['x']; };",
         hash({{"x", I(5)}, {"h", hash({{"y", Value()}})}})},
        {"a block reads what it assigned", "['h'] = { ['x'] = 5; ['y'] = ['x'] + 1; };",
         hash({{"h", hash({{"x", I(5)}, {"y", I(6)}})}})},
        {"block with a lone value", "['h'] = { 5 };", hash({{"h", I(5)}})},
        {"empty block", "['h'] = { };", hash({{"h", Value()}})},
        {"block with a lone assignment keeps what it wrote", "['h'] = { ['a'] = 1 };",
         hash({{"h", hash({{"a", I(1)}})}})},
        {"nested blocks", "['h'] = { ['i'] = { [] = 1; [] = 2; }; };",
         hash({{"h", hash({{"i", vec({I(1), I(2)})}})}})},
        {"lone block without ; is the store", "{ ['a'] = 1; }", hash({{"a", I(1)}})},
        {"block as a statement is dropped", "{ ['a'] = 1; };", Value()},
    });
}

TEST(Evaluator, LoneExpressionWithoutSemicolon) {
    expectStores({
        {"assignment keeps what it wrote and does not contain itself", "['a'] = 1", hash({{"a", I(1)}})},
        {"chain", "['a'] = ['b'] = 2", hash({{"a", I(2)}, {"b", I(2)}})},
        {"value", "5", I(5)},
        {"Vector", "1, 2", vec({I(1), I(2)})},
        {"parenthesised assignment is a value, its target a copy", "( ['a'] = 1 )", I(1)},
        {"call", "vector(1)", vec({I(1)})},
    });
}

TEST(Evaluator, AssignmentsAndOperators) {
    expectStores({
        {"chain sets every target", "['a'] = ['b'] = 0;", hash({{"a", I(0)}, {"b", I(0)}})},
        {"compound assignments",
         "['n'] = 5; ['n'] += 2; ['m'] = 6; ['m'] |= 3; ['k'] = 6; ['k'] ^= 3; ['s'] = 1; ['s'] <<= 33;",
         hash({{"n", I(7)}, {"m", I(5)}, {"k", I(7)}, {"s", I(2)}})},
        {"compound chain folds from the right", "['a'] = 1; ['b'] = 10; ['a'] += ['b'] += 5;",
         hash({{"a", I(16)}, {"b", I(15)}})},
        {"assignment in parens changes nothing", "( ['a'] = 1 ); ['b'] = (['c'] = 2);", hash({{"b", I(2)}})},
        {"assignment in an operand changes nothing", "['x'] = 1 + (['y'] = 2);", hash({{"x", I(3)}})},
        {"assignment in an argument changes nothing", "['v'] = vector(['a'] = 1);", hash({{"v", vec({I(1)})}})},
        {"siblings in a list do not see each other", "['v'] = (['a'] = 1), ['a'];",
         hash({{"v", vec({I(1), Value()})}})},
        {"precedence and grouping",
         "['x'] = 1 + 2 * 3; ['y'] = (1 + 2) * 3; ['z'] = 7 - 2 - 1; ['w'] = -5 + +2; ['q'] = 1 - 2 + 3;",
         hash({{"x", I(7)}, {"y", I(9)}, {"z", I(4)}, {"w", I(-3)}, {"q", I(2)}})},
    });
}

// A call followed by a bracket is one None node of three children, under the prefix operator.
TEST(Evaluator, CallFollowedByABracketIsNotAPath) {
    const Loaded r = loadText("['x'] = -keys(5, 6)[1];");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Syntax Error (1:14): Invalid function format");
}

TEST(Evaluator, EveryMessageWithCategoryAndPosition) {
    expectErrors({
        {"missing ; after the last statement", "['a'] = 1; ['b'] = 2", "Syntax Error (1:10): Missing ;"},
        {"missing ; is reported at the first ;", "['a'] = 1;\n['b'] = 2;\n['c'] = 3",
         "Syntax Error (1:10): Missing ;"},
        {"missing ; inside a block", "['h'] = { ['a'] = 1; ['b'] = 2 };", "Syntax Error (1:20): Missing ;"},
        {"unknown keyword", "['x'] = true; ['y'] = undef; ['z'] = hello;",
         "Syntax Error (1:38): Found keyword 'hello' when expecting RValue"},
        {"keyword on a later line", "['a'] = 1;\n['b'] = nope;",
         "Syntax Error (2:9): Found keyword 'nope' when expecting RValue"},
        {"unknown function at its (", "['v'] = frob(1);", "Syntax Error (1:13): Unknown function 'frob'"},
        {"function names are case-sensitive", "['v'] = Vector(1);", "Syntax Error (1:15): Unknown function 'Vector'"},
        {"arguments are evaluated before the name is checked", "frob(hello);",
         "Syntax Error (1:6): Found keyword 'hello' when expecting RValue"},
        {"call without a parameter list", "['v'] = vector [1];",
         "Syntax Error (1:16): Expecting function parameter list"},
        {"call of a call", "['v'] = vector(1)(2);", "Syntax Error (1:15): Invalid function format"},
        {"call needs a name", "['v'] = 5(1);", "Syntax Error (1:10): Expecting R-Value"},
        {"empty parens", "['a'] = ( );", "Syntax Error (1:9): Expecting R-Value"},
        {"empty argument", "['a'] = vector(1, );", "Syntax Error (1:17): Expecting R-Value"},
        {"statements inside parens", "['a'] = (1; 2;);", "Syntax Error (1:11): Expecting R-Value"},
        {"literal as target", "5 = 1;", "Syntax Error (1:1): Expecting L-Value"},
        {"call as target", "f(1) = 1;", "Syntax Error (1:1): Expecting L-Value"},
        {"parens as target", "(['a']) = 1;", "Syntax Error (1:1): Expecting L-Value"},
        {"read step that is not a bracket", "['a'] 5;", "Syntax Error (1:7): Expecting L-Value"},
        {"target step that is not a bracket", "['a'](1) = 2;", "Syntax Error (1:6): Expecting L-Value"},
        {"unary operator on a string", "['x'] = -'a';",
         "Syntax Error (1:9): No unary function found for operator '-' and parameter type 'String'"},
        {"not on a Boolean", "['x'] = !true;",
         "Syntax Error (1:9): No unary function found for operator '!' and parameter type 'Invalid'"},
        {"binary operator names both types", "['x'] = 'a' + 1;",
         "Syntax Error (1:13): No binary function found for operator '+' and parameter types 'String' and 'Number'"},
        {"a Boolean operand is Invalid", "['x'] = true + 1;",
         "Syntax Error (1:14): No binary function found for operator '+' and parameter types 'Invalid' and 'Number'"},
        {"a Float operand", "['x'] = 1.5 + 1;",
         "Syntax Error (1:13): No binary function found for operator '+' and parameter types 'Float' and 'Number'"},
        {"an absent operand is Undef", "['x'] = ['nothing'] * 2;",
         "Syntax Error (1:21): No binary function found for operator '*' and parameter types 'Undef' and 'Number'"},
        {"n-ary operator stops at the first bad operand", "['x'] = 1 + 2 + 'a' + hello;",
         "Syntax Error (1:11): No binary function found for operator '+' and parameter types 'Number' and 'String'"},
        {"compound assignment names itself", "['s'] = 'a'; ['s'] += 1;",
         "Syntax Error (1:20): No binary function found for operator '+=' and parameter types 'String' and 'Number'"},
        {"compound assignment on an absent entry", "['n'] -= 1;",
         "Syntax Error (1:7): No binary function found for operator '-=' and parameter types 'Undef' and 'Number'"},
        {"scanner errors pass through", "['a'] = #;", "Scanning Error (1:9): Invalid character 0x23"},
        {"tree errors pass through", "['a'] = 1 );", "Syntax Error (1:11): Cannot find counterpart of Number"},
    });
}

TEST(Evaluator, FailureKeepsWhatEarlierStatementsAssigned) {
    const Loaded r = loadText("['a'] = 1; ['b'] = nope; ['c'] = 3;");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(sameValue(r.store, hash({{"a", I(1)}}))) << dump(r.store);
}

TEST(Evaluator, MissingSemicolonAssignsNothing) {
    const Loaded r = loadText("['a'] = 1; ['b'] = 2");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.store.kind(), ValueKind::Undef);
}

TEST(Loader, KeepVariablesDecidesWhetherTheStoreStartsEmpty) {
    ConfigParser p;
    ASSERT_TRUE(p.parseText(u"['a'] = 1;", Value(), false));
    ASSERT_TRUE(p.parseText(u"['b'] = ['a'] + 1;", Value(), true));
    EXPECT_TRUE(sameValue(p.variables, hash({{"a", I(1)}, {"b", I(2)}}))) << dump(p.variables);
    ASSERT_TRUE(p.parseText(u"['c'] = 3;", Value(), false));
    EXPECT_TRUE(sameValue(p.variables, hash({{"c", I(3)}}))) << dump(p.variables);
}

TEST(Loader, ErrorIsClearedByTheNextSuccess) {
    ConfigParser p;
    EXPECT_FALSE(p.parseText(u"nope;", Value(), false));
    EXPECT_FALSE(p.error.empty());
    EXPECT_TRUE(p.parseText(u"['a'] = 1;", Value(), false));
    EXPECT_TRUE(p.error.empty());
}

// A read must leave the store's containers where they are: reading b into a shares b's body, and
// the store's own table is written in place rather than copied.
TEST(Loader, PathReadSharesInsteadOfCopying) {
    ConfigParser p;
    ASSERT_TRUE(p.parseText(u"['b'] = 1, 2, 3; ['x'] = 0;", Value(), false));
    const Value* entryBefore = &p.variables.find(Value("b"));
    ASSERT_TRUE(p.parseText(u"['a'] = ['b']; ['y'] = ['b'][1] + ['x'];", Value(), true));
    EXPECT_EQ(&p.variables.find(Value("b")), entryBefore) << "the store's table was copied";
    EXPECT_EQ(&p.variables.find(Value("a")).at(0), &p.variables.find(Value("b")).at(0))
        << "the Vector was copied instead of shared";
    EXPECT_EQ(p.variables.find(Value("y")).toInteger(), 2);
}

// --- depth ---

std::u16string repeat(std::u16string_view unit, std::size_t n, std::u16string_view tail = u"") {
    std::u16string s;
    s.reserve(unit.size() * n + tail.size());
    for (std::size_t i = 0; i < n; ++i) s += unit;
    return s += tail;
}

constexpr std::size_t kMillion = 1000000;
const std::string kTooDeep = "Nesting too deep";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(LoaderDepth, AMillionLevelsEndInAWordedError) {
    struct Row {
        const char* name;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {"parentheses", repeat(u"(", kMillion, u"1")},
        {"brackets", repeat(u"[", kMillion, u"'a'")},
        {"braces", repeat(u"{", kMillion)},
        {"prefix minus", repeat(u"- ", kMillion, u"1")},
        {"nested keys of a target", u"[" + repeat(u"['a'][", kMillion, u"0") + repeat(u"]", kMillion, u"] = 1;")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ConfigParser p;
        EXPECT_FALSE(p.parseText(row.text, Value(), false));
        const std::string error = narrow(p.error);
        EXPECT_EQ(error.rfind("Syntax Error (1:", 0), 0u) << error;
        EXPECT_TRUE(endsWith(error, kTooDeep)) << error;
    }
}

TEST(LoaderDepth, LimitIsReachedAtAKnownPlace) {
    ConfigParser p;
    EXPECT_FALSE(p.parseText(repeat(u"(", kMaxNestingDepth + 1, u"1"), Value(), false));
    EXPECT_EQ(narrow(p.error), "Syntax Error (1:" + std::to_string(kMaxNestingDepth + 1) + "): " + kTooDeep);
    EXPECT_TRUE(p.parseText(repeat(u"(", kMaxNestingDepth - 1, u"1"), Value(), false)) << narrow(p.error);
    EXPECT_EQ(p.variables.toInteger(), 1);
}

// Long paths, lists and statement runs are wide, not deep: they load at any length.
TEST(LoaderDepth, LongFlatShapesAreNotNesting) {
    constexpr std::size_t kLong = 100000;
    ConfigParser p;
    const std::u16string path = repeat(u"['a']", kLong);
    ASSERT_TRUE(p.parseText(path + u" = 7; ['copy'] = " + path + u";", Value(), false)) << narrow(p.error);
    EXPECT_EQ(p.variables.find(Value("copy")).toInteger(), 7);
    ASSERT_TRUE(p.parseText(repeat(u"[]", kLong, u" = 1;"), Value(), false)) << narrow(p.error);
    EXPECT_TRUE(p.variables.isVector());
    ASSERT_TRUE(p.parseText(u"['v'] = " + repeat(u"1, ", kLong, u"1;"), Value(), false));
    EXPECT_EQ(p.variables.find(Value("v")).size(), kLong + 1);
    ASSERT_TRUE(p.parseText(repeat(u"['x'] = 1; ", kLong), Value(), false));
    EXPECT_EQ(p.variables.size(), 1u);
}

#ifdef ORVANE_HAS_PTHREAD

#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_ASAN 1
#endif
#endif

// Runs `work` on a thread whose stack we own and have painted, and answers how much of it was
// written: the deepest point the call stack reached.
std::size_t peakStackUse(std::size_t size, const std::function<void()>& work) {
    auto* stack = static_cast<unsigned char*>(std::aligned_alloc(4096, size));
    std::memset(stack, 0xA5, size);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstack(&attr, stack, size);
    pthread_t thread;
    auto run = [](void* w) -> void* {
        (*static_cast<const std::function<void()>*>(w))();
        return nullptr;
    };
    const bool started = pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)) == 0;
    if (started) pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    std::size_t untouched = 0;
    while (untouched < size && stack[untouched] == 0xA5) ++untouched;
    std::free(stack);
    return started ? size - untouched : size;
}

// Every file in this chain includes the next one from inside `parens` parentheses.
class IncludeChain : public FileReader {
public:
    explicit IncludeChain(std::size_t parens) : parens_(parens) {}
    bool read(const std::string& path, std::u16string& text) override {
        const std::string next = std::to_string(std::atoi(path.c_str() + path.rfind('f') + 1) + 1);
        text = repeat(u"(", parens_) + widen("include('f" + next + "')") + repeat(u")", parens_, u";");
        return true;
    }

private:
    std::size_t parens_;
};

// The host's UI thread may have 1 MB of stack; the deepest input must stay well inside half of it.
// Optimised builds measure about 220 KB at the limit; a sanitizer's frames are about twice as big.
TEST(LoaderDepth, DeepestInputStaysWithinTheStackBudget) {
#ifdef ORVANE_ASAN
    constexpr std::size_t kBudget = 1024 * 1024;
#else
    constexpr std::size_t kBudget = 512 * 1024;
#endif
    const std::size_t deep = 2 * kMaxNestingDepth;
    struct Row {
        const char* name;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {"parentheses", repeat(u"(", deep, u"1")},
        {"brackets", repeat(u"[", deep, u"'a'")},
        {"braces", repeat(u"{", deep)},
        {"prefix operators", repeat(u"-!~", deep, u"1")},
        {"keys of targets", u"[" + repeat(u"['a'][", deep, u"0") + repeat(u"]", deep, u"] = 1;")},
        {"blocks as right sides", repeat(u"{['a'] = ", deep, u"1")},
        {"calls as arguments", repeat(u"vector(", deep, u"1")},
        {"lists", repeat(u"(1, ", deep, u"1")},
        {"left-grouped operators", u"1" + repeat(u" - 1 + 1", deep)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string error;
        const std::size_t used = peakStackUse(8 << 20, [&] {
            ConfigParser p;
            p.parseText(row.text, Value(), false);
            error = narrow(p.error);
        });
        EXPECT_TRUE(endsWith(error, kTooDeep)) << error;
        EXPECT_LT(used, kBudget);
    }
    for (std::size_t parens : {0, 1, 3, 8, 100}) {
        SCOPED_TRACE("include chain inside parentheses: " + std::to_string(parens));
        IncludeChain chain(parens);
        std::string error;
        const std::size_t used = peakStackUse(8 << 20, [&] {
            ConfigParser p;
            p.reader = &chain;
            p.loadFile(std::string_view("f0"), Value(), false);
            error = narrow(p.error);
        });
        EXPECT_TRUE(endsWith(error, kTooDeep) || endsWith(error, "Includes nested too deeply")) << error;
        EXPECT_LT(used, kBudget);
    }
}

#endif  // ORVANE_HAS_PTHREAD

}  // namespace
