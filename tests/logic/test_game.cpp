// Whole games on the virtual clock: guessing, banking, the clock, the end of a game, the
// high score check and the statistics record.
#include <gtest/gtest.h>

#include <limits>

#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

class GameTest : public ::testing::Test {
protected:
    void SetUp() override { rig.choose("Ann", 0); }

    // Starts a game whose first digit is `first`.
    void start(int first) {
        rig.random.queueDigits({first});
        rig.form().cmdStart.click();
    }
    void guess(int index, int digit) {
        rig.random.queueDigits({digit});
        rig.form().cmdGuess[static_cast<std::size_t>(index)].click();
    }
    int litLevels() const {
        int lit = 0;
        for (const auto& level : rig.main->form().lblCurrent) lit += level.enabled() ? 1 : 0;
        return lit;
    }
    std::string statistics() { return rig.store.get("Kestrin", "Profiles\\Ann", "Statistics").value_or("<none>"); }

    MemoryNetwork network;
    Rig rig{network};
};

TEST_F(GameTest, ClockRunsSixtySecondsThenTheGameEndsOnTheNextTick) {
    start(5);
    auto& form = rig.form();
    EXPECT_EQ(form.cmdStart.caption(), "&Stop");
    EXPECT_EQ(form.lblRandom.caption(), "5");
    EXPECT_FALSE(form.cmdSetup.enabled());

    rig.clock.advance(54'000);
    EXPECT_EQ(form.lblTimeLeft.caption(), "6");
    EXPECT_EQ(form.lblTimeLeft.foreColor(), forms::kBlack);
    rig.clock.advance(1'000);
    EXPECT_EQ(form.lblTimeLeft.caption(), "5");
    EXPECT_EQ(form.lblTimeLeft.foreColor(), forms::kDarkRed);
    EXPECT_EQ(form.shpTimeLeft.fillColor(), forms::kDarkRed);

    rig.clock.advance(5'000);
    EXPECT_EQ(form.lblTimeLeft.caption(), "0");
    EXPECT_GE(form.shpTimeLeft.width(), 0.0);  // sixty steps of 2.6 never go below zero
    EXPECT_LT(form.shpTimeLeft.width(), 0.001);
    EXPECT_EQ(form.cmdStart.caption(), "&Stop");  // the last second is played showing 0
    EXPECT_TRUE(rig.messageBox.shown.empty());

    rig.clock.advance(1'000);
    ASSERT_EQ(rig.messageBox.shown.size(), 1u);
    EXPECT_EQ(rig.messageBox.shown[0].title, "Game Over");
    EXPECT_EQ(rig.messageBox.shown[0].text, "You failed to acheive a new high score, better luck next time!");
    EXPECT_EQ(form.cmdStart.caption(), "&Start");
    EXPECT_EQ(form.lblTimeLeft.caption(), "60");
    EXPECT_EQ(form.shpTimeLeft.width(), kTimeBarFullWidth);
    EXPECT_EQ(form.lblRandom.caption(), "0");
    EXPECT_TRUE(form.cmdSetup.enabled());
    EXPECT_FALSE(form.tmrGame.enabled());
    EXPECT_EQ(statistics(), "0|0|0|0|0|0|0|0|0|0|1|0");
    EXPECT_EQ(rig.sound.played.back(), "/game/lose.wav");
}

TEST_F(GameTest, GuessesLightLevelsAndABankAddsTheTopOne) {
    start(5);
    auto& form = rig.form();
    guess(0, 5);  // equal digit: right for higher
    EXPECT_EQ(rig.game().intCurrent, 1);
    EXPECT_TRUE(form.imgCorrect.visible());
    EXPECT_FALSE(form.imgWrong.visible());
    EXPECT_TRUE(form.cmdBank.enabled());
    EXPECT_TRUE(form.cmdBank.hasFocus());
    guess(1, 5);  // and for lower
    guess(1, 2);
    EXPECT_EQ(litLevels(), 3);
    EXPECT_EQ(form.lblCurrent[2].foreColor(), forms::kDarkRed);
    EXPECT_EQ(form.lblCurrent[1].foreColor(), forms::kBlack);

    form.cmdBank.click();
    EXPECT_EQ(rig.game().intPlayerScore, 50);
    EXPECT_EQ(form.lblCurrentScore.caption(), "50");
    EXPECT_EQ(litLevels(), 0);
    EXPECT_FALSE(form.cmdBank.enabled());
    EXPECT_FALSE(form.tmrBank.enabled());  // the bank window is over
    EXPECT_EQ(rig.sound.played.back(), "/game/bank.wav");
    EXPECT_EQ(form.lblCurrentScore.foreColor(), forms::kBlack);  // single player: no colours

    guess(0, 4);  // 2 -> 4 on higher: right, one level lit
    guess(1, 6);  // 4 -> 6 on lower: wrong; the levels go out and the bank window closes
    EXPECT_TRUE(form.imgWrong.visible());
    EXPECT_FALSE(form.imgCorrect.visible());
    EXPECT_EQ(litLevels(), 0);
    EXPECT_EQ(form.lblCurrent[0].foreColor(), forms::kBlack);
    EXPECT_FALSE(form.cmdBank.enabled());
    EXPECT_FALSE(form.tmrBank.enabled());
    guess(0, 1);                               // 6 -> 1 on higher: wrong
    EXPECT_EQ(form.lblRandom.caption(), "1");  // the lowest digit can be drawn
    EXPECT_TRUE(form.imgWrong.visible());
    EXPECT_EQ(rig.game().intPlayerScore, 50);
    form.cmdBank.click();  // nothing lit: nothing happens, not even a count
    EXPECT_EQ(rig.state.stats.BanksMade, 1);

    const auto& stats = rig.state.stats;
    EXPECT_EQ(stats.HighGuesses, 3);
    EXPECT_EQ(stats.LowGuesses, 3);
    EXPECT_EQ(stats.CorrectGuesses, 4);
    EXPECT_EQ(stats.WrongGuesses, 2);
    EXPECT_EQ(stats.PointsBanked, 50);
}

TEST_F(GameTest, BankWindowClosesAfterThreeSecondsAndLevelsStay) {
    start(5);
    guess(0, 6);
    rig.clock.advance(2'999);
    EXPECT_TRUE(rig.form().cmdBank.enabled());
    rig.clock.advance(1);
    EXPECT_FALSE(rig.form().cmdBank.enabled());
    EXPECT_FALSE(rig.form().tmrBank.enabled());
    EXPECT_TRUE(rig.form().cmdGuess[0].hasFocus());
    EXPECT_EQ(rig.game().intCurrent, 1);
    guess(0, 7);  // the next correct guess lights one more and reopens the window
    EXPECT_EQ(rig.game().intCurrent, 2);
    EXPECT_TRUE(rig.form().cmdBank.enabled());
    rig.clock.advance(2'000);
    guess(0, 8);  // a correct guess inside the window gives it three fresh seconds
    rig.clock.advance(2'000);
    EXPECT_TRUE(rig.form().cmdBank.enabled());
    rig.clock.advance(1'000);
    EXPECT_FALSE(rig.form().cmdBank.enabled());

    // A time bar narrower than a second's step stops at nothing, never below.
    rig.form().shpTimeLeft.setWidth(1.0);
    rig.clock.advance(1'000);
    EXPECT_EQ(rig.form().shpTimeLeft.width(), 0.0);
}

TEST_F(GameTest, StopEndsWithoutResultOrSaveAndANewGameStartsFromNothing) {
    auto& form = rig.form();
    start(5);
    EXPECT_TRUE(form.cmdGuess[0].enabled());
    EXPECT_TRUE(form.cmdGuess[1].enabled());
    EXPECT_FALSE(form.mnuGGameSelect.enabled());
    guess(0, 6);
    form.cmdBank.click();
    rig.clock.advance(10'000);
    guess(0, 1);            // wrong: the cross shows
    guess(0, 2);            // right: levels lit, the tick shows
    form.cmdStart.click();  // stop
    EXPECT_EQ(form.cmdStart.caption(), "&Start");
    EXPECT_EQ(form.lblTimeLeft.caption(), "60");
    EXPECT_EQ(form.lblRandom.caption(), "0");
    EXPECT_EQ(form.lblCurrentScore.caption(), "10");
    EXPECT_EQ(rig.game().intPlayerScore, 0);
    EXPECT_FALSE(form.cmdGuess[0].enabled());
    EXPECT_FALSE(form.cmdGuess[1].enabled());
    EXPECT_FALSE(form.cmdBank.enabled());
    EXPECT_TRUE(form.mnuGGameSelect.enabled());
    rig.clock.advance(120'000);
    EXPECT_TRUE(rig.messageBox.shown.empty());
    EXPECT_EQ(statistics(), "<none>");  // nothing saved
    form.lblCurrentScore.setForeColor(forms::kTrailerRed);
    start(5);  // a new game starts from nothing
    EXPECT_EQ(litLevels(), 0);
    EXPECT_FALSE(form.imgCorrect.visible());
    EXPECT_FALSE(form.imgWrong.visible());
    EXPECT_EQ(form.lblCurrentScore.caption(), "0");
    EXPECT_EQ(form.lblCurrentScore.foreColor(), forms::kBlack);
}

TEST_F(GameTest, KeysActOnlyWhileTheirControlsWould) {
    auto& form = rig.form();
    form.keyUp(kKeyPageUp);  // no game: nothing
    EXPECT_EQ(rig.state.stats.HighGuesses, 0);
    start(5);
    rig.random.queueDigits({7});
    form.keyUp(kKeyPageUp);
    EXPECT_EQ(rig.state.stats.HighGuesses, 1);
    form.keyUp(kKeyB);
    EXPECT_EQ(rig.game().intPlayerScore, 10);
    form.keyUp(kKeyB);  // the bank window is closed now
    EXPECT_EQ(rig.state.stats.BanksMade, 1);
    rig.random.queueDigits({3});
    form.keyUp(kKeyPageDown);
    EXPECT_EQ(rig.state.stats.LowGuesses, 1);
    form.keyUp('X');
    EXPECT_EQ(rig.state.stats.HighGuesses + rig.state.stats.LowGuesses, 2);
    rig.random.queueDigits({2});
    form.keyUp(kKeyPageDown);  // 3 -> 2 on lower: right, the bank window opens
    form.keyUp('X');           // only B banks
    EXPECT_EQ(rig.state.stats.BanksMade, 1);
}

TEST_F(GameTest, NewHighScoreIsStoredAndAnnounced) {
    start(5);
    guess(0, 6);
    guess(0, 7);
    rig.form().cmdBank.click();
    rig.playOut();
    ASSERT_EQ(rig.messageBox.shown.size(), 1u);
    EXPECT_EQ(rig.messageBox.shown[0].text, "Congratulations, you set a new high score");
    EXPECT_EQ(rig.messageBox.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "1score"), "20");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "1name"), "Ann");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "10name"), "No name");
    EXPECT_EQ(rig.form().lblHighScore.caption(), "20");
    EXPECT_EQ(rig.form().lblCurrentScore.caption(), "20");  // the label keeps the last score
    EXPECT_EQ(rig.sound.played.back(), "/game/win.wav");
    EXPECT_EQ(statistics(), "20|1|2|2|0|0|0|0|0|0|1|20");
}

TEST_F(GameTest, ScoreEqualToTheWorstPlaceEarnsNothing) {
    for (int place = 1; place <= 10; ++place) {
        rig.store.set("KestrinSolo", "Scores\\", std::to_string(place) + "score", "10");
        rig.store.set("KestrinSolo", "Scores\\", std::to_string(place) + "name", "Bob");
    }
    start(5);
    guess(0, 6);
    rig.form().cmdBank.click();
    rig.playOut();
    EXPECT_EQ(rig.messageBox.shown.at(0).text, "You failed to acheive a new high score, better luck next time!");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "10name"), "Bob");
}

TEST_F(GameTest, GameEndsOnceWhileTheGameOverBoxIsOpen) {
    // The box's nested event loop keeps the clock running: more ticks must not end the game
    // again, nor count it twice.
    rig.messageBox.duringShow = [this] { rig.clock.advance(5'000); };
    const int writesBefore = rig.store.writeCount;
    start(5);
    rig.playOut();
    EXPECT_EQ(rig.messageBox.shown.size(), 1u);
    EXPECT_EQ(rig.store.writeCount, writesBefore + 1);  // the statistics, written once
    EXPECT_EQ(rig.state.stats.SPGamesPlayed, 1);
    EXPECT_EQ(statistics(), "0|0|0|0|0|0|0|0|0|0|1|0");
    EXPECT_EQ(rig.form().cmdStart.caption(), "&Start");
}

TEST_F(GameTest, RunStopsAtTheTopLevelAndABankBeyondSixteenBitsIsReportedAndTheScoreKept) {
    start(5);
    rig.game().intPlayerScore = 32'000;
    for (int i = 0; i < 9; ++i) guess(0, 9);
    EXPECT_EQ(rig.game().intCurrent, 8);
    EXPECT_EQ(rig.form().lblCurrent[7].foreColor(), forms::kDarkRed);
    rig.form().cmdBank.click();
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 6 in Main.cmdBank"});
    EXPECT_EQ(rig.game().intPlayerScore, 32'000);
    EXPECT_EQ(rig.game().intCurrent, 8);  // the levels stay lit
    EXPECT_FALSE(rig.form().cmdBank.enabled());
    EXPECT_EQ(rig.state.stats.BanksMade, 1);
    EXPECT_EQ(rig.state.stats.PointsBanked, 1000);  // the top level's points
    ASSERT_EQ(rig.files.files["/game/ErrorLog.txt"].size(), 1u);
    EXPECT_EQ(rig.files.files["/game/ErrorLog.txt"][0], "05/12/2026 17:50:45 Error 6 in Main.cmdBank - Overflow");
}

TEST_F(GameTest, BrokenEndOfGameIsReportedAndTheGameStillStops) {
    rig.store.set("KestrinSolo", "Scores\\", "10score", "lots");
    start(5);
    rig.playOut();
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 13 in Main.tmrGame"});
    EXPECT_EQ(rig.form().cmdStart.caption(), "&Start");
    EXPECT_FALSE(rig.form().tmrGame.enabled());
    rig.clock.advance(5'000);
    EXPECT_EQ(rig.errorTitles().size(), 1u);

    rig.state.stats.SPGamesPlayed = std::numeric_limits<std::int32_t>::max();
    rig.store.set("KestrinSolo", "Scores\\", "10score", "0");
    start(5);
    rig.playOut();
    EXPECT_EQ(rig.errorTitles().back(), "Kestrin Error 6 in Main.tmrGame");
    EXPECT_EQ(rig.form().cmdStart.caption(), "&Start");
}

// A window just loaded names every button, menu and frame, and nothing that needs a game or a link
// can be pressed yet.
TEST(MainFormAtLoad, NamesEveryButtonAndEnablesOnlyWhatCanBeUsed) {
    MainForm f;
    for (const forms::CaptionControl* control : std::initializer_list<const forms::CaptionControl*>{
             &f.cmdSetup,      &f.cmdGuess[0],   &f.cmdGuess[1],        &f.cmdBank,        &f.cmdConnect,
             &f.cmdDisconnect, &f.cmdSend,       &f.cmdHighScores,      &f.mnuGGameSelect, &f.mnuIP,
             &f.mnuGameExit,   &f.mnuHelpReadMe, &f.mnuHelpCheckUpdate, &f.mnuWebWebsite,  &f.mnuWebForums,
             &f.mnuWebEmail,   &f.mnuHelpDonate, &f.mnuHelpAbout,       &f.fraCurrent,     &f.fraChat})
        EXPECT_NE(control->caption(), "") << control->name();
    for (const forms::Control* off : std::initializer_list<const forms::Control*>{
             &f.cmdGuess[0], &f.cmdGuess[1], &f.cmdBank, &f.cmdConnect, &f.cmdDisconnect, &f.txtChat, &f.cmdSend,
             &f.lblCurrent[0], &f.lblCurrent[7]})
        EXPECT_FALSE(off->enabled()) << off->name();
    EXPECT_FALSE(f.imgCorrect.visible());
    EXPECT_FALSE(f.imgWrong.visible());
    EXPECT_EQ(f.txtChat.maxLength, 150);  // the longest chat line a copy sends
}

}  // namespace
}  // namespace kestrin::testing
