// The multi player link of the main window: the connection and its sockets, the receivers
// of both sides, the chat line, and applying the set-up choices. The game talks to it in
// the game's terms (LinkPort); only the link spells text for the wire.
#pragma once

#include "link/chat.h"
#include "link/connection.h"
#include "link/receivers.h"

namespace kestrin {

class Link : public LinkPort {
public:
    Link(MainForm& form, ProgramState& state, Game& game, LinkServices services);

    // Puts the set-up dialog's choices into effect (guarded as "Main.NewGameSelect").
    void NewGameSelect();

    Connection& connection() { return connection_; }
    Receivers& receivers() { return receivers_; }
    Chat& chat() { return chat_; }

    // Shorthands for the connection's procedures and sockets.
    void CloseSockets(bool listenAgain) { connection_.CloseSockets(listenAgain); }
    void UpdateLinkControls(bool connected) { connection_.UpdateLinkControls(connected); }
    Socket& WinsockClient() { return connection_.WinsockClient(); }
    Socket& WinsockServer(int index) { return connection_.WinsockServer(index); }

    // LinkPort
    bool peerConnected() override { return connection_.peerConnected(); }
    void scoreBanked(std::int16_t score) override;
    void playerReady() override { chat_.SendStatus("Waiting"); }
    void playerStopped() override { chat_.SendStatus("Stop"); }

private:
    MainForm& form_;
    ProgramState& state_;
    Game& game_;
    LinkServices services_;
    Connection connection_;
    Receivers receivers_;
    Chat chat_;
};

}  // namespace kestrin
