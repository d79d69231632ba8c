// What each received message means. Both sides of a connection read messages the same way;
// where the host (a message on an accepted element) and the joiner (a message on the
// outgoing socket) differ, their roles say so. The receivers act on the game and the
// connection; they never touch a socket themselves.
//
// Anything a peer sends is input, not instructions: text that is not a message is shown in
// one notice at a time, received text shown in the log is cut to a sensible length, and no
// sequence of bytes can stack up windows. The accept question is a modal box with its own
// event loop: while it is open the joiner may vanish or another request may arrive, so the
// answer acts on the connection as it is when the player answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/connection.h"
#include "link/protocol.h"

namespace kestrin {

// The longest received text shown in the log or kept as the opponent's name, in
// characters; a real copy never sends more than a name or a 150-character chat line.
inline constexpr std::size_t kLongestReceivedText = 2000;
// The unrecognised-data notice shows at most this many characters of the text.
inline constexpr std::size_t kLongestNoticeText = 200;

// What the link knows of the opponent: the name and protocol version it introduced itself
// with, and the score it last reported. Kept after a disconnect until the next handshake.
struct Opponent {
    std::string name;
    std::int16_t version = 0;
    std::int16_t score = 0;
};

class Receivers {
public:
    Receivers(MainForm& form, ProgramState& state, Game& game, OutputLog& log, Connection& connection,
              Opponent& opponent, LinkServices services);

    // One receive on a socket: an accepted element (the host's side, guarded as
    // "Main.WinsockServer_DataArrival") or the outgoing socket (the joiner's side, guarded
    // as "Main.WinsockClient_DataArrival").
    void receive(int socket, const std::string& text);
    // The accept question is open.
    bool asking() const { return asking_; }

    // Where the host and the joiner differ (defined with the receivers).
    struct Role;

private:
    struct Request {
        int element;
        std::uint64_t serial;
        std::string name;
    };

    void dispatch(const Role& role, int socket, std::uint64_t serial, const protocol::Message& message);
    void connectionRequest(Request request);
    void askAndAnswer(const Request& request);
    void judgeVersion();
    void notice(const std::string& text);

    MainForm& form_;
    ProgramState& state_;
    Game& game_;
    OutputLog& log_;
    Connection& connection_;
    Opponent& opponent_;
    LinkServices services_;
    bool asking_ = false;                 // the accept question is open
    std::optional<Request> nextRequest_;  // a request that arrived while it was open
    bool noticeOpen_ = false;             // an unrecognised-data notice is open
    // The host's connection whose joiner the player accepted (by serial; 0: none). Until then
    // a connection is heard only when it asks with "CON".
    std::uint64_t acceptedSerial_ = 0;
};

}  // namespace kestrin
