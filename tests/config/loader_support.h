// Helpers for the loader's tests: run a text and show what it left, files in memory.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "config/config_parser.h"
#include "tests/value/value_builders.h"
#include "value/text.h"
#include "value/value.h"

namespace orvane::testing {

// The store's dump after a good load; the error text after a failed one.
inline std::string outcome(bool ok, const config::ConfigParser& parser) {
    return ok ? dump(parser.variables) : narrow(parser.error);
}

inline std::string run(std::string_view source) {
    config::ConfigParser parser;
    const bool ok = parser.parseText(widen(source), Value(), false);
    return outcome(ok, parser);
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
