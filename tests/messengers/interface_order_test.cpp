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
};
#define SLOT(C, m) Slot{#m, slotOf(&C::m)}

// The operations must fill consecutive slots from first on, in the order listed.
void expectSlots(std::ptrdiff_t first, std::initializer_list<Slot> slots) {
    for (const Slot& s : slots) EXPECT_EQ(s.actual, first++) << s.name;
}

TEST(InterfaceOrder, AllFourInterfaces) {
    if (!kCanReadSlots) GTEST_SKIP() << "slot layout is only readable under the Itanium ABI on x86";
    using plugin::IHost;
    using plugin::IPlugin;
    using M = messengers::IMessengerNotification;
    static_assert(std::has_virtual_destructor_v<IPlugin>);
    static_assert(!std::has_virtual_destructor_v<IHost> && !std::has_virtual_destructor_v<M>);
    expectSlots(0, {SLOT(plugin::IInterface, OnEvent)});
    expectSlots(0, {SLOT(IPlugin, OnEvent)});  // slots 1 and 2: the destructor
    expectSlots(3, {SLOT(IPlugin, GetName), SLOT(IPlugin, GetAuthor), SLOT(IPlugin, GetDescription),
                    SLOT(IPlugin, GetVersion), SLOT(IPlugin, GetHomepage), SLOT(IPlugin, SetLevel),
                    SLOT(IPlugin, GetLevel), SLOT(IPlugin, HandleEvent),
                    SLOT(IPlugin, ShowSettings)});
    expectSlots(0, {SLOT(IHost, Reserved0), SLOT(IHost, Reserved1), SLOT(IHost, Reserved2),
                    SLOT(IHost, Reserved3), SLOT(IHost, Reserved4), SLOT(IHost, GetCurrentServer),
                    SLOT(IHost, ExpandVariables), SLOT(IHost, Reserved5), SLOT(IHost, Reserved6),
                    SLOT(IHost, Reserved7), SLOT(IHost, Log), SLOT(IHost, GetDataDirectory),
                    SLOT(IHost, RegisterInterface), SLOT(IHost, AddServerTab),
                    SLOT(IHost, SendRconCommand), SLOT(IHost, ReportValue)});
    expectSlots(0, {SLOT(M, OnEvent), SLOT(M, GetName), SLOT(M, GetStatusName),
                    SLOT(M, GetStatusCount), SLOT(M, GetConnectStatus),
                    SLOT(M, GetDisconnectStatus), SLOT(M, SetConnectStatus),
                    SLOT(M, SetDisconnectStatus), SLOT(M, SetMessage), SLOT(M, GetMessage),
                    SLOT(M, GetChangeMessage), SLOT(M, SetChangeMessage), SLOT(M, GetMinimize),
                    SLOT(M, SetMinimize), SLOT(M, SetActive), SLOT(M, GetActive),
                    SLOT(M, ApplyStatus), SLOT(M, LoadSettings), SLOT(M, SaveSettings)});
}

}  // namespace
}  // namespace orvane
