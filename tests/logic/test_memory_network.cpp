#include "tests/support/memory_network.h"

#include "platform/failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrin::testing {
namespace {

using Texts = std::vector<std::string>;

// A host machine listening on port 600, which takes every request, and a joiner on another.
struct TwoMachines {
    MemoryNetwork network;
    std::unique_ptr<SocketFactory> hostMachine = network.factoryFor("10.0.0.1");
    std::unique_ptr<Socket> listener = hostMachine->create();
    std::unique_ptr<Socket> accepted = hostMachine->create();
    std::unique_ptr<Socket> client = network.factoryFor("10.0.0.2")->create();
    Texts events;

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
        client->onPeerClosed = [this] { events.push_back("joiner saw close"); };
        client->setRemoteHost("10.0.0.1");
        client->setRemotePort(600);
    }
};

TEST(MemoryNetwork, ConnectsAndCarriesJoinedTextAndClosesOnlyWhenDelivered) {
    TwoMachines m;
    m.client->connect();
    EXPECT_TRUE(m.events.empty());
    m.network.deliver();
    EXPECT_EQ(m.events, (Texts{"request", "connected"}));
    EXPECT_EQ(m.listener->state(), socket_state::kListening);  // keeps listening after the accept
    EXPECT_EQ(m.accepted->remoteHostIP(), "10.0.0.2");

    // Two sends before the peer reads come out joined, in one arrival.
    Texts arrivals;
    m.accepted->onDataArrival = [&] { arrivals.push_back(m.accepted->getData()); };
    m.client->sendData("CONAnna");
    m.client->sendData("VER1");
    EXPECT_TRUE(arrivals.empty());
    m.network.deliver();
    EXPECT_EQ(arrivals, (Texts{"CONAnnaVER1"}));
    EXPECT_EQ(m.network.sentLog(), (Texts{"CONAnna", "VER1"}));

    // Text sent to a socket that closes before delivery raises nothing there; the peer hears the close.
    m.client->sendData("MSGhello");
    m.accepted->close();
    m.network.deliver();
    EXPECT_EQ(arrivals.size(), 1U);
    EXPECT_EQ(m.events.back(), "joiner saw close");
    EXPECT_EQ(m.client->state(), socket_state::kClosing);
    m.client->close();
    EXPECT_EQ(m.client->state(), socket_state::kClosed);
}

TEST(MemoryNetwork, RefusesWhereNobodyListensAndOnTakenOrProtectedPorts) {
    TwoMachines m;
    m.listener->close();
    m.client->connect();
    m.network.deliver();
    EXPECT_EQ(m.events, (Texts{"error 10061 Connection refused"}));
    EXPECT_EQ(m.client->state(), socket_state::kError);

    const auto listenOn = [](Socket& socket, int port) {
        socket.setLocalPort(port);
        try {
            socket.listen();
        } catch (const Failure& failure) {
            return std::to_string(failure.number()) + " " + failure.description();
        }
        return std::string("listening");
    };
    EXPECT_EQ(listenOn(*m.listener, 600), "listening");
    EXPECT_EQ(listenOn(*m.accepted, 600), "10048 The bound address is already in use");
    m.network.protectPort("10.0.0.2", 600);
    m.client->close();
    EXPECT_EQ(listenOn(*m.client, 600), "10013 The address is protected");
}

}  // namespace
}  // namespace kestrin::testing
