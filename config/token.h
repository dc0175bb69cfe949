// Tokens: what the scanner hands to the tree builder.
#pragma once

#include <cstdint>
#include <string>

#include "config/diagnostic.h"

namespace orvane::config {

// WARNING: the codes are a contract. The tree builder's token table is indexed by them; if you change
// the order of this enumeration, change that table with it (tests pin both).
enum class TokenKind : std::uint32_t {
    String, Integer, Float, Keyword,
    LBrace, RBrace, LBracket, RBracket, LParen, RParen,
    Not, Tilde, Plus, Minus, Star, Slash, Percent, Shl, Shr,
    Less, LessEq, Greater, GreaterEq, Equal, NotEqual,
    Amp, Caret, Pipe, AndAnd, OrOr, Comma,
    Assign, PlusAssign, MinusAssign, StarAssign, SlashAssign, PercentAssign,
    AmpAssign, CaretAssign, PipeAssign, ShlAssign, ShrAssign,
    Semicolon,
};
inline constexpr std::uint32_t kTokenKindCount = 43;

struct Token {
    SourcePos pos;              // where the token's first character stands
    TokenKind kind = TokenKind::String;
    std::int32_t intValue = 0;  // Integer tokens (beside kind, so a Token packs into 56 bytes)
    std::u16string text;        // String/Integer/Float: the value's text; Keyword: the name; else empty
    double floatValue = 0.0;    // Float tokens
};

}  // namespace orvane::config
