// The meta model: a schema written as data in the configuration language, compiled into MetaNodes.
//
// A description is a Hash naming the kinds a value may take and the rules for its members:
//   { ID: 'tree', Int: true, Hash: { MayExists: { left: true, right: true },
//                                    Data: { ReferenceID: 'tree' } } }
// admits an Integer, or a Hash whose only keys are left and right, each again a tree.
//
// Invariants:
// - The model owns every node; nodes never move while the model lives (a deque only grows at its
//   end), so nodes point at each other with plain pointers. The node graph may have cycles: a
//   ReferenceID may name an enclosing description.
// - An ID is visible to the descriptions nested inside the one that declares it, never to its
//   siblings or to enclosing descriptions.
// - A key of a description counts as given only when its value is not Undef. The kind keys are read
//   for presence only: Int: false still admits Integers.
// - Compiling keeps its own stack of pending descriptions, so the depth of a description is bounded
//   by memory, not by the call stack.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "value/value.h"

namespace orvane::config {

// Which kinds of Value a node admits.
using MetaTypeMask = std::uint16_t;
namespace metaType {
inline constexpr MetaTypeMask kIgnore = 0x0001;  // anything; nothing below the node is checked
inline constexpr MetaTypeMask kUndef = 0x0002;
inline constexpr MetaTypeMask kString = 0x0004;  // narrow or wide
inline constexpr MetaTypeMask kInt = 0x0008;
inline constexpr MetaTypeMask kBool = 0x0010;
inline constexpr MetaTypeMask kFloat = 0x0020;
inline constexpr MetaTypeMask kPtr = 0x0040;
inline constexpr MetaTypeMask kHash = 0x0080;    // also enables the hash rules
inline constexpr MetaTypeMask kVector = 0x0100;  // also enables the vector rules
}  // namespace metaType

// One compiled description. Sizes of -1 and null data nodes mean "no rule".
struct MetaNode {
    MetaTypeMask typeMask = 0;                  // kinds admitted, metaType bits
    std::int32_t hashSize = -1;                 // exact entry count of a Hash
    std::int32_t hashMinSize = -1;
    std::int32_t hashMaxSize = -1;
    std::map<std::u16string, const MetaNode*, std::less<>> hashSingleData;  // rules for one key
    const MetaNode* hashData = nullptr;         // rules for every other key
    bool hasMustExists = false;                 // a MustExists list was given (maybe empty)
    std::set<std::u16string, std::less<>> mustExists;  // keys that must hold a defined value
    bool hasMayExists = false;                  // a MayExists list was given: only its keys allowed
    std::set<std::u16string, std::less<>> mayExists;
    std::int32_t vectorSize = -1;               // exact element count of a Vector
    std::int32_t vectorMinSize = -1;
    std::int32_t vectorMaxSize = -1;
    std::map<std::int32_t, const MetaNode*> vectorSingleData;  // rules for one index
    const MetaNode* vectorData = nullptr;       // rules for every other index
};

class MetaModel {
public:
    std::u16string errorText;         // message of the last failed load; empty after a good one
    const MetaNode* root = nullptr;   // compiled top node; null before a load and after a failed one

    MetaModel() = default;
    // Nodes point into this model's own storage, so a copy would point into the original.
    MetaModel(const MetaModel&) = delete;
    MetaModel& operator=(const MetaModel&) = delete;

    // Drops every node of an earlier load, then compiles `description` into root. On false,
    // errorText holds "Meta Error: Meta model reference undefined ID '...'" and root is null.
    bool loadMetaModel(const Value& description);

    // Compiles one description (and all it holds) with the IDs of `ids` in sight; `ids` is a Hash from
    // ID key to a Pointer to its node, or Undef. Null on failure, with errorText set.
    const MetaNode* compileMetaNode(const Value& description, const Value& ids);

    // Appends a node with no rules (and admitting no kind) and returns it.
    MetaNode* newMetaNode();

    std::size_t nodeCount() const noexcept { return nodes_.size(); }

private:
    std::deque<MetaNode> nodes_;  // owns every node; also those left unreachable by a failed load
};

}  // namespace orvane::config
