#include "link/link.h"

#include "core/link_controls.h"
#include "link/protocol.h"

namespace kestrin {

Link::Link(MainForm& form, ProgramState& state, Game& game, LinkServices services)
    : form_(form),
      state_(state),
      game_(game),
      services_(services),
      connection_(form, state, game, services),
      receivers_(form, state, game, connection_, services),
      chat_(form, state, game, connection_, services.errors) {
    connection_.onHostData = [this](int element, const std::string& text) { receivers_.hostReceive(element, text); };
    connection_.onJoinerData = [this](const std::string& text) { receivers_.joinerReceive(text); };
    form_.cmbConnectTo.onChange = [this] { cmbConnectTo_Change(form_); };
    form_.cmbConnectTo.onKeyPress = [this](int code) {
        if (code == kKeyEnter) connection_.cmdConnect_Click();
    };
    form_.cmdConnect.onClick = [this] { connection_.cmdConnect_Click(); };
    form_.cmdDisconnect.onClick = [this] { connection_.cmdDisconnect_Click(); };
}

void Link::scoreBanked(std::int16_t score) { connection_.sendToConnected(protocol::score(score)); }

}  // namespace kestrin
