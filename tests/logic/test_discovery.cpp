// Finding games nearby: whole copies and hand-driven programs on the in-memory UDP network.
#include <gtest/gtest.h>

#include "tests/support/memory_datagrams.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

using Texts = std::vector<std::string>;

// A hand-driven program on a machine of the LAN: what it hears, and a socket to speak with.
struct Raw {
    Raw(MemoryDatagrams& net, const std::string& address, int port = 0) : network(net.machine(address)) {
        socket = network->create();
        socket->bind(port, port != 0);
        socket->onDatagram = [this](const std::string& from, int fromPort, const std::string& text) {
            heard.push_back(from + ":" + std::to_string(fromPort) + " " + text);
            lastPort = fromPort;
        };
    }
    std::unique_ptr<DatagramNetwork> network;
    std::unique_ptr<DatagramSocket> socket;
    Texts heard;
    int lastPort = 0;
};

class Discovering : public ::testing::Test {
protected:
    // A whole copy on the machine with this address, in multi player.
    Rig& copy(const std::string& address, const std::string& name) {
        machines.push_back(net.machine(address));
        Rig& rig =
            *copies.emplace_back(std::make_unique<Rig>(&network, &clock, address, nullptr, machines.back().get()));
        clock.beforeTick = [this] {
            net.deliver();
            network.deliver();
        };
        rig.choose(name, kMultiPlayer);
        settle();
        return rig;
    }
    void settle(int ms = 0) {
        clock.advance(ms);
        for (int i = 0; i < 10; ++i) {
            net.deliver();
            network.deliver();
        }
    }
    MemoryDatagrams net;
    MemoryNetwork network;
    VirtualClock clock;
    std::vector<std::unique_ptr<DatagramNetwork>> machines;
    std::vector<std::unique_ptr<Rig>> copies;
};

TEST_F(Discovering, PlayersJoinGamesFoundOnTheLanOrTheirOwnMachineWithoutTypingAnAddress) {
    Rig& bob = copy("10.0.0.2", "Bob");
    bob.files.files["/game/ConnectTo.dat"] = {"10.0.0.7"};
    bob.main->Load();
    Rig& ann = copy("10.0.0.1", "Ann");
    Rig& again = copy("10.0.0.1", "Ann2");  // a second copy on Ann's machine: it cannot listen
    forms::ComboBox& box = bob.form().cmbConnectTo;
    EXPECT_EQ(ann.form().cmbConnectTo.rows(), Texts{"Bob \u2014 10.0.0.2"});  // never herself
    EXPECT_EQ(again.form().cmbConnectTo.rows(), (Texts{"Bob \u2014 10.0.0.2", "Ann \u2014 127.0.0.1"}));  // once
    EXPECT_EQ(box.rows(), Texts{"10.0.0.7"});  // Bob asked before anyone was there, and asks again:
    box.setDroppedDown(true);
    settle(3000);
    EXPECT_EQ(box.rows(), Texts{"10.0.0.7"});  // no row moves while his list is open
    box.setDroppedDown(false);
    EXPECT_EQ(box.rows(), (Texts{"Ann \u2014 10.0.0.1", "10.0.0.7"}));
    box.type("something typed");
    box.keyPress(kKeyDown);  // the first game found, whatever the box holds
    EXPECT_EQ(box.text(), "10.0.0.1");
    bob.act("click cmdConnect");
    settle();
    EXPECT_EQ(bob.lastLine(), "* Connected to Ann");
    EXPECT_EQ(bob.files.files["/game/ConnectTo.dat"], (Texts{"10.0.0.7", "10.0.0.1"}));  // as if typed
    // Connected copies answer no more and are forgotten ten seconds later; leaving multi player
    // forgets what was found.
    settle(11000);
    EXPECT_EQ(again.form().cmbConnectTo.rows(), Texts{});
    bob.choose("Bob", kSinglePlayer);
    EXPECT_EQ(box.rows(), (Texts{"10.0.0.7", "10.0.0.1"}));
    settle();
    bob.choose("Bob", kMultiPlayer);  // back: he asks at once, and Ann, free again, answers
    settle();
    EXPECT_EQ(box.rows().front(), "Ann \u2014 10.0.0.1");
}

