#include "platform/win32/dialog_system_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace orvane::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "16-bit text must cross as wchar_t");
static_assert(kLvnItemChanged == static_cast<std::uint32_t>(LVN_ITEMCHANGED));
static_assert(kCbnSelChange == CBN_SELCHANGE && kEnChange == EN_CHANGE && kBnClicked == BN_CLICKED);

namespace {

HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle toHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// Win32 wants terminated text; the seam hands views.
std::wstring terminated(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

struct Anchored {
    int id;
    ControlAnchor anchor;
    RECT start;  // the control's rectangle in client coordinates when it was anchored
};

}  // namespace

struct Win32Dialogs::Context {
    Win32Dialogs* system = nullptr;
    DialogHandler* handler = nullptr;
    bool modal = false;
    int quiet = 0;      // > 0 while this side changes a control: its command notes are dropped
    SIZE client{};      // the client size the anchors were taken at
    std::vector<Anchored> anchors;
};

namespace {

using Context = Win32Dialogs::Context;

Context* contextOf(HWND dialog) {
    if (!dialog || !IsWindow(dialog)) return nullptr;
    return reinterpret_cast<Context*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// Marks a stretch in which the dialog's own command notes come from this side, not the user.
class Quiet {
public:
    explicit Quiet(HWND dialog) : context_(contextOf(dialog)) {
        if (context_) ++context_->quiet;
    }
    ~Quiet() {
        if (context_) --context_->quiet;
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    Context* context_;
};

LRESULT sendItem(WindowHandle dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    HWND control = GetDlgItem(toHwnd(dialog), id);
    if (!control) return -1;
    Quiet quiet(toHwnd(dialog));
    return SendMessageW(control, message, wParam, lParam);
}

bool hasClass(WindowHandle dialog, int id, const wchar_t* className) {
    wchar_t name[32];
    HWND control = GetDlgItem(toHwnd(dialog), id);
    return control && GetClassNameW(control, name, 32) > 0 && lstrcmpiW(name, className) == 0;
}

void relayout(HWND dialog, Context& context) {
    RECT client;
    GetClientRect(dialog, &client);
    const long dx = client.right - context.client.cx, dy = client.bottom - context.client.cy;
    for (const Anchored& a : context.anchors) {
        HWND control = GetDlgItem(dialog, a.id);
        if (!control) continue;
        const long left = a.start.left + dx * a.anchor.left / 100;
        const long top = a.start.top + dy * a.anchor.top / 100;
        const long right = a.start.right + dx * a.anchor.right / 100;
        const long bottom = a.start.bottom + dy * a.anchor.bottom / 100;
        MoveWindow(control, left, top, right - left, bottom - top, TRUE);
    }
}

void ensureCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

HINSTANCE moduleContainingThisCode() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&moduleContainingThisCode), &module);
    return module;
}

}  // namespace

struct DialogProcedure {
    static INT_PTR CALLBACK run(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            auto* context = reinterpret_cast<Context*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
            RECT client;
            GetClientRect(dialog, &client);
            context->client = {client.right, client.bottom};
            return context->handler->onInitDialog(toHandle(dialog)) ? TRUE : FALSE;
        }
        Context* context = reinterpret_cast<Context*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!context) return FALSE;
        switch (message) {
            case WM_COMMAND: {
                if (context->quiet > 0 && lParam != 0) return TRUE;
                const int id = LOWORD(wParam);
                const UINT code = HIWORD(wParam);
                const bool handled = context->handler->onCommand(toHandle(dialog), id, code);
                if (!handled && (id == IDOK || id == IDCANCEL) && code == BN_CLICKED &&
                    context->modal)
                    EndDialog(dialog, id);
                return TRUE;
            }
            case WM_NOTIFY: {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (header->code != LVN_ITEMCHANGED || context->quiet > 0) return FALSE;
                const LResult result = context->handler->onNotify(
                    toHandle(dialog), static_cast<int>(header->idFrom), header->code);
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
                return TRUE;
            }
            case WM_SIZE:
                relayout(dialog, *context);
                return FALSE;
            case WM_NCDESTROY:
                SetWindowLongPtrW(dialog, DWLP_USER, 0);
                if (!context->modal) context->system->modeless_.erase(toHandle(dialog));
                return FALSE;
            default: return FALSE;
        }
    }
};

Win32Dialogs::Win32Dialogs(void* resourceModule)
    : module_(resourceModule ? resourceModule : moduleContainingThisCode()) {}

Win32Dialogs::~Win32Dialogs() {
    std::vector<WindowHandle> open;
    for (const auto& entry : modeless_) open.push_back(entry.first);
    for (WindowHandle dialog : open) DestroyWindow(toHwnd(dialog));
    // A window of another thread cannot be destroyed from here; it must not reach its context.
    for (const auto& entry : modeless_) SetWindowLongPtrW(toHwnd(entry.first), DWLP_USER, 0);
}

