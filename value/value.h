// Value: the one data type of the configuration language and of the plug-in's settings.
//
// A Value is a handle one pointer wide to a shared, reference-counted body; a handle without a body is
// Undef. Copying shares the body (O(1)); every writing operation first makes the body private when it
// is shared (copy-on-write), so Values behave as plain values. Containers hold Values, and copying a
// container on detach is shallow: deeper levels stay shared until they are written in their turn.
//
// Invariants:
// - Reading never detaches and never fails: absent data reads as the shared Undef, 0, 0.0, false or "".
// - Hash keys are always strings; other keys are turned into their toNarrowString text. A narrow and
//   a wide key with the same ASCII characters name the same entry; keys are case-sensitive.
// - A Hash iterates in its table's order (linear hashing, buckets ascending, keys ascending inside a
//   bucket); a copy keeps that order. Sort the keys where an order matters to a reader.
// - Releasing, comparing and walking paths use explicit stacks, so nesting depth is bounded by memory
//   only, never by the call stack.
// - Reference counts are plain integers: a Value and all Values sharing its bodies belong to one
//   thread at a time.
//
// Slots: element/appendSlot/entry/entryAt hand back a writable slot inside the container.
// - A Vector slot stays valid until that Vector next grows or is written through another path, so
//   `v.element(5) = v.element(0)` on a short Vector is a dangling read; copy the right side first.
// - A Hash slot stays valid until its entry is erased or the Hash changes kind or is released; adding
//   other entries never moves it.
// - Storing a container into a slot inside itself (`v.element(0) = v`) would make a cycle; store a
//   copy taken before the write instead (`Value copy = v; v.element(0) = copy;` detaches v first).
//
// Vector indices are unsigned 32-bit and a Vector holds at most kMaxVectorSize elements. A writing
// access at an index at or above that bound (which covers every negative index a script can write)
// leaves the Value unchanged and returns the thread's scratch slot instead: anything written there is
// dropped on the next such access, and isScratchSlot() tells the caller it happened. resize() and
// appendAll() beyond the bound throw std::bad_alloc, as running out of memory would.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// ORDER: these codes are a contract. They are stored in every body, and their numeric order is the
// order in which values of different kinds sort in compare(). Never renumber or reorder them.
enum class ValueKind : std::uint32_t {
    Undef = 0,  // no body
    NarrowString = 1,
    WideString = 2,
    Integer = 3,
    Float = 4,
    Pointer = 5,
    Boolean = 6,
    Vector = 256,
    Hash = 257,
};

namespace detail {
struct BodyHeader {
    std::uint32_t refs;  // handles sharing the body; the body is freed when it drops to 0
    ValueKind kind;      // payload kind; any other code prints as "{invalid}"
};
void destroyBody(BodyHeader* body) noexcept;  // refs reached 0: frees it and what it alone kept alive
struct ValueAccess;
}  // namespace detail

class Value {
public:
    static constexpr std::uint32_t kMaxVectorSize = 1u << 27;

    constexpr Value() noexcept = default;
    explicit Value(std::int32_t v);
    explicit Value(double v);
    explicit Value(bool v);
    explicit Value(std::string_view text);     // NarrowString
    explicit Value(std::u16string_view text);  // WideString
    explicit Value(const char* text) : Value(std::string_view(text ? text : "")) {}
    explicit Value(const char16_t* text) : Value(std::u16string_view(text ? text : u"")) {}

    Value(const Value& other) noexcept : body_(other.body_) {
        if (body_) ++body_->refs;
    }
    Value(Value&& other) noexcept : body_(other.body_) { other.body_ = nullptr; }
    Value& operator=(const Value& other) noexcept {
        assign(other);
        return *this;
    }
    Value& operator=(Value&& other) noexcept;
    ~Value() {
        if (body_ && --body_->refs == 0) detail::destroyBody(body_);
    }

    // The shared Undef that read-only accessors hand back when they find nothing.
    static const Value& undef() noexcept;  // inline, below

    // --- kind tests and scalar access ---
    ValueKind kind() const noexcept { return body_ ? body_->kind : ValueKind::Undef; }
    bool isString() const noexcept {  // either kind of string; inline, as every key insert asks
        const ValueKind k = kind();
        return k == ValueKind::NarrowString || k == ValueKind::WideString;
    }
    bool isInteger() const noexcept { return kind() == ValueKind::Integer; }
    bool isBoolean() const noexcept { return kind() == ValueKind::Boolean; }
    bool isVector() const noexcept { return kind() == ValueKind::Vector; }
    const void* pointer() const noexcept;  // the address of a Pointer, else null
    // The data this handle shares, null for Undef: two handles have the same identity exactly when
    // they share their data, so a walk can tell a part it has met before from one merely equal.
    const void* identity() const noexcept { return body_; }
    // Whether another handle holds the same data; a walk meets only such data more than once.
    bool isShared() const noexcept { return body_ && body_->refs > 1; }

