// The reference host run as a user runs it: the example sessions end to end, a second run finding
// the settings file, the user's acts in the settings dialog and the RCON tab, and the scripts,
// steps and command lines it must refuse.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/config_parser.h"
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
    // What the plug-in saved at AppDeInit for a back-end, on one line: "active connect/disconnect
    // change minimise 'text'".
    std::string saved(const char* messenger) const {
        config::ConfigParser parser;
        const std::string file =
            (dir_.path() / "data").string() + "\\plugin_Orvane Messenger Plugin.cfg";
        EXPECT_TRUE(parser.loadFile(std::string_view(file), Value(), false)) << utf8(parser.error);
        const Value& m = parser.variables.findByName(messenger);
        const auto flag = [&](const char* key) {
            return m.findByName(key).toBoolean() ? "on " : "off ";
        };
        return flag("IsActive") + std::to_string(m.findByName("ConnectStatus").toInteger()) + "/" +
               std::to_string(m.findByName("DisconnectStatus").toInteger()) + " " +
               flag("IsMessage") + flag("IsMinimize") + "'" +
               utf8(m.findByName("Message").toWideString()) + "'";
    }
    // Each script a file of its own: a table builds all of them before the first run.
    std::string script(const std::string& text) {
        const auto path = dir_.path() / ("bad" + std::to_string(++scripts_) + ".cfg");
        writeBytes(path, text);
        return "'" + path.string() + "'";
    }

    TempDir dir_;
    int scripts_ = 0;
};

// Each of lines must come in out, after the one before it.
void expectInOrder(const std::string& out, const std::vector<std::string>& lines) {
    std::size_t at = 0;
    for (const std::string& line : lines) {
        const std::size_t found = out.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\n" << out;
        at = found + line.size();
    }
}

TEST_F(HostTest, TheExampleSessionGoesAwayComesBackAndKeepsItsSettings) {
    const std::string run = dataOption() + "'" + ORVANE_SOURCE_DIR + "/examples/session.cfg'";
    const std::string file = (dir_.path() / "data").string() + "\\plugin_Orvane Messenger Plugin.cfg";
    const std::string away =
        ", away text \"Playing Call of Duty 2 on Frag Arena (192.0.2.7:28960) with Qorv\"";
    const HostRun first = runHost(run);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    expectInOrder(first.out,
                  {"== AppInit\nlog: " + file + " not loaded\n",
                   "== ServerChanged\nlog: Server Changed to: Frag Arena\nlog: GameType: CoD2\n",
                   "== GameConnect\n  ICQ 2003: Away" + away, "\n  Miranda: Online" + away,
                   "\n  MSN Messenger 7: Away", "\n  AIM: Away" + away, "\n  Trillian: Away" + away,
                   "== GameDisconnect\n  ICQ 2003: Online", "\n  Miranda: Away",
                   "\n  MSN Messenger 7: Online", "\n  AIM: Online", "\n  Trillian: Online",
                   "== AppDeInit\nlog: App DeInit\nlog: " + file + " saved\n",
                   "== settings file " + file + "\n['"});
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
        {"unknown step", script("['events'] = vector({ ['dialog'] = vector(); });\n"), 1,
         ".cfg: ['events'][0]['dialog']: unknown step (known: settings, tab)"},
        {"step of two keys",
         script("['events'] = vector({ ['settings'] = vector(); ['tab'] = 1; });\n"), 1,
         ".cfg: ['events'][0]: must be an event name in quotes, or"},
        {"nothing of that caption",
         script("['events'] = vector({ ['settings'] = vector('Save'); });\n"), 1,
         ".cfg: ['events'][0]['settings'][0]: nothing to click called 'Save' (known: 'Active',"},
        {"a tab act in the settings dialog",
         script("['events'] = vector({ ['settings'] = vector({ ['select'] = 1; }); });\n"), 1,
         ".cfg: ['events'][0]['settings'][0]: unknown act 'select' (known: check, uncheck, "
         "'messenger', 'connect', 'disconnect', 'template')"},
        {"checking a push button",
         script("['events'] = vector({ ['tab'] = vector({ ['check'] = 'Update'; }); });\n"), 1,
         ".cfg: ['events'][0]['tab'][0]: ['check'] must name a check box"},
        {"a negative position",
         script("['events'] = vector({ ['tab'] = vector({ ['select'] = -1; }); });\n"), 1,
         ".cfg: ['events'][0]['tab'][0]: ['select'] must be an entry's text in quotes or its "
         "position from 0"},
        {"two remote consoles",
         script("['gameserver']['pam_mode'] = 'pub';\n"
                "['rcon'] = { ['address'] = '127.0.0.1'; ['password'] = 'x'; };\n"
                "['events'] = vector();\n"),
         1, ".cfg: ['rcon']: a session has ['gameserver'] or ['rcon'], not both"},
        {"no wait at all",
         script("['rcon'] = { ['address'] = '127.0.0.1'; ['password'] = 'x'; ['timeout'] = 0; };\n"
                "['events'] = vector();\n"),
         1, ".cfg: ['rcon']['timeout']: must be milliseconds from 1 to 60000"},
        {"an unreadable address",
         script("['rcon'] = { ['address'] = '127.0.0.1:port'; ['password'] = 'x'; };\n"
                "['events'] = vector('AppInit');\n"),
         1, ".cfg: ['rcon']['address']: bad address '127.0.0.1:port' (host:port)"},
        {"rule files not a list",
         script("['gameserver']['rules']['sd'] = 'pub.gsc';\n['events'] = vector();\n"), 1,
         ".cfg: ['gameserver']['rules']['sd']: must be vector('<file>', ...)"},
    };
    for (const Row& r : rows) {
        const HostRun run = runHost(dataOption() + r.arguments);
        EXPECT_EQ(run.exitCode, r.exitCode) << r.name;
        EXPECT_NE(run.err.find(r.error), std::string::npos) << r.name << ": " << run.err;
        EXPECT_EQ(run.out.find("== "), std::string::npos) << r.name << ": nothing is played";
        EXPECT_TRUE(r.exitCode != 2 || run.err.find("usage:") != std::string::npos) << r.name;
    }
    const HostRun help = runHost("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: orvane-host")) << help.out;
}

