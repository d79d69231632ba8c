// The records: numbers read from the settings, high score tables, player statistics, the
// statistics page and its viewer.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "records/stats_page.h"
#include "shell/stats_viewer.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

TEST(Numbers, TextIsReadAsTheGameWritesItAndAnythingElseIsAFailure) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {" 12 ", "12"}, {"5\t", "5"}, {"\t-3.5", "-3.5"}, {"+6", "6"}, {"1e3", "1000"}, {"2.5E-1", "0.25"}, {".5", "0.5"}, {"5.", "5"},
        {"0.0e999999", "0"}, {"-1e-400", "0"}, {"1000e-402", "0"}, {"0.000001e-999999999999", "0"},
        {"0.01e+310", "1e+308"}, {"1e400", "#6"}, {"-0.1e310", "#6"}, {"1e99999999999", "#6"}, {"", "#13"},
        {".", "#13"}, {"-", "#13"}, {"e5", "#13"}, {"1e", "#13"}, {"2E+", "#13"}, {"12x", "#13"}, {"1 2", "#13"},
        {"0x10", "#13"}, {"inf", "#13"}, {"1e2.5", "#13"}};
    // clang-format on
    for (const auto& [text, read] : cases) {
        char shown[32] = "";
        const std::int32_t failure =
            failureNumber([&] { std::snprintf(shown, sizeof shown, "%g", parseNumber(text)); });
        EXPECT_EQ(failure == 0 ? std::string(shown) : "#" + std::to_string(failure), read) << text;
    }
    // Zeros before the first digit count: this is 10^-326, too small, not too large.
    EXPECT_EQ(parseNumber("0." + std::string(1325, '0') + "1e1000"), 0.0);
}

TEST(HighScore, AScoreGoesInBelowTheScoresItDoesNotBeatAndTheLastPlaceDrops) {
    MemorySettingsStore store;
    HighScore table{store};
    table.setNumPlaces(10);
    table.setTableName("KestrinSolo");
    const struct {
        int scoreType;
        const char* stored;
        std::int16_t score;
        const char* result;  // the place it took, then the table
    } cases[] = {
        {0, "", 0, "0 "},  // 0 beats nothing in a fresh table
        {0, "", 50, "1 Anonymous:50 "},
        {0, "100 80 80 60", 80, "4 P1:100 P2:80 P3:80 Ann:80 P4:60 "},
        {0, "100 80 80 60", 101, "1 Ann:101 P1:100 P2:80 P3:80 P4:60 "},
        {0, "100 90 80 70 60 50 40 30 20 10", 10, "0 P1:100 P2:90 P3:80 P4:70 P5:60 P6:50 P7:40 P8:30 P9:20 P10:10 "},
        {0, "100 90 80 70 60 50 40 30 20 10", 11, "10 P1:100 P2:90 P3:80 P4:70 P5:60 P6:50 P7:40 P8:30 P9:20 Ann:11 "},
        {0, "100 90 80 70 60 50 40 30 20 10", 95, "2 P1:100 Ann:95 P2:90 P3:80 P4:70 P5:60 P6:50 P7:40 P8:30 P9:20 "},
        {1, "10 20 30 40 50 60 70 80 90 100", 150, "0 P1:10 P2:20 P3:30 P4:40 P5:50 P6:60 P7:70 P8:80 P9:90 P10:100 "},
        {1, "10 20 30 40 50 60 70 80 90 100", 100, "0 P1:10 P2:20 P3:30 P4:40 P5:50 P6:60 P7:70 P8:80 P9:90 P10:100 "},
        {1, "10 20 30 40 50 60 70 80 90 100", 25, "3 P1:10 P2:20 Ann:25 P3:30 P4:40 P5:50 P6:60 P7:70 P8:80 P9:90 "}};
    for (const auto& c : cases) {
        store = MemorySettingsStore{};  // the scores stored from place 1 down, named P1, P2 …
        std::istringstream words(c.stored);
        int place = 1;
        for (std::string score; words >> score; ++place) {
            store.set("KestrinSolo", "Scores\\", std::to_string(place) + "name", "P" + std::to_string(place));
            store.set("KestrinSolo", "Scores\\", std::to_string(place) + "score", score);
        }
        table.setScoreType(c.scoreType);
        table.ReadScores();
        std::string shown = std::to_string(table.InsertScores(c.score, c.score == 50 ? "" : "Ann")) + " ";
        for (std::int16_t i = 1; i <= 10 && table.Name(i) != "No name"; ++i)
            shown += table.Name(i) + ":" + std::to_string(table.Score(i)) + " ";
        EXPECT_EQ(shown, c.result) << c.stored << " + " << c.score;
        EXPECT_EQ(store.saves, 0);  // only the memory copy changes
    }
}

