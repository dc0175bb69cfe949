// Splits one line of a game server's reply into words.
//
// Outside double quotes every unit at or below U+0020 separates words, and a run of them makes no
// empty word. A double quote toggles quoting and is not copied; a quoted stretch makes a word even
// when empty (""), and joins with unquoted text next to it (ab"c d" is one word, "abc d").
// Inside quotes separators belong to the word and a backslash escapes: \" and \\ give the
// character, \n \r \t give line feed, carriage return and tab, \ and two decimal digits give the
// unit of that code (\65 is "A"); any other backslash stands for itself. A word whose quote is
// still open at the end of the line is dropped. Every other unit, the colon included, is ordinary.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane::ui {

std::vector<std::u16string> splitWords(std::u16string_view line);

}  // namespace orvane::ui
