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
        if (box.title.rfind("Kestrin Error ", 0) == 0) titles.push_back(box.title);
    }
    return titles;
}

Rig::Rig(MemoryNetwork& sharedNetwork, const std::string& address, int port)
    : Rig(sharedNetwork, ownClock, address, port) {}

Rig::Rig(MemoryNetwork& sharedNetwork, VirtualClock& sharedClock, const std::string& address, int port)
    : Doubles(&sharedNetwork, address), clock(sharedClock) {
    main = std::make_unique<MainWindow>(state, gameServices(), linkServices(port), shell);
    for (forms::Timer* timer : form().timers()) clock.bind(*timer);
    clock.beforeTick = [this] { network.deliver(); };
}

void Rig::choose(const std::string& player, int gameType) {
    state.strPlayerName = player;
    state.lngGameType = gameType;
    main->NewGameSelect();
}

}  // namespace kestrin::testing

namespace kestrin::testing {

TwoCopies::TwoCopies() {
    ann.choose("Ann", 1);
    bob.choose("Bob", 1);
}

void TwoCopies::settle() {
    for (int round = 0; round < 100 && network.deliver() > 0; ++round) {
    }
}

void TwoCopies::connect() {
    bob.form().cmbConnectTo.setText("10.0.0.1");
    bob.form().cmdConnect.click();
    settle();
}

void TwoCopies::startGame() {
    ann.form().cmdStart.click();
    settle();
    bob.form().cmdStart.click();
    settle();
    clock.advance(6'000);
    settle();
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

void expectLinkControls(Rig& rig, bool connected) {
    const MainForm& form = rig.form();
    EXPECT_EQ(form.cmdStart.caption(), "&Ready");
    EXPECT_EQ(form.cmdStart.enabled(), connected);
    EXPECT_EQ(form.txtChat.enabled(), connected);
    EXPECT_EQ(form.cmdSend.enabled(), connected);
    EXPECT_EQ(form.cmdDisconnect.enabled(), connected);
    EXPECT_EQ(form.cmbConnectTo.enabled(), !connected);
    EXPECT_EQ(form.cmdSetup.enabled(), !connected);
}

std::string lastLine(MainForm& form) {
    const std::string& log = form.txtOutput.text();
    const auto pos = log.rfind("\r\n");
    return pos == std::string::npos ? log : log.substr(pos + 2);
}

}  // namespace kestrin::testing
