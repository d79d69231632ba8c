#include "window/main_window.h"

namespace kestrin {

MainWindow::MainWindow(ProgramState& state, const GameServices& game, const LinkServices& link, DesktopShell& shell,
                       WindowOpener* opener)
    : game_(form_, state, game),
      link_(form_, state, game_, link),
      help_(shell, game.programFolder),
      errors_(game.errors),
      lists_(link.lists) {
    game_.setLink(&link_);
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
    // The timers go with the window; every socket closes and nothing listens again.
    form_.tmrGame.setEnabled(false);
    form_.tmrBank.setEnabled(false);
    form_.tmrReady.setEnabled(false);
    form_.tmrWinsock.setEnabled(false);
    link_.CloseSockets(false);
}

}  // namespace kestrin
