// The RCON tab through the headless dialogs and a host that records the commands sent: what Update
// asks each game for, how replies are told apart by shape, and what the page shows per server.
#include <gtest/gtest.h>

#include <optional>

#include "ui/rcon_tab.h"
#include "value/text.h"
#include "ui_support.h"

namespace orvane::ui {
namespace {

using namespace rcon_ids;
using platform::MessageBoxKind;
using Lines = ZelStringVector<char16_t>;
using Texts = std::vector<std::u16string>;

class RconTab : public test::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        host.server = test::makeServer(u"CoD4", u"192.0.2.1:28960", u"sd");
        tab.emplace();
        ASSERT_TRUE(tab->Create(0));
    }
    void TearDown() override {
        tab.reset();
        UiTest::TearDown();
    }
    platform::WindowHandle page() const { return tab->GetSafeHwnd(); }
    Texts listed() const { return control(page(), kRuleList).items; }
    void listing(Texts files) {
        Lines reply{u"Directory of /pam/rules", u"-------------"};
        for (auto& f : files) reply.push_back(f);
        tab->OnRconResponse(reply);
    }

    std::optional<CRconTab> tab;
};

TEST_F(RconTab, PageStartsFromItsTemplate) {
    EXPECT_TRUE(platform::windowSystem().isWindow(page()));
    EXPECT_FALSE(control(page(), kChangePamMode).enabled);
    EXPECT_EQ(control(page(), kGameType).items,
              (Texts{u"Search and Destroy", u"Team DeathMatch", u"Headquarters", u"Sabatoge",
                     u"Domination", u"Deathmatch"}));
    EXPECT_EQ(control(page(), kRuleList).anchor, (platform::ControlAnchor{0, 0, 100, 100}));
    for (std::uint32_t code : {0x1001u, 0x2001u, 0x5002u}) EXPECT_FALSE(tab->OnEvent(code, 0, 0));
}