    std::int32_t toInteger() const;   // strings: decimal parse; Float: truncated (out of range: INT32_MIN)
    double toFloat() const;           // strings: parseFloat of the narrow text
    bool toBoolean() const;           // strings: false for "", "0" and "false" only
    std::string toNarrowString() const;
    std::u16string toWideString() const;
    std::uint32_t size() const noexcept;  // elements of a Vector, entries of a Hash, else 0
    std::uint32_t hashCode() const noexcept;
    // The literal the scanner reads back: 'text' when that is verbatim-safe, else "text" with escapes.
    std::u16string quoted(bool forceDoubleQuotes) const;
    void appendQuoted(std::u16string& out, bool forceDoubleQuotes) const;  // quoted(), appended
    // A string's quoted() written straight at out, for a writer with its own buffer: the end of what
    // it wrote, or null (out unspecified) for a non-string or when 4 * length + 2 units could overrun end.
    char16_t* writeQuoted(char16_t* out, char16_t* end, bool forceDoubleQuotes) const noexcept;

    // --- setters: each replaces this handle's value only ---
    void setNarrowString(std::string_view text);
    void setWideString(std::u16string_view text);
    void setInteger(std::int32_t v);
    void setFloat(double v);
    void setPointer(const void* address);
    void setBoolean(bool v);
    void setEmptyVector();
    void assign(const Value& other) noexcept;  // shares other's body; self-assignment is harmless

    // --- read-only container access: never creates, never detaches ---
    const Value& at(std::uint32_t index) const noexcept;
    // A Vector's elements as one array of size() handles, for walks without a call per element;
    // null for anything else. Valid until the Vector is written.
    const Value* elementData() const noexcept;
    bool hasIndex(std::uint32_t index, bool requireDefined) const noexcept;
    const Value& find(const Value& key) const;
    const Value& findByName(std::string_view name) const noexcept;
    // Paths: Undef = here, Integer = index, string = key, Vector = each component in turn.
    const Value& resolve(const Value& path) const;
    bool exists(const Value& path, bool requireDefined) const;
    bool existsByName(std::string_view name, bool requireDefined) const noexcept;
    bool existsByName(std::u16string_view name, bool requireDefined) const noexcept;
    // Iteration by key: Vector keys are Integer indices, Hash keys its keys in table order. Undef at
    // the end; valueOut, when given, receives the value under the key returned (Undef at the end).
    Value firstKey(Value* valueOut = nullptr) const;
    Value nextKey(const Value& key, Value* valueOut = nullptr) const;
    // Calls visit(key, value) for each entry of a Hash, in firstKey/nextKey's order, with references
    // to the handles the table holds: nothing is copied or counted. Anything but a Hash has no
    // entries. The references, and the walk itself, are valid only while the Hash is not written:
    // visit may read it, never write it. A walker that must pause can collect the addresses.
    template <class Visit>
    void forEachEntry(Visit visit) const {
        if (kind() != ValueKind::Hash) return;
        walkEntries(&visit, [](void* v, const Value& key, const Value& value) {
            (*static_cast<Visit*>(v))(key, value);
        });
    }

    // --- writing container access: makes this the needed container (dropping any other kind), ---
    // --- detaches a shared body, then acts ---
    Value& element(std::uint32_t index);  // grows with Undef up to index
    Value& appendSlot();
    void resize(std::uint32_t n);
    void appendAll(const Value& vector);  // appends vector's elements when it is a Vector
    Value& entry(const Value& key);       // created with an Undef value when absent
    // The same for a caller that has key.hashCode() at hand (a loader that keeps its keys' codes).
    Value& entry(const Value& key, std::uint32_t keyHashCode);
    Value& entryAt(const Value& path);    // creates the containers along the path
    std::uint32_t eraseKey(std::u16string_view key);  // entries removed (0 or 1); non-Hash unchanged
    bool isScratchSlot() const noexcept;  // whether this is the slot handed out for a refused index

    // --- derived values ---
    Value keys(bool includeUndefined) const;  // Vector of keys in iteration order; Undef for scalars
    Value values() const;  // Hash: its values in order; Vector: itself; else [this value]
    void sort();                              // stable, ascending, compare() with case
    void sortNoCase();                        // stable, ascending, compare() without case
    // -1, 0 or +1. Kinds order by their codes (a narrow and a wide string compare as texts); two
    // Undef values never compare equal (+1); a NaN equals every Float; without case, only ASCII
    // letters fold. Depth is limited by memory only (an explicit stack, no recursion). When
    // diffPath is given and the kinds match, it is set to a Vector listing, from the outside in, the
    // index or key at which the first difference lies (the list starts at position `depth`).
    // diffPath must not be part of either operand.
    int compare(const Value& other, std::uint32_t depth = 0, Value* diffPath = nullptr,
                bool caseSensitive = true) const;

private:
    using EntryVisitor = void (*)(void* context, const Value& key, const Value& value);
    void walkEntries(void* context, EntryVisitor visit) const;  // forEachEntry, once the kind is known

    friend struct detail::ValueAccess;
    detail::BodyHeader* body_ = nullptr;
};

namespace detail {
inline constinit const Value kSharedUndef;  // one object for the whole program: its address is compared
}  // namespace detail

inline const Value& Value::undef() noexcept { return detail::kSharedUndef; }

}  // namespace orvane
