// Whole copies of the game on test doubles: Doubles holds the doubles and the services made of
// them; Rig adds the main window, its timers on a virtual clock; TwoCopies is two rigs on one
// network and clock; RawPeer is someone else's program speaking the wire format by hand.
#pragma once

#include <memory>

#include "tests/support/doubles.h"
#include "tests/support/memory_network.h"
#include "tests/support/virtual_clock.h"
#include "window/main_window.h"

namespace kestrin::testing {

inline constexpr const char* kProgramFolder = "/game";

// The last line of a window's output log.
std::string lastLine(const MainForm& form);

struct Doubles {
    // With no network given, the copy gets one of its own.
    explicit Doubles(MemoryNetwork* network = nullptr, const std::string& address = "10.0.0.1",
                     DatagramNetwork* games = nullptr);
    GameServices gameServices() { return {random, sound, messageBox, errors, store, kProgramFolder}; }
    LinkServices linkServices(int port = kGamePort, int fallback = kFallbackPort) {
        return {*sockets, store, lists, messageBox, errors, port, fallback, datagrams};
    }
    // Titles of the error boxes shown so far ("Kestrin Error 6 in Main.cmdBank").
    std::vector<std::string> errorTitles() const;
    std::string lastBox() const { return messageBox.shown.empty() ? "" : messageBox.shown.back().text; }
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
    DatagramNetwork* datagrams;  // none: games nearby are not looked for
};

struct Rig : Doubles {
    // A copy on its own network and clock, or on shared ones.
    explicit Rig(MemoryNetwork* sharedNetwork = nullptr, VirtualClock* sharedClock = nullptr,
                 const std::string& address = "10.0.0.1", WindowOpener* opener = nullptr,
                 DatagramNetwork* datagrams = nullptr);
    MainForm& form() { return main->form(); }
    Game& game() { return main->game(); }
    Link& link() { return main->link(); }
    Connection& connection() { return main->link().connection(); }
    bool listening() { return connection().WinsockServer(0).state() == SocketState::Listening; }
    // Applies a player and a game type as the set-up dialog does.
    void choose(const std::string& player, std::int32_t gameType);
    // Does what the player says: "click cmdStart" (any button or menu item), "start 5", "higher 7",
    // "lower 3" (drawing that digit), "key 33" (released), "type 10.0.0.1" (into the host box),
    // "enter" (in the host box), "say hello" (a chat line), "clock 1000": "start 5; higher 7".
    void act(const std::string& what);
    // The digit, the lit levels (the top one "*"), tick or cross, the scores, the clock and bar.
    std::string board();
    // The start button's caption and tooltip, then the enabled controls and timers (focus "*").
    std::string controls();
    std::string lastLine() { return testing::lastLine(form()); }
    VirtualClock ownClock;
    VirtualClock& clock;
    std::unique_ptr<MainWindow> main;
};

// What the controls of a multi player copy show: connected (before a game and between games;
// Setup, button and menu, stays off), and not connected with a host in the host box.
inline constexpr const char* kConnected = "&Ready, Signal ready to play | cmdStart* cmdDisconnect txtChat cmdSend";
inline constexpr const char* kListening =
    "&Ready, Signal ready to play | cmdSetup mnuGGameSelect cmbConnectTo cmdConnect";

struct RawPeer {
    RawPeer(MemoryNetwork& network, const std::string& address);
    void listen(int port);
    void connect(const std::string& host, int port);
    Socket& socket() { return accepted ? *accepted : *outgoing; }
    std::unique_ptr<SocketFactory> factory;
    std::unique_ptr<Socket> outgoing, listener, accepted;
    std::vector<std::string> received;  // every receive, as it came
    bool closedByPeer = false;
};

// Ann's copy on 10.0.0.1 and Bob's on 10.0.0.2, both in multi player mode and listening.
struct TwoCopies {
    TwoCopies();
    void settle();
    // A raw peer's text, delivered.
    void from(RawPeer& peer, const std::string& text) {
        peer.socket().sendData(text);
        settle();
    }
    void connect() { act("bob type 10.0.0.1; bob click cmdConnect"); }
    // "ann click cmdStart; bob say hi; clock 5000", the network settling after each.
    void act(const std::string& what);
    // What the players do, the wire text meanwhile ("a|b"), each last log line, each copy's
    // controls (nullptr: not checked).
    struct Step {
        const char* act;
        const char* wire;
        const char* annLine;
        const char* bobLine;
        const char* annControls;
        const char* bobControls;
    };
    void play(const std::vector<Step>& steps);
    MemoryNetwork network;
    VirtualClock clock;
    Rig ann{&network, &clock, "10.0.0.1"};
    Rig bob{&network, &clock, "10.0.0.2"};
};

}  // namespace kestrin::testing
