// The eight built-in functions. Each one reads its argument Vector and answers through `result`
// (or, for "include", through `scope`); values taken from the arguments are copied into local
// handles before they are stored, so a slot is never written from a place inside the same tree.
#include "config/builtins.h"

#include <string>

#include "config/evaluator.h"

namespace orvane::config::detail {
namespace {

bool vectorOf(const CallSite&, const Value& args, Value& result, Value&) {
    result = args;
    return true;
}

bool setOf(const CallSite&, const Value& args, Value& result, Value&) {
    for (std::uint32_t i = 0; i < args.size(); ++i) {
        const Value key = args.at(i);
        if (key.isString()) result.entry(key).setBoolean(true);
    }
    return true;
}

bool sortOf(const CallSite&, const Value& args, Value& result, Value&) {
    Value sorted = args;  // sorting detaches from the caller's Values, which stay as they were
    sorted.sort();
    result = std::move(sorted);
    return true;
}

bool keysOf(const CallSite&, const Value& args, Value& result, Value&) {
    result = args.size() == 1 ? args.at(0).keys(true) : args.keys(true);
    return true;
}

bool valuesOf(const CallSite&, const Value& args, Value& result, Value&) {
    result = args.size() == 1 ? args.at(0).values() : args.values();
    return true;
}

// A header Vector names the columns; every further Vector is one row. A column whose header is
// neither an Integer nor a string is skipped.
bool tableOf(const CallSite& site, const Value& args, Value& result, Value&) {
    const std::uint32_t n = args.size();
    for (std::uint32_t i = 0; i < n; ++i)
        if (!args.at(i).isVector())
            return reportError(site.parser.error, u"Syntax Error", site.pos,
                               u"Invalid parameters for function '%ls': It expects a list of vectors",
                               site.name);
    if (n == 0) return true;
    const Value& header = args.at(0);
    for (std::uint32_t j = 0; j < header.size(); ++j) {
        const Value column = header.at(j);
        if (!column.isInteger() && !column.isString()) continue;
        for (std::uint32_t i = 1; i < n; ++i) {
            const Value cell = args.at(i).at(j);
            result.element(i - 1).entryAt(column) = cell;
        }
    }
    return true;
}

// Loads the named file starting from the variables visible at the call; answers its store.
bool loadIncluded(const CallSite& site, const Value& args, const Value& scope, Value& store) {
    if (args.size() != 1 || !args.at(0).isString())
        return reportError(site.parser.error, u"Syntax Error", site.pos,
                           u"Invalid parameters for function '%ls'", site.name);
    std::string path = args.at(0).toNarrowString();
    if (!site.parser.baseDirectory.empty()) path = site.parser.baseDirectory + "\\" + path;
    store = scope;
    std::u16string nestedError;
    if (!IncludeAccess::load(site.parser, site.depth, path, store, nestedError))
        return reportError(site.parser.error, u"Include failed", site.pos, u"\n%ls", nestedError);
    return true;
}

bool include(const CallSite& site, const Value& args, Value&, Value& scope) {
    Value store;
    if (!loadIncluded(site, args, scope, store)) return false;
    scope = std::move(store);
    return true;
}

bool includeVar(const CallSite& site, const Value& args, Value& result, Value& scope) {
    Value store;
    if (!loadIncluded(site, args, scope, store)) return false;
    result = std::move(store);
    return true;
}

struct Builtin {
    std::u16string_view name;
    BuiltinFunction function;
};

constexpr Builtin kBuiltins[] = {
    {u"vector", vectorOf},   {u"set", setOf},       {u"sort", sortOf},
    {u"keys", keysOf},       {u"values", valuesOf}, {u"table", tableOf},
    {u"include", include},   {u"includevar", includeVar},
};

}  // namespace

BuiltinFunction findBuiltin(std::u16string_view name) {
    for (const Builtin& b : kBuiltins)
        if (b.name == name) return b.function;
    return nullptr;
}

}  // namespace orvane::config::detail
