// Nodes of the expression tree and the table of node kinds.
//
// Invariants:
// - A node owns its children; `parent` is a plain back link that the tree builder keeps true.
// - Destroying a node never recurses, so a tree of any depth can be dropped.
// - A node of kind Empty is a place that no token has filled yet.
// - The kind ids are shared with the evaluator's messages and the operator table: see NodeKind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/diagnostic.h"

namespace orvane::config {

// WARNING: the ids are a contract. The operator table is keyed by them and the names appear in
// messages; if you change the order of this enumeration, change kNodeKinds in node.cpp with it
// (tests pin both).
enum class NodeKind : std::uint32_t {
    Empty, Invalid, String, Number, Float, Undef,
    Brackets, Braces, Parens,                          // [] {} ()
    None,                                              // juxtaposition: f(x), [a][b]
    Not, Complement, UnaryPlus, UnaryMinus,            // prefix ! ~ + -
    Multiply, Divide, Remainder, Add, Subtract, ShiftLeft, ShiftRight,
    Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual,
    BitAnd, BitXor, BitOr, LogicalAnd, LogicalOr, Comma,
    Assign, AddAssign, SubtractAssign, MultiplyAssign, DivideAssign, RemainderAssign,
    BitAndAssign, BitXorAssign, BitOrAssign, ShiftLeftAssign, ShiftRightAssign,
    Semicolon,
};
inline constexpr std::uint32_t kNodeKindCount = 45;

// How a kind takes part in building the tree.
enum class NodeClass : std::uint8_t {
    Nothing = 0,  // Empty, Invalid: no token makes them directly
    Operand = 1,  // literals and keywords
    Prefix = 2,   // one operand, written after it
    Infix = 3,    // n-ary: a run of the same operator is one node
    Group = 4,    // a bracket pair; complete once closed
};

// Lookups in the node-kind table. An id outside the table reads as Invalid.
std::u16string_view nodeKindName(NodeKind kind);  // "+", "()", "Number": the text messages use
int nodeKindPrecedence(NodeKind kind);            // lower binds tighter; 255 for operands and groups
NodeClass nodeKindClass(NodeKind kind);
bool nodeKindIsOperator(NodeKind kind);           // applied through the operator table

struct Node {
    SourcePos pos;                                 // where the token that made the node stands
    NodeKind kind = NodeKind::Empty;
    Node* parent = nullptr;                        // enclosing node, not owned; null at the top
    std::vector<std::unique_ptr<Node>> children;   // owned, in source order
    std::u16string text;                           // String: the value; Undef: the keyword
    std::int32_t intValue = 0;                     // Number
    double floatValue = 0.0;                       // Float

    Node() = default;
    // Children point back at their parent, so a node stays where it was made.
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node();

    // Appends an Empty child at `at` and returns it.
    Node& addChild(SourcePos at);
};

}  // namespace orvane::config
