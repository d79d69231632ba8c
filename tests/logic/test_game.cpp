// Single player games on the virtual clock, as rows of what the player does, what the game
// then shows and which controls are enabled: guessing, banking, the clock, stopping, the
// keys, the end of a game with its high score check and statistics record, and failures.
#include <gtest/gtest.h>

#include <limits>

#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

constexpr const char* kIdle = "&Start, Start the game | cmdStart cmdSetup mnuGGameSelect";
constexpr const char* kPlaying = "&Stop, Stop the game | cmdStart cmdGuess(0) cmdGuess(1) tmrGame";
constexpr const char* kStarted = "&Stop, Stop the game | cmdStart cmdGuess(0)* cmdGuess(1) tmrGame";  // not on Stop
constexpr const char* kBanking = "&Stop, Stop the game | cmdStart cmdGuess(0) cmdGuess(1) cmdBank* tmrGame tmrBank";
constexpr const char* kFresh = "0 | | | 0 black, N/A black | 60 black, bar 156.0 blue";

class GameTest : public ::testing::Test {
protected:
    void SetUp() override { rig.choose("Ann", kSinglePlayer); }
    struct Step {
        const char* act;
        const char* board;
        const char* controls;
    };
    void play(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.act);
            rig.act(step.act);
            EXPECT_EQ(rig.board(), step.board);
            EXPECT_EQ(rig.controls(), step.controls);
        }
    }
    std::string score(int place) {
        return rig.store.get("KestrinSolo", "Scores\\", std::to_string(place) + "score").value_or("-");
    }
    Rig rig;
};

TEST_F(GameTest, TheClockRunsSixtySecondsAndTheGameEndsOnTheNextTickOnce) {
    // The box's nested event loop keeps the clock running: the game must not end twice.
    rig.messageBox.duringShow = [this] { rig.act("clock 5000"); };
    play({{"start 5", "5 | | | 0 black, N/A black | 60 black, bar 156.0 blue", kStarted},
          {"clock 54000", "5 | | | 0 black, N/A black | 6 black, bar 15.6 blue", kStarted},
          {"clock 1000", "5 | | | 0 black, N/A black | 5 red, bar 13.0 red", kStarted},
          // Sixty steps of 2.6 never go below zero; the last second is played showing 0.
          {"clock 5000", "5 | | | 0 black, N/A black | 0 red, bar 0.0 red", kStarted},
          {"clock 1000", kFresh, kIdle}});
    ASSERT_EQ(rig.messageBox.shown.size(), 1u);
    EXPECT_EQ(rig.messageBox.shown[0].title + ": " + rig.lastBox(),
              "Game Over: You failed to acheive a new high score, better luck next time!");
    EXPECT_EQ(rig.sound.played, std::vector<std::string>{"/game/lose.wav"});
    rig.messageBox.duringShow = nullptr;
    rig.act("start 5");  // a time bar narrower than a second's step stops at nothing, never below
    rig.form().shpTimeLeft.setWidth(1.0);
    play({{"clock 1000", "5 | | | 0 black, N/A black | 59 black, bar 0.0 blue", kStarted}});
}

TEST_F(GameTest, GuessesLightLevelsAndABankAddsTheTopOne) {
    play({{"start 5; higher 5", "5 | *10 | tick | 0 black, N/A black | 60 black, bar 156.0 blue",
           kBanking},                                                                                  // equal is right
          {"lower 5", "5 | 10 *20 | tick | 0 black, N/A black | 60 black, bar 156.0 blue", kBanking},  // for both
          {"lower 2", "2 | 10 20 *50 | tick | 0 black, N/A black | 60 black, bar 156.0 blue", kBanking},
          {"click cmdBank", "2 | | tick | 50 black, N/A black | 60 black, bar 156.0 blue", kPlaying},
          {"higher 1", "1 | | cross | 50 black, N/A black | 60 black, bar 156.0 blue", kPlaying},  // wrong
          {"higher 1; lower 1", "1 | 10 *20 | tick | 50 black, N/A black | 60 black, bar 156.0 blue", kBanking},
          {"lower 9", "9 | | cross | 50 black, N/A black | 60 black, bar 156.0 blue", kPlaying},  // out go the levels
          {"click cmdBank", "9 | | cross | 50 black, N/A black | 60 black, bar 156.0 blue", kPlaying}});  // nothing lit
    // points, banks, right, high, low, wrong
    EXPECT_EQ(StatsRecord(rig.state.stats), "50|1|5|3|4|2|0|0|0|0|0|0");
    // Eight right guesses light all levels; a ninth changes nothing.
    rig.act("higher 9; higher 9; higher 9; higher 9; higher 9; higher 9; higher 9; higher 9; higher 9");
    EXPECT_EQ(rig.board(),
              "9 | 10 20 50 100 250 500 750 *1000 | tick | 50 black, N/A black | 60 black, bar 156.0 blue");
}

