// The reference host's side of the host boundary: every IHost operation, answered from a session
// script and reported on an output stream.
//
// Placeholders that ExpandVariables fills from the current server's information Value:
//   <GAMEDESC>        ['Server']['GameDesc']
//   <SERVERNAME>      ['Info']['Hostname']
//   <SERVERADDRPORT>  ['Server']['Addr']
// A placeholder whose key is missing (or that is not a text) expands to nothing, as it does when
// there is no current server.
//
// Output: each Log text as one line "log: <text>" (its own line end dropped); every other host call
// the plug-in makes as one line "host: ...". Text leaves as UTF-8.
//
// Remote-console commands go to the console set (none: they are only shown). Its replies wait in
// order until the player takes them, so none reaches the plug-in inside the call that asked.
#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "host/remote_console.h"
#include "host/session.h"
#include "plugin/interfaces.h"

namespace orvane::host {

// text with the three placeholders replaced from server.
std::u16string expandPlaceholders(const Value& server, std::u16string text);

void writeUtf8(std::FILE* out, std::u16string_view text);

struct PendingReply {
    std::u16string command;  // what it answers
    std::u16string text;
};

class ReferenceHost final : public plugin::IHost {
public:
    // session must outlive the host.
    ReferenceHost(const Session& session, std::u16string dataDirectory, std::FILE* out)
        : session_(session), dataDirectory_(std::move(dataDirectory)), out_(out) {}

    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    void Reserved3() override {}
    void Reserved4() override {}
    bool GetCurrentServer(Value& server) override;
    bool ExpandVariables(const Value& server, std::u16string& text) override;
    void Reserved5() override {}
    void Reserved6() override {}
    void Reserved7() override {}
    bool Log(std::u16string line) override;
    std::u16string GetDataDirectory() override { return dataDirectory_; }
    bool RegisterInterface(plugin::IInterface* object) override;
    bool AddServerTab(std::u16string gameName, platform::WindowHandle page) override;
    bool SendRconCommand(std::u16string command) override;
    bool ReportValue(const std::u16string& text) override;

    // Not owned; null sends commands nowhere.
    void setConsole(RemoteConsole* console) { console_ = console; }
    // The oldest reply not yet taken; false when none waits.
    bool takeReply(PendingReply& reply);
    // The page last taken by AddServerTab, or 0.
    platform::WindowHandle serverTab() const { return serverTab_; }

private:
    void say(std::u16string_view line);

    const Session& session_;
    std::u16string dataDirectory_;
    std::FILE* out_;
    int registered_ = 0;
    RemoteConsole* console_ = nullptr;
    std::deque<PendingReply> replies_;
    platform::WindowHandle serverTab_ = 0;
};

}  // namespace orvane::host
