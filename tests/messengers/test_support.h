// What every messenger test stands on: a host that expands the three placeholders from a fixed
// server, a plug-in object holding the configuration tree, the simulated desktop installed as the
// window system, and a readable form of the recorded messages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "plugin/module_state.h"
#include "tests/plugin/stub_host.h"

namespace orvane::test {

class FakeHost final : public StubHost {
public:
    bool hasServer = true;
    int serverCalls = 0;
    int expandCalls = 0;
    bool serverCameUndef = true;  // every GetCurrentServer got an Undef Value
    Value lastExpandedServer;

    // Placeholders filled from Server.GameDesc, Info.Hostname and Server.Addr.
    static Value server();

    bool GetCurrentServer(Value& out) override;
    bool ExpandVariables(const Value& server, std::u16string& text) override;
};

class FakePlugin final : public plugin::IPlugin {
public:
    std::u16string GetName() override { return u"Test Plugin"; }
    std::u16string GetAuthor() override { return u"tests"; }
    std::u16string GetDescription() override { return u"holds the configuration tree"; }
    std::u16string GetVersion() override { return u"0"; }
    std::u16string GetHomepage() override { return u""; }
};

// The expansion of the default template against FakeHost::server().
inline constexpr char16_t kExpandedDefault[] =
    u"Playing Call of Duty 2 on Frag Arena (192.0.2.7:28960) with Qorv";

class MessengerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The record as lines such as `send #32770 "ICQ" WM_COMMAND 6547 0`; a WM_SETTEXT shows its
    // text instead of the pointer, and a post says "post".
    std::vector<std::string> sent() const;
    // The show commands made, as (window, command) pairs in order.
    std::vector<std::pair<platform::WindowHandle, int>> shown() const;

    platform::sim::SimDesktop desktop;
    FakeHost host;
    FakePlugin plugin;
};

std::string describeMessage(const platform::sim::SimMessage& m);
std::string utf8(std::u16string_view text);

}  // namespace orvane::test
