// The module's two dialogs, opened for real and worked as a user works them, with window messages:
// picks in the combo boxes followed by the note the dialog listens to, clicks (BM_CLICK), typing
// (WM_SETTEXT followed by EN_CHANGE) and list selections (LVM_SETITEMSTATE, whose LVN_ITEMCHANGED
// the list sends itself). After every act the controls must look as the user would then see them:
// enabled or not, checked or not, what a box or edit shows.
//   orvane_win32_dialogs_test SCRIPT   (the session script giving the server and the game server)
// The settings dialog runs three rounds (edits applied, edits dropped by Close, a look at what was
// kept) and the settings file written at AppDeInit must hold the applied edits only. The RCON tab
// is shown several servers in turn; message boxes it raises are closed by a watcher thread that
// records their texts.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "config/config_parser.h"
#include "plugin/interfaces.h"
#include "tests/win32/check.h"
#include "tests/win32/real_host.h"
#include "ui/templates.h"

namespace {

using namespace orvane;
using wintest::RealHost;

// ---- reading and working controls -------------------------------------------------------------

std::string narrowed(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring windowText(HWND window) {
    wchar_t buffer[512] = L"";
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

// A list view's items, top down.
std::vector<std::wstring> listed(HWND list) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[256] = L"";
        LVITEMW item{};
        item.pszText = buffer;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
        items.push_back(buffer);
    }
    return items;
}

std::string joined(const std::vector<std::wstring>& texts) {
    std::string out;
    for (const std::wstring& t : texts) out += (out.empty() ? "" : ", ") + narrowed(t);
    return out;
}

enum class ActKind { Click, Pick, Type };

struct Act {
    ActKind kind;
    int id;
    const wchar_t* text = nullptr;  // Pick: the entry; Type: what is typed
};

// A click reaches a control only while it is enabled; a disabled one is a failure of the step.
bool perform(HWND dialog, const Act& act) {
    HWND control = GetDlgItem(dialog, act.id);
    if (!control || !IsWindowEnabled(control)) return false;
    switch (act.kind) {
        case ActKind::Click: wintest::click(dialog, act.id); return true;
        case ActKind::Pick: return wintest::pick(dialog, act.id, act.text);
        case ActKind::Type: wintest::type(dialog, act.id, act.text); return true;
    }
    return false;
}

// How one control must look; the fields left at their defaults are not looked at.
enum Tri { Any, No, Yes };
constexpr int kAnySelection = -2;

struct Look {
    int id;
    Tri enabled = Any;
    Tri checked = Any;
    int selection = kAnySelection;  // CB_GETCURSEL of a combo box
    const wchar_t* text = nullptr;  // GetWindowTextW: a box's selected entry, an edit's text
};

void expect(HWND dialog, const std::string& where, const std::vector<Look>& looks) {
    for (const Look& look : looks) {
        HWND control = GetDlgItem(dialog, look.id);
        const std::string what = where + ", control " + std::to_string(look.id);
        if (!WCHECK(control != nullptr, what)) continue;
        if (look.enabled != Any)
            WCHECK_EQ(IsWindowEnabled(control) != FALSE, look.enabled == Yes, what + " enabled");
        if (look.checked != Any)
            WCHECK_EQ(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, look.checked == Yes,
                      what + " checked");
        if (look.selection != kAnySelection)
            WCHECK_EQ(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)), look.selection,
                      what + " selection");
        if (look.text)
            WCHECK_EQ(narrowed(windowText(control)), narrowed(look.text), what + " text");
    }
}

// ---- the settings dialog ----------------------------------------------------------------------

namespace s = ui::settings_ids;

// Miranda starts switched off with a text of its own, ICQ2003 on; the rest have no settings yet.
constexpr const char* kStartingSettings = R"(['IsActive'] = true;
['Miranda'] = { ['Message'] = 'Gaming'; ['ConnectStatus'] = 3; ['DisconnectStatus'] = 1;
    ['IsMinimize'] = false; ['IsMessage'] = false; ['IsActive'] = false; };
['ICQ2003'] = { ['Message'] = 'On <SERVERNAME>'; ['ConnectStatus'] = 2; ['DisconnectStatus'] = 0;
    ['IsMinimize'] = true; ['IsMessage'] = true; ['IsActive'] = true; };
)";

struct Step {
    const char* name;  // the rule the looks pin
    Act act;
    std::vector<Look> looks;
};

struct Round {
    const char* name;
    std::vector<Look> opened;  // the dialog as it opens
    std::vector<Step> steps;   // then Close
};

