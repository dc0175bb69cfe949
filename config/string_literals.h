// The Values of string literals, shared between uses of the same text. Internal to the loader.
//
// The same short texts come back again and again as keys and values (every record of a settings
// file names the same members): a small direct-mapped cache hands out one shared Value per text, so
// a file with many records keeps one body for each such text instead of one per use. Longer texts
// are rarely repeated and go past it. Sharing is invisible to readers: a Value is copy-on-write.
// A text is kept only when it comes back while its slot still remembers its hash, so the texts that
// appear once (a million distinct keys) neither cost a copy nor push out the ones that repeat.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "value/value.h"

namespace orvane::config::detail {

class StringLiterals {
public:
    // Sets `result` to a WideString holding `text`.
    void value(std::u16string_view text, Value& result) {
        if (text.size() > kLongest) {
            result.setWideString(text);
            return;
        }
        if (slots_.empty()) slots_.resize(kSlots);
        const std::uint32_t h = hashOf(text);
        Slot& slot = slots_[h & (kSlots - 1)];
        if (slot.kept == h && slot.value.identity() && slot.text == text) {
            result = slot.value;
            return;
        }
        result.setWideString(text);
        if (slot.seen != h) {
            slot.seen = h;
            return;
        }
        slot.text.assign(text);
        slot.value = result;
        slot.kept = h;
    }

private:
    // Four units a step: the texts are short, and a unit-by-unit hash was a tenth of a load.
    static std::uint32_t hashOf(std::u16string_view text) {
        const char16_t* p = text.data();
        std::size_t n = text.size();
        std::uint64_t h = n * 0x9E3779B97F4A7C15u;
        for (; n >= 4; p += 4, n -= 4) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            h = (h ^ word) * 0xFF51AFD7ED558CCDu;
            h ^= h >> 29;
        }
        if (n > 0) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, n * sizeof(char16_t));
            h = (h ^ word) * 0xFF51AFD7ED558CCDu;
        }
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    static constexpr std::size_t kSlots = 512;
    static constexpr std::size_t kLongest = 40;
    struct Slot {
        std::u16string text;
        Value value;
        std::uint32_t kept = 0;  // the hash of `text`, checked first: the text and value lie elsewhere
        std::uint32_t seen = 0;  // the hash of the last text that came here and was not kept
    };
    std::vector<Slot> slots_;
};

}  // namespace orvane::config::detail
