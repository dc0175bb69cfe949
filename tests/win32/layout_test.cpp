// The host calls the module's objects by table position, with the layout its own compiler makes: a
// virtual destructor there is one slot, the deleting form. These checks read the positions two ways:
// from the interfaces as this compiler lays them out, and by calling the real objects of the built
// module through raw slots, as the host does.
#include <windows.h>
// The Windows headers rename GetMessage to GetMessageW; the back-ends' operation keeps its name.
#undef GetMessage

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "messengers/messenger_notification.h"
#include "plugin/entry.h"
#include "tests/win32/check.h"

namespace {

using namespace orvane;
using plugin::IHost;
using plugin::IInterface;
using plugin::IPlugin;

// GCC keeps Itanium member pointers on Windows too: a virtual one holds 1 + the slot's byte offset.
template <class Member>
std::ptrdiff_t slotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t), "not an Itanium member pointer");
    std::ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof words);
    if ((words[0] & 1) == 0) return -1;
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

struct Slot {
    const char* name;
    std::ptrdiff_t actual;
};
#define SLOT(C, m) Slot{#m, slotOf(&C::m)}

// The operations must fill consecutive slots from first on, in the order listed.
void expectSlots(const char* interfaceName, std::ptrdiff_t first,
                 std::initializer_list<Slot> slots) {
    for (const Slot& s : slots)
        WCHECK_EQ(s.actual, first++, std::string(interfaceName) + "::" + s.name);
}

void declaredLayout() {
    using M = messengers::IMessengerNotification;
    static_assert(!std::has_virtual_destructor_v<IPlugin>);
    static_assert(!std::has_virtual_destructor_v<IHost> && !std::has_virtual_destructor_v<M>);
    expectSlots("IInterface", 0, {SLOT(IInterface, OnEvent)});
    expectSlots("IPlugin", 0,
                {SLOT(IPlugin, OnEvent), SLOT(IPlugin, DeletingDestructor), SLOT(IPlugin, GetName),
                 SLOT(IPlugin, GetAuthor), SLOT(IPlugin, GetDescription), SLOT(IPlugin, GetVersion),
                 SLOT(IPlugin, GetHomepage), SLOT(IPlugin, SetLevel), SLOT(IPlugin, GetLevel),
                 SLOT(IPlugin, HandleEvent), SLOT(IPlugin, ShowSettings)});
    expectSlots("IHost", 0,
                {SLOT(IHost, Reserved0), SLOT(IHost, Reserved1), SLOT(IHost, Reserved2),
                 SLOT(IHost, Reserved3), SLOT(IHost, Reserved4), SLOT(IHost, GetCurrentServer),
                 SLOT(IHost, ExpandVariables), SLOT(IHost, Reserved5), SLOT(IHost, Reserved6),
                 SLOT(IHost, Reserved7), SLOT(IHost, Log), SLOT(IHost, GetDataDirectory),
                 SLOT(IHost, RegisterInterface), SLOT(IHost, AddServerTab),
                 SLOT(IHost, SendRconCommand), SLOT(IHost, ReportValue)});
    expectSlots("IMessengerNotification", 0,
                {SLOT(M, OnEvent), SLOT(M, GetName), SLOT(M, GetStatusName),
                 SLOT(M, GetStatusCount), SLOT(M, GetConnectStatus), SLOT(M, GetDisconnectStatus),
                 SLOT(M, SetConnectStatus), SLOT(M, SetDisconnectStatus), SLOT(M, SetMessage),
                 SLOT(M, GetMessage), SLOT(M, GetChangeMessage), SLOT(M, SetChangeMessage),
                 SLOT(M, GetMinimize), SLOT(M, SetMinimize), SLOT(M, SetActive), SLOT(M, GetActive),
                 SLOT(M, ApplyStatus), SLOT(M, LoadSettings), SLOT(M, SaveSettings)});
}

// Calls slot `slot` of object's table the way the host's code does: by position, object first.
#if defined(__i386__)
#define ORVANE_THISCALL __attribute__((thiscall))
#else
#define ORVANE_THISCALL
#endif
template <class R, class... Args>
R callSlot(void* object, int slot, Args... args) {
    using Fn = R(ORVANE_THISCALL*)(void*, Args...);
    void** table = *static_cast<void***>(object);
    return reinterpret_cast<Fn>(table[slot])(object, args...);
}

class TestHost final : public IHost {
public:
    explicit TestHost(std::u16string dataDirectory) : dataDirectory_(std::move(dataDirectory)) {}
    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    void Reserved3() override {}
    void Reserved4() override {}
    bool GetCurrentServer(Value&) override { return false; }
    bool ExpandVariables(const Value&, std::u16string&) override { return true; }
    void Reserved5() override {}
    void Reserved6() override {}
    void Reserved7() override {}
    bool Log(std::u16string line) override {
        log.push_back(std::move(line));
        return true;
    }
    std::u16string GetDataDirectory() override { return dataDirectory_; }
    bool RegisterInterface(IInterface* object) override {
        registered.push_back(object);
        return true;
    }
    bool AddServerTab(std::u16string, platform::WindowHandle) override { return true; }
    bool SendRconCommand(std::u16string) override { return true; }
    bool ReportValue(const std::u16string&) override { return true; }

