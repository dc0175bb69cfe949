#include "ui/templates.h"

namespace orvane::ui {
namespace {

using namespace platform;  // the control kinds and style bits

constexpr std::uint32_t kCombo = kCbsDropDownList | kWsVScroll | kWsTabStop;
constexpr std::uint32_t kCheck = kBsAutoCheckBox | kWsTabStop;
constexpr std::uint32_t kPush = kBsPushButton | kWsTabStop;

constexpr ControlTemplate kSettingsControls[] = {
    {1011, ControlKind::Static, u"Messenger:", {16, 9, 134, 8}, kSsLeft},
    {1006, ControlKind::ComboBox, u"", {157, 7, 149, 30}, kCombo},
    {1016, ControlKind::CheckBox, u"Active", {15, 32, 36, 10}, kCheck},
    {1012, ControlKind::Static, u"Status on connect:", {15, 44, 134, 8}, kSsLeft},
    {1001, ControlKind::ComboBox, u"", {158, 42, 149, 30}, kCombo},
    {1013, ControlKind::Static, u"Status on disconnect:", {15, 61, 139, 8}, kSsLeft},
    {1002, ControlKind::ComboBox, u"", {158, 58, 149, 30}, kCombo},
    {1005, ControlKind::CheckBox, u"Change away message", {15, 77, 141, 10}, kCheck},
    {1004, ControlKind::Edit, u"", {15, 89, 291, 59},
     kEsMultiline | kEsAutoHScroll | kWsBorder | kWsTabStop},
    {1003, ControlKind::CheckBox, u"Minimize on connecting", {15, 151, 149, 10}, kCheck},
    {1014, ControlKind::PushButton, u"Apply", {110, 169, 50, 14}, kPush},
    {1015, ControlKind::PushButton, u"Test", {163, 169, 50, 14}, kPush},
    {2, ControlKind::PushButton, u"Close", {216, 169, 50, 14}, kPush},
    {1010, ControlKind::GroupBox, u"MessengerName", {7, 21, 309, 145}, kBsGroupBox},
};

// Several rule files may be selected, and the selection hides while the list lacks the focus: no
// single-selection and no always-show-selection bits.
constexpr ControlTemplate kRconTabControls[] = {
    {1007, ControlKind::PushButton, u"Update", {3, 3, 108, 14}, kPush},
    {1008, ControlKind::ListView, u"", {114, 0, 205, 89},
     kLvsList | kLvsAlignLeft | kWsBorder | kWsTabStop},
    {1009, ControlKind::PushButton, u"Change Pam Mode", {3, 19, 107, 14}, kPush | kWsDisabled},
    {1017, ControlKind::ComboBox, u"", {3, 35, 107, 30}, kCombo},
};

constexpr DialogTemplate kTemplates[] = {
    {kSettingsTemplateId, u"Settings", u"MS Shell Dlg", 8, 323, 190,
     kDsSetFont | kDsModalFrame | kWsPopup | kWsCaption | kWsSysMenu, kSettingsControls},
    {kRconTabTemplateId, u"", u"MS Shell Dlg", 8, 320, 90, kDsSetFont | kWsChild,
     kRconTabControls},
};

}  // namespace

std::span<const DialogTemplate> dialogTemplates() { return kTemplates; }

}  // namespace orvane::ui
