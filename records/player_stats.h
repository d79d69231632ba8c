// PlayerStats: the current player's twelve counters, and their record in the settings store
// (application "Kestrin", section "Profiles\" + name, key "Statistics", twelve decimal
// numbers joined by "|").
#pragma once

#include <cstdint>
#include <string>

#include "platform/services.h"

namespace kestrin {

struct PlayerStats {
    // In the order of the stored record.
    std::int32_t PointsBanked = 0;
    std::int32_t BanksMade = 0;
    std::int32_t CorrectGuesses = 0;
    std::int32_t HighGuesses = 0;
    std::int32_t LowGuesses = 0;
    std::int32_t WrongGuesses = 0;
    std::int32_t MPGamesLost = 0;
    std::int32_t MPGamesPlayed = 0;
    std::int32_t MPPointsScored = 0;
    std::int32_t MPGamesWon = 0;
    std::int32_t SPGamesPlayed = 0;
    std::int32_t SPPointsScored = 0;

    static constexpr int kCount = 12;
    std::int32_t& at(int position);  // 1 to 12, record order
    std::int32_t at(int position) const;
    friend bool operator==(const PlayerStats&, const PlayerStats&) = default;
};

inline constexpr const char* kZeroStatistics = "0|0|0|0|0|0|0|0|0|0|0|0";

// The settings section of a player's record: "Profiles\" followed by the name.
std::string profileSection(const std::string& playerName);

// Saves the counters as the record of the player.
void WriteStats(SettingsStore& store, const std::string& playerName, const PlayerStats& stats);
// Loads the player's record into the counters. An absent or empty record changes nothing.
// A short record fails with subscript out of range at the first missing field, a field that
// is no number with a type mismatch, one beyond 32 bits with an overflow; the counters
// before the failing position hold the loaded values, the rest keep theirs.
void ReadStats(SettingsStore& store, const std::string& playerName, PlayerStats& stats);

}  // namespace kestrin
