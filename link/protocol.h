// The language two copies speak on their connection: a three-letter code followed directly
// by its payload, no separator, no length, no line end. One send is one message.
//
// This file builds every outgoing message and parses what a receive holds. It is plain text
// work: no sockets, no game.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin::protocol {

// The only protocol version this program speaks and accepts.
inline constexpr std::int16_t kVersion = 1;

inline constexpr std::string_view kCon = "CON";  // joiner: its player's name
inline constexpr std::string_view kNam = "NAM";  // host: its player's name, on accepting
inline constexpr std::string_view kVer = "VER";  // both: the protocol version
inline constexpr std::string_view kRef = "REF";  // host: the refusal line
inline constexpr std::string_view kRed = "RED";  // either: the ready line
inline constexpr std::string_view kStg = "STG";  // either: start the countdown
inline constexpr std::string_view kScu = "SCU";  // either: the sender's score
inline constexpr std::string_view kMsg = "MSG";  // either: a chat line
inline constexpr std::string_view kStp = "STP";  // either: the stopped line
inline constexpr std::string_view kDis = "DIS";  // host: disconnecting

// ---- Building -------------------------------------------------------------------------

std::string connectionRequest(const std::string& playerName);  // "CON" + name
std::string hostName(const std::string& playerName);           // "NAM" + name
std::string version();                                         // "VER1"
std::string refusal(const std::string& playerName);            // "REF* " + name + " didn't accept the connection."
std::string ready(const std::string& playerName);              // "RED* " + name + " is ready to start the game"
std::string startCountdown();                                  // "STG"
// "SCU" + the score: a blank before a score of zero or more, a minus sign before a negative one.
std::string score(std::int16_t value);
std::string chat(const std::string& text);           // "MSG" + the text as typed
std::string stopped(const std::string& playerName);  // "STP* " + name + " has stopped play"
std::string disconnecting();                         // "DIS"

// ---- Parsing --------------------------------------------------------------------------

struct Message {
    std::string code;     // the first three characters, as received
    std::string payload;  // everything after them that belongs to this message
    std::string text;     // the whole message as received: code and payload
    // False when the text cannot be read as a message of a known code: fewer than three
    // characters, an unknown code, or a "VER" or "SCU" payload that is not a 16-bit integer.
    bool recognised = false;
    std::int16_t number = 0;  // the payload of "VER" and "SCU"
};

// Reads one receive, one message at a time. Normally a receive holds exactly one message.
// Where two or more arrived together and the split is unambiguous, they are split: after a
// code with an empty payload ("STG", "DIS") or a 16-bit integer ("VER", "SCU"), when what
// follows starts with a known code. So "VER1DIS" is two messages and "SCU 10SCU 20" two
// scores. Text payloads ("CON", "NAM", "MSG", "RED", "STP", "REF") run to the end of the
// receive: "MSGhi SCU 5" is one chat line.
//
// The refusal, ready and stopped lines end in a fixed text, and the messages that follow
// them at once may share their receive. Since a name may hold that ending too, such a line
// is split only where it is exactly "* " + the name the peer introduced + its ending and a
// known code follows, or where the ending is followed by exactly "STG" or "DIS" to the end of
// the receive: "REF* Ann didn't accept the connection.DIS" is the refusal and the goodbye.
//
// The text must outlive the reader.
class ReceiveReader {
public:
    ReceiveReader(std::string_view text, std::string peerName) : text_(text), peerName_(std::move(peerName)) {}
    std::optional<Message> next();

private:
    // Where a status line with this ending stops in rest, the payload after its code.
    std::size_t statusLineEnd(std::string_view rest, std::string_view ending) const;

    std::string_view text_;  // what is not yet read
    std::string peerName_;
};

// A payload as a 16-bit signed integer: decimal digits with an optional sign, blanks around
// them ignored; nothing when it is anything else or out of range.
std::optional<std::int16_t> parseInteger(std::string_view payload);

bool isKnownCode(std::string_view code);

}  // namespace kestrin::protocol
