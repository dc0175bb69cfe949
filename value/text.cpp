// Latin-1/UTF-8 conversions, the atof reading and the 16-bit printf formatter.
//
// Invariants: no function here consults the C locale (numbers go through <charconv>), none fails,
// and every output grows as needed, so no text is ever cut short.
#include "value/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane {

std::u16string widen(std::string_view latin1) {
    std::u16string out(latin1.size(), u'\0');
    for (std::size_t i = 0; i < latin1.size(); ++i) out[i] = static_cast<unsigned char>(latin1[i]);
    return out;
}

std::string narrow(std::u16string_view text) {
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = text[i] < 256 ? static_cast<char>(text[i]) : '?';
    return out;
}

namespace {

// Encodes every unit of text at `p`, which has room for all of them; returns the end.
char* encodeUtf8(std::u16string_view text, char* p) {
    for (char16_t c : text) {
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return p;
}

}  // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    appendUtf8(out, text);
    return out;
}

void appendUtf8(std::string& out, std::u16string_view text) {
    // Printing large files converts megabytes, nearly always of ASCII. So the text goes through in
    // blocks that are narrowed whole and checked afterwards, which needs no branch per unit; at
    // the first block holding other units the rest is sized in one pass and encoded unit by unit.
    constexpr std::size_t kBlock = 2048;
    char block[kBlock];
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t n = std::min(kBlock, text.size() - i);
        const char16_t* units = text.data() + i;
        char16_t seen = 0;
        for (std::size_t k = 0; k < n; ++k) {
            seen |= units[k];
            block[k] = static_cast<char>(units[k]);
        }
        if (seen >= 0x80) break;
        out.append(block, n);
        i += n;
    }
    if (i == text.size()) return;
    const std::u16string_view rest = text.substr(i);
    std::size_t bytes = rest.size();
    for (char16_t c : rest) bytes += (c >= 0x80) + (c >= 0x800);
    const std::size_t at = out.size();
    out.resize(at + bytes);
    encodeUtf8(rest, out.data() + at);
}

std::u16string fromUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::size_t extra;
        std::uint32_t cp;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            ++i;  // stray continuation byte or an impossible lead: skip it
            continue;
        }
        if (n - i <= extra) {  // cut off by the end of the data
            ++i;
            continue;
        }
        bool wellFormed = true;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) {
                wellFormed = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        if (!wellFormed) {
            ++i;
            continue;
        }
        out += cp >= 0x10000 ? u'?' : static_cast<char16_t>(cp);
        i += extra + 1;
    }
    return out;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view s, std::string_view word) {
    if (s.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(s[i]) != word[i]) return false;
    return true;
}

// Reads the longest decimal floating prefix of s into canonical form (with 'e' for any exponent mark).
// Returns false when s does not begin with a number.
bool decimalPrefix(std::string_view s, std::string& canon) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) canon += s[i++], ++digits;
    if (i < s.size() && s[i] == '.') {
        canon += s[i++];
        while (i < s.size() && isDigit(s[i])) canon += s[i++], ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) exponent += s[j++];
            canon += exponent;
        }
    }
    return true;
}

}  // namespace

double parseFloat(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::string_view rest = text.substr(i);

    double value = 0.0;
    if (startsWithNoCase(rest, "inf")) {
        value = std::numeric_limits<double>::infinity();
    } else if (startsWithNoCase(rest, "nan")) {
        value = std::numeric_limits<double>::quiet_NaN();
    } else if (rest.size() > 2 && rest[0] == '0' && lower(rest[1]) == 'x' &&
               (isHexDigit(rest[2]) || (rest[2] == '.' && rest.size() > 3 && isHexDigit(rest[3])))) {
        std::from_chars(rest.data() + 2, rest.data() + rest.size(), value, std::chars_format::hex);
    } else {
        std::string canon;
        if (!decimalPrefix(rest, canon)) return 0.0;
        auto [end, ec] = std::from_chars(canon.data(), canon.data() + canon.size(), value);
        if (ec == std::errc::result_out_of_range) {
            // atof answers HUGE_VAL on overflow and (nearly) zero on underflow.
            const auto e = canon.find('e');
            const bool tiny = e != std::string::npos && canon[e + 1] == '-';
            value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        }
        (void)end;
    }
    return negative ? -value : value;
}

// ---- FormatArg ---------------------------------------------------------------------------------

