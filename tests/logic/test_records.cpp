// The records: high score tables, player statistics, the statistics page and its viewer.
#include <gtest/gtest.h>

#include "records/high_score.h"
#include "records/player_stats.h"
#include "records/stats_page.h"
#include "shell/stats_viewer.h"
#include "tests/support/failure_number.h"
#include "tests/support/rig.h"

namespace kestrin {
namespace {

using testing::failureNumber;

const std::string kHeading = "#\tScore\tName\r\n" + std::string(35, '-');

class HighScoreTest : public ::testing::Test {
protected:
    HighScoreTest() {
        table.setNumPlaces(10);
        table.setTableName("KestrinSolo");
    }
    // Stores scores from place 1 down, named P1, P2 …, and reads the table.
    void storeScores(std::initializer_list<const char*> scores) {
        int place = 1;
        for (const char* score : scores) {
            store.set("KestrinSolo", "Scores\\", std::to_string(place) + "name", "P" + std::to_string(place));
            store.set("KestrinSolo", "Scores\\", std::to_string(place++) + "score", score);
        }
        table.ReadScores();
    }
    std::string names() const {
        std::string result;
        for (std::int16_t i = 1; i <= table.NumPlaces(); ++i) result += table.Name(i) + ",";
        return result;
    }

    testing::MemorySettingsStore store;
    HighScore table{store};
};

TEST_F(HighScoreTest, MakeScoresListsTheChosenNumberOfRows) {
    storeScores({"120"});
    std::int16_t two = 2;
    EXPECT_EQ(table.MakeScores(two), kHeading + "\r\n1)\t120\tP1\r\n2)\t0\tNo name");
    for (std::int16_t asked : {0, 11}) {
        std::int16_t biggest = asked;
        const std::string text = table.MakeScores(biggest);
        EXPECT_EQ(biggest, 10);
        EXPECT_TRUE(text.ends_with("\r\n9)\t0\tNo name\r\n10)\t0\tNo name")) << asked;
    }
    std::int16_t negative = -1;
    EXPECT_EQ(table.MakeScores(negative), kHeading);
    EXPECT_EQ(negative, -1);
}

TEST_F(HighScoreTest, InsertGoesBelowEqualScoresInMemoryOnly) {
    table.ReadScores();
    EXPECT_EQ(table.InsertScores(0, "Bob"), 0) << "0 beats nothing in a fresh table";
    EXPECT_EQ(table.InsertScores(50, ""), 1);
    EXPECT_EQ(table.Name(1), "Anonymous");
    EXPECT_EQ(store.size(), 0u);

    storeScores({"100", "80", "80", "60"});
    EXPECT_EQ(table.InsertScores(80, "New"), 4);
    EXPECT_EQ(names(), "P1,P2,P3,New,P4,No name,No name,No name,No name,No name,");

    storeScores({"100", "90", "80", "70", "60", "50", "40", "30", "20", "10"});
    EXPECT_EQ(table.InsertScores(10, "Tie"), 0);
    EXPECT_EQ(table.InsertScores(95, "Bob"), 2);
    EXPECT_EQ(table.WorstScore(), "20") << "the old last place is dropped";

    table.setScoreType(1);  // lower is better
    storeScores({"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"});
    EXPECT_EQ(table.InsertScores(150, "Slow"), 0);
    EXPECT_EQ(table.InsertScores(25, "Ann"), 3);
    EXPECT_EQ(names(), "P1,P2,Ann,P3,P4,P5,P6,P7,P8,P9,");
}

TEST_F(HighScoreTest, HandEditedScoresFailOnlyWhereTheyAreCompared) {
    storeScores({"100", "1e2x", "80"});
    EXPECT_NE(table.MakeScores().find("\r\n2)\t1e2x\tP2\r\n"), std::string::npos);
    EXPECT_EQ(table.InsertScores(120, "Top"), 1) << "stops before the bad text";
    const std::string before = names();
    EXPECT_EQ(failureNumber([&] { table.InsertScores(90, "Ann"); }), failures::kTypeMismatch);
    EXPECT_EQ(names(), before);

    storeScores({" 2.5 ", "3.5", "40000", "x"});
    EXPECT_EQ(table.Score(1), 2);
    EXPECT_EQ(table.Score(2), 4);
    EXPECT_EQ(failureNumber([&] { table.Score(3); }), failures::kOverflow);
    EXPECT_EQ(failureNumber([&] { table.Score(4); }), failures::kTypeMismatch);
}

TEST_F(HighScoreTest, PlacesOutsideTheTableAreSubscriptFailures) {
    HighScore unset(store);
    for (const std::function<void()>& action : std::initializer_list<std::function<void()>>{
             [&] { unset.BestScore(); }, [&] { unset.InsertScores(10, "Ann"); }, [&] { table.Name(0); },
             [&] { table.setName(11, "Ann"); }, [&] { table.setNumPlaces(0); }}) {
        EXPECT_EQ(failureNumber(action), failures::kSubscriptOutOfRange);
    }

    storeScores({"100", "90", "80", "70", "60", "50"});
    HighScore single(store);
    single.setNumPlaces(1);  // the smallest table there is
    EXPECT_EQ(single.WorstScore(), single.BestScore());
    table.setNumPlaces(5);
    EXPECT_EQ(table.WorstScore(), "60");
    table.setNumPlaces(10);
    EXPECT_EQ(table.Name(5), "P5");
    EXPECT_EQ(table.Name(6), "") << "grown places stay empty until read";
}

TEST_F(HighScoreTest, WriteScoresStoresEveryPlaceUnderItsTable) {
    table.ReadScores();
    table.InsertScores(70, "Ann");
    table.WriteScores();
    EXPECT_EQ(store.size(), 20u);
    EXPECT_EQ(store.operationCount, 1) << "the table is saved as one operation";
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "1name"), "Ann");
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "1score"), "70");
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "10score"), "0");

    table.setTableName("Kestrin");
    table.ReadScores();
    EXPECT_EQ(table.Name(1), "No name");

    table.InsertScores(90, "Bob");
    store.failWrites = true;  // a failed save reaches the caller
    EXPECT_EQ(failureNumber([&] { table.WriteScores(); }), failures::kPathFileAccess);
    EXPECT_FALSE(store.get("Kestrin", "Scores\\", "1name"));
}

