// The whole loader on a set of files taken from the input (see splitFiles: "%%% NAME" lines start
// include files). Includes are served from the input only, never from disk. Checked: the load
// answers with an empty error or one worded loader error, the parser can be reused, and loading the
// main file's bytes as they stand (parseBytes) ends exactly as decoding them first does, and the
// literal loader takes only texts that the general stages load, into the same store.
#include <cstdint>
#include <string>

#include "config/config_parser.h"
#include "config/evaluator.h"
#include "config/literal_loader.h"
#include "config/printer.h"
#include "config/scanner.h"
#include "config/text_file.h"
#include "config/tree_builder.h"
#include "fuzz/fuzz_support.h"

using orvane::fuzz::check;

namespace {

// compare() never finds two Undef values equal, so a store holding one is compared by its printed
// form instead (which leaves Undef entries out), unless it is too deep or too wide to print quickly.
bool sameStore(const orvane::Value& a, const orvane::Value& b) {
    if (a.kind() == orvane::ValueKind::Undef || b.kind() == orvane::ValueKind::Undef) return a.kind() == b.kind();
    const orvane::fuzz::StoreShape shape = orvane::fuzz::shapeOf(a);
    if (shape.tooLarge) return true;  // a compare would walk as far; the errors were compared
    if (!shape.hasUndef) return a.compare(b) == 0;
    return shape.depth > 200 ||
           orvane::config::printConfig(a, orvane::Value()) == orvane::config::printConfig(b, orvane::Value());
}

// The short way against the general stages run in their plain order.
void checkLiteralLoader(const std::u16string& text) {
    orvane::config::ConfigParser parser;
    orvane::Value literal;
    if (!orvane::config::detail::loadLiterals(parser, text, literal, 0)) return;
    std::u16string error;
    std::vector<orvane::config::Token> tokens;
    orvane::config::Tree tree;
    orvane::Value store;
    const bool ok = orvane::config::scanText(error, tokens, text) && orvane::config::buildTree(error, tokens, tree) &&
                    orvane::config::detail::runStatements(parser, tree.root(), store, 0);
    check(ok, "the literal loader took a text the general stages refuse");
    check(sameStore(literal, store), "the literal loader and the general stages built different stores");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return orvane::fuzz::withHeapBudget([&] {
        const orvane::fuzz::FileSet files = orvane::fuzz::splitFiles(orvane::fuzz::asBytes(data, size));
        orvane::fuzz::SandboxReader reader(files);
        orvane::config::ConfigParser parser;
        parser.reader = &reader;
        const bool ok = parser.parseText(orvane::fromUtf8(files.main), orvane::Value(), false);
        if (ok) check(parser.error.empty(), "a load that succeeded left an error");
        else check(orvane::fuzz::looksLikeLoaderError(parser.error), "a failed load without a worded error");

        orvane::config::TextFileBuffer decoded;
        decoded.decode(files.main);
        checkLiteralLoader(decoded.text);
        orvane::config::ConfigParser viaText, viaBytes;
        viaText.reader = viaBytes.reader = &reader;
        const bool textOk = viaText.parseText(decoded.text, orvane::Value(), false);
        const bool bytesOk = viaBytes.parseBytes(files.main, orvane::Value(), false);
        const bool exhausted = viaText.error == u"Internal Error: Out of memory" ||
                               viaBytes.error == u"Internal Error: Out of memory";
        check(exhausted || (textOk == bytesOk && viaText.error == viaBytes.error &&
                            sameStore(viaText.variables, viaBytes.variables)),
              "the bytes loaded where they lie and their decoded text end differently");

        // A second load through the same parser starts clean.
        check(parser.parseText(u"['a'] = 1;", orvane::Value(), false), "a reused parser failed");
        check(parser.variables.findByName("a").toInteger() == 1 && parser.variables.size() == 1,
              "a reused parser kept old variables");
        return 0;
    });
}
