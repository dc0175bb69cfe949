// The settings dialog as a user meets it, through the headless dialogs: what it shows, which
// controls an edit enables, and what Apply, Test and Close leave in the back-ends.
#include <gtest/gtest.h>

#include "messengers/backends.h"
#include "ui/settings_dialog.h"
#include "ui_support.h"
#include "value/text.h"

namespace orvane::ui {
namespace {

using namespace settings_ids;
using platform::WindowHandle;
using platform::sim::HeadlessDialogs;
using Names = std::vector<std::u16string>;

constexpr messengers::StatusEntry kRecorderStatuses[] = {
    {u"Here", 0, nullptr}, {u"Gone", 1, nullptr}, {u"Busy", 2, nullptr}};

// Records the events that reach ApplyStatus and the template it had at that moment.
class RecordingMN final : public messengers::IMessengerNotification {
public:
    struct Call {
        std::uint32_t code;
        std::uintptr_t data, extra;
        std::u16string message;
    };
    std::vector<Call> calls;
    RecordingMN() : IMessengerNotification(0, 1) {}
    std::u16string GetName() override { return u"Recorder"; }
    std::u16string GetStatusName(int i) override {
        return messengers::statusName(kRecorderStatuses, i);
    }
    int GetStatusCount() override { return 3; }
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override {
        calls.push_back({code, data, extra, GetMessage()});
        return true;
    }
};

Names statusNames(messengers::IMessengerNotification& m) {
    Names out;
    for (int i = 0; i < m.GetStatusCount(); ++i) out.push_back(m.GetStatusName(i));
    return out;
}

class Settings : public test::UiTest {
protected:
    // Runs the dialog on Miranda then ICQ 2003 with user acting; the dialog's result.
    int run(HeadlessDialogs::User user) {
        CSettings dialog(0x2000);
        dialog.AddMessenger(&miranda);
        dialog.AddMessenger(&icq);
        dialogs.setUser(std::move(user));
        return dialog.DoModal();
    }
    bool enabled(WindowHandle d, int id) const { return control(d, id).enabled; }
    // What the page shows: "group [x]active connect/disconnect [x]change [ ]minimise 'text'",
    // then the disabled controls.
    std::string state(WindowHandle d) const {
        auto box = [&](int id) { return control(d, id).checked ? "[x]" : "[ ]"; };
        std::string out = toUtf8(control(d, kGroup).text) + " " + box(kActive) +
                          std::to_string(control(d, kConnectStatus).selection) + "/" +
                          std::to_string(control(d, kDisconnectStatus).selection) + " " +
                          box(kChangeMessage) + box(kMinimize) + " '" +
                          toUtf8(control(d, kMessage).text) + "' off:";
        const std::pair<int, const char*> ids[] = {
            {kMessenger, "messenger"}, {kActive, "active"},   {kConnectStatus, "connect"},
            {kDisconnectStatus, "disconnect"}, {kChangeMessage, "change"}, {kMinimize, "minimise"},
            {kMessage, "message"},     {kApply, "apply"},     {kTest, "test"}, {kClose, "close"}};
        for (const auto& [id, name] : ids)
            if (!enabled(d, id)) out += std::string(" ") + name;
        return out;
    }

