// The Qt sockets on loopback keep the rules the game relies on (and the in-memory network of the logic tests copies):
// ports, connecting, accepting on a second element, closing, refusals, deletion inside handlers, a joiner that speaks
// before the host takes the request, text that is not ASCII, big and nested arrivals.
#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

#include "platform/qt/qt_datagrams.h"
#include "platform/qt/qt_sockets.h"
#include "tests/support/doubles.h"

namespace kestrin {
namespace {

using testing::failureText;

using Texts = std::vector<std::string>;
constexpr int kWaitMs = 5000;

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

// A host's listener, and a joiner that asks to connect to it from the same machine.
class QtSockets : public ::testing::Test {
protected:
    static bool waitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitMs); }
    void listenAndAsk() {
        listener = sockets.create();
        listener->setLocalPort(0);
        listener->listen();
        atListener.emplace(*listener);
        joiner = sockets.create();
        atJoiner.emplace(*joiner);
        joiner->setRemoteHost("127.0.0.1");
        joiner->setRemotePort(listener->localPort());
        joiner->connect();
    }
    // ... and the host takes the request on a second element.
    void connectPair() {
        listenAndAsk();
        ASSERT_TRUE(waitUntil([&] { return !atListener->requests.empty(); }));
        accepted = sockets.create();
        atAccepted.emplace(*accepted);
        accepted->accept(atListener->requests.front());
        ASSERT_TRUE(waitUntil([&] { return joiner->state() == SocketState::Connected; }));
    }
    QtSocketFactory sockets;
    std::unique_ptr<Socket> listener, accepted, joiner;
    std::optional<Heard> atListener, atAccepted, atJoiner;
};

