// MyPlugin's members that need the dialog classes: making the RCON tab and offering it to the host,
// passing server traffic to it, destroying it, and running the settings dialog.
#include "plugin/host_log.h"
#include "plugin/my_plugin.h"
#include "plugin/tab_routing.h"
#include "ui/rcon_tab.h"
#include "ui/settings_dialog.h"

namespace orvane::plugin {

void RconTabDeleter::operator()(ui::CRconTab* tab) const noexcept {
    std::default_delete<ui::CRconTab>()(tab);
}

bool MyPlugin::CreateRconTab() {
    rconTab.reset(std::make_unique<ui::CRconTab>().release());
    rconTab->Create(0);  // from template 104, without a parent window
    const bool taken =
        g_host != nullptr && g_host->AddServerTab(u"Call of Duty", rconTab->GetSafeHwnd());
    // A page the host refused stays ours and is destroyed at AppDeInit like a taken one.
    if (!taken) detail::hostLog(u"Error: RconTab\n");
    return false;
}

void MyPlugin::PassToTab(std::uint32_t code, std::uintptr_t data) {
    routeToTab(rconTab.get(), code, data);
}

bool MyPlugin::RunSettingsDialog(platform::WindowHandle parent) {
    ui::CSettings dialog(parent);
    for (messengers::IMessengerNotification* backEnd :
         {static_cast<messengers::IMessengerNotification*>(&miranda),
          static_cast<messengers::IMessengerNotification*>(&icq2003),
          static_cast<messengers::IMessengerNotification*>(&msn7),
          static_cast<messengers::IMessengerNotification*>(&aim),
          static_cast<messengers::IMessengerNotification*>(&trillian)})
        dialog.AddMessenger(backEnd);
    dialog.DoModal();
    return true;
}

}  // namespace orvane::plugin
