// The host the native test suites start from: every operation the plug-in may call answers as a
// host with nothing to offer, and a call to a reserved slot fails the test, since the plug-in never
// uses those. A suite's fake overrides only the operations it records or feeds.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "plugin/interfaces.h"

namespace orvane::test {

class StubHost : public plugin::IHost {
public:
    void Reserved0() override { unexpected(); }
    void Reserved1() override { unexpected(); }
    void Reserved2() override { unexpected(); }
    void Reserved3() override { unexpected(); }
    void Reserved4() override { unexpected(); }
    bool GetCurrentServer(Value&) override { return false; }
    bool ExpandVariables(const Value&, std::u16string&) override { return true; }
    void Reserved5() override { unexpected(); }
    void Reserved6() override { unexpected(); }
    void Reserved7() override { unexpected(); }
    bool Log(std::u16string) override { return true; }
    std::u16string GetDataDirectory() override { return u"data"; }
    bool RegisterInterface(plugin::IInterface*) override { return true; }
    bool AddServerTab(std::u16string, platform::WindowHandle) override { return true; }
    bool SendRconCommand(std::u16string) override { return true; }
    bool ReportValue(const std::u16string&) override { return true; }

private:
    static void unexpected() {
        ADD_FAILURE() << "the plug-in called a host operation it never uses";
    }
};

}  // namespace orvane::test
