// Printing speed on generated settings trees of about 1, 10 and 50 MB of output text, counted in
// characters (one byte each once the ASCII text is written out), on one wide flat Hash, and straight
// to the UTF-8 bytes that writing a file needs. Run: <build>/bin/print_bench
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "config/printer.h"
#include "value/value.h"

namespace {

using orvane::Value;

Value text(const std::string& s) { return Value(std::string_view(s)); }

// One messenger-like record: flags, statuses, a message, a short port list, a set of options and a
// server list of a few Hashes, which between them reach every automatic layout.
Value record(int n) {
    Value r;
    const std::string id = std::to_string(n);
    r.entry(text("IsActive")) = Value(n % 2 == 0);
    r.entry(text("IsMessage")) = Value(n % 3 == 0);
    r.entry(text("ConnectStatus")) = Value(std::int32_t{n % 7});
    r.entry(text("DisconnectStatus")) = Value(std::int32_t{n % 5});
    r.entry(text("Message")) = text("Playing <GAMEDESC> on <SERVERNAME> (" + id + ")");
    r.entry(text("Ratio")) = Value(0.25 * n);
    Value& ports = r.entry(text("Ports"));
    for (int i = 0; i < 3; ++i) ports.appendSlot() = Value(std::int32_t{27960 + i + n});
    Value& options = r.entry(text("Options"));
    for (const char* o : {"hide", "minimise", "close"}) options.entry(text(o)) = Value(true);
    Value& servers = r.entry(text("Servers"));
    for (int i = 0; i < 6; ++i) {
        Value& s = servers.appendSlot();
        s.entry(text("Name")) = text("Server " + id + "/" + std::to_string(i) + " it's \"quoted\"");
        s.entry(text("Address")) = text("10.0." + std::to_string(i) + "." + std::to_string(n % 256));
        s.entry(text("Port")) = Value(std::int32_t{28960 + i});
        s.entry(text("Window")) = Value(std::int32_t{i});
    }
    return r;
}

Value settings(std::size_t records) {
    Value root;
    for (std::size_t i = 0; i < records; ++i)
        root.entry(text("Messenger" + std::to_string(i))) = record(static_cast<int>(i));
    return root;
}

// A tree whose printed text is about `megabytes` MB, sized from one small sample.
const Value& treeOf(std::int64_t megabytes) {
    static std::map<std::int64_t, Value> trees;
    Value& tree = trees[megabytes];
    if (tree.kind() == orvane::ValueKind::Undef) {
        const std::size_t perRecord = orvane::config::printConfig(settings(64), Value()).size() / 64;
        tree = settings((static_cast<std::size_t>(megabytes) << 20) / perRecord + 1);
    }
    return tree;
}

// Times print() and counts what it wrote per run: characters of a 16-bit text, bytes of a UTF-8 one.
template <class Print>
std::size_t timePrint(benchmark::State& state, Print print) {
    std::size_t size = 0;
    for (auto _ : state) {
        const auto out = print();
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size) * state.iterations());
    return size;
}

void BM_PrintSettings(benchmark::State& state) {
    const Value& tree = treeOf(state.range(0));
    const std::size_t chars = timePrint(state, [&] { return orvane::config::printConfig(tree, Value()); });
    state.counters["chars"] = static_cast<double>(chars);
}
BENCHMARK(BM_PrintSettings)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

// The same tree with display options on every level: sorted keys, separator lines, double quotes.
void BM_PrintSettingsDescribed(benchmark::State& state) {
    const Value& tree = treeOf(state.range(0));
    Value record;
    record.entry(text("Hash")).entry(text("Sort")) = Value(true);
    record.entry(text("Hash")).entry(text("SeperatorLines")) = Value(std::int32_t{1});
    record.entry(text("String")).entry(text("DoubleQuote")) = Value(true);
    record.entry(text("ID")) = text("record");
    Value server;
    server.entry(text("ReferenceID")) = text("record");
    record.entry(text("Vector")).entry(text("Data")) = server;
    Value description;
    description.entry(text("Hash")).entry(text("Data")) = record;
    const std::size_t chars = timePrint(state, [&] { return orvane::config::printConfig(tree, description); });
    state.counters["chars"] = static_cast<double>(chars);
}
BENCHMARK(BM_PrintSettingsDescribed)->Arg(10)->Unit(benchmark::kMillisecond);

// The whole road to a file's bytes, which the UTF-8 printer takes without a 16-bit copy of the text.
// Per byte, the 50 MB text should cost what the 1 MB one does.
void BM_PrintSettingsUtf8(benchmark::State& state) {
    const Value& tree = treeOf(state.range(0));
    timePrint(state, [&] { return orvane::config::printConfigUtf8(tree, Value()); });
}
BENCHMARK(BM_PrintSettingsUtf8)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

// One Hash of a million Integers: a top level of assignments, no nesting, where walking the Hash
// itself is most of the work.
void BM_PrintFlatHash(benchmark::State& state) {
    static const Value flat = [] {
        Value h;
        for (std::int64_t i = 0; i < 1000000; ++i)
            h.entry(text("key" + std::to_string(i))) = Value(static_cast<std::int32_t>(i * 7919 % 100000));
        return h;
    }();
    timePrint(state, [&] { return orvane::config::printConfig(flat, Value()); });
}
BENCHMARK(BM_PrintFlatHash)->Unit(benchmark::kMillisecond);

// A Vector of 200,000 Floats. Arg 0: quarters, as settings mostly hold, which have a short exact
// form; arg 1: tenths, which need the full shortest-digits conversion. The gap is what the short
// form saves.
void BM_PrintFloats(benchmark::State& state) {
    const bool tenths = state.range(0) == 1;
    Value list;
    for (std::int32_t i = 0; i < 200000; ++i) list.appendSlot() = Value((tenths ? 0.1 : 0.25) * (i % 4000 + 1));
    timePrint(state, [&] { return orvane::config::printConfigUtf8(list, Value()); });
}
BENCHMARK(BM_PrintFloats)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
