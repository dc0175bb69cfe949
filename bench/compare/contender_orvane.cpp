#include "bench/compare/contender_orvane.h"

#include "config/printer.h"
#include "config/text_file.h"
#include "value/text.h"

namespace orvane::compare {

namespace {

// The one call that turns bytes into our tree: the loader's entry point for a file's content.
bool loadBytes(const std::string& bytes, config::ConfigParser& parser) {
    return parser.parseBytes(bytes, Value(), false);
}

}  // namespace

bool OrvaneContender::load(const std::string& text, std::string& error) {
    parser_ = std::make_unique<config::ConfigParser>();
    if (loadBytes(text, *parser_)) return true;
    error = narrow(parser_->error);
    return false;
}

std::size_t OrvaneContender::print() {
    output_ = config::printConfigUtf8(tree(), Value());
    return output_.size();
}

std::size_t OrvaneContender::count(Shape shape) const {
    const Value& root = tree();
    switch (shape) {
        case Shape::Records: return root.findByName("records").size();
        case Shape::Flat: return root.size();
        case Shape::Deep: {
            std::size_t levels = 0;
            Value entry;
            for (Value key = root.firstKey(&entry); key.kind() != ValueKind::Undef; key = root.nextKey(key, &entry))
                for (const Value* level = &entry; level->kind() == ValueKind::Hash; level = &level->findByName("next"))
                    ++levels;
            return levels;
        }
    }
    return 0;
}

void OrvaneContender::dropOutput() { std::string().swap(output_); }

void OrvaneContender::release() {
    parser_.reset();
    dropOutput();
}

const Value& OrvaneContender::tree() const { return parser_ ? parser_->variables : Value::undef(); }

Value toValue(const Node& node) {
    switch (node.kind) {
        case Node::Kind::Integer: return Value(node.integer);
        case Node::Kind::Float: return Value(node.real);
        case Node::Kind::Boolean: return Value(node.boolean);
        case Node::Kind::String: return Value(std::string_view(node.text));
        case Node::Kind::List: {
            Value list;
            list.setEmptyVector();
            for (const Node& item : node.items) list.appendSlot() = toValue(item);
            return list;
        }
        case Node::Kind::Map: {
            Value map;
            for (const auto& [key, value] : node.members) map.entry(Value(std::string_view(key))) = toValue(value);
            return map;
        }
    }
    return Value();
}

std::string difference(const Value& tree, const Value& expected) {
    Value path;
    if (tree.compare(expected, 0, &path) == 0) return {};
    std::string where = "at ";
    for (std::uint32_t i = 0; i < path.size(); ++i) {
        where += '[';
        where += path.at(i).toNarrowString();
        where += ']';
    }
    return path.size() ? where : "at the top";
}

}  // namespace orvane::compare
