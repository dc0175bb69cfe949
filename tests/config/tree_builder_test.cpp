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

// The spelling of every token code from "{" (4) on, in code order.
constexpr std::string_view kSpellings =
    "{ } [ ] ( ) ! ~ + - * / % << >> < <= > >= == != & ^ | && || , = += -= *= /= %= &= ^= |= <<= >>= ;";
constexpr auto kFirstSpelled = static_cast<std::uint32_t>(TokenKind::LBrace);

Token token(TokenKind kind, std::int32_t column = 1) {
    Token t;
    t.kind = kind;
    t.pos = SourcePos{1, column};
    return t;
}

Token wordToken(std::string_view word, SourcePos pos) {
    Token t = token(TokenKind::Keyword);
    t.pos = pos;
    std::uint32_t code = kFirstSpelled;
    for (std::size_t at = 0; at < kSpellings.size(); ++code) {
        std::size_t end = std::min(kSpellings.find(' ', at), kSpellings.size());
        if (kSpellings.substr(at, end - at) == word) {
            t.kind = static_cast<TokenKind>(code);
            return t;
        }
        at = end + 1;
    }
    if (word.front() == '\'') {
        t.kind = TokenKind::String;
        t.text = widen(word.substr(1, word.size() - 2));
    } else if (word.front() >= '0' && word.front() <= '9') {
        t.kind = word.find_first_of(".e") == std::string_view::npos ? TokenKind::Integer : TokenKind::Float;
        t.intValue = std::stoi(std::string(word));
        t.floatValue = parseFloat(word);
    } else {
        t.text = widen(word);
    }
    return t;
}

// Tokens from words separated by blanks or line feeds, each placed where it stands in `source`:
// "f ( x )" is a Keyword at 1:1, "(" at 1:3, a Keyword at 1:5, ")" at 1:7.
std::vector<Token> tokens(std::string_view source) {
    std::vector<Token> out;
    SourcePos pos;
    for (std::size_t i = 0; i < source.size();) {
        if (source[i] == '\n') {
            pos = SourcePos{pos.line + 1, 1};
            ++i;
        } else if (source[i] == ' ') {
            ++pos.column;
            ++i;
        } else {
            std::size_t end = std::min(source.find_first_of(" \n", i), source.size());
            out.push_back(wordToken(source.substr(i, end - i), pos));
            pos.column += static_cast<std::int32_t>(end - i);
            i = end;
        }
    }
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
            stack.push_back(child.get());
        }
    }
    return root.parent == nullptr;
}

// The notation with each node's position: None@1:3[f@1:1, ()@1:3[x@1:5]].
std::string located(const Node& node) {
    std::string out = node.children.empty() ? notation(node) : narrow(nodeKindName(node.kind));
    out += "@" + std::to_string(node.pos.line) + ":" + std::to_string(node.pos.column);
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        out += (i == 0 ? "[" : ", ") + located(*node.children[i]);
    }
    return node.children.empty() ? out : out + "]";
}

// ---------------------------------------------------------------------------------------------------

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
}

TEST(NodeKindTable, AnIdOutsideTheTableReadsAsInvalid) {
    EXPECT_EQ(nodeKindName(static_cast<NodeKind>(kNodeKindCount)), u"Invalid");
    EXPECT_EQ(nodeKindClass(static_cast<NodeKind>(0xFFFFFFFFu)), NodeClass::Nothing);
}

TEST(TokenTable, EachOperatorTokenMakesItsInfixAndPrefixKind) {
    // Per token code from "!" on: the root's kind id for `a OP b` and for `OP b`, or E for an error.
    std::string infix, prefix;
    for (auto code = static_cast<std::uint32_t>(TokenKind::Not); code < kTokenKindCount; ++code) {
        const auto kind = static_cast<TokenKind>(code);
        Node both, alone;
        std::u16string error;
        infix += buildTree(error, tokens("a ") + std::vector{token(kind, 3)} + tokens("b"), both)
                     ? std::to_string(static_cast<int>(both.kind)) + " " : "E ";
        prefix += buildTree(error, {token(kind), wordToken("b", {1, 3})}, alone)
                      ? std::to_string(static_cast<int>(alone.kind)) + " " : "E ";
    }
    EXPECT_EQ(infix, "E E 17 18 14 15 16 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40 "
                     "41 42 43 44 ");
    EXPECT_EQ(prefix, "10 11 12 13 E E E E E E E E E E E E E E E E E E E E E E E E E E E E E ");
}