TEST_F(HostTest, SettingsDialogApplyKeepsEditsAndCloseDropsThem) {
    const HostRun run = runHost(dataOption() + script(R"(
['events'] = vector('AppInit',
    { ['settings'] = vector({ ['messenger'] = 'ICQ2003'; }, { ['check'] = 'Active'; },
                            { ['connect'] = 'N/A'; }, { ['check'] = 'Minimize on connecting'; },
                            { ['check'] = 'Change away message'; },
                            { ['template'] = 'Fragging on <SERVERNAME>'; }, 'Apply',
                            { ['messenger'] = 'Miranda'; }, { ['check'] = 'Active'; },
                            { ['connect'] = 'Away'; }, 'Close'); },
    { ['settings'] = vector({ ['messenger'] = 1; }, { ['uncheck'] = 'Active'; },
                            { ['check'] = 'Active'; }, { ['template'] = 'never applied'; }); },
    'AppDeInit');
)"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectInOrder(run.out, {"== settings\n", "user: pick 'ICQ2003' in Messenger\n",
                            "user: click 'Apply'\n", "user: pick 'Away' in Status on connect\n",
                            "user: click 'Close'\n", "dialog: showing 'Miranda'\n",
                            "dialog: [x] Active\n", "dialog: Status on connect: 'Away'\n",
                            "dialog: buttons: Apply, Test, Close\n",
                            // the second opening starts again at the first messenger
                            "== settings\n", "dialog: showing 'ICQ2003'\n",
                            "dialog: message 'never applied'\n", "== AppDeInit\n"});
    EXPECT_EQ(saved("ICQ2003"), "on 3/0 on on 'Fragging on <SERVERNAME>'") << "N/A is row 3";
    EXPECT_EQ(saved("Miranda"), "off 1/2 off off 'Playing <GAMEDESC> on <SERVERNAME> "
                                "(<SERVERADDRPORT>) with Qorv'")
        << "Close dropped the check and 'Away'";
}

TEST_F(HostTest, SettingsDialogTestSendsTheShownMessengerAwayWithTheEditedTemplate) {
    const HostRun run = runHost(dataOption() + script(R"(
['messengers'] = vector('ICQ2003', 'Miranda');
['server'] = { ['Info']['Hostname'] = 'Frag Arena'; };
['events'] = vector('AppInit',
    { ['settings'] = vector({ ['messenger'] = 'ICQ2003'; }, { ['check'] = 'Active'; },
                            { ['connect'] = 'DND'; }, 'Change away message',
                            { ['template'] = 'Busy on <SERVERNAME>'; },
                            'Test'); },
    'AppDeInit');
)"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectInOrder(run.out, {"user: click 'Test'\n",
                            "dialog: buttons: Apply (disabled), Test, Close\n",
                            "  ICQ 2003: DND, away text \"Busy on Frag Arena\"",
                            "  Miranda: Offline, main window shown\n", "== AppDeInit\n"});
    EXPECT_EQ(saved("ICQ2003"), "on 5/0 on off 'Busy on <SERVERNAME>'") << "Test applies first";
}

