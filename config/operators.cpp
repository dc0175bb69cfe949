// The operator table. Rows are searched in order; the first row whose keys match wins.
#include "config/operators.h"

namespace orvane::config {
namespace {

// Arithmetic goes through uint32_t, where overflow is defined, and back: the wrap is the contract.
std::uint32_t u(const Value& v) { return static_cast<std::uint32_t>(v.toInteger()); }
std::int32_t s(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }
std::int32_t flag(bool b) { return b ? 1 : 0; }

void opNot(Value& l, const Value&) { l.setInteger(flag(l.toInteger() == 0)); }
void opComplement(Value& l, const Value&) { l.setInteger(s(~u(l))); }
void opPlus(Value& l, const Value&) { l.setInteger(l.toInteger()); }
void opNegate(Value& l, const Value&) { l.setInteger(s(0u - u(l))); }
void opAdd(Value& l, const Value& r) { l.setInteger(s(u(l) + u(r))); }
void opSubtract(Value& l, const Value& r) { l.setInteger(s(u(l) - u(r))); }
void opMultiply(Value& l, const Value& r) { l.setInteger(s(u(l) * u(r))); }
void opDivide(Value& l, const Value& r) {
    const std::int32_t a = l.toInteger(), b = r.toInteger();
    if (b == 0) return;                          // no quotient: the left operand stays
    if (b == -1) l.setInteger(s(0u - u(l)));     // also covers INT32_MIN / -1 without trapping
    else l.setInteger(a / b);
}
void opShiftLeft(Value& l, const Value& r) { l.setInteger(s(u(l) << (u(r) & 31))); }
void opShiftRight(Value& l, const Value& r) {
    // C++20 defines >> of a negative number as the sign-filling shift.
    l.setInteger(l.toInteger() >> (u(r) & 31));
}
void opLess(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() < r.toInteger())); }
void opLessEqual(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() <= r.toInteger())); }
void opGreater(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() > r.toInteger())); }
void opGreaterEqual(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() >= r.toInteger())); }
void opEqual(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() == r.toInteger())); }
void opNotEqual(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() != r.toInteger())); }
void opAnd(Value& l, const Value& r) { l.setInteger(s(u(l) & u(r))); }
void opXor(Value& l, const Value& r) { l.setInteger(s(u(l) ^ u(r))); }
void opOr(Value& l, const Value& r) { l.setInteger(s(u(l) | u(r))); }
void opLogicalAnd(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() != 0 && r.toInteger() != 0)); }
void opLogicalOr(Value& l, const Value& r) { l.setInteger(flag(l.toInteger() != 0 || r.toInteger() != 0)); }

struct OperatorRow {
    NodeKind op;
    OperandType left;
    OperandType right;
    OperatorFunction fn;
};

constexpr OperandType N = OperandType::Number;
constexpr OperandType P = OperandType::None;

// WARNING: the order is observable only through which row matches first; keep one row per key.
// "|" (BitOr) is bound to exclusive or and "^" (BitXor) to inclusive or, and "%" to the division.
constexpr OperatorRow kOperatorTable[] = {
    {NodeKind::Not, N, P, opNot},
    {NodeKind::Complement, N, P, opComplement},
    {NodeKind::UnaryPlus, N, P, opPlus},
    {NodeKind::UnaryMinus, N, P, opNegate},
    {NodeKind::Add, N, N, opAdd},
    {NodeKind::Subtract, N, N, opSubtract},
    {NodeKind::Multiply, N, N, opMultiply},
    {NodeKind::Divide, N, N, opDivide},
    {NodeKind::Remainder, N, N, opDivide},
    {NodeKind::ShiftLeft, N, N, opShiftLeft},
    {NodeKind::ShiftRight, N, N, opShiftRight},
    {NodeKind::Less, N, N, opLess},
    {NodeKind::LessEqual, N, N, opLessEqual},
    {NodeKind::Greater, N, N, opGreater},
    {NodeKind::GreaterEqual, N, N, opGreaterEqual},
    {NodeKind::Equal, N, N, opEqual},
    {NodeKind::NotEqual, N, N, opNotEqual},
    {NodeKind::BitAnd, N, N, opAnd},
    {NodeKind::BitOr, N, N, opXor},
    {NodeKind::BitXor, N, N, opOr},
    {NodeKind::LogicalAnd, N, N, opLogicalAnd},
    {NodeKind::LogicalOr, N, N, opLogicalOr},
};

}  // namespace

OperandType operandType(const Value& operand) {
    switch (operand.kind()) {
    case ValueKind::Undef: return OperandType::Undef;
    case ValueKind::Integer: return OperandType::Number;
    case ValueKind::NarrowString:
    case ValueKind::WideString: return OperandType::String;
    case ValueKind::Float: return OperandType::Float;
    default: return OperandType::Invalid;
    }
}

std::u16string_view operandTypeName(OperandType type) {
    return nodeKindName(static_cast<NodeKind>(type));
}

OperatorFunction findOperatorFunction(NodeKind op, OperandType left, OperandType right) {
    for (const OperatorRow& row : kOperatorTable)
        if (row.op == op && row.left == left && row.right == right) return row.fn;
    return nullptr;
}

bool isAssignmentOperator(NodeKind kind) {
    return kind >= NodeKind::Assign && kind <= NodeKind::ShiftRightAssign;
}

NodeKind baseOperatorOf(NodeKind kind) {
    switch (kind) {
    case NodeKind::AddAssign: return NodeKind::Add;
    case NodeKind::SubtractAssign: return NodeKind::Subtract;
    case NodeKind::MultiplyAssign: return NodeKind::Multiply;
    case NodeKind::DivideAssign: return NodeKind::Divide;
    case NodeKind::RemainderAssign: return NodeKind::Remainder;
    case NodeKind::BitAndAssign: return NodeKind::BitAnd;
    case NodeKind::BitXorAssign: return NodeKind::BitXor;
    case NodeKind::BitOrAssign: return NodeKind::BitOr;
    case NodeKind::ShiftLeftAssign: return NodeKind::ShiftLeft;
    case NodeKind::ShiftRightAssign: return NodeKind::ShiftRight;
    default: return NodeKind::Empty;
    }
}

}  // namespace orvane::config
