// The scanner: 16-bit configuration text -> tokens with the line and column where each begins.
//
// The language's lexical rules in brief:
//   name_1 = 'raw \ text' "escaped\t\x41" q{nested {braces} kept};   // strings
//   n = 42 + 0x1F + 0b101 + 1.5e+3 + 2.5D-1;                          // numbers
//   /* block comment */  // line comment
// Strings that follow one another in the token list are one string: 'it''s' is its. Integers wrap
// modulo 2^32 (4294967295 is -1). The first lexical error ends the scan.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/token.h"

namespace orvane::config {

// Takes the tokens of a long text piece by piece, so that they never need to be held all at once.
class TokenSink {
public:
    virtual ~TokenSink() = default;
    // Called with the tokens scanned since the last call whenever enough have gathered; they are
    // complete (a String is never handed over while a string that merges into it may follow) and
    // are gone once the call returns. Scanning goes on whatever the sink does with them.
    virtual void take(std::span<const Token> tokens) = 0;
};

// Replaces `tokens` with the tokens of `text` and answers true. On a lexical error, writes a
// "Scanning Error (line:column): ..." message into `error` and answers false; `tokens` then holds
// whatever was scanned before the error and must not be used. With a sink, the tokens go to it in
// pieces as the scan goes on, and `tokens` ends with only the last piece, not yet handed over.
bool scanText(std::u16string& error, std::vector<Token>& tokens, std::u16string_view text,
              TokenSink* sink = nullptr);
// The same for a text given as Latin-1 bytes (each byte the unit of its own value), scanned where it
// lies: the result is that of scanning the widened text.
bool scanText(std::u16string& error, std::vector<Token>& tokens, std::string_view latin1Text,
              TokenSink* sink = nullptr);

}  // namespace orvane::config
