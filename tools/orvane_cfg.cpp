// orvane-cfg: the command line to the configuration library.
//
// Output contract: results go to stdout, errors to stderr followed by one "\n"; 16-bit text leaves as
// UTF-8, each code unit encoded on its own. Exit codes: 0 success, 1 the input failed, 2 bad usage.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/config_parser.h"
#include "config/node.h"
#include "config/printer.h"
#include "config/scanner.h"
#include "config/text_file.h"
#include "config/tree_builder.h"
#include "value/text.h"

namespace {

using namespace orvane;
using namespace orvane::config;

constexpr const char* kHelp =
    "usage: orvane-cfg COMMAND FILE [OPTIONS]\n"
    "\n"
    "Reads a file of the Orvane configuration language.\n"
    "\n"
    "commands:\n"
    "  tree FILE                  print the expression tree of FILE on one line, as kind[child, ...]\n"
    "  print FILE [--display DESC] [--meta META]\n"
    "                             load FILE and print the loaded values back in the language\n"
    "  check FILE [--meta META]   load FILE; print nothing when it loads, else the error\n"
    "  --help, -h                 show this help\n"
    "\n"
    "options:\n"
    "  --display DESC   lay the output out as the description loaded from DESC says\n"
    "  --meta META      validate FILE against the meta model loaded from META\n"
    "\n"
    "Output is UTF-8. Errors go to stderr, one message and a line break.\n"
    "exit status: 0 success, 1 the file could not be read or has an error, 2 bad usage\n";

void write(std::FILE* to, std::u16string_view text) {
    const std::string bytes = toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), to);
}

int fail(std::u16string_view error) {
    write(stderr, error);
    write(stderr, u"\n");
    return 1;
}

int usage(const char* problem) {
    std::fprintf(stderr, "orvane-cfg: %s\n\n%s", problem, kHelp);
    return 2;
}

bool readText(const std::string& path, std::u16string& text, std::u16string& error) {
    TextFileBuffer file;
    if (!file.readFile(path)) {
        error = format(u"%ls: Cannot open file", widen(path));
        return false;
    }
    text = std::move(file.text);
    return true;
}

int treeCommand(const std::string& path) {
    std::u16string text, error;
    if (!readText(path, text, error)) return fail(error);
    std::vector<Token> tokens;
    if (!scanText(error, tokens, text)) return fail(error);
    Tree tree;
    if (!buildTree(error, tokens, tree)) return fail(error);
    write(stdout, treeNotation(tree.root()));
    write(stdout, u"\n");
    return 0;
}

// Loads a description (a display description or a meta model) without validation.
bool loadDescription(const std::string& path, Value& out, std::u16string& error) {
    ConfigParser parser;
    if (!parser.loadFile(std::string_view(path), Value(), false)) {
        error = std::move(parser.error);
        return false;
    }
    out = std::move(parser.variables);
    return true;
}

// How many values printing `store` writes: a part shared by several places (['a'] = ['b'] = {...})
// is written once per place, so a short file can stand for more text than any memory holds. Each
// shared part is counted once and its count reused; counting stops at `cap`.
std::uint64_t placesToPrint(const Value& store, std::uint64_t cap) {
    struct Frame {
        Value container;
        Value key;              // Hash: the member to count next; Undef at the end
        std::uint32_t index;    // Vector: the member to count next
        std::uint64_t sum;      // places counted so far, the container itself included
    };
    std::unordered_map<const void*, std::uint64_t> counted;
    std::vector<Frame> stack;
    std::uint64_t last = 0;  // the count of the member just finished
    auto enter = [&](const Value& v) {
        const auto known = counted.find(v.identity());
        if (known != counted.end()) {
            last = known->second;
        } else if (v.kind() == ValueKind::Hash || v.kind() == ValueKind::Vector) {
            stack.push_back({v, v.kind() == ValueKind::Hash ? v.firstKey() : Value(), 0, 1});
            last = 0;
        } else {
            last = 1;
        }
    };
    enter(store);
    while (!stack.empty()) {
        Frame& f = stack.back();
        f.sum = std::min(cap, f.sum + last);
        last = 0;
        Value member;
        if (f.container.kind() == ValueKind::Vector && f.index < f.container.size()) {
            member = f.container.at(f.index++);
        } else if (f.container.kind() == ValueKind::Hash && f.key.kind() != ValueKind::Undef) {
            member = f.container.find(f.key);
            f.key = f.container.nextKey(f.key);
        } else {
            last = f.sum;
            counted.emplace(f.container.identity(), f.sum);
            stack.pop_back();
            continue;
        }
        if (f.sum >= cap) continue;  // enough: the rest need not be looked at
        enter(member);
    }
    return last;
}

// Printing writes one value in a few dozen characters at least: past this many, give up in words.
constexpr std::uint64_t kMostPrintedValues = std::uint64_t{1} << 26;

struct LoadOptions {
    std::string file;
    std::string display;  // empty: none
    std::string meta;     // empty: none
};

int loadCommand(const LoadOptions& options, bool print) {
    std::u16string error;
    Value description, metaModel;
    if (!options.display.empty() && !loadDescription(options.display, description, error)) return fail(error);
    if (!options.meta.empty() && !loadDescription(options.meta, metaModel, error)) return fail(error);
    ConfigParser parser;
    if (!parser.loadFile(std::string_view(options.file), metaModel, false)) return fail(parser.error);
    if (print) {
        if (placesToPrint(parser.variables, kMostPrintedValues) >= kMostPrintedValues) {
            return fail(widen(options.file) +
                        u": the store shares its parts so widely that printing it would write more than " +
                        widen(std::to_string(kMostPrintedValues)) + u" values");
        }
        const std::string text = printConfigUtf8(parser.variables, description);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage("missing command");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args[0] == "tree") {
        if (args.size() != 2) return usage("tree takes exactly one FILE");
        return treeCommand(args[1]);
    }
    if (args[0] == "print" || args[0] == "check") {
        const bool print = args[0] == "print";
        LoadOptions options;
        for (std::size_t i = 1; i < args.size(); ++i) {
            std::string* target = nullptr;
            if (args[i] == "--display" && print) target = &options.display;
            else if (args[i] == "--meta") target = &options.meta;
            if (target) {
                if (i + 1 == args.size() || args[i + 1].empty())
                    return usage((args[i] + " needs a file name").c_str());
                *target = args[++i];
            } else if (args[i].size() > 1 && args[i][0] == '-') {
                return usage(("unknown option '" + args[i] + "'").c_str());
            } else if (options.file.empty()) {
                options.file = args[i];
            } else {
                return usage((args[0] + " takes exactly one FILE").c_str());
            }
        }
        if (options.file.empty()) return usage((args[0] + " needs a FILE").c_str());
        return loadCommand(options, print);
    }
    return usage(("unknown command '" + args[0] + "'").c_str());
}
