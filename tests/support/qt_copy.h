// One whole copy of the game on Qt's sockets and timers and the test doubles for the rest. It
// plays multi player and listens on a port the system picks, never on the game's own ports.
// The two-window test and the link benchmarks play with it.
#pragma once

#include "platform/qt/qt_sockets.h"
#include "platform/qt/qt_timer_driver.h"
#include "tests/support/rig.h"

namespace kestrin::testing {

struct QtCopy : Doubles {
    QtCopy(const std::string& player, SocketFactory& copySockets)
        : main(std::make_unique<MainWindow>(state, gameServices(),
                                            LinkServices{copySockets, store, lists, messageBox, errors, 0, 0}, shell)) {
        for (forms::Timer* timer : form().timers()) driver.bind(*timer);
        state.strPlayerName = player;
        state.lngGameType = kMultiPlayer;
        main->NewGameSelect();
    }
    ~QtCopy() {
        for (forms::Timer* timer : form().timers()) driver.unbind(*timer);
    }
    QtCopy(const QtCopy&) = delete;
    QtCopy& operator=(const QtCopy&) = delete;
    MainForm& form() { return main->form(); }
    int listeningPort() { return main->link().connection().WinsockServer(0).localPort(); }
    // Connected as the window shows it: Disconnect and the chat box are enabled.
    bool connected() { return form().cmdDisconnect.enabled() && form().txtChat.enabled(); }
    // Joins a copy (or a raw peer) listening on 127.0.0.1:port.
    void connectTo(int port) {
        form().cmbConnectTo.setText("127.0.0.1:" + std::to_string(port));
        form().cmdConnect.click();
    }
    // Starts a game at once, as the end of the ready countdown does; a running game is stopped first.
    void startGame() {
        Game& game = main->game();
        if (game.phase() == Phase::Stop) game.StopGame();
        game.StartCountdown();
        game.intTimeLeft = 0;
        game.tmrReady_Timer();
    }
    std::string lastLine() { return testing::lastLine(form()); }
    QtTimerDriver driver;
    std::unique_ptr<MainWindow> main;
};

}  // namespace kestrin::testing
