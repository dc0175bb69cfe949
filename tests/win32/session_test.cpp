// A game evening against fake messengers on the real desktop: every back-end switched on, the
// module connects to a server and leaves it, and each fake's log must show exactly the window
// messages that back-end sends for its connect and disconnect statuses, in order. The module is
// loaded here, or by orvane-host.exe, which then plays the script and must report the evening.
//   orvane_win32_session_test SCRIPT          (the module here; the script gives the server)
//   orvane_win32_session_test --host SCRIPT   (orvane-host.exe next to this program plays it)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugin/interfaces.h"
#include "tests/win32/check.h"
#include "tests/win32/real_host.h"

namespace {

using namespace orvane;

// Every back-end on, each going to a status that asks for text where it has one, with a template
// that shows the expansion reached the fake.
constexpr const char* kSettings = R"(['IsActive'] = true;
['ICQ2003'] = { ['Message'] = 'On <SERVERNAME>'; ['ConnectStatus'] = 2; ['DisconnectStatus'] = 0;
    ['IsMinimize'] = false; ['IsMessage'] = true; ['IsActive'] = true; };
['Miranda'] = { ['Message'] = 'On <SERVERNAME>'; ['ConnectStatus'] = 3; ['DisconnectStatus'] = 1;
    ['IsMinimize'] = false; ['IsMessage'] = true; ['IsActive'] = true; };
['MSN7'] = { ['Message'] = 'On <SERVERNAME>'; ['ConnectStatus'] = 3; ['DisconnectStatus'] = 0;
    ['IsMinimize'] = true; ['IsMessage'] = true; ['IsActive'] = true; };
['AIM'] = { ['Message'] = 'On <SERVERNAME>'; ['ConnectStatus'] = 1; ['DisconnectStatus'] = 0;
    ['IsMinimize'] = false; ['IsMessage'] = true; ['IsActive'] = true; };
['Trillian'] = { ['Message'] = 'On <SERVERNAME>'; ['ConnectStatus'] = 1; ['DisconnectStatus'] = 0;
    ['IsMinimize'] = false; ['IsMessage'] = true; ['IsActive'] = true; };
)";

struct FakeRow {
    const char* kind;
    std::vector<std::string> expected;  // the log, connect then disconnect
    // A line sent while messages posted before it still wait: it may be logged anywhere before
    // expected[floatsBefore], since a sent message overtakes what is queued.
    std::string floating = {};
    std::size_t floatsBefore = 0;
};

std::vector<std::string> repeat(int n, const std::string& line) {
    return std::vector<std::string>(n, line);
}

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The status menu walk: open it, six Up to its top, Right into the status list, Down per row, then
// Return.
std::vector<std::string> msnWalk(int downs) {
    const std::string hidden = "MSNHiddenWindowClass '' ";
    return join({{hidden + "WM_COMMAND 101 0"}, repeat(6, hidden + "WM_KEYDOWN 38 0"),
                 {hidden + "WM_KEYDOWN 39 0"}, repeat(downs, hidden + "WM_KEYDOWN 40 0"),
                 {hidden + "WM_KEYDOWN 13 0"}});
}

std::vector<std::string> trillianBack() {
    std::vector<std::string> lines;
    for (int c = 5501; c <= 5520; ++c)
        lines.push_back("Static 'iconholder' WM_COMMAND " + std::to_string(c) + " 0");
    return lines;
}

