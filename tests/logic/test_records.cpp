// The records: numbers read from the settings, high score tables, player statistics, the
// statistics page and its viewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "records/stats_page.h"
#include "shell/stats_viewer.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

TEST(Numbers, TextIsReadAsTheGameWritesItAndAnythingElseIsAFailure) {
    const struct {
        const char* text;
        double value;  // when failure is 0
        std::int32_t failure;
    } cases[] = {
        {" 12 ", 12, 0},
        {"\t-3.5", -3.5, 0},
        {"+6", 6, 0},
        {"1e3", 1000, 0},
        {"2.5E-1", 0.25, 0},
        {".5", 0.5, 0},
        {"5.", 5, 0},
        {"0.0e999999", 0, 0},
        {"1e-400", 0, 0},
        {"-1e-400", 0, 0},
        {"1000e-402", 0, 0},
        {"0.000001e-999999999999", 0, 0},
        {"0.01e+310", 1e308, 0},
        {"1e400", 0, 6},
        {"-0.1e310", 0, 6},
        {"1e99999999999", 0, 6},
        {"", 0, 13},
        {"  ", 0, 13},
        {".", 0, 13},
        {"-", 0, 13},
        {"e5", 0, 13},
        {"1e", 0, 13},
        {"2E+", 0, 13},
        {"1e-", 0, 13},
        {"12x", 0, 13},
        {"1 2", 0, 13},
        {"--1", 0, 13},
        {"0x10", 0, 13},
        {"inf", 0, 13},
        {"nan", 0, 13},
        {"1e2.5", 0, 13},
        {"1.2.3", 0, 13},
    };
    for (const auto& c : cases) {
        double value = -1;
        EXPECT_EQ(failureNumber([&] { value = parseNumber(c.text); }), c.failure) << c.text;
        EXPECT_DOUBLE_EQ(c.failure == 0 ? value : 0, c.value) << c.text;
    }
    // Halves go to the even neighbour; whole numbers that leave their width are overflows.
    for (const auto& [text, rounded] : std::vector<std::pair<const char*, int>>{
             {"0.5", 0}, {"1.5", 2}, {"2.5", 2}, {"2.4999", 2}, {"2.5001", 3}, {"-1.5", -2}, {"-2.5", -2}, {"-0.4", 0}})
        EXPECT_EQ(textTo<std::int16_t>(text), rounded) << text;
    EXPECT_EQ(textTo<std::int16_t>("32767.4"), 32767);
    EXPECT_EQ(failureNumber([] { textTo<std::int16_t>("32767.5"); }), failures::kOverflow);
    EXPECT_EQ(failureNumber([] { textTo<std::int16_t>("-32768.6"); }), failures::kOverflow);
    EXPECT_EQ(failureNumber([] { roundTo<std::int32_t>(std::nan("")); }), failures::kOverflow);
    EXPECT_EQ(failureNumber([] { checkedAdd<std::int16_t>(32767, 1); }), failures::kOverflow);
    EXPECT_EQ(failureNumber([] { checkedSub<std::int16_t>(-32768, 1); }), failures::kOverflow);
    EXPECT_EQ(checkedAdd<std::int32_t>(-5, 3) + checkedSub<std::int32_t>(-5, 3), -10);
}

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

    MemorySettingsStore store;
    HighScore table{store};
};

TEST_F(HighScoreTest, MakeScoresListsTheChosenNumberOfRows) {
    storeScores({"120"});
    std::int16_t two = 2;
    EXPECT_EQ(table.MakeScores(two), kHeading + "\r\n1)\t120\tP1\r\n2)\t0\tNo name");
    for (std::int16_t asked : {0, 11}) {
        std::int16_t biggest = asked;
        EXPECT_TRUE(table.MakeScores(biggest).ends_with("\r\n9)\t0\tNo name\r\n10)\t0\tNo name")) << asked;
        EXPECT_EQ(biggest, 10);
    }
    std::int16_t ten = 10;
    EXPECT_EQ(table.MakeScores(ten), table.MakeScores());
    std::int16_t negative = -1;
    EXPECT_EQ(table.MakeScores(negative), kHeading);
    EXPECT_EQ(negative, -1);
}

