#include <gtest/gtest.h>

#include "ui/word_splitter.h"

namespace orvane::ui {
namespace {

using Words = std::vector<std::u16string>;

TEST(WordSplitter, Rules) {
    struct Row {
        const char* name;
        std::u16string line;
        Words words;
    };
    const Row rows[] = {
        {"empty line", u"", {}},
        {"runs of separators make no empty words", u"  a \t\x01 b  ", {u"a", u"b"}},
        {"every unit up to U+0020 separates", u"a\x1f" u"b\x7f", {u"a", u"b\x7f"}},
        {"quotes are not copied", u"\"abc\"", {u"abc"}},
        {"empty quotes make a word", u"a \"\" b", {u"a", u"", u"b"}},
        {"separators inside quotes belong", u"\"a b\tc\"", {u"a b\tc"}},
        {"quoting joins with unquoted text", u"ab\"c d\"e", {u"abc de"}},
        {"open quote at the end drops the word", u"a \"b c", {u"a"}},
        {"open quote after text drops it too", u"a b\"c", {u"a"}},
        {"escaped quote and backslash", u"\"\\\"x\\\\\"", {u"\"x\\"}},
        {"escaped controls", u"\"\\n\\r\\t\"", {u"\n\r\t"}},
        {"two decimal digits", u"\"\\65\\066\"", {u"A\x06" u"6"}},
        {"one digit stands for itself", u"\"\\6x\"", {u"\\6x"}},
        {"unknown escape stands for itself", u"\"\\q\"", {u"\\q"}},
        {"no escapes outside quotes", u"a\\\"b c\"", {u"a\\b c"}},
        {"escaped quote does not close", u"\"a\\\" b", {}},
        {"a colon is ordinary", u"\"pam_mode\" is: \"ctf^7\" default: \"pub\"",
         {u"pam_mode", u"is:", u"ctf^7", u"default:", u"pub"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(splitWords(row.line), row.words);
    }
}

}  // namespace
}  // namespace orvane::ui
