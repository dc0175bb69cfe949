// The simulated desktop must behave like the window system wherever a back-end can tell.
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include "platform/window_messages.h"
#include "test_support.h"

namespace orvane::platform::sim {
namespace {

SimWindow top(std::u16string cls, std::u16string title, std::uint32_t pid = 1) {
    return {.className = std::move(cls), .title = std::move(title), .processId = pid};
}

SimWindow child(WindowHandle parent, std::u16string cls, std::u16string title, int id = 0) {
    return {.className = std::move(cls), .title = std::move(title), .parent = parent,
            .controlId = id};
}

TEST(SimDesktopFind, TopLevelWalkInCreationOrderChildSearchesUnderTheirParent) {
    SimDesktop d;
    WindowHandle a = d.createWindow(top(u"#32770", u"A"));
    WindowHandle other = d.createWindow(top(u"Other", u"A"));
    WindowHandle b = d.createWindow(top(u"#32770", u"B"));
    WindowHandle e1 = d.createWindow(child(a, u"#32770", u"one", 10));
    WindowHandle q = d.createWindow(top(u"Q", u""));
    WindowHandle qe = d.createWindow(child(q, u"#32770", u"q", 10));
    WindowHandle e2 = d.createWindow(child(a, u"#32770", u"two", 11));
    WindowHandle grand = d.createWindow(child(e1, u"Edit", u"deep", 12));

    EXPECT_EQ(d.findWindow(u"#32770", nullptr), a);
    EXPECT_EQ(d.findWindowEx(0, a, u"#32770", nullptr), b);
    EXPECT_EQ(d.findWindowEx(0, b, u"#32770", nullptr), 0u) << "children are not top-level windows";
    EXPECT_EQ(d.findWindowEx(0, a, nullptr, u"A"), other);
    EXPECT_EQ(d.findWindow(u"other", nullptr), other) << "class ignores case";
    EXPECT_EQ(d.findWindow(nullptr, u"a"), 0u) << "title does not";
    EXPECT_EQ(d.findWindow(u"", nullptr), 0u) << "an empty class is not 'any class'";

    EXPECT_EQ(d.findWindowEx(a, e1, u"#32770", nullptr), e2);
    EXPECT_EQ(d.findWindowEx(a, qe, u"#32770", nullptr), 0u) << "childAfter must be a child";
    EXPECT_EQ(d.findWindowEx(e1, 0, nullptr, u"deep"), grand);
    EXPECT_EQ(d.getDlgItem(a, 11), e2);
    EXPECT_EQ(d.getDlgItem(q, 10), qe);
    EXPECT_EQ(d.getDlgItem(a, 12), 0u) << "only direct children are dialog items";

    d.destroyWindow(a);
    EXPECT_FALSE(d.isWindow(a) || d.isWindow(e1) || d.isWindow(grand)) << "descendants go too";
    WindowHandle fresh = d.createWindow(top(u"P", u""));
    EXPECT_TRUE(fresh != a && fresh != e1) << "handles are never reused";
    EXPECT_EQ(d.createWindow(child(a, u"orphan", u"")), 0u) << "a dead parent takes no children";
    EXPECT_EQ(d.windowCount(), 5u);
}

TEST(SimDesktopWindows, TextThreadProcessShowAndEnable) {
    SimDesktop d;
    WindowHandle w = d.createWindow(top(u"C", u"[qip] 12345", 42));
    EXPECT_EQ(d.getWindowText(w, 5), u"[qip]");
    EXPECT_EQ(d.getWindowText(w, 1024), u"[qip] 12345");
    EXPECT_EQ(d.getWindowText(w, 0) + d.getWindowText(0, 10), u"");

    std::uint32_t pid = 0;
    EXPECT_NE(d.getWindowThreadProcessId(w, &pid), 0u);
    EXPECT_EQ(pid, 42u);

    const struct {
        int command;
        bool visible, minimized;
    } rows[] = {{kSwHide, false, false}, {kSwShowMinimized, true, true}, {kSwShow, true, true},
                {kSwShowNormal, true, false}, {kSwMinimize, true, true}, {kSwHide, false, true}};
    for (const auto& r : rows) {
        d.showWindowAsync(w, r.command);
        EXPECT_EQ(d.window(w)->visible, r.visible) << "show command " << r.command;
        EXPECT_EQ(d.window(w)->minimized, r.minimized) << "show command " << r.command;
    }
    EXPECT_EQ(d.showCalls().size(), std::size(rows));

    EXPECT_FALSE(d.enableWindow(w, false)) << "was enabled";
    EXPECT_TRUE(d.enableWindow(w, true)) << "was disabled";
}

TEST(SimDesktopMessages, SetTextChangesTitleAndIsRecordedWithItsText) {
    SimDesktop d;
    WindowHandle e = d.createWindow(top(u"Edit", u"old"));
    std::u16string seenTitle;
    d.setHandler(e, [&](const SimMessage&) -> LResult {
        seenTitle = d.window(e)->title;
        return 7;
    });
    std::u16string text = u"new text";
    EXPECT_EQ(d.sendMessage(e, kWmSetText, 0, reinterpret_cast<LParam>(text.c_str())), 7);
    text = u"changed afterwards";
    EXPECT_EQ(seenTitle, u"new text") << "the title is set before the handler runs";
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0].text, u"new text");
    EXPECT_EQ(d.messages()[0].targetTitle, u"old") << "the record keeps the target as it was";
}

TEST(SimDesktopMessages, PostsWaitForThePumpAndArriveInOrder) {
    SimDesktop d;
    WindowHandle w = d.createWindow(top(u"Hidden", u""));
    std::vector<WParam> seen;
    d.setHandler(w, [&](const SimMessage& m) -> LResult {
        seen.push_back(m.wParam);
        if (m.wParam == 1) d.postMessage(w, kWmKeyDown, 3, 0);  // posted while pumping
        return 0;
    });
    EXPECT_TRUE(d.postMessage(w, kWmKeyDown, 1, 0));
    EXPECT_TRUE(d.postMessage(w, kWmKeyDown, 2, 0));
    EXPECT_FALSE(d.postMessage(0x77777, kWmKeyDown, 9, 0));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(d.pendingPosts(), 2u);
    EXPECT_EQ(d.messages().size(), 3u) << "posts are recorded when made";
    EXPECT_EQ(d.pump(), 3u);
    EXPECT_EQ(seen, (std::vector<WParam>{1, 2, 3}));

    d.postMessage(w, kWmKeyDown, 4, 0);
    d.destroyWindow(w);
    EXPECT_EQ(d.pump(), 0u) << "a post to a window closed meanwhile is dropped";
    EXPECT_EQ(d.sendMessage(w, kWmClose, 0, 0), 0);
    EXPECT_EQ(test::describeMessage(d.messages().back()), "send (gone) WM_CLOSE 0 0")
        << "sends to dead windows are recorded too";
}

TEST(CurrentWindowSystem, IsAnEmptyDesktopUntilOneIsInstalled) {
    SimDesktop d;
    WindowHandle w = d.createWindow(top(u"X", u""));
    std::uint32_t pid = 5;
    for (SimDesktop* installed : {static_cast<SimDesktop*>(nullptr), &d}) {
        setWindowSystem(installed);
        EXPECT_EQ(windowSystem().findWindow(u"X", nullptr), installed ? w : 0u);
    }
    setWindowSystem(nullptr);
    windowSystem().getWindowThreadProcessId(w, &pid);
    EXPECT_EQ(pid, 0u);
}

}  // namespace
}  // namespace orvane::platform::sim
