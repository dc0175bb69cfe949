// compare_bench: our configuration library against libconfig++, yaml-cpp, toml++, nlohmann/json and
// RapidJSON on the same three data sets, then ours alone at three sizes to show how load and print
// scale. Run from the repository root (scripts/bench.sh does); it writes docs/bench-compare.csv and
// docs/bench-compare.png unless told otherwise.
//
//   compare_bench [--quick] [--no-scale] [--csv FILE] [--png FILE]
//
// --quick shrinks every data set a hundredfold and writes no files unless named: a smoke run for
// sanitizer builds. Exit status 1 when a library refuses a text, counts the wrong number of records,
// or ours does not read back exactly the data it was given and then its own printed output.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench/compare/contender_orvane.h"
#include "bench/compare/heap_counter.h"
#include "bench/compare/measure.h"
#include "bench/compare/report.h"

namespace orvane::compare {
namespace {

struct Options {
    bool quick = false;
    bool scale = true;
    std::string csv = "docs/bench-compare.csv";
    std::string png = "docs/bench-compare.png";
};

bool parseOptions(int argc, char** argv, Options& options) {
    bool csvNamed = false, pngNamed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            options.quick = true;
        } else if (arg == "--no-scale") {
            options.scale = false;
        } else if ((arg == "--csv" || arg == "--png") && i + 1 < argc) {
            (arg == "--csv" ? options.csv : options.png) = argv[++i];
            (arg == "--csv" ? csvNamed : pngNamed) = true;
        } else {
            return false;
        }
    }
    if (options.quick && !csvNamed) options.csv.clear();
    if (options.quick && !pngNamed) options.png.clear();
    return true;
}

// Library messages become one table cell: no line breaks, bars or double quotes.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
        if (c == '|') c = '/';
        if (c == '"') c = '\'';
    }
    return text;
}

bool fail(const std::string& message) {
    std::fprintf(stderr, "FAILED: %s\n", message.c_str());
    return false;
}

// Ours must hold exactly the neutral data, and read its own printed text back to the same.
bool checkOurs(OrvaneContender& ours, const DataSet& data) {
    const Value expected = toValue(data.root);
    std::string where = difference(ours.tree(), expected);
    if (!where.empty()) return fail("orvane's tree of " + data.name + " differs from the data " + where);
    const std::string printed = ours.output();
    ours.release();
    std::string error;
    if (!ours.load(printed, error)) return fail("orvane cannot read its own " + data.name + " output: " + error);
    where = difference(ours.tree(), expected);
    if (!where.empty()) return fail("orvane's printed " + data.name + " reads back different " + where);
    return true;
}

// A load that would take longer than this is not run: libconfig++'s load time, for one, grows with
// the square of the number of top-level settings, so a million of them would take it hours.
constexpr double kMaxLoadSeconds = 60;
// The slices that estimate a load's time before it runs: 1/200 of the data set, doubling to 1/4.
constexpr double kFirstSlice = 0.005;
constexpr int kSlices = 6;

// `make(fraction)` builds the data set, or a slice of it for the estimate.
bool compareOn(const std::function<DataSet(double)>& make, std::optional<std::size_t> oursPeak,
               const std::vector<std::unique_ptr<Contender>>& contenders, const Budget& budget, std::vector<Row>& rows) {
    std::string texts[std::size(kFormats)];
    std::vector<std::string> slices[std::size(kFormats)];
    DataSet data = make(1.0);
    for (Format format : kFormats) texts[static_cast<std::size_t>(format)] = writeText(data, format);
    // Only the texts stay while libraries run: the neutral tree, millions of small blocks, would
    // leave the heap fragmented around them. The check on ours builds it again.
    data.root = Node();
    for (double fraction = kFirstSlice; slices[0].size() < kSlices; fraction *= 2) {
        const DataSet slice = make(fraction);
        for (Format format : kFormats) slices[static_cast<std::size_t>(format)].push_back(writeText(slice, format));
    }
    bool ok = true;
    for (const auto& contender : contenders) {
        const auto f = static_cast<std::size_t>(contender->format());
        std::fprintf(stderr, "%s / %s ...", data.name.c_str(), contender->name());
        std::fflush(stderr);
        Row row{data.name, contender->name(), formatName(contender->format()), {}, {}};
        double exponent = 1;
        const double predicted = predictLoadSeconds(*contender, slices[f], texts[f].size(), exponent);
        if (predicted > kMaxLoadSeconds) {
            char reason[160];
            std::snprintf(reason, sizeof reason, "load time grows as size^%.1f, one load would take about %.0f s",
                          exponent, predicted);
            row.skipped = reason;
            row.m.inputBytes = texts[f].size();
            std::fprintf(stderr, " not run: %s\n", reason);
            rows.push_back(std::move(row));
            continue;
        }
        row.m = measure(*contender, texts[f], data.shape, budget);
        row.m.error = oneLine(row.m.error);
        std::fprintf(stderr, " load %.1f MB/s (%d runs; %.2f s, estimated %.2f s), print %.1f MB/s (%d runs)\n",
                     row.m.loadMBps(), row.m.loadRuns, row.m.loadSeconds, predicted, row.m.printMBps(),
                     row.m.printRuns);
        if (!row.m.error.empty()) {
            ok = fail(std::string(contender->name()) + " refused " + data.name + ": " + row.m.error);
        } else if (row.m.count != data.expectedCount) {
            ok = fail(std::string(contender->name()) + " counted " + std::to_string(row.m.count) + " in " +
                      data.name + ", expected " + std::to_string(data.expectedCount));
        } else if (contender->name() == std::string(kOurs)) {
            row.m.peakHeapBytes = oursPeak.value_or(0);
            if (!oursPeak) ok = fail("orvane's first load of " + data.name + " in a child process failed");
            ok = checkOurs(static_cast<OrvaneContender&>(*contender), make(1.0)) && ok;
        }
        contender->release();
        rows.push_back(std::move(row));
    }
    return ok;
}