// Miranda as it opens before any edit: off, so every status control is greyed.
const std::vector<Look> kMirandaAsLoaded = {
    {s::kMessenger, Yes, Any, 0, L"Miranda"}, {s::kGroup, Any, Any, kAnySelection, L"Miranda"},
    {s::kActive, Yes, No}, {s::kConnectStatus, No, Any, 3, L"NA"},
    {s::kDisconnectStatus, No, Any, 1, L"Online"}, {s::kChangeMessage, No, No},
    {s::kMessage, No, Any, kAnySelection, L"Gaming"}, {s::kMinimize, No, No}, {s::kTest, No},
    {s::kApply, No}};

// Miranda as round one applied it.
const std::vector<Look> kMirandaApplied = {
    {s::kActive, Yes, Yes}, {s::kConnectStatus, Yes, Any, 4, L"Occupied"},
    {s::kDisconnectStatus, Yes, Any, 1, L"Online"}, {s::kChangeMessage, Yes, Yes},
    {s::kMessage, Yes, Any, kAnySelection, L"Fragging on <SERVERNAME>"}, {s::kMinimize, Yes, No},
    {s::kTest, Yes}};

// ICQ2003 after round one switched it off: the choices stay, greyed.
const std::vector<Look> kIcqSwitchedOff = {
    {s::kGroup, Any, Any, kAnySelection, L"ICQ2003"}, {s::kActive, Yes, No},
    {s::kConnectStatus, No, Any, 2, L"Away"}, {s::kDisconnectStatus, No, Any, 0, L"Online"},
    {s::kChangeMessage, No, Yes}, {s::kMessage, No, Any, kAnySelection, L"On <SERVERNAME>"},
    {s::kMinimize, No, Yes}, {s::kTest, No}};

std::vector<Look> with(std::vector<Look> looks, std::initializer_list<Look> more) {
    looks.insert(looks.end(), more);
    return looks;
}

const std::vector<Round> kRounds = {
    {"edits kept by Apply",
     kMirandaAsLoaded,
     {
         {"Active ungreys the status controls but not the text",
          {ActKind::Click, s::kActive},
          {{s::kActive, Yes, Yes}, {s::kConnectStatus, Yes}, {s::kDisconnectStatus, Yes},
           {s::kChangeMessage, Yes, No}, {s::kMessage, No}, {s::kMinimize, Yes}, {s::kTest, Yes},
           {s::kApply, Yes}}},
         {"Change away message ungreys the text",
          {ActKind::Click, s::kChangeMessage},
          {{s::kChangeMessage, Yes, Yes}, {s::kMessage, Yes}}},
         {"the typed text stays in the edit",
          {ActKind::Type, s::kMessage, L"Fragging on <SERVERNAME>"},
          {{s::kMessage, Yes, Any, kAnySelection, L"Fragging on <SERVERNAME>"}, {s::kApply, Yes}}},
         {"a connect status is picked",
          {ActKind::Pick, s::kConnectStatus, L"Occupied"},
          {{s::kConnectStatus, Yes, Any, 4, L"Occupied"}, {s::kApply, Yes}}},
         {"Apply greys itself", {ActKind::Click, s::kApply}, {{s::kApply, No}}},
         {"another messenger shows its own settings",
          {ActKind::Pick, s::kMessenger, L"ICQ2003"},
          {{s::kMessenger, Yes, Any, 1, L"ICQ2003"}, {s::kGroup, Any, Any, kAnySelection, L"ICQ2003"},
           {s::kActive, Yes, Yes}, {s::kConnectStatus, Yes, Any, 2, L"Away"},
           {s::kDisconnectStatus, Yes, Any, 0, L"Online"}, {s::kChangeMessage, Yes, Yes},
           {s::kMessage, Yes, Any, kAnySelection, L"On <SERVERNAME>"}, {s::kMinimize, Yes, Yes}}},
         {"switching a messenger off greys its controls",
          {ActKind::Click, s::kActive},
          with(kIcqSwitchedOff, {{s::kApply, Yes}})},
         {"Apply takes the switch", {ActKind::Click, s::kApply}, {{s::kApply, No}}},
     }},
    {"edits dropped by Close",
     with(kMirandaApplied, {{s::kMessenger, Yes, Any, 0, L"Miranda"}, {s::kApply, No}}),
     {
         {"Minimize is an edit",
          {ActKind::Click, s::kMinimize},
          {{s::kMinimize, Yes, Yes}, {s::kApply, Yes}}},
         {"a text typed but not applied",
          {ActKind::Type, s::kMessage, L"never applied"},
          {{s::kMessage, Yes, Any, kAnySelection, L"never applied"}}},
         {"a disconnect status picked but not applied",
          {ActKind::Pick, s::kDisconnectStatus, L"Away"},
          {{s::kDisconnectStatus, Yes, Any, 2, L"Away"}}},
         {"ICQ2003 shows what was applied to it",
          {ActKind::Pick, s::kMessenger, L"ICQ2003"},
          kIcqSwitchedOff},
         {"switching back dropped Miranda's edits",
          {ActKind::Pick, s::kMessenger, L"Miranda"},
          kMirandaApplied},
         {"an edit left for Close",
          {ActKind::Click, s::kChangeMessage},
          {{s::kChangeMessage, Yes, No}, {s::kMessage, No}}},
     }},
    {"Close kept nothing of the last round",
     with(kMirandaApplied, {{s::kMessenger, Yes, Any, 0, L"Miranda"}}),
     {{"ICQ2003 is still off", {ActKind::Pick, s::kMessenger, L"ICQ2003"}, kIcqSwitchedOff}}},
};

