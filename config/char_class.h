// The character classes and escapes of the language's lexical rules, shared by the scanner and the
// literal loader so that both read a text alike. Internal to the loader.
#pragma once

namespace orvane::config::detail {

inline bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
inline bool isIdentifierChar(char16_t c) { return isLetter(c) || isDigit(c) || c == u'_'; }

// The digit's value, or -1 for a character that is no hex digit.
inline int hexValue(char16_t c) {
    if (isDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// What a backslash followed by `c` stands for inside a double-quoted string (\x is read apart).
inline char16_t escaped(char16_t c) {
    switch (c) {
        case u'0': return 0;
        case u'a': return 7;
        case u'b': return 8;
        case u'f': return 12;
        case u'n': return 10;
        case u'r': return 13;
        case u't': return 9;
        case u'v': return 11;
        default: return c;
    }
}

}  // namespace orvane::config::detail
