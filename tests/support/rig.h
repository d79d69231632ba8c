// One whole copy of the game on test doubles.
//
// Doubles: every platform double a copy needs (settings in memory, scripted message boxes
// and digits, files in memory, a socket factory of the in-memory network) and the services
// built on them. Rig adds the main window's logic with a virtual clock driving its four
// timers. Two rigs on one network are two copies.
#pragma once

#include <memory>
#include <string>

#include "tests/support/doubles.h"
#include "tests/support/memory_network.h"
#include "tests/support/virtual_clock.h"
#include "window/main_window.h"

namespace kestrin::testing {

inline constexpr const char* kProgramFolder = "/game";

struct Doubles {
    // With no network given, the copy gets one of its own.
    explicit Doubles(MemoryNetwork* network = nullptr, const std::string& address = "10.0.0.1");

    GameServices gameServices() { return {random, sound, messageBox, errors, store, kProgramFolder}; }
    LinkServices linkServices(int port = 600) { return {*sockets, store, lists, messageBox, errors, port}; }
    // Titles of the error boxes shown so far ("Kestrin Error 6 in Main.cmdBank").
    std::vector<std::string> errorTitles() const;

    std::unique_ptr<MemoryNetwork> ownNetwork;
    MemoryNetwork& network;
    MemorySettingsStore store;
    ScriptedMessageBox messageBox;
    MemoryFiles files;
    FixedCalendar calendar;
    RecordingSound sound;
    RecordingShell shell;
    FixedAddressTable addresses;
    ScriptedRandom random;
    std::unique_ptr<SocketFactory> sockets;
    ErrorReporter errors{messageBox, files, calendar, kProgramFolder};
    ListFiles lists{files, kProgramFolder};
    ProgramState state{store};
};

struct Rig : Doubles {
    explicit Rig(MemoryNetwork& network, const std::string& address = "10.0.0.1", int port = 600);
    // A copy whose timers run on a clock it shares with other copies.
    Rig(MemoryNetwork& network, VirtualClock& sharedClock, const std::string& address, int port = 600);

    MainForm& form() { return main->form(); }
    Game& game() { return main->game(); }
    Link& link() { return main->link(); }

    // Applies a player and a game type as the set-up dialog does.
    void choose(const std::string& player, int gameType);
    // Lets a running game run out (61 ticks of the clock).
    void playOut() { clock.advance(61'000); }

    VirtualClock ownClock;
    VirtualClock& clock;
    std::unique_ptr<MainWindow> main;
};

}  // namespace kestrin::testing

namespace kestrin::testing {

// Two whole copies on one in-memory network and one clock: Ann's copy on 10.0.0.1 and Bob's
// on 10.0.0.2, both in multi player mode and listening.
struct TwoCopies {
    TwoCopies();
    // Delivers network events until none are left (bounded).
    void settle();
    // Bob connects to Ann and both reach the connected state (Ann answers the question Yes).
    void connect();
    // Both press Ready, Ann first, and the countdown runs out: both games run.
    void startGame();
    std::vector<std::string> wire() const { return network.sentLog(); }

    MemoryNetwork network;
    VirtualClock clock;
    Rig ann{network, clock, "10.0.0.1"};
    Rig bob{network, clock, "10.0.0.2"};
};

// A program of someone else's on the network that speaks the wire format by hand: it
// listens or connects, sends exact texts and records every receive.
struct RawPeer {
    RawPeer(MemoryNetwork& network, const std::string& address);
    void listen(int port);
    void connect(const std::string& host, int port);
    void send(const std::string& text) { socket().sendData(text); }
    Socket& socket() { return accepted ? *accepted : *outgoing; }

    std::unique_ptr<SocketFactory> factory;
    std::unique_ptr<Socket> outgoing;
    std::unique_ptr<Socket> listener;
    std::unique_ptr<Socket> accepted;
    std::vector<std::string> received;
    bool closedByPeer = false;
};

// Checks the link controls of a copy in multi player mode, connected or not.
void expectLinkControls(Rig& rig, bool connected);

// The last line of a copy's output log.
std::string lastLine(MainForm& form);
inline std::string lastLine(Rig& rig) { return lastLine(rig.form()); }

}  // namespace kestrin::testing
