// Scanner and text-file throughput on generated, statement-heavy configuration text.
// Sizes are in characters, which is the file size in bytes for an 8-bit encoding.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "config/scanner.h"
#include "config/text_file.h"
#include "value/text.h"

namespace {

using namespace orvane;
using namespace orvane::config;

// Assignments with every kind of literal, brackets, operators and both comment forms, repeated with
// varying names and numbers until the text reaches `size` characters.
std::u16string generate(std::size_t size) {
    std::string text;
    text.reserve(size + 256);
    for (unsigned i = 0; text.size() < size; ++i) {
        const std::string n = std::to_string(i);
        text += "// entry " + n + "\n";
        text += "settings['messenger_" + n + "']['status'] = \"away \\\"" + n + "\\\"\\t\\x41\";\n";
        text += "settings['messenger_" + n + "']['flags'] = vector(" + n + ", 0x1F, 0b101, -3.25e2, 'on');\n";
        text += "/* block comment " + n + " */ total += (" + n + " * 2 + 1.5) << 1;\n";
        text += "template = 'Playing ' 'on ' q{<SERVER> (" + n + ")};\n\n";
    }
    return widen(text);
}

const std::u16string& textOf(std::size_t size) {
    static std::map<std::size_t, std::u16string> cache;
    auto it = cache.find(size);
    if (it == cache.end()) it = cache.emplace(size, generate(size)).first;
    return it->second;
}

void BM_Scan(benchmark::State& state) {
    const std::u16string& text = textOf(static_cast<std::size_t>(state.range(0)) << 20);
    std::u16string error;
    std::size_t count = 0;
    for (auto _ : state) {
        // A fresh list each time, as the loader scans every file into a new one.
        std::vector<Token> tokens;
        if (!scanText(error, tokens, text)) state.SkipWithError("scan failed");
        benchmark::DoNotOptimize(tokens.data());
        count = tokens.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["tokens"] = static_cast<double>(count);
}
BENCHMARK(BM_Scan)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

// The same scan into a list kept from the run before, whose memory is already mapped: the scanner's own
// rate, without the first-touch page faults that a fresh list of 64-byte tokens costs.
void BM_ScanWarm(benchmark::State& state) {
    const std::u16string& text = textOf(static_cast<std::size_t>(state.range(0)) << 20);
    std::u16string error;
    std::vector<Token> tokens;
    scanText(error, tokens, text);
    for (auto _ : state) {
        if (!scanText(error, tokens, text)) state.SkipWithError("scan failed");
        benchmark::DoNotOptimize(tokens.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ScanWarm)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_Decode(benchmark::State& state) {
    TextFileBuffer source;
    source.encoding = static_cast<TextEncoding>(state.range(0));
    source.text = textOf(std::size_t{10} << 20);
    const std::string bytes = source.encode();
    for (auto _ : state) {
        TextFileBuffer file;
        file.decode(bytes);
        benchmark::DoNotOptimize(file.text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_Decode)
    ->Arg(static_cast<int>(TextEncoding::Latin1))
    ->Arg(static_cast<int>(TextEncoding::Utf8))
    ->Arg(static_cast<int>(TextEncoding::Utf16LE))
    ->Unit(benchmark::kMillisecond);

void BM_Encode(benchmark::State& state) {
    TextFileBuffer file;
    file.encoding = static_cast<TextEncoding>(state.range(0));
    file.text = textOf(std::size_t{10} << 20);
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = file.encode();
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_Encode)
    ->Arg(static_cast<int>(TextEncoding::Latin1))
    ->Arg(static_cast<int>(TextEncoding::Utf8))
    ->Arg(static_cast<int>(TextEncoding::Utf16LE))
    ->Unit(benchmark::kMillisecond);

}  // namespace
