// Value bodies, conversions, text forms, comparison, paths and container access.
//
// Invariants kept here (besides those in value.h):
// - A body comes from the slab pool in the size class of its kind: Integer, Float, Pointer and
//   Boolean take a 16-byte SmallBody (count, kind, an 8-byte payload); strings, Vectors and Hashes a
//   32-byte LargeBody (count, kind, a 24-byte payload). A string keeps short text inline and longer
//   text in a block of its own; a Vector keeps its elements in a std::vector; both take blocks of up
//   to 32 bytes from the pool too (allocateBlock). A Hash points to its table, which is null until
//   the first entry is made. A body's kind only ever changes within its class.
// - A writer owns its body before it changes it: fresh() gives an empty-or-reused body of the wanted
//   kind (reused only when it is private and of the same class), writable() additionally copies a
//   shared container (shallowly) so the copy keeps its order.
// - Release never recurses: a dead container is linked into a list through its own header (the next
//   pointer, with its kind in the low bit) and its children are dropped from a loop. Every body goes
//   back to the pool in the class its kind names.
// - compare() and path walks keep their position on an explicit stack.
#include "value/value.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "value/body_pool.h"
#include "value/body_text.h"
#include "value/hash_table.h"
#include "value/text.h"

namespace orvane {
namespace detail {

struct SmallBody : BodyHeader {
    union Payload {
        std::int32_t integer;
        double real;
        std::uintptr_t address;
        bool boolean;
    } p;
};

// A Hash's table lives in the body pool too: a load makes one per record or block, and the pool
// hands them out and takes them back without the C library's allocator and its consolidations.
struct TableDelete {
    void operator()(HashTable* t) const noexcept {
        std::destroy_at(t);
        freeBody(t, BodyClass::Table);
    }
};
using TablePtr = std::unique_ptr<HashTable, TableDelete>;
static_assert(sizeof(HashTable) <= kTableBodySize && alignof(HashTable) <= kBodyAlign);

template <class... From>
TablePtr newTable(const From&... from) {
    void* memory = allocateBody(BodyClass::Table);
    try {
        return TablePtr(std::construct_at(static_cast<HashTable*>(memory), from...));
    } catch (...) {  // only a copy allocates, and then only std::bad_alloc
        freeBody(memory, BodyClass::Table);
        throw;
    }
}

// A Vector's elements: an array of no more than a body's 32 bytes (four elements on 64-bit targets,
// as most lists in a settings file are) is a pool block (body_pool.h).
template <class T>
struct ElementAllocator {
    using value_type = T;
    ElementAllocator() = default;
    template <class U>
    ElementAllocator(const ElementAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocateBlock(n * sizeof(T))); }  // n <= max_size()
    void deallocate(T* elements, std::size_t n) noexcept { freeBlock(elements, n * sizeof(T)); }
    friend bool operator==(ElementAllocator, ElementAllocator) noexcept { return true; }
};
static_assert(alignof(Value) <= kBodyAlign);
using Elements = std::vector<Value, ElementAllocator<Value>>;

struct LargeBody : BodyHeader {
    union Payload {
        Payload() {}
        ~Payload() {}
        BodyText<char> narrow;
        BodyText<char16_t> wide;
        Elements vector;
        TablePtr hash;  // null while the Hash is empty and has never held an entry
    } p;
};

// Exact on 32- and 64-bit targets alike: a larger struct would overrun its pool slot.
static_assert(sizeof(SmallBody) == kSmallBodySize && alignof(SmallBody) <= kBodyAlign);
static_assert(sizeof(LargeBody) == kLargeBodySize && alignof(LargeBody) <= kBodyAlign);
static_assert(std::is_trivially_destructible_v<SmallBody>, "a small body is freed without a destructor");
static_assert(sizeof(std::uintptr_t) <= sizeof(BodyHeader), "a dead body's header holds a link");

namespace {

using VK = ValueKind;

bool isContainer(VK k) { return k == VK::Vector || k == VK::Hash; }
bool isStringKind(VK k) { return k == VK::NarrowString || k == VK::WideString; }
bool isSmallKind(VK k) { return k == VK::Integer || k == VK::Float || k == VK::Pointer || k == VK::Boolean; }
BodyClass classOf(VK k) { return isSmallKind(k) ? BodyClass::Small : BodyClass::Large; }

}  // namespace

// The body behind a handle, typed by the class of its kind; smallBody() and largeBody() are only for
// handles whose kind the caller has checked.
struct ValueAccess {
    static BodyHeader* header(const Value& v) noexcept { return v.body_; }
    static SmallBody* smallBody(const Value& v) noexcept { return static_cast<SmallBody*>(v.body_); }
    static LargeBody* largeBody(const Value& v) noexcept { return static_cast<LargeBody*>(v.body_); }
    static void set(Value& v, BodyHeader* b) noexcept { v.body_ = b; }
    static BodyHeader* take(Value& v) noexcept {
        BodyHeader* b = v.body_;
        v.body_ = nullptr;
        return b;
    }
};

const SmallBody::Payload& scalarOf(const Value& v) noexcept { return ValueAccess::smallBody(v)->p; }
const LargeBody::Payload& largeOf(const Value& v) noexcept { return ValueAccess::largeBody(v)->p; }

KeyText textOf(const Value& v) noexcept {
    // Every key asks for this, most of them wide: one look at the kind and one at the text's form.
    const BodyHeader* b = ValueAccess::header(v);
    if (b && b->kind == VK::WideString) {
        const std::u16string_view t = static_cast<const LargeBody*>(b)->p.wide.view();
        return {t.data(), t.size(), true};
    }
    if (b && b->kind == VK::NarrowString) {
        const std::string_view t = static_cast<const LargeBody*>(b)->p.narrow.view();
        return {t.data(), t.size(), false};
    }
    return {"", 0, false};
}

namespace {

SmallBody* initSmall(void* memory, VK kind) noexcept {
    auto* b = std::construct_at(static_cast<SmallBody*>(memory));  // zeroes the payload
    b->refs = 1;
    b->kind = kind;
    return b;
}

// Starts a large body's life in memory from the pool (or in a body whose payload was just destroyed).
LargeBody* initLarge(void* memory, VK kind) noexcept {
    auto* b = std::construct_at(static_cast<LargeBody*>(memory));
    b->refs = 1;
    b->kind = kind;
    switch (kind) {
        case VK::NarrowString: std::construct_at(&b->p.narrow); break;
        case VK::WideString: std::construct_at(&b->p.wide); break;
        case VK::Vector: std::construct_at(&b->p.vector); break;
        case VK::Hash: std::construct_at(&b->p.hash); break;
        default: break;
    }
    return b;
}

LargeBody* newLarge(VK kind) { return initLarge(allocateBody(BodyClass::Large), kind); }

BodyHeader* newBody(VK kind) {
    if (isSmallKind(kind)) return initSmall(allocateBody(BodyClass::Small), kind);
    return newLarge(kind);
}

void destroyText(LargeBody* b) noexcept {
    if (b->kind == VK::NarrowString) std::destroy_at(&b->p.narrow);
    else if (b->kind == VK::WideString) std::destroy_at(&b->p.wide);
}

// Frees a dead body that holds no handles: a scalar or a string.
void freeLeaf(BodyHeader* b) noexcept {
    if (isSmallKind(b->kind)) {
        freeBody(b, BodyClass::Small);
    } else {
        destroyText(static_cast<LargeBody*>(b));
        freeBody(b, BodyClass::Large);
    }
}

// The list of dead containers whose children still have to be dropped. Only large bodies are
// linked, so a popped body always goes back as large.
class DeadList {
public:
    void push(LargeBody* b) noexcept {
        const std::uintptr_t link = reinterpret_cast<std::uintptr_t>(top_) | (b->kind == VK::Hash ? 1 : 0);
        std::memcpy(static_cast<BodyHeader*>(b), &link, sizeof link);
        top_ = b;
    }
    LargeBody* pop(VK& kind) noexcept {
        LargeBody* b = top_;
        if (!b) return nullptr;
        std::uintptr_t link;
        std::memcpy(&link, static_cast<BodyHeader*>(b), sizeof link);
        kind = (link & 1) ? VK::Hash : VK::Vector;
        top_ = reinterpret_cast<LargeBody*>(link & ~std::uintptr_t{1});
        return b;
    }