WindowHandle Win32Dialogs::createDialog(int templateId, WindowHandle parent,
                                        DialogHandler& handler) {
    ensureCommonControls();
    auto context = std::make_unique<Context>();
    context->system = this;
    context->handler = &handler;
    HINSTANCE module = static_cast<HINSTANCE>(module_);
    HWND owner = toHwnd(parent);
    if (!owner) {
        // A child page needs a parent to exist at all; its host re-parents it.
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
        const auto* bytes = found ? static_cast<const WORD*>(LockResource(LoadResource(module, found)))
                                  : nullptr;
        if (!bytes) return 0;
        // DLGTEMPLATEEX keeps its style after the version, signature and help id; DLGTEMPLATE first.
        const DWORD style = bytes[1] == 0xFFFF
                                ? *reinterpret_cast<const DWORD*>(bytes + 6)
                                : *reinterpret_cast<const DWORD*>(bytes);
        if (style & WS_CHILD) owner = HWND_MESSAGE;
    }
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(templateId), owner,
                                     &DialogProcedure::run,
                                     reinterpret_cast<LPARAM>(context.get()));
    if (!dialog) return 0;
    modeless_.emplace(toHandle(dialog), std::move(context));
    return toHandle(dialog);
}

std::intptr_t Win32Dialogs::runModal(int templateId, WindowHandle parent, DialogHandler& handler) {
    ensureCommonControls();
    Context context;
    context.system = this;
    context.handler = &handler;
    context.modal = true;
    return DialogBoxParamW(static_cast<HINSTANCE>(module_), MAKEINTRESOURCEW(templateId),
                           toHwnd(parent), &DialogProcedure::run,
                           reinterpret_cast<LPARAM>(&context));
}

void Win32Dialogs::endDialog(WindowHandle dialog, std::intptr_t result) {
    if (const Context* context = contextOf(toHwnd(dialog)); context && context->modal)
        EndDialog(toHwnd(dialog), result);
}

void Win32Dialogs::destroyDialog(WindowHandle dialog) {
    if (modeless_.count(dialog) != 0) DestroyWindow(toHwnd(dialog));
}

