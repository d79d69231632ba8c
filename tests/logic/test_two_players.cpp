// Two whole copies on one network and one clock: connecting, introducing, starting together,
// playing, chatting and disconnecting, and a peer that does not play by the rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/connection.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

class TwoPlayers : public ::testing::Test, public TwoCopies {
protected:
    static bool listening(Rig& rig) {
        return rig.link().connection().WinsockServer(0).state() == SocketState::Listening;
    }
    // A click, then the network settles.
    void press(forms::Button& button) {
        button.click();
        settle();
    }
    // Text from a program that speaks the wire format by hand, delivered.
    void from(RawPeer& peer, const std::string& text) {
        peer.send(text);
        settle();
    }
    std::size_t count(const std::string& text) const {
        const auto all = wire();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), text));
    }
};

TEST_F(TwoPlayers, HandshakeIntroducesBothPlayersAndRemembersTheHost) {
    bob.form().cmbConnectTo.setText("10.0.0.1");
    bob.form().cmdConnect.click();
    EXPECT_FALSE(bob.form().cmdConnect.enabled());
    EXPECT_FALSE(listening(bob));  // connecting out stops listening
    expectLinkControls(bob, false);
    bool connectWhileAsked = true;
    ann.messageBox.duringShow = [&] { connectWhileAsked = bob.form().cmdConnect.enabled(); };
    settle();
    EXPECT_FALSE(connectWhileAsked);  // introducing: Connect stays off

    EXPECT_EQ(wire(), (std::vector<std::string>{"CONBob", "NAMAnn", "VER1", "VER1"}));
    ASSERT_EQ(ann.messageBox.shown.size(), 1u);
    EXPECT_EQ(ann.messageBox.shown[0].text, "Accept new player connection from Bob?");
    EXPECT_EQ(ann.messageBox.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ann.form().txtOutput.text(),
              "* Waiting for connection to another player\r\n* Connection request from Bob\r\n* Connected to Bob");
    EXPECT_EQ(bob.form().txtOutput.text(),
              "* Waiting for connection to another player\r\n* Attempting connection with 10.0.0.1\r\n"
              "* Connected to Ann");
    expectLinkControls(ann, true);
    expectLinkControls(bob, true);
    EXPECT_TRUE(ann.form().cmdStart.hasFocus());
    EXPECT_EQ(ann.link().opponent().name, "Bob");
    EXPECT_EQ(bob.link().opponent().name, "Ann");

    // The host took the connection on element 1 and stopped listening.
    EXPECT_EQ(ann.link().connection().intActiveServer, 1);
    EXPECT_EQ(ann.link().connection().WinsockServer(1).state(), SocketState::Connected);
    EXPECT_FALSE(listening(ann));
    // Each side remembers the other's address; the joiner also as the last host.
    EXPECT_EQ(bob.files.files["/game/ConnectTo.dat"], std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(bob.form().cmbConnectTo.items(), std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(bob.store.get("Kestrin", "Player", "LastIP"), "10.0.0.1");
    EXPECT_EQ(ann.form().cmbConnectTo.text(), "10.0.0.2");
    EXPECT_EQ(ann.files.files["/game/ConnectTo.dat"], std::vector<std::string>{"10.0.0.2"});
    EXPECT_FALSE(bob.form().tmrWinsock.enabled());
}

TEST_F(TwoPlayers, RefusalAndVersionMismatchesEndTheLinkOnBothSides) {
    ann.messageBox.answers = {MessageResult::No};
    connect();
    EXPECT_EQ(wire(), (std::vector<std::string>{"CONBob", "REF* Ann didn't accept the connection.", "DIS"}));
    EXPECT_EQ(lastLine(ann), "* Disconnected");
    EXPECT_NE(bob.form().txtOutput.text().find("* Ann didn't accept the connection.\r\n* Disconnected"),
              std::string::npos);
    EXPECT_TRUE(listening(ann));
    EXPECT_TRUE(listening(bob));
    expectLinkControls(ann, false);
    expectLinkControls(bob, false);
    EXPECT_TRUE(bob.messageBox.shown.empty());  // the "DIS" behind the refusal is no stranger

    // An older joiner: the host still answers "VER1", then says why and disconnects.
    RawPeer eve(network, "10.0.0.9");
    eve.connect("10.0.0.1", 600);
    settle();
    from(eve, "CONEve");
    from(eve, "VER0");
    std::string heard;
    for (const auto& text : eve.received) heard += text;
    EXPECT_EQ(heard, "NAMAnnVER1DIS");
    EXPECT_EQ(lastLine(ann), "* Disconnected");
    EXPECT_NE(ann.form().txtOutput.text().find("* Your opponent's version is too old to connect to\r\n"),
              std::string::npos);
    EXPECT_TRUE(listening(ann));

    // A newer host: the joiner says its own version is too old and closes.
    RawPeer zed(network, "10.0.0.8");
    zed.listen(600);
    bob.form().cmbConnectTo.setText("10.0.0.8");
    press(bob.form().cmdConnect);
    ASSERT_EQ(zed.received, std::vector<std::string>{"CONBob"});
    from(zed, "NAMZed");
    EXPECT_EQ(zed.received.back(), "VER1");
    expectLinkControls(bob, false);  // introduced, not yet connected
    from(zed, "VER2DIS");            // the mismatch and a host's goodbye in one receive
    EXPECT_NE(bob.form().txtOutput.text().find("* Your version is too old to connect to your opponent\r\n"
                                               "* Disconnected"),
              std::string::npos);
    EXPECT_TRUE(zed.closedByPeer);
    EXPECT_TRUE(listening(bob));
    EXPECT_TRUE(bob.messageBox.shown.empty());
}

TEST_F(TwoPlayers, ReadyInEitherOrderOrAtOnceStartsBothCountdowns) {
    connect();
    // Ann (the host) first: Bob only reads the line.
    press(ann.form().cmdStart);
    EXPECT_EQ(ann.form().cmdStart.caption(), "Waiting");
    EXPECT_FALSE(ann.form().cmdStart.enabled());
    EXPECT_FALSE(ann.form().mnuGGameSelect.enabled());
    EXPECT_TRUE(ann.form().txtChat.hasFocus());
    EXPECT_EQ(lastLine(bob), "* Ann is ready to start the game");
    EXPECT_EQ(bob.form().cmdStart.caption(), "&Ready");
    press(bob.form().cmdStart);
    EXPECT_EQ(count("STG"), 1u);
    EXPECT_EQ(ann.form().cmdStart.caption(), "5 Seconds");
    EXPECT_EQ(bob.form().cmdStart.caption(), "5 Seconds");
    EXPECT_EQ(lastLine(ann), "* Bob is ready to start the game");
    EXPECT_EQ(ann.sound.beeps + bob.sound.beeps, 0);  // in this order nobody beeps
    clock.advance(5'000);
    EXPECT_EQ(ann.form().cmdStart.caption(), "0 Seconds");
    clock.advance(1'000);
    for (Rig* rig : {&ann, &bob}) {
        EXPECT_EQ(rig->form().cmdStart.caption(), "&Stop");
        EXPECT_TRUE(rig->form().cmdStart.enabled());
        EXPECT_TRUE(rig->form().tmrGame.enabled());
        EXPECT_TRUE(rig->form().cmdGuess[0].hasFocus());
        EXPECT_EQ(rig->sound.beeps, 1);  // the start beep
    }
    press(ann.form().cmdStart);  // stop, both back to Ready

    // Bob (the joiner) first: Bob beeps as he answers "STG", Ann as she receives it.
    press(bob.form().cmdStart);
    press(ann.form().cmdStart);
    EXPECT_EQ(bob.sound.beeps, 2);
    EXPECT_EQ(ann.sound.beeps, 2);
    EXPECT_EQ(ann.form().cmdStart.caption(), "5 Seconds");
    clock.advance(6'000);
    press(ann.form().cmdStart);

    // At once: each answers the other's "RED" and restarts at 5 on the other's "STG".
    network.clearSentLog();
    ann.form().cmdStart.click();
    press(bob.form().cmdStart);
    EXPECT_EQ(count("STG"), 2u);
    EXPECT_EQ(ann.form().cmdStart.caption(), "5 Seconds");
    EXPECT_EQ(bob.form().cmdStart.caption(), "5 Seconds");
    EXPECT_EQ(ann.game().intTimeLeft, 5);
    EXPECT_EQ(bob.sound.beeps, 4);  // answered "STG" as joiner, and the start beep before
    EXPECT_EQ(ann.sound.beeps, 4);  // received "STG" as host
}

TEST_F(TwoPlayers, BanksShowOnTheOtherSideAndBothCopiesAgreeOnTheResult) {
    connect();
    startGame();
    // Ann guesses higher after the first 5, draws 7: one level lit; she banks 10.
    ann.random.queueDigits({7});
    ann.form().cmdGuess[0].click();
    press(ann.form().cmdBank);
    EXPECT_EQ(count("SCU 10"), 1u);
    EXPECT_EQ(bob.form().lblOpponentScore.caption(), "10");
    EXPECT_EQ(bob.form().lblOpponentScore.foreColor(), forms::kLeaderGreen);
    EXPECT_EQ(bob.form().lblCurrentScore.foreColor(), forms::kTrailerRed);
    EXPECT_EQ(ann.form().lblCurrentScore.foreColor(), forms::kLeaderGreen);

    clock.advance(61'000);
    settle();
    EXPECT_EQ(lastLine(ann), "* Congratulations, you set a new high score");
    EXPECT_NE(ann.form().txtOutput.text().find("* Congratulations! You won the game by 10 points!"), std::string::npos);
    EXPECT_EQ(lastLine(bob), "* Bad Luck! You lost the game by 10 points!");
    EXPECT_EQ(ann.state.stats.MPGamesWon, 1);
    EXPECT_EQ(bob.state.stats.MPGamesLost, 1);
    EXPECT_EQ(bob.state.stats.MPGamesPlayed, 1);
    // Each copy's table holds Ann's 10; Bob's 0 earns nothing.
    for (Rig* rig : {&ann, &bob}) {
        EXPECT_EQ(rig->store.get("Kestrin", "Scores\\", "1name"), "Ann");
        EXPECT_EQ(rig->store.get("Kestrin", "Scores\\", "1score"), "10");
        EXPECT_EQ(rig->form().cmdStart.caption(), "&Ready");
        EXPECT_FALSE(rig->game().blnReady);
    }
    EXPECT_EQ(count("STP* Ann has stopped play") + count("STP* Bob has stopped play"), 0u);

    // A game without banks is a draw on both.
    startGame();
    clock.advance(61'000);
    settle();
    EXPECT_EQ(lastLine(ann), "* Its a draw, you are both losers (or winners?)!");
    EXPECT_EQ(lastLine(bob), "* Its a draw, you are both losers (or winners?)!");
}

TEST_F(TwoPlayers, ChatLinesTravelExactlyAsTyped) {
    connect();
    network.clearSentLog();
    const std::string before = ann.form().txtOutput.text();
    bob.form().txtChat.keyPress(kKeyEnter);  // empty: nothing sent, nothing written
    settle();
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(ann.form().txtOutput.text(), before);

    const std::string longest(150, 'w');
    for (const std::string& line : {std::string(" hi SCU 5VER2DIS "), longest, std::string("Grüße, Zoë")}) {
        bob.form().txtChat.setText(line);
        bob.form().txtChat.keyPress(kKeyEnter);
        settle();
        EXPECT_EQ(wire().back(), "MSG" + line);
        EXPECT_EQ(lastLine(ann), "<Bob> " + line);
        EXPECT_EQ(lastLine(bob), "<Bob> " + line);
        EXPECT_EQ(bob.form().txtChat.text(), "");
        EXPECT_EQ(bob.form().txtChat.selStart(), 0u);
    }
    EXPECT_TRUE(ann.form().txtChat.hasFocus());
    EXPECT_EQ(ann.form().lblOpponentScore.caption(), "0");  // codes inside a chat line do nothing

    ann.form().txtChat.setText("hello");
    press(ann.form().cmdSend);
    EXPECT_EQ(lastLine(bob), "<Ann> hello");
}

TEST_F(TwoPlayers, StopByEitherSideStopsBothWithoutAnEcho) {
    connect();
    startGame();
    network.clearSentLog();
    press(ann.form().cmdStart);
    EXPECT_EQ(wire(), std::vector<std::string>{"STP* Ann has stopped play"});
    EXPECT_EQ(lastLine(bob), "* Ann has stopped play");
    for (Rig* rig : {&ann, &bob}) {
        EXPECT_EQ(rig->form().cmdStart.caption(), "&Ready");
        EXPECT_FALSE(rig->form().tmrGame.enabled());
        EXPECT_FALSE(rig->form().cmdSetup.enabled());  // Setup returns only when the link drops
    }

    startGame();
    network.clearSentLog();
    press(bob.form().cmdStart);
    EXPECT_EQ(wire(), std::vector<std::string>{"STP* Bob has stopped play"});
    EXPECT_EQ(ann.form().cmdStart.caption(), "&Ready");

    // A stop arriving during the countdown only resets; the countdown goes on.
    ann.form().cmdStart.click();
    press(bob.form().cmdStart);
    clock.advance(2'000);
    ann.link().receivers().receive(1, "STP* Bob has stopped play");
    EXPECT_EQ(ann.form().cmdStart.caption(), "3 Seconds");
    clock.advance(4'000);
    EXPECT_EQ(ann.form().cmdStart.caption(), "&Stop");  // still five seconds after it began
}

TEST_F(TwoPlayers, DisconnectFromEitherSideLeavesBothListeningAndRolesCanSwap) {
    connect();
    startGame();
    network.clearSentLog();
    press(ann.form().cmdDisconnect);  // the host says goodbye
    EXPECT_EQ(wire(), std::vector<std::string>{"DIS"});
    for (Rig* rig : {&ann, &bob}) {
        EXPECT_EQ(lastLine(*rig), "* Disconnected");
        EXPECT_TRUE(listening(*rig));
        expectLinkControls(*rig, false);
        EXPECT_FALSE(rig->form().tmrGame.enabled());  // the game stopped with the link
        EXPECT_TRUE(rig->form().mnuGGameSelect.enabled());
    }

    // Now Ann joins Bob; then she leaves, and Bob learns of it from the closed connection.
    network.clearSentLog();
    press(ann.form().cmdConnect);  // her host box holds Bob's address from before
    EXPECT_EQ(wire(), (std::vector<std::string>{"CONAnn", "NAMBob", "VER1", "VER1"}));
    expectLinkControls(ann, true);
    expectLinkControls(bob, true);
    // A countdown that is running when the link drops ends with it.
    ann.form().cmdStart.click();
    press(bob.form().cmdStart);
    network.clearSentLog();
    press(ann.form().cmdDisconnect);
    EXPECT_TRUE(wire().empty());  // a joiner just closes
    for (Rig* rig : {&ann, &bob}) {
        EXPECT_EQ(lastLine(*rig), "* Disconnected");
        EXPECT_TRUE(listening(*rig));
        EXPECT_FALSE(rig->form().tmrReady.enabled());
    }
    clock.advance(10'000);
    EXPECT_FALSE(ann.form().tmrGame.enabled());
    EXPECT_FALSE(bob.form().tmrGame.enabled());
}

TEST_F(TwoPlayers, AJoinerThatCannotListenAgainIsToldOnceAfterTheLinkHasEnded) {
    connect();
    RawPeer squatter(network, "10.0.0.2");  // another program on Bob's machine takes the port
    squatter.listen(600);
    std::string logWhenTold;
    bob.messageBox.duringShow = [&] { logWhenTold = lastLine(bob); };
    press(ann.form().cmdDisconnect);
    ASSERT_EQ(bob.messageBox.shown.size(), 1u);
    EXPECT_EQ(bob.messageBox.shown[0].text, "Error 10048 - The bound address is already in use");
    EXPECT_EQ(logWhenTold, "* Disconnected");
    expectLinkControls(bob, false);
    EXPECT_FALSE(bob.game().blnReady);  // the link ending stops a game; it never signals ready
    EXPECT_FALSE(listening(bob));
}

TEST_F(TwoPlayers, AFailedConnectIsShownThenTimesOutAndListensAgain) {
    bob.form().cmbConnectTo.setText("10.0.0.7");  // nobody there
    press(bob.form().cmdConnect);
    clock.advance(5'000);
    bob.form().cmbConnectTo.keyPress(kKeyEnter);  // tried again: ten seconds from now
    settle();
    bob.messageBox.shown.erase(bob.messageBox.shown.begin());
    ASSERT_EQ(bob.messageBox.shown.size(), 1u);  // after trying the fallback port once, quietly
    EXPECT_EQ(bob.messageBox.shown[0].text, "Error 10061 - Connection refused");
    EXPECT_EQ(bob.messageBox.shown[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(listening(bob));
    clock.advance(9'999);
    EXPECT_FALSE(listening(bob));
    clock.advance(1);
    EXPECT_EQ(lastLine(bob), "* Connection failed");
    EXPECT_TRUE(listening(bob));
    EXPECT_TRUE(bob.form().cmdConnect.enabled());
    EXPECT_FALSE(bob.form().cmdDisconnect.enabled());
    EXPECT_FALSE(bob.form().tmrWinsock.enabled());

    // An empty host text (Enter works even while Connect is disabled) is reported at once.
    bob.form().cmbConnectTo.setText("");
    bob.form().cmbConnectTo.keyPress(kKeyEnter);
    EXPECT_TRUE(bob.errorTitles().empty());
    EXPECT_EQ(bob.messageBox.shown.back().text, "Error 11001 - Host not found: no host name was given");
    EXPECT_EQ(lastLine(bob), "* Connection failed");
    EXPECT_TRUE(listening(bob));

    // A host listening on the fallback port is found when no port is typed.
    ann.choose("Ann", 0);
    network.protectPort("10.0.0.1", 600);
    ann.choose("Ann", 1);
    connect();
    expectLinkControls(bob, true);
    EXPECT_EQ(bob.link().connection().WinsockClient().remotePort(), 10600);
}

TEST_F(TwoPlayers, HostBoxTakesAPortAndV6Addresses) {
    const std::pair<const char*, const char*> texts[] = {
        {"example.org", "example.org 0"}, {"10.0.0.1:10600", "10.0.0.1 10600"},
        {"[::1]:601", "::1 601"},         {"[::1]", "::1 0"},
        {"fe80::1", "fe80::1 0"},         {"h:65535", "h 65535"},
        {"h:65536", "invalid 0"},         {"host:0", "invalid 0"},
        {"host:http", "invalid 0"},       {"[::1]x", "invalid 0"}};
    for (const auto& [text, read] : texts) {
        const HostAndPort parsed = parseHostText(text);
        EXPECT_EQ((parsed.valid ? parsed.host : "invalid") + " " + std::to_string(parsed.port), read) << text;
    }

    // A typed port is used as it is, and a refusal there is not retried elsewhere.
    RawPeer zed(network, "10.0.0.8");
    zed.listen(601);
    bob.form().cmbConnectTo.setText("10.0.0.8:601");
    press(bob.form().cmdConnect);
    EXPECT_EQ(zed.received, std::vector<std::string>{"CONBob"});
    EXPECT_EQ(bob.store.get("Kestrin", "Player", "LastIP"), "10.0.0.8:601");
    bob.form().cmdDisconnect.click();
    bob.form().cmbConnectTo.setText("10.0.0.8:abc");
    bob.form().cmdConnect.click();
    EXPECT_EQ(bob.messageBox.shown.back().text,
              "Error 10022 - Invalid argument: \"10.0.0.8:abc\" has no port from 1 to 65535");
}

TEST_F(TwoPlayers, TheAcceptQuestionActsOnTheConnectionAsItIsWhenAnswered) {
    // Eve asks and vanishes while Ann reads the question; Zed connects meanwhile and asks too.
    RawPeer eve(network, "10.0.0.9");
    RawPeer zed(network, "10.0.0.8");
    int shown = 0;
    ann.messageBox.duringShow = [&] {
        if (++shown != 1) return;
        eve.outgoing->close();
        settle();
        EXPECT_TRUE(listening(ann));  // the vanished joiner's link ended; Ann listens again
        zed.connect("10.0.0.1", 600);
        settle();
        from(zed, "CONZed");
    };
    eve.connect("10.0.0.1", 600);
    settle();
    from(eve, "CONEve");

    ASSERT_EQ(ann.messageBox.shown.size(), 2u);  // one after the other, never stacked
    EXPECT_EQ(ann.messageBox.shown[1].text, "Accept new player connection from Zed?");
    EXPECT_TRUE(eve.received.empty());
    EXPECT_EQ(zed.received, std::vector<std::string>{"NAMAnn"});
    EXPECT_EQ(ann.form().cmbConnectTo.text(), "10.0.0.8");
    EXPECT_EQ(ann.link().opponent().name, "Zed");
}

TEST_F(TwoPlayers, SinglePlayerChosenDuringAConnectWaitOrALinkEndsItWithoutAWord) {
    bob.form().cmbConnectTo.setText("10.0.0.1");
    bob.form().cmdConnect.click();
    bob.choose("Bob", 0);
    settle();
    clock.advance(20'000);
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(bob.form().txtOutput.text().find("* Connection failed"), std::string::npos);
    EXPECT_EQ(bob.link().connection().WinsockClient().state(), SocketState::Closed);
    EXPECT_FALSE(bob.form().tmrWinsock.enabled());
    EXPECT_TRUE(listening(ann));  // the host saw the attempt close and listens again
    EXPECT_TRUE(ann.messageBox.shown.empty());

    // Chosen from the menu while linked: the joiner just closes, and nothing of the link
    // can be pressed in single player.
    bob.choose("Bob", 1);
    connect();
    network.clearSentLog();
    bob.choose("Bob", 0);
    settle();
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(lastLine(ann), "* Disconnected");
    EXPECT_TRUE(listening(ann));
    EXPECT_FALSE(bob.form().cmdDisconnect.enabled());
    EXPECT_FALSE(bob.form().cmbConnectTo.enabled());
    EXPECT_EQ(bob.form().cmdStart.caption(), "&Start");
}

class HostilePeer : public TwoPlayers {
protected:
    // Bob joins a program that answers by hand.
    void SetUp() override {
        mallory.listen(600);
        bob.form().cmbConnectTo.setText("10.0.0.6");
        press(bob.form().cmdConnect);
        from(mallory, "NAMMallory");
        from(mallory, "VER1");
    }
    RawPeer mallory{network, "10.0.0.6"};
};

TEST_F(HostilePeer, SplitAndCoalescedReceivesAreReadAsMessages) {
    expectLinkControls(bob, true);
    from(mallory, "SCU 10SCU 20");
    EXPECT_EQ(bob.form().lblOpponentScore.caption(), "20");
    from(mallory, "SCU-7");
    EXPECT_EQ(bob.link().opponent().score, -7);
    // Two sends that the copy reads at once come out joined: one chat line.
    mallory.send("MSGhel");
    from(mallory, "lo");
    EXPECT_EQ(lastLine(bob), "<Mallory> hello");
    EXPECT_TRUE(bob.messageBox.shown.empty());
}

TEST_F(HostilePeer, StrangeTextShowsOneShortNoticeAtATime) {
    from(mallory, "scu 5");
    ASSERT_EQ(bob.messageBox.shown.size(), 1u);
    EXPECT_EQ(bob.messageBox.shown[0].text, "Unrecognised data arrival - scu 5");
    EXPECT_EQ(bob.messageBox.shown[0].buttons, MessageButtons::Ok);
    for (const char* text : {"S", "CONEve", "SCU 99999", "VER"}) {
        from(mallory, text);
        EXPECT_EQ(bob.messageBox.shown.back().text, std::string("Unrecognised data arrival - ") + text);
    }

    // While a notice is open the peer keeps sending: nothing stacks up.
    bob.messageBox.shown.clear();
    int depth = 0;
    bob.messageBox.duringShow = [&] {
        if (++depth > 3) return;
        for (int i = 0; i < 50; ++i) from(mallory, std::string(300, 'Z') + std::to_string(i));
    };
    from(mallory, std::string(1000, 'Q'));
    ASSERT_EQ(bob.messageBox.shown.size(), 1u);
    EXPECT_EQ(bob.messageBox.shown[0].text, "Unrecognised data arrival - " + std::string(200, 'Q'));
    expectLinkControls(bob, true);  // the connection stays up
}

TEST_F(TwoPlayers, AHostTreatsTheJoinersOwnMessagesAsStrangers) {
    RawPeer eve(network, "10.0.0.9");
    eve.connect("10.0.0.1", 600);
    settle();
    for (const std::string text : {"NAMEve", "REF* Eve didn't accept the connection.", "DIS", "dis"}) {
        from(eve, text);
        EXPECT_EQ(ann.messageBox.shown.back().text, "Unrecognised data arrival\r\n[" + text + "]");
    }
    EXPECT_EQ(ann.messageBox.shown.size(), 4u);
    EXPECT_EQ(ann.link().connection().WinsockServer(1).state(), SocketState::Connected);  // nothing else changed
    EXPECT_EQ(ann.form().txtOutput.text(), "* Waiting for connection to another player");
}

TEST_F(HostilePeer, FloodsLeaveBoundedStateBehind) {
    // Ten megabytes of one chat line: the line shown is cut, the name kept short too.
    from(mallory, "MSG" + std::string(10'000'000, 'x'));
    EXPECT_EQ(lastLine(bob), "<Mallory> " + std::string(kLongestReceivedText, 'x'));
    EXPECT_LT(bob.form().txtOutput.text().size(), 3 * kLongestReceivedText);
    from(mallory, "NAM" + std::string(100'000, 'n'));
    EXPECT_EQ(bob.link().opponent().name.size(), kLongestReceivedText);

    // A hundred thousand messages back to back in one receive.
    std::string burst;
    for (int i = 1; i <= 100'000; ++i) burst += "SCU " + std::to_string(i % 1000);
    from(mallory, burst);
    EXPECT_EQ(bob.form().lblOpponentScore.caption(), "0");
    EXPECT_TRUE(bob.messageBox.shown.empty());

    // A hundred thousand chat lines, one receive each.
    for (int i = 0; i < 100'000; ++i) {
        mallory.send("MSGline");
        network.deliver();
    }
    EXPECT_EQ(lastLine(bob), "<" + std::string(kLongestReceivedText, 'n') + "> line");
    expectLinkControls(bob, true);
}

}  // namespace
}  // namespace kestrin::testing
