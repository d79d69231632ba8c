// The link: receives taken apart into messages, and two whole copies on one network and one clock: connecting, starting
// together, playing, chatting, disconnecting, and peers that do not play by the rules.
#include <gtest/gtest.h>

#include "link/protocol.h"
#include "platform/text.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

namespace wire {
using namespace ::kestrin::protocol;
// Each message of a receive from a peer called Ann: "code|payload", or "?" and the whole text when it cannot be read.
std::vector<std::string> read(std::string_view text, const std::string& peer = "Ann") {
    std::vector<std::string> out;
    ReceiveReader reader(text, peer);
    while (const auto m = reader.next()) out.push_back(m->recognised ? m->code + "|" + m->payload : "?" + m->text);
    return out;
}
using Read = std::vector<std::string>;

TEST(Protocol, OneReceiveIsOneMessageUnlessTheSplitIsUnambiguous) {
    // clang-format off
    const std::pair<const char*, Read> cases[] = {
        {"MSGhi SCU 5", {"MSG|hi SCU 5"}}, {"STGabc", {"STG|abc"}}, {"VER1DIS", {"VER|1", "DIS|"}},
        {"DISSTGMSGa STG", {"DIS|", "STG|", "MSG|a STG"}}, {"SCU 1scu 2", {"?SCU 1scu 2"}},
        // Status lines: split after exactly the peer's own line, or before a lone "STG" or "DIS".
        {"REF* Bob didn't accept the connection.DIS", {"REF|* Bob didn't accept the connection.", "DIS|"}},
        {"RED* Zed is ready to start the gameSTG", {"RED|* Zed is ready to start the game", "STG|"}},
        {"STP* Ann has stopped playSCU 5", {"STP|* Ann has stopped play", "SCU| 5"}},
        {"STP* Bo has stopped playSCU 5", {"STP|* Bo has stopped playSCU 5"}},
        {"RED* Zed is ready to start the gameMSGx is ready to start the gameSTG",
         {"RED|* Zed is ready to start the gameMSGx is ready to start the game", "STG|"}},
        {"RED* Zed is ready to start the gameSTG!", {"RED|* Zed is ready to start the gameSTG!"}},
        // Numbers: 16 bits, blanks and a plus sign around them allowed, nothing else.
        {"SCU +7\t", {"SCU| +7\t"}}, {"SCU-32768VER 1", {"SCU|-32768", "VER| 1"}}, {"SCU 32768", {"?SCU 32768"}},
        {"S", {"?S"}}, {"stg", {"?stg"}}, {"SCU", {"?SCU"}}, {"SCU+", {"?SCU+"}}, {"SCU 7 7", {"?SCU 7 7"}},
        {"VER1.5", {"?VER1.5"}}, {"SCU abcSCU 5", {"?SCU abcSCU 5"}}};
    // clang-format on
    for (const auto& [text, messages] : cases) EXPECT_EQ(read(text), messages) << text;
    // A name that holds a status line's ending is one ready line of that peer.
    EXPECT_EQ(read("RED* Ann is ready to start the gameMSGx is ready to start the game",
                   "Ann is ready to start the gameMSGx"),
              Read{"RED|* Ann is ready to start the gameMSGx is ready to start the game"});
}

}  // namespace wire

using Texts = std::vector<std::string>;
constexpr const char* kWaiting = "Waiting, Signal ready to play | cmdDisconnect txtChat* cmdSend";
constexpr const char* kCounting = "5 Seconds, Signal ready to play | cmdDisconnect txtChat* cmdSend tmrReady";
constexpr const char* kPlaying =
    "&Stop, Stop the game | cmdStart cmdGuess(0)* cmdGuess(1) cmdDisconnect txtChat cmdSend tmrGame";
