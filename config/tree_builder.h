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

// Places every token into `root`, which should be a new, empty node and stays the top of the tree:
// when an operator lands above everything, the root's content moves into a child. On failure the
// message goes to `error` and the answer is false; the partly built tree is only fit to be dropped.
bool buildTree(std::u16string& error, const std::vector<Token>& tokens, Node& root);

// buildTree one token at a time, for a caller that scans in pieces and looks at the tree between
// them. Each place() answers false (with the message in `error`) when the token cannot stand
// where it comes; the builder must not be used after that.
class TreeBuilder {
public:
    TreeBuilder(std::u16string& error, Node& root) : error_(error), root_(root), current_(&root) {}
    bool place(const Token& token);

private:
    Node* parentOf(const Node& node) const;
    void openBelow(NodeKind kind, SourcePos at);
    bool insertInfix(NodeKind kind, SourcePos at);
    bool close(NodeKind kind, SourcePos at);

    std::u16string& error_;
    Node& root_;
    Node* current_;  // the place the next token fills
};

// The tree as one line of text: a node with children as name[child, child, ...]; a leaf as its
// value (numbers, %g floats, strings in their quoted literal form, keywords as the word), Empty as
// "Empty", anything else as its kind name. 1 + 2 * 3 gives +[1, *[2, 3]].
std::u16string treeNotation(const Node& root);

}  // namespace orvane::config
