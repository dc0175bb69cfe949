// Printer engine.
//
// Invariants:
// - One output string, only ever appended to. A container that is still being written is a Frame on
//   an explicit stack; a scalar is written whole the moment it is reached. So depth costs heap, not
//   call stack, and no child's text is built apart and copied into its parent's.
// - Every text that follows a child (a "," of the list layout, the closing brace) is written either
//   before the next child or when the frame closes, so a child never has to hand control back to
//   its parent before the parent's frame is popped.
// - Names live in one buffer used as a stack: a frame's name is names_[nameStart, nameEnd), and the
//   names of the frames above it lie at or after nameStart. A path child extends its parent's name in
//   place; a block child starts a new one behind it. The buffer is cut back to a frame's nameEnd before
//   each of its children, so a deep path layout costs the length of its longest name, not its square.
// - Description options are read once per container, when its frame opens.
#include "config/printer.h"

#include <charconv>
#include <cstddef>
#include <deque>
#include <utility>

#include "value/text.h"

namespace orvane::config {
namespace {

using VK = ValueKind;

constexpr std::int32_t kNoGap = 2147483647;  // Order: no key written yet

bool isContainer(const Value& v) { return v.kind() == VK::Vector || v.kind() == VK::Hash; }

// An entry of a description or of one of its option groups. Most printing runs without a description,
// so the common case is answered from the kind alone, before any key is hashed.
const Value& option(const Value& group, std::string_view name) {
    return group.kind() == VK::Hash ? group.findByName(name) : Value::undef();
}

std::int32_t orAutomatic(const Value& displayType) {
    return displayType.kind() == VK::Undef ? -1 : displayType.toInteger();
}

void appendInteger(std::u16string& out, std::int64_t v) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    for (const char* p = digits; p != end; ++p) out += static_cast<char16_t>(*p);
}

void appendRepeated(std::u16string& out, std::int64_t n, char16_t c) {
    if (n > 0) out.append(static_cast<std::size_t>(n), c);
}

// The key list of a Hash under Hash.Order: keys in Order's sequence with gap markers (positive
// Integers) between two written keys, then the keys Order did not name, in table order.
Value orderedKeys(const Value& hash, const Value& order) {
    Value rest = hash;  // the keys not yet listed; erasing detaches it from the data
    Value list;
    list.setEmptyVector();
    std::int32_t pending = 0;
    std::int32_t gap = kNoGap;
    const std::uint32_t n = order.size();
    for (std::uint32_t i = 0; i < n; ++i) {
        const Value& e = order.at(i);
        if (e.kind() == VK::Undef || e.isInteger()) {
            // Wraps like the 32-bit sum it has always been, rather than overflowing.
            const std::uint32_t add = e.isInteger() ? static_cast<std::uint32_t>(e.toInteger()) : 1u;
            pending = static_cast<std::int32_t>(static_cast<std::uint32_t>(pending) + add);
            continue;
        }
        if (pending > gap) gap = pending;
        pending = 0;
        const std::u16string key = e.toWideString();
        if (!rest.existsByName(key, true)) continue;
        if (gap != 0 && gap != kNoGap) list.appendSlot() = Value(gap);
        gap = 0;
        list.appendSlot() = Value(std::u16string_view(key));
        rest.eraseKey(key);
    }
    list.appendAll(rest.keys(true));
    return list;
}

enum class Layout : std::uint8_t { HashBlock, HashPath, VectorBlock, VectorPath, VectorInline, VectorList };

// A container whose members are being written.
struct Frame {
    const Value* data;       // the container; lives in the data tree (or a frame's values list) and stays put
    Value keys;              // Hash: key list with gap markers
    Value values;            // Hash: values parallel to keys when those are in table order, else Undef
    Value ids;               // the ID table this container's members see
    Value single;            // Hash.SingleData / Vector.SingleData
    Value common;            // Hash.Data / Vector.Data
    std::int64_t depth;      // the value's own depth
    std::size_t nameStart;   // the value's name in the name buffer
    std::size_t nameEnd;
    std::uint32_t index = 0;  // next member
    std::uint32_t count;      // members (Hash: key list length)
    std::int32_t separatorLines = 0;  // blank lines between two members, block (and Vector path) layouts
    Layout layout;
    bool named;               // the value has a name: it is an assignment
    bool first = true;        // Hash block: no entry written yet
    bool showUndef = false;   // Hash block: write Undef entries too
    bool noNumbers = false;   // Vector block and path: "[]" instead of "[i]"
};

class Printer {
public:
    explicit Printer(std::u16string& out) : out_(out) {}

