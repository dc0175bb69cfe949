// What the dialog tests stand on: the simulated desktop and headless dialogs installed as the two
// seams, and a host that hands out a configurable server and records what the dialogs send it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/headless_dialogs.h"
#include "plugin/module_state.h"
#include "tests/plugin/stub_host.h"
#include "ui/templates.h"

namespace orvane::test {

class FakeHost final : public StubHost {
public:
    bool hasServer = true;
    int serverCalls = 0;
    Value server;
    std::vector<std::u16string> commands;  // SendRconCommand, in order
    std::vector<std::u16string> reports;   // ReportValue, in order

    bool GetCurrentServer(Value& out) override {
        ++serverCalls;
        if (hasServer) out = server;
        return hasServer;
    }
    bool SendRconCommand(std::u16string command) override {
        commands.push_back(std::move(command));
        return true;
    }
    bool ReportValue(const std::u16string& text) override {
        reports.push_back(text);
        return true;
    }
};

// A server of that game type at that address; g_gametype is left out when rules is null.
inline Value makeServer(const char16_t* gameType, const char16_t* address,
                        const char16_t* rules) {
    Value s;
    s.entry(Value("Server")).entry(Value("GameType")) = Value(gameType);
    s.entry(Value("Server")).entry(Value("Addr")) = Value(address);
    if (rules) s.entry(Value("Rules")).entry(Value("g_gametype")) = Value(rules);
    return s;
}

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setWindowSystem(&desktop);
        platform::setDialogSystem(&dialogs);
        plugin::g_host = &host;
    }
    void TearDown() override {
        platform::setWindowSystem(nullptr);
        platform::setDialogSystem(nullptr);
        plugin::g_host = nullptr;
    }

    platform::sim::HeadlessControl control(platform::WindowHandle dialog, int id) const {
        auto c = dialogs.control(dialog, id);
        if (!c) ADD_FAILURE() << "no control " << id;
        return c.value_or(platform::sim::HeadlessControl{});
    }

    platform::sim::SimDesktop desktop;
    platform::sim::HeadlessDialogs dialogs{desktop, ui::dialogTemplates()};
    FakeHost host;
};

}  // namespace orvane::test
