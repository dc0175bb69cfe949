// MSN Messenger 7 (posted key strokes), AIM (notify, buddy list and away window) and Trillian (both
// kinds, its "Add Away Message" dialog).
#include <gtest/gtest.h>

#include "messengers/backends.h"
#include "platform/sim/sim_messengers.h"
#include "platform/window_messages.h"
#include "test_support.h"

namespace orvane::messengers {
namespace {

using platform::WindowHandle;
using platform::sim::SimAim;
using platform::sim::SimMsn7;
using platform::sim::SimTrillian;
using Lines = std::vector<std::string>;
using Shows = std::vector<std::pair<WindowHandle, int>>;

const std::string kText = test::utf8(test::kExpandedDefault);

Lines msnKeys(int downs) {
    const std::string key = "post MSNHiddenWindowClass WM_KEYDOWN ";
    Lines out{"post MSNHiddenWindowClass WM_COMMAND 101 0"};
    out.insert(out.end(), 6, key + "38 0");
    out.push_back(key + "39 0");
    out.insert(out.end(), static_cast<std::size_t>(downs), key + "40 0");
    out.push_back(key + "13 0");
    return out;
}

using Msn7 = test::MessengerTest;

TEST_F(Msn7, KeysPickEveryStatusFromTheMenu) {
    const char16_t* shown[] = {u"Online", u"Busy", u"Be Right Back", u"Away",
                               u"On The Phone", u"Out To Lunch", u"Appear Offline"};
    for (int index = 0; index < 7; ++index) {
        SCOPED_TRACE(index);
        SimMsn7 msn(desktop, 40);
        MSN7MN b;
        b.SetConnectStatus(index);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_EQ(sent(), msnKeys(index));
        EXPECT_EQ(msn.status(), u"Online")
            << "nothing happens before the messenger reads its queue";
        desktop.pump();
        EXPECT_EQ(msn.status(), shown[index]);
        EXPECT_FALSE(msn.menuOpen());
    }
}

TEST_F(Msn7, MinimiseClosesTheMainWindowOnConnectOnlyWhenThereIsOne) {
    EXPECT_FALSE(MSN7MN().ApplyStatus(plugin::GameConnect, 0, 0)) << "not running";
    for (bool withMain : {true, false}) {
        SCOPED_TRACE(withMain);
        SimMsn7 msn(desktop, 40, withMain);
        MSN7MN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        Lines expected = msnKeys(3);
        if (withMain) expected.push_back("send MSBLWindowClass \"MSN Messenger\" WM_CLOSE 0 0");
        EXPECT_EQ(sent(), expected);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
        EXPECT_EQ(sent(), msnKeys(0)) << "no WM_CLOSE on disconnect";
    }
}

using Aim = test::MessengerTest;

TEST_F(Aim, AwayOpensTheAwayWindowTypesTheTextAndMinimisesIt) {
    SimAim aim(desktop, 50);
    AIMMN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send _Oscar_StatusNotify WM_COMMAND 20003 0",
                             "send #32770 \"Buddy List\" WM_COMMAND 24003 0",
                             "send Ate32Class WM_SETTEXT \"" + kText + "\""}));
    EXPECT_EQ(shown(), (Shows{{aim.awayWindow(), platform::kSwMinimize},
                              {aim.mainWindow(), platform::kSwHide}}));
    EXPECT_EQ(aim.describe(), u"AIM: Away, away text \"" + std::u16string(test::kExpandedDefault) +
                                  u"\", main window hidden, away window minimised");

    desktop.clearRecord();
    EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send _Oscar_StatusNotify WM_COMMAND 20003 0",
                             "send AwayMessage \"Playing Game\" WM_COMMAND 2 0"}));
    EXPECT_TRUE(desktop.showCalls().empty()) << "no minimising on disconnect";
    EXPECT_EQ(aim.describe(), u"AIM: Online, main window hidden");
    desktop.clearRecord();
    EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send _Oscar_StatusNotify WM_COMMAND 20003 0"})) << "no away window";
}

