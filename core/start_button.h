// The start button's captions and tooltips. The caption is the game's phase: "&Start" (may
// start), "&Stop" (a game runs), "&Ready" (may signal readiness to the opponent), "Waiting"
// (signalled, waits for the opponent) and the ready countdown, "5 Seconds" down to "0 Seconds".
#pragma once

#include <cstdint>
#include <string>

namespace kestrin::start_button {

inline constexpr const char* kStart = "&Start";
inline constexpr const char* kStartTooltip = "Start the game";
inline constexpr const char* kStop = "&Stop";
inline constexpr const char* kStopTooltip = "Stop the game";
inline constexpr const char* kReady = "&Ready";
inline constexpr const char* kReadyTooltip = "Signal ready to play";
inline constexpr const char* kWaiting = "Waiting";

// A countdown caption: the seconds left followed by " Seconds".
inline std::string countdown(std::int16_t seconds) { return std::to_string(seconds) + " Seconds"; }

}  // namespace kestrin::start_button