    void drop(Value& handle) noexcept {
        BodyHeader* c = ValueAccess::take(handle);
        if (!c || --c->refs != 0) return;
        if (isContainer(c->kind)) push(static_cast<LargeBody*>(c));
        else freeLeaf(c);
    }

    // Drops the handles of a container and destroys its payload; the body's memory stays.
    void empty(LargeBody* c, VK kind) noexcept {
        if (kind == VK::Vector) {
            for (Value& v : c->p.vector) drop(v);
            std::destroy_at(&c->p.vector);
        } else {
            if (c->p.hash) c->p.hash->drain([this](Value& v) { drop(v); });
            std::destroy_at(&c->p.hash);
        }
    }

    void drain() noexcept {
        VK kind;
        while (LargeBody* c = pop(kind)) {
            empty(c, kind);
            freeBody(c, BodyClass::Large);
        }
    }

private:
    LargeBody* top_ = nullptr;
};

void destroyPayload(LargeBody* b) noexcept {
    if (!isContainer(b->kind)) {
        destroyText(b);
        return;
    }
    DeadList dead;
    dead.empty(b, b->kind);
    dead.drain();
}

// A body of `kind` owned by v alone; its payload is the old one when v already owned such a body,
// else empty. A private body of another kind is reused when its class fits, else freed after the
// new one is had (so a failed allocation leaves v as it was). Other owners of v's old body keep it.
BodyHeader* fresh(Value& v, VK kind) {
    BodyHeader* b = ValueAccess::header(v);
    if (b && b->refs == 1 && classOf(b->kind) == classOf(kind)) {
        if (b->kind == kind) return b;
        if (isSmallKind(kind)) return initSmall(b, kind);
        LargeBody* l = static_cast<LargeBody*>(b);
        destroyPayload(l);
        return initLarge(l, kind);
    }
    BodyHeader* n = newBody(kind);
    ValueAccess::set(v, n);
    if (b && --b->refs == 0) destroyBody(b);
    return n;
}

SmallBody* freshSmall(Value& v, VK kind) { return static_cast<SmallBody*>(fresh(v, kind)); }
LargeBody* freshLarge(Value& v, VK kind) { return static_cast<LargeBody*>(fresh(v, kind)); }

// v as an owned container of `kind`: a shared one of that kind is copied shallowly (a Hash keeps its
// order), any other value is replaced by an empty container.
LargeBody* writable(Value& v, VK kind) {
    if (v.kind() != kind) return freshLarge(v, kind);
    LargeBody* b = ValueAccess::largeBody(v);
    if (b->refs == 1) return b;
    LargeBody* n;
    if (kind == VK::Vector) {
        detail::Elements copy(b->p.vector);
        n = newLarge(kind);
        n->p.vector = std::move(copy);
    } else {
        TablePtr copy = b->p.hash ? newTable(*b->p.hash) : nullptr;
        n = newLarge(kind);
        n->p.hash = std::move(copy);
    }
    --b->refs;
    ValueAccess::set(v, n);
    return n;
}

// A stack that lives on the call stack while shallow and spills to the heap when deep.
template <class T, std::size_t N>
class SmallStack {
public:
    bool empty() const noexcept { return size_ == 0; }
    T& back() noexcept { return size_ <= N ? inline_[size_ - 1] : spill_.back(); }
    void push(T t) {
        if (size_ < N) inline_[size_] = std::move(t);
        else spill_.push_back(std::move(t));
        ++size_;
    }
    void pop() noexcept {
        if (size_ > N) spill_.pop_back();
        else inline_[size_ - 1] = T{};
        --size_;
    }

private:
    std::array<T, N> inline_{};
    std::vector<T> spill_;
    std::size_t size_ = 0;
};

// A key as find and entry see it: a string's own text, any other value's toNarrowString.
class KeyArg {
public:
    explicit KeyArg(const Value& key) {
        if (key.isString()) {
            text_ = textOf(key);
        } else {
            own_ = key.toNarrowString();
            text_ = KeyText::of(own_);
        }
    }
    KeyArg(const KeyArg&) = delete;
    KeyArg& operator=(const KeyArg&) = delete;

