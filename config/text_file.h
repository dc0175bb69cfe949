// Text files of the configuration language: bytes on disk <-> 16-bit text in memory.
//
// In memory a line ends in a single LF; on disk it ends in CR LF. decode() folds CR LF to LF and keeps a
// lone CR; encode() puts a CR before every LF that lacks one, so text read and written again keeps its
// lines. Conversion never fails: what an encoding cannot hold is written as '?'.
//
//   TextFileBuffer file;                 // encoding Auto: detected from the bytes on reading
//   if (file.readFile("data\\orvane.cfg")) use(file.text);
//   file.setText(u"a = 1;\n");           // an Auto buffer becomes UTF-16LE, with its mark
//   file.writeFile(u"data\\orvane.cfg");
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace orvane::config {

// WARNING: the codes are a contract (they are stored and compared as numbers); do not reorder.
enum class TextEncoding : std::uint32_t {
    Auto = 0,     // detect on the next decode
    Latin1 = 1,   // one byte per character, never a mark
    Utf8 = 2,     // mark EF BB BF
    Utf16LE = 3,  // mark FF FE
    Utf16BE = 4,  // mark FE FF
};

// Reads the whole file as it is on disk; false, with `bytes` untouched, when it cannot be opened or
// read. On POSIX systems a "\" in the path is taken as a directory separator.
bool readFileBytes(std::string_view path, std::string& bytes);

// When decode() of a file's bytes (its encoding detected) would give exactly one character per byte,
// each of the byte's own value, sets `text` to those bytes and answers true: a Latin-1 file, or a
// UTF-8 one holding only ASCII (its mark left out), in either case without a CR LF line end. A reader
// can then use the bytes where they lie instead of a widened copy.
bool decodesByteForByte(std::string_view bytes, std::string_view& text);

struct TextFileBuffer {
    std::u16string text;                         // the decoded content, lines ending in LF
    TextEncoding encoding = TextEncoding::Auto;  // as found on reading, or as to be written
    bool writeMark = true;                       // reading: a mark was found; writing: write one

    // Replaces the text; an Auto buffer becomes Utf16LE so that it can be written as it stands.
    void setText(std::u16string newText);

    // Reads and decodes the whole file. False, with the buffer untouched, when the file cannot be
    // opened or read. On POSIX systems a "\" in the path is taken as a directory separator.
    bool readFile(std::string_view path);

    // Sets `text` from raw file bytes, detecting the encoding first when it is Auto.
    void decode(std::string_view bytes);

    // The bytes to write for `text` in `encoding`, mark included when `writeMark` asks for one.
    std::string encode() const;

    // Creates or truncates the file and writes encode() to it. The path is narrowed by the Latin-1
    // rule ('?' for characters above 255). False when the file cannot be opened or written.
    bool writeFile(std::u16string_view path) const;

    // The one call through which replaceFile moves bytes, fwrite's shape, so a test can fail it.
    using WriteFunction = std::size_t (*)(const void* data, std::size_t size, std::size_t count,
                                          std::FILE* file);

    // writeFile for data that must not be lost: encode() goes to "<path>.tmp" beside the file, is
    // flushed to the disk, and then takes the file's place in one atomic rename. A failure at any
    // step (a full disk, a crash) leaves the old file as it was and removes the temporary one.
    bool replaceFile(std::u16string_view path, WriteFunction write = std::fwrite) const;
};

}  // namespace orvane::config
