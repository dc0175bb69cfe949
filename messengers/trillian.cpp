// Trillian comes in two kinds: the classic one with its "trillian" window, which takes the away
// command itself, and the contact-list one, whose commands go through its "iconholder" child.
// Going away fills in the "Add Away Message" dialog (not keeping the message) and clicks its
// button; coming back sends the per-connection Online commands 5501 to 5520 to the icon holder.
#include "messengers/backends.h"
#include "messengers/window_steps.h"
#include "platform/window_messages.h"

namespace orvane::messengers {

using namespace platform;

namespace {
constexpr WParam kClassicAway = 40019;
constexpr WParam kIconHolderAway = 30050;
constexpr WParam kFirstOnline = 5501;
constexpr WParam kLastOnline = 5520;
constexpr int kKeepMessageBox = 1046;
constexpr int kAwayTextEdit = 1043;
constexpr int kSetAwayButton = 1047;
constexpr int kOnlineIndex = 0;
}  // namespace

bool TRILLIANMN::ApplyStatus(std::uint32_t code, std::uintptr_t, std::uintptr_t) {
    const StatusRequest request = prepareStatus(code, kTrillianStatuses);
    WindowSystem& ws = windowSystem();
    WindowHandle target = ws.findWindow(u"trillian", nullptr);
    const bool classic = target != 0;
    if (!classic) {
        target = ws.findWindowEx(0, 0, u"icoCTactTrilly", u"Trillian");
        if (!target) return false;
    }
    WindowHandle iconHolder = ws.findWindowEx(target, 0, nullptr, u"iconholder");
    if (!iconHolder && !classic) return false;

    if (request.index != kOnlineIndex) {
        if (classic) {
            ws.sendMessage(target, kWmCommand, kClassicAway, 0);
        } else {
            ws.sendMessage(iconHolder, kWmCommand, kIconHolderAway, 0);
        }
        WindowHandle dialog = ws.findWindow(u"#32770", u"Add Away Message");
        if (!dialog) return false;
        if (WindowHandle keep = ws.getDlgItem(dialog, kKeepMessageBox))
            ws.sendMessage(keep, kBmSetCheck, kBstUnchecked, 0);
        // Typed even when empty, so no earlier text is left standing in the field.
        if (WindowHandle edit = ws.getDlgItem(dialog, kAwayTextEdit))
            ws.sendMessage(edit, kWmSetText, 0, detail::textParam(request.text));
        WindowHandle button = ws.getDlgItem(dialog, kSetAwayButton);
        ws.sendMessage(dialog, kWmCommand, static_cast<WParam>(kSetAwayButton),
                       static_cast<LParam>(button));
    } else if (iconHolder) {
        for (WParam command = kFirstOnline; command <= kLastOnline; ++command)
            ws.sendMessage(iconHolder, kWmCommand, command, 0);
    }

    if (request.minimize) ws.showWindowAsync(target, kSwShowMinimized);
    return true;
}

}  // namespace orvane::messengers
