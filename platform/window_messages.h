// Window-message numbers and constants that cross the window-system seam.
//
// The values are the window system's own and bind every program the back-ends talk to; never change
// one. The names carry a k prefix instead of the system's upper-case spelling because the Windows
// headers define those spellings as macros, and this header must stay includable next to them.
#pragma once

#include <cstdint>

namespace orvane::platform {

// Messages.
inline constexpr std::uint32_t kWmSetText = 0x000C;  // lParam points to the new 16-bit text
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;  // wParam is a virtual-key code
inline constexpr std::uint32_t kWmCommand =
    0x0111;  // wParam: command or control id; lParam: control
inline constexpr std::uint32_t kBmSetCheck = 0x00F1;  // wParam: check state (0 = unchecked)

// Virtual-key codes.
inline constexpr std::uintptr_t kVkReturn = 0x0D;
inline constexpr std::uintptr_t kVkUp = 0x26;
inline constexpr std::uintptr_t kVkRight = 0x27;
inline constexpr std::uintptr_t kVkDown = 0x28;

// Show commands.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMinimized = 2;
inline constexpr int kSwShow = 5;
inline constexpr int kSwMinimize = 6;

// Dialog command ids.
inline constexpr std::uintptr_t kIdOk = 1;
inline constexpr std::uintptr_t kIdCancel = 2;

// Button check states.
inline constexpr std::uintptr_t kBstUnchecked = 0;
inline constexpr std::uintptr_t kBstChecked = 1;

}  // namespace orvane::platform
