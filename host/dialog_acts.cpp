#include "host/dialog_acts.h"

#include <span>

#include "host/reference_host.h"
#include "ui/templates.h"
#include "value/text.h"

namespace orvane::host {
namespace {

using platform::ControlKind;
using platform::WindowHandle;
using platform::sim::HeadlessControl;
using platform::sim::HeadlessDialogs;

// ORDER: the order a dialog's state is shown in: what it shows, then its controls in template
// order.
struct ControlRow {
    std::u16string_view name;   // how a script names it: the caption, or a key for the others
    std::u16string_view label;  // how the host shows it
    int id;
    ControlKind kind;
};

constexpr ControlRow kSettingsControls[] = {
    {u"", u"showing", ui::settings_ids::kGroup, ControlKind::GroupBox},
    {u"messenger", u"Messenger", ui::settings_ids::kMessenger, ControlKind::ComboBox},
    {u"Active", u"Active", ui::settings_ids::kActive, ControlKind::CheckBox},
    {u"connect", u"Status on connect", ui::settings_ids::kConnectStatus, ControlKind::ComboBox},
    {u"disconnect", u"Status on disconnect", ui::settings_ids::kDisconnectStatus,
     ControlKind::ComboBox},
    {u"Change away message", u"Change away message", ui::settings_ids::kChangeMessage,
     ControlKind::CheckBox},
    {u"template", u"message", ui::settings_ids::kMessage, ControlKind::Edit},
    {u"Minimize on connecting", u"Minimize on connecting", ui::settings_ids::kMinimize,
     ControlKind::CheckBox},
    {u"Apply", u"Apply", ui::settings_ids::kApply, ControlKind::PushButton},
    {u"Test", u"Test", ui::settings_ids::kTest, ControlKind::PushButton},
    {u"Close", u"Close", ui::settings_ids::kClose, ControlKind::PushButton},
};

constexpr ControlRow kTabControls[] = {
    {u"Update", u"Update", ui::rcon_ids::kUpdate, ControlKind::PushButton},
    {u"select", u"rule list", ui::rcon_ids::kRuleList, ControlKind::ListView},
    {u"Change Pam Mode", u"Change Pam Mode", ui::rcon_ids::kChangePamMode, ControlKind::PushButton},
    {u"game type", u"game type", ui::rcon_ids::kGameType, ControlKind::ComboBox},
};

std::span<const ControlRow> controlsOf(DialogKind kind) {
    if (kind == DialogKind::Settings) return kSettingsControls;
    return kTabControls;
}

const ControlRow* rowById(DialogKind kind, int id) {
    for (const ControlRow& row : controlsOf(kind))
        if (row.id == id) return &row;
    return nullptr;
}

const ControlRow* rowByName(DialogKind kind, std::u16string_view name) {
    for (const ControlRow& row : controlsOf(kind))
        if (!row.name.empty() && row.name == name) return &row;
    return nullptr;
}

// The names a script may use for acts of the kinds accepted, for messages.
std::u16string namesFor(DialogKind kind, std::initializer_list<ControlKind> kinds) {
    std::u16string out;
    for (const ControlRow& row : controlsOf(kind)) {
        if (row.name.empty()) continue;
        for (ControlKind k : kinds)
            if (row.kind == k)
                out += (out.empty() ? u"'" : u", '") + std::u16string(row.name) + u"'";
    }
    return out;
}

bool parseAct(const Value& value, DialogKind dialog, DialogAct& act, std::u16string& error) {
    const auto fail = [&](std::u16string_view what) {
        error = act.where + u": " + std::u16string(what);
        return false;
    };
    if (value.isString()) {
        const ControlRow* row = rowByName(dialog, value.toWideString());
        if (!row || (row->kind != ControlKind::PushButton && row->kind != ControlKind::CheckBox))
            return fail(u"nothing to click called '" + value.toWideString() + u"' (known: " +
                        namesFor(dialog, {ControlKind::PushButton, ControlKind::CheckBox}) + u")");
        act.kind = DialogAct::Kind::Click;
        act.control = row->id;
        return true;
    }
    if (value.kind() != ValueKind::Hash || value.size() != 1)
        return fail(u"must be a caption in quotes or a block of one act, { ['key'] = ...; }");
    const std::u16string key = value.keys(true).at(0).toWideString();
    const Value& arg = value.find(Value(key));
    if (key == u"check" || key == u"uncheck") {
        const ControlRow* row = arg.isString() ? rowByName(dialog, arg.toWideString()) : nullptr;
        if (!row || row->kind != ControlKind::CheckBox)
            return fail(u"['" + key + u"'] must name a check box (known: " +
                        namesFor(dialog, {ControlKind::CheckBox}) + u")");
        act.kind = key == u"check" ? DialogAct::Kind::Check : DialogAct::Kind::Uncheck;
        act.control = row->id;
        return true;
    }
    const ControlRow* row = rowByName(dialog, key);
    const bool entryControl =
        row && (row->kind == ControlKind::ComboBox || row->kind == ControlKind::ListView);
    if (!entryControl && !(row && row->kind == ControlKind::Edit))
        return fail(
            u"unknown act '" + key + u"' (known: check, uncheck, " +
            namesFor(dialog, {ControlKind::ComboBox, ControlKind::ListView, ControlKind::Edit}) +
            u")");
    act.control = row->id;
    if (!entryControl) {
        if (!arg.isString()) return fail(u"['" + key + u"'] must be a text in quotes");
        act.kind = DialogAct::Kind::Type;
        act.text = arg.toWideString();
        return true;
    }
    act.kind = row->kind == ControlKind::ListView ? DialogAct::Kind::Select : DialogAct::Kind::Pick;
    if (arg.isInteger() && arg.toInteger() >= 0) {
        act.position = arg.toInteger();
    } else if (arg.isString() && !arg.toWideString().empty()) {
        act.text = arg.toWideString();
    } else {
        return fail(u"['" + key + u"'] must be an entry's text in quotes or its position from 0");
    }
    return true;
}

std::u16string quote(std::u16string_view text) { return u"'" + std::u16string(text) + u"'"; }

// Where act.text (or act.position) stands among the control's entries, or -1 with error set.
int entryIndex(const HeadlessControl& control, const ControlRow& row, const DialogAct& act,
               std::u16string& error) {
    const int count = static_cast<int>(control.items.size());
    if (act.text.empty()) {
        if (act.position < count) return act.position;
        error =
            format(u"%ls has no entry at position %d (it has %d)", row.label, act.position, count);
        return -1;
    }
    for (int i = 0; i < count; ++i)
        if (control.items[static_cast<std::size_t>(i)] == act.text) return i;
    std::u16string listed;
    for (const std::u16string& item : control.items)
        listed += (listed.empty() ? u"" : u", ") + quote(item);
    error = std::u16string(row.label) + u" has no entry " + quote(act.text) + u" (entries: " +
            (listed.empty() ? u"none" : listed) + u")";
    return -1;
}

std::u16string actLine(const DialogAct& act, const ControlRow& row) {
    const std::u16string entry =
        act.text.empty() ? format(u"entry %d", act.position) : quote(act.text);
    switch (act.kind) {
        case DialogAct::Kind::Click: return u"user: click " + quote(row.label);
        case DialogAct::Kind::Check: return u"user: check " + quote(row.label);
        case DialogAct::Kind::Uncheck: return u"user: uncheck " + quote(row.label);
        case DialogAct::Kind::Pick:
            return u"user: pick " + entry + u" in " + std::u16string(row.label);
        case DialogAct::Kind::Select:
            return u"user: select " + entry + u" in the " + std::u16string(row.label);
        case DialogAct::Kind::Type:
            return u"user: type " + quote(act.text) + u" as the " + std::u16string(row.label);
    }
    return {};
}

}  // namespace

bool parseActs(const Value& acts, DialogKind dialog, const std::u16string& where,
               std::vector<DialogAct>& out, std::u16string& error) {
    if (!acts.isVector()) {
        error = where + u": must be vector(...) of acts";
        return false;
    }
    for (std::uint32_t i = 0; i < acts.size(); ++i) {
        DialogAct act;
        act.where = format(u"%ls[%u]", where, i);
        if (!parseAct(acts.at(i), dialog, act, error)) return false;
        out.push_back(std::move(act));
    }
    return true;
}

bool performAct(HeadlessDialogs& dialogs, WindowHandle dialog, DialogKind kind,
                const DialogAct& act, std::FILE* out, std::u16string& error) {
    const ControlRow& row = *rowById(kind, act.control);
    writeUtf8(out, actLine(act, row) + u"\n");
    const std::optional<HeadlessControl> control = dialogs.control(dialog, act.control);
    if (!control) {
        error = u"the dialog is closed";
        return false;
    }
    bool done = false;
    switch (act.kind) {
        case DialogAct::Kind::Click: done = dialogs.click(dialog, act.control); break;
        case DialogAct::Kind::Check:
        case DialogAct::Kind::Uncheck:
            done = control->checked == (act.kind == DialogAct::Kind::Check) ||
                   dialogs.click(dialog, act.control);
            break;
        case DialogAct::Kind::Type: done = dialogs.typeText(dialog, act.control, act.text); break;
        case DialogAct::Kind::Pick:
        case DialogAct::Kind::Select: {
            const int index = entryIndex(*control, row, act, error);
            if (index < 0) return false;
            done = act.kind == DialogAct::Kind::Pick
                       ? dialogs.pickComboEntry(dialog, act.control, index)
                       : dialogs.selectListItem(dialog, act.control, index);
            break;
        }
    }
    // The control exists and takes this kind of act, so only its state can have refused it.
    if (!done) error = quote(row.label) + u" is disabled";
    return done;
}

std::u16string describeDialog(const HeadlessDialogs& dialogs, WindowHandle dialog, DialogKind kind,
                              std::u16string_view prefix) {
    std::u16string out, buttons;
    for (const ControlRow& row : controlsOf(kind)) {
        const std::optional<HeadlessControl> c = dialogs.control(dialog, row.id);
        if (!c) continue;
        const std::u16string label(row.label);
        const std::u16string_view disabled = c->enabled ? u"" : u" (disabled)";
        if (row.kind == ControlKind::PushButton) {
            buttons += (buttons.empty() ? u"" : u", ") + label + std::u16string(disabled);
            continue;
        }
        std::u16string line(prefix);
        switch (row.kind) {
            case ControlKind::CheckBox: line += (c->checked ? u"[x] " : u"[ ] ") + label; break;
            case ControlKind::ComboBox:
                line +=
                    label + u": " +
                    (c->selection < 0 ? std::u16string(u"nothing selected")
                                      : quote(c->items[static_cast<std::size_t>(c->selection)]));
                break;
            case ControlKind::ListView:
                line += label + u":";
                for (std::size_t i = 0; i < c->items.size(); ++i)
                    line += (i == 0 ? u" " : u", ") + quote(c->items[i]);
                if (c->items.empty()) line += u" empty";
                if (c->selectionMark >= 0)
                    line += u" (marked " +
                            quote(c->items[static_cast<std::size_t>(c->selectionMark)]) + u")";
                break;
            default: line += label + u" " + quote(c->text); break;
        }
        out += line + std::u16string(disabled) + u"\n";
    }
    if (!buttons.empty()) out += std::u16string(prefix) + u"buttons: " + buttons + u"\n";
    return out;
}

}  // namespace orvane::host
