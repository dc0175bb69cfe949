// The simulated PAM server answers in the shapes the RCON tab reads: listings it stores, the
// variable line it reports and the restart line it acts on.
#include "host/sim_game_server.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/word_splitter.h"

namespace orvane::host {
namespace {

GameServerSetup pamServer() {
    GameServerSetup setup;
    setup.gameType = u"sd";
    setup.pamMode = u"pub";
    setup.ruleFiles[u"sd"] = {u"pub.gsc", u"cb.GSC", u"notes.txt", u"gsc"};
    setup.ruleFiles[u"all"] = {u"pub.gsc", u"readme.txt"};
    return setup;
}

TEST(SimGameServer, AnswersEachCommandInItsShape) {
    const std::u16string ruler = u"---------------\n";
    struct Row {
        const char* name;
        std::u16string command;
        bool replied;
        std::u16string reply;
    } rows[] = {
        {"CoD2 rule directory, gsc files only, extension without regard to case",
         u"dir maps/pam/rules/sd gsc", true,
         u"Directory of maps/pam/rules/sd gsc\n" + ruler + u"pub.gsc\ncb.GSC\n"},
        {"CoD4 rule directory with a leading slash", u"dir /pam/rules/sd gsc", true,
         u"Directory of /pam/rules/sd gsc\n" + ruler + u"pub.gsc\ncb.GSC\n"},
        {"no extension lists every file", u"dir /pam/rules/all", true,
         u"Directory of /pam/rules/all\n" + ruler + u"pub.gsc\nreadme.txt\n"},
        {"a game type without files lists none", u"dir maps/pam/rules/ctf gsc", true,
         u"Directory of maps/pam/rules/ctf gsc\n" + ruler},
        {"a directory outside the rules lists none", u"dir maps/mp/gametypes/rules gsc", true,
         u"Directory of maps/mp/gametypes/rules gsc\n" + ruler},
        {"a deeper directory lists none", u"dir maps/pam/rules/sd/old gsc", true,
         u"Directory of maps/pam/rules/sd/old gsc\n" + ruler},
        {"the variable and its default", u"pam_mode", true,
         u"\"pam_mode\" is: \"pub\" default: \"pub\"\nthe rule set the PAM mod plays by\n"},
        {"the same value again needs no restart", u"pam_mode pub", false, u""},
        {"a new value announces the restart", u"  pam_mode   cb ", true,
         u"g_gametype \"sd\" changed, map is restarting\n"},
        {"the restart itself is not answered", u"fast_restart", false, u""},
        {"anything else is unknown", u"status", true, u"Unknown command \"status\"\n"},
    };
    for (const Row& r : rows) {
        SimGameServer server(pamServer());
        const RconAnswer answer = server.execute(r.command);
        EXPECT_EQ(answer.replied, r.replied) << r.name;
        EXPECT_EQ(answer.reply, r.reply) << r.name;
    }
}

TEST(SimGameServer, TheVariableKeepsItsNewValueAndItsDefault) {
    SimGameServer server(pamServer());
    EXPECT_TRUE(server.execute(u"pam_mode \"lan\"").replied);
    EXPECT_EQ(server.pamMode(), u"lan")
        << "quotes around the value are the console's, not the value's";
    EXPECT_EQ(server.execute(u"pam_mode").reply,
              u"\"pam_mode\" is: \"lan\" default: \"pub\"\nthe rule set the PAM mod plays by\n");
    EXPECT_EQ(server.execute(u"fast_restart").note, u"map restarted with pam_mode \"lan\"");
    const RconAnswer again = server.execute(u"pam_mode lan");
    EXPECT_FALSE(again.replied);
    EXPECT_EQ(again.note, u"pam_mode is already \"lan\"");
}

// What the tab's reader makes of the two answers it acts on, for values that need escaping.
TEST(SimGameServer, RepliesSplitIntoTheWordsTheTabExpects) {
    for (const std::u16string value : {u"cb", u"my \"best\" rules", u"back\\12slash", u"a:b"}) {
        GameServerSetup setup = pamServer();
        setup.gameType = u"search and destroy";
        SimGameServer server(setup);
        const std::u16string announcement = server.execute(u"pam_mode " + value).reply;
        const auto restart = ui::splitWords(announcement.substr(0, announcement.find(u'\n')));
        ASSERT_EQ(restart.size(), 6u);
        EXPECT_EQ(restart.front(), u"g_gametype");
        EXPECT_EQ(restart[1], u"search and destroy");
        EXPECT_EQ(restart.back(), u"restarting");

        const std::u16string reply = server.execute(u"pam_mode").reply;
        const std::size_t firstEnd = reply.find(u'\n');
        ASSERT_NE(firstEnd, std::u16string::npos);
        EXPECT_EQ(reply.find(u'\n', firstEnd + 1), reply.size() - 1) << "two lines";
        const auto words = ui::splitWords(reply.substr(0, firstEnd));
        ASSERT_EQ(words.size(), 5u);
        EXPECT_EQ(words[0], u"pam_mode");
        EXPECT_EQ(words[2], value);
        EXPECT_EQ(words[4], u"pub");
    }
}

}  // namespace
}  // namespace orvane::host
