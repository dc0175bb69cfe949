// The validation walk.
//
// Checks run in a fixed order that the messages make visible: Ignore, then the kind, then for a
// Vector its exact, minimum and maximum size before any element (elements in index order); for a
// Hash its required keys (in the set's order) before its sizes, then its entries in the Hash's
// iteration order, the MayExists test before the look-up of the entry's rules.
//
// One path buffer serves the whole walk: a container's frame remembers the length of its own path,
// and each member cuts the buffer back to it and appends its own "[i]" or "['key']" part.
//
// A container shared by several places (['a'] = ['b'] = { ... }) is walked once per description:
// a store of nested shared blocks is a few lines of text but exponentially many places, and a
// second walk could only repeat the first one's success (any failure ends the whole walk, and no
// Value contains itself, so the first walk has ended before the second meeting).
#include "config/validator.h"

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "value/text.h"

namespace orvane::config {

namespace {

// ORDER: kinds are named in this order in "must be of type" messages.
struct KindName {
    MetaTypeMask bit;
    std::u16string_view name;
};
constexpr KindName kKindNames[] = {
    {metaType::kUndef, u"Undef"}, {metaType::kBool, u"Boolean"}, {metaType::kInt, u"Integer"},
    {metaType::kFloat, u"Float"}, {metaType::kString, u"String"}, {metaType::kHash, u"Hash"},
    {metaType::kVector, u"Vector"},
};

// "Integer, Float or String": the admitted kinds, Ignore and Ptr never named.
std::u16string kindList(MetaTypeMask mask) {
    std::vector<std::u16string_view> names;
    for (const KindName& k : kKindNames) {
        if (mask & k.bit) names.push_back(k.name);
    }
    std::u16string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? u" or " : u", ";
        out += names[i];
    }
    return out;
}

// The mask bit that admits a kind; 0 for a kind no bit stands for.
MetaTypeMask kindBit(ValueKind kind) {
    switch (kind) {
        case ValueKind::Undef: return metaType::kUndef;
        case ValueKind::NarrowString:
        case ValueKind::WideString: return metaType::kString;
        case ValueKind::Integer: return metaType::kInt;
        case ValueKind::Float: return metaType::kFloat;
        case ValueKind::Pointer: return metaType::kPtr;
        case ValueKind::Boolean: return metaType::kBool;
        case ValueKind::Hash: return metaType::kHash;
        case ValueKind::Vector: return metaType::kVector;
    }
    return 0;
}

class Walker {
public:
    explicit Walker(std::u16string& error) : error_(error) {}

    bool run(const Value& store, const MetaNode& root) {
        path_.clear();
        return enter(store, root) && walkMembers();
    }

private:
    // A container whose members are being walked.
    struct Frame {
        Value container;
        const MetaNode* node;
        std::size_t pathLength;  // length of the container's own path in path_
        std::uint32_t index;     // Vector: next index
        Value key;               // Hash: next key, Undef at the end
    };

    template <class... Args>
    bool fail(std::u16string_view fmt, const Args&... args) {
        error_ = format(fmt, args...);
        return false;
    }

