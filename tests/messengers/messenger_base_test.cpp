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

struct ExpectedRow {
    const char16_t* name;
    std::int32_t command;
    const char16_t* title;  // null: none
};

struct TableCase {
    const char* backend;
    std::span<const StatusEntry> table;
    std::vector<ExpectedRow> rows;
};

// All six, held by value as the plug-in holds them; backends() lists them in tableCases() order.
struct AllBackends {
    ICQ2003MN icq;
    MirandaMN miranda;
    QIPMN qip;
    MSN7MN msn;
    AIMMN aim;
    TRILLIANMN trillian;
    std::vector<IMessengerNotification*> backends() {
        return {&icq, &miranda, &qip, &msn, &aim, &trillian};
    }
};

std::vector<TableCase> tableCases() {
    return {
        {"ICQ2003",
         kIcq2003Statuses,
         {{u"Online", 6545, nullptr},
          {u"Free for Chat", 6291, u"Change/Confirm \"Free For Chat\" Message"},
          {u"Away", 6547, u"Change / Confirm Away Message"},
          {u"N/A", 6223, u"Change/Confirm N/A Message"},
          {u"Occupied", 6222, u"Change / Confirm Occupied Message"},
          {u"DND", 6548, u"Change/Confirm DND Message"},
          {u"Privacy", 6549, nullptr},
          {u"Offline", 6546, nullptr}}},
        {"Miranda",
         kMirandaStatuses,
         {{u"Offline", 40071, nullptr},
          {u"Online", 40072, u"Change Online Message"},
          {u"Away", 40073, u"Change Away Message"},
          {u"NA", 40075, u"Change NA Message"},
          {u"Occupied", 40076, u"Change Occupied Message"},
          {u"DND", 40074, u"Change DND Message"},
          {u"Free for Chat", 40077, u"Change Free for Chat Message"},
          {u"Invisible", 40078, nullptr},
          {u"On the Phone", 40079, nullptr},
          {u"Out to Lunch", 40080, nullptr}}},
        {"QIP",
         kQipStatuses,
         {{u"Offline", 75, nullptr},
          {u"Invisible for all", 73, nullptr},
          {u"Invisible", 72, nullptr},
          {u"Online", 71, nullptr},
          {u"Do not disturb", 69, nullptr},
          {u"Occupied", 68, nullptr},
          {u"Not Available", 213, nullptr},
          {u"Away", 209, nullptr},
          {u"Lunch", 65, nullptr},
          {u"@Work", 63, nullptr},
          {u"@Home", 62, nullptr},
          {u"Depression", 61, nullptr},
          {u"Evil", 60, nullptr},
          {u"Free for Chat", 59, nullptr}}},
        {"MSN7",
         kMsn7Statuses,
         {{u"Online", 0, nullptr},
          {u"Busy", 1, nullptr},
          {u"Be right back", 2, nullptr},
          {u"Away", 3, nullptr},
          {u"On the phone", 4, nullptr},
          {u"Out to lanch", 5, nullptr},
          {u"Invisible", 6, nullptr}}},
        {"AIM", kAimStatuses, {{u"Online", 0, nullptr}, {u"Away", 1, nullptr}}},
        {"Trillian", kTrillianStatuses, {{u"Online", 0, nullptr}, {u"Away", 1, nullptr}}},
    };
}

TEST(StatusTables, EveryRowExactly) {
    AllBackends all;
    auto cases = tableCases();
    ASSERT_EQ(cases.size(), all.backends().size());
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const TableCase& c = cases[n];
        IMessengerNotification* backend = all.backends()[n];
        SCOPED_TRACE(c.backend);
        EXPECT_EQ(test::utf8(backend->GetName()), c.backend);
        ASSERT_EQ(backend->GetStatusCount(), static_cast<int>(c.rows.size()));
        ASSERT_EQ(c.table.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(backend->GetStatusName(static_cast<int>(i)), c.rows[i].name);
            EXPECT_EQ(c.table[i].command, c.rows[i].command);
            if (c.rows[i].title) {
                ASSERT_NE(c.table[i].dialogTitle, nullptr);
                EXPECT_EQ(std::u16string(c.table[i].dialogTitle), c.rows[i].title);
            } else {
                EXPECT_EQ(c.table[i].dialogTitle, nullptr);
            }
        }
        EXPECT_EQ(backend->GetStatusName(-1), u"");
        EXPECT_EQ(backend->GetStatusName(backend->GetStatusCount()), u"");
    }
}

