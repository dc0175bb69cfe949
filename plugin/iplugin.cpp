// What every plug-in of this host does alike: route the host's events and keep the settings file.
//
// Invariants:
// - The settings file is read before AppInit reaches anyone and written after AppDeInit has reached
//   everyone, so the back-ends load from the file just read and the file holds what they saved.
// - While `active` is false only AppInit and AppDeInit get through; OnEvent answers true anyway.
// - Receivers are called in list order and the list's length is read anew before each call, so a
//   receiver may add to the list while an event is under way.
// - A failed load leaves `config` and `active` as they were; a failed write is not reported (the
//   log says "saved" all the same), as the host expects.
#include "config/config_parser.h"
#include "config/printer.h"
#include "plugin/host_log.h"
#include "plugin/interfaces.h"
#include "plugin/settings_file.h"

namespace orvane::plugin {
namespace {

// Without a host there is no data directory, hence no file to read or write.
bool settingsPath(IPlugin& plugin, std::u16string& path) {
    if (g_host == nullptr) return false;
    path = settingsFilePath(g_host->GetDataDirectory(), plugin.GetName());
    return true;
}

}  // namespace

bool IPlugin::OnEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) {
    if (code == AppInit) LoadConfiguration();
    if (active || code == AppInit || code == AppDeInit) {
        HandleEvent(code, data, extra);
        for (std::size_t i = 0; i < interfaces.size(); ++i) interfaces[i]->OnEvent(code, data, extra);
    }
    if (code == AppDeInit) SaveConfiguration();
    return true;
}

bool IPlugin::AddInterface(IInterface* object) {
    for (const IInterface* listed : interfaces)
        if (listed == object) return false;
    interfaces.push_back(object);
    return true;
}

void IPlugin::LoadConfiguration() {
    std::u16string path;
    if (!settingsPath(*this, path)) return;
    config::ConfigParser parser;
    if (!parser.loadFile(std::u16string_view(path), Value(), false)) {
        detail::hostLog(path + u" not loaded\n");
        return;
    }
    config = parser.variables;
    active = config.entry(Value("IsActive")).toBoolean();
    detail::hostLog(path + u" loaded\n");
}

void IPlugin::SaveConfiguration() {
    std::u16string path;
    if (!settingsPath(*this, path)) return;
    config.entry(Value("IsActive")).setBoolean(active);
    writeSettingsFile(path, config::printConfig(config, Value()));
    detail::hostLog(path + u" saved\n");
}

}  // namespace orvane::plugin
