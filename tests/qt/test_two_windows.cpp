// Two whole main windows (logic, Qt sockets, Qt timers) playing over loopback on a port the
// system picks: the handshake, chat, and a bank's score shown on the other side.
#include <QTest>

#include <gtest/gtest.h>

#include "platform/qt/qt_sockets.h"
#include "platform/qt/qt_timer_driver.h"
#include "tests/support/rig.h"
#include "window/main_window.h"

namespace kestrin::testing {
namespace {

constexpr int kWaitMs = 5000;

// One copy of the game: doubles for everything but the sockets and the timers.
struct QtCopy : Doubles {
    explicit QtCopy(const std::string& player) {
        // Port 0: the system picks a free port; no fallback port on loopback.
        main = std::make_unique<MainWindow>(state, gameServices(),
                                            LinkServices{qtSockets, store, lists, messageBox, errors, 0, 0}, shell);
        for (forms::Timer* timer : timers()) driver.bind(*timer);
        state.strPlayerName = player;
        state.lngGameType = 1;
        main->NewGameSelect();
    }
    ~QtCopy() {
        for (forms::Timer* timer : timers()) driver.unbind(*timer);
    }
    std::array<forms::Timer*, 4> timers() {
        MainForm& f = main->form();
        return {&f.tmrGame, &f.tmrBank, &f.tmrReady, &f.tmrWinsock};
    }
    MainForm& form() { return main->form(); }
    bool connected() { return form().cmdDisconnect.enabled() && form().txtChat.enabled(); }

    QtSocketFactory qtSockets;
    QtTimerDriver driver;
    std::unique_ptr<MainWindow> main;
};

TEST(TwoWindows, PlayOverLoopback) {
    QtCopy ann("Ann");
    QtCopy bob("Bob");
    const int port = ann.main->link().connection().WinsockServer(0).localPort();
    ASSERT_GT(port, 0);

    bob.form().cmbConnectTo.setText("127.0.0.1:" + std::to_string(port));
    bob.form().cmdConnect.click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.connected() && bob.connected(); }, kWaitMs))
        << ann.form().txtOutput.text() << "\n"
        << bob.form().txtOutput.text();
    EXPECT_EQ(ann.messageBox.shown.at(0).text, "Accept new player connection from Bob?");
    EXPECT_EQ(ann.form().cmbConnectTo.text(), "127.0.0.1");  // an IPv4 peer stays dotted
    EXPECT_EQ(lastLine(bob.form()), "* Connected to Ann");

    bob.form().txtChat.setText("Grüße von Zoë");
    bob.form().txtChat.keyPress(kKeyEnter);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastLine(ann.form()) == "<Bob> Grüße von Zoë"; }, kWaitMs))
        << lastLine(ann.form());

    // Both games run (as the countdown leaves them); Ann banks one level.
    for (QtCopy* copy : {&ann, &bob}) {
        copy->form().cmdStart.setCaption("&Start");
        copy->form().cmdStart.click();
    }
    ann.random.queueDigits({7});
    ann.form().cmdGuess[0].click();
    ann.form().cmdBank.click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob.form().lblOpponentScore.caption() == "10"; }, kWaitMs));

    // Bob leaves; Ann learns of it from the closed connection and listens again.
    bob.form().cmdDisconnect.click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastLine(ann.form()) == "* Disconnected"; }, kWaitMs));
    EXPECT_EQ(ann.main->link().connection().WinsockServer(0).state(), SocketState::Listening);
    EXPECT_TRUE(ann.errorTitles().empty());
    EXPECT_TRUE(bob.errorTitles().empty());
}

}  // namespace
}  // namespace kestrin::testing