    void value(const Value& data, std::int64_t depth, std::u16string_view name, const Value& description,
               const Value& ids) {
        names_.assign(name);
        begin(data, depth, 0, names_.size(), description, ids);
        run();
    }

    void hashEntry(const Value& hash, std::int64_t depth, const Value& key, bool& first, const Value& description,
                   const Value& ids) {
        const Value& hashDesc = option(description, "Hash");
        if (!first) appendRepeated(out_, separatorOf(hashDesc), u'\n');
        first = false;
        names_.clear();
        appendKeyName(key);
        begin(hash.find(key), depth, 0, names_.size(), entryDescription(option(hashDesc, "SingleData"),
                                                                          option(hashDesc, "Data"), key),
              ids);
        run();
    }

private:
    static std::int32_t separatorOf(const Value& hashDesc) {
        const Value& s = option(hashDesc, "SeperatorLines");
        return s.kind() == VK::Undef ? 0 : s.toInteger();
    }

    static const Value& entryDescription(const Value& single, const Value& common, const Value& key) {
        if (single.kind() == VK::Undef) return common;
        const Value& d = single.find(key);
        return d.kind() == VK::Undef ? common : d;
    }

    void appendKeyName(const Value& key) {
        names_ += u'[';
        key.appendQuoted(names_, false);
        names_ += u']';
    }

    void writePrefix(std::int64_t depth, std::size_t nameStart, std::size_t nameEnd) {
        appendRepeated(out_, depth, u'\t');
        out_.append(names_, nameStart, nameEnd - nameStart);
        out_ += u" = ";
    }

    void writeSuffix(bool named) {
        if (named) out_ += u";\n";
    }

    // Starts printing one value: writes a scalar whole, or opens a frame for a container. The
    // description and ID table are taken by value: this value's ID registration must stay its own.
    void begin(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd, Value desc,
               Value ids) {
        const bool named = nameEnd > nameStart;
        if (desc.kind() == VK::Hash) {
            const Value& id = option(desc, "ID");
            if (id.kind() != VK::Undef) ids.entry(id) = desc;
            const Value& ref = option(desc, "ReferenceID");
            if (ref.kind() != VK::Undef) {
                Value referenced = ids.find(Value(std::u16string_view(ref.toWideString())));
                desc = std::move(referenced);
            }
        }
        switch (data.kind()) {
            case VK::Hash: return beginHash(data, depth, nameStart, nameEnd, desc, std::move(ids));
            case VK::Vector: return beginVector(data, depth, nameStart, nameEnd, desc, std::move(ids));
            default: break;
        }
        if (named) writePrefix(depth, nameStart, nameEnd);
        writeScalar(data, desc);
        writeSuffix(named);
    }

    void writeScalar(const Value& data, const Value& desc) {
        switch (data.kind()) {
            case VK::NarrowString:
            case VK::WideString:
                data.appendQuoted(out_, option(option(desc, "String"), "DoubleQuote").toBoolean());
                return;
            case VK::Integer: appendInteger(out_, data.toInteger()); return;
            case VK::Float: formatTo(out_, u"%g", {FormatArg(data.toFloat())}); return;
            case VK::Boolean: out_ += data.toBoolean() ? u"true" : u"false"; return;
            case VK::Undef: out_ += u"undef"; return;
            default: out_ += u"Invalid"; return;
        }
    }

