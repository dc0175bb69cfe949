// The settings file across start-up and shut-down: its name, what is read from it, and the exact
// bytes written back.
#include <gtest/gtest.h>

#include "plugin/module_state.h"
#include "plugin_support.h"
#include "value/text.h"

namespace orvane::test {
namespace {

using plugin::AppDeInit;
using plugin::AppInit;
using SettingsFileTest = PluginTest;

struct Defaults {
    const char16_t* name;
    int connect;
    int disconnect;
};
constexpr Defaults kRegistered[] = {
    {u"ICQ2003", 2, 0}, {u"Miranda", 1, 2}, {u"MSN7", 3, 0}, {u"AIM", 1, 0}, {u"Trillian", 1, 0},
};

// What the printer's default layout makes of the saved tree: the top level a plain list of
// assignments, each back-end a block of one assignment per line indented by one tab, entries in the
// tree's own order, every setting at its default. On disk: the mark FF FE, UTF-16LE, CR LF.
std::string expectedDefaultBytes(const Value& tree) {
    std::u16string text;
    const Value keys = tree.keys(true);
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        const std::u16string key = keys.at(i).toWideString();
        const Defaults* d = nullptr;
        for (const Defaults& row : kRegistered)
            if (row.name == key) d = &row;
        if (d == nullptr) {
            text += u"['" + key + u"'] = true;\n";  // IsActive; any other key fails below
            continue;
        }
        text += u"['" + key + u"'] = {\n";
        const Value settings = tree.find(keys.at(i)).keys(true);
        for (std::uint32_t j = 0; j < settings.size(); ++j) {
            const std::u16string s = settings.at(j).toWideString();
            const std::u16string value =
                s == u"Message"            ? u"'Playing <GAMEDESC> on <SERVERNAME> (<SERVERADDRPORT>) with Qorv'"
                : s == u"ConnectStatus"    ? format(u"%d", d->connect)
                : s == u"DisconnectStatus" ? format(u"%d", d->disconnect)
                                           : u"false";
            text += u"\t['" + s + u"'] = " + value + u";\n";
        }
        text += u"};\n";
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        if (c == u'\n') bytes += std::string("\r\0", 2);
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST_F(SettingsFileTest, FirstStartWritesTheDefaultsByteForByte) {
    send(AppInit);
    send(AppDeInit);
    ASSERT_GE(host.log.size(), 2u);
    EXPECT_EQ(utf8(host.log.front()), utf8(settingsName()) + " not loaded\n");
    EXPECT_EQ(utf8(host.log.back()), utf8(settingsName()) + " saved\n");

    const Value saved = reloadSettings();
    EXPECT_EQ(saved.size(), 6u) << "IsActive and five back-ends; QIP never has an entry";
    EXPECT_TRUE(saved.findByName("IsActive").isBoolean());
    for (const Defaults& d : kRegistered) EXPECT_EQ(saved.find(Value(d.name)).size(), 6u);
    EXPECT_EQ(readBytes(settingsFile()), expectedDefaultBytes(plugin.config));
}

TEST_F(SettingsFileTest, AFileThatSaysInactiveStillStartsActiveAndSavesTrue) {
    writeSettings("['IsActive'] = false;\n");
    send(AppInit);
    EXPECT_EQ(utf8(host.log.front()), utf8(settingsName()) + " loaded\n");
    EXPECT_FALSE(plugin.config.findByName("IsActive").toBoolean()) << "the file was read";
    EXPECT_TRUE(plugin.active);
    send(AppDeInit);
    EXPECT_TRUE(reloadSettings().findByName("IsActive").toBoolean());
    EXPECT_EQ(readBytes(settingsFile()).substr(0, 2), "\xFF\xFE") << "read as 8-bit, saved as UTF-16";
}

TEST_F(SettingsFileTest, AQipEntryIsNeitherReadNorDropped) {
    writeSettings("['QIP']['ConnectStatus'] = 5;\n['ICQ2003']['ConnectStatus'] = 4;\n");
    send(AppInit);
    EXPECT_EQ(plugin.qip.GetConnectStatus(), 7) << "QIP keeps its default";
    EXPECT_EQ(plugin.icq2003.GetConnectStatus(), 4);
    send(AppDeInit);
    const Value qip = reloadSettings().findByName("QIP");
    EXPECT_EQ(qip.findByName("ConnectStatus").toInteger(), 5);
    EXPECT_EQ(qip.size(), 1u) << "written back as it was read";
}

TEST_F(SettingsFileTest, ChangedSettingsSurviveARestart) {
    writeSettings("['Miranda'] = { ['Message'] = 'Gaming'; ['ConnectStatus'] = 6; };\n");
    send(AppInit);
    EXPECT_EQ(utf8(plugin.miranda.GetMessage()), "Gaming");
    EXPECT_EQ(plugin.miranda.GetDisconnectStatus(), 2) << "absent keys keep the default";
    plugin.trillian.SetMinimize(true);
    send(AppDeInit);

    plugin::MyPlugin restarted;
    plugin::g_plugin = &restarted;
    restarted.OnEvent(AppInit, 0, 0);
    EXPECT_EQ(utf8(restarted.miranda.GetMessage()), "Gaming");
    EXPECT_EQ(restarted.miranda.GetConnectStatus(), 6);
    EXPECT_TRUE(restarted.trillian.GetMinimize());
    EXPECT_EQ(restarted.icq2003.GetConnectStatus(), 2) << "untouched back-ends keep defaults";
    plugin::g_plugin = &plugin;
}

TEST_F(SettingsFileTest, AnUnreadableFileLeavesTheDefaults) {
    writeSettings("['ICQ2003']['ConnectStatus'] = 4;\n['IsActive'] = ;\n");
    send(AppInit);
    EXPECT_EQ(utf8(host.log.front()), utf8(settingsName()) + " not loaded\n");
    EXPECT_EQ(plugin.icq2003.GetConnectStatus(), 2) << "nothing of a failed load is taken";
}

}  // namespace
}  // namespace orvane::test