    std::vector<std::u16string> log;
    std::vector<IInterface*> registered;

private:
    std::u16string dataDirectory_;
};

std::u16string scratchDirectory() {
    wchar_t base[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, base);
    std::wstring dir(base, n);
    dir += L"orvane-layout-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    return std::u16string(dir.begin(), dir.end());
}

void realObjects() {
    HMODULE module = LoadLibraryW(L"orvane-plugin.dll");
    if (!WCHECK(module != nullptr, "the module loads from the test's directory")) return;
    auto create = reinterpret_cast<plugin::CreateInterfaceFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, plugin::kCreateInterfaceSymbol)));
    if (!WCHECK(create != nullptr, "CreateInterface is exported undecorated")) return;

    TestHost host(scratchDirectory());
    IPlugin* plugin = create(&host);
    if (!WCHECK(plugin != nullptr, "CreateInterface gives a plug-in")) return;

    // Slots whose calls need nothing but plain numbers, called by position.
    WCHECK_EQ(callSlot<int>(plugin, 8), 50, "slot 8 GetLevel of a fresh plug-in");
    WCHECK_EQ(callSlot<int>(plugin, 7, 250), 100, "slot 7 SetLevel(250)");
    WCHECK_EQ(callSlot<int>(plugin, 8), 100, "slot 8 GetLevel after SetLevel");
    // An event nobody knows: HandleEvent answers false, OnEvent true.
    constexpr std::uint32_t kUnknownEvent = 0x7777;
    WCHECK_EQ(callSlot<bool>(plugin, 9, kUnknownEvent, std::uintptr_t{0}, std::uintptr_t{0}), false,
              "slot 9 HandleEvent");
    WCHECK_EQ(callSlot<bool>(plugin, 0, kUnknownEvent, std::uintptr_t{0}, std::uintptr_t{0}), true,
              "slot 0 OnEvent");
    WCHECK_EQ(callSlot<bool>(plugin, 10, platform::WindowHandle{0}), true,
              "slot 10 ShowSettings without a parent");
    WCHECK_EQ(callSlot<bool>(plugin, 0, std::uint32_t{plugin::AppInit}, std::uintptr_t{0},
                             std::uintptr_t{0}),
              true, "slot 0 OnEvent(AppInit)");
    WCHECK_EQ(host.registered.size(), std::size_t{5}, "back-ends registered at AppInit");
    // Slot 2 returns a string, which the header's own call shows.
    WCHECK_EQ(plugin->GetName(), std::u16string(u"Orvane Messenger Plugin"), "slot 2 GetName");
    WCHECK_EQ(plugin->GetVersion(), std::u16string(u"0.0.0.1"), "slot 5 GetVersion");

    // The registered back-ends, in registration order, against the status tables this side holds.
    const std::size_t statusCounts[] = {
        messengers::kIcq2003Statuses.size(), messengers::kMirandaStatuses.size(),
        messengers::kMsn7Statuses.size(), messengers::kAimStatuses.size(),
        messengers::kTrillianStatuses.size()};
    for (std::size_t i = 0; i < host.registered.size() && i < std::size(statusCounts); ++i) {
        IInterface* backEnd = host.registered[i];
        const std::string name = "back-end " + std::to_string(i);
        WCHECK_EQ(callSlot<int>(backEnd, 3), static_cast<int>(statusCounts[i]),
                  name + ": slot 3 GetStatusCount");
        WCHECK_EQ(callSlot<int>(backEnd, 6, 3), 3, name + ": slot 6 SetConnectStatus");
        WCHECK_EQ(callSlot<int>(backEnd, 4), 3, name + ": slot 4 GetConnectStatus after slot 6");
        WCHECK_EQ(callSlot<bool>(backEnd, 14, false), false, name + ": slot 14 SetActive");
        WCHECK_EQ(callSlot<bool>(backEnd, 15), false, name + ": slot 15 GetActive after slot 14");
    }

    callSlot<bool>(plugin, 0, std::uint32_t{plugin::AppDeInit}, std::uintptr_t{0},
                   std::uintptr_t{0});
    // The deleting destructor hands back the address it was called on, as the host's compiler's
    // does; GCC's own destructors return nothing.
    void* self = plugin;
    WCHECK_EQ(callSlot<void*>(plugin, 1, 1u) == self, true, "slot 1 deleting destructor");
}

}  // namespace

int main() {
    declaredLayout();
    realObjects();
    return orvane::wintest::finish();
}