TEST_F(GameTest, TheBankWindowClosesAfterThreeSecondsAndEveryRightGuessOpensItAgain) {
    play({{"start 5; higher 6; clock 2999", "6 | *10 | tick | 0 black, N/A black | 58 black, bar 150.8 blue", kBanking},
          {"clock 1", "6 | *10 | tick | 0 black, N/A black | 57 black, bar 148.2 blue",
           kStarted},                                     // the levels stay lit
          {"higher 7; clock 2000; higher 8; clock 2999",  // three fresh seconds for each right guess
           "8 | 10 20 *50 | tick | 0 black, N/A black | 53 black, bar 137.8 blue", kBanking},
          {"clock 1", "8 | 10 20 *50 | tick | 0 black, N/A black | 52 black, bar 135.2 blue", kStarted}});
}

TEST_F(GameTest, StopEndsWithoutResultOrSaveAndANewGameStartsFromNothing) {
    play({{"start 5; higher 6; click cmdBank; lower 7; click cmdStart",
           "0 | | | 10 black, N/A black | 60 black, bar 156.0 blue", kIdle},  // the label keeps the last score
          {"clock 120000", "0 | | | 10 black, N/A black | 60 black, bar 156.0 blue", kIdle}});
    EXPECT_FALSE(rig.store.get("Kestrin", "Profiles\\Ann", "Statistics"));  // nothing saved
    rig.form().lblCurrentScore.setForeColor(forms::kTrailerRed);
    play({{"start 3", "3 | | | 0 black, N/A black | 60 black, bar 156.0 blue", kStarted},
          {"higher 4; click cmdStart", "0 | | | 0 black, N/A black | 60 black, bar 156.0 blue", kIdle}});
}

TEST_F(GameTest, KeysActOnlyWhileTheirControlsWould) {
    rig.act("key 33; start 5");  // no game: nothing; then a game from 5
    rig.random.queueDigits({7, 3, 2});
    play({{"key 33", "7 | *10 | tick | 0 black, N/A black | 60 black, bar 156.0 blue", kBanking},
          {"key 66", "7 | | tick | 10 black, N/A black | 60 black, bar 156.0 blue", kPlaying},
          {"key 66; key 34; key 88", "3 | *10 | tick | 10 black, N/A black | 60 black, bar 156.0 blue", kBanking},
          {"key 34; key 88", "2 | 10 *20 | tick | 10 black, N/A black | 60 black, bar 156.0 blue", kBanking}});
}

TEST_F(GameTest, ANewHighScoreIsStoredAndAnnouncedAndOneEqualToTheLastPlaceIsNot) {
    rig.act("start 5; higher 6; higher 7; click cmdBank; clock 61000");
    EXPECT_EQ(rig.lastBox(), "Congratulations, you set a new high score");
    EXPECT_EQ(score(1) + " " + score(10) + " " + rig.form().lblHighScore.caption(), "20 0 20");
    EXPECT_EQ(rig.sound.played.back(), "/game/win.wav");
    for (int place = 1; place <= 10; ++place)
        rig.store.set("KestrinSolo", "Scores\\", std::to_string(place) + "score", "10");
    rig.act("start 5; higher 6; click cmdBank; clock 61000");
    EXPECT_EQ(rig.lastBox(), "You failed to acheive a new high score, better luck next time!");
}

TEST_F(GameTest, FailuresAreReportedAndTheGameGoesOn) {
    // A count at its limit; a bank beyond 16 bits: reported, the lit levels kept.
    rig.state.stats.LowGuesses = std::numeric_limits<std::int32_t>::max();
    rig.act("start 5; lower 9");
    rig.game().intPlayerScore = 32'000;
    rig.act("higher 9; higher 9; higher 9; higher 9; higher 9; higher 9; higher 9; higher 9; click cmdBank");
    EXPECT_EQ(rig.board(), "9 | 10 20 50 100 250 500 750 *1000 | tick | 0 black, N/A black | 60 black, bar 156.0 blue");
    EXPECT_EQ(rig.files.files["/game/ErrorLog.txt"].back(), "05/12/2026 17:50:45 Error 6 in Main.cmdBank - Overflow");
    // A counter at its limit at the end: reported, and the game still stops, once.
    rig.state.stats.SPGamesPlayed = std::numeric_limits<std::int32_t>::max();
    rig.act("clock 61000; clock 5000");
    EXPECT_EQ(rig.errorTitles(),
              (std::vector<std::string>{"Kestrin Error 6 in Main.cmdGuess", "Kestrin Error 6 in Main.cmdBank",
                                        "Kestrin Error 6 in Main.tmrGame"}));
    EXPECT_EQ(rig.controls(), kIdle);
}

}  // namespace
}  // namespace kestrin::testing
