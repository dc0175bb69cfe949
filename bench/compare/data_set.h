// The neutral data every library reads: one tree per data set, built here and written in each
// library's format by writers.h, so all of them load the same values.
//
// Invariants: strings are printable ASCII without quotes or backslashes and keys are identifiers
// (every format takes them bare or in plain quotes); Integers fit in 32 bits; Map keys are unique.
// Floats are odd multiples of 1/4 below 200: two decimals write them exactly, they are positive (our
// language's minus takes Integers only) and never integral (our printer writes 2.0 as "2", which
// reads back as an Integer), so our printed text reads back to the same tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvane::compare {

struct Node {
    enum class Kind : std::uint8_t { Integer, Float, Boolean, String, List, Map };

    Kind kind = Kind::Map;
    std::int32_t integer = 0;
    double real = 0.0;
    bool boolean = false;
    std::string text;
    std::vector<Node> items;                            // List
    std::vector<std::pair<std::string, Node>> members;  // Map, in writing order

    static Node of(std::int32_t v);
    static Node of(double v);
    static Node of(bool v);
    static Node of(std::string v);
    static Node list();
    static Node map();
    Node& add(std::string key, Node value);  // appends a member; returns the stored value
};

// What "record count" means differs per data set; each library counts its own tree the same way.
enum class Shape : std::uint8_t {
    Records,  // the root's "records" List: its length
    Flat,     // the root Map: its member count
    Deep,     // the root Map's entries, each a chain of Maps linked by "next": all chains' Maps
};

struct DataSet {
    std::string name;
    Shape shape;
    Node root;
    std::size_t expectedCount;  // what every library must count in its loaded tree
};

inline constexpr std::size_t kDeepLevels = 100;

// Records first .. first + records - 1: consecutive slices concatenate to the slice of their union.
DataSet settingsData(std::size_t records, std::size_t first = 0);
DataSet flatData(std::size_t keys);
DataSet deepData(std::size_t entries);

}  // namespace orvane::compare
