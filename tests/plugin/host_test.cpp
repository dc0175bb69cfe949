// The reference host run as a user runs it: the example session end to end, a second run finding
// the settings file, and the scripts and command lines it must refuse.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "plugin_support.h"

namespace orvane::test {
namespace {

struct HostRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class HostTest : public ::testing::Test {
protected:
    HostRun runHost(const std::string& arguments) {
        const auto out = dir_.path() / "stdout.txt";
        const auto err = dir_.path() / "stderr.txt";
        const std::string command = std::string("'") + ORVANE_HOST_PATH + "' " + arguments + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(out), readBytes(err)};
    }
    std::string dataOption() const { return "--data '" + (dir_.path() / "data").string() + "' "; }
    // Each script a file of its own: a table builds all of them before the first run.
    std::string script(const std::string& text) {
        const auto path = dir_.path() / ("bad" + std::to_string(++scripts_) + ".cfg");
        writeBytes(path, text);
        return "'" + path.string() + "'";
    }

    TempDir dir_;
    int scripts_ = 0;
};

TEST_F(HostTest, TheExampleSessionGoesAwayComesBackAndKeepsItsSettings) {
    const std::string run = dataOption() + "'" + ORVANE_SOURCE_DIR + "/examples/session.cfg'";
    const std::string file = (dir_.path() / "data").string() + "\\plugin_Orvane Messenger Plugin.cfg";
    const std::string away =
        ", away text \"Playing Call of Duty 2 on Frag Arena (192.0.2.7:28960) with Qorv\"";
    const HostRun first = runHost(run);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const auto after = [&](const std::string& event) {
        const std::size_t at = first.out.find("== " + event + "\n");
        return at == std::string::npos ? std::string() : first.out.substr(at, first.out.find("==", at + 3) - at);
    };
    EXPECT_NE(after("AppInit").find("log: " + file + " not loaded\n"), std::string::npos)
        << first.out;
    EXPECT_NE(after("ServerChanged").find("log: Server Changed to: Frag Arena\nlog: GameType: CoD2\n"),
              std::string::npos);
    for (const std::string& line :
         {"ICQ 2003: Away" + away, "Miranda: Online" + away, std::string("MSN Messenger 7: Away"),
          "AIM: Away" + away, "Trillian: Away" + away})
        EXPECT_NE(after("GameConnect").find("\n  " + line), std::string::npos) << line;
    for (const char* line : {"ICQ 2003: Online", "Miranda: Away", "MSN Messenger 7: Online",
                             "AIM: Online", "Trillian: Online"})
        EXPECT_NE(after("GameDisconnect").find(std::string("\n  ") + line), std::string::npos)
            << line;
    EXPECT_NE(after("AppDeInit").find("log: " + file + " saved\n"), std::string::npos);
    EXPECT_NE(first.out.find("== settings file " + file + "\n['"), std::string::npos);
    EXPECT_NE(first.out.find("\n['IsActive'] = true;\n"), std::string::npos) << "printed decoded";

    const HostRun second = runHost(run);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_NE(second.out.find("log: " + file + " loaded\n"), std::string::npos) << second.out;
}

TEST_F(HostTest, BadScriptsAndCommandLinesAreRefused) {
    struct Row {
        const char* name;
        std::string arguments;
        int exitCode;
        const char* error;  // expected inside stderr
    } rows[] = {
        {"syntax error", script("['events'] = vector('AppInit');\n['x'] = ;\n"), 1,
         ".cfg: Syntax Error (2:"},
        {"unknown event", script("['events'] = vector('AppInit', 'GameConect');\n"), 1,
         ".cfg: ['events'][1]: unknown event 'GameConect'"},
        {"unknown messenger", script("['messengers'] = vector('ICQ');\n['events'] = vector();\n"),
         1, ".cfg: ['messengers'][0]: unknown messenger 'ICQ'"},
        {"events not a list", script("['events'] = 'AppInit';\n"), 1,
         ".cfg: ['events']: must be vector"},
        {"server not a block", script("['server'] = 'Arena';\n['events'] = vector();\n"), 1,
         ".cfg: ['server']: must be a block"},
        {"misspelt key", script("['event'] = vector('AppInit');\n"), 1,
         ".cfg: ['event']: unknown key"},
        {"no script", "", 2, "missing SCRIPT"},
        {"unknown option", "--verbose x.cfg", 2, "unknown option '--verbose'"},
        {"missing module", "--module /nonexistent/m.so " + script("['events'] = vector();\n"), 1,
         "/nonexistent/m.so"},
    };
    for (const Row& r : rows) {
        const HostRun run = runHost(dataOption() + r.arguments);
        EXPECT_EQ(run.exitCode, r.exitCode) << r.name;
        EXPECT_NE(run.err.find(r.error), std::string::npos) << r.name << ": " << run.err;
        EXPECT_EQ(run.out.find("== "), std::string::npos) << r.name << ": nothing is played";
        if (r.exitCode == 2) {
            EXPECT_NE(run.err.find("usage:"), std::string::npos) << r.name;
        }
    }
    const HostRun help = runHost("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: orvane-host")) << help.out;
}

}  // namespace
}  // namespace orvane::test
