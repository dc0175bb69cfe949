// The six messenger back-ends. Each knows one messenger's name, status table and default statuses,
// and drives that messenger's windows through the window-system seam in ApplyStatus. The plug-in
// holds all six by value; QIPMN is built but never registered, so nothing ever reaches it.
#pragma once

#include "messengers/messenger_notification.h"

namespace orvane::messengers {

// Menu commands to the main window of ICQ 2003, Miranda and QIP, then the text into the
// messenger's away-text dialog.
class ICQ2003MN final : public IMessengerNotification {
public:
    ICQ2003MN() : IMessengerNotification(2, 0) {}  // Away / Online
    std::u16string GetName() override { return u"ICQ2003"; }
    std::u16string GetStatusName(int index) override { return statusName(kIcq2003Statuses, index); }
    int GetStatusCount() override { return static_cast<int>(kIcq2003Statuses.size()); }
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
};

class MirandaMN final : public IMessengerNotification {
public:
    MirandaMN() : IMessengerNotification(1, 2) {}  // Online / Away
    std::u16string GetName() override { return u"Miranda"; }
    std::u16string GetStatusName(int index) override { return statusName(kMirandaStatuses, index); }
    int GetStatusCount() override { return static_cast<int>(kMirandaStatuses.size()); }
    // Acts on every running instance; always false.
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
};

class QIPMN final : public IMessengerNotification {
public:
    QIPMN() : IMessengerNotification(7, 3) {}  // Away / Online
    std::u16string GetName() override { return u"QIP"; }
    std::u16string GetStatusName(int index) override { return statusName(kQipStatuses, index); }
    int GetStatusCount() override { return static_cast<int>(kQipStatuses.size()); }
    // Walks the "TMainForm" windows while they are QIP's; always false.
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
};

// Key strokes posted to the hidden window of MSN Messenger 7; the away text is not used.
class MSN7MN final : public IMessengerNotification {
public:
    MSN7MN() : IMessengerNotification(3, 0) {}  // Away / Online
    std::u16string GetName() override { return u"MSN7"; }
    std::u16string GetStatusName(int index) override { return statusName(kMsn7Statuses, index); }
    int GetStatusCount() override { return static_cast<int>(kMsn7Statuses.size()); }
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
};

// Index 1 is Away, any other index Online.
class AIMMN final : public IMessengerNotification {
public:
    AIMMN() : IMessengerNotification(1, 0) {}  // Away / Online
    std::u16string GetName() override { return u"AIM"; }
    std::u16string GetStatusName(int index) override { return statusName(kAimStatuses, index); }
    int GetStatusCount() override { return static_cast<int>(kAimStatuses.size()); }
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
};

// Index 0 is Online, any other index Away.
class TRILLIANMN final : public IMessengerNotification {
public:
    TRILLIANMN() : IMessengerNotification(1, 0) {}  // Away / Online
    std::u16string GetName() override { return u"Trillian"; }
    std::u16string GetStatusName(int index) override {
        return statusName(kTrillianStatuses, index);
    }
    int GetStatusCount() override { return static_cast<int>(kTrillianStatuses.size()); }
    bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
};

}  // namespace orvane::messengers
