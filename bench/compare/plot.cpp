// drawPlot: gnuplot reads the figures as inline data blocks from a pipe, so no data file is left
// behind; rows become clusters per data set, one bar per library, in the order the rows came.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/compare/report.h"

namespace orvane::compare {

namespace {

void appendUnique(std::vector<std::string>& list, const std::string& item) {
    for (const std::string& known : list)
        if (known == item) return;
    list.push_back(item);
}

// One block: a header line of quoted library names, then a line per data set; "?" where a library
// has no figure (it failed on that set or was not run).
std::string dataBlock(const char* name, const std::vector<Row>& rows, const std::vector<std::string>& sets,
                      const std::vector<std::string>& libraries, double (Measurement::*figure)() const) {
    std::string block = std::string("$") + name + " << EOD\n\"data set\"";
    for (const std::string& library : libraries) block += " \"" + library + "\"";
    block += '\n';
    for (const std::string& set : sets) {
        block += set;
        for (const std::string& library : libraries) {
            std::string cell = " ?";
            for (const Row& row : rows) {
                if (row.dataSet != set || row.library != library || !row.m.error.empty() || !row.skipped.empty())
                    continue;
                char number[32];
                std::snprintf(number, sizeof number, " %.2f", (row.m.*figure)());
                cell = number;
            }
            block += cell;
        }
        block += '\n';
    }
    return block + "EOD\n";
}

}  // namespace

bool drawPlot(const std::string& path, const std::vector<Row>& rows) {
    std::vector<std::string> sets, libraries;
    for (const Row& row : rows) {
        appendUnique(sets, row.dataSet);
        appendUnique(libraries, row.library);
    }
    std::string script = "set terminal pngcairo size 1400,560 font 'sans,10'\n"
                         "set output '" + path + "'\n"
                         "set datafile missing '?'\n"
                         "set style data histograms\n"
                         "set style histogram clustered gap 1\n"
                         "set style fill solid 0.85 border -1\n"
                         "set boxwidth 0.9\n"
                         "set grid ytics\n"
                         "set logscale y\n"
                         "set ylabel 'MB/s (log scale)'\n"
                         "set key outside bottom center horizontal\n";
    script += dataBlock("load", rows, sets, libraries, &Measurement::loadMBps);
    script += dataBlock("print", rows, sets, libraries, &Measurement::printMBps);
    const std::string columns = std::to_string(libraries.size() + 1);
    script += "set multiplot layout 1,2 title 'Indicative: one run on a shared 2-core machine'\n"
              "set title 'load: text in memory to tree (MB/s of input)'\n"
              "plot for [i=2:" + columns + "] $load using i:xtic(1) title columnheader(i)\n"
              "set title 'print: tree to text in memory (MB/s of output)'\n"
              "plot for [i=2:" + columns + "] $print using i:xtic(1) title columnheader(i)\n"
              "unset multiplot\n";
    std::FILE* gnuplot = popen("gnuplot", "w");
    if (!gnuplot) return false;
    const bool written = std::fwrite(script.data(), 1, script.size(), gnuplot) == script.size();
    return pclose(gnuplot) == 0 && written;
}

}  // namespace orvane::compare
