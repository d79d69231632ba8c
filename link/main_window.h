// The main window's logic as a whole: the game, the link and the Help menu's commands on one
// form model. The view opens the other windows (set-up, statistics, IP addresses, about).
#pragma once

#include "core/game.h"
#include "link/link.h"
#include "shell/help_commands.h"

namespace kestrin {

class MainWindow {
public:
    MainWindow(ProgramState& state, GameServices game, LinkServices link, DesktopShell& shell);

    MainForm& form() { return form_; }
    Game& game() { return game_; }
    Link& link() { return link_; }
    HelpCommands& help() { return help_; }

    // The window loads: fills the recent hosts (guarded as "Main.Load").
    void Load();
    // The window unloads: every socket closes, nothing listens again.
    void Unload();
    void NewGameSelect() { link_.NewGameSelect(); }

private:
    MainForm form_;
    Game game_;
    Link link_;
    HelpCommands help_;
    ErrorReporter& errors_;
    ListFiles& lists_;
};

}  // namespace kestrin
