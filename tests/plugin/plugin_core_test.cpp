// The plug-in object as the host drives it: identity, level, the interface list, which events reach
// whom and in what order, the log lines of server changes, and what reaches the RCON tab.
#include <gtest/gtest.h>

#include "plugin/tab_routing.h"
#include "plugin_support.h"

namespace orvane::test {
namespace {

using plugin::AppDeInit;
using plugin::AppInit;
using plugin::GameConnect;
using plugin::GameDisconnect;

TEST_F(PluginTest, LevelIsCappedAtOneHundredOnly) {
    EXPECT_EQ(plugin.GetLevel(), 50) << "a fresh plug-in";
    for (auto [input, stored] : {std::pair{250, 100}, {101, 100}, {-7, -7}, {100, 100}}) {
        EXPECT_EQ(plugin.SetLevel(input), stored) << input;
        EXPECT_EQ(plugin.GetLevel(), stored) << input;
    }
}

TEST_F(PluginTest, AddInterfaceKeepsEachObjectOnceInOrder) {
    struct Plain : plugin::IInterface {} a, b;
    EXPECT_TRUE(plugin.AddInterface(&a));
    EXPECT_TRUE(plugin.AddInterface(&b));
    EXPECT_FALSE(plugin.AddInterface(&a)) << "a second time";
    EXPECT_FALSE(plugin.AddInterface(&b)) << "a second time, last in the list";
    EXPECT_EQ(plugin.interfaces, (std::vector<plugin::IInterface*>{&a, &b}));
}

// Each back-end's template is its own name, so the host sees who acted, in order.
class EventRoutingTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        for (messengers::IMessengerNotification* m :
             std::initializer_list<messengers::IMessengerNotification*>{
                 &plugin.icq2003, &plugin.miranda, &plugin.qip, &plugin.msn7, &plugin.aim,
                 &plugin.trillian})
            m->SetMessage(m->GetName());
    }
    std::vector<std::string> actedOn() {
        std::vector<std::string> names;
        for (const auto& t : host.templates) names.push_back(utf8(t));
        host.templates.clear();
        return names;
    }
};

TEST_F(EventRoutingTest, NothingButAppInitAndAppDeInitGetsThroughBeforeStartUp) {
    for (std::uint32_t code : {GameConnect, GameDisconnect, plugin::ServerChanged,
                               plugin::CreateTabs, plugin::RconResponse}) {
        EXPECT_TRUE(plugin.OnEvent(code, 0, 0)) << code;
        EXPECT_TRUE(actedOn().empty()) << code;
    }
    EXPECT_TRUE(host.log.empty()) << "a dropped ServerChanged must not log";
    EXPECT_FALSE(plugin.active);
}

TEST_F(EventRoutingTest, AfterAppInitTheFiveBackEndsActInRegistrationOrder) {
    send(AppInit);
    EXPECT_TRUE(plugin.active);
    const std::vector<plugin::IInterface*> five = {&plugin.icq2003, &plugin.miranda, &plugin.msn7,
                                                   &plugin.aim, &plugin.trillian};
    EXPECT_EQ(plugin.interfaces, five);
    EXPECT_EQ(host.registered, five) << "each registered with the host once, in the same order";
    const std::vector<std::string> order = {"ICQ2003", "Miranda", "MSN7", "AIM", "Trillian"};
    send(GameConnect);
    EXPECT_EQ(actedOn(), order) << "QIP never acts";
    send(GameDisconnect);
    EXPECT_EQ(actedOn(), order);
    ASSERT_EQ(host.log.size(), 2u);
    EXPECT_EQ(utf8(host.log[1]), "App Init\n");
    send(AppDeInit);
    ASSERT_EQ(host.log.size(), 4u);
    EXPECT_EQ(utf8(host.log[2]), "App DeInit") << "no line end";
}

