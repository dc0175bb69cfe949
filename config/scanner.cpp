// The scanner's state machine.
//
// Invariants:
// - Positions 0..length are each tracked once, in order: the column is taken from the position before
//   its character is handled, and a line feed moves to the next line at once. So an error raised at a
//   line feed names the following line and the column the line feed had on the line it ends.
// - Position `length` reads a virtual space, which closes any token still open; lookahead past the
//   last character reads NUL, which matches nothing.
// - A character that ends a token is handled again in Start at the same position, without tracking.
// - A String token is appended to a String token directly before it, so the list never holds two
//   neighbouring Strings; the merged token keeps the first one's position.
// - Runs of characters that can neither end the current token nor move to a new line are copied in one
//   step; they never raise an error, so their columns are not needed.
// - Accumulators are unsigned 32-bit and wrap; the token takes the bits as a signed value.
#include "config/scanner.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "config/char_class.h"
#include "config/diagnostic.h"
#include "value/text.h"

namespace orvane::config {

namespace {

constexpr std::u16string_view kCategory = u"Scanning Error";
// Tokens handed to a sink at a time: enough to amortise the call, few enough to stay in the cache.
constexpr std::size_t kPieceTokens = 512;

using detail::escaped;
using detail::hexValue;
using detail::isDigit;
using detail::isIdentifierChar;
using detail::isLetter;

char16_t closingDelimiter(char16_t open) {
    switch (open) {
        case u'{': return u'}';
        case u'[': return u']';
        case u'(': return u')';
        case u'<': return u'>';
        default: return open;
    }
}

// The text is 16-bit units, or bytes that stand for the units of the same value (Latin-1).
template <class C>
class Scanner {
public:
    Scanner(std::u16string& error, std::vector<Token>& tokens, std::basic_string_view<C> text, TokenSink* sink)
        : error_(error), tokens_(tokens), text_(text), sink_(sink) {}

    // run(), leaving in tokens_ only the tokens not handed to the sink.
    bool scan() {
        const bool ok = run();
        tokens_.resize(filled_);
        return ok;
    }

private:
    bool run();

    enum class State : std::uint8_t {
        Start, String1, String2, String2Backspace, HexEscape, Decimal, HexNumber, BinaryNumber,
        Fraction, Identifier, QuotedBlock, BlockComment,
    };

    static char16_t unit(C c) { return static_cast<char16_t>(static_cast<std::make_unsigned_t<C>>(c)); }
    char16_t lookahead(std::size_t i) const { return i < text_.size() ? unit(text_[i]) : u'\0'; }
    // Appends text_[from, from + n) to the token's text.
    void copyUnits(std::size_t from, std::size_t n) {
        if constexpr (std::is_same_v<C, char16_t>) {
            buffer_.append(text_.data() + from, n);
        } else {
            const std::size_t old = buffer_.size();
            buffer_.resize(old + n);
            for (std::size_t k = 0; k < n; ++k) buffer_[old + k] = unit(text_[from + k]);
        }
    }

    // First index at or after `from` whose character fails `keep` (the text's length if none).
    template <class Keep>
    std::size_t runEnd(std::size_t from, Keep keep) const {
        while (from < text_.size() && keep(unit(text_[from]))) ++from;
        return from;
    }

    // Copies text_[i + 1 .. end) into the token and leaves i on the last character copied.
    void appendRun(std::size_t& i, std::size_t end) {
        if (end > i + 1) {
            copyUnits(i + 1, end - i - 1);
            i = end - 1;
        }
    }

    template <class... Args>
    bool fail(std::u16string_view fmt, const Args&... args) {
        return reportError(error_, kCategory, position(), fmt, args...);
    }

    SourcePos position() const {
        return {static_cast<std::int32_t>(line_), static_cast<std::int32_t>(column_)};
    }

    // The next token, starting at start_. Slots handed to a sink are reused, text capacity and all.
    Token& slot(TokenKind kind) {
        if (filled_ == tokens_.size()) tokens_.emplace_back();
        Token& t = tokens_[filled_++];
        t.pos = start_;
        t.kind = kind;
        t.intValue = 0;
        t.floatValue = 0.0;
        t.text.clear();
        return t;
    }
    void emit(TokenKind kind) { slot(kind); }
    void emitString();
    void emitInteger() {
        Token& t = slot(TokenKind::Integer);
        t.intValue = static_cast<std::int32_t>(accumulator_);
        t.text.assign(buffer_);
    }
    void emitFloat();

