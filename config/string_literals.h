// The Values of string literals, shared between uses of the same text. Internal to the loader.
//
// The same short texts come back again and again as keys and values (every record of a settings
// file names the same members): a small two-way cache hands out one shared Value per text, so
// a file with many records keeps one body for each such text instead of one per use. Longer texts
// are rarely repeated and go past it. Sharing is invisible to readers: a Value is copy-on-write.
// A text is kept only when it comes back while its set still remembers its hash, so the texts that
// appear once (a million distinct keys) neither cost a copy nor push out the ones that repeat; and
// while nearly every lookup misses, texts go past the cache unlooked-for, a few thousand at a time.
//
// A text may come as 16-bit units or as Latin-1 bytes straight from the input; both forms of the
// same text hash alike and find the same set, so which form a reader hands in never changes what
// is shared.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "value/value.h"

namespace orvane::config::detail {

class StringLiterals {
public:
    // A WideString holding `text`: the kept one, valid until the next call, or else `scratch` set to
    // it. For a kept one, *hashCode (when given) is set to its hashCode(), which is kept with it.
    const Value& shared(std::u16string_view text, Value& scratch, std::uint32_t* hashCode = nullptr) {
        return share(text.data(), text.size(), scratch, hashCode);
    }
    // The same for Latin-1 bytes, each the unit of the same value; a text already kept is not widened.
    const Value& shared(std::string_view latin1, Value& scratch, std::uint32_t* hashCode = nullptr) {
        return share(latin1.data(), latin1.size(), scratch, hashCode);
    }
    // Sets `result` to a WideString holding `text`.
    void value(std::u16string_view text, Value& result) {
        const Value& v = shared(text, result);
        if (&v != &result) result = v;
    }

private:
    template <class C>
    const Value& share(const C* text, std::size_t n, Value& result, std::uint32_t* hashCode) {
        if (n > kLongest || passing_ > 0) {
            if (n <= kLongest) --passing_;
            setWide(text, n, result);
            return result;
        }
        if (++looked_ == kWindow) {
            if (hits_ < kWindow / 16) passing_ = kPass;
            looked_ = hits_ = 0;
        }
        if (sets_.empty()) sets_.resize(kSets);
        const Words words = wordsOf(text, n);
        const std::uint64_t h = hashOf(words, text, n);
        const auto tag = static_cast<std::uint32_t>(h);
        Set& set = sets_[h >> (64 - kSetBits)];
        for (unsigned w = 0; w < 2; ++w) {
            const Way& way = set.ways[w];
            // Up to eight units, the two words are the text; past that the kept text decides.
            if (way.kept == tag && way.words.first == words.first && way.words.last == words.last &&
                way.length == n && way.value.identity() && (n <= 8 || sameText(way.text, text, n))) {
                set.nextKept = static_cast<unsigned char>(w ^ 1);  // the text used last stays
                ++hits_;
                if (hashCode) *hashCode = way.hashCode;
                return way.value;
            }
        }
        setWide(text, n, result);
        if (set.seen[0] != tag && set.seen[1] != tag) {
            set.seen[set.nextSeen] = tag;
            set.nextSeen ^= 1;
            return result;
        }
        Way& way = set.ways[set.nextKept];
        set.nextKept ^= 1;
        if (n > 8) way.text = result.toWideString();
        way.value = result;
        way.words = words;
        way.length = static_cast<std::uint32_t>(n);
        way.hashCode = result.hashCode();
        way.kept = tag;
        return result;
    }

    // Bytes are widened on the stack when the text is short enough to be kept, else in wide_, a
    // buffer reused from one long text to the next.
    template <class C>
    void setWide(const C* text, std::size_t n, Value& result) {
        if constexpr (std::is_same_v<C, char16_t>) {
            result.setWideString(std::u16string_view(text, n));
        } else if (n <= kLongest) {
            char16_t units[kLongest];
            for (std::size_t i = 0; i < n; ++i) units[i] = unitOf(text[i]);
            result.setWideString(std::u16string_view(units, n));
        } else {
            wide_.resize(n);
            for (std::size_t i = 0; i < n; ++i) wide_[i] = unitOf(text[i]);
            result.setWideString(wide_);
        }
    }

    static char16_t unitOf(char16_t c) { return c; }
    static char16_t unitOf(char c) { return static_cast<unsigned char>(c); }

