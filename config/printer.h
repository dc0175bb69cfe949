// Printer: writes a Value tree back as text of the configuration language, which the loader reads.
//
// The text is assignments to bracketed keys (['key'] = value;), blocks in braces, and the built-in
// forms vector(...) and set(...). Lines end in "\n"; each depth level indents by one tab. At depth 0
// with no name (the top of a file) a Hash or Vector in block layout is a bare list of assignments.
//
//     ['IsActive'] = true;
//     ['Message'] = 'Playing';
//     ['Servers'] = vector(1, 2, 3);
//     ['Flags'] = set('a', 'b');
//     ['Window']['Hide'] = false;
//
// Layout. A description Value may steer it; with an Undef description every option takes its default
// and the layout follows the data: a Hash of 2 to 5 entries that are all true becomes set(...), a Hash
// of one entry is written as a path (name['key'] = ...), anything else as a block. A Vector of at
// most 5 scalars is written inline (vector(1, 2)), a Vector of one container as a path, anything else
// as a block of [0] = ...; [1] = ...; entries. The options the description may carry:
//   ID                  registers the description under that key, for ReferenceID below
//   ReferenceID         use the description registered under this text instead (absent: defaults)
//   Hash.DisplayType    0 block, 1 path, 2 set, other: automatic
//   Hash.ShowUndef      block: also write entries whose value is Undef
//   Hash.Order          Vector of keys in the order wanted; Integers (and Undef, as 1) between two
//                       keys ask for that many blank lines; keys not named follow in table order
//   Hash.Sort           present: sort the keys (Hash.SortNoCase true: without case)
//   Hash.SeperatorLines block: blank lines between two written entries
//   Hash.SingleData     Hash of key -> description of that key's value; Hash.Data for the others
//   Vector.DisplayType  0 block, 1 path, 2 inline, 3 list (one element per line), other: automatic
//   Vector.SeperatorLines, Vector.NoNumbers ("[]" for "[i]"): block and path layouts
//   Vector.SingleData   Vector of index -> description; Vector.Data for the others
//   String.DoubleQuote  write every string in double quotes
// Blank lines that Hash.Order asks for are written by the block layout and also by the path layout,
// which is the block layout flattened; the set layout drops them.
//
// IDs are scoped: the ID table is passed down by handle, so an ID registered while printing a value is
// seen by that value's members and their descendants only, never by its siblings or its caller. A
// recursive structure names its own enclosing description this way.
//
// Invariants: printing only reads the data and never fails on it (a Pointer prints as Invalid, ill-typed
// options read as their defaults); nesting depth is bounded by memory, not by the call stack; the
// work is linear in the output, which is appended to one string (of 16-bit units, or of UTF-8 bytes).
// A part held in several places (['a'] = ['b'] = { ... } shares one block) is written at each of
// them, so a small store built of shared parts can print to a text far larger than itself: a caller
// printing untrusted data should count the places first, as orvane-cfg does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "value/value.h"

namespace orvane::config {

// The whole text of a settings file: printValue at depth 0 with no name and an empty ID table.
std::u16string printConfig(const Value& data, const Value& description);

// The same text as UTF-8, each unit encoded on its own: exactly the bytes of toUtf8(printConfig(...)),
// written as the text is produced, so no 16-bit copy of the whole text is ever held.
std::string printConfigUtf8(const Value& data, const Value& description);

// One value. With a name, an assignment statement indented by `depth` tabs, ending in ";\n" (or the
// assignments of a path layout); without one, the bare value form.
std::u16string printValue(const Value& data, std::int32_t depth, std::u16string_view name,
                          const Value& description, const Value& ids);

// One entry of `hash` in block layout, preceded by the separator lines that `hash`'s description
// (`description`, the one holding the "Hash" options) asks for unless `first` is set. Clears `first`.
std::u16string printHashEntry(const Value& hash, std::int32_t depth, const Value& key, bool& first,
                              const Value& description, const Value& ids);

}  // namespace orvane::config
