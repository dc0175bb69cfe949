// MyPlugin: this plug-in. It owns the six messenger back-ends and the RCON tab, registers five of
// the back-ends at start-up, logs server changes, passes server traffic to the tab and opens the
// settings dialog.
//
// Invariants:
// - QIP's back-end is built and destroyed with the plug-in but never registered, offered, loaded or
//   saved, so no event ever reaches it.
// - The registered back-ends receive every event in the order ICQ 2003, Miranda, MSN 7, AIM,
//   Trillian, the order in which AppInit registers them.
// - After AppInit the plug-in is active whatever the settings file said.
// - The tab exists from CreateTabs to AppDeInit; only the few members defined next to the dialog
//   classes touch it, so this header needs its name only.
#pragma once

#include <memory>

#include "messengers/backends.h"
#include "plugin/interfaces.h"

namespace orvane::ui {
class CRconTab;
}

namespace orvane::plugin {

// Deletes the tab where its class is complete.
struct RconTabDeleter {
    void operator()(ui::CRconTab* tab) const noexcept;
};

class MyPlugin final : public IPlugin {
public:
    MyPlugin() = default;
#if defined(_WIN32)
    ~MyPlugin();
    void* DeletingDestructor(unsigned flags) override;
#else
    ~MyPlugin() override;
#endif
    MyPlugin(const MyPlugin&) = delete;
    MyPlugin& operator=(const MyPlugin&) = delete;

    std::u16string GetName() override;  // also names the settings file: never change it
    std::u16string GetAuthor() override;
    std::u16string GetDescription() override;
    std::u16string GetVersion() override;
    std::u16string GetHomepage() override;
    bool HandleEvent(std::uint32_t code, std::uintptr_t data, std::uintptr_t extra) override;
    // Null parent: true at once, nothing shown. Otherwise runs the settings dialog modally, which
    // changes the back-ends in memory only; true when it closes.
    bool ShowSettings(platform::WindowHandle parent) override;

    // Destroyed in reverse order, before IPlugin's list and tree.
    messengers::ICQ2003MN icq2003;
    messengers::MirandaMN miranda;
    messengers::QIPMN qip;
    messengers::MSN7MN msn7;
    messengers::AIMMN aim;
    messengers::TRILLIANMN trillian;
    std::unique_ptr<ui::CRconTab, RconTabDeleter> rconTab;  // null until CreateTabs

private:
    // Defined with the dialog classes.
    bool CreateRconTab();                               // CreateTabs; always false
    bool RunSettingsDialog(platform::WindowHandle parent);
    void PassToTab(std::uint32_t code, std::uintptr_t data);  // see routeToTab
};

}  // namespace orvane::plugin
