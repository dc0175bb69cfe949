// The messenger back-end interface, its status tables and the settings every back-end keeps.
//
// ORDER: the host and the settings dialog call IMessengerNotification's operations by their
// position in the virtual table (after IInterface's OnEvent), so their order is a contract, pinned
// by a test; note that SetActive stands before GetActive. There is deliberately no virtual
// destructor: the table has no slot for one, and the plug-in owns its back-ends by value.
//
// Invariants:
// - A status table's row position is the status index that the settings file stores and ApplyStatus
//   uses; the rows never move.
// - Status indices are stored as given, in range or not. A back-end that looks a row up by index
//   (ICQ 2003, Miranda, QIP, MSN 7) treats an index outside its table (a hand-edited file, or -1
//   from a status box without a selection) as "no status": it sends nothing for that event and
//   returns false. GetStatusName of such an index is empty. AIM and Trillian only compare the index
//   with 1 and 0, so every index means something to them.
// - Settings live in the plug-in's configuration tree under the back-end's GetName(); without a
//   plug-in object (before CreateInterface) loading and saving do nothing, and without a host
//   object the away text is the template as it stands.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "plugin/interfaces.h"

namespace orvane::messengers {

struct StatusEntry {
    const char16_t* name;         // shown in the settings dialog
    std::int32_t command;         // menu command, Down presses, or unused: the back-end decides
    const char16_t* dialogTitle;  // the messenger's away-text dialog for this status, or null
};

extern const std::span<const StatusEntry> kIcq2003Statuses;
extern const std::span<const StatusEntry> kMirandaStatuses;
extern const std::span<const StatusEntry> kQipStatuses;
extern const std::span<const StatusEntry> kMsn7Statuses;
extern const std::span<const StatusEntry> kAimStatuses;
extern const std::span<const StatusEntry> kTrillianStatuses;

inline constexpr char16_t kDefaultMessage[] =
    u"Playing <GAMEDESC> on <SERVERNAME> (<SERVERADDRPORT>) with Qorv";

class IMessengerNotification : public plugin::IInterface {
public:
    // GameConnect/GameDisconnect -> ApplyStatus (whatever `active` says), AppInit -> LoadSettings,
    // AppDeInit -> SaveSettings.
    bool OnEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
    virtual std::u16string GetName() = 0;
    virtual std::u16string GetStatusName(int index) = 0;
    virtual int GetStatusCount() = 0;
    virtual int GetConnectStatus();
    virtual int GetDisconnectStatus();
    virtual int SetConnectStatus(int index);
    virtual int SetDisconnectStatus(int index);
    virtual void SetMessage(std::u16string text);
    virtual std::u16string GetMessage();
    virtual bool GetChangeMessage();
    virtual bool SetChangeMessage(bool value);
    virtual bool GetMinimize();
    virtual bool SetMinimize(bool value);
    virtual bool SetActive(bool value);
    virtual bool GetActive();
    // Drives the messenger into the status for code; false when it was not (fully) reached.
    virtual bool ApplyStatus(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) = 0;
    virtual void LoadSettings();
    virtual void SaveSettings();

protected:
    IMessengerNotification(int connect, int disconnect)
        : connectStatus(connect), disconnectStatus(disconnect) {}
    ~IMessengerNotification() = default;

    // What every ApplyStatus works with once the host has had its say.
    struct StatusRequest {
        std::u16string text;               // the template with the host's placeholders filled in
        int index = 0;                     // connect or disconnect status, as stored
        const StatusEntry* row = nullptr;  // the table row at index; null when out of range
        bool minimize = false;             // GameConnect with GetMinimize()
    };
    StatusRequest prepareStatus(std::uint32_t code, std::span<const StatusEntry> table);
    int statusIndexFor(std::uint32_t code);

    int connectStatus;
    int disconnectStatus;
    bool changeMessage = false;  // "IsMessage"
    bool minimize = false;       // "IsMinimize"
    bool active = false;         // "IsActive"
    std::u16string message = kDefaultMessage;
};

// The row at index, or null when index is outside the table.
const StatusEntry* statusRow(std::span<const StatusEntry> table, int index);
// The name at index, or empty text when index is outside the table.
std::u16string statusName(std::span<const StatusEntry> table, int index);

}  // namespace orvane::messengers