    template <class C>
    static bool sameText(const std::u16string& kept, const C* text, std::size_t n) {
        if (kept.size() != n) return false;
        if constexpr (std::is_same_v<C, char16_t>) {
            return std::memcmp(kept.data(), text, n * sizeof(char16_t)) == 0;
        } else {
            for (std::size_t i = 0; i < n; ++i)
                if (kept[i] != unitOf(text[i])) return false;
            return true;
        }
    }

    // Four units from p, unit i in bits 16i .. 16i + 15 whatever the form.
    static std::uint64_t word(const char16_t* p) {
        if constexpr (std::endian::native == std::endian::little) {
            std::uint64_t w;
            std::memcpy(&w, p, sizeof w);
            return w;
        } else {
            return std::uint64_t{p[0]} | std::uint64_t{p[1]} << 16 | std::uint64_t{p[2]} << 32 |
                   std::uint64_t{p[3]} << 48;
        }
    }
    static std::uint64_t word(const char* p) {
        std::uint32_t bytes;
        std::memcpy(&bytes, p, sizeof bytes);
        if constexpr (std::endian::native != std::endian::little) bytes = byteSwap(bytes);
        std::uint64_t w = bytes;  // spread each byte to the low half of its own 16-bit lane
        w = (w | w << 16) & 0x0000FFFF0000FFFFu;
        return (w | w << 8) & 0x00FF00FF00FF00FFu;
    }
    static std::uint32_t byteSwap(std::uint32_t x) {
        return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
    }

    // The first and the last four units (overlapping below eight units; below four, all of them
    // in `first` and none in `last`).
    struct Words {
        std::uint64_t first = 0, last = 0;
    };
    template <class C>
    static Words wordsOf(const C* p, std::size_t n) {
        Words w;
        if (n >= 4) {
            w.first = word(p);
            w.last = word(p + n - 4);
        } else {
            for (std::size_t i = 0; i < n; ++i) w.first |= std::uint64_t{unitOf(p[i])} << (16 * i);
        }
        return w;
    }

    // The texts are short, and a hash that chained a multiply per four units was a sixth of a load:
    // the two end words take multiplies that do not wait on each other, and the words between them
    // (past eight units) chain only a rotation each. The top bits pick the set, the low 32 the tag.
    template <class C>
    static std::uint64_t hashOf(Words w, const C* p, std::size_t n) {
        std::uint64_t middle = 0;
        for (std::size_t i = 4; i + 4 < n; i += 4) middle = std::rotl(middle, 21) ^ (word(p + i) * 0xD6E8FEB86659FD93u);
        std::uint64_t h = (w.first * 0x9E3779B97F4A7C15u) ^ (w.last * 0xC2B2AE3D27D4EB4Fu) ^
                          (middle + n * 0x165667B19E3779F9u);
        h ^= h >> 29;
        h *= 0xFF51AFD7ED558CCDu;
        return h ^ (h >> 32);
    }

    // Two texts of a file may well share a set: with one way and one remembered tag, two that take
    // turns there would each push the other's tag out before it came back, and neither would ever be
    // kept. A new text takes the way used less recently; the remembered tags are replaced in turn.
    static constexpr unsigned kSetBits = 8;
    static constexpr std::size_t kSets = std::size_t{1} << kSetBits;
    static constexpr std::size_t kLongest = 40;
    struct Way {
        std::uint32_t kept = 0;    // the tag of the kept text, checked first: the value lies elsewhere
        std::uint32_t length = 0;  // units of the kept text
        std::uint32_t hashCode = 0;  // value.hashCode(), which the table of every key asks for
        Words words;               // its end words
        Value value;               // the kept text's shared Value; null while none is kept
        std::u16string text;       // the kept text when it is longer than its end words
    };
    struct Set {
        Way ways[2];
        std::uint32_t seen[2] = {0, 0};  // the tags of the last two texts that came here and were not kept
        unsigned char nextKept = 0, nextSeen = 0;
    };
    // Texts that never come back (a million distinct keys) would each pay a lookup for nothing: when
    // fewer than one in sixteen of a window of lookups hit, the next kPass texts go straight past.
    static constexpr std::uint32_t kWindow = 256, kPass = 4096;
    std::uint32_t looked_ = 0, hits_ = 0, passing_ = 0;
    std::vector<Set> sets_;
    std::u16string wide_;  // a long Latin-1 text, widened
};

}  // namespace orvane::config::detail
