// Load, print, load again: the printer must write what the loader reads back to the same store.
// Stores holding Floats (printed with %g, which rounds), Pointers (printed as Invalid) or Undef
// (never equal under compare, and dropped by the printer) are out of scope, and so are stores
// nested deeper than kMaxDepth levels: the block layout indents a tab per level, so a deep chain of
// two-entry Hashes prints text quadratic in its depth and would only slow the search. Every store
// within those bounds also checks the UTF-8 printer against the 16-bit one.
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/config_parser.h"
#include "config/printer.h"
#include "fuzz/fuzz_support.h"

namespace {
constexpr std::uint32_t kMaxDepth = 200;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return orvane::fuzz::withHeapBudget([&] {
        const orvane::fuzz::FileSet files = orvane::fuzz::splitFiles(orvane::fuzz::asBytes(data, size));
        orvane::fuzz::SandboxReader reader(files);
        orvane::config::ConfigParser first;
        first.reader = &reader;
        if (!first.parseText(orvane::fromUtf8(files.main), orvane::Value(), false)) return 0;

        const orvane::fuzz::StoreShape shape = orvane::fuzz::shapeOf(first.variables);
        if (shape.tooLarge || shape.depth > kMaxDepth) return 0;

        // The UTF-8 printer shares the layout and encodes as it goes: its bytes must be exactly the
        // encoding of the 16-bit text, whatever the store holds.
        const std::u16string printed = orvane::config::printConfig(first.variables, orvane::Value());
        if (orvane::config::printConfigUtf8(first.variables, orvane::Value()) != orvane::toUtf8(printed))
            orvane::fuzz::fail("printConfigUtf8 differs from the encoded printConfig");
        if (shape.hasFloat || shape.hasPointer || shape.hasUndef) return 0;

        orvane::config::ConfigParser second;
        const bool reloaded = second.parseText(printed, orvane::Value(), false);
        // Two stores at once can exhaust the heap budget; the loader then fails in words.
        if (!reloaded && second.error == u"Internal Error: Out of memory") return 0;
        if (!reloaded || first.variables.compare(second.variables) != 0) {
            std::fprintf(stderr, "printed text:\n%s\nreload: %s\n", orvane::toUtf8(printed).c_str(),
                         reloaded ? "a different store" : orvane::toUtf8(second.error).c_str());
            __builtin_trap();
        }
        return 0;
    });
}
