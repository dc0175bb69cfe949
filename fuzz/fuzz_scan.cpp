// The scanner on any text. The first byte picks how the rest becomes text: even as UTF-8, odd as
// raw UTF-16 units (so lone surrogates, NULs and every control unit reach the scanner). Checked:
// a failure is one "Scanning Error (l:c): " message; on success tokens stand in strictly
// increasing positions inside the text, each on a character that can begin its kind, and no two
// String tokens are neighbours.
#include <cstdint>
#include <string>
#include <vector>

#include "config/scanner.h"
#include "config/token.h"
#include "fuzz/fuzz_support.h"

using orvane::config::Token;
using orvane::config::TokenKind;
using orvane::fuzz::check;

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool canBegin(TokenKind kind, char16_t c) {
    switch (kind) {
        case TokenKind::String: return c == u'\'' || c == u'"' || c == u'q';
        case TokenKind::Integer:
        case TokenKind::Float: return isDigit(c);
        case TokenKind::Keyword: return c == u'_' || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        default: break;
    }
    // The first character of each operator, in TokenKind order from LBrace on.
    static constexpr std::u16string_view kFirst = u"{}[]()!~+-*/%" u"<><<>>=!" u"&^|&|," u"=+-*/%&^|<>;";
    static_assert(kFirst.size() == orvane::config::kTokenKindCount - 4);
    const auto index = static_cast<std::uint32_t>(kind) - static_cast<std::uint32_t>(TokenKind::LBrace);
    return index < kFirst.size() && kFirst[index] == c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes = orvane::fuzz::asBytes(data + 1, size - 1);
    const std::u16string text = data[0] % 2 == 0 ? orvane::fromUtf8(bytes) : orvane::fuzz::unitsOf(bytes);

    std::u16string error;
    std::vector<Token> tokens;
    if (!orvane::config::scanText(error, tokens, text)) {
        check(error.rfind(u"Scanning Error (", 0) == 0, "scan failed without a scanning error");
        return 0;
    }
    check(error.empty(), "scan succeeded with an error text");

    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == u'\n') lineStarts.push_back(i + 1);

    std::size_t previous = 0;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const Token& token = tokens[t];
        check(token.pos.line >= 1 && static_cast<std::size_t>(token.pos.line) <= lineStarts.size(),
              "token line outside the text");
        check(token.pos.column >= 1, "token column before the line");
        const std::size_t offset = lineStarts[token.pos.line - 1] + token.pos.column - 1;
        check(offset < text.size(), "token column past the text");
        check(t == 0 || offset > previous, "tokens out of order");
        check(canBegin(token.kind, text[offset]), "token on a character that cannot begin it");
        if (t > 0)
            check(!(token.kind == TokenKind::String && tokens[t - 1].kind == TokenKind::String),
                  "two neighbouring String tokens");
        previous = offset;
    }
    return 0;
}
