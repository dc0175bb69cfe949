// The built-in functions a call name(arguments) can reach. Internal to the evaluator.
//
// Invariants:
// - Names match exactly and case-sensitively; the table is constant data.
// - A function never changes `args` (it is the caller's argument Vector) and writes only `result`,
//   except "include", which writes only `scope`. `result` and `scope` may be the same Value (a lone
//   call as a whole file), which every function tolerates.
// - Errors are reported at the call's "(" into the parser's error text.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/config_parser.h"
#include "config/diagnostic.h"
#include "value/value.h"

namespace orvane::config::detail {

struct CallSite {
    ConfigParser& parser;      // receives errors; its baseDirectory and reader serve includes
    std::uint32_t depth;       // nesting used at the call, inherited by an included file
    SourcePos pos;             // the call's "("
    std::u16string_view name;  // as written, for messages
};

using BuiltinFunction = bool (*)(const CallSite& site, const Value& args, Value& result, Value& scope);

// The function of that name, or null when there is none.
BuiltinFunction findBuiltin(std::u16string_view name);

}  // namespace orvane::config::detail
