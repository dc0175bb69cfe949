// 16-bit text helpers shared by every layer.
//
// Text inside the system is UTF-16 code units in std::u16string; 8-bit text is bytes in std::string.
// Widening and narrowing follow the Latin-1 rule (no code page): a byte becomes the code of the same
// value, a unit of 256 or more narrows to '?'. Nothing here depends on the C locale.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orvane {

std::u16string widen(std::string_view latin1);        // each byte -> the unit of the same value
std::string narrow(std::u16string_view text);          // units >= 256 -> '?'
std::string toUtf8(std::u16string_view text);          // each unit on its own, no surrogate pairing
void appendUtf8(std::string& out, std::u16string_view text);  // toUtf8(text), appended to out
std::u16string fromUtf8(std::string_view bytes);       // malformed bytes skipped, >= U+10000 -> '?'

// The C library's atof on the "C" rules, which also takes 'd'/'D' as the exponent marker:
// leading white space, an optional sign, then the longest prefix that reads as a number; 0.0 if none.
double parseFloat(std::string_view text);

// One argument of format(): its type, not the conversion letter, decides how it is read.
class FormatArg {
public:
    enum class Type : std::uint8_t { Int, Unsigned, Double, Narrow, Wide, Char, Pointer };

    FormatArg(int v) : type_(Type::Int), int_(v) {}
    FormatArg(long v) : type_(Type::Int), int_(v) {}
    FormatArg(long long v) : type_(Type::Int), int_(v) {}
    FormatArg(unsigned v) : type_(Type::Unsigned), uint_(v) {}
    FormatArg(unsigned long v) : type_(Type::Unsigned), uint_(v) {}
    FormatArg(unsigned long long v) : type_(Type::Unsigned), uint_(v) {}
    FormatArg(double v) : type_(Type::Double), double_(v) {}
    FormatArg(char16_t c) : type_(Type::Char), uint_(c) {}
    FormatArg(std::string_view s) : type_(Type::Narrow), narrow_(s) {}
    FormatArg(const char* s) : type_(Type::Narrow), narrow_(s ? s : "") {}
    FormatArg(const std::string& s) : type_(Type::Narrow), narrow_(s) {}
    FormatArg(std::u16string_view s) : type_(Type::Wide), wide_(s) {}
    FormatArg(const char16_t* s) : type_(Type::Wide), wide_(s ? s : u"") {}
    FormatArg(const std::u16string& s) : type_(Type::Wide), wide_(s) {}
    FormatArg(const void* p) : type_(Type::Pointer), ptr_(p) {}

    Type type() const { return type_; }
    long long asInt() const;           // numbers and characters as a signed value
    unsigned long long asUnsigned() const;
    double asDouble() const;
    const void* asPointer() const { return type_ == Type::Pointer ? ptr_ : nullptr; }
    void appendText(std::u16string& out) const;   // strings as text, anything else as its %d/%g form

private:
    Type type_;
    union {
        long long int_;
        unsigned long long uint_;
        double double_;
        const void* ptr_;
    };
    std::string_view narrow_;
    std::u16string_view wide_;
};

// printf-style formatting into 16-bit text. Conversions: %d %i %u %x %X %c %s %ls %g %e %f %p %%,
// with flags "-+ 0#", a width and a precision ('*' is not supported). %s and %ls take either string
// kind. A conversion without a matching argument, or an unknown one, is copied as it stands.
// %p prints the address as upper-case hex, two digits per byte of a pointer, as the host platform does.
void formatTo(std::u16string& out, std::u16string_view fmt, std::initializer_list<FormatArg> args);

inline std::u16string formatText(std::u16string_view fmt, std::initializer_list<FormatArg> args) {
    std::u16string out;
    formatTo(out, fmt, args);
    return out;
}

template <class... Args>
std::u16string format(std::u16string_view fmt, const Args&... args) {
    return formatText(fmt, {FormatArg(args)...});
}

}  // namespace orvane
