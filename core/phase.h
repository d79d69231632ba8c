// The game's phase. The start button shows it to the player: its caption is the phase, and
// its click does what the phase allows (Game::cmdStart_Click).
#pragma once

namespace kestrin {

enum class Phase {
    Start,      // "&Start": single player, no game running (and for an instant as the countdown ends)
    Stop,       // "&Stop": a game runs
    Ready,      // "&Ready": multi player, no game running, the player may signal readiness
    Waiting,    // "Waiting": signalled, waits for the opponent
    Countdown,  // "5 Seconds" down to "0 Seconds": the ready countdown before a multi player game
};

}  // namespace kestrin
