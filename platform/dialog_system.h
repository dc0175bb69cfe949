// The dialog seam: the plug-in's own dialogs, made from templates and driven through their
// controls addressed by id. The dialogs' behaviour lives in a DialogHandler; a DialogSystem builds
// the window and its controls from a template, hands the handler the notifications its controls
// send, and carries out what the handler does to the controls.
//
// Invariants:
// - Calls that change a control send no notification, as the window system's own control messages
//   don't (a multi-line edit sends no change note for text set from code), with one exception:
//   listSelect reports the item state changes it makes, as a list view does.
// - Every control operation accepts any dialog handle and id: an unknown one changes nothing and
//   reads as empty text, unchecked, or -1 for a selection.
// - Combo and list positions count from 0; -1 means "none". Inserting before the selection (or the
//   list's selection mark) moves it along, so it stays on the same entry.
// - An unhandled click on the ids kIdOk or kIdCancel (window_messages.h) ends a modal dialog with
//   that id, as the dialog base class does; every other way out of a modal run goes through
//   endDialog.
// - dialogSystem() always yields a usable object: until setDialogSystem() names one, and after it
//   is reset with null, it is a system that can make no dialog.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/window_system.h"

namespace orvane::platform {

// Notification codes that reach a dialog from its controls. The values are the window system's own.
inline constexpr std::uint32_t kBnClicked = 0;          // button or check box clicked
inline constexpr std::uint32_t kCbnSelChange = 1;       // combo box selection changed by the user
inline constexpr std::uint32_t kEnChange = 0x0300;      // edit text changed by the user
inline constexpr std::uint32_t kLvnItemChanged = 0u - 101u;  // a list item's state changed

// Window and control style bits as the resource compiler writes them; a template's style must stay
// comparable with the resource script bit for bit.
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsVScroll = 0x00200000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsTabStop = 0x00010000;
inline constexpr std::uint32_t kDsSetFont = 0x0040;
inline constexpr std::uint32_t kDsModalFrame = 0x0080;
inline constexpr std::uint32_t kSsLeft = 0x0000;
inline constexpr std::uint32_t kBsPushButton = 0x0000;
inline constexpr std::uint32_t kBsAutoCheckBox = 0x0003;
inline constexpr std::uint32_t kBsGroupBox = 0x0007;
inline constexpr std::uint32_t kCbsDropDownList = 0x0003;
inline constexpr std::uint32_t kEsMultiline = 0x0004;
inline constexpr std::uint32_t kEsAutoHScroll = 0x0080;
inline constexpr std::uint32_t kLvsList = 0x0003;
inline constexpr std::uint32_t kLvsAlignLeft = 0x0800;

// What a control does; its window class follows from it (controlClassName).
enum class ControlKind : std::uint8_t {
    Static,
    PushButton,
    CheckBox,  // automatic: a click toggles it
    GroupBox,
    ComboBox,  // drop-down list
    Edit,
    ListView,
};

struct DialogRect {
    short x, y, width, height;  // dialog units
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char16_t* text;  // "" for none
    DialogRect rect;
    std::uint32_t style;   // window and kind-specific style bits
};

struct DialogTemplate {
    int id;
    const char16_t* title;  // "" for none
    const char16_t* font;
    int pointSize;
    short width, height;    // dialog units
    std::uint32_t style;
    std::span<const ControlTemplate> controls;  // in template (tab) order
};

// The window class a control of that kind is made of.
const char16_t* controlClassName(ControlKind kind);

// Where a control's corners stay as the dialog is resized, in percent of the dialog's size.
struct ControlAnchor {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const ControlAnchor&, const ControlAnchor&) = default;
};

enum class MessageBoxKind : std::uint8_t { Ok, Information };

// A dialog's behaviour. The system calls it on the dialog's thread, inside its own calls.
class DialogHandler {
public:
    // The window and its controls exist with their template texts. False when the handler set the
    // focus itself.
    virtual bool onInitDialog(WindowHandle dialog) = 0;
    // A control's command note (clicked, selection changed, text changed). False when not handled,
    // which lets the system apply its default (ending a modal dialog on kIdOk or kIdCancel).
    virtual bool onCommand(WindowHandle dialog, int id, std::uint32_t code) = 0;
    // A control's notify note (list item changed); the result goes back to the control.
    virtual LResult onNotify(WindowHandle dialog, int id, std::uint32_t code) {
        (void)dialog, (void)id, (void)code;
        return 0;
    }

protected:
    ~DialogHandler() = default;
};

class DialogSystem {
public:
    virtual ~DialogSystem() = default;

    // A modeless dialog from template templateId under parent (0 = none); onInitDialog has run when
    // this returns. 0 when the template is unknown or the window cannot be made. The handler must
    // outlive the dialog.
    virtual WindowHandle createDialog(int templateId, WindowHandle parent,
                                      DialogHandler& handler) = 0;
    // Makes the dialog, runs it until endDialog, destroys it and returns the end result; -1 when it
    // could not be made.
    virtual std::intptr_t runModal(int templateId, WindowHandle parent, DialogHandler& handler) = 0;
    // Ends a modal run with result; the dialog goes when the run returns.
    virtual void endDialog(WindowHandle dialog, std::intptr_t result) = 0;
    virtual void destroyDialog(WindowHandle dialog) = 0;

    virtual void setCheck(WindowHandle dialog, int id, bool checked) = 0;
    virtual bool isChecked(WindowHandle dialog, int id) = 0;
    virtual void enableControl(WindowHandle dialog, int id, bool enable) = 0;
    // A control's text: an edit's content, a button's or group box's caption.
    virtual void setText(WindowHandle dialog, int id, std::u16string_view text) = 0;
    virtual std::u16string getText(WindowHandle dialog, int id) = 0;
    virtual void anchorControl(WindowHandle dialog, int id, ControlAnchor anchor) = 0;

    // Combo boxes. Insert at position (-1 = at the end); the new position, or -1 when position is
    // beyond the end.
    virtual int comboInsert(WindowHandle dialog, int id, int position,
                            std::u16string_view text) = 0;
    virtual int comboAdd(WindowHandle dialog, int id, std::u16string_view text) = 0;
    virtual void comboReset(WindowHandle dialog, int id) = 0;
    // Selects index; one that is not in the list clears the selection and gives -1.
    virtual int comboSetSelection(WindowHandle dialog, int id, int index) = 0;
    virtual int comboSelection(WindowHandle dialog, int id) = 0;

    // Lists. Insert at position (beyond the end = at the end); the new position, or -1 for a
    // negative one. Deleting all items clears the selection mark.
    virtual int listInsert(WindowHandle dialog, int id, int position, std::u16string_view text) = 0;
    virtual void listDeleteAll(WindowHandle dialog, int id) = 0;
    virtual std::u16string listItemText(WindowHandle dialog, int id, int index) = 0;
    // The item last selected, or -1.
    virtual int listSelectionMark(WindowHandle dialog, int id) = 0;
    // Selects index alone and makes it the selection mark, as a click on it would.
    virtual void listSelect(WindowHandle dialog, int id, int index) = 0;

    // Shows text over owner and waits for OK; the id of the button pressed.
    virtual int messageBox(WindowHandle owner, std::u16string_view text, MessageBoxKind kind) = 0;
};

// The module-wide dialog system that the dialogs use.
DialogSystem& dialogSystem();
// Not owned; the object must outlive its use. Null restores the system that makes no dialog.
void setDialogSystem(DialogSystem* system);

}  // namespace orvane::platform
