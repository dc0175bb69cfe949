#include "config/config_parser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "config/text_file.h"
#include "tests/config/loader_support.h"

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#define ORVANE_HAS_PTHREAD 1
#endif

using namespace orvane;
using namespace orvane::config;
using namespace orvane::testing;

namespace {

struct Row {
    const char* name;
    const char* source;
    std::string expected;  // the store's dump, or the error
};

void expectRuns(std::initializer_list<Row> rows) {
    for (const Row& r : rows) EXPECT_EQ(run(r.source), r.expected) << r.name;
}

TEST(Evaluator, StatementsVectorsAndPathsBuildTheStore) {
    expectRuns({
        {"empty file, comments only", "// note\n/* block */\n", "undef"},
        {"literals and keywords", "['i'] = 0x1F; ['f'] = 1.5; ['s'] = \"t\\tx\"; ['t'] = true; ['u'] = undef;",
         "{i:i31,s:w't\tx',u:undef,f:f1.5,t:btrue}"},
        {"later assignment replaces, lines are no statements", "['a'] = 1; ['a'] =\n'x'\n;", "{a:w'x'}"},
        {"comma builds a Vector, empty brackets append", "['v'] = 1, 2; ['v'][] = 3;", "{v:[i1,i2,i3]}"},
        {"append to a Hash lands after as many elements as it had entries",
         "['h'] = { ['a'] = 1; }; ['h'][] = 5;", "{h:[undef,i5]}"},
        {"negative index is refused at its path", "['v'] = 1, 2; ['v'][-1] = 9;",
         "Syntax Error (1:20): Index out of range"},
        {"an index past the largest Vector is refused", "['v'][134217728] = 1;",
         "Syntax Error (1:6): Index out of range"},
        {"path steps walk levels", "['a'][0]['b'] = 2;", "{a:[{b:i2}]}"},
        {"Vector key mixes names and indices", "['a', 1, 'c'] = 1;", "{a:[undef,{c:i1}]}"},
        {"key of another kind leaves the slot where it is", "['a'][true] = 3; ['b'][1.5] = 4;", "{a:i3,b:i4}"},
        {"key computed from the store", "['k'] = 'a'; [['k']] = 1;", "{a:i1,k:w'a'}"},
        {"a target's key works on the store itself", "[['n'] = 'x'] = 1;", "{n:w'x',x:i1}"},
        {"a read's key works on a copy", "['a'] = [['n'] = 'x'];", "{a:undef}"},
        {"read of an absent path is undef and creates nothing", "['a'] = ['b']['c'][3];", "{a:undef}"},
        {"read through an append is undef", "['v'] = 1; ['a'] = ['v'][];", "{a:undef,v:i1}"},
        {"read of a Vector key", "['a', 'b'] = 1; ['c'] = ['a', 'b'];", "{a:{b:i1},c:i1}"},
        {"read of an index", "['v'] = 5, 6; ['x'] = ['v'][1]; ['y'] = ['v'][-1];", "{v:[i5,i6],x:i6,y:undef}"},
    });
}

TEST(Evaluator, BlocksHaveTheirOwnScopeAndLoneExpressionsAreTheValue) {
    expectRuns({
        {"paths in a block start at the block", "['x'] = 5; ['h'] = { ['y'] = ['x']; };", "{h:{y:undef},x:i5}"},
        {"a block reads what it assigned", "['h'] = { ['x'] = 5; ['y'] = ['x'] + 1; };", "{h:{x:i5,y:i6}}"},
        {"block with a lone value", "['h'] = { 5 };", "{h:i5}"},
        {"empty block", "['h'] = { };", "{h:undef}"},
        {"block with a lone assignment keeps what it wrote", "['h'] = { ['a'] = 1 };", "{h:{a:i1}}"},
        {"nested blocks", "['h'] = { ['i'] = { [] = 1; [] = 2; }; };", "{h:{i:[i1,i2]}}"},
        {"lone block without ; is the store", "{ ['a'] = 1; }", "{a:i1}"},
        {"block as a statement is dropped", "{ ['a'] = 1; };", "undef"},
        {"lone assignment keeps what it wrote and does not contain itself", "['a'] = ['b'] = 2", "{a:i2,b:i2}"},
        {"lone value", "5", "i5"},
        {"lone Vector", "1, 2", "[i1,i2]"},
        {"parenthesised assignment is a value, its target a copy", "( ['a'] = 1 )", "i1"},
    });
}

TEST(Evaluator, AssignmentsAndOperators) {
    expectRuns({
        {"compound assignments", "['n'] = 5; ['n'] += 2; ['m'] = 6; ['m'] |= 3; ['s'] = 1; ['s'] <<= 33;",
         "{m:i5,n:i7,s:i2}"},
        {"compound chain folds from the right", "['a'] = 1; ['b'] = 10; ['a'] += ['b'] += 5;", "{a:i16,b:i15}"},
        {"assignment in an operand changes nothing", "['x'] = 1 + (['y'] = 2);", "{x:i3}"},
        {"assignment in an argument changes nothing", "['v'] = vector(['a'] = 1);", "{v:[i1]}"},
        {"siblings in a list do not see each other", "['v'] = (['a'] = 1), ['a'];", "{v:[i1,undef]}"},
        {"precedence and grouping", "['x'] = 1 + 2 * 3; ['y'] = (1 + 2) * 3; ['z'] = 7 - 2 - 1; ['w'] = -5 + +2;",
         "{w:i-3,x:i7,y:i9,z:i4}"},
    });
}

TEST(Evaluator, EveryMessageWithCategoryAndPosition) {
    expectRuns({
        {"missing ; is reported at the first ;", "['a'] = 1;\n['b'] = 2;\n['c'] = 3", "Syntax Error (1:10): Missing ;"},
        {"missing ; inside a block", "['h'] = { ['a'] = 1; ['b'] = 2 };", "Syntax Error (1:20): Missing ;"},
        {"unknown function at its (", "['v'] = frob(1);", "Syntax Error (1:13): Unknown function 'frob'"},
        {"function names are case-sensitive", "['v'] = Vector(1);", "Syntax Error (1:15): Unknown function 'Vector'"},
        {"arguments are evaluated before the name is checked", "frob(hello);",
         "Syntax Error (1:6): Found keyword 'hello' when expecting RValue"},
        {"call without a parameter list", "['v'] = vector [1];",
         "Syntax Error (1:16): Expecting function parameter list"},
        {"call of a call", "['v'] = vector(1)(2);", "Syntax Error (1:15): Invalid function format"},
        // A call followed by a bracket is one None node of three children, under the prefix operator.
        {"call followed by a bracket is no path", "['x'] = -keys(5, 6)[1];",
         "Syntax Error (1:14): Invalid function format"},
        {"call needs a name", "['v'] = 5(1);", "Syntax Error (1:10): Expecting R-Value"},
        {"empty argument", "['a'] = vector(1, );", "Syntax Error (1:17): Expecting R-Value"},
        {"statements inside parens", "['a'] = (1; 2;);", "Syntax Error (1:11): Expecting R-Value"},
        {"literal as target", "5 = 1;", "Syntax Error (1:1): Expecting L-Value"},
        {"read step that is not a bracket", "['a'] 5;", "Syntax Error (1:7): Expecting L-Value"},
        {"target step that is not a bracket", "['a'](1) = 2;", "Syntax Error (1:6): Expecting L-Value"},
        {"unary operator on a string", "['x'] = -'a';",
         "Syntax Error (1:9): No unary function found for operator '-' and parameter type 'String'"},
        {"a Float operand", "['x'] = 1.5 + 1;",
         "Syntax Error (1:13): No binary function found for operator '+' and parameter types 'Float' and 'Number'"},
        {"n-ary operator stops at the first bad operand", "['x'] = 1 + 2 + 'a' + hello;",
         "Syntax Error (1:11): No binary function found for operator '+' and parameter types 'Number' and 'String'"},
        {"compound assignment names itself", "['s'] = 'a'; ['s'] += 1;",
         "Syntax Error (1:20): No binary function found for operator '+=' and parameter types 'String' and 'Number'"},
        {"scanner errors pass through", "['a'] = #;", "Scanning Error (1:9): Invalid character 0x23"},
        {"tree errors pass through", "['a'] = 1 );", "Syntax Error (1:11): Cannot find counterpart of Number"},
    });
}

TEST(Loader, StoreAndErrorAcrossLoads) {
    ConfigParser p;
    EXPECT_FALSE(p.parseText(u"['a'] = 1; ['b'] = nope; ['c'] = 3;", Value(), false));
    EXPECT_EQ(dump(p.variables), "{a:i1}") << "a failure keeps what earlier statements assigned";
    EXPECT_FALSE(p.parseText(u"['a'] = 1; ['b'] = 2", Value(), false));
    EXPECT_EQ(dump(p.variables), "undef") << "a missing ; assigns nothing";
    ASSERT_TRUE(p.parseText(u"['a'] = 1;", Value(), false));
    EXPECT_TRUE(p.error.empty()) << "the next success clears the error";
    ASSERT_TRUE(p.parseText(u"['b'] = ['a'] + 1;", Value(), true));
    EXPECT_EQ(dump(p.variables), "{a:i1,b:i2}") << "kept variables";
    ASSERT_TRUE(p.parseText(u"['c'] = 3;", Value(), false));
    EXPECT_EQ(dump(p.variables), "{c:i3}") << "a fresh store";
}

// Long texts run statement by statement while later ones are still being scanned; a failure found
// later by an earlier stage must still win and leave the store as the plain order would.
TEST(Loader, LaterScanAndSyntaxFailuresWinOverStatementsAlreadyRun) {
    std::u16string head;
    for (int i = 0; i < 3000; ++i) head += u"['k" + widen(std::to_string(i)) + u"'] = " + widen(std::to_string(i)) + u";\n";
    struct Case {
        const char* name;
        std::u16string tail;
        std::string error;  // empty: the load succeeds
        bool storeKept;     // the store holds the 3000 statements before the tail
    } cases[] = {
        {"a scanning error", u"['x'] = $;", "Scanning Error (3001:9): Invalid character 0x24", false},
        {"a syntax error", u"['x'] = 1 );", "Syntax Error (3001:11): Cannot find counterpart of Number", false},
        {"a last statement without ;", u"['x'] = 1", "Syntax Error (1:11): Missing ;", false},
        {"a run failure, then a scanning error", u"['x'] = nope; ['y'] = $;",
         "Scanning Error (3001:23): Invalid character 0x24", false},
        {"a run failure alone", u"['x'] = nope; ['y'] = 1;",
         "Syntax Error (3001:9): Found keyword 'nope' when expecting RValue", true},
        {"success", u"['x'] = 1;", "", true},
    };
    for (const Case& c : cases) {
        ConfigParser p;
        EXPECT_EQ(p.parseText(head + c.tail, Value(), false), c.error.empty()) << c.name;
        EXPECT_EQ(narrow(p.error), c.error) << c.name;
        EXPECT_EQ(p.variables.size(), c.storeKept ? (c.error.empty() ? 3001u : 3000u) : 0u) << c.name;
        if (c.storeKept) {
            EXPECT_EQ(p.variables.find(Value("k2999")).toInteger(), 2999) << c.name;
        }
    }
    // A store that already has content is never put at risk: an earlier stage's failure leaves it.
    ConfigParser p;
    ASSERT_TRUE(p.parseText(u"['keep'] = 1;", Value(), false));
    EXPECT_FALSE(p.parseText(head + u"['x'] = $;", Value(), true));
    EXPECT_EQ(p.variables.size(), 1u);
}

// parseBytes scans plain Latin-1 and ASCII bytes where they lie and decodes everything else first;
// either way it must end exactly as decoding the file and loading the text does.
TEST(Loader, BytesLoadAsTheirDecodedText) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"ASCII", "['a'] = 'x'; ['b'] = 2;"},
        {"Latin-1 high bytes in a string", "['a'] = '\xE9t\xE9\xFF';"},
        {"a high byte where no token may start", "['a'] = 1;\n\xE9"},
        {"UTF-8 mark then ASCII", "\xEF\xBB\xBF['a'] = 1;"},
        {"UTF-8 mark then a two-byte character", "\xEF\xBB\xBF['a'] = '\xC3\xA9';"},
        {"UTF-16LE", std::string("\xFF\xFE[\0'\0a\0'\0]\0=\0" "1\0;\0", 18)},
        {"CR LF line ends, error on line 2", "['a'] = 1;\r\n['b'] = $;"},
        {"a lone CR stays a character", "['a'] = 'x\ry';"},
        {"NUL bytes", std::string("\0\0['a'] = 1;", 12)},
        {"empty", ""},
    };
    for (const auto& row : rows) {
        config::TextFileBuffer file;
        file.decode(row.bytes);
        ConfigParser viaText, viaBytes;
        const std::string expected = outcome(viaText.parseText(file.text, Value(), false), viaText);
        EXPECT_EQ(outcome(viaBytes.parseBytes(row.bytes, Value(), false), viaBytes), expected) << row.name;
    }
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

