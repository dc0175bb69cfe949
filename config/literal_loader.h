// The loader's short way for files of plain data. Internal to the loader.
//
// Most files, and every file the printer writes, are statements that assign literals to literal
// paths:
//   ['server']['port'] = 27960;   ['tags'] = 'a', "b\t";   ['list'][] = { [0] = -1.5; };
//   ['flags'] = set('x', 'y');     ['empty'] = vector();     ['none'] = undef;
// Such a text is read here straight into Values, with no tokens and no tree, in one pass.
//
// Invariants:
// - Whenever it answers true, `store` holds exactly what the general loader (scanner, tree builder,
//   evaluator) makes of the text, and that loader would have succeeded: same kinds, same Hash order,
//   same shared string Values for repeated short literals.
// - It answers false at the first thing outside that shape or that the general loader could fail
//   on (any operator but a leading "-" on a number, paths that read variables, other functions,
//   q{} strings, a missing ";", nesting near kMaxNestingDepth, an index a Vector refuses, a
//   lexical error). `store` is then partly written and must be put back by the caller, who runs
//   the general loader on the whole text. So a text pays for this attempt at most once over.
// - Like the evaluator, it recurses once per nesting level, and no deeper than the evaluator may.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/config_parser.h"
#include "value/value.h"

namespace orvane::config::detail {

// `depth` is the nesting the including files have used already (0 for a file of its own); the
// parser is only handed to the built-in functions, which never fail on what is accepted here.
bool loadLiterals(ConfigParser& parser, std::string_view latin1Text, Value& store, std::uint32_t depth);
bool loadLiterals(ConfigParser& parser, std::u16string_view text, Value& store, std::uint32_t depth);

}  // namespace orvane::config::detail