TEST_F(HighScoreTest, InsertGoesBelowEqualScoresInMemoryOnly) {
    table.ReadScores();
    EXPECT_EQ(table.InsertScores(0, "Bob"), 0) << "0 beats nothing in a fresh table";
    EXPECT_EQ(table.InsertScores(50, ""), 1);
    EXPECT_EQ(table.Name(1), "Anonymous");
    EXPECT_EQ(table.Score(1), 50);
    EXPECT_EQ(store.size(), 0u);

    storeScores({"100", "80", "80", "60"});
    EXPECT_EQ(table.InsertScores(80, "New"), 4);
    EXPECT_EQ(names(), "P1,P2,P3,New,P4,No name,No name,No name,No name,No name,");
    EXPECT_EQ(table.InsertScores(101, "Top"), 1);
    EXPECT_EQ(table.BestScore(), "101");

    storeScores({"100", "90", "80", "70", "60", "50", "40", "30", "20", "10"});
    EXPECT_EQ(table.InsertScores(10, "Tie"), 0);
    EXPECT_EQ(table.InsertScores(11, "Last"), 10);
    EXPECT_EQ(table.InsertScores(95, "Bob"), 2);
    EXPECT_EQ(table.WorstScore(), "20") << "the old last place is dropped";

    table.setScoreType(1);  // lower is better
    storeScores({"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"});
    EXPECT_EQ(table.InsertScores(150, "Slow"), 0);
    EXPECT_EQ(table.InsertScores(100, "Tie"), 0);
    EXPECT_EQ(table.InsertScores(25, "Ann"), 3);
    EXPECT_EQ(names(), "P1,P2,Ann,P3,P4,P5,P6,P7,P8,P9,");
}

TEST_F(HighScoreTest, HandEditedScoresFailOnlyWhereTheyAreComparedAndPlacesOutsideTheTableFail) {
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

    HighScore unset(store);
    for (const std::function<void()>& action : std::initializer_list<std::function<void()>>{
             [&] { unset.BestScore(); }, [&] { unset.InsertScores(10, "Ann"); }, [&] { table.Name(0); },
             [&] { table.setName(11, "Ann"); }, [&] { table.setNumPlaces(0); }, [&] { table.setScore(-1, 5); }})
        EXPECT_EQ(failureNumber(action), failures::kSubscriptOutOfRange);
    HighScore single(store);
    single.setNumPlaces(1);  // the smallest table there is
    EXPECT_EQ(single.WorstScore(), single.BestScore());
    table.setNumPlaces(5);
    table.setScore(5, 77);
    EXPECT_EQ(table.WorstScore(), "77");
    table.setNumPlaces(10);
    table.setName(10, "Zed");
    EXPECT_EQ(names(), "P1,P2,P3,P4,No name,,,,,Zed,") << "the places that remain are kept";
}

TEST_F(HighScoreTest, WriteScoresStoresEveryPlaceUnderItsTableAsOneSave) {
    table.ReadScores();
    table.InsertScores(70, "Ann");
    table.WriteScores();
    EXPECT_EQ(store.size(), 20u);
    EXPECT_EQ(store.saves, 1);
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "1name"), "Ann");
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "1score"), "70");
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "10score"), "0");
    table.setTableName("Kestrin");
    table.ReadScores();
    EXPECT_EQ(table.Name(1), "No name");
    store.failWrites = true;  // a failed save reaches the caller
    EXPECT_EQ(failureNumber([&] { table.WriteScores(); }), failures::kPathFileAccess);
}

PlayerStats counting(std::int32_t from) {
    PlayerStats stats;
    for (int position = 1; position <= PlayerStats::kCount; ++position) stats.at(position) = from++;
    return stats;
}