std::u16string repeat(std::u16string_view unit, std::size_t n, std::u16string_view tail = u"") {
    std::u16string s;
    s.reserve(unit.size() * n + tail.size());
    for (std::size_t i = 0; i < n; ++i) s += unit;
    return s += tail;
}

constexpr std::size_t kMillion = 1000000;
const std::string kTooDeep = "Nesting too deep";

TEST(LoaderDepth, AMillionLevelsEndInAWordedErrorAtAKnownPlace) {
    // Brackets, braces and prefixes a million deep are the hostile suite's; keys of a target are here.
    ConfigParser p;
    const std::u16string keys = u"[" + repeat(u"['a'][", kMillion, u"0") + repeat(u"]", kMillion, u"] = 1;");
    EXPECT_FALSE(p.parseText(keys, Value(), false));
    EXPECT_TRUE(narrow(p.error).starts_with("Syntax Error (1:") && narrow(p.error).ends_with(kTooDeep));
    EXPECT_FALSE(p.parseText(repeat(u"(", kMaxNestingDepth + 1, u"1"), Value(), false));
    EXPECT_EQ(narrow(p.error), "Syntax Error (1:" + std::to_string(kMaxNestingDepth + 1) + "): " + kTooDeep);
    EXPECT_TRUE(p.parseText(repeat(u"(", kMaxNestingDepth - 1, u"1"), Value(), false)) << narrow(p.error);
    EXPECT_EQ(p.variables.toInteger(), 1);
}

