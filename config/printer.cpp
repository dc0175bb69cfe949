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
// - A Hash's entries are never copied out of its table: its members (key and value addresses, in
//   the order they are written) lie on one array shared by all frames, the innermost frame's on top,
//   and are dropped when its frame closes. Printing never writes the data, so the addresses hold.
// - Description options are read once per container, when its frame opens. A scalar (or an inline
//   Vector of scalars) whose description sets no options is written on the spot, its name straight
//   into the output: only containers and described values go through the name buffer and begin().
// - Text is staged in a fixed block that is appended to the result whole, so the result grows by a
//   few large appends, not one per token. Everything goes through the block, so order is kept; a string
//   is quoted in place there, never through a copy of its own, unless it is too long for the block. The
//   UTF-8 result takes each block encoded as it is flushed: the layout has one code path, and both
//   results come from it, one byte sequence the encoding of the other.
// - Numbers are written here with the conversions of formatTo's "%d" and "%g" (std::to_chars, general
//   form, 6 significant digits, "nan"/"inf" signed by the sign bit), except that a Float with a short
//   exact decimal form skips the conversion and writes that form; the tests hold them to formatTo.
#include "config/printer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <deque>
#include <limits>
#include <unordered_set>
#include <utility>
#include <vector>

#include "value/text.h"

namespace orvane::config {
namespace {

using VK = ValueKind;

constexpr std::int32_t kNoGap = 2147483647;  // Order: no key written yet

// How far ahead of writing a Hash's data is fetched: the table's entries (where the handles are)
// first, then, once those have arrived, the key and value bodies they point to.
constexpr std::uint32_t kLookAhead = 8;
constexpr std::uint32_t kEntryLookAhead = 2 * kLookAhead;

void prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

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

// Makes room for `n` more characters (units or bytes) in `out`. Growing fourfold copies a third of
// the text on the way instead of all of it; the capacity beyond the text is never written, so it
// costs address space, not memory. On a large text the copies cost less than the pages: each grown
// block is fresh memory that the system maps and clears page by page, and what the earlier blocks
// held is touched twice (a 115 MB print touched 211 MB growing twofold past 32 MiB, 147 MB growing
// fourfold, and ran 5 to 15% faster). Only a 32-bit process, short of address space, doubles past 32 MiB.
template <class String>
void makeRoom(String& out, std::size_t n) {
    constexpr std::size_t kFourfold = sizeof(void*) >= 8 ? std::numeric_limits<std::size_t>::max() / 16
                                                         : (std::size_t{1} << 25) / sizeof(typename String::value_type);
    if (out.capacity() - out.size() >= n) return;
    const std::size_t grown = out.capacity() * (out.capacity() < kFourfold ? 4 : 2);
    out.reserve(std::max(std::min(grown, out.max_size()), out.size() + n));
}

// The output: text is staged in a block of fixed size and handed to the sink one block at a time,
// either appended to a 16-bit result or encoded onto a UTF-8 one. The layout never knows which.
class Writer {
public:
    explicit Writer(std::u16string& out) : wide_(&out) {}
    explicit Writer(std::string& out) : utf8_(&out) {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void put(char16_t c) {
        if (p_ == buf_ + kSize) flush();
        *p_++ = c;
    }

    // A literal: its length is known here, so the copy is a few fixed moves.
    template <std::size_t N>
    void put(const char16_t (&s)[N]) {
        if (N - 1 > room()) flush();
        std::copy_n(s, N - 1, p_);
        p_ += N - 1;
    }

    void put(std::u16string_view s) {
        if (s.size() > room()) return putLong(s);
        // Most pieces are a few characters long: a plain loop beats a call to memmove.
        for (const char16_t c : s) *p_++ = c;
    }

    void repeat(std::int64_t n, char16_t c) {
        if (n <= 0) return;
        if (static_cast<std::uint64_t>(n) > room()) return repeatLong(n, c);
        for (std::int64_t i = 0; i < n; ++i) *p_++ = c;
    }

    // A string's literal form, quoted in place in the block; `scratch` only carries a text too long
    // for an empty block.
    void putQuoted(const Value& text, bool forceDoubleQuotes, std::u16string& scratch) {
        if (char16_t* end = text.writeQuoted(p_, buf_ + kSize, forceDoubleQuotes)) {
            p_ = end;
            return;
        }
        flush();
        if (char16_t* end = text.writeQuoted(p_, buf_ + kSize, forceDoubleQuotes)) {
            p_ = end;
            return;
        }
        scratch.clear();
        text.appendQuoted(scratch, forceDoubleQuotes);
        put(scratch);
    }

    // ASCII text of at most kSize characters, widened.
    void putAscii(const char* s, std::size_t n) {
        if (n > room()) flush();
        for (std::size_t i = 0; i < n; ++i) *p_++ = static_cast<char16_t>(static_cast<unsigned char>(s[i]));
    }

    void flush() {
        emit(std::u16string_view(buf_, static_cast<std::size_t>(p_ - buf_)));
        p_ = buf_;
    }

private:
    static constexpr std::size_t kSize = 8192;

    std::size_t room() const { return static_cast<std::size_t>(buf_ + kSize - p_); }

    // Room is made for one character per unit: exact for the 16-bit result, and for the UTF-8 one
    // whenever the block is ASCII (nearly always); other text grows it by the string's own rule.
    void emit(std::u16string_view s) {
        if (wide_) {
            makeRoom(*wide_, s.size());
            wide_->append(s);
        } else {
            makeRoom(*utf8_, s.size());
            appendUtf8(*utf8_, s);
        }
    }

    void putLong(std::u16string_view s) {
        flush();
        if (s.size() > kSize) emit(s);
        else p_ = std::copy(s.begin(), s.end(), p_);
    }

    void repeatLong(std::int64_t n, char16_t c) {
        while (n > 0) {
            if (p_ == buf_ + kSize) flush();
            const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), room()));
            p_ = std::fill_n(p_, k, c);
            n -= static_cast<std::int64_t>(k);
        }
    }