TEST(PlayerStats, RecordsRoundTripPerPlayerAndABadRecordLoadsUpToItsFailingField) {
    MemorySettingsStore store;
    WriteStats(store, "Ann", counting(1));
    EXPECT_EQ(store.get("Kestrin", "Profiles\\Ann", "Statistics"), "1|2|3|4|5|6|7|8|9|10|11|12");
    WriteStats(store, "Bob", counting(-2147483647 - 1));
    PlayerStats loaded = counting(7);
    ReadStats(store, "Nobody", loaded);  // no record: zeros, never the counters held before
    EXPECT_EQ(loaded, PlayerStats{});
    ReadStats(store, "Ann", loaded);
    EXPECT_EQ(loaded, counting(1));
    ReadStats(store, "Bob", loaded);
    EXPECT_EQ(loaded, counting(-2147483647 - 1));
    EXPECT_EQ(NewPlayerRecord(store, "Ann"), std::nullopt) << "a record is never replaced";
    const auto nobody = NewPlayerRecord(store, "Nobody");
    ASSERT_TRUE(nobody.has_value());
    EXPECT_EQ(nobody->section + "/" + nobody->key + "=" + nobody->value,
              "Profiles\\Nobody/Statistics=0|0|0|0|0|0|0|0|0|0|0|0");
    EXPECT_EQ(failureNumber([] { PlayerStats{}.at(13); }), failures::kSubscriptOutOfRange);

    const struct {
        const char* record;
        std::int32_t failure;
        const char* loaded;
    } cases[] = {
        {"", 0, "0|0|0|0|0|0|0|0|0|0|0|0"},
        {" 1 |2.5|3.5|-0.5|1e3|+6|\t7|1e-400|0|0|0|12|extra", 0, "1|2|4|0|1000|6|7|0|0|0|0|12"},
        {"1|2|3", failures::kSubscriptOutOfRange, "1|2|3|0|0|0|0|0|0|0|0|0"},
        {"1|2|3|4|5|6|7|8|9|10|11", failures::kSubscriptOutOfRange, "1|2|3|4|5|6|7|8|9|10|11|0"},
        {"1|2|x|4|5|6|7|8|9|10|11|12", failures::kTypeMismatch, "1|2|0|0|0|0|0|0|0|0|0|0"},
        {"1|2|3|4||6|7|8|9|10|11|12", failures::kTypeMismatch, "1|2|3|4|0|0|0|0|0|0|0|0"},
        {"1|99999999999|3|4|5|6|7|8|9|10|11|12", failures::kOverflow, "1|0|0|0|0|0|0|0|0|0|0|0"},
        {"1|2|3|4|5|6|7|8|9|10|11|12x", failures::kTypeMismatch, "1|2|3|4|5|6|7|8|9|10|11|0"},
    };
    for (const auto& c : cases) {
        store.set("Kestrin", "Profiles\\Ann", "Statistics", c.record);
        loaded = counting(7);  // the previous player's
        EXPECT_EQ(failureNumber([&] { ReadStats(store, "Ann", loaded); }), c.failure) << c.record;
        EXPECT_EQ(StatsRecord(loaded), c.loaded) << c.record;
    }
}

// The text with its CR LF line ends as plain line feeds; every line feed must have its CR.
std::string lf(std::string text) {
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), std::count(text.begin(), text.end(), '\n'));
    std::erase(text, '\r');
    return text;
}

