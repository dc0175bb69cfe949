// ConfigParser: the loader. Text -> tokens -> tree -> Values in `variables`; a text of plain data
// (literals assigned to literal paths, as the printer writes) goes straight to Values, same result.
//
// A file is a list of statements, each ending in ";". Paths in brackets start from the current
// scope: the file's `variables`, or inside { } the block's own value.
//
//   ['Messenger']['Active'] = true;       // {Messenger: {Active: true}}
//   ['ports'] = 27960, 28960;             // a Vector
//   ['ports'][] = 29960;                  // appended
//   ['server'] = { ['name'] = 'x'; };     // a Hash built by a block
//   ['count'] += 1;                       // integer operators only
//   include('common.cfg');                // resolved next to the file that names it
//
// Invariants:
// - The first failure ends the load; `error` holds its one message ("<category> (<line>:<column>):
//   <message>"), and `variables` keeps whatever the statements before it assigned. A failed
//   include adds nothing: the included file works on its own copy until it has loaded whole.
// - Nesting is bounded: expressions, blocks and includes together may nest kMaxNestingDepth levels
//   (an include counts as kIncludeNestingCost of them) and includes kMaxIncludeDepth files deep.
//   Deeper input fails with "Syntax Error (l:c): Nesting too deep" at the node where the limit was
//   reached; a file that includes itself, directly or through others, fails that include with
//   "<path>: Include loop", and one more level of includes with "<path>: Includes nested too
//   deeply", both chained as "Include failed (l:c): \n" + message. The evaluator recurses on the call stack; at the limit an optimised
//   build uses about 210 KB of it (a sanitizer build about 500 KB), well inside the host's 1 MB UI
//   thread.
// - A write to a negative Vector index, or one past Value::kMaxVectorSize, fails with
//   "Syntax Error (l:c): Index out of range" at the target's path.
// - Running out of memory fails the load with "Internal Error: Out of memory"; nothing is thrown.
// - A file or block whose only expression is an assignment without ";" (['a'] = 1) leaves what the
//   assignment wrote ({a: 1}): the scope is its own target, so the assignment's value is not stored
//   over it again. Any other lone expression becomes the scope's value ({ 5 } is 5).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "value/value.h"

namespace orvane::config {

// Where included and loaded files come from. Tests and fuzzers hand in their own; a parser without
// one reads the disk.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Replaces `text` with the decoded content of `path`; false when the file cannot be opened.
    virtual bool read(const std::string& path, std::u16string& text) = 0;
};

namespace detail {
struct IncludeAccess;
}

inline constexpr std::uint32_t kMaxNestingDepth = 512;
inline constexpr std::uint32_t kIncludeNestingCost = 4;
inline constexpr std::uint32_t kMaxIncludeDepth = 64;

class ConfigParser {
public:
    std::u16string error;         // the message of the last failure; empty after success
    std::string baseDirectory;    // directory of the file being loaded; include names start here
    Value variables;              // the variable store; Undef until something is assigned
    FileReader* reader = nullptr; // not owned; null reads the disk. Included files use it too.

    // Narrows the path (Latin-1, '?' above 255) and loads it as the 8-bit form does.
    bool loadFile(std::u16string_view path, const Value& metaModel, bool keepVariables);
    // Sets baseDirectory to the path up to its last "/" or "\" ("." without one), reads the file
    // and parses it. A file that cannot be opened fails with "<path>: Cannot open file".
    bool loadFile(std::string_view path, const Value& metaModel, bool keepVariables);
    // Scans, builds and evaluates `text` into `variables` (cleared first unless keepVariables).
    // Then, when the meta model is not Undef, validates `variables` against it: a mismatch fails
    // the load with the validator's message (the store keeps what was loaded).
    bool parseText(std::u16string_view text, const Value& metaModel, bool keepVariables);
    // parseText of a file's content given as its bytes, decoded as a file read from disk is (the
    // encoding detected). ASCII and Latin-1 texts are scanned where they lie, with no 16-bit copy.
    bool parseBytes(std::string_view bytes, const Value& metaModel, bool keepVariables);

private:
    friend struct detail::IncludeAccess;

    template <class Text>
    bool parseAny(Text text, const Value& metaModel, bool keepVariables);


    const ConfigParser* includedFrom_ = nullptr;  // the parser whose file includes this one
    std::string loadingPath_;                     // the file loadFile is reading, for loop checks
    std::uint32_t depthBase_ = 0;                 // nesting already used by the including files
};

}  // namespace orvane::config
