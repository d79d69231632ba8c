#include "records/player_stats.h"

#include <vector>

#include "platform/failure.h"
#include "records/program_state.h"

namespace kestrin {

namespace {

constexpr const char* kKey = "Statistics";

// Splits at every "|"; n separators give n + 1 fields.
std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t bar = text.find('|', begin);
        if (bar == std::string_view::npos) {
            fields.push_back(text.substr(begin));
            return fields;
        }
        fields.push_back(text.substr(begin, bar - begin));
        begin = bar + 1;
    }
}

}  // namespace

std::int32_t& PlayerStats::at(int position) {
    switch (position) {
    case 1: return PointsBanked;
    case 2: return BanksMade;
    case 3: return CorrectGuesses;
    case 4: return HighGuesses;
    case 5: return LowGuesses;
    case 6: return WrongGuesses;
    case 7: return MPGamesLost;
    case 8: return MPGamesPlayed;
    case 9: return MPPointsScored;
    case 10: return MPGamesWon;
    case 11: return SPGamesPlayed;
    case 12: return SPPointsScored;
    default: throwSubscriptOutOfRange();
    }
}

std::int32_t PlayerStats::at(int position) const { return const_cast<PlayerStats&>(*this).at(position); }

std::string profileSection(const std::string& playerName) { return "Profiles\\" + playerName; }

std::string StatsRecord(const PlayerStats& stats) {
    std::string record;
    for (int position = 1; position <= PlayerStats::kCount; ++position) {
        if (position > 1) record += '|';
        record += decimal(stats.at(position));
    }
    return record;
}

std::optional<SettingsStore::Write> NewPlayerRecord(SettingsStore& store, const std::string& playerName) {
    if (!store.read(kTitle, profileSection(playerName), kKey, "").empty()) return std::nullopt;
    return SettingsStore::Write{profileSection(playerName), kKey, StatsRecord(PlayerStats{})};
}

void WriteStats(SettingsStore& store, const std::string& playerName, const PlayerStats& stats) {
    store.write(kTitle, profileSection(playerName), kKey, StatsRecord(stats));
}

void ReadStats(SettingsStore& store, const std::string& playerName, PlayerStats& stats) {
    const std::string record = store.read(kTitle, profileSection(playerName), kKey, "");
    // Nothing of the previous player's counters may stay: the next save would make them
    // this player's.
    stats = PlayerStats{};
    if (record.empty()) return;
    const auto fields = splitFields(record);
    // Counters are replaced one by one, so a bad field leaves the earlier ones loaded.
    for (int position = 1; position <= PlayerStats::kCount; ++position) {
        if (static_cast<std::size_t>(position) > fields.size()) throwSubscriptOutOfRange();
        stats.at(position) = textTo<std::int32_t>(fields[static_cast<std::size_t>(position - 1)]);
    }
}

}  // namespace kestrin
