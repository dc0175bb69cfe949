#include "config/config_parser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/config/loader_support.h"

using namespace orvane;
using namespace orvane::config;
using namespace orvane::testing;

namespace {

struct Row {
    const char* name;
    const char* source;
    Value expected;  // the value of ['r'] after the source ran
};

void expectResults(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded r = loadText(row.source);
        ASSERT_TRUE(r.ok) << r.error;
        const Value& got = r.store.find(Value("r"));
        EXPECT_TRUE(sameValue(got, row.expected)) << "got " << dump(got) << ", want " << dump(row.expected);
    }
}

TEST(Builtins, VectorSetSort) {
    expectResults({
        {"vector() is an empty Vector", "['r'] = vector();", vec({})},
        {"vector(5) has one element", "['r'] = vector(5);", vec({I(5)})},
        {"vector of several", "['r'] = vector(1, 'a');", vec({I(1), W(u"a")})},
        {"vector of a Vector is a copy of it", "['v'] = 1, 2; ['r'] = vector(['v']); ['r'][] = 3;",
         vec({I(1), I(2), I(3)})},
        {"set of strings", "['r'] = set('a', 'b', 3);", hash({{"a", B(true)}, {"b", B(true)}})},
        {"set without strings leaves the result alone", "['r'] = set(1, 2);", Value()},
        {"set from a Vector of names", "['n'] = 'x', 'y'; ['r'] = set(['n']);",
         hash({{"x", B(true)}, {"y", B(true)}})},
        {"sort", "['r'] = sort(3, 1, 2);", vec({I(1), I(2), I(3)})},
        {"sort orders kinds: strings before integers", "['r'] = sort('b', 1, 'a');",
         vec({W(u"a"), W(u"b"), I(1)})},
        {"sort of one value", "['r'] = sort(5);", vec({I(5)})},
    });
}

TEST(Builtins, SortLeavesItsArgumentAlone) {
    const Loaded r = loadText("['v'] = 3, 1, 2; ['s'] = sort(['v']);");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(sameValue(r.store.find(Value("v")), vec({I(3), I(1), I(2)})));
    EXPECT_TRUE(sameValue(r.store.find(Value("s")), vec({I(1), I(2), I(3)})));
}

TEST(Builtins, KeysAndValues) {
    expectResults({
        {"keys of a Hash include undef values",
         "['h'] = { ['a'] = 1; ['b'] = undef; }; ['r'] = sort(keys(['h']));", vec({W(u"a"), W(u"b")})},
        {"keys of a Vector holding one Hash are that Hash's", "['v'] = vector({ ['x'] = 1; }); ['r'] = keys(['v']);",
         vec({W(u"x")})},
        {"keys of several arguments are their indices", "['r'] = keys(7, 8);", vec({I(0), I(1)})},
        {"keys of a scalar", "['r'] = keys(5);", Value()},
        {"keys of nothing", "['r'] = keys();", vec({})},
        {"values of a Hash", "['h'] = { ['a'] = 1; }; ['r'] = values(['h']);", vec({I(1)})},
        {"values of several arguments", "['r'] = values(1, 2);", vec({I(1), I(2)})},
        {"values of a scalar", "['r'] = values(5);", vec({I(5)})},
        {"values of an absent entry", "['r'] = values(['none']);", vec({Value()})},
    });
}

TEST(Builtins, Table) {
    expectResults({
        {"header and rows", "['r'] = table(('name', 'port'), ('a', 1), ('b', 2));",
         vec({hash({{"name", W(u"a")}, {"port", I(1)}}), hash({{"name", W(u"b")}, {"port", I(2)}})})},
        {"one-column header from vector()", "['r'] = table(vector('id'), vector(1), vector(2));",
         vec({hash({{"id", I(1)}}), hash({{"id", I(2)}})})},
        {"a later string column turns an index row into a Hash", "['r'] = table(vector(0, 'x'), vector(7, 8));",
         vec({hash({{"x", I(8)}})})},
        {"integer headers make Vector rows", "['r'] = table((1, 0), ('x', 'y'));", vec({vec({W(u"y"), W(u"x")})})},
        {"short row gives undef cells", "['r'] = table(('a', 'b'), vector(1));",
         vec({hash({{"a", I(1)}, {"b", Value()}})})},
        {"cells beyond the header are ignored", "['r'] = table(vector('a'), (1, 2));", vec({hash({{"a", I(1)}})})},
        {"a header that is neither string nor Integer skips its column", "['r'] = table((1.5, 'b'), (1, 2));",
         vec({hash({{"b", I(2)}})})},
        {"header alone leaves the result alone", "['h'][] = ('a', 'b'); ['r'] = table(['h']);", Value()},
        {"one Vector argument supplies its elements: here two strings", "['r'] = keys(('a', 'b'));",
         vec({I(0), I(1)})},
        {"no arguments", "['r'] = table();", Value()},
    });
}