    messengers::MirandaMN miranda;
    messengers::ICQ2003MN icq;
};

TEST_F(Settings, OpensOnTheFirstMessengerWithApplyDisabled) {
    miranda.SetActive(true);
    miranda.SetChangeMessage(true);
    miranda.SetMessage(u"brb");
    bool ran = false;
    EXPECT_EQ(run([&](HeadlessDialogs&, WindowHandle d) {
                  ran = true;
                  EXPECT_EQ(control(d, kMessenger).items, (Names{u"Miranda", u"ICQ2003"}));
                  EXPECT_EQ(control(d, kMessenger).selection, 0);
                  EXPECT_EQ(control(d, kConnectStatus).items, statusNames(miranda));
                  EXPECT_EQ(state(d), "Miranda [x]1/2 [x][ ] 'brb' off: apply");
              }),
              2)
        << "closing without a user is Close";
    EXPECT_TRUE(ran);
}

TEST_F(Settings, UncheckingActiveDisablesTheSettingsAndCloseDiscardsIt) {
    miranda.SetActive(true);
    miranda.SetChangeMessage(true);
    EXPECT_EQ(run([&](HeadlessDialogs& ui, WindowHandle d) {
                  ASSERT_TRUE(ui.click(d, kActive));
                  EXPECT_EQ(state(d), "Miranda [ ]1/2 [x][ ] '" + toUtf8(miranda.GetMessage()) +
                                          "' off: connect disconnect change minimise message test");
                  EXPECT_FALSE(ui.click(d, kTest)) << "a disabled Test cannot be pressed";
                  ui.click(d, kClose);
              }),
              2);
    EXPECT_TRUE(miranda.GetActive());
}

TEST_F(Settings, ChangeAwayMessageGatesTheMessageBox) {
    miranda.SetActive(true);
    miranda.SetChangeMessage(true);
    run([&](HeadlessDialogs& ui, WindowHandle d) {
        ui.click(d, kChangeMessage);
        EXPECT_FALSE(enabled(d, kMessage));
        EXPECT_TRUE(enabled(d, kApply)) << "any edit enables Apply";
        ui.click(d, kChangeMessage);
        EXPECT_TRUE(enabled(d, kMessage));
        ui.click(d, kActive);
        ui.click(d, kActive);
        EXPECT_TRUE(enabled(d, kMessage)) << "Active back on, with the box still checked";
        ui.click(d, kChangeMessage);
        ui.click(d, kActive);
        ui.click(d, kActive);
        EXPECT_FALSE(enabled(d, kMessage)) << "Active back on, with the box unchecked";
    });
}

TEST_F(Settings, SwitchingMessengerShowsItsSettingsAndDropsPendingEdits) {
    miranda.SetActive(true);
    icq.SetConnectStatus(5);
    icq.SetDisconnectStatus(7);
    run([&](HeadlessDialogs& ui, WindowHandle d) {
        ui.pickComboEntry(d, kConnectStatus, 4);
        ASSERT_TRUE(ui.pickComboEntry(d, kMessenger, 1));
        EXPECT_EQ(control(d, kConnectStatus).items, statusNames(icq));
        // ICQ 2003 is not active; Apply keeps its state across the switch.
        EXPECT_EQ(state(d), "ICQ2003 [ ]5/7 [ ][ ] '" + toUtf8(messengers::kDefaultMessage) +
                                "' off: connect disconnect change minimise message test");
        ui.pickComboEntry(d, kMessenger, 0);
        EXPECT_EQ(control(d, kConnectStatus).selection, 1) << "the edit was dropped";
    });
    EXPECT_EQ(miranda.GetConnectStatus(), 1);
}

TEST_F(Settings, ApplyStoresTheControlsAndSelectionlessStatusAsMinusOne) {
    struct Row {
        const char* name;
        int stored;
        int shown;
    };
    const Row rows[] = {{"in the table", 3, 3}, {"beyond it", 42, -1}, {"negative", -5, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        miranda.SetConnectStatus(row.stored);
        run([&](HeadlessDialogs& ui, WindowHandle d) {
            EXPECT_EQ(control(d, kConnectStatus).selection, row.shown);
            ui.click(d, kActive);
            ui.click(d, kChangeMessage);
            ui.click(d, kMinimize);
            ui.typeText(d, kMessage, u"gone fragging");
            ui.pickComboEntry(d, kDisconnectStatus, 7);
            ASSERT_TRUE(ui.click(d, kApply));
            EXPECT_FALSE(enabled(d, kApply));
        });
        EXPECT_EQ(miranda.GetConnectStatus(), row.shown);
        EXPECT_EQ(miranda.GetDisconnectStatus(), 7);
        EXPECT_TRUE(miranda.GetActive() && miranda.GetChangeMessage() && miranda.GetMinimize());
        EXPECT_EQ(miranda.GetMessage(), u"gone fragging");
        miranda = messengers::MirandaMN();
    }
}

TEST_F(Settings, TestAppliesFirstThenConnectsOnce) {
    RecordingMN recorder;
    recorder.SetActive(true);
    recorder.SetChangeMessage(true);
    CSettings dialog(0x2000);
    dialog.AddMessenger(&recorder);
    dialogs.setUser([&](HeadlessDialogs& ui, WindowHandle d) {
        ui.typeText(d, kMessage, u"new text");
        ASSERT_TRUE(ui.click(d, kTest));
        EXPECT_FALSE(enabled(d, kApply));
    });
    dialog.DoModal();
    ASSERT_EQ(recorder.calls.size(), 1u);
    const auto& call = recorder.calls[0];
    EXPECT_TRUE(call.code == plugin::GameConnect && call.data == 29527u && call.extra == 0u);
    EXPECT_EQ(call.message, u"new text") << "applied before the connect";
}

TEST_F(Settings, NoMessengersStillOpensAndCloses) { EXPECT_EQ(CSettings(0).DoModal(), 2); }

}  // namespace
}  // namespace orvane::ui
