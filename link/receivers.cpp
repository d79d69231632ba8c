#include "link/receivers.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/scoped_flag.h"
#include "platform/text.h"

namespace kestrin {

// Where the host and the joiner differ in what they make of a message.
struct Receivers::Role {
    const char* context;                        // the guard of a receive
    bool asksFirst;                             // hears nothing but "CON" until it accepted
    std::array<std::string_view, 3> strangers;  // known codes that only this side sends
    bool answersVersion;                        // "VER1" goes back before the judgement
    bool beepsAnsweringReady;                   // the beep as "RED" is answered with "STG"
    bool beepsOnCountdown;                      // the beep as "STG" arrives
    const char* noticeBefore;                   // the unrecognised-data notice: its text is
    const char* noticeAfter;                    // these around the whole received text
};

namespace {

using namespace protocol;

constexpr Receivers::Role kHost{"Main.WinsockServer_DataArrival", true, {kNam, kRef, kDis}, true, false, true,
                                "Unrecognised data arrival\r\n[", "]"};
constexpr Receivers::Role kJoiner{"Main.WinsockClient_DataArrival", false, {kCon}, false, true, false,
                                  "Unrecognised data arrival - ",   ""};

// Received text as the log, the boxes and the opponent's name show it: cut, and never able to
// start a line or reorder the text around it.
std::string shown(const std::string& text, std::size_t longest = kLongestReceivedText) {
    return visibleText(firstCharacters(text, longest));
}

}  // namespace

Receivers::Receivers(MainForm& form, ProgramState& state, Game& game, OutputLog& log, Connection& connection,
                     Opponent& opponent, LinkServices services)
    : form_(form),
      state_(state),
      game_(game),
      log_(log),
      connection_(connection),
      opponent_(opponent),
      services_(services) {}

void Receivers::receive(int socket, const std::string& text) {
    const Role& role = socket == kWinsockClient ? kJoiner : kHost;
    services_.errors.guard(role.context, [&] {
        const std::uint64_t serial = connection_.serial(socket);
        ReceiveReader reader(text, opponent_.name);
        while (const auto message = reader.next()) {
            // A message may open a box; the rest of this receive goes only to the same
            // connection, never to one that took its place meanwhile.
            if (!connection_.isCurrent(socket, serial)) return;
            dispatch(role, socket, serial, *message);
        }
    });
}

void Receivers::dispatch(const Role& role, int socket, std::uint64_t serial, const Message& message) {
    const std::string& code = message.code;
    // A stranger's connection that the player was never asked about is not heard: no box, no
    // line, no state it could put the host in (a "VER1" would connect it).
    if (role.asksFirst && serial != acceptedSerial_ && !(message.recognised && code == kCon)) return;
    if (!message.recognised || std::ranges::find(role.strangers, code) != role.strangers.end()) {
        notice(role.noticeBefore + shown(message.text, kLongestNoticeText) + role.noticeAfter);
    } else if (code == kCon) {
        connection_.introduced();
        connectionRequest({socket, serial, shown(message.payload)});
    } else if (code == kNam) {
        opponent_.name = shown(message.payload);
        log_.AddOutput({"* Connected to ", written(opponent_.name)}, false);
        connection_.reply(socket, version());
    } else if (code == kVer) {
        opponent_.version = message.number;
        if (role.answersVersion) connection_.reply(socket, version());
        judgeVersion();
    } else if (code == kRed) {
        if (game_.phase() == Phase::Waiting) {
            connection_.reply(socket, startCountdown());
            game_.StartCountdown();
            if (role.beepsAnsweringReady) game_.Beep();
        }
        log_.AddOutput({written(shown(message.payload))}, false);
    } else if (code == kStg) {
        game_.StartCountdown();
        if (role.beepsOnCountdown) game_.Beep();
    } else if (code == kScu) {
        opponent_.score = message.number;
        form_.lblOpponentScore.setCaption(decimal(message.number));
        game_.ColourScores();
    } else if (code == kMsg) {
        log_.AddOutput({"<", written(opponent_.name), "> ", written(shown(message.payload))}, true);
    } else if (code == kStp) {
        log_.AddOutput({written(shown(message.payload))}, true);
        game_.OpponentStopped();  // with readiness cleared, nothing goes back
    } else if (code == kRef) {
        log_.AddOutput({written(shown(message.payload))}, false);
        connection_.Disconnect();
    } else if (code == kDis) {
        connection_.Disconnect();
    }
}

void Receivers::connectionRequest(Request request) {
    if (asking_) {
        // One question at a time: the newest request waits for the open one to be answered.
        nextRequest_ = std::move(request);
        return;
    }
    ScopedFlag asking(asking_);
    std::optional<Request> next = std::move(request);
    while (next) {
        const Request current = std::move(*next);
        next.reset();
        if (connection_.isCurrent(current.element, current.serial)) askAndAnswer(current);
        next = std::exchange(nextRequest_, std::nullopt);
    }
}

void Receivers::askAndAnswer(const Request& request) {
    opponent_.name = request.name;
    log_.AddOutput({"* Connection request from ", written(request.name)}, false);
    const MessageResult answer = services_.messageBox.show("Accept new player connection from " + request.name + "?",
                                                           kTitle, MessageButtons::YesNo, MessageIcon::Question);
    // The joiner may have gone while the question was open: nothing is sent to a
    // connection that is no longer the one asked about.
    if (!connection_.isCurrent(request.element, request.serial)) return;
    if (answer == MessageResult::Yes) {
        acceptedSerial_ = request.serial;
        // Until the version check, the host's player may give up on a joiner gone quiet.
        form_.cmdDisconnect.setEnabled(true);
        log_.AddOutput({"* Connected to ", written(request.name)}, false);
        connection_.reply(request.element, hostName(state_.strPlayerName));
        form_.cmbConnectTo.setText(connection_.WinsockServer(request.element).remoteHostIP());
        services_.lists.SaveListItem(kConnectToFile, form_.cmbConnectTo);
    } else {
        connection_.reply(request.element, refusal(state_.strPlayerName));
        connection_.Disconnect();
    }
}

void Receivers::judgeVersion() {
    if (opponent_.version == kVersion) {
        connection_.UpdateLinkControls(true);
        return;
    }
    log_.AddOutput(opponent_.version < kVersion ? "* Your opponent's version is too old to connect to"
                                                : "* Your version is too old to connect to your opponent",
                   false);
    connection_.Disconnect();
}

void Receivers::notice(const std::string& text) {
    // At most one notice at a time: what arrives while one is open is dropped.
    if (noticeOpen_) return;
    ScopedFlag open(noticeOpen_);
    services_.messageBox.show(text, kTitle, MessageButtons::Ok, MessageIcon::None);
}

}  // namespace kestrin