void Win32Dialogs::setCheck(WindowHandle dialog, int id, bool checked) {
    sendItem(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32Dialogs::isChecked(WindowHandle dialog, int id) {
    return GetDlgItem(toHwnd(dialog), id) && sendItem(dialog, id, BM_GETCHECK) == BST_CHECKED;
}

void Win32Dialogs::enableControl(WindowHandle dialog, int id, bool enable) {
    if (HWND control = GetDlgItem(toHwnd(dialog), id)) EnableWindow(control, enable);
}

void Win32Dialogs::setText(WindowHandle dialog, int id, std::u16string_view text) {
    const std::wstring value = terminated(text);
    sendItem(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

std::u16string Win32Dialogs::getText(WindowHandle dialog, int id) {
    HWND control = GetDlgItem(toHwnd(dialog), id);
    if (!control) return {};
    const int length = GetWindowTextLengthW(control);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int n = GetWindowTextW(control, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}

void Win32Dialogs::anchorControl(WindowHandle dialog, int id, ControlAnchor anchor) {
    Context* context = contextOf(toHwnd(dialog));
    HWND control = GetDlgItem(toHwnd(dialog), id);
    if (!context || !control) return;
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, toHwnd(dialog), reinterpret_cast<POINT*>(&rect), 2);
    // Positions are taken against the size at which the anchors began.
    RECT client;
    GetClientRect(toHwnd(dialog), &client);
    if (context->anchors.empty()) context->client = {client.right, client.bottom};
    std::erase_if(context->anchors, [id](const Anchored& a) { return a.id == id; });
    context->anchors.push_back({id, anchor, rect});
}

int Win32Dialogs::comboInsert(WindowHandle dialog, int id, int position,
                              std::u16string_view text) {
    if (!hasClass(dialog, id, WC_COMBOBOXW)) return -1;
    const std::wstring value = terminated(text);
    const LRESULT r = sendItem(dialog, id, CB_INSERTSTRING, static_cast<WPARAM>(position),
                               reinterpret_cast<LPARAM>(value.c_str()));
    return r < 0 ? -1 : static_cast<int>(r);
}

int Win32Dialogs::comboAdd(WindowHandle dialog, int id, std::u16string_view text) {
    return comboInsert(dialog, id, -1, text);
}

void Win32Dialogs::comboReset(WindowHandle dialog, int id) {
    if (hasClass(dialog, id, WC_COMBOBOXW)) sendItem(dialog, id, CB_RESETCONTENT);
}

int Win32Dialogs::comboSetSelection(WindowHandle dialog, int id, int index) {
    if (!hasClass(dialog, id, WC_COMBOBOXW)) return -1;
    const LRESULT r = sendItem(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index));
    if (r >= 0) return static_cast<int>(r);
    // Not every implementation clears the selection for an index beyond the list; -1 always does.
    sendItem(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(-1));
    return -1;
}

int Win32Dialogs::comboSelection(WindowHandle dialog, int id) {
    if (!hasClass(dialog, id, WC_COMBOBOXW)) return -1;
    const LRESULT r = sendItem(dialog, id, CB_GETCURSEL);
    return r < 0 ? -1 : static_cast<int>(r);
}

int Win32Dialogs::listInsert(WindowHandle dialog, int id, int position, std::u16string_view text) {
    if (position < 0 || !hasClass(dialog, id, WC_LISTVIEWW)) return -1;
    std::wstring value = terminated(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = position;
    item.pszText = value.data();
    const LRESULT r = sendItem(dialog, id, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return r < 0 ? -1 : static_cast<int>(r);
}

void Win32Dialogs::listDeleteAll(WindowHandle dialog, int id) {
    if (!hasClass(dialog, id, WC_LISTVIEWW)) return;
    sendItem(dialog, id, LVM_DELETEALLITEMS);
    sendItem(dialog, id, LVM_SETSELECTIONMARK, 0, -1);
}

std::u16string Win32Dialogs::listItemText(WindowHandle dialog, int id, int index) {
    if (index < 0 || !hasClass(dialog, id, WC_LISTVIEWW)) return {};
    if (index >= sendItem(dialog, id, LVM_GETITEMCOUNT)) return {};
    // The list reports only how much it copied, so grow until the text no longer fills the buffer.
    for (std::size_t size = 256;; size *= 2) {
        std::u16string text(size, u'\0');
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = reinterpret_cast<wchar_t*>(text.data());
        item.cchTextMax = static_cast<int>(size);
        const LRESULT n = sendItem(dialog, id, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(&item));
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) + 1 < size) {
            text.resize(static_cast<std::size_t>(n));
            return text;
        }
    }
}

int Win32Dialogs::listSelectionMark(WindowHandle dialog, int id) {
    if (!hasClass(dialog, id, WC_LISTVIEWW)) return -1;
    return static_cast<int>(sendItem(dialog, id, LVM_GETSELECTIONMARK));
}

void Win32Dialogs::listSelect(WindowHandle dialog, int id, int index) {
    if (index < 0 || !hasClass(dialog, id, WC_LISTVIEWW)) return;
    const int count = static_cast<int>(sendItem(dialog, id, LVM_GETITEMCOUNT));
    if (index >= count) return;
    // Every change is made quietly first; the notes follow, one per item whose state changed, so a
    // handler reading the list sees it as the user left it.
    std::vector<int> changed;
    for (int i = 0; i < count; ++i) {
        const bool selected =
            sendItem(dialog, id, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) != 0;
        const bool want = i == index;
        if (selected != want || want) changed.push_back(i);
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = want ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        sendItem(dialog, id, LVM_SETITEMSTATE, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&item));
    }
    sendItem(dialog, id, LVM_SETSELECTIONMARK, 0, index);
    HWND list = GetDlgItem(toHwnd(dialog), id);
    for (int i : changed) {
        NMLISTVIEW note{};
        note.hdr.hwndFrom = list;
        note.hdr.idFrom = static_cast<UINT_PTR>(id);
        note.hdr.code = LVN_ITEMCHANGED;
        note.iItem = i;
        note.uChanged = LVIF_STATE;
        note.uNewState = i == index ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        SendMessageW(toHwnd(dialog), WM_NOTIFY, static_cast<WPARAM>(id),
                     reinterpret_cast<LPARAM>(&note));
    }
}

int Win32Dialogs::messageBox(WindowHandle owner, std::u16string_view text, MessageBoxKind kind) {
    // The caption is the owning window's, as a box raised from a dialog page would show.
    wchar_t caption[256] = L"";
    if (HWND root = GetAncestor(toHwnd(owner), GA_ROOT)) GetWindowTextW(root, caption, 256);
    const std::wstring value = terminated(text);
    const UINT type = MB_OK | (kind == MessageBoxKind::Information ? MB_ICONINFORMATION : 0u);
    return MessageBoxW(toHwnd(owner), value.c_str(), caption, type);
}

DialogSystem& nativeDialogSystem() {
    static Win32Dialogs system;
    return system;
}

}  // namespace orvane::platform::win32
