// What the plug-in core tests stand on: a host that records every call the plug-in makes, a fresh
// data directory per test, and the module-wide pointers and window system set for the test's life.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "plugin/my_plugin.h"
#include "tests/plugin/stub_host.h"

namespace orvane::test {

class RecordingHost final : public StubHost {
public:
    std::u16string dataDirectory;
    std::vector<std::u16string> log;
    std::vector<plugin::IInterface*> registered;
    std::vector<std::u16string> templates;  // the texts ExpandVariables was asked to fill, in order

    bool ExpandVariables(const Value&, std::u16string& text) override {
        templates.push_back(text);
        return true;
    }
    bool Log(std::u16string line) override {
        log.push_back(std::move(line));
        return true;
    }
    std::u16string GetDataDirectory() override { return dataDirectory; }
    bool RegisterInterface(plugin::IInterface* object) override {
        registered.push_back(object);
        return true;
    }
};

// A directory of its own, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::string& bytes);
std::string utf8(std::u16string_view text);

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings file as the plug-in names it, and where it lands on this system.
    std::u16string settingsName() const;
    std::filesystem::path settingsFile() const;
    // Writes the settings file as UTF-8 text.
    void writeSettings(const std::string& text) const;
    // Loads the settings file back with the loader; fails the test when it does not load.
    Value reloadSettings() const;
    void send(std::uint32_t code, std::uintptr_t data = 0) { plugin.OnEvent(code, data, 0); }

    TempDir dir;
    platform::sim::SimDesktop desktop;
    RecordingHost host;
    plugin::MyPlugin plugin;
};

}  // namespace orvane::test
