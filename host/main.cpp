// orvane-host: the reference host. Loads the plug-in module as the real host does, answers its host
// calls, and plays a session script against it on a simulated desktop with simulated messengers.
//
// Output contract: the session's report goes to stdout (see reference_host.h for its lines), errors
// to stderr. Exit codes: 0 the session was played, 1 the script or the module failed, 2 bad usage.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "config/text_file.h"
#include "host/module_loader.h"
#include "host/reference_host.h"
#include "host/session.h"
#include "platform/dialog_system.h"
#include "platform/sim/headless_dialogs.h"
#include "platform/sim/sim_desktop.h"
#include "ui/templates.h"
#include "value/text.h"

namespace {

using namespace orvane;

constexpr const char* kHelp =
    "usage: orvane-host [--data DIR] [--module FILE] SCRIPT\n"
    "\n"
    "Loads the Orvane plug-in module and plays the session SCRIPT against it: simulated\n"
    "messengers run on a simulated desktop, the events of the script reach the plug-in in\n"
    "order, and after each event every running messenger shows what it now displays. At the\n"
    "end the plug-in's settings file is printed as written. docs/host.md describes scripts.\n"
    "\n"
    "options:\n"
    "  --data DIR     the host's data directory, made when missing (default: data)\n"
    "  --module FILE  the plug-in module (default: the one next to this program)\n"
    "  --help, -h     show this help\n"
    "\n"
    "exit status: 0 the session was played, 1 the script or the module failed, 2 bad usage\n";

struct Options {
    std::string script;
    std::string dataDirectory = "data";
    std::string module;
};

int usage(const std::string& problem) {
    std::fprintf(stderr, "orvane-host: %s\n\n%s", problem.c_str(), kHelp);
    return 2;
}

int fail(std::u16string_view error) {
    std::fputs("orvane-host: ", stderr);
    host::writeUtf8(stderr, error);
    std::fputc('\n', stderr);
    return 1;
}

std::string moduleNextTo(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0, ec);
    return (self.parent_path() / ORVANE_MODULE_FILE_NAME).string();
}

// 0 when options were read, else the exit code to leave with (-1: help was shown).
int readOptions(const std::vector<std::string>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return -1;
        }
        if (a == "--data" || a == "--module") {
            if (i + 1 == args.size()) return usage(a + " needs a value");
            (a == "--data" ? options.dataDirectory : options.module) = args[++i];
        } else if (a.starts_with("-") && a != "-") {
            return usage("unknown option '" + a + "'");
        } else if (!options.script.empty()) {
            return usage("only one SCRIPT may be given");
        } else {
            options.script = a;
        }
    }
    return options.script.empty() ? usage("missing SCRIPT") : 0;
}

void showMessengers(const std::vector<std::unique_ptr<platform::sim::SimMessenger>>& running) {
    for (const auto& m : running) {
        std::fputs("  ", stdout);
        host::writeUtf8(stdout, m->describe());
        std::fputc('\n', stdout);
    }
}

std::uintptr_t eventData(const host::Session& session, std::uint32_t code) {
    switch (code) {
        case plugin::ServerChanged: return reinterpret_cast<std::uintptr_t>(&session.server);
        case plugin::PlayersChanged: return reinterpret_cast<std::uintptr_t>(&session.players);
        case plugin::RconResponse: return reinterpret_cast<std::uintptr_t>(&session.reply);
        default: return 0;
    }
}

void showSettingsFile(const std::u16string& path) {
    config::TextFileBuffer file;
    host::writeUtf8(stdout, u"== settings file " + path);
    if (!file.readFile(narrow(path))) {
        std::fputs(": not written\n", stdout);
        return;
    }
    std::fputs("\n", stdout);
    host::writeUtf8(stdout, file.text);
}

int play(const Options& options, const char* argv0) {
    host::Session session;
    std::u16string error;
    if (!host::loadSession(options.script, session, error)) return fail(error);

    std::error_code ec;
    std::filesystem::create_directories(options.dataDirectory, ec);
    if (ec) return fail(widen(options.dataDirectory + ": " + ec.message()));

    platform::sim::SimDesktop desktop;
    platform::setWindowSystem(&desktop);
    // The module's dialogs run headless on the same desktop; nobody plays the user, so a modal
    // dialog closes as soon as it opens.
    platform::sim::HeadlessDialogs dialogs(desktop, ui::dialogTemplates());
    platform::setDialogSystem(&dialogs);
    std::vector<std::unique_ptr<platform::sim::SimMessenger>> running;
    for (std::size_t i = 0; i < session.messengers.size(); ++i)
        running.push_back(host::startMessenger(session.messengers[i], desktop,
                                               static_cast<std::uint32_t>(100 + i)));

    const std::string modulePath = options.module.empty() ? moduleNextTo(argv0) : options.module;
    plugin::CreateInterfaceFunction createInterface = nullptr;
    std::string loadError;
    if (!host::loadModule(modulePath, createInterface, loadError))
        return fail(widen(modulePath + ": " + loadError));

    host::ReferenceHost host(session, widen(options.dataDirectory), stdout);
    std::unique_ptr<plugin::IPlugin> plugin(createInterface(&host));
    if (!plugin) return fail(widen(modulePath + ": CreateInterface gave no plug-in"));
    const std::u16string name = plugin->GetName();
    host::writeUtf8(stdout, format(u"plugin: %ls %ls by %ls (%ls)\n", name, plugin->GetVersion(),
                                   plugin->GetAuthor(), plugin->GetDescription()));
    showMessengers(running);

    for (const host::SessionEvent& event : session.events) {
        host::writeUtf8(stdout, u"== " + event.name + u"\n");
        plugin->OnEvent(event.code, eventData(session, event.code), 0);
        desktop.pump();  // what the messengers' own message loops would now deliver
        showMessengers(running);
    }
    plugin.reset();

    showSettingsFile(format(u"%ls\\plugin_%ls.cfg", widen(options.dataDirectory), name));
    running.clear();
    platform::setDialogSystem(nullptr);
    platform::setWindowSystem(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int code = readOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (code != 0) return code < 0 ? 0 : code;
    return play(options, argv[0]);
}
