// QIP: other programs use the "TMainForm" class too, so a window counts as QIP's only when its
// title starts with "[qip]" and it holds QIP's edit field; the walk ends at the first one that is
// not.
#include "messengers/backends.h"
#include "messengers/window_steps.h"
#include "platform/window_messages.h"

namespace orvane::messengers {

using namespace platform;

namespace {
constexpr int kTitleChars = 1024;
constexpr std::u16string_view kTitleMark = u"[qip]";
}  // namespace

bool QIPMN::ApplyStatus(std::uint32_t code, std::uintptr_t, std::uintptr_t) {
    const StatusRequest request = prepareStatus(code, kQipStatuses);
    if (!request.row) return false;
    WindowSystem& ws = windowSystem();
    for (WindowHandle w = ws.findWindowEx(0, 0, u"TMainForm", nullptr); w != 0;
         w = ws.findWindowEx(0, w, u"TMainForm", nullptr)) {
        std::u16string title = ws.getWindowText(w, kTitleChars);
        if (title.empty() || !title.starts_with(kTitleMark)) return false;
        if (!ws.findWindowEx(w, 0, u"WindowsForms10.EDIT.app.0.378734a", nullptr)) return false;
        ws.sendMessage(w, kWmCommand, static_cast<WParam>(request.row->command), 0);
        detail::confirmAwayText(ws, *request.row, request.text);
        if (request.minimize) ws.showWindowAsync(w, kSwHide);
    }
    return false;
}

}  // namespace orvane::messengers
