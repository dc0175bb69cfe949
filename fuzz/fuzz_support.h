// Shared pieces of the fuzz targets: turning fuzz bytes into texts and file sets, an in-memory
// file reader for includes, and the checks that turn a broken invariant into a crash.
//
// Invariants:
// - Nothing here touches the disk: included files come only from the fuzz input.
// - Every walk over a Value keeps its own stack, so a deeply nested store cannot overflow here
//   before it could in the library.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/config_parser.h"
#include "value/text.h"
#include "value/value.h"

namespace orvane::fuzz {

// While armed, operator new throws std::bad_alloc once live heap would grow by more than `bytes`
// (see alloc_budget.cpp).
void armAllocationBudget(std::size_t bytes);
void disarmAllocationBudget();

// Runs one input's work under a heap budget of 64 MiB. Running out is a legitimate end of the
// input (the library throws nothing else); answers what `body` answers, or 0. The budget is far
// above what an input of max_len needs, and keeps a Vector grown by a large index (8 bytes per
// element, each walked by every later stage) below a second or so per pass under ASan.
template <class Body>
int withHeapBudget(Body&& body) {
    armAllocationBudget(std::size_t{64} << 20);
    int result = 0;
    try {
        result = body();
    } catch (const std::bad_alloc&) {
        result = 0;
    }
    disarmAllocationBudget();
    return result;
}

// A broken invariant: say which, then stop so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Raw bytes as UTF-16 code units, low byte first; an odd last byte is dropped.
inline std::u16string unitsOf(std::string_view bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                       static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    return out;
}

// A fuzz input as a set of files. A line "%%% NAME" starts the file NAME; the text before the
// first such line is the main file. A later file of the same name replaces an earlier one.
struct FileSet {
    std::string main;
    std::map<std::string, std::string, std::less<>> files;
};

inline FileSet splitFiles(std::string_view input) {
    static constexpr std::string_view kMarker = "%%% ";
    FileSet set;
    std::string* current = &set.main;
    std::size_t at = 0;
    while (at < input.size()) {
        std::size_t end = input.find('\n', at);
        end = end == std::string_view::npos ? input.size() : end + 1;
        const std::string_view line = input.substr(at, end - at);
        if (line.substr(0, kMarker.size()) == kMarker) {
            std::string_view name = line.substr(kMarker.size());
            while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.remove_suffix(1);
            current = &set.files[std::string(name)];
            current->clear();
        } else {
            current->append(line);
        }
        at = end;
    }
    return set;
}

// Serves includes from a FileSet by the last component of the path, whatever directory the
// loader joined in front of it. Reads are capped: a file that includes another twice per level
// doubles the work at every level, and the fuzzer should look for other things than that.
class SandboxReader : public config::FileReader {
public:
    explicit SandboxReader(const FileSet& set, int maxReads = 200) : set_(set), readsLeft_(maxReads) {}

    bool read(const std::string& path, std::u16string& text) override {
        if (readsLeft_ <= 0) return false;
        --readsLeft_;
        const std::size_t cut = path.find_last_of("/\\");
        const std::string_view name =
            cut == std::string::npos ? std::string_view(path) : std::string_view(path).substr(cut + 1);
        const auto it = set_.files.find(name);
        if (it == set_.files.end()) return false;
        text = fromUtf8(it->second);
        return true;
    }

private:
    const FileSet& set_;
    int readsLeft_;
};

// What a store holds, found without recursion.
struct StoreShape {
    bool hasFloat = false;
    bool hasPointer = false;
    bool hasUndef = false;     // an Undef anywhere, the store itself included
    std::uint32_t depth = 0;   // container levels; a scalar store has depth 0
    std::uint64_t values = 0;  // every value visited
    // The walk gave up: parts shared by several places (['a'] = ['b'] = {...}) can make a short
    // store stand for more places than any walk, print or compare can visit.
    bool tooLarge = false;
};

inline constexpr std::uint64_t kMostPlaces = std::uint64_t{1} << 20;

inline StoreShape shapeOf(const Value& store) {
    StoreShape shape;
    std::vector<std::pair<Value, std::uint32_t>> pending{{store, 0}};
    while (!pending.empty()) {
        auto [v, depth] = std::move(pending.back());
        pending.pop_back();
        if (++shape.values > kMostPlaces) {
            shape.tooLarge = true;
            break;
        }
        switch (v.kind()) {
            case ValueKind::Undef: shape.hasUndef = true; break;
            case ValueKind::Float: shape.hasFloat = true; break;
            case ValueKind::Pointer: shape.hasPointer = true; break;
            case ValueKind::Vector:
            case ValueKind::Hash: {
                if (depth + 1 > shape.depth) shape.depth = depth + 1;
                Value child;
                for (Value k = v.firstKey(&child); k.kind() != ValueKind::Undef; k = v.nextKey(k, &child))
                    pending.emplace_back(child, depth + 1);
                break;
            }
            default: break;
        }
    }
    return shape;
}

// A loader's error is one located message, or an include's chained one.
inline bool looksLikeLoaderError(std::u16string_view error) {
    static constexpr std::u16string_view kCategories[] = {
        u"Scanning Error (", u"Syntax Error (", u"Internal Error", u"Include failed (", u"Semantic Error",
        u"Meta Error"};
    for (std::u16string_view category : kCategories)
        if (error.substr(0, category.size()) == category) return true;
    return false;
}

}  // namespace orvane::fuzz
