// The integer operators of the language, looked up by operator and operand types.
//
// Every operator works on Integers only and wraps silently in 32-bit two's complement; a combination
// without a row (a string, float, boolean, container or undef operand) has no implementation, and the
// evaluator words that fact. Two results are this library's own choice, since no arithmetic defines
// them: a zero divisor in "/" or "%" leaves the left operand unchanged, and -2147483648 / -1 gives
// -2147483648 (the wrapped quotient). Note that "%" divides, "|" is exclusive and "^" inclusive or:
// files in the wild depend on these meanings.
#pragma once

#include <cstdint>

#include "config/node.h"
#include "value/value.h"

namespace orvane::config {

// The type of an operand, named by a node-kind id (the name appears in messages).
enum class OperandType : std::uint32_t {
    None = 0,                                   // the missing right operand of a prefix operator
    Invalid = static_cast<std::uint32_t>(NodeKind::Invalid),  // Pointer, Boolean, Vector, Hash
    String = static_cast<std::uint32_t>(NodeKind::String),
    Number = static_cast<std::uint32_t>(NodeKind::Number),    // Integer
    Float = static_cast<std::uint32_t>(NodeKind::Float),
    Undef = static_cast<std::uint32_t>(NodeKind::Undef),
};

// Overwrites `left` with the result; prefix operators get an Undef `right`.
using OperatorFunction = void (*)(Value& left, const Value& right);

OperandType operandType(const Value& operand);
std::u16string_view operandTypeName(OperandType type);  // "Number", "String", ...

// The implementation for the operator and operand types, or null when there is none.
OperatorFunction findOperatorFunction(NodeKind op, OperandType left, OperandType right);

bool isAssignmentOperator(NodeKind kind);  // "=" and every compound assignment
NodeKind baseOperatorOf(NodeKind kind);    // "+=" -> "+", ...; Empty for anything else

}  // namespace orvane::config