const std::vector<FakeRow> kFakes = {
    {"icq",
     {"#32770 'ICQ' WM_COMMAND 6547 0",
      "Edit '' WM_SETTEXT 0 ptr \"On Frag Arena\"",
      "#32770 'Change / Confirm Away Message' WM_COMMAND 1 0",
      "#32770 'ICQ' WM_COMMAND 6545 0"}},
    {"miranda",
     {"Miranda 'Miranda IM' WM_COMMAND 40075 0",
      "Edit '' WM_SETTEXT 0 ptr \"On Frag Arena\"",
      "#32770 'Change NA Message' WM_COMMAND 1 0",
      "Miranda 'Miranda IM' WM_COMMAND 40072 0",
      "Edit '' WM_SETTEXT 0 ptr \"On Frag Arena\"",
      "#32770 'Change Online Message' WM_COMMAND 1 0"}},
    {"msn", join({msnWalk(3), msnWalk(0)}), "MSBLWindowClass 'MSN Messenger' WM_CLOSE 0 0",
     msnWalk(3).size()},
    {"aim",
     {"_Oscar_StatusNotify '' WM_COMMAND 20003 0",
      "#32770 'Buddy List' WM_COMMAND 24003 0",
      "Ate32Class '' WM_SETTEXT 0 ptr \"On Frag Arena\"",
      "AwayMessage 'Playing Game' WM_SIZE 1 0",
      "_Oscar_StatusNotify '' WM_COMMAND 20003 0",
      "AwayMessage 'Playing Game' WM_COMMAND 2 0"}},
    {"trillian",
     join({{"trillian 'Trillian' WM_COMMAND 40019 0",
            "Button 'Keep this message' BM_SETCHECK 0 0",
            "Edit '' WM_SETTEXT 0 ptr \"On Frag Arena\"",
            "#32770 'Add Away Message' WM_COMMAND 1047 <Button 'Set Away'>"},
           trillianBack()})},
};

