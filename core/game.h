// The game on the main window: its state and phase, guessing and banking, the game clock and
// the end of a game, the multi player ready countdown and the sounds.
#pragma once

#include <cstdint>
#include <string>

#include "core/main_form.h"
#include "core/output_log.h"
#include "core/phase.h"
#include "platform/services.h"
#include "records/program_state.h"
#include "shell/error_reporter.h"

namespace kestrin {

// What the game tells the multi player link, in the game's terms, and what it asks of it.
// The link alone spells the messages on the wire and keeps what it knows of the opponent.
class LinkPort {
public:
    virtual ~LinkPort() = default;
    // The player banked: the opponent learns the new score.
    virtual void scoreBanked(std::int16_t score) = 0;
    // The player pressed Ready (the link tells a connected opponent).
    virtual void playerReady() = 0;
    // A player who had signalled readiness stopped.
    virtual void playerStopped() = 0;
    // The opponent's name as introduced, and the score it last reported.
    virtual const std::string& opponentName() const = 0;
    virtual std::int16_t opponentScore() const = 0;
    // Every press of the start button forgets the score the opponent reported.
    virtual void forgetOpponentScore() = 0;
};

struct GameServices {
    RandomSource& random;
    Sound& sound;
    MessageBox& messageBox;
    ErrorReporter& errors;
    SettingsStore& store;
    std::string programFolder;
};

class Game {
public:
    // Binds the handlers of the form's game controls and timers, and shows "&Start".
    Game(MainForm& form, ProgramState& state, GameServices services, OutputLog& log);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;
    // The window composes the game with its link before anything can happen.
    void setLink(LinkPort& link) { link_ = &link; }

    // Handlers.
    void cmdGuess_Click(int index);
    void cmdBank_Click();
    void tmrBank_Timer();
    // Every press resets the scores, the clock and the levels; then the phase says what the
    // press does: start a game, stop it, or signal readiness. Waiting and the countdown do
    // nothing more.
    void cmdStart_Click();
    void tmrGame_Timer();
    void tmrReady_Timer();
    void Form_KeyUp(int keyCode);

    // The phase, shown on the start button: its caption, and its tooltip where the phase has
    // one of its own (Waiting and the countdown keep the one they find).
    Phase phase() const { return phase_; }
    void setPhase(Phase phase);
    // The link has dropped: the reset and the stop of a press in a running game, whatever
    // the phase (guarded as "Main.cmdStart").
    void StopGame();
    // The opponent has stopped: this player is no longer ready, then the start button's
    // press stops a running game (and, with readiness gone, tells the opponent nothing).
    void OpponentStopped();
    // The ready countdown starts (again) at five seconds.
    void StartCountdown();
    void Beep();
    // Colours both scores by who leads.
    void ColourScores();
    // Loads the player's statistics record (set-up choices applied).
    void ReadStats();

    // The main window's game state.
    std::int16_t intPlayerScore = 0;
    std::int16_t intTimeLeft = 0;
    int intCurrent = 0;
    bool blnReady = false;

private:
    void resetForPress();
    void StartGame();
    void startPlay();
    void stopPlay();
    void signalReady();
    void drawDigit();
    void guess(int index);
    void bank();
    void gameTick();
    void endGame();
    void endSinglePlayer();
    void endMultiPlayer();
    void ResetCurrent();
    void AdvanceCurrent();
    void PlayWave(const std::string& name);
    void WriteStats();

    MainForm& form_;
    ProgramState& state_;
    GameServices services_;
    OutputLog& log_;
    LinkPort* link_ = nullptr;
    Phase phase_ = Phase::Start;
};

}  // namespace kestrin