// Long paths and append runs are wide, not deep: they load at any length (long lists and statement
// runs are the hostile suite's).
TEST(LoaderDepth, LongFlatShapesAreNotNesting) {
    constexpr std::size_t kLong = 100000;
    ConfigParser p;
    const std::u16string path = repeat(u"['a']", kLong);
    ASSERT_TRUE(p.parseText(path + u" = 7; ['copy'] = " + path + u";", Value(), false)) << narrow(p.error);
    EXPECT_EQ(p.variables.find(Value("copy")).toInteger(), 7);
    ASSERT_TRUE(p.parseText(repeat(u"[]", kLong, u" = 1;"), Value(), false)) << narrow(p.error);
    EXPECT_TRUE(p.variables.isVector());
}

#ifdef ORVANE_HAS_PTHREAD

#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_ASAN 1
#endif
#endif

// Runs `work` on a thread with a stack of `size` bytes: going deeper than that crashes the test.
void onStackOf(std::size_t size, const std::function<void()>& work) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, size), 0);
    pthread_t thread;
    auto run = [](void* w) -> void* {
        (*static_cast<const std::function<void()>*>(w))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
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
    const std::pair<const char*, std::u16string> rows[] = {
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
    for (const auto& [name, text] : rows) {
        std::string error;
        onStackOf(kBudget, [&] {
            ConfigParser p;
            p.parseText(text, Value(), false);
            error = narrow(p.error);
        });
        EXPECT_TRUE(error.ends_with(kTooDeep)) << name << ": " << error;
    }
    for (std::size_t parens : {0, 3, 100}) {
        IncludeChain chain(parens);
        std::string error;
        onStackOf(kBudget, [&] {
            ConfigParser p;
            p.reader = &chain;
            p.loadFile(std::string_view("f0"), Value(), false);
            error = narrow(p.error);
        });
        EXPECT_TRUE(error.ends_with(kTooDeep) || error.ends_with("Includes nested too deeply")) << parens << error;
    }
}

#endif  // ORVANE_HAS_PTHREAD

// Included files spend the includer's nesting budget: an expression that just fits at the top
// level no longer fits once it sits in an included file.
TEST(LoaderDepth, IncludedFilesShareTheNestingBudget) {
    auto nestedAssignment = [](std::size_t n) { return repeat(u"(", n, u"1") + std::u16string(n, u')'); };
    auto loads = [](const std::u16string& text, FileReader* reader) {
        ConfigParser parser;
        parser.reader = reader;
        const bool ok = parser.parseText(text, Value(), false);
        return std::make_pair(ok, parser.error);
    };
    std::size_t fits = 0;
    while (loads(u"['a'] = " + nestedAssignment(fits + 1) + u";", nullptr).first) ++fits;
    ASSERT_GT(fits, kMaxNestingDepth / 2);

    MemoryFiles files;
    files.files["deep.cfg"] = narrow(u"['a'] = " + nestedAssignment(fits) + u";");
    const auto included = loads(u"include('deep.cfg');", &files);
    EXPECT_FALSE(included.first);
    EXPECT_TRUE(included.second.starts_with(u"Include failed (1:8): \nSyntax Error (")) << narrow(included.second);
    EXPECT_TRUE(included.second.ends_with(u"Nesting too deep")) << narrow(included.second);
}

}  // namespace
