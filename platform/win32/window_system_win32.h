// The window-system seam on real Windows: each call goes straight to the user32 call of the same
// name, in its wide-character form.
//
// Invariants: 16-bit text crosses as wchar_t, which has the width of char16_t on this platform;
// window handles travel as their integer value. The object keeps no state, so one process-wide
// instance serves every caller.
#pragma once

#include "platform/window_system.h"

namespace orvane::platform::win32 {

// The process-wide instance; it lives as long as the module.
WindowSystem& nativeWindowSystem();

}  // namespace orvane::platform::win32