TEST_F(Discovering, ACopyAnswersOnlyQueriesOnlyWhileItWaitsAndAtMostTwentyASecond) {
    Raw eve(net, "10.0.0.9");
    const auto ask = [&](const std::string& text, int times = 1) {
        eve.heard.clear();
        for (int i = 0; i < times; ++i) eve.socket->send("10.0.0.1", 10600, text);
        settle();
        return eve.heard.size();
    };
    Rig& ann = copy("10.0.0.1", "Ann");
    ASSERT_EQ(ask("KESTRIN FIND 42"), 1u);
    EXPECT_EQ(eve.heard[0], "10.0.0.1:10600 KESTRIN HERE 1 600 Ann");
    for (const char* other : {"KESTRIN FIND", "KESTRIN FIND 1 ", "KESTRIN FIND x", "kestrin find 1", "KESTRIN HERE 1"})
        EXPECT_EQ(ask(other), 0u) << other;
    settle(1000);
    EXPECT_EQ(ask("KESTRIN FIND 1", 25), 20u);
    settle(1000);
    ann.state.strPlayerName = std::string(50, 'x');
    for (int i = 0; i < 60; ++i) ann.state.strPlayerName += "\u00e9";
    ask("KESTRIN FIND 1");
    EXPECT_EQ(eve.heard.at(0), "10.0.0.1:10600 KESTRIN HERE 1 600 " + ann.state.strPlayerName.substr(0, 150));
    RawPeer joiner(network, "10.0.0.5");  // taken connection: busy
    joiner.connect("10.0.0.1", 600);
    settle();
    EXPECT_EQ(ask("KESTRIN FIND 1"), 0u);
    ann.choose("Ann", kSinglePlayer);
    EXPECT_EQ(ask("KESTRIN FIND 1"), 0u);
    // A program that holds the port alone: the copy says so once, and plays on.
    Raw hog(net, "10.0.0.3");
    hog.socket->bind(10600, false);
    Rig& cat = copy("10.0.0.3", "Cat");
    EXPECT_EQ(cat.lastLine(), "* Games nearby cannot be found: The bound address is already in use");
    cat.choose("Cat", kSinglePlayer);
    cat.choose("Cat", kMultiPlayer);
    EXPECT_EQ(cat.lastLine(), "* Waiting for connection to another player");
}

TEST_F(Discovering, TheListHoldsTwentyGamesOfItsOwnVersionByTheirSourceAndDropsTheSilent) {
    Raw ear(net, "10.0.0.9", 10600);  // hears the queries
    Rig& bob = copy("10.0.0.2", "Bob");
    ASSERT_EQ(ear.heard.size(), 1u);
    EXPECT_EQ(ear.heard[0].substr(ear.heard[0].find(' ')), " KESTRIN FIND 1");
    const int asking = ear.lastPort;
    for (const char* text : {"KESTRIN HERE 2 600 Zed", "KESTRIN HERE 1 70000 Zed", "KESTRIN HERE 1 600",
                             "KESTRIN HERE 1 10600 10.0.0.66\r\n\u202E!"})
        ear.socket->send("10.0.0.2", asking, text);
    settle();
    forms::ComboBox& box = bob.form().cmbConnectTo;
    EXPECT_EQ(box.rows(), Texts{"10.0.0.66\u240D\u240A\uFFFD! \u2014 10.0.0.9"});
    box.setListIndex(0);
    EXPECT_EQ(box.text(), "10.0.0.9:10600");
    ear.socket->send("10.0.0.2", asking, "KESTRIN HERE 1 10600 Zoe");  // renamed: still one game
    settle();
    EXPECT_EQ(box.rows(), Texts{"Zoe \u2014 10.0.0.9"});
    std::vector<std::unique_ptr<Raw>> hosts;
    for (int i = 10; i < 35; ++i) {
        hosts.push_back(std::make_unique<Raw>(net, "10.0.0." + std::to_string(i)));
        hosts.back()->socket->send("10.0.0.2", asking, "KESTRIN HERE 1 600 Host");
    }
    settle();
    EXPECT_EQ(box.found().size(), 20u);
    // Queries every three seconds; a game not heard for ten seconds is dropped.
    settle(9000);
    EXPECT_EQ(ear.heard.size(), 4u);
    EXPECT_EQ(box.found().size(), 20u);
    settle(1000);
    EXPECT_EQ(box.rows(), Texts{});
}

}  // namespace
}  // namespace kestrin::testing