TEST_F(Aim, MissingPartsStopAfterTheNotifyCommand) {
    using P = SimAim::Parts;
    const struct {
        const char* name;
        P parts;
        bool result;
        std::size_t sent;
        Shows (*shows)(const SimAim&);
    } rows[] = {
        {"no idle alarm", {.idleAlarm = false, .mainWindow = true, .textWindow = true}, false, 1,
         [](const SimAim&) { return Shows{}; }},
        {"no buddy list", {.idleAlarm = true, .mainWindow = false, .textWindow = true}, false, 1,
         [](const SimAim&) { return Shows{}; }},
        {"no text window: no text, still minimised",
         {.idleAlarm = true, .mainWindow = true, .textWindow = false}, true, 2,
         [](const SimAim& a) { return Shows{{a.awayWindow(), platform::kSwMinimize}}; }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SimAim aim(desktop, 50, r.parts);
        AIMMN b;
        desktop.clearRecord();
        EXPECT_EQ(b.ApplyStatus(plugin::GameConnect, 0, 0), r.result);
        EXPECT_EQ(sent().size(), r.sent);
        EXPECT_EQ(aim.notifyCommands(), 1);
        EXPECT_EQ(shown(), r.shows(aim));
    }
}

using Trillian = test::MessengerTest;

TEST_F(Trillian, AwayGoesThroughTheDialogFromEitherKind) {
    const struct {
        SimTrillian::Kind kind;
        const char* first;
        const char16_t* message;  // typed even when empty
        bool minimize;
    } rows[] = {{SimTrillian::Kind::Classic, "send trillian \"Trillian\" WM_COMMAND 40019 0",
                 test::kExpandedDefault, true},
                {SimTrillian::Kind::ContactList, "send Static \"iconholder\" WM_COMMAND 30050 0",
                 u"", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.first);
        SimTrillian t(desktop, 60, r.kind);
        TRILLIANMN b;
        b.SetMinimize(r.minimize);
        b.SetMessage(r.message);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        ASSERT_EQ(desktop.messages().size(), 4u);
        const auto& click = desktop.messages()[3];
        EXPECT_NE(click.lParam, 0) << "the click carries the button's handle";
        EXPECT_EQ(sent(), (Lines{r.first, "send Button \"Keep this message\" BM_SETCHECK 0 0",
                                 "send Edit WM_SETTEXT \"" + test::utf8(r.message) + "\"",
                                 "send #32770 \"Add Away Message\" WM_COMMAND 1047 " +
                                     std::to_string(click.lParam)}));
        EXPECT_EQ(shown(), r.minimize ? (Shows{{t.mainWindow(), platform::kSwShowMinimized}}) : Shows());
        EXPECT_EQ(t.status(), u"Away");
    }
    // The classic kind's own view of it.
    SimTrillian classic(desktop, 61, SimTrillian::Kind::Classic);
    TRILLIANMN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(classic.describe(), u"Trillian (classic): Away, away text \"" +
                                      std::u16string(test::kExpandedDefault) +
                                      u"\", main window shown, message not kept");
}

TEST_F(Trillian, OnlineSendsTheTwentyConnectionCommandsToTheIconHolder) {
    Lines expected;
    for (int c = 5501; c <= 5520; ++c)
        expected.push_back("send Static \"iconholder\" WM_COMMAND " + std::to_string(c) + " 0");
    for (auto kind : {SimTrillian::Kind::Classic, SimTrillian::Kind::ContactList}) {
        SimTrillian t(desktop, 60, kind);
        TRILLIANMN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
        EXPECT_EQ(sent(), expected);
        EXPECT_EQ(t.connectionsOnline(), 20);
        EXPECT_TRUE(desktop.showCalls().empty()) << "no minimising on disconnect";
    }
}

TEST_F(Trillian, MissingPartsStopTheRunWithoutMinimising) {
    using K = SimTrillian::Kind;
    const struct {
        const char* name;
        K kind;
        SimTrillian::Parts parts;
        std::uint32_t code;
        bool result;
        Lines sent;
    } rows[] = {
        {"no away dialog", K::Classic, {.iconHolder = true, .awayDialog = false},
         plugin::GameConnect, false, {"send trillian \"Trillian\" WM_COMMAND 40019 0"}},
        {"classic without icon holder: still true", K::Classic,
         {.iconHolder = false, .awayDialog = true}, plugin::GameDisconnect, true, {}},
        {"contact list without icon holder", K::ContactList,
         {.iconHolder = false, .awayDialog = true}, plugin::GameConnect, false, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SimTrillian t(desktop, 60, r.kind, r.parts);
        TRILLIANMN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_EQ(b.ApplyStatus(r.code, 0, 0), r.result);
        EXPECT_EQ(sent(), r.sent);
        EXPECT_TRUE(desktop.showCalls().empty());
    }
    // A contact list not titled "Trillian" is not Trillian's.
    desktop.clearRecord();
    WindowHandle list =
        desktop.createWindow({.className = u"icoCTactTrilly", .title = u"Contacts"});
    desktop.createWindow({.className = u"Static", .title = u"iconholder", .parent = list});
    EXPECT_FALSE(TRILLIANMN().ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
}

}  // namespace
}  // namespace orvane::messengers
