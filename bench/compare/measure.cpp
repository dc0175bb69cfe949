#include "bench/compare/measure.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "bench/compare/heap_counter.h"

namespace orvane::compare {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

double Measurement::loadMBps() const { return loadSeconds > 0 ? inputBytes / kMB / loadSeconds : 0; }
double Measurement::printMBps() const { return printSeconds > 0 ? outputBytes / kMB / printSeconds : 0; }

double predictLoadSeconds(Contender& contender, const std::vector<std::string>& slices, std::size_t fullBytes,
                          double& exponent) {
    exponent = 1;
    double previous = 0, seconds = 0;
    std::size_t previousBytes = 0, bytes = 0;
    std::string error;
    for (const std::string& slice : slices) {
        previous = seconds;
        previousBytes = bytes;
        bytes = slice.size();
        seconds = std::numeric_limits<double>::infinity();
        for (int run = 0; run < 2; ++run) {
            contender.release();
            const Clock::time_point start = Clock::now();
            if (!contender.load(slice, error)) return 0;
            seconds = std::min(seconds, secondsSince(start));
        }
        // The steepest growth between two slices long enough to time: on a busy machine one pair
        // alone can understate a quadratic load and start a run of hours.
        if (previousBytes > 0 && previous >= kShortestTimed && bytes > previousBytes) {
            const double growth = std::log(seconds / previous) / std::log(static_cast<double>(bytes) / previousBytes);
            if (std::isfinite(growth)) exponent = std::max(growth, exponent);
        }
        if (seconds >= kProbeSeconds) break;
    }
    contender.release();
    return bytes ? seconds * std::pow(static_cast<double>(fullBytes) / bytes, exponent) : 0;
}

Measurement measure(Contender& contender, const std::string& text, Shape shape, const Budget& budget) {
    Measurement m;
    m.inputBytes = text.size();
    double best = std::numeric_limits<double>::infinity();
    for (double total = 0; m.loadRuns < budget.minRuns || total < budget.minSeconds; ++m.loadRuns) {
        contender.release();
        resetPeak();
        const std::size_t before = liveBytes();
        const Clock::time_point start = Clock::now();
        const bool loaded = contender.load(text, m.error);
        const double seconds = secondsSince(start);
        if (!loaded) return m;
        if (m.loadRuns == 0) {
            m.peakHeapBytes = peakBytes() - before;
            m.count = contender.count(shape);
        }
        total += seconds;
        if (seconds < best) best = seconds;
    }
    m.loadSeconds = best;

    best = std::numeric_limits<double>::infinity();
    for (double total = 0; m.printRuns < budget.minRuns || total < budget.minSeconds; ++m.printRuns) {
        contender.dropOutput();
        const Clock::time_point start = Clock::now();
        m.outputBytes = contender.print();
        const double seconds = secondsSince(start);
        total += seconds;
        if (seconds < best) best = seconds;
    }
    m.printSeconds = best;
    return m;
}

}  // namespace orvane::compare