TEST_F(QtSockets, ConnectsOnAnEphemeralPortAcceptsOnASecondElementAndTalksBothWays) {
    listenAndAsk();
    const int port = listener->localPort();
    EXPECT_GT(port, 0);
    EXPECT_TRUE(atJoiner->events.empty());  // nothing arrives from inside connect()
    EXPECT_EQ(failureText([&] { joiner->connect(); }), "40020 Invalid operation at current state");
    // The joiner may speak before the host takes the request; two sends before the peer
    // reads may come joined; the text arrives whole and in order.
    ASSERT_TRUE(waitUntil([&] { return !atListener->requests.empty() && !atJoiner->events.empty(); }));
    EXPECT_EQ(atJoiner->events, Texts{"connected"});
    joiner->sendData("CONAnna");
    joiner->sendData("VER1");
    QTest::qWait(50);
    accepted = sockets.create();
    atAccepted.emplace(*accepted);
    accepted->accept(atListener->requests.front());
    EXPECT_EQ(accepted->state(), SocketState::Connected);
    EXPECT_EQ(listener->state(), SocketState::Listening);  // element 0 keeps listening
    EXPECT_EQ(accepted->localPort(), port);
    EXPECT_EQ(accepted->remoteHostIP(), "127.0.0.1");
    EXPECT_EQ(joiner->remoteHostIP(), "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] { return atAccepted->text.size() >= 11; })) << atAccepted->text;
    EXPECT_EQ(atAccepted->text, "CONAnnaVER1");
    accepted->sendData("CONBert");
    ASSERT_TRUE(waitUntil([&] { return atJoiner->text.size() >= 7; }));
    EXPECT_EQ(atJoiner->text, "CONBert");
}

TEST_F(QtSockets, ThePeerHearsACloseAndTheClosedSocketHearsNothingMore) {
    connectPair();
    joiner->sendData("MSGstill on the way");
    accepted->close();
    EXPECT_EQ(accepted->state(), SocketState::Closed);  // at once
    ASSERT_TRUE(waitUntil([&] { return atJoiner->events.size() >= 2; }));
    EXPECT_EQ(atJoiner->events, (Texts{"connected", "peer closed"}));
    EXPECT_EQ(joiner->state(), SocketState::Closing);
    EXPECT_EQ(failureText([&] { joiner->sendData("x"); }).substr(0, 5), "40006");
    EXPECT_TRUE(atAccepted->events.empty());
    joiner->close();
    EXPECT_EQ(joiner->state(), SocketState::Closed);
}

TEST_F(QtSockets, RefusesOnATakenPortAndWhereNothingListens) {
    listener = sockets.create();
    listener->setLocalPort(0);
    listener->listen();
    const int port = listener->localPort();
    auto second = sockets.create();
    second->setLocalPort(port);
    EXPECT_EQ(failureText([&] { second->listen(); }), "10048 The bound address is already in use");
    EXPECT_EQ(second->state(), SocketState::Closed);
    // A joiner that comes after the listener closed is refused.
    listener->close();
    joiner = sockets.create();
    atJoiner.emplace(*joiner);
    joiner->setRemoteHost("127.0.0.1");
    joiner->setRemotePort(port);
    joiner->connect();
    ASSERT_TRUE(waitUntil([&] { return !atJoiner->events.empty(); }));
    EXPECT_EQ(atJoiner->events, Texts{"error 10061 Connection refused"});
    EXPECT_EQ(joiner->state(), SocketState::Error);
    joiner->close();
    EXPECT_EQ(joiner->state(), SocketState::Closed);
    EXPECT_EQ(failureText([&] { second->listen(); }), "0");  // the port is free again
}

TEST_F(QtSockets, SocketsMayBeDeletedInsideTheirOwnHandlers) {
    // The host hands the request to a second element and drops its listener at once.
    accepted = sockets.create();
    bool joinerHeardClose = false;
    listenAndAsk();
    listener->onConnectionRequest = [&](std::int64_t id) {
        accepted->accept(id);
        listener.reset();
    };
    ASSERT_TRUE(waitUntil([&] { return !listener && joiner->state() == SocketState::Connected; }));
    accepted->onDataArrival = [&] { accepted.reset(); };
    joiner->onPeerClosed = [&] {
        joinerHeardClose = true;
        joiner.reset();
    };
    joiner->sendData("DIS");
    ASSERT_TRUE(waitUntil([&] { return !accepted && !joiner; }));
    EXPECT_TRUE(joinerHeardClose);
}

TEST_F(QtSockets, TextArrivesWholeInBoundedPiecesEvenSplitOnTheWireOrInsideNestedLoops) {
    connectPair();  // whatever LANG says: UTF-8 inside the program on both ends
    joiner->sendData("CONMüller");
    ASSERT_TRUE(waitUntil([&] { return atAccepted->text == "CONMüller"; }));
    // A peer's bytes, written in pieces that cut "ë" in half, and bytes that are no text.
    auto other = sockets.create();
    other->setLocalPort(0);
    other->listen();
    Heard atOther(*other);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(other->localPort()));
    ASSERT_TRUE(waitUntil([&] { return !atOther.requests.empty(); }));
    auto receiver = sockets.create();
    Heard atReceiver(*receiver);
    receiver->accept(atOther.requests.front());
    for (const QByteArray& bytes : {QByteArray("CONZo\xC3"), QByteArray("\xAB"), QByteArray("\xFF\xFEok")}) {
        const int before = atReceiver.arrivals;
        peer.write(bytes);
        peer.flush();
        ASSERT_TRUE(waitUntil([&] { return atReceiver.arrivals > before; }));
    }
    EXPECT_EQ(atReceiver.text, "CONZoë\uFFFD\uFFFDok");
    // A big send arrives whole, in pieces of at most 64 KiB.
    std::size_t largest = 0;
    std::string got;
    accepted->onDataArrival = [&] {
        const std::string piece = accepted->getData();
        largest = std::max(largest, piece.size());
        got += piece;
    };
    joiner->sendData(std::string(300'000, 'x'));
    ASSERT_TRUE(waitUntil([&] { return got.size() == 300'000; })) << got.size();
    EXPECT_LE(largest, 64u * 1024);
    // A handler that runs a nested event loop (as a message box does) while more text comes:
    // the later text is announced once the handler has returned.
    got.clear();
    accepted->onDataArrival = [&] {
        got += accepted->getData();
        if (got == "CONAnn") {
            joiner->sendData("VER1");
            QTest::qWait(100);
        }
    };
    joiner->sendData("CONAnn");
    ASSERT_TRUE(waitUntil([&] { return got == "CONAnnVER1"; })) << got;
    // A flood while the handler sits in a box: the copy reads no more than it holds back, TCP
    // holds the peer back, and the flood arrives whole once the box has gone.
    got.clear();
    const QByteArray flood(16 * 1024 * 1024, 'y');
    atReceiver.text.clear();
    receiver->onDataArrival = [&] {
        if (atReceiver.text.empty()) {
            atReceiver.text = receiver->getData();
            peer.write(flood);
            QTest::qWait(300);
            EXPECT_GT(peer.bytesToWrite(), 4 * 1024 * 1024);  // not read into memory meanwhile
        } else {
            atReceiver.text += receiver->getData();
        }
    };
    peer.write("MSGhi");
    // (The test's waiting sleeps between passes of the event loop: the game's loop reads faster.)
    ASSERT_TRUE(QTest::qWaitFor([&] { return atReceiver.text.size() == 5 + std::size_t(flood.size()); }, 20'000))
        << atReceiver.text.size();
}

// The datagram sockets as the in-memory ones behave: two programs share a port and both hear a
// broadcast, a datagram to an address reaches one of them, answers come back with the source.
TEST(QtDatagrams, SharedPortsHearBroadcastsAndAnswersFindTheirAsker) {
    QtDatagramNetwork lan(false), loopback(true);
    EXPECT_EQ(loopback.broadcastAddresses(), std::vector<std::string>{"127.255.255.255"});
    EXPECT_NE(std::ranges::count(lan.broadcastAddresses(), "127.255.255.255"), 0);
    EXPECT_NE(std::ranges::count(lan.ownAddresses(), "127.0.0.1"), 0);
    std::vector<std::unique_ptr<DatagramSocket>> sockets;
    std::vector<Texts> heard(3);
    for (int i = 0; i < 3; ++i) {
        sockets.push_back(lan.create());
        sockets[i]->onDatagram = [&heard, i](const std::string& address, int port, const std::string& text) {
            heard[i].push_back(address + ":" + std::to_string(port) + " " + text);
        };
    }
    sockets[0]->bind(0, true);
    const int shared = sockets[0]->localPort();
    sockets[1]->bind(shared, true);
    sockets[2]->bind(0, false);
    auto squatter = lan.create();
    EXPECT_EQ(failureText([&] { squatter->bind(shared, false); }).substr(0, 5), "10048");
    const std::string asker = "127.0.0.1:" + std::to_string(sockets[2]->localPort());
    ASSERT_TRUE(sockets[2]->send("127.255.255.255", shared, "KESTRIN FIND 1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard[0].size() == 1 && heard[1].size() == 1; }, kWaitMs));
    EXPECT_EQ(heard[0], Texts{asker + " KESTRIN FIND 1"});
    sockets[1]->send("127.0.0.1", sockets[2]->localPort(), "KESTRIN HERE 1 600 Zo\u00eb");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard[2].empty(); }, kWaitMs));
    EXPECT_EQ(heard[2], Texts{"127.0.0.1:" + std::to_string(shared) + " KESTRIN HERE 1 600 Zo\u00eb"});
    sockets[2]->send("127.0.0.1", shared, "one");
    QTest::qWait(100);
    EXPECT_EQ(heard[0].size() + heard[1].size(), 3u);  // a datagram to an address reaches one of them
}

}  // namespace
}  // namespace kestrin
