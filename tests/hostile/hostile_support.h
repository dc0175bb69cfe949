// Helpers for the hostile-input tests: inputs generated in memory, files served from memory, and a
// size scale that shrinks the largest inputs under AddressSanitizer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "config/config_parser.h"
#include "config/text_file.h"
#include "value/text.h"
#include "value/value.h"

namespace orvane::hostile {

// ASan makes every byte and every node cost several times more, so its run shrinks the largest
// cases: the 100 MB input to 10 MB, the 10 MB lines to 1 MB and the million-level store to 10^5.
// Bracket and operator nesting stays at a million levels everywhere.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t kBigInput = 10'000'000;
inline constexpr std::size_t kLongLine = 1'000'000;
inline constexpr std::size_t kDeepStore = 100'000;
#else
inline constexpr std::size_t kBigInput = 100'000'000;
inline constexpr std::size_t kLongLine = 10'000'000;
inline constexpr std::size_t kDeepStore = 1'000'000;
#endif

inline std::u16string repeat(std::u16string_view piece, std::size_t times) {
    std::u16string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

struct Outcome {
    bool ok;
    std::u16string error;
    Value store;
};

// Files by their last path component, held as raw bytes and decoded as a file on disk would be.
class MemoryDisk : public config::FileReader {
public:
    std::map<std::string, std::string, std::less<>> files;

    bool read(const std::string& path, std::u16string& text) override {
        const std::size_t cut = path.find_last_of("/\\");
        const auto it = files.find(cut == std::string::npos ? std::string_view(path)
                                                            : std::string_view(path).substr(cut + 1));
        if (it == files.end()) return false;
        config::TextFileBuffer file;
        file.decode(it->second);
        text = std::move(file.text);
        return true;
    }
};

inline Outcome load(std::u16string_view text, config::FileReader* reader = nullptr,
                    const Value& meta = Value()) {
    config::ConfigParser parser;
    parser.reader = reader;
    const bool ok = parser.parseText(text, meta, false);
    return {ok, std::move(parser.error), std::move(parser.variables)};
}

// Container levels of a Value, counted without recursion along its first members.
inline std::size_t firstChainDepth(const Value& v) {
    std::size_t depth = 0;
    for (Value at = v; at.size() > 0; ++depth) {
        Value first;
        at.firstKey(&first);
        at = first;
    }
    return depth;
}

}  // namespace orvane::hostile
