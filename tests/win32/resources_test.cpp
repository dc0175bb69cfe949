// The module's compiled dialog templates against the tables the dialogs' code is checked with, and
// the Windows dialog seam on real dialogs made from those resources.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/dialog_system_win32.h"
#include "tests/win32/check.h"
#include "ui/templates.h"

namespace {

using namespace orvane;
using namespace orvane::platform;

// A dialog template as the resource compiler wrote it.
struct ParsedControl {
    std::uint32_t style = 0;
    DialogRect rect{};
    int id = 0;
    std::u16string className;
    std::u16string text;
};

struct ParsedDialog {
    std::uint32_t style = 0;
    short width = 0, height = 0;
    std::u16string title, font;
    int pointSize = 0;
    std::vector<ParsedControl> controls;
};

class Reader {
public:
    explicit Reader(const unsigned char* bytes) : start_(bytes), at_(bytes) {}
    std::uint16_t word() { return take<std::uint16_t>(); }
    std::uint32_t dword() { return take<std::uint32_t>(); }
    short shortValue() { return take<short>(); }
    std::u16string string() {
        std::u16string s;
        for (char16_t c; (c = static_cast<char16_t>(word())) != 0;) s += c;
        return s;
    }
    // A name that is absent, an ordinal (given as "#n"), or a string.
    std::u16string nameOrOrdinal() {
        const std::uint16_t first = word();
        if (first == 0) return {};
        if (first == 0xFFFF) return ordinalName(word());
        std::u16string s(1, static_cast<char16_t>(first));
        return s + string();
    }
    void alignDword() {
        while ((at_ - start_) % 4 != 0) ++at_;
    }
    void skip(std::size_t n) { at_ += n; }

private:
    static std::u16string ordinalName(std::uint16_t ordinal) {
        switch (ordinal) {
            case 0x80: return u"Button";
            case 0x81: return u"Edit";
            case 0x82: return u"Static";
            case 0x85: return u"ComboBox";
            default: return u"#?";  // no other predefined class is used
        }
    }
    template <class T>
    T take() {
        T value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    const unsigned char* start_;
    const unsigned char* at_;
};

bool parseDialog(HMODULE module, int id, ParsedDialog& out) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    const auto* bytes = found ? static_cast<const unsigned char*>(LockResource(LoadResource(module, found)))
                              : nullptr;
    if (!bytes) return false;
    Reader r(bytes);
    if (r.word() != 1 || r.word() != 0xFFFF) return false;  // only the extended form is written
    r.dword();                                             // help id
    r.dword();                                             // extended style
    out.style = r.dword();
    const int count = r.word();
    r.shortValue(), r.shortValue();
    out.width = r.shortValue();
    out.height = r.shortValue();
    r.nameOrOrdinal();  // menu
    r.nameOrOrdinal();  // class
    out.title = r.string();
    if (out.style & DS_SETFONT) {
        out.pointSize = r.word();
        r.word();      // weight
        r.skip(2);     // italic, character set
        out.font = r.string();
    }
    for (int i = 0; i < count; ++i) {
        r.alignDword();
        ParsedControl c;
        r.dword();  // help id
        r.dword();  // extended style
        c.style = r.dword();
        c.rect.x = r.shortValue();
        c.rect.y = r.shortValue();
        c.rect.width = r.shortValue();
        c.rect.height = r.shortValue();
        c.id = static_cast<int>(r.dword());
        c.className = r.nameOrOrdinal();
        c.text = r.nameOrOrdinal();
        r.skip(r.word());  // creation data
        out.controls.push_back(std::move(c));
    }
    return true;
}

// Window class names compare without regard to ASCII case, as the system compares them.
bool sameClass(std::u16string_view a, std::u16string_view b) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string name(int templateId, int controlId, const char* what) {
    return "template " + std::to_string(templateId) + " control " + std::to_string(controlId) +
           ": " + what;
}

void templatesMatchTables(HMODULE module) {
    for (const DialogTemplate& table : ui::dialogTemplates()) {
        const std::string where = "template " + std::to_string(table.id);
        ParsedDialog res;
        if (!WCHECK(parseDialog(module, table.id, res), where + " is in the module")) continue;
        WCHECK_EQ(res.style, table.style, where + " style");
        WCHECK_EQ(res.width, table.width, where + " width");
        WCHECK_EQ(res.height, table.height, where + " height");
        WCHECK_EQ(res.title, std::u16string(table.title), where + " title");
        WCHECK_EQ(res.font, std::u16string(table.font), where + " font");
        WCHECK_EQ(res.pointSize, table.pointSize, where + " point size");
        if (!WCHECK_EQ(res.controls.size(), table.controls.size(), where + " control count"))
            continue;
        for (std::size_t i = 0; i < table.controls.size(); ++i) {
            const ControlTemplate& want = table.controls[i];
            const ParsedControl& got = res.controls[i];
            WCHECK_EQ(got.id, want.id, name(table.id, want.id, "id in template order"));
            WCHECK(sameClass(got.className, controlClassName(want.kind)),
                   name(table.id, want.id, "window class"));
            WCHECK_EQ(got.text, std::u16string(want.text), name(table.id, want.id, "text"));
            WCHECK(got.rect == want.rect, name(table.id, want.id, "position"));
            // Every control of a dialog is a visible child; the tables leave those two bits out.
            WCHECK_EQ(got.style, want.style | WS_CHILD | WS_VISIBLE, name(table.id, want.id, "style"));
        }
    }
    wchar_t text[64] = L"";
    const int n = LoadStringW(module, ui::kRconTabStringId, text, 64);
    WCHECK_EQ(std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(n)),
              std::u16string(ui::kRconTabString), "string 104");
}

