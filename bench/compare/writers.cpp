#include "bench/compare/writers.h"

#include <charconv>
#include <cstdio>

namespace orvane::compare {

namespace {

using Kind = Node::Kind;

bool isScalar(const Node& n) { return n.kind != Kind::List && n.kind != Kind::Map; }

bool isListOfMaps(const Node& n) {
    if (n.kind != Kind::List || n.items.empty()) return false;
    for (const Node& item : n.items)
        if (item.kind != Kind::Map) return false;
    return true;
}

// Integers, Floats with two decimals, and true/false read the same in every format; strings differ
// in their quotes only, since they hold no character that needs an escape.
void appendScalar(std::string& out, const Node& n, char quote) {
    char buffer[32];
    switch (n.kind) {
        case Kind::Integer: {
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, n.integer).ptr;
            out.append(buffer, end);
            break;
        }
        case Kind::Float: {
            const int length = std::snprintf(buffer, sizeof buffer, "%.2f", n.real);
            out.append(buffer, static_cast<std::size_t>(length));
            break;
        }
        case Kind::Boolean: out += n.boolean ? "true" : "false"; break;
        case Kind::String:
            out += quote;
            out += n.text;
            out += quote;
            break;
        case Kind::List:
        case Kind::Map: break;
    }
}

// --- ours ---

void appendOrvane(std::string& out, const Node& n) {
    if (n.kind == Kind::Map) {
        out += '{';
        for (const auto& [key, value] : n.members) {
            out += " ['" + key + "'] = ";
            appendOrvane(out, value);
            out += ';';
        }
        out += " }";
    } else if (n.kind == Kind::List) {
        bool comma = n.items.size() >= 2;  // a comma list is a Vector; shorter ones need vector()
        for (const Node& item : n.items) comma = comma && isScalar(item);
        out += comma ? "" : "vector(";
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            if (i) out += ", ";
            appendOrvane(out, n.items[i]);
        }
        out += comma ? "" : ")";
    } else {
        appendScalar(out, n, '\'');
    }
}

std::string writeOrvane(const Node& root) {
    std::string out;
    for (const auto& [key, value] : root.members) {
        if (isListOfMaps(value)) {
            for (const Node& item : value.items) {
                out += "['" + key + "'][] = ";
                appendOrvane(out, item);
                out += ";\n";
            }
        } else {
            out += "['" + key + "'] = ";
            appendOrvane(out, value);
            out += ";\n";
        }
    }
    return out;
}

// --- JSON ---

void appendJson(std::string& out, const Node& n) {
    if (n.kind == Kind::Map) {
        out += '{';
        for (std::size_t i = 0; i < n.members.size(); ++i) {
            out += i ? ",\"" : "\"";
            out += n.members[i].first + "\":";
            appendJson(out, n.members[i].second);
        }
        out += '}';
    } else if (n.kind == Kind::List) {
        out += '[';
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            if (i) out += ',';
            appendJson(out, n.items[i]);
        }
        out += ']';
    } else {
        appendScalar(out, n, '"');
    }
}

std::string writeJson(const Node& root) {
    std::string out = "{";
    for (std::size_t m = 0; m < root.members.size(); ++m) {
        const auto& [key, value] = root.members[m];
        out += m ? ",\n\"" : "\n\"";
        out += key + "\":";
        if (isListOfMaps(value)) {
            out += '[';
            for (std::size_t i = 0; i < value.items.size(); ++i) {
                out += i ? ",\n" : "\n";
                appendJson(out, value.items[i]);
            }
            out += "\n]";
        } else {
            appendJson(out, value);
        }
    }
    out += "\n}\n";
    return out;
}

// --- YAML ---

void appendYamlFlow(std::string& out, const Node& n) {
    if (n.kind == Kind::Map) {
        out += '{';
        for (std::size_t i = 0; i < n.members.size(); ++i) {
            out += i ? ", " : "";
            out += n.members[i].first + ": ";
            appendYamlFlow(out, n.members[i].second);
        }
        out += '}';
    } else if (n.kind == Kind::List) {
        out += '[';
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            out += i ? ", " : "";
            appendYamlFlow(out, n.items[i]);
        }
        out += ']';
    } else {
        appendScalar(out, n, '"');
    }
}

void appendYamlBlock(std::string& out, const Node& n, std::size_t indent, bool indentFirst);

