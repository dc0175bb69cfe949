#include "config/config_parser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
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
    std::string expected;  // the dump of ['r'] after the source ran, or the error
};

void expectResults(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        ConfigParser p;
        const bool ok = p.parseText(widen(row.source), Value(), false);
        EXPECT_EQ(ok ? dump(p.variables.find(Value("r"))) : narrow(p.error), row.expected) << row.name;
    }
}

TEST(Builtins, VectorSetSortKeysValues) {
    expectResults({
        {"vector() is an empty Vector", "['r'] = vector();", "[]"},
        {"vector of several", "['r'] = vector(1, 'a');", "[i1,w'a']"},
        {"vector of a Vector is a copy of it", "['v'] = 1, 2; ['r'] = vector(['v']); ['r'][] = 3;", "[i1,i2,i3]"},
        {"set of strings", "['r'] = set('a', 'b', 3);", "{a:btrue,b:btrue}"},
        {"set without strings leaves the result alone", "['r'] = set(1, 2);", "undef"},
        {"set from a Vector of names", "['n'] = 'x', 'y'; ['r'] = set(['n']);", "{x:btrue,y:btrue}"},
        {"sort orders kinds: strings before integers", "['r'] = sort('b', 3, 'a', 1);", "[w'a',w'b',i1,i3]"},
        {"sort of one value", "['r'] = sort(5);", "[i5]"},
        {"sort leaves its argument alone", "['r'] = 3, 1, 2; ['s'] = sort(['r']);", "[i3,i1,i2]"},
        {"keys of a Hash include undef values", "['h'] = { ['a'] = 1; ['b'] = undef; }; ['r'] = keys(['h']);",
         "[w'a',w'b']"},
        {"keys of a Vector holding one Hash are that Hash's", "['v'] = vector({ ['x'] = 1; }); ['r'] = keys(['v']);",
         "[w'x']"},
        {"keys of several arguments are their indices", "['r'] = keys(7, 8);", "[i0,i1]"},
        {"one Vector argument supplies its elements", "['r'] = keys(('a', 'b'));", "[i0,i1]"},
        {"keys of a scalar", "['r'] = keys(5);", "undef"},
        {"keys of nothing", "['r'] = keys();", "[]"},
        {"values of a Hash", "['h'] = { ['a'] = 1; }; ['r'] = values(['h']);", "[i1]"},
        {"values of several arguments", "['r'] = values(1, 2);", "[i1,i2]"},
        {"values of a scalar", "['r'] = values(5);", "[i5]"},
        {"values of an absent entry", "['r'] = values(['none']);", "[undef]"},
    });
}

TEST(Builtins, Table) {
    expectResults({
        {"header and rows", "['r'] = table(('name', 'port'), ('a', 1), ('b', 2));",
         "[{name:w'a',port:i1},{name:w'b',port:i2}]"},
        {"one-column header from vector()", "['r'] = table(vector('id'), vector(1), vector(2));", "[{id:i1},{id:i2}]"},
        {"a later string column turns an index row into a Hash", "['r'] = table(vector(0, 'x'), vector(7, 8));",
         "[{x:i8}]"},
        {"integer headers make Vector rows", "['r'] = table((1, 0), ('x', 'y'));", "[[w'y',w'x']]"},
        {"short row gives undef cells", "['r'] = table(('a', 'b'), vector(1));", "[{a:i1,b:undef}]"},
        {"cells beyond the header are ignored", "['r'] = table(vector('a'), (1, 2));", "[{a:i1}]"},
        {"a header that is neither string nor Integer skips its column", "['r'] = table((1.5, 'b'), (1, 2));",
         "[{b:i2}]"},
        {"header alone leaves the result alone", "['h'][] = ('a', 'b'); ['r'] = table(['h']);", "undef"},
        {"no arguments", "['r'] = table();", "undef"},
        {"table of a string", "['r'] = table(('id'), (1));",
         "Syntax Error (1:14): Invalid parameters for function 'table': It expects a list of vectors"},
        {"table checks every argument first", "['r'] = table(('a', 'b'), ('x', 'y'), 5);",
         "Syntax Error (1:14): Invalid parameters for function 'table': It expects a list of vectors"},
        {"include of two names", "include('a.cfg', 'b.cfg');",
         "Syntax Error (1:8): Invalid parameters for function 'include'"},
        {"include of a number", "include(5);", "Syntax Error (1:8): Invalid parameters for function 'include'"},
        {"includevar of nothing", "['r'] = includevar();",
         "Syntax Error (1:19): Invalid parameters for function 'includevar'"},
    });
}

