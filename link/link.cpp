#include "link/link.h"

#include "platform/failure.h"

namespace kestrin {

namespace {
constexpr const char* kLastIpSection = "Player";
constexpr const char* kLastIpKey = "LastIP";
}  // namespace

Link::Link(MainForm& form, ProgramState& state, Game& game, LinkServices services)
    : form_(form), state_(state), game_(game), services_(services) {
    client_ = services_.sockets.create();
    servers_.push_back(services_.sockets.create());
    bindSocketEvents(*client_, -1);
    bindSocketEvents(*servers_[0], 0);
    form_.cmbConnectTo.onChange = [this] { cmbConnectTo_Change(); };
}

Link::~Link() {
    // The sockets go with the window; no handler may run into a half-destroyed link.
    client_->close();
    for (auto& server : servers_) server->close();
}

void Link::bindSocketEvents(Socket& socket, int /*index*/) {
    // A socket error is shown and nothing else changes: the sockets, the controls and any
    // wait in progress stay as they are.
    socket.onError = [this](int number, const std::string& description) {
        services_.messageBox.show("Error " + std::to_string(number) + " - " + description, kTitle,
                                  MessageButtons::Ok, MessageIcon::Critical);
    };
}

// ---- Applying the set-up choices ------------------------------------------------------

void Link::NewGameSelect() {
    services_.errors.guard("Main.NewGameSelect", [&] {
        form_.setCaption(std::string(kTitle) + " - Playing as " + state_.strPlayerName);
        if (state_.lngGameType == 0) {
            form_.cmbConnectTo.setText("");
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
            if (client_->state() == socket_state::kClosed) client_->setRemotePort(services_.port);
            if (servers_[0]->state() != socket_state::kListening) {
                // A port that cannot be taken is reported, and the rest still applies: the
                // controls, both best scores and above all the new player's statistics, so
                // that no later save mixes two players' counters.
                services_.errors.guard("Main.NewGameSelect", [&] {
                    servers_[0]->setLocalPort(services_.port);
                    servers_[0]->listen();
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

// ---- Sockets ------------------------------------------------------------------------

void Link::CloseSockets(bool listenAgain) {
    // Sockets close at once (their state is closed when close() returns), so there is
    // nothing to wait for here.
    if (client_->state() != socket_state::kClosed) client_->close();
    for (std::size_t i = 0; i <= static_cast<std::size_t>(intMaxServer) && i < servers_.size(); ++i) {
        if (servers_[i]->state() != socket_state::kClosed) servers_[i]->close();
    }
    if (listenAgain) listenOnElementZero();
}

void Link::listenOnElementZero() {
    Socket& listener = *servers_[0];
    if (listener.state() == socket_state::kListening) return;
    try {
        listener.listen();
    } catch (const Failure& failure) {
        // The copy stays in the not-connected state; the player is told why.
        services_.messageBox.show("Error " + std::to_string(failure.number()) + " - " + failure.description(),
                                  kTitle, MessageButtons::Ok, MessageIcon::Critical);
    }
}

bool Link::peerConnected() {
    const auto active = static_cast<std::size_t>(intActiveServer);
    return client_->state() == socket_state::kConnected ||
           (active < servers_.size() && servers_[active]->state() == socket_state::kConnected);
}

void Link::sendToConnected(const std::string& message) {
    const auto active = static_cast<std::size_t>(intActiveServer);
    if (active < servers_.size() && servers_[active]->state() == socket_state::kConnected)
        servers_[active]->sendData(message);
    if (client_->state() == socket_state::kConnected) client_->sendData(message);
}

void Link::SendStatus(const std::string& status) {
    services_.errors.guard("Main.SendStatus", [&] {
        std::string message;
        if (status == "Stop") {
            message = "STP* " + state_.strPlayerName + " has stopped play";
        } else if (status == "Waiting") {
            message = "RED* " + state_.strPlayerName + " is ready to start the game";
        } else {
            return;
        }
        sendToConnected(message);
    });
}

// ---- The link's controls --------------------------------------------------------------

void Link::UpdateLinkControls(bool connected) {
    if (state_.lngGameType == 0) {
        form_.cmdStart.setCaption("&Start");
        form_.cmdStart.setTooltip("Start the game");
        form_.cmdStart.setEnabled(true);
        form_.cmdDisconnect.setEnabled(false);
        form_.cmdConnect.setEnabled(false);
        form_.cmbConnectTo.setEnabled(false);
    } else if (state_.lngGameType == 1 && !connected) {
        form_.cmdStart.setCaption("&Ready");
        form_.cmdStart.setTooltip("Signal ready to play");
        form_.cmbConnectTo.setEnabled(true);
        form_.cmdDisconnect.setEnabled(false);
        cmbConnectTo_Change();
        form_.cmdStart.setEnabled(false);
        form_.txtChat.setEnabled(false);
        form_.cmdSend.setEnabled(false);
        form_.cmdSetup.setEnabled(true);
    } else if (state_.lngGameType == 1) {
        form_.cmdStart.setCaption("&Ready");
        form_.cmdStart.setTooltip("Signal ready to play");
        form_.cmbConnectTo.setEnabled(false);
        form_.cmdDisconnect.setEnabled(true);
        form_.cmdConnect.setEnabled(false);
        form_.cmdStart.setEnabled(true);
        form_.txtChat.setEnabled(true);
        form_.cmdSend.setEnabled(true);
        form_.cmdSetup.setEnabled(false);
        form_.cmdStart.setFocus();
    }
}

void Link::cmbConnectTo_Change() { form_.cmdConnect.setEnabled(!form_.cmbConnectTo.text().empty()); }

}  // namespace kestrin
