// Scanning then building the expression tree, then writing it in tree notation. Checked: a
// failed build words a located syntax error; a built tree's parent links are true, the tree has
// no more leaves than tokens plus open places, and its notation is never empty.
#include <cstdint>
#include <string>
#include <vector>

#include "config/node.h"
#include "config/scanner.h"
#include "config/tree_builder.h"
#include "fuzz/fuzz_support.h"

using orvane::config::Node;
using orvane::config::NodeKind;
using orvane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = orvane::fromUtf8(orvane::fuzz::asBytes(data, size));
    std::u16string error;
    std::vector<orvane::config::Token> tokens;
    if (!orvane::config::scanText(error, tokens, text)) return 0;

    orvane::config::Tree tree;
    const Node& root = tree.root();
    if (!orvane::config::buildTree(error, tokens, tree)) {
        check(error.rfind(u"Syntax Error (", 0) == 0 || error.rfind(u"Internal Error (", 0) == 0,
              "build failed without a located error");
        return 0;
    }
    check(root.parent == nullptr, "the root has a parent");

    std::size_t filledLeaves = 0;
    std::vector<const Node*> pending{&root};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        if (node->children.empty() && node->kind != NodeKind::Empty) ++filledLeaves;
        for (const auto& child : node->children) {
            check(child != nullptr, "a null child");
            check(child->parent == node, "a child that does not point back at its parent");
            pending.push_back(child);
        }
    }
    // Every filled leaf comes from one operand token (an empty group's brackets are one leaf).
    check(filledLeaves <= tokens.size(), "more leaves than tokens");
    check(!orvane::config::treeNotation(root).empty(), "an empty notation");
    return 0;
}
