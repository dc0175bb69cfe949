// The module's entry. Loading the module does nothing by itself; all plug-in state is made here.
#include <memory>
#include <new>

#include "plugin/entry.h"
#include "plugin/module_state.h"
#include "plugin/my_plugin.h"

extern "C" ORVANE_MODULE_EXPORT orvane::plugin::IPlugin* CreateInterface(
    orvane::plugin::IHost* host) {
    using namespace orvane::plugin;
    g_host = host;
    // No exception may cross into the host: running out of memory answers null.
    try {
        g_plugin = std::make_unique<MyPlugin>().release();
    } catch (const std::bad_alloc&) {
        g_plugin = nullptr;
    }
    return g_plugin;
}
