// Timing one library on one text: best-of-N load and print, and the heap one load adds.
//
// Invariants: every timed span covers the library call alone (releasing the previous tree or
// output happens before the clock starts); each operation runs at least `minRuns` times and until
// the runs together took `minSeconds`; the peak heap is read on the first load, which starts from
// a released contender, so it counts the tree and the parser's scratch but not the input text.
// (A library that pools freed memory itself shows less on a later load: see firstLoadPeak.)
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bench/compare/contender.h"

namespace orvane::compare {

struct Budget {
    double minSeconds = 0.3;
    int minRuns = 3;
};

struct Measurement {
    std::size_t inputBytes = 0;
    std::size_t outputBytes = 0;
    double loadSeconds = 0;   // the best run
    double printSeconds = 0;  // the best run
    int loadRuns = 0;
    int printRuns = 0;
    std::size_t peakHeapBytes = 0;
    std::size_t count = 0;  // see Shape, counted after the first load
    std::string error;      // the library's reason when it refused the text; nothing else is set then

    double loadMBps() const;
    double printMBps() const;
};

inline constexpr double kMB = 1024.0 * 1024.0;

// Seconds one load of `fullBytes` would take, from loads of slices of the same data, each twice
// the size of the one before: they stop at the first slice that takes kProbeSeconds (or the last),
// and the steepest growth between two neighbouring slices that take kShortestTimed or more is
// carried on to the full size, never below linear. Short loads before a long one keep a slow library's probe short and a fast one's estimate
// free of timer noise. `exponent` receives the growth (1: linear, 2: quadratic). 0 when a slice fails.
inline constexpr double kProbeSeconds = 0.25;
inline constexpr double kShortestTimed = 0.005;  // a slice faster than this says nothing of growth
double predictLoadSeconds(Contender& contender, const std::vector<std::string>& slices, std::size_t fullBytes,
                          double& exponent);

// Leaves the contender holding its last tree and output, for checks; the caller releases it.
Measurement measure(Contender& contender, const std::string& text, Shape shape, const Budget& budget);

}  // namespace orvane::compare