TEST_F(HostTest, TheRconExampleWalksTheWholeRoadInOrder) {
    const HostRun run =
        runHost(dataOption() + "'" + ORVANE_SOURCE_DIR + "/examples/rcon_session.cfg'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectInOrder(run.out, {
        "== ServerChanged\n",
        "user: click 'Update'\nhost: rcon command: dir maps/pam/rules/sd gsc\n",
        "== RconResponse to 'dir maps/pam/rules/sd gsc'\n"
        "reply: Directory of maps/pam/rules/sd gsc\n",
        "tab: rule list: 'lan.gsc', 'cb.gsc', 'pub.gsc'\n",
        "user: select 'cb.gsc' in the rule list\n",
        "tab: rule list: 'lan.gsc', 'cb.gsc', 'pub.gsc' (marked 'cb.gsc')\n",
        "tab: buttons: Update, Change Pam Mode\n",
        "user: click 'Change Pam Mode'\nhost: rcon command: pam_mode cb\n"
        "host: rcon command: pam_mode\n",
        "== RconResponse to 'pam_mode cb'\nreply: g_gametype \"sd\" changed, map is restarting\n"
        "host: rcon command: fast_restart\nrcon: map restarted with pam_mode \"cb\"\n",
        "== RconResponse to 'pam_mode'\nreply: \"pam_mode\" is: \"cb\" default: \"pub\"\n",
        "host: value reported: cb\nmessage box: pam_mode is now cb\n",
        "== AppDeInit\n",
    });
    EXPECT_EQ(run.out.find("readme.txt"), std::string::npos) << "only gsc files are listed";
}

TEST_F(HostTest, StepsTheDialogsCannotTakeStopTheSessionWhereTheyStand) {
    const std::string server =
        "['server'] = { ['Server'] = { ['GameType'] = 'CoD2'; };\n"
        "               ['Rules']['g_gametype'] = 'sd'; };\n"
        "['gameserver']['rules']['sd'] = vector('pub.gsc');\n";
    struct Row {
        const char* name;
        std::string steps;
        const char* error;
    } rows[] = {
        {"a disabled button", "{ ['settings'] = vector('Test'); }",
         ".cfg: ['events'][1]['settings'][0]: 'Test' is disabled"},
        {"a status the messenger lacks",
         "{ ['settings'] = vector({ ['check'] = 'Active'; }, { ['connect'] = 'Lunch'; }); }",
         ".cfg: ['events'][1]['settings'][1]: Status on connect has no entry 'Lunch' (entries: "
         "'Offline', 'Online', 'Away',"},
        {"a position past the end", "{ ['settings'] = vector({ ['messenger'] = 5; }); }",
         ".cfg: ['events'][1]['settings'][0]: Messenger has no entry at position 5 (it has 5)"},
        {"the tab before CreateTabs", "{ ['tab'] = vector('Update'); }",
         ".cfg: ['events'][1]: there is no RCON tab (the host gets it at CreateTabs)"},
        {"a file not listed", "'CreateTabs', { ['tab'] = vector({ ['select'] = 'cb.gsc'; }); }",
         ".cfg: ['events'][2]['tab'][0]: rule list has no entry 'cb.gsc' (entries: none)"},
        {"changing mode with nothing selected",
         "'CreateTabs', 'ServerChanged', { ['tab'] = vector('Update', 'Change Pam Mode'); }",
         ".cfg: ['events'][3]['tab'][1]: 'Change Pam Mode' is disabled"},
    };
    for (const Row& r : rows) {
        const HostRun run = runHost(
            dataOption() + script(server + "['events'] = vector('AppInit', " + r.steps +
                                  ", 'AppDeInit');\n"));
        EXPECT_EQ(run.exitCode, 1) << r.name;
        EXPECT_NE(run.err.find(r.error), std::string::npos) << r.name << ": " << run.err;
        EXPECT_EQ(run.out.find("== AppDeInit"), std::string::npos) << r.name << ": played on";
        EXPECT_EQ(run.out.find("== settings file"), std::string::npos) << r.name;
    }
}

}  // namespace
}  // namespace orvane::test
