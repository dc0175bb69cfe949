// The reply-line word splitter on any line of 16-bit units. Checked: it ends, words never hold more
// units than the line, and a line without quotes or backslashes splits into exactly the runs of
// units above U+0020.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ui/word_splitter.h"

using orvane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string line = orvane::fuzz::unitsOf(orvane::fuzz::asBytes(data, size));
    const std::vector<std::u16string> words = orvane::ui::splitWords(line);

    std::size_t total = 0;
    for (const std::u16string& word : words) total += word.size();
    check(total <= line.size(), "words longer than the line");

    if (line.find_first_of(u"\"\\") != std::u16string::npos) return 0;
    std::vector<std::u16string> runs;
    std::u16string run;
    for (char16_t c : line) {
        if (c > u' ') {
            run += c;
        } else if (!run.empty()) {
            runs.push_back(std::move(run));
            run.clear();
        }
    }
    if (!run.empty()) runs.push_back(std::move(run));
    check(words == runs, "unquoted words are not the runs between separators");
    return 0;
}
