// The main window's logic as a whole: the game, the link and the Help menu's commands on one
// form model, with every handler of the window bound here and the set-up choices applied
// here. The other windows (set-up, statistics, IP addresses, about) are opened through a
// small interface, so that a test can click every control of the main window without a
// toolkit.
#pragma once

#include "core/game.h"
#include "link/link.h"
#include "shell/help_commands.h"

namespace kestrin {

// Opens the other windows on the main window's behalf.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    virtual void openSetup() = 0;        // Setup button and menu item: the set-up dialog, modal
    virtual void openStats() = 0;        // High Scores & Statistics
    virtual void openIp() = 0;           // IP Addresses...
    virtual void openAbout() = 0;        // About...
    virtual void closeMainWindow() = 0;  // Exit
};

class MainWindow {
public:
    MainWindow(ProgramState& state, const GameServices& game, const LinkServices& link, DesktopShell& shell,
               WindowOpener* opener = nullptr);

    MainForm& form() { return form_; }
    Game& game() { return game_; }
    Link& link() { return link_; }
    HelpCommands& help() { return help_; }

    // The window loads: fills the recent hosts (guarded as "Main.Load").
    void Load();
    // The window unloads: the timers stop, every socket closes, nothing listens again.
    void Unload();
    // Puts the set-up dialog's choices into effect (guarded as "Main.NewGameSelect"): the
    // caption, the window's shape, the link, both best scores and the player's statistics.
    void NewGameSelect();

private:
    MainForm form_;
    ProgramState& state_;
    ErrorReporter& errors_;
    SettingsStore& store_;
    ListFiles& lists_;
    OutputLog log_{form_.txtOutput, form_.txtChat};
    Game game_;
    Link link_;
    HelpCommands help_;
};

}  // namespace kestrin
