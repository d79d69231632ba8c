// One set of socket rules, run against the in-memory network the logic tests play on and
// against the Qt sockets on loopback, so that the two cannot drift apart. The in-memory
// network delivers its events when the test lets it; the Qt sockets get theirs from the
// event loop. A few Qt-only cases follow: a joiner that speaks before the host takes the
// request, IPv6 loopback, text that is not ASCII, big and nested arrivals.
#include "platform/failure.h"
#include "platform/qt/qt_sockets.h"
#include "tests/support/memory_network.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrin {
namespace {

using Texts = std::vector<std::string>;
constexpr int kWaitMs = 5000;

// Two machines that can reach each other, and a way to let events arrive.
class Backend {
public:
    virtual ~Backend() = default;
    virtual std::unique_ptr<Socket> onHost() = 0;    // a socket of the host's machine
    virtual std::unique_ptr<Socket> onJoiner() = 0;  // a socket of the joiner's machine
    // Lets events arrive until done() holds or the bound passes; returns done().
    virtual bool waitUntil(const std::function<bool()>& done) = 0;
    // Makes listening on the port need a privilege the program lacks; false when this backend
    // cannot (the Qt sockets run with a privilege, or the system gives the port to anyone).
    virtual bool protectPort(int port) = 0;
};

class MemoryBackend final : public Backend {
public:
    std::unique_ptr<Socket> onHost() override { return host_->create(); }
    std::unique_ptr<Socket> onJoiner() override { return joiner_->create(); }
    bool waitUntil(const std::function<bool()>& done) override {
        // deliver() is bounded itself; a few rounds cover events caused after it returned.
        for (int round = 0; round < 10 && !done(); ++round) network_.deliver();
        return done();
    }
    bool protectPort(int port) override {
        network_.protectPort("127.0.0.1", port);
        return true;
    }

private:
    testing::MemoryNetwork network_;
    std::unique_ptr<SocketFactory> host_ = network_.factoryFor("127.0.0.1");
    std::unique_ptr<SocketFactory> joiner_ = network_.factoryFor("127.0.0.1");
};

class QtBackend final : public Backend {
public:
    std::unique_ptr<Socket> onHost() override { return host_.create(); }
    std::unique_ptr<Socket> onJoiner() override { return joiner_.create(); }
    bool waitUntil(const std::function<bool()>& done) override { return QTest::qWaitFor(done, kWaitMs); }
    bool protectPort(int port) override {
        int firstFree = 1024;  // the ports an ordinary user may take start here
        std::ifstream("/proc/sys/net/ipv4/ip_unprivileged_port_start") >> firstFree;
        return geteuid() != 0 && port < firstFree;
    }

private:
    QtSocketFactory host_;
    QtSocketFactory joiner_;
};

struct BackendKind {
    const char* name;
    std::unique_ptr<Backend> (*make)();
};
void PrintTo(const BackendKind& kind, std::ostream* out) { *out << kind.name; }

// Records what a socket hears, in order.
struct Heard {
    explicit Heard(Socket& socket) {
        socket.onConnectionRequest = [this](std::int64_t id) { requests.push_back(id); };
        socket.onConnected = [this] { events.push_back("connected"); };
        socket.onDataArrival = [this, &socket] {
            ++arrivals;
            text += socket.getData();
        };
        socket.onPeerClosed = [this] { events.push_back("peer closed"); };
        socket.onError = [this](int number, const std::string& description) {
            events.push_back("error " + std::to_string(number) + " " + description);
        };
    }
    std::vector<std::int64_t> requests;
    Texts events;
    std::string text;
    int arrivals = 0;
};

// "number description" of the Failure the call throws, or "no failure".
std::string failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return std::to_string(failure.number()) + " " + failure.description();
    }
    return "no failure";
}

