// orvane-host: the reference host. Loads the plug-in module as the real host does, answers its host
// calls, and plays a session script against it on a simulated desktop with simulated messengers.
//
// Output contract: the session's report goes to stdout (see reference_host.h for its lines), errors
// to stderr. Exit codes: 0 the session was played, 1 the script, a step or the module failed, 2 bad
// usage.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "host/reference_host.h"
#include "host/session.h"
#include "host/session_player.h"
#include "value/text.h"

namespace {

using namespace orvane;

constexpr const char* kHelp =
    "usage: orvane-host [--data DIR] [--module FILE] SCRIPT\n"
    "\n"
    "Loads the Orvane plug-in module and plays the session SCRIPT against it: simulated\n"
    "messengers run on a simulated desktop, the steps of the script (events, and the user's\n"
    "acts in the settings dialog and the RCON tab) are played in order, remote-console\n"
    "commands go to a simulated game server or a real one, and after each step every running\n"
    "messenger shows what it now displays. At the end the plug-in's settings file is printed\n"
    "as written. docs/host.md describes scripts.\n"
#if defined(_WIN32)
    "\n"
    "On Windows the module drives the real desktop: the messengers it reaches are the programs\n"
    "running there, ['messengers'] starts none, and a script's acts in the dialogs are refused.\n"
#endif
    "\n"
    "options:\n"
    "  --data DIR     the host's data directory, made when missing (default: data)\n"
    "  --module FILE  the plug-in module (default: the one next to this program)\n"
    "  --help, -h     show this help\n"
    "\n"
    "exit status: 0 the session was played, 1 the script, a step or the module failed,\n"
    "2 bad usage\n";

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

int play(const Options& options, const char* argv0) {
    host::Session session;
    std::u16string error;
    if (!host::loadSession(options.script, session, error)) return fail(error);

    std::error_code ec;
    std::filesystem::create_directories(options.dataDirectory, ec);
    if (ec) return fail(widen(options.dataDirectory + ": " + ec.message()));

    const host::PlayerSetup setup{options.dataDirectory,
                                  options.module.empty() ? moduleNextTo(argv0) : options.module};
    return host::playSession(session, setup, error) == 0 ? 0 : fail(error);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int code = readOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (code != 0) return code < 0 ? 0 : code;
    return play(options, argv[0]);
}
