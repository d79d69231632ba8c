// The chat line and the status notices: a chat line typed and sent with Send or Enter, and
// SendStatus, which tells the opponent that this player is ready or has stopped.
#pragma once

#include <string>

#include "link/connection.h"

namespace kestrin {

class Chat {
public:
    Chat(MainForm& form, ProgramState& state, Game& game, Connection& connection, ErrorReporter& errors);

    // Send, or Enter in the chat box (guarded as "Main.cmdSend").
    void cmdSend_Click();
    // "Waiting" sends the ready line, "Stop" the stopped line, anything else nothing
    // (guarded as "Main.SendStatus"). Nothing is written to the own log.
    void SendStatus(const std::string& status);

private:
    MainForm& form_;
    ProgramState& state_;
    Game& game_;
    Connection& connection_;
    ErrorReporter& errors_;
};

}  // namespace kestrin
