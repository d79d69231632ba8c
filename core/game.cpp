#include "core/game.h"

#include <algorithm>
#include <cmath>

#include "core/start_button.h"
#include "platform/failure.h"

namespace kestrin {

namespace {
constexpr std::int16_t kGameSeconds = 60;
constexpr std::int16_t kWarningSeconds = 5;
constexpr std::int16_t kCountdownSeconds = 5;

void increment(std::int32_t& counter) { counter = checkedAdd<std::int32_t>(counter, 1); }

}  // namespace

Game::Game(MainForm& form, ProgramState& state, GameServices services)
    : form_(form), state_(state), services_(std::move(services)) {
    form_.cmdGuess[0].onClick = [this] { cmdGuess_Click(0); };
    form_.cmdGuess[1].onClick = [this] { cmdGuess_Click(1); };
    form_.cmdBank.onClick = [this] { cmdBank_Click(); };
    form_.cmdStart.onClick = [this] { cmdStart_Click(); };
    form_.tmrGame.onTick = [this] { tmrGame_Timer(); };
    form_.tmrBank.onTick = [this] { tmrBank_Timer(); };
    form_.tmrReady.onTick = [this] { tmrReady_Timer(); };
    form_.onKeyUp = [this](int keyCode) { Form_KeyUp(keyCode); };
}

// ---- Guessing and banking -------------------------------------------------------------

void Game::cmdGuess_Click(int index) {
    services_.errors.guard("Main.cmdGuess", [&] { guess(index); });
}

void Game::drawDigit() {
    // The source reseeds itself from the time of day before every draw.
    const float r = services_.random.next();
    const int digit = std::clamp(static_cast<int>(std::floor(r * 9.0f + 1.0f)), 1, 9);
    form_.lblRandom.setCaption(std::to_string(digit));
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
    bool wrong = false;
    if (index == 0) {
        increment(state_.stats.HighGuesses);
        wrong = next < previous;
    } else {
        increment(state_.stats.LowGuesses);
        wrong = next > previous;
    }

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
    form_.lblCurrentScore.setCaption(std::to_string(intPlayerScore));
    ResetCurrent();
    PlayWave("bank");
    if (state_.lngGameType == 1) {
        if (link_ != nullptr) link_->scoreBanked(intPlayerScore);
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
    forms::Rgb own = forms::kBlack;
    forms::Rgb opponent = forms::kBlack;
    if (intPlayerScore > intOpponentScore) {
        own = forms::kLeaderGreen;
        opponent = forms::kTrailerRed;
    } else if (intPlayerScore < intOpponentScore) {
        own = forms::kTrailerRed;
        opponent = forms::kLeaderGreen;
    }
    form_.lblCurrentScore.setForeColor(own);
    form_.lblOpponentScore.setForeColor(opponent);
}

// ---- Start, stop and the clock --------------------------------------------------------

void Game::cmdStart_Click() {
    services_.errors.guard("Main.cmdStart", [&] { startClick(); });
}

void Game::startClick() {
    // Every press resets the clock display, the scores and the levels, whatever the phase.
    form_.lblTimeLeft.setForeColor(forms::kBlack);
    form_.shpTimeLeft.setFillColor(forms::kDarkBlue);
    form_.shpTimeLeft.setWidth(kTimeBarFullWidth);
    intPlayerScore = 0;
    intOpponentScore = 0;
    // The ready countdown counts in intTimeLeft too: a press (or the opponent's stop) while
    // it runs leaves its seconds alone, so it still ends five seconds after it began.
    if (!form_.tmrReady.enabled()) intTimeLeft = kGameSeconds;
    form_.lblTimeLeft.setCaption(std::to_string(kGameSeconds));
    form_.imgWrong.setVisible(false);
    form_.imgCorrect.setVisible(false);
    ResetCurrent();

    const std::string phase = form_.cmdStart.caption();
    if (phase == start_button::kStart) {
        drawDigit();
        form_.lblCurrentScore.setCaption(std::to_string(intPlayerScore));
        form_.lblCurrentScore.setForeColor(forms::kBlack);
        form_.lblOpponentScore.setForeColor(forms::kBlack);
        if (state_.lngGameType != 0) form_.lblOpponentScore.setCaption(std::to_string(intOpponentScore));
        form_.cmdGuess[0].setEnabled(true);
        form_.cmdGuess[1].setEnabled(true);
        form_.tmrGame.setEnabled(true);
        form_.cmdStart.setCaption(start_button::kStop);
        form_.cmdStart.setTooltip(start_button::kStopTooltip);
        form_.cmdSetup.setEnabled(false);
        form_.mnuGGameSelect.setEnabled(false);
    } else if (phase == start_button::kStop) {
        stopGame();
    } else if (phase == start_button::kReady) {
        form_.cmdSetup.setEnabled(false);
        form_.mnuGGameSelect.setEnabled(false);
        if (link_ != nullptr && link_->peerConnected()) link_->playerReady();
        blnReady = true;
        form_.cmdStart.setEnabled(false);
        form_.cmdStart.setCaption(start_button::kWaiting);
        form_.txtChat.setFocus();
    }
    // "Waiting" and the countdown captions: nothing beyond the reset.
}

void Game::stopGame() {
    form_.tmrGame.setEnabled(false);
    form_.tmrBank.setEnabled(false);
    form_.lblRandom.setCaption("0");
    form_.cmdBank.setEnabled(false);
    form_.cmdGuess[0].setEnabled(false);
    form_.cmdGuess[1].setEnabled(false);
    if (state_.lngGameType == 0) {
        form_.cmdStart.setCaption(start_button::kStart);
        form_.cmdStart.setTooltip(start_button::kStartTooltip);
        form_.cmdSetup.setEnabled(true);
        form_.mnuGGameSelect.setEnabled(true);
    } else if (state_.lngGameType == 1) {
        // Set-up stays unavailable until the link drops.
        form_.cmdStart.setCaption(start_button::kReady);
        form_.cmdStart.setTooltip(start_button::kReadyTooltip);
        form_.cmdStart.setFocus();
        if (blnReady && link_ != nullptr) link_->playerStopped();
    }
}

void Game::tmrGame_Timer() {
    bool ending = false;
    const bool finished = services_.errors.guard("Main.tmrGame", [&] {
        if (intTimeLeft > 0) {
            gameTick();
        } else {
            ending = true;
            endGame();
        }
    });
    // An end of game that failed part-way (a hand-edited score table, a counter at its
    // limit) has been reported; the game still stops rather than hang at 0 seconds.
    if (!finished && ending && form_.cmdStart.caption() == start_button::kStop) {
        blnReady = false;
        cmdStart_Click();
    }
}

void Game::gameTick() {
    intTimeLeft = checkedSub<std::int16_t>(intTimeLeft, 1);
    form_.lblTimeLeft.setCaption(std::to_string(intTimeLeft));
    // Sixty steps of 2.6 from 156 end a hair below zero; the bar never goes negative.
    form_.shpTimeLeft.setWidth(std::max(0.0, form_.shpTimeLeft.width() - kTimeBarStep));
    if (intTimeLeft <= kWarningSeconds) {
        form_.lblTimeLeft.setForeColor(forms::kDarkRed);
        form_.shpTimeLeft.setFillColor(forms::kDarkRed);
    }
}

void Game::endGame() {
    // The clock stops first: the "Game Over" box runs a nested event loop, and no further
    // tick may start the end of the same game again.
    form_.tmrGame.setEnabled(false);
    form_.tmrBank.setEnabled(false);
    if (state_.lngGameType == 0) {
        endSinglePlayer();
    } else if (state_.lngGameType == 1) {
        endMultiPlayer();
    }
    blnReady = false;
    cmdStart_Click();  // the caption reads "&Stop": back to "&Start" or "&Ready"
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
    const std::int32_t own = intPlayerScore;
    const std::int32_t opponent = intOpponentScore;
    if (own > opponent) {
        PlayWave("win");
        AddOutput("* Congratulations! You won the game by " + std::to_string(own - opponent) + " points!", false);
        form_.cmdStart.setFocus();
        increment(state_.stats.MPGamesWon);
    } else if (own < opponent) {
        PlayWave("lose");
        AddOutput("* Bad Luck! You lost the game by " + std::to_string(opponent - own) + " points!", false);
        form_.cmdStart.setFocus();
        increment(state_.stats.MPGamesLost);
    } else {
        AddOutput("* Its a draw, you are both losers (or winners?)!", false);
    }

    HighScore& table = state_.objHighScore;
    table.setTableName(kMultiTable);
    table.ReadScores();
    bool inserted = false;
    if (intOpponentScore > parseNumber(table.WorstScore())) {
        table.InsertScores(intOpponentScore, strOpponentName);
        inserted = true;
    }
    if (intPlayerScore > parseNumber(table.WorstScore())) {
        table.InsertScores(intPlayerScore, state_.strPlayerName);
        AddOutput("* Congratulations, you set a new high score", false);
        inserted = true;
    }
    if (inserted) {
        table.WriteScores();
        form_.lblHighScore2.setCaption(table.BestScore());
    }
    increment(state_.stats.MPGamesPlayed);
    state_.stats.MPPointsScored = checkedAdd<std::int32_t>(state_.stats.MPPointsScored, intPlayerScore);
}

// ---- The ready countdown --------------------------------------------------------------

void Game::StartCountdown() {
    form_.cmdStart.setCaption(start_button::countdown(kCountdownSeconds));
    intTimeLeft = kCountdownSeconds;
    form_.tmrReady.setEnabled(true);
}

void Game::tmrReady_Timer() {
    // The countdown has no report of its own; the handlers it runs report theirs.
    services_.errors.guard("Main.tmrReady", [&] {
        if (intTimeLeft > 0) {
            --intTimeLeft;
            form_.cmdStart.setCaption(start_button::countdown(intTimeLeft));
            return;
        }
        form_.tmrReady.setEnabled(false);
        form_.cmdStart.setEnabled(true);
        form_.cmdStart.setCaption(start_button::kStart);
        form_.cmdStart.setTooltip(start_button::kStartTooltip);
        cmdStart_Click();
        Beep();
        form_.cmdGuess[0].setFocus();
    });
}

void Game::Beep() { services_.sound.beep(); }

// ---- Sounds, the output log and the statistics record -----------------------------------

void Game::PlayWave(const std::string& name) {
    services_.sound.playFile(joinPath(services_.programFolder, name + ".wav"));
}

void Game::AddOutput(const std::string& text, bool focusChat) {
    // Only the new line is added: the log grows without copying what it holds.
    form_.txtOutput.append(form_.txtOutput.text().empty() ? text : "\r\n" + text);
    form_.txtOutput.setSelStart(form_.txtOutput.text().size());
    if (focusChat) {
        form_.txtChat.setSelStart(form_.txtChat.text().size());
        form_.txtChat.setFocus();
    }
}

void Game::ReadStats() { kestrin::ReadStats(services_.store, state_.strPlayerName, state_.stats); }

void Game::WriteStats() { kestrin::WriteStats(services_.store, state_.strPlayerName, state_.stats); }

}  // namespace kestrin