TEST(StatsPage, WorkedExamplesRoundHalvesToEvenAndHandEditedCountersFail) {
    const StatsPageText zeros = MakeStatsPage(PlayerStats{}, "Bob");
    EXPECT_TRUE(lf(zeros.games).starts_with("Statistics for Bob\n\nAll Games\n" + std::string(35, '-') + "\n"));
    EXPECT_TRUE(lf(zeros.games).ends_with("   Average Score: 0\n\n"));
    EXPECT_TRUE(lf(zeros.bankingAndGuessing).ends_with("Wrong Guesses: 0 (0%)"));

    PlayerStats s;  // 3 single player games of 100, 150 and 0; one multi player win of 50
    s.SPGamesPlayed = 3;
    s.SPPointsScored = 250;
    s.MPGamesPlayed = 1;
    s.MPGamesWon = 1;
    s.MPPointsScored = 50;
    s.BanksMade = 4;
    s.PointsBanked = 290;
    s.HighGuesses = 1;
    s.LowGuesses = 7;
    s.CorrectGuesses = 5;
    s.WrongGuesses = 3;
    const StatsPageText page = MakeStatsPage(s, "Ann");
    EXPECT_EQ(lf(page.games), R"(Statistics for Ann

All Games
-----------------------------------
    Games Played: 4
   Points Scored: 300
   Average Score: 75

Single Player
-----------------------------------
    Games Played: 3 (75%)
   Points Scored: 250 (83%)
   Average Score: 83

Multi Player
-----------------------------------
    Games Played: 1 (25%)
       Games Won: 1 (100%)
      Games Lost: 0 (0%)
   Points Scored: 50 (17%)
   Average Score: 50

)");
    EXPECT_EQ(lf(page.bankingAndGuessing), R"(Banking
-----------------------------------
      Banks Made: 4
   Points Banked: 290
  Average Banked: 72

Guessing
-----------------------------------
    Guesses Made: 8
    High Guesses: 1 (12%)
     Low Guesses: 7 (88%)
 Correct Guesses: 5 (62%)
   Wrong Guesses: 3 (38%))");

    const auto failureFor = [](auto edit) {
        PlayerStats stats;
        edit(stats);
        return failureNumber([&] { MakeStatsPage(stats, "Ann"); });
    };
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.SPPointsScored = 10; }), failures::kDivisionByZero);
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.WrongGuesses = 1; }), failures::kDivisionByZero);
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.SPPointsScored = -10; }), 0) << "only a positive value is divided";
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.SPGamesPlayed = 2147483647, p.MPGamesPlayed = 1; }),
              failures::kOverflow);
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.PointsBanked = 32768, p.BanksMade = 1; }), failures::kOverflow);
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.MPGamesWon = 1000, p.MPGamesPlayed = 1; }), failures::kOverflow);
}

TEST(StatsViewer, PagesFollowTheChoiceRefreshRereadsAndAFailedPageLeavesTheOldText) {
    Doubles doubles;
    doubles.state.strPlayerName = "Ann";
    doubles.state.objHighScore.setNumPlaces(10);
    StatsForm form;
    StatsViewer viewer{form, doubles.state, doubles.errors};
    std::vector<std::string> writes;
    form.txtStats.observers().add([&] { writes.push_back(form.txtStats.text()); });
    viewer.Load();
    EXPECT_TRUE(form.txtStats.text().starts_with("Single Player High Scores\r\n\r\n" + kHeading));
    EXPECT_TRUE(form.txtStats.text().ends_with("\r\n10)\t0\tNo name"));

    doubles.store.set("Kestrin", "Scores\\", "1name", "Bob");
    form.lstPage.setListIndex(1);
    EXPECT_TRUE(form.txtStats.text().starts_with("Multiplayer High Scores\r\n\r\n" + kHeading));
    doubles.store.set("Kestrin", "Scores\\", "1score", "95");
    form.cmdRefresh.click();
    EXPECT_NE(form.txtStats.text().find("\r\n1)\t95\tBob\r\n"), std::string::npos);

    doubles.state.stats.BanksMade = 2;  // counts in memory show at once, written in two pieces
    writes.clear();
    form.lstPage.setListIndex(2);
    const StatsPageText page = MakeStatsPage(doubles.state.stats, "Ann");
    EXPECT_EQ(writes, (std::vector<std::string>{page.games, page.games + page.bankingAndGuessing}));

    doubles.state.stats.SPPointsScored = 10;  // points without games
    form.lstPage.setListIndex(0);
    const std::string before = form.txtStats.text();
    form.lstPage.setListIndex(2);
    EXPECT_EQ(form.txtStats.text(), before);
    EXPECT_EQ(doubles.errorTitles(), std::vector<std::string>{"Kestrin Error 11 in Stats.lstPage"});
    form.cmdClose.click();  // nothing to close in the logic: no view asked
}

}  // namespace
}  // namespace kestrin::testing
