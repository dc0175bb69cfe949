#include "host/module_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvane::host {

bool loadModule(const std::string& path, plugin::CreateInterfaceFunction& createInterface,
                std::string& error) {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "cannot load the module (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    createInterface = reinterpret_cast<plugin::CreateInterfaceFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, plugin::kCreateInterfaceSymbol)));
#else
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        error = reason ? reason : "cannot load the module";
        return false;
    }
    createInterface = reinterpret_cast<plugin::CreateInterfaceFunction>(
        dlsym(module, plugin::kCreateInterfaceSymbol));
#endif
    if (createInterface == nullptr) {
        error = std::string("the module has no ") + plugin::kCreateInterfaceSymbol;
        return false;
    }
    return true;
}

}  // namespace orvane::host
