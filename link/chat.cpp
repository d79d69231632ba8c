#include "link/chat.h"

#include "core/main_form.h"
#include "link/protocol.h"

namespace kestrin {

Chat::Chat(MainForm& form, ProgramState& state, Game& game, Connection& connection, ErrorReporter& errors)
    : form_(form), state_(state), game_(game), connection_(connection), errors_(errors) {
    form_.cmdSend.onClick = [this] { cmdSend_Click(); };
    form_.txtChat.onKeyPress = [this](int code) {
        if (code == kKeyEnter) cmdSend_Click();
    };
}

void Chat::cmdSend_Click() {
    errors_.guard("Main.cmdSend", [&] {
        const std::string text = form_.txtChat.text();
        if (text.empty()) return;
        connection_.sendToConnected(protocol::chat(text));
        // The own line is written whether or not it could be sent.
        game_.AddOutput("<" + state_.strPlayerName + "> " + text, true);
        form_.txtChat.setText("");
        form_.txtChat.setSelStart(0);
    });
}

void Chat::SendStatus(const std::string& status) {
    errors_.guard("Main.SendStatus", [&] {
        std::string message;
        if (status == "Stop") {
            message = protocol::stopped(state_.strPlayerName);
        } else if (status == "Waiting") {
            message = protocol::ready(state_.strPlayerName);
        } else {
            return;
        }
        connection_.sendToConnected(message);
    });
}

}  // namespace kestrin
