// Applying a player and a game type to the main window: its caption and shape, the link,
// both best scores and the player's statistics; and the recent hosts loaded with the window.
#include <gtest/gtest.h>

#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

TEST(ApplyChoices, EachGameTypeShapesTheWindowAndTheLinkAndShowsBothBestScores) {
    Rig rig;
    MainForm& form = rig.form();
    rig.store.set("KestrinSolo", "Scores\\", "1score", "250");
    rig.store.set("Kestrin", "Scores\\", "1score", "90");
    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "120|3|8|7|5|4|1|2|300|1|4|500");
    rig.store.set("Kestrin", "Player", "LastIP", "10.0.0.9");
    form.txtOutput.setText("* an old line");
    rig.state.objHighScore.setScoreType(1);
    rig.choose("Ann", kSinglePlayer);
    EXPECT_EQ(rig.state.objHighScore.ScoreType(), 0);  // higher scores first, whatever was set
    EXPECT_EQ(form.caption(), "Kestrin - Playing as Ann");
    EXPECT_EQ(form.heightTwips(), 4365);
    EXPECT_FALSE(form.fraChat.visible());
    EXPECT_EQ(form.lblOpponentScore.caption(), "N/A");
    EXPECT_EQ(form.txtOutput.text(), "* an old line");  // only multi player empties the log
    EXPECT_EQ(rig.controls(), "&Start, Start the game | cmdStart cmdSetup mnuGGameSelect");
    EXPECT_EQ(form.lblHighScore.caption() + " " + form.lblHighScore2.caption(), "250 90");
    EXPECT_EQ(StatsRecord(rig.state.stats), "120|3|8|7|5|4|1|2|300|1|4|500");
    EXPECT_EQ(rig.state.objHighScore.NumPlaces(), 10);
    EXPECT_FALSE(rig.listening());
    rig.choose("Bob", kMultiPlayer);
    EXPECT_EQ(form.caption(), "Kestrin - Playing as Bob");
    EXPECT_EQ(form.heightTwips(), 6300);
    EXPECT_TRUE(form.fraChat.visible());
    EXPECT_EQ(form.txtOutput.text(), "* Waiting for connection to another player");
    EXPECT_EQ(form.cmbConnectTo.text(), "10.0.0.9");  // the last host, for an empty host box
    EXPECT_EQ(rig.controls(), kListening);
    EXPECT_EQ(rig.state.stats, PlayerStats{});  // Bob has no record: nothing of Ann's stays
    EXPECT_TRUE(rig.listening());
    form.cmbConnectTo.type("");  // the player's edits enable Connect exactly when there is a host
    EXPECT_FALSE(form.cmdConnect.enabled());
    form.cmbConnectTo.type("x");
    rig.choose("Bob", kMultiPlayer);  // applied again: a typed host is kept, the log starts afresh
    EXPECT_EQ(form.cmbConnectTo.text(), "x");
    EXPECT_EQ(form.txtOutput.text(), "* Waiting for connection to another player");
    EXPECT_TRUE(rig.listening());
    rig.choose("Bob", kSinglePlayer);  // back to single player: nothing listens, the host box empties
    EXPECT_FALSE(rig.listening());
    EXPECT_EQ(form.cmbConnectTo.text(), "");
}

TEST(ApplyChoices, AProtectedPortFallsBackQuietlyAndAPortThatCannotBeTakenIsReported) {
    Rig rig;
    rig.network.protectPort("10.0.0.1", 600);
    rig.choose("Ann", kMultiPlayer);
    EXPECT_TRUE(rig.messageBox.shown.empty());
    EXPECT_EQ(rig.lastLine(), "* Port 600 is not open to this program; listening on port 10600");
    EXPECT_EQ(rig.connection().WinsockServer(0).localPort(), 10600);
    // No port open to it (the fallback port closed too, or none given): reported once, and
    // the rest still applies.
    for (const int fallback : {10600, 0}) {
        Doubles blocked;
        blocked.network.protectPort("10.0.0.1", 600);
        blocked.network.protectPort("10.0.0.1", 10600);
        MainWindow main(blocked.state, blocked.gameServices(), blocked.linkServices(600, fallback), blocked.shell);
        blocked.store.set("Kestrin", "Profiles\\Ann", "Statistics", "1|1|1|1|1|1|1|1|1|1|1|1");
        blocked.state.strPlayerName = "Ann";
        blocked.state.lngGameType = kMultiPlayer;
        main.NewGameSelect();
        ASSERT_EQ(blocked.errorTitles(), std::vector<std::string>{"Kestrin Error 10013 in Main.NewGameSelect"});
        EXPECT_NE(blocked.lastBox().find("The address is protected"), std::string::npos);
        EXPECT_EQ(main.form().cmdStart.caption(), "&Ready");
        EXPECT_EQ(blocked.state.stats.SPGamesPlayed, 1);  // the new player's counters are loaded
    }
}

TEST(ApplyChoices, StatisticsRecordsThatDoNotFitAreReported) {
    Rig rig;
    rig.state.stats.BanksMade = 7;
    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "5|99999999999|0|0|0|0|0|0|0|0|0|0");
    rig.choose("Ann", kSinglePlayer);
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 6 in Main.NewGameSelect"});
    EXPECT_EQ(StatsRecord(rig.state.stats), "5|0|0|0|0|0|0|0|0|0|0|0");  // loaded up to the failing field
    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "1|2|3");
    rig.choose("Ann", kSinglePlayer);
    EXPECT_EQ(rig.errorTitles().back(), "Kestrin Error 9 in Main.NewGameSelect");
}

TEST(ApplyChoices, RecentHostsLoadWithTheWindowAndTheWindowUnloadsEverything) {
    Rig rig;
    rig.main->Load();
    EXPECT_TRUE(rig.files.exists("/game/ConnectTo.dat"));
    EXPECT_EQ(rig.form().cmbConnectTo.listCount(), 0u);
    rig.files.files["/game/ConnectTo.dat"] = {"10.0.0.2", "", "10.0.0.2"};
    rig.main->Load();
    EXPECT_EQ(rig.form().cmbConnectTo.items(), (std::vector<std::string>{"10.0.0.2", "", "10.0.0.2"}));
    rig.files.failWrites = true;
    rig.files.files.clear();
    rig.main->Load();
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 75 in Main.Load"});
    rig.choose("Ann", kMultiPlayer);
    for (forms::Timer* timer : rig.form().timers()) timer->setEnabled(true);
    rig.main->Unload();  // the timers go with the window, and every socket closes for good
    EXPECT_EQ(rig.controls(), "&Ready, Signal ready to play | cmdSetup mnuGGameSelect cmbConnectTo");
    EXPECT_FALSE(rig.listening());
}

}  // namespace
}  // namespace kestrin::testing
