#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <utility>

#include "platform/window_messages.h"

namespace orvane::platform::sim {
namespace {

char16_t lowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool sameClass(const std::u16string& have, const char16_t* want) {
    if (!want) return true;
    std::u16string_view w(want);
    return have.size() == w.size() &&
           std::equal(have.begin(), have.end(), w.begin(),
                      [](char16_t a, char16_t b) { return lowerAscii(a) == lowerAscii(b); });
}

bool sameTitle(const std::u16string& have, const char16_t* want) { return !want || have == want; }

std::u16string textAt(LParam lParam) {
    const auto* text = reinterpret_cast<const char16_t*>(lParam);
    return text ? std::u16string(text) : std::u16string();
}

}  // namespace

WindowHandle SimDesktop::createWindow(const SimWindow& window) {
    if (window.parent != 0 && !windows_.contains(window.parent)) return 0;
    WindowHandle handle = nextHandle_;
    nextHandle_ += 4;  // real handles are even; keeping the habit makes stray arithmetic visible
    windows_.emplace(handle, Entry{window, nullptr});
    return handle;
}

void SimDesktop::destroyWindow(WindowHandle window) {
    if (!windows_.contains(window)) return;
    // Children are always made after their parent, so one pass in handle order finds every
    // descendant once its parent is marked.
    std::vector<WindowHandle> doomed{window};
    for (auto it = windows_.upper_bound(window); it != windows_.end(); ++it) {
        if (std::find(doomed.begin(), doomed.end(), it->second.info.parent) != doomed.end())
            doomed.push_back(it->first);
    }
    for (WindowHandle h : doomed) windows_.erase(h);
}

void SimDesktop::setHandler(WindowHandle window, Handler handler) {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.handler = std::move(handler);
}

const SimWindow* SimDesktop::window(WindowHandle window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second.info;
}

void SimDesktop::clearRecord() {
    messages_.clear();
    shows_.clear();
}

std::size_t SimDesktop::pump() {
    std::size_t delivered = 0;
    while (!queue_.empty()) {
        SimMessage message = std::move(queue_.front());
        queue_.pop_front();
        if (!windows_.contains(message.target)) continue;
        deliver(message);
        ++delivered;
    }
    return delivered;
}

LResult SimDesktop::deliver(const SimMessage& message) {
    auto it = windows_.find(message.target);
    if (it == windows_.end()) return 0;
    if (message.message == kWmSetText) it->second.info.title = message.text;
    // A copy, because the handler may destroy its own window and with it the stored function.
    Handler handler = it->second.handler;
    return handler ? handler(message) : 0;
}

WindowHandle SimDesktop::findWindow(const char16_t* className, const char16_t* title) {
    return findWindowEx(0, 0, className, title);
}

WindowHandle SimDesktop::findWindowEx(WindowHandle parent, WindowHandle childAfter,
                                      const char16_t* className, const char16_t* title) {
    if (parent != 0 && !windows_.contains(parent)) return 0;
    auto it = windows_.begin();
    if (childAfter != 0) {
        auto after = windows_.find(childAfter);
        if (after == windows_.end() || after->second.info.parent != parent) return 0;
        it = std::next(after);
    }
    for (; it != windows_.end(); ++it) {
        const SimWindow& w = it->second.info;
        if (w.parent == parent && sameClass(w.className, className) && sameTitle(w.title, title))
            return it->first;
    }
    return 0;
}

SimMessage SimDesktop::record(WindowHandle window, std::uint32_t message, WParam wParam,
                              LParam lParam, bool posted) {
    SimMessage m{window, message, wParam, lParam, {}, posted, {}, {}};
    if (message == kWmSetText) m.text = textAt(lParam);
    if (const SimWindow* w = this->window(window)) {
        m.targetClass = w->className;
        m.targetTitle = w->title;
    }
    messages_.push_back(m);
    return m;
}

LResult SimDesktop::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
    return deliver(record(window, message, wParam, lParam, false));
}

bool SimDesktop::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) {
    SimMessage m = record(window, message, wParam, lParam, true);
    if (!windows_.contains(window)) return false;
    queue_.push_back(std::move(m));
    return true;
}

WindowHandle SimDesktop::getDlgItem(WindowHandle dialog, int id) {
    if (dialog == 0) return 0;
    for (const auto& [handle, entry] : windows_) {
        if (entry.info.parent == dialog && entry.info.controlId == id) return handle;
    }
    return 0;
}

std::u16string SimDesktop::getWindowText(WindowHandle window, int maxChars) {
    const SimWindow* w = this->window(window);
    if (!w || maxChars <= 0) return {};
    return w->title.substr(0, static_cast<std::size_t>(maxChars));
}

std::uint32_t SimDesktop::getWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
    const SimWindow* w = this->window(window);
    if (processId) *processId = w ? w->processId : 0;
    // One user-interface thread per simulated process; its id only has to differ from the
    // process's.
    return w ? w->processId + 0x10000 : 0;
}

bool SimDesktop::showWindowAsync(WindowHandle window, int showCommand) {
    shows_.push_back({window, showCommand});
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    SimWindow& w = it->second.info;
    bool wasVisible = w.visible;
    switch (showCommand) {
        case kSwHide: w.visible = false; break;
        case kSwShowMinimized:
        case kSwMinimize:
        case 7:   // show minimised without activating
        case 11:  // force minimise
            w.visible = true;
            w.minimized = true;
            break;
        case kSwShowNormal:
        case 3:  // maximise
        case 9:  // restore
            w.visible = true;
            w.minimized = false;
            break;
        default: w.visible = true; break;
    }
    return wasVisible;
}

bool SimDesktop::isWindow(WindowHandle window) { return windows_.contains(window); }

bool SimDesktop::enableWindow(WindowHandle window, bool enable) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    bool wasDisabled = !it->second.info.enabled;
    it->second.info.enabled = enable;
    return wasDisabled;
}

}  // namespace orvane::platform::sim
