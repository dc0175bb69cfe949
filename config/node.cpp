#include "config/node.h"

#include <algorithm>
#include <array>
#include <memory>

namespace orvane::config {

namespace {

struct NodeKindInfo {
    std::u16string_view name;
    std::uint8_t precedence;
    NodeClass nodeClass;
    bool isOperator;
};

constexpr NodeClass kNothing = NodeClass::Nothing;
constexpr NodeClass kOperand = NodeClass::Operand;
constexpr NodeClass kPrefix = NodeClass::Prefix;
constexpr NodeClass kInfix = NodeClass::Infix;
constexpr NodeClass kGroup = NodeClass::Group;

// ORDER: NodeKind. One row per id.
constexpr std::array<NodeKindInfo, kNodeKindCount> kNodeKinds = {{
    {u"Empty", 255, kNothing, false},
    {u"Invalid", 255, kNothing, false},
    {u"String", 255, kOperand, false},
    {u"Number", 255, kOperand, false},
    {u"Float", 255, kOperand, false},
    {u"Undef", 255, kOperand, false},
    {u"[]", 255, kGroup, false},
    {u"{}", 255, kGroup, false},
    {u"()", 255, kGroup, false},
    {u"None", 1, kInfix, false},
    {u"!", 2, kPrefix, true},
    {u"~", 2, kPrefix, true},
    {u"+", 2, kPrefix, true},
    {u"-", 2, kPrefix, true},
    {u"*", 3, kInfix, true},
    {u"/", 3, kInfix, true},
    {u"%", 3, kInfix, true},
    {u"+", 4, kInfix, true},
    {u"-", 4, kInfix, true},
    {u"<<", 5, kInfix, true},
    {u">>", 5, kInfix, true},
    {u"<", 6, kInfix, true},
    {u"<=", 6, kInfix, true},
    {u">", 6, kInfix, true},
    {u">=", 6, kInfix, true},
    {u"==", 7, kInfix, true},
    {u"!=", 7, kInfix, true},
    {u"&", 8, kInfix, true},
    {u"^", 9, kInfix, true},
    {u"|", 10, kInfix, true},
    {u"&&", 11, kInfix, true},
    {u"||", 12, kInfix, true},
    {u",", 13, kInfix, false},
    {u"=", 14, kInfix, false},
    {u"+=", 14, kInfix, false},
    {u"-=", 14, kInfix, false},
    {u"*=", 14, kInfix, false},
    {u"/=", 14, kInfix, false},
    {u"%=", 14, kInfix, false},
    {u"&=", 14, kInfix, false},
    {u"^=", 14, kInfix, false},
    {u"|=", 14, kInfix, false},
    {u"<<=", 14, kInfix, false},
    {u">>=", 14, kInfix, false},
    {u";", 15, kInfix, false},
}};

const NodeKindInfo& info(NodeKind kind) {
    auto id = static_cast<std::uint32_t>(kind);
    return kNodeKinds[id < kNodeKindCount ? id : static_cast<std::uint32_t>(NodeKind::Invalid)];
}

}  // namespace

std::u16string_view nodeKindName(NodeKind kind) { return info(kind).name; }
int nodeKindPrecedence(NodeKind kind) { return info(kind).precedence; }
NodeClass nodeKindClass(NodeKind kind) { return info(kind).nodeClass; }
bool nodeKindIsOperator(NodeKind kind) { return info(kind).isOperator; }

// Blocks are big enough that a statement's nodes usually fit in one; a larger request (a long
// string, a long child list) gets a block of its own size.
constexpr std::size_t kBlockBytes = 64 * 1024;

struct Tree::Block {
    explicit Block(std::size_t n) : bytes(std::make_unique<std::byte[]>(n)), size(n) {}
    std::unique_ptr<std::byte[]> bytes;
    std::size_t size;
};

Tree::Tree() { clear(); }
Tree::~Tree() = default;

void* Tree::allocateInNextBlock(std::size_t bytes, std::size_t align) {
    // Blocks after the current one were made for earlier, possibly larger requests: use them in turn.
    const std::size_t next = cursor_ ? block_ + 1 : 0;
    for (std::size_t b = next; b < blocks_.size(); ++b) {
        block_ = b;
        cursor_ = blocks_[b]->bytes.get();
        limit_ = cursor_ + blocks_[b]->size;
        if (bytes + align <= blocks_[b]->size) return allocate(bytes, align);
    }
    blocks_.push_back(std::make_unique<Block>(bytes + align > kBlockBytes ? bytes + align : kBlockBytes));
    block_ = blocks_.size() - 1;
    cursor_ = blocks_.back()->bytes.get();
    limit_ = cursor_ + blocks_.back()->size;
    return allocate(bytes, align);
}

void Tree::adoptChild(Node& parent, Node& child) {
    NodeList& list = parent.children;
    if (list.size_ == list.capacity_) {
        // The old array stays behind in its block; doubling keeps that waste below the list's size.
        const std::uint32_t capacity = list.capacity_ ? list.capacity_ * 2 : 2;
        auto** items = static_cast<Node**>(allocate(capacity * sizeof(Node*), alignof(Node*)));
        std::copy(list.items_, list.items_ + list.size_, items);
        list.items_ = items;
        list.capacity_ = capacity;
    }
    list.items_[list.size_++] = &child;
    child.parent = &parent;
}

Node& Tree::addChild(Node& parent, SourcePos at) {
    Node& child = newNode();
    child.pos = at;
    adoptChild(parent, child);
    return child;
}

void Tree::takeChildren(Node& from, Node& to) {
    to.children = from.children;
    from.children = NodeList();
    for (Node* child : to.children) child->parent = &to;
}

std::u16string_view Tree::keep(std::u16string_view text) {
    if (text.empty()) return {};
    auto* chars = static_cast<char16_t*>(allocate(text.size() * sizeof(char16_t), alignof(char16_t)));
    std::copy(text.begin(), text.end(), chars);
    return {chars, text.size()};
}

void Tree::clear() {
    block_ = 0;
    cursor_ = nullptr;  // the next allocation starts over at the first block
    limit_ = nullptr;
    root_ = &newNode();
}

}  // namespace orvane::config
