// Validation throughput on stores that match their schema, so every value is visited. Items are the
// values checked (container elements and entries, the store itself not counted); three sizes a
// decade apart show whether the walk stays linear. Run: <build>/bin/validate_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "config/validator.h"

namespace {

using namespace orvane;
using namespace orvane::config;

Value flag() { return Value(true); }

Value kinds(std::initializer_list<const char*> names) {
    Value d;
    for (const char* n : names) d.entry(Value(n)) = flag();
    return d;
}

// A list of server records: name and port required, ratio optional, nothing else allowed.
Value serverListSchema() {
    Value record;
    Value& rules = record.entry(Value("Hash"));
    rules.entry(Value("MustExists")).entry(Value("name")) = flag();
    rules.entry(Value("MustExists")).entry(Value("port")) = flag();
    for (const char* k : {"name", "port", "ratio"}) rules.entry(Value("MayExists")).entry(Value(k)) = flag();
    rules.entry(Value("SingleData")).entry(Value("name")) = kinds({"String"});
    rules.entry(Value("SingleData")).entry(Value("port")) = kinds({"Int"});
    rules.entry(Value("SingleData")).entry(Value("ratio")) = kinds({"Float", "Undef"});
    rules.entry(Value("MaxSize")) = Value(std::int32_t{3});

    Value schema;
    schema.entry(Value("Vector")).entry(Value("Data")) = record;
    schema.entry(Value("Vector")).entry(Value("MinSize")) = Value(std::int32_t{1});
    return schema;
}

// `values` values: one Vector element per record plus its three entries.
Value serverList(std::int64_t values) {
    Value list;
    for (std::int64_t i = 0; i < values / 4; ++i) {
        Value& r = list.appendSlot();
        r.entry(Value("name")) = Value("server-" + std::to_string(i));
        r.entry(Value("port")) = Value(static_cast<std::int32_t>(20000 + i % 1000));
        r.entry(Value("ratio")) = Value(static_cast<double>(i) / 7.0);
    }
    return list;
}

void BM_VectorOfHashes(benchmark::State& state) {
    const Value schema = serverListSchema();
    const Value store = serverList(state.range(0));
    std::u16string error;
    for (auto _ : state) {
        const bool ok = validate(error, store, schema);
        if (!ok) state.SkipWithError("store does not match its schema");
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * (state.range(0) / 4 * 4));
}
BENCHMARK(BM_VectorOfHashes)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// A flat Hash of Integers under one Data rule.
void BM_FlatHash(benchmark::State& state) {
    Value schema;
    schema.entry(Value("Hash")).entry(Value("Data")) = kinds({"Int"});
    Value store;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        store.entry(Value("key_" + std::to_string(i))) = Value(static_cast<std::int32_t>(i));
    }
    std::u16string error;
    for (auto _ : state) {
        const bool ok = validate(error, store, schema);
        if (!ok) state.SkipWithError("store does not match its schema");
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FlatHash)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
