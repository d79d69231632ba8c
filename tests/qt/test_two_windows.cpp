// Two whole main windows (logic, Qt sockets, Qt timers) playing over loopback on a port the
// system picks: the handshake, chat, and a bank's score shown on the other side.
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/qt_copy.h"

namespace kestrin::testing {
namespace {

constexpr int kWaitMs = 5000;

TEST(TwoWindows, PlayOverLoopback) {
    QtSocketFactory sockets;
    QtCopy ann("Ann", sockets);
    QtCopy bob("Bob", sockets);
    ASSERT_GT(ann.listeningPort(), 0);
    bob.connectTo(ann.listeningPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.connected() && bob.connected(); }, kWaitMs))
        << ann.form().txtOutput.text() << "\n"
        << bob.form().txtOutput.text();
    EXPECT_EQ(ann.form().cmbConnectTo.text(), "127.0.0.1");  // an IPv4 peer stays dotted
    EXPECT_EQ(bob.lastLine(), "* Connected to Ann");
    bob.form().txtChat.setText("Grüße von Zoë");
    bob.form().txtChat.keyPress(kKeyEnter);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.lastLine() == "<Bob> Grüße von Zoë"; }, kWaitMs)) << ann.lastLine();
    ann.startGame();
    bob.startGame();
    ann.random.queueDigits({7});
    ann.form().cmdGuess[0].click();
    ann.form().cmdBank.click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob.form().lblOpponentScore.caption() == "10"; }, kWaitMs));
    // Bob leaves; Ann learns of it from the closed connection and listens again.
    bob.form().cmdDisconnect.click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.lastLine() == "* Disconnected"; }, kWaitMs));
    EXPECT_EQ(ann.main->link().connection().WinsockServer(0).state(), SocketState::Listening);
    EXPECT_TRUE(ann.errorTitles().empty() && bob.errorTitles().empty());
}

}  // namespace
}  // namespace kestrin::testing