    std::u16string* wide_ = nullptr;  // exactly one of the two sinks is set
    std::string* utf8_ = nullptr;
    char16_t buf_[kSize];
    char16_t* p_ = buf_;
};

// "%d" of formatTo, two digits at a time.
void writeInteger(Writer& w, std::int32_t v) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char16_t digits[12];
    char16_t* const end = digits + 12;
    char16_t* q = end;
    std::uint32_t mag = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    while (mag >= 100) {
        const std::uint32_t pair = 2 * (mag % 100);
        mag /= 100;
        *--q = static_cast<char16_t>(kPairs[pair + 1]);
        *--q = static_cast<char16_t>(kPairs[pair]);
    }
    if (mag >= 10) {
        *--q = static_cast<char16_t>(kPairs[2 * mag + 1]);
        *--q = static_cast<char16_t>(kPairs[2 * mag]);
    } else {
        *--q = static_cast<char16_t>(u'0' + mag);
    }
    if (v < 0) *--q = u'-';
    w.put(std::u16string_view(q, static_cast<std::size_t>(end - q)));
}

// Writes v (not negative) at p and returns the end, when v is a multiple of 1/16 below 1e6 with at
// most 6 significant digits: its decimal expansion is then exact and short, so it is what the general
// form prints, and settings' Floats (halves, quarters, whole numbers) are nearly all of this kind.
// Returns null for any other v, having written nothing.
char* writeShortFloat(char* p, double v) {
    if (!(v < 1e6)) return nullptr;
    const double sixteenths = v * 16;  // exact: a power of two
    const auto whole = static_cast<std::uint64_t>(sixteenths);
    if (static_cast<double>(whole) != sixteenths) return nullptr;
    const std::uint64_t integer = whole >> 4;
    std::uint32_t fraction = static_cast<std::uint32_t>(whole & 15) * 625;  // ten-thousandths
    int fractionDigits = fraction == 0 ? 0 : 4;
    while (fractionDigits > 0 && fraction % 10 == 0) {
        fraction /= 10;
        --fractionDigits;
    }
    char digits[8];
    const char* end = std::to_chars(digits, digits + sizeof digits, integer).ptr;
    const int integerDigits = static_cast<int>(end - digits);
    // Below 1 the leading zeros of the fraction are not significant; 1/16 has one.
    const int significant = integer != 0 ? integerDigits + fractionDigits
                                         : fractionDigits - (fractionDigits == 4 && fraction < 1000);
    if (significant > 6) return nullptr;
    p = std::copy(static_cast<const char*>(digits), end, p);
    if (fractionDigits == 0) return p;
    *p++ = '.';
    for (int i = fractionDigits - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return p + fractionDigits;
}

// "%g" of formatTo: the sign from the sign bit, then "nan", "inf" or the general form of 6 digits.
void writeFloat(Writer& w, const double value) {
    char buf[48];
    char* p = buf;
    double v = value;
    if (std::signbit(v)) {
        *p++ = '-';
        v = -v;
    }
    if (v != v) {
        p = std::copy_n("nan", 3, p);
    } else if (v == std::numeric_limits<double>::infinity()) {
        p = std::copy_n("inf", 3, p);
    } else if (char* q = writeShortFloat(p, v)) {
        p = q;
    } else {
        const std::to_chars_result r = std::to_chars(p, buf + sizeof buf, v, std::chars_format::general, 6);
        if (r.ec != std::errc()) {  // 6 digits always fit; should they not, the formatter decides
            w.put(format(u"%g", value));
            return;
        }
        p = r.ptr;
    }
    w.putAscii(buf, static_cast<std::size_t>(p - buf));
}

enum class Layout : std::uint8_t { HashBlock, HashPath, VectorBlock, VectorPath, VectorInline, VectorList };

// One member of a Hash being written: an entry, or (key null) a gap of Hash.Order whose value is the
// number of blank lines. Both point into the data tree or into the frame's `keys`, never at a copy.
struct Member {
    const Value* key;
    const Value* value;
};

// A container whose members are being written.
struct Frame {
    const Value* data;       // the container; lives in the data tree and stays put
    Value keys;              // Hash under Hash.Order: the keys it named and the gap counts, for members
    Value ids;               // the ID table this container's members see
    Value single;            // Hash.SingleData / Vector.SingleData
    Value common;            // Hash.Data / Vector.Data
    std::int64_t depth;      // the value's own depth
    std::size_t nameStart;   // the value's name in the name buffer
    std::size_t nameEnd;
    std::size_t members;      // Hash: its members are members_[members, members + count)
    std::uint32_t index = 0;  // next member
    std::uint32_t count;      // members (Hash: entries and gaps)
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
    explicit Printer(std::string& out) : out_(out) {}

    void value(const Value& data, std::int64_t depth, std::u16string_view name, const Value& description,
               const Value& ids) {
        names_.assign(name);
        begin(data, depth, 0, names_.size(), description, ids);
        run();
        out_.flush();
    }

    void hashEntry(const Value& hash, std::int64_t depth, const Value& key, bool& first, const Value& description,
                   const Value& ids) {
        const Value& hashDesc = option(description, "Hash");
        if (!first) out_.repeat(separatorOf(hashDesc), u'\n');
        first = false;
        names_.clear();
        appendKeyName(key);
        begin(hash.find(key), depth, 0, names_.size(), entryDescription(option(hashDesc, "SingleData"),
                                                                          option(hashDesc, "Data"), key),
              ids);
        run();
        out_.flush();
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

    // Quoted on the stack first: the name buffer then grows by one append, not character by character.
    void appendKeyName(const Value& key) {
        char16_t piece[256];
        piece[0] = u'[';
        if (char16_t* end = key.writeQuoted(piece + 1, piece + sizeof piece / sizeof *piece - 1, false)) {
            *end++ = u']';
            names_.append(piece, static_cast<std::size_t>(end - piece));
            return;
        }
        names_ += u'[';
        key.appendQuoted(names_, false);
        names_ += u']';
    }

    void writeQuoted(const Value& text, bool forceDoubleQuotes) { out_.putQuoted(text, forceDoubleQuotes, scratch_); }

    void writePrefix(std::int64_t depth, std::size_t nameStart, std::size_t nameEnd) {
        out_.repeat(depth, u'\t');
        out_.put(std::u16string_view(names_).substr(nameStart, nameEnd - nameStart));
        out_.put(u" = ");
    }

    void writeSuffix(bool named) {
        if (named) out_.put(u";\n");
    }

    // Starts printing one value: writes a scalar whole, or opens a frame for a container. A frame
    // keeps copies of what it needs from the description and the ID table.
    void begin(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd,
               const Value& description, const Value& ids) {
        if (description.kind() == VK::Hash) return beginDescribed(data, depth, nameStart, nameEnd, description, ids);
        switch (data.kind()) {
            case VK::Hash: return beginHash(data, depth, nameStart, nameEnd, description, ids);
            case VK::Vector: return beginVector(data, depth, nameStart, nameEnd, description, ids);
            default: break;
        }
        const bool named = nameEnd > nameStart;
        if (named) writePrefix(depth, nameStart, nameEnd);
        writeScalar(data, description);
        writeSuffix(named);
    }

    // A description may register itself in the ID table, or stand for one registered before. The
    // table is this value's own copy, so a registration is seen by its members only.
    void beginDescribed(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd,
                        const Value& description, const Value& callerIds) {
        Value desc = description;
        Value ids = callerIds;
        const Value& id = option(desc, "ID");
        if (id.kind() != VK::Undef) ids.entry(id) = desc;
        const Value& ref = option(desc, "ReferenceID");
        if (ref.kind() != VK::Undef) {
            Value referenced = ids.find(Value(std::u16string_view(ref.toWideString())));
            desc = std::move(referenced);
        }
        switch (data.kind()) {
            case VK::Hash: return beginHash(data, depth, nameStart, nameEnd, desc, ids);
            case VK::Vector: return beginVector(data, depth, nameStart, nameEnd, desc, ids);
            default: break;
        }
        const bool named = nameEnd > nameStart;
        if (named) writePrefix(depth, nameStart, nameEnd);
        writeScalar(data, desc);
        writeSuffix(named);
    }

    void writeScalar(const Value& data, const Value& desc) {
        switch (data.kind()) {
            case VK::NarrowString:
            case VK::WideString:
                writeQuoted(data, desc.kind() == VK::Hash && option(option(desc, "String"), "DoubleQuote").toBoolean());
                return;
            case VK::Integer: writeInteger(out_, data.toInteger()); return;
            case VK::Float: writeFloat(out_, data.toFloat()); return;
            case VK::Boolean: out_.put(data.toBoolean() ? u"true" : u"false"); return;
            case VK::Undef: out_.put(u"undef"); return;
            default: out_.put(u"Invalid"); return;
        }
    }

    // A Hash's members go on members_, above those of the frames below, in the order they are
    // written; the frame takes them over, and they are dropped when it closes.
    void beginHash(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd,
                   const Value& desc, const Value& ids) {
        const Value& opts = option(desc, "Hash");
        const bool named = nameEnd > nameStart;
        const std::size_t start = members_.size();
        Value orderKeys;
        if (const Value& order = option(opts, "Order"); order.kind() != VK::Undef) {
            orderedMembers(data, order, orderKeys);
        } else {
            data.forEachEntry([this](const Value& key, const Value& value) { members_.push_back({&key, &value}); });
            if (option(opts, "Sort").kind() != VK::Undef) {
                const bool withCase = !option(opts, "SortNoCase").toBoolean();
                std::stable_sort(members_.begin() + static_cast<std::ptrdiff_t>(start), members_.end(),
                                 [withCase](const Member& a, const Member& b) {
                                     return a.key->compare(*b.key, 0, nullptr, withCase) < 0;
                                 });
            }
        }

        std::int32_t t = orAutomatic(option(opts, "DisplayType"));
        if (t < 0 || t > 2) {
            // Every entry is a member exactly once, whatever the order: the gaps are the only others.
            const std::uint32_t n = data.size();
            bool allTrue = n >= 2 && n <= 5;
            for (std::size_t i = start; allTrue && i < members_.size(); ++i)
                allTrue = !members_[i].key || (members_[i].value->isBoolean() && members_[i].value->toBoolean());
            t = allTrue ? 2 : (n == 1 ? 1 : 0);
        }

        if (t == 2) {
            if (named) writePrefix(depth, nameStart, nameEnd);
            out_.put(u"set(");
            for (std::size_t i = start; i < members_.size(); ++i) {
                if (!members_[i].key) continue;
                if (i > start) out_.put(u", ");  // a gap lies between two keys, never before the first
                writeQuoted(*members_[i].key, false);
            }
            out_.put(u')');
            writeSuffix(named);
            members_.resize(start);
            return;
        }

        Frame& f = push(data, depth, nameStart, nameEnd, ids, opts);
        f.members = start;
        f.count = static_cast<std::uint32_t>(members_.size() - start);
        f.keys = std::move(orderKeys);  // moves the handle: the members keep pointing at its elements
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
                     const Value& desc, const Value& ids) {
        const Value& opts = option(desc, "Vector");
        const bool named = nameEnd > nameStart;
        const std::uint32_t n = data.size();

        std::int32_t t = orAutomatic(option(opts, "DisplayType"));
        if (t < 0 || t > 3) {
            bool scalars = n <= 5;
            const Value* elements = data.elementData();
            for (std::uint32_t i = 0; scalars && i < n; ++i) scalars = !isContainer(elements[i]);
            t = scalars ? 2 : (n == 1 ? 1 : 0);
        }
        if (t == 2 && writtenInline(data, n, named, depth, nameStart, nameEnd, opts)) return;

        Frame& f = push(data, depth, nameStart, nameEnd, ids, opts);
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
                out_.put(u"vector(");
                return;
            default:
                f.layout = Layout::VectorList;
                if (named) writePrefix(depth, nameStart, nameEnd);
                out_.put(u"vector(\n");
                return;
        }
    }

    // An inline Vector of plain scalars (the usual short list of numbers or names) needs no frame:
    // it is written here whole. Returns false, having written nothing, for any other.
    bool writtenInline(const Value& data, std::uint32_t n, bool named, std::int64_t depth, std::size_t nameStart,
                       std::size_t nameEnd, const Value& opts) {
        if (option(opts, "SingleData").kind() != VK::Undef) return false;
        const Value& desc = option(opts, "Data");
        const Value* elements = data.elementData();
        for (std::uint32_t i = 0; i < n; ++i)
            if (!plain(elements[i], desc)) return false;
        if (named) writePrefix(depth, nameStart, nameEnd);
        out_.put(u"vector(");
        for (std::uint32_t i = 0; i < n; ++i) {
            if (i > 0) out_.put(u", ");
            writeScalar(elements[i], desc);
        }
        out_.put(u')');
        writeSuffix(named);
        return true;
    }

    Frame& push(const Value& data, std::int64_t depth, std::size_t nameStart, std::size_t nameEnd, const Value& ids,
                const Value& opts) {
        Frame& f = stack_.emplace_back();
        f.data = &data;
        f.ids = ids;
        f.single = option(opts, "SingleData");
        f.common = option(opts, "Data");
        f.depth = depth;
        f.nameStart = nameStart;
        f.nameEnd = nameEnd;
        f.members = members_.size();
        f.named = nameEnd > nameStart;
        return f;
    }

    // Hash.Order: the keys it names that hold a defined value, first occurrence only, in its sequence,
    // with gap markers (positive Integers) between two written keys; then the entries it did not name,
    // in table order. A named key is written as Order spells it, so `keys` keeps those texts and the
    // markers for the members to point at.
    void orderedMembers(const Value& hash, const Value& order, Value& keys) {
        keys.setEmptyVector();
        listed_.clear();
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
            Value key(std::u16string_view(e.toWideString()));
            const Value& value = hash.find(key);
            if (value.kind() == VK::Undef || !listed_.insert(&value).second) continue;
            if (gap != 0 && gap != kNoGap) keys.appendSlot() = Value(gap);
            gap = 0;
            keys.appendSlot() = std::move(key);
        }
        // Only now is `keys` complete, so its elements stay where they are.
        for (std::uint32_t i = 0; i < keys.size(); ++i) {
            const Value& k = keys.at(i);
            members_.push_back(k.isInteger() ? Member{nullptr, &k} : Member{&k, &hash.find(k)});
        }
        hash.forEachEntry([this](const Value& key, const Value& value) {
            if (!listed_.contains(&value)) members_.push_back({&key, &value});
        });
    }

    static bool braces(const Frame& f) { return f.depth != 0 || f.named; }
    static std::int64_t childDepth(const Frame& f) { return f.named ? f.depth + 1 : f.depth; }

    void openBlock(const Frame& f) {
        if (f.named) writePrefix(f.depth, f.nameStart, f.nameEnd);
        if (braces(f)) out_.put(u"{\n");
    }

    void close(const Frame& f) {
        switch (f.layout) {
            case Layout::HashBlock:
            case Layout::VectorBlock:
                if (braces(f)) {
                    out_.repeat(f.depth, u'\t');
                    out_.put(u'}');
                }
                break;
            case Layout::HashPath:
            case Layout::VectorPath: return;  // every member carried its own ";\n"
            case Layout::VectorInline: out_.put(u')'); break;
            case Layout::VectorList:
                if (f.count > 0) out_.put(u'\n');
                out_.repeat(f.depth, u'\t');
                out_.put(u')');
                break;
        }
        writeSuffix(f.named);
    }

    void run() {
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            if (f.index == f.count) {
                close(f);
                members_.resize(f.members);
                stack_.pop_back();
                continue;
            }
            const std::uint32_t i = f.index++;
            if (names_.size() != f.nameEnd) names_.resize(f.nameEnd);
            if (f.layout == Layout::HashBlock || f.layout == Layout::HashPath) nextEntry(f, i);
            else nextElement(f, i);
        }
    }

    // May push a frame: f is not used after begin().
    void nextEntry(Frame& f, std::uint32_t i) {
        const Member m = members_[f.members + i];  // a copy: a child's members may move the array
        if (!m.key) {  // a gap marker of Hash.Order
            out_.repeat(m.value->toInteger(), u'\n');
            return;
        }
        // Entries, keys and values lie wherever the table put them: ask for the next ones early.
        if (i + kEntryLookAhead < f.count) {
            const Member& ahead = members_[f.members + i + kEntryLookAhead];
            prefetch(ahead.value);  // the entry holds the key handle beside it
        }
        if (i + kLookAhead < f.count) {
            const Member& ahead = members_[f.members + i + kLookAhead];
            if (ahead.key) prefetch(ahead.key->identity());
            prefetch(ahead.value->identity());
        }
        writeEntry(f, *m.key, *m.value);
    }

    // A scalar whose description sets no options needs no name buffer and no ID table: it is
    // written here whole, straight into the output.
    static bool plain(const Value& value, const Value& desc) {
        return !isContainer(value) && desc.kind() != VK::Hash;
    }

    void writeEntry(Frame& f, const Value& key, const Value& value) {
        const bool path = f.layout == Layout::HashPath;
        if (!path) {
            if (value.kind() == VK::Undef && !f.showUndef) return;
            if (!f.first) out_.repeat(f.separatorLines, u'\n');
            f.first = false;
        }
        const Value& desc = entryDescription(f.single, f.common, key);
        if (!path && plain(value, desc)) {
            out_.repeat(childDepth(f), u'\t');
            out_.put(u'[');
            writeQuoted(key, false);
            out_.put(u"] = ");
            writeScalar(value, desc);
            out_.put(u";\n");
            return;
        }
        const std::size_t nameStart = path ? f.nameStart : f.nameEnd;
        appendKeyName(key);
        begin(value, path ? f.depth : childDepth(f), nameStart, names_.size(), desc, f.ids);
    }

    void nextElement(Frame& f, std::uint32_t i) {
        const Value& element = f.data->elementData()[i];
        const Value& desc =
            f.single.kind() == VK::Vector && f.single.hasIndex(i, true) ? f.single.at(i) : f.common;
        const std::size_t here = names_.size();
        switch (f.layout) {
            case Layout::VectorBlock:
            case Layout::VectorPath: {
                if (i > 0) out_.repeat(f.separatorLines, u'\n');
                const bool path = f.layout == Layout::VectorPath;
                if (!path && plain(element, desc)) {
                    out_.repeat(childDepth(f), u'\t');
                    if (f.noNumbers) {
                        out_.put(u"[] = ");
                    } else {
                        out_.put(u'[');
                        writeInteger(out_, static_cast<std::int32_t>(i));
                        out_.put(u"] = ");
                    }
                    writeScalar(element, desc);
                    out_.put(u";\n");
                    return;
                }
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
                if (i > 0) out_.put(u", ");
                if (plain(element, desc)) return writeScalar(element, desc);
                return begin(element, f.depth, here, here, desc, f.ids);
            case Layout::VectorList:
                if (i > 0) out_.put(u",\n");
                out_.repeat(f.depth + 1, u'\t');
                if (plain(element, desc)) return writeScalar(element, desc);
                return begin(element, f.depth + 1, here, here, desc, f.ids);
            default: return;
        }
    }

    Writer out_;
    std::u16string names_;
    std::u16string scratch_;   // the quoted form of a string too long for the output's block
    std::deque<Frame> stack_;  // a deque: pushing never moves the frames below
    std::vector<Member> members_;  // the open Hash frames' members, the innermost frame's on top
    std::unordered_set<const Value*> listed_;  // Hash.Order: values of the entries it has named
};

}  // namespace

std::u16string printConfig(const Value& data, const Value& description) {
    return printValue(data, 0, u"", description, Value());
}

std::string printConfigUtf8(const Value& data, const Value& description) {
    std::string out;
    Printer(out).value(data, 0, u"", description, Value());
    return out;
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