TEST(Defaults, StatusesTemplateAndFlags) {
    struct Row {
        const char* backend;
        int connect;
        int disconnect;
        const char16_t* connectName;
    };
    const Row rows[] = {{"ICQ2003", 2, 0, u"Away"}, {"Miranda", 1, 2, u"Online"},
                        {"QIP", 7, 3, u"Away"},     {"MSN7", 3, 0, u"Away"},
                        {"AIM", 1, 0, u"Away"},     {"Trillian", 1, 0, u"Away"}};
    AllBackends all;
    ASSERT_EQ(std::size(rows), all.backends().size());
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        IMessengerNotification* backend = all.backends()[i];
        EXPECT_EQ(test::utf8(backend->GetName()), rows[i].backend);
        SCOPED_TRACE(rows[i].backend);
        EXPECT_EQ(backend->GetConnectStatus(), rows[i].connect);
        EXPECT_EQ(backend->GetDisconnectStatus(), rows[i].disconnect);
        EXPECT_EQ(backend->GetStatusName(backend->GetConnectStatus()), rows[i].connectName);
        EXPECT_EQ(backend->GetMessage(),
                  u"Playing <GAMEDESC> on <SERVERNAME> (<SERVERADDRPORT>) with Qorv");
        EXPECT_FALSE(backend->GetChangeMessage());
        EXPECT_FALSE(backend->GetMinimize());
        EXPECT_FALSE(backend->GetActive());
    }
}

TEST(Accessors, SettersStoreAndReturnWhatTheyAreGivenEvenOutOfRange) {
    ICQ2003MN b;
    EXPECT_EQ(b.SetConnectStatus(-1), -1);
    EXPECT_EQ(b.GetConnectStatus(), -1);
    EXPECT_EQ(b.SetDisconnectStatus(99), 99);
    EXPECT_EQ(b.GetDisconnectStatus(), 99);
    EXPECT_EQ(b.GetConnectStatus(), -1) << "the two indices are separate";
    EXPECT_TRUE(b.SetChangeMessage(true));
    EXPECT_TRUE(b.SetMinimize(true));
    EXPECT_FALSE(b.GetActive());
    EXPECT_TRUE(b.SetActive(true));
    EXPECT_TRUE(b.GetChangeMessage());
    EXPECT_TRUE(b.GetMinimize());
    EXPECT_TRUE(b.GetActive());
    b.SetMessage(u"brb");
    EXPECT_EQ(b.GetMessage(), u"brb");
}

using Settings = MessengerTest;

TEST_F(Settings, PartialNodeChangesOnlyWhatItHoldsAndLeavesUndefEntries) {
    MSN7MN b;
    b.SetDisconnectStatus(4);
    b.SetMessage(u"mine");
    b.SetMinimize(true);
    b.SetChangeMessage(true);
    b.SetActive(true);
    plugin.config.entry(Value("MSN7")).entry(Value("ConnectStatus")) = Value(std::int32_t(5));
    b.LoadSettings();
    EXPECT_EQ(b.GetConnectStatus(), 5);
    EXPECT_EQ(b.GetDisconnectStatus(), 4);
    EXPECT_EQ(b.GetMessage(), u"mine");
    EXPECT_TRUE(b.GetMinimize());
    EXPECT_TRUE(b.GetChangeMessage());
    EXPECT_TRUE(b.GetActive());

    const Value& node = plugin.config.findByName("MSN7");
    EXPECT_EQ(node.size(), 6u);
    for (const char* key : {"Message", "DisconnectStatus", "IsMinimize", "IsMessage", "IsActive"}) {
        EXPECT_TRUE(node.existsByName(key, false)) << key;
        EXPECT_FALSE(node.existsByName(key, true)) << key << " should be Undef";
    }
}

TEST_F(Settings, SaveThenLoadRestoresAllSixIntoAFreshBackEnd) {
    TRILLIANMN saved;
    saved.SetMessage(u"AFK: <SERVERNAME>");
    saved.SetConnectStatus(0);
    saved.SetDisconnectStatus(1);
    saved.SetMinimize(true);
    saved.SetChangeMessage(true);
    saved.SetActive(true);
    saved.SaveSettings();

    const Value& node = plugin.config.findByName("Trillian");
    EXPECT_EQ(node.findByName("Message").kind(), ValueKind::WideString);
    EXPECT_EQ(node.findByName("ConnectStatus").kind(), ValueKind::Integer);
    EXPECT_EQ(node.findByName("IsActive").kind(), ValueKind::Boolean);
    EXPECT_EQ(node.size(), 6u);

    TRILLIANMN loaded;
    loaded.LoadSettings();
    EXPECT_EQ(loaded.GetMessage(), u"AFK: <SERVERNAME>");
    EXPECT_EQ(loaded.GetConnectStatus(), 0);
    EXPECT_EQ(loaded.GetDisconnectStatus(), 1);
    EXPECT_TRUE(loaded.GetMinimize());
    EXPECT_TRUE(loaded.GetChangeMessage());
    EXPECT_TRUE(loaded.GetActive());

    AIMMN other;
    other.LoadSettings();
    EXPECT_EQ(other.GetConnectStatus(), 1) << "each back-end reads only its own node";
}

TEST_F(Settings, EntriesOfTheWrongKindAreConvertedNotRejected) {
    Value& node = plugin.config.entry(Value("ICQ2003"));
    node.entry(Value("ConnectStatus")) = Value("4");
    node.entry(Value("DisconnectStatus")) = Value(7.9);
    node.entry(Value("IsMinimize")) = Value(std::int32_t(1));
    node.entry(Value("IsMessage")) = Value("false");
    node.entry(Value("Message")) = Value("narrow text");
    ICQ2003MN b;
    b.SetChangeMessage(true);
    b.LoadSettings();
    EXPECT_EQ(b.GetConnectStatus(), 4);
    EXPECT_EQ(b.GetDisconnectStatus(), 7);
    EXPECT_TRUE(b.GetMinimize());
    EXPECT_FALSE(b.GetChangeMessage());
    EXPECT_EQ(b.GetMessage(), u"narrow text");
}

