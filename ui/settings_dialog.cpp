// The dialog keeps no copy of a back-end's settings: the controls are the only pending state, so
// dropping edits is just showing a back-end again, and Apply reads every control anew.
#include "ui/settings_dialog.h"

#include "plugin/interfaces.h"
#include "ui/templates.h"

namespace orvane::ui {

using namespace settings_ids;
using platform::dialogSystem;
using platform::WindowHandle;

namespace {

// The value the Test button passes with its GameConnect; back-ends do not read it.
constexpr std::uintptr_t kTestEventData = 29527;

}  // namespace

CSettings::CSettings(WindowHandle parent) : parent_(parent) {}

void CSettings::AddMessenger(messengers::IMessengerNotification* messenger) {
    if (messenger) messengers_.push_back(messenger);
}

int CSettings::DoModal() {
    const std::intptr_t result = dialogSystem().runModal(kSettingsTemplateId, parent_, *this);
    dialog_ = 0;
    current_ = nullptr;
    return static_cast<int>(result);
}

bool CSettings::onInitDialog(WindowHandle dialog) {
    dialog_ = dialog;
    auto& ds = dialogSystem();
    for (std::size_t i = 0; i < messengers_.size(); ++i)
        ds.comboInsert(dialog_, kMessenger, static_cast<int>(i), messengers_[i]->GetName());
    ds.comboSetSelection(dialog_, kMessenger, selected_);
    ShowMessenger();
    UpdateControlStates();
    enableApply(false);
    return true;
}

bool CSettings::onCommand(WindowHandle, int id, std::uint32_t code) {
    using platform::kBnClicked;
    using platform::kCbnSelChange;
    using platform::kEnChange;
    auto& ds = dialogSystem();
    if (code == kBnClicked && id == kChangeMessage) {
        ds.enableControl(dialog_, kMessage, ds.isChecked(dialog_, kChangeMessage));
        enableApply(true);
    } else if (code == kCbnSelChange && id == kMessenger) {
        OnMessengerChanged();
    } else if (code == kBnClicked && id == kApply) {
        ApplyChanges();
    } else if (code == kBnClicked && id == kTest) {
        OnTest();
    } else if (code == kBnClicked && id == kActive) {
        UpdateControlStates();
        enableApply(true);
    } else if ((code == kCbnSelChange && (id == kConnectStatus || id == kDisconnectStatus)) ||
               (code == kEnChange && id == kMessage) || (code == kBnClicked && id == kMinimize)) {
        enableApply(true);
    } else {
        return false;  // Close and the rest: the dialog's default
    }
    return true;
}

void CSettings::ShowMessenger() {
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= messengers_.size()) {
        current_ = nullptr;  // nothing to show: the controls keep what they hold
        return;
    }
    current_ = messengers_[static_cast<std::size_t>(selected_)];
    auto& ds = dialogSystem();
    ds.setText(dialog_, kGroup, current_->GetName());
    ds.setCheck(dialog_, kActive, current_->GetActive());
    ds.comboReset(dialog_, kConnectStatus);
    ds.comboReset(dialog_, kDisconnectStatus);
    for (int i = 0, n = current_->GetStatusCount(); i < n; ++i) {
        const std::u16string name = current_->GetStatusName(i);
        ds.comboAdd(dialog_, kConnectStatus, name);
        ds.comboAdd(dialog_, kDisconnectStatus, name);
    }
    ds.comboSetSelection(dialog_, kConnectStatus, current_->GetConnectStatus());
    ds.comboSetSelection(dialog_, kDisconnectStatus, current_->GetDisconnectStatus());
    ds.setCheck(dialog_, kChangeMessage, current_->GetChangeMessage());
    ds.enableControl(dialog_, kMessage, ds.isChecked(dialog_, kChangeMessage));
    ds.setCheck(dialog_, kMinimize, current_->GetMinimize());
    ds.setText(dialog_, kMessage, current_->GetMessage());
}

void CSettings::UpdateControlStates() {
    auto& ds = dialogSystem();
    const bool active = ds.isChecked(dialog_, kActive);
    for (int id : {kConnectStatus, kDisconnectStatus, kChangeMessage, kMinimize, kTest})
        ds.enableControl(dialog_, id, active);
    ds.enableControl(dialog_, kMessage, active && ds.isChecked(dialog_, kChangeMessage));
}

void CSettings::OnMessengerChanged() {
    const int selection = dialogSystem().comboSelection(dialog_, kMessenger);
    if (selection < 0) return;
    selected_ = selection;
    ShowMessenger();
    UpdateControlStates();
}

void CSettings::ApplyChanges() {
    auto& ds = dialogSystem();
    if (current_) {
        // A status box without a selection gives -1, stored as it is; the back-ends read it as
        // "no status".
        current_->SetConnectStatus(ds.comboSelection(dialog_, kConnectStatus));
        current_->SetDisconnectStatus(ds.comboSelection(dialog_, kDisconnectStatus));
        current_->SetMinimize(ds.isChecked(dialog_, kMinimize));
        current_->SetChangeMessage(ds.isChecked(dialog_, kChangeMessage));
        current_->SetActive(ds.isChecked(dialog_, kActive));
        current_->SetMessage(ds.getText(dialog_, kMessage));
    }
    enableApply(false);
}

void CSettings::OnTest() {
    ApplyChanges();
    if (current_) current_->OnEvent(plugin::GameConnect, kTestEventData, 0);
}

void CSettings::enableApply(bool enable) { dialogSystem().enableControl(dialog_, kApply, enable); }

}  // namespace orvane::ui