PlayerStats filled(std::int32_t value) {
    PlayerStats stats;
    for (int position = 1; position <= PlayerStats::kCount; ++position) stats.at(position) = value;
    return stats;
}

TEST(PlayerStats, RecordsRoundTripPerPlayer) {
    testing::MemorySettingsStore store;
    PlayerStats ann;
    int position = 1;
    for (std::int32_t value : {120, 3, 8, 7, 5, 4, 1, 2, 300, 1, 4, 500}) ann.at(position++) = value;
    WriteStats(store, "Ann", ann);
    EXPECT_EQ(store.get("Kestrin", "Profiles\\Ann", "Statistics"), "120|3|8|7|5|4|1|2|300|1|4|500");
    PlayerStats bob = filled(-2147483647 - 1);
    WriteStats(store, "Bob", bob);

    // A player without a record starts from zeros, never from the counters held before.
    PlayerStats loaded = filled(7);
    ReadStats(store, "Nobody", loaded);
    EXPECT_EQ(loaded, PlayerStats{});
    EXPECT_EQ(NewPlayerRecord(store, "Ann"), std::nullopt) << "a record is never replaced";
    const auto nobody = NewPlayerRecord(store, "Nobody");
    ASSERT_TRUE(nobody.has_value());
    EXPECT_EQ(nobody->section, "Profiles\\Nobody");
    EXPECT_EQ(nobody->key, "Statistics");
    EXPECT_EQ(nobody->value, "0|0|0|0|0|0|0|0|0|0|0|0");
    ReadStats(store, "Ann", loaded);
    EXPECT_EQ(loaded, ann);
    ReadStats(store, "Bob", loaded);
    EXPECT_EQ(loaded, bob);

    // Numbers too small for a double are zero, not an overflow.
    store.set("Kestrin", "Profiles\\Ann", "Statistics",
              " 1 |2.5|3.5|-0.5|1e3|+6|\t7|1e-400|-1e-400|0.000001e-999999999999|1000e-402|12|extra");
    ReadStats(store, "Ann", loaded);
    EXPECT_EQ(loaded.HighGuesses, 0);
    EXPECT_EQ(loaded.CorrectGuesses, 4);
    EXPECT_EQ(loaded.LowGuesses, 1000);
    EXPECT_EQ(StatsRecord(loaded), "1|2|4|0|1000|6|7|0|0|0|0|12");
}

