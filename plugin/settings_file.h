// Where the plug-in's settings live on disk and how they get there.
//
// The name is "<data directory>\plugin_<plug-in name>.cfg": the separator is always "\", whatever
// the platform, because the name is stored data the host's users already have; the file layer reads
// "\" as a separator where the system does not. The file is UTF-16LE with its mark and CR LF line
// ends, whatever encoding it was read in.
#pragma once

#include <string>
#include <string_view>

namespace orvane::plugin {

std::u16string settingsFilePath(std::u16string_view dataDirectory, std::u16string_view pluginName);

// Writes text as the settings file at path; false when it could not be written, in which case the
// file keeps its previous content. The only place that puts the file on disk.
bool writeSettingsFile(std::u16string_view path, std::u16string_view text);

}  // namespace orvane::plugin
