// The evaluator: an expression tree -> Values, run against a scope. Internal to the loader.
//
// Invariants:
// - Operands, arguments, keys of a path read and ( ) groups work on a private copy of the scope
//   handle, so an assignment nested in them changes nothing outside. Assignment targets, the right
//   side of an assignment and the statements of a file or block work on the scope itself.
// - A path read never writes: it walks the tree through const access, so it neither detaches nor
//   copies the scope's containers.
// - A writing slot is never held across an evaluation: an assignment target evaluates all its keys
//   first and then walks the slots in one go.
// - Recursion depth is counted; past kMaxNestingDepth the evaluation fails with a worded error.
#pragma once

#include <cstdint>
#include <memory>

#include "config/config_parser.h"
#include "config/node.h"
#include "value/value.h"

namespace orvane::config::detail {

// Runs `root` as a statement list with `scope` as the scope. `depth` is the nesting the including
// files have used already (0 for a file loaded on its own).
bool runStatements(ConfigParser& parser, const Node& root, Value& scope, std::uint32_t depth);

class Evaluator;

// Runs the statements of a ";" list one at a time, as runStatements does for each (the value of a
// statement is dropped), keeping its working memory from one to the next. For a loader that runs
// each statement of a file as soon as the tree builder has finished it.
class StatementRunner {
public:
    StatementRunner(ConfigParser& parser, std::uint32_t depth);
    ~StatementRunner();
    bool run(const Node& statement, Value& scope);

private:
    std::unique_ptr<Evaluator> evaluator_;
};

// What an include needs from the parser that is not public.
struct IncludeAccess {
    // Loads `path` in a parser nested under `includer`, starting from `variables` and leaving the
    // file's store there on success. On failure, `nestedError` holds the nested parser's message.
    static bool load(ConfigParser& includer, std::uint32_t depth, const std::string& path,
                     Value& variables, std::u16string& nestedError);
};

}  // namespace orvane::config::detail
