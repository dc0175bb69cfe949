// A recursive-descent reader over the text that mirrors, for its subset, what the scanner, the tree
// builder and the evaluator do together; the invariants are in literal_loader.h.
//
// How the subset lines up with the general loader:
// - Lexical rules are the scanner's: the same whitespace and comments, a number ends where the
//   scanner's would, neighbouring strings merge across whitespace and comments, and every spot the
//   scanner would reject makes this reader give up. After a value only ",", ";", ")", "]" or "}"
//   may follow here, so two tokens never stand side by side in an accepted text.
// - Evaluation order does not matter: literals read nothing, and a path only makes containers that
//   no value reads, so keys and values are built in text order: the path is walked as its keys are
//   read, and the value is then built straight in the slot it names, which is cleared first as the
//   evaluator's store would replace it. While the value is built, nothing around the slot is
//   written, so the slot stays valid (value.h's slot rules).
// - Depth: `depth` arguments are the evaluator's depth count at the same node, or one more (a value
//   is always counted as a list item); the reader gives up where the evaluator could reach
//   kMaxNestingDepth, so it accepts nothing the evaluator would refuse.
// - Like the evaluator, a lone value goes straight into its destination, which is new (Undef) except
//   for a call's arguments (an empty Vector). A value that writes nothing into its destination (an
//   empty block, set() of no string) leaves it as is: `wrote` carries that, so that the arguments
//   stay an empty Vector.
#include "config/literal_loader.h"

#include <bit>
#include <cfloat>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "config/builtins.h"
#include "config/char_class.h"
#include "config/node.h"
#include "config/operators.h"
#include "config/string_literals.h"
#include "value/text.h"

namespace orvane::config::detail {
namespace {

template <class C>
class LiteralReader {
public:
    LiteralReader(ConfigParser& parser, std::basic_string_view<C> text)
        : parser_(parser), p_(text.data()), end_(text.data() + text.size()) {}

    bool run(Value& store, std::uint32_t depth) {
        for (;;) {
            if (!skipSpace()) return false;
            if (p_ == end_) return true;
            if (!statement(store, depth) || !take(u';')) return false;
        }
    }

private:
    static char16_t unit(C c) { return static_cast<char16_t>(static_cast<std::make_unsigned_t<C>>(c)); }
    // The character at the reading point; past the end, NUL, which nothing here expects.
    char16_t peek() const { return p_ < end_ ? unit(*p_) : u'\0'; }
    bool take(char16_t c) {
        if (p_ == end_ || unit(*p_) != c) return false;
        ++p_;
        return true;
    }

    // Whitespace and comments; false for a block comment left open.
    bool skipSpace() {
        // Most calls meet a token at once: that check stays inline, the loop does not.
        if (p_ < end_ && unit(*p_) > u' ' && unit(*p_) != u'/') return true;
        return skipSpaceLoop();
    }

    // Loops here and in number() move a local cursor: a byte read through p_ might be p_ itself as
    // far as the compiler knows, so a loop on p_ would store it back at every step.
    bool skipSpaceLoop() {
        const C* p = p_;
        bool closed = true;
        while (p < end_) {
            const char16_t c = unit(*p);
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                ++p;
                continue;
            }
            if (c != u'/' || end_ - p < 2) break;
            const char16_t next = unit(p[1]);
            if (next == u'/') {
                p += 2;
                while (p < end_ && unit(*p) != u'\n') ++p;
            } else if (next == u'*') {
                p += 2;
                while (!(end_ - p >= 2 && unit(p[0]) == u'*' && unit(p[1]) == u'/')) {
                    if (p == end_) {
                        closed = false;
                        break;
                    }
                    ++p;
                }
                if (!closed) break;
                p += 2;
            } else {
                break;
            }
        }
        p_ = p;
        return closed;
    }

    // An assignment of a value to a path, run on `scope` at evaluator depth `depth`; like every
    // reader of a value below, it stops past the space that follows.
    bool statement(Value& scope, std::uint32_t depth) {
        if (depth + 1 >= kMaxNestingDepth) return false;  // the value and the keys one level down
        Value* slot = &scope;
        do {
            if (!take(u'[') || !skipSpace()) return false;
            if (take(u']')) {
                slot = &slot->element(slot->size());
                if (slot->isScratchSlot()) return false;  // the evaluator reports the index
            } else {
                const Value* key = keyLiteral();
                if (!key || !take(u']')) return false;
                // What entryAt does with either kind of key, without its copies and dispatch; only
                // an index can meet the bound.
                if (key->isInteger()) {
                    slot = &slot->element(static_cast<std::uint32_t>(key->toInteger()));
                    if (slot->isScratchSlot()) return false;
                } else {
                    slot = key == &key_ ? &slot->entry(key_) : &slot->entry(*key, keyHashCode_);
                }
            }
            if (!skipSpace()) return false;
        } while (peek() == u'[');
        if (!take(u'=') || peek() == u'=') return false;
        if (!skipSpace()) return false;
        if (slot->kind() != ValueKind::Undef) *slot = Value();  // a new entry or element is Undef already
        return expression(*slot, depth + 1, true);
    }

