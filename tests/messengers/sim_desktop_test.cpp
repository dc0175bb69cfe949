// The simulated desktop must behave like the window system wherever a back-end can tell.
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include "platform/window_messages.h"
#include "test_support.h"

namespace orvane::platform::sim {
namespace {

SimWindow top(std::u16string cls, std::u16string title, std::uint32_t pid = 1) {
    SimWindow w;
    w.className = std::move(cls);
    w.title = std::move(title);
    w.processId = pid;
    return w;
}

SimWindow child(WindowHandle parent, std::u16string cls, std::u16string title, int id = 0) {
    SimWindow w = top(std::move(cls), std::move(title));
    w.parent = parent;
    w.controlId = id;
    return w;
}

TEST(SimDesktopFind, WalksTopLevelWindowsInCreationOrder) {
    SimDesktop d;
    WindowHandle a = d.createWindow(top(u"#32770", u"A"));
    WindowHandle other = d.createWindow(top(u"Other", u"A"));
    WindowHandle b = d.createWindow(top(u"#32770", u"B"));
    d.createWindow(child(a, u"#32770", u"inner"));

    EXPECT_EQ(d.findWindow(u"#32770", nullptr), a);
    EXPECT_EQ(d.findWindowEx(0, a, u"#32770", nullptr), b);
    EXPECT_EQ(d.findWindowEx(0, b, u"#32770", nullptr), 0u) << "children are not top-level windows";
    EXPECT_EQ(d.findWindow(nullptr, u"A"), a);
    EXPECT_EQ(d.findWindowEx(0, a, nullptr, u"A"), other);
    EXPECT_EQ(d.findWindow(nullptr, nullptr), a);
}

TEST(SimDesktopFind, ClassIgnoresCaseTitleDoesNot) {
    SimDesktop d;
    WindowHandle w = d.createWindow(top(u"Trillian", u"Trillian"));
    EXPECT_EQ(d.findWindow(u"trillian", nullptr), w);
    EXPECT_EQ(d.findWindow(nullptr, u"trillian"), 0u);
    EXPECT_EQ(d.findWindow(nullptr, u"Trillian "), 0u);
    EXPECT_EQ(d.findWindow(u"", nullptr), 0u) << "an empty class is not 'any class'";
}

TEST(SimDesktopFind, ChildSearchesStayUnderTheirParent) {
    SimDesktop d;
    WindowHandle p = d.createWindow(top(u"P", u""));
    WindowHandle q = d.createWindow(top(u"Q", u""));
    WindowHandle e1 = d.createWindow(child(p, u"Edit", u"one", 10));
    WindowHandle qe = d.createWindow(child(q, u"Edit", u"q", 10));
    WindowHandle e2 = d.createWindow(child(p, u"Edit", u"two", 11));
    WindowHandle grand = d.createWindow(child(e1, u"Edit", u"deep", 12));

    EXPECT_EQ(d.findWindowEx(p, 0, u"Edit", nullptr), e1);
    EXPECT_EQ(d.findWindowEx(p, e1, u"Edit", nullptr), e2);
    EXPECT_EQ(d.findWindowEx(p, qe, u"Edit", nullptr), 0u)
        << "childAfter must be a child of parent";
    EXPECT_EQ(d.findWindowEx(e1, 0, nullptr, u"deep"), grand);
    EXPECT_EQ(d.getDlgItem(p, 11), e2);
    EXPECT_EQ(d.getDlgItem(q, 10), qe);
    EXPECT_EQ(d.getDlgItem(p, 12), 0u) << "only direct children are dialog items";
    EXPECT_EQ(d.getDlgItem(0, 10), 0u);
    EXPECT_EQ(d.findWindowEx(0x999999, 0, nullptr, nullptr), 0u);
}

TEST(SimDesktopWindows, DestroyTakesDescendantsAndHandlesAreNeverReused) {
    SimDesktop d;
    WindowHandle p = d.createWindow(top(u"P", u""));
    WindowHandle c = d.createWindow(child(p, u"C", u""));
    WindowHandle g = d.createWindow(child(c, u"G", u""));
    WindowHandle keep = d.createWindow(top(u"K", u""));
    d.destroyWindow(p);
    EXPECT_FALSE(d.isWindow(p));
    EXPECT_FALSE(d.isWindow(c));
    EXPECT_FALSE(d.isWindow(g));
    EXPECT_TRUE(d.isWindow(keep));
    WindowHandle fresh = d.createWindow(top(u"P", u""));
    EXPECT_NE(fresh, p);
    EXPECT_NE(fresh, c);
    EXPECT_EQ(d.createWindow(child(p, u"orphan", u"")), 0u) << "a dead parent takes no children";
    EXPECT_EQ(d.windowCount(), 2u);
}

TEST(SimDesktopWindows, TextThreadProcessShowAndEnable) {
    SimDesktop d;
    WindowHandle w = d.createWindow(top(u"C", u"[qip] 12345", 42));
    EXPECT_EQ(d.getWindowText(w, 5), u"[qip]");
    EXPECT_EQ(d.getWindowText(w, 1024), u"[qip] 12345");
    EXPECT_EQ(d.getWindowText(w, 0), u"");
    EXPECT_EQ(d.getWindowText(0, 10), u"");

    std::uint32_t pid = 0;
    EXPECT_NE(d.getWindowThreadProcessId(w, &pid), 0u);
    EXPECT_EQ(pid, 42u);
    EXPECT_EQ(d.getWindowThreadProcessId(0, &pid), 0u);
    EXPECT_EQ(pid, 0u);

    struct Row {
        int command;
        bool visible;
        bool minimized;
    };
    const Row rows[] = {{kSwHide, false, false},   {kSwShowMinimized, true, true},
                        {kSwShow, true, true},     {kSwShowNormal, true, false},
                        {kSwMinimize, true, true}, {kSwHide, false, true}};
    for (const Row& r : rows) {
        d.showWindowAsync(w, r.command);
        EXPECT_EQ(d.window(w)->visible, r.visible) << "show command " << r.command;
        EXPECT_EQ(d.window(w)->minimized, r.minimized) << "show command " << r.command;
    }
    EXPECT_EQ(d.showCalls().size(), std::size(rows));

    EXPECT_FALSE(d.enableWindow(w, false)) << "was enabled";
    EXPECT_FALSE(d.window(w)->enabled);
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
    EXPECT_EQ(d.window(e)->title, u"new text");
    EXPECT_EQ(seenTitle, u"new text") << "the title is set before the handler runs";
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0].text, u"new text");
    EXPECT_EQ(d.messages()[0].targetTitle, u"old") << "the record keeps the target as it was";
}

