// A meta model and a store, both loaded from the input: the text before the first "%%% " line is
// the description, the file after it the store (any further files serve includes of either).
// Validation, directly and through the loader, must end in a verdict and never crash; a failed
// validation says why.
#include <cstdint>
#include <string>

#include "config/config_parser.h"
#include "config/validator.h"
#include "fuzz/fuzz_support.h"

using orvane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return orvane::fuzz::withHeapBudget([&] {
        const orvane::fuzz::FileSet files = orvane::fuzz::splitFiles(orvane::fuzz::asBytes(data, size));
        // One reader per load: each has its own budget of reads, so the two loads of the store agree.
        orvane::fuzz::SandboxReader metaReader(files), storeReader(files), checkedReader(files);
        orvane::config::ConfigParser meta;
        meta.reader = &metaReader;
        if (!meta.parseText(orvane::fromUtf8(files.main), orvane::Value(), false)) return 0;

        const std::string storeText = files.files.empty() ? std::string() : files.files.begin()->second;
        orvane::config::ConfigParser store;
        store.reader = &storeReader;
        if (!store.parseText(orvane::fromUtf8(storeText), orvane::Value(), false)) return 0;

        std::u16string error;
        const bool valid = orvane::config::validate(error, store.variables, meta.variables);
        check(valid == error.empty(), "a verdict that disagrees with its message");

        // The loader validates the same way when handed the model; an Undef model means no check.
        if (meta.variables.kind() != orvane::ValueKind::Undef) {
            orvane::config::ConfigParser checked;
            checked.reader = &checkedReader;
            const bool loaded = checked.parseText(orvane::fromUtf8(storeText), meta.variables, false);
            // The loader turns an exhausted heap budget into a worded failure where the direct
            // call above would have thrown: that is running out, not a disagreement.
            if (!loaded && checked.error == u"Internal Error: Out of memory") return 0;
            check(loaded == valid, "the loader and validate() disagree");
            if (!loaded) check(checked.error == error, "the loader words the mismatch differently");
        }
        return 0;
    });
}