// Records what reaches a dialog's handler.
struct Recorder final : DialogHandler {
    struct Note {
        int id;
        std::uint32_t code;
        bool notify;
    };
    bool onInitDialog(WindowHandle dialog) override {
        initialised = dialog;
        return true;
    }
    bool onCommand(WindowHandle, int id, std::uint32_t code) override {
        notes.push_back({id, code, false});
        return false;
    }
    LResult onNotify(WindowHandle dialog, int id, std::uint32_t code) override {
        notes.push_back({id, code, true});
        markSeen = system->listSelectionMark(dialog, id);
        return 0;
    }
    DialogSystem* system = nullptr;
    // The notes the dialogs' code reacts to; focus and other notes of real controls are left out.
    std::vector<Note> seen() const {
        std::vector<Note> kept;
        for (const Note& n : notes)
            if (n.notify || n.code == kBnClicked || n.code == kCbnSelChange || n.code == kEnChange)
                kept.push_back(n);
        return kept;
    }
    std::size_t seamNotes() const { return seen().size(); }
    bool lastIs(int id, std::uint32_t code) const {
        const auto kept = seen();
        return !kept.empty() && kept.back().id == id && kept.back().code == code;
    }
    WindowHandle initialised = 0;
    std::vector<Note> notes;
    int markSeen = -2;
};

