// Helpers for the loader's tests: run a text, compare stores structurally, files in memory.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "config/config_parser.h"
#include "tests/value/value_builders.h"
#include "value/text.h"
#include "value/value.h"

namespace orvane::testing {

struct Loaded {
    bool ok;
    std::string error;  // narrowed
    Value store;
};

inline Loaded loadText(std::string_view source) {
    config::ConfigParser parser;
    const bool ok = parser.parseText(widen(source), Value(), false);
    return {ok, narrow(parser.error), parser.variables};
}

// Equal kinds and contents, Hash keys in any order. Unlike compare(), two Undef values are equal,
// and a narrow and a wide string with the same text are equal.
inline bool sameValue(const Value& a, const Value& b) {
    if (a.isString() && b.isString()) return a.compare(b) == 0;
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case ValueKind::Undef: return true;
        case ValueKind::Vector:
            if (a.size() != b.size()) return false;
            for (std::uint32_t i = 0; i < a.size(); ++i)
                if (!sameValue(a.at(i), b.at(i))) return false;
            return true;
        case ValueKind::Hash: {
            if (a.size() != b.size()) return false;
            Value value;
            for (Value k = a.firstKey(&value); k.kind() != ValueKind::Undef; k = a.nextKey(k, &value))
                if (!b.exists(k, false) || !sameValue(value, b.find(k))) return false;
            return true;
        }
        default: return a.compare(b) == 0;
    }
}

// Files by name, read through the parser's reader hook; counts the reads.
class MemoryFiles : public config::FileReader {
public:
    std::map<std::string, std::string> files;
    int reads = 0;

    bool read(const std::string& path, std::u16string& text) override {
        ++reads;
        const auto it = files.find(path);
        if (it == files.end()) return false;
        text = widen(it->second);
        return true;
    }
};

}  // namespace orvane::testing
