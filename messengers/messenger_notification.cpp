// The status tables and the behaviour every back-end shares: settings, event routing and the first
// steps of acting on a game connection.
#include "messengers/messenger_notification.h"

#include "plugin/module_state.h"

namespace orvane::messengers {
namespace {

constexpr StatusEntry kIcq2003Rows[] = {
    {u"Online", 6545, nullptr},
    {u"Free for Chat", 6291, u"Change/Confirm \"Free For Chat\" Message"},
    {u"Away", 6547, u"Change / Confirm Away Message"},
    {u"N/A", 6223, u"Change/Confirm N/A Message"},
    {u"Occupied", 6222, u"Change / Confirm Occupied Message"},
    {u"DND", 6548, u"Change/Confirm DND Message"},
    {u"Privacy", 6549, nullptr},
    {u"Offline", 6546, nullptr},
};

constexpr StatusEntry kMirandaRows[] = {
    {u"Offline", 40071, nullptr},
    {u"Online", 40072, u"Change Online Message"},
    {u"Away", 40073, u"Change Away Message"},
    {u"NA", 40075, u"Change NA Message"},
    {u"Occupied", 40076, u"Change Occupied Message"},
    {u"DND", 40074, u"Change DND Message"},
    {u"Free for Chat", 40077, u"Change Free for Chat Message"},
    {u"Invisible", 40078, nullptr},
    {u"On the Phone", 40079, nullptr},
    {u"Out to Lunch", 40080, nullptr},
};

constexpr StatusEntry kQipRows[] = {
    {u"Offline", 75, nullptr},
    {u"Invisible for all", 73, nullptr},
    {u"Invisible", 72, nullptr},
    {u"Online", 71, nullptr},
    {u"Do not disturb", 69, nullptr},
    {u"Occupied", 68, nullptr},
    {u"Not Available", 213, nullptr},
    {u"Away", 209, nullptr},
    {u"Lunch", 65, nullptr},
    {u"@Work", 63, nullptr},
    {u"@Home", 62, nullptr},
    {u"Depression", 61, nullptr},
    {u"Evil", 60, nullptr},
    {u"Free for Chat", 59, nullptr},
};

// The command is the number of Down presses in the messenger's status menu, so it equals the row.
// "lanch" is the name users have always seen here; the settings file stores indices, not names.
constexpr StatusEntry kMsn7Rows[] = {
    {u"Online", 0, nullptr},
    {u"Busy", 1, nullptr},
    {u"Be right back", 2, nullptr},
    {u"Away", 3, nullptr},
    {u"On the phone", 4, nullptr},
    {u"Out to lanch", 5, nullptr},
    {u"Invisible", 6, nullptr},
};

constexpr StatusEntry kOnlineAwayRows[] = {
    {u"Online", 0, nullptr},
    {u"Away", 1, nullptr},
};

Value* settingsNode(const std::u16string& name) {
    if (!plugin::g_plugin) return nullptr;
    return &plugin::g_plugin->config.entry(Value(std::u16string_view(name)));
}

}  // namespace

constexpr std::span<const StatusEntry> kIcq2003Statuses{kIcq2003Rows};
constexpr std::span<const StatusEntry> kMirandaStatuses{kMirandaRows};
constexpr std::span<const StatusEntry> kQipStatuses{kQipRows};
constexpr std::span<const StatusEntry> kMsn7Statuses{kMsn7Rows};
constexpr std::span<const StatusEntry> kAimStatuses{kOnlineAwayRows};
constexpr std::span<const StatusEntry> kTrillianStatuses{kOnlineAwayRows};

const StatusEntry* statusRow(std::span<const StatusEntry> table, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

std::u16string statusName(std::span<const StatusEntry> table, int index) {
    const StatusEntry* row = statusRow(table, index);
    return row ? std::u16string(row->name) : std::u16string();
}

bool IMessengerNotification::OnEvent(std::uint32_t code, std::uintptr_t data,
                                     std::uintptr_t extra) {
    switch (code) {
        case plugin::GameConnect:
        case plugin::GameDisconnect: return ApplyStatus(code, data, extra);
        case plugin::AppInit: LoadSettings(); return true;
        case plugin::AppDeInit: SaveSettings(); return true;
        default: return false;
    }
}

int IMessengerNotification::GetConnectStatus() { return connectStatus; }
int IMessengerNotification::GetDisconnectStatus() { return disconnectStatus; }
int IMessengerNotification::SetConnectStatus(int index) { return connectStatus = index; }
int IMessengerNotification::SetDisconnectStatus(int index) { return disconnectStatus = index; }
void IMessengerNotification::SetMessage(std::u16string text) { message = std::move(text); }
std::u16string IMessengerNotification::GetMessage() { return message; }
bool IMessengerNotification::GetChangeMessage() { return changeMessage; }
bool IMessengerNotification::SetChangeMessage(bool value) { return changeMessage = value; }
bool IMessengerNotification::GetMinimize() { return minimize; }
bool IMessengerNotification::SetMinimize(bool value) { return minimize = value; }
bool IMessengerNotification::SetActive(bool value) { return active = value; }
bool IMessengerNotification::GetActive() { return active; }

void IMessengerNotification::LoadSettings() {
    Value* node = settingsNode(GetName());
    if (!node) return;
    // entry() leaves an Undef slot behind for every key it does not find. That is harmless: the
    // back-end's SaveSettings fills all six before the tree is written.
    if (const Value& v = node->entry(Value("Message")); v.kind() != ValueKind::Undef)
        message = v.toWideString();
    if (const Value& v = node->entry(Value("ConnectStatus")); v.kind() != ValueKind::Undef)
        SetConnectStatus(v.toInteger());
    if (const Value& v = node->entry(Value("DisconnectStatus")); v.kind() != ValueKind::Undef)
        SetDisconnectStatus(v.toInteger());
    if (const Value& v = node->entry(Value("IsMinimize")); v.kind() != ValueKind::Undef)
        SetMinimize(v.toBoolean());
    if (const Value& v = node->entry(Value("IsMessage")); v.kind() != ValueKind::Undef)
        SetChangeMessage(v.toBoolean());
    if (const Value& v = node->entry(Value("IsActive")); v.kind() != ValueKind::Undef)
        SetActive(v.toBoolean());
}

void IMessengerNotification::SaveSettings() {
    Value* node = settingsNode(GetName());
    if (!node) return;
    node->entry(Value("Message")).setWideString(message);
    node->entry(Value("ConnectStatus")).setInteger(GetConnectStatus());
    node->entry(Value("DisconnectStatus")).setInteger(GetDisconnectStatus());
    node->entry(Value("IsMinimize")).setBoolean(GetMinimize());
    node->entry(Value("IsMessage")).setBoolean(GetChangeMessage());
    node->entry(Value("IsActive")).setBoolean(GetActive());
}

int IMessengerNotification::statusIndexFor(std::uint32_t code) {
    return code == plugin::GameConnect ? GetConnectStatus() : GetDisconnectStatus();
}

IMessengerNotification::StatusRequest IMessengerNotification::prepareStatus(
    std::uint32_t code, std::span<const StatusEntry> table) {
    StatusRequest request;
    Value server;
    plugin::IHost* host = plugin::g_host;
    if (host) host->GetCurrentServer(server);  // false: no server; the template is expanded anyway
    request.text = GetMessage();
    if (host) host->ExpandVariables(server, request.text);
    request.index = statusIndexFor(code);
    request.row = statusRow(table, request.index);
    request.minimize = code == plugin::GameConnect && GetMinimize();
    return request;
}

}  // namespace orvane::messengers
