// The module's two global pointers, written once by CreateInterface and never cleared: the host
// object every host call goes through, and the plug-in object whose `config` tree the messenger
// back-ends keep their settings in. Code reached before CreateInterface must treat null as "no
// host".
#pragma once

#include "plugin/interfaces.h"

namespace orvane::plugin {

inline IHost* g_host = nullptr;
inline IPlugin* g_plugin = nullptr;

}  // namespace orvane::plugin
