#include "bench/compare/report.h"

#include <memory>

#include "bench/compare/heap_counter.h"

namespace orvane::compare {

namespace {

struct Ratios {
    double load = 0, print = 0, memory = 0;  // 0: not known
};

double ratio(double a, double b) { return a > 0 && b > 0 ? a / b : 0; }

Ratios ratiosOf(const Row& row, const std::vector<Row>& rows) {
    for (const Row& ours : rows) {
        if (ours.dataSet != row.dataSet || ours.library != kOurs) continue;
        return {ratio(ours.m.loadMBps(), row.m.loadMBps()), ratio(ours.m.printMBps(), row.m.printMBps()),
                ratio(static_cast<double>(row.m.peakHeapBytes), static_cast<double>(ours.m.peakHeapBytes))};
    }
    return {};
}

double heapMB(const Row& row) { return heapCounting() ? row.m.peakHeapBytes / kMB : 0; }
double heapPerByte(const Row& row) {
    return heapCounting() ? ratio(static_cast<double>(row.m.peakHeapBytes), static_cast<double>(row.m.inputBytes)) : 0;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void printTable(std::FILE* out, const std::vector<Row>& rows) {
    std::fprintf(out,
                 "| data set | library | input MB | load MB/s | print MB/s | peak heap MB | heap bytes per input byte "
                 "| load ours/theirs | print ours/theirs | memory theirs/ours |\n"
                 "|---|---|--:|--:|--:|--:|--:|--:|--:|--:|\n");
    for (const Row& row : rows) {
        if (!row.m.error.empty() || !row.skipped.empty()) {
            std::fprintf(out, "| %s | %s | %.1f | %s%s | | | | | | |\n", row.dataSet.c_str(), row.library.c_str(),
                         row.m.inputBytes / kMB, row.skipped.empty() ? "failed: " : "not run: ",
                         row.skipped.empty() ? row.m.error.c_str() : row.skipped.c_str());
            continue;
        }
        const Ratios r = ratiosOf(row, rows);
        std::fprintf(out, "| %s | %s | %.1f | %.1f | %.1f | %.1f | %.1f | %.2f | %.2f | %.2f |\n", row.dataSet.c_str(),
                     row.library.c_str(), row.m.inputBytes / kMB, row.m.loadMBps(), row.m.printMBps(), heapMB(row),
                     heapPerByte(row), r.load, r.print, r.memory);
    }
}

bool writeCsv(const std::string& path, const std::vector<Row>& rows) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file) return false;
    std::FILE* out = file.get();
    std::fprintf(out,
                 "data_set,library,format,input_bytes,output_bytes,load_runs,print_runs,load_mb_s,print_mb_s,"
                 "peak_heap_mb,heap_per_input_byte,load_ours_over_theirs,print_ours_over_theirs,"
                 "memory_theirs_over_ours,error,not_run\n");
    for (const Row& row : rows) {
        const Ratios r = ratiosOf(row, rows);
        std::fprintf(out, "%s,%s,%s,%zu,%zu,%d,%d,%.2f,%.2f,%.2f,%.2f,%.3f,%.3f,%.3f,\"%s\",\"%s\"\n", row.dataSet.c_str(),
                     row.library.c_str(), row.format.c_str(), row.m.inputBytes, row.m.outputBytes, row.m.loadRuns,
                     row.m.printRuns, row.m.loadMBps(), row.m.printMBps(), heapMB(row), heapPerByte(row), r.load,
                     r.print, r.memory, row.m.error.c_str(), row.skipped.c_str());
    }
    return std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace orvane::compare
