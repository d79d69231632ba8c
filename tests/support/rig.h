// One whole copy of the game's main window on test doubles: settings in memory, scripted
// message boxes and digits, files in memory, a virtual clock driving the four timers and a
// socket factory of the in-memory network. Two rigs on one network are two copies.
#pragma once

#include <memory>
#include <string>

#include "link/main_window.h"
#include "tests/support/doubles.h"
#include "tests/support/memory_network.h"
#include "tests/support/virtual_clock.h"

namespace kestrin::testing {

inline constexpr const char* kProgramFolder = "/game";

struct Rig {
    explicit Rig(MemoryNetwork& network, const std::string& address = "10.0.0.1", int port = 600);

    MainForm& form() { return main->form(); }
    Game& game() { return main->game(); }
    Link& link() { return main->link(); }

    // Applies a player and a game type as the set-up dialog does.
    void choose(const std::string& player, int gameType);
    // Presses the start button and lets the game run out (61 ticks of the clock).
    void playOut() { clock.advance(61'000); }
    // Titles of the error boxes shown so far ("Kestrin Error 6 in Main.cmdBank").
    std::vector<std::string> errorTitles() const;

    MemorySettingsStore store;
    ScriptedMessageBox messageBox;
    MemoryFiles files;
    FixedCalendar calendar;
    RecordingSound sound;
    RecordingShell shell;
    ScriptedRandom random;
    VirtualClock clock;
    std::unique_ptr<SocketFactory> sockets;
    ErrorReporter errors{messageBox, files, calendar, kProgramFolder};
    ListFiles lists{files, kProgramFolder};
    ProgramState state{store};
    std::unique_ptr<MainWindow> main;
};

}  // namespace kestrin::testing
