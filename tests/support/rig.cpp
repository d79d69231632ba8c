#include "tests/support/rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace kestrin::testing {

std::string lastLine(const MainForm& form) {
    const std::string& log = form.txtOutput.text();
    const auto pos = log.rfind("\r\n");
    return pos == std::string::npos ? log : log.substr(pos + 2);
}

Doubles::Doubles(MemoryNetwork* given, const std::string& address, DatagramNetwork* games)
    : ownNetwork(given ? nullptr : std::make_unique<MemoryNetwork>()),
      network(given ? *given : *ownNetwork),
      sockets(network.factoryFor(address)),
      datagrams(games) {}

std::vector<std::string> Doubles::errorTitles() const {
    std::vector<std::string> titles;
    for (const auto& box : messageBox.shown)
        if (box.title.starts_with("Kestrin Error ")) titles.push_back(box.title);
    return titles;
}

Rig::Rig(MemoryNetwork* sharedNetwork, VirtualClock* sharedClock, const std::string& address, WindowOpener* opener,
         DatagramNetwork* games)
    : Doubles(sharedNetwork, address, games),
      clock(sharedClock ? *sharedClock : ownClock),
      main(std::make_unique<MainWindow>(state, gameServices(), linkServices(), shell, opener)) {
    for (forms::Timer* timer : form().timers()) clock.bind(*timer);
    clock.beforeTick = [this] { network.deliver(); };
}

void Rig::choose(const std::string& player, std::int32_t gameType) {
    state.strPlayerName = player;
    state.lngGameType = gameType;
    main->NewGameSelect();
}

void Rig::act(const std::string& what) {
    const auto split = std::min(what.find("; "), what.size());
    if (split < what.size()) {
        act(what.substr(0, split));
        return act(what.substr(split + 2));
    }
    const auto space = std::min(what.find(' '), what.size());
    const std::string verb = what.substr(0, space);
    const std::string rest = what.substr(std::min(space + 1, what.size()));
    if (verb == "click") {
        const auto& all = form().controls();
        const auto found = std::find_if(all.begin(), all.end(), [&](auto* control) { return control->name() == rest; });
        ASSERT_NE(found, all.end()) << rest;
        dynamic_cast<forms::Button&>(**found).click();
    } else if (verb == "start" || verb == "higher" || verb == "lower") {
        random.queueDigits({std::stoi(rest)});
        (verb == "start" ? form().cmdStart : form().cmdGuess[verb == "higher" ? 0 : 1]).click();
    } else if (verb == "key" || verb == "clock") {
        verb == "key" ? form().keyUp(std::stoi(rest)) : clock.advance(std::stoll(rest));
    } else if (verb == "type") {
        form().cmbConnectTo.type(rest);
    } else if (verb == "enter") {
        form().cmbConnectTo.keyPress(kKeyEnter);
    } else {
        ASSERT_EQ(verb, "say");
        form().txtChat.setText(rest);
        form().txtChat.keyPress(kKeyEnter);
    }
}

std::string Rig::board() {
    const MainForm& f = form();
    const auto colour = [](forms::Rgb c) {
        return c == forms::kBlack         ? "black"
               : c == forms::kDarkRed     ? "red"
               : c == forms::kDarkBlue    ? "blue"
               : c == forms::kLeaderGreen ? "leading"
               : c == forms::kTrailerRed  ? "trailing"
                                          : "?";
    };
    std::string shown = f.lblRandom.caption() + " |";
    for (const auto& level : f.lblCurrent) {
        if (level.enabled() || level.foreColor() != forms::kBlack)
            shown += std::string(" ") + (level.enabled() ? "" : "unlit ") +
                     (level.foreColor() == forms::kDarkRed ? "*" : "") + level.caption();
    }
    shown += std::string(" |") + (f.imgCorrect.visible() ? " tick" : "") + (f.imgWrong.visible() ? " cross" : "");
    shown += " | " + f.lblCurrentScore.caption() + " " + colour(f.lblCurrentScore.foreColor()) + ", " +
             f.lblOpponentScore.caption() + " " + colour(f.lblOpponentScore.foreColor());
    char bar[16];
    std::snprintf(bar, sizeof bar, "%.1f", f.shpTimeLeft.width());
    return shown + " | " + f.lblTimeLeft.caption() + " " + colour(f.lblTimeLeft.foreColor()) + ", bar " + bar + " " +
           colour(f.shpTimeLeft.fillColor());
}

std::string Rig::controls() {
    MainForm& f = form();
    std::string shown = f.cmdStart.caption() + ", " + f.cmdStart.tooltip() + " |";
    for (const forms::Control* control : std::initializer_list<const forms::Control*>{
             &f.cmdStart, &f.cmdSetup, &f.mnuGGameSelect, &f.cmdGuess[0], &f.cmdGuess[1], &f.cmdBank, &f.cmbConnectTo,
             &f.cmdConnect, &f.cmdDisconnect, &f.txtChat, &f.cmdSend}) {
        if (control->enabled()) shown += " " + control->name() + (control->hasFocus() ? "*" : "");
    }
    for (const forms::Timer* timer : f.timers())
        if (timer->enabled()) shown += " " + timer->name();
    return shown;
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

void TwoCopies::act(const std::string& what) {
    const auto split = std::min(what.find("; "), what.size());
    const std::string one = what.substr(0, split);
    if (one.starts_with("clock ")) {
        clock.advance(std::stoll(one.substr(6)));
    } else {
        (one.starts_with("ann ") ? ann : bob).act(one.substr(4));
    }
    settle();
    if (split < what.size()) act(what.substr(split + 2));
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
        for (auto [rig, controls] : {std::pair{&ann, step.annControls}, std::pair{&bob, step.bobControls}})
            EXPECT_EQ(controls ? rig->controls() : "", controls ? controls : "");
    }
}

}  // namespace kestrin::testing
