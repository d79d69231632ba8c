#include <gtest/gtest.h>

#include "records/stats_page.h"
#include "shell/stats_viewer.h"
#include "tests/support/doubles.h"
#include "tests/support/failure_number.h"

namespace kestrin {
namespace {

using testing::failureNumber;

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

TEST(StatsPage, NewPlayerShowsZerosInTwoPieces) {
    const StatsPageText page = MakeStatsPage(PlayerStats{}, "Ann");
    EXPECT_TRUE(page.games.starts_with("Statistics for Ann\r\n\r\nAll Games\r\n" + std::string(35, '-') + "\r\n"));
    EXPECT_TRUE(page.games.ends_with("   Average Score: 0\r\n\r\n"));
    EXPECT_TRUE(page.bankingAndGuessing.starts_with("Banking\r\n"));
    EXPECT_TRUE(page.bankingAndGuessing.ends_with("   Wrong Guesses: 0 (0%)"));
    const auto lines = pageLines(PlayerStats{});
    ASSERT_EQ(lines.size(), 35u);
    EXPECT_EQ(lines[10], "    Games Played: 0 (0%)");
}

TEST(StatsPage, WorkedExamplesRoundHalvesToEven) {
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

class StatsViewerTest : public ::testing::Test {
protected:
    StatsViewerTest() {
        state.strPlayerName = "Ann";
        state.objHighScore.setNumPlaces(10);
        form.txtStats.observers().add([this] { writes.push_back(form.txtStats.text()); });
    }
    testing::MemorySettingsStore store;
    testing::ScriptedMessageBox boxes;
    testing::MemoryFiles files;
    testing::FixedCalendar calendar;
    ErrorReporter errors{boxes, files, calendar, "/prog"};
    ProgramState state{store};
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
    EXPECT_TRUE(boxes.shown.empty());

    state.stats.SPPointsScored = 10;  // points without games
    form.lstPage.setListIndex(0);
    const std::string before = form.txtStats.text();
    writes.clear();
    form.lstPage.setListIndex(2);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(form.txtStats.text(), before);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Kestrin Error 11 in Stats.lstPage");
}

}  // namespace
}  // namespace kestrin
