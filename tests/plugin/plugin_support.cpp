#include "plugin_support.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "config/config_parser.h"
#include "plugin/module_state.h"
#include "value/text.h"

namespace orvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-plugin-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary directory";
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string utf8(std::u16string_view text) { return toUtf8(text); }

void PluginTest::SetUp() {
    host.dataDirectory = widen(dir.path().string());
    platform::setWindowSystem(&desktop);
    plugin::g_host = &host;
    plugin::g_plugin = &plugin;
}

void PluginTest::TearDown() {
    platform::setWindowSystem(nullptr);
    plugin::g_host = nullptr;
    plugin::g_plugin = nullptr;
}

std::u16string PluginTest::settingsName() const {
    return host.dataDirectory + u"\\plugin_Orvane Messenger Plugin.cfg";
}

std::filesystem::path PluginTest::settingsFile() const {
    return dir.path() / "plugin_Orvane Messenger Plugin.cfg";
}

void PluginTest::writeSettings(const std::string& text) const { writeBytes(settingsFile(), text); }

Value PluginTest::reloadSettings() const {
    config::ConfigParser parser;
    EXPECT_TRUE(parser.loadFile(std::string_view(settingsFile().string()), Value(), false))
        << utf8(parser.error);
    return parser.variables;
}

}  // namespace orvane::test
