#include "tests/support/memory_network.h"

#include "platform/failure.h"
#include "tests/support/failure_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrin::testing {
namespace {

// A host machine listening on port 600 and a joiner on another machine.
struct TwoMachines {
    MemoryNetwork network;
    std::unique_ptr<SocketFactory> hostMachine = network.factoryFor("10.0.0.1");
    std::unique_ptr<SocketFactory> joinMachine = network.factoryFor("10.0.0.2");
    std::unique_ptr<Socket> listener = hostMachine->create();
    std::unique_ptr<Socket> accepted = hostMachine->create();
    std::unique_ptr<Socket> client = joinMachine->create();
    std::vector<std::string> events;

    TwoMachines() {
        listener->setLocalPort(600);
        listener->listen();
        listener->onConnectionRequest = [this](std::int64_t id) {
            events.push_back("request");
            accepted->accept(id);
        };
        client->onConnected = [this] { events.push_back("connected"); };
        client->onError = [this](int number, const std::string& text) {
            events.push_back("error " + std::to_string(number) + " " + text);
        };
        accepted->onPeerClosed = [this] { events.push_back("host saw close"); };
        client->onPeerClosed = [this] { events.push_back("joiner saw close"); };
    }
    void connect(const std::string& host = "10.0.0.1") {
        client->setRemoteHost(host);
        client->setRemotePort(600);
        client->connect();
    }
};

TEST(MemoryNetwork, ConnectsAcceptsAndCarriesTextOnlyWhenDelivered) {
    TwoMachines m;
    m.connect();
    EXPECT_TRUE(m.events.empty());
    EXPECT_EQ(m.client->state(), socket_state::kConnecting);

    m.network.deliver();
    EXPECT_EQ(m.events, (std::vector<std::string>{"request", "connected"}));
    EXPECT_EQ(m.listener->state(), socket_state::kListening);  // keeps listening after the accept
    EXPECT_EQ(m.accepted->state(), socket_state::kConnected);
    EXPECT_EQ(m.client->state(), socket_state::kConnected);
    EXPECT_EQ(m.accepted->remoteHostIP(), "10.0.0.2");
    EXPECT_EQ(m.client->remoteHostIP(), "10.0.0.1");

    // Two sends before the peer reads come out joined, in one arrival.
    std::vector<std::string> arrivals;
    m.accepted->onDataArrival = [&] { arrivals.push_back(m.accepted->getData()); };
    m.client->sendData("CONAnna");
    m.client->sendData("VER1");
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(m.network.deliver(), 1U);
    EXPECT_EQ(arrivals, (std::vector<std::string>{"CONAnnaVER1"}));
    EXPECT_EQ(m.network.sentLog(), (std::vector<std::string>{"CONAnna", "VER1"}));
    EXPECT_EQ(m.network.sent().front().to, "10.0.0.1");
}

TEST(MemoryNetwork, ListeningRefusesTakenAndProtectedPortsAndPicksAFreeOne) {
    MemoryNetwork network;
    auto machine = network.factoryFor("10.0.0.1");
    auto first = machine->create();
    auto second = machine->create();
    first->setLocalPort(600);
    first->listen();
    second->setLocalPort(600);
    try {
        second->listen();
        FAIL() << "a taken port was listened on";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), failures::kNotListening);
        EXPECT_EQ(failure.description(), "The bound address is already in use");
    }
    EXPECT_EQ(second->state(), socket_state::kClosed);

    network.protectPort("10.0.0.2", 600);
    auto other = network.factoryFor("10.0.0.2")->create();
    other->setLocalPort(600);
    try {
        other->listen();
        FAIL() << "a protected port was listened on";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "The address is protected");
    }

    second->setLocalPort(0);
    second->listen();
    EXPECT_GT(second->localPort(), 0);
    EXPECT_NE(second->localPort(), 600);
    EXPECT_EQ(failureNumber([&] { second->listen(); }), 40020);
}

TEST(MemoryNetwork, FailedConnectionsReportErrorsWhenDelivered) {
    TwoMachines m;
    m.listener->close();
    m.connect();
    m.network.deliver();
    EXPECT_EQ(m.events, (std::vector<std::string>{"error 10061 Connection refused"}));
    EXPECT_EQ(m.client->state(), socket_state::kError);

    m.client->close();
    m.events.clear();
    m.connect("no-such-host");
    m.network.deliver();
    EXPECT_EQ(m.events, (std::vector<std::string>{"error 11001 Host not found"}));

    m.client->close();
    m.client->setRemoteHost("");
    EXPECT_EQ(failureNumber([&] { m.client->connect(); }), 11001);
    EXPECT_EQ(failureNumber([&] { m.client->sendData("x"); }), 40006);

    // A request whose listener closes before taking it is refused too.
    m.listener->setLocalPort(600);
    m.listener->listen();
    m.listener->onConnectionRequest = nullptr;
    m.events.clear();
    m.connect();
    m.listener->close();
    m.network.deliver();
    EXPECT_EQ(m.events, (std::vector<std::string>{"error 10061 Connection refused"}));
}

TEST(MemoryNetwork, CloseReachesThePeerAndSilencesTheClosedSocket) {
    TwoMachines m;
    m.network.addHostName("host.example", "10.0.0.1");
    m.connect("host.example");
    m.network.deliver();

    // Text sent to a socket that closes before delivery raises nothing there.
    int arrivals = 0;
    m.accepted->onDataArrival = [&] { ++arrivals; };
    m.client->sendData("MSGhello");
    m.accepted->close();
    EXPECT_EQ(m.accepted->state(), socket_state::kClosed);
    m.network.deliver();
    EXPECT_EQ(arrivals, 0);
    EXPECT_EQ(m.events.back(), "joiner saw close");
    EXPECT_EQ(m.client->state(), socket_state::kClosing);
    m.client->close();
    EXPECT_EQ(m.client->state(), socket_state::kClosed);
}

TEST(MemoryNetwork, HandlersMayDeleteTheirSocketAndPingPongIsBounded) {
    TwoMachines m;
    m.connect();
    m.network.deliver();
    m.accepted->onDataArrival = [&] { m.accepted.reset(); };
    m.client->sendData("DIS");
    m.network.deliver();
    EXPECT_EQ(m.accepted, nullptr);
    EXPECT_EQ(m.events.back(), "joiner saw close");

    // Two sockets that answer every arrival would talk forever; deliver() stops.
    TwoMachines p;
    p.connect();
    p.network.deliver();
    p.accepted->onDataArrival = [&] { p.accepted->sendData(p.accepted->getData()); };
    p.client->onDataArrival = [&] { p.client->sendData(p.client->getData()); };
    p.client->sendData("x");
    EXPECT_EQ(p.network.deliver(), MemoryNetwork::kDeliveryLimit);
    EXPECT_GT(p.network.pendingEvents(), 0U);
}

}  // namespace
}  // namespace kestrin::testing
