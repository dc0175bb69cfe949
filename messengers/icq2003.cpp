// ICQ 2003: the status command goes to its "#32770" main window, which is found through the process
// that owns its API window; statuses with a dialog title then ask for the away text.
#include "messengers/backends.h"
#include "messengers/window_steps.h"
#include "platform/window_messages.h"

namespace orvane::messengers {

using namespace platform;

bool ICQ2003MN::ApplyStatus(std::uint32_t code, std::uintptr_t, std::uintptr_t) {
    const StatusRequest request = prepareStatus(code, kIcq2003Statuses);
    if (!request.row) return false;
    WindowSystem& ws = windowSystem();
    WindowHandle api = ws.findWindow(u"ICQMsgAPI Window", nullptr);
    if (!api) return false;
    WindowHandle main = detail::findProcessDialog(ws, api);
    if (!main) return false;
    ws.sendMessage(main, kWmCommand, static_cast<WParam>(request.row->command), 0);
    detail::confirmAwayText(ws, *request.row, request.text);
    // Hidden even when the away text could not be typed: the status command has gone through.
    if (request.minimize) ws.showWindowAsync(main, kSwHide);
    return true;
}

}  // namespace orvane::messengers
