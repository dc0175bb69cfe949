// Nodes of the expression tree and the table of node kinds.
//
// Invariants:
// - A Tree owns its nodes; `parent` is a plain back link that the tree builder keeps true.
// - Nodes are trivially destructible and live in the tree's blocks, so dropping a tree of any depth
//   neither recurses nor walks it.
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

struct Node;

// The children of a node, in source order. The storage belongs to the Tree; a node may only gain
// children through Tree::addChild.
class NodeList {
public:
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    Node* operator[](std::size_t i) const noexcept { return items_[i]; }
    Node* front() const noexcept { return items_[0]; }
    Node* back() const noexcept { return items_[size_ - 1]; }
    Node* const* begin() const noexcept { return items_; }
    Node* const* end() const noexcept { return items_ + size_; }

private:
    friend class Tree;
    Node** items_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};

struct Node {
    SourcePos pos;                  // where the token that made the node stands
    NodeKind kind = NodeKind::Empty;
    std::int32_t intValue = 0;      // Number
    Node* parent = nullptr;         // enclosing node; null at the top
    NodeList children;
    std::u16string_view text;       // String: the value; Undef: the keyword. Kept by the tree.
    double floatValue = 0.0;        // Float
};

// Owns the nodes of one expression tree and the texts they name, in blocks that are dropped all at
// once: a tree of any depth goes away without a walk, and building costs no allocation per node.
// Nodes never move; the root is Empty when the tree is new or cleared.
class Tree {
public:
    Tree();
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    ~Tree();

    Node& root() noexcept { return *root_; }
    const Node& root() const noexcept { return *root_; }

    Node& newNode() {  // a detached Empty node
        return *std::construct_at(static_cast<Node*>(allocate(sizeof(Node), alignof(Node))));
    }
    Node& addChild(Node& parent, SourcePos at);       // appends a new Empty child and returns it
    void adoptChild(Node& parent, Node& child);       // appends an existing node as the last child
    void takeChildren(Node& from, Node& to);          // moves the whole list; `to` must have none
    std::u16string_view keep(std::u16string_view text);  // a copy that lives as long as the tree

    // Drops every node and text; the root is a new Empty node. The blocks stay for reuse.
    void clear();

private:
    void* allocate(std::size_t bytes, std::size_t align) {
        const auto start = (reinterpret_cast<std::uintptr_t>(cursor_) + align - 1) & ~(align - 1);
        if (cursor_ && bytes <= reinterpret_cast<std::uintptr_t>(limit_) - start) {
            cursor_ = reinterpret_cast<std::byte*>(start + bytes);
            return reinterpret_cast<void*>(start);
        }
        return allocateInNextBlock(bytes, align);
    }
    void* allocateInNextBlock(std::size_t bytes, std::size_t align);

    struct Block;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::size_t block_ = 0;         // the block being filled
    std::byte* cursor_ = nullptr;   // its first free byte
    std::byte* limit_ = nullptr;    // its end
    Node* root_ = nullptr;
};

}  // namespace orvane::config