    // Emits `withEquals` (consuming the "=") when the next character is "=", else `plain`.
    void emitMaybeAssign(std::size_t& i, TokenKind plain, TokenKind withEquals);

    bool start(std::size_t& i, char16_t c);
    void reserveAhead(std::size_t position);

    std::u16string& error_;
    std::vector<Token>& tokens_;
    const std::basic_string_view<C> text_;
    TokenSink* const sink_;
    std::size_t filled_ = 0;  // tokens_[0, filled_) are this piece's; later slots wait for reuse

    State state_ = State::Start;
    std::uint32_t line_ = 1;  // where the current position stands
    std::uint32_t column_ = 1;
    std::size_t lineStart_ = 0;  // index of the current line's first character

    // The token being built.
    SourcePos start_;
    std::u16string buffer_;
    std::uint32_t accumulator_ = 0;
    bool leadingZero_ = false;  // the number so far is exactly "0", so "x" or "b" may follow
    int phase_ = 0;             // Fraction: 0 digits, 1 after the exponent letter, 2 after its sign, 3 its digits
    int hexDigits_ = 0;         // HexEscape: digits read so far
    char16_t open_ = 0;         // QuotedBlock delimiters and nesting depth
    char16_t close_ = 0;
    std::uint32_t depth_ = 0;
};

template <class C>
void Scanner<C>::emitString() {
    if (filled_ > 0 && tokens_[filled_ - 1].kind == TokenKind::String)
        tokens_[filled_ - 1].text += buffer_;
    else
        slot(TokenKind::String).text.assign(buffer_);
}

template <class C>
void Scanner<C>::emitFloat() {
    Token& t = slot(TokenKind::Float);
    t.text.assign(buffer_);
    t.floatValue = parseFloat(narrow(buffer_));
}

// A doubling chain would touch about three times the memory of the final list, which on large texts
// costs more than the scan itself. Growing by the token density seen so far lands near the final size
// in a few steps; the clamp keeps growth geometric and an early dense stretch from over-reserving.
template <class C>
void Scanner<C>::reserveAhead(std::size_t position) {
    const std::size_t have = filled_;
    const double perCharacter = static_cast<double>(have) / static_cast<double>(position + 1);
    const double estimate = perCharacter * static_cast<double>(text_.size() + 1) * 1.125;
    const std::size_t least = have + have / 2 + 16;
    const std::size_t most = 4 * have + 64;
    tokens_.reserve(std::clamp(static_cast<std::size_t>(estimate), least, most));
}

template <class C>
void Scanner<C>::emitMaybeAssign(std::size_t& i, TokenKind plain, TokenKind withEquals) {
    if (lookahead(i + 1) == u'=') {
        ++i;
        emit(withEquals);
    } else {
        emit(plain);
    }
}

template <class C>
bool Scanner<C>::start(std::size_t& i, char16_t c) {
    buffer_.clear();
    accumulator_ = 0;
    start_ = position();
    const char16_t next = lookahead(i + 1);
    switch (c) {
        case u'\t': case u'\n': case u'\r': case u' ':
            // Spaces and tabs before the next token need no tracking; line feeds do.
            i = runEnd(i + 1, [](char16_t ch) { return ch == u' ' || ch == u'\t'; }) - 1;
            return true;
        case u'!': emitMaybeAssign(i, TokenKind::Not, TokenKind::NotEqual); return true;
        case u'%': emitMaybeAssign(i, TokenKind::Percent, TokenKind::PercentAssign); return true;
        case u'*': emitMaybeAssign(i, TokenKind::Star, TokenKind::StarAssign); return true;
        case u'+': emitMaybeAssign(i, TokenKind::Plus, TokenKind::PlusAssign); return true;
        case u'-': emitMaybeAssign(i, TokenKind::Minus, TokenKind::MinusAssign); return true;
        case u'=': emitMaybeAssign(i, TokenKind::Assign, TokenKind::Equal); return true;
        case u'^': emitMaybeAssign(i, TokenKind::Caret, TokenKind::CaretAssign); return true;
        case u'&':
            if (next == u'&') {
                ++i;
                emit(TokenKind::AndAnd);
            } else {
                emitMaybeAssign(i, TokenKind::Amp, TokenKind::AmpAssign);
            }
            return true;
        case u'|':
            if (next == u'|') {
                ++i;
                emit(TokenKind::OrOr);
            } else {
                emitMaybeAssign(i, TokenKind::Pipe, TokenKind::PipeAssign);
            }
            return true;
        case u'<':
        case u'>': {
            const bool less = c == u'<';
            if (next == u'=') {
                ++i;
                emit(less ? TokenKind::LessEq : TokenKind::GreaterEq);
            } else if (next == c) {
                ++i;
                emitMaybeAssign(i, less ? TokenKind::Shl : TokenKind::Shr,
                                less ? TokenKind::ShlAssign : TokenKind::ShrAssign);
            } else {
                emit(less ? TokenKind::Less : TokenKind::Greater);
            }
            return true;
        }
        case u'(': emit(TokenKind::LParen); return true;
        case u')': emit(TokenKind::RParen); return true;
        case u',': emit(TokenKind::Comma); return true;
        case u';': emit(TokenKind::Semicolon); return true;
        case u'[': emit(TokenKind::LBracket); return true;
        case u']': emit(TokenKind::RBracket); return true;
        case u'{': emit(TokenKind::LBrace); return true;
        case u'}': emit(TokenKind::RBrace); return true;
        case u'~': emit(TokenKind::Tilde); return true;
        case u'/':
            if (next == u'/') {
                // The comment takes its line feed with it; that still starts a new line.
                const std::size_t end = runEnd(i + 2, [](char16_t ch) { return ch != u'\n'; });
                if (end < text_.size()) {
                    ++line_;
                    i = end;
                    lineStart_ = end + 1;
                } else {
                    i = end - 1;
                }
            } else if (next == u'*') {
                ++i;
                state_ = State::BlockComment;
            } else {
                emitMaybeAssign(i, TokenKind::Slash, TokenKind::SlashAssign);
            }
            return true;
        case u'"': state_ = State::String2; return true;
        case u'\'': state_ = State::String1; return true;
        default: break;
    }
    if (isDigit(c)) {
        buffer_ += c;
        accumulator_ = c - u'0';
        leadingZero_ = c == u'0';
        state_ = State::Decimal;
        return true;
    }
    if (isLetter(c) || c == u'_') {
        const std::size_t end = runEnd(i + 1, isIdentifierChar);
        buffer_.clear();
        copyUnits(i, end - i);
        i = end - 1;
        state_ = State::Identifier;
        return true;
    }
    return fail(u"Invalid character 0x%02X", static_cast<unsigned>(c));
}

template <class C>
bool Scanner<C>::run() {
    const std::size_t n = text_.size();
    if (sink_) tokens_.reserve(kPieceTokens + 2);
    for (std::size_t i = 0; i <= n; ++i) {
        if (sink_ && filled_ >= kPieceTokens && state_ == State::Start &&
            tokens_[filled_ - 1].kind != TokenKind::String) {
            sink_->take(std::span<const Token>(tokens_.data(), filled_));
            filled_ = 0;
        }
        if (tokens_.capacity() - filled_ < 2) reserveAhead(i);  // a position emits at most two
        const char16_t c = i < n ? unit(text_[i]) : u' ';
        column_ = static_cast<std::uint32_t>(i - lineStart_ + 1);
        if (c == u'\n') {
            ++line_;
            lineStart_ = i + 1;
        }
        for (bool again = true; again;) {
            again = false;
            switch (state_) {
                case State::Start:
                    if (!start(i, c)) return false;
                    break;

                case State::String1:
                    if (c < 0x20) {
                        if (c == u'\r' || c == u'\n') return fail(u"Missing ' at end of line");
                        return fail(u"String1: Invalid character 0x%02X '%c'", static_cast<unsigned>(c), c);
                    }
                    if (c == u'\'') {
                        emitString();
                        state_ = State::Start;
                        break;
                    }
                    buffer_ += c;
                    appendRun(i, runEnd(i + 1, [](char16_t ch) { return ch >= 0x20 && ch != u'\''; }));
                    break;

                case State::String2:
                    if (c < 0x20) {
                        if (c == u'\r' || c == u'\n') return fail(u"Missing \" at end of line");
                        return fail(u"String2: Invalid character 0x%02X '%c'", static_cast<unsigned>(c), c);
                    }
                    if (c == u'"') {
                        emitString();
                        state_ = State::Start;
                    } else if (c == u'\\') {
                        state_ = State::String2Backspace;
                    } else {
                        buffer_ += c;
                        appendRun(i, runEnd(i + 1, [](char16_t ch) {
                                      return ch >= 0x20 && ch != u'"' && ch != u'\\';
                                  }));
                    }
                    break;

                case State::String2Backspace:
                    if (c < 0x20)
                        return fail(u"String2Backspace: Invalid character 0x%02X '%c'", static_cast<unsigned>(c), c);
                    if (c == u'x' || c == u'X') {
                        accumulator_ = 0;
                        hexDigits_ = 0;
                        state_ = State::HexEscape;
                    } else {
                        buffer_ += escaped(c);
                        state_ = State::String2;
                    }
                    break;

                case State::HexEscape: {
                    const int digit = hexValue(c);
                    if (digit < 0)
                        return fail(u"String2: \\x: Invalid character 0x%02X '%c'", static_cast<unsigned>(c), c);
                    accumulator_ = accumulator_ * 16 + static_cast<std::uint32_t>(digit);
                    if (++hexDigits_ == 2) {
                        // The byte is taken as signed, so \x80..\xFF land on U+FF80..U+FFFF.
                        const std::uint32_t byte = accumulator_ & 0xFF;
                        buffer_ += static_cast<char16_t>(byte >= 0x80 ? byte | 0xFF00 : byte);
                        state_ = State::String2;
                    }
                    break;
                }

                case State::Decimal:
                    if (isDigit(c)) {
                        accumulator_ = accumulator_ * 10 + static_cast<std::uint32_t>(c - u'0');
                        buffer_ += c;
                        leadingZero_ = false;
                    } else if (leadingZero_ && c == u'x') {
                        state_ = State::HexNumber;
                    } else if (leadingZero_ && c == u'b') {
                        state_ = State::BinaryNumber;
                    } else if (c == u'.') {
                        buffer_ += c;
                        phase_ = 0;
                        state_ = State::Fraction;
                    } else {
                        emitInteger();
                        state_ = State::Start;
                        again = true;
                    }
                    break;

                case State::HexNumber: {
                    const int digit = hexValue(c);
                    if (digit >= 0) {
                        accumulator_ = accumulator_ * 16 + static_cast<std::uint32_t>(digit);
                    } else {
                        emitInteger();
                        state_ = State::Start;
                        again = true;
                    }
                    break;
                }

                case State::BinaryNumber:
                    if (c == u'0' || c == u'1') {
                        accumulator_ = accumulator_ * 2 + static_cast<std::uint32_t>(c - u'0');
                    } else {
                        emitInteger();
                        state_ = State::Start;
                        again = true;
                    }
                    break;

                case State::Fraction:
                    if (isDigit(c)) {
                        buffer_ += c;
                        if (phase_ != 0) phase_ = 3;
                    } else if (phase_ == 0 && (c == u'e' || c == u'E' || c == u'd' || c == u'D')) {
                        buffer_ += c;
                        phase_ = 1;
                    } else if (phase_ == 1 && (c == u'+' || c == u'-')) {
                        buffer_ += c;
                        phase_ = 2;
                    } else if (phase_ == 1 || phase_ == 2) {
                        return fail(u"Invalid float");
                    } else {
                        emitFloat();
                        state_ = State::Start;
                        again = true;
                    }
                    break;

                case State::Identifier:
                    // Start has already taken the whole name, so `c` ends it.
                    if (buffer_ == u"q") {
                        open_ = c;
                        close_ = closingDelimiter(c);
                        depth_ = 1;
                        buffer_.clear();
                        state_ = State::QuotedBlock;
                    } else {
                        slot(TokenKind::Keyword).text.assign(buffer_);
                        state_ = State::Start;
                        again = true;
                    }
                    break;

                case State::QuotedBlock:
                    if (c == close_) {
                        if (--depth_ == 0) {
                            emitString();
                            state_ = State::Start;
                            break;
                        }
                    } else if (c == open_) {
                        ++depth_;
                    }
                    buffer_ += c;
                    appendRun(i, runEnd(i + 1, [this](char16_t ch) {
                                  return ch != close_ && ch != open_ && ch != u'\n';
                              }));
                    break;

                case State::BlockComment:
                    if (c == u'*' && lookahead(i + 1) == u'/') {
                        ++i;
                        state_ = State::Start;
                    } else {
                        i = runEnd(i + 1, [](char16_t ch) { return ch != u'*' && ch != u'\n'; }) - 1;
                    }
                    break;
            }
        }
    }
    if (state_ != State::Start) return fail(u"Invalid state");
    return true;
}

}  // namespace

bool scanText(std::u16string& error, std::vector<Token>& tokens, std::u16string_view text, TokenSink* sink) {
    tokens.clear();
    return Scanner<char16_t>(error, tokens, text, sink).scan();
}

bool scanText(std::u16string& error, std::vector<Token>& tokens, std::string_view latin1Text, TokenSink* sink) {
    tokens.clear();
    return Scanner<char>(error, tokens, latin1Text, sink).scan();
}

}  // namespace orvane::config
