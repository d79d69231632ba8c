// The multi player link of the main window: the connection and its sockets, the receivers
// of both sides, what it knows of the opponent, and the chat line with the status notices.
// The game talks to it in the game's terms (LinkPort); only the link spells text for the wire.
#pragma once

#include <memory>

#include "link/connection.h"
#include "link/discovery.h"
#include "link/receivers.h"

namespace kestrin {

class Link : public LinkPort {
public:
    Link(MainForm& form, ProgramState& state, Game& game, OutputLog& log, LinkServices services);

    Connection& connection() { return connection_; }
    // Finding games nearby; null when the link has no datagram network.
    Discovery* discovery() { return discovery_.get(); }
    Receivers& receivers() { return receivers_; }
    const Opponent& opponent() const { return opponent_; }

    // Send, or Enter in the chat box (guarded as "Main.cmdSend"): the line goes to the
    // opponent and into the own log, whether or not it could be sent.
    void cmdSend_Click();
    // "Waiting" sends the ready line, "Stop" the stopped line, anything else nothing
    // (guarded as "Main.SendStatus"). Nothing is written to the own log.
    void SendStatus(const std::string& status);

    // LinkPort
    void scoreBanked(std::int16_t score) override;
    void playerReady() override { SendStatus("Waiting"); }
    void playerStopped() override { SendStatus("Stop"); }
    const std::string& opponentName() const override { return opponent_.name; }
    std::int16_t opponentScore() const override { return opponent_.score; }
    void forgetOpponentScore() override { opponent_.score = 0; }

private:
    MainForm& form_;
    ProgramState& state_;
    OutputLog& log_;
    ErrorReporter& errors_;
    Opponent opponent_;
    Connection connection_;
    Receivers receivers_;
    std::unique_ptr<Discovery> discovery_;
    // Tells the discovery what the link is doing now.
    void updateDiscovery();
    // The games found, at the top of the host box's list.
    void showGamesFound(int gamePort);
};

}  // namespace kestrin