TEST(Builtins, ArgumentErrors) {
    const struct {
        const char* name;
        const char* source;
        const char* error;
    } rows[] = {
        {"table of a string", "['r'] = table(('id'), (1));",
         "Syntax Error (1:14): Invalid parameters for function 'table': It expects a list of vectors"},
        {"table checks every argument first", "['r'] = table(('a', 'b'), ('x', 'y'), 5);",
         "Syntax Error (1:14): Invalid parameters for function 'table': It expects a list of vectors"},
        {"include of two names", "include('a.cfg', 'b.cfg');", "Syntax Error (1:8): Invalid parameters for function 'include'"},
        {"include of a number", "include(5);", "Syntax Error (1:8): Invalid parameters for function 'include'"},
        {"includevar of nothing", "['r'] = includevar();",
         "Syntax Error (1:19): Invalid parameters for function 'includevar'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded r = loadText(row.source);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, row.error);
    }
}

// --- includes on disk ---

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-load-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    void write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = std::filesystem::path(path_) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    std::string path_;
};

class Includes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.path().empty()); }

    // Loads `name` from the temporary directory, as the plug-in names its file.
    bool load(const std::string& name) {
        return parser.loadFile(std::string_view(dir.path() + "/" + name), Value(), false);
    }
    std::string error() const { return narrow(parser.error); }

    TempDir dir;
    ConfigParser parser;
};

TEST_F(Includes, IncludedFileSeesAndOverwritesTheStore) {
    dir.write("main.cfg", "['x'] = 1;\r\ninclude('other.cfg');\r\n['z'] = ['y'] + 1;\r\n");
    dir.write("other.cfg", "['y'] = ['x'] + 10; ['x'] = 2;");
    ASSERT_TRUE(load("main.cfg")) << error();
    EXPECT_TRUE(sameValue(parser.variables, hash({{"x", I(2)}, {"y", I(11)}, {"z", I(12)}}))) << dump(parser.variables);
    EXPECT_EQ(parser.baseDirectory, dir.path());
}

TEST_F(Includes, NamesResolveNextToTheFileThatNamesThem) {
    dir.write("main.cfg", "include('sub\\inner.cfg');");
    dir.write("sub/inner.cfg", "['inner'] = 1; include('leaf.cfg');");
    dir.write("sub/leaf.cfg", "['leaf'] = 2;");
    dir.write("leaf.cfg", "['wrong'] = 3;");
    ASSERT_TRUE(load("main.cfg")) << error();
    EXPECT_TRUE(sameValue(parser.variables, hash({{"inner", I(1)}, {"leaf", I(2)}}))) << dump(parser.variables);
}

TEST_F(Includes, IncludevarReturnsTheStoreAndLeavesTheScope) {
    dir.write("main.cfg", "['a'] = 1; ['sub'] = includevar('part.cfg');");
    dir.write("part.cfg", "['b'] = 2; ['a'] = 5;");
    ASSERT_TRUE(load("main.cfg")) << error();
    EXPECT_TRUE(sameValue(parser.variables, hash({{"a", I(1)}, {"sub", hash({{"a", I(5)}, {"b", I(2)}})}})))
        << dump(parser.variables);
}

