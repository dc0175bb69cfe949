// Encoding detection, byte <-> text conversion and whole-file reading and writing.
//
// Invariants: every step is one linear pass over its input; a file is read into memory whole before it
// is decoded, and written with a single write; a failed open or read leaves the buffer as it was.
#include "config/text_file.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // MinGW's C++ library defines it already
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <memory>

#include "value/text.h"

namespace orvane::config {

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr std::size_t kChunk = std::size_t{1} << 16;  // read size; files are read whole in any case

unsigned char byteAt(std::string_view bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

struct Detected {
    TextEncoding encoding;
    bool mark;
};

// Detection looks at the first bytes only: a mark, or a zero byte standing for the high half of an
// ASCII character in unmarked UTF-16.
Detected detect(std::string_view bytes) {
    if (bytes.size() < 2) return {TextEncoding::Latin1, false};
    const unsigned char b0 = byteAt(bytes, 0), b1 = byteAt(bytes, 1);
    if (b0 == 0xFF && b1 == 0xFE) return {TextEncoding::Utf16LE, true};
    if (b0 == 0xFE && b1 == 0xFF) return {TextEncoding::Utf16BE, true};
    if (bytes.size() >= 3 && b0 == 0xEF && b1 == 0xBB && byteAt(bytes, 2) == 0xBF) return {TextEncoding::Utf8, true};
    if (b0 == 0 && b1 == 0) return {TextEncoding::Latin1, false};
    if (b0 == 0) return {TextEncoding::Utf16BE, false};
    if (b1 == 0) return {TextEncoding::Utf16LE, false};
    return {TextEncoding::Latin1, false};
}

std::u16string utf16FromBytes(std::string_view bytes, bool bigEndian) {
    const std::size_t units = bytes.size() / 2;  // a trailing odd byte is dropped
    std::u16string out(units, u'\0');
    const int hi = bigEndian ? 0 : 1;
    for (std::size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(byteAt(bytes, 2 * i + hi) << 8 | byteAt(bytes, 2 * i + 1 - hi));
    return out;
}

void appendUtf16(std::string& out, std::u16string_view text, bool bigEndian) {
    const std::size_t start = out.size();
    out.resize(start + 2 * text.size());
    char* p = out.data() + start;
    for (char16_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        *p++ = bigEndian ? high : low;
        *p++ = bigEndian ? low : high;
    }
}

// Drops a leading byte-order mark and folds CR LF to LF, in place, in one pass.
void normaliseDecoded(std::u16string& text) {
    std::size_t read = !text.empty() && text[0] == kByteOrderMark ? 1 : 0;
    std::size_t write = 0;
    const std::size_t n = text.size();
    for (; read < n; ++read) {
        if (text[read] == u'\r' && read + 1 < n && text[read + 1] == u'\n') continue;
        text[write++] = text[read];
    }
    text.resize(write);
}

std::u16string withDiskLineEnds(std::u16string_view text) {
    std::size_t missing = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) ++missing;
    std::u16string out;
    out.reserve(text.size() + missing);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
        out += text[i];
    }
    return out;
}

// Paths inside the system use "\" between folders; POSIX file systems want "/".
std::string nativePath(std::string_view path) {
    std::string native(path);
#ifndef _WIN32
    for (char& c : native)
        if (c == '\\') c = '/';
#endif
    return native;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A NUL would end the name early at the C library, opening some other file: no such path opens.
std::FILE* openFile(std::string_view path, const char* mode) {
    if (path.find('\0') != std::string_view::npos) return nullptr;
    return std::fopen(nativePath(path).c_str(), mode);
}

// Grows `bytes` once to the size the file claims (plus the chunk that finds the end), so that a large
// file is not copied while it grows. Only a hint: reading goes on to end of file whatever it says.
void reserveForRest(std::FILE* file, std::string& bytes) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return;
    const long size = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0) return;
    if (size > here) bytes.reserve(static_cast<std::size_t>(size) + kChunk);
}

}  // namespace

void TextFileBuffer::setText(std::u16string newText) {
    text = std::move(newText);
    if (encoding == TextEncoding::Auto) encoding = TextEncoding::Utf16LE;
}

bool readFileBytes(std::string_view path, std::string& out) {
    FileHandle file(openFile(path, "rb"));
    if (!file) return false;

    std::string bytes;
    for (;;) {
        const std::size_t start = bytes.size();
        bytes.resize(start + kChunk);
        const std::size_t got = std::fread(bytes.data() + start, 1, kChunk, file.get());
        bytes.resize(start + got);
        if (got < kChunk) break;
        if (start == 0) reserveForRest(file.get(), bytes);
    }
    // A directory opens on some systems but cannot be read; it is no file to decode.
    if (std::ferror(file.get())) return false;
    out = std::move(bytes);
    return true;
}

bool TextFileBuffer::readFile(std::string_view path) {
    std::string bytes;
    if (!readFileBytes(path, bytes)) return false;
    decode(bytes);
    return true;
}

bool decodesByteForByte(std::string_view bytes, std::string_view& text) {
    const Detected found = detect(bytes);
    std::string_view body = bytes;
    if (found.encoding == TextEncoding::Utf8) {
        body.remove_prefix(3);
        for (char c : body)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
    } else if (found.encoding != TextEncoding::Latin1) {
        return false;
    }
    if (body.find("\r\n") != std::string_view::npos) return false;
    text = body;
    return true;
}

void TextFileBuffer::decode(std::string_view bytes) {
    if (encoding == TextEncoding::Auto) {
        const Detected found = detect(bytes);
        encoding = found.encoding;
        writeMark = found.mark;
    }
    switch (encoding) {
        case TextEncoding::Utf8: text = fromUtf8(bytes); break;
        case TextEncoding::Utf16LE: text = utf16FromBytes(bytes, false); break;
        case TextEncoding::Utf16BE: text = utf16FromBytes(bytes, true); break;
        default: text = widen(bytes); break;
    }
    normaliseDecoded(text);
}

std::string TextFileBuffer::encode() const {
    const std::u16string disk = withDiskLineEnds(text);
    std::string out;
    switch (encoding) {
        case TextEncoding::Utf8:
            if (writeMark) out = "\xEF\xBB\xBF";
            out += toUtf8(disk);
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            const bool bigEndian = encoding == TextEncoding::Utf16BE;
            out.reserve(2 * disk.size() + 2);
            if (writeMark) out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
            appendUtf16(out, disk, bigEndian);
            break;
        }
        default: out = narrow(disk); break;
    }
    return out;
}

bool TextFileBuffer::writeFile(std::u16string_view path) const {
    FileHandle file(openFile(narrow(path), "wb"));
    if (!file) return false;
    const std::string bytes = encode();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return std::fclose(file.release()) == 0 && written;
}

namespace {

// Pushes what the C library buffers for file down to the disk itself.
bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Puts from in to's place in one step: a reader sees the old file or the new one, never neither.
bool renameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool TextFileBuffer::replaceFile(std::u16string_view path, WriteFunction write) const {
    const std::string target = nativePath(narrow(path));
    const std::string temporary = target + ".tmp";
    FileHandle file(openFile(narrow(path) + ".tmp", "wb"));
    if (!file) return false;
    const std::string bytes = encode();
    const bool written = write(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                         flushToDisk(file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed && renameOver(temporary, target)) return true;
    std::remove(temporary.c_str());
    return false;
}

}  // namespace orvane::config