    void beginHash(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd,
                   const Value& desc, Value ids) {
        const Value& opts = option(desc, "Hash");
        const bool named = nameEnd > nameStart;
        Value values = data.values();
        const std::uint32_t n = values.size();

        std::int32_t t = orAutomatic(option(opts, "DisplayType"));
        if (t < 0 || t > 2) {
            bool allTrue = n >= 2 && n <= 5;
            for (std::uint32_t i = 0; allTrue && i < n; ++i)
                allTrue = values.at(i).isBoolean() && values.at(i).toBoolean();
            t = allTrue ? 2 : (n == 1 ? 1 : 0);
        }

        Value keys;
        if (const Value& order = option(opts, "Order"); order.kind() != VK::Undef) {
            keys = orderedKeys(data, order);
            values = Value();
        } else {
            keys = data.keys(true);
            if (option(opts, "Sort").kind() != VK::Undef) {
                if (option(opts, "SortNoCase").toBoolean()) keys.sortNoCase();
                else keys.sort();
                values = Value();
            }
        }

        if (t == 2) {
            if (named) writePrefix(depth, nameStart, nameEnd);
            out_ += u"set(";
            for (std::uint32_t i = 0; i < keys.size(); ++i) {
                const Value& k = keys.at(i);
                if (k.isInteger()) continue;
                if (i > 0) out_ += u", ";
                k.appendQuoted(out_, false);
            }
            out_ += u')';
            writeSuffix(named);
            return;
        }

        Frame& f = push(data, depth, nameStart, nameEnd, std::move(ids), opts);
        f.count = keys.size();
        f.keys = std::move(keys);
        f.values = std::move(values);
        if (t == 1) {
            f.layout = Layout::HashPath;
            return;
        }
        f.layout = Layout::HashBlock;
        f.showUndef = option(opts, "ShowUndef").toBoolean();
        f.separatorLines = separatorOf(opts);
        openBlock(f);
    }

    void beginVector(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd,
                     const Value& desc, Value ids) {
        const Value& opts = option(desc, "Vector");
        const bool named = nameEnd > nameStart;
        const std::uint32_t n = data.size();

        std::int32_t t = orAutomatic(option(opts, "DisplayType"));
        if (t < 0 || t > 3) {
            bool scalars = n <= 5;
            for (std::uint32_t i = 0; scalars && i < n; ++i) scalars = !isContainer(data.at(i));
            t = scalars ? 2 : (n == 1 ? 1 : 0);
        }

        Frame& f = push(data, depth, nameStart, nameEnd, std::move(ids), opts);
        f.count = n;
        switch (t) {
            case 0:
            case 1:
                f.layout = t == 0 ? Layout::VectorBlock : Layout::VectorPath;
                f.separatorLines = option(opts, "SeperatorLines").toInteger();
                f.noNumbers = option(opts, "NoNumbers").toBoolean();
                if (t == 0) openBlock(f);
                return;
            case 2:
                f.layout = Layout::VectorInline;
                if (named) writePrefix(depth, nameStart, nameEnd);
                out_ += u"vector(";
                return;
            default:
                f.layout = Layout::VectorList;
                if (named) writePrefix(depth, nameStart, nameEnd);
                out_ += u"vector(\n";
                return;
        }
    }

    Frame& push(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd, Value ids,
                const Value& opts) {
        Frame& f = stack_.emplace_back();
        f.data = &data;
        f.ids = std::move(ids);
        f.single = option(opts, "SingleData");
        f.common = option(opts, "Data");
        f.depth = depth;
        f.nameStart = nameStart;
        f.nameEnd = nameEnd;
        f.named = nameEnd > nameStart;
        return f;
    }

    static bool braces(const Frame& f) { return f.depth != 0 || f.named; }
    static std::int64_t childDepth(const Frame& f) { return f.named ? f.depth + 1 : f.depth; }

