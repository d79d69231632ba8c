// PlayerStats: the current player's twelve counters, and their record in the settings store
// (application "Kestrin", section "Profiles\" + name, key "Statistics", twelve decimal
// numbers joined by "|").
#pragma once

#include <cstdint>
#include <optional>
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

// The settings section of a player's record: "Profiles\" followed by the name.
std::string profileSection(const std::string& playerName);

// The record of the counters: twelve decimal numbers joined by "|".
std::string StatsRecord(const PlayerStats& stats);
// The store write (under the program's title) that gives a player without a record the zero
// record; nothing when the player has one, which is never touched.
std::optional<SettingsStore::Write> NewPlayerRecord(SettingsStore& store, const std::string& playerName);

// Saves the counters as the record of the player.
void WriteStats(SettingsStore& store, const std::string& playerName, const PlayerStats& stats);
// Loads the player's record into the counters. The counters then belong to this player
// alone: an absent or empty record makes them all 0. A short record fails with subscript
// out of range at the first missing field, a field that is no number with a type mismatch,
// one beyond 32 bits with an overflow; the counters before the failing position hold the
// loaded values, the rest are 0.
void ReadStats(SettingsStore& store, const std::string& playerName, PlayerStats& stats);

}  // namespace kestrin