    KeyText text() const noexcept { return text_; }
    std::string& ownText() noexcept { return own_; }

private:
    std::string own_;
    KeyText text_{};
};

const HashTable::Entry* findEntry(const Value& hash, KeyText key) noexcept {
    if (hash.kind() != VK::Hash) return nullptr;
    const HashTable* t = largeOf(hash).hash.get();
    if (!t) return nullptr;
    const std::uint32_t i = t->find(key);
    return i == HashTable::kNone ? nullptr : &t->at(i);
}

// Blanks (U+0020 only), one sign, digits; the sum wraps as unsigned 32-bit, the sign comes last.
template <class C>
std::int32_t parseDecimal(std::basic_string_view<C> text) {
    const C* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && p[i] == C(' ')) ++i;
    bool negative = false;
    if (i < n && (p[i] == C('+') || p[i] == C('-'))) negative = p[i++] == C('-');
    std::uint32_t sum = 0;
    for (; i < n && p[i] >= C('0') && p[i] <= C('9'); ++i)
        sum = sum * 10 + static_cast<std::uint32_t>(p[i] - C('0'));
    return static_cast<std::int32_t>(negative ? 0u - sum : sum);
}

template <class C>
bool textIsFalse(const BodyText<C>& text) {
    static constexpr C kFalse[] = {C('f'), C('a'), C('l'), C('s'), C('e')};
    const std::basic_string_view<C> t = text.view();
    if (t.empty()) return true;
    if (t.size() == 1) return t[0] == C('0');
    return t.size() == 5 && std::equal(t.begin(), t.end(), kFalse);
}

// x86's conversion answers the "integer indefinite" value for NaN and out-of-range doubles.
std::int32_t truncateToInt32(double d) {
    if (!(d > -2147483649.0 && d < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(d);
}

template <class T>
int threeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

Value& scratchSlot() {
    thread_local Value scratch;
    return scratch;
}

Value& handOutScratch() {
    Value& s = scratchSlot();
    s = Value();
    return s;
}

}  // namespace
}  // namespace detail

using detail::largeOf;
using detail::scalarOf;
using detail::HashTable;
using detail::KeyText;
using detail::ValueAccess;
using VK = ValueKind;

void detail::destroyBody(BodyHeader* b) noexcept {
    if (!isSmallKind(b->kind)) destroyPayload(static_cast<LargeBody*>(b));
    freeBody(b, classOf(b->kind));
}

// ---------------------------------------------------------------- construction and assignment

Value::Value(std::int32_t v) { setInteger(v); }
Value::Value(double v) { setFloat(v); }
Value::Value(bool v) { setBoolean(v); }
Value::Value(std::string_view text) { setNarrowString(text); }
Value::Value(std::u16string_view text) { setWideString(text); }

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        detail::BodyHeader* old = body_;
        body_ = other.body_;
        other.body_ = nullptr;
        if (old && --old->refs == 0) detail::destroyBody(old);
    }
    return *this;
}

