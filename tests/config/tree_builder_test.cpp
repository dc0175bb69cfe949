#include "config/tree_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/scanner.h"
#include "value/text.h"

using namespace orvane;
using namespace orvane::config;

namespace {

Token token(TokenKind kind, std::int32_t column = 1) {
    Token t;
    t.kind = kind;
    t.pos = SourcePos{1, column};
    return t;
}

std::vector<Token> scanned(std::string_view source) {
    std::vector<Token> out;
    std::u16string error;
    EXPECT_TRUE(scanText(error, out, widen(source))) << narrow(error);
    return out;
}

std::vector<Token> operator+(std::vector<Token> a, const std::vector<Token>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string notation(const Node& node) { return narrow(treeNotation(node)); }

// Every child points back at its parent and nothing points above the root.
bool linked(const Node& root) {
    std::vector<const Node*> stack{&root};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        for (const auto& child : node->children) {
            if (child->parent != node) return false;
            stack.push_back(child);
        }
    }
    return root.parent == nullptr;
}

// The notation with each node's position: None@1:3[f@1:1, ()@1:3[x@1:5]].
std::string located(const Node& node) {
    std::string out = node.children.empty() ? notation(node) : narrow(nodeKindName(node.kind));
    out += "@" + std::to_string(node.pos.line) + ":" + std::to_string(node.pos.column);
    for (std::size_t i = 0; i < node.children.size(); ++i) out += (i == 0 ? "[" : ", ") + located(*node.children[i]);
    return node.children.empty() ? out : out + "]";
}

// The notation (with positions when asked), or the error of a failed build.
std::string built(const std::vector<Token>& tokens, bool withPositions = false) {
    Tree tree;
    std::u16string error = u"an older message";
    if (!buildTree(error, tokens, tree)) return narrow(error);
    EXPECT_TRUE(linked(tree.root()));
    return withPositions ? located(tree.root()) : notation(tree.root());
}

TEST(NodeKindTable, IdsKeepTheirNamesPrecedencesClassesAndOperatorFlags) {
    std::u16string names;
    std::string precedences, classes, operators;
    for (std::uint32_t id = 0; id < kNodeKindCount; ++id) {
        const auto kind = static_cast<NodeKind>(id);
        names += std::u16string(nodeKindName(kind)) + u" ";
        precedences += std::to_string(nodeKindPrecedence(kind)) + " ";
        classes += std::to_string(static_cast<int>(nodeKindClass(kind)));
        operators += nodeKindIsOperator(kind) ? '1' : '0';
    }
    EXPECT_EQ(names, u"Empty Invalid String Number Float Undef [] {} () None ! ~ + - * / % + - << >> "
                     u"< <= > >= == != & ^ | && || , = += -= *= /= %= &= ^= |= <<= >>= ; ");
    EXPECT_EQ(precedences, "255 255 255 255 255 255 255 255 255 1 2 2 2 2 3 3 3 4 4 5 5 6 6 6 6 7 7 8 9 "
                           "10 11 12 13 14 14 14 14 14 14 14 14 14 14 14 15 ");
    EXPECT_EQ(classes, "001111444322223333333333333333333333333333333");
    EXPECT_EQ(operators, "000000000011111111111111111111110000000000000");
    EXPECT_EQ(static_cast<std::uint32_t>(NodeKind::Semicolon), kNodeKindCount - 1);
    EXPECT_EQ(nodeKindName(static_cast<NodeKind>(kNodeKindCount)), u"Invalid") << "an id outside the table";
    EXPECT_EQ(nodeKindClass(static_cast<NodeKind>(0xFFFFFFFFu)), NodeClass::Nothing);
}

TEST(TokenTable, EachOperatorTokenMakesItsInfixAndPrefixKind) {
    // Per token code from "!" on: the root's kind id for `a OP b` and for `OP b`, or E for an error.
    std::string infix, prefix;
    for (auto code = static_cast<std::uint32_t>(TokenKind::Not); code < kTokenKindCount; ++code) {
        const auto kind = static_cast<TokenKind>(code);
        Tree both, alone;
        std::u16string error;
        infix += buildTree(error, scanned("a") + std::vector{token(kind, 3)} + scanned("b"), both)
                     ? std::to_string(static_cast<int>(both.root().kind)) + " " : "E ";
        prefix += buildTree(error, std::vector{token(kind)} + scanned("b"), alone)
                      ? std::to_string(static_cast<int>(alone.root().kind)) + " " : "E ";
    }
    EXPECT_EQ(infix, "E E 17 18 14 15 16 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40 "
                     "41 42 43 44 ");
    EXPECT_EQ(prefix, "10 11 12 13 E E E E E E E E E E E E E E E E E E E E E E E E E E E E E ");
}

struct Row {
    const char* name;
    std::string_view source;
    std::string_view expected;
};

TEST(BuildTree, ShapesFollowPrecedenceGroupingAndJoining) {
    const Row rows[] = {
        {"no tokens leave the root empty", "", "Empty"},
        {"each new kind of a level wraps", "a < b <= c > d", ">[<=[<[a, b], c], d]"},
        {"a repeated operator is one n-ary node", "a = b = c", "=[a, b, c]"},
        {"another assignment wraps the chain", "a = b += c", "+=[=[a, b], c]"},
        {"an n-ary run resumes after a tighter operator", "a + b * c + d", "+[a, *[b, c], d]"},
        {"the statement list ends in an empty place", "['x'] = 1; ['y'] = \"it's\" 'ok';",
         ";[=[[]['x'], 1], =[[]['y'], \"it'sok\"], Empty]"},
        {"every level nests in order", "a || b && c | d ^ e & f == g < h << i + j * k",
         "||[a, &&[b, |[c, ^[d, &[e, ==[f, <[g, <<[h, +[i, *[j, k]]]]]]]]]]"},
        {"every level wraps in order", "a * b + c << d < e == f & g ^ h | i && j || k , l = m ;",
         ";[=[,[||[&&[|[^[&[==[<[<<[+[*[a, b], c], d], e], f], g], h], i], j], k], l], m], Empty]"},
        {"calls in a row join one None", "f(x)(y)", "None[f, ()[x], ()[y]]"},
        {"a bracket path and operands side by side join one None", "[a][b] c 'd'", "None[[][a], [][b], c, 'd']"},
        {"a prefix takes the whole juxtaposition", "- f(x)", "-[None[f, ()[x]]]"},
        {"a prefix binds tighter than a product", "- a * b", "*[-[a], b]"},
        {"a prefix inside a run", "a + - b + c", "+[a, -[b], c]"},
        {"prefixes stack", "! ~ - + a", "![~[-[+[a]]]]"},
        {"plus and minus are infix after an operand", "+ 1 - 2", "-[+[1], 2]"},
        {"a block is a statement", "{ a ; b ; } ;", ";[{}[;[a, b, Empty]], Empty]"},
        {"empty groups hold an empty place", "{ } ( ) [ ]", "None[{}[Empty], ()[Empty], [][Empty]]"},
        {"a closed group juxtaposed inside a group", "[ ( a ) b ]", "[][None[()[a], b]]"},
        {"the climb stops at the open group", "( a + b * c ; d", "()[;[+[a, *[b, c]], d]]"},
        {"open groups are closed at the end", "{ [ ( 1 + 2", "{}[[][()[+[1, 2]]]]"},
        {"a trailing operator leaves an empty place", "a +", "+[a, Empty]"},
        {"numbers keep their values", "1.5 2.5e3 0x1F", "None[1.5, 2500, 31]"},
    };
    for (const Row& row : rows) EXPECT_EQ(built(scanned(row.source)), row.expected) << row.name;
}

TEST(BuildTree, NodesStandWhereTheirTokensStand) {
    const Row rows[] = {
        {"a call sits at its bracket", "f ( x )", "None@1:3[f@1:1, ()@1:3[x@1:5]]"},
        {"an n-ary node sits at its first operator", "a + b + c", "+@1:3[a@1:1, b@1:5, c@1:9]"},
        {"a statement list sits at the first semicolon, its last place at the last", "a ;\nb ;",
         ";@1:3[a@1:1, b@2:1, Empty@2:3]"},
        {"a wrapped node keeps its own place", "( a ) * b", "*@1:7[()@1:1[a@1:3], b@1:9]"},
        {"an empty group's place is its bracket", "\n  [ ]", "[]@2:3[Empty@2:3]"},
    };
    for (const Row& row : rows) EXPECT_EQ(built(scanned(row.source), true), row.expected) << row.name;
}

TEST(BuildTree, ErrorsAreWordedAndPlacedAtTheOffendingToken) {
    const Row rows[] = {
        {"a closing bracket with nothing open", "1 )", "Syntax Error (1:3): Cannot find counterpart of Number"},
        {"the nearest open group decides", "[ ( a ]", "Syntax Error (1:7): Cannot find counterpart of Undef"},
        {"an empty place names Empty", "( - ]", "Syntax Error (1:5): Cannot find counterpart of Empty"},
        {"closing a closed group names the group", "( a ) )", "Syntax Error (1:7): Cannot find counterpart of ()"},
        {"closing past a block", "{ - }\n)", "Syntax Error (2:1): Cannot find counterpart of {}"},
        {"not after an operand", "a ! b", "Internal Error (1:3): Invalid syntax family"},
        {"complement after a group", "( a ) ~ b", "Internal Error (1:7): Invalid syntax family"},
        {"a leading operator", "* 3", "Syntax Error (1:1): "},
        {"an operator right after an assignment", "a = ;", "Syntax Error (1:5): "},
        {"a comma first in a group", "f ( , x )", "Syntax Error (1:5): "},
        {"the first error ends the build", "a ! b )", "Internal Error (1:3): Invalid syntax family"},
    };
    for (const Row& row : rows) EXPECT_EQ(built(scanned(row.source)), row.expected) << row.name;
    EXPECT_EQ(built({token(static_cast<TokenKind>(kTokenKindCount), 4)}),
              "Internal Error (1:4): Invalid syntax family");
}

// A loader drops each finished top-level statement; what follows must build exactly as before.
TEST(BuildTree, DroppingFinishedStatementsLeavesTheRestOfTheTreeAlone) {
    const struct {
        const char* source;
        int drops;              // how many ";" tokens found the tree between statements
        const char* remaining;  // the notation after the last token
    } rows[] = {
        {"a; b; c + d;", 3, ";[Empty]"},
        {"a; b; c + d", 2, ";[+[c, d]]"},
        {"a; { b; c; } ; d;", 3, ";[Empty]"},   // the ";"s inside the block are not top-level
        {"a + b", 0, "+[a, b]"},
        {"a; (b; c", 1, ";[()[;[b, c]]]"},
    };
    for (const auto& row : rows) {
        Tree tree;
        std::u16string error;
        TreeBuilder builder(error, tree);
        int drops = 0;
        for (const Token& t : scanned(row.source)) {
            ASSERT_TRUE(builder.place(t)) << row.source;
            if (t.kind == TokenKind::Semicolon && builder.dropFinishedStatements()) {
                ++drops;
                EXPECT_EQ(tree.root().children.size(), 1u) << row.source;
            }
        }
        EXPECT_EQ(drops, row.drops) << row.source;
        EXPECT_EQ(notation(tree.root()), row.remaining) << row.source;
        EXPECT_TRUE(linked(tree.root())) << row.source;
    }
}

constexpr std::size_t kDeep = 1'000'000;

std::vector<Token> repeated(TokenKind kind) { return std::vector<Token>(kDeep, token(kind)); }

TEST(Depth, AMillionOpeningTokensBuildPrintAndDrop) {
    const std::pair<TokenKind, std::string> rows[] = {
        {TokenKind::LParen, "()["}, {TokenKind::LBrace, "{}["}, {TokenKind::Minus, "-["},
    };
    for (const auto& [kind, level] : rows) {
        const std::string text = built(repeated(kind));
        EXPECT_EQ(text.size(), kDeep * (level.size() + 1) + 5) << level;
        EXPECT_EQ(text.substr(0, 2 * level.size()), level + level);
        EXPECT_EQ(text.substr(kDeep * level.size(), 7), "Empty]]");
    }
    // The way back up stays whole: closing a million groups, climbing over a million prefixes.
    EXPECT_EQ(built(repeated(TokenKind::LBracket) + repeated(TokenKind::RBracket) + scanned("+ 1")).substr(0, 11),
              "+[[][[][[][");
    EXPECT_EQ(built(repeated(TokenKind::Minus) + scanned("1 * 2")).substr(0, 8), "*[-[-[-[");
    EXPECT_EQ(built(repeated(TokenKind::LBrace) + scanned("a )")),
              "Syntax Error (1:3): Cannot find counterpart of Undef");
}

TEST(TreeNotation, LeavesPrintAsTheirValueAndParentsAsTheirName) {
    const struct {
        const char* name;
        NodeKind kind;
        std::u16string_view text;
        double number;  // intValue for Number, floatValue for Float
        std::u16string_view printed;
    } rows[] = {
        {"number", NodeKind::Number, u"", -17, u"-17"},
        {"float in %g", NodeKind::Float, u"", 1e20, u"1e+20"},
        {"escapes in double quotes", NodeKind::String, u"\t\"\\\n\r\x01", 0, u"\"\\t\\\"\\\\\\n\\r\\x01\""},
        {"keyword as its word", NodeKind::Undef, u"true", 0, u"true"},
        {"childless operator as its name", NodeKind::ShiftLeftAssign, u"x", 0, u"<<="},
    };
    for (const auto& row : rows) {
        Tree tree;
        Node& node = tree.root();
        node.kind = row.kind;
        node.text = row.text;
        node.intValue = static_cast<std::int32_t>(row.number);
        node.floatValue = row.number;
        EXPECT_EQ(treeNotation(node), row.printed) << row.name;
    }
    Tree tree;
    Node& node = tree.root();
    node.kind = NodeKind::Number;
    node.intValue = 5;
    tree.addChild(node, SourcePos{}).kind = NodeKind::Invalid;
    tree.addChild(node, SourcePos{});
    EXPECT_EQ(treeNotation(node), u"Number[Invalid, Empty]");
}

}  // namespace