class SocketContract : public ::testing::TestWithParam<BackendKind> {
protected:
    // The host listens on a free port; the joiner asks to connect to it.
    void listenAndAsk() {
        listener = net->onHost();
        listener->setLocalPort(0);
        listener->listen();
        atListener.emplace(*listener);
        joiner = net->onJoiner();
        atJoiner.emplace(*joiner);
        joiner->setRemoteHost("127.0.0.1");
        joiner->setRemotePort(listener->localPort());
        joiner->connect();
    }
    // ... and the host takes the request on a second element.
    void connectPair() {
        listenAndAsk();
        ASSERT_TRUE(net->waitUntil([&] { return !atListener->requests.empty(); }));
        accepted = net->onHost();
        atAccepted.emplace(*accepted);
        accepted->accept(atListener->requests.front());
        ASSERT_TRUE(net->waitUntil([&] { return joiner->state() == SocketState::Connected; }));
    }

    std::unique_ptr<Backend> net = GetParam().make();
    std::unique_ptr<Socket> listener, accepted, joiner;
    std::optional<Heard> atListener, atAccepted, atJoiner;
};

TEST_P(SocketContract, ConnectsOnAnEphemeralPortAcceptsOnASecondElementAndTalksBothWays) {
    listenAndAsk();
    const int port = listener->localPort();
    EXPECT_GT(port, 0);
    EXPECT_EQ(listener->state(), SocketState::Listening);
    EXPECT_TRUE(atJoiner->events.empty());  // nothing arrives from inside connect()
    EXPECT_TRUE(joiner->state() == SocketState::ResolvingHost || joiner->state() == SocketState::Connecting)
        << static_cast<int>(joiner->state());
    EXPECT_EQ(failureOf([&] { joiner->connect(); }), "40020 Invalid operation at current state");

    ASSERT_TRUE(net->waitUntil([&] { return !atListener->requests.empty(); }));
    accepted = net->onHost();
    atAccepted.emplace(*accepted);
    accepted->accept(atListener->requests.front());
    EXPECT_EQ(accepted->state(), SocketState::Connected);
    EXPECT_EQ(listener->state(), SocketState::Listening);  // element 0 keeps listening
    EXPECT_EQ(accepted->localPort(), port);
    EXPECT_EQ(accepted->remoteHostIP(), "127.0.0.1");
    ASSERT_TRUE(net->waitUntil([&] { return !atJoiner->events.empty(); }));
    EXPECT_EQ(atJoiner->events, Texts{"connected"});
    EXPECT_EQ(joiner->state(), SocketState::Connected);
    EXPECT_EQ(joiner->remoteHostIP(), "127.0.0.1");

    // Two sends before the peer reads may come joined; the text arrives whole and in order.
    joiner->sendData("CONAnna");
    joiner->sendData("VER1");
    ASSERT_TRUE(net->waitUntil([&] { return atAccepted->text.size() >= 11; })) << atAccepted->text;
    EXPECT_EQ(atAccepted->text, "CONAnnaVER1");
    accepted->sendData("CONBert");
    ASSERT_TRUE(net->waitUntil([&] { return atJoiner->text.size() >= 7; }));
    EXPECT_EQ(atJoiner->text, "CONBert");
    EXPECT_EQ(failureOf([&] { listener->sendData("x"); }).substr(0, 5), "40006");
}

TEST_P(SocketContract, ThePeerHearsACloseAndTheClosedSocketHearsNothingMore) {
    connectPair();
    joiner->sendData("MSGstill on the way");
    accepted->close();
    EXPECT_EQ(accepted->state(), SocketState::Closed);  // at once
    EXPECT_EQ(accepted->getData(), "");
    ASSERT_TRUE(net->waitUntil([&] { return atJoiner->events.size() >= 2; }));
    EXPECT_EQ(atJoiner->events, (Texts{"connected", "peer closed"}));
    EXPECT_EQ(joiner->state(), SocketState::Closing);
    EXPECT_EQ(failureOf([&] { joiner->sendData("x"); }).substr(0, 5), "40006");
    EXPECT_EQ(atAccepted->arrivals, 0);
    EXPECT_TRUE(atAccepted->events.empty());
    joiner->close();
    EXPECT_EQ(joiner->state(), SocketState::Closed);
}