void Value::assign(const Value& other) noexcept {
    if (other.body_) ++other.body_->refs;  // first, so that assigning a Value to itself is harmless
    detail::BodyHeader* old = body_;
    body_ = other.body_;
    if (old && --old->refs == 0) detail::destroyBody(old);
}

// ---------------------------------------------------------------- kinds and scalars

const void* Value::pointer() const noexcept {
    if (kind() != VK::Pointer) return nullptr;
    return reinterpret_cast<const void*>(scalarOf(*this).address);
}

std::int32_t Value::toInteger() const {
    switch (kind()) {
        case VK::NarrowString: return detail::parseDecimal(largeOf(*this).narrow.view());
        case VK::WideString: return detail::parseDecimal(largeOf(*this).wide.view());
        case VK::Integer: return scalarOf(*this).integer;
        case VK::Float: return detail::truncateToInt32(scalarOf(*this).real);
        case VK::Pointer: return static_cast<std::int32_t>(static_cast<std::uint32_t>(scalarOf(*this).address));
        case VK::Boolean: return scalarOf(*this).boolean ? 1 : 0;
        default: return 0;
    }
}

double Value::toFloat() const {
    switch (kind()) {
        case VK::NarrowString: return parseFloat(largeOf(*this).narrow.view());
        case VK::WideString: return parseFloat(narrow(largeOf(*this).wide.view()));
        case VK::Integer: return scalarOf(*this).integer;
        case VK::Float: return scalarOf(*this).real;
        case VK::Boolean: return scalarOf(*this).boolean ? 1.0 : 0.0;
        default: return 0.0;
    }
}

bool Value::toBoolean() const {
    switch (kind()) {
        case VK::NarrowString: return !detail::textIsFalse(largeOf(*this).narrow);
        case VK::WideString: return !detail::textIsFalse(largeOf(*this).wide);
        case VK::Integer: return scalarOf(*this).integer != 0;
        case VK::Float: return scalarOf(*this).real != 0.0;  // a NaN is true
        case VK::Pointer: return scalarOf(*this).address != 0;
        case VK::Boolean: return scalarOf(*this).boolean;
        case VK::Vector:
        case VK::Hash: return size() != 0;
        default: return false;
    }
}

std::u16string Value::toWideString() const {
    switch (kind()) {
        case VK::Undef: return u"undef";
        case VK::NarrowString: return widen(largeOf(*this).narrow.view());
        case VK::WideString: return std::u16string(largeOf(*this).wide.view());
        case VK::Integer: return format(u"%d", scalarOf(*this).integer);
        case VK::Float: return format(u"%g", scalarOf(*this).real);
        case VK::Pointer: return format(u"%p", reinterpret_cast<const void*>(scalarOf(*this).address));
        case VK::Boolean: return scalarOf(*this).boolean ? u"true" : u"false";
        case VK::Vector: return u"{vector}";
        case VK::Hash: return u"{hash}";
    }
    return u"{invalid}";
}

std::string Value::toNarrowString() const {
    switch (kind()) {
        case VK::NarrowString: return std::string(largeOf(*this).narrow.view());
        case VK::WideString: return narrow(largeOf(*this).wide.view());
        default: return narrow(toWideString());
    }
}

std::uint32_t Value::size() const noexcept {
    switch (kind()) {
        case VK::Vector: return static_cast<std::uint32_t>(largeOf(*this).vector.size());
        case VK::Hash: return largeOf(*this).hash ? largeOf(*this).hash->size() : 0;
        default: return 0;
    }
}

std::uint32_t Value::hashCode() const noexcept {
    switch (kind()) {
        case VK::NarrowString:
        case VK::WideString: return detail::hashText(detail::textOf(*this));
        case VK::Integer: return static_cast<std::uint32_t>(scalarOf(*this).integer);
        case VK::Float: return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(scalarOf(*this).real));
        case VK::Pointer: return static_cast<std::uint32_t>(scalarOf(*this).address);
        case VK::Boolean: return scalarOf(*this).boolean ? 1 : 0;
        case VK::Vector:
        case VK::Hash: return size();
        default: return 0;
    }
}

