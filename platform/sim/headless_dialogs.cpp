#include "platform/sim/headless_dialogs.h"

#include <utility>

#include "platform/window_messages.h"

namespace orvane::platform::sim {
namespace {

bool inRange(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

}  // namespace

HeadlessDialogs::HeadlessDialogs(SimDesktop& desktop, std::span<const DialogTemplate> templates,
                                 std::uint32_t processId)
    : desktop_(desktop), templates_(templates), processId_(processId) {}

HeadlessDialogs::~HeadlessDialogs() {
    for (const auto& [window, dialog] : dialogs_) desktop_.destroyWindow(window);
}

WindowHandle HeadlessDialogs::open(int templateId, WindowHandle parent, DialogHandler& handler,
                                   bool modal) {
    const DialogTemplate* tmpl = nullptr;
    for (const DialogTemplate& t : templates_)
        if (t.id == templateId) tmpl = &t;
    if (!tmpl) return 0;
    if (!modal && parent != 0 && !desktop_.isWindow(parent)) return 0;

    SimWindow frame;
    frame.className = u"#32770";
    frame.title = tmpl->title;
    frame.processId = processId_;
    frame.parent = modal ? 0 : parent;
    const WindowHandle window = desktop_.createWindow(frame);
    if (!window) return 0;

    Dialog dialog;
    dialog.templateId = templateId;
    dialog.handler = &handler;
    dialog.owner = parent;
    dialog.modal = modal;
    for (const ControlTemplate& c : tmpl->controls) {
        SimWindow child;
        child.className = controlClassName(c.kind);
        child.title = c.text;
        child.processId = processId_;
        child.parent = window;
        child.controlId = c.id;
        child.enabled = (c.style & kWsDisabled) == 0;
        HeadlessControl control;
        control.id = c.id;
        control.kind = c.kind;
        control.window = desktop_.createWindow(child);
        control.text = c.text;
        dialog.controls.push_back(std::move(control));
    }
    dialogs_.emplace(window, std::move(dialog));
    handler.onInitDialog(window);
    return window;
}

WindowHandle HeadlessDialogs::createDialog(int templateId, WindowHandle parent,
                                           DialogHandler& handler) {
    return open(templateId, parent, handler, false);
}

std::intptr_t HeadlessDialogs::runModal(int templateId, WindowHandle parent,
                                        DialogHandler& handler) {
    const WindowHandle window = open(templateId, parent, handler, true);
    if (!window) return -1;
    auto ended = [&] {
        const Dialog* d = live(window);
        return !d || d->ended;
    };
    if (!ended() && user_) {
        User user = user_;  // the user may replace itself while it acts
        user(*this, window);
    }
    if (!ended()) command(window, static_cast<int>(kIdCancel), kBnClicked);
    if (!ended()) endDialog(window, static_cast<std::intptr_t>(kIdCancel));

    auto it = dialogs_.find(window);
    if (it == dialogs_.end()) return -1;  // destroyed during the run without being ended
    const std::intptr_t result = it->second.ended ? it->second.result : -1;
    destroyDialog(window);
    return result;
}

void HeadlessDialogs::endDialog(WindowHandle dialog, std::intptr_t result) {
    auto it = dialogs_.find(dialog);
    if (it == dialogs_.end() || !it->second.modal || it->second.ended) return;
    it->second.ended = true;
    it->second.result = result;
}

void HeadlessDialogs::destroyDialog(WindowHandle dialog) {
    if (dialogs_.erase(dialog) != 0) desktop_.destroyWindow(dialog);
}

HeadlessDialogs::Dialog* HeadlessDialogs::live(WindowHandle dialog) {
    auto it = dialogs_.find(dialog);
    if (it == dialogs_.end() || !desktop_.isWindow(dialog)) return nullptr;
    return &it->second;
}

HeadlessControl* HeadlessDialogs::find(WindowHandle dialog, int id) {
    Dialog* d = live(dialog);
    if (!d) return nullptr;
    for (HeadlessControl& c : d->controls)
        if (c.id == id) return &c;
    return nullptr;
}

HeadlessControl* HeadlessDialogs::findEnabled(WindowHandle dialog, int id, ControlKind kind) {
    HeadlessControl* c = find(dialog, id);
    if (!c || c->kind != kind) return nullptr;
    const SimWindow* w = desktop_.window(c->window);
    return w && w->enabled ? c : nullptr;
}

std::optional<HeadlessControl> HeadlessDialogs::control(WindowHandle dialog, int id) const {
    // find() only reads; the cast spares a second copy of the lookup.
    HeadlessControl* c = const_cast<HeadlessDialogs*>(this)->find(dialog, id);
    if (!c) return std::nullopt;
    HeadlessControl copy = *c;
    const SimWindow* w = desktop_.window(c->window);
    copy.enabled = w && w->enabled;
    return copy;
}

int HeadlessDialogs::templateOf(WindowHandle dialog) const {
    auto it = dialogs_.find(dialog);
    return it == dialogs_.end() ? 0 : it->second.templateId;
}

void HeadlessDialogs::command(WindowHandle dialog, int id, std::uint32_t code) {
    Dialog* d = live(dialog);
    if (!d) return;
    const bool handled = d->handler->onCommand(dialog, id, code);
    const bool closing = id == static_cast<int>(kIdOk) || id == static_cast<int>(kIdCancel);
    if (!handled && closing && code == kBnClicked) endDialog(dialog, id);
}

void HeadlessDialogs::notify(WindowHandle dialog, int id, std::uint32_t code) {
    if (Dialog* d = live(dialog)) d->handler->onNotify(dialog, id, code);
}

// --- the user's acts ---

bool HeadlessDialogs::click(WindowHandle dialog, int id) {
    HeadlessControl* c = findEnabled(dialog, id, ControlKind::CheckBox);
    if (c) {
        c->checked = !c->checked;
    } else if (!findEnabled(dialog, id, ControlKind::PushButton)) {
        return false;
    }
    command(dialog, id, kBnClicked);
    return true;
}

bool HeadlessDialogs::pickComboEntry(WindowHandle dialog, int id, int index) {
    HeadlessControl* c = findEnabled(dialog, id, ControlKind::ComboBox);
    if (!c || !inRange(index, c->items.size())) return false;
    c->selection = index;
    command(dialog, id, kCbnSelChange);
    return true;
}

bool HeadlessDialogs::typeText(WindowHandle dialog, int id, std::u16string_view text) {
    HeadlessControl* c = findEnabled(dialog, id, ControlKind::Edit);
    if (!c) return false;
    c->text = text;
    command(dialog, id, kEnChange);
    return true;
}

bool HeadlessDialogs::selectListItem(WindowHandle dialog, int id, int index) {
    HeadlessControl* c = findEnabled(dialog, id, ControlKind::ListView);
    if (!c || !inRange(index, c->items.size())) return false;
    listSelect(dialog, id, index);
    return true;
}

// --- controls ---

void HeadlessDialogs::setCheck(WindowHandle dialog, int id, bool checked) {
    if (HeadlessControl* c = find(dialog, id); c && c->kind == ControlKind::CheckBox)
        c->checked = checked;
}

bool HeadlessDialogs::isChecked(WindowHandle dialog, int id) {
    const HeadlessControl* c = find(dialog, id);
    return c && c->checked;
}

void HeadlessDialogs::enableControl(WindowHandle dialog, int id, bool enable) {
    if (const HeadlessControl* c = find(dialog, id)) desktop_.enableWindow(c->window, enable);
}

void HeadlessDialogs::setText(WindowHandle dialog, int id, std::u16string_view text) {
    if (HeadlessControl* c = find(dialog, id)) c->text = text;
}

std::u16string HeadlessDialogs::getText(WindowHandle dialog, int id) {
    const HeadlessControl* c = find(dialog, id);
    return c ? c->text : std::u16string();
}

void HeadlessDialogs::anchorControl(WindowHandle dialog, int id, ControlAnchor anchor) {
    if (HeadlessControl* c = find(dialog, id)) c->anchor = anchor;
}

int HeadlessDialogs::comboInsert(WindowHandle dialog, int id, int position,
                                 std::u16string_view text) {
    HeadlessControl* c = find(dialog, id);
    if (!c || c->kind != ControlKind::ComboBox) return -1;
    const int size = static_cast<int>(c->items.size());
    if (position == -1) position = size;
    if (position < 0 || position > size) return -1;
    c->items.insert(c->items.begin() + position, std::u16string(text));
    if (c->selection >= position) ++c->selection;
    return position;
}

int HeadlessDialogs::comboAdd(WindowHandle dialog, int id, std::u16string_view text) {
    return comboInsert(dialog, id, -1, text);
}

void HeadlessDialogs::comboReset(WindowHandle dialog, int id) {
    if (HeadlessControl* c = find(dialog, id); c && c->kind == ControlKind::ComboBox) {
        c->items.clear();
        c->selection = -1;
    }
}

int HeadlessDialogs::comboSetSelection(WindowHandle dialog, int id, int index) {
    HeadlessControl* c = find(dialog, id);
    if (!c || c->kind != ControlKind::ComboBox) return -1;
    c->selection = inRange(index, c->items.size()) ? index : -1;
    return c->selection;
}

int HeadlessDialogs::comboSelection(WindowHandle dialog, int id) {
    const HeadlessControl* c = find(dialog, id);
    return c && c->kind == ControlKind::ComboBox ? c->selection : -1;
}

int HeadlessDialogs::listInsert(WindowHandle dialog, int id, int position,
                                std::u16string_view text) {
    HeadlessControl* c = find(dialog, id);
    if (!c || c->kind != ControlKind::ListView || position < 0) return -1;
    const int size = static_cast<int>(c->items.size());
    if (position > size) position = size;
    c->items.insert(c->items.begin() + position, std::u16string(text));
    c->itemSelected.insert(c->itemSelected.begin() + position, false);
    if (c->selectionMark >= position) ++c->selectionMark;
    return position;
}

void HeadlessDialogs::listDeleteAll(WindowHandle dialog, int id) {
    if (HeadlessControl* c = find(dialog, id); c && c->kind == ControlKind::ListView) {
        c->items.clear();
        c->itemSelected.clear();
        c->selectionMark = -1;
    }
}

std::u16string HeadlessDialogs::listItemText(WindowHandle dialog, int id, int index) {
    const HeadlessControl* c = find(dialog, id);
    if (!c || c->kind != ControlKind::ListView || !inRange(index, c->items.size())) return {};
    return c->items[static_cast<std::size_t>(index)];
}

int HeadlessDialogs::listSelectionMark(WindowHandle dialog, int id) {
    const HeadlessControl* c = find(dialog, id);
    return c && c->kind == ControlKind::ListView ? c->selectionMark : -1;
}

void HeadlessDialogs::listSelect(WindowHandle dialog, int id, int index) {
    HeadlessControl* c = find(dialog, id);
    if (!c || c->kind != ControlKind::ListView || !inRange(index, c->items.size())) return;
    // Every state change is made, and the mark moved, before any note goes out, so a handler
    // reading the list sees it as the user left it.
    int changed = 0;
    for (std::size_t i = 0; i < c->itemSelected.size(); ++i) {
        const bool want = static_cast<int>(i) == index;
        if (c->itemSelected[i] != want || want) ++changed;
        c->itemSelected[i] = want;
    }
    c->selectionMark = index;
    for (int i = 0; i < changed; ++i) notify(dialog, id, kLvnItemChanged);
}

int HeadlessDialogs::messageBox(WindowHandle owner, std::u16string_view text,
                                MessageBoxKind kind) {
    boxes_.push_back({owner, std::u16string(text), kind});
    return static_cast<int>(kIdOk);
}

}  // namespace orvane::platform::sim
