// orvane-cfg as a user meets it: exit codes, what lands on stdout and stderr, and the encoding.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome { int exitCode = -1; std::string out, err; };

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class OrvaneCfg : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orvane_cfg_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& name, const std::string& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

    Outcome run(const std::string& args) {
        const std::string cmd = std::string("'") + ORVANE_CFG_PATH + "' " + args + " >'" +
                                (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
        const int status = std::system(cmd.c_str());
        Outcome r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = slurp(dir_ / "out");
        r.err = slurp(dir_ / "err");
        return r;
    }

    fs::path dir_;
};

TEST_F(OrvaneCfg, TreePrintsTheNotationOfEachShape) {
    struct Row { const char* source; const char* tree; };
    const Row rows[] = {
        {"1 + 2 * 3", "+[1, *[2, 3]]"},
        {"['x'] = 1;", ";[=[[]['x'], 1], Empty]"},
        {"1.5e3 'it''s' \"tab\\t\"", "None[1500, \"itstab\\t\"]"},
        {"", "Empty"},
    };
    for (const Row& r : rows) {
        const Outcome got = run("tree '" + file("in.cfg", r.source) + "'");
        EXPECT_EQ(got.exitCode, 0) << r.source;
        EXPECT_EQ(got.out, std::string(r.tree) + "\n") << r.source;
        EXPECT_EQ(got.err, "") << r.source;
    }
}

TEST_F(OrvaneCfg, ErrorsGoToStderrWithExitOne) {
    struct Row { const char* command; const char* source; const char* error; };
    const Row rows[] = {
        {"tree", "a # b", "Scanning Error (1:3): Invalid character 0x23\n"},
        {"print", "['a'] = 1; ['b'] = 2", "Syntax Error (1:10): Missing ;\n"},
        {"check", "['x'] = hello;", "Syntax Error (1:9): Found keyword 'hello' when expecting RValue\n"},
    };
    for (const Row& r : rows) {
        const Outcome got = run(std::string(r.command) + " '" + file("bad.cfg", r.source) + "'");
        EXPECT_EQ(got.exitCode, 1) << r.source;
        EXPECT_EQ(got.out, "") << r.source;
        EXPECT_EQ(got.err, r.error) << r.source;
    }
    const Outcome missing = run("print '" + (dir_ / "absent.cfg").string() + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, (dir_ / "absent.cfg").string() + ": Cannot open file\n");

    // Fourteen levels, each holding the next under four keys: 4^14 places to print, from 500 bytes.
    std::string shared = "['top'] = ", close;
    for (int i = 0; i < 14; ++i, close += "; }") shared += "{ ['p'] = ['q'] = ['r'] = ['s'] = ";
    const std::string path = file("shared.cfg", shared + "1" + close + ";");
    EXPECT_EQ(run("check '" + path + "'").exitCode, 0) << "loading it is cheap";
    const Outcome wide = run("print '" + path + "'");
    EXPECT_EQ(wide.exitCode, 1);
    EXPECT_EQ(wide.out, "");
    EXPECT_EQ(wide.err, path + ": the store shares its parts so widely that printing it would write more than "
                               "67108864 values\n");
}

TEST_F(OrvaneCfg, PrintWritesTheLoadedStoreAsUtf8AndNothingElse) {
    // UTF-16LE with a mark, holding a non-ASCII character: output is UTF-8, one unit at a time.
    const std::u16string source = u"\uFEFF['name'] = 'Caf\u00E9 \u20AC';\r\n['n'] = 0x10;\r\n";
    std::string bytes;
    for (char16_t c : source) bytes += static_cast<char>(c & 0xFF), bytes += static_cast<char>(c >> 8);
    const Outcome got = run("print '" + file("wide.cfg", bytes) + "'");
    EXPECT_EQ(got.exitCode, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(got.out, "['n'] = 16;\n['name'] = 'Caf\xC3\xA9 \xE2\x82\xAC';\n") << "in the Hash's order";
}

TEST_F(OrvaneCfg, DisplayDescriptionSteersTheLayout) {
    const std::string data = file("data.cfg", "['v'] = 1, 2, 3;");
    const std::string desc = file("desc.cfg", "['Hash']['Data']['Vector']['DisplayType'] = 0;");
    EXPECT_EQ(run("print '" + data + "'").out, "['v'] = vector(1, 2, 3);\n");
    EXPECT_EQ(run("print '" + data + "' --display '" + desc + "'").out,
              "['v'] = {\n\t[0] = 1;\n\t[1] = 2;\n\t[2] = 3;\n};\n");
}

TEST_F(OrvaneCfg, MetaModelFailureIsALoadFailure) {
    const std::string meta = file("meta.cfg",
        "['Hash'] = true; ['Hash']['Data'] = { ['Int'] = true; };");
    const Outcome good = run("check '" + file("good.cfg", "['a'] = 1;") + "' --meta '" + meta + "'");
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(good.out + good.err, "") << "a passing check is silent";
    const Outcome bad = run("print '" + file("bad.cfg", "['a'] = 'x';") + "' --meta '" + meta + "'");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "Semantic Error: Variable ['a'] must be of type Integer\n");
}

TEST_F(OrvaneCfg, UsageErrorsExitTwoWithHelp) {
    for (const char* args : {"", "frob x", "tree", "tree a b", "print", "print a --display", "check a --bogus",
                             "check a --display d"}) {
        const Outcome got = run(args);
        EXPECT_EQ(got.exitCode, 2) << args;
        EXPECT_NE(got.err.find("usage: orvane-cfg"), std::string::npos) << args;
        EXPECT_EQ(got.out, "") << args;
    }
    const Outcome help = run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: orvane-cfg"), std::string::npos);
}

TEST_F(OrvaneCfg, ThePluginSettingsSchemaAcceptsTheDefaultsAndNamesWhatIsWrong) {
    const std::string examples = std::string(ORVANE_SOURCE_DIR) + "/examples/";
    const std::string meta = examples + "plugin_settings.meta.cfg";
    const Outcome defaults = run("check '" + examples + "plugin_settings.cfg' --meta '" + meta + "'");
    EXPECT_EQ(defaults.exitCode, 0) << defaults.err;

    std::string text = slurp(examples + "plugin_settings.cfg");
    struct Row { const char* name; std::string from, to; const char* error; };
    const std::size_t miranda = text.find("['ConnectStatus'] = 1;");
    ASSERT_NE(miranda, std::string::npos);
    const Row rows[] = {
        {"wrong kind", "['ConnectStatus'] = 1;", "['ConnectStatus'] = 'one';",
         "Semantic Error: Variable ['Miranda']['ConnectStatus'] must be of type Integer\n"},
        {"unknown key", "['IsActive'] = false;\n};\n['MSN7']", "['Colour'] = false;\n};\n['MSN7']",
         "Semantic Error: Invalid key 'Colour' in hash ['Miranda']\n"},
        {"missing root flag", "['IsActive'] = true;", "",
         "Semantic Error: Missing key 'IsActive' in hash \n"},
    };
    for (const Row& r : rows) {
        std::string broken = text;
        const std::size_t at = broken.find(r.from, r.from == rows[0].from ? miranda : 0);
        ASSERT_NE(at, std::string::npos) << r.name;
        broken.replace(at, r.from.size(), r.to);
        const Outcome got = run("check '" + file("broken.cfg", broken) + "' --meta '" + meta + "'");
        EXPECT_EQ(got.exitCode, 1) << r.name;
        EXPECT_EQ(got.err, r.error) << r.name;
    }
}

}  // namespace
