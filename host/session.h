// Session scripts: what the reference host plays. A script is a file of the configuration language
// whose top level holds these keys (docs/host.md has an example):
//
//   ['messengers'] = vector('ICQ2003', 'Miranda');   // simulated messengers that run (optional)
//   ['server'] = { ['Info'] = { ['Hostname'] = 'Frag Arena'; }; };  // current server (optional)
//   ['events'] = vector('AppInit', 'GameConnect', 'AppDeInit');     // played in order (required)
//   ['reply'] = "pam_mode is \"public\"\n";          // the text every RconResponse carries
//   ['players'] = vector('Ann', 'Bo');               // PlayersChanged carries {Players: this}
//
// Invariants: a script that loads is fully checked: every name is known, every key has the kind it
// needs, no other key is present. A rejected script names the file and the bracket path of the
// first offending value, or carries the loader's own line and column.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_messengers.h"
#include "value/value.h"

namespace orvane::host {

struct SessionEvent {
    std::u16string name;
    std::uint32_t code = 0;
};

struct Session {
    std::vector<std::u16string> messengers;  // back-end names, as the settings file keys them
    Value server;                            // Undef: the host has no current server
    std::vector<SessionEvent> events;
    std::u16string reply;
    Value players;  // the PlayersChanged Value, {Players: ...}
};

// False with the message in error when the script cannot be loaded or is not a valid session.
bool loadSession(const std::string& path, Session& session, std::u16string& error);

// Starts the simulated messenger for a name that loadSession accepted, in process processId.
std::unique_ptr<platform::sim::SimMessenger> startMessenger(std::u16string_view name,
                                                            platform::sim::SimDesktop& desktop,
                                                            std::uint32_t processId);

}  // namespace orvane::host
