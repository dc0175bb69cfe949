// A small test harness for the programs that run under Windows (or Wine), where the Linux test
// framework is not built. Each failed check prints its place and what it was given; main() ends with
// "N passed, N failed" and exits non-zero when anything failed.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orvane::wintest {

struct Tally {
    int passed = 0;
    int failed = 0;
};

inline Tally& tally() {
    static Tally t;
    return t;
}

inline bool record(bool ok, const char* file, int line, const std::string& what) {
    if (ok) {
        ++tally().passed;
    } else {
        ++tally().failed;
        std::printf("%s:%d: FAILED: %s\n", file, line, what.c_str());
    }
    return ok;
}

inline std::string show(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}
inline std::string show(const std::u16string& text) { return show(std::u16string_view(text)); }
inline std::string show(const std::string& text) { return text; }
inline std::string show(const char* text) { return text ? text : "(null)"; }
template <class T>
std::string show(const T& value) {
    return std::to_string(value);
}

inline int finish() {
    std::printf("%d passed, %d failed\n", tally().passed, tally().failed);
    return tally().failed == 0 ? 0 : 1;
}

}  // namespace orvane::wintest

#define WCHECK(cond, context) \
    ::orvane::wintest::record((cond), __FILE__, __LINE__, std::string(#cond " [") + (context) + "]")

#define WCHECK_EQ(actual, expected, context)                                                     \
    [&] {                                                                                        \
        const auto& a_ = (actual);                                                               \
        const auto& e_ = (expected);                                                             \
        return ::orvane::wintest::record(a_ == e_, __FILE__, __LINE__,                           \
                                         std::string(context) + ": " #actual " is '" +           \
                                             ::orvane::wintest::show(a_) + "', expected '" +     \
                                             ::orvane::wintest::show(e_) + "'");                 \
    }()