struct ModalRun {
    const Round* round = nullptr;
    bool opened = false;
} g_run;

// Runs inside the dialog's modal loop: the round's acts, then Close.
void CALLBACK playRound(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = wintest::findOwnWindow(L"#32770", L"Settings");
    if (!dialog || g_run.opened) return;
    KillTimer(nullptr, timer);
    g_run.opened = true;
    const Round& round = *g_run.round;
    expect(dialog, std::string(round.name) + ": as opened", round.opened);
    for (const Step& step : round.steps) {
        const std::string where = std::string(round.name) + ": " + step.name;
        if (!WCHECK(perform(dialog, step.act), where + ": the act reached an enabled control"))
            break;
        expect(dialog, where, step.looks);
    }
    SendMessageW(GetDlgItem(dialog, s::kClose), BM_CLICK, 0, 0);
    if (!WCHECK(!IsWindow(dialog) || !IsWindowVisible(dialog),
                std::string(round.name) + ": Close ends the dialog"))
        EndDialog(dialog, IDCANCEL);
}

void settingsRounds(RealHost& host) {
    for (const Round& round : kRounds) {
        g_run = {&round, false};
        // The round is played from inside the dialog's own message loop.
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, playRound);
        host.plugin().ShowSettings(reinterpret_cast<platform::WindowHandle>(host.frame()));
        KillTimer(nullptr, timer);
        WCHECK(g_run.opened, std::string(round.name) + ": the settings dialog opened");
    }
}

// What AppDeInit wrote: the applied edits only.
const std::pair<const char*, const char*> kSaved[] = {
    {"Miranda", "true 4 1 true false Fragging on <SERVERNAME>"},
    {"ICQ2003", "false 2 0 true true On <SERVERNAME>"},
};

void checkSavedSettings(const std::string& file) {
    config::ConfigParser parser;
    if (!WCHECK(parser.loadFile(std::string_view(file), Value(), false),
                "the settings file loads: " + file))
        return;
    for (const auto& [messenger, expected] : kSaved) {
        std::string shown;  // IsActive ConnectStatus DisconnectStatus IsMessage IsMinimize Message
        for (const char* key :
             {"IsActive", "ConnectStatus", "DisconnectStatus", "IsMessage", "IsMinimize", "Message"}) {
            const Value& v = parser.variables.findByName(messenger).findByName(key);
            shown += (shown.empty() ? "" : " ") +
                     (v.isBoolean() ? std::string(v.toBoolean() ? "true" : "false")
                                    : wintest::show(v.toWideString()));
        }
        WCHECK_EQ(shown, std::string(expected), std::string("saved ") + messenger);
    }
}

// ---- the RCON tab and its message boxes -------------------------------------------------------

namespace r = ui::rcon_ids;

// Closes every message box this process shows (a "#32770" window with the box's text control,
// 0xFFFF) with OK, keeping "<caption>: <text>" of each.
class BoxWatcher {
public:
    BoxWatcher() : thread_([this] { watch(); }) {}
    ~BoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<std::wstring> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(seen_, {});
    }

private:
    void watch() {
        while (!stop_) {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
                DWORD process = 0;
                GetWindowThreadProcessId(w, &process);
                HWND text = GetDlgItem(w, 0xFFFF);
                if (process != GetCurrentProcessId() || !text || !IsWindowVisible(w) ||
                    closing_ == w)
                    continue;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(windowText(w) + L": " + windowText(text));
                }
                closing_ = w;
                PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            Sleep(20);
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> seen_;
    HWND closing_ = nullptr;  // posted to already; a box closes once
    std::thread thread_;
};

struct ServerRow {
    const char* name;
    const char16_t* gameType;  // ['Server']['GameType']
    const char16_t* ruleType;  // ['Rules']['g_gametype']
    const char16_t* address;   // each row its own, so no row sees another's listing
    Tri typeBoxEnabled;
    int typeSelection;
    std::vector<std::wstring> listedAfterUpdate;  // top down
    std::vector<std::wstring> boxes;              // what Update raised
};