// A member's value: scalars after "key: ", collections on the lines below. Sequences sit at their
// key's indentation ("- " counts as indentation), mappings two spaces in.
void appendYamlMember(std::string& out, const std::string& key, const Node& value, std::size_t indent) {
    out += key + ':';
    if (isScalar(value)) {
        out += ' ';
        appendScalar(out, value, '"');
        out += '\n';
    } else {
        out += '\n';
        appendYamlBlock(out, value, value.kind == Kind::Map ? indent + 2 : indent, true);
    }
}

void appendYamlBlock(std::string& out, const Node& n, std::size_t indent, bool indentFirst) {
    if (n.kind == Kind::Map) {
        for (std::size_t i = 0; i < n.members.size(); ++i) {
            if (i || indentFirst) out.append(indent, ' ');
            appendYamlMember(out, n.members[i].first, n.members[i].second, indent);
        }
    } else {
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            const Node& item = n.items[i];
            if (i || indentFirst) out.append(indent, ' ');
            out += "- ";
            if (isScalar(item)) {
                appendScalar(out, item, '"');
                out += '\n';
            } else {
                appendYamlBlock(out, item, indent + 2, false);
            }
        }
    }
}

std::string writeYaml(const DataSet& data) {
    std::string out;
    for (const auto& [key, value] : data.root.members) {
        if (data.shape == Shape::Deep) {
            out += key + ": ";
            appendYamlFlow(out, value);
            out += '\n';
        } else {
            appendYamlMember(out, key, value, 0);
        }
    }
    return out;
}

// --- TOML ---

void appendTomlInline(std::string& out, const Node& n) {
    if (n.kind == Kind::Map) {
        out += '{';
        for (std::size_t i = 0; i < n.members.size(); ++i) {
            out += i ? ", " : " ";
            out += n.members[i].first + " = ";
            appendTomlInline(out, n.members[i].second);
        }
        out += " }";
    } else if (n.kind == Kind::List) {
        out += '[';
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            out += i ? ", " : "";
            appendTomlInline(out, n.items[i]);
        }
        out += ']';
    } else {
        appendScalar(out, n, '"');
    }
}

// Plain members first: after the first [[table]] header every key belongs to that table.
std::string writeToml(const Node& root) {
    std::string out;
    for (const auto& [key, value] : root.members) {
        if (isListOfMaps(value)) continue;
        out += key + " = ";
        appendTomlInline(out, value);
        out += '\n';
    }
    for (const auto& [key, value] : root.members) {
        if (!isListOfMaps(value)) continue;
        for (const Node& item : value.items) {
            out += "[[" + key + "]]\n";
            for (const auto& [name, member] : item.members) {
                out += name + " = ";
                appendTomlInline(out, member);
                out += '\n';
            }
        }
    }
    return out;
}

// --- libconfig ---

// Arrays [ ] hold scalars of one type; lists ( ) anything else.
void appendLibconfig(std::string& out, const Node& n) {
    if (n.kind == Kind::Map) {
        out += '{';
        for (const auto& [key, value] : n.members) {
            out += ' ' + key + " = ";
            appendLibconfig(out, value);
            out += ';';
        }
        out += " }";
    } else if (n.kind == Kind::List) {
        bool array = true;
        for (const Node& item : n.items) array = array && isScalar(item) && item.kind == n.items.front().kind;
        out += array ? '[' : '(';
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            out += i ? ", " : "";
            appendLibconfig(out, n.items[i]);
        }
        out += array ? ']' : ')';
    } else {
        appendScalar(out, n, '"');
    }
}

std::string writeLibconfig(const Node& root) {
    std::string out;
    for (const auto& [key, value] : root.members) {
        out += key + " = ";
        if (isListOfMaps(value)) {
            out += '(';
            for (std::size_t i = 0; i < value.items.size(); ++i) {
                out += i ? ",\n" : "\n";
                appendLibconfig(out, value.items[i]);
            }
            out += "\n)";
        } else {
            appendLibconfig(out, value);
        }
        out += ";\n";
    }
    return out;
}

}  // namespace

const char* formatName(Format format) {
    switch (format) {
        case Format::Orvane: return "orvane";
        case Format::Json: return "JSON";
        case Format::Yaml: return "YAML";
        case Format::Toml: return "TOML";
        case Format::Libconfig: return "libconfig";
    }
    return "?";
}

std::string writeText(const DataSet& data, Format format) {
    switch (format) {
        case Format::Orvane: return writeOrvane(data.root);
        case Format::Json: return writeJson(data.root);
        case Format::Yaml: return writeYaml(data);
        case Format::Toml: return writeToml(data.root);
        case Format::Libconfig: return writeLibconfig(data.root);
    }
    return {};
}

}  // namespace orvane::compare
