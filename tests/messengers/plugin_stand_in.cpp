// These tests link no plug-in core, yet FakePlugin needs IPlugin's virtual table, which is emitted
// with IPlugin::OnEvent. The back-ends only read the plug-in's `config`, so reaching this is a
// fault.
#include <gtest/gtest.h>

#include "plugin/interfaces.h"

namespace orvane::plugin {

bool IPlugin::OnEvent(std::uint32_t, std::uintptr_t, std::uintptr_t) {
    ADD_FAILURE() << "a back-end called the plug-in's OnEvent";
    return false;
}

}  // namespace orvane::plugin
