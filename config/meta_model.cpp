// Compiling descriptions into MetaNodes.
//
// The compiler walks the description depth first with its own stack: each compiled description
// pushes one Scope holding its members (Data, then each SingleData entry, Hash rules before Vector
// rules) and the ID table as seen inside it. A member's whole subtree is compiled before the next
// member starts, so the first undefined ReferenceID met is the one a recursive compiler would meet.
//
// The ID table is a Value copied by handle into each Scope; declaring an ID writes the new Scope's
// copy only (copy-on-write), which is what keeps an ID out of sight of siblings and enclosing
// descriptions. The price is one shallow copy of the table per description that declares an ID.
#include "config/meta_model.h"

#include <string_view>
#include <utility>
#include <vector>

#include "value/text.h"

namespace orvane::config {

namespace {

// ORDER: the bits are set in this order; keep it when adding a kind.
struct MaskKey {
    std::string_view key;
    MetaTypeMask bit;
};
constexpr MaskKey kMaskKeys[] = {
    {"Ignore", metaType::kIgnore}, {"Undef", metaType::kUndef}, {"Bool", metaType::kBool},
    {"Int", metaType::kInt},       {"Float", metaType::kFloat}, {"Ptr", metaType::kPtr},
    {"String", metaType::kString}, {"Hash", metaType::kHash},   {"Vector", metaType::kVector},
};

bool isGiven(const Value& v) { return v.kind() != ValueKind::Undef; }

// A description waiting to be compiled, and the field that receives its node.
struct Pending {
    Value description;
    const MetaNode** slot;
};

// The members of one compiled description, with the IDs in sight inside it.
struct Scope {
    Value ids;
    std::vector<Pending> members;
    std::size_t next = 0;
};

void readSize(const Value& rules, std::string_view key, std::int32_t& field) {
    const Value& v = rules.findByName(key);
    if (isGiven(v)) field = v.toInteger();
}

// Calls f(key, value) for every entry of a Hash, or every element of a Vector with its index as the
// key, in iteration order. A Vector is walked by index: a description can make one huge and sparse
// with a single statement, and the walk must not cost a key Value per element.
template <class F>
void forEachEntry(const Value& container, F f) {
    if (container.isVector()) {
        for (std::uint32_t i = 0, n = container.size(); i < n; ++i) {
            const Value& value = container.at(i);
            if (isGiven(value)) f(Value(static_cast<std::int32_t>(i)), value);
        }
        return;
    }
    Value value;
    for (Value key = container.firstKey(&value); isGiven(key); key = container.nextKey(key, &value))
        f(key, value);
}

// Keys whose value is true; a Vector gives its indices as texts.
void readKeyList(const Value& list, std::set<std::u16string, std::less<>>& out) {
    forEachEntry(list, [&](const Value& key, const Value& value) {
        if (value.toBoolean()) out.insert(key.toWideString());
    });
}

// Reads the rules of `d` into `node` and lists the member descriptions still to be compiled.
void readRules(const Value& d, MetaNode& node, std::vector<Pending>& members) {
    for (const MaskKey& m : kMaskKeys) {
        if (isGiven(d.findByName(m.key))) node.typeMask |= m.bit;
    }
    if (node.typeMask & metaType::kHash) {
        const Value& h = d.findByName("Hash");
        if (const Value& may = h.findByName("MayExists"); isGiven(may)) {
            node.hasMayExists = true;
            readKeyList(may, node.mayExists);
        }
        if (const Value& must = h.findByName("MustExists"); isGiven(must)) {
            node.hasMustExists = true;
            readKeyList(must, node.mustExists);
        }
        readSize(h, "Size", node.hashSize);
        readSize(h, "MinSize", node.hashMinSize);
        readSize(h, "MaxSize", node.hashMaxSize);
        if (const Value& data = h.findByName("Data"); isGiven(data)) {
            members.push_back({data, &node.hashData});
        }
        forEachEntry(h.findByName("SingleData"), [&](const Value& key, const Value& value) {
            if (isGiven(value)) members.push_back({value, &node.hashSingleData[key.toWideString()]});
        });
    }
    if (node.typeMask & metaType::kVector) {
        const Value& v = d.findByName("Vector");
        readSize(v, "Size", node.vectorSize);
        readSize(v, "MinSize", node.vectorMinSize);
        readSize(v, "MaxSize", node.vectorMaxSize);
        if (const Value& data = v.findByName("Data"); isGiven(data)) {
            members.push_back({data, &node.vectorData});
        }
        forEachEntry(v.findByName("SingleData"), [&](const Value& key, const Value& value) {
            if (isGiven(value)) members.push_back({value, &node.vectorSingleData[key.toInteger()]});
        });
    }
}

}  // namespace

bool MetaModel::loadMetaModel(const Value& description) {
    root = nullptr;
    nodes_.clear();
    errorText.clear();
    root = compileMetaNode(description, Value());
    return root != nullptr;
}

MetaNode* MetaModel::newMetaNode() { return &nodes_.emplace_back(); }

const MetaNode* MetaModel::compileMetaNode(const Value& description, const Value& ids) {
    const MetaNode* result = nullptr;
    std::vector<Scope> stack;
    stack.push_back({ids, {{description, &result}}});
    while (!stack.empty()) {
        Scope& scope = stack.back();
        if (scope.next == scope.members.size()) {
            stack.pop_back();
            continue;
        }
        const Pending pending = std::move(scope.members[scope.next++]);
        const Value& d = pending.description;

        if (const Value& ref = d.findByName("ReferenceID"); isGiven(ref)) {
            const std::u16string id = ref.toWideString();
            const Value& target = scope.ids.find(Value(std::u16string_view(id)));
            if (!isGiven(target)) {
                errorText = format(u"Meta Error: Meta model reference undefined ID '%s'", id);
                return nullptr;
            }
            *pending.slot = static_cast<const MetaNode*>(target.pointer());
            continue;
        }

        MetaNode* node = newMetaNode();
        *pending.slot = node;
        Value inner = scope.ids;
        if (const Value& id = d.findByName("ID"); isGiven(id)) inner.entry(id).setPointer(node);
        std::vector<Pending> members;
        readRules(d, *node, members);
        // Pushing may move `scope`; it is not used past this point.
        if (!members.empty()) stack.push_back({std::move(inner), std::move(members)});
    }
    return result;
}

}  // namespace orvane::config
