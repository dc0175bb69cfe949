#include "config/node.h"

#include <array>

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

Node::~Node() {
    // Tear the subtree down leaf first without recursion or allocation. The link back up is written
    // on the way down rather than trusted, so a child whose parent was never set cannot mislead the
    // walk.
    Node* node = this;
    for (;;) {
        if (!node->children.empty()) {
            Node* last = node->children.back().get();
            last->parent = node;
            node = last;
        } else if (node == this) {
            return;
        } else {
            Node* up = node->parent;
            up->children.pop_back();  // `node` is childless now, so its own destructor ends at once
            node = up;
        }
    }
}

Node& Node::addChild(SourcePos at) {
    auto child = std::make_unique<Node>();
    child->pos = at;
    child->parent = this;
    children.push_back(std::move(child));
    return *children.back();
}

}  // namespace orvane::config
