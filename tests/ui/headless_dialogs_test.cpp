// The headless dialogs: control state kept as the window system keeps it, user acts that notify
// like real controls, and modal runs that always end.
#include <gtest/gtest.h>

#include "platform/window_messages.h"
#include "ui_support.h"

namespace orvane::platform::sim {
namespace {

constexpr ControlTemplate kControls[] = {
    {10, ControlKind::CheckBox, u"Check", {0, 0, 10, 10}, kBsAutoCheckBox},
    {20, ControlKind::ComboBox, u"", {0, 0, 10, 10}, kCbsDropDownList},
    {30, ControlKind::Edit, u"start", {0, 0, 10, 10}, kEsMultiline},
    {40, ControlKind::ListView, u"", {0, 0, 10, 10}, kLvsList},
    {60, ControlKind::PushButton, u"Off", {0, 0, 10, 10}, kWsDisabled},
    {2, ControlKind::PushButton, u"Close", {0, 0, 10, 10}, kBsPushButton},
};
constexpr DialogTemplate kTemplates[] = {{7, u"Probe", u"MS Shell Dlg", 8, 100, 50, 0, kControls}};

// Records every note as "command <id> <code>" or "notify <id>".
class Recorder final : public DialogHandler {
public:
    std::vector<std::string> notes;
    bool keepOpen = false;  // handles Close itself without ending
    bool onInitDialog(WindowHandle) override {
        notes.push_back("init");
        return true;
    }
    bool onCommand(WindowHandle, int id, std::uint32_t code) override {
        notes.push_back("command " + std::to_string(id) + " " + std::to_string(code));
        return keepOpen && id == 2;
    }
    LResult onNotify(WindowHandle, int id, std::uint32_t) override {
        notes.push_back("notify " + std::to_string(id));
        return 0;
    }
};

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        setWindowSystem(&desktop);
        dialog = dialogs.createDialog(7, 0, handler);
        ASSERT_NE(dialog, 0u);
        handler.notes.clear();
    }
    void TearDown() override { setWindowSystem(nullptr); }

    SimDesktop desktop;
    HeadlessDialogs dialogs{desktop, kTemplates};
    Recorder handler;
    WindowHandle dialog = 0;
};

TEST_F(Headless, DialogAndControlsAreWindowsOfTheWindowSystem) {
    WindowSystem& ws = windowSystem();
    EXPECT_TRUE(ws.isWindow(dialog));
    const WindowHandle edit = ws.getDlgItem(dialog, 30);
    ASSERT_NE(edit, 0u);
    EXPECT_EQ(dialogs.control(dialog, 30)->window, edit);
    EXPECT_FALSE(dialogs.control(dialog, 60)->enabled) << "the disabled style holds";

    dialogs.enableControl(dialog, 30, false);
    EXPECT_FALSE(desktop.window(edit)->enabled);
    ws.enableWindow(edit, true);
    EXPECT_TRUE(dialogs.control(dialog, 30)->enabled) << "one enabled state for both seams";

    desktop.destroyWindow(dialog);
    EXPECT_FALSE(dialogs.typeText(dialog, 30, u"x")) << "a dialog gone from the desktop is gone";
}

TEST_F(Headless, ComboKeepsItsSelectionOnTheSameEntry) {
    EXPECT_EQ(dialogs.comboAdd(dialog, 20, u"b"), 0);
    EXPECT_EQ(dialogs.comboSetSelection(dialog, 20, 0), 0);
    EXPECT_EQ(dialogs.comboInsert(dialog, 20, 0, u"a"), 0);
    EXPECT_EQ(dialogs.comboSelection(dialog, 20), 1) << "still on b";
    EXPECT_EQ(dialogs.comboInsert(dialog, 20, 3, u"beyond"), -1);
    EXPECT_EQ(dialogs.comboSetSelection(dialog, 20, 2), -1);
    EXPECT_EQ(dialogs.comboSelection(dialog, 20), -1) << "an index not in the list clears";
    EXPECT_TRUE(handler.notes.empty()) << "code changes send no notes";
}

