#include "messengers/window_steps.h"

#include "platform/window_messages.h"

namespace orvane::messengers::detail {

using namespace platform;

WindowHandle findProcessDialog(WindowSystem& ws, WindowHandle owner) {
    std::uint32_t wanted = 0;
    ws.getWindowThreadProcessId(owner, &wanted);
    for (WindowHandle w = ws.findWindowEx(0, 0, u"#32770", nullptr); w != 0;
         w = ws.findWindowEx(0, w, u"#32770", nullptr)) {
        std::uint32_t pid = 0;
        ws.getWindowThreadProcessId(w, &pid);
        if (pid == wanted) return w;
    }
    return 0;
}

void confirmAwayText(WindowSystem& ws, const StatusEntry& row, const std::u16string& text) {
    if (text.empty() || !row.dialogTitle) return;
    WindowHandle dialog = ws.findWindow(nullptr, row.dialogTitle);
    if (!dialog) return;
    WindowHandle edit = ws.findWindowEx(dialog, 0, u"Edit", nullptr);
    if (!edit) return;
    ws.sendMessage(edit, kWmSetText, 0, textParam(text));
    ws.sendMessage(dialog, kWmCommand, kIdOk, 0);
}

LParam textParam(const std::u16string& text) { return reinterpret_cast<LParam>(text.c_str()); }

}  // namespace orvane::messengers::detail
