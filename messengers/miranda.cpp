// Miranda: every running instance gets the status command in turn, each finishing with its own
// away-text dialog before the next is told, so one dialog title never stands for two windows.
#include "messengers/backends.h"
#include "messengers/window_steps.h"
#include "platform/window_messages.h"

namespace orvane::messengers {

using namespace platform;

bool MirandaMN::ApplyStatus(std::uint32_t code, std::uintptr_t, std::uintptr_t) {
    const StatusRequest request = prepareStatus(code, kMirandaStatuses);
    WindowSystem& ws = windowSystem();
    for (WindowHandle w = ws.findWindowEx(0, 0, u"Miranda", nullptr); w != 0;
         w = ws.findWindowEx(0, w, u"Miranda", nullptr)) {
        // Read anew for each instance: the settings may have been changed meanwhile.
        const StatusEntry* row = statusRow(kMirandaStatuses, statusIndexFor(code));
        if (!row) break;
        ws.sendMessage(w, kWmCommand, static_cast<WParam>(row->command), 0);
        detail::confirmAwayText(ws, *row, request.text);
        if (request.minimize) ws.showWindowAsync(w, kSwHide);
    }
    return false;
}

}  // namespace orvane::messengers
