// Which host events reach the RCON tab, and in what shape.
//
// Invariants:
// - Nothing reaches a tab whose window is gone (IsWindow through the window-system seam is false),
//   nor a tab that does not exist: replies and updates for it are dropped, not kept.
// - A reply reaches the tab as its lines: every LF ends a line, a CR right before that LF is
//   dropped (any other CR is kept), empty lines are kept, and text after the last LF is one more
//   line unless it is empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window_system.h"
#include "plugin/interfaces.h"
#include "ui/string_vector.h"

namespace orvane::plugin {

ui::ZelStringVector<char16_t> splitReplyLines(std::u16string_view reply);

// Tab: anything with GetSafeHwnd, OnRconResponse(lines), OnServerChanged and OnPlayersChanged.
// `data` is the event's: for RconResponse a const std::u16string* (null reads as an empty reply).
template <class Tab>
void routeToTab(Tab* tab, std::uint32_t code, std::uintptr_t data) {
    if (tab == nullptr || !platform::windowSystem().isWindow(tab->GetSafeHwnd())) return;
    switch (code) {
        case RconResponse: {
            const auto* reply = reinterpret_cast<const std::u16string*>(data);
            tab->OnRconResponse(splitReplyLines(reply ? std::u16string_view(*reply) : u""));
            break;
        }
        case ServerChanged: tab->OnServerChanged(); break;
        case PlayersChanged: tab->OnPlayersChanged(); break;
        default: break;
    }
}

}  // namespace orvane::plugin
