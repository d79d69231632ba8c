#include "link/receivers.h"

#include <utility>

#include "core/start_button.h"

namespace kestrin {

namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A flag that is set for as long as the scope lasts, also when a handler fails inside it.
class Raised {
public:
    explicit Raised(bool& flag) : flag_(flag) { flag_ = true; }
    ~Raised() { flag_ = false; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& flag_;
};

}  // namespace

std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (isContinuationByte(text[at])) continue;
        if (characters == count) return text.substr(0, at);
        ++characters;
    }
    return text;
}

Receivers::Receivers(MainForm& form, ProgramState& state, Game& game, Connection& connection, LinkServices services)
    : form_(form), state_(state), game_(game), connection_(connection), services_(services) {}

// ---- Taking a receive apart -------------------------------------------------------------

void Receivers::hostReceive(int element, const std::string& text) {
    services_.errors.guard("Main.WinsockServer_DataArrival", [&] {
        const std::uint64_t serial = connection_.serverSerial(element);
        protocol::ReceiveReader reader(text);
        while (const auto message = reader.next()) {
            // A message may open a box; the rest of this receive goes only to the same
            // connection, never to one that took its place meanwhile.
            if (!connection_.isCurrentServer(element, serial)) return;
            host(element, *message);
        }
    });
}

void Receivers::joinerReceive(const std::string& text) {
    services_.errors.guard("Main.WinsockClient_DataArrival", [&] {
        const std::uint64_t serial = connection_.clientSerial();
        protocol::ReceiveReader reader(text);
        while (const auto message = reader.next()) {
            if (!connection_.isCurrentClient(serial)) return;
            joiner(*message);
        }
    });
}

// ---- The host ---------------------------------------------------------------------------

void Receivers::host(int element, const protocol::Message& message) {
    using namespace protocol;
    const std::string& code = message.code;
    if (!message.recognised || code == kNam || code == kRef || code == kDis) {
        notice("Unrecognised data arrival\r\n[" +
               firstCharacters(message.recognised ? code + message.payload : message.text, kLongestNoticeText) + "]");
    } else if (code == kCon) {
        connectionRequest(
            {element, connection_.serverSerial(element), firstCharacters(message.payload, kLongestReceivedText)});
    } else if (code == kVer) {
        game_.intOpponentVersion = message.number;
        connection_.replyFromHost(element, version());  // the reply goes before the judgement
        judgeVersion();
    } else if (code == kRed) {
        if (form_.cmdStart.caption() == start_button::kWaiting) {
            connection_.replyFromHost(element, startCountdown());
            game_.StartCountdown();
        }
        game_.AddOutput(firstCharacters(message.payload, kLongestReceivedText), false);
    } else if (code == kStg) {
        game_.StartCountdown();
        game_.Beep();
    } else if (code == kScu) {
        opponentScore(message.number);
    } else if (code == kMsg) {
        game_.AddOutput("<" + game_.strOpponentName + "> " + firstCharacters(message.payload, kLongestReceivedText),
                        true);
    } else if (code == kStp) {
        opponentStopped(message.payload);
    }
}

void Receivers::connectionRequest(Request request) {
    if (asking_) {
        // One question at a time: the newest request waits for the open one to be answered.
        nextRequest_ = std::move(request);
        return;
    }
    Raised asking(asking_);
    std::optional<Request> next = std::move(request);
    while (next) {
        const Request current = std::move(*next);
        next.reset();
        if (connection_.isCurrentServer(current.element, current.serial)) askAndAnswer(current);
        next = std::exchange(nextRequest_, std::nullopt);
    }
}

void Receivers::askAndAnswer(const Request& request) {
    game_.strOpponentName = request.name;
    game_.AddOutput("* Connection request from " + request.name, false);
    const MessageResult answer = services_.messageBox.show("Accept new player connection from " + request.name + "?",
                                                           kTitle, MessageButtons::YesNo, MessageIcon::Question);
    // The joiner may have gone while the question was open: nothing is sent to a
    // connection that is no longer the one asked about.
    if (!connection_.isCurrentServer(request.element, request.serial)) return;
    if (answer == MessageResult::Yes) {
        game_.AddOutput("* Connected to " + request.name, false);
        connection_.replyFromHost(request.element, protocol::hostName(state_.strPlayerName));
        form_.cmbConnectTo.setText(connection_.WinsockServer(request.element).remoteHostIP());
        services_.lists.SaveListItem(kConnectToFile, form_.cmbConnectTo);
    } else {
        connection_.replyFromHost(request.element, protocol::refusal(state_.strPlayerName));
        connection_.Disconnect();
    }
}

// ---- The joiner -------------------------------------------------------------------------

void Receivers::joiner(const protocol::Message& message) {
    using namespace protocol;
    const std::string& code = message.code;
    if (!message.recognised || code == kCon) {
        notice("Unrecognised data arrival - " +
               firstCharacters(message.recognised ? code + message.payload : message.text, kLongestNoticeText));
    } else if (code == kNam) {
        game_.strOpponentName = firstCharacters(message.payload, kLongestReceivedText);
        game_.AddOutput("* Connected to " + game_.strOpponentName, false);
        connection_.replyFromJoiner(version());
    } else if (code == kVer) {
        game_.intOpponentVersion = message.number;
        judgeVersion();
    } else if (code == kRed) {
        if (form_.cmdStart.caption() == start_button::kWaiting) {
            connection_.replyFromJoiner(startCountdown());
            game_.StartCountdown();
            game_.Beep();
        }
        game_.AddOutput(firstCharacters(message.payload, kLongestReceivedText), false);
    } else if (code == kStg) {
        game_.StartCountdown();
    } else if (code == kScu) {
        opponentScore(message.number);
    } else if (code == kDis) {
        connection_.Disconnect();
    } else if (code == kMsg) {
        game_.AddOutput("<" + game_.strOpponentName + "> " + firstCharacters(message.payload, kLongestReceivedText),
                        true);
    } else if (code == kRef) {
        game_.AddOutput(firstCharacters(message.payload, kLongestReceivedText), false);
        connection_.Disconnect();
    } else if (code == kStp) {
        opponentStopped(message.payload);
    }
}

// ---- Shared by both sides ---------------------------------------------------------------

void Receivers::judgeVersion() {
    if (game_.intOpponentVersion == protocol::kVersion) {
        connection_.UpdateLinkControls(true);
    } else if (game_.intOpponentVersion < protocol::kVersion) {
        game_.AddOutput("* Your opponent's version is too old to connect to", false);
        connection_.Disconnect();
    } else {
        game_.AddOutput("* Your version is too old to connect to your opponent", false);
        connection_.Disconnect();
    }
}

void Receivers::opponentScore(std::int16_t score) {
    game_.intOpponentScore = score;
    form_.lblOpponentScore.setCaption(std::to_string(score));
    game_.ColourScores();
}

void Receivers::opponentStopped(const std::string& payload) {
    game_.AddOutput(firstCharacters(payload, kLongestReceivedText), true);
    game_.blnReady = false;
    game_.cmdStart_Click();  // stops the local game; with blnReady clear nothing goes back
}

void Receivers::notice(const std::string& text) {
    // At most one notice at a time: what arrives while one is open is dropped.
    if (noticeOpen_) return;
    Raised open(noticeOpen_);
    services_.messageBox.show(text, kTitle, MessageButtons::Ok, MessageIcon::None);
}

}  // namespace kestrin
