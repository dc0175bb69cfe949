// Simulated instant messengers on a SimDesktop. Each makes the windows its real counterpart shows,
// reacts to the window messages that program understands, and remembers what it would now show: its
// status, its away text and the state of its main window (describe()).
//
// Invariants:
// - A messenger knows its commands from its own tables, not from the plug-in's, so the two sides
//   check each other.
// - A messenger owns the windows it made: its destructor closes those still open. It must therefore
//   die before its desktop, and it cannot move (its windows' handlers point at it).
// - Away-text dialogs open synchronously inside the send that asks for them and close on OK (taking
//   the text typed into them) or Cancel (keeping the old text).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace orvane::platform::sim {

namespace detail {
struct MenuCommand;  // a status command value, the status it sets and its away dialog's title
}

class SimMessenger {
public:
    SimMessenger(const SimMessenger&) = delete;
    SimMessenger& operator=(const SimMessenger&) = delete;
    virtual ~SimMessenger();

    // One line: name, status, away text, main window state ("shown", "hidden", "minimised",
    // "closed"), plus anything peculiar to the messenger.
    virtual std::u16string describe() const = 0;

    const std::u16string& status() const { return status_; }
    const std::u16string& awayText() const { return awayText_; }
    std::uint32_t processId() const { return processId_; }

protected:
    SimMessenger(SimDesktop& desktop, std::uint32_t processId, std::u16string initialStatus);

    // Makes a window of this messenger's process and remembers it for the destructor.
    WindowHandle make(const std::u16string& className, const std::u16string& title,
                      WindowHandle parent = 0, int controlId = 0, bool visible = true);
    std::u16string windowState(WindowHandle window) const;
    // "<name>: <status>, away text "<text>", main window <state>"
    std::u16string describeAs(std::u16string_view name, WindowHandle mainWindow) const;
    // A "#32770" dialog titled title with one "Edit" child prefilled with the current away text;
    // OK takes the edit's text as the away text, both OK and Cancel close it. Any dialog of this
    // messenger still open is closed first.
    void openTextDialog(const std::u16string& title);
    // Lets window take the status commands of the table as WM_COMMAND: each sets its status and
    // opens its away-text dialog when it has one.
    void takeMenuCommands(WindowHandle window, std::span<const detail::MenuCommand> commands);

    SimDesktop& desktop_;
    std::uint32_t processId_;
    std::u16string status_;
    std::u16string awayText_;
    WindowHandle textDialog_ = 0;

private:
    std::vector<WindowHandle> made_;
};

// Its hidden API window and, in the same process, its "#32770" main window.
class SimIcq2003 final : public SimMessenger {
public:
    SimIcq2003(SimDesktop& desktop, std::uint32_t processId, bool withMainWindow = true);
    std::u16string describe() const override;
    WindowHandle apiWindow() const { return api_; }
    WindowHandle mainWindow() const { return main_; }

private:
    WindowHandle api_ = 0;
    WindowHandle main_ = 0;
};

class SimMiranda final : public SimMessenger {
public:
    SimMiranda(SimDesktop& desktop, std::uint32_t processId);
    std::u16string describe() const override;
    WindowHandle mainWindow() const { return main_; }

private:
    WindowHandle main_ = 0;
};

class SimQip final : public SimMessenger {
public:
    SimQip(SimDesktop& desktop, std::uint32_t processId, std::u16string title = u"[qip] 100200300",
           bool withEditChild = true);
    std::u16string describe() const override;
    WindowHandle mainWindow() const { return main_; }

private:
    WindowHandle main_ = 0;
};

// Works out the chosen status from the command and key strokes posted to its hidden window, walking
// its menu as a user's keys would: the main menu opens on its last item, Up and Down stop at the
// ends, Right on the first item opens the status list, Return picks.
class SimMsn7 final : public SimMessenger {
public:
    SimMsn7(SimDesktop& desktop, std::uint32_t processId, bool withMainWindow = true);
    std::u16string describe() const override;
    WindowHandle hiddenWindow() const { return hidden_; }
    WindowHandle mainWindow() const { return main_; }
    bool menuOpen() const { return menu_ != Menu::Closed; }

private:
    enum class Menu { Closed, Main, Status };
    void onKey(WParam key);

    WindowHandle hidden_ = 0;
    WindowHandle main_ = 0;
    bool hadMainWindow_ = false;
    Menu menu_ = Menu::Closed;
    int item_ = 0;
};

// Status-notify and idle-alarm windows, the "#32770" buddy list, and the "Playing Game" away window
// (holding WndAte32Class, which holds the Ate32Class text window) that the away command opens.
// Away while that window is open; its Cancel ("I'm back") closes it.
class SimAim final : public SimMessenger {
public:
    struct Parts {
        bool idleAlarm = true;
        bool mainWindow = true;
        bool textWindow = true;  // the away window's inner text window
    };
    SimAim(SimDesktop& desktop, std::uint32_t processId, Parts parts);
    explicit SimAim(SimDesktop& desktop, std::uint32_t processId)
        : SimAim(desktop, processId, Parts{}) {}
    std::u16string describe() const override;
    WindowHandle mainWindow() const { return main_; }
    WindowHandle notifyWindow() const { return notify_; }
    WindowHandle awayWindow() const { return away_; }
    int notifyCommands() const { return notifyCommands_; }
    // Opens the away window as the user would from the menu.
    void goAway();

private:
    Parts parts_;
    WindowHandle notify_ = 0;
    WindowHandle idle_ = 0;
    WindowHandle main_ = 0;
    WindowHandle away_ = 0;
    WindowHandle text_ = 0;
    int notifyCommands_ = 0;
};

// Either kind: the classic "trillian" window, or the contact list "icoCTactTrilly" titled
// "Trillian". Its "Add Away Message" dialog has the check box 1046 (keep the message), the edit
// 1043 and the button 1047, whose click (with the button's own handle) sets Away with the edit's
// text. Each of the commands 5501 to 5520 to the icon holder brings one connection online.
class SimTrillian final : public SimMessenger {
public:
    enum class Kind { Classic, ContactList };
    struct Parts {
        bool iconHolder = true;
        bool awayDialog = true;  // whether the away commands open the dialog
    };
    SimTrillian(SimDesktop& desktop, std::uint32_t processId, Kind kind, Parts parts);
    SimTrillian(SimDesktop& desktop, std::uint32_t processId, Kind kind)
        : SimTrillian(desktop, processId, kind, Parts{}) {}
    std::u16string describe() const override;
    WindowHandle mainWindow() const { return main_; }
    WindowHandle iconHolder() const { return icon_; }
    int connectionsOnline() const { return static_cast<int>(online_.size()); }
    bool keepMessage() const { return keepMessage_; }

private:
    void openAwayDialog();

    Kind kind_;
    Parts parts_;
    WindowHandle main_ = 0;
    WindowHandle icon_ = 0;
    std::vector<WParam> online_;
    bool keepMessage_ = true;
};

}  // namespace orvane::platform::sim
