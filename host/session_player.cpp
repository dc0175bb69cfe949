#include "host/session_player.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "config/text_file.h"
#include "host/dialog_acts.h"
#include "host/module_loader.h"
#include "host/rcon_client.h"
#include "host/reference_host.h"
#include "host/sim_game_server.h"
#include "platform/dialog_system.h"
#include "platform/sim/headless_dialogs.h"
#include "platform/sim/sim_desktop.h"
#include "ui/templates.h"
#include "value/text.h"
#if defined(_WIN32)
#include "platform/win32/window_system_win32.h"
#endif

namespace orvane::host {
namespace {

using platform::WindowHandle;
using platform::sim::HeadlessDialogs;
using platform::sim::SimMessenger;

// The host's own process on the desktop; the messengers run in others (100 and up).
constexpr std::uint32_t kHostProcess = 1;
// A server that answers every fast_restart with another restart announcement would keep the tab
// and the server talking for ever; past this many replies in a row the rest are dropped.
constexpr int kMostRepliesInARow = 256;

#if defined(_WIN32)
// The module in this process drives the real desktop through its own copy of the seams, so the
// host looks at that desktop too: no simulated messenger would be reached, and the dialogs are real
// windows the acts of a script cannot drive.
constexpr bool kRealDesktop = true;
#else
constexpr bool kRealDesktop = false;
#endif

void say(std::u16string_view text) { writeUtf8(stdout, text); }

class Player {
public:
    Player(const Session& session, const PlayerSetup& setup)
        : session_(session),
          setup_(setup),
          dialogs_(desktop_, ui::dialogTemplates(), kHostProcess),
          host_(session, widen(setup.dataDirectory), stdout) {
#if defined(_WIN32)
        platform::setWindowSystem(&platform::win32::nativeWindowSystem());
#else
        platform::setWindowSystem(&desktop_);
        platform::setDialogSystem(&dialogs_);
#endif
    }
    ~Player() {
        // The tab's window belongs to the dialog system, so the plug-in goes first.
        plugin_.reset();
        running_.clear();
        platform::setDialogSystem(nullptr);
        platform::setWindowSystem(nullptr);
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    int run(std::u16string& error);

private:
    bool start(std::u16string& error);
    // Each returns "" when done, else "<where>: <what>".
    std::u16string showSettings(const SessionStep& step);
    std::u16string actOnTab(const SessionStep& step);
    void afterwards();  // what the desktop's message loops deliver, then what that changed
    void deliverReplies();
    void showMessengers();
    void showSettingsFile(const std::u16string& path);

    const Session& session_;
    const PlayerSetup& setup_;
    platform::sim::SimDesktop desktop_;
    HeadlessDialogs dialogs_;
    std::vector<std::unique_ptr<SimMessenger>> running_;
    std::unique_ptr<RemoteConsole> console_;
    ReferenceHost host_;
    std::unique_ptr<plugin::IPlugin> plugin_;
    WindowHandle hostWindow_ = 0;
    std::u16string tabShown_;  // the tab as last shown, so only changes are shown
};

bool Player::start(std::u16string& error) {
    platform::sim::SimWindow frame;
    frame.className = u"OrvaneHostFrame";
    frame.title = u"orvane-host";
    frame.processId = kHostProcess;
    hostWindow_ = desktop_.createWindow(frame);
    for (std::size_t i = 0; i < session_.messengers.size() && !kRealDesktop; ++i)
        running_.push_back(
            startMessenger(session_.messengers[i], desktop_, static_cast<std::uint32_t>(100 + i)));

    if (session_.gameServer) {
        console_ = std::make_unique<SimGameServer>(*session_.gameServer);
    } else if (session_.rcon) {
        auto client = std::make_unique<RconClient>();
        std::string why;
        if (!client->open(session_.rcon->address, session_.rcon->password, session_.rcon->timeout,
                          why)) {
            error = session_.path + u": ['rcon']['address']: " + widen(why);
            return false;
        }
        console_ = std::move(client);
    }
    host_.setConsole(console_.get());

    plugin::CreateInterfaceFunction createInterface = nullptr;
    std::string why;
    if (!loadModule(setup_.modulePath, createInterface, why)) {
        error = widen(setup_.modulePath + ": " + why);
        return false;
    }
    plugin_.reset(createInterface(&host_));
    if (!plugin_) {
        error = widen(setup_.modulePath + ": CreateInterface gave no plug-in");
        return false;
    }
    return true;
}

int Player::run(std::u16string& error) {
    if (!start(error)) return 1;
    const std::u16string name = plugin_->GetName();
    say(format(u"plugin: %ls %ls by %ls (%ls)\n", name, plugin_->GetVersion(), plugin_->GetAuthor(),
               plugin_->GetDescription()));
    showMessengers();

    for (const SessionStep& step : session_.steps) {
        say(u"== " + step.name + u"\n");
        std::u16string failure;
        switch (step.kind) {
            case SessionStep::Kind::Event: {
                const Value* data = step.code == plugin::ServerChanged    ? &session_.server
                                    : step.code == plugin::PlayersChanged ? &session_.players
                                                                          : nullptr;
                const std::uintptr_t word = step.code == plugin::RconResponse
                                                ? reinterpret_cast<std::uintptr_t>(&session_.reply)
                                                : reinterpret_cast<std::uintptr_t>(data);
                plugin_->OnEvent(step.code, word, 0);
                break;
            }
            case SessionStep::Kind::Settings: failure = showSettings(step); break;
            case SessionStep::Kind::RconTab: failure = actOnTab(step); break;
        }
        afterwards();
        // A tab act cannot reach a messenger; the replies it brought are already shown.
        if (step.kind != SessionStep::Kind::RconTab) showMessengers();
        deliverReplies();
        if (!failure.empty()) {
            error = session_.path + u": " + failure;
            return 1;
        }
    }
    plugin_.reset();
    showSettingsFile(format(u"%ls\\plugin_%ls.cfg", widen(setup_.dataDirectory), name));
    return 0;
}

std::u16string Player::showSettings(const SessionStep& step) {
    if (kRealDesktop)
        return step.where + u": the settings dialog is a real window here; no act reaches it";
    bool opened = false;
    std::u16string failure, state;
    dialogs_.setUser([&](HeadlessDialogs& dialogs, WindowHandle dialog) {
        opened = true;
        std::u16string why;
        for (const DialogAct& act : step.acts) {
            if (!performAct(dialogs, dialog, DialogKind::Settings, act, stdout, why)) {
                failure = act.where + u": " + why;
                break;
            }
        }
        state = describeDialog(dialogs, dialog, DialogKind::Settings, u"dialog: ");
    });
    plugin_->ShowSettings(hostWindow_);
    dialogs_.setUser({});
    // Shown once the dialog has gone: the dialog never sees the host print.
    say(state);
    if (!opened && failure.empty()) failure = step.where + u": the settings dialog did not open";
    return failure;
}

std::u16string Player::actOnTab(const SessionStep& step) {
    if (kRealDesktop)
        return step.where + u": the RCON tab is a real window here; no act reaches it";
    const WindowHandle tab = host_.serverTab();
    if (tab == 0 || !desktop_.isWindow(tab))
        return step.where + u": there is no RCON tab (the host gets it at CreateTabs)";
    for (const DialogAct& act : step.acts) {
        std::u16string why;
        if (!performAct(dialogs_, tab, DialogKind::RconTab, act, stdout, why))
            return act.where + u": " + why;
        afterwards();
        deliverReplies();
    }
    return {};
}

void Player::afterwards() {
    desktop_.pump();
    for (const platform::sim::RecordedMessageBox& box : dialogs_.messageBoxes())
        say(u"message box: " + box.text + u"\n");
    dialogs_.clearMessageBoxes();
    const WindowHandle tab = host_.serverTab();
    const std::u16string shown = tab != 0 && desktop_.isWindow(tab)
                                     ? describeDialog(dialogs_, tab, DialogKind::RconTab, u"tab: ")
                                     : std::u16string();
    if (shown != tabShown_) say(shown);
    tabShown_ = shown;
}

void Player::deliverReplies() {
    PendingReply reply;
    int delivered = 0;
    // Each reply may bring more (a restart announcement makes the tab send fast_restart).
    while (plugin_ && host_.takeReply(reply)) {
        if (++delivered > kMostRepliesInARow) {
            int dropped = 1;
            while (host_.takeReply(reply)) ++dropped;
            say(format(u"rcon: %d more replies dropped: the server keeps answering\n", dropped));
            return;
        }
        say(u"== RconResponse to '" + reply.command + u"'\n");
        std::u16string_view text = reply.text;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find(u'\n'), text.size());
            say(u"reply: " + std::u16string(text.substr(0, end)) + u"\n");
            text.remove_prefix(std::min(end + 1, text.size()));
        }
        plugin_->OnEvent(plugin::RconResponse, reinterpret_cast<std::uintptr_t>(&reply.text), 0);
        afterwards();
    }
}

void Player::showMessengers() {
    for (const auto& m : running_) say(u"  " + m->describe() + u"\n");
}

void Player::showSettingsFile(const std::u16string& path) {
    config::TextFileBuffer file;
    say(u"== settings file " + path);
    if (!file.readFile(narrow(path))) {
        say(u": not written\n");
        return;
    }
    say(u"\n" + file.text);
}

}  // namespace

int playSession(const Session& session, const PlayerSetup& setup, std::u16string& error) {
    Player player(session, setup);
    return player.run(error);
}

}  // namespace orvane::host
