// The loader's stages in order, and the guard rails of includes: every nested parser knows the one
// that included it, so the chain of files being loaded is the chain of parsers on the call stack.
#include "config/config_parser.h"

#include <new>
#include <vector>

#include "config/evaluator.h"
#include "config/literal_loader.h"
#include "config/node.h"
#include "config/scanner.h"
#include "config/text_file.h"
#include "config/token.h"
#include "config/tree_builder.h"
#include "config/validator.h"
#include "value/text.h"

namespace orvane::config {
namespace {

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

namespace detail {

// Scans, builds and runs a text so that a long file never needs all of its tokens or its whole tree
// at once: the scanner hands over tokens in pieces, and every top-level statement runs as soon as the
// ";" after it arrives, after which its tree is dropped.
//
// The outcome is that of the plain order (scan the whole text, then build the whole tree, then run
// it): the first scanning error wins over any later stage, a syntax error over any run, and a text
// whose last statement lacks its ";" runs nothing. So the store is kept as it was on entry, and put
// back when such a failure shows up after statements have run; a failure while running only stops
// the running, while scanning and building go on to the end in case one of them fails first.
//
// Keeping the store costs nothing when it is Undef, or shared already (an included file works on a
// copy of the includer's scope). A store of its own with content would be copied on the first
// write, which a caller holding slots into it would notice: such a text is run the plain way, after
// the whole tree is built. The same kept store lets a text of plain data try the literal loader
// first and come back here, store restored, when it turns out to be more than that.
class StatementStream final : public TokenSink {
public:
    StatementStream(ConfigParser& parser, Value& store, std::uint32_t depth, bool storeIsShared)
        : parser_(parser), store_(store), streaming_(storeIsShared || store.kind() == ValueKind::Undef),
          before_(streaming_ ? store : Value()), depth_(depth), builder_(buildError_, tree_),
          runner_(parser, depth) {}

    template <class Text>
    bool load(Text text) {
        if (streaming_ && loadPlainData(text)) return true;
        std::vector<Token> tokens;
        if (!scanText(scanError_, tokens, text, this)) return failAndRestore(scanError_);
        take(tokens);
        if (buildFailed_) return failAndRestore(buildError_);
        const Node& root = tree_.root();
        if (streaming_ && root.kind == NodeKind::Semicolon) {
            if (root.children.back()->kind != NodeKind::Empty) {
                std::u16string missing;
                reportError(missing, u"Syntax Error", root.pos, u"Missing ;");
                return failAndRestore(missing);
            }
            return !runFailed_;  // every statement has run: the last child is the empty place
        }
        return runStatements(parser_, root, store_, depth_);
    }

    void take(std::span<const Token> tokens) override {
        if (buildFailed_) return;
        for (const Token& token : tokens) {
            if (!builder_.place(token)) {
                buildFailed_ = true;
                return;
            }
            if (token.kind == TokenKind::Semicolon && streaming_) runFinished();
        }
    }

private:
    // Most texts are plain data, which the literal loader reads at a fraction of the cost. When it
    // gives up, the store goes back to where it was and the text takes the general way.
    template <class Text>
    bool loadPlainData(Text text) {
        try {
            if (loadLiterals(parser_, text, store_, depth_)) return true;
        } catch (const std::bad_alloc&) {
            // the general way meets the same shortage and reports it in its own words
        }
        store_ = before_;
        return false;
    }

    // Every child of a top-level ";" but the last is a finished statement: no later token reaches it.
    void runFinished() {
        const Node& root = tree_.root();
        if (root.kind != NodeKind::Semicolon) return;
        const std::size_t finished = root.children.size() - 1;
        for (; ran_ < finished && !runFailed_; ++ran_) runFailed_ = !runner_.run(*root.children[ran_], store_);
        ran_ = finished;
        if (builder_.dropFinishedStatements()) ran_ = 0;
    }

    bool failAndRestore(std::u16string& message) {
        parser_.error = std::move(message);
        if (streaming_) store_ = before_;  // else nothing has run
        return false;
    }

    ConfigParser& parser_;
    Value& store_;
    const bool streaming_;
    const Value before_;  // the store on entry, while streaming
    const std::uint32_t depth_;
    std::u16string scanError_, buildError_;
    Tree tree_;
    TreeBuilder builder_;
    StatementRunner runner_;
    bool buildFailed_ = false;
    bool runFailed_ = false;
    std::size_t ran_ = 0;  // children of the top-level ";" that have run (or been passed over)
};

}  // namespace detail

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
    std::string bytes;  // a file from disk is parsed from its bytes, without a 16-bit copy if it can be
    if (!(reader ? reader->read(file, text) : readFileBytes(file, bytes))) {
        error = format(u"%ls: Cannot open file", widen(file));
        return false;
    }
    loadingPath_ = file;
    const bool ok = reader ? parseText(text, metaModel, true) : parseBytes(bytes, metaModel, true);
    loadingPath_.clear();
    return ok;
}

bool ConfigParser::parseText(std::u16string_view text, const Value& metaModel, bool keepVariables) {
    return parseAny(text, metaModel, keepVariables);
}

bool ConfigParser::parseBytes(std::string_view bytes, const Value& metaModel, bool keepVariables) {
    std::string_view latin1;
    if (decodesByteForByte(bytes, latin1)) return parseAny(latin1, metaModel, keepVariables);
    TextFileBuffer file;
    file.decode(bytes);
    return parseAny(std::u16string_view(file.text), metaModel, keepVariables);
}

template <class Text>
bool ConfigParser::parseAny(Text text, const Value& metaModel, bool keepVariables) {
    error.clear();
    if (!keepVariables) variables = Value();
    // A file that asks for more memory than there is fails like any other bad input, rather than
    // taking the host down with it; what was assigned before stays, as after any failure.
    try {
        if (!detail::StatementStream(*this, variables, depthBase_, includedFrom_ != nullptr).load(text)) return false;
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
