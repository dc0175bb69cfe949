// The loader's stages in order, and the guard rails of includes: every nested parser knows the one
// that included it, so the chain of files being loaded is the chain of parsers on the call stack.
#include "config/config_parser.h"

#include <new>
#include <vector>

#include "config/evaluator.h"
#include "config/node.h"
#include "config/scanner.h"
#include "config/text_file.h"
#include "config/token.h"
#include "config/tree_builder.h"
#include "config/validator.h"
#include "value/text.h"

namespace orvane::config {
namespace {

bool readFromDisk(const std::string& path, std::u16string& text) {
    TextFileBuffer file;
    if (!file.readFile(path)) return false;
    text = std::move(file.text);
    return true;
}

// Include names are joined with "\" while the top file may be named with "/": both separate. "."
// steps and doubled separators name no other file, so a.cfg, .\a.cfg and ./a.cfg are one file.
std::string comparablePath(std::string_view path) {
    std::string out;
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) out += '/';
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view step = path.substr(start, end - start);
        if (!step.empty() && step != ".") {
            if (!out.empty() && out.back() != '/') out += '/';
            out += step;
        }
        start = end + 1;
    }
    return out;
}

bool samePath(std::string_view a, std::string_view b) { return comparablePath(a) == comparablePath(b); }

}  // namespace

bool ConfigParser::loadFile(std::u16string_view path, const Value& metaModel, bool keepVariables) {
    return loadFile(std::string_view(narrow(path)), metaModel, keepVariables);
}

bool ConfigParser::loadFile(std::string_view path, const Value& metaModel, bool keepVariables) {
    error.clear();
    if (!keepVariables) variables = Value();
    const std::string file(path);
    const std::size_t cut = file.find_last_of("/\\");
    baseDirectory = cut == std::string::npos ? std::string(".") : file.substr(0, cut);

    std::uint32_t includers = 0;
    for (const ConfigParser* p = includedFrom_; p; p = p->includedFrom_, ++includers)
        if (!p->loadingPath_.empty() && samePath(p->loadingPath_, file)) {
            error = format(u"%ls: Include loop", widen(file));
            return false;
        }
    if (includers >= kMaxIncludeDepth) {
        error = format(u"%ls: Includes nested too deeply", widen(file));
        return false;
    }

    std::u16string text;
    if (!(reader ? reader->read(file, text) : readFromDisk(file, text))) {
        error = format(u"%ls: Cannot open file", widen(file));
        return false;
    }
    loadingPath_ = file;
    const bool ok = parseText(text, metaModel, true);
    loadingPath_.clear();
    return ok;
}

bool ConfigParser::parseText(std::u16string_view text, const Value& metaModel, bool keepVariables) {
    error.clear();
    if (!keepVariables) variables = Value();
    // A file that asks for more memory than there is fails like any other bad input, rather than
    // taking the host down with it; what was assigned before stays, as after any failure.
    try {
        Node root;
        {
            std::vector<Token> tokens;  // freed before evaluation: the tree holds all that is needed
            if (!scanText(error, tokens, text) || !buildTree(error, tokens, root)) return false;
        }
        if (!detail::runStatements(*this, root, variables, depthBase_)) return false;
        // An Undef meta model means no validation at all (it would admit nothing).
        return metaModel.kind() == ValueKind::Undef || validate(error, variables, metaModel);
    } catch (const std::bad_alloc&) {
        error = u"Internal Error: Out of memory";
        return false;
    }
}

namespace detail {

bool IncludeAccess::load(ConfigParser& includer, std::uint32_t depth, const std::string& path,
                         Value& variables, std::u16string& nestedError) {
    ConfigParser nested;
    nested.variables = std::move(variables);
    nested.reader = includer.reader;
    nested.includedFrom_ = &includer;
    nested.depthBase_ = depth + kIncludeNestingCost;
    if (!nested.loadFile(std::string_view(path), Value(), true)) {  // included files are never validated
        nestedError = std::move(nested.error);
        return false;
    }
    variables = std::move(nested.variables);
    return true;
}

}  // namespace detail
}  // namespace orvane::config
