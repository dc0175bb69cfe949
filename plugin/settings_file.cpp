#include "plugin/settings_file.h"

#include "config/text_file.h"
#include "value/text.h"

namespace orvane::plugin {

std::u16string settingsFilePath(std::u16string_view dataDirectory, std::u16string_view pluginName) {
    return format(u"%ls\\plugin_%ls.cfg", dataDirectory, pluginName);
}

bool writeSettingsFile(std::u16string_view path, std::u16string_view text) {
    config::TextFileBuffer file;  // a fresh buffer: UTF-16LE with its mark once text is set
    file.setText(std::u16string(text));
    // A failed save keeps the previous settings: the old file is replaced only by a complete one.
    return file.replaceFile(path);
}

}  // namespace orvane::plugin
