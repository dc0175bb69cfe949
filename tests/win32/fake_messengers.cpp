// A stand-in for one instant messenger, made of the windows the real program shows (their classes,
// titles, control ids and parent chains), for driving the module against the real desktop:
//   orvane_fake_messenger icq|miranda|msn|aim|trillian LOG READY
// Each message a sender can address to these windows is appended to LOG as one line,
//   <class> '<title>' <message> <wParam> <lParam>[ "<text>"]
// (the text for WM_SETTEXT; an lParam that is one of this program's windows is shown by name). The
// window's own housekeeping messages and the notes this program's controls send their dialogs are
// not logged; a window's minimising and hiding are, whoever asked for them. Status commands open the away-text dialogs
// inside the send that carries them, so a sender finds them as soon as its send returns.
// Once every window exists READY receives the handle of the window that takes WM_APP, which makes
// the program finish the messages queued before it and exit; after two minutes it exits anyway.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

struct Window {
    std::string name;
    WNDPROC original = nullptr;  // a system control's own procedure
    std::function<void(HWND, UINT, WPARAM, LPARAM)> react;
};

std::map<HWND, Window> g_windows;
std::FILE* g_log = nullptr;

std::string utf8(const wchar_t* text) {
    std::string out;
    if (!text) return out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 1);
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

const char* messageName(UINT message) {
    switch (message) {
        case WM_COMMAND: return "WM_COMMAND";
        case WM_SETTEXT: return "WM_SETTEXT";
        case WM_KEYDOWN: return "WM_KEYDOWN";
        case WM_CLOSE: return "WM_CLOSE";
        case BM_SETCHECK: return "BM_SETCHECK";
        case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
        case WM_SIZE: return "WM_SIZE";
        default: return nullptr;
    }
}

// The posted message being dispatched, if any.
const MSG* g_posted = nullptr;
// > 0 while a system control of ours handles a message: what its dialog gets then is its own note.
int g_insideControl = 0;

// What another program did to us: a message it sent or posted, or a change of a window's state
// that it asked for. Notes this process's own controls send their dialog are not.
bool fromOutside(HWND window, UINT message, WPARAM wParam) {
    if (message == WM_SHOWWINDOW) return true;
    if (message == WM_SIZE) return wParam == SIZE_MINIMIZED;
    if (g_insideControl > 0) return false;
    if (InSendMessage()) return true;
    return g_posted && g_posted->hwnd == window && g_posted->message == message &&
           g_posted->wParam == wParam;
}

void record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = g_windows.find(window);
    const char* name = messageName(message);
    if (it == g_windows.end() || !name || !fromOutside(window, message, wParam)) return;
    std::string line = it->second.name + " " + name + " " + std::to_string(wParam) + " ";
    const auto target = g_windows.find(reinterpret_cast<HWND>(lParam));
    line += lParam == 0 ? "0" : target != g_windows.end() ? "<" + target->second.name + ">" : "ptr";
    if (message == WM_SETTEXT) line += " \"" + utf8(reinterpret_cast<const wchar_t*>(lParam)) + "\"";
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

void react(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    record(window, message, wParam, lParam);
    if (message == WM_APP) PostQuitMessage(0);
    const auto it = g_windows.find(window);
    if (it != g_windows.end() && it->second.react) {
        const auto handler = it->second.react;  // the handler may destroy its own window
        handler(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    react(window, message, wParam, lParam);
    const auto it = g_windows.find(window);
    if (it != g_windows.end() && it->second.original) {
        ++g_insideControl;
        const LRESULT result = CallWindowProcW(it->second.original, window, message, wParam, lParam);
        --g_insideControl;
        return result;
    }
    if (message == WM_NCDESTROY) g_windows.erase(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    react(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) g_windows.erase(window);
    return message == WM_INITDIALOG;
}

void remember(HWND window, const std::wstring& className, const std::wstring& title,
              std::function<void(HWND, UINT, WPARAM, LPARAM)> reaction = {}) {
    Window& w = g_windows[window];
    w.name = utf8(className.c_str()) + " '" + utf8(title.c_str()) + "'";
    w.react = std::move(reaction);
}

// A top-level window of a class of this program's own.
HWND topLevel(const std::wstring& className, const std::wstring& title, bool visible,
              std::function<void(HWND, UINT, WPARAM, LPARAM)> reaction = {}) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, className.c_str(), title.c_str(),
                                  WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 300,
                                  200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    remember(window, className, title, std::move(reaction));
    return window;
}

HWND child(HWND parent, const std::wstring& className, const std::wstring& title, int id,
           std::function<void(HWND, UINT, WPARAM, LPARAM)> reaction = {}) {
    WNDCLASSW known{};
    const bool system = GetClassInfoW(nullptr, className.c_str(), &known) != FALSE;
    if (!system) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className.c_str();
        RegisterClassW(&windowClass);
    }
    HWND window = CreateWindowExW(0, className.c_str(), title.c_str(), WS_CHILD | WS_VISIBLE, 0, 0,
                                  100, 20, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    remember(window, className, title, std::move(reaction));
    if (system)
        g_windows[window].original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProcedure)));
    return window;
}

// A "#32770" window: only the dialog manager makes that class.
HWND dialog(const std::wstring& title, std::function<void(HWND, UINT, WPARAM, LPARAM)> reaction = {}) {
    struct alignas(4) {
        DLGTEMPLATE head;
        WORD menu, windowClass, caption;
    } blank{};
    blank.head.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    blank.head.cx = 200;
    blank.head.cy = 100;
    HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &blank.head, nullptr,
                                             dialogProcedure, 0);
    SetWindowTextW(window, title.c_str());  // before it is remembered, so not logged
    remember(window, L"#32770", title, std::move(reaction));
    return window;
}

