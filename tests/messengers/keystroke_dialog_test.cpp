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
    Lines out{"post MSNHiddenWindowClass WM_COMMAND 101 0"};
    for (int i = 0; i < 6; ++i) out.push_back("post MSNHiddenWindowClass WM_KEYDOWN 38 0");
    out.push_back("post MSNHiddenWindowClass WM_KEYDOWN 39 0");
    for (int i = 0; i < downs; ++i) out.push_back("post MSNHiddenWindowClass WM_KEYDOWN 40 0");
    out.push_back("post MSNHiddenWindowClass WM_KEYDOWN 13 0");
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

TEST_F(Msn7, MinimiseClosesTheMainWindowOnlyWhenThereIsOne) {
    EXPECT_FALSE(MSN7MN().ApplyStatus(plugin::GameConnect, 0, 0)) << "not running";
    EXPECT_TRUE(desktop.messages().empty());
    {
        SimMsn7 msn(desktop, 40);
        MSN7MN b;
        b.SetMinimize(true);
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        Lines expected = msnKeys(3);
        expected.push_back("send MSBLWindowClass \"MSN Messenger\" WM_CLOSE 0 0");
        EXPECT_EQ(sent(), expected);
        desktop.pump();
        EXPECT_EQ(msn.describe(), u"MSN Messenger 7: Away, main window closed");
    }
    desktop.clearRecord();
    SimMsn7 msn(desktop, 41, /*withMainWindow=*/false);
    MSN7MN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), msnKeys(3));
    EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(desktop.messages().size(), 2 * msnKeys(3).size() - 3)
        << "no WM_CLOSE on disconnect either";
}

using Aim = test::MessengerTest;

TEST_F(Aim, AwayOpensTheAwayWindowTypesTheTextAndMinimisesIt) {
    SimAim aim(desktop, 50);
    AIMMN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{
                          "send _Oscar_StatusNotify WM_COMMAND 20003 0",
                          "send #32770 \"Buddy List\" WM_COMMAND 24003 0",
                          "send Ate32Class WM_SETTEXT \"" + kText + "\"",
                      }));
    EXPECT_EQ(shown(), (Shows{{aim.awayWindow(), platform::kSwMinimize},
                              {aim.mainWindow(), platform::kSwHide}}));
    EXPECT_EQ(aim.describe(), u"AIM: Away, away text \"" + std::u16string(test::kExpandedDefault) +
                                  u"\", main window hidden, away window minimised");
}

TEST_F(Aim, DisconnectCancelsTheAwayWindowWithoutText) {
    SimAim aim(desktop, 50);
    aim.goAway();
    AIMMN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{
                          "send _Oscar_StatusNotify WM_COMMAND 20003 0",
                          "send AwayMessage \"Playing Game\" WM_COMMAND 2 0",
                      }));
    EXPECT_TRUE(desktop.showCalls().empty()) << "no minimising on disconnect";
    EXPECT_EQ(aim.describe(), u"AIM: Online, main window shown");

    desktop.clearRecord();
    EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send _Oscar_StatusNotify WM_COMMAND 20003 0"}))
        << "no away window left";
}

TEST_F(Aim, PartialRunsHaveSentTheNotifyCommandAlready) {
    using P = SimAim::Parts;
    for (P parts : {P{.idleAlarm = false, .mainWindow = true, .textWindow = true},
                    P{.idleAlarm = true, .mainWindow = false, .textWindow = true}}) {
        SCOPED_TRACE(parts.idleAlarm ? "no buddy list" : "no idle alarm");
        SimAim aim(desktop, 50, parts);
        AIMMN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_EQ(sent(), (Lines{"send _Oscar_StatusNotify WM_COMMAND 20003 0"}));
        EXPECT_EQ(aim.notifyCommands(), 1);
        EXPECT_TRUE(desktop.showCalls().empty());
    }
    AIMMN b;
    desktop.clearRecord();
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0)) << "not running";
    EXPECT_TRUE(desktop.messages().empty());
}

TEST_F(Aim, AwayWindowWithoutItsTextWindowIsStillMinimised) {
    SimAim aim(desktop, 50, {.idleAlarm = true, .mainWindow = true, .textWindow = false});
    AIMMN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent().size(), 2u) << "no WM_SETTEXT";
    EXPECT_EQ(shown(), (Shows{{aim.awayWindow(), platform::kSwMinimize}}));
    EXPECT_EQ(aim.status(), u"Away");
}

using Trillian = test::MessengerTest;

Lines awayDialogSteps(const std::string& text) {
    return {
        "send Button \"Keep this message\" BM_SETCHECK 0 0",
        "send Edit WM_SETTEXT \"" + text + "\"",
    };
}

TEST_F(Trillian, ClassicAwayGoesThroughItsOwnWindowAndTheDialog) {
    SimTrillian t(desktop, 60, SimTrillian::Kind::Classic);
    TRILLIANMN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    Lines expected{"send trillian \"Trillian\" WM_COMMAND 40019 0"};
    for (auto& line : awayDialogSteps(kText)) expected.push_back(line);
    ASSERT_EQ(sent().size(), 4u);
    const auto& click = desktop.messages()[3];
    expected.push_back("send #32770 \"Add Away Message\" WM_COMMAND 1047 " +
                       std::to_string(click.lParam));
    EXPECT_EQ(sent(), expected);
    EXPECT_NE(click.lParam, 0) << "the click carries the button's handle";
    EXPECT_EQ(t.describe(), u"Trillian (classic): Away, away text \"" +
                                std::u16string(test::kExpandedDefault) +
                                u"\", main window minimised, message not kept");
    EXPECT_EQ(shown(), (Shows{{t.mainWindow(), platform::kSwShowMinimized}}));
}

TEST_F(Trillian, ContactListAwayGoesThroughTheIconHolderAndTypesEvenEmptyText) {
    SimTrillian t(desktop, 60, SimTrillian::Kind::ContactList);
    TRILLIANMN b;
    b.SetMessage(u"");
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    const Lines lines = sent();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "send Static \"iconholder\" WM_COMMAND 30050 0");
    EXPECT_EQ(Lines(lines.begin() + 1, lines.begin() + 3), awayDialogSteps(""));
    EXPECT_EQ(t.status(), u"Away");
    EXPECT_TRUE(desktop.showCalls().empty());
}

TEST_F(Trillian, OnlineSendsTheTwentyConnectionCommandsToTheIconHolder) {
    for (auto kind : {SimTrillian::Kind::Classic, SimTrillian::Kind::ContactList}) {
        SimTrillian t(desktop, 60, kind);
        TRILLIANMN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
        Lines expected;
        for (int c = 5501; c <= 5520; ++c)
            expected.push_back("send Static \"iconholder\" WM_COMMAND " + std::to_string(c) + " 0");
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
        EXPECT_EQ(t.status(), u"Online");
    }
}

TEST_F(Trillian, ContactListMustBeTitledTrillian) {
    WindowHandle list =
        desktop.createWindow({.className = u"icoCTactTrilly", .title = u"Contacts"});
    desktop.createWindow({.className = u"Static", .title = u"iconholder", .parent = list});
    TRILLIANMN b;
    EXPECT_FALSE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
}

}  // namespace
}  // namespace orvane::messengers