TEST_F(Settings, WithoutAPluginObjectNothingIsReadOrWritten) {
    plugin::g_plugin = nullptr;
    MirandaMN b;
    b.SetConnectStatus(4);
    b.SaveSettings();
    b.LoadSettings();
    EXPECT_EQ(b.GetConnectStatus(), 4);
    EXPECT_EQ(plugin.config.kind(), ValueKind::Undef);
}

using Routing = MessengerTest;

TEST_F(Routing, EventsReachTheirOperationsWhateverActiveSays) {
    platform::sim::SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    ASSERT_FALSE(b.GetActive());
    b.SetConnectStatus(7);  // Offline: no dialog
    EXPECT_TRUE(b.OnEvent(plugin::GameConnect, 0, 0));
    EXPECT_EQ(icq.status(), u"Offline");
    EXPECT_TRUE(b.OnEvent(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(icq.status(), u"Online");

    b.SetMessage(u"saved");
    EXPECT_TRUE(b.OnEvent(plugin::AppDeInit, 0, 0));
    EXPECT_EQ(plugin.config.findByName("ICQ2003").findByName("Message").toWideString(), u"saved");
    b.SetMessage(u"changed");
    EXPECT_TRUE(b.OnEvent(plugin::AppInit, 0, 0));
    EXPECT_EQ(b.GetMessage(), u"saved");

    desktop.clearRecord();
    for (std::uint32_t code : std::initializer_list<std::uint32_t>{
             plugin::CreateTabs, plugin::ServerChanged, plugin::PlayersChanged,
             plugin::RconResponse, 0u, 0x2003u}) {
        EXPECT_FALSE(b.OnEvent(code, 0, 0)) << code;
    }
    EXPECT_TRUE(desktop.messages().empty());
    EXPECT_EQ(host.serverCalls, 2) << "only the two game events asked the host";
}

TEST_F(Routing, ApplyStatusResultComesBackThroughOnEvent) {
    ICQ2003MN b;
    EXPECT_FALSE(b.OnEvent(plugin::GameConnect, 0, 0)) << "no ICQ running";
    MirandaMN m;
    platform::sim::SimMiranda miranda(desktop, 11);
    EXPECT_FALSE(m.OnEvent(plugin::GameConnect, 0, 0))
        << "Miranda reports false even when it acted";
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
    EXPECT_EQ(host.lastTemplate, u"<SERVERNAME> / <GAMEDESC> / <SERVERADDRPORT>");
    EXPECT_EQ(host.lastExpandedServer.compare(test::FakeHost::server()), 0)
        << "the server Value goes to ExpandVariables unchanged";
    EXPECT_EQ(icq.awayText(), u"Frag Arena / Call of Duty 2 / 192.0.2.7:28960");
    EXPECT_EQ(b.GetMessage(), u"<SERVERNAME> / <GAMEDESC> / <SERVERADDRPORT>")
        << "the template is kept";
}

TEST_F(FirstSteps, NoCurrentServerStillExpandsAndActs) {
    host.hasServer = false;
    platform::sim::SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(host.lastExpandedServer.kind(), ValueKind::Undef);
    EXPECT_EQ(icq.awayText(), u"Playing  on  () with Qorv");
}

TEST_F(FirstSteps, WithoutAHostTheTemplateIsTypedAsItStands) {
    plugin::g_host = nullptr;
    platform::sim::SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(icq.awayText(), kDefaultMessage);
}

TEST_F(FirstSteps, OnlyGameConnectUsesTheConnectStatusAndMinimises) {
    struct Row {
        const char* name;
        std::uint32_t code;
        const char16_t* status;
        bool hidden;
    };
    const Row rows[] = {
        {"connect", plugin::GameConnect, u"Offline", true},
        {"disconnect", plugin::GameDisconnect, u"Privacy", false},
        {"settings dialog test data", 0x7357, u"Privacy", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
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
    struct Row {
        const char* name;
        IMessengerNotification* b;
    };
    const Row rows[] = {{"ICQ", &icqB}, {"Miranda", &mirandaB}, {"QIP", &qipB}, {"MSN7", &msnB}};
    for (const Row& r : rows) {
        for (int index : {-1, r.b->GetStatusCount(), 1 << 30}) {
            SCOPED_TRACE(std::string(r.name) + " index " + std::to_string(index));
            r.b->SetConnectStatus(index);
            r.b->SetMinimize(true);
            desktop.clearRecord();
            EXPECT_FALSE(r.b->ApplyStatus(plugin::GameConnect, 0, 0));
            EXPECT_TRUE(desktop.messages().empty());
            EXPECT_TRUE(desktop.showCalls().empty());
            EXPECT_EQ(r.b->GetConnectStatus(), index) << "the stored index is left alone";
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
