// Window steps that more than one back-end takes. Internal to the back-ends.
#pragma once

#include <string>

#include "messengers/messenger_notification.h"
#include "platform/window_system.h"

namespace orvane::messengers::detail {

// The first top-level "#32770" window, in window-manager order, made by the process that owns
// `owner`; 0 when that process shows none.
platform::WindowHandle findProcessDialog(platform::WindowSystem& ws, platform::WindowHandle owner);

// Types text into the away-text dialog that the row's status opens and confirms it. Does nothing
// when text is empty or the row names no dialog, or when the dialog or its edit field is missing.
void confirmAwayText(platform::WindowSystem& ws, const StatusEntry& row,
                     const std::u16string& text);

platform::LParam textParam(const std::u16string& text);  // a WM_SETTEXT lParam for text

}  // namespace orvane::messengers::detail
