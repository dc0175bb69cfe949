// The user the reference host plays in the plug-in's dialogs: acts read from a session script and
// carried out through the headless dialogs, and the lines that show where a dialog was left.
//
// A script names an act as the user sees it:
//   'Apply'                              click the push button or check box with that caption
//   { ['check'] = 'Active'; }            click the check box unless it is already checked
//   { ['uncheck'] = 'Active'; }          the reverse
//   { ['connect'] = 'Away'; }            pick the entry with that text in a drop-down list, or
//   { ['connect'] = 2; }                 the entry at that position (0 = first)
//   { ['template'] = 'Fragging on ...'; } replace the text of an edit control
//   { ['select'] = 'pub.gsc'; }          select the list item with that text, or at that position
// Invariants: every act a script can hold is known to be well-formed once parsed (the control
// exists in its dialog and takes acts of that kind); what depends on the dialog's state at the time
// (a disabled control, an entry not listed) is found only when the act is carried out, and then
// stops the acts with a worded reason, as a user could not have made it either.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/headless_dialogs.h"
#include "value/value.h"

namespace orvane::host {

enum class DialogKind { Settings, RconTab };

struct DialogAct {
    enum class Kind { Click, Check, Uncheck, Pick, Type, Select };
    Kind kind = Kind::Click;
    int control = 0;      // control id
    std::u16string text;  // Pick, Select: the entry's text (by position when empty); Type: the text
    int position = -1;
    std::u16string where;  // the act's bracket path in the script
};

// Parses a Vector of acts for the dialog; false with "<where>: <reason>" in error.
bool parseActs(const Value& acts, DialogKind dialog, const std::u16string& where,
               std::vector<DialogAct>& out, std::u16string& error);

// Carries out one act on dialog, first writing "user: ..." to out; false with the reason in error.
bool performAct(platform::sim::HeadlessDialogs& dialogs, platform::WindowHandle dialog,
                DialogKind kind, const DialogAct& act, std::FILE* out, std::u16string& error);

// One line per control, in template order, each begun with prefix: captions, check marks,
// selections, texts, and which controls are disabled.
std::u16string describeDialog(const platform::sim::HeadlessDialogs& dialogs,
                              platform::WindowHandle dialog, DialogKind kind,
                              std::u16string_view prefix);

}  // namespace orvane::host
