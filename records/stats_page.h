// The statistics page of the statistics viewer: the player's counters with totals, averages
// and shares, laid out for a fixed-width font (every label 18 characters, colon 17th).
#pragma once

#include <string>

#include "records/player_stats.h"

namespace kestrin {

// The rule under the headings of the viewer's pages (statistics and high score tables):
// 35 hyphens.
inline constexpr const char* kRule = "-----------------------------------";

// The page in the two pieces the viewer writes: lines 1 to 22 (All Games, Single Player,
// Multi Player, each line ended by CR LF) replace the text box's content, then lines 23 to
// 35 (Banking, Guessing; no line end after the last) are appended.
struct StatsPageText {
    std::string games;
    std::string bankingAndGuessing;
};

// Every derived value is computed before any text is made, so a failure leaves nothing
// half-built: totals beyond 32 bits and averages or shares beyond 16 bits are overflows,
// and a positive value over a zero count is a division by zero.
StatsPageText MakeStatsPage(const PlayerStats& stats, const std::string& playerName);

}  // namespace kestrin
