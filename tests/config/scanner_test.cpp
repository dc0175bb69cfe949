#include "config/scanner.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "value/text.h"

using namespace orvane;
using namespace orvane::config;

namespace {

// The symbol of every kind, by code; String, Integer, Float and Keyword are described by their value.
const char* const kSymbols[kTokenKindCount] = {
    "", "", "", "", "{", "}", "[", "]", "(", ")", "!", "~", "+", "-", "*", "/", "%", "<<", ">>",
    "<", "<=", ">", ">=", "==", "!=", "&", "^", "|", "&&", "||", ",", "=", "+=", "-=", "*=", "/=",
    "%=", "&=", "^=", "|=", "<<=", ">>=", ";",
};

// Control characters as \xHH and units above ASCII as \u{HHHH}, so that a failure message is readable.
std::string visible(std::u16string_view text) {
    std::string out;
    char buf[16];
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, c < 0x20 ? "\\x%02X" : "\\u{%04X}", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

// One line per token list: `kind-or-value@line:column`, separated by spaces.
std::string describe(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& t : tokens) {
        if (!out.empty()) out += ' ';
        if (t.kind == TokenKind::String) out += '"' + visible(t.text) + '"';
        else if (t.kind == TokenKind::Integer) out += "int:" + std::to_string(t.intValue);
        else if (t.kind == TokenKind::Float) out += narrow(format(u"float:%g", t.floatValue));
        else if (t.kind == TokenKind::Keyword) out += "kw:" + visible(t.text);
        else out += kSymbols[static_cast<std::uint32_t>(t.kind)];
        out += '@' + std::to_string(t.pos.line) + ':' + std::to_string(t.pos.column);
    }
    return out;
}

struct Row {
    const char* name;
    std::u16string_view in;
    std::string out;  // the tokens, or the error after a failed scan
};

void expectScans(std::initializer_list<Row> rows) {
    for (const Row& r : rows) {
        std::u16string error;
        std::vector<Token> tokens;
        EXPECT_EQ(scanText(error, tokens, r.in) ? describe(tokens) : visible(error), r.out) << r.name;
    }
}

}  // namespace

TEST(ScannerKinds, EveryOperatorHasItsContractCode) {
    for (std::uint32_t code = 4; code < kTokenKindCount; ++code) {
        std::u16string error;
        std::vector<Token> tokens;
        ASSERT_TRUE(scanText(error, tokens, widen(kSymbols[code]))) << kSymbols[code];
        ASSERT_EQ(tokens.size(), 1u) << kSymbols[code];
        EXPECT_EQ(static_cast<std::uint32_t>(tokens[0].kind), code) << kSymbols[code];
        EXPECT_EQ(tokens[0].text, u"") << kSymbols[code];
    }
}

TEST(Scanner, OperatorsTakeTheLongestMatchAndPositionsCountFromOne) {
    expectScans({
        {"shift assign", u"a<<=b", "kw:a@1:1 <<=@1:2 kw:b@1:5"},
        {"shift then less", u"<<<", "<<@1:1 <@1:3"},
        {"right shifts", u">>>=>>", ">>@1:1 >=@1:3 >>@1:5"},
        {"and and then assign", u"&&=", "&&@1:1 =@1:3"},
        {"equal then assign", u"===", "==@1:1 =@1:3"},
        {"not with a space is two", u"! =", "!@1:1 =@1:3"},
        {"minus minus", u"--=", "-@1:1 -=@1:2"},
        {"less at the end", u"a <", "kw:a@1:1 <@1:3"},
        {"statement", u"x[\"k\"] += -3;", "kw:x@1:1 [@1:2 \"k\"@1:3 ]@1:6 +=@1:8 -@1:11 int:3@1:12 ;@1:13"},
        {"only blanks", u" \t\r\n \n", ""},
        {"tab is one column", u"\ta = 1;\n  b", "kw:a@1:2 =@1:4 int:1@1:6 ;@1:7 kw:b@2:3"},
        {"CR alone is no line break, CR LF is one", u"a\rb\r\nc", "kw:a@1:1 kw:b@1:3 kw:c@2:1"},
        {"identifiers", u"_a1 B_2", "kw:_a1@1:1 kw:B_2@1:5"},
        {"number then name", u"12ab", "int:12@1:1 kw:ab@1:3"},
    });
}