    // Like primary(), past the space that follows; the key is valid until the next string is read.
    const Value* keyLiteral() {
        const char16_t c = peek();
        if (c == u'\'' || c == u'"') return stringValue(key_, &keyHashCode_);
        return isDigit(c) && number(key_) && key_.isInteger() && skipSpace() ? &key_ : nullptr;
    }

    // A value or a comma list of values, into `result`: new (Undef) when `fresh`, else a call's empty
    // argument Vector, which a value that writes nothing must leave as it is.
    bool expression(Value& result, std::uint32_t depth, bool fresh) {
        Value item;
        Value& first = fresh ? result : item;
        bool wrote;
        if (!primary(first, depth + 1, wrote)) return false;
        if (peek() != u',') {
            if (wrote && !fresh) result = std::move(item);
            return true;
        }
        // A list: its items wait on a stack, so that the Vector is allocated once, at its size.
        const std::size_t base = items_.size();
        items_.push_back(std::move(first));
        while (take(u',')) {
            Value next;
            if (!skipSpace() || !primary(next, depth + 1, wrote)) return false;
            items_.push_back(std::move(next));
        }
        const std::size_t n = items_.size() - base;
        if (n > Value::kMaxVectorSize) return false;  // the evaluator drops what lies past the bound
        result.resize(static_cast<std::uint32_t>(n));
        for (std::size_t i = 0; i < n; ++i) result.element(static_cast<std::uint32_t>(i)) = std::move(items_[base + i]);
        items_.resize(base);
        return true;
    }

    // One value into the new `result`, and past the space that follows it (a string has looked
    // there already, for a string to merge with); `wrote` is cleared when it leaves `result`
    // untouched.
    bool primary(Value& result, std::uint32_t depth, bool& wrote) {
        if (depth >= kMaxNestingDepth) return false;
        wrote = true;
        const char16_t c = peek();
        if (c == u'\'' || c == u'"') return string(result);
        bool read = false;
        if (isDigit(c)) {
            read = number(result);
        } else if (c == u'-') {
            ++p_;
            if (!skipSpace() || !isDigit(peek()) || depth + 1 >= kMaxNestingDepth || !number(result)) return false;
            const OperatorFunction negate =
                findOperatorFunction(NodeKind::UnaryMinus, operandType(result), OperandType::None);
            if (!negate) return false;
            negate(result, Value());
            read = true;
        } else if (c == u'{') {
            ++p_;
            read = block(result, depth, wrote);
        } else if (isLetter(c) || c == u'_') {
            read = word(result, depth, wrote);
        }
        return read && skipSpace();
    }

    // The statements of { }, run on `result` one level down.
    bool block(Value& result, std::uint32_t depth, bool& wrote) {
        wrote = false;
        for (;;) {
            if (!skipSpace()) return false;
            if (take(u'}')) return true;
            if (!statement(result, depth + 1) || !take(u';')) return false;
            wrote = true;
        }
    }

    // true, false, undef, or a call of vector() or set().
    bool word(Value& result, std::uint32_t depth, bool& wrote) {
        const C* start = p_;
        while (p_ < end_ && isIdentifierChar(unit(*p_))) ++p_;
        const std::size_t n = static_cast<std::size_t>(p_ - start);
        auto is = [&](std::u16string_view name) {
            if (name.size() != n) return false;
            for (std::size_t i = 0; i < n; ++i)
                if (unit(start[i]) != name[i]) return false;
            return true;
        };
        if (is(u"true") || is(u"false")) {
            result.setBoolean(n == 4);
            return true;
        }
        if (is(u"undef")) return true;
        if (is(u"vector")) return call(u"vector", result, depth, wrote);
        if (is(u"set")) return call(u"set", result, depth, wrote);
        return false;
    }