long long FormatArg::asInt() const {
    switch (type_) {
    case Type::Int: return int_;
    case Type::Unsigned:
    case Type::Char: return static_cast<long long>(uint_);
    case Type::Double: return static_cast<long long>(double_);
    case Type::Pointer: return static_cast<long long>(reinterpret_cast<std::uintptr_t>(ptr_));
    default: return 0;
    }
}

unsigned long long FormatArg::asUnsigned() const {
    return type_ == Type::Unsigned || type_ == Type::Char ? uint_ : static_cast<unsigned long long>(asInt());
}

double FormatArg::asDouble() const {
    switch (type_) {
    case Type::Double: return double_;
    case Type::Int: return static_cast<double>(int_);
    case Type::Unsigned:
    case Type::Char: return static_cast<double>(uint_);
    default: return 0.0;
    }
}

void FormatArg::appendText(std::u16string& out) const {
    switch (type_) {
    case Type::Narrow:
        for (char c : narrow_) out += static_cast<char16_t>(static_cast<unsigned char>(c));
        break;
    case Type::Wide: out += wide_; break;
    case Type::Char: out += static_cast<char16_t>(uint_); break;
    case Type::Double: formatTo(out, u"%g", {*this}); break;
    case Type::Pointer: formatTo(out, u"%p", {*this}); break;
    default: formatTo(out, u"%d", {*this}); break;
    }
}

// ---- formatTo ----------------------------------------------------------------------------------

namespace {

struct Spec {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = 0;
    int precision = -1;
};

void appendAscii(std::u16string& out, std::string_view s) {
    for (char c : s) out += static_cast<char16_t>(static_cast<unsigned char>(c));
}

// Pads `sign + prefix + body` to the width; zero padding goes between the prefix and the body.
void emit(std::u16string& out, const Spec& spec, std::string_view sign, std::string_view body,
          bool zeroAllowed) {
    const int len = static_cast<int>(sign.size() + body.size());
    const int pad = spec.width > len ? spec.width - len : 0;
    if (spec.left) {
        appendAscii(out, sign);
        appendAscii(out, body);
        out.append(static_cast<std::size_t>(pad), u' ');
    } else if (spec.zero && zeroAllowed) {
        appendAscii(out, sign);
        out.append(static_cast<std::size_t>(pad), u'0');
        appendAscii(out, body);
    } else {
        out.append(static_cast<std::size_t>(pad), u' ');
        appendAscii(out, sign);
        appendAscii(out, body);
    }
}

void emitText(std::u16string& out, const Spec& spec, std::u16string_view text) {
    if (spec.precision >= 0 && text.size() > static_cast<std::size_t>(spec.precision))
        text = text.substr(0, static_cast<std::size_t>(spec.precision));
    const std::size_t pad = spec.width > static_cast<int>(text.size()) ? spec.width - text.size() : 0;
    if (!spec.left) out.append(pad, u' ');
    out += text;
    if (spec.left) out.append(pad, u' ');
}

void emitInteger(std::u16string& out, const Spec& spec, char conv, const FormatArg& arg) {
    char buf[80];
    std::string sign;
    std::string body;
    if (conv == 'd' || conv == 'i') {
        const long long v = arg.asInt();
        const unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v)
                                             : static_cast<unsigned long long>(v);
        if (v < 0) sign = "-";
        else if (spec.plus) sign = "+";
        else if (spec.space) sign = " ";
        body.assign(buf, std::to_chars(buf, buf + sizeof buf, mag).ptr);
    } else {
        unsigned long long v = arg.asUnsigned();
        // A plain int argument prints as the 32-bit pattern, as C's %x and %u do.
        if (arg.type() == FormatArg::Type::Int && arg.asInt() >= INT32_MIN && arg.asInt() <= INT32_MAX)
            v = static_cast<std::uint32_t>(arg.asInt());
        const int base = conv == 'u' ? 10 : 16;
        body.assign(buf, std::to_chars(buf, buf + sizeof buf, v, base).ptr);
        if (conv == 'X')
            for (char& c : body) c = c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
        if (spec.alt && v != 0 && base == 16) sign = conv == 'X' ? "0X" : "0x";
    }
    if (spec.precision >= 0) {
        if (spec.precision == 0 && body == "0") body.clear();
        if (static_cast<int>(body.size()) < spec.precision)
            body.insert(0, static_cast<std::size_t>(spec.precision) - body.size(), '0');
    }
    emit(out, spec, sign, body, spec.precision < 0);
}