constexpr const char* kIntroduced = "&Ready, Signal ready to play | cmdSetup mnuGGameSelect cmbConnectTo";
constexpr const char* kHandshake = "CONBob|NAMAnn|VER1|VER1";
constexpr const char* kAnnReady = "* Ann is ready to start the game";
constexpr const char* kBobReady = "* Bob is ready to start the game";
constexpr const char* kReadies = "RED* Ann is ready to start the game|RED* Bob is ready to start the game|STG";

class TwoPlayers : public ::testing::Test, public TwoCopies {};

TEST_F(TwoPlayers, WholeGamesFromTheHandshakeToTheLastDisconnect) {
    play({{"bob type 10.0.0.1; bob click cmdConnect", kHandshake, "* Connected to Bob", "* Connected to Ann",
           kConnected, kConnected}});
    EXPECT_EQ(bob.form().cmbConnectTo.items(), Texts{"10.0.0.1"});  // each remembers the other
    EXPECT_EQ(ann.files.files["/game/ConnectTo.dat"], Texts{"10.0.0.2"});
    EXPECT_FALSE(ann.listening() || bob.listening());  // and the host listens no more
    play({{"ann click cmdStart", "RED* Ann is ready to start the game", "* Connected to Bob", kAnnReady, kWaiting,
           kConnected},
          {"bob click cmdStart", "RED* Bob is ready to start the game|STG", kBobReady, kAnnReady, kCounting, kCounting},
          {"clock 5000", "", kBobReady, kAnnReady,
           "0 Seconds, Signal ready to play | cmdDisconnect txtChat* cmdSend tmrReady", nullptr},
          {"clock 1000", "", kBobReady, kAnnReady, kPlaying, kPlaying},
          {"clock 30000; ann higher 7; ann click cmdBank", "SCU 10", kBobReady, kAnnReady, nullptr, nullptr}});
    EXPECT_EQ(ann.board(), "7 | | tick | 10 leading, 0 trailing | 30 black, bar 78.0 blue");
    EXPECT_EQ(bob.board(), "5 | | | 0 trailing, 10 leading | 30 black, bar 78.0 blue");
    for (Rig* rig : {&ann, &bob}) {  // the results disturb no half-typed chat line, nor the other table
        rig->form().txtChat.setText("half a line");
        rig->form().txtChat.setSelStart(2);
        rig->state.objHighScore.setTableName("KestrinSolo");
    }
    play({{"clock 31000", "", "* Congratulations, you set a new high score",
           "* Bad Luck! You lost the game by 10 points!", kConnected, kConnected}});
    EXPECT_EQ(ann.sound.beeps + bob.sound.beeps, 2);  // in this order only the start beeps
    EXPECT_EQ(ann.sound.played, (Texts{"/game/bank.wav", "/game/win.wav"}));
    EXPECT_EQ(bob.sound.played, Texts{"/game/lose.wav"});
    EXPECT_NE(ann.form().txtOutput.text().find("* Congratulations! You won the game by 10 points!"), std::string::npos);
    EXPECT_EQ(StatsRecord(ann.state.stats), "10|1|1|1|0|0|0|1|10|1|0|0");
    EXPECT_EQ(StatsRecord(bob.state.stats), "0|0|0|0|0|0|1|1|0|0|0|0");
    for (Rig* rig : {&ann, &bob}) {  // each copy's table holds Ann's 10; Bob's 0 earns nothing
        EXPECT_EQ(rig->form().txtChat.selStart(), 2u);
        EXPECT_EQ(rig->store.get("Kestrin", "Scores\\", "1name"), "Ann");
        EXPECT_EQ(rig->form().lblHighScore2.caption(), "10");
    }
    const std::string startBoth = "ann click cmdStart; bob click cmdStart; clock 6000; ";
    const std::string draw = "* Its a draw, you are both losers (or winners?)!";
    ann.store.set("Kestrin", "Scores\\", "10score", "lots");  // Ann's end fails; she still stops, telling nobody
    const int bobSaves = bob.store.saves;
    play({{(startBoth + "clock 61000").c_str(), kReadies, draw.c_str(), draw.c_str(), kConnected, kConnected}});
    EXPECT_EQ(ann.errorTitles(), std::vector<std::string>{"Kestrin Error 13 in Main.tmrGame"});
    EXPECT_EQ(bob.store.saves, bobSaves + 1);  // the statistics; no place won, no table written
    EXPECT_EQ(ann.form().txtChat.selStart() + bob.form().txtChat.selStart(), 4u);
    EXPECT_EQ(ann.board(), "0 | | | 0 black, 0 black | 60 black, bar 156.0 blue");  // every game starts black
    play({
        {(startBoth + "ann click cmdStart").c_str(), (std::string(kReadies) + "|STP* Ann has stopped play").c_str(),
         kBobReady, "* Ann has stopped play", kConnected, kConnected},
        {(startBoth + "bob click cmdStart").c_str(), (std::string(kReadies) + "|STP* Bob has stopped play").c_str(),
         "* Bob has stopped play", kAnnReady, kConnected, kConnected},
        {(startBoth + "ann click cmdDisconnect").c_str(), (std::string(kReadies) + "|DIS").c_str(), "* Disconnected",
         "* Disconnected", kListening, kListening},  // the host's goodbye ends both games
        {"ann click cmdConnect", "CONAnn|NAMBob|VER1|VER1", "* Connected to Bob", "* Connected to Ann", kConnected,
         kConnected},
        {"ann click cmdDisconnect", "", "* Disconnected", "* Disconnected", kListening, kListening},  // no goodbye
    });
    EXPECT_EQ(ann.form().txtChat.selStart() + bob.form().txtChat.selStart(), 22u);  // a stop line moves the caret
    EXPECT_EQ(ann.store.get("Kestrin", "Player", "LastIP"), "10.0.0.2");            // each remembers the other
}

