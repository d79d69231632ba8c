#include "records/stats_page.h"

#include "platform/failure.h"

namespace kestrin {

namespace {

constexpr const char* kEnd = "\r\n";

// value / count, rounded half to even. Only a positive value is divided at all, so a zero
// value gives 0 whatever the count; a positive value over no count is a division by zero.
std::int16_t average(std::int32_t value, std::int32_t count) {
    if (value <= 0) return 0;
    if (count == 0) throwDivisionByZero();
    return roundTo<std::int16_t>(static_cast<double>(value) / static_cast<double>(count));
}

// The part's share of the total in percent: divided first, multiplied by 100 afterwards.
std::int16_t share(std::int32_t part, std::int32_t total) {
    if (part <= 0) return 0;
    if (total == 0) throwDivisionByZero();
    return roundTo<std::int16_t>(static_cast<double>(part) / static_cast<double>(total) * 100.0);
}

std::string line(const char* label, std::int32_t value) { return label + decimal(value) + kEnd; }

std::string line(const char* label, std::int32_t value, std::int16_t percent) {
    return label + decimal(value) + " (" + decimal(percent) + "%)" + kEnd;
}

std::string heading(const char* title) { return std::string(title) + kEnd + kRule + kEnd; }

}  // namespace

StatsPageText MakeStatsPage(const PlayerStats& s, const std::string& playerName) {
    // Totals first, then averages, then shares.
    const std::int32_t totalGames = checkedAdd(s.SPGamesPlayed, s.MPGamesPlayed);
    const std::int32_t totalPoints = checkedAdd(s.SPPointsScored, s.MPPointsScored);
    const std::int32_t guessesMade = checkedAdd(s.HighGuesses, s.LowGuesses);

    const std::int16_t allAverage = average(totalPoints, totalGames);
    const std::int16_t spAverage = average(s.SPPointsScored, s.SPGamesPlayed);
    const std::int16_t mpAverage = average(s.MPPointsScored, s.MPGamesPlayed);
    const std::int16_t bankAverage = average(s.PointsBanked, s.BanksMade);

    const std::int16_t spGamesShare = share(s.SPGamesPlayed, totalGames);
    const std::int16_t spPointsShare = share(s.SPPointsScored, totalPoints);
    const std::int16_t mpGamesShare = share(s.MPGamesPlayed, totalGames);
    const std::int16_t wonShare = share(s.MPGamesWon, s.MPGamesPlayed);
    const std::int16_t lostShare = share(s.MPGamesLost, s.MPGamesPlayed);
    const std::int16_t mpPointsShare = share(s.MPPointsScored, totalPoints);
    const std::int16_t highShare = share(s.HighGuesses, guessesMade);
    const std::int16_t lowShare = share(s.LowGuesses, guessesMade);
    const std::int16_t correctShare = share(s.CorrectGuesses, guessesMade);
    const std::int16_t wrongShare = share(s.WrongGuesses, guessesMade);

    StatsPageText page;
    std::string& games = page.games;
    games = "Statistics for " + playerName + kEnd + kEnd;
    games += heading("All Games");
    games += line("    Games Played: ", totalGames);
    games += line("   Points Scored: ", totalPoints);
    games += line("   Average Score: ", allAverage);
    games += kEnd;
    games += heading("Single Player");
    games += line("    Games Played: ", s.SPGamesPlayed, spGamesShare);
    games += line("   Points Scored: ", s.SPPointsScored, spPointsShare);
    games += line("   Average Score: ", spAverage);
    games += kEnd;
    games += heading("Multi Player");
    games += line("    Games Played: ", s.MPGamesPlayed, mpGamesShare);
    games += line("       Games Won: ", s.MPGamesWon, wonShare);
    games += line("      Games Lost: ", s.MPGamesLost, lostShare);
    games += line("   Points Scored: ", s.MPPointsScored, mpPointsShare);
    games += line("   Average Score: ", mpAverage);
    games += kEnd;

    std::string& rest = page.bankingAndGuessing;
    rest = heading("Banking");
    rest += line("      Banks Made: ", s.BanksMade);
    rest += line("   Points Banked: ", s.PointsBanked);
    rest += line("  Average Banked: ", bankAverage);
    rest += kEnd;
    rest += heading("Guessing");
    rest += line("    Guesses Made: ", guessesMade);
    rest += line("    High Guesses: ", s.HighGuesses, highShare);
    rest += line("     Low Guesses: ", s.LowGuesses, lowShare);
    rest += line(" Correct Guesses: ", s.CorrectGuesses, correctShare);
    rest += line("   Wrong Guesses: ", s.WrongGuesses, wrongShare);
    rest.resize(rest.size() - 2);  // the last line has no line end
    return page;
}

}  // namespace kestrin
