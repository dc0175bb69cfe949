// The module-wide dialog system. One pointer, set by whoever starts the module (the Windows build,
// a host, a test); never owned here.
#include "platform/dialog_system.h"

namespace orvane::platform {
namespace {

// Stands in before anything is installed, so a stray dialog fails to open instead of crashing.
class NoDialogs final : public DialogSystem {
public:
    WindowHandle createDialog(int, WindowHandle, DialogHandler&) override { return 0; }
    std::intptr_t runModal(int, WindowHandle, DialogHandler&) override { return -1; }
    void endDialog(WindowHandle, std::intptr_t) override {}
    void destroyDialog(WindowHandle) override {}
    void setCheck(WindowHandle, int, bool) override {}
    bool isChecked(WindowHandle, int) override { return false; }
    void enableControl(WindowHandle, int, bool) override {}
    void setText(WindowHandle, int, std::u16string_view) override {}
    std::u16string getText(WindowHandle, int) override { return {}; }
    void anchorControl(WindowHandle, int, ControlAnchor) override {}
    int comboInsert(WindowHandle, int, int, std::u16string_view) override { return -1; }
    int comboAdd(WindowHandle, int, std::u16string_view) override { return -1; }
    void comboReset(WindowHandle, int) override {}
    int comboSetSelection(WindowHandle, int, int) override { return -1; }
    int comboSelection(WindowHandle, int) override { return -1; }
    int listInsert(WindowHandle, int, int, std::u16string_view) override { return -1; }
    void listDeleteAll(WindowHandle, int) override {}
    std::u16string listItemText(WindowHandle, int, int) override { return {}; }
    int listSelectionMark(WindowHandle, int) override { return -1; }
    void listSelect(WindowHandle, int, int) override {}
    int messageBox(WindowHandle, std::u16string_view, MessageBoxKind) override { return 0; }
};

NoDialogs g_noDialogs;
DialogSystem* g_current = &g_noDialogs;

}  // namespace

const char16_t* controlClassName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Static: return u"Static";
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::GroupBox: return u"Button";
        case ControlKind::ComboBox: return u"ComboBox";
        case ControlKind::Edit: return u"Edit";
        case ControlKind::ListView: return u"SysListView32";
    }
    return u"";
}

DialogSystem& dialogSystem() { return *g_current; }

void setDialogSystem(DialogSystem* system) { g_current = system ? system : &g_noDialogs; }

}  // namespace orvane::platform
