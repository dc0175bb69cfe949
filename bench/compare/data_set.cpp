// Generators for the three data sets; the values vary with the record number so that no library
// gains from repeated keys or strings beyond what real settings would give it.
#include "bench/compare/data_set.h"

namespace orvane::compare {

Node Node::of(std::int32_t v) {
    Node n;
    n.kind = Kind::Integer;
    n.integer = v;
    return n;
}

Node Node::of(double v) {
    Node n;
    n.kind = Kind::Float;
    n.real = v;
    return n;
}

Node Node::of(bool v) {
    Node n;
    n.kind = Kind::Boolean;
    n.boolean = v;
    return n;
}

Node Node::of(std::string v) {
    Node n;
    n.kind = Kind::String;
    n.text = std::move(v);
    return n;
}

Node Node::list() {
    Node n;
    n.kind = Kind::List;
    return n;
}

Node Node::map() { return Node(); }

Node& Node::add(std::string key, Node value) {
    members.emplace_back(std::move(key), std::move(value));
    return members.back().second;
}

namespace {

std::int32_t int32(std::size_t v) { return static_cast<std::int32_t>(v); }

// An odd quarter in (0, 200): never integral, exact in two decimals and in "%g".
double quarter(std::size_t i) { return static_cast<double>(i % 400 * 2 + 1) / 4.0; }

Node settingsRecord(std::size_t i) {
    static const char* const kTags[] = {"pub", "ctf", "tdm", "dm", "sd", "hq", "lan", "eu"};
    Node r = Node::map();
    r.add("name", Node::of("server " + std::to_string(i)));
    r.add("address", Node::of("10." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) +
                                  "." + std::to_string(i % 256)));
    r.add("port", Node::of(int32(28960 + i % 1000)));
    r.add("public", Node::of(i % 3 != 0));
    r.add("ratio", Node::of(quarter(i)));
    Node& tags = r.add("tags", Node::list());
    for (std::size_t t = 0; t < 3; ++t) tags.items.push_back(Node::of(std::string(kTags[(i + t * 3) % 8])));
    Node& rules = r.add("rules", Node::map());
    rules.add("max", Node::of(int32(8 + i % 57)));
    rules.add("timeout", Node::of(int32(i % 600)));
    rules.add("scale", Node::of(quarter(i * 7 + 1)));
    Node& ports = r.add("ports", Node::list());
    for (std::size_t p = 0; p < 4; ++p) ports.items.push_back(Node::of(int32((i * 31 + p * 1009) % 65536)));
    return r;
}

}  // namespace

DataSet settingsData(std::size_t records, std::size_t first) {
    DataSet set{"settings", Shape::Records, Node::map(), records};
    Node& list = set.root.add("records", Node::list());
    list.items.reserve(records);
    for (std::size_t i = first; i < first + records; ++i) list.items.push_back(settingsRecord(i));
    return set;
}

DataSet flatData(std::size_t keys) {
    DataSet set{"flat", Shape::Flat, Node::map(), keys};
    set.root.members.reserve(keys);
    for (std::size_t i = 0; i < keys; ++i) set.root.add("key" + std::to_string(i), Node::of(int32(i * 7919 % 100000)));
    return set;
}

DataSet deepData(std::size_t entries) {
    DataSet set{"deep", Shape::Deep, Node::map(), entries * kDeepLevels};
    set.root.members.reserve(entries);
    for (std::size_t e = 0; e < entries; ++e) {
        Node* level = &set.root.add("entry" + std::to_string(e), Node::map());
        for (std::size_t d = 0; d < kDeepLevels; ++d) {
            level->add("depth", Node::of(int32(d)));
            level->add("label", Node::of("level " + std::to_string(d) + " of " + std::to_string(e)));
            if (d + 1 < kDeepLevels) level = &level->add("next", Node::map());
        }
    }
    return set;
}

}  // namespace orvane::compare
