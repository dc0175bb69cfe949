#include "config/operators.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

using namespace orvane;
using namespace orvane::config;

namespace {

// The result of `a op b`, or of `op a` when b is absent; answers -999 when the operator is missing.
std::int32_t apply(NodeKind op, std::int32_t a, std::optional<std::int32_t> b) {
    const auto right = b ? OperandType::Number : OperandType::None;
    const OperatorFunction fn = findOperatorFunction(op, OperandType::Number, right);
    if (!fn) return -999;
    Value left(a);
    fn(left, b ? Value(*b) : Value());
    EXPECT_EQ(left.kind(), ValueKind::Integer);
    return left.toInteger();
}

TEST(Operators, IntegerArithmeticWrapsAndKeepsTheLanguagesOddities) {
    struct Row { const char* name; NodeKind op; std::int32_t a; std::optional<std::int32_t> b; std::int32_t want; };
    using K = NodeKind;
    const Row rows[] = {
        {"sum wraps", K::Add, INT_MAX, 1, INT_MIN},           {"difference wraps", K::Subtract, INT_MIN, 1, INT_MAX},
        {"product keeps low 32 bits", K::Multiply, 65536, 65537, 65536},
        {"negative quotient truncates toward zero", K::Divide, -7, 2, -3},
        {"% is the quotient too", K::Remainder, 7, 2, 3},
        {"division by zero keeps the left operand", K::Divide, 9, 0, 9},
        {"% by zero keeps the left operand", K::Remainder, 9, 0, 9},
        {"smallest by -1 wraps", K::Divide, INT_MIN, -1, INT_MIN},
        {"shift count modulo 32", K::ShiftLeft, 1, 33, 2},   {"shift into the sign", K::ShiftLeft, 1, 31, INT_MIN},
        {"negative shift count uses low 5 bits", K::ShiftLeft, 1, -1, INT_MIN},
        {"right shift fills the sign", K::ShiftRight, -8, 1, -4},
        {"| is exclusive or", K::BitOr, 6, 3, 5},            {"^ is inclusive or", K::BitXor, 6, 3, 7},
        {"&", K::BitAnd, 6, 3, 2},                           {"< is signed", K::Less, -1, 0, 1},
        {"<=", K::LessEqual, 5, 5, 1},                       {">", K::Greater, 3, 5, 0},
        {">=", K::GreaterEqual, 5, 6, 0},                    {"==", K::Equal, 4, 4, 1},
        {"!=", K::NotEqual, 4, 4, 0},                        {"&& false", K::LogicalAnd, 0, 9, 0},
        {"&& true is 1", K::LogicalAnd, 2, 9, 1},            {"|| true is 1", K::LogicalOr, 0, 9, 1},
        {"|| false", K::LogicalOr, 0, 0, 0},                 {"!0", K::Not, 0, {}, 1},
        {"!5", K::Not, 5, {}, 0},                            {"~0", K::Complement, 0, {}, -1},
        {"+5", K::UnaryPlus, 5, {}, 5},                      {"-5", K::UnaryMinus, 5, {}, -5},
        {"negating the smallest gives itself", K::UnaryMinus, INT_MIN, {}, INT_MIN},
    };
    for (const Row& r : rows) EXPECT_EQ(apply(r.op, r.a, r.b), r.want) << r.name;
}

TEST(Operators, OnlyIntegersHaveImplementationsAndOnlyOperatorKindsHaveRows) {
    Value text(u"a"), real(1.5), boolean(true), vec;
    vec.setEmptyVector();
    const std::pair<Value, OperandType> rows[] = {
        {Value(), OperandType::Undef}, {Value(1), OperandType::Number}, {text, OperandType::String},
        {real, OperandType::Float},    {boolean, OperandType::Invalid}, {vec, OperandType::Invalid},
    };
    for (const auto& [v, type] : rows) {
        EXPECT_EQ(operandType(v), type) << v.toNarrowString();
        const bool number = type == OperandType::Number;
        EXPECT_EQ(findOperatorFunction(NodeKind::Add, type, OperandType::Number) != nullptr, number);
        EXPECT_EQ(findOperatorFunction(NodeKind::Add, OperandType::Number, type) != nullptr, number);
        EXPECT_EQ(findOperatorFunction(NodeKind::UnaryMinus, type, OperandType::None) != nullptr, number);
    }
    std::u16string names;
    for (const auto type : {OperandType::Invalid, OperandType::Number, OperandType::String, OperandType::Undef})
        names += std::u16string(operandTypeName(type)) + u" ";
    EXPECT_EQ(names, u"Invalid Number String Undef ");
    for (std::uint32_t id = 0; id < kNodeKindCount; ++id) {  // structural kinds are the evaluator's
        const auto kind = static_cast<NodeKind>(id);
        const bool prefix = id >= 10 && id <= 13, infix = id >= 14 && id <= 31;
        EXPECT_EQ(findOperatorFunction(kind, OperandType::Number, OperandType::None) != nullptr, prefix) << id;
        EXPECT_EQ(findOperatorFunction(kind, OperandType::Number, OperandType::Number) != nullptr, infix) << id;
        EXPECT_EQ(nodeKindIsOperator(kind), prefix || infix) << id;
    }
}

TEST(Operators, AssignmentKindsMapOntoTheirBaseOperators) {
    using K = NodeKind;
    const std::pair<K, K> rows[] = {
        {K::AddAssign, K::Add},           {K::SubtractAssign, K::Subtract},   {K::MultiplyAssign, K::Multiply},
        {K::DivideAssign, K::Divide},     {K::RemainderAssign, K::Remainder}, {K::BitAndAssign, K::BitAnd},
        {K::BitXorAssign, K::BitXor},     {K::BitOrAssign, K::BitOr},         {K::ShiftLeftAssign, K::ShiftLeft},
        {K::ShiftRightAssign, K::ShiftRight},
    };
    for (const auto& [compound, base] : rows) {
        EXPECT_TRUE(isAssignmentOperator(compound));
        EXPECT_EQ(baseOperatorOf(compound), base);
        // The compound spells its base operator followed by "=".
        EXPECT_EQ(std::u16string(nodeKindName(compound)), std::u16string(nodeKindName(base)) + u"=");
    }
    EXPECT_TRUE(isAssignmentOperator(K::Assign));
    EXPECT_EQ(baseOperatorOf(K::Assign), K::Empty);
    for (K k : {K::Equal, K::Semicolon, K::Comma, K::Add}) EXPECT_FALSE(isAssignmentOperator(k));
}

}  // namespace
