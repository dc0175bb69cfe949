// Token list -> expression tree, by operator precedence in one pass over the tokens.
//
// The whole file is one expression; ";" is merely the loosest operator, so
//     ['a'] = 1; ['b'] = 2;     builds  ;[=[[]['a'], 1], =[[]['b'], 2], Empty]
// (the Empty after the last ";" is the place no statement filled). Other shapes:
//     1 + 2 * 3                 +[1, *[2, 3]]
//     a - b + c                 +[-[a, b], c]        equal precedence groups from the left
//     a = b = c                 =[a, b, c]           a run of one operator is one n-ary node
//     -f(x)                     -[None[f, ()[x]]]    juxtaposition (None) binds tightest
//     ( 1 + 2                   ()[+[1, 2]]          a group left open is closed at the end
#pragma once

#include <string>
#include <vector>

#include "config/node.h"
#include "config/token.h"

namespace orvane::config {

// Places every token into `tree`, which should be new or cleared; its root stays the top: when an
// operator lands above everything, the root's content moves into a child. On failure the message
// goes to `error` and the answer is false; the partly built tree is only fit to be cleared.
bool buildTree(std::u16string& error, const std::vector<Token>& tokens, Tree& tree);

// buildTree one token at a time, for a caller that scans in pieces and works on the tree between
// them. Each place() answers false (with the message in `error`) when the token cannot stand
// where it comes; the builder must not be used after that.
class TreeBuilder {
public:
    TreeBuilder(std::u16string& error, Tree& tree) : error_(error), tree_(tree), current_(&tree.root()) {}
    bool place(const Token& token);

    // Between two top-level statements (the root is a ";" whose last child is the empty place the
    // next token fills), clears the tree down to that ";" and its empty place, so the statements
    // before it cost no more memory; answers whether it could. The root keeps its position.
    bool dropFinishedStatements();

private:
    Node* parentOf(const Node& node) const;
    void openBelow(NodeKind kind, SourcePos at);
    bool insertInfix(NodeKind kind, SourcePos at);
    bool close(NodeKind kind, SourcePos at);
    void wrap(Node& node, NodeKind kind, SourcePos at);

    std::u16string& error_;
    Tree& tree_;
    Node* current_;  // the place the next token fills
};

// The tree as one line of text: a node with children as name[child, child, ...]; a leaf as its
// value (numbers, %g floats, strings in their quoted literal form, keywords as the word), Empty as
// "Empty", anything else as its kind name. 1 + 2 * 3 gives +[1, *[2, 3]].
std::u16string treeNotation(const Node& root);

}  // namespace orvane::config
