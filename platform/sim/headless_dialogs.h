// Dialogs without a screen, behind the dialog seam, for tests and the reference host. Controls are
// records in memory; a test or the host plays the user through the acts below, each of which
// changes the control and sends the note a real dialog would send.
//
// Invariants:
// - Each dialog is a "#32770" window on the SimDesktop given, each control a child window of it
//   with its control id and window class, so the window-system seam's isWindow, getDlgItem and
//   enableWindow see them. The desktop's enabled flag is the only record of a control's enabled
//   state; texts, checks, items and selections live in the control records here.
// - A dialog whose window has gone from the desktop (destroyed there) acts as gone: its controls
//   read as absent and take no acts, though its record stays until destroyDialog.
// - Acts on a control that is disabled, or that is not of the act's kind, or at an index outside
//   the list, do nothing and return false, as a user could not make them.
// - A modal run calls the installed user once, after onInitDialog; the user acts and ends the
//   dialog (usually by clicking Close). If it is still open afterwards, or no user is installed,
//   the run sends the Close command (kIdCancel) as the Escape key would, and ends the dialog with
//   kIdCancel if the handler kept it open. A modal dialog's owner is recorded, not checked: its
//   window is top-level.
// - Message boxes are recorded, never shown; each returns kIdOk.
// - The desktop must outlive this object; this object's destructor removes the windows of the
//   dialogs still open.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dialog_system.h"
#include "platform/sim/sim_desktop.h"

namespace orvane::platform::sim {

// One control as it stands.
struct HeadlessControl {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    WindowHandle window = 0;
    std::u16string text;
    bool enabled = true;   // read from the desktop when the record is handed out
    bool checked = false;  // check boxes
    std::vector<std::u16string> items;  // combo entries or list items, in position order
    std::vector<bool> itemSelected;     // list items: selected or not, parallel to items
    int selection = -1;                 // combo boxes
    int selectionMark = -1;             // lists
    ControlAnchor anchor;
};

struct RecordedMessageBox {
    WindowHandle owner = 0;
    std::u16string text;
    MessageBoxKind kind = MessageBoxKind::Ok;
};

class HeadlessDialogs final : public DialogSystem {
public:
    using User = std::function<void(HeadlessDialogs& dialogs, WindowHandle dialog)>;

    // The templates are kept by reference to their static tables. Windows are made in processId.
    HeadlessDialogs(SimDesktop& desktop, std::span<const DialogTemplate> templates,
                    std::uint32_t processId = 1);
    HeadlessDialogs(const HeadlessDialogs&) = delete;
    HeadlessDialogs& operator=(const HeadlessDialogs&) = delete;
    ~HeadlessDialogs() override;

    // Who plays the user in modal runs; an empty function removes it.
    void setUser(User user) { user_ = std::move(user); }

    // A copy of the control's record, or nothing when dialog or id are unknown or gone.
    std::optional<HeadlessControl> control(WindowHandle dialog, int id) const;
    int templateOf(WindowHandle dialog) const;  // 0 for an unknown dialog
    std::size_t openDialogs() const { return dialogs_.size(); }
    const std::vector<RecordedMessageBox>& messageBoxes() const { return boxes_; }
    void clearMessageBoxes() { boxes_.clear(); }

    // The user's acts. True when done (and notified).
    bool click(WindowHandle dialog, int id);  // push button or check box (which toggles)
    bool pickComboEntry(WindowHandle dialog, int id, int index);
    bool typeText(WindowHandle dialog, int id, std::u16string_view text);  // replaces the text
    bool selectListItem(WindowHandle dialog, int id, int index);

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

private:
    struct Dialog {
        int templateId = 0;
        DialogHandler* handler = nullptr;
        WindowHandle owner = 0;
        bool modal = false;
        bool ended = false;
        std::intptr_t result = 0;
        std::vector<HeadlessControl> controls;
    };

    WindowHandle open(int templateId, WindowHandle parent, DialogHandler& handler, bool modal);
    Dialog* live(WindowHandle dialog);
    HeadlessControl* find(WindowHandle dialog, int id);
    HeadlessControl* findEnabled(WindowHandle dialog, int id, ControlKind kind);
    // Hands a note to the dialog's handler; the dialog may be gone afterwards.
    void command(WindowHandle dialog, int id, std::uint32_t code);
    void notify(WindowHandle dialog, int id, std::uint32_t code);

    SimDesktop& desktop_;
    std::span<const DialogTemplate> templates_;
    std::uint32_t processId_;
    std::map<WindowHandle, Dialog> dialogs_;
    std::vector<RecordedMessageBox> boxes_;
    User user_;
};

}  // namespace orvane::platform::sim
