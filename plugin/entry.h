// The module's one export as the host sees it: CreateInterface, under its undecorated name.
//
// The host calls it once with its host object and gets the plug-in object back (null when it could
// not be made); from then on both sides talk only through the interfaces' virtual tables. The host
// destroys the plug-in through IPlugin's deleting destructor.
#pragma once

#include "plugin/interfaces.h"

#if defined(_WIN32)
#define ORVANE_MODULE_EXPORT __declspec(dllexport)
#else
#define ORVANE_MODULE_EXPORT __attribute__((visibility("default")))
#endif

namespace orvane::plugin {

using CreateInterfaceFunction = IPlugin* (*)(IHost* host);
inline constexpr char kCreateInterfaceSymbol[] = "CreateInterface";

}  // namespace orvane::plugin

extern "C" ORVANE_MODULE_EXPORT orvane::plugin::IPlugin* CreateInterface(
    orvane::plugin::IHost* host);
