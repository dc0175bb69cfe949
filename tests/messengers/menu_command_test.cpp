// ICQ 2003, Miranda and QIP: menu commands to the main window, then the away text into the
// messenger's own dialog.
#include <gtest/gtest.h>

#include "messengers/backends.h"
#include "platform/sim/sim_messengers.h"
#include "platform/window_messages.h"
#include "test_support.h"

namespace orvane::messengers {
namespace {

using platform::WindowHandle;
using platform::sim::SimIcq2003;
using platform::sim::SimMiranda;
using platform::sim::SimQip;
using platform::sim::SimWindow;
using Lines = std::vector<std::string>;

const std::string kText = test::utf8(test::kExpandedDefault);

using Icq = test::MessengerTest;

TEST_F(Icq, OnlineIsOneCommandAndNoDialog) {
    SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6545 0"}));
    EXPECT_EQ(icq.describe(), u"ICQ 2003: Online, main window shown");
}

TEST_F(Icq, AwayTypesTheTextIntoTheDialogAndConfirmsIt) {
    SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{
                          "send #32770 \"ICQ\" WM_COMMAND 6547 0",
                          "send Edit WM_SETTEXT \"" + kText + "\"",
                          "send #32770 \"Change / Confirm Away Message\" WM_COMMAND 1 0",
                      }));
    EXPECT_EQ(icq.status(), u"Away");
    EXPECT_EQ(icq.awayText(), test::kExpandedDefault);
    EXPECT_EQ(desktop.findWindow(nullptr, u"Change / Confirm Away Message"), 0u) << "dialog closed";
    EXPECT_TRUE(desktop.showCalls().empty()) << "minimise is off";
}

TEST_F(Icq, EveryStatusReachesTheMessengerWithItsText) {
    struct Row {
        int index;
        const char16_t* status;
        bool asksForText;
    };
    const Row rows[] = {{0, u"Online", false},  {1, u"Free For Chat", true}, {2, u"Away", true},
                        {3, u"N/A", true},      {4, u"Occupied", true},      {5, u"DND", true},
                        {6, u"Privacy", false}, {7, u"Offline", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        SimIcq2003 icq(desktop, 10);
        ICQ2003MN b;
        b.SetConnectStatus(r.index);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_EQ(icq.status(), r.status);
        EXPECT_EQ(icq.awayText(), r.asksForText ? test::kExpandedDefault : u"");
        EXPECT_EQ(desktop.messages().size(), r.asksForText ? 3u : 1u);
    }
}

TEST_F(Icq, MainWindowIsTheDialogOfTheApiWindowsProcess) {
    SimWindow stranger;
    stranger.className = u"#32770";
    stranger.title = u"Some other program";
    stranger.processId = 99;
    WindowHandle before = desktop.createWindow(stranger);
    SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    b.SetConnectStatus(7);
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6546 0"}));
    EXPECT_TRUE(desktop.window(before)->visible) << "another program's window is left alone";
    EXPECT_EQ(icq.describe(), u"ICQ 2003: Offline, main window hidden");
}

TEST_F(Icq, WithoutItsMainWindowOrWithoutItselfNothingIsSent) {
    {
        ICQ2003MN b;
        EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0)) << "not running";
    }
    SimWindow stranger;
    stranger.className = u"#32770";
    stranger.processId = 99;
    desktop.createWindow(stranger);
    SimIcq2003 icq(desktop, 10, /*withMainWindow=*/false);
    ICQ2003MN b;
    b.SetMinimize(true);
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
    EXPECT_TRUE(desktop.showCalls().empty());
}

TEST_F(Icq, MissingDialogStillHidesAfterTheCommand) {
    // An ICQ whose main window ignores the command: no dialog appears.
    SimWindow api;
    api.className = u"ICQMsgAPI Window";
    api.processId = 10;
    desktop.createWindow(api);
    SimWindow main = api;
    main.className = u"#32770";
    main.title = u"ICQ";
    WindowHandle mainWindow = desktop.createWindow(main);
    ICQ2003MN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6547 0"}));
    ASSERT_EQ(desktop.showCalls().size(), 1u);
    EXPECT_EQ(desktop.showCalls()[0].target, mainWindow);
    EXPECT_EQ(desktop.showCalls()[0].command, platform::kSwHide);
}