TEST_F(PluginTest, ServerChangedLogsHostnameAndGameType) {
    struct Row {
        const char* hostname;  // null: no such key
        const char* gameType;
        const char* hostLine;
        const char* typeLine;
    } rows[] = {
        {"Frag Arena", "CoD2", "Server Changed to: Frag Arena\n", "GameType: CoD2\n"},
        {nullptr, "CoD4", "Server Changed to: undef\n", "GameType: CoD4\n"},
        {"Box", nullptr, "Server Changed to: Box\n", "GameType: undef\n"},
    };
    send(AppInit);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.hostLine);
        Value server;
        server.entry(Value("Server")).entry(Value("Addr")) = Value("192.0.2.1:28960");
        if (r.hostname) server.entry(Value("Info")).entry(Value("Hostname")) = Value(r.hostname);
        if (r.gameType) server.entry(Value("Server")).entry(Value("GameType")) = Value(r.gameType);
        const Value before = server;
        host.log.clear();
        send(plugin::ServerChanged, reinterpret_cast<std::uintptr_t>(&server));
        ASSERT_EQ(host.log.size(), 2u);
        EXPECT_EQ(utf8(host.log[0]), r.hostLine);
        EXPECT_EQ(utf8(host.log[1]), r.typeLine);
        EXPECT_EQ(server.compare(before), 0) << "the host's Value is left as it was";
    }
    host.log.clear();
    send(plugin::ServerChanged, 0);
    EXPECT_EQ(host.log, (std::vector<std::u16string>{u"Server Changed to: undef\n",
                                                     u"GameType: undef\n"}))
        << "no Value at all";
}

TEST_F(PluginTest, ShowSettingsWithoutParentShowsNothing) {
    EXPECT_TRUE(plugin.ShowSettings(0));
    EXPECT_EQ(desktop.windowCount(), 0u);
}

TEST(ReplyLines, EveryLineFeedEndsALine) {
    struct Row {
        const char* name;
        std::u16string reply;
        std::vector<std::u16string> lines;
    } rows[] = {
        {"CR LF, LF, empty line, unterminated last", u"a\r\nb\n\nc", {u"a", u"b", u"", u"c"}},
        {"leading LF", u"\nx", {u"", u"x"}},
        {"empty reply", u"", {}},
        {"only CR LF", u"\r\n", {u""}},
        {"CR inside a line is kept", u"a\rb\n", {u"a\rb"}},
        {"CR at the very end without LF is kept", u"a\r", {u"a\r"}},
        {"only the CR right before LF goes", u"a\r\r\n", {u"a\r"}},
    };
    for (const Row& r : rows) {
        const auto lines = plugin::splitReplyLines(r.reply);
        EXPECT_EQ(std::vector<std::u16string>(lines.begin(), lines.end()), r.lines) << r.name;
    }
}

// Stands in for the RCON tab: a window on the desktop and a record of what reached it.
struct FakeTab {
    platform::WindowHandle window = 0;
    std::vector<std::string> calls;
    platform::WindowHandle GetSafeHwnd() const { return window; }
    void OnRconResponse(ui::ZelStringVector<char16_t> lines) {
        std::string joined = "reply";
        for (const auto& l : lines) joined += "|" + utf8(l);
        calls.push_back(joined);
    }
    void OnServerChanged() { calls.push_back("server"); }
    void OnPlayersChanged() { calls.push_back("players"); }
};

TEST(TabRouting, OnlyATabWithALiveWindowHearsServerTraffic) {
    platform::sim::SimDesktop desktop;
    platform::setWindowSystem(&desktop);
    const std::u16string reply = u"first\r\nsecond\n";
    const auto replyData = reinterpret_cast<std::uintptr_t>(&reply);

    FakeTab tab;
    tab.window = desktop.createWindow({.className = u"#32770", .title = u""});
    for (auto [code, data] : {std::pair{plugin::RconResponse, replyData},
                              {plugin::ServerChanged, 0},
                              {plugin::PlayersChanged, 0}, {plugin::GameConnect, 0},
                              {plugin::RconResponse, 0}})
        plugin::routeToTab(&tab, code, data);
    EXPECT_EQ(tab.calls, (std::vector<std::string>{"reply|first|second", "server", "players",
                                                   "reply"}));

    tab.calls.clear();
    desktop.destroyWindow(tab.window);
    for (std::uint32_t code : {plugin::RconResponse, plugin::ServerChanged, plugin::PlayersChanged})
        plugin::routeToTab(&tab, code, replyData);
    EXPECT_TRUE(tab.calls.empty()) << "the window is gone";

    tab.window = 0;
    plugin::routeToTab(&tab, plugin::ServerChanged, 0);
    EXPECT_TRUE(tab.calls.empty()) << "a tab that never made its window";
    plugin::routeToTab(static_cast<FakeTab*>(nullptr), plugin::ServerChanged, 0);
    platform::setWindowSystem(nullptr);
}

}  // namespace
}  // namespace orvane::test
