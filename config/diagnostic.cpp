#include "config/diagnostic.h"

namespace orvane::config {

bool reportError(std::u16string& error, std::u16string_view category, SourcePos pos,
                 std::u16string_view fmt, std::initializer_list<FormatArg> args) {
    std::u16string text = format(u"%ls (%d:%d): ", category, pos.line, pos.column);
    formatTo(text, fmt, args);
    error = std::move(text);
    return false;
}

}  // namespace orvane::config