TEST_F(Includes, WhereTheCallStandsDecidesWhatItChanges) {
    dir.write("part.cfg", "['b'] = 2;");
    const struct {
        const char* name;
        const char* source;
        Value expected;
    } rows[] = {
        {"inside a block it fills the block", "['h'] = { include('part.cfg'); };", hash({{"h", hash({{"b", I(2)}})}})},
        {"as a right side it works on the store", "['r'] = include('part.cfg');", hash({{"b", I(2)}, {"r", Value()}})},
        {"as an argument it works on a copy", "['v'] = vector(include('part.cfg'));", hash({{"v", vec({})}})},
        {"alone without ; it is the whole file", "include('part.cfg')", hash({{"b", I(2)}})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dir.write("main.cfg", row.source);
        ASSERT_TRUE(load("main.cfg")) << error();
        EXPECT_TRUE(sameValue(parser.variables, row.expected)) << dump(parser.variables);
    }
}

TEST_F(Includes, MissingFileChainsTheNestedMessage) {
    dir.write("main.cfg", "['a'] = 1;\ninclude('missing.cfg');");
    EXPECT_FALSE(load("main.cfg"));
    EXPECT_EQ(error(), "Include failed (2:8): \n" + dir.path() + "\\missing.cfg: Cannot open file");
    EXPECT_TRUE(sameValue(parser.variables, hash({{"a", I(1)}})));
}

TEST_F(Includes, NestedFailuresChainLineByLineInnermostLast) {
    dir.write("main.cfg", "['a'] = 1;\n  include('a.cfg');");
    dir.write("a.cfg", "include('b.cfg');");
    dir.write("b.cfg", "['x'] = 1;\n['y'] = oops;");
    EXPECT_FALSE(load("main.cfg"));
    EXPECT_EQ(error(), "Include failed (2:10): \nInclude failed (1:8): \n"
                       "Syntax Error (2:9): Found keyword 'oops' when expecting RValue");
    // What the failing file assigned before its error does not reach the store.
    EXPECT_TRUE(sameValue(parser.variables, hash({{"a", I(1)}}))) << dump(parser.variables);
}

TEST_F(Includes, SelfAndMutualIncludesEndInIncludeFailed) {
    dir.write("self.cfg", "['a'] = 1; include('self.cfg');");
    EXPECT_FALSE(load("self.cfg"));
    EXPECT_EQ(error(), "Include failed (1:19): \n" + dir.path() + "\\self.cfg: Include loop");

    dir.write("a.cfg", "include('b.cfg');");
    dir.write("b.cfg", "include('a.cfg');");
    EXPECT_FALSE(load("a.cfg"));
    EXPECT_EQ(error(), "Include failed (1:8): \nInclude failed (1:8): \n" + dir.path() + "\\a.cfg: Include loop");
}

TEST_F(Includes, SameFileTwiceSideBySideIsNoLoop) {
    dir.write("main.cfg", "include('part.cfg'); include('part.cfg');");
    dir.write("part.cfg", "['n'] += 1;");
    parser.variables = hash({{"n", I(0)}});
    ASSERT_TRUE(parser.loadFile(std::string_view(dir.path() + "/main.cfg"), Value(), true)) << error();
    EXPECT_EQ(parser.variables.find(Value("n")).toInteger(), 2);
}

TEST_F(Includes, LoadFileReadsEncodingsAndKeepsOrClearsTheStore) {
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("[\0'\0a\0'\0]\0=\0""1\0;\0", 16);
    dir.write("wide.cfg", utf16);
    parser.variables = hash({{"old", I(1)}});
    ASSERT_TRUE(parser.loadFile(std::string_view(dir.path() + "/wide.cfg"), Value(), true)) << error();
    EXPECT_TRUE(sameValue(parser.variables, hash({{"old", I(1)}, {"a", I(1)}}))) << dump(parser.variables);
    ASSERT_TRUE(parser.loadFile(std::u16string_view(widen(dir.path() + "/wide.cfg")), Value(), false)) << error();
    EXPECT_TRUE(sameValue(parser.variables, hash({{"a", I(1)}}))) << dump(parser.variables);
}

// --- the reader hook, loadFile's paths and the include limits ---

TEST(LoadFile, CannotOpenNamesThePathAsGiven) {
    ConfigParser p;
    p.variables = I(5);
    EXPECT_FALSE(p.loadFile(std::string_view("/nonexistent-orvane/x.cfg"), Value(), false));
    EXPECT_EQ(narrow(p.error), "/nonexistent-orvane/x.cfg: Cannot open file");
    EXPECT_EQ(p.variables.kind(), ValueKind::Undef);
    EXPECT_EQ(p.baseDirectory, "/nonexistent-orvane");
}

TEST(LoadFile, BaseDirectoryIsThePathUpToItsLastSeparator) {
    const struct {
        const char* path;
        const char* base;
        const char* includeReads;
    } rows[] = {
        {"dir/x.cfg", "dir", "dir\\part.cfg"},
        {"D:\\cfg\\main.cfg", "D:\\cfg", "D:\\cfg\\part.cfg"},
        {"a/b\\c.cfg", "a/b", "a/b\\part.cfg"},
        {"x.cfg", ".", ".\\part.cfg"},
        {"/x.cfg", "", "part.cfg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        MemoryFiles files;
        files.files[row.path] = "include('part.cfg');";
        files.files[row.includeReads] = "['ok'] = 1;";
        ConfigParser p;
        p.reader = &files;
        EXPECT_TRUE(p.loadFile(std::string_view(row.path), Value(), false)) << narrow(p.error);
        EXPECT_EQ(p.baseDirectory, row.base);
        EXPECT_TRUE(sameValue(p.variables, hash({{"ok", I(1)}}))) << dump(p.variables);
    }
}

TEST(LoadFile, WidePathIsNarrowedBeforeUse) {
    MemoryFiles files;
    ConfigParser p;
    p.reader = &files;
    EXPECT_FALSE(p.loadFile(std::u16string_view(u"dir/\u20ACx.cfg"), Value(), false));
    EXPECT_EQ(narrow(p.error), "dir/?x.cfg: Cannot open file");
    files.files["dir/?x.cfg"] = "['a'] = 1;";
    EXPECT_TRUE(p.loadFile(std::u16string_view(u"dir/\u20ACx.cfg"), Value(), false)) << narrow(p.error);
}

TEST(LoadFile, ParseTextJoinsIncludeNamesOnlyWithABaseDirectory) {
    MemoryFiles files;
    files.files["plain.cfg"] = "['where'] = 'bare';";
    files.files["base\\plain.cfg"] = "['where'] = 'based';";
    ConfigParser p;
    p.reader = &files;
    ASSERT_TRUE(p.parseText(u"include('plain.cfg');", Value(), false)) << narrow(p.error);
    EXPECT_EQ(p.variables.find(Value("where")).toNarrowString(), "bare");
    p.baseDirectory = "base";
    ASSERT_TRUE(p.parseText(u"include('plain.cfg');", Value(), false)) << narrow(p.error);
    EXPECT_EQ(p.variables.find(Value("where")).toNarrowString(), "based");
}

TEST(LoadFile, NestedParsersUseTheSameReader) {
    MemoryFiles files;
    files.files["m.cfg"] = "include('a.cfg');";
    files.files[".\\a.cfg"] = "include('b.cfg');";
    files.files[".\\b.cfg"] = "['deep'] = 1;";
    ConfigParser p;
    p.reader = &files;
    ASSERT_TRUE(p.loadFile(std::string_view("m.cfg"), Value(), false)) << narrow(p.error);
    EXPECT_EQ(files.reads, 3);
    EXPECT_EQ(p.variables.find(Value("deep")).toInteger(), 1);
}

// Answers every path with a file that includes a name one level further down, so no path repeats.
class EndlessDescent : public FileReader {
public:
    bool read(const std::string&, std::u16string& text) override {
        text = u"include('d\\x.cfg');";
        return true;
    }
};

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(LoadFile, IncludeChainsAreBoundedEvenWithoutARepeat) {
    EndlessDescent reader;
    ConfigParser p;
    p.reader = &reader;
    EXPECT_FALSE(p.loadFile(std::string_view("x.cfg"), Value(), false));
    const std::string error = narrow(p.error);
    EXPECT_EQ(countOf(error, "Include failed (1:8): \n"), kMaxIncludeDepth) << error;
    EXPECT_NE(error.find("Includes nested too deeply"), std::string::npos) << error.substr(error.rfind('\n'));
}

}  // namespace