TEST_F(Headless, ListMarkFollowsItsItemAndGoesWithDeleteAll) {
    EXPECT_EQ(dialogs.listInsert(dialog, 40, 0, u"x"), 0);
    EXPECT_EQ(dialogs.listInsert(dialog, 40, 9, u"z"), 1) << "beyond the end appends";
    EXPECT_EQ(dialogs.listInsert(dialog, 40, -1, u"bad"), -1);
    dialogs.listSelect(dialog, 40, 1);
    EXPECT_EQ(handler.notes, std::vector<std::string>{"notify 40"});
    dialogs.listInsert(dialog, 40, 0, u"w");
    EXPECT_EQ(dialogs.listSelectionMark(dialog, 40), 2);
    EXPECT_EQ(dialogs.listItemText(dialog, 40, 2), u"z");
    dialogs.listDeleteAll(dialog, 40);
    EXPECT_EQ(dialogs.listSelectionMark(dialog, 40), -1);
}

TEST_F(Headless, UserActsNotifyOnlyWhenAUserCouldMakeThem) {
    dialogs.comboAdd(dialog, 20, u"one");
    dialogs.listInsert(dialog, 40, 0, u"a");
    dialogs.listInsert(dialog, 40, 1, u"b");
    struct Row {
        const char* name;
        std::function<bool()> act;
        bool done;
        std::vector<std::string> notes;
    };
    const Row rows[] = {
        {"check box toggles", [&] { return dialogs.click(dialog, 10); }, true, {"command 10 0"}},
        {"disabled button", [&] { return dialogs.click(dialog, 60); }, false, {}},
        {"combo entry", [&] { return dialogs.pickComboEntry(dialog, 20, 0); }, true,
         {"command 20 1"}},
        {"combo beyond the list", [&] { return dialogs.pickComboEntry(dialog, 20, 1); }, false, {}},
        {"typing", [&] { return dialogs.typeText(dialog, 30, u"new"); }, true, {"command 30 768"}},
        {"first list item", [&] { return dialogs.selectListItem(dialog, 40, 0); }, true,
         {"notify 40"}},
        {"other item deselects", [&] { return dialogs.selectListItem(dialog, 40, 1); }, true,
         {"notify 40", "notify 40"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        handler.notes.clear();
        EXPECT_EQ(row.act(), row.done);
        EXPECT_EQ(handler.notes, row.notes);
    }
    EXPECT_TRUE(dialogs.isChecked(dialog, 10));
    EXPECT_EQ(dialogs.getText(dialog, 30), u"new");
    EXPECT_EQ(dialogs.control(dialog, 40)->itemSelected, (std::vector<bool>{false, true}));
}

TEST_F(Headless, ModalRunsAlwaysEnd) {
    struct Row {
        const char* name;
        HeadlessDialogs::User user;
        bool keepOpen;
        std::intptr_t result;
        std::vector<std::string> notes;
    };
    const Row rows[] = {
        {"no user: Close", nullptr, false, 2, {"init", "command 2 0"}},
        {"user clicks Close", [](HeadlessDialogs& d, WindowHandle w) { d.click(w, 2); }, false, 2,
         {"init", "command 2 0"}},
        {"user ends with its own result",
         [](HeadlessDialogs& d, WindowHandle w) { d.endDialog(w, 42); }, false, 42, {"init"}},
        {"handler refuses Close", nullptr, true, 2, {"init", "command 2 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Recorder modal;
        modal.keepOpen = row.keepOpen;
        dialogs.setUser(row.user);
        EXPECT_EQ(dialogs.runModal(7, 0x1234, modal), row.result);
        EXPECT_EQ(modal.notes, row.notes);
        EXPECT_EQ(dialogs.openDialogs(), 1u) << "only the modeless dialog stays";
    }
    EXPECT_EQ(dialogs.runModal(99, 0, handler), -1) << "unknown template";
    EXPECT_EQ(dialogs.createDialog(7, 0x1234, handler), 0u) << "a modeless parent must exist";
}

}  // namespace
}  // namespace orvane::platform::sim