namespace {

// The literal form straight into `out`, one pass over the characters, whichever width they have.
// quoted() into a buffer known to be large enough. The verbatim form is tried first while copying,
// so the usual plain text is read once; a text that needs escapes is written again over it.
template <class C>
char16_t* writeQuotedUnits(char16_t* out, const C* text, std::size_t n, bool forceDoubleQuotes) noexcept {
    auto unit = [](C c) { return static_cast<char16_t>(static_cast<std::make_unsigned_t<C>>(c)); };
    if (!forceDoubleQuotes) {
        char16_t* p = out + 1;
        bool verbatim = true;
        for (std::size_t i = 0; i < n; ++i) {
            const char16_t c = unit(text[i]);
            verbatim &= (c >= 0x20) & (c != u'\'');  // no branch per unit: the loop may vectorise
            p[i] = c;
        }
        if (verbatim) {
            out[0] = u'\'';
            p[n] = u'\'';
            return p + n + 1;
        }
    }
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    char16_t* p = out;
    *p++ = u'"';
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = unit(text[i]);
        char16_t escaped = 0;
        switch (c) {
            case u'"': escaped = u'"'; break;
            case u'\\': escaped = u'\\'; break;
            case u'\n': escaped = u'n'; break;
            case u'\r': escaped = u'r'; break;
            case u'\t': escaped = u't'; break;
            default:
                if (c < 0x20) {
                    *p++ = u'\\';
                    *p++ = u'x';
                    *p++ = kHex[c >> 4];
                    *p++ = kHex[c & 0xF];
                } else {
                    *p++ = c;
                }
                continue;
        }
        *p++ = u'\\';
        *p++ = escaped;
    }
    *p++ = u'"';
    return p;
}

