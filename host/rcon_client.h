// The game's remote console over UDP, for a real server.
//
// A command goes out as one datagram: four 0xFF bytes, "rcon ", the password, a blank, the
// command. The server answers with one or more datagrams, each four 0xFF bytes, "print\n" and a
// piece of the reply text; datagrams of any other shape are not replies and are skipped.
// Invariants: every wait is bounded (the timeout for the first reply datagram, a short grace for
// each further one), so a silent or absent server costs at most the timeout and a worded reason,
// never a hang; text crosses the wire as 8-bit bytes (Latin-1).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/remote_console.h"

namespace orvane::host {

class RconClient final : public RemoteConsole {
public:
    RconClient() = default;
    ~RconClient() override;
    RconClient(const RconClient&) = delete;
    RconClient& operator=(const RconClient&) = delete;

    // address: "host:port" or "[v6-address]:port"; the port is 28960 when left out. False with
    // the reason in error when the address does not resolve or no socket can be had.
    bool open(std::string_view address, std::string password, std::chrono::milliseconds timeout,
              std::string& error);
    // Sends command and collects the reply text; false with the reason in error when nothing came.
    bool exchange(std::string_view command, std::string& reply, std::string& error);

    // A reply that did not come is the note; the plug-in then hears nothing.
    RconAnswer execute(std::u16string_view command) override;

private:
    std::intptr_t socket_ = -1;  // the platform's socket handle, -1 while closed
    std::string address_;
    std::string password_;
    std::chrono::milliseconds timeout_{500};
};

}  // namespace orvane::host