// Runs `work` in a forked child, which may write to the descriptor it is given: what it wrote, once
// it returned true; null when it returned false or the child could not be started or did not finish.
std::optional<std::string> inChild(const std::function<bool(int)>& work) {
    int channel[2];
    if (pipe(channel) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const bool ok = work(channel[1]);
        std::fflush(nullptr);
        _exit(ok ? 0 : 1);
    }
    close(channel[1]);
    std::string sent;
    char chunk[4096];
    for (ssize_t n; child > 0 && (n = read(channel[0], chunk, sizeof chunk)) > 0;)
        sent.append(chunk, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return sent;
}

// Ours keeps freed Value bodies in a pool that never shrinks, so once it has loaded anything, later
// loads reuse those bodies and malloc sees less than the tree needs. Its peak heap per data set is
// therefore taken in a child forked before ours loads anything in this process, on its first load.
std::optional<std::size_t> firstLoadPeak(const std::function<DataSet(double)>& make) {
    const std::optional<std::string> sent = inChild([&](int out) {
        const std::string text = writeText(make(1.0), Format::Orvane);
        OrvaneContender ours;
        resetPeak();
        const std::size_t before = liveBytes();
        std::string error;
        if (!ours.load(text, error)) return false;
        const std::size_t peak = peakBytes() - before;
        return write(out, &peak, sizeof peak) == static_cast<ssize_t>(sizeof peak);
    });
    std::size_t peak = 0;
    if (!sent || sent->size() != sizeof peak) return std::nullopt;
    std::memcpy(&peak, sent->data(), sizeof peak);
    return peak;
}

// Ours alone on settings texts of about 1, 10 and 100 MB; linear work keeps MB/s flat across them.
bool scaling(bool quick, const Budget& budget) {
    const std::size_t perRecord = writeText(settingsData(1000), Format::Orvane).size() / 1000;
    const double sizes[] = {1, 10, 100};
    const double unit = quick ? kMB / 100 : kMB;
    Measurement at[3];
    bool ok = true;
    OrvaneContender ours;
    for (int i = 0; i < 3; ++i) {
        const std::size_t records = static_cast<std::size_t>(sizes[i] * unit) / perRecord;
        // Our text of a record slice is one statement per record, so slices simply concatenate.
        std::string text;
        for (std::size_t first = 0; first < records; first += 10000)
            text += writeText(settingsData(std::min<std::size_t>(10000, records - first), first), Format::Orvane);
        std::fprintf(stderr, "scale / %.0f MB ...", text.size() / kMB);
        std::fflush(stderr);
        at[i] = measure(ours, text, Shape::Records, budget);
        std::fprintf(stderr, " load %.1f MB/s, print %.1f MB/s\n", at[i].loadMBps(), at[i].printMBps());
        if (!at[i].error.empty()) ok = fail("orvane refused the scale text: " + oneLine(at[i].error));
        else if (at[i].count != records) ok = fail("orvane counted the wrong number of scale records");
        ours.release();
    }
    std::printf("\n| orvane, settings | records | load MB/s | print MB/s |\n|---|--:|--:|--:|\n");
    for (int i = 0; i < 3; ++i)
        std::printf("| %.1f MB | %zu | %.1f | %.1f |\n", at[i].inputBytes / kMB, at[i].count, at[i].loadMBps(),
                    at[i].printMBps());
    // Per-byte time at the largest size over that at a smaller one: 1.00 is linear. Against the
    // smallest, whose tree and output fit in the processor's caches, it is the target; against the
    // middle one, where neither fits any more, it shows what the size itself adds.
    const auto growth = [&](int from, double (Measurement::*speed)() const) {
        const double small = (at[from].*speed)(), large = (at[2].*speed)();
        return small > 0 && large > 0 ? small / large : 0;
    };
    for (const int from : {0, 1})
        std::printf("%sper-byte time at %.0f MB over that at %.1f MB: load %.2f, print %.2f (linear: 1.00)\n",
                    from == 0 ? "\n" : "", at[2].inputBytes / kMB, at[from].inputBytes / kMB,
                    growth(from, &Measurement::loadMBps), growth(from, &Measurement::printMBps));
    std::printf("\n");
    return ok;
}

// The scale part measures how our own cost grows with the input, so it runs before anything else,
// in a child of a process that has loaded nothing yet: run after the data sets, it measured the heap
// the other libraries leave behind as well (after yaml-cpp's 1.2 GB peak, a 100 MB load came out
// 5-10% slower per byte than in a fresh process, a 1 MB one not at all). Its table goes to a pipe
// and is printed after the comparison, as before. Null when the child could not run or found a fault,
// which it reports on stderr.
std::optional<std::string> scalingInFreshProcess(bool quick, const Budget& budget) {
    return inChild([&](int out) { return dup2(out, STDOUT_FILENO) >= 0 && scaling(quick, budget); });
}

int run(const Options& options) {
    const Budget budget{options.quick ? 0.0 : 0.3, 3};
    std::vector<std::unique_ptr<Contender>> contenders;
    contenders.push_back(std::make_unique<OrvaneContender>());
    contenders.push_back(makeLibconfig());
    contenders.push_back(makeYamlCpp());
    contenders.push_back(makeTomlpp());
    contenders.push_back(makeNlohmann());
    contenders.push_back(makeRapidJson());

    // Full sizes: 100,000 settings records, 1,000,000 flat keys, and as many 100-level deep chains
    // as bring our text to about 10 MB. --quick takes a hundredth of each.
    const double size = options.quick ? 0.01 : 1.0;
    const double deepEntries = 10 * kMB / static_cast<double>(writeText(deepData(1), Format::Orvane).size());
    const auto part = [size](double fraction, double count) {
        return std::max<std::size_t>(1, static_cast<std::size_t>(count * size * fraction));
    };
    const std::function<DataSet(double)> dataSets[] = {
        [&](double f) { return settingsData(part(f, 100000)); },
        [&](double f) { return flatData(part(f, 1000000)); },
        [&](double f) { return deepData(part(f, deepEntries)); },
    };

    bool ok = heapCounterSeesAllocations() || fail("the heap counter misses allocations: malloc is not interposed");
    std::optional<std::string> scale;
    if (options.scale) {
        scale = scalingInFreshProcess(options.quick, budget);
        if (!scale) ok = fail("the scale part failed");
    }
    std::vector<Row> rows;
    std::optional<std::size_t> oursPeaks[std::size(dataSets)];
    for (std::size_t i = 0; i < std::size(dataSets); ++i) oursPeaks[i] = firstLoadPeak(dataSets[i]);
    for (std::size_t i = 0; i < std::size(dataSets); ++i)
        ok = compareOn(dataSets[i], oursPeaks[i], contenders, budget, rows) && ok;

    std::printf("%s\n", heapCounting() ? "" : "(heap not counted: the sanitizer owns malloc)\n");
    printTable(stdout, rows);
    if (!options.csv.empty() && !writeCsv(options.csv, rows)) ok = fail("cannot write " + options.csv);
    if (!options.png.empty() && !drawPlot(options.png, rows)) ok = fail("gnuplot could not draw " + options.png);
    if (scale) std::fputs(scale->c_str(), stdout);
    std::fflush(stdout);
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace orvane::compare

int main(int argc, char** argv) {
    orvane::compare::Options options;
    if (!orvane::compare::parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: compare_bench [--quick] [--no-scale] [--csv FILE] [--png FILE]\n");
        return 2;
    }
    return orvane::compare::run(options);
}