// The longest form is every unit a \xHH escape between the quotes; the rest is cut off after.
template <class C>
void appendQuotedUnits(std::u16string& out, const C* text, std::size_t n, bool forceDoubleQuotes) {
    const std::size_t at = out.size();
    out.resize(at + 4 * n + 2);
    const char16_t* end = writeQuotedUnits(out.data() + at, text, n, forceDoubleQuotes);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

void Value::appendQuoted(std::u16string& out, bool forceDoubleQuotes) const {
    if (isString()) {
        const detail::KeyText t = detail::textOf(*this);
        if (t.wide) appendQuotedUnits(out, static_cast<const char16_t*>(t.data), t.length, forceDoubleQuotes);
        else appendQuotedUnits(out, static_cast<const char*>(t.data), t.length, forceDoubleQuotes);
        return;
    }
    const std::u16string text = toWideString();
    appendQuotedUnits(out, text.data(), text.size(), forceDoubleQuotes);
}

char16_t* Value::writeQuoted(char16_t* out, char16_t* end, bool forceDoubleQuotes) const noexcept {
    const auto fits = [&](std::size_t n) { return end - out >= 2 && n <= (static_cast<std::size_t>(end - out) - 2) / 4; };
    if (kind() == VK::NarrowString) {
        const auto& text = detail::ValueAccess::largeBody(*this)->p.narrow;
        return fits(text.size()) ? writeQuotedUnits(out, text.data(), text.size(), forceDoubleQuotes) : nullptr;
    }
    if (kind() == VK::WideString) {
        const auto& text = detail::ValueAccess::largeBody(*this)->p.wide;
        return fits(text.size()) ? writeQuotedUnits(out, text.data(), text.size(), forceDoubleQuotes) : nullptr;
    }
    return nullptr;
}

std::u16string Value::quoted(bool forceDoubleQuotes) const {
    std::u16string out;
    appendQuoted(out, forceDoubleQuotes);
    return out;
}

// ---------------------------------------------------------------- setters

void Value::setNarrowString(std::string_view text) {
    detail::freshLarge(*this, VK::NarrowString)->p.narrow.assign(text.data(), text.size());
}

void Value::setWideString(std::u16string_view text) {
    detail::freshLarge(*this, VK::WideString)->p.wide.assign(text.data(), text.size());
}

void Value::setInteger(std::int32_t v) { detail::freshSmall(*this, VK::Integer)->p.integer = v; }
void Value::setFloat(double v) { detail::freshSmall(*this, VK::Float)->p.real = v; }
void Value::setPointer(const void* address) {
    detail::freshSmall(*this, VK::Pointer)->p.address = reinterpret_cast<std::uintptr_t>(address);
}
void Value::setBoolean(bool v) { detail::freshSmall(*this, VK::Boolean)->p.boolean = v; }
void Value::setEmptyVector() { detail::freshLarge(*this, VK::Vector)->p.vector.clear(); }

// ---------------------------------------------------------------- read-only container access

const Value& Value::at(std::uint32_t index) const noexcept {
    if (kind() == VK::Vector && index < largeOf(*this).vector.size()) return largeOf(*this).vector[index];
    return undef();
}

const Value* Value::elementData() const noexcept {
    return kind() == VK::Vector ? largeOf(*this).vector.data() : nullptr;
}

bool Value::hasIndex(std::uint32_t index, bool requireDefined) const noexcept {
    if (kind() != VK::Vector || index >= size()) return false;
    return !requireDefined || at(index).kind() != VK::Undef;
}

const Value& Value::find(const Value& key) const {
    if (kind() != VK::Hash) return undef();
    detail::KeyArg k(key);
    const HashTable::Entry* e = detail::findEntry(*this, k.text());
    return e ? e->value : undef();
}

const Value& Value::findByName(std::string_view name) const noexcept {
    const HashTable::Entry* e = detail::findEntry(*this, KeyText::of(name));
    return e ? e->value : undef();
}

bool Value::existsByName(std::string_view name, bool requireDefined) const noexcept {
    const HashTable::Entry* e = detail::findEntry(*this, KeyText::of(name));
    return e && (!requireDefined || e->value.kind() != VK::Undef);
}

bool Value::existsByName(std::u16string_view name, bool requireDefined) const noexcept {
    const HashTable::Entry* e = detail::findEntry(*this, KeyText::of(name));
    return e && (!requireDefined || e->value.kind() != VK::Undef);
}

namespace detail {
namespace {

// Walks the components of a Vector path in order, descending into components that are Vectors
// themselves. visit(component) handles every other component and returns false to stop the walk;
// leaveNested() runs when a nested Vector ends and may stop it too. Returns false when stopped.
template <class Visit, class LeaveNested>
bool walkPath(const Value& path, Visit visit, LeaveNested leaveNested) {
    struct Frame {
        const Value* vector = nullptr;
        std::uint32_t next = 0;
    };
    SmallStack<Frame, 8> stack;
    stack.push({&path, 0});
    for (;;) {
        Frame& f = stack.back();
        if (f.next == f.vector->size()) {
            stack.pop();
            if (stack.empty()) return true;
            if (!leaveNested()) return false;
            continue;
        }
        const Value& c = f.vector->at(f.next++);
        if (c.isVector()) {
            stack.push({&c, 0});
        } else if (!visit(c)) {
            return false;
        }
    }
}

}  // namespace
}  // namespace detail

const Value& Value::resolve(const Value& path) const {
    switch (path.kind()) {
        case VK::Integer: return at(static_cast<std::uint32_t>(path.toInteger()));
        case VK::NarrowString:
        case VK::WideString: return find(path);
        case VK::Vector: {
            const Value* here = this;
            detail::walkPath(
                path,
                [&](const Value& c) {
                    here = &here->resolve(c);
                    return true;
                },
                [] { return true; });
            return *here;
        }
        default: return *this;
    }
}

bool Value::exists(const Value& path, bool requireDefined) const {
    switch (path.kind()) {
        case VK::Undef: return !requireDefined || kind() != VK::Undef;
        case VK::Integer: return hasIndex(static_cast<std::uint32_t>(path.toInteger()), true);
        case VK::NarrowString:
        case VK::WideString: {
            const HashTable::Entry* e = detail::findEntry(*this, detail::textOf(path));
            return e && (!requireDefined || e->value.kind() != VK::Undef);
        }
        case VK::Vector: {
            const Value* here = this;
            const bool walked = detail::walkPath(
                path,
                [&](const Value& c) {
                    if (!here->exists(c, true)) return false;
                    here = &here->resolve(c);
                    return true;
                },
                [&] { return here->kind() != VK::Undef; });  // a nested path ends as a defined one
            return walked && (!requireDefined || here->kind() != VK::Undef);
        }
        default: return false;
    }
}

Value Value::firstKey(Value* valueOut) const {
    Value key;
    const Value* value = &undef();
    if (kind() == VK::Vector && !largeOf(*this).vector.empty()) {
        key.setInteger(0);
        value = &largeOf(*this).vector[0];
    } else if (const HashTable* t = kind() == VK::Hash ? largeOf(*this).hash.get() : nullptr; t && t->size() != 0) {
        const HashTable::Entry& e = t->at(t->first());
        key = e.key;
        value = &e.value;
    }
    if (valueOut) *valueOut = *value;
    return key;
}

Value Value::nextKey(const Value& key, Value* valueOut) const {
    Value next;
    const Value* value = &undef();
    if (kind() == VK::Vector) {
        const std::int64_t i = std::int64_t{key.toInteger()} + 1;
        if (i >= 1 && i < static_cast<std::int64_t>(largeOf(*this).vector.size())) {
            next.setInteger(static_cast<std::int32_t>(i));
            value = &largeOf(*this).vector[static_cast<std::size_t>(i)];
        }
    } else if (kind() == VK::Hash && key.isString() && largeOf(*this).hash) {
        const HashTable& t = *largeOf(*this).hash;
        const KeyText k = detail::textOf(key);
        std::uint32_t i = t.find(k);
        if (i != HashTable::kNone) i = t.next(i);
        if (i != HashTable::kNone) {
            next = t.at(i).key;
            value = &t.at(i).value;
        }
    }
    if (valueOut) *valueOut = *value;
    return next;
}

void Value::walkEntries(void* context, EntryVisitor visit) const {
    if (const HashTable* t = largeOf(*this).hash.get())
        for (std::uint32_t i = t->first(); i != HashTable::kNone; i = t->next(i))
            visit(context, t->at(i).key, t->at(i).value);
}

// ---------------------------------------------------------------- writing container access

bool Value::isScratchSlot() const noexcept { return this == &detail::scratchSlot(); }

Value& Value::element(std::uint32_t index) {
    if (index >= kMaxVectorSize) return detail::handOutScratch();
    detail::Elements& v = detail::writable(*this, VK::Vector)->p.vector;
    if (index >= v.size()) v.resize(std::size_t{index} + 1);
    return v[index];
}

Value& Value::appendSlot() {
    detail::Elements& v = detail::writable(*this, VK::Vector)->p.vector;
    if (v.size() >= kMaxVectorSize) return detail::handOutScratch();
    return v.emplace_back();
}

void Value::resize(std::uint32_t n) {
    if (n > kMaxVectorSize) throw std::bad_alloc();
    detail::writable(*this, VK::Vector)->p.vector.resize(n);
}

void Value::appendAll(const Value& vector) {
    const Value source = vector;  // keeps it whole even when it is this Value or lives inside it
    detail::Elements& v = detail::writable(*this, VK::Vector)->p.vector;
    if (!source.isVector()) return;
    const detail::Elements& from = largeOf(source).vector;
    if (from.size() > kMaxVectorSize - v.size()) throw std::bad_alloc();
    v.insert(v.end(), from.begin(), from.end());
}

namespace detail {
namespace {

// The loader's case, where an insert needs no copy: v is a Hash of its own (or an Undef, which holds
// no key and becomes one) and the key a string, so nothing detaches and no entry moves, and the key
// is read where it lies, even inside v. Null when that is not the case.
HashTable* ownTable(Value& v, const Value& key) {
    if (!key.isString()) return nullptr;
    if (!ValueAccess::header(v)) ValueAccess::set(v, newLarge(VK::Hash));
    BodyHeader* b = ValueAccess::header(v);
    if (b->kind != VK::Hash || b->refs != 1) return nullptr;
    TablePtr& table = static_cast<LargeBody*>(b)->p.hash;
    if (!table) table = newTable();
    return table.get();
}

}  // namespace
}  // namespace detail

Value& Value::entry(const Value& key) {
    if (detail::HashTable* table = detail::ownTable(*this, key))
        return table->findOrInsert(detail::textOf(key), [&] { return key; }).value;
    const Value keep = key;  // the key may live inside this Value, which is about to change
    detail::KeyArg k(keep);
    detail::LargeBody* b = detail::writable(*this, VK::Hash);
    if (!b->p.hash) b->p.hash = detail::newTable();
    return b->p.hash
        ->findOrInsert(k.text(),
                       [&] { return keep.isString() ? keep : Value(std::string_view(k.ownText())); })
        .value;
}

Value& Value::entry(const Value& key, std::uint32_t keyHashCode) {
    if (detail::HashTable* table = detail::ownTable(*this, key))
        return table->findOrInsert(detail::textOf(key), keyHashCode, [&] { return key; }).value;
    return entry(key);
}

Value& Value::entryAt(const Value& path) {
    const Value keep = path;  // the path may live inside this Value, which is about to change
    switch (keep.kind()) {
        case VK::Integer: return element(static_cast<std::uint32_t>(keep.toInteger()));
        case VK::NarrowString:
        case VK::WideString: return entry(keep);
        case VK::Vector: {
            Value* slot = this;
            detail::walkPath(
                keep,
                [&](const Value& c) {
                    slot = &slot->entryAt(c);
                    return !slot->isScratchSlot();  // a refused index ends the walk where the caller sees it
                },
                [] { return true; });
            return *slot;
        }
        default: return *this;
    }
}

std::uint32_t Value::eraseKey(std::u16string_view key) {
    const KeyText k = KeyText::of(key);
    if (!detail::findEntry(*this, k)) return 0;  // nothing to remove: no need to detach
    return detail::writable(*this, VK::Hash)->p.hash->erase(k) ? 1 : 0;
}

// ---------------------------------------------------------------- derived values

Value Value::keys(bool includeUndefined) const {
    Value out;
    if (kind() == VK::Vector) {
        detail::Elements& keys = detail::freshLarge(out, VK::Vector)->p.vector;
        keys.reserve(largeOf(*this).vector.size());
        for (std::size_t i = 0; i < largeOf(*this).vector.size(); ++i)
            if (includeUndefined || largeOf(*this).vector[i].kind() != VK::Undef)
                keys.emplace_back(static_cast<std::int32_t>(i));
    } else if (kind() == VK::Hash) {
        detail::Elements& keys = detail::freshLarge(out, VK::Vector)->p.vector;
        if (const HashTable* t = largeOf(*this).hash.get()) {
            keys.reserve(t->size());
            for (std::uint32_t i = t->first(); i != HashTable::kNone; i = t->next(i))
                if (includeUndefined || t->at(i).value.kind() != VK::Undef) keys.push_back(t->at(i).key);
        }
    }
    return out;
}

Value Value::values() const {
    if (kind() == VK::Vector) return *this;
    Value out;
    detail::Elements& values = detail::freshLarge(out, VK::Vector)->p.vector;
    if (kind() == VK::Hash) {
        if (const HashTable* t = largeOf(*this).hash.get()) {
            values.reserve(t->size());
            for (std::uint32_t i = t->first(); i != HashTable::kNone; i = t->next(i))
                values.push_back(t->at(i).value);
        }
    } else {
        values.push_back(*this);
    }
    return out;
}

void Value::sort() {
    if (kind() != VK::Vector) return;
    detail::Elements& v = detail::writable(*this, VK::Vector)->p.vector;
    std::stable_sort(v.begin(), v.end(), [](const Value& a, const Value& b) { return a.compare(b) < 0; });
}

void Value::sortNoCase() {
    if (kind() != VK::Vector) return;
    detail::Elements& v = detail::writable(*this, VK::Vector)->p.vector;
    std::stable_sort(v.begin(), v.end(),
                     [](const Value& a, const Value& b) { return a.compare(b, 0, nullptr, false) < 0; });
}

namespace detail {
namespace {

// One pair of containers being compared element by element.
struct CompareFrame {
    const Value* a = nullptr;
    const Value* b = nullptr;
    std::uint32_t depth = 0;
    std::uint32_t index = 0;  // the pair of children under comparison
    std::uint32_t count = 0;
    Value keys;  // a Hash pair's keys in sorted order
};

class Comparer {
public:
    Comparer(Value* diffPath, bool caseSensitive) : diffPath_(diffPath), caseSensitive_(caseSensitive) {}

    int run(const Value& a, const Value& b, std::uint32_t depth) {
        int r;
        if (open(a, b, depth, r)) return r;
        for (;;) {
            CompareFrame& f = stack_.back();
            if (f.index == f.count) {
                stack_.pop();
                if (stack_.empty()) return 0;
                ++stack_.back().index;
                continue;
            }
            const Value* ca;
            const Value* cb;
            if (f.keys.isVector()) {
                const Value& key = f.keys.at(f.index);
                ca = &f.a->find(key);
                cb = &f.b->find(key);
            } else {
                ca = &f.a->at(f.index);
                cb = &f.b->at(f.index);
            }
            if (!open(*ca, *cb, f.depth + 1, r)) continue;  // a new pair of containers is on top
            if (r == 0) {
                ++stack_.back().index;
                continue;
            }
            // Each level records its own position after the deeper ones, outermost last.
            while (!stack_.empty()) {
                CompareFrame& g = stack_.back();
                if (diffPath_) {
                    Value position =
                        g.keys.isVector() ? g.keys.at(g.index) : Value(static_cast<std::int32_t>(g.index));
                    diffPath_->element(g.depth) = std::move(position);
                }
                stack_.pop();
            }
            return r;
        }
    }

private:
    // Decides a pair at once (true, result in r) or pushes it as a frame to walk (false).
    bool open(const Value& a, const Value& b, std::uint32_t depth, int& r) {
        const VK ka = a.kind(), kb = b.kind();
        if (ka != kb) {
            if (isStringKind(ka) && isStringKind(kb)) r = compareText(textOf(a), textOf(b), caseSensitive_);
            else r = threeWay(static_cast<std::uint32_t>(ka), static_cast<std::uint32_t>(kb));
            return true;
        }
        if (diffPath_) diffPath_->setEmptyVector();
        switch (ka) {
            case VK::Undef: r = 1; return true;  // two Undef values never compare equal
            case VK::NarrowString:
            case VK::WideString: r = compareText(textOf(a), textOf(b), caseSensitive_); return true;
            case VK::Integer: r = threeWay(scalarOf(a).integer, scalarOf(b).integer); return true;
            case VK::Float: r = threeWay(scalarOf(a).real, scalarOf(b).real); return true;  // a NaN is equal to all
            case VK::Pointer: r = threeWay(scalarOf(a).address, scalarOf(b).address); return true;
            case VK::Boolean: r = threeWay(scalarOf(a).boolean, scalarOf(b).boolean); return true;
            case VK::Vector: {
                const std::uint32_t n = a.size();
                r = threeWay(n, b.size());
                if (r != 0 || n == 0) return true;
                stack_.push({&a, &b, depth, 0, n, Value()});
                return false;
            }
            case VK::Hash: {
                Value keysA = a.keys(true), keysB = b.keys(true);
                keysA.sort();
                keysB.sort();
                const std::uint32_t n = keysA.size();
                r = threeWay(n, keysB.size());
                for (std::uint32_t i = 0; r == 0 && i < n; ++i)
                    r = compareText(textOf(keysA.at(i)), textOf(keysB.at(i)), true);
                if (r != 0 || n == 0) return true;
                stack_.push({&a, &b, depth, 0, n, std::move(keysA)});
                return false;
            }
        }
        r = 0;
        return true;
    }

    SmallStack<CompareFrame, 4> stack_;
    Value* diffPath_;
    bool caseSensitive_;
};

}  // namespace
}  // namespace detail

int Value::compare(const Value& other, std::uint32_t depth, Value* diffPath, bool caseSensitive) const {
    return detail::Comparer(diffPath, caseSensitive).run(*this, other, depth);
}

}  // namespace orvane