// Loads d/m.cfg from files in memory: include names join the directory with "\", as on the host.
TEST(Includes, WhatAnIncludedFileSeesChangesAndReports) {
    struct Case { const char* name; std::map<std::string, std::string> files; std::string expected; };
    const Case cases[] = {
        {"it sees and overwrites the store",
         {{"d/m.cfg", "['x'] = 1;\r\ninclude('o.cfg');\r\n['z'] = ['y'] + 1;\r\n"},
          {"d\\o.cfg", "['y'] = ['x'] + 10; ['x'] = 2;"}}, "{x:i2,y:i11,z:i12}"},
        {"names resolve next to the file that names them",
         {{"d/m.cfg", "include('sub\\in.cfg');"}, {"d\\sub\\in.cfg", "['in'] = 1; include('leaf.cfg');"},
          {"d\\sub\\leaf.cfg", "['leaf'] = 2;"}, {"d\\leaf.cfg", "['wrong'] = 3;"}}, "{in:i1,leaf:i2}"},
        {"includevar returns the store and leaves the scope",
         {{"d/m.cfg", "['a'] = 1; ['sub'] = includevar('p.cfg');"}, {"d\\p.cfg", "['b'] = 2; ['a'] = 5;"}},
         "{a:i1,sub:{a:i5,b:i2}}"},
        {"inside a block it fills the block",
         {{"d/m.cfg", "['h'] = { include('p.cfg'); };"}, {"d\\p.cfg", "['b'] = 2;"}}, "{h:{b:i2}}"},
        {"as a right side it works on the store",
         {{"d/m.cfg", "['r'] = include('p.cfg');"}, {"d\\p.cfg", "['b'] = 2;"}}, "{b:i2,r:undef}"},
        {"as an argument it works on a copy",
         {{"d/m.cfg", "['v'] = vector(include('p.cfg'));"}, {"d\\p.cfg", "['b'] = 2;"}}, "{v:[]}"},
        {"alone without ; it is the whole file", {{"d/m.cfg", "include('p.cfg')"}, {"d\\p.cfg", "['b'] = 2;"}},
         "{b:i2}"},
        {"the same file twice side by side is no loop",
         {{"d/m.cfg", "['n'] = 0; include('p.cfg'); include('p.cfg');"}, {"d\\p.cfg", "['n'] += 1;"}}, "{n:i2}"},
        {"a missing file chains the nested message; the store keeps what came before",
         {{"d/m.cfg", "['a'] = 1;\ninclude('missing.cfg');"}},
         "Include failed (2:8): \nd\\missing.cfg: Cannot open file|{a:i1}"},
        {"nested failures chain line by line, innermost last, and add nothing",
         {{"d/m.cfg", "['a'] = 1;\n  include('a.cfg');"}, {"d\\a.cfg", "include('b.cfg');"},
          {"d\\b.cfg", "['x'] = 1;\n['y'] = oops;"}},
         "Include failed (2:10): \nInclude failed (1:8): \nSyntax Error (2:9): Found keyword 'oops' when expecting "
         "RValue|{a:i1}"},
        {"a file that includes itself", {{"d/m.cfg", "['a'] = 1; include('m.cfg');"}},
         "Include failed (1:19): \nd\\m.cfg: Include loop|{a:i1}"},
        {"files that include each other", {{"d/m.cfg", "include('a.cfg');"}, {"d\\a.cfg", "include('m.cfg');"}},
         "Include failed (1:8): \nInclude failed (1:8): \nd\\m.cfg: Include loop|undef"},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        files.files = c.files;
        ConfigParser p;
        p.reader = &files;
        const bool ok = p.loadFile(std::string_view("d/m.cfg"), Value(), false);
        EXPECT_EQ(ok ? dump(p.variables) : narrow(p.error) + "|" + dump(p.variables), c.expected) << c.name;
    }
}