// A bad record keeps what it gave before the bad field; nothing of the counters held before
// survives, so the next save cannot give them to this player.
TEST(PlayerStats, BadRecordLoadsUpToTheFailingFieldAndZerosTheRest) {
    const struct {
        const char* record;
        std::int32_t failure;
        int loaded;  // counters loaded before the failure
    } cases[] = {
        {"", 0, 0},
        {"1|2|3", failures::kSubscriptOutOfRange, 3},
        {"1|2|3|4|5|6|7|8|9|10|11", failures::kSubscriptOutOfRange, 11},
        {"1|2|x|4|5|6|7|8|9|10|11|12", failures::kTypeMismatch, 2},
        {"1|2|3|4||6|7|8|9|10|11|12", failures::kTypeMismatch, 4},
        {"1|99999999999|3|4|5|6|7|8|9|10|11|12", failures::kOverflow, 1},
        {"1|2|3|4|5|6|7|1e400|9|10|11|12", failures::kOverflow, 7},
        {"1|2|3|4|5|6|7|8|-0.1e310|10|11|12", failures::kOverflow, 8},
        {"1|2|3|4|5|6|7|8|9|1e|11|12", failures::kTypeMismatch, 9},
        {"1|2|3|4|5|6|7|8|9|10|2E+|12", failures::kTypeMismatch, 10},
        {"1|2|3|4|5|6|7|8|9|10|11|12x", failures::kTypeMismatch, 11},
    };
    testing::MemorySettingsStore store;
    for (const auto& c : cases) {
        store.set("Kestrin", "Profiles\\Ann", "Statistics", c.record);
        PlayerStats stats = filled(7);  // the previous player's
        EXPECT_EQ(failureNumber([&] { ReadStats(store, "Ann", stats); }), c.failure) << c.record;
        for (int position = 1; position <= PlayerStats::kCount; ++position)
            EXPECT_EQ(stats.at(position), position <= c.loaded ? position : 0) << c.record << " @" << position;
    }
    EXPECT_EQ(failureNumber([] { filled(0).at(13); }), failures::kSubscriptOutOfRange);
}

// The whole page, split at CR LF.
std::vector<std::string> pageLines(const PlayerStats& stats) {
    const StatsPageText page = MakeStatsPage(stats, "Ann");
    const std::string text = page.games + page.bankingAndGuessing;
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        lines.push_back(text.substr(begin, end - begin));
    lines.push_back(text.substr(begin));
    return lines;
}

TEST(StatsPage, ANewPlayerShowsZerosAndWorkedExamplesRoundHalvesToEven) {
    const StatsPageText page = MakeStatsPage(PlayerStats{}, "Ann");  // the games first, the rest after
    EXPECT_TRUE(page.games.starts_with("Statistics for Ann\r\n\r\nAll Games\r\n" + std::string(35, '-') + "\r\n"));
    EXPECT_TRUE(page.games.ends_with("   Average Score: 0\r\n\r\n"));
    EXPECT_TRUE(page.bankingAndGuessing.starts_with("Banking\r\n"));
    const auto zeros = pageLines(PlayerStats{});
    EXPECT_EQ(zeros[10], "    Games Played: 0 (0%)");
    EXPECT_EQ(zeros.back(), "   Wrong Guesses: 0 (0%)");

    PlayerStats stats;  // 3 single player games of 100, 150 and 0; one multi player win of 50
    stats.SPGamesPlayed = 3;
    stats.SPPointsScored = 250;
    stats.MPGamesPlayed = 1;
    stats.MPGamesWon = 1;
    stats.MPPointsScored = 50;
    stats.BanksMade = 4;
    stats.PointsBanked = 290;
    stats.HighGuesses = 1;
    stats.LowGuesses = 7;
    stats.CorrectGuesses = 5;
    stats.WrongGuesses = 3;
    const auto lines = pageLines(stats);
    ASSERT_EQ(lines.size(), 35u);
    const std::vector<std::string> games(lines.begin() + 4, lines.begin() + 21);
    EXPECT_EQ(games, (std::vector<std::string>{"    Games Played: 4", "   Points Scored: 300", "   Average Score: 75",
                                               "", "Single Player", std::string(35, '-'), "    Games Played: 3 (75%)",
                                               "   Points Scored: 250 (83%)", "   Average Score: 83", "",
                                               "Multi Player", std::string(35, '-'), "    Games Played: 1 (25%)",
                                               "       Games Won: 1 (100%)", "      Games Lost: 0 (0%)",
                                               "   Points Scored: 50 (17%)", "   Average Score: 50"}));
    const std::vector<std::string> rest(lines.begin() + 24, lines.end());
    EXPECT_EQ(rest, (std::vector<std::string>{"      Banks Made: 4", "   Points Banked: 290", "  Average Banked: 72",
                                              "", "Guessing", std::string(35, '-'), "    Guesses Made: 8",
                                              "    High Guesses: 1 (12%)", "     Low Guesses: 7 (88%)",
                                              " Correct Guesses: 5 (62%)", "   Wrong Guesses: 3 (38%)"}));
}

