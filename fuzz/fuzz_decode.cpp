// Decoding file bytes in every encoding. The first byte picks the encoding (Auto included) and
// whether a mark is written back; the rest is the file. Whatever decode() makes of the bytes,
// encode() then decode() in the encoding it settled on must give the same text back, unless the
// text holds a CR LF pair (decode folds it on the second pass) or starts with U+FEFF while no mark
// is written (decode drops it as a mark).
#include <cstdint>
#include <string_view>

#include "config/text_file.h"
#include "fuzz/fuzz_support.h"

using orvane::config::TextEncoding;
using orvane::config::TextFileBuffer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto encoding = static_cast<TextEncoding>(data[0] % 5);
    const bool writeMark = (data[0] & 0x80) == 0;
    const std::string_view bytes = orvane::fuzz::asBytes(data + 1, size - 1);

    TextFileBuffer file;
    file.encoding = encoding;
    file.decode(bytes);
    orvane::fuzz::check(file.encoding != TextEncoding::Auto, "decode left the encoding Auto");
    if (file.encoding == TextEncoding::Latin1)
        orvane::fuzz::check(file.text.size() <= bytes.size(), "Latin-1 text longer than its bytes");

    file.writeMark = writeMark;
    const std::string encoded = file.encode();
    TextFileBuffer again;
    again.encoding = file.encoding;
    again.decode(encoded);

    const bool hasCrLf = file.text.find(u"\r\n") != std::u16string::npos;
    const bool markLost = !writeMark && !file.text.empty() && file.text[0] == u'\xFEFF';
    if (!hasCrLf && !markLost) orvane::fuzz::check(again.text == file.text, "encode/decode changed the text");
    return 0;
}
