// The window-system seam: the few window calls through which the plug-in finds and drives windows,
// its own and other programs'.
//
// Invariants:
// - Handles are opaque; 0 is "no window" and every call accepts it (finding nothing, doing
// nothing).
// - Nullable strings are `const char16_t*`: null means "any" in the find calls, never "empty".
// - Every call runs on the caller's thread and returns at once; sendMessage runs the receiver's
//   handling before it returns, postMessage only queues.
// - windowSystem() always yields a usable object: until setWindowSystem() names one, and after it
// is
//   reset with null, it is a desktop without windows on which every find fails.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::platform {

using WindowHandle = std::uintptr_t;  // 0 = none
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // First top-level window, in window-manager order, matching class and title (null = any).
    virtual WindowHandle findWindow(const char16_t* className, const char16_t* title) = 0;
    // First child of parent (0 = the top-level windows) after childAfter (0 = from the first) that
    // matches class and title (null = any).
    virtual WindowHandle findWindowEx(WindowHandle parent, WindowHandle childAfter,
                                      const char16_t* className, const char16_t* title) = 0;
    virtual LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) = 0;
    virtual bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) = 0;
    // The direct child of dialog whose control id is id.
    virtual WindowHandle getDlgItem(WindowHandle dialog, int id) = 0;
    // The window's title, at most maxChars units; empty for no window.
    virtual std::u16string getWindowText(WindowHandle window, int maxChars) = 0;
    // The id of the thread that made the window (0 for none); its process id goes to *processId.
    virtual std::uint32_t getWindowThreadProcessId(WindowHandle window,
                                                   std::uint32_t* processId) = 0;
    // Whether the window was visible before.
    virtual bool showWindowAsync(WindowHandle window, int showCommand) = 0;
    virtual bool isWindow(WindowHandle window) = 0;
    // Whether the window was disabled before.
    virtual bool enableWindow(WindowHandle window, bool enable) = 0;
};

// The module-wide window system that the back-ends and dialogs use.
WindowSystem& windowSystem();
// Not owned; the object must outlive its use. Null restores the empty desktop.
void setWindowSystem(WindowSystem* system);

}  // namespace orvane::platform
