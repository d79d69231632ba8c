#include "link/link.h"

#include "link/protocol.h"

namespace kestrin {

Link::Link(MainForm& form, ProgramState& state, Game& game, OutputLog& log, LinkServices services)
    : form_(form),
      state_(state),
      log_(log),
      errors_(services.errors),
      connection_(form, state, game, log, services),
      receivers_(form, state, game, log, connection_, opponent_, services) {
    connection_.onData = [this](int socket, const std::string& text) { receivers_.receive(socket, text); };
    form_.cmdSend.onClick = [this] { cmdSend_Click(); };
    if (services.datagrams != nullptr) {
        discovery_ = std::make_unique<Discovery>(*services.datagrams, form_.tmrDiscovery,
                                                 [this] { return state_.strPlayerName; });
        discovery_->onGamesChanged = [this, port = services.port] { showGamesFound(port); };
        discovery_->onProblem = [this](const std::string& problem) {
            log_.AddOutput("* Games nearby cannot be found: " + problem, false);
        };
        connection_.onSituationChanged = [this] { updateDiscovery(); };
    }
    form_.txtChat.onKeyPress = [this](int code) {
        if (code == kKeyEnter) cmdSend_Click();
    };
}

void Link::updateDiscovery() {
    discovery_->update(
        {state_.lngGameType == kMultiPlayer, connection_.listeningPort(), connection_.busy() || receivers_.asking()});
}

void Link::showGamesFound(int gamePort) {
    errors_.guard("Main.GamesFound", [&] {
        std::vector<forms::ComboBox::Found> entries;
        for (const FoundGame& game : discovery_->games()) entries.push_back({game.shown(), game.value(gamePort)});
        form_.cmbConnectTo.setFound(std::move(entries));
    });
}

void Link::scoreBanked(std::int16_t score) { connection_.sendToConnected(protocol::score(score)); }

void Link::cmdSend_Click() {
    errors_.guard("Main.cmdSend", [&] {
        const std::string text = form_.txtChat.text();
        if (text.empty()) return;
        connection_.sendToConnected(protocol::chat(text));
        log_.AddOutput({"<", written(state_.strPlayerName), "> ", written(text)}, true);
        form_.txtChat.setText("");
    });
}

void Link::SendStatus(const std::string& status) {
    errors_.guard("Main.SendStatus", [&] {
        if (status == "Stop") {
            connection_.sendToConnected(protocol::stopped(state_.strPlayerName));
        } else if (status == "Waiting") {
            connection_.sendToConnected(protocol::ready(state_.strPlayerName));
        }
    });
}

}  // namespace kestrin
