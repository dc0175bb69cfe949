// MSN Messenger 7 offers no status command, so the back-end plays the user's keys into its status
// menu: open the menu, six Up to reach its first entry whatever was highlighted, Right into the
// status list, Down once per row, Return. The keys are posted, as typed keys would be queued; the
// back-end cannot see whether the menu opened.
#include "messengers/backends.h"
#include "platform/window_messages.h"

namespace orvane::messengers {

using namespace platform;

namespace {
constexpr WParam kOpenStatusMenu = 101;
constexpr int kUpPresses = 6;
}  // namespace

bool MSN7MN::ApplyStatus(std::uint32_t code, std::uintptr_t, std::uintptr_t) {
    const StatusRequest request = prepareStatus(code, kMsn7Statuses);
    if (!request.row) return false;
    WindowSystem& ws = windowSystem();
    WindowHandle hidden = ws.findWindow(u"MSNHiddenWindowClass", nullptr);
    if (!hidden) return false;
    ws.postMessage(hidden, kWmCommand, kOpenStatusMenu, 0);
    for (int i = 0; i < kUpPresses; ++i) ws.postMessage(hidden, kWmKeyDown, kVkUp, 0);
    ws.postMessage(hidden, kWmKeyDown, kVkRight, 0);
    for (std::int32_t i = 0; i < request.row->command; ++i)
        ws.postMessage(hidden, kWmKeyDown, kVkDown, 0);
    ws.postMessage(hidden, kWmKeyDown, kVkReturn, 0);
    if (request.minimize) {
        if (WindowHandle main = ws.findWindow(u"MSBLWindowClass", nullptr))
            ws.sendMessage(main, kWmClose, 0, 0);
    }
    return true;
}

}  // namespace orvane::messengers
