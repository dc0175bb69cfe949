// One writer per format: the neutral tree of a data set as text each library reads.
//
// Layouts follow each format's common hand-written style, one record or entry per line where the
// format allows it: ours writes a top-level List of Maps as one `['key'][] = { ... };` statement per
// element and short Lists as comma lists; JSON one member or element per line; YAML block style
// (flow style for the deep set, where block indentation would grow with the square of the depth and
// make the text mostly spaces); TOML [[key]] tables with inline sub-tables; libconfig a list of
// groups. Writers recurse, which is safe: data sets are built here, at most kDeepLevels deep.
#pragma once

#include <cstdint>
#include <string>

#include "bench/compare/data_set.h"

namespace orvane::compare {

enum class Format : std::uint8_t { Orvane, Json, Yaml, Toml, Libconfig };

inline constexpr Format kFormats[] = {Format::Orvane, Format::Json, Format::Yaml, Format::Toml,
                                      Format::Libconfig};

const char* formatName(Format format);

std::string writeText(const DataSet& data, Format format);

}  // namespace orvane::compare
