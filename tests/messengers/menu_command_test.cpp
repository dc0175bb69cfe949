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
using Lines = std::vector<std::string>;

const std::string kText = test::utf8(test::kExpandedDefault);

using Icq = test::MessengerTest;

// The command and dialog title come from the plug-in's table (pinned in messenger_base_test); the
// simulated ICQ knows them from its own, so each row checks the two against each other.
TEST_F(Icq, EveryStatusIsOneCommandAndDialogStatusesConfirmTheirText) {
    const char16_t* shownAs[] = {u"Online", u"Free For Chat", u"Away",    u"N/A",
                                 u"Occupied", u"DND",         u"Privacy", u"Offline"};
    for (int index = 0; index < 8; ++index) {
        SCOPED_TRACE(index);
        const StatusEntry& row = kIcq2003Statuses[static_cast<std::size_t>(index)];
        SimIcq2003 icq(desktop, 10);
        ICQ2003MN b;
        b.SetConnectStatus(index);
        desktop.clearRecord();
        EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        Lines expected{"send #32770 \"ICQ\" WM_COMMAND " + std::to_string(row.command) + " 0"};
        if (row.dialogTitle)
            expected.insert(expected.end(), {"send Edit WM_SETTEXT \"" + kText + "\"",
                                             "send #32770 \"" + test::utf8(row.dialogTitle) +
                                                 "\" WM_COMMAND 1 0"});
        EXPECT_EQ(sent(), expected);
        EXPECT_EQ(icq.status(), shownAs[index]);
        EXPECT_EQ(icq.awayText(), row.dialogTitle ? test::kExpandedDefault : u"");
        EXPECT_TRUE(desktop.showCalls().empty()) << "minimise is off";
    }
}

TEST_F(Icq, MainWindowIsTheDialogOfTheApiWindowsProcess) {
    WindowHandle before =
        desktop.createWindow({.className = u"#32770", .title = u"", .processId = 99});
    ICQ2003MN b;
    b.SetMinimize(true);
    EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0)) << "not running";
    {
        SimIcq2003 noMain(desktop, 10, /*withMainWindow=*/false);
        EXPECT_FALSE(b.ApplyStatus(plugin::GameConnect, 0, 0));
        EXPECT_TRUE(desktop.messages().empty() && desktop.showCalls().empty());
    }
    SimIcq2003 icq(desktop, 11);
    b.SetConnectStatus(7);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6546 0"}));
    EXPECT_TRUE(desktop.window(before)->visible) << "another program's window is left alone";
    EXPECT_EQ(icq.describe(), u"ICQ 2003: Offline, main window hidden");
}

TEST_F(Icq, EmptyTextLeavesTheDialogUntouchedAndStillHides) {
    SimIcq2003 icq(desktop, 10);
    ICQ2003MN b;
    b.SetMessage(u"");
    b.SetMinimize(true);
    EXPECT_TRUE(b.ApplyStatus(plugin::GameConnect, 0, 0));
    EXPECT_EQ(sent(), (Lines{"send #32770 \"ICQ\" WM_COMMAND 6547 0"}));
    EXPECT_NE(desktop.findWindow(nullptr, u"Change / Confirm Away Message"), 0u)
        << "the messenger's dialog is left for the user";
    EXPECT_EQ(shown(), (std::vector<std::pair<WindowHandle, int>>{
                           {icq.mainWindow(), platform::kSwHide}}));
}

using Miranda = test::MessengerTest;

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

TEST_F(Miranda, NoTextNoDialogAndNoMinimiseOnDisconnect) {
    const struct {
        int status;
        const char16_t* text;
        const char* command;
        const char16_t* shown;
    } rows[] = {{2, u"", "40073", u"Away"}, {9, u"brb", "40080", u"Out to Lunch"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command);
        SimMiranda miranda(desktop, 11);
        MirandaMN b;
        b.SetDisconnectStatus(r.status);
        b.SetMessage(r.text);
        b.SetMinimize(true);
        desktop.clearRecord();
        EXPECT_FALSE(b.ApplyStatus(plugin::GameDisconnect, 0, 0));
        EXPECT_EQ(sent(), (Lines{"send Miranda \"Miranda IM\" WM_COMMAND " +
                                 std::string(r.command) + " 0"}));
        EXPECT_EQ(miranda.status(), r.shown);
        EXPECT_EQ(miranda.awayText(), u"");
        EXPECT_TRUE(desktop.showCalls().empty());
    }
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
        EXPECT_EQ(third.status(), r.secondReached ? u"Away" : u"Offline");
        EXPECT_EQ(desktop.messages().size(), r.secondReached ? 3u : 1u) << "one command each";
        EXPECT_EQ(desktop.showCalls().size(), r.secondReached ? 3u : 1u);
        EXPECT_EQ(first.describe(), u"QIP: Away, main window hidden");
    }
}

}  // namespace
}  // namespace orvane::messengers
