#include "value/text.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane;

TEST(Latin1, WidenTakesEachByteAsItsCodeAndNarrowFoldsAbove255) {
    EXPECT_EQ(widen(std::string("A\xE9\xFF\0b", 5)), (std::u16string{u'A', 0xE9, 0xFF, 0, u'b'}));
    EXPECT_EQ(narrow(u"A\u00E9\u20AC\u0100"), "A\xE9??");
}

TEST(Utf8, EncodesEachUnitOnItsOwnAndDecodeSkipsMalformedBytes) {
    EXPECT_EQ(toUtf8(u"A\u00E9\u20AC"), "A\xC3\xA9\xE2\x82\xAC");
    // A surrogate pair is two three-byte sequences, not one four-byte one.
    EXPECT_EQ(toUtf8(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");
    struct Row { const char* name; std::string in; std::u16string out; };
    const Row rows[] = {
        {"valid", "a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"}, {"four byte becomes ?", "\xF0\x9F\x98\x80", u"?"},
        {"stray continuation", "a\x80z", u"az"},             {"bad continuation", "\xC3(x", u"(x"},
        {"cut off at end", "ab\xE2\x82", u"ab"},             {"impossible lead", "\xFFq", u"q"},
    };
    for (const Row& r : rows) EXPECT_EQ(fromUtf8(r.in), r.out) << r.name;
}

TEST(ParseFloat, ReadsLikeAtofAndTakesDAsExponent) {
    struct Row { const char* in; double out; };
    const Row rows[] = {
        {" \t\n-2.5e2", -250.0}, {"1.5d3", 1500.0}, {"1.5D-1", 0.15}, {"+7xyz", 7.0}, {"abc", 0.0}, {"-", 0.0},
        {"1e+", 1.0}, {".5", 0.5}, {"5.", 5.0}, {"0x10", 16.0}, {"0x", 0.0}, {"1e999", INFINITY}, {"1e-999", 0.0},
    };
    for (const Row& r : rows) EXPECT_EQ(parseFloat(r.in), r.out) << r.in;
    EXPECT_TRUE(std::isnan(parseFloat("nan")));
    EXPECT_EQ(parseFloat("-inf"), -INFINITY);
}

TEST(Format, ConversionsUsedByTheSystem) {
    struct Row { const char* name; std::u16string got; std::u16string want; };
    const Row rows[] = {
        {"location", format(u"%ls (%d:%d): ", u"Scanning Error", 3, 7), u"Scanning Error (3:7): "},
        {"hex byte", format(u"0x%02X", 0x23), u"0x23"}, {"hex wide", format(u"0x%02X", 0x20AC), u"0x20AC"},
        {"char", format(u"'%c'", char16_t(u'\t')), u"'\t'"},
        {"narrow %s", format(u"%s\\plugin_%s.cfg", "C:\\data", std::string("ICQ")), u"C:\\data\\plugin_ICQ.cfg"},
        {"wide %s", format(u"pam_mode is now %s", u"match"), u"pam_mode is now match"},
        {"negative", format(u"%d", -2147483647 - 1), u"-2147483648"},
        {"hex of negative", format(u"%X", -1), u"FFFFFFFF"},
        {"g small", format(u"%g", 0.0001), u"0.0001"}, {"g exp", format(u"%g", 1e20), u"1e+20"},
        {"g frac", format(u"%g", 1.0 / 3), u"0.333333"}, {"g neg zero", format(u"%g", -0.0), u"-0"},
        {"g inf", format(u"%g", INFINITY), u"inf"}, {"percent", format(u"100%%"), u"100%"},
        {"width", format(u"[%5d|%-4d|%05d]", 42, 7, -3), u"[   42|7   |-0003]"},
        {"missing arg kept", format(u"%d and %d", 1), u"1 and %d"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.got, r.want) << r.name;
}

TEST(Format, PointerIsFixedWidthUpperHex) {
    const std::u16string p = format(u"%p", reinterpret_cast<const void*>(std::uintptr_t{0xABC}));
    EXPECT_EQ(p.size(), 2 * sizeof(void*));
    EXPECT_EQ(p.substr(p.size() - 4), u"0ABC");
    EXPECT_EQ(format(u"%p", static_cast<const void*>(nullptr)), std::u16string(2 * sizeof(void*), u'0'));
}
