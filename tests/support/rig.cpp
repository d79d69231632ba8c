#include "tests/support/rig.h"

#include <gtest/gtest.h>

namespace kestrin::testing {

Doubles::Doubles(MemoryNetwork* given, const std::string& address)
    : ownNetwork(given ? nullptr : std::make_unique<MemoryNetwork>()),
      network(given ? *given : *ownNetwork),
      sockets(network.factoryFor(address)) {}

std::vector<std::string> Doubles::errorTitles() const {
    std::vector<std::string> titles;
    for (const auto& box : messageBox.shown) {
        if (box.title.starts_with("Kestrin Error ")) titles.push_back(box.title);
    }
    return titles;
}

Rig::Rig(MemoryNetwork* sharedNetwork, VirtualClock* sharedClock, const std::string& address, WindowOpener* opener)
    : Doubles(sharedNetwork, address), clock(sharedClock ? *sharedClock : ownClock) {
    main = std::make_unique<MainWindow>(state, gameServices(), linkServices(), shell, opener);
    for (forms::Timer* timer : form().timers()) clock.bind(*timer);
    clock.beforeTick = [this] { network.deliver(); };
}

void Rig::choose(const std::string& player, std::int32_t gameType) {
    state.strPlayerName = player;
    state.lngGameType = gameType;
    main->NewGameSelect();
}

std::string Rig::controls() {
    MainForm& f = form();
    std::string shown = f.cmdStart.caption() + ", " + f.cmdStart.tooltip() + " |";
    for (const forms::Control* control : std::initializer_list<const forms::Control*>{
             &f.cmdStart, &f.cmdSetup, &f.mnuGGameSelect, &f.cmdGuess[0], &f.cmdGuess[1], &f.cmdBank, &f.cmbConnectTo,
             &f.cmdConnect, &f.cmdDisconnect, &f.txtChat, &f.cmdSend}) {
        if (control->enabled()) shown += " " + control->name() + (control->hasFocus() ? "*" : "");
    }
    for (const forms::Timer* timer : f.timers()) {
        if (timer->enabled()) shown += " " + timer->name();
    }
    return shown;
}

std::string lastLine(const MainForm& form) {
    const std::string& log = form.txtOutput.text();
    const auto pos = log.rfind("\r\n");
    return pos == std::string::npos ? log : log.substr(pos + 2);
}

RawPeer::RawPeer(MemoryNetwork& network, const std::string& address)
    : factory(network.factoryFor(address)), outgoing(factory->create()) {
    outgoing->onDataArrival = [this] { received.push_back(outgoing->getData()); };
    outgoing->onPeerClosed = [this] { closedByPeer = true; };
}

void RawPeer::listen(int port) {
    listener = factory->create();
    listener->setLocalPort(port);
    listener->listen();
    listener->onConnectionRequest = [this](std::int64_t id) {
        accepted = factory->create();
        accepted->onDataArrival = [this] { received.push_back(accepted->getData()); };
        accepted->onPeerClosed = [this] { closedByPeer = true; };
        accepted->accept(id);
    };
}

void RawPeer::connect(const std::string& host, int port) {
    outgoing->setRemoteHost(host);
    outgoing->setRemotePort(port);
    outgoing->connect();
}

TwoCopies::TwoCopies() {
    ann.choose("Ann", kMultiPlayer);
    bob.choose("Bob", kMultiPlayer);
}

void TwoCopies::settle() {
    for (int round = 0; round < 100 && network.deliver() > 0; ++round) {
    }
}

void TwoCopies::connect() {
    bob.form().cmbConnectTo.type("10.0.0.1");
    press(bob.form().cmdConnect);
}

void TwoCopies::startGame() {
    press(ann.form().cmdStart);
    press(bob.form().cmdStart);
    clock.advance(6'000);
    settle();
}

void TwoCopies::play(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        network.clearSentLog();
        step.act();
        settle();
        EXPECT_EQ(network.sentLog(), step.wire);
        EXPECT_EQ(ann.lastLine(), step.annLine);
        EXPECT_EQ(bob.lastLine(), step.bobLine);
        if (step.annControls) {
            EXPECT_EQ(ann.controls(), step.annControls);
        }
        if (step.bobControls) {
            EXPECT_EQ(bob.controls(), step.bobControls);
        }
    }
}

}  // namespace kestrin::testing
