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
    const char16_t* shown[] = {u"Online",       u"Busy",         u"Be Right Back", u"Away",
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

TEST_F(Msn7, NotRunningPostsNothing) {
    MSN7MN b;
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
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
    ASSERT_EQ(desktop.showCalls().size(), 2u);
    EXPECT_EQ(desktop.showCalls()[0].target, aim.awayWindow());
    EXPECT_EQ(desktop.showCalls()[0].command, platform::kSwMinimize);
    EXPECT_EQ(desktop.showCalls()[1].target, aim.mainWindow());
    EXPECT_EQ(desktop.showCalls()[1].command, platform::kSwHide);
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
    struct Row {
        const char* name;
        SimAim::Parts parts;
    };
    const Row rows[] = {
        {"no idle alarm", {.idleAlarm = false, .mainWindow = true, .textWindow = true}},
        {"no buddy list", {.idleAlarm = true, .mainWindow = false, .textWindow = true}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        SimAim aim(desktop, 50, r.parts);
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
    ASSERT_EQ(desktop.showCalls().size(), 1u);
    EXPECT_EQ(desktop.showCalls()[0].command, platform::kSwMinimize);
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
    ASSERT_EQ(desktop.showCalls().size(), 1u);
    EXPECT_EQ(desktop.showCalls()[0].command, platform::kSwShowMinimized);
}

TEST_F(Trillian, ContactListAwayGoesThroughTheIconHolder) {
    SimTrillian t(desktop, 60, SimTrillian::Kind::ContactList);
    TRILLIANMN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    const Lines lines = sent();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "send Static \"iconholder\" WM_COMMAND 30050 0");
    EXPECT_EQ(Lines(lines.begin() + 1, lines.begin() + 3), awayDialogSteps(kText));
    EXPECT_EQ(t.status(), u"Away");
    EXPECT_EQ(t.awayText(), test::kExpandedDefault);
    EXPECT_TRUE(desktop.showCalls().empty());
}

TEST_F(Trillian, EmptyTextIsTypedAllTheSame) {
    SimTrillian t(desktop, 60, SimTrillian::Kind::Classic);
    TRILLIANMN b;
    b.SetMessage(u"");
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent()[2], "send Edit WM_SETTEXT \"\"");
    EXPECT_EQ(t.status(), u"Away");
}

TEST_F(Trillian, NoDialogMeansFalseAndNoMinimising) {
    SimTrillian t(desktop, 60, SimTrillian::Kind::Classic,
                  {.iconHolder = true, .awayDialog = false});
    TRILLIANMN b;
    b.SetMinimize(true);
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send trillian \"Trillian\" WM_COMMAND 40019 0"}));
    EXPECT_TRUE(desktop.showCalls().empty());
    EXPECT_EQ(t.status(), u"Online");
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

TEST_F(Trillian, MissingIconHolder) {
    {
        SimTrillian classic(desktop, 60, SimTrillian::Kind::Classic,
                            {.iconHolder = false, .awayDialog = true});
        TRILLIANMN b;
        EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0))
            << "classic: nothing to send, still true";
        EXPECT_TRUE(desktop.messages().empty());
    }
    SimTrillian list(desktop, 61, SimTrillian::Kind::ContactList,
                     {.iconHolder = false, .awayDialog = true});
    TRILLIANMN b;
    b.SetMinimize(true);
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
    EXPECT_TRUE(desktop.showCalls().empty());
}

TEST_F(Trillian, ContactListMustBeTitledTrillian) {
    platform::sim::SimWindow w;
    w.className = u"icoCTactTrilly";
    w.title = u"Contacts";
    WindowHandle list = desktop.createWindow(w);
    platform::sim::SimWindow holder;
    holder.className = u"Static";
    holder.title = u"iconholder";
    holder.parent = list;
    desktop.createWindow(holder);
    TRILLIANMN b;
    EXPECT_FALSE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
}

}  // namespace
}  // namespace orvane::messengers