TEST(LoadFile, ReadsTheDiskWhenNoReaderIsGiven) {
    const auto dir = std::filesystem::temp_directory_path() / ("orvane-load-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir / "sub");
    // UTF-16LE with its mark; the include's "\" must reach the sub-folder on every system.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string_view("['a'] = 1; include('sub\\i.cfg');")) utf16 += {c, '\0'};
    std::ofstream(dir / "wide.cfg", std::ios::binary) << utf16;
    std::ofstream(dir / "sub" / "i.cfg", std::ios::binary) << "['b'] = 2;";
    ConfigParser p;
    p.variables = hash({{"old", I(1)}});
    EXPECT_TRUE(p.loadFile(std::string_view((dir / "wide.cfg").string()), Value(), true)) << narrow(p.error);
    EXPECT_EQ(dump(p.variables), "{a:i1,b:i2,old:i1}");
    EXPECT_EQ(p.baseDirectory, dir.string());
    EXPECT_TRUE(p.loadFile(std::u16string_view(widen((dir / "wide.cfg").string())), Value(), false));
    EXPECT_EQ(dump(p.variables), "{a:i1,b:i2}");
    std::filesystem::remove_all(dir);

    p.variables = I(5);
    EXPECT_FALSE(p.loadFile(std::string_view("/nonexistent-orvane/x.cfg"), Value(), false));
    EXPECT_EQ(narrow(p.error), "/nonexistent-orvane/x.cfg: Cannot open file") << "the path as given";
    EXPECT_EQ(p.variables.kind(), ValueKind::Undef);
    EXPECT_EQ(p.baseDirectory, "/nonexistent-orvane");
}

TEST(LoadFile, BaseDirectoryIsThePathUpToItsLastSeparator) {
    const struct { const char* path; const char* base; const char* includeReads; } rows[] = {
        {"D:\\cfg\\main.cfg", "D:\\cfg", "D:\\cfg\\part.cfg"},
        {"a/b\\c.cfg", "a/b", "a/b\\part.cfg"},
        {"x.cfg", ".", ".\\part.cfg"},
        {"/x.cfg", "", "part.cfg"},
    };
    for (const auto& row : rows) {
        MemoryFiles files;
        files.files = {{row.path, "include('part.cfg');"}, {row.includeReads, "['ok'] = 1;"}};
        ConfigParser p;
        p.reader = &files;
        EXPECT_TRUE(p.loadFile(std::string_view(row.path), Value(), false)) << narrow(p.error);
        EXPECT_EQ(p.baseDirectory, row.base);
        EXPECT_EQ(dump(p.variables), "{ok:i1}") << row.path;
    }
}

TEST(LoadFile, WidePathsNarrowAndParseTextJoinsNamesOnlyWithABaseDirectory) {
    MemoryFiles files;
    ConfigParser p;
    p.reader = &files;
    EXPECT_FALSE(p.loadFile(std::u16string_view(u"dir/\u20ACx.cfg"), Value(), false));
    EXPECT_EQ(narrow(p.error), "dir/?x.cfg: Cannot open file");

    files.files = {{"plain.cfg", "['where'] = 'bare';"}, {"base\\plain.cfg", "['where'] = 'based';"}};
    ConfigParser q;
    q.reader = &files;
    EXPECT_EQ(outcome(q.parseText(u"include('plain.cfg');", Value(), false), q), "{where:w'bare'}");
    q.baseDirectory = "base";
    EXPECT_EQ(outcome(q.parseText(u"include('plain.cfg');", Value(), false), q), "{where:w'based'}");
}

}  // namespace
