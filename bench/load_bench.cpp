// Loading speed and memory: settings-like texts of 1, 10 and 50 MB through parseText, and 4 MB of
// plain data (records, deep chains) through parseBytes.
// Run: <build>/bin/load_bench. Sizes count characters, i.e. bytes of the file in an 8-bit encoding.
//
// Counters: heap_peak_MB is the most heap in use at any moment of the first load (input text
// included); heap_added_MB is that peak minus the heap in use before the load started; rss_max_MB
// is the process's peak resident size so far (sizes run smallest first, so each row shows its own).
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include "config/config_parser.h"
#include "value/text.h"

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void noteAllocated(void* p) {
    const std::size_t live = gLive += malloc_usable_size(p);
    std::size_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
}

void* allocate(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    noteAllocated(p);
    return p;
}

void release(void* p) noexcept {
    if (!p) return;
    gLive -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

using orvane::Value;
using orvane::config::ConfigParser;

// One messenger-like entry, one server record with a nested block, and a list, per round.
std::u16string settingsText(std::size_t minChars) {
    std::string text = "// generated settings\n['count'] = 0;\n";
    for (unsigned i = 0; text.size() < minChars; ++i) {
        const std::string n = std::to_string(i);
        text += "['Messenger" + n + "']['Active'] = " + (i % 2 ? "true" : "false") + ";\n";
        text += "['Messenger" + n + "']['Status'] = {\n"
                "    ['connect'] = " + std::to_string(i % 7) + ";\n"
                "    ['disconnect'] = 0x" + std::to_string(i % 10) + ";\n"
                "    ['text'] = 'Playing <GAMEDESC> on <SERVERNAME> (<SERVERADDRPORT>)';\n"
                "    ['flags'] = 1 << 3 | 2;\n"
                "};\n";
        text += "['servers'][] = { ['name'] = \"server\\t" + n + "\"; ['port'] = 28960 + " + n +
                "; ['tags'] = 'pub', 'ctf', q{tdm}; ['rules'] = { ['max'] = 32; ['ratio'] = 1.5; }; };\n";
        text += "['list" + n + "'] = 1, 2, 3, 4.25, 'five', vector(6, 7); ['count'] += 0;\n";
    }
    return orvane::widen(text);
}

std::size_t maxRssBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

constexpr double kMB = 1024.0 * 1024.0;

void BM_Load(benchmark::State& state) {
    const std::u16string text = settingsText(static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
    bool first = true;
    std::size_t before = 0, peak = 0;
    for (auto _ : state) {
        if (first) {
            before = gLive.load();
            gPeak.store(before);
        }
        ConfigParser parser;
        if (!parser.parseText(text, Value(), false)) {
            state.SkipWithError(orvane::narrow(parser.error).c_str());
            return;
        }
        benchmark::DoNotOptimize(parser.variables);
        if (first) {
            peak = gPeak.load();
            first = false;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["heap_peak_MB"] = static_cast<double>(peak) / kMB;
    state.counters["heap_added_MB"] = static_cast<double>(peak - before) / kMB;
    state.counters["rss_max_MB"] = static_cast<double>(maxRssBytes()) / kMB;
}
BENCHMARK(BM_Load)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Plain data only, as bytes: the short way for literal-only files. Shape 0 is server records with
// a nested block and lists; shape 1 is chains of blocks 100 levels deep.
std::string plainDataBytes(int shape, std::size_t minChars) {
    std::string text;
    for (unsigned i = 0; text.size() < minChars; ++i) {
        const std::string n = std::to_string(i);
        if (shape == 0) {
            text += "['records'][] = { ['name'] = 'server " + n + "'; ['address'] = '10.0." + std::to_string(i % 256) +
                    ".0'; ['port'] = " + std::to_string(27960 + i % 100) + "; ['active'] = " + (i % 2 ? "true" : "false") +
                    "; ['ratio'] = 0.25; ['tags'] = 'pub', 'ctf', 'tdm'; ['rules'] = { ['max'] = 32; ['min'] = 2; "
                    "['rate'] = 1.5; }; ['history'] = 1, 2, 3, 4; };\n";
        } else {
            text += "['entry" + n + "'] = ";
            for (int level = 0; level < 100; ++level)
                text += "{ ['depth'] = " + std::to_string(level) + "; ['label'] = 'level " + std::to_string(level) +
                        " of " + n + "'; ['next'] = ";
            text += "undef";
            for (int level = 0; level < 100; ++level) text += "; }";
            text += ";\n";
        }
    }
    return text;
}

void BM_LoadPlainData(benchmark::State& state) {
    const std::string bytes = plainDataBytes(static_cast<int>(state.range(0)), 4 * 1024 * 1024);
    for (auto _ : state) {
        ConfigParser parser;
        if (!parser.parseBytes(bytes, Value(), false)) {
            state.SkipWithError(orvane::narrow(parser.error).c_str());
            return;
        }
        benchmark::DoNotOptimize(parser.variables);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.SetLabel(state.range(0) == 0 ? "records" : "deep");
}
BENCHMARK(BM_LoadPlainData)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