TEST(SimDesktopMessages, HandlersOpenAndCloseWindowsInsideASend) {
    SimDesktop d;
    WindowHandle main = d.createWindow(top(u"Main", u""));
    WindowHandle dialog = 0;
    d.setHandler(main, [&](const SimMessage& m) -> LResult {
        if (m.message != kWmCommand) return 0;
        dialog = d.createWindow(top(u"#32770", u"Question"));
        d.setHandler(dialog, [&d, &dialog](const SimMessage& inner) -> LResult {
            if (inner.message == kWmCommand && inner.wParam == kIdOk) d.destroyWindow(dialog);
            return 1;
        });
        return 0;
    });
    d.sendMessage(main, kWmCommand, 5, 0);
    ASSERT_EQ(d.findWindow(nullptr, u"Question"), dialog)
        << "the dialog is there when the send returns";
    EXPECT_EQ(d.sendMessage(dialog, kWmCommand, kIdOk, 0), 1)
        << "a handler may close its own window";
    EXPECT_FALSE(d.isWindow(dialog));
    EXPECT_EQ(d.sendMessage(dialog, kWmCommand, kIdOk, 0), 0);
    EXPECT_EQ(d.messages().size(), 3u) << "sends to dead windows are recorded too";
    EXPECT_TRUE(d.messages()[2].targetClass.empty());
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
    EXPECT_TRUE(d.messages()[0].posted);
    EXPECT_EQ(d.pump(), 3u);
    EXPECT_EQ(seen, (std::vector<WParam>{1, 2, 3}));
    EXPECT_EQ(d.pendingPosts(), 0u);

    d.postMessage(w, kWmKeyDown, 4, 0);
    d.destroyWindow(w);
    EXPECT_EQ(d.pump(), 0u) << "a post to a window closed meanwhile is dropped";
}

TEST(CurrentWindowSystem, IsAnEmptyDesktopUntilOneIsInstalled) {
    setWindowSystem(nullptr);
    EXPECT_EQ(windowSystem().findWindow(nullptr, nullptr), 0u);
    EXPECT_FALSE(windowSystem().isWindow(0x1000));
    std::uint32_t pid = 5;
    windowSystem().getWindowThreadProcessId(0x1000, &pid);
    EXPECT_EQ(pid, 0u);

    SimDesktop d;
    WindowHandle w = d.createWindow(top(u"X", u""));
    setWindowSystem(&d);
    EXPECT_EQ(windowSystem().findWindow(u"X", nullptr), w);
    setWindowSystem(nullptr);
    EXPECT_EQ(windowSystem().findWindow(u"X", nullptr), 0u);
}

}  // namespace
}  // namespace orvane::platform::sim
