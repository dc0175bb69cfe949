#include "tests/win32/real_host.h"

#include "host/module_loader.h"
#include "platform/win32/window_system_win32.h"
#include "value/text.h"

namespace orvane::wintest {
namespace {

constexpr wchar_t kFrameClass[] = L"OrvaneTestFrame";

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeFrame() {
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = frameProcedure;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kFrameClass;
    frameClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&frameClass);  // fails harmlessly when a second host registers it again
    return CreateWindowExW(0, kFrameClass, L"orvane-host", WS_OVERLAPPEDWINDOW, 40, 40, 600, 300,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

std::string programDirectory() {
    char path[MAX_PATH];
    const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of("\\/") + 1);
}

std::string moduleNextToProgram() { return programDirectory() + ORVANE_MODULE_FILE_NAME; }

void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool pick(HWND dialog, int id, const wchar_t* entry) {
    HWND box = GetDlgItem(dialog, id);
    const LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry));
    if (index == CB_ERR) return false;
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return true;
}

void type(HWND dialog, int id, const wchar_t* text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
}

HWND findOwnWindow(const wchar_t* className, const wchar_t* title) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, title); w;
         w = FindWindowExW(nullptr, w, className, title)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

RealHost::RealHost() { platform::setWindowSystem(&platform::win32::nativeWindowSystem()); }

RealHost::~RealHost() {
    plugin_.reset();
    host_.reset();
    if (frame_) DestroyWindow(frame_);
    platform::setWindowSystem(nullptr);
}

bool RealHost::start(const std::string& script, const std::string& dataDirectory,
                     std::FILE* hostOutput, std::string& why) {
    std::u16string error;
    if (!host::loadSession(script, session_, error)) {
        why = toUtf8(error);
        return false;
    }
    frame_ = makeFrame();
    if (!frame_) {
        why = "cannot make the host's frame window";
        return false;
    }
    host_ = std::make_unique<host::ReferenceHost>(session_, widen(dataDirectory), hostOutput);
    if (session_.gameServer) {
        server_ = std::make_unique<host::SimGameServer>(*session_.gameServer);
        host_->setConsole(server_.get());
    }
    plugin::CreateInterfaceFunction createInterface = nullptr;
    const std::string module = moduleNextToProgram();
    if (!host::loadModule(module, createInterface, why)) {
        why = module + ": " + why;
        return false;
    }
    plugin_.reset(createInterface(host_.get()));
    if (!plugin_) why = "CreateInterface gave no plug-in";
    return plugin_ != nullptr;
}

void RealHost::send(std::uint32_t code) {
    const void* data = code == plugin::ServerChanged    ? static_cast<const void*>(&session_.server)
                       : code == plugin::PlayersChanged ? static_cast<const void*>(&session_.players)
                       : code == plugin::RconResponse   ? static_cast<const void*>(&session_.reply)
                                                        : nullptr;
    plugin_->OnEvent(code, reinterpret_cast<std::uintptr_t>(data), 0);
    pump();
    deliverReplies();
}

void RealHost::deliverReplies() {
    host::PendingReply reply;
    // A bounded number: a server that keeps answering must not hold the test for ever.
    for (int i = 0; i < 64 && plugin_ && host_->takeReply(reply); ++i) {
        plugin_->OnEvent(plugin::RconResponse, reinterpret_cast<std::uintptr_t>(&reply.text), 0);
        pump();
    }
}

void RealHost::pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND RealHost::tab() const {
    const HWND page = host_ ? reinterpret_cast<HWND>(host_->serverTab()) : nullptr;
    if (!page || !IsWindow(page)) return nullptr;
    if (page != adopted_) {
        // The host shows the page inside its own window, sized to it.
        SetParent(page, frame_);
        RECT pageRect;
        GetWindowRect(page, &pageRect);
        RECT outer{0, 0, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
        AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(frame_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        SetWindowPos(page, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(page, SW_SHOW);
        adopted_ = page;
    }
    return page;
}

}  // namespace orvane::wintest