void controlsOnRealDialogs(HMODULE module) {
    win32::Win32Dialogs dialogs(module);
    Recorder recorder;
    recorder.system = &dialogs;
    const WindowHandle page = dialogs.createDialog(ui::kRconTabTemplateId, 0, recorder);
    if (!WCHECK(page != 0, "the tab page is made without a parent")) return;
    WCHECK_EQ(recorder.initialised, page, "onInitDialog ran with the new window");
    WCHECK(!IsWindowEnabled(GetDlgItem(reinterpret_cast<HWND>(page), ui::rcon_ids::kChangePamMode)),
           "Change Pam Mode starts disabled");

    // Combo box: positions, out-of-range selection, reset.
    using namespace ui::rcon_ids;
    WCHECK_EQ(dialogs.comboAdd(page, kGameType, u"b"), 0, "combo add to empty");
    WCHECK_EQ(dialogs.comboInsert(page, kGameType, 0, u"a"), 0, "combo insert at front");
    WCHECK_EQ(dialogs.comboInsert(page, kGameType, 5, u"x"), -1, "combo insert beyond the end");
    WCHECK_EQ(dialogs.comboSetSelection(page, kGameType, 1), 1, "combo select");
    WCHECK_EQ(dialogs.comboSetSelection(page, kGameType, 7), -1, "combo select out of range");
    WCHECK_EQ(dialogs.comboSelection(page, kGameType), -1, "out of range clears the selection");
    dialogs.comboReset(page, kGameType);
    WCHECK_EQ(dialogs.comboSetSelection(page, kGameType, 0), -1, "reset empties the combo");
    WCHECK_EQ(dialogs.comboAdd(page, kRuleList, u"x"), -1, "combo call on a list does nothing");

    // List: insertion order, texts, the selection mark and its notes.
    WCHECK_EQ(dialogs.listInsert(page, kRuleList, 0, u"one.gsc"), 0, "list insert");
    WCHECK_EQ(dialogs.listInsert(page, kRuleList, 0, u"two.gsc"), 0, "list insert at top");
    WCHECK_EQ(dialogs.listInsert(page, kRuleList, 9, u"three.gsc"), 2, "beyond the end appends");
    WCHECK_EQ(dialogs.listInsert(page, kRuleList, -1, u"no"), -1, "negative position");
    WCHECK_EQ(dialogs.listItemText(page, kRuleList, 0), std::u16string(u"two.gsc"), "item 0");
    WCHECK_EQ(dialogs.listItemText(page, kRuleList, 3), std::u16string(), "item past the end");
    WCHECK_EQ(dialogs.listSelectionMark(page, kRuleList), -1, "no mark before a selection");
    WCHECK_EQ(recorder.seamNotes(), std::size_t{0}, "filling controls from code sends no notes");
    dialogs.listSelect(page, kRuleList, 1);
    WCHECK_EQ(dialogs.listSelectionMark(page, kRuleList), 1, "selecting sets the mark");
    WCHECK(recorder.lastIs(kRuleList, kLvnItemChanged), "selecting reports an item change");
    WCHECK_EQ(recorder.markSeen, 1, "the note comes after the mark moved");
    dialogs.listDeleteAll(page, kRuleList);
    WCHECK_EQ(dialogs.listSelectionMark(page, kRuleList), -1, "deleting all clears the mark");

    // Texts and enabled state.
    recorder.notes.clear();
    dialogs.setText(page, kUpdate, u"Refresh");
    WCHECK_EQ(dialogs.getText(page, kUpdate), std::u16string(u"Refresh"), "button caption");
    dialogs.enableControl(page, kChangePamMode, true);
    WCHECK(IsWindowEnabled(GetDlgItem(reinterpret_cast<HWND>(page), kChangePamMode)) != FALSE,
           "enableControl enables");
    // A real click goes through the dialog procedure to the handler.
    SendMessageW(GetDlgItem(reinterpret_cast<HWND>(page), kUpdate), BM_CLICK, 0, 0);
    WCHECK_EQ(recorder.seamNotes(), std::size_t{1}, "one click, one note");
    WCHECK(recorder.lastIs(kUpdate, kBnClicked), "a click reaches onCommand");

    dialogs.destroyDialog(page);
    WCHECK(!IsWindow(reinterpret_cast<HWND>(page)), "destroyDialog removes the window");

    // The settings dialog: check boxes and a multi-line edit, made modeless here.
    Recorder settings;
    settings.system = &dialogs;
    const WindowHandle dialog = dialogs.createDialog(ui::kSettingsTemplateId, 0, settings);
    if (!WCHECK(dialog != 0, "the settings dialog is made")) return;
    using namespace ui::settings_ids;
    settings.notes.clear();
    dialogs.setCheck(dialog, kActive, false);
    WCHECK(!dialogs.isChecked(dialog, kActive), "setCheck unchecks");
    dialogs.setText(dialog, kMessage, u"Playing <GAMEDESC>");
    WCHECK_EQ(dialogs.getText(dialog, kMessage), std::u16string(u"Playing <GAMEDESC>"), "edit text");
    WCHECK_EQ(settings.seamNotes(), std::size_t{0}, "control changes from code send no notes");
    SendMessageW(GetDlgItem(reinterpret_cast<HWND>(dialog), kActive), BM_CLICK, 0, 0);
    WCHECK(dialogs.isChecked(dialog, kActive), "a real click toggles the automatic check box");
    WCHECK_EQ(settings.seamNotes(), std::size_t{1}, "one click, one note");
    WCHECK(settings.lastIs(kActive, kBnClicked), "and reports it");
    dialogs.destroyDialog(dialog);
}

}  // namespace

int main() {
    HMODULE module = LoadLibraryW(L"orvane-plugin.dll");
    if (WCHECK(module != nullptr, "the module loads")) {
        templatesMatchTables(module);
        controlsOnRealDialogs(module);
    }
    return orvane::wintest::finish();
}
