// Playing a checked session script against the plug-in module: the simulated desktop, messengers
// and headless dialogs, the host object, the remote console, and the steps in order.
//
// Order of one step's report: "== <step>", what the step caused (host calls, user acts, message
// boxes, the dialog or tab as left), then every running messenger; then each remote-console reply
// that waited, as "== RconResponse to '<command>'" with its lines and what it caused. A user act
// on the tab is followed at once by the replies it brought, as the host's message loop would run
// between two clicks.
#pragma once

#include <string>

#include "host/session.h"

namespace orvane::host {

struct PlayerSetup {
    std::string dataDirectory;  // exists
    std::string modulePath;
};

// 0 when every step was played; 1 with the reason in error (located in the script where a step
// failed), after the plug-in has been destroyed.
int playSession(const Session& session, const PlayerSetup& setup, std::u16string& error);

}  // namespace orvane::host
