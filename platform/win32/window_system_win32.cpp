#include "platform/win32/window_system_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>

namespace orvane::platform::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "16-bit text must cross as wchar_t");

HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle toHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
const wchar_t* toWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

class NativeWindowSystem final : public WindowSystem {
public:
    WindowHandle findWindow(const char16_t* className, const char16_t* title) override {
        return toHandle(FindWindowW(toWide(className), toWide(title)));
    }
    WindowHandle findWindowEx(WindowHandle parent, WindowHandle childAfter,
                              const char16_t* className, const char16_t* title) override {
        return toHandle(
            FindWindowExW(toHwnd(parent), toHwnd(childAfter), toWide(className), toWide(title)));
    }
    LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override {
        if (window == 0) return 0;  // SendMessageW(null) would go nowhere anyway; spare the call
        return SendMessageW(toHwnd(window), message, wParam, lParam);
    }
    bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                     LParam lParam) override {
        // A null window would post to this thread's own queue, which no seam caller means.
        if (window == 0) return false;
        return PostMessageW(toHwnd(window), message, wParam, lParam) != FALSE;
    }
    WindowHandle getDlgItem(WindowHandle dialog, int id) override {
        return toHandle(GetDlgItem(toHwnd(dialog), id));
    }
    std::u16string getWindowText(WindowHandle window, int maxChars) override {
        if (window == 0 || maxChars <= 0) return {};
        std::u16string text(static_cast<std::size_t>(maxChars) + 1, u'\0');
        const int n = GetWindowTextW(toHwnd(window), reinterpret_cast<wchar_t*>(text.data()),
                                     maxChars + 1);
        text.resize(static_cast<std::size_t>(std::clamp(n, 0, maxChars)));
        return text;
    }
    std::uint32_t getWindowThreadProcessId(WindowHandle window,
                                           std::uint32_t* processId) override {
        DWORD process = 0;
        const DWORD thread = GetWindowThreadProcessId(toHwnd(window), &process);
        if (processId) *processId = process;
        return thread;
    }
    bool showWindowAsync(WindowHandle window, int showCommand) override {
        return ShowWindowAsync(toHwnd(window), showCommand) != FALSE;
    }
    bool isWindow(WindowHandle window) override { return IsWindow(toHwnd(window)) != FALSE; }
    bool enableWindow(WindowHandle window, bool enable) override {
        return EnableWindow(toHwnd(window), enable ? TRUE : FALSE) != FALSE;
    }
};

}  // namespace

WindowSystem& nativeWindowSystem() {
    static NativeWindowSystem system;
    return system;
}

}  // namespace orvane::platform::win32
