// The Values of string literals, shared between uses of the same text. Internal to the loader.
//
// The same short texts come back again and again as keys and values (every record of a settings
// file names the same members): a small direct-mapped cache hands out one shared Value per text, so
// a file with many records keeps one body for each such text instead of one per use. Longer texts
// are rarely repeated and go past it. Sharing is invisible to readers: a Value is copy-on-write.
#pragma once

#include <cstdint>
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
        std::uint32_t h = 2166136261u;
        for (char16_t c : text) h = (h ^ c) * 16777619u;
        Slot& slot = slots_[h & (kSlots - 1)];
        if (slot.value.kind() == ValueKind::WideString && slot.text == text) {
            result = slot.value;
            return;
        }
        result.setWideString(text);
        slot.text.assign(text);
        slot.value = result;
    }

private:
    static constexpr std::size_t kSlots = 512;
    static constexpr std::size_t kLongest = 40;
    struct Slot {
        std::u16string text;
        Value value;
    };
    std::vector<Slot> slots_;
};

}  // namespace orvane::config::detail
