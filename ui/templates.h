// The dialog templates of the settings dialog (102) and the RCON tab (104), the control ids the
// dialogs' code addresses, and string 104.
//
// These tables are the reference the module's resource script is checked against: ids, kinds,
// texts, positions (dialog units) and style bits must agree with it entry for entry, in template
// order, which is also the tab order.
#pragma once

#include <span>

#include "platform/dialog_system.h"

namespace orvane::ui {

inline constexpr int kSettingsTemplateId = 102;
inline constexpr int kRconTabTemplateId = 104;

// String 104 of the string table; the tab never loads it.
inline constexpr int kRconTabStringId = 104;
inline constexpr char16_t kRconTabString[] = u"IDS_RCONTAB";

namespace settings_ids {
inline constexpr int kConnectStatus = 1001;
inline constexpr int kDisconnectStatus = 1002;
inline constexpr int kMinimize = 1003;
inline constexpr int kMessage = 1004;
inline constexpr int kChangeMessage = 1005;
inline constexpr int kMessenger = 1006;
inline constexpr int kGroup = 1010;
inline constexpr int kApply = 1014;
inline constexpr int kTest = 1015;
inline constexpr int kActive = 1016;
inline constexpr int kClose = 2;  // the cancel command
}  // namespace settings_ids

namespace rcon_ids {
inline constexpr int kUpdate = 1007;
inline constexpr int kRuleList = 1008;
inline constexpr int kChangePamMode = 1009;
inline constexpr int kGameType = 1017;
}  // namespace rcon_ids

// Both templates, for a dialog system that builds dialogs from tables.
std::span<const platform::DialogTemplate> dialogTemplates();

}  // namespace orvane::ui
