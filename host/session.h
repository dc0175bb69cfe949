// Session scripts: what the reference host plays. A script is a file of the configuration language
// whose top level holds these keys (docs/host.md has an example):
//
//   ['messengers'] = vector('ICQ2003', 'Miranda');   // simulated messengers that run (optional)
//   ['server'] = { ['Info'] = { ['Hostname'] = 'Frag Arena'; }; };  // current server (optional)
//   ['events'] = vector('AppInit', 'GameConnect', 'AppDeInit');     // played in order (required)
//   ['reply'] = "pam_mode is \"public\"\n";          // the text every RconResponse carries
//   ['players'] = vector('Ann', 'Bo');               // PlayersChanged carries {Players: this}
//   ['gameserver'] = { ['rules'] = { ['sd'] = vector('pub.gsc'); }; };  // answers rcon commands
//   ['rcon'] = { ['address'] = '127.0.0.1:28960'; ['password'] = 'pw'; };  // or a real one does
//
// Besides event names, ['events'] may hold user steps: { ['settings'] = vector(acts...); } opens
// the settings dialog and acts in it, { ['tab'] = vector(acts...); } acts on the RCON tab (see
// dialog_acts.h).
//
// Invariants: a script that loads is fully checked: every name is known, every key has the kind it
// needs, no other key is present. A rejected script names the file and the bracket path of the
// first offending value, or carries the loader's own line and column. Steps keep their bracket
// path, so what goes wrong while they are played is located the same way.
#pragma once

#include <cstdint>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/dialog_acts.h"
#include "host/sim_game_server.h"
#include "platform/sim/sim_messengers.h"
#include "value/value.h"

namespace orvane::host {

struct SessionStep {
    enum class Kind { Event, Settings, RconTab };
    Kind kind = Kind::Event;
    std::u16string name;     // the event's name, or "settings" / "tab"
    std::uint32_t code = 0;  // events only
    std::vector<DialogAct> acts;
    std::u16string where;    // the step's bracket path in the script
};

struct RconSetup {
    std::string address;
    std::string password;
    std::chrono::milliseconds timeout{500};  // for each reply
};

struct Session {
    std::u16string path;                     // the script, as named on the command line
    std::vector<std::u16string> messengers;  // back-end names, as the settings file keys them
    Value server;                            // Undef: the host has no current server
    std::vector<SessionStep> steps;
    std::u16string reply;
    Value players;  // the PlayersChanged Value, {Players: ...}
    std::optional<GameServerSetup> gameServer;  // at most one of these two answers rcon commands
    std::optional<RconSetup> rcon;
};

// False with the message in error when the script cannot be loaded or is not a valid session.
bool loadSession(const std::string& path, Session& session, std::u16string& error);

// Starts the simulated messenger for a name that loadSession accepted, in process processId.
std::unique_ptr<platform::sim::SimMessenger> startMessenger(std::u16string_view name,
                                                            platform::sim::SimDesktop& desktop,
                                                            std::uint32_t processId);

}  // namespace orvane::host