void emitFloat(std::u16string& out, const Spec& spec, char conv, double v) {
    std::string sign;
    if (std::signbit(v)) {
        sign = "-";
        v = -v;
    } else if (spec.plus) {
        sign = "+";
    } else if (spec.space) {
        sign = " ";
    }
    char buf[400];
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    std::to_chars_result r{};
    if (v != v) {
        r.ptr = std::strcpy(buf, "nan") + 3;
    } else if (v == std::numeric_limits<double>::infinity()) {
        r.ptr = std::strcpy(buf, "inf") + 3;
    } else {
        const auto fmt = conv == 'f' ? std::chars_format::fixed
                         : conv == 'e' ? std::chars_format::scientific
                                       : std::chars_format::general;
        r = std::to_chars(buf, buf + sizeof buf, v, fmt, conv == 'g' && precision == 0 ? 1 : precision);
        if (r.ec != std::errc()) {  // a fixed-point form wider than the buffer
            std::string big(512 + 400, '\0');
            auto wide = std::to_chars(big.data(), big.data() + big.size(), v, fmt, precision);
            big.resize(static_cast<std::size_t>(wide.ptr - big.data()));
            emit(out, spec, sign, big, true);
            return;
        }
    }
    const bool finite = v == v && v != std::numeric_limits<double>::infinity();
    emit(out, spec, sign, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), finite);
}

void emitPointer(std::u16string& out, const Spec& spec, const void* p) {
    char buf[2 * sizeof(void*) + 1];
    const auto bits = reinterpret_cast<std::uintptr_t>(p);
    for (std::size_t i = 0; i < 2 * sizeof(void*); ++i) {
        const unsigned nibble = (bits >> (4 * (2 * sizeof(void*) - 1 - i))) & 0xF;
        buf[i] = "0123456789ABCDEF"[nibble];
    }
    emit(out, spec, "", std::string_view(buf, 2 * sizeof(void*)), false);
}

}  // namespace

void formatTo(std::u16string& out, std::u16string_view fmt, std::initializer_list<FormatArg> args) {
    const FormatArg* next = args.begin();
    std::size_t i = 0;
    while (i < fmt.size()) {
        const char16_t c = fmt[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (i < fmt.size() && fmt[i] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        Spec spec;
        for (; i < fmt.size(); ++i) {
            const char16_t f = fmt[i];
            if (f == u'-') spec.left = true;
            else if (f == u'+') spec.plus = true;
            else if (f == u' ') spec.space = true;
            else if (f == u'0') spec.zero = true;
            else if (f == u'#') spec.alt = true;
            else break;
        }
        for (; i < fmt.size() && fmt[i] >= u'0' && fmt[i] <= u'9'; ++i)
            spec.width = spec.width < 100000 ? spec.width * 10 + (fmt[i] - u'0') : spec.width;
        if (i < fmt.size() && fmt[i] == u'.') {
            spec.precision = 0;
            for (++i; i < fmt.size() && fmt[i] >= u'0' && fmt[i] <= u'9'; ++i)
                spec.precision = spec.precision < 100000 ? spec.precision * 10 + (fmt[i] - u'0') : spec.precision;
        }
        while (i < fmt.size() && (fmt[i] == u'l' || fmt[i] == u'h' || fmt[i] == u'z')) ++i;
        if (i >= fmt.size() || next == args.end()) {
            out.append(fmt.substr(start, (i < fmt.size() ? i + 1 : i) - start));
            i = i < fmt.size() ? i + 1 : i;
            continue;
        }
        const char16_t conv = fmt[i++];
        const FormatArg& arg = *next;
        switch (conv) {
        case u'd': case u'i': case u'u': case u'x': case u'X':
            emitInteger(out, spec, static_cast<char>(conv), arg);
            break;
        case u'g': case u'e': case u'f':
            emitFloat(out, spec, static_cast<char>(conv), arg.asDouble());
            break;
        case u'c': {
            const char16_t ch = static_cast<char16_t>(arg.asUnsigned());
            emitText(out, Spec{spec.left, false, false, false, false, spec.width, -1},
                     std::u16string_view(&ch, 1));
            break;
        }
        case u's': {
            std::u16string text;
            arg.appendText(text);
            emitText(out, spec, text);
            break;
        }
        case u'p':
            emitPointer(out, spec, arg.asPointer());
            break;
        default:  // unknown conversion: keep it visible rather than guess
            out.append(fmt.substr(start, i - start));
            continue;
        }
        ++next;
    }
}

}  // namespace orvane
