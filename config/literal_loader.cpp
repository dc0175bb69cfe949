// A recursive-descent reader over the text that mirrors, for its subset, what the scanner, the tree
// builder and the evaluator do together; the invariants are in literal_loader.h.
//
// How the subset lines up with the general loader:
// - Lexical rules are the scanner's: the same whitespace and comments, a number ends where the
//   scanner's would, neighbouring strings merge across whitespace and comments, and every spot the
//   scanner would reject makes this reader give up. After a value only ",", ";", ")", "]" or "}"
//   may follow here, so two tokens never stand side by side in an accepted text.
// - Evaluation order does not matter: literals read nothing, so keys and values are built in text
//   order and written in the evaluator's order (value first, then the path, one slot walk).
// - Depth: `depth` arguments are the evaluator's depth count at the same node, or one more (a value
//   is always counted as a list item); the reader gives up where the evaluator could reach
//   kMaxNestingDepth, so it accepts nothing the evaluator would refuse.
// - A value is built in a Value of its own and then stored. The evaluator instead evaluates a lone
//   value straight into its destination, which is new (Undef) except for a call's arguments (an empty
//   Vector). The two differ only for a value that writes nothing into its destination (an empty
//   block, set() of no string): `wrote` carries that, and such a value leaves the destination as is.
#include "config/literal_loader.h"

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
            if (!statement(store, depth) || !skipSpace() || !take(u';')) return false;
        }
    }

private:
    struct Step {
        Value key;
        bool append;  // [] : a new element at the end
    };

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
        while (p_ < end_) {
            const char16_t c = unit(*p_);
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                ++p_;
                continue;
            }
            if (c != u'/' || end_ - p_ < 2) return true;
            const char16_t next = unit(p_[1]);
            if (next == u'/') {
                p_ += 2;
                while (p_ < end_ && unit(*p_) != u'\n') ++p_;
            } else if (next == u'*') {
                p_ += 2;
                while (!(end_ - p_ >= 2 && unit(p_[0]) == u'*' && unit(p_[1]) == u'/')) {
                    if (p_ == end_) return false;
                    ++p_;
                }
                p_ += 2;
            } else {
                return true;
            }
        }
        return true;
    }

    // An assignment of a value to a path, run on `scope` at evaluator depth `depth`.
    bool statement(Value& scope, std::uint32_t depth) {
        if (depth + 1 >= kMaxNestingDepth) return false;  // the value and the keys one level down
        const std::size_t base = steps_.size();
        do {
            if (!take(u'[') || !skipSpace()) return false;
            if (take(u']')) {
                steps_.push_back({Value(), true});
            } else {
                Value key;
                if (!keyLiteral(key) || !skipSpace() || !take(u']')) return false;
                steps_.push_back({std::move(key), false});
            }
            if (!skipSpace()) return false;
        } while (peek() == u'[');
        if (!take(u'=') || peek() == u'=') return false;
        if (!skipSpace()) return false;
        Value value;
        if (!expression(value, depth + 1)) return false;
        Value* slot = &scope;
        for (std::size_t s = base; s < steps_.size(); ++s) {
            slot = steps_[s].append ? &slot->element(slot->size()) : &slot->entryAt(steps_[s].key);
            if (slot->isScratchSlot()) return false;  // the evaluator reports the index
        }
        steps_.resize(base);
        *slot = std::move(value);
        return true;
    }

    bool keyLiteral(Value& key) {
        const char16_t c = peek();
        if (c == u'\'' || c == u'"') {
            if (!string()) return false;
            strings_.value(buffer_, key);
            return true;
        }
        return isDigit(c) && number(key) && key.isInteger();
    }

    // A value or a comma list of values, into `result` (new, or a call's empty argument Vector).
    bool expression(Value& result, std::uint32_t depth) {
        Value item;
        bool wrote;
        if (!primary(item, depth + 1, wrote) || !skipSpace()) return false;
        if (peek() != u',') {
            if (wrote) result = std::move(item);
            return true;
        }
        // A list: its items wait on a stack, so that the Vector is allocated once, at its size.
        const std::size_t base = items_.size();
        items_.push_back(std::move(item));
        while (take(u',')) {
            Value next;
            if (!skipSpace() || !primary(next, depth + 1, wrote) || !skipSpace()) return false;
            items_.push_back(std::move(next));
        }
        const std::size_t n = items_.size() - base;
        if (n > Value::kMaxVectorSize) return false;  // the evaluator drops what lies past the bound
        result.resize(static_cast<std::uint32_t>(n));
        for (std::size_t i = 0; i < n; ++i) result.element(static_cast<std::uint32_t>(i)) = std::move(items_[base + i]);
        items_.resize(base);
        return true;
    }

    // One value into the new `result`; `wrote` is cleared when it leaves `result` untouched.
    bool primary(Value& result, std::uint32_t depth, bool& wrote) {
        if (depth >= kMaxNestingDepth) return false;
        wrote = true;
        const char16_t c = peek();
        if (c == u'\'' || c == u'"') {
            if (!string()) return false;
            strings_.value(buffer_, result);
            return true;
        }
        if (isDigit(c)) return number(result);
        if (c == u'-') {
            ++p_;
            if (!skipSpace() || !isDigit(peek()) || depth + 1 >= kMaxNestingDepth || !number(result)) return false;
            const OperatorFunction negate =
                findOperatorFunction(NodeKind::UnaryMinus, operandType(result), OperandType::None);
            if (!negate) return false;
            negate(result, Value());
            return true;
        }
        if (c == u'{') {
            ++p_;
            return block(result, depth, wrote);
        }
        if (isLetter(c) || c == u'_') return word(result, depth, wrote);
        return false;
    }

    // The statements of { }, run on `result` one level down.
    bool block(Value& result, std::uint32_t depth, bool& wrote) {
        wrote = false;
        for (;;) {
            if (!skipSpace()) return false;
            if (take(u'}')) return true;
            if (!statement(result, depth + 1) || !skipSpace() || !take(u';')) return false;
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
            if (!expression(args, depth + 1) || !skipSpace() || !take(u')')) return false;
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
        while (isDigit(peek())) acc = acc * 10 + static_cast<std::uint32_t>(unit(*p_++) - u'0');
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
        digits_.assign(start, p_);  // ASCII only, as read above
        result.setFloat(parseFloat(digits_));
        return true;
    }

    // A string literal, or a run of them that the scanner would merge, into buffer_.
    bool string() {
        buffer_.clear();
        do {
            if (!(take(u'\'') ? rawString() : take(u'"') && escapedString()) || !skipSpace()) return false;
        } while (peek() == u'\'' || peek() == u'"');
        return true;
    }

    bool rawString() {
        const C* run = p_;
        while (p_ < end_ && unit(*p_) >= 0x20 && unit(*p_) != u'\'') ++p_;
        append(run, p_);
        return take(u'\'');  // else a control character or the end
    }

    bool escapedString() {
        for (;;) {
            const C* run = p_;
            while (p_ < end_ && unit(*p_) >= 0x20 && unit(*p_) != u'"' && unit(*p_) != u'\\') ++p_;
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
    std::vector<Step> steps_;  // keys of the paths being read, innermost statement's on top
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
