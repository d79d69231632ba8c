// Applying a player and a game type to the main window: its shape, the link, both best
// scores and the player's statistics.
#include <gtest/gtest.h>

#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

class ApplyChoicesTest : public ::testing::Test {
protected:
    MemoryNetwork network;
    Rig rig{network};
};

TEST_F(ApplyChoicesTest, SinglePlayerShapesTheWindowAndShowsBothBestScores) {
    rig.store.set("KestrinSolo", "Scores\\", "1score", "250");
    rig.store.set("Kestrin", "Scores\\", "1score", "90");
    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "120|3|8|7|5|4|1|2|300|1|4|500");
    rig.form().txtOutput.setText("* an old line");
    rig.choose("Ann", 0);

    auto& form = rig.form();
    EXPECT_EQ(form.caption(), "Kestrin - Playing as Ann");
    EXPECT_FALSE(form.fraChat.visible());
    EXPECT_EQ(form.lblOpponentScore.caption(), "N/A");
    EXPECT_EQ(form.txtOutput.text(), "* an old line");  // only multi player empties the log
    EXPECT_EQ(form.cmdStart.caption(), "&Start");
    EXPECT_TRUE(form.cmdStart.enabled());
    EXPECT_FALSE(form.cmbConnectTo.enabled());
    EXPECT_FALSE(form.cmdConnect.enabled());
    EXPECT_EQ(form.lblHighScore.caption(), "250");
    EXPECT_EQ(form.lblHighScore2.caption(), "90");
    EXPECT_EQ(rig.state.stats.SPPointsScored, 500);
    EXPECT_EQ(rig.link().connection().WinsockServer(0).state(), SocketState::Closed);

    rig.random.queueDigits({5});
    form.cmdStart.click();
    rig.playOut();
    EXPECT_EQ(form.lblOpponentScore.caption(), "N/A");  // through start, play and end
}

TEST_F(ApplyChoicesTest, MultiPlayerListensAndSetsTheNotConnectedControls) {
    rig.store.set("Kestrin", "Player", "LastIP", "10.0.0.9");
    rig.form().txtOutput.setText("* an old line");
    rig.choose("Ann", 1);

    auto& form = rig.form();
    EXPECT_TRUE(form.fraChat.visible());
    EXPECT_EQ(form.txtOutput.text(), "* Waiting for connection to another player");
    EXPECT_EQ(form.cmbConnectTo.text(), "10.0.0.9");
    EXPECT_EQ(rig.link().connection().WinsockServer(0).state(), SocketState::Listening);
    expectLinkControls(rig, false);
    EXPECT_TRUE(form.cmdConnect.enabled());

    form.cmbConnectTo.type("");
    EXPECT_FALSE(form.cmdConnect.enabled());
    form.cmbConnectTo.type("x");
    EXPECT_TRUE(form.cmdConnect.enabled());

    rig.choose("Ann", 1);  // applied again: a typed host is kept, the log starts afresh
    EXPECT_EQ(form.cmbConnectTo.text(), "x");
    EXPECT_EQ(form.txtOutput.text(), "* Waiting for connection to another player");

    rig.choose("Ann", 0);  // back to single player: nothing listens, the host box empties
    EXPECT_EQ(rig.link().connection().WinsockServer(0).state(), SocketState::Closed);
    EXPECT_EQ(form.cmbConnectTo.text(), "");
}

