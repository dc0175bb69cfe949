#include "host/reference_host.h"

#include "platform/window_system.h"
#include "value/text.h"

namespace orvane::host {
namespace {

void replaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
    for (std::size_t at = text.find(from); at != std::u16string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::u16string field(const Value& server, const char* group, const char* key) {
    const Value& v = server.findByName(group).findByName(key);
    return v.isString() ? v.toWideString() : std::u16string();
}

}  // namespace

std::u16string expandPlaceholders(const Value& server, std::u16string text) {
    replaceAll(text, u"<GAMEDESC>", field(server, "Server", "GameDesc"));
    replaceAll(text, u"<SERVERNAME>", field(server, "Info", "Hostname"));
    replaceAll(text, u"<SERVERADDRPORT>", field(server, "Server", "Addr"));
    return text;
}

void writeUtf8(std::FILE* out, std::u16string_view text) {
    const std::string bytes = toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
}

void ReferenceHost::say(std::u16string_view line) {
    writeUtf8(out_, line);
    std::fputc('\n', out_);
}

bool ReferenceHost::GetCurrentServer(Value& server) {
    if (session_.server.kind() == ValueKind::Undef) return false;
    server = session_.server;
    return true;
}

bool ReferenceHost::ExpandVariables(const Value& server, std::u16string& text) {
    text = expandPlaceholders(server, std::move(text));
    return true;
}

bool ReferenceHost::Log(std::u16string line) {
    if (line.ends_with(u'\n')) line.pop_back();
    say(u"log: " + line);
    return true;
}

bool ReferenceHost::RegisterInterface(plugin::IInterface* object) {
    if (object != nullptr) say(format(u"host: interface %d registered", ++registered_));
    return true;
}

bool ReferenceHost::AddServerTab(std::u16string gameName, platform::WindowHandle page) {
    const bool taken = platform::windowSystem().isWindow(page);
    say(format(u"host: server tab '%ls' %ls", gameName, taken ? u"added" : u"refused (no window)"));
    if (taken) serverTab_ = page;
    return taken;
}

bool ReferenceHost::SendRconCommand(std::u16string command) {
    say(u"host: rcon command: " + command);
    if (!console_) return true;
    RconAnswer answer = console_->execute(command);
    if (!answer.note.empty()) say(u"rcon: " + answer.note);
    if (answer.replied) replies_.push_back({std::move(command), std::move(answer.reply)});
    return true;
}

bool ReferenceHost::takeReply(PendingReply& reply) {
    if (replies_.empty()) return false;
    reply = std::move(replies_.front());
    replies_.pop_front();
    return true;
}

bool ReferenceHost::ReportValue(const std::u16string& text) {
    say(u"host: value reported: " + text);
    return true;
}

}  // namespace orvane::host