bool isCommand(UINT message, WPARAM wParam, WPARAM command) {
    return message == WM_COMMAND && LOWORD(wParam) == command;
}

// A status's away-text dialog: an "Edit" child, closed by OK or Cancel.
void textDialog(const std::wstring& title) {
    HWND box = dialog(title, [](HWND self, UINT message, WPARAM wParam, LPARAM) {
        if (isCommand(message, wParam, IDOK) || isCommand(message, wParam, IDCANCEL))
            DestroyWindow(self);
    });
    child(box, L"Edit", L"", 1000);
}

using Table = std::map<WPARAM, const wchar_t*>;  // command -> dialog title ("" for none)

std::function<void(HWND, UINT, WPARAM, LPARAM)> commands(Table table) {
    return [table](HWND, UINT message, WPARAM wParam, LPARAM) {
        if (message != WM_COMMAND) return;
        const auto it = table.find(LOWORD(wParam));
        if (it != table.end() && *it->second) textDialog(it->second);
    };
}

HWND startIcq() {
    HWND api = topLevel(L"ICQMsgAPI Window", L"", false);
    dialog(L"ICQ", commands({{6545, L""},
                             {6291, L"Change/Confirm \"Free For Chat\" Message"},
                             {6547, L"Change / Confirm Away Message"},
                             {6223, L"Change/Confirm N/A Message"},
                             {6222, L"Change / Confirm Occupied Message"},
                             {6548, L"Change/Confirm DND Message"},
                             {6549, L""},
                             {6546, L""}}));
    return api;
}

HWND startMiranda() {
    return topLevel(L"Miranda", L"Miranda IM", true,
                    commands({{40071, L""},
                              {40072, L"Change Online Message"},
                              {40073, L"Change Away Message"},
                              {40074, L"Change DND Message"},
                              {40075, L"Change NA Message"},
                              {40076, L"Change Occupied Message"},
                              {40077, L"Change Free for Chat Message"},
                              {40078, L""},
                              {40079, L""},
                              {40080, L""}}));
}

HWND startMsn() {
    HWND hidden = topLevel(L"MSNHiddenWindowClass", L"", false);
    topLevel(L"MSBLWindowClass", L"MSN Messenger", true, [](HWND self, UINT message, WPARAM, LPARAM) {
        if (message == WM_CLOSE) DestroyWindow(self);
    });
    return hidden;
}

HWND startAim() {
    HWND notify = topLevel(L"_Oscar_StatusNotify", L"", false);
    topLevel(L"_AIM_Idle_Alarm", L"", false);
    dialog(L"Buddy List", [](HWND, UINT message, WPARAM wParam, LPARAM) {
        if (!isCommand(message, wParam, 24003) || FindWindowW(nullptr, L"Playing Game")) return;
        HWND away = topLevel(L"AwayMessage", L"Playing Game", true,
                             [](HWND self, UINT m, WPARAM w, LPARAM) {
                                 if (isCommand(m, w, IDCANCEL)) DestroyWindow(self);
                             });
        child(child(away, L"WndAte32Class", L"", 0), L"Ate32Class", L"", 0);
    });
    return notify;
}

HWND startTrillian() {
    HWND main = topLevel(L"trillian", L"Trillian", true, [](HWND, UINT message, WPARAM wParam, LPARAM) {
        if (!isCommand(message, wParam, 40019)) return;
        HWND box = dialog(L"Add Away Message");
        child(box, L"Button", L"Keep this message", 1046);
        child(box, L"Edit", L"", 1043);
        HWND button = child(box, L"Button", L"Set Away", 1047);
        g_windows[box].react = [button](HWND self, UINT m, WPARAM w, LPARAM l) {
            if (isCommand(m, w, 1047) && reinterpret_cast<HWND>(l) == button) DestroyWindow(self);
        };
    });
    child(main, L"Static", L"iconholder", 0);
    return main;
}

}  // namespace

// A fake left running by a failed test ends on its own. A named CALLBACK function: a lambda would
// take the default calling convention, which is not the callback's on 32-bit Windows.
void CALLBACK giveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); }

int main(int argc, char** argv) {
    const std::map<std::string, HWND (*)()> kinds = {{"icq", startIcq},
                                                     {"miranda", startMiranda},
                                                     {"msn", startMsn},
                                                     {"aim", startAim},
                                                     {"trillian", startTrillian}};
    const auto kind = argc == 4 ? kinds.find(argv[1]) : kinds.end();
    if (kind == kinds.end()) {
        std::fprintf(stderr, "usage: orvane_fake_messenger icq|miranda|msn|aim|trillian LOG READY\n");
        return 2;
    }
    g_log = std::fopen(argv[2], "w");
    if (!g_log) return 1;
    HWND control = kind->second();
    SetTimer(nullptr, 0, 120000, giveUp);
    if (std::FILE* ready = std::fopen(argv[3], "w")) {
        std::fprintf(ready, "%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(control)));
        std::fclose(ready);
    }
    MSG message;
    int result = 0;
    while (true) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            result = got == 0 ? static_cast<int>(message.wParam) : 1;
            break;
        }
        g_posted = &message;
        DispatchMessageW(&message);
        g_posted = nullptr;
    }
    std::fclose(g_log);
    return result;
}
