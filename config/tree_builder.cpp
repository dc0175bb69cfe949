// The builder keeps one cursor, `current`, on the place the next token fills. Invariants:
// - `current` is Empty, or a complete operand, or a group that has just been closed.
// - The way from the root down to `current` runs through last children only, and holds every group
//   still open; groups that were closed never lie on it again.
// - A node that the climb or a bracket search walks past leaves that way for good (it ends up inside
//   a wrapped child or a closed group), so building is linear in the number of tokens.
#include "config/tree_builder.h"

#include "value/value.h"

#include <array>
#include <utility>

namespace orvane::config {

namespace {

struct TokenRule {
    NodeKind kind;    // the node the token makes; Empty for "!" and "~", which are prefix only
    NodeKind prefix;  // used instead when the token stands where an operand is expected
    bool closing;
};

constexpr NodeKind kNoPrefix = NodeKind::Empty;

// ORDER: TokenKind. One row per token code.
constexpr std::array<TokenRule, kTokenKindCount> kTokenRules = {{
    {NodeKind::String, kNoPrefix, false},
    {NodeKind::Number, kNoPrefix, false},
    {NodeKind::Float, kNoPrefix, false},
    {NodeKind::Undef, kNoPrefix, false},
    {NodeKind::Braces, kNoPrefix, false},
    {NodeKind::Braces, kNoPrefix, true},
    {NodeKind::Brackets, kNoPrefix, false},
    {NodeKind::Brackets, kNoPrefix, true},
    {NodeKind::Parens, kNoPrefix, false},
    {NodeKind::Parens, kNoPrefix, true},
    {NodeKind::Empty, NodeKind::Not, false},
    {NodeKind::Empty, NodeKind::Complement, false},
    {NodeKind::Add, NodeKind::UnaryPlus, false},
    {NodeKind::Subtract, NodeKind::UnaryMinus, false},
    {NodeKind::Multiply, kNoPrefix, false},
    {NodeKind::Divide, kNoPrefix, false},
    {NodeKind::Remainder, kNoPrefix, false},
    {NodeKind::ShiftLeft, kNoPrefix, false},
    {NodeKind::ShiftRight, kNoPrefix, false},
    {NodeKind::Less, kNoPrefix, false},
    {NodeKind::LessEqual, kNoPrefix, false},
    {NodeKind::Greater, kNoPrefix, false},
    {NodeKind::GreaterEqual, kNoPrefix, false},
    {NodeKind::Equal, kNoPrefix, false},
    {NodeKind::NotEqual, kNoPrefix, false},
    {NodeKind::BitAnd, kNoPrefix, false},
    {NodeKind::BitXor, kNoPrefix, false},
    {NodeKind::BitOr, kNoPrefix, false},
    {NodeKind::LogicalAnd, kNoPrefix, false},
    {NodeKind::LogicalOr, kNoPrefix, false},
    {NodeKind::Comma, kNoPrefix, false},
    {NodeKind::Assign, kNoPrefix, false},
    {NodeKind::AddAssign, kNoPrefix, false},
    {NodeKind::SubtractAssign, kNoPrefix, false},
    {NodeKind::MultiplyAssign, kNoPrefix, false},
    {NodeKind::DivideAssign, kNoPrefix, false},
    {NodeKind::RemainderAssign, kNoPrefix, false},
    {NodeKind::BitAndAssign, kNoPrefix, false},
    {NodeKind::BitXorAssign, kNoPrefix, false},
    {NodeKind::BitOrAssign, kNoPrefix, false},
    {NodeKind::ShiftLeftAssign, kNoPrefix, false},
    {NodeKind::ShiftRightAssign, kNoPrefix, false},
    {NodeKind::Semicolon, kNoPrefix, false},
}};

// A code outside the table makes nothing, which the builder rejects like "!" after an operand.
TokenRule ruleFor(TokenKind kind) {
    auto code = static_cast<std::uint32_t>(kind);
    return code < kTokenKindCount ? kTokenRules[code] : TokenRule{NodeKind::Empty, kNoPrefix, false};
}

bool isEmpty(const Node& node) { return node.kind == NodeKind::Empty; }

void appendLeaf(std::u16string& out, const Node& node) {
    switch (node.kind) {
    case NodeKind::Number: formatTo(out, u"%d", {node.intValue}); break;
    case NodeKind::Float: formatTo(out, u"%g", {node.floatValue}); break;
    case NodeKind::String: Value(std::u16string_view(node.text)).appendQuoted(out, false); break;
    case NodeKind::Undef: out += node.text; break;
    default: out += nodeKindName(node.kind); break;
    }
}

}  // namespace

bool TreeBuilder::place(const Token& token) {
    const TokenRule rule = ruleFor(token.kind);
    NodeKind kind = rule.kind;
    if (rule.prefix != kNoPrefix && isEmpty(*current_)) kind = rule.prefix;

    switch (nodeKindClass(kind)) {
    case NodeClass::Operand:
        if (!isEmpty(*current_)) insertInfix(NodeKind::None, token.pos);
        current_->pos = token.pos;
        current_->kind = kind;
        current_->text = kind == NodeKind::String || kind == NodeKind::Undef ? tree_.keep(token.text)
                                                                             : std::u16string_view();
        current_->intValue = token.intValue;
        current_->floatValue = token.floatValue;
        return true;
    case NodeClass::Prefix:
        openBelow(kind, token.pos);
        return true;
    case NodeClass::Infix:
        return insertInfix(kind, token.pos);
    case NodeClass::Group:
        if (rule.closing) return close(kind, token.pos);
        if (!isEmpty(*current_)) insertInfix(NodeKind::None, token.pos);
        openBelow(kind, token.pos);
        return true;
    case NodeClass::Nothing:
        break;
    }
    return reportError(error_, u"Internal Error", token.pos, u"Invalid syntax family");
}

Node* TreeBuilder::parentOf(const Node& node) const { return &node == &tree_.root() ? nullptr : node.parent; }

// `node` becomes the operator in place (so the root object stays the top) and its old content
// moves down into its only child.
void TreeBuilder::wrap(Node& node, NodeKind kind, SourcePos at) {
    Node& inner = tree_.newNode();
    inner.pos = node.pos;
    inner.kind = node.kind;
    inner.text = node.text;
    inner.intValue = node.intValue;
    inner.floatValue = node.floatValue;
    tree_.takeChildren(node, inner);

    node.pos = at;
    node.kind = kind;
    node.text = {};
    node.intValue = 0;
    node.floatValue = 0.0;
    tree_.adoptChild(node, inner);
}

bool TreeBuilder::dropFinishedStatements() {
    Node& root = tree_.root();
    if (root.kind != NodeKind::Semicolon || current_ != root.children.back() || !isEmpty(*current_) ||
        !current_->children.empty())
        return false;
    const SourcePos rootPos = root.pos, placePos = current_->pos;
    tree_.clear();
    Node& fresh = tree_.root();
    fresh.pos = rootPos;
    fresh.kind = NodeKind::Semicolon;
    current_ = &tree_.addChild(fresh, placePos);
    return true;
}

void TreeBuilder::openBelow(NodeKind kind, SourcePos at) {
    current_->pos = at;
    current_->kind = kind;
    current_ = &tree_.addChild(*current_, at);
}

bool TreeBuilder::insertInfix(NodeKind kind, SourcePos at) {
    if (isEmpty(*current_)) return reportError(error_, u"Syntax Error", at, u"");
    const int precedence = nodeKindPrecedence(kind);
    // Groups have the loosest precedence of all, so the climb never leaves the bracket it is in.
    for (Node* up = parentOf(*current_); up && nodeKindPrecedence(up->kind) < precedence;
         up = parentOf(*current_)) {
        current_ = up;
    }
    Node* up = parentOf(*current_);
    if (up && up->kind == kind) {
        current_ = up;
    } else {
        if (up && nodeKindPrecedence(up->kind) == precedence) current_ = up;
        wrap(*current_, kind, at);
    }
    current_ = &tree_.addChild(*current_, at);
    return true;
}

bool TreeBuilder::close(NodeKind kind, SourcePos at) {
    Node* group = parentOf(*current_);
    while (group && nodeKindClass(group->kind) != NodeClass::Group) group = parentOf(*group);
    if (!group || group->kind != kind) {
        return reportError(error_, u"Syntax Error", at, u"Cannot find counterpart of %ls",
                           nodeKindName(current_->kind));
    }
    current_ = group;
    return true;
}

bool buildTree(std::u16string& error, const std::vector<Token>& tokens, Tree& tree) {
    TreeBuilder builder(error, tree);
    for (const Token& token : tokens) {
        if (!builder.place(token)) return false;
    }
    return true;
}

std::u16string treeNotation(const Node& root) {
    // Trees may be as deep as their input, so the walk keeps its own stack.
    struct Frame {
        const Node* node;
        std::size_t next;  // index of the child to print next
    };
    std::u16string out;
    std::vector<Frame> stack;
    auto enter = [&](const Node& node) {
        if (node.children.empty()) {
            appendLeaf(out, node);
            return;
        }
        out += nodeKindName(node.kind);
        out += u'[';
        stack.push_back({&node, 0});
    };
    enter(root);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.node->children.size()) {
            out += u']';
            stack.pop_back();
            continue;
        }
        if (top.next > 0) out += u", ";
        const Node& child = *top.node->children[top.next++];
        enter(child);  // may grow the stack: `top` is not used after this
    }
    return out;
}

}  // namespace orvane::config