// The text with each CR LF line end shown as "/"; a lone CR or LF stays as it is.
std::string lines(std::string text) {
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, "/");
    return text;
}

TEST(StatsPage, WorkedExamplesRoundHalvesToEvenAndHandEditedCountersFail) {
    // 3 single player games of 100, 150 and 0; one multi player win of 50. In record order: points banked,
    // banks, right, high, low and wrong guesses, multi player lost, played, points, won, single player played, points.
    const PlayerStats s{290, 4, 5, 1, 7, 3, 0, 1, 50, 1, 3, 250};
    const StatsPageText page = MakeStatsPage(s, "Ann");
    // Each line ends in CR LF; shown here ending in "/".
    EXPECT_EQ(lines(page.games) + "|" + lines(page.bankingAndGuessing),
              "Statistics for Ann//All Games/-----------------------------------/    Games Played: 4/"
              "   Points Scored: 300/   Average Score: 75//Single Player/-----------------------------------/"
              "    Games Played: 3 (75%)/   Points Scored: 250 (83%)/   Average Score: 83//Multi Player/"
              "-----------------------------------/    Games Played: 1 (25%)/       Games Won: 1 (100%)/"
              "      Games Lost: 0 (0%)/   Points Scored: 50 (17%)/   Average Score: 50//|Banking/"
              "-----------------------------------/      Banks Made: 4/   Points Banked: 290/"
              "  Average Banked: 72//Guessing/-----------------------------------/    Guesses Made: 8/"
              "    High Guesses: 1 (12%)/     Low Guesses: 7 (88%)/ Correct Guesses: 5 (62%)/"
              "   Wrong Guesses: 3 (38%)");
    const StatsPageText zeros = MakeStatsPage(PlayerStats{}, "Bob");
    EXPECT_TRUE(lines(zeros.games).starts_with("Statistics for Bob/") && lines(zeros.games).ends_with("Score: 0//"));
    const auto failureFor = [](auto edit) {
        PlayerStats stats;
        edit(stats);
        return failureNumber([&] { MakeStatsPage(stats, "Ann"); });
    };
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.WrongGuesses = 1; }), failures::kDivisionByZero);
    EXPECT_EQ(failureFor([](PlayerStats& p) { p.PointsBanked = 32768, p.BanksMade = 1; }), failures::kOverflow);
}

TEST(StatsViewer, PagesFollowTheChoiceRefreshRereadsAndAFailedPageLeavesTheOldText) {
    Doubles doubles;
    doubles.state.strPlayerName = "Ann";
    doubles.state.objHighScore.setNumPlaces(10);
    StatsForm form;
    StatsViewer viewer{form, doubles.state, doubles.errors};
    std::vector<std::string> writes;
    form.txtStats.observers().add([&] { writes.push_back(form.txtStats.text()); });
    const std::string heading = "#\tScore\tName\r\n" + std::string(35, '-');
    viewer.Load();
    EXPECT_TRUE(form.txtStats.text().starts_with("Single Player High Scores\r\n\r\n" + heading));
    EXPECT_TRUE(form.txtStats.text().ends_with("\r\n10)\t0\tNo name"));
    doubles.store.set("Kestrin", "Scores\\", "1name", "Bob");
    form.lstPage.setListIndex(1);
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
}

}  // namespace
}  // namespace kestrin::testing