// ---------------------------------------------------------------------------------------------------

struct Row {
    const char* name;
    std::string_view source;
    std::string_view expected;
};

TEST(BuildTree, ShapesFollowPrecedenceGroupingAndJoining) {
    const Row rows[] = {
        {"no tokens leave the root empty", "", "Empty"},
        {"product binds tighter than sum", "1 + 2 * 3", "+[1, *[2, 3]]"},
        {"a group is one operand", "( 1 + 2 ) * 3", "*[()[+[1, 2]], 3]"},
        {"equal precedence groups from the left", "a - b + c", "+[-[a, b], c]"},
        {"each new kind of a level wraps", "a < b <= c > d", ">[<=[<[a, b], c], d]"},
        {"a repeated operator is one n-ary node", "a + b + c + d", "+[a, b, c, d]"},
        {"a repeated assignment is one node", "a = b = c", "=[a, b, c]"},
        {"another assignment wraps the chain", "a = b += c", "+=[=[a, b], c]"},
        {"an n-ary run resumes after a tighter operator", "a + b * c + d", "+[a, *[b, c], d]"},
        {"the statement list ends in an empty place", "[ 'x' ] = 1 ; [ 'y' ] = 2 ;",
         ";[=[[]['x'], 1], =[[]['y'], 2], Empty]"},
        {"assignment is looser than comma", "a , b = c , d", "=[,[a, b], ,[c, d]]"},
        {"every level nests in order", "a || b && c | d ^ e & f == g < h << i + j * k",
         "||[a, &&[b, |[c, ^[d, &[e, ==[f, <[g, <<[h, +[i, *[j, k]]]]]]]]]]"},
        {"every level wraps in order", "a * b + c << d < e == f & g ^ h | i && j || k , l = m ;",
         ";[=[,[||[&&[|[^[&[==[<[<<[+[*[a, b], c], d], e], f], g], h], i], j], k], l], m], Empty]"},
        {"calls in a row join one None", "f ( x ) ( y )", "None[f, ()[x], ()[y]]"},
        {"a bracket path joins one None", "[ a ] [ b ] [ c ]", "None[[][a], [][b], [][c]]"},
        {"operands side by side join one None", "a b 'c'", "None[a, b, 'c']"},
        {"a prefix takes the whole juxtaposition", "- f ( x )", "-[None[f, ()[x]]]"},
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
        {"floats keep their values", "1.5 2.5e3", "None[1.5, 2500]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Node root;
        std::u16string error;
        ASSERT_TRUE(buildTree(error, tokens(row.source), root)) << narrow(error);
        EXPECT_EQ(notation(root), row.expected);
        EXPECT_TRUE(linked(root));
    }
}

TEST(BuildTree, NodesStandWhereTheirTokensStand) {
    const Row rows[] = {
        {"a call sits at its bracket", "f ( x )", "None@1:3[f@1:1, ()@1:3[x@1:5]]"},
        {"an n-ary node sits at its first operator", "a + b + c", "+@1:3[a@1:1, b@1:5, c@1:9]"},
        {"a statement list sits at the first semicolon, its last place at the last", "a ;\nb ;",
         ";@1:3[a@1:1, b@2:1, Empty@2:3]"},
        {"a wrapped node keeps its own place", "( a ) * b", "*@1:7[()@1:1[a@1:3], b@1:9]"},
        {"a prefix and its operand", "x = - y", "=@1:3[x@1:1, -@1:5[y@1:7]]"},
        {"an empty group's place is its bracket", "\n  [ ]", "[]@2:3[Empty@2:3]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Node root;
        std::u16string error;
        ASSERT_TRUE(buildTree(error, tokens(row.source), root)) << narrow(error);
        EXPECT_EQ(located(root), row.expected);
    }
}

TEST(BuildTree, ARootHungBelowAnotherNodeIsStillTheTop) {
    Node holder;
    holder.kind = NodeKind::Semicolon;  // would take the ";" over if the climb went past the root
    std::u16string error;
    ASSERT_TRUE(buildTree(error, tokens("a + b ; c"), holder.addChild(SourcePos{}))) << narrow(error);
    EXPECT_EQ(notation(holder), ";[;[+[a, b], c]]");

    holder.kind = NodeKind::Parens;  // would be closed if the bracket search went past the root
    EXPECT_FALSE(buildTree(error, tokens("a )"), holder.addChild(SourcePos{})));
    EXPECT_EQ(error, u"Syntax Error (1:3): Cannot find counterpart of Undef");
}

TEST(BuildTree, ErrorsAreWordedAndPlacedAtTheOffendingToken) {
    const Row rows[] = {
        {"a closing bracket with nothing open", "1 )", "Syntax Error (1:3): Cannot find counterpart of Number"},
        {"a bracket of another kind", "( 1 ]", "Syntax Error (1:5): Cannot find counterpart of Number"},
        {"the nearest open group decides", "[ ( a ]", "Syntax Error (1:7): Cannot find counterpart of Undef"},
        {"an empty place names Empty", "( - ]", "Syntax Error (1:5): Cannot find counterpart of Empty"},
        {"closing a closed group names the group", "( a ) )", "Syntax Error (1:7): Cannot find counterpart of ()"},
        {"closing past a call", "f ( x ) ]", "Syntax Error (1:9): Cannot find counterpart of ()"},
        {"closing past a block", "{ - }\n)", "Syntax Error (2:1): Cannot find counterpart of {}"},
        {"not after an operand", "a ! b", "Internal Error (1:3): Invalid syntax family"},
        {"complement after a group", "( a ) ~ b", "Internal Error (1:7): Invalid syntax family"},
        {"a leading operator", "* 3", "Syntax Error (1:1): "},
        {"an operator right after an assignment", "a = ;", "Syntax Error (1:5): "},
        {"two semicolons", "a ; ;", "Syntax Error (1:5): "},
        {"a comma first in a group", "f ( , x )", "Syntax Error (1:5): "},
        {"an operator after a prefix", "- * a", "Syntax Error (1:3): "},
        {"the first error ends the build", "a ! b )", "Internal Error (1:3): Invalid syntax family"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Node root;
        std::u16string error = u"an older message";
        EXPECT_FALSE(buildTree(error, tokens(row.source), root));
        EXPECT_EQ(narrow(error), row.expected);
    }
    Node root;
    std::u16string error;
    EXPECT_FALSE(buildTree(error, {token(static_cast<TokenKind>(kTokenKindCount), 4)}, root));
    EXPECT_EQ(error, u"Internal Error (1:4): Invalid syntax family");
}

// ---------------------------------------------------------------------------------------------------

constexpr std::size_t kDeep = 1'000'000;

std::vector<Token> repeated(TokenKind kind) { return std::vector<Token>(kDeep, token(kind)); }

TEST(Depth, AMillionOpeningTokensBuildPrintAndDrop) {
    const std::pair<TokenKind, std::string> rows[] = {
        {TokenKind::LParen, "()["}, {TokenKind::LBracket, "[]["}, {TokenKind::LBrace, "{}["},
        {TokenKind::Minus, "-["},
    };
    for (const auto& [kind, level] : rows) {
        SCOPED_TRACE(level);
        Node root;
        std::u16string error;
        ASSERT_TRUE(buildTree(error, repeated(kind), root)) << narrow(error);
        const std::string text = notation(root);
        EXPECT_EQ(text.size(), kDeep * (level.size() + 1) + 5);
        EXPECT_EQ(text.substr(0, 2 * level.size()), level + level);
        EXPECT_EQ(text.substr(kDeep * level.size(), 7), "Empty]]");
    }
}

TEST(Depth, TheWayBackUpFromAMillionLevelsStaysWhole) {
    const struct {
        const char* name;
        std::vector<Token> list;
        std::string_view start;  // of the notation, or the error
    } rows[] = {
        {"a million groups close again to the root",
         repeated(TokenKind::LBracket) + repeated(TokenKind::RBracket) + tokens("+ 1"), "+[[][[][[]["},
        {"an operator climbs over a million prefixes", repeated(TokenKind::Minus) + tokens("1 * 2"),
         "*[-[-[-["},
        {"a mismatch below a million groups", repeated(TokenKind::LBrace) + tokens("a )"),
         "Syntax Error (1:3): Cannot find counterpart of Undef"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Node root;
        std::u16string error;
        const std::string text = buildTree(error, row.list, root) ? notation(root) : narrow(error);
        EXPECT_EQ(text.substr(0, row.start.size()), row.start);
        EXPECT_TRUE(linked(root));
    }
}

TEST(Depth, ADeepChainWithoutBackLinksPrintsAndDrops) {
    // Built by hand with no parent links at all: neither printing nor dropping may rely on them.
    Node top;
    Node* node = &top;
    for (std::size_t i = 0; i < kDeep; ++i) {
        node->children.push_back(std::make_unique<Node>());
        node->children.push_back(std::make_unique<Node>());
        node = node->children.front().get();
    }
    const std::u16string text = treeNotation(top);
    EXPECT_EQ(text.size(), kDeep * std::u16string_view(u"Empty[, Empty]").size() + 5);
    EXPECT_EQ(text.substr((kDeep - 1) * 6, 20), u"Empty[Empty, Empty],");
}

// ---------------------------------------------------------------------------------------------------

TEST(TreeNotation, LeavesPrintAsTheirValue) {
    const struct {
        const char* name;
        NodeKind kind;
        std::u16string_view text;
        double number;  // intValue for Number, floatValue for Float
        std::u16string_view printed;
    } rows[] = {
        {"number", NodeKind::Number, u"", -17, u"-17"},
        {"float in %g", NodeKind::Float, u"", 0.1, u"0.1"},
        {"large float in %g", NodeKind::Float, u"", 1e20, u"1e+20"},
        {"plain string between apostrophes", NodeKind::String, u"a\\b\"c \u00e9", 0, u"'a\\b\"c \u00e9'"},
        {"empty string", NodeKind::String, u"", 0, u"''"},
        {"an apostrophe forces double quotes", NodeKind::String, u"it's", 0, u"\"it's\""},
        {"escapes in double quotes", NodeKind::String, u"\t\"\\\n\r", 0, u"\"\\t\\\"\\\\\\n\\r\""},
        {"other control characters in hex", NodeKind::String, u"\x01\x1f", 0, u"\"\\x01\\x1F\""},
        {"keyword as its word", NodeKind::Undef, u"true", 0, u"true"},
        {"childless operator as its name", NodeKind::ShiftLeftAssign, u"x", 0, u"<<="},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Node node;
        node.kind = row.kind;
        node.text = row.text;
        node.intValue = static_cast<std::int32_t>(row.number);
        node.floatValue = row.number;
        EXPECT_EQ(treeNotation(node), row.printed);
    }
}

TEST(TreeNotation, ANodeWithChildrenPrintsItsNameNotItsValue) {
    Node node;
    node.kind = NodeKind::Number;
    node.intValue = 5;
    node.addChild(SourcePos{}).kind = NodeKind::Invalid;
    node.addChild(SourcePos{});
    EXPECT_EQ(treeNotation(node), u"Number[Invalid, Empty]");
}

TEST(FromText, ScannedTextBuildsTreesAndPlacesErrors) {
    const struct {
        const char* name;
        std::u16string_view text;
        std::u16string_view result;  // the notation, or the error
    } rows[] = {
        {"a settings file", u"['IsActive'] = true;\n['Name'] = \"it's\" 'ok';",
         u";[=[[]['IsActive'], true], =[[]['Name'], \"it'sok\"], Empty]"},
        {"calls without blanks", u"f(x)(y)", u"None[f, ()[x], ()[y]]"},
        {"numbers in every form", u"-0x1F*2.5e1+0b11", u"+[*[-[31], 25], 3]"},
        {"a stray bracket on a later line", u"['a'] = 1;\n  b )",
         u"Syntax Error (2:5): Cannot find counterpart of Undef"},
        {"a complement after an operand", u"x = 1 ~2;", u"Internal Error (1:7): Invalid syntax family"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Token> list;
        std::u16string error;
        ASSERT_TRUE(scanText(error, list, row.text)) << narrow(error);
        Node root;
        EXPECT_EQ(buildTree(error, list, root) ? treeNotation(root) : error, row.result);
    }
}

}  // namespace