    // Checks `v` itself against `node` (path_ is its path); a container with members to walk gets
    // a frame.
    bool enter(const Value& v, const MetaNode& node) {
        if (node.typeMask & metaType::kIgnore) return true;
        const MetaTypeMask bit = kindBit(v.kind());
        if (bit == 0) return fail(u"Internal Error: Var type not handled");
        if (!(node.typeMask & bit)) {
            return fail(u"Semantic Error: Variable %ls must be of type %ls", path_, kindList(node.typeMask));
        }
        const std::int64_t size = v.size();
        if (v.kind() == ValueKind::Vector) {
            if (node.vectorSize != -1 && node.vectorSize != size) {
                return fail(u"Semantic Error: Vector %ls must have %d elements", path_, node.vectorSize);
            }
            if (node.vectorMinSize != -1 && node.vectorMinSize > size) {
                return fail(u"Semantic Error: Vector %ls must have a minimum of %d elements", path_,
                            node.vectorMinSize);
            }
            if (node.vectorMaxSize != -1 && node.vectorMaxSize < size) {
                return fail(u"Semantic Error: Vector %ls must have a maximum of %d elements", path_,
                            node.vectorMaxSize);
            }
            if (size > 0 && firstMeeting(v, node)) stack_.push_back({v, &node, path_.size(), 0, Value()});
        } else if (v.kind() == ValueKind::Hash) {
            if (node.hasMustExists) {
                for (const std::u16string& key : node.mustExists) {
                    if (!v.existsByName(std::u16string_view(key), true)) {
                        return fail(u"Semantic Error: Missing key '%ls' in hash %ls", key, path_);
                    }
                }
            }
            if (node.hashSize != -1 && node.hashSize != size) {
                return fail(u"Semantic Error: Hash %ls must have %d elements", path_, node.hashSize);
            }
            if (node.hashMinSize != -1 && node.hashMinSize > size) {
                return fail(u"Semantic Error: Hash %ls must have a minimum of %d elements", path_,
                            node.hashMinSize);
            }
            if (node.hashMaxSize != -1 && node.hashMaxSize < size) {
                return fail(u"Semantic Error: Hash %ls must have a maximum of %d elements", path_,
                            node.hashMaxSize);
            }
            if (size > 0 && firstMeeting(v, node)) {
                Frame& f = stack_.emplace_back(Frame{v, &node, path_.size(), 0, Value()});
                f.key = f.container.firstKey();
            }
        }
        return true;
    }

    bool walkMembers() {
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            const MetaNode& node = *f.node;
            path_.resize(f.pathLength);
            // Members are looked at where they are stored, not copied, so that isShared() tells
            // whether another place holds the same data.
            const Value* member = nullptr;
            const MetaNode* rules = nullptr;
            if (f.container.kind() == ValueKind::Vector) {
                if (f.index >= f.container.size()) {
                    stack_.pop_back();
                    continue;
                }
                const std::uint32_t index = f.index++;
                member = &f.container.at(index);
                const auto single = node.vectorSingleData.find(static_cast<std::int32_t>(index));
                rules = single != node.vectorSingleData.end() ? single->second : node.vectorData;
                if (!rules) {
                    return fail(u"Semantic Error: Invalid key '%ls' in Vector %ls", format(u"%d", index),
                                path_);
                }
                formatTo(path_, u"[%d]", {index});
            } else {
                if (f.key.kind() == ValueKind::Undef) {
                    stack_.pop_back();
                    continue;
                }
                const std::u16string keyText = f.key.toWideString();
                member = &f.container.find(f.key);
                f.key = f.container.nextKey(f.key);
                if (node.hasMayExists && !node.mayExists.contains(keyText)) {
                    return fail(u"Semantic Error: Invalid key '%ls' in hash %ls", keyText, path_);
                }
                const auto single = node.hashSingleData.find(keyText);
                rules = single != node.hashSingleData.end() ? single->second : node.hashData;
                if (!rules) return fail(u"Semantic Error: Invalid key '%ls' in hash %ls", keyText, path_);
                path_ += u"['";
                path_ += keyText;
                path_ += u"']";
            }
            // `f` may move once enter() pushes a frame; it is not used past this point.
            if (!enter(*member, *rules)) return false;
        }
        return true;
    }

    std::u16string& error_;
    // Only data held in more than one place can be met twice; the rest needs no record.
    bool firstMeeting(const Value& container, const MetaNode& node) {
        return !container.isShared() || walked_.insert({container.identity(), &node}).second;
    }

    struct PairHash {
        std::size_t operator()(const std::pair<const void*, const MetaNode*>& p) const noexcept {
            return std::hash<const void*>()(p.first) * 31 + std::hash<const void*>()(p.second);
        }
    };

    std::u16string path_;       // path of the value being checked
    std::vector<Frame> stack_;  // containers whose members are being walked, outermost first
    // Containers walked (or being walked) against a description.
    std::unordered_set<std::pair<const void*, const MetaNode*>, PairHash> walked_;
};

}  // namespace

bool validate(std::u16string& error, const Value& store, const MetaModel& model) {
    if (!model.root) {
        error = model.errorText;
        return false;
    }
    return Walker(error).run(store, *model.root);
}

bool validate(std::u16string& error, const Value& store, const Value& metaModel) {
    MetaModel model;
    if (!model.loadMetaModel(metaModel)) {
        error = model.errorText;
        return false;
    }
    return validate(error, store, model);
}

}  // namespace orvane::config