TEST(StatsPage, HandEditedCountersFail) {
    const auto failureFor = [](auto edit) {
        PlayerStats stats;
        edit(stats);
        return failureNumber([&] { MakeStatsPage(stats, "Ann"); });
    };
    EXPECT_EQ(failureFor([](PlayerStats& s) { s.SPPointsScored = 10; }), failures::kDivisionByZero);
    EXPECT_EQ(failureFor([](PlayerStats& s) { s.SPPointsScored = -10; }), 0) << "only a positive value is divided";
    EXPECT_EQ(failureFor([](PlayerStats& s) { s.SPGamesPlayed = 2147483647, s.MPGamesPlayed = 1; }),
              failures::kOverflow);
    EXPECT_EQ(failureFor([](PlayerStats& s) { s.PointsBanked = 32768, s.BanksMade = 1; }), failures::kOverflow);
    EXPECT_EQ(failureFor([](PlayerStats& s) { s.MPGamesWon = 1000, s.MPGamesPlayed = 1; }), failures::kOverflow);
}

class StatsViewerTest : public ::testing::Test, public testing::Doubles {
protected:
    StatsViewerTest() {
        state.strPlayerName = "Ann";
        state.objHighScore.setNumPlaces(10);
        form.txtStats.observers().add([this] { writes.push_back(form.txtStats.text()); });
    }
    StatsForm form;
    StatsViewer viewer{form, state, errors};
    std::vector<std::string> writes;
};

TEST_F(StatsViewerTest, PagesFollowTheChoiceRefreshRereadsAndAFailedPageLeavesTheOldText) {
    viewer.Load();
    EXPECT_TRUE(form.txtStats.text().starts_with("Single Player High Scores\r\n\r\n#\tScore\tName\r\n"));
    EXPECT_TRUE(form.txtStats.text().ends_with("\r\n10)\t0\tNo name"));

    store.set("Kestrin", "Scores\\", "1name", "Bob");
    form.lstPage.setListIndex(1);
    EXPECT_TRUE(form.txtStats.text().starts_with("Multiplayer High Scores\r\n\r\n"));
    store.set("Kestrin", "Scores\\", "1score", "95");
    form.cmdRefresh.click();
    EXPECT_NE(form.txtStats.text().find("\r\n1)\t95\tBob\r\n"), std::string::npos);

    state.stats.BanksMade = 2;  // counts in memory show at once
    writes.clear();
    form.lstPage.setListIndex(2);
    const StatsPageText page = MakeStatsPage(state.stats, "Ann");
    EXPECT_EQ(writes, (std::vector<std::string>{page.games, page.games + page.bankingAndGuessing}));
    EXPECT_TRUE(messageBox.shown.empty());

    state.stats.SPPointsScored = 10;  // points without games
    form.lstPage.setListIndex(0);
    const std::string before = form.txtStats.text();
    writes.clear();
    form.lstPage.setListIndex(2);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(form.txtStats.text(), before);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, "Kestrin Error 11 in Stats.lstPage");
}

}  // namespace
}  // namespace kestrin
