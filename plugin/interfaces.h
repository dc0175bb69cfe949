// The host boundary: the interfaces that the host and the plug-in call each other through, and the
// event codes that travel over them.
//
// ORDER: the host calls every operation below by its position in the virtual table, so the order of
// the virtual operations in IInterface, IPlugin and IHost (and in every interface derived from
// IInterface) is a contract, pinned by a test. Never reorder, insert or remove one; the Reserved
// operations of IHost hold the places of host operations that this module never calls.
//
// The event codes are the host's numbers; the plug-in compares codes with them exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "value/value.h"

namespace orvane::plugin {

enum EventCode : std::uint32_t {
    AppInit = 0x1001,
    AppDeInit = 0x1002,
    CreateTabs = 0x1004,
    GameConnect = 0x2001,
    GameDisconnect = 0x2002,
    ServerChanged = 0x3001,   // data: const Value* server information
    PlayersChanged = 0x3002,  // data: const Value* holding "Players"
    RconResponse = 0x5002,    // data: const std::u16string* reply text
};

// Every object that receives host events. No receiver in the module reads `extra`.
class IInterface {
public:
    virtual bool OnEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) {
        (void)code, (void)data, (void)extra;
        return false;
    }

protected:
    // Not deletable through this interface: the table has no destructor slot.
    ~IInterface() = default;
};

// The plug-in as the host sees it: the configuration tree and the event forwarding common to every
// plug-in of this host.
class IPlugin : public IInterface {
public:
    Value config;                         // the configuration tree; Undef until loaded or written
    int level = 50;                       // for the host only; at most 100
    bool active = false;                  // while false only AppInit and AppDeInit get through
    std::vector<IInterface*> interfaces;  // not owned, each at most once, events go in this order

    // Loads at AppInit, forwards to HandleEvent and then to `interfaces`, saves at AppDeInit.
    bool OnEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
#if defined(_WIN32)
    // The host's compiler gives a virtual destructor one slot, its deleting form, where MinGW would
    // give two; so here that slot is declared for what it is. It destroys the object, frees it when
    // bit 0 of flags is set, and returns its address. Hosts destroy the plug-in through it.
    virtual void* DeletingDestructor(unsigned flags) = 0;
#else
    virtual ~IPlugin() = default;  // the host destroys the plug-in through this
#endif
    virtual std::u16string GetName() = 0;
    virtual std::u16string GetAuthor() = 0;
    virtual std::u16string GetDescription() = 0;
    virtual std::u16string GetVersion() = 0;
    virtual std::u16string GetHomepage() = 0;
    virtual int SetLevel(int value) { return level = value > 100 ? 100 : value; }
    virtual int GetLevel() { return level; }
    virtual bool HandleEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) {
        (void)code, (void)data, (void)extra;
        return false;
    }
    virtual bool ShowSettings(platform::WindowHandle parent) {
        (void)parent;
        return false;
    }

    // Appends object unless it is already listed; false when it was.
    bool AddInterface(IInterface* object);
    void LoadConfiguration();  // the settings file into `config`
    void SaveConfiguration();  // `config` into the settings file

#if defined(_WIN32)
protected:
    ~IPlugin() = default;  // only through DeletingDestructor
#endif
};

// The host object as the plug-in uses it. Results the plug-in never looks at are plain bools.
class IHost {
public:
    virtual void Reserved0() = 0;
    virtual void Reserved1() = 0;
    virtual void Reserved2() = 0;
    virtual void Reserved3() = 0;
    virtual void Reserved4() = 0;
    // server must come in Undef; true: the host has a current server, described in server.
    virtual bool GetCurrentServer(Value& server) = 0;
    // Replaces the placeholders (<GAMEDESC>, <SERVERNAME>, <SERVERADDRPORT>, ...) in text in place.
    virtual bool ExpandVariables(const Value& server, std::u16string& text) = 0;
    virtual void Reserved5() = 0;
    virtual void Reserved6() = 0;
    virtual void Reserved7() = 0;
    virtual bool Log(std::u16string line) = 0;
    virtual std::u16string GetDataDirectory() = 0;
    virtual bool RegisterInterface(IInterface* object) = 0;
    virtual bool AddServerTab(std::u16string gameName, platform::WindowHandle page) = 0;
    virtual bool SendRconCommand(std::u16string command) = 0;
    virtual bool ReportValue(const std::u16string& text) = 0;

protected:
    ~IHost() = default;
};

}  // namespace orvane::plugin

#if defined(_WIN32)
// Hosts hold the plug-in in a std::unique_ptr<IPlugin>; on Windows that must go through the
// deleting-destructor slot, as the host's own compiler would.
template <>
struct std::default_delete<orvane::plugin::IPlugin> {
    void operator()(orvane::plugin::IPlugin* plugin) const noexcept {
        plugin->DeletingDestructor(1);
    }
};
#endif