// In this order: the game type box keeps its selection when a later server greys it.
const ServerRow kServers[] = {
    {"a game without rule files is refused", u"Quake3", u"ctf", u"192.0.2.1:27960", No, -1,
     {}, {L"orvane-host: Not supported by this gametype!"}},
    {"a CoD4 server's game type is shown", u"CoD4", u"war", u"192.0.2.2:28960", Yes, 1, {}, {}},
    {"a CoD2 server lists its rule files bottom up", u"CoD2", u"sd", u"192.0.2.7:28960", No, 1,
     {L"scrim.gsc", L"cal.gsc", L"ogl.gsc", L"cb.gsc", L"pub.gsc"}, {}},
};

void becomeCurrent(RealHost& host, const ServerRow& row) {
    Value& server = host.session().server;
    server.entry(Value("Server")).entry(Value("GameType")).setWideString(row.gameType);
    server.entry(Value("Server")).entry(Value("Addr")).setWideString(row.address);
    server.entry(Value("Rules")).entry(Value("g_gametype")).setWideString(row.ruleType);
    host.send(plugin::ServerChanged);
}

void checkBoxes(BoxWatcher& watcher, const std::vector<std::wstring>& want,
                const std::string& where) {
    // A box raised inside a send was recorded before it closed, hence before the send returned.
    std::vector<std::wstring> got = watcher.take();
    WCHECK_EQ(joined(got), joined(want), where + ": message boxes");
}

bool lineLogged(std::FILE* written, const std::string& log, const std::string& line) {
    std::fflush(written);
    std::ifstream in(log);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ("\n" + all).find("\n" + line + "\n") != std::string::npos;
}

void rconTab(RealHost& host, std::FILE* hostLog, const std::string& hostLogPath) {
    BoxWatcher watcher;
    host.send(plugin::CreateTabs);
    HWND tab = host.tab();
    if (!WCHECK(tab != nullptr, "the host took the RCON tab")) return;
    ShowWindow(host.frame(), SW_SHOW);
    HWND list = GetDlgItem(tab, r::kRuleList);
    HWND changeMode = GetDlgItem(tab, r::kChangePamMode);
    for (const ServerRow& row : kServers) {
        becomeCurrent(host, row);
        expect(tab, std::string(row.name) + ": server changed",
               {{r::kChangePamMode, No},
                {r::kGameType, row.typeBoxEnabled, Any, row.typeSelection,
                 row.typeSelection < 0 ? L"" : nullptr}});
        if (!WCHECK(perform(tab, {ActKind::Click, r::kUpdate}),
                    std::string(row.name) + ": Update clicked"))
            continue;
        RealHost::pump();
        host.deliverReplies();
        WCHECK_EQ(joined(listed(list)), joined(row.listedAfterUpdate),
                  std::string(row.name) + ": listed");
        checkBoxes(watcher, row.boxes, row.name);
        WCHECK(!IsWindowEnabled(changeMode),
               std::string(row.name) + ": nothing picked, Change Pam Mode greyed");
    }
    if (!WCHECK_EQ(static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)), 5,
                   "the rule files to pick from"))
        return;

    // The second file listed, picked as a click picks it.
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    WCHECK(IsWindowEnabled(changeMode), "a picked rule file ungreys Change Pam Mode");
    if (!WCHECK(perform(tab, {ActKind::Click, r::kChangePamMode}), "Change Pam Mode clicked"))
        return;
    RealHost::pump();
    host.deliverReplies();
    checkBoxes(watcher, {L"orvane-host: pam_mode is now cal"}, "the server's new pam_mode");
    // The commands behind it: the file's name without .gsc, the question, and the restart the
    // server's announcement asks for.
    for (const char* line : {"host: rcon command: pam_mode cal", "host: rcon command: pam_mode",
                             "host: rcon command: fast_restart"})
        WCHECK(lineLogged(hostLog, hostLogPath, line), std::string("the host was asked: ") + line);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane_win32_dialogs_test SCRIPT\n");
        return 2;
    }
    const std::string work = wintest::programDirectory() + "dialogs_test\\";
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string settings = work + "plugin_Orvane Messenger Plugin.cfg";
    if (std::FILE* f = std::fopen(settings.c_str(), "w")) {
        std::fputs(kStartingSettings, f);
        std::fclose(f);
    }
    const std::string hostLogPath = work + "host.log";
    std::FILE* hostLog = std::fopen(hostLogPath.c_str(), "w");
    {
        RealHost host;
        std::string why;
        if (!WCHECK(hostLog && host.start(argv[1], work.substr(0, work.size() - 1), hostLog, why),
                    why))
            return wintest::finish();
        host.send(plugin::AppInit);
        settingsRounds(host);
        rconTab(host, hostLog, hostLogPath);
        host.send(plugin::AppDeInit);
        host.unload();
    }
    std::fclose(hostLog);
    checkSavedSettings(settings);
    return wintest::finish();
}
