// The module-wide window system. One pointer, set by whoever starts the module (the Windows build,
// a host, a test); never owned here.
#include "platform/window_system.h"

namespace orvane::platform {
namespace {

// Stands in before anything is installed, so a stray call finds no window instead of crashing.
class EmptyDesktop final : public WindowSystem {
public:
    WindowHandle findWindow(const char16_t*, const char16_t*) override { return 0; }
    WindowHandle findWindowEx(WindowHandle, WindowHandle, const char16_t*,
                              const char16_t*) override {
        return 0;
    }
    LResult sendMessage(WindowHandle, std::uint32_t, WParam, LParam) override { return 0; }
    bool postMessage(WindowHandle, std::uint32_t, WParam, LParam) override { return false; }
    WindowHandle getDlgItem(WindowHandle, int) override { return 0; }
    std::u16string getWindowText(WindowHandle, int) override { return {}; }
    std::uint32_t getWindowThreadProcessId(WindowHandle, std::uint32_t* processId) override {
        if (processId) *processId = 0;
        return 0;
    }
    bool showWindowAsync(WindowHandle, int) override { return false; }
    bool isWindow(WindowHandle) override { return false; }
    bool enableWindow(WindowHandle, bool) override { return false; }
};

EmptyDesktop g_emptyDesktop;
WindowSystem* g_current = &g_emptyDesktop;

}  // namespace

WindowSystem& windowSystem() { return *g_current; }

void setWindowSystem(WindowSystem* system) { g_current = system ? system : &g_emptyDesktop; }

}  // namespace orvane::platform
