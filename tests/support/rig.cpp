#include "tests/support/rig.h"

#include <gtest/gtest.h>

#include <algorithm>

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

void Rig::act(const std::string& what) {
    const auto space = what.find(' ');
    const std::string verb = what.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : what.substr(space + 1);
    if (verb == "click") {
        for (forms::Control* control : form().controls()) {
            if (control->name() == rest) return dynamic_cast<forms::Button&>(*control).click();
        }
        FAIL() << "no control " << rest;
    } else if (verb == "type") {
        form().cmbConnectTo.type(rest);
    } else if (verb == "enter") {
        form().cmbConnectTo.keyPress(kKeyEnter);
    } else if (verb == "say") {
        form().txtChat.setText(rest);
        form().txtChat.keyPress(kKeyEnter);
    } else if (verb == "higher" || verb == "lower") {
        random.queueDigits({std::stoi(rest)});
        form().cmdGuess[verb == "higher" ? 0 : 1].click();
    } else {
        FAIL() << "no action " << what;
    }
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

void TwoCopies::connect() { act("bob type 10.0.0.1; bob click cmdConnect"); }

void TwoCopies::startGame() { act("ann click cmdStart; bob click cmdStart; clock 6000"); }

void TwoCopies::act(const std::string& what) {
    for (std::size_t begin = 0; begin < what.size();) {
        const std::size_t end = std::min(what.find("; ", begin), what.size());
        const std::string one = what.substr(begin, end - begin);
        begin = end + 2;
        if (one.starts_with("clock ")) {
            clock.advance(std::stoll(one.substr(6)));
        } else {
            (one.starts_with("ann ") ? ann : bob).act(one.substr(4));
        }
        settle();
    }
}

void TwoCopies::play(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.act);
        network.clearSentLog();
        act(step.act);
        std::string wire;
        for (const std::string& text : network.sentLog()) wire += (wire.empty() ? "" : "|") + text;
        EXPECT_EQ(wire, step.wire);
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
