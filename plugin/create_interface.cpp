// The module's entry. Loading the module does nothing by itself; all plug-in state is made here.
#include <memory>
#include <new>

#include "plugin/entry.h"
#include "plugin/module_state.h"
#include "plugin/my_plugin.h"

#if defined(_WIN32)
#include "platform/win32/dialog_system_win32.h"
#include "platform/win32/window_system_win32.h"
#endif

extern "C" ORVANE_MODULE_EXPORT orvane::plugin::IPlugin* CreateInterface(
    orvane::plugin::IHost* host) {
    using namespace orvane::plugin;
    g_host = host;
#if defined(_WIN32)
    // On Windows the module drives the real desktop, and its dialogs come from its own resources.
    orvane::platform::setWindowSystem(&orvane::platform::win32::nativeWindowSystem());
    orvane::platform::setDialogSystem(&orvane::platform::win32::nativeDialogSystem());
#endif
    // No exception may cross into the host: running out of memory answers null.
    try {
        g_plugin = std::make_unique<MyPlugin>().release();
    } catch (const std::bad_alloc&) {
        g_plugin = nullptr;
    }
    return g_plugin;
}
