// AIM: a notify command first, then, found through the idle-alarm window's process, the buddy list.
// Going away opens the "Playing Game" away window, whose inner text window takes the away text;
// coming back cancels that window.
#include "messengers/backends.h"
#include "messengers/window_steps.h"
#include "platform/window_messages.h"

namespace orvane::messengers {

using namespace platform;

namespace {
constexpr WParam kNotifyCommand = 20003;
constexpr WParam kAwayCommand = 24003;
constexpr int kAwayIndex = 1;
constexpr char16_t kAwayWindowTitle[] = u"Playing Game";
}  // namespace

bool AIMMN::ApplyStatus(std::uint32_t code, std::uintptr_t, std::uintptr_t) {
    const StatusRequest request = prepareStatus(code, kAimStatuses);
    WindowSystem& ws = windowSystem();
    WindowHandle notify = ws.findWindow(u"_Oscar_StatusNotify", nullptr);
    if (!notify) return false;
    // Sent before the rest is looked for, so a half-running AIM still gets it.
    ws.sendMessage(notify, kWmCommand, kNotifyCommand, 0);
    WindowHandle idle = ws.findWindow(u"_AIM_Idle_Alarm", nullptr);
    if (!idle) return false;
    WindowHandle main = detail::findProcessDialog(ws, idle);
    if (!main) return false;

    if (request.index == kAwayIndex) {
        ws.sendMessage(main, kWmCommand, kAwayCommand, 0);
        if (WindowHandle away = ws.findWindow(nullptr, kAwayWindowTitle)) {
            WindowHandle frame = ws.findWindowEx(away, 0, u"WndAte32Class", nullptr);
            WindowHandle text = frame ? ws.findWindowEx(frame, 0, u"Ate32Class", nullptr) : 0;
            if (text) ws.sendMessage(text, kWmSetText, 0, detail::textParam(request.text));
            ws.showWindowAsync(away, kSwMinimize);
        }
    } else if (WindowHandle away = ws.findWindow(nullptr, kAwayWindowTitle)) {
        ws.sendMessage(away, kWmCommand, kIdCancel, 0);
    }

    if (request.minimize) ws.showWindowAsync(main, kSwHide);
    return true;
}

}  // namespace orvane::messengers