TEST_F(ApplyChoicesTest, ProtectedPortFallsBackQuietlyAndAPortThatCannotBeTakenIsReported) {
    // Port 600 needs a privilege: the copy listens on 10600 and says so in the log.
    network.protectPort("10.0.0.1", 600);
    rig.choose("Ann", 1);
    EXPECT_TRUE(rig.messageBox.shown.empty());
    EXPECT_EQ(rig.form().txtOutput.text(),
              "* Waiting for connection to another player\r\n"
              "* Port 600 is not open to this program; listening on port 10600");
    EXPECT_EQ(rig.link().connection().WinsockServer(0).state(), SocketState::Listening);
    EXPECT_EQ(rig.link().connection().WinsockServer(0).localPort(), 10600);

    // No port open to it (the fallback port closed too, or none given): reported once, and
    // the rest still applies.
    for (const int fallback : {10600, 0}) {
        Doubles blocked;
        blocked.network.protectPort("10.0.0.1", 600);
        blocked.network.protectPort("10.0.0.1", 10600);
        LinkServices services = blocked.linkServices();
        services.fallbackPort = fallback;
        MainWindow main(blocked.state, blocked.gameServices(), services, blocked.shell);
        blocked.store.set("Kestrin", "Profiles\\Ann", "Statistics", "1|1|1|1|1|1|1|1|1|1|1|1");
        blocked.state.strPlayerName = "Ann";
        blocked.state.lngGameType = 1;
        main.NewGameSelect();
        ASSERT_EQ(blocked.errorTitles(), std::vector<std::string>{"Kestrin Error 10013 in Main.NewGameSelect"});
        EXPECT_NE(blocked.messageBox.shown[0].text.find("The address is protected"), std::string::npos);
        EXPECT_EQ(main.form().cmdStart.caption(), "&Ready");
        EXPECT_EQ(blocked.state.stats.SPGamesPlayed, 1);  // the new player's counters are loaded
    }
}

TEST_F(ApplyChoicesTest, StatisticsRecordsThatDoNotFitAreReported) {
    rig.state.stats.BanksMade = 7;
    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "5|99999999999|0|0|0|0|0|0|0|0|0|0");
    rig.choose("Ann", 0);
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 6 in Main.NewGameSelect"});
    EXPECT_EQ(rig.state.stats.PointsBanked, 5);  // loaded before the failing field
    EXPECT_EQ(rig.state.stats.BanksMade, 0);     // the failing one and those after it are 0:
                                                 // nothing of an earlier player's stays

    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "1|2|3");
    rig.choose("Ann", 0);
    EXPECT_EQ(rig.errorTitles().back(), "Kestrin Error 9 in Main.NewGameSelect");
}

TEST_F(ApplyChoicesTest, RecentHostsLoadWhenTheWindowLoads) {
    rig.main->Load();
    EXPECT_TRUE(rig.files.exists("/game/ConnectTo.dat"));
    EXPECT_EQ(rig.form().cmbConnectTo.listCount(), 0u);
    rig.files.files["/game/ConnectTo.dat"] = {"10.0.0.2", "", "10.0.0.2"};
    rig.main->Load();
    EXPECT_EQ(rig.form().cmbConnectTo.items(), (std::vector<std::string>{"10.0.0.2", "", "10.0.0.2"}));
}

// Every control of the main window reaches its handler, the other windows included.
TEST(MainWindowControls, EveryMenuAndButtonOpensWhatItNames) {
    struct Opener : WindowOpener {
        void openSetup() override { opened.push_back("setup"); }
        void openStats() override { opened.push_back("stats"); }
        void openIp() override { opened.push_back("ip"); }
        void openAbout() override { opened.push_back("about"); }
        void closeMainWindow() override { opened.push_back("exit"); }
        std::vector<std::string> opened;
    } opener;
    Doubles doubles;
    MainWindow main(doubles.state, doubles.gameServices(), doubles.linkServices(), doubles.shell, &opener);
    MainForm& f = main.form();
    for (forms::Button* control : {&f.cmdSetup, &f.mnuGGameSelect, &f.cmdHighScores, &f.mnuIP, &f.mnuHelpAbout,
                                   &f.mnuGameExit, &f.mnuHelpReadMe})
        control->click();
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"setup", "setup", "stats", "ip", "about", "exit"}));
    EXPECT_EQ(doubles.shell.opened, std::vector<std::string>{"/game/Read Me.html"});
}

}  // namespace
}  // namespace kestrin::testing
