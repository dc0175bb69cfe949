#include "platform/sim/sim_messengers.h"

#include <algorithm>
#include <memory>
#include <span>

#include "platform/window_messages.h"

namespace orvane::platform::sim {

namespace detail {
struct MenuCommand {
    WParam value;
    const char16_t* status;
    const char16_t* dialogTitle;  // null: the status asks for no text
};
}  // namespace detail

namespace {

using detail::MenuCommand;

// What a messenger's own menu commands do.

constexpr MenuCommand kIcqCommands[] = {
    {6545, u"Online", nullptr},
    {6291, u"Free For Chat", u"Change/Confirm \"Free For Chat\" Message"},
    {6547, u"Away", u"Change / Confirm Away Message"},
    {6223, u"N/A", u"Change/Confirm N/A Message"},
    {6222, u"Occupied", u"Change / Confirm Occupied Message"},
    {6548, u"DND", u"Change/Confirm DND Message"},
    {6549, u"Privacy", nullptr},
    {6546, u"Offline", nullptr},
};

constexpr MenuCommand kMirandaCommands[] = {
    {40071, u"Offline", nullptr},
    {40072, u"Online", u"Change Online Message"},
    {40073, u"Away", u"Change Away Message"},
    {40074, u"DND", u"Change DND Message"},
    {40075, u"NA", u"Change NA Message"},
    {40076, u"Occupied", u"Change Occupied Message"},
    {40077, u"Free for Chat", u"Change Free for Chat Message"},
    {40078, u"Invisible", nullptr},
    {40079, u"On the Phone", nullptr},
    {40080, u"Out to Lunch", nullptr},
};

constexpr MenuCommand kQipCommands[] = {
    {75, u"Offline", nullptr},        {73, u"Invisible for all", nullptr},
    {72, u"Invisible", nullptr},      {71, u"Online", nullptr},
    {69, u"Do not disturb", nullptr}, {68, u"Occupied", nullptr},
    {213, u"Not Available", nullptr}, {209, u"Away", nullptr},
    {65, u"Lunch", nullptr},          {63, u"At work", nullptr},
    {62, u"At home", nullptr},        {61, u"Depression", nullptr},
    {60, u"Evil", nullptr},           {59, u"Free for chat", nullptr},
};

// The entries of the status list that the main menu's first item opens, top to bottom.
constexpr const char16_t* kMsnStatusMenu[] = {
    u"Online",       u"Busy",         u"Be Right Back",  u"Away",
    u"On The Phone", u"Out To Lunch", u"Appear Offline",
};
constexpr int kMsnMainMenuItems = 7;

constexpr WParam kMsnOpenMenu = 101;
constexpr WParam kAimNotifyCommand = 20003;
constexpr WParam kAimAwayCommand = 24003;
constexpr WParam kTrillianClassicAway = 40019;
constexpr WParam kTrillianIconAway = 30050;
constexpr WParam kTrillianFirstOnline = 5501;
constexpr WParam kTrillianLastOnline = 5520;
constexpr int kTrillianKeepBox = 1046;
constexpr int kTrillianText = 1043;
constexpr int kTrillianSetButton = 1047;

const MenuCommand* lookup(std::span<const MenuCommand> table, WParam value) {
    auto it = std::find_if(table.begin(), table.end(),
                           [&](const MenuCommand& c) { return c.value == value; });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace

SimMessenger::SimMessenger(SimDesktop& desktop, std::uint32_t processId,
                           std::u16string initialStatus)
    : desktop_(desktop), processId_(processId), status_(std::move(initialStatus)) {}

SimMessenger::~SimMessenger() {
    for (WindowHandle h : made_) desktop_.destroyWindow(h);
}

WindowHandle SimMessenger::make(const std::u16string& className, const std::u16string& title,
                                WindowHandle parent, int controlId, bool visible) {
    SimWindow w;
    w.className = className;
    w.title = title;
    w.processId = processId_;
    w.parent = parent;
    w.controlId = controlId;
    w.visible = visible;
    WindowHandle h = desktop_.createWindow(w);
    if (parent == 0) made_.push_back(h);  // children go with their top-level window
    return h;
}

std::u16string SimMessenger::windowState(WindowHandle window) const {
    if (window == 0) return u"missing";
    const SimWindow* w = desktop_.window(window);
    if (!w) return u"closed";
    if (!w->visible) return u"hidden";
    return w->minimized ? u"minimised" : u"shown";
}

std::u16string SimMessenger::describeAs(std::u16string_view name, WindowHandle mainWindow) const {
    std::u16string out(name);
    out += u": ";
    out += status_;
    if (!awayText_.empty()) {
        out += u", away text \"";
        out += awayText_;
        out += u"\"";
    }
    out += u", main window ";
    out += windowState(mainWindow);
    return out;
}

void SimMessenger::openTextDialog(const std::u16string& title) {
    if (textDialog_) desktop_.destroyWindow(textDialog_);
    WindowHandle dialog = make(u"#32770", title);
    WindowHandle edit = make(u"Edit", awayText_, dialog, 1000);
    textDialog_ = dialog;
    desktop_.setHandler(dialog, [this, dialog, edit](const SimMessage& m) -> LResult {
        if (m.message != kWmCommand || (m.wParam != kIdOk && m.wParam != kIdCancel)) return 0;
        if (m.wParam == kIdOk) awayText_ = desktop_.window(edit)->title;
        desktop_.destroyWindow(dialog);
        if (textDialog_ == dialog) textDialog_ = 0;
        return 0;
    });
}


void SimMessenger::takeMenuCommands(WindowHandle window, std::span<const MenuCommand> commands) {
    desktop_.setHandler(window, [this, commands](const SimMessage& m) -> LResult {
        if (m.message != kWmCommand) return 0;
        if (const MenuCommand* c = lookup(commands, m.wParam)) {
            status_ = c->status;
            if (c->dialogTitle) openTextDialog(c->dialogTitle);
        }
        return 0;
    });
}

// --- ICQ 2003 ---

SimIcq2003::SimIcq2003(SimDesktop& desktop, std::uint32_t processId, bool withMainWindow)
    : SimMessenger(desktop, processId, u"Online") {
    api_ = make(u"ICQMsgAPI Window", u"", 0, 0, false);
    if (!withMainWindow) return;
    main_ = make(u"#32770", u"ICQ");
    takeMenuCommands(main_, kIcqCommands);
}

std::u16string SimIcq2003::describe() const { return describeAs(u"ICQ 2003", main_); }

// --- Miranda ---

SimMiranda::SimMiranda(SimDesktop& desktop, std::uint32_t processId)
    : SimMessenger(desktop, processId, u"Offline") {
    main_ = make(u"Miranda", u"Miranda IM");
    takeMenuCommands(main_, kMirandaCommands);
}

std::u16string SimMiranda::describe() const { return describeAs(u"Miranda", main_); }

// --- QIP ---

SimQip::SimQip(SimDesktop& desktop, std::uint32_t processId, std::u16string title,
               bool withEditChild)
    : SimMessenger(desktop, processId, u"Offline") {
    main_ = make(u"TMainForm", title);
    if (withEditChild) make(u"WindowsForms10.EDIT.app.0.378734a", u"", main_);
    takeMenuCommands(main_, kQipCommands);  // QIP has no away dialogs
}

std::u16string SimQip::describe() const { return describeAs(u"QIP", main_); }

// --- MSN Messenger 7 ---

SimMsn7::SimMsn7(SimDesktop& desktop, std::uint32_t processId, bool withMainWindow)
    : SimMessenger(desktop, processId, u"Online"), hadMainWindow_(withMainWindow) {
    hidden_ = make(u"MSNHiddenWindowClass", u"", 0, 0, false);
    desktop_.setHandler(hidden_, [this](const SimMessage& m) -> LResult {
        if (m.message == kWmCommand && m.wParam == kMsnOpenMenu) {
            menu_ = Menu::Main;
            item_ = kMsnMainMenuItems - 1;
        } else if (m.message == kWmKeyDown) {
            onKey(m.wParam);
        }
        return 0;
    });
    if (!withMainWindow) return;
    main_ = make(u"MSBLWindowClass", u"MSN Messenger");
    desktop_.setHandler(main_, [this](const SimMessage& m) -> LResult {
        if (m.message == kWmClose) desktop_.destroyWindow(main_);
        return 0;
    });
}

void SimMsn7::onKey(WParam key) {
    if (menu_ == Menu::Closed) return;
    const int last =
        menu_ == Menu::Main ? kMsnMainMenuItems - 1 : int(std::size(kMsnStatusMenu)) - 1;
    if (key == kVkUp) {
        item_ = std::max(0, item_ - 1);
    } else if (key == kVkDown) {
        item_ = std::min(last, item_ + 1);
    } else if (key == kVkRight) {
        if (menu_ == Menu::Main && item_ == 0) {
            menu_ = Menu::Status;
            item_ = 0;
        }
    } else if (key == kVkReturn) {
        if (menu_ == Menu::Status) status_ = kMsnStatusMenu[item_];
        menu_ = Menu::Closed;
    }
}

std::u16string SimMsn7::describe() const {
    std::u16string out = describeAs(u"MSN Messenger 7", hadMainWindow_ ? main_ : 0);
    if (menuOpen()) out += u", menu open";
    return out;
}

// --- AIM ---

SimAim::SimAim(SimDesktop& desktop, std::uint32_t processId, Parts parts)
    : SimMessenger(desktop, processId, u"Online"), parts_(parts) {
    notify_ = make(u"_Oscar_StatusNotify", u"", 0, 0, false);
    desktop_.setHandler(notify_, [this](const SimMessage& m) -> LResult {
        if (m.message == kWmCommand && m.wParam == kAimNotifyCommand) ++notifyCommands_;
        return 0;
    });
    if (parts_.idleAlarm) idle_ = make(u"_AIM_Idle_Alarm", u"", 0, 0, false);
    if (!parts_.mainWindow) return;
    main_ = make(u"#32770", u"Buddy List");
    desktop_.setHandler(main_, [this](const SimMessage& m) -> LResult {
        if (m.message == kWmCommand && m.wParam == kAimAwayCommand) goAway();
        return 0;
    });
}

void SimAim::goAway() {
    status_ = u"Away";
    if (desktop_.isWindow(away_)) return;
    away_ = make(u"AwayMessage", u"Playing Game");
    text_ = 0;
    if (parts_.textWindow) {
        WindowHandle frame = make(u"WndAte32Class", u"", away_);
        text_ = make(u"Ate32Class", awayText_, frame);
        desktop_.setHandler(text_, [this](const SimMessage& m) -> LResult {
            if (m.message == kWmSetText) awayText_ = m.text;
            return 0;
        });
    }
    WindowHandle away = away_;
    desktop_.setHandler(away, [this, away](const SimMessage& m) -> LResult {
        if (m.message == kWmCommand && m.wParam == kIdCancel) {
            status_ = u"Online";
            awayText_.clear();
            desktop_.destroyWindow(away);
        }
        return 0;
    });
}

std::u16string SimAim::describe() const {
    std::u16string out = describeAs(u"AIM", main_);
    if (desktop_.isWindow(away_)) {
        out += u", away window ";
        out += windowState(away_);
    }
    return out;
}

// --- Trillian ---

SimTrillian::SimTrillian(SimDesktop& desktop, std::uint32_t processId, Kind kind, Parts parts)
    : SimMessenger(desktop, processId, u"Online"), kind_(kind), parts_(parts) {
    if (kind_ == Kind::Classic) {
        main_ = make(u"trillian", u"Trillian");
        desktop_.setHandler(main_, [this](const SimMessage& m) -> LResult {
            if (m.message == kWmCommand && m.wParam == kTrillianClassicAway) openAwayDialog();
            return 0;
        });
    } else {
        main_ = make(u"icoCTactTrilly", u"Trillian");
    }
    if (!parts_.iconHolder) return;
    icon_ = make(u"Static", u"iconholder", main_);
    desktop_.setHandler(icon_, [this](const SimMessage& m) -> LResult {
        if (m.message != kWmCommand) return 0;
        if (m.wParam == kTrillianIconAway) {
            openAwayDialog();
        } else if (m.wParam >= kTrillianFirstOnline && m.wParam <= kTrillianLastOnline) {
            if (std::find(online_.begin(), online_.end(), m.wParam) == online_.end())
                online_.push_back(m.wParam);
            status_ = u"Online";
        }
        return 0;
    });
}

void SimTrillian::openAwayDialog() {
    if (!parts_.awayDialog) return;
    if (textDialog_) desktop_.destroyWindow(textDialog_);
    WindowHandle dialog = make(u"#32770", u"Add Away Message");
    WindowHandle keep = make(u"Button", u"Keep this message", dialog, kTrillianKeepBox);
    WindowHandle edit = make(u"Edit", u"", dialog, kTrillianText);
    WindowHandle button = make(u"Button", u"Set Away", dialog, kTrillianSetButton);
    textDialog_ = dialog;
    auto checked = std::make_shared<bool>(true);
    desktop_.setHandler(keep, [checked](const SimMessage& m) -> LResult {
        if (m.message == kBmSetCheck) *checked = m.wParam != kBstUnchecked;
        return 0;
    });
    desktop_.setHandler(
        dialog, [this, dialog, edit, button, checked](const SimMessage& m) -> LResult {
            bool clicked = m.message == kWmCommand && m.wParam == WParam(kTrillianSetButton) &&
                           m.lParam == LParam(button);
            if (!clicked) return 0;
            status_ = u"Away";
            awayText_ = desktop_.window(edit)->title;
            keepMessage_ = *checked;
            desktop_.destroyWindow(dialog);
            if (textDialog_ == dialog) textDialog_ = 0;
            return 0;
        });
}

std::u16string SimTrillian::describe() const {
    std::u16string out =
        describeAs(kind_ == Kind::Classic ? u"Trillian (classic)" : u"Trillian", main_);
    if (status_ == u"Away") out += keepMessage_ ? u", message kept" : u", message not kept";
    return out;
}

}  // namespace orvane::platform::sim
