// Single player games on the virtual clock: guessing, banking, the clock, stopping, the keys,
// the end of a game with its high score check and statistics record, and failures on the way.
#include <gtest/gtest.h>

#include <limits>

#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

constexpr const char* kIdle = "&Start, Start the game | cmdStart cmdSetup mnuGGameSelect";
constexpr const char* kPlaying = "&Stop, Stop the game | cmdStart cmdGuess(0) cmdGuess(1) tmrGame";

class GameTest : public ::testing::Test {
protected:
    void SetUp() override { rig.choose("Ann", kSinglePlayer); }

    // Starts a game whose first digit is `first`.
    void start(int first) {
        rig.random.queueDigits({first});
        rig.form().cmdStart.click();
    }
    void guess(int index, int digit) {
        rig.random.queueDigits({digit});
        rig.form().cmdGuess[static_cast<std::size_t>(index)].click();
    }
    // The lit levels, the top one (dark red) marked "*": "10 20 *50".
    std::string levels() {
        std::string lit;
        for (const auto& level : rig.form().lblCurrent) {
            if (level.enabled())
                lit += (lit.empty() ? "" : " ") + std::string(level.foreColor() == forms::kDarkRed ? "*" : "") +
                       level.caption();
        }
        return lit;
    }
    // Which picture shows the last guess: "tick", "cross" or "".
    std::string mark() {
        return std::string(rig.form().imgCorrect.visible() ? "tick" : "") +
               (rig.form().imgWrong.visible() ? "cross" : "");
    }
    std::string statistics() { return rig.store.get("Kestrin", "Profiles\\Ann", "Statistics").value_or("<none>"); }
    std::string clockShown() {
        const MainForm& f = rig.form();
        return f.lblTimeLeft.caption() + (f.lblTimeLeft.foreColor() == forms::kDarkRed ? " red" : "") + ", bar " +
               std::to_string(f.shpTimeLeft.width()).substr(0, 4) +
               (f.shpTimeLeft.fillColor() == forms::kDarkRed    ? " red"
                : f.shpTimeLeft.fillColor() == forms::kDarkBlue ? " blue"
                                                                : " ?");
    }

    Rig rig;
};

