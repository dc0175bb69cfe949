// The evaluator walks the tree recursively; `depth_` bounds the recursion (see config_parser.h).
//
// `result` and `scope` may be the same Value only where a lone expression is the scope's value
// (runStatements without ";"). Every case below therefore copies what it reads from the scope before
// it writes `result`, and an assignment, the one construct that writes the scope and then `result`,
// is never handed the same Value for both.
#include "config/evaluator.h"

#include <string>
#include <vector>

#include "config/builtins.h"
#include "config/operators.h"
#include "config/string_literals.h"

namespace orvane::config::detail {
namespace {

constexpr std::u16string_view kSyntax = u"Syntax Error";

}  // namespace

class Evaluator {
public:
    Evaluator(ConfigParser& parser, std::uint32_t depth) : parser_(parser), depth_(depth) {}

    bool runStatements(const Node& node, Value& scope);
    bool runStatement(const Node& node, Value& scope) {
        Value dropped;
        return evaluate(node, dropped, scope);
    }

private:
    struct Step {
        Value key;
        bool append;  // [] with nothing inside: a new element at the end
    };

    bool evaluate(const Node& node, Value& result, Value& scope);
    bool evaluateKind(const Node& node, Value& result, Value& scope);
    bool keyword(const Node& node, Value& result);
    bool readPath(const Node& node, Value& result, const Value& scope);
    bool collectSteps(const Node& node, Value& scope);
    bool collectStep(const Node& bracket, Value& scope);
    bool assign(const Node& node, Value& result, Value& scope);
    bool commaList(const Node& node, Value& result, const Value& scope);
    bool prefix(const Node& node, Value& result, const Value& scope);
    bool infix(const Node& node, Value& result, const Value& scope);
    bool call(const Node& node, Value& result, Value& scope);

    bool fail(const Node& node, std::u16string_view message) {
        return reportError(parser_.error, kSyntax, node.pos, message);
    }

    ConfigParser& parser_;
    std::uint32_t depth_;
    std::vector<Step> steps_;  // keys of the assignment targets being resolved, innermost on top
    StringLiterals strings_;
};

namespace {

bool isBracket(const Node& node) { return node.kind == NodeKind::Brackets; }

// The expression inside a group, or null for an empty group.
const Node* groupContent(const Node& group) {
    if (group.children.empty() || group.children.front()->kind == NodeKind::Empty) return nullptr;
    return group.children.front();
}

}  // namespace

bool Evaluator::runStatements(const Node& node, Value& scope) {
    if (node.kind == NodeKind::Empty) return true;
    if (node.kind != NodeKind::Semicolon) {
        if (isAssignmentOperator(node.kind)) {
            // The scope is the assignment's own target; storing the value over it would also make
            // it contain itself, so the value is dropped as if the statement ended in ";".
            Value dropped;
            return evaluate(node, dropped, scope);
        }
        return evaluate(node, scope, scope);
    }
    if (node.children.back()->kind != NodeKind::Empty) return fail(node, u"Missing ;");
    for (std::size_t i = 0; i + 1 < node.children.size(); ++i)
        if (!runStatement(*node.children[i], scope)) return false;
    return true;
}

bool Evaluator::evaluate(const Node& node, Value& result, Value& scope) {
    if (depth_ >= kMaxNestingDepth) return fail(node, u"Nesting too deep");
    ++depth_;
    const bool ok = evaluateKind(node, result, scope);
    --depth_;
    return ok;
}

bool Evaluator::evaluateKind(const Node& node, Value& result, Value& scope) {
    switch (node.kind) {
        case NodeKind::Number: result.setInteger(node.intValue); return true;
        case NodeKind::Float: result.setFloat(node.floatValue); return true;
        case NodeKind::String: strings_.value(node.text, result); return true;
        case NodeKind::Undef: return keyword(node, result);
        case NodeKind::Parens: {
            if (node.children.empty()) return fail(node, u"Expecting R-Value");
            Value copy = scope;
            return evaluate(*node.children.front(), result, copy);  // ( ) fails at its own Empty
        }
        case NodeKind::Braces: return node.children.empty() || runStatements(*node.children.front(), result);
        case NodeKind::Brackets: return readPath(node, result, scope);
        case NodeKind::None: {
            const Node& first = *node.children.front();
            if (isBracket(first)) return readPath(node, result, scope);
            if (first.kind == NodeKind::Undef) return call(node, result, scope);
            return fail(node, u"Expecting R-Value");
        }
        case NodeKind::Comma: return commaList(node, result, scope);
        default: break;
    }
    if (isAssignmentOperator(node.kind)) return assign(node, result, scope);
    if (nodeKindIsOperator(node.kind)) {
        return nodeKindClass(node.kind) == NodeClass::Prefix ? prefix(node, result, scope)
                                                              : infix(node, result, scope);
    }
    return fail(node, u"Expecting R-Value");
}

bool Evaluator::keyword(const Node& node, Value& result) {
    if (node.text == u"undef") {
        result = Value();
    } else if (node.text == u"false") {
        result.setBoolean(false);
    } else if (node.text == u"true") {
        result.setBoolean(true);
    } else {
        return reportError(parser_.error, kSyntax, node.pos, u"Found keyword '%ls' when expecting RValue",
                           node.text);
    }
    return true;
}

// A read walks the scope as it stands. Keys are evaluated on copies of their own, so the walk
// never sees a change and the pointer into the scope's tree stays valid throughout.
bool Evaluator::readPath(const Node& node, Value& result, const Value& scope) {
    const Value view = scope;  // keeps the walked tree alive even when `result` is the scope
    const Value* here = &view;
    const bool single = isBracket(node);
    const std::size_t count = single ? 1 : node.children.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Node& step = single ? node : *node.children[i];
        if (!isBracket(step)) return fail(step, u"Expecting L-Value");
        const Node* keyNode = groupContent(step);
        if (!keyNode) {
            here = &Value::undef();  // a new element at the end is Undef, and so is all below it
            continue;
        }
        Value key;
        Value keyScope = scope;
        if (!evaluate(*keyNode, key, keyScope)) return false;
        here = &here->resolve(key);
    }
    result = *here;
    return true;
}

