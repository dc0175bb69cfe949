// An in-memory desktop behind the window-system seam, for tests and the reference host.
//
// Invariants:
// - Window-manager order is creation order, top-level and among the children of one parent alike;
//   handles grow with every window made and are never reused, so a closed window's handle stays
//   dead.
// - Every sendMessage and postMessage is recorded when it is made, to live and dead targets alike,
//   with the text of a WM_SETTEXT copied at that moment.
// - A send runs the target's handler before it returns. A post is only queued: pump() delivers the
//   queue in order, as the receiving program's message loop would, so a test sees what was posted
//   apart from what it caused.
// - WM_SETTEXT, sent or pumped, sets the window's title before its handler runs (as an edit control
//   keeps its text). No other message has default handling here.
// - Handlers may create and destroy windows, their own included, and send further messages.
// - Class names match without regard to ASCII case, titles exactly, as the window system does.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace orvane::platform::sim {

struct SimMessage {
    WindowHandle target = 0;
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::u16string text;  // for WM_SETTEXT: the text lParam pointed to
    bool posted = false;
    // The target as it stood when the message was made (empty for a dead target), so a record
    // still says where a message went after that window has closed.
    std::u16string targetClass;
    std::u16string targetTitle;
};

struct ShowCall {
    WindowHandle target = 0;
    int command = 0;
};

// A window as made, and as it stands afterwards.
struct SimWindow {
    std::u16string className;
    std::u16string title;
    std::uint32_t processId = 0;
    WindowHandle parent = 0;  // 0: top-level
    int controlId = 0;
    bool visible = true;
    bool enabled = true;
    bool minimized = false;
};

class SimDesktop final : public WindowSystem {
public:
    using Handler = std::function<LResult(const SimMessage&)>;

    SimDesktop() = default;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // The parent must exist (or be 0); else nothing is made and 0 comes back.
    WindowHandle createWindow(const SimWindow& window);
    // Removes the window and its descendants with their handlers; unknown handles are ignored.
    void destroyWindow(WindowHandle window);
    void setHandler(WindowHandle window, Handler handler);

    const SimWindow* window(WindowHandle window) const;  // null once destroyed
    std::size_t windowCount() const { return windows_.size(); }

    const std::vector<SimMessage>& messages() const { return messages_; }
    const std::vector<ShowCall>& showCalls() const { return shows_; }
    void clearRecord();
    std::size_t pendingPosts() const { return queue_.size(); }
    // Delivers queued posts in order, including those posted meanwhile; returns how many it handed
    // to a live window.
    std::size_t pump();

    WindowHandle findWindow(const char16_t* className, const char16_t* title) override;
    WindowHandle findWindowEx(WindowHandle parent, WindowHandle childAfter,
                              const char16_t* className, const char16_t* title) override;
    LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override;
    bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                     LParam lParam) override;
    WindowHandle getDlgItem(WindowHandle dialog, int id) override;
    std::u16string getWindowText(WindowHandle window, int maxChars) override;
    std::uint32_t getWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) override;
    bool showWindowAsync(WindowHandle window, int showCommand) override;
    bool isWindow(WindowHandle window) override;
    bool enableWindow(WindowHandle window, bool enable) override;

private:
    struct Entry {
        SimWindow info;
        Handler handler;
    };

    LResult deliver(const SimMessage& message);
    SimMessage record(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam,
                      bool posted);

    std::map<WindowHandle, Entry> windows_;  // handle order is creation order
    std::vector<SimMessage> messages_;
    std::vector<ShowCall> shows_;
    std::deque<SimMessage> queue_;
    WindowHandle nextHandle_ = 0x1000;
};

}  // namespace orvane::platform::sim
