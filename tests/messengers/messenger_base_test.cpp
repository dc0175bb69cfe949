// What every back-end shares: status tables, defaults, settings in the configuration tree, event
// routing and the host's part in building the away text.
#include <gtest/gtest.h>

#include "messengers/backends.h"
#include "platform/sim/sim_messengers.h"
#include "platform/window_messages.h"
#include "test_support.h"

namespace orvane::messengers {
namespace {

using test::MessengerTest;

// A back-end's six settings on one line: "connect/disconnect minimise changeMessage active 'text'".
std::string settingsOf(IMessengerNotification& b) {
    return std::to_string(b.GetConnectStatus()) + "/" + std::to_string(b.GetDisconnectStatus()) +
           (b.GetMinimize() ? " min" : " -") + (b.GetChangeMessage() ? " msg" : " -") +
           (b.GetActive() ? " act '" : " - '") + test::utf8(b.GetMessage()) + "'";
}

// A status table as "name=command" or "name=command 'dialog title'" entries, joined by "; ".
std::string tableOf(IMessengerNotification& b, std::span<const StatusEntry> table) {
    std::string out;
    for (int i = 0; i < b.GetStatusCount(); ++i) {
        if (i) out += "; ";
        out += test::utf8(b.GetStatusName(i)) + "=" + std::to_string(table[i].command);
        if (table[i].dialogTitle) out += " '" + test::utf8(table[i].dialogTitle) + "'";
    }
    return std::to_string(table.size()) + ": " + out;
}

TEST(StatusTables, EveryRowAndTheDefaults) {
    ICQ2003MN icq;
    MirandaMN miranda;
    QIPMN qip;
    MSN7MN msn;
    AIMMN aim;
    TRILLIANMN trillian;
    const struct {
        const char* name;
        IMessengerNotification* backend;
        std::span<const StatusEntry> table;
        const char* rows;  // count, then the rows
        const char* defaults;
    } cases[] = {
        {"ICQ2003", &icq, kIcq2003Statuses,
         "8: Online=6545; Free for Chat=6291 'Change/Confirm \"Free For Chat\" Message'; "
         "Away=6547 'Change / Confirm Away Message'; N/A=6223 'Change/Confirm N/A Message'; "
         "Occupied=6222 'Change / Confirm Occupied Message'; DND=6548 'Change/Confirm DND "
         "Message'; Privacy=6549; Offline=6546",
         "2/0"},
        {"Miranda", &miranda, kMirandaStatuses,
         "10: Offline=40071; Online=40072 'Change Online Message'; Away=40073 'Change Away "
         "Message'; NA=40075 'Change NA Message'; Occupied=40076 'Change Occupied Message'; "
         "DND=40074 'Change DND Message'; Free for Chat=40077 'Change Free for Chat Message'; "
         "Invisible=40078; On the Phone=40079; Out to Lunch=40080",
         "1/2"},
        {"QIP", &qip, kQipStatuses,
         "14: Offline=75; Invisible for all=73; Invisible=72; Online=71; Do not disturb=69; "
         "Occupied=68; Not Available=213; Away=209; Lunch=65; @Work=63; @Home=62; "
         "Depression=61; Evil=60; Free for Chat=59",
         "7/3"},
        {"MSN7", &msn, kMsn7Statuses,
         "7: Online=0; Busy=1; Be right back=2; Away=3; On the phone=4; Out to lanch=5; "
         "Invisible=6",
         "3/0"},
        {"AIM", &aim, kAimStatuses, "2: Online=0; Away=1", "1/0"},
        {"Trillian", &trillian, kTrillianStatuses, "2: Online=0; Away=1", "1/0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IMessengerNotification* b = c.backend;
        EXPECT_EQ(test::utf8(b->GetName()), c.name);
        ASSERT_EQ(static_cast<std::size_t>(b->GetStatusCount()), c.table.size());
        EXPECT_EQ(tableOf(*b, c.table), c.rows);
        EXPECT_EQ(b->GetStatusName(-1) + b->GetStatusName(b->GetStatusCount()), u"");
        EXPECT_EQ(settingsOf(*b), std::string(c.defaults) +
                                      " - - - 'Playing <GAMEDESC> on <SERVERNAME> "
                                      "(<SERVERADDRPORT>) with Qorv'");
    }
}

using Settings = MessengerTest;

// Setters store and return what they are given, even out of range; loading converts entries of
// the wrong kind and changes only what the node holds, leaving Undef slots for the rest.
TEST_F(Settings, LoadTakesWhatTheNodeHoldsConverted) {
    ICQ2003MN b;
    EXPECT_EQ(b.SetConnectStatus(-1) + b.SetDisconnectStatus(99), 98);
    EXPECT_TRUE(b.SetChangeMessage(true) && b.SetMinimize(true) && b.SetActive(true));
    b.SetMessage(u"mine");
    Value& node = plugin.config.entry(Value("ICQ2003"));
    node.entry(Value("ConnectStatus")) = Value("4");
    node.entry(Value("IsMessage")) = Value("false");
    b.LoadSettings();
    EXPECT_EQ(settingsOf(b), "4/99 min - act 'mine'");
    EXPECT_EQ(node.size(), 6u);
    for (const char* key : {"Message", "DisconnectStatus", "IsMinimize", "IsActive"})
        EXPECT_TRUE(node.existsByName(key, false) && !node.existsByName(key, true)) << key;
    node.entry(Value("DisconnectStatus")) = Value(7.9);
    node.entry(Value("IsMinimize")) = Value(std::int32_t(0));
    node.entry(Value("Message")) = Value("narrow text");
    b.LoadSettings();
    EXPECT_EQ(settingsOf(b), "4/7 - - act 'narrow text'");
}

TEST_F(Settings, SaveThenLoadRestoresAllSixIntoAFreshBackEnd) {
    TRILLIANMN saved;
    saved.SetMessage(u"AFK: <SERVERNAME>");
    saved.SetConnectStatus(0);
    saved.SetDisconnectStatus(1);
    EXPECT_TRUE(saved.SetMinimize(true) && saved.SetChangeMessage(true) && saved.SetActive(true));
    saved.SaveSettings();
    const Value& node = plugin.config.findByName("Trillian");
    EXPECT_EQ(node.findByName("Message").kind(), ValueKind::WideString);
    EXPECT_EQ(node.findByName("ConnectStatus").kind(), ValueKind::Integer);
    EXPECT_EQ(node.findByName("IsActive").kind(), ValueKind::Boolean);
    EXPECT_EQ(node.size(), 6u);
    TRILLIANMN loaded;
    loaded.LoadSettings();
    EXPECT_EQ(settingsOf(loaded), "0/1 min msg act 'AFK: <SERVERNAME>'");
    AIMMN other;
    other.LoadSettings();
    EXPECT_EQ(other.GetConnectStatus(), 1) << "each back-end reads only its own node";

    plugin::g_plugin = nullptr;  // without a plug-in object nothing is read or written
    MirandaMN m;
    m.SetConnectStatus(4);
    m.SaveSettings();
    m.LoadSettings();
    EXPECT_EQ(m.GetConnectStatus(), 4);
    EXPECT_FALSE(plugin.config.existsByName("Miranda", false));
}

using Routing = MessengerTest;

TEST_F(Routing, EventsReachTheirOperationsWhateverActiveSays) {
    ICQ2003MN b;
    EXPECT_FALSE(b.OnEvent(plugin::GameConnect, 0, 0)) << "no ICQ running";
    platform::sim::SimIcq2003 icq(desktop, 10);
    b.SetConnectStatus(7);  // Offline: no dialog
    EXPECT_TRUE(b.OnEvent(plugin::GameConnect, 0, 0));
    EXPECT_EQ(icq.status(), u"Offline");
    EXPECT_TRUE(b.OnEvent(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(icq.status(), u"Online");

    b.SetMessage(u"saved");
    EXPECT_TRUE(b.OnEvent(plugin::AppDeInit, 0, 0));
    b.SetMessage(u"changed");
    EXPECT_TRUE(b.OnEvent(plugin::AppInit, 0, 0));
    EXPECT_EQ(b.GetMessage(), u"saved");

    desktop.clearRecord();
    for (std::uint32_t code : std::initializer_list<std::uint32_t>{
             plugin::CreateTabs, plugin::ServerChanged, plugin::PlayersChanged,
             plugin::RconResponse, 0u})
        EXPECT_FALSE(b.OnEvent(code, 0, 0)) << code;
    EXPECT_TRUE(desktop.messages().empty());
    EXPECT_EQ(host.serverCalls, 3) << "only the game events asked the host";

    MirandaMN m;
    platform::sim::SimMiranda miranda(desktop, 11);
    EXPECT_FALSE(m.OnEvent(plugin::GameConnect, 0, 0)) << "false even when it acted";
    EXPECT_EQ(miranda.status(), u"Online");
}

using FirstSteps = MessengerTest;

TEST_F(FirstSteps, HostFillsTheTemplateFromAnUndefServerValue) {
    platform::sim::SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    b.SetMessage(u"<SERVERNAME> / <GAMEDESC> / <SERVERADDRPORT>");
    b.ApplyStatus(plugin::GameConnect, 0, 0);
    EXPECT_EQ(host.serverCalls, 1);
    EXPECT_TRUE(host.serverCameUndef);
    EXPECT_EQ(host.expandCalls, 1);
    EXPECT_EQ(host.lastExpandedServer.compare(test::FakeHost::server()), 0)
        << "the server Value goes to ExpandVariables unchanged";
    EXPECT_EQ(icq.awayText(), u"Frag Arena / Call of Duty 2 / 192.0.2.7:28960");
    EXPECT_EQ(b.GetMessage(), u"<SERVERNAME> / <GAMEDESC> / <SERVERADDRPORT>") << "template kept";
}

TEST_F(FirstSteps, WithoutServerOrHostTheTextIsStillTyped) {
    host.hasServer = false;
    platform::sim::SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(host.lastExpandedServer.kind(), ValueKind::Undef);
    EXPECT_EQ(icq.awayText(), u"Playing  on  () with Qorv");
    plugin::g_host = nullptr;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(icq.awayText(), kDefaultMessage) << "without a host the template stands";
}

TEST_F(FirstSteps, OnlyGameConnectUsesTheConnectStatusAndMinimises) {
    const struct {
        std::uint32_t code;
        const char16_t* status;
        bool hidden;
    } rows[] = {{plugin::GameConnect, u"Offline", true},
                {plugin::GameDisconnect, u"Privacy", false},
                {0x7357, u"Privacy", false}};  // the settings dialog's test data
    for (const auto& r : rows) {
        SCOPED_TRACE(r.code);
        platform::sim::SimIcq2003 icq(desktop, 10);
        ICQ2003MN b;
        b.SetConnectStatus(7);
        b.SetDisconnectStatus(6);
        b.SetMinimize(true);
        EXPECT_TRUE(b.ApplyStatus(r.code, 0, 0));
        EXPECT_EQ(icq.status(), r.status);
        EXPECT_EQ(!desktop.window(icq.mainWindow())->visible, r.hidden);
    }
}

// An index outside the table must never read a row; the table readers then do nothing.
TEST_F(FirstSteps, OutOfRangeIndicesSendNothingForTableReaders) {
    platform::sim::SimIcq2003 icq(desktop, 10);
    platform::sim::SimMiranda miranda(desktop, 11);
    platform::sim::SimQip qip(desktop, 12);
    platform::sim::SimMsn7 msn(desktop, 13);
    ICQ2003MN icqB;
    MirandaMN mirandaB;
    QIPMN qipB;
    MSN7MN msnB;
    for (IMessengerNotification* b :
         std::initializer_list<IMessengerNotification*>{&icqB, &mirandaB, &qipB, &msnB}) {
        for (int index : {-1, b->GetStatusCount()}) {
            SCOPED_TRACE(test::utf8(b->GetName()) + " index " + std::to_string(index));
            b->SetConnectStatus(index);
            b->SetMinimize(true);
            EXPECT_FALSE(b->ApplyStatus(plugin::GameConnect, 0, 0));
            EXPECT_TRUE(desktop.messages().empty() && desktop.showCalls().empty());
        }
    }
}

TEST_F(FirstSteps, AimAndTrillianGiveEveryIndexAMeaning) {
    platform::sim::SimAim aim(desktop, 20);
    platform::sim::SimTrillian trillian(desktop, 21, platform::sim::SimTrillian::Kind::Classic);
    AIMMN aimB;
    TRILLIANMN trillianB;
    aimB.SetConnectStatus(-1);
    trillianB.SetConnectStatus(-1);
    aim.goAway();
    EXPECT_TRUE(aimB.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(aim.status(), u"Online") << "AIM: anything but 1 is Online";
    EXPECT_TRUE(trillianB.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(trillian.status(), u"Away") << "Trillian: anything but 0 is Away";
}

}  // namespace
}  // namespace orvane::messengers