TEST_F(TwoPlayers, ReadyInTheOtherOrderOrAtOnceAndADroppedLinkDuringTheCountdown) {
    connect();
    play({{"bob click cmdStart; ann click cmdStart",
           "RED* Bob is ready to start the game|RED* Ann is ready to start the game|STG", kBobReady, kAnnReady,
           kCounting, kCounting}});
    EXPECT_EQ(std::pair(ann.sound.beeps, bob.sound.beeps),
              std::pair(1, 1));  // she as she gets "STG", he as he sends it
    // At once: each answers the other's "RED", restarting at 5 on the other's "STG".
    act("clock 6000; bob click cmdStart");
    network.clearSentLog();
    ann.form().cmdStart.click();
    bob.form().cmdStart.click();
    settle();
    EXPECT_EQ(network.sentLog(),
              (Texts{"RED* Ann is ready to start the game", "RED* Bob is ready to start the game", "STG", "STG"}));
    EXPECT_EQ(ann.controls() + bob.controls(), std::string(kCounting) + kCounting);
    // The link drops during the countdown: it ends, and no game starts alone.
    play({{"bob click cmdDisconnect; clock 10000", "", "* Disconnected", "* Disconnected", kListening, kListening}});
}

TEST_F(TwoPlayers, ChatLinesTravelExactlyAsTypedUpToTheirLengthInCharacters) {
    connect();
    std::string umlauts;
    for (int i = 0; i < 150; ++i) umlauts += "ä";
    for (const std::string& line : {std::string(" hi SCU 5VER2DIS "), umlauts}) {
        act("bob say " + line + "üü");  // the box holds at most 150 characters
        const std::string sent = firstCharacters(line + "üü", 150);
        EXPECT_EQ(network.sentLog().back(), "MSG" + sent);
        EXPECT_EQ(ann.lastLine() + bob.lastLine(), "<Bob> " + sent + "<Bob> " + sent);
        EXPECT_EQ(bob.form().txtChat.text(), "");
        EXPECT_TRUE(ann.form().txtChat.hasFocus() && bob.form().txtChat.hasFocus());
    }
    bob.form().txtChat.setText("typing");
    bob.form().txtChat.setSelStart(2);
    act("ann say hello");
    EXPECT_EQ(bob.form().txtChat.selStart(), 6u);  // a chat line puts the caret after what is typed
}

