// The reference host's IHost on the real Windows desktop, for the programs that drive the module
// under Windows or Wine: a real frame window stands for the host's main window, the RCON page the
// module offers is re-parented into it, and remote-console commands go to the simulated game server
// of a session script, their replies arriving only when the caller delivers them.
//
// Invariants: the plug-in is destroyed before the host object and the frame; the host's own copy of
// the window-system seam is the real one while a RealHost lives, so AddServerTab sees real windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "host/reference_host.h"
#include "host/session.h"
#include "host/sim_game_server.h"
#include "plugin/entry.h"

namespace orvane::wintest {

class RealHost {
public:
    RealHost();
    ~RealHost();
    RealHost(const RealHost&) = delete;
    RealHost& operator=(const RealHost&) = delete;

    // Loads script (its server, reply, players and game server; its steps are not played) and the
    // module next to this program. dataDirectory must exist. hostOutput receives the host's lines.
    bool start(const std::string& script, const std::string& dataDirectory, std::FILE* hostOutput,
               std::string& why);

    // Sends an event with the data the reference host gives it, then lets the message loop run
    // and delivers the replies that arrived meanwhile.
    void send(std::uint32_t code);
    // Every waiting remote-console reply, in order, each as an RconResponse; replies may bring more.
    void deliverReplies();
    // Runs the thread's message loop until it is empty.
    static void pump();

    HWND frame() const { return frame_; }
    // The loaded script: the current server may be changed between events.
    host::Session& session() { return session_; }
    // The RCON page once the host took it (after CreateTabs), shown inside the frame; else null.
    HWND tab() const;
    plugin::IPlugin& plugin() { return *plugin_; }
    // Destroys the plug-in now (as the host does on shutdown).
    void unload() { plugin_.reset(); }

private:
    host::Session session_;
    std::unique_ptr<host::SimGameServer> server_;
    std::unique_ptr<host::ReferenceHost> host_;
    std::unique_ptr<plugin::IPlugin> plugin_;
    HWND frame_ = nullptr;
    mutable HWND adopted_ = nullptr;
};

// This program's directory, with its trailing separator, and the module file in it.
std::string programDirectory();
std::string moduleNextToProgram();

// A user's acts on a control of a dialog, each followed by the note the dialog listens to: a click
// (BM_CLICK), a pick of the entry shown as entry in a combo box (false when it has none), typing.
void click(HWND dialog, int id);
bool pick(HWND dialog, int id, const wchar_t* entry);
void type(HWND dialog, int id, const wchar_t* text);

// The first top-level window of this process with that class and title (null title: any).
HWND findOwnWindow(const wchar_t* className, const wchar_t* title);

}  // namespace orvane::wintest
