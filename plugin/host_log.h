// The plug-in's writes to the host's log. Code can run before CreateInterface has named a host
// (tests build plug-in objects directly); then there is no log and the line goes nowhere.
#pragma once

#include <string>
#include <utility>

#include "plugin/module_state.h"

namespace orvane::plugin::detail {

inline void hostLog(std::u16string line) {
    if (g_host != nullptr) g_host->Log(std::move(line));
}

}  // namespace orvane::plugin::detail
