// Applying the set-up dialog's choices to the main window.
#include "link/link.h"

namespace kestrin {

void Link::NewGameSelect() {
    services_.errors.guard("Main.NewGameSelect", [&] {
        form_.setCaption(std::string(kTitle) + " - Playing as " + state_.strPlayerName);
        if (state_.lngGameType == 0) {
            form_.cmbConnectTo.setText("");
            // A connect attempt in progress ends here too, without a word.
            form_.tmrWinsock.setEnabled(false);
            CloseSockets(false);
            form_.lblOpponentScore.setCaption("N/A");
            form_.fraChat.setVisible(false);
            form_.setHeightTwips(kSinglePlayerHeightTwips);
        } else if (state_.lngGameType == 1) {
            form_.txtOutput.setText("");
            form_.txtOutput.setSelStart(0);
            if (form_.cmbConnectTo.text().empty())
                form_.cmbConnectTo.setText(services_.store.read(kTitle, kLastIpSection, kLastIpKey, ""));
            game_.AddOutput("* Waiting for connection to another player", false);
            form_.fraChat.setVisible(true);
            form_.setHeightTwips(kMultiPlayerHeightTwips);
            Socket& client = connection_.WinsockClient();
            if (client.state() == socket_state::kClosed) client.setRemotePort(services_.port);
            if (connection_.WinsockServer(0).state() != socket_state::kListening) {
                // A port that cannot be taken is reported, and the rest still applies: the
                // controls, both best scores and above all the new player's statistics, so
                // that no later save mixes two players' counters.
                services_.errors.guard("Main.NewGameSelect", [&] {
                    if (connection_.listenOnGamePort())
                        game_.AddOutput("* Port " + std::to_string(services_.port) +
                                            " is not open to this program; listening on port " +
                                            std::to_string(services_.fallbackPort),
                                        false);
                });
            }
        }
        UpdateLinkControls(false);

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