// Starts the program next to this one with each argument quoted; with output, its standard output
// and error go there.
bool launch(const char* program, std::initializer_list<std::string> arguments, HANDLE output,
            PROCESS_INFORMATION& process) {
    // Appended piece by piece: GCC 12 misreads a chain of + starting at a literal (-Wrestrict).
    std::string command = "\"";
    command += wintest::programDirectory();
    command += program;
    command += "\"";
    for (const std::string& argument : arguments) {
        command += " \"";
        command += argument;
        command += "\"";
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                          nullptr, &startup, &process) != FALSE;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The settings file as its lines: UTF-16 after a byte order mark, as the module writes it.
std::vector<std::string> readSettingsLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    std::vector<std::string> lines;
    std::string line;
    for (wchar_t c : text) {
        if (c == L'\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != L'\r') {
            line += c < 0x80 ? static_cast<char>(c) : '?';
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

struct Running {
    PROCESS_INFORMATION process{};
    HWND control = nullptr;
    std::string log;
};

bool startFake(const std::string& work, const char* kind, Running& fake) {
    fake.log = work + kind + ".log";
    const std::string ready = work + kind + ".ready";
    DeleteFileA(ready.c_str());
    if (!launch("orvane_fake_messenger.exe", {kind, fake.log, ready}, nullptr, fake.process))
        return false;
    for (int i = 0; i < 200 && !fake.control; ++i) {
        unsigned long long handle = 0;
        if (std::FILE* f = std::fopen(ready.c_str(), "r")) {
            if (std::fscanf(f, "%llu", &handle) == 1)
                fake.control = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
            std::fclose(f);
        }
        if (!fake.control) Sleep(50);
    }
    return fake.control != nullptr;
}

// Lets each fake work through what was posted to it, then end.
void stopFake(Running& fake) {
    PostMessageW(fake.control, WM_APP, 0, 0);
    if (WaitForSingleObject(fake.process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(fake.process.hProcess, 1);
    CloseHandle(fake.process.hProcess);
    CloseHandle(fake.process.hThread);
}

// The module loaded here plays the evening; the host's report goes to host.log.
void playHere(const std::string& script, const std::string& work) {
    wintest::RealHost host;
    std::string why;
    std::FILE* hostLog = std::fopen((work + "host.log").c_str(), "w");
    if (WCHECK(host.start(script, work.substr(0, work.size() - 1), hostLog, why), why)) {
        for (std::uint32_t code : {plugin::AppInit, plugin::ServerChanged, plugin::GameConnect,
                                   plugin::GameDisconnect, plugin::AppDeInit})
            host.send(code);
        host.unload();
    }
    if (hostLog) std::fclose(hostLog);
}

// What orvane-host.exe reports of the evening in host_session.cfg: no simulated messenger runs on
// the real desktop, so nothing but the host calls, the module's log and the settings file it wrote.
std::vector<std::string> hostReport(const std::string& work,
                                    const std::vector<std::string>& settings) {
    const std::string file = work + "plugin_Orvane Messenger Plugin.cfg";
    std::vector<std::string> lines = {
        "plugin: Orvane Messenger Plugin 0.0.0.1 by The Orvane developers (Supported messenger: "
        "ICQ2003b, Miranda)",
        "== AppInit", "log: " + file + " loaded", "log: App Init"};
    for (int i = 1; i <= 5; ++i)
        lines.push_back("host: interface " + std::to_string(i) + " registered");
    const std::vector<std::string> rest = {
        "== CreateTabs",           "host: server tab 'Call of Duty' added",
        "== ServerChanged",        "log: Server Changed to: Frag Arena",
        "log: GameType: CoD2",     "== GameConnect",
        "== GameDisconnect",       "== AppDeInit",
        "log: App DeInit",         "log: " + file + " saved",
        "== settings file " + file};
    lines.insert(lines.end(), rest.begin(), rest.end());
    lines.insert(lines.end(), settings.begin(), settings.end());
    return lines;
}

// orvane-host.exe plays the script with its report in host.log; true when it ended with status 0.
bool playWithHost(const std::string& script, const std::string& work) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::string report = work + "host.log";
    HANDLE out = CreateFileA(report.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    PROCESS_INFORMATION process{};
    const std::string data = work.substr(0, work.size() - 1);
    const bool started = launch("orvane-host.exe", {"--data", data, script}, out, process);
    CloseHandle(out);
    if (!WCHECK(started, "orvane-host.exe started")) return false;
    DWORD status = 1;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return WCHECK_EQ(status, DWORD{0}, "orvane-host.exe's exit status");
}

void compareLines(const std::vector<std::string>& got, const std::vector<std::string>& want,
                  const std::string& what) {
    for (std::size_t line = 0; line < std::max(got.size(), want.size()); ++line)
        WCHECK_EQ(line < got.size() ? got[line] : std::string("(end)"),
                  line < want.size() ? want[line] : std::string("(end)"),
                  what + " line " + std::to_string(line + 1));
}

}  // namespace

int main(int argc, char** argv) {
    const bool withHost = argc == 3 && std::string(argv[1]) == "--host";
    if (argc != 2 && !withHost) {
        std::fprintf(stderr, "usage: orvane_win32_session_test [--host] SCRIPT\n");
        return 2;
    }
    const std::string script = argv[argc - 1];
    const std::string work = wintest::programDirectory() + (withHost ? "host_session\\" : "session_test\\");
    CreateDirectoryA(work.c_str(), nullptr);
    if (std::FILE* f = std::fopen((work + "plugin_Orvane Messenger Plugin.cfg").c_str(), "w")) {
        std::fputs(kSettings, f);
        std::fclose(f);
    }
    std::vector<Running> fakes(kFakes.size());
    for (std::size_t i = 0; i < kFakes.size(); ++i)
        WCHECK(startFake(work, kFakes[i].kind, fakes[i]),
               std::string("fake started: ") + kFakes[i].kind);
    bool played = true;
    if (withHost)
        played = playWithHost(script, work);
    else
        playHere(script, work);
    for (Running& fake : fakes)
        if (fake.control) stopFake(fake);
    if (withHost && played) {
        // The host ends by printing the settings file the module wrote at AppDeInit.
        compareLines(
            readLines(work + "host.log"),
            hostReport(work, readSettingsLines(work + "plugin_Orvane Messenger Plugin.cfg")),
            "host report");
    }
    for (std::size_t i = 0; i < kFakes.size(); ++i) {
        std::vector<std::string> got = readLines(fakes[i].log);
        const std::vector<std::string>& want = kFakes[i].expected;
        if (!kFakes[i].floating.empty()) {
            const auto at = std::find(got.begin(), got.end(), kFakes[i].floating);
            WCHECK(at != got.end() && std::count(got.begin(), got.end(), kFakes[i].floating) == 1 &&
                       static_cast<std::size_t>(at - got.begin()) <= kFakes[i].floatsBefore,
                   std::string(kFakes[i].kind) + ": once, before line " +
                       std::to_string(kFakes[i].floatsBefore + 1) + ": " + kFakes[i].floating);
            if (at != got.end()) got.erase(at);
        }
        compareLines(got, want, kFakes[i].kind);
    }
    return wintest::finish();
}