    bool call(std::u16string_view name, Value& result, std::uint32_t depth, bool& wrote) {
        if (!skipSpace() || !take(u'(') || !skipSpace()) return false;
        Value args;
        args.setEmptyVector();
        if (!take(u')')) {
            if (!expression(args, depth + 1, false) || !take(u')')) return false;
            if (!args.isVector()) {
                Value single = std::move(args);
                args = Value();
                args.appendSlot() = std::move(single);
            }
        }
        Value scope;  // neither function reads it
        if (!findBuiltin(name)(CallSite{parser_, depth + 1, SourcePos{}, name}, args, result, scope)) return false;
        wrote = result.kind() != ValueKind::Undef;
        return true;
    }

    // A number as the scanner reads it: decimal, 0x hex or 0b binary Integers wrapping modulo
    // 2^32, or a Float with a fraction and an optional e/E/d/D exponent.
    bool number(Value& result) {
        const C* start = p_;
        std::uint32_t acc = static_cast<std::uint32_t>(unit(*p_++) - u'0');
        if (acc == 0 && (peek() == u'x' || peek() == u'b')) {
            const std::uint32_t radix = peek() == u'x' ? 16 : 2;
            ++p_;
            for (int d; (d = hexValue(peek())) >= 0 && static_cast<std::uint32_t>(d) < radix; ++p_)
                acc = acc * radix + static_cast<std::uint32_t>(d);
            result.setInteger(static_cast<std::int32_t>(acc));
            return true;
        }
        const C* p = p_;
        while (p < end_ && isDigit(unit(*p))) acc = acc * 10 + static_cast<std::uint32_t>(unit(*p++) - u'0');
        p_ = p;
        if (peek() != u'.') {
            result.setInteger(static_cast<std::int32_t>(acc));
            return true;
        }
        ++p_;
        while (isDigit(peek())) ++p_;
        const char16_t e = peek();
        if (e == u'e' || e == u'E' || e == u'd' || e == u'D') {
            ++p_;
            if (peek() == u'+' || peek() == u'-') ++p_;
            if (!isDigit(peek())) return false;
            while (isDigit(peek())) ++p_;
        }
        result.setFloat(floatValue(start, p_));
        return true;
    }

    // The value of a Float as number() delimits it. Up to 15 digits scaled by at most 10^22 make
    // two exact doubles, and one division or product of those rounds just as the full conversion
    // does; anything longer or larger goes the full way.
    double floatValue(const C* from, const C* to) {
        static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        constexpr int kMaxPower = 22, kMaxDigits = 15;
        if constexpr (FLT_EVAL_METHOD == 0) {  // no wider intermediate that could round twice
            std::uint64_t mantissa = 0;
            int digits = 0, power = 0;
            bool fraction = false;
            const C* p = from;
            for (; p < to && digits <= kMaxDigits; ++p) {
                const char16_t c = unit(*p);
                if (c == u'.') {
                    fraction = true;
                } else if (isDigit(c)) {
                    mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - u'0');
                    ++digits;
                    power -= fraction ? 1 : 0;
                } else {
                    break;
                }
            }
            if (digits <= kMaxDigits && p < to) {  // the exponent, its digits present
                const bool negative = unit(*++p) == u'-';
                if (unit(*p) == u'+' || negative) ++p;
                int exponent = 0;
                for (; p < to && exponent <= 2 * kMaxPower; ++p) exponent = exponent * 10 + (unit(*p) - u'0');
                power += negative ? -exponent : exponent;
            }
            if (digits <= kMaxDigits && p == to && power >= -kMaxPower && power <= kMaxPower) {
                const auto m = static_cast<double>(mantissa);
                return power < 0 ? m / kPowers[-power] : m * kPowers[power];
            }
        }
        if constexpr (std::is_same_v<C, char>) {
            return parseFloat(std::string_view(from, static_cast<std::size_t>(to - from)));
        } else {
            digits_.assign(from, to);  // ASCII only, as number() read it
            return parseFloat(digits_);
        }
    }

    // A string literal, or a run of them that the scanner would merge, as a shared WideString: the
    // one strings_ keeps (valid until the next string is read) or `scratch` set to it; null when the
    // text is not one this reader takes. For a kept one, its hashCode() is stored in *hashCode when
    // given: a key's table asks for it, and strings_ keeps it with the text.
    const Value* stringValue(Value& scratch, std::uint32_t* hashCode = nullptr) {
        // Most literals stand alone and hold no escape: those are shared straight from the text.
        const C* const open = p_;
        const char16_t quote = unit(*p_++);
        const C* run = p_;
        p_ = plainRun(p_, quote, quote == u'"' ? u'\\' : quote);
        if (p_ < end_ && unit(*p_) == quote) {
            const C* const close = p_++;
            if (!skipSpace()) return nullptr;
            if (peek() != u'\'' && peek() != u'"')
                return &strings_.shared(std::basic_string_view<C>(run, static_cast<std::size_t>(close - run)), scratch, hashCode);
        }
        p_ = open;
        if (!string()) return nullptr;
        return &strings_.shared(buffer_, scratch, hashCode);
    }

