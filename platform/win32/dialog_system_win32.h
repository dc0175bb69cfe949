// The dialog seam on real Windows: dialogs made by the dialog manager from the templates in a
// module's resources, their controls driven by window messages.
//
// Invariants (those of the seam, kept on real controls):
// - Control operations made through this object send the dialog no command notes, even where the
//   control itself would (a single-line edit on WM_SETTEXT); listSelect alone reports its item
//   state changes, after every state and the selection mark are set, as the headless side does.
// - Only command notes and the list's item-changed note reach the DialogHandler.
// - A child-style template made without a parent is parked under the message-only window until its
//   host re-parents it (SetParent), since Windows makes no parentless child window.
// - Anchored controls keep their corners at their percentages of the dialog's client area as it is
//   resized.
#pragma once

#include <map>
#include <memory>

#include "platform/dialog_system.h"

namespace orvane::platform::win32 {

class Win32Dialogs final : public DialogSystem {
public:
    // resourceModule is the HMODULE holding the dialog templates; null means the module that
    // contains this code.
    explicit Win32Dialogs(void* resourceModule = nullptr);
    Win32Dialogs(const Win32Dialogs&) = delete;
    Win32Dialogs& operator=(const Win32Dialogs&) = delete;
    ~Win32Dialogs() override;

    WindowHandle createDialog(int templateId, WindowHandle parent, DialogHandler& handler) override;
    std::intptr_t runModal(int templateId, WindowHandle parent, DialogHandler& handler) override;
    void endDialog(WindowHandle dialog, std::intptr_t result) override;
    void destroyDialog(WindowHandle dialog) override;
    void setCheck(WindowHandle dialog, int id, bool checked) override;
    bool isChecked(WindowHandle dialog, int id) override;
    void enableControl(WindowHandle dialog, int id, bool enable) override;
    void setText(WindowHandle dialog, int id, std::u16string_view text) override;
    std::u16string getText(WindowHandle dialog, int id) override;
    void anchorControl(WindowHandle dialog, int id, ControlAnchor anchor) override;
    int comboInsert(WindowHandle dialog, int id, int position, std::u16string_view text) override;
    int comboAdd(WindowHandle dialog, int id, std::u16string_view text) override;
    void comboReset(WindowHandle dialog, int id) override;
    int comboSetSelection(WindowHandle dialog, int id, int index) override;
    int comboSelection(WindowHandle dialog, int id) override;
    int listInsert(WindowHandle dialog, int id, int position, std::u16string_view text) override;
    void listDeleteAll(WindowHandle dialog, int id) override;
    std::u16string listItemText(WindowHandle dialog, int id, int index) override;
    int listSelectionMark(WindowHandle dialog, int id) override;
    void listSelect(WindowHandle dialog, int id, int index) override;
    int messageBox(WindowHandle owner, std::u16string_view text, MessageBoxKind kind) override;

    struct Context;  // per dialog; defined with the dialog procedure

private:
    void* module_;
    // Modeless dialogs' contexts; a modal run keeps its own on the stack.
    std::map<WindowHandle, std::unique_ptr<Context>> modeless_;

    friend struct DialogProcedure;
};

// The process-wide instance over the module that contains this code.
DialogSystem& nativeDialogSystem();

}  // namespace orvane::platform::win32
