// What each received message means, on the host (a message on an accepted element) and on
// the joiner (a message on the outgoing socket). The receivers act on the game and the
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

// The first `count` characters of UTF-8 text (a character is never cut in two).
std::string firstCharacters(const std::string& text, std::size_t count);

class Receivers {
public:
    Receivers(MainForm& form, ProgramState& state, Game& game, Connection& connection, LinkServices services);

    // One receive on an accepted element (guarded as "Main.WinsockServer_DataArrival").
    void hostReceive(int element, const std::string& text);
    // One receive on the outgoing socket (guarded as "Main.WinsockClient_DataArrival").
    void joinerReceive(const std::string& text);

private:
    struct Request {
        int element;
        std::uint64_t serial;
        std::string name;
    };

    void host(int element, const protocol::Message& message);
    void joiner(const protocol::Message& message);
    void connectionRequest(Request request);
    void askAndAnswer(const Request& request);
    void judgeVersion();
    void opponentScore(std::int16_t score);
    void opponentStopped(const std::string& payload);
    void notice(const std::string& text);

    MainForm& form_;
    ProgramState& state_;
    Game& game_;
    Connection& connection_;
    LinkServices services_;
    bool asking_ = false;                 // the accept question is open
    std::optional<Request> nextRequest_;  // a request that arrived while it was open
    bool noticeOpen_ = false;             // an unrecognised-data notice is open
};

}  // namespace kestrin