TEST_F(TwoPlayers, RefusalAndVersionMismatchesEndTheLinkOnBothSides) {
    ann.messageBox.answers = {MessageResult::No};
    play({{"bob type 10.0.0.1; bob click cmdConnect", "CONBob|REF* Ann didn't accept the connection.|DIS",
           "* Disconnected", "* Disconnected", kIntroduced, kListening}});
    EXPECT_NE(bob.form().txtOutput.text().find("* Ann didn't accept the connection.\r\n* Disconnected"),
              std::string::npos);
    EXPECT_TRUE(bob.messageBox.shown.empty());  // the "DIS" behind the refusal is no stranger
    // An older joiner: the host still answers "VER1", then says why and disconnects.
    RawPeer eve(network, "10.0.0.9");
    eve.connect("10.0.0.1", 600);
    settle();
    from(eve, "CONEve");
    from(eve, "VER0");
    EXPECT_EQ(eve.received, (Texts{"NAMAnn", "VER1DIS"}));
    EXPECT_NE(ann.form().txtOutput.text().find("* Your opponent's version is too old to connect to\r\n"),
              std::string::npos);
    // A newer host: the joiner says its own version is too old and closes.
    RawPeer zed(network, "10.0.0.8");
    zed.listen(600);
    act("bob type 10.0.0.8; bob click cmdConnect");
    from(zed, "NAMZed");
    from(zed, "VER2DIS");  // the mismatch and a host's goodbye in one receive
    EXPECT_NE(bob.form().txtOutput.text().find("* Your version is too old to connect to your opponent\r\n"
                                               "* Disconnected"),
              std::string::npos);
    EXPECT_TRUE(zed.closedByPeer && bob.listening() && bob.messageBox.shown.empty());
}