    void openBlock(const Frame& f) {
        if (f.named) writePrefix(f.depth, f.nameStart, f.nameEnd);
        if (braces(f)) out_ += u"{\n";
    }

    void close(const Frame& f) {
        switch (f.layout) {
            case Layout::HashBlock:
            case Layout::VectorBlock:
                if (braces(f)) {
                    appendRepeated(out_, f.depth, u'\t');
                    out_ += u'}';
                }
                break;
            case Layout::HashPath:
            case Layout::VectorPath: return;  // every member carried its own ";\n"
            case Layout::VectorInline: out_ += u')'; break;
            case Layout::VectorList:
                if (f.count > 0) out_ += u'\n';
                appendRepeated(out_, f.depth, u'\t');
                out_ += u')';
                break;
        }
        writeSuffix(f.named);
    }

    void run() {
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            if (f.index == f.count) {
                close(f);
                stack_.pop_back();
                continue;
            }
            const std::uint32_t i = f.index++;
            names_.resize(f.nameEnd);
            if (f.layout == Layout::HashBlock || f.layout == Layout::HashPath) nextEntry(f, i);
            else nextElement(f, i);
        }
    }

    // May push a frame: f is not used after begin().
    void nextEntry(Frame& f, std::uint32_t i) {
        const Value& key = f.keys.at(i);
        if (key.isInteger()) {  // a gap marker of Hash.Order
            appendRepeated(out_, key.toInteger(), u'\n');
            return;
        }
        const Value& value = f.values.isVector() ? f.values.at(i) : f.data->find(key);
        const bool path = f.layout == Layout::HashPath;
        if (!path) {
            if (value.kind() == VK::Undef && !f.showUndef) return;
            if (!f.first) appendRepeated(out_, f.separatorLines, u'\n');
            f.first = false;
        }
        const std::size_t nameStart = path ? f.nameStart : f.nameEnd;
        appendKeyName(key);
        begin(value, path ? f.depth : childDepth(f), nameStart, names_.size(),
              entryDescription(f.single, f.common, key), f.ids);
    }

    void nextElement(Frame& f, std::uint32_t i) {
        const Value& element = f.data->at(i);
        const Value& desc = f.single.hasIndex(i, true) ? f.single.at(i) : f.common;
        const std::size_t here = names_.size();
        switch (f.layout) {
            case Layout::VectorBlock:
            case Layout::VectorPath: {
                if (i > 0) appendRepeated(out_, f.separatorLines, u'\n');
                const bool path = f.layout == Layout::VectorPath;
                if (f.noNumbers) {
                    names_ += u"[]";
                } else {
                    names_ += u'[';
                    appendInteger(names_, i);
                    names_ += u']';
                }
                return begin(element, path ? f.depth : childDepth(f), path ? f.nameStart : here,
                             names_.size(), desc, f.ids);
            }
            case Layout::VectorInline:
                if (i > 0) out_ += u", ";
                return begin(element, f.depth, here, here, desc, f.ids);
            case Layout::VectorList:
                if (i > 0) out_ += u",\n";
                appendRepeated(out_, f.depth + 1, u'\t');
                return begin(element, f.depth + 1, here, here, desc, f.ids);
            default: return;
        }
    }

    std::u16string& out_;
    std::u16string names_;
    std::deque<Frame> stack_;  // a deque: pushing never moves the frames below
};

}  // namespace

std::u16string printConfig(const Value& data, const Value& description) {
    return printValue(data, 0, u"", description, Value());
}

std::u16string printValue(const Value& data, std::int32_t depth, std::u16string_view name,
                          const Value& description, const Value& ids) {
    std::u16string out;
    Printer(out).value(data, depth, name, description, ids);
    return out;
}

std::u16string printHashEntry(const Value& hash, std::int32_t depth, const Value& key, bool& first,
                              const Value& description, const Value& ids) {
    std::u16string out;
    Printer(out).hashEntry(hash, depth, key, first, description, ids);
    return out;
}

}  // namespace orvane::config
