#include "config/operators.h"

#include <gtest/gtest.h>

#include <climits>

using namespace orvane;
using namespace orvane::config;

namespace {

Value integer(std::int32_t i) {
    Value v;
    v.setInteger(i);
    return v;
}

std::int32_t apply(NodeKind op, std::int32_t a, std::int32_t b) {
    OperatorFunction fn = findOperatorFunction(op, OperandType::Number, OperandType::Number);
    EXPECT_NE(fn, nullptr) << static_cast<int>(op);
    Value left = integer(a);
    if (fn) fn(left, integer(b));
    EXPECT_EQ(left.kind(), ValueKind::Integer);
    return left.toInteger();
}

std::int32_t applyPrefix(NodeKind op, std::int32_t a) {
    OperatorFunction fn = findOperatorFunction(op, OperandType::Number, OperandType::None);
    EXPECT_NE(fn, nullptr) << static_cast<int>(op);
    Value left = integer(a);
    if (fn) fn(left, Value());
    return left.toInteger();
}

}  // namespace

TEST(Operators, BinaryArithmeticWrapsAndKeepsTheLanguagesOddities) {
    struct Row { const char* name; NodeKind op; std::int32_t a, b, want; };
    const Row rows[] = {
        {"sum", NodeKind::Add, 2, 3, 5},
        {"sum wraps", NodeKind::Add, INT_MAX, 1, INT_MIN},
        {"difference wraps", NodeKind::Subtract, INT_MIN, 1, INT_MAX},
        {"product keeps low 32 bits", NodeKind::Multiply, 65536, 65537, 65536},
        {"quotient truncates", NodeKind::Divide, 7, 2, 3},
        {"negative quotient truncates toward zero", NodeKind::Divide, -7, 2, -3},
        {"% is the quotient too", NodeKind::Remainder, 7, 2, 3},
        {"division by zero keeps the left operand", NodeKind::Divide, 9, 0, 9},
        {"% by zero keeps the left operand", NodeKind::Remainder, 9, 0, 9},
        {"smallest by -1 wraps", NodeKind::Divide, INT_MIN, -1, INT_MIN},
        {"shift count modulo 32", NodeKind::ShiftLeft, 1, 33, 2},
        {"shift into the sign", NodeKind::ShiftLeft, 1, 31, INT_MIN},
        {"negative shift count uses low 5 bits", NodeKind::ShiftLeft, 1, -1, INT_MIN},
        {"right shift fills the sign", NodeKind::ShiftRight, -8, 1, -4},
        {"right shift of positive", NodeKind::ShiftRight, 8, 2, 2},
        {"| is exclusive or", NodeKind::BitOr, 6, 3, 5},
        {"^ is inclusive or", NodeKind::BitXor, 6, 3, 7},
        {"&", NodeKind::BitAnd, 6, 3, 2},
        {"<", NodeKind::Less, 3, 5, 1},
        {"< is signed", NodeKind::Less, -1, 0, 1},
        {"<=", NodeKind::LessEqual, 5, 5, 1},
        {">", NodeKind::Greater, 3, 5, 0},
        {">=", NodeKind::GreaterEqual, 5, 6, 0},
        {"==", NodeKind::Equal, 4, 4, 1},
        {"!=", NodeKind::NotEqual, 4, 4, 0},
        {"&& false", NodeKind::LogicalAnd, 0, 9, 0},
        {"&& true is 1", NodeKind::LogicalAnd, 2, 9, 1},
        {"|| true is 1", NodeKind::LogicalOr, 0, 9, 1},
        {"|| false", NodeKind::LogicalOr, 0, 0, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(apply(r.op, r.a, r.b), r.want) << r.name;
}

TEST(Operators, PrefixOperators) {
    struct Row { const char* name; NodeKind op; std::int32_t a, want; };
    const Row rows[] = {
        {"!0", NodeKind::Not, 0, 1},
        {"!5", NodeKind::Not, 5, 0},
        {"~0", NodeKind::Complement, 0, -1},
        {"+5", NodeKind::UnaryPlus, 5, 5},
        {"-5", NodeKind::UnaryMinus, 5, -5},
        {"negating the smallest gives itself", NodeKind::UnaryMinus, INT_MIN, INT_MIN},
    };
    for (const Row& r : rows) EXPECT_EQ(applyPrefix(r.op, r.a), r.want) << r.name;
}

TEST(Operators, OnlyIntegersHaveImplementations) {
    Value text;
    text.setWideString(u"a");
    Value real;
    real.setFloat(1.5);
    Value boolean;
    boolean.setBoolean(true);
    Value vec;
    vec.setEmptyVector();
    struct Row { const char* name; Value v; OperandType want; };
    const Row rows[] = {
        {"undef", Value(), OperandType::Undef},  {"integer", integer(1), OperandType::Number},
        {"string", text, OperandType::String},   {"float", real, OperandType::Float},
        {"boolean", boolean, OperandType::Invalid}, {"vector", vec, OperandType::Invalid},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(operandType(r.v), r.want) << r.name;
        if (r.want == OperandType::Number) continue;
        EXPECT_EQ(findOperatorFunction(NodeKind::Add, operandType(r.v), OperandType::Number), nullptr) << r.name;
        EXPECT_EQ(findOperatorFunction(NodeKind::Add, OperandType::Number, operandType(r.v)), nullptr) << r.name;
        EXPECT_EQ(findOperatorFunction(NodeKind::UnaryMinus, operandType(r.v), OperandType::None), nullptr) << r.name;
    }
    EXPECT_EQ(operandTypeName(OperandType::Invalid), u"Invalid");
    EXPECT_EQ(operandTypeName(OperandType::Number), u"Number");
    EXPECT_EQ(operandTypeName(OperandType::String), u"String");
    // Structural operators are not in the table: the evaluator handles them.
    for (NodeKind k : {NodeKind::Comma, NodeKind::Assign, NodeKind::Semicolon, NodeKind::None})
        EXPECT_EQ(findOperatorFunction(k, OperandType::Number, OperandType::Number), nullptr);
    // A prefix kind is not found with two operands, nor an infix kind with one.
    EXPECT_EQ(findOperatorFunction(NodeKind::Not, OperandType::Number, OperandType::Number), nullptr);
    EXPECT_EQ(findOperatorFunction(NodeKind::Add, OperandType::Number, OperandType::None), nullptr);
}

TEST(Operators, EveryOperatorKindHasExactlyTheRowsItShould) {
    for (std::uint32_t id = 0; id < kNodeKindCount; ++id) {
        const auto kind = static_cast<NodeKind>(id);
        const bool prefix = id >= 10 && id <= 13;
        const bool infix = id >= 14 && id <= 31;
        EXPECT_EQ(findOperatorFunction(kind, OperandType::Number, OperandType::None) != nullptr, prefix) << id;
        EXPECT_EQ(findOperatorFunction(kind, OperandType::Number, OperandType::Number) != nullptr, infix) << id;
        EXPECT_EQ(nodeKindIsOperator(kind), prefix || infix) << id;
    }
}

TEST(Operators, AssignmentKindsMapOntoTheirBaseOperators) {
    struct Row { NodeKind compound, base; };
    const Row rows[] = {
        {NodeKind::AddAssign, NodeKind::Add},           {NodeKind::SubtractAssign, NodeKind::Subtract},
        {NodeKind::MultiplyAssign, NodeKind::Multiply}, {NodeKind::DivideAssign, NodeKind::Divide},
        {NodeKind::RemainderAssign, NodeKind::Remainder}, {NodeKind::BitAndAssign, NodeKind::BitAnd},
        {NodeKind::BitXorAssign, NodeKind::BitXor},     {NodeKind::BitOrAssign, NodeKind::BitOr},
        {NodeKind::ShiftLeftAssign, NodeKind::ShiftLeft}, {NodeKind::ShiftRightAssign, NodeKind::ShiftRight},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(isAssignmentOperator(r.compound));
        EXPECT_EQ(baseOperatorOf(r.compound), r.base);
        // The compound spells its base operator followed by "=".
        EXPECT_EQ(std::u16string(nodeKindName(r.compound)), std::u16string(nodeKindName(r.base)) + u"=");
    }
    EXPECT_TRUE(isAssignmentOperator(NodeKind::Assign));
    EXPECT_EQ(baseOperatorOf(NodeKind::Assign), NodeKind::Empty);
    for (NodeKind k : {NodeKind::Equal, NodeKind::Semicolon, NodeKind::Comma, NodeKind::Add})
        EXPECT_FALSE(isAssignmentOperator(k));
}
