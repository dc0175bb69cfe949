#include "test_support.h"

#include "platform/window_messages.h"
#include "value/text.h"

namespace orvane::test {
namespace {

void replaceAll(std::u16string& text, std::u16string_view from, const std::u16string& to) {
    for (std::size_t at = text.find(from); at != std::u16string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

const char* messageName(std::uint32_t message) {
    switch (message) {
        case platform::kWmCommand: return "WM_COMMAND";
        case platform::kWmSetText: return "WM_SETTEXT";
        case platform::kWmKeyDown: return "WM_KEYDOWN";
        case platform::kWmClose: return "WM_CLOSE";
        case platform::kBmSetCheck: return "BM_SETCHECK";
        default: return nullptr;
    }
}

// A missing field expands to nothing, as a host without a current server would do.
std::u16string field(const Value& server, const char* group, const char* key) {
    const Value& v = server.findByName(group).findByName(key);
    return v.isString() ? v.toWideString() : std::u16string();
}

}  // namespace

std::string utf8(std::u16string_view text) { return toUtf8(text); }

Value FakeHost::server() {
    Value s;
    s.entry(Value("Info")).entry(Value("Hostname")) = Value(u"Frag Arena");
    s.entry(Value("Server")).entry(Value("GameDesc")) = Value(u"Call of Duty 2");
    s.entry(Value("Server")).entry(Value("Addr")) = Value(u"192.0.2.7:28960");
    s.entry(Value("Server")).entry(Value("GameType")) = Value(u"CoD2");
    return s;
}

bool FakeHost::GetCurrentServer(Value& out) {
    ++serverCalls;
    if (out.kind() != ValueKind::Undef) serverCameUndef = false;
    if (hasServer) out = server();
    return hasServer;
}

bool FakeHost::ExpandVariables(const Value& server, std::u16string& text) {
    ++expandCalls;
    lastExpandedServer = server;
    replaceAll(text, u"<GAMEDESC>", field(server, "Server", "GameDesc"));
    replaceAll(text, u"<SERVERNAME>", field(server, "Info", "Hostname"));
    replaceAll(text, u"<SERVERADDRPORT>", field(server, "Server", "Addr"));
    return true;
}

void MessengerTest::SetUp() {
    platform::setWindowSystem(&desktop);
    plugin::g_host = &host;
    plugin::g_plugin = &plugin;
}

void MessengerTest::TearDown() {
    platform::setWindowSystem(nullptr);
    plugin::g_host = nullptr;
    plugin::g_plugin = nullptr;
}

std::string describeMessage(const platform::sim::SimMessage& m) {
    std::string out = m.posted ? "post " : "send ";
    out += m.targetClass.empty() && m.targetTitle.empty() ? "(gone)" : utf8(m.targetClass);
    if (!m.targetTitle.empty()) out += " \"" + utf8(m.targetTitle) + "\"";
    out += " ";
    const char* name = messageName(m.message);
    out += name ? name : "0x" + std::to_string(m.message);
    if (m.message == platform::kWmSetText) {
        out += " \"" + utf8(m.text) + "\"";
    } else {
        out += " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam);
    }
    return out;
}

std::vector<std::string> MessengerTest::sent() const {
    std::vector<std::string> lines;
    for (const auto& m : desktop.messages()) lines.push_back(describeMessage(m));
    return lines;
}

std::vector<std::pair<platform::WindowHandle, int>> MessengerTest::shown() const {
    std::vector<std::pair<platform::WindowHandle, int>> calls;
    for (const auto& c : desktop.showCalls()) calls.emplace_back(c.target, c.command);
    return calls;
}

}  // namespace orvane::test
