// Hostile text: huge inputs, broken encodings, NULs, control characters in every string form and
// integer literals far past 32 bits. Each case ends in a store or in one worded error.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "config/text_file.h"
#include "tests/hostile/hostile_support.h"
#include "value/text.h"

namespace orvane::hostile {
namespace {

TEST(HostileSize, HugeFileOfStatementsLoadsWhole) {
    const std::u16string line = u"['k'][] = '" + std::u16string(990, u'x') + u"';\n";
    const std::size_t lines = kBigInput / line.size();
    const Outcome r = load(repeat(line, lines));
    ASSERT_TRUE(r.ok) << narrow(r.error);
    const Value& k = r.store.findByName("k");
    ASSERT_EQ(k.size(), lines);
    EXPECT_EQ(k.at(static_cast<std::uint32_t>(lines - 1)).toNarrowString(), std::string(990, 'x'));
}

TEST(HostileSize, HugeCommentThenErrorKeepsTheLineCount) {
    // One line per 100 units, then a stray character: its line number must count every line.
    const std::size_t lines = kBigInput / 100;
    const std::u16string text = u"/*" + repeat(std::u16string(99, u' ') + u"\n", lines) + u"*/ #";
    const Outcome r = load(text);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(narrow(r.error), "Scanning Error (" + std::to_string(lines + 1) + ":4): Invalid character 0x23");
}

TEST(HostileSize, TenMegabyteLines) {
    const std::size_t terms = kLongLine / 2;
    const Outcome vector = load(u"['v'] = " + repeat(u"7,", terms) + u"7;");
    ASSERT_TRUE(vector.ok) << narrow(vector.error);
    EXPECT_EQ(vector.store.findByName("v").size(), terms + 1);
    EXPECT_EQ(vector.store.findByName("v").at(static_cast<std::uint32_t>(terms)).toInteger(), 7);

    const Outcome sum = load(u"['n'] = " + repeat(u"1+", terms) + u"1;");
    ASSERT_TRUE(sum.ok) << narrow(sum.error);
    EXPECT_EQ(sum.store.findByName("n").toInteger(), static_cast<std::int32_t>(terms + 1));

    const Outcome string = load(u"['s'] = '" + std::u16string(kLongLine, u'\xE9') + u"';");
    ASSERT_TRUE(string.ok) << narrow(string.error);
    EXPECT_EQ(string.store.findByName("s").toWideString().size(), kLongLine);

    // An error at the far end of the line names its column.
    const Outcome late = load(u"['s'] = '" + std::u16string(kLongLine, u'x') + u"\t';");
    EXPECT_EQ(narrow(late.error),
              "Scanning Error (1:" + std::to_string(kLongLine + 10) + "): String1: Invalid character 0x09 '\t'");
}

TEST(HostileEncoding, BrokenBytesDecodeAndLoad) {
    struct Row { const char* name; config::TextEncoding encoding; std::string bytes; std::u16string text; };
    using config::TextEncoding;
    const Row rows[] = {
        {"utf8 stray continuation and cut sequences are skipped", TextEncoding::Utf8,
         "['a'] = '\x80x\xC3\xE2\x82y\xF0\x9F';", u"['a'] = 'xy';"},
        {"invalid utf8 without a mark is read as Latin-1", TextEncoding::Auto,
         "['a'] = '\xC3(\xFF';", u"['a'] = '\u00C3(\u00FF';"},
        {"odd utf16be drops its last byte", TextEncoding::Auto,
         std::string("\xFE\xFF\0'\0a\0'\0", 9), u"'a'"},
        {"a lone mark is empty text", TextEncoding::Auto, "\xEF\xBB\xBF", u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        config::TextFileBuffer file;
        file.encoding = row.encoding;
        file.decode(row.bytes);
        EXPECT_EQ(file.text, row.text);
        const Outcome r = load(file.text);
        EXPECT_TRUE(r.ok) << narrow(r.error);
    }
}

TEST(HostileEncoding, UnpairedSurrogatesAndNonCharactersInStrings) {
    const std::u16string text = u"['s'] = '\xD800\xDFFF\xFFFE\xFFFF' q{\xDC00};";
    const Outcome r = load(text);
    ASSERT_TRUE(r.ok) << narrow(r.error);
    EXPECT_EQ(r.store.findByName("s").toWideString(), u"\xD800\xDFFF\xFFFE\xFFFF\xDC00");
    // Outside a string the same units are stray characters.
    EXPECT_EQ(narrow(load(u"\xD800").error), "Scanning Error (1:1): Invalid character 0xD800");
}

TEST(HostileNul, NulBytesEverywhere) {
    const std::u16string nul(1, u'\0');
    struct Row { const char* name; std::u16string text, value; };
    const Row rows[] = {
        {"nul inside a quoted block is kept", u"['s'] = q{a" + nul + u"b};", u"a" + nul + u"b"},
        {"nul as a quoted block's delimiter", u"['s'] = q" + nul + u"ab" + nul + u";", u"ab"},
        {"escaped nul", u"['s'] = \"a\\0b\\x00\";", u"a" + nul + u"b" + nul},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome r = load(row.text);
        ASSERT_TRUE(r.ok) << narrow(r.error);
        EXPECT_EQ(r.store.findByName("s").toWideString(), row.value);
    }
}

// Every control character in every string form: raw and escaped strings refuse them with a located
// message (a line break is "Missing ..." and counts as a new line), quoted blocks keep them.
TEST(HostileControl, EveryControlCharacterInEveryStringForm) {
    for (char16_t c = 0; c < 0x20; ++c) {
        SCOPED_TRACE(static_cast<int>(c));
        const std::u16string cs(1, c);
        const bool lineFeed = c == u'\n', lineEnd = c == u'\n' || c == u'\r';
        // An error raised at a line feed names the next line and the column the feed had.
        const auto at = [&](int column) {
            return format(u"Scanning Error (%d:%d): ", lineFeed ? 2 : 1, column);
        };
        const std::u16string quoted = format(u"0x%02X '%ls'", static_cast<int>(c), cs);

        EXPECT_EQ(load(u"['s'] = '" + cs + u"';").error,
                  at(10) + (lineEnd ? u"Missing ' at end of line" : u"String1: Invalid character " + quoted));
        EXPECT_EQ(load(u"['s'] = \"" + cs + u"\";").error,
                  at(10) + (lineEnd ? u"Missing \" at end of line" : u"String2: Invalid character " + quoted));
        EXPECT_EQ(load(u"['s'] = \"\\" + cs + u"\";").error,
                  at(11) + u"String2Backspace: Invalid character " + quoted);
        EXPECT_EQ(load(u"['s'] = \"\\x4" + cs + u"\";").error,
                  at(13) + u"String2: \\x: Invalid character " + quoted);

        const Outcome block = load(u"['s'] = q{" + cs + u"};");
        ASSERT_TRUE(block.ok) << narrow(block.error);
        EXPECT_EQ(block.store.findByName("s").toWideString(), cs);
        const Outcome delimited = load(u"['s'] = q" + cs + u"x" + cs + u";");
        ASSERT_TRUE(delimited.ok) << narrow(delimited.error);
        EXPECT_EQ(delimited.store.findByName("s").toWideString(), u"x");
    }
}

// The value of a decimal literal taken modulo 2^32, computed digit by digit.
std::int32_t wrapped(std::string_view digits, unsigned base) {
    std::uint32_t v = 0;
    for (char d : digits) v = v * base + static_cast<std::uint32_t>(d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
    return static_cast<std::int32_t>(v);
}

TEST(HostileNumbers, LiteralsFarPastThirtyTwoBitsWrap) {
    const std::string longDecimal = std::string(100'000, '9');
    struct Row { const char* name; std::string literal; std::int32_t value; };
    const Row rows[] = {
        {"100000 nines", longDecimal, wrapped(longDecimal, 10)},
        {"hex past 2^32 keeps the low bits", "0x123456789ABCDEF0", wrapped("9ABCDEF0", 16)},
        {"100 binary ones", "0b" + std::string(100, '1'), -1},
        {"negated 2^31 + 1", "-2147483649", 2147483647},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome r = load(widen("['n'] = " + row.literal + ";"));
        ASSERT_TRUE(r.ok) << narrow(r.error);
        EXPECT_EQ(r.store.findByName("n").toInteger(), row.value);
    }
    // A float exponent past double's range is infinity, not a failure.
    const Outcome huge = load(u"['f'] = 1.0e99999;");
    ASSERT_TRUE(huge.ok) << narrow(huge.error);
    EXPECT_EQ(huge.store.findByName("f").toFloat(), std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace orvane::hostile