TEST_P(SocketContract, RefusesOnATakenPortAndWhereNothingListens) {
    listener = net->onHost();
    listener->setLocalPort(0);
    listener->listen();
    const int port = listener->localPort();
    auto second = net->onHost();
    second->setLocalPort(port);
    EXPECT_EQ(failureOf([&] { second->listen(); }), "10048 The bound address is already in use");
    EXPECT_EQ(second->state(), SocketState::Closed);

    // A joiner that comes after the listener closed is refused.
    listener->close();
    joiner = net->onJoiner();
    atJoiner.emplace(*joiner);
    joiner->setRemoteHost("127.0.0.1");
    joiner->setRemotePort(port);
    joiner->connect();
    ASSERT_TRUE(net->waitUntil([&] { return !atJoiner->events.empty(); }));
    EXPECT_EQ(atJoiner->events, Texts{"error 10061 Connection refused"});
    EXPECT_EQ(joiner->state(), SocketState::Error);
    joiner->close();
    EXPECT_EQ(joiner->state(), SocketState::Closed);

    // The port is free again once its listener closed.
    EXPECT_EQ(failureOf([&] { second->listen(); }), "no failure");
}

TEST_P(SocketContract, AProtectedPortNeedsAPrivilege) {
    if (!net->protectPort(600)) GTEST_SKIP() << "this program may take port 600 here";
    auto socket = net->onHost();
    socket->setLocalPort(600);
    EXPECT_EQ(failureOf([&] { socket->listen(); }), "10013 The address is protected");
    EXPECT_EQ(socket->state(), SocketState::Closed);
}

TEST_P(SocketContract, SocketsMayBeDeletedInsideTheirOwnHandlers) {
    // The host hands the request to a second element and drops its listener at once.
    accepted = net->onHost();
    bool joinerHeardClose = false;
    listenAndAsk();
    listener->onConnectionRequest = [&](std::int64_t id) {
        accepted->accept(id);
        listener.reset();
    };
    ASSERT_TRUE(net->waitUntil([&] { return !listener && joiner->state() == SocketState::Connected; }));

    accepted->onDataArrival = [&] { accepted.reset(); };
    joiner->onPeerClosed = [&] {
        joinerHeardClose = true;
        joiner.reset();
    };
    joiner->sendData("DIS");
    ASSERT_TRUE(net->waitUntil([&] { return !accepted && !joiner; }));
    EXPECT_TRUE(joinerHeardClose);
}

INSTANTIATE_TEST_SUITE_P(
    Backends, SocketContract,
    ::testing::Values(BackendKind{"Memory", [] { return std::unique_ptr<Backend>(new MemoryBackend); }},
                      BackendKind{"Qt", [] { return std::unique_ptr<Backend>(new QtBackend); }}),
    [](const ::testing::TestParamInfo<BackendKind>& kind) { return std::string(kind.param.name); });

// --- Qt sockets only -----------------------------------------------------------------------

// A listener of its own factory and a joiner, connected to host:port and accepted.
struct QtPair {
    QtSocketFactory factory;
    std::unique_ptr<Socket> listener = factory.create();
    std::unique_ptr<Socket> accepted = factory.create();
    std::unique_ptr<Socket> joiner = factory.create();
    Heard atAccepted{*accepted};
    Heard atJoiner{*joiner};

    bool connect(const std::string& host) {
        listener->setLocalPort(0);
        listener->listen();
        listener->onConnectionRequest = [this](std::int64_t id) { accepted->accept(id); };
        joiner->setRemoteHost(host);
        joiner->setRemotePort(listener->localPort());
        joiner->connect();
        return QTest::qWaitFor(
            [&] { return accepted->state() == SocketState::Connected && joiner->state() == SocketState::Connected; },
            kWaitMs);
    }
};

TEST(QtSocketsOnly, TheJoinerIsConnectedAndMaySpeakBeforeTheHostTakesTheRequest) {
    QtPair pair;
    pair.listener->setLocalPort(0);
    pair.listener->listen();
    Heard atListener(*pair.listener);
    pair.joiner->setRemoteHost("127.0.0.1");
    pair.joiner->setRemotePort(pair.listener->localPort());
    pair.joiner->connect();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !atListener.requests.empty() && !pair.atJoiner.events.empty(); }, kWaitMs));
    EXPECT_EQ(pair.atJoiner.events, Texts{"connected"});
    pair.joiner->sendData("CONZoë");
    QTest::qWait(50);
    pair.accepted->accept(atListener.requests.front());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pair.atAccepted.text == "CONZoë"; }, kWaitMs)) << pair.atAccepted.text;
}