bool Evaluator::collectStep(const Node& bracket, Value& scope) {
    if (!isBracket(bracket)) return fail(bracket, u"Expecting L-Value");
    const Node* keyNode = groupContent(bracket);
    if (!keyNode) {
        steps_.push_back({Value(), true});
        return true;
    }
    Value key;
    if (!evaluate(*keyNode, key, scope)) return false;
    steps_.push_back({std::move(key), false});
    return true;
}

bool Evaluator::collectSteps(const Node& node, Value& scope) {
    if (node.kind != NodeKind::None) return collectStep(node, scope);
    for (const auto& child : node.children)
        if (!collectStep(*child, scope)) return false;
    return true;
}

bool Evaluator::assign(const Node& node, Value& result, Value& scope) {
    const NodeKind combine = baseOperatorOf(node.kind);
    Value value;
    if (!evaluate(*node.children.back(), value, scope)) return false;
    for (std::size_t t = node.children.size() - 1; t-- > 0;) {
        const std::size_t base = steps_.size();
        if (!collectSteps(*node.children[t], scope)) {
            steps_.resize(base);
            return false;
        }
        // No evaluation from here to the write: the slot cannot be moved under our feet.
        Value* slot = &scope;
        for (std::size_t s = base; s < steps_.size() && !slot->isScratchSlot(); ++s)
            slot = steps_[s].append ? &slot->element(slot->size()) : &slot->entryAt(steps_[s].key);
        steps_.resize(base);
        // A negative or absurdly large index: the Value refused the place; say so rather than
        // dropping the write without a word.
        if (slot->isScratchSlot())
            return reportError(parser_.error, kSyntax, node.children[t]->pos, u"Index out of range");
        if (combine == NodeKind::Empty) {
            *slot = value;
            continue;
        }
        const OperandType left = operandType(*slot), right = operandType(value);
        const OperatorFunction fn = findOperatorFunction(combine, left, right);
        if (!fn)
            return reportError(parser_.error, kSyntax, node.pos,
                               u"No binary function found for operator '%ls' and parameter types '%ls' and '%ls'",
                               nodeKindName(node.kind), operandTypeName(left), operandTypeName(right));
        fn(*slot, value);
        value = *slot;
    }
    result = std::move(value);
    return true;
}

bool Evaluator::commaList(const Node& node, Value& result, const Value& scope) {
    const Value base = scope;
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        Value item;
        Value copy = base;
        if (!evaluate(*node.children[i], item, copy)) return false;
        result.element(static_cast<std::uint32_t>(i)) = std::move(item);
    }
    return true;
}

bool Evaluator::prefix(const Node& node, Value& result, const Value& scope) {
    Value copy = scope;
    if (!evaluate(*node.children.front(), result, copy)) return false;
    const OperandType type = operandType(result);
    const OperatorFunction fn = findOperatorFunction(node.kind, type, OperandType::None);
    if (!fn)
        return reportError(parser_.error, kSyntax, node.pos,
                           u"No unary function found for operator '%ls' and parameter type '%ls'",
                           nodeKindName(node.kind), operandTypeName(type));
    fn(result, Value());
    return true;
}

bool Evaluator::infix(const Node& node, Value& result, const Value& scope) {
    const Value base = scope;
    Value copy = base;
    if (!evaluate(*node.children.front(), result, copy)) return false;
    for (std::size_t i = 1; i < node.children.size(); ++i) {
        Value operand;
        copy = base;
        if (!evaluate(*node.children[i], operand, copy)) return false;
        const OperandType left = operandType(result), right = operandType(operand);
        const OperatorFunction fn = findOperatorFunction(node.kind, left, right);
        if (!fn)
            return reportError(parser_.error, kSyntax, node.pos,
                               u"No binary function found for operator '%ls' and parameter types '%ls' and '%ls'",
                               nodeKindName(node.kind), operandTypeName(left), operandTypeName(right));
        fn(result, operand);
    }
    return true;
}

bool Evaluator::call(const Node& node, Value& result, Value& scope) {
    if (node.children.size() != 2) return fail(node, u"Invalid function format");
    const Node& list = *node.children[1];
    if (list.kind != NodeKind::Parens) return fail(list, u"Expecting function parameter list");
    Value args;
    args.setEmptyVector();
    if (const Node* content = groupContent(list)) {
        Value copy = scope;
        if (!evaluate(*content, args, copy)) return false;
        if (!args.isVector()) {
            Value single = std::move(args);
            args = Value();
            args.appendSlot() = std::move(single);
        }
    }
    const std::u16string_view name = node.children.front()->text;
    const BuiltinFunction fn = findBuiltin(name);
    if (!fn)
        return reportError(parser_.error, kSyntax, node.pos, u"Unknown function '%ls'", name);
    return fn(CallSite{parser_, depth_, node.pos, name}, args, result, scope);
}

bool runStatements(ConfigParser& parser, const Node& root, Value& scope, std::uint32_t depth) {
    return Evaluator(parser, depth).runStatements(root, scope);
}

StatementRunner::StatementRunner(ConfigParser& parser, std::uint32_t depth)
    : evaluator_(std::make_unique<Evaluator>(parser, depth)) {}

StatementRunner::~StatementRunner() = default;

bool StatementRunner::run(const Node& statement, Value& scope) { return evaluator_->runStatement(statement, scope); }

}  // namespace orvane::config::detail
