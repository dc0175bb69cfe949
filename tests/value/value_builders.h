// Short builders for Values and a dump that shows a tree's kinds, contents and Hash order at a glance.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "value/value.h"

namespace orvane::testing {

inline Value N(std::string_view s) { return Value(s); }
inline Value W(std::u16string_view s) { return Value(s); }
inline Value I(std::int32_t v) { return Value(v); }
inline Value F(double v) { return Value(v); }
inline Value B(bool v) { return Value(v); }
inline Value P(std::uintptr_t address) {
    Value v;
    v.setPointer(reinterpret_cast<const void*>(address));
    return v;
}

inline Value vec(std::initializer_list<Value> items) {
    Value v;
    v.setEmptyVector();
    for (const Value& item : items) v.appendSlot() = item;
    return v;
}

inline Value hash(std::initializer_list<std::pair<std::string_view, Value>> items) {
    Value h;
    if (items.size() == 0) {  // there is no setter for an empty Hash: make one entry and erase it
        h.entry(N("x"));
        h.eraseKey(u"x");
    }
    for (const auto& [key, value] : items) h.entry(N(key)) = value;
    return h;
}

// n'x' / w'x' strings, i/f/b/p scalars, [..] Vectors, {k:v,..} Hashes in iteration order.
inline std::string dump(const Value& v) {
    const std::string text = v.toNarrowString();
    switch (v.kind()) {
        case ValueKind::Undef: return "undef";
        case ValueKind::NarrowString: return "n'" + text + "'";
        case ValueKind::WideString: return "w'" + text + "'";
        case ValueKind::Integer: return "i" + text;
        case ValueKind::Float: return "f" + text;
        case ValueKind::Boolean: return "b" + text;
        case ValueKind::Pointer: return "p" + std::to_string(reinterpret_cast<std::uintptr_t>(v.pointer()));
        case ValueKind::Vector: {
            std::string out = "[";
            for (std::uint32_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + dump(v.at(i));
            return out + "]";
        }
        case ValueKind::Hash: {
            std::string out = "{";
            Value value;
            for (Value k = v.firstKey(&value); k.kind() != ValueKind::Undef; k = v.nextKey(k, &value))
                out += (out.size() > 1 ? "," : "") + k.toNarrowString() + ":" + dump(value);
            return out + "}";
        }
    }
    return "?";
}

}  // namespace orvane::testing
