// The program-wide values shared by the windows: the chosen game type and player, whether
// the main window has been shown, the one high score object and the player's counters.
#pragma once

#include <cstdint>
#include <string>

#include "records/high_score.h"
#include "records/player_stats.h"

namespace kestrin {

inline constexpr const char* kTitle = "Kestrin";          // settings application, caption
inline constexpr const char* kSoloTable = "KestrinSolo";  // single player high scores
inline constexpr const char* kMultiTable = "Kestrin";     // multi player high scores

// The two game types; every part of the game acts only on these two values.
inline constexpr std::int32_t kSinglePlayer = 0;
inline constexpr std::int32_t kMultiPlayer = 1;

struct ProgramState {
    explicit ProgramState(SettingsStore& store) : objHighScore(store) {}

    std::int32_t lngGameType = kSinglePlayer;
    std::string strPlayerName;
    bool MainWindowShown = false;
    HighScore objHighScore;
    PlayerStats stats;
};

}  // namespace kestrin