TEST(Scanner, IntegersInThreeBasesWrapAt32BitsAndFloatsReadLikeAtof) {
    expectScans({
        {"decimal with leading zeros", u"007", "int:7@1:1"},
        {"hex either case", u"0x1F 0xff", "int:31@1:1 int:255@1:6"},
        {"upper case X is not hex", u"0XFF", "int:0@1:1 kw:XFF@1:2"},
        {"upper case B is not binary", u"0B1", "int:0@1:1 kw:B1@1:2"},
        {"binary stops at 2", u"0b102", "int:2@1:1 int:2@1:5"},
        {"x only after a lone zero", u"00x1", "int:0@1:1 kw:x1@1:3"},
        {"prefix without digits", u"0x 0b;", "int:0@1:1 int:0@1:4 ;@1:6"},
        {"hex then name", u"0xfg", "int:15@1:1 kw:g@1:4"},
        {"all ones is -1, 2^32 wraps to 0", u"4294967295 4294967296", "int:-1@1:1 int:0@1:12"},
        {"2^31 is the minimum", u"2147483648", "int:-2147483648@1:1"},
        {"exponent needs a point", u"1e5", "int:1@1:1 kw:e5@1:2"},
        {"signed exponent", u"1.5e+3", "float:1500@1:1"},
        {"d and D exponents", u"1.5d2 1.5D-1", "float:150@1:1 float:0.15@1:7"},
        {"trailing point, point then exponent", u"2. 1.e2", "float:2@1:1 float:100@1:4"},
        {"second exponent ends it", u"1.5e3e", "float:1500@1:1 kw:e@1:6"},
        {"sign after the fraction ends it", u"1.5+2", "float:1.5@1:1 +@1:4 int:2@1:5"},
    });
    std::u16string error;
    std::vector<Token> tokens;
    ASSERT_TRUE(scanText(error, tokens, u"007 2.5D1 name"));
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].text + u"|" + tokens[1].text + u"|" + tokens[2].text, u"007|2.5D1|name") << "the text read";
    EXPECT_EQ(tokens[1].floatValue, 25.0);
}

TEST(Scanner, StringsQuotesEscapesAndMerging) {
    expectScans({
        {"single quotes keep backslashes", u"'a\\tb'", "\"a\\tb\"@1:1"},
        {"all escapes", u"\"\\0\\a\\b\\f\\n\\r\\t\\v\"", "\"\\x00\\x07\\x08\\x0C\\x0A\\x0D\\x09\\x0B\"@1:1"},
        {"other escapes give the character", u"\"\\\\\\\"\\'\\q\\ \"", "\"\\\"'q \"@1:1"},
        {"hex escape either case", u"\"\\x4a\\X4A\"", "\"JJ\"@1:1"},
        {"high hex escape is sign-extended", u"\"\\xE9\\x80\"", "\"\\u{FFE9}\\u{FF80}\"@1:1"},
        {"hex escape is exactly two digits", u"\"\\x414\\x00\"", "\"A4\\x00\"@1:1"},
        {"beyond ASCII is kept", u"'\u00E9\u20AC\u007F'", "\"\\u{00E9}\\u{20AC}\\u{007F}\"@1:1"},
        {"comment marks inside strings", u"'// /*' x", "\"// /*\"@1:1 kw:x@1:9"},
        {"doubled apostrophe", u"'it''s'", "\"its\"@1:1"},
        {"merge across kinds", u"'a' \"b\"q{c}", "\"abc\"@1:1"},
        {"merge across lines and comments", u"x = 'a'\n// note\n/* more */ \"b\";", "kw:x@1:1 =@1:3 \"ab\"@1:5 ;@3:15"},
        {"empty strings merge too", u"'' 'a' ''", "\"a\"@1:1"},
        {"a comma separates", u"'a', 'b'", "\"a\"@1:1 ,@1:4 \"b\"@1:6"},
        {"a name separates", u"'a' k 'b'", "\"a\"@1:1 kw:k@1:5 \"b\"@1:7"},
    });
}

TEST(Scanner, QuotedBlocks) {
    expectScans({
        {"braces nest", u"q{a{b}c}", "\"a{b}c\"@1:1"},
        {"brackets, parentheses, angles", u"q[a[b]] q(f(x)) q<a<b>>", "\"a[b]f(x)a<b>\"@1:1"},
        {"same delimiter", u"q|x|", "\"x\"@1:1"},
        {"space delimits", u"q abc d", "\"abc\"@1:1 kw:d@1:7"},
        {"line feed delimits", u"q\nab\n;", "\"ab\"@1:1 ;@3:1"},
        {"no escapes, line feeds kept", u"q{\\n'\"\nb} c", "\"\\n'\"\\x0Ab\"@1:1 kw:c@2:4"},
        {"empty block", u"q{}", "\"\"@1:1"},
        {"a closing brace outside", u"q{a}}", "\"a\"@1:1 }@1:5"},
        {"closer as opener", u"q}a}", "\"a\"@1:1"},
        {"only the name q", u"qq{x} Q{y}", "kw:qq@1:1 {@1:3 kw:x@1:4 }@1:5 kw:Q@1:7 {@1:8 kw:y@1:9 }@1:10"},
    });
}