TEST_F(Icq, EmptyTextLeavesTheDialogUntouched) {
    SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    b.SetMessage(u"");
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6547 0"}));
    EXPECT_NE(desktop.findWindow(nullptr, u"Change / Confirm Away Message"), 0u)
        << "the messenger's dialog is left for the user";
}

TEST_F(Icq, TheQuotedFreeForChatTitleIsFound) {
    SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    b.SetConnectStatus(1);
    b.SetMessage(u"fragging");
    b.ApplyStatus(plugin::GameConnect, 0, 0);
    EXPECT_EQ(sent().back(),
              "send #32770 \"Change/Confirm \"Free For Chat\" Message\" WM_COMMAND 1 0");
    EXPECT_EQ(icq.awayText(), u"fragging");
}

using Miranda = test::MessengerTest;

TEST_F(Miranda, EmptyTextSendsTheCommandOnly) {
    SimMiranda miranda(desktop, 11);
    MirandaMN b;
    b.SetMessage(u"");
    EXPECT_FALSE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send Miranda \"Miranda IM\" WM_COMMAND 40073 0"}));
    EXPECT_EQ(miranda.status(), u"Away");
    EXPECT_EQ(miranda.awayText(), u"");
}

TEST_F(Miranda, EveryInstanceInWindowManagerOrderEachWithItsDialog) {
    SimMiranda first(desktop, 11);
    SimMiranda second(desktop, 12);
    MirandaMN b;
    b.SetMinimize(true);
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0)) << "Miranda always reports false";
    const Lines perInstance = {
        "send Miranda \"Miranda IM\" WM_COMMAND 40072 0",
        "send Edit WM_SETTEXT \"" + kText + "\"",
        "send #32770 \"Change Online Message\" WM_COMMAND 1 0",
    };
    Lines expected = perInstance;
    expected.insert(expected.end(), perInstance.begin(), perInstance.end());
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(desktop.messages()[0].target, first.mainWindow());
    EXPECT_EQ(desktop.messages()[3].target, second.mainWindow());
    for (const SimMiranda* m : {&first, &second}) {
        EXPECT_EQ(m->describe(), u"Miranda: Online, away text \"" +
                                     std::u16string(test::kExpandedDefault) +
                                     u"\", main window hidden");
    }
}

TEST_F(Miranda, NotRunningSendsNothing) {
    MirandaMN b;
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty());
}

TEST_F(Miranda, StatusWithoutDialogAndNoMinimiseOnDisconnect) {
    SimMiranda miranda(desktop, 11);
    MirandaMN b;
    b.SetDisconnectStatus(9);
    b.SetMinimize(true);
    b.ApplyStatus(plugin::GameDisconnect, 0, 0);
    EXPECT_EQ(sent(), (Lines{"send Miranda \"Miranda IM\" WM_COMMAND 40080 0"}));
    EXPECT_TRUE(desktop.showCalls().empty());
    EXPECT_EQ(miranda.status(), u"Out to Lunch");
}

using Qip = test::MessengerTest;

TEST_F(Qip, WalkEndsAtTheFirstWindowThatIsNotQips) {
    struct Row {
        const char* name;
        const char16_t* secondTitle;
        bool secondHasEdit;
        bool secondReached;
    };
    const Row rows[] = {
        {"two QIPs", u"[qip] second", true, true},
        {"foreign TMainForm", u"Delphi tool", false, false},
        {"upper-case mark", u"[QIP] second", true, false},
        {"empty title", u"", true, false},
        {"no edit field", u"[qip] second", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        SimQip first(desktop, 30);
        SimQip second(desktop, 31, r.secondTitle, r.secondHasEdit);
        SimQip third(desktop, 32);
        QIPMN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_EQ(first.status(), u"Away");
        EXPECT_EQ(second.status(), r.secondReached ? u"Away" : u"Offline");
        EXPECT_EQ(third.status(), r.secondReached ? u"Away" : u"Offline");
        EXPECT_EQ(desktop.messages().size(), r.secondReached ? 3u : 1u)
            << "one command each, no text";
        EXPECT_EQ(desktop.showCalls().size(), r.secondReached ? 3u : 1u);
        EXPECT_EQ(first.describe(), u"QIP: Away, main window hidden");
    }
}

}  // namespace
}  // namespace orvane::messengers
