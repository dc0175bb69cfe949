// The plug-in object's own handling of host events, its identity and its settings entry point.
// Everything that needs the dialog classes lives in plugin_ui.cpp.
#include "plugin/my_plugin.h"

#include <memory>

#include "plugin/host_log.h"

namespace orvane::plugin {

MyPlugin::~MyPlugin() = default;

#if defined(_WIN32)
void* MyPlugin::DeletingDestructor(unsigned flags) {
    // The class is final, so this object is the whole allocation CreateInterface made.
    if (flags & 1)
        std::default_delete<MyPlugin>()(this);
    else
        std::destroy_at(this);
    return this;
}
#endif

std::u16string MyPlugin::GetName() { return u"Orvane Messenger Plugin"; }
std::u16string MyPlugin::GetAuthor() { return u"The Orvane developers"; }
std::u16string MyPlugin::GetDescription() { return u"Supported messenger: ICQ2003b, Miranda"; }
std::u16string MyPlugin::GetVersion() { return u"0.0.0.1"; }
std::u16string MyPlugin::GetHomepage() { return u"http://orvane.invalid/"; }

bool MyPlugin::HandleEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t) {
    switch (code) {
        case AppInit: {
            detail::hostLog(u"App Init\n");
            active = true;
            // This order is the order in which every later event reaches them.
            messengers::IMessengerNotification* const registered[] = {&icq2003, &miranda, &msn7,
                                                                        &aim, &trillian};
            for (messengers::IMessengerNotification* backEnd : registered) {
                AddInterface(backEnd);
                if (g_host != nullptr) g_host->RegisterInterface(backEnd);
            }
            return true;
        }
        case AppDeInit:
            rconTab.reset();
            detail::hostLog(u"App DeInit");
            return true;
        case CreateTabs: return CreateRconTab();
        case GameConnect: return true;  // the back-ends act on it when OnEvent forwards it
        case ServerChanged: {
            // Read without `entry`: the host's Value is not ours to add keys to, and a missing key
            // reads as Undef either way.
            const auto* server = reinterpret_cast<const Value*>(data);
            const Value& info = server ? *server : Value::undef();
            detail::hostLog(u"Server Changed to: " +
                            info.findByName("Info").findByName("Hostname").toWideString() + u"\n");
            detail::hostLog(u"GameType: " +
                            info.findByName("Server").findByName("GameType").toWideString() + u"\n");
            PassToTab(code, data);
            return false;
        }
        case RconResponse:
        case PlayersChanged: PassToTab(code, data); return false;
        default: return false;
    }
}

bool MyPlugin::ShowSettings(platform::WindowHandle parent) {
    if (parent == 0) return true;
    return RunSettingsDialog(parent);
}

}  // namespace orvane::plugin
