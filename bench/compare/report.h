// The comparison's outputs: a markdown table on a stream, a CSV file and a PNG bar chart.
//
// Ratios are taken against ours on the same data set: load and print speed as ours/theirs (above 1:
// ours is faster), peak heap as theirs/ours (above 1: ours needs less). Rows keep their order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "bench/compare/measure.h"

namespace orvane::compare {

inline constexpr const char* kOurs = "orvane";

struct Row {
    std::string dataSet;
    std::string library;
    std::string format;
    Measurement m;
    std::string skipped;  // why the cell was not run; m holds nothing then
};

void printTable(std::FILE* out, const std::vector<Row>& rows);
bool writeCsv(const std::string& path, const std::vector<Row>& rows);
// Grouped bars of load and print MB/s per data set and library, drawn by gnuplot; false when
// gnuplot is missing or fails.
bool drawPlot(const std::string& path, const std::vector<Row>& rows);

}  // namespace orvane::compare
