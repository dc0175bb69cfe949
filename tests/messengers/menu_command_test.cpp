// ICQ 2003, Miranda and QIP: menu commands to the main window, then the away text into the
// messenger's own dialog.
#include <gtest/gtest.h>

#include "messengers/backends.h"
#include "platform/sim/sim_messengers.h"
#include "platform/window_messages.h"
#include "test_support.h"
#include "value/text.h"

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

TEST_F(Icq, EveryStatusIsOneCommandAndDialogStatusesConfirmTheirText) {
    const struct {
        int index, command;
        const char16_t* status;
        const char* dialog;  // null: the status asks for no text
    } rows[] = {{0, 6545, u"Online", nullptr},
                {1, 6291, u"Free For Chat", "Change/Confirm \"Free For Chat\" Message"},
                {2, 6547, u"Away", "Change / Confirm Away Message"},
                {3, 6223, u"N/A", "Change/Confirm N/A Message"},
                {4, 6222, u"Occupied", "Change / Confirm Occupied Message"},
                {5, 6548, u"DND", "Change/Confirm DND Message"},
                {6, 6549, u"Privacy", nullptr},
                {7, 6546, u"Offline", nullptr}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.index);
        SimIcq2003 icq(desktop, 10);
        ICQ2003MN b;
        b.SetConnectStatus(r.index);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        Lines expected{"send #32770 \"ICQ\" WM_COMMAND " + std::to_string(r.command) + " 0"};
        if (r.dialog) {
            expected.push_back("send Edit WM_SETTEXT \"" + kText + "\"");
            expected.push_back("send #32770 \"" + std::string(r.dialog) + "\" WM_COMMAND 1 0");
        }
        EXPECT_EQ(sent(), expected);
        EXPECT_EQ(icq.status(), r.status);
        EXPECT_EQ(icq.awayText(), r.dialog ? test::kExpandedDefault : u"");
        EXPECT_EQ(desktop.findWindow(nullptr, widen(r.dialog ? r.dialog : "-").c_str()), 0u)
            << "the dialog is closed";
        EXPECT_TRUE(desktop.showCalls().empty()) << "minimise is off";
    }
}

TEST_F(Icq, MainWindowIsTheDialogOfTheApiWindowsProcess) {
    WindowHandle before =
        desktop.createWindow({.className = u"#32770", .title = u"", .processId = 99});
    {
        ICQ2003MN b;
        b.SetMinimize(true);
        SimIcq2003 noMain(desktop, 10, /*withMainWindow=*/false);
        EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_TRUE(desktop.messages().empty() && desktop.showCalls().empty());
    }
    SimIcq2003 icq(desktop, 11);
    ICQ2003MN b;
    b.SetConnectStatus(7);
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6546 0"}));
    EXPECT_TRUE(desktop.window(before)->visible) << "another program's window is left alone";
    EXPECT_EQ(icq.describe(), u"ICQ 2003: Offline, main window hidden");
}

TEST_F(Icq, MissingDialogStillHidesAfterTheCommand) {
    // An ICQ whose main window ignores the command: no dialog appears.
    desktop.createWindow({.className = u"ICQMsgAPI Window", .title = u"", .processId = 10});
    WindowHandle main =
        desktop.createWindow({.className = u"#32770", .title = u"ICQ", .processId = 10});
    ICQ2003MN b;
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6547 0"}));
    EXPECT_EQ(shown(), (std::vector<std::pair<WindowHandle, int>>{{main, platform::kSwHide}}));
}

TEST_F(Icq, EmptyTextLeavesTheDialogUntouched) {
    ICQ2003MN b;
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0)) << "not running";
    SimIcq2003 icq(desktop, 10);
    b.SetMessage(u"");
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6547 0"}));
    EXPECT_NE(desktop.findWindow(nullptr, u"Change / Confirm Away Message"), 0u)
        << "the messenger's dialog is left for the user";
}

using Miranda = test::MessengerTest;

TEST_F(Miranda, EmptyTextSendsTheCommandOnly) {
    MirandaMN b;
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_TRUE(desktop.messages().empty()) << "not running";
    SimMiranda miranda(desktop, 11);
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
    Lines expected;
    for (int i = 0; i < 2; ++i)
        expected.insert(expected.end(), {"send Miranda \"Miranda IM\" WM_COMMAND 40072 0",
                                         "send Edit WM_SETTEXT \"" + kText + "\"",
                                         "send #32770 \"Change Online Message\" WM_COMMAND 1 0"});
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(desktop.messages()[0].target, first.mainWindow());
    EXPECT_EQ(desktop.messages()[3].target, second.mainWindow());
    for (const SimMiranda* m : {&first, &second})
        EXPECT_EQ(m->describe(), u"Miranda: Online, away text \"" +
                                     std::u16string(test::kExpandedDefault) +
                                     u"\", main window hidden");
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
    const struct {
        const char* name;
        const char16_t* secondTitle;
        bool secondHasEdit, secondReached;
    } rows[] = {
        {"two QIPs", u"[qip] second", true, true},
        {"foreign TMainForm", u"Delphi tool", false, false},
        {"upper-case mark", u"[QIP] second", true, false},
        {"empty title", u"", true, false},
        {"no edit field", u"[qip] second", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SimQip first(desktop, 30);
        SimQip second(desktop, 31, r.secondTitle, r.secondHasEdit);
        SimQip third(desktop, 32);
        QIPMN b;
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_EQ(second.status(), r.secondReached ? u"Away" : u"Offline");
        EXPECT_EQ(third.status(), r.secondReached ? u"Away" : u"Offline");
        EXPECT_EQ(desktop.messages().size(), r.secondReached ? 3u : 1u) << "one command each";
        EXPECT_EQ(desktop.showCalls().size(), r.secondReached ? 3u : 1u);
        EXPECT_EQ(first.describe(), u"QIP: Away, main window hidden");
    }
}

}  // namespace
}  // namespace orvane::messengers