TEST(Scanner, CommentsAreSkippedAndKeepLinesCounted) {
    expectScans({
        {"line comment", u"a // c\nb", "kw:a@1:1 kw:b@2:1"},
        {"line comment at the end", u"a // no line feed", "kw:a@1:1"},
        {"block comment over lines", u"/* x\n y */ z", "kw:z@2:7"},
        {"star slash right after", u"/***/x", "kw:x@1:6"},
        {"no nesting", u"/* /* */ x */", "kw:x@1:10 *@1:12 /@1:13"},
        {"block comment inside line", u"// /*\nz", "kw:z@2:1"},
        {"comment ends a token", u"12//x\n3", "int:12@1:1 int:3@2:1"},
    });
}

TEST(Scanner, ErrorsAreWordedAndPlaced) {
    expectScans({
        {"on a later line", u"a\n  #", "Scanning Error (2:3): Invalid character 0x23"},
        {"point after a float", u"1.5.2", "Scanning Error (1:4): Invalid character 0x2E"},
        {"member access", u"a.b", "Scanning Error (1:2): Invalid character 0x2E"},
        {"backslash", u"\\", "Scanning Error (1:1): Invalid character 0x5C"},
        {"NUL", std::u16string_view(u"a\0", 2), "Scanning Error (1:2): Invalid character 0x00"},
        {"vertical tab is no blank", u"\v", "Scanning Error (1:1): Invalid character 0x0B"},
        {"DEL", u"\u007F", "Scanning Error (1:1): Invalid character 0x7F"},
        {"euro sign", u"x=\u20AC", "Scanning Error (1:3): Invalid character 0x20AC"},
        {"bad first hex digit", u"\"\\xg1\"", "Scanning Error (1:4): String2: \\x: Invalid character 0x67 'g'"},
        {"hex escape cut by the end", u"\"\\x", "Scanning Error (1:4): String2: \\x: Invalid character 0x20 ' '"},
        {"hex digit beyond ASCII", u"\"\\x\u00E9",
         "Scanning Error (1:4): String2: \\x: Invalid character 0xE9 '\\u{00E9}'"},
        {"exponent without digits", u"1.5e;", "Scanning Error (1:5): Invalid float"},
        {"sign without digits", u"1.5e+x", "Scanning Error (1:6): Invalid float"},
        {"exponent at the end", u"1.5e", "Scanning Error (1:5): Invalid float"},
        {"exponent before a line feed", u"2.E\n", "Scanning Error (2:4): Invalid float"},
        {"double-quoted left open", u"\"open", "Scanning Error (1:6): Invalid state"},
        {"single-quoted left open", u"x\n'ab", "Scanning Error (2:4): Invalid state"},
        {"backslash at the end", u"\"a\\", "Scanning Error (1:4): Invalid state"},
        {"block comment left open", u"/* never closed\n", "Scanning Error (2:1): Invalid state"},
        {"slash star slash", u"/*/", "Scanning Error (1:4): Invalid state"},
        {"quoted block left open", u"q{a{b}", "Scanning Error (1:7): Invalid state"},
        {"q at the end", u"q", "Scanning Error (1:2): Invalid state"},
        {"first error wins", u"# $", "Scanning Error (1:1): Invalid character 0x23"},
    });
}

TEST(Scanner, ReplacesTheListLeavesTheErrorAloneOnSuccessAndScansLongInputsWhole) {
    std::u16string error = u"untouched";
    std::vector<Token> tokens;
    ASSERT_TRUE(scanText(error, tokens, u"a b c"));
    ASSERT_TRUE(scanText(error, tokens, u"d"));
    EXPECT_EQ(describe(tokens), "kw:d@1:1");
    EXPECT_EQ(error, u"untouched");

    // Long tokens and many lines, to catch a position or run copy that is off by one at scale.
    std::u16string text;
    const int lines = 20000;
    for (int i = 0; i < lines; ++i) text += u'k' + widen(std::to_string(i)) + u" = 'v' \"w\" q{x} 0x10 2.5; // c\n";
    text += u'\'' + std::u16string(100000, u'z') + u'\'';
    ASSERT_TRUE(scanText(error, tokens, text)) << visible(error);
    ASSERT_EQ(tokens.size(), static_cast<std::size_t>(lines) * 6 + 1);
    EXPECT_EQ(tokens[tokens.size() - 2].pos, (SourcePos{lines, 31}));
    EXPECT_EQ(tokens[6 * 123 + 2].text, u"vwx");
    EXPECT_EQ(tokens.back().pos, (SourcePos{lines + 1, 1}));
    EXPECT_EQ(tokens.back().text.size(), 100000u);
}
