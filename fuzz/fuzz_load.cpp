// The whole loader on a set of files taken from the input (see splitFiles: "%%% NAME" lines start
// include files). Includes are served from the input only, never from disk. Checked: the load
// answers with an empty error or one worded loader error, and the parser can be reused.
#include <cstdint>
#include <string>

#include "config/config_parser.h"
#include "fuzz/fuzz_support.h"

using orvane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return orvane::fuzz::withHeapBudget([&] {
        const orvane::fuzz::FileSet files = orvane::fuzz::splitFiles(orvane::fuzz::asBytes(data, size));
        orvane::fuzz::SandboxReader reader(files);
        orvane::config::ConfigParser parser;
        parser.reader = &reader;
        const bool ok = parser.parseText(orvane::fromUtf8(files.main), orvane::Value(), false);
        if (ok) check(parser.error.empty(), "a load that succeeded left an error");
        else check(orvane::fuzz::looksLikeLoaderError(parser.error), "a failed load without a worded error");

        // A second load through the same parser starts clean.
        check(parser.parseText(u"['a'] = 1;", orvane::Value(), false), "a reused parser failed");
        check(parser.variables.findByName("a").toInteger() == 1 && parser.variables.size() == 1,
              "a reused parser kept old variables");
        return 0;
    });
}
