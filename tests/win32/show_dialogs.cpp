// Shows one of the module's dialogs on the real desktop, filled as a user would leave it, and keeps
// it up until told to close, so that it can be photographed:
//   orvane_show_dialogs settings|tab SCRIPT DATADIR READY DONE
// Once the dialog is drawn, READY gets its screen rectangle as "x y width height"; the dialog
// closes when the file DONE exists (or after a minute, which fails). Exit 0 when it was shown.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "plugin/interfaces.h"
#include "tests/win32/real_host.h"
#include "ui/templates.h"

namespace {

using namespace orvane;
using wintest::RealHost;

constexpr DWORD kMostWaitMs = 60000;

struct Request {
    std::string ready, done;
    DWORD started = 0;
    bool shown = false, timedOut = false;
} g_request;

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool writeReady(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    std::FILE* f = std::fopen(g_request.ready.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return std::fclose(f) == 0;
}

bool timeToClose() {
    if (exists(g_request.done)) return true;
    g_request.timedOut = GetTickCount() - g_request.started > kMostWaitMs;
    return g_request.timedOut;
}

void checkOn(HWND dialog, int id) {
    if (IsDlgButtonChecked(dialog, id) != BST_CHECKED) wintest::click(dialog, id);
}

// Runs inside the settings dialog's modal loop.
void CALLBACK settingsTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    using namespace ui::settings_ids;
    HWND dialog = wintest::findOwnWindow(L"#32770", L"Settings");
    if (!dialog) return;
    if (!g_request.shown) {
        wintest::pick(dialog, kMessenger, L"ICQ2003");
        checkOn(dialog, kActive);
        wintest::pick(dialog, kConnectStatus, L"N/A");
        wintest::pick(dialog, kDisconnectStatus, L"Online");
        checkOn(dialog, kChangeMessage);
        wintest::type(dialog, kMessage, L"Fragging on <SERVERNAME> (<SERVERADDRPORT>)");
        UpdateWindow(dialog);
        g_request.shown = writeReady(dialog);
    } else if (timeToClose()) {
        KillTimer(nullptr, timer);
        wintest::click(dialog, kClose);
    }
}

bool showSettings(RealHost& host) {
    ShowWindow(host.frame(), SW_SHOW);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, settingsTimer);
    host.plugin().ShowSettings(reinterpret_cast<platform::WindowHandle>(host.frame()));
    KillTimer(nullptr, timer);
    return g_request.shown && !g_request.timedOut;
}

bool showTab(RealHost& host) {
    using namespace ui::rcon_ids;
    host.send(plugin::CreateTabs);
    HWND tab = host.tab();
    if (!tab) return false;
    ShowWindow(host.frame(), SW_SHOW);
    host.send(plugin::ServerChanged);
    wintest::click(tab, kUpdate);
    RealHost::pump();
    host.deliverReplies();
    // The second file listed, selected as a click selects it; the list shows its selection only
    // while it has the focus.
    HWND list = GetDlgItem(tab, kRuleList);
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    SetForegroundWindow(host.frame());
    SetFocus(list);
    UpdateWindow(host.frame());
    RealHost::pump();
    if (!writeReady(tab)) return false;
    while (!timeToClose()) {
        RealHost::pump();
        Sleep(50);
    }
    return !g_request.timedOut;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc == 6 ? argv[1] : "";
    if (which != "settings" && which != "tab") {
        std::fprintf(stderr, "usage: orvane_show_dialogs settings|tab SCRIPT DATADIR READY DONE\n");
        return 2;
    }
    g_request.ready = argv[4];
    g_request.done = argv[5];
    g_request.started = GetTickCount();
    RealHost host;
    std::string why;
    if (!host.start(argv[2], argv[3], stdout, why)) {
        std::fprintf(stderr, "orvane_show_dialogs: %s\n", why.c_str());
        return 1;
    }
    host.send(plugin::AppInit);
    const bool shown = which == "settings" ? showSettings(host) : showTab(host);
    if (!shown) std::fprintf(stderr, "orvane_show_dialogs: the %s was not shown\n", which.c_str());
    return shown ? 0 : 1;
}
