#include "plugin/tab_routing.h"

namespace orvane::plugin {

ui::ZelStringVector<char16_t> splitReplyLines(std::u16string_view reply) {
    ui::ZelStringVector<char16_t> lines;
    std::size_t start = 0;
    for (std::size_t lf = reply.find(u'\n'); lf != std::u16string_view::npos;
         lf = reply.find(u'\n', start)) {
        std::size_t end = lf;
        if (end > start && reply[end - 1] == u'\r') --end;
        lines.push_back(std::u16string(reply.substr(start, end - start)));
        start = lf + 1;
    }
    if (start < reply.size()) lines.push_back(std::u16string(reply.substr(start)));
    return lines;
}

}  // namespace orvane::plugin
