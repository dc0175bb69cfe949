#include "ui/word_splitter.h"

namespace orvane::ui {
namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The escape at line[at] (a backslash inside quotes): appends what it stands for and returns the
// number of units it took.
std::size_t unescape(std::u16string_view line, std::size_t at, std::u16string& word) {
    const std::size_t rest = line.size() - at;
    if (rest >= 2) {
        switch (char16_t next = line[at + 1]) {
            case u'"':
            case u'\\': word += next; return 2;
            case u'n': word += u'\n'; return 2;
            case u'r': word += u'\r'; return 2;
            case u't': word += u'\t'; return 2;
            default: break;
        }
    }
    if (rest >= 3 && isDigit(line[at + 1]) && isDigit(line[at + 2])) {
        word += static_cast<char16_t>((line[at + 1] - u'0') * 10 + (line[at + 2] - u'0'));
        return 3;
    }
    word += u'\\';
    return 1;
}

}  // namespace

std::vector<std::u16string> splitWords(std::u16string_view line) {
    std::vector<std::u16string> words;
    std::u16string word;
    bool inWord = false;  // a quote or an ordinary unit has been seen since the last separator
    bool quoted = false;
    for (std::size_t at = 0; at < line.size();) {
        const char16_t c = line[at];
        if (c == u'"') {
            quoted = !quoted;
            inWord = true;
            ++at;
        } else if (quoted && c == u'\\') {
            at += unescape(line, at, word);
        } else if (!quoted && c <= u' ') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++at;
        } else {
            word += c;
            inWord = true;
            ++at;
        }
    }
    if (inWord && !quoted) words.push_back(std::move(word));
    return words;
}

}  // namespace orvane::ui
