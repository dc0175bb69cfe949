// Server texts are read with entry() on the tab's own copy of the server Value, so a missing key
// reads as the text "undef", which counts as a value (a CoD2 server without g_gametype is asked for
// the "undef" rules).
#include "ui/rcon_tab.h"

#include <iterator>
#include <string_view>

#include "plugin/module_state.h"
#include "ui/templates.h"
#include "ui/word_splitter.h"
#include "value/text.h"

namespace orvane::ui {

using namespace rcon_ids;
using platform::dialogSystem;
using platform::LResult;
using platform::WindowHandle;

namespace {

// ORDER: a row's position is its position in the game type box.
struct GameTypeRow {
    const char16_t* code;  // the server rule g_gametype
    const char16_t* name;  // shown in the box
};
constexpr GameTypeRow kGameTypes[] = {
    {u"sd", u"Search and Destroy"}, {u"war", u"Team DeathMatch"}, {u"koth", u"Headquarters"},
    {u"sab", u"Sabatoge"},          {u"dom", u"Domination"},      {u"dm", u"Deathmatch"},
};

constexpr std::u16string_view kListingHeading = u"Directory of";

bool currentServer(Value& server) {
    return plugin::g_host && plugin::g_host->GetCurrentServer(server);
}

void send(const std::u16string& command) {
    if (plugin::g_host) plugin::g_host->SendRconCommand(command);
}

std::u16string serverText(Value& server, const char* group, const char* key) {
    return server.entry(Value(group)).entry(Value(key)).toWideString();
}

std::u16string gameType(Value& server) { return serverText(server, "Server", "GameType"); }
std::u16string ruleGameType(Value& server) { return serverText(server, "Rules", "g_gametype"); }
std::u16string address(Value& server) { return serverText(server, "Server", "Addr"); }

}  // namespace

CRconTab::CRconTab() = default;

CRconTab::~CRconTab() {
    if (window_) dialogSystem().destroyDialog(window_);
}

bool CRconTab::Create(WindowHandle parent) {
    if (window_) return false;
    // onInitDialog runs inside and learns the handle there.
    window_ = dialogSystem().createDialog(kRconTabTemplateId, parent, *this);
    return window_ != 0;
}

bool CRconTab::onInitDialog(WindowHandle dialog) {
    window_ = dialog;
    auto& ds = dialogSystem();
    ds.anchorControl(window_, kRuleList, {0, 0, 100, 100});  // the list grows with the page
    for (const GameTypeRow& row : kGameTypes) ds.comboAdd(window_, kGameType, row.name);
    return true;
}

bool CRconTab::onCommand(WindowHandle, int id, std::uint32_t code) {
    if (code != platform::kBnClicked) return false;
    if (id == kUpdate) {
        OnUpdate();
    } else if (id == kChangePamMode) {
        OnChangePamMode();
    } else {
        return false;
    }
    return true;
}

LResult CRconTab::onNotify(WindowHandle, int id, std::uint32_t code) {
    if (id == kRuleList && code == platform::kLvnItemChanged) return OnRuleListItemChanged();
    return 0;
}

void CRconTab::OnUpdate() {
    Value server;
    if (!currentServer(server)) return;
    dialogSystem().listDeleteAll(window_, kRuleList);
    const std::u16string type = gameType(server);
    if (type == u"CoD4") {
        const std::u16string rules = ruleGameType(server);
        if (!rules.empty()) send(format(u"dir /pam/rules/%s gsc", rules));
        send(u"dir /pam/rules/all");
    } else if (type == u"CoD2") {
        const std::u16string rules = ruleGameType(server);
        if (!rules.empty()) send(format(u"dir maps/pam/rules/%s gsc", rules));
    } else if (type == u"CoD") {
        send(u"dir maps/mp/gametypes/rules gsc");
    } else {
        dialogSystem().messageBox(window_, u"Not supported by this gametype!",
                                  platform::MessageBoxKind::Ok);
    }
}

void CRconTab::OnChangePamMode() {
    auto& ds = dialogSystem();
    const std::u16string file =
        ds.listItemText(window_, kRuleList, ds.listSelectionMark(window_, kRuleList));
    if (file.empty()) return;
    // Listed files end in ".gsc"; a shorter text cannot carry the extension and is used whole.
    const std::u16string mode = file.size() < 4 ? file : file.substr(0, file.size() - 4);
    send(format(u"pam_mode %s", mode));
    send(u"pam_mode");
}

LResult CRconTab::OnRuleListItemChanged() {
    auto& ds = dialogSystem();
    ds.enableControl(window_, kChangePamMode, ds.listSelectionMark(window_, kRuleList) != -1);
    return 0;
}

void CRconTab::OnRconResponse(ZelStringVector<char16_t> lines) {
    if (lines.size() > 2 && std::u16string_view(lines[0]).starts_with(kListingHeading)) {
        Value server;
        if (!currentServer(server)) return;
        ZelStringVector<char16_t>& stored = rulesByServer_[address(server)];
        stored.clear();
        // The heading and the line under it are not file names.
        for (std::size_t i = 2; i < lines.size(); ++i) stored.push_back(lines[i]);
        RefreshRuleList();
    } else if (lines.size() == 2) {
        // "pam_mode" is: "<value>" default: "<default>"
        const auto words = splitWords(lines[0]);
        if (words.size() == 5 && words[0] == u"pam_mode") {
            if (plugin::g_host) plugin::g_host->ReportValue(words[2]);
            dialogSystem().messageBox(window_, format(u"pam_mode is now %s", words[2]),
                                      platform::MessageBoxKind::Information);
        }
    } else if (lines.size() == 1) {
        // g_gametype <old> ... restarting: the server waits for a restart to take the new type.
        const auto words = splitWords(lines[0]);
        if (words.size() == 6 && words[0] == u"g_gametype" && words[5] == u"restarting")
            send(u"fast_restart");
    }
}

void CRconTab::RefreshRuleList() {
    if (!platform::windowSystem().isWindow(window_)) return;
    auto& ds = dialogSystem();
    ds.listDeleteAll(window_, kRuleList);
    Value server;
    if (!currentServer(server)) return;
    if (gameType(server) != u"CoD4") {
        ds.enableControl(window_, kGameType, false);  // keeps its selection for a later CoD4
    } else {
        const std::u16string rules = ruleGameType(server);
        for (std::size_t row = 0; row < std::size(kGameTypes); ++row)
            if (rules == kGameTypes[row].code)
                ds.comboSetSelection(window_, kGameType, static_cast<int>(row));
        ds.enableControl(window_, kGameType, true);
    }
    // Each line goes in at the top, so the list shows the listing bottom up.
    for (const std::u16string& line : rulesByServer_[address(server)])
        ds.listInsert(window_, kRuleList, 0, line);
}

void CRconTab::OnServerChanged() {
    Value server;
    if (!currentServer(server)) return;
    lastGameType_ = ruleGameType(server);
    RefreshRuleList();
    dialogSystem().enableControl(window_, kChangePamMode, false);
}

void CRconTab::OnPlayersChanged() {
    Value server;
    if (!currentServer(server)) return;
    std::u16string rules = ruleGameType(server);
    if (rules == lastGameType_) return;
    lastGameType_ = std::move(rules);
    RefreshRuleList();
}

}  // namespace orvane::ui
