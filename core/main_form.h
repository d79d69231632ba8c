// The main window's form model: every control the game and the link read or write, under
// the names the game's documents give them. Static captions ("Player Score", the frame
// captions that never change) live in the view alone.
#pragma once

#include <array>

#include "platform/forms.h"

namespace kestrin {

struct MainForm : forms::Form {
    MainForm();

    // Bank levels, index 0 at the bottom: "10" … "1000".
    forms::Frame fraCurrent{*this, "fraCurrent"};
    std::array<forms::Label, 8> lblCurrent{{{*this, "lblCurrent(0)"},
                                            {*this, "lblCurrent(1)"},
                                            {*this, "lblCurrent(2)"},
                                            {*this, "lblCurrent(3)"},
                                            {*this, "lblCurrent(4)"},
                                            {*this, "lblCurrent(5)"},
                                            {*this, "lblCurrent(6)"},
                                            {*this, "lblCurrent(7)"}}};

    // Game frame.
    forms::Button cmdStart{*this, "cmdStart"};
    forms::Button cmdSetup{*this, "cmdSetup"};
    forms::Shape shpTimeLeft{*this, "shpTimeLeft"};
    forms::Label lblTimeLeft{*this, "lblTimeLeft"};

    // Controls frame.
    std::array<forms::Button, 2> cmdGuess{{{*this, "cmdGuess(0)"}, {*this, "cmdGuess(1)"}}};
    forms::Label lblRandom{*this, "lblRandom"};
    forms::Image imgCorrect{*this, "imgCorrect"};
    forms::Image imgWrong{*this, "imgWrong"};
    forms::Button cmdBank{*this, "cmdBank"};

    // Multiplayer frame.
    forms::ComboBox cmbConnectTo{*this, "cmbConnectTo"};
    forms::Button cmdConnect{*this, "cmdConnect"};
    forms::Button cmdDisconnect{*this, "cmdDisconnect"};

    // Scores frame.
    forms::Label lblCurrentScore{*this, "lblCurrentScore"};
    forms::Label lblOpponentScore{*this, "lblOpponentScore"};
    forms::Label lblHighScore{*this, "lblHighScore"};
    forms::Label lblHighScore2{*this, "lblHighScore2"};
    forms::Button cmdHighScores{*this, "cmdHighScores"};

    // Status and Chat frame.
    forms::Frame fraChat{*this, "fraChat"};
    forms::TextBox txtOutput{*this, "txtOutput"};
    forms::TextBox txtChat{*this, "txtChat"};
    forms::Button cmdSend{*this, "cmdSend"};

    // Menus.
    forms::MenuItem mnuGGameSelect{*this, "mnuGGameSelect"};
    forms::MenuItem mnuIP{*this, "mnuIP"};
    forms::MenuItem mnuGameExit{*this, "mnuGameExit"};
    forms::MenuItem mnuHelpReadMe{*this, "mnuHelpReadMe"};
    forms::MenuItem mnuHelpCheckUpdate{*this, "mnuHelpCheckUpdate"};
    forms::MenuItem mnuWebWebsite{*this, "mnuWebWebsite"};
    forms::MenuItem mnuWebForums{*this, "mnuWebForums"};
    forms::MenuItem mnuWebEmail{*this, "mnuWebEmail"};
    forms::MenuItem mnuHelpDonate{*this, "mnuHelpDonate"};
    forms::MenuItem mnuHelpAbout{*this, "mnuHelpAbout"};

    // Timers.
    forms::Timer tmrGame{"tmrGame", 1000};
    forms::Timer tmrBank{"tmrBank", 3000};
    forms::Timer tmrReady{"tmrReady", 1000};
    forms::Timer tmrWinsock{"tmrWinsock", 10000};
    // A connection the host took that has not asked with "CON" within ten seconds is dropped.
    forms::Timer tmrSilent{"tmrSilent", 10000};
    // The second that finding games nearby counts in.
    forms::Timer tmrDiscovery{"tmrDiscovery", 1000};
    // The six timers, for the driver that runs them and for the window's unload.
    std::array<forms::Timer*, 6> timers() {
        return {&tmrGame, &tmrBank, &tmrReady, &tmrWinsock, &tmrSilent, &tmrDiscovery};
    }

    // Key release on the window (key code; the window sees keys before the focused control).
    std::function<void(int keyCode)> onKeyUp;
    void keyUp(int keyCode) {
        if (onKeyUp) onKeyUp(keyCode);
    }
    // The window unloads (Exit or its close box).
    std::function<void()> onUnload;
};

// Window heights, outer, in twips.
inline constexpr int kSinglePlayerHeightTwips = 4365;
inline constexpr int kMultiPlayerHeightTwips = 6300;
// The time bar: full width in pixels, and what each second takes off it.
inline constexpr double kTimeBarFullWidth = 156.0;
inline constexpr double kTimeBarStep = 2.6;

// Key codes the window's key handler acts on.
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyB = 66;

}  // namespace kestrin