TEST_F(GameTest, ClockRunsSixtySecondsThenTheGameEndsOnTheNextTick) {
    EXPECT_EQ(rig.controls(), kIdle);
    start(5);
    EXPECT_EQ(rig.controls(), kPlaying);
    EXPECT_EQ(rig.form().lblRandom.caption(), "5");
    rig.clock.advance(54'000);
    EXPECT_EQ(clockShown(), "6, bar 15.6 blue");
    rig.clock.advance(1'000);
    EXPECT_EQ(clockShown(), "5 red, bar 13.0 red");
    rig.clock.advance(5'000);
    EXPECT_EQ(clockShown(), "0 red, bar 0.00 red");  // sixty steps of 2.6 never go below zero
    EXPECT_EQ(rig.controls(), kPlaying);             // the last second is played showing 0
    EXPECT_TRUE(rig.messageBox.shown.empty());

    rig.clock.advance(1'000);
    ASSERT_EQ(rig.messageBox.shown.size(), 1u);
    EXPECT_EQ(rig.messageBox.shown[0].title, "Game Over");
    EXPECT_EQ(rig.lastBox(), "You failed to acheive a new high score, better luck next time!");
    EXPECT_EQ(rig.messageBox.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(rig.controls(), kIdle);
    EXPECT_EQ(clockShown(), "60, bar 156. blue");
    EXPECT_EQ(rig.form().lblRandom.caption(), "0");
    EXPECT_EQ(statistics(), "0|0|0|0|0|0|0|0|0|0|1|0");
    EXPECT_EQ(rig.sound.played.back(), "/game/lose.wav");

    // A time bar narrower than a second's step stops at nothing, never below.
    start(5);
    rig.form().shpTimeLeft.setWidth(1.0);
    rig.clock.advance(1'000);
    EXPECT_EQ(clockShown(), "59, bar 0.00 blue");
}

TEST_F(GameTest, GuessesLightLevelsAndABankAddsTheTopOne) {
    start(5);
    const struct {
        int index, digit;
        const char* levels;
        const char* mark;
    } guesses[] = {
        {0, 5, "*10", "tick"},        // an equal digit is right for higher
        {1, 5, "10 *20", "tick"},     // and for lower
        {1, 2, "10 20 *50", "tick"},  //
        {0, 1, "", "cross"},          // wrong: the levels go out
        {0, 1, "*10", "tick"},        // the lowest digit can be drawn
        {0, 9, "10 *20", "tick"},     //
        {1, 9, "10 20 *50", "tick"},  //
    };
    for (const auto& g : guesses) {
        guess(g.index, g.digit);
        EXPECT_EQ(levels(), g.levels) << g.index << g.digit;
        EXPECT_EQ(mark(), g.mark) << g.index << g.digit;
        EXPECT_EQ(rig.form().cmdBank.enabled(), g.mark[0] == 't');
        EXPECT_TRUE(rig.form().cmdBank.hasFocus());  // since the first right guess
    }
    rig.form().cmdBank.click();
    EXPECT_EQ(rig.game().intPlayerScore, 50);
    EXPECT_EQ(rig.form().lblCurrentScore.caption(), "50");
    EXPECT_EQ(levels(), "");
    EXPECT_EQ(rig.controls(), kPlaying);  // the bank window is over
    EXPECT_EQ(rig.sound.played.back(), "/game/bank.wav");
    EXPECT_EQ(rig.form().lblCurrentScore.foreColor(), forms::kBlack);  // single player: no colours
    EXPECT_EQ(rig.network.sentLog(), std::vector<std::string>{});      // nor a score on the wire

    guess(0, 9);
    guess(0, 3);  // wrong right after a correct guess: the bank window closes, the score stays
    EXPECT_FALSE(rig.form().cmdBank.enabled());
    rig.form().cmdBank.click();  // nothing lit: nothing happens, not even a count
    EXPECT_EQ(rig.game().intPlayerScore, 50);
    EXPECT_EQ(StatsRecord(rig.state.stats), "50|1|7|6|3|2|0|0|0|0|0|0");  // points, banks, right, high, low, wrong

    // Eight right guesses light all levels; a ninth changes nothing; a bank adds 1000.
    for (int i = 0; i < 9; ++i) guess(0, 9);
    EXPECT_EQ(levels(), "10 20 50 100 250 500 750 *1000");
    rig.form().cmdBank.click();
    EXPECT_EQ(rig.form().lblCurrentScore.caption(), "1050");
}

TEST_F(GameTest, BankWindowClosesAfterThreeSecondsAndEveryRightGuessOpensItAgain) {
    start(5);
    guess(0, 6);
    rig.clock.advance(2'999);
    EXPECT_TRUE(rig.form().cmdBank.enabled());
    rig.clock.advance(1);
    EXPECT_EQ(rig.controls(), "&Stop, Stop the game | cmdStart cmdGuess(0)* cmdGuess(1) tmrGame");
    EXPECT_EQ(levels(), "*10");  // the levels stay lit
    guess(0, 7);
    EXPECT_EQ(levels(), "10 *20");
    rig.clock.advance(2'000);
    guess(0, 8);  // a right guess inside the window gives it three fresh seconds
    rig.clock.advance(2'999);
    EXPECT_EQ(rig.controls(), "&Stop, Stop the game | cmdStart cmdGuess(0) cmdGuess(1) cmdBank* tmrGame tmrBank");
    rig.clock.advance(1);
    EXPECT_FALSE(rig.form().cmdBank.enabled());
}

TEST_F(GameTest, StopEndsWithoutResultOrSaveAndANewGameStartsFromNothing) {
    start(5);
    guess(0, 6);
    rig.form().cmdBank.click();
    guess(0, 7);
    rig.form().cmdStart.click();  // stop
    EXPECT_EQ(rig.controls(), kIdle);
    EXPECT_EQ(clockShown(), "60, bar 156. blue");
    EXPECT_EQ(rig.form().lblRandom.caption() + " " + levels() + mark(), "0 ");
    EXPECT_EQ(rig.form().lblCurrentScore.caption(), "10");  // the label keeps the last score
    EXPECT_EQ(rig.game().intPlayerScore, 0);
    rig.clock.advance(120'000);
    EXPECT_TRUE(rig.messageBox.shown.empty());
    EXPECT_EQ(statistics(), "<none>");  // nothing saved

    rig.form().lblCurrentScore.setForeColor(forms::kTrailerRed);
    start(5);  // a new game starts from nothing
    EXPECT_EQ(rig.form().lblCurrentScore.caption(), "0");
    EXPECT_EQ(rig.form().lblCurrentScore.foreColor(), forms::kBlack);
    EXPECT_EQ(rig.form().lblOpponentScore.caption(), "N/A");  // single player keeps it through a game
}

TEST_F(GameTest, KeysActOnlyWhileTheirControlsWould) {
    auto& form = rig.form();
    form.keyUp(kKeyPageUp);  // no game: nothing
    start(5);
    for (const auto& [key, digit] : std::vector<std::pair<int, int>>{
             {kKeyPageUp, 7}, {kKeyB, 0}, {kKeyB, 0}, {kKeyPageDown, 3}, {'X', 0}, {kKeyPageDown, 2}, {'X', 0}}) {
        if (digit) rig.random.queueDigits({digit});
        form.keyUp(key);
    }
    // High 5 -> 7, bank, (closed), low 7 -> 3, (X), low 3 -> 2; only B banks.
    EXPECT_EQ(StatsRecord(rig.state.stats), "10|1|3|1|2|0|0|0|0|0|0|0");
    EXPECT_EQ(levels(), "10 *20");
}

TEST_F(GameTest, ANewHighScoreIsStoredAndAnnouncedAndOneEqualToTheLastPlaceIsNot) {
    start(5);
    guess(0, 6);
    guess(0, 7);
    rig.form().cmdBank.click();
    rig.clock.advance(61'000);
    EXPECT_EQ(rig.lastBox(), "Congratulations, you set a new high score");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "1score"), "20");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "1name"), "Ann");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "10name"), "No name");
    EXPECT_EQ(rig.form().lblHighScore.caption(), "20");
    EXPECT_EQ(rig.sound.played.back(), "/game/win.wav");
    EXPECT_EQ(statistics(), "20|1|2|2|0|0|0|0|0|0|1|20");

    for (int place = 1; place <= 10; ++place)
        rig.store.set("KestrinSolo", "Scores\\", std::to_string(place) + "score", "10");
    start(5);
    guess(0, 6);
    rig.form().cmdBank.click();
    rig.clock.advance(61'000);
    EXPECT_EQ(rig.lastBox(), "You failed to acheive a new high score, better luck next time!");
    EXPECT_EQ(rig.store.get("KestrinSolo", "Scores\\", "10name"), "No name");
}

TEST_F(GameTest, TheGameEndsOnceWhileTheGameOverBoxIsOpen) {
    // The box's nested event loop keeps the clock running: more ticks must not end the game
    // again, nor count it twice.
    rig.messageBox.duringShow = [this] { rig.clock.advance(5'000); };
    start(5);
    const int savesBefore = rig.store.saves;
    rig.clock.advance(61'000);
    EXPECT_EQ(rig.messageBox.shown.size(), 1u);
    EXPECT_EQ(rig.store.saves, savesBefore + 1);  // the statistics, written once
    EXPECT_EQ(statistics(), "0|0|0|0|0|0|0|0|0|0|1|0");
    EXPECT_EQ(rig.controls(), kIdle);
}

TEST_F(GameTest, FailuresAreReportedAndTheGameGoesOn) {
    // A bank beyond 16 bits: reported, the score and the lit levels kept, the counts made.
    start(5);
    rig.game().intPlayerScore = 32'000;
    for (int i = 0; i < 8; ++i) guess(0, 9);
    rig.form().cmdBank.click();
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 6 in Main.cmdBank"});
    EXPECT_EQ(rig.game().intPlayerScore, 32'000);
    EXPECT_EQ(levels(), "10 20 50 100 250 500 750 *1000");
    EXPECT_FALSE(rig.form().cmdBank.enabled());
    EXPECT_EQ(rig.state.stats.BanksMade, 1);
    EXPECT_EQ(rig.state.stats.PointsBanked, 1000);
    EXPECT_EQ(rig.files.files["/game/ErrorLog.txt"],
              std::vector<std::string>{"05/12/2026 17:50:45 Error 6 in Main.cmdBank - Overflow"});

    // A hand-edited table, or a counter at its limit: the end is reported and the game
    // still stops, once.
    rig.store.set("KestrinSolo", "Scores\\", "10score", "lots");
    rig.clock.advance(61'000);
    EXPECT_EQ(rig.errorTitles().back(), "Kestrin Error 13 in Main.tmrGame");
    EXPECT_EQ(rig.controls(), kIdle);
    rig.clock.advance(5'000);
    EXPECT_EQ(rig.errorTitles().size(), 2u);
    rig.state.stats.SPGamesPlayed = std::numeric_limits<std::int32_t>::max();
    rig.store.set("KestrinSolo", "Scores\\", "10score", "0");
    start(5);
    rig.clock.advance(61'000);
    EXPECT_EQ(rig.errorTitles().back(), "Kestrin Error 6 in Main.tmrGame");
    EXPECT_EQ(rig.controls(), kIdle);
}

}  // namespace
}  // namespace kestrin::testing
