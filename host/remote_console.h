// Where the reference host's SendRconCommand goes: a game server's remote console, simulated or
// reached over the network.
//
// A console answers inside the call, but the host holds the reply back and hands it to the plug-in
// as an RconResponse only after the plug-in's current call has returned, as a reply that crossed
// the network would arrive.
#pragma once

#include <string>
#include <string_view>

namespace orvane::host {

struct RconAnswer {
    bool replied = false;  // false: nothing comes back for this command
    std::u16string reply;  // the reply's text, as the plug-in receives it
    std::u16string note;   // what the host reports besides ("" for nothing)
};

class RemoteConsole {
public:
    virtual ~RemoteConsole() = default;
    virtual RconAnswer execute(std::u16string_view command) = 0;
};

}  // namespace orvane::host
