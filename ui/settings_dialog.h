// CSettings: the modal dialog in which the user edits each messenger back-end's settings and tries
// them out. It shows one back-end at a time; "Apply" copies the controls into that back-end's
// settings in memory, "Test" applies and then makes the back-end act as on a game connect. Nothing
// else writes to a back-end: switching messenger or closing drops edits not applied.
#pragma once

#include <vector>

#include "messengers/messenger_notification.h"
#include "platform/dialog_system.h"

namespace orvane::ui {

class CSettings : private platform::DialogHandler {
public:
    explicit CSettings(platform::WindowHandle parent);
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Appends a back-end to the messenger list, in the caller's order; the first is shown first.
    // Not owned; it must outlive the dialog. Null is ignored.
    void AddMessenger(messengers::IMessengerNotification* messenger);
    // Runs the dialog; the id that closed it (2 for Close), or -1 when it could not open.
    int DoModal();

private:
    bool onInitDialog(platform::WindowHandle dialog) override;
    bool onCommand(platform::WindowHandle dialog, int id, std::uint32_t code) override;

    void ShowMessenger();
    void UpdateControlStates();
    void OnMessengerChanged();
    void ApplyChanges();
    void OnTest();
    void enableApply(bool enable);

    platform::WindowHandle parent_;
    platform::WindowHandle dialog_ = 0;
    std::vector<messengers::IMessengerNotification*> messengers_;
    int selected_ = 0;
    messengers::IMessengerNotification* current_ = nullptr;  // null while the list is empty
};

}  // namespace orvane::ui
