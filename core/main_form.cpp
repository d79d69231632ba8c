#include "core/main_form.h"

namespace kestrin {

namespace {
constexpr const char* kLevelCaptions[] = {"10", "20", "50", "100", "250", "500", "750", "1000"};
}

MainForm::MainForm() : forms::Form("frmMain") {
    setCaption("Kestrin");
    fraCurrent.setCaption("Bank");
    for (std::size_t i = 0; i < lblCurrent.size(); ++i) {
        lblCurrent[i].setCaption(kLevelCaptions[i]);
        lblCurrent[i].setEnabled(false);
    }

    // The start button shows the game's phase; the game sets it.
    cmdSetup.setCaption("S&etup");
    cmdSetup.setTooltip("Select player name and game type");
    shpTimeLeft.setWidth(kTimeBarFullWidth);
    shpTimeLeft.setFillColor(forms::kDarkBlue);
    lblTimeLeft.setCaption("60");

    cmdGuess[0].setCaption("&Higher");
    cmdGuess[0].setTooltip("Make a higher guess (Key: Page Up)");
    cmdGuess[0].setEnabled(false);
    cmdGuess[1].setCaption("&Lower");
    cmdGuess[1].setTooltip("Make a lower guess (Key: Page Down)");
    cmdGuess[1].setEnabled(false);
    lblRandom.setCaption("0");
    imgCorrect.setVisible(false);
    imgWrong.setVisible(false);
    cmdBank.setCaption("&Kestrin!");
    cmdBank.setTooltip("Add bank points to score (Key: Enter)");
    cmdBank.setEnabled(false);

    cmbConnectTo.setTooltip("IP address or network name to connect to");
    cmdConnect.setCaption("&Connect");
    cmdConnect.setTooltip("Connect to opponent");
    cmdConnect.setEnabled(false);
    cmdDisconnect.setCaption("D&isconnect");
    cmdDisconnect.setTooltip("Disconnect from opponent");
    cmdDisconnect.setEnabled(false);

    lblCurrentScore.setCaption("0");
    lblOpponentScore.setCaption("0");
    lblHighScore.setCaption("0");
    lblHighScore.setForeColor(forms::kBlue);
    lblHighScore2.setCaption("0");
    lblHighScore2.setForeColor(forms::kBlue);
    cmdHighScores.setCaption("High Scores && Statistics");
    cmdHighScores.setTooltip("View game statistics and high scores");

    fraChat.setCaption("Status and Chat");
    txtChat.maxLength = 150;
    txtChat.setEnabled(false);
    cmdSend.setCaption("Sen&d");
    cmdSend.setTooltip("Send message to opponent");
    cmdSend.setEnabled(false);

    mnuGGameSelect.setCaption("Setup...");
    mnuIP.setCaption("IP Addresses...");
    mnuGameExit.setCaption("Exit");
    mnuHelpReadMe.setCaption("Read Me");
    mnuHelpCheckUpdate.setCaption("Check for Update");
    mnuWebWebsite.setCaption("Vellam Website");
    mnuWebForums.setCaption("Vellam Forums");
    mnuWebEmail.setCaption("E-mail Vellam");
    mnuHelpDonate.setCaption("Donate!");
    mnuHelpAbout.setCaption("About...");
}

}  // namespace kestrin
