#include "core/game.h"

#include <algorithm>
#include <cmath>

#include "platform/failure.h"

namespace kestrin {

namespace {
constexpr std::int16_t kGameSeconds = 60;
constexpr std::int16_t kWarningSeconds = 5;
constexpr std::int16_t kCountdownSeconds = 5;

void increment(std::int32_t& counter) { counter = checkedAdd<std::int32_t>(counter, 1); }

}  // namespace

Game::Game(MainForm& form, ProgramState& state, GameServices services, OutputLog& log)
    : form_(form), state_(state), services_(std::move(services)), log_(log) {
    for (int index = 0; index < 2; ++index)
        form_.cmdGuess[static_cast<std::size_t>(index)].onClick = [this, index] { cmdGuess_Click(index); };
    form_.cmdBank.onClick = [this] { cmdBank_Click(); };
    form_.cmdStart.onClick = [this] { cmdStart_Click(); };
    form_.tmrGame.onTick = [this] { tmrGame_Timer(); };
    form_.tmrBank.onTick = [this] { tmrBank_Timer(); };
    form_.tmrReady.onTick = [this] { tmrReady_Timer(); };
    form_.onKeyUp = [this](int keyCode) { Form_KeyUp(keyCode); };
    setPhase(Phase::Start);
}

// ---- The phase on the start button ----------------------------------------------------

void Game::setPhase(Phase phase) {
    struct Shown {
        const char* caption;
        const char* tooltip;  // none: the tooltip stays as it is
    };
    static constexpr Shown kShown[] = {
        {"&Start", "Start the game"}, {"&Stop", "Stop the game"}, {"&Ready", "Signal ready to play"},
        {"Waiting", nullptr},         {nullptr, nullptr},  // the countdown: the seconds left
    };
    phase_ = phase;
    const Shown& shown = kShown[static_cast<int>(phase)];
    form_.cmdStart.setCaption(shown.caption ? shown.caption : decimal(intTimeLeft) + " Seconds");
    if (shown.tooltip) form_.cmdStart.setTooltip(shown.tooltip);
}

// ---- Guessing and banking -------------------------------------------------------------

void Game::cmdGuess_Click(int index) {
    services_.errors.guard("Main.cmdGuess", [&] { guess(index); });
}

void Game::drawDigit() {
    // The source reseeds itself from the time of day before every draw.
    const float r = services_.random.next();
    const int digit = static_cast<int>(std::floor(r * 9.0f + 1.0f));
    form_.lblRandom.setCaption(decimal(digit));
}

void Game::guess(int index) {
    form_.lblRandom.tag = form_.lblRandom.caption();
    drawDigit();
    form_.cmdBank.setEnabled(false);
    form_.tmrBank.setEnabled(false);
    form_.imgCorrect.setVisible(false);
    form_.imgWrong.setVisible(false);

    // Digits are compared as text, which for single digits is their numeric order; an equal
    // digit is right for both guesses.
    const std::string& next = form_.lblRandom.caption();
    const std::string& previous = form_.lblRandom.tag;
    const bool higher = index == 0;
    increment(higher ? state_.stats.HighGuesses : state_.stats.LowGuesses);
    const bool wrong = higher ? next < previous : next > previous;

    if (wrong) {
        form_.imgWrong.setVisible(true);
        ResetCurrent();
        increment(state_.stats.WrongGuesses);
    } else {
        form_.imgCorrect.setVisible(true);
        AdvanceCurrent();
        form_.cmdBank.setEnabled(true);
        form_.cmdBank.setFocus();
        form_.tmrBank.setEnabled(true);  // a fresh three-second bank window
        increment(state_.stats.CorrectGuesses);
    }
}

void Game::cmdBank_Click() {
    services_.errors.guard("Main.cmdBank", [&] { bank(); });
}

void Game::bank() {
    if (intCurrent == 0) return;
    increment(state_.stats.BanksMade);
    const double value = parseNumber(form_.lblCurrent[static_cast<std::size_t>(intCurrent - 1)].caption());
    state_.stats.PointsBanked = roundTo<std::int32_t>(value + state_.stats.PointsBanked);
    form_.cmdBank.setEnabled(false);
    form_.tmrBank.setEnabled(false);
    // A score beyond 16 bits fails here and keeps its old value; the levels stay lit.
    intPlayerScore = roundTo<std::int16_t>(value + intPlayerScore);
    form_.lblCurrentScore.setCaption(decimal(intPlayerScore));
    ResetCurrent();
    PlayWave("bank");
    if (state_.lngGameType == kMultiPlayer) {
        link_->scoreBanked(intPlayerScore);
        ColourScores();
    }
}

void Game::tmrBank_Timer() {
    services_.errors.guard("Main.tmrBank", [&] {
        form_.tmrBank.setEnabled(false);
        form_.cmdBank.setEnabled(false);
        form_.cmdGuess[0].setFocus();
    });
}

void Game::Form_KeyUp(int keyCode) {
    if (keyCode == kKeyPageUp && form_.tmrGame.enabled()) {
        cmdGuess_Click(0);
    } else if (keyCode == kKeyPageDown && form_.tmrGame.enabled()) {
        cmdGuess_Click(1);
    } else if (keyCode == kKeyB && form_.tmrBank.enabled()) {
        cmdBank_Click();
    }
}

void Game::ResetCurrent() {
    intCurrent = 0;
    for (auto& level : form_.lblCurrent) {
        level.setForeColor(forms::kBlack);
        level.setEnabled(false);
    }
}

void Game::AdvanceCurrent() {
    const int levels = static_cast<int>(form_.lblCurrent.size());
    if (intCurrent >= levels) return;  // all lit: the run is capped at the top level
    ++intCurrent;
    auto& top = form_.lblCurrent[static_cast<std::size_t>(intCurrent - 1)];
    top.setEnabled(true);
    top.setForeColor(forms::kDarkRed);
    if (intCurrent > 1) form_.lblCurrent[static_cast<std::size_t>(intCurrent - 2)].setForeColor(forms::kBlack);
}

void Game::ColourScores() {
    const std::int16_t own = intPlayerScore;
    const std::int16_t opponent = link_->opponentScore();
    forms::Rgb ownColour = forms::kBlack;
    forms::Rgb opponentColour = forms::kBlack;
    if (own > opponent) {
        ownColour = forms::kLeaderGreen;
        opponentColour = forms::kTrailerRed;
    } else if (own < opponent) {
        ownColour = forms::kTrailerRed;
        opponentColour = forms::kLeaderGreen;
    }
    form_.lblCurrentScore.setForeColor(ownColour);
    form_.lblOpponentScore.setForeColor(opponentColour);
}

// ---- The start button and the clock -----------------------------------------------------

void Game::cmdStart_Click() {
    services_.errors.guard("Main.cmdStart", [&] {
        resetForPress();
        switch (phase_) {
        case Phase::Start: startPlay(); break;
        case Phase::Stop: stopPlay(); break;
        case Phase::Ready: signalReady(); break;
        case Phase::Waiting:
        case Phase::Countdown: break;  // nothing beyond the reset
        }
    });
}

void Game::StartGame() {
    services_.errors.guard("Main.cmdStart", [&] {
        resetForPress();
        startPlay();
    });
}

void Game::StopGame() {
    services_.errors.guard("Main.cmdStart", [&] {
        resetForPress();
        stopPlay();
    });
}

void Game::OpponentStopped() {
    blnReady = false;
    cmdStart_Click();
}

void Game::resetForPress() {
    form_.lblTimeLeft.setForeColor(forms::kBlack);
    form_.shpTimeLeft.setFillColor(forms::kDarkBlue);
    form_.shpTimeLeft.setWidth(kTimeBarFullWidth);
    intPlayerScore = 0;
    link_->forgetOpponentScore();
    // The ready countdown counts in intTimeLeft too: a press (or the opponent's stop) while
    // it runs leaves its seconds alone, so it still ends five seconds after it began.
    if (!form_.tmrReady.enabled()) intTimeLeft = kGameSeconds;
    form_.lblTimeLeft.setCaption(decimal(kGameSeconds));
    form_.imgWrong.setVisible(false);
    form_.imgCorrect.setVisible(false);
    ResetCurrent();
}

void Game::startPlay() {
    drawDigit();
    form_.lblCurrentScore.setCaption(decimal(intPlayerScore));
    form_.lblCurrentScore.setForeColor(forms::kBlack);
    form_.lblOpponentScore.setForeColor(forms::kBlack);
    if (state_.lngGameType != kSinglePlayer) form_.lblOpponentScore.setCaption(decimal(link_->opponentScore()));
    form_.cmdGuess[0].setEnabled(true);
    form_.cmdGuess[1].setEnabled(true);
    // The keyboard starts on Higher, never on Stop, so that Enter cannot end a game by accident.
    form_.cmdGuess[0].setFocus();
    form_.tmrGame.setEnabled(true);
    setPhase(Phase::Stop);
    form_.cmdSetup.setEnabled(false);
    form_.mnuGGameSelect.setEnabled(false);
}

void Game::stopPlay() {
    form_.tmrGame.setEnabled(false);
    form_.tmrBank.setEnabled(false);
    form_.lblRandom.setCaption("0");
    form_.cmdBank.setEnabled(false);
    form_.cmdGuess[0].setEnabled(false);
    form_.cmdGuess[1].setEnabled(false);
    if (state_.lngGameType == kSinglePlayer) {
        setPhase(Phase::Start);
        form_.cmdSetup.setEnabled(true);
        form_.mnuGGameSelect.setEnabled(true);
    } else if (state_.lngGameType == kMultiPlayer) {
        // Set-up stays unavailable until the link drops.
        setPhase(Phase::Ready);
        form_.cmdStart.setFocus();
        if (blnReady) link_->playerStopped();
    }
}

void Game::signalReady() {
    // The Setup button is off already: a player can be ready only while connected.
    form_.mnuGGameSelect.setEnabled(false);
    link_->playerReady();
    blnReady = true;
    form_.cmdStart.setEnabled(false);
    setPhase(Phase::Waiting);
    form_.txtChat.setFocus();
}

void Game::tmrGame_Timer() {
    const bool finished = services_.errors.guard("Main.tmrGame", [&] {
        if (intTimeLeft > 0) {
            gameTick();
        } else {
            endGame();
        }
    });
    // An end of game that failed part-way (a hand-edited score table, a counter at its
    // limit) has been reported; the game still stops rather than hang at 0 seconds.
    if (!finished && phase_ == Phase::Stop) {
        blnReady = false;
        StopGame();
    }
}

void Game::gameTick() {
    intTimeLeft = checkedSub<std::int16_t>(intTimeLeft, 1);
    form_.lblTimeLeft.setCaption(decimal(intTimeLeft));
    // Sixty steps of 2.6 from 156 end a hair below zero; the bar never goes negative.
    form_.shpTimeLeft.setWidth(std::max(0.0, form_.shpTimeLeft.width() - kTimeBarStep));
    if (intTimeLeft <= kWarningSeconds) {
        form_.lblTimeLeft.setForeColor(forms::kDarkRed);
        form_.shpTimeLeft.setFillColor(forms::kDarkRed);
    }
}

void Game::endGame() {
    // The clock stops first: the "Game Over" box runs a nested event loop, and no further
    // tick may start the end of the same game again. The bank window closes with the stop.
    form_.tmrGame.setEnabled(false);
    if (state_.lngGameType == kSinglePlayer) {
        endSinglePlayer();
    } else if (state_.lngGameType == kMultiPlayer) {
        endMultiPlayer();
    }
    blnReady = false;
    StopGame();  // back to "&Start" or "&Ready"; with readiness gone the peer hears nothing
    WriteStats();
}

void Game::endSinglePlayer() {
    HighScore& table = state_.objHighScore;
    table.setTableName(kSoloTable);
    table.ReadScores();
    if (intPlayerScore > parseNumber(table.WorstScore())) {
        table.InsertScores(intPlayerScore, state_.strPlayerName);
        table.WriteScores();
        form_.lblHighScore.setCaption(table.BestScore());
        PlayWave("win");
        services_.messageBox.show("Congratulations, you set a new high score", "Game Over", MessageButtons::Ok,
                                  MessageIcon::None);
    } else {
        PlayWave("lose");
        services_.messageBox.show("You failed to acheive a new high score, better luck next time!", "Game Over",
                                  MessageButtons::Ok, MessageIcon::None);
    }
    increment(state_.stats.SPGamesPlayed);
    state_.stats.SPPointsScored = checkedAdd<std::int32_t>(state_.stats.SPPointsScored, intPlayerScore);
}

void Game::endMultiPlayer() {
    const std::int16_t own = intPlayerScore;
    const std::int16_t opponent = link_->opponentScore();
    // The start button takes the focus as the game stops.
    if (own > opponent) {
        PlayWave("win");
        log_.AddOutput("* Congratulations! You won the game by " + decimal(own - opponent) + " points!", false);
        increment(state_.stats.MPGamesWon);
    } else if (own < opponent) {
        PlayWave("lose");
        log_.AddOutput("* Bad Luck! You lost the game by " + decimal(opponent - own) + " points!", false);
        increment(state_.stats.MPGamesLost);
    } else {
        log_.AddOutput("* Its a draw, you are both losers (or winners?)!", false);
    }

    HighScore& table = state_.objHighScore;
    table.setTableName(kMultiTable);
    table.ReadScores();
    bool inserted = false;
    if (opponent > parseNumber(table.WorstScore())) {
        table.InsertScores(opponent, link_->opponentName());
        inserted = true;
    }
    if (own > parseNumber(table.WorstScore())) {
        table.InsertScores(own, state_.strPlayerName);
        log_.AddOutput("* Congratulations, you set a new high score", false);
        inserted = true;
    }
    if (inserted) {
        table.WriteScores();
        form_.lblHighScore2.setCaption(table.BestScore());
    }
    increment(state_.stats.MPGamesPlayed);
    state_.stats.MPPointsScored = checkedAdd<std::int32_t>(state_.stats.MPPointsScored, own);
}

// ---- The ready countdown --------------------------------------------------------------

void Game::StartCountdown() {
    intTimeLeft = kCountdownSeconds;
    setPhase(Phase::Countdown);
    form_.tmrReady.setEnabled(true);
}

void Game::tmrReady_Timer() {
    // The countdown has no report of its own; the handlers it runs report theirs.
    services_.errors.guard("Main.tmrReady", [&] {
        if (intTimeLeft > 0) {
            --intTimeLeft;
            setPhase(Phase::Countdown);
            return;
        }
        form_.tmrReady.setEnabled(false);
        form_.cmdStart.setEnabled(true);
        StartGame();
        Beep();
    });
}

void Game::Beep() { services_.sound.beep(); }

// ---- Sounds and the statistics record -------------------------------------------------

void Game::PlayWave(const std::string& name) {
    services_.sound.playFile(joinPath(services_.programFolder, name + ".wav"));
}

void Game::ReadStats() { kestrin::ReadStats(services_.store, state_.strPlayerName, state_.stats); }

void Game::WriteStats() { kestrin::WriteStats(services_.store, state_.strPlayerName, state_.stats); }

}  // namespace kestrin
