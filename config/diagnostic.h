// Located error messages, shared by every stage of the configuration library.
//
// Each stage returns a boolean; the first failure writes one message into the loader's error text
// and every caller above simply returns false. reportError always answers false so that a stage can
// write `return reportError(...)`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "value/text.h"

namespace orvane::config {

// A place in a source text; lines and columns count from 1, one column per 16-bit unit.
struct SourcePos {
    std::int32_t line = 1;
    std::int32_t column = 1;
    friend bool operator==(const SourcePos&, const SourcePos&) = default;
};

// Replaces `error` with "<category> (<line>:<column>): " and the formatted message.
bool reportError(std::u16string& error, std::u16string_view category, SourcePos pos,
                 std::u16string_view fmt, std::initializer_list<FormatArg> args = {});

template <class... Args>
bool reportError(std::u16string& error, std::u16string_view category, SourcePos pos,
                 std::u16string_view fmt, const Args&... args) {
    return reportError(error, category, pos, fmt, {FormatArg(args)...});
}

}  // namespace orvane::config
