// The host calls these interfaces by table position, so a reordered, added or removed virtual
// operation must fail here. Slots are read from pointers to virtual members, which under the
// Itanium C++ ABI on x86 hold 1 + the slot's byte offset; there a virtual destructor fills two
// slots.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "messengers/messenger_notification.h"
#include "plugin/interfaces.h"

namespace orvane {
namespace {

#if defined(__GXX_ABI_VERSION) && (defined(__x86_64__) || defined(__i386__))
constexpr bool kCanReadSlots = true;
#else
constexpr bool kCanReadSlots = false;
#endif

template <class Member>
std::ptrdiff_t slotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t), "not an Itanium member pointer");
    std::ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof words);
    if ((words[0] & 1) == 0) return -1;  // not virtual
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

struct Slot {
    const char* name;
    std::ptrdiff_t actual;
    std::ptrdiff_t expected;
};

void expectSlots(std::initializer_list<Slot> slots) {
    for (const Slot& s : slots) EXPECT_EQ(s.actual, s.expected) << s.name;
}

TEST(InterfaceOrder, IInterface) {
    if (!kCanReadSlots) GTEST_SKIP() << "slot layout is only readable under the Itanium ABI on x86";
    using plugin::IInterface;
    expectSlots({{"OnEvent", slotOf(&IInterface::OnEvent), 0}});
}

TEST(InterfaceOrder, IPlugin) {
    if (!kCanReadSlots) GTEST_SKIP() << "slot layout is only readable under the Itanium ABI on x86";
    using plugin::IPlugin;
    static_assert(std::has_virtual_destructor_v<IPlugin>);
    // Slots 1 and 2: the destructor (complete and deleting).
    expectSlots({
        {"OnEvent", slotOf(&IPlugin::OnEvent), 0},
        {"GetName", slotOf(&IPlugin::GetName), 3},
        {"GetAuthor", slotOf(&IPlugin::GetAuthor), 4},
        {"GetDescription", slotOf(&IPlugin::GetDescription), 5},
        {"GetVersion", slotOf(&IPlugin::GetVersion), 6},
        {"GetHomepage", slotOf(&IPlugin::GetHomepage), 7},
        {"SetLevel", slotOf(&IPlugin::SetLevel), 8},
        {"GetLevel", slotOf(&IPlugin::GetLevel), 9},
        {"HandleEvent", slotOf(&IPlugin::HandleEvent), 10},
        {"ShowSettings", slotOf(&IPlugin::ShowSettings), 11},
    });
}

TEST(InterfaceOrder, IHost) {
    if (!kCanReadSlots) GTEST_SKIP() << "slot layout is only readable under the Itanium ABI on x86";
    using plugin::IHost;
    static_assert(!std::has_virtual_destructor_v<IHost>);
    expectSlots({
        {"Reserved0", slotOf(&IHost::Reserved0), 0},
        {"Reserved1", slotOf(&IHost::Reserved1), 1},
        {"Reserved2", slotOf(&IHost::Reserved2), 2},
        {"Reserved3", slotOf(&IHost::Reserved3), 3},
        {"Reserved4", slotOf(&IHost::Reserved4), 4},
        {"GetCurrentServer", slotOf(&IHost::GetCurrentServer), 5},
        {"ExpandVariables", slotOf(&IHost::ExpandVariables), 6},
        {"Reserved5", slotOf(&IHost::Reserved5), 7},
        {"Reserved6", slotOf(&IHost::Reserved6), 8},
        {"Reserved7", slotOf(&IHost::Reserved7), 9},
        {"Log", slotOf(&IHost::Log), 10},
        {"GetDataDirectory", slotOf(&IHost::GetDataDirectory), 11},
        {"RegisterInterface", slotOf(&IHost::RegisterInterface), 12},
        {"AddServerTab", slotOf(&IHost::AddServerTab), 13},
        {"SendRconCommand", slotOf(&IHost::SendRconCommand), 14},
        {"ReportValue", slotOf(&IHost::ReportValue), 15},
    });
}

TEST(InterfaceOrder, IMessengerNotification) {
    if (!kCanReadSlots) GTEST_SKIP() << "slot layout is only readable under the Itanium ABI on x86";
    using messengers::IMessengerNotification;
    static_assert(!std::has_virtual_destructor_v<IMessengerNotification>);
    expectSlots({
        {"OnEvent", slotOf(&IMessengerNotification::OnEvent), 0},
        {"GetName", slotOf(&IMessengerNotification::GetName), 1},
        {"GetStatusName", slotOf(&IMessengerNotification::GetStatusName), 2},
        {"GetStatusCount", slotOf(&IMessengerNotification::GetStatusCount), 3},
        {"GetConnectStatus", slotOf(&IMessengerNotification::GetConnectStatus), 4},
        {"GetDisconnectStatus", slotOf(&IMessengerNotification::GetDisconnectStatus), 5},
        {"SetConnectStatus", slotOf(&IMessengerNotification::SetConnectStatus), 6},
        {"SetDisconnectStatus", slotOf(&IMessengerNotification::SetDisconnectStatus), 7},
        {"SetMessage", slotOf(&IMessengerNotification::SetMessage), 8},
        {"GetMessage", slotOf(&IMessengerNotification::GetMessage), 9},
        {"GetChangeMessage", slotOf(&IMessengerNotification::GetChangeMessage), 10},
        {"SetChangeMessage", slotOf(&IMessengerNotification::SetChangeMessage), 11},
        {"GetMinimize", slotOf(&IMessengerNotification::GetMinimize), 12},
        {"SetMinimize", slotOf(&IMessengerNotification::SetMinimize), 13},
        {"SetActive", slotOf(&IMessengerNotification::SetActive), 14},
        {"GetActive", slotOf(&IMessengerNotification::GetActive), 15},
        {"ApplyStatus", slotOf(&IMessengerNotification::ApplyStatus), 16},
        {"LoadSettings", slotOf(&IMessengerNotification::LoadSettings), 17},
        {"SaveSettings", slotOf(&IMessengerNotification::SaveSettings), 18},
    });
}

TEST(PlainInterface, IgnoresEveryEvent) {
    struct Plain : plugin::IInterface {};
    Plain p;
    for (std::uint32_t code :
         {0x1001u, 0x1002u, 0x1004u, 0x2001u, 0x2002u, 0x3001u, 0x3002u, 0x5002u, 0u})
        EXPECT_FALSE(p.OnEvent(code, 1, 2)) << code;
}

}  // namespace
}  // namespace orvane