    bool string(Value& result) {  // the above into `result`
        const Value* read = stringValue(result);
        if (read && read != &result) result = *read;
        return read;
    }

    // The general case of the above, into buffer_.
    bool string() {
        buffer_.clear();
        do {
            if (!(take(u'\'') ? rawString() : take(u'"') && escapedString()) || !skipSpace()) return false;
        } while (peek() == u'\'' || peek() == u'"');
        return true;
    }

    // Where the characters that stand for themselves end, from p on: at the end, a control
    // character, `stop` or `alsoStop`. Bytes go eight at a time, since most strings are short
    // words that end within one or two such steps.
    const C* plainRun(const C* p, char16_t stop, char16_t alsoStop) const {
        if constexpr (std::is_same_v<C, char> && std::endian::native == std::endian::little) {
            constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
            // A byte of x below n (n <= 0x80) sets its high bit here; a false hit only ever lies
            // above a true one, so the lowest hit is exact.
            auto below = [](std::uint64_t x, std::uint64_t n) { return (x - kOnes * n) & ~x & kHighs; };
            for (; end_ - p >= 8; p += 8) {
                std::uint64_t w;
                std::memcpy(&w, p, sizeof w);
                const std::uint64_t hits = below(w ^ (kOnes * stop), 1) | below(w ^ (kOnes * alsoStop), 1) | below(w, 0x20);
                if (hits) return p + std::countr_zero(hits) / 8;
            }
        }
        while (p < end_ && unit(*p) >= 0x20 && unit(*p) != stop && unit(*p) != alsoStop) ++p;
        return p;
    }

    bool rawString() {
        const C* run = p_;
        p_ = plainRun(p_, u'\'', u'\'');
        append(run, p_);
        return take(u'\'');  // else a control character or the end
    }

    bool escapedString() {
        for (;;) {
            const C* run = p_;
            p_ = plainRun(p_, u'"', u'\\');
            append(run, p_);
            if (p_ == end_ || unit(*p_) < 0x20) return false;
            if (unit(*p_++) == u'"') return true;
            const char16_t c = peek();
            if (c < 0x20) return false;  // also the end
            ++p_;
            if (c != u'x' && c != u'X') {
                buffer_ += escaped(c);
                continue;
            }
            const int high = hexValue(peek());
            if (high < 0) return false;
            ++p_;
            const int low = hexValue(peek());
            if (low < 0) return false;
            ++p_;
            // The byte is taken as signed, so \x80..\xFF land on U+FF80..U+FFFF.
            const auto byte = static_cast<std::uint32_t>(high * 16 + low);
            buffer_ += static_cast<char16_t>(byte >= 0x80 ? byte | 0xFF00 : byte);
        }
    }

    void append(const C* from, const C* to) {
        if constexpr (std::is_same_v<C, char16_t>) {
            buffer_.append(from, to);
        } else {
            const std::size_t old = buffer_.size(), n = static_cast<std::size_t>(to - from);
            buffer_.resize(old + n);
            char16_t* out = buffer_.data() + old;
            for (std::size_t i = 0; i < n; ++i) out[i] = unit(from[i]);
        }
    }

    ConfigParser& parser_;
    const C* p_;
    const C* const end_;
    Value key_;                // a key being read that strings_ does not keep
    std::uint32_t keyHashCode_ = 0;  // the hashCode() of the key being read when strings_ keeps it
    std::vector<Value> items_; // items of the lists being read, innermost list's on top
    std::u16string buffer_;    // the string being read
    std::string digits_;       // the Float being read
    StringLiterals strings_;
};

}  // namespace

bool loadLiterals(ConfigParser& parser, std::string_view latin1Text, Value& store, std::uint32_t depth) {
    return LiteralReader<char>(parser, latin1Text).run(store, depth);
}

bool loadLiterals(ConfigParser& parser, std::u16string_view text, Value& store, std::uint32_t depth) {
    return LiteralReader<char16_t>(parser, text).run(store, depth);
}

}  // namespace orvane::config::detail
