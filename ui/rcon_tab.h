// CRconTab: the Call of Duty page in the host's server view. It lists the rule sets of the server's
// PAM mod and switches the server's pam_mode through remote-console commands that the host sends,
// and sends "fast_restart" when the server announces a game type change that waits for a restart.
//
// Invariants:
// - Replies are classified by their shape alone; the tab keeps no record of what it asked.
// - rulesByServer only grows: every server address that was current at a listing or a refresh
//   keeps an entry (perhaps empty) for the tab's life.
// - The tab reaches the host only through plugin::g_host; without one it acts as if there were no
//   current server, and sends nothing.
// - Its window belongs to the dialog system installed when it was made, which must stay installed
//   while the window lives.
#pragma once

#include <map>
#include <string>

#include "platform/dialog_system.h"
#include "plugin/interfaces.h"
#include "ui/string_vector.h"

namespace orvane::ui {

class CRconTab : private platform::DialogHandler, private plugin::IInterface {
public:
    CRconTab();
    virtual ~CRconTab();  // destroys the window if it still exists
    CRconTab(const CRconTab&) = delete;
    CRconTab& operator=(const CRconTab&) = delete;

    using plugin::IInterface::OnEvent;  // the default: every event returns false

    // Makes the page's window from template 104 under parent (0 = none). False when it already
    // has one or the window cannot be made.
    bool Create(platform::WindowHandle parent);
    platform::WindowHandle GetSafeHwnd() const { return window_; }

    // One server reply, split into lines.
    void OnRconResponse(ZelStringVector<char16_t> lines);
    void OnServerChanged();
    void OnPlayersChanged();

private:
    bool onInitDialog(platform::WindowHandle dialog) override;
    bool onCommand(platform::WindowHandle dialog, int id, std::uint32_t code) override;
    platform::LResult onNotify(platform::WindowHandle dialog, int id, std::uint32_t code) override;

    void OnUpdate();
    void OnChangePamMode();
    platform::LResult OnRuleListItemChanged();
    void RefreshRuleList();

    platform::WindowHandle window_ = 0;
    std::u16string lastGameType_;  // the current server's g_gametype as last seen
    std::map<std::u16string, ZelStringVector<char16_t>> rulesByServer_;  // by "Server" "Addr"
};

}  // namespace orvane::ui