TEST(QtSocketsOnly, ReachTheDualStackListenerOverIpv6Loopback) {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHostIPv6, 0)) GTEST_SKIP() << "no IPv6 loopback on this machine";
    probe.close();

    QtPair pair;
    ASSERT_TRUE(pair.connect("::1"));
    EXPECT_EQ(pair.accepted->remoteHostIP(), "::1");
    EXPECT_EQ(pair.joiner->remoteHostIP(), "::1");
    pair.joiner->sendData("CONAnna");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pair.atAccepted.text == "CONAnna"; }, kWaitMs));
}

TEST(QtSocketsOnly, NamesThatAreNotAsciiArriveWholeEvenWhenSplitOnTheWire) {
    // Whatever LANG says: UTF-8 inside the program on both ends.
    QtPair pair;
    ASSERT_TRUE(pair.connect("127.0.0.1"));
    pair.joiner->sendData("CONMüller");
    pair.accepted->sendData("CONZoë");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return pair.atAccepted.text.size() >= 10 && pair.atJoiner.text.size() >= 7; }, kWaitMs));
    EXPECT_EQ(pair.atAccepted.text, "CONMüller");
    EXPECT_EQ(pair.atJoiner.text, "CONZoë");

    // A peer's bytes, written in two pieces that cut "ë" in half, and bytes that are no text.
    auto listener = pair.factory.create();
    listener->setLocalPort(0);
    listener->listen();
    Heard atListener(*listener);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(listener->localPort()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !atListener.requests.empty(); }, kWaitMs));
    auto receiver = pair.factory.create();
    Heard atReceiver(*receiver);
    receiver->accept(atListener.requests.front());
    const auto write = [&](const QByteArray& bytes) {
        peer.write(bytes);
        peer.flush();
    };
    write("CONZo\xC3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atReceiver.arrivals >= 1; }, kWaitMs));
    write("\xAB");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atReceiver.text.size() >= 7; }, kWaitMs));
    EXPECT_EQ(atReceiver.text, "CONZoë");

    write(
        "\xFF\xFE"
        "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atReceiver.text.ends_with("ok"); }, kWaitMs)) << atReceiver.text;
    EXPECT_TRUE(atReceiver.text.starts_with("CONZoë\uFFFD")) << atReceiver.text;
    EXPECT_EQ(receiver->state(), SocketState::Connected);
}

TEST(QtSocketsOnly, ArrivalsComeInBoundedPiecesAndSurviveNestedLoopsAndCloses) {
    QtPair pair;
    ASSERT_TRUE(pair.connect("127.0.0.1"));
    // A big send arrives whole, in pieces of at most 64 KiB.
    std::size_t largest = 0;
    std::string got;
    pair.accepted->onDataArrival = [&] {
        const std::string piece = pair.accepted->getData();
        largest = std::max(largest, piece.size());
        got += piece;
    };
    pair.joiner->sendData(std::string(300'000, 'x'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 300'000; }, kWaitMs)) << got.size();
    EXPECT_LE(largest, 64u * 1024);

    // A handler that runs a nested event loop (as a message box does) while more text comes:
    // the later text is announced once the handler has returned.
    got.clear();
    int nested = 0;
    pair.accepted->onDataArrival = [&] {
        got += pair.accepted->getData();
        if (nested++ == 0) {
            pair.joiner->sendData("VER1");
            QTest::qWait(100);
        }
    };
    pair.joiner->sendData("CONAnn");
    ASSERT_TRUE(QTest::qWaitFor([&] { return got == "CONAnnVER1"; }, kWaitMs)) << got;

    // A handler that closes its own socket while it is being told of the text.
    pair.accepted->onDataArrival = [&] { pair.accepted->close(); };
    pair.joiner->sendData("DIS");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pair.accepted->state() == SocketState::Closed; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pair.joiner->state() == SocketState::Closing; }, kWaitMs));
}

}  // namespace
}  // namespace kestrin
