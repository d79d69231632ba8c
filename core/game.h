// The game on the main window: its state, guessing and banking, the game clock and the end
// of a game, the multi player ready countdown, sounds and the output log.
#pragma once

#include <cstdint>
#include <string>

#include "core/main_form.h"
#include "platform/services.h"
#include "records/program_state.h"
#include "shell/error_reporter.h"

namespace kestrin {

// What the game tells the multi player link, in the game's terms; the link implements it and
// alone spells the messages on the wire.
class LinkPort {
public:
    virtual ~LinkPort() = default;
    // True when the outgoing socket or the active accepted socket is connected.
    virtual bool peerConnected() = 0;
    // The player banked: the opponent learns the new score.
    virtual void scoreBanked(std::int16_t score) = 0;
    // The player pressed Ready while connected.
    virtual void playerReady() = 0;
    // A player who had signalled readiness stopped.
    virtual void playerStopped() = 0;
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
    // Binds the handlers of the form's game controls and timers.
    Game(MainForm& form, ProgramState& state, GameServices services);
    void setLink(LinkPort* link) { link_ = link; }

    // Handlers.
    void cmdGuess_Click(int index);
    void cmdBank_Click();
    void tmrBank_Timer();
    void cmdStart_Click();
    void tmrGame_Timer();
    void tmrReady_Timer();
    void Form_KeyUp(int keyCode);

    // Procedures shared with the link.
    void ResetCurrent();
    void AdvanceCurrent();
    void ColourScores();
    void AddOutput(const std::string& text, bool focusChat);
    void PlayWave(const std::string& name);
    // The ready countdown starts (again) at five seconds.
    void StartCountdown();
    // The system beep.
    void Beep();
    void ReadStats();
    void WriteStats();

    // The main window's game state.
    std::int16_t intPlayerScore = 0;
    std::int16_t intOpponentScore = 0;
    std::int16_t intTimeLeft = 0;
    int intCurrent = 0;
    bool blnReady = false;
    // The opponent, as introduced over the link.
    std::string strOpponentName;
    std::int16_t intOpponentVersion = 0;

private:
    void startClick();
    void drawDigit();
    void guess(int index);
    void bank();
    void gameTick();
    void endGame();
    void endSinglePlayer();
    void endMultiPlayer();
    void stopGame();

    MainForm& form_;
    ProgramState& state_;
    GameServices services_;
    LinkPort* link_ = nullptr;
};

}  // namespace kestrin
