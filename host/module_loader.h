// Loading the plug-in module and finding its entry, as the real host does.
//
// A loaded module stays loaded until the process ends: the module keeps the slabs of its Value
// pool reachable only from its own storage, so unloading it early would strand them.
#pragma once

#include <string>

#include "plugin/entry.h"

namespace orvane::host {

// The module at path, opened, and its CreateInterface; false with a reason in error when either
// cannot be had.
bool loadModule(const std::string& path, plugin::CreateInterfaceFunction& createInterface,
                std::string& error);

}  // namespace orvane::host
