#include "window/main_window.h"

namespace kestrin {

MainWindow::MainWindow(ProgramState& state, const GameServices& game, const LinkServices& link, DesktopShell& shell,
                       WindowOpener* opener)
    : state_(state),
      errors_(game.errors),
      store_(game.store),
      lists_(link.lists),
      game_(form_, state, game, log_),
      link_(form_, state, game_, log_, link),
      help_(shell, game.programFolder) {
    game_.setLink(link_);
    form_.mnuHelpReadMe.onClick = [this] { help_.mnuHelpReadMe_Click(); };
    form_.mnuHelpCheckUpdate.onClick = [this] { help_.mnuHelpCheckUpdate_Click(); };
    form_.mnuWebWebsite.onClick = [this] { help_.mnuWebWebsite_Click(); };
    form_.mnuWebForums.onClick = [this] { help_.mnuWebForums_Click(); };
    form_.mnuWebEmail.onClick = [this] { help_.mnuWebEmail_Click(); };
    form_.mnuHelpDonate.onClick = [this] { help_.mnuHelpDonate_Click(); };
    if (opener != nullptr) {
        form_.cmdSetup.onClick = [opener] { opener->openSetup(); };
        form_.mnuGGameSelect.onClick = [opener] { opener->openSetup(); };
        form_.cmdHighScores.onClick = [opener] { opener->openStats(); };
        form_.mnuIP.onClick = [opener] { opener->openIp(); };
        form_.mnuHelpAbout.onClick = [opener] { opener->openAbout(); };
        form_.mnuGameExit.onClick = [opener] { opener->closeMainWindow(); };
    }
    form_.onUnload = [this] { Unload(); };
}

void MainWindow::Load() {
    errors_.guard("Main.Load", [&] { lists_.LoadList(kConnectToFile, form_.cmbConnectTo); });
}

void MainWindow::Unload() {
    for (forms::Timer* timer : form_.timers()) timer->setEnabled(false);
    link_.connection().CloseSockets(false);
}

void MainWindow::NewGameSelect() {
    errors_.guard("Main.NewGameSelect", [&] {
        form_.setCaption(std::string(kTitle) + " - Playing as " + state_.strPlayerName);
        if (state_.lngGameType == kSinglePlayer) {
            form_.cmbConnectTo.setText("");
            link_.connection().closeForSinglePlayer();
            form_.lblOpponentScore.setCaption("N/A");
            form_.fraChat.setVisible(false);
            form_.setHeightTwips(kSinglePlayerHeightTwips);
        } else if (state_.lngGameType == kMultiPlayer) {
            log_.clear();
            if (form_.cmbConnectTo.text().empty())
                form_.cmbConnectTo.setText(store_.read(kTitle, kLastIpSection, kLastIpKey, ""));
            log_.AddOutput("* Waiting for connection to another player", false);
            form_.fraChat.setVisible(true);
            form_.setHeightTwips(kMultiPlayerHeightTwips);
            // A port that cannot be taken is reported, and the rest still applies: the
            // controls, both best scores and above all the new player's statistics, so that
            // no later save mixes two players' counters.
            errors_.guard("Main.NewGameSelect", [&] { link_.connection().listenForOpponent(); });
        }
        link_.connection().UpdateLinkControls(false);

        HighScore& table = state_.objHighScore;
        table.setNumPlaces(10);
        table.setScoreType(0);
        table.setTableName(kSoloTable);
        table.ReadScores();
        form_.lblHighScore.setCaption(table.BestScore());
        table.setTableName(kMultiTable);
        table.ReadScores();
        form_.lblHighScore2.setCaption(table.BestScore());

        game_.ReadStats();
    });
}

}  // namespace kestrin