TEST_F(TwoPlayers, AFailedConnectIsShownThenTimesOutAndAPlayersSlipEndsItAtOnce) {
    bob.form().txtChat.setText("typed");  // none of this moves the caret of a line being typed
    bob.form().txtChat.setSelStart(2);
    act("bob type 10.0.0.7; bob click cmdConnect");  // nobody there; Bob may give up
    EXPECT_EQ(bob.controls(),
              "&Ready, Signal ready to play | cmdSetup mnuGGameSelect cmbConnectTo cmdDisconnect tmrWinsock");
    act("clock 5000; bob enter");                // tried again: ten seconds from now
    ASSERT_EQ(bob.messageBox.shown.size(), 2u);  // each after trying the fallback port once, quietly
    clock.advance(9'999);
    EXPECT_FALSE(bob.listening());
    RawPeer squatter(network, "10.0.0.2");  // meanwhile another program took Bob's port
    squatter.listen(600);
    clock.advance(1);
    EXPECT_EQ(bob.lastBox(), "Error 10048 - The bound address is already in use");
    EXPECT_EQ(bob.controls(), kListening);
    squatter.listener->close();
    // An empty host box or a port out of range is shown as the sockets' errors are, not as
    // a program error, and the attempt ends at once, however long the box stays open.
    bob.messageBox.duringShow = [&] { clock.advance(11'000); };
    for (const char* typed : {"", "10.0.0.8:abc"}) {
        bob.form().cmbConnectTo.setText(typed);
        const std::size_t logged = bob.form().txtOutput.text().size();
        act("bob enter");  // Enter works even while Connect is disabled
        EXPECT_EQ(bob.form().txtOutput.text().substr(logged),
                  "\r\n* Attempting connection with " + std::string(typed) + "\r\n* Connection failed");
    }
    EXPECT_EQ(bob.messageBox.shown[3].text, "Error 11001 - Host not found: no host name was given");
    EXPECT_EQ(bob.lastBox(), "Error 10022 - Invalid argument: \"10.0.0.8:abc\" has no port from 1 to 65535");
    EXPECT_TRUE(bob.errorTitles().empty());
    EXPECT_FALSE(bob.files.exists("/game/ErrorLog.txt"));
    EXPECT_EQ(bob.form().txtChat.selStart(), 2u);
    // The joiner gives up, for good: while the attempt waits, and on a host that took the
    // connection but never answers.
    bob.messageBox.duringShow = nullptr;
    act("bob type 10.0.0.5; bob click cmdConnect; bob click cmdDisconnect; clock 20000");
    EXPECT_EQ(bob.lastLine(), "* Disconnected");
    RawPeer silent(network, "10.0.0.6");
    silent.listen(600);
    act("bob type 10.0.0.6; bob click cmdConnect");
    EXPECT_EQ(silent.received, Texts{"CONBob"});
    act("bob click cmdDisconnect; clock 20000");
    EXPECT_TRUE(silent.closedByPeer);
    EXPECT_EQ(bob.lastLine(), "* Disconnected");
    EXPECT_EQ(bob.controls(), kListening);
    // A host listening on the fallback port is found when no port is typed, and only then.
    ann.choose("Ann", kSinglePlayer);
    network.protectPort("10.0.0.1", 600);
    ann.choose("Ann", kMultiPlayer);
    act("bob type 10.0.0.1:600; bob click cmdConnect");
    EXPECT_EQ(bob.lastBox(), "Error 10061 - Connection refused");
    connect();
    EXPECT_EQ(bob.controls(), kConnected);
}

TEST(HostBox, TakesAPortAndV6Addresses) {
    // clang-format off
    const std::pair<const char*, const char*> texts[] = {
        {"example.org", "example.org 0"}, {"10.0.0.1:10600", "10.0.0.1 10600"}, {"[::1]:601", "::1 601"},
        {"[::1]", "::1 0"}, {"fe80::1", "fe80::1 0"}, {"h:65535", "h 65535"}, {"h:1", "h 1"}, {"h:65536", "invalid 0"},
        {"host:0", "invalid 0"}, {"host:http", "invalid 0"}, {"[::1]x", "invalid 0"}, {"[::1]:", "invalid 0"},
        {"[::1", "[::1 0"}};
    // clang-format on
    for (const auto& [text, read] : texts) {
        const HostAndPort parsed = parseHostText(text);
        EXPECT_EQ((parsed.valid ? parsed.host : "invalid") + " " + std::to_string(parsed.port), read) << text;
    }
}

TEST_F(TwoPlayers, AcceptingAConnectionEndsAWaitToConnectOut) {
    act("bob type 10.0.0.7; bob click cmdConnect");  // nobody there
    bob.choose("Bob", kMultiPlayer);                 // chosen again during the wait: Bob listens again
    play({{"ann type 10.0.0.2; ann click cmdConnect; clock 20000", "CONAnn|NAMBob|VER1|VER1", "* Connected to Bob",
           "* Connected to Ann", kConnected, kConnected}});
}

TEST_F(TwoPlayers, TheAcceptQuestionActsOnTheConnectionAsItIsWhenAnswered) {
    // Eve asks and vanishes while Ann reads the question; Zed connects meanwhile and asks too.
    RawPeer eve(network, "10.0.0.9");
    RawPeer zed(network, "10.0.0.8");
    ann.messageBox.duringShow = [&] {
        EXPECT_FALSE(ann.form().cmdConnect.enabled());  // introducing: Connect stays off
        if (ann.messageBox.shown.size() != 1) return;
        EXPECT_EQ(ann.lastLine(), "* Connection request from Eve");
        eve.outgoing->close();
        settle();
        zed.connect("10.0.0.1", 600);
        settle();
        from(zed, "CONZed");
    };
    act("ann type 10.0.0.5");  // Connect on, until a connection is taken
    eve.connect("10.0.0.1", 600);
    settle();
    from(eve, "CONEve");
    ASSERT_EQ(ann.messageBox.shown.size(), 2u);  // one after the other, never stacked
    EXPECT_EQ(ann.lastBox(), "Accept new player connection from Zed?");
    // Waiting for Zed's version, Ann shows his address but keeps Connect off; she may give up.
    EXPECT_EQ(ann.form().cmbConnectTo.text(), "10.0.0.8");
    EXPECT_EQ(ann.controls(), std::string(kIntroduced) + " cmdDisconnect");
    act("ann type 10.0.0.5");  // typed meanwhile; the link's controls follow the version
    from(zed, "VER1");
    EXPECT_EQ(ann.controls(), kConnected);
}

TEST_F(TwoPlayers, SinglePlayerChosenDuringAConnectWaitOrALinkEndsItWithoutAWord) {
    bob.form().cmbConnectTo.setText("10.0.0.1");
    bob.form().cmdConnect.click();
    bob.choose("Bob", kSinglePlayer);
    act("clock 20000");
    EXPECT_EQ(bob.controls(), "&Start, Start the game | cmdStart cmdSetup mnuGGameSelect");
    // Chosen while linked (the menu is off then; a direct choice): the joiner just closes.
    bob.choose("Bob", kMultiPlayer);
    connect();
    network.clearSentLog();
    bob.choose("Bob", kSinglePlayer);
    settle();
    EXPECT_EQ(network.sentLog(), Texts{});
    EXPECT_EQ(ann.lastLine(), "* Disconnected");
    // Setup stays off and the hidden chat on until a game is played, as the link leaves them.
    EXPECT_EQ(bob.controls(), "&Start, Start the game | cmdStart* txtChat cmdSend");
}

TEST_F(TwoPlayers, ASendThatFailsIsReportedWhereItWasMade) {
    connect();
    network.failSends("10.0.0.1");
    network.failSends("10.0.0.2");
    act("bob say hi; bob click cmdStart");
    EXPECT_EQ(bob.errorTitles(), (std::vector<std::string>{"Kestrin Error 10053 in Main.cmdSend",
                                                           "Kestrin Error 10053 in Main.SendStatus"}));
    ann.game().StartCountdown();
    act("clock 6000; ann higher 7; ann click cmdBank");
    ann.link().receivers().receive(1, "VER1");  // the answer fails too
    EXPECT_EQ(ann.errorTitles(), (std::vector<std::string>{"Kestrin Error 10053 in Main.cmdBank",
                                                           "Kestrin Error 10053 in Main.WinsockServer_DataArrival"}));
}

TEST(TwoPlayersLeaving, ACopyThatCannotListenAgainIsToldOnceAfterTheLinkHasEnded) {
    // One player leaves without a goodbye while another program holds the other's port: Ann,
    // the host, leaving Bob, and Bob, who joined, leaving Ann.
    for (const bool hostLeaves : {true, false}) {
        TwoCopies copies;
        copies.connect();
        Rig& left = hostLeaves ? copies.bob : copies.ann;
        const std::size_t boxes = left.messageBox.shown.size();  // the host was asked to accept
        RawPeer squatter(copies.network, hostLeaves ? "10.0.0.2" : "10.0.0.1");
        squatter.listen(600);
        std::string logWhenTold;
        left.messageBox.duringShow = [&] { logWhenTold = left.lastLine(); };
        (hostLeaves ? copies.ann : copies.bob).choose("Leaver", kSinglePlayer);
        copies.settle();
        ASSERT_EQ(left.messageBox.shown.size(), boxes + 1) << hostLeaves;
        EXPECT_EQ(logWhenTold, "* Disconnected");
    }
}

TEST_F(TwoPlayers, SplitAndCoalescedReceivesAreReadAsMessages) {
    RawPeer mallory(network, "10.0.0.6");  // Bob joins a program that answers by hand
    mallory.listen(600);
    const auto join = [&] {
        act("bob type 10.0.0.6; bob click cmdConnect");
        from(mallory, "NAMMallory");
        from(mallory, "VER1");
        EXPECT_EQ(bob.controls(), kConnected);
    };
    join();
    from(mallory, "SCU 10SCU-7");
    EXPECT_EQ(bob.board(), "0 | | | 0 leading, -7 trailing | 60 black, bar 156.0 blue");
    from(mallory, "SCU 0");
    EXPECT_EQ(bob.board(), "0 | | | 0 black, 0 black | 60 black, bar 156.0 blue");  // equal scores are black
    // Two sends that the copy reads at once come out joined: one chat line.
    mallory.socket().sendData("MSGhel");
    from(mallory, "lo");
    EXPECT_EQ(bob.lastLine(), "<Mallory> hello");
    // A goodbye or a refusal alone ends the link, before any close.
    for (const char* bye : {"DIS", "REF* Mallory didn't accept the connection."}) {
        from(mallory, bye);
        EXPECT_EQ(bob.lastLine(), "* Disconnected");
        EXPECT_EQ(bob.controls(), kListening);
        join();
    }
}

TEST_F(TwoPlayers, AHostHearsOnlyConUntilItAcceptsAndShowsReceivedTextWithoutObeyingIt) {
    // A connection that never asks is dropped after ten seconds, without a word, and the host
    // listens again.
    ann.form().cmbConnectTo.setText("10.0.0.5");
    RawPeer mute(network, "10.0.0.7");
    mute.connect("10.0.0.1", 600);
    settle();
    act("clock 9999");
    EXPECT_FALSE(mute.closedByPeer);
    act("clock 1");
    EXPECT_TRUE(mute.closedByPeer && ann.listening() && ann.messageBox.shown.empty());
    EXPECT_EQ(ann.controls(), kListening);
    RawPeer eve(network, "10.0.0.9");
    eve.connect("10.0.0.1", 600);
    settle();
    const std::string log = ann.form().txtOutput.text();
    // Before the question: not even "VER1" connects, and nothing shows.
    for (const char* text : {"VER1", "NAMEve", "MSGhi", "xyz"}) from(eve, text);
    EXPECT_TRUE(ann.messageBox.shown.empty());
    EXPECT_EQ(ann.form().txtOutput.text(), log);
    EXPECT_EQ(ann.controls(), std::string(kIntroduced) + " tmrSilent");  // taken: Connect off
    // A name with a line break and a right-to-left override asks, and is logged, as one line.
    from(eve, "CONEve\r\n* You won\u202E!");
    const std::string eveShown = "Eve\u240D\u240A* You won\uFFFD!";
    act("clock 20000");  // she asked: no longer silent
    EXPECT_EQ(ann.lastBox(), "Accept new player connection from " + eveShown + "?");
    EXPECT_EQ(ann.lastLine(), "* Connected to " + eveShown);
    from(eve,
         "MSG\x7F"
         "a\u0080b\u2066c\tz\u009F");
    EXPECT_EQ(ann.lastLine(), "<" + eveShown + "> \u2421a\uFFFDb\uFFFDc\u2409z\uFFFD");
    // Accepted, the joiner's own messages are a stranger's.
    for (const auto& [text, box] : std::vector<std::pair<std::string, std::string>>{
             {"NAMEve", "NAMEve"},
             {"REF* Eve didn't accept the connection.", "REF* Eve didn't accept the connection."},
             {"DIS", "DIS"},
             {"dis\r\n", "dis\u240D\u240A"}}) {
        from(eve, text);
        EXPECT_EQ(ann.lastBox(), "Unrecognised data arrival\r\n[" + box + "]");
    }
    EXPECT_EQ(ann.messageBox.shown.size(), 5u);
    EXPECT_FALSE(eve.closedByPeer);
}

}  // namespace
}  // namespace kestrin::testing