TEST_F(RconTab, UpdateAsksEachGameForItsRules) {
    struct Row {
        const char* name;
        const char16_t* gameType;
        const char16_t* rules;  // null: no g_gametype rule
        Texts commands;
        bool unsupported = false;
    };
    const Row rows[] = {
        {"CoD4", u"CoD4", u"sd", {u"dir /pam/rules/sd gsc", u"dir /pam/rules/all"}},
        {"CoD4 empty rule", u"CoD4", u"", {u"dir /pam/rules/all"}},
        {"CoD4 no rule", u"CoD4", nullptr, {u"dir /pam/rules/undef gsc", u"dir /pam/rules/all"}},
        {"CoD2", u"CoD2", u"ctf", {u"dir maps/pam/rules/ctf gsc"}},
        {"CoD2 no rule reads undef", u"CoD2", nullptr, {u"dir maps/pam/rules/undef gsc"}},
        {"CoD2 empty rule", u"CoD2", u"", {}},
        {"CoD", u"CoD", u"sd", {u"dir maps/mp/gametypes/rules gsc"}},
        {"case matters", u"cod4", u"sd", {}, true},
        {"other game", u"Quake3", u"ffa", {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.server = test::makeServer(row.gameType, u"a", row.rules);
        host.commands.clear();
        dialogs.clearMessageBoxes();
        ASSERT_TRUE(dialogs.click(page(), kUpdate));
        EXPECT_EQ(host.commands, row.commands);
        ASSERT_EQ(dialogs.messageBoxes().size(), row.unsupported ? 1u : 0u);
        if (row.unsupported) {
            EXPECT_EQ(dialogs.messageBoxes()[0].text, u"Not supported by this gametype!");
            EXPECT_EQ(dialogs.messageBoxes()[0].kind, MessageBoxKind::Ok);
        }
    }
}

TEST_F(RconTab, UpdateClearsTheListOnlyWithACurrentServer) {
    listing({u"pub.gsc"});
    host.hasServer = false;
    dialogs.click(page(), kUpdate);
    EXPECT_EQ(listed(), Texts{u"pub.gsc"});
    host.hasServer = true;
    dialogs.click(page(), kUpdate);
    EXPECT_TRUE(listed().empty());
}

TEST_F(RconTab, ListingsNeedMoreThanTwoLinesAndShowBottomUp) {
    struct Row {
        const char* name;
        Lines reply;
        Texts shown;  // what replaces the earlier listing "old.gsc", if anything
    };
    const Row rows[] = {
        {"two lines are no listing", {u"Directory of x", u"a.gsc"}, {u"old.gsc"}},
        {"three lines store one name", {u"Directory of x", u"--", u"a.gsc"}, {u"a.gsc"}},
        {"reverse order, empty lines kept",
         {u"Directory of x", u"--", u"c.gsc", u"", u"e.gsc"},
         {u"e.gsc", u"", u"c.gsc"}},
        {"heading compared on twelve units", {u"Directory ofx", u"--", u"a"}, {u"a"}},
        {"short heading", {u"Directory o", u"--", u"a"}, {u"old.gsc"}},
        {"heading case", {u"directory of x", u"--", u"a"}, {u"old.gsc"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::u16string address = widen(row.name);  // a fresh server each
        host.server = test::makeServer(u"CoD4", address.c_str(), u"sd");
        listing({u"old.gsc"});
        tab->OnRconResponse(row.reply);
        tab->OnServerChanged();
        EXPECT_EQ(listed(), row.shown);
    }
}

TEST_F(RconTab, RulesAreKeptPerServerAddress) {
    listing({u"a1.gsc", u"a2.gsc"});
    host.server = test::makeServer(u"CoD4", u"198.51.100.9:28960", u"sd");
    tab->OnServerChanged();
    EXPECT_TRUE(listed().empty());
    listing({u"b.gsc"});
    listing({u"b2.gsc"});  // a later listing replaces the earlier one
    EXPECT_EQ(listed(), Texts{u"b2.gsc"});
    host.server = test::makeServer(u"CoD4", u"192.0.2.1:28960", u"sd");
    tab->OnServerChanged();
    EXPECT_EQ(listed(), (Texts{u"a2.gsc", u"a1.gsc"}));
}

TEST_F(RconTab, ChangePamModeSendsTheSelectedNameLessItsExtension) {
    struct Row {
        const char* name;
        std::u16string file;
        std::u16string command;
    };
    const Row rows[] = {
        {"extension dropped", u"pub_ctf.gsc", u"pam_mode pub_ctf"},
        {"exactly four units leave nothing", u".gsc", u"pam_mode "},
        {"shorter text used whole", u"ab", u"pam_mode ab"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        listing({row.file});
        tab->OnServerChanged();
        EXPECT_FALSE(dialogs.click(page(), kChangePamMode)) << "disabled until a selection";
        ASSERT_TRUE(dialogs.selectListItem(page(), kRuleList, 0));
        host.commands.clear();
        ASSERT_TRUE(dialogs.click(page(), kChangePamMode));
        EXPECT_EQ(host.commands, (Texts{row.command, u"pam_mode"}));
    }
}

TEST_F(RconTab, ReplyShapesDecideWhatHappens) {
    struct Row {
        const char* name;
        Lines reply;
        Texts reports;
        Texts commands;
    };
    const std::u16string mode = u"\"pam_mode\" is: \"ctf^7\" default: \"pub^7\"";
    const std::u16string restart = u"g_gametype will be changed upon restarting";
    const Row rows[] = {
        {"pam_mode with any second line", {mode, u"whatever"}, {u"ctf^7"}, {}},
        {"pam_mode alone on one line", {mode}, {}, {}},
        {"four words", {u"\"pam_mode\" is: \"ctf\" default:", u""}, {}, {}},
        {"restart announced", {restart}, {}, {u"fast_restart"}},
        {"full stop makes another word", {restart + u"."}, {}, {}},
        {"restart on two lines", {restart, u""}, {}, {}},
        {"seven words", {u"g_gametype will be changed upon next restarting"}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.reports.clear();
        host.commands.clear();
        dialogs.clearMessageBoxes();
        tab->OnRconResponse(row.reply);
        EXPECT_EQ(host.reports, row.reports);
        EXPECT_EQ(host.commands, row.commands);
        ASSERT_EQ(dialogs.messageBoxes().size(), row.reports.size());
        if (!row.reports.empty()) {
            EXPECT_EQ(dialogs.messageBoxes()[0].text, u"pam_mode is now ctf^7");
            EXPECT_EQ(dialogs.messageBoxes()[0].kind, MessageBoxKind::Information);
        }
    }
}

TEST_F(RconTab, GameTypeBoxFollowsCoD4ServersOnly) {
    auto box = [&] { return control(page(), kGameType); };
    host.server = test::makeServer(u"CoD4", u"a", u"dom");
    tab->OnServerChanged();
    EXPECT_EQ(box().selection, 4);
    EXPECT_TRUE(box().enabled);
    host.server = test::makeServer(u"CoD2", u"a", u"sd");
    tab->OnServerChanged();
    EXPECT_FALSE(box().enabled);
    EXPECT_EQ(box().selection, 4) << "a disabled box keeps its selection";
    host.server = test::makeServer(u"CoD4", u"a", u"ctf");
    tab->OnServerChanged();
    EXPECT_TRUE(box().enabled);
    EXPECT_EQ(box().selection, 4) << "no matching code keeps the selection";
    EXPECT_FALSE(dialogs.click(page(), kChangePamMode)) << "a server change disables it";
}

TEST_F(RconTab, PlayerUpdatesRefreshOnlyOnAGameTypeChange) {
    auto selection = [&] { return control(page(), kGameType).selection; };
    tab->OnServerChanged();  // sd
    host.server = test::makeServer(u"CoD4", u"192.0.2.1:28960", u"war");
    tab->OnPlayersChanged();
    EXPECT_EQ(selection(), 1);
    dialogs.comboSetSelection(page(), kGameType, 3);
    tab->OnPlayersChanged();
    EXPECT_EQ(selection(), 3) << "same g_gametype: no refresh";
    host.hasServer = false;
    tab->OnPlayersChanged();
    tab->OnServerChanged();
    EXPECT_EQ(selection(), 3) << "no current server: nothing";
}

TEST_F(RconTab, RefreshSkipsAPageWhoseWindowIsGone) {
    desktop.destroyWindow(page());
    host.serverCalls = 0;
    tab->OnServerChanged();
    EXPECT_EQ(host.serverCalls, 1) << "the refresh stops before asking for the server";
}

}  // namespace
}  // namespace orvane::ui
