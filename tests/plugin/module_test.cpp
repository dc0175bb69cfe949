// The built module as a host meets it: opened at run time, entered through CreateInterface, called
// through the virtual tables only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>

#include "config/config_parser.h"
#include "plugin/entry.h"
#include "plugin_support.h"
#include "value/text.h"

namespace orvane::test {
namespace {

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(ORVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        createInterface_ = reinterpret_cast<plugin::CreateInterfaceFunction>(
            dlsym(handle_, plugin::kCreateInterfaceSymbol));
        host_.dataDirectory = widen(dir_.path().string());
    }
    // The module stays loaded: its Value pool keeps its slabs reachable only from its own storage.

    void* handle_ = nullptr;
    plugin::CreateInterfaceFunction createInterface_ = nullptr;
    TempDir dir_;
    RecordingHost host_;
};

TEST_F(ModuleTest, CreateInterfaceHandsOutAPluginWiredToTheHost) {
    ASSERT_NE(createInterface_, nullptr);
    EXPECT_EQ(dlsym(handle_, "_ZN6orvane6plugin6g_hostE"), nullptr) << "module state leaks out";
    std::unique_ptr<plugin::IPlugin> p(createInterface_(&host_));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(utf8(p->GetName()), "Orvane Messenger Plugin");

    p->OnEvent(plugin::AppInit, 0, 0);
    ASSERT_EQ(host_.log.size(), 2u) << "the module logs through the host it was given";
    EXPECT_EQ(utf8(host_.log[1]), "App Init\n");
    EXPECT_EQ(host_.registered.size(), 5u);
    p->OnEvent(plugin::GameConnect, 0, 0);
    EXPECT_EQ(host_.templates.size(), 5u) << "each registered back-end asked for its away text";
    p->OnEvent(plugin::AppDeInit, 0, 0);
    p.reset();

    config::ConfigParser parser;
    ASSERT_TRUE(parser.loadFile(
        std::string_view((dir_.path() / "plugin_Orvane Messenger Plugin.cfg").string()), Value(),
        false));
    // The back-ends save into the tree they reach through the module's plug-in pointer.
    EXPECT_EQ(parser.variables.findByName("Miranda").findByName("DisconnectStatus").toInteger(), 2);
}


}  // namespace
}  // namespace orvane::test
