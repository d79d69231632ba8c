#include "link/connection.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/link_controls.h"
#include "core/start_button.h"
#include "link/protocol.h"
#include "platform/failure.h"

namespace kestrin {

namespace {

constexpr std::int32_t kInvalidArgument = 10022;

bool isOpen(const Socket& socket) { return socket.state() != socket_state::kClosed; }
bool isConnected(const Socket& socket) { return socket.state() == socket_state::kConnected; }

std::optional<int> portNumber(std::string_view text) {
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc() || stop != end || port < 1 || port > 65535) return std::nullopt;
    return port;
}

}  // namespace

HostAndPort parseHostText(const std::string& text) {
    HostAndPort result;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close != std::string::npos) {
            result.host = text.substr(1, close - 1);
            const std::string rest = text.substr(close + 1);
            if (rest.empty()) return result;
            const auto port = rest.front() == ':' ? portNumber(std::string_view(rest).substr(1)) : std::nullopt;
            result.valid = port.has_value();
            result.port = port.value_or(0);
            return result;
        }
    }
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) {
        result.host = text;  // a name, a dotted address, or a bare v6 address
        return result;
    }
    result.host = text.substr(0, colon);
    const auto port = portNumber(std::string_view(text).substr(colon + 1));
    result.valid = port.has_value();
    result.port = port.value_or(0);
    return result;
}

Connection::Connection(MainForm& form, ProgramState& state, Game& game, LinkServices services)
    : form_(form), state_(state), game_(game), services_(services) {
    client_ = services_.sockets.create();
    servers_.push_back(services_.sockets.create());
    serverSerials_.push_back(0);
    bindEvents(*client_, -1);
    bindEvents(*servers_[0], 0);
    form_.tmrWinsock.onTick = [this] { tmrWinsock_Timer(); };
}

Connection::~Connection() {
    // The sockets go with the window; no handler may run into a half-destroyed link.
    client_->close();
    for (auto& server : servers_) server->close();
}

void Connection::bindEvents(Socket& socket, int element) {
    socket.onError = [this, element](int number, const std::string& description) {
        if (element < 0) {
            clientError(number, description);
        } else {
            showSocketError(number, description);
        }
    };
    socket.onDataArrival = [this, element] { dataArrived(element); };
    socket.onPeerClosed = [this, element] {
        services_.errors.guard(element < 0 ? "Main.WinsockClient_Close" : "Main.WinsockServer_Close",
                               [&] { peerClosed(); });
    };
    if (element < 0) {
        socket.onConnected = [this] { services_.errors.guard("Main.cmdConnect", [&] { connectionCompleted(); }); };
    } else {
        socket.onConnectionRequest = [this](std::int64_t requestId) {
            services_.errors.guard("Main.WinsockServer_ConnectionRequest", [&] { connectionRequest(requestId); });
        };
    }
}

// A socket error is shown and nothing else changes: the sockets, the controls and any wait
// in progress stay as they are.
void Connection::showSocketError(int number, const std::string& description) {
    services_.messageBox.show("Error " + std::to_string(number) + " - " + description, kTitle, MessageButtons::Ok,
                              MessageIcon::Critical);
}

void Connection::clientError(int number, const std::string& description) {
    // A joiner that typed no port and was refused on the game's port tries the fallback
    // port once, quietly: the host may be a copy that could not listen on the game's port.
    if (number == failures::kConnectionRefused && fallbackArmed_ && form_.tmrWinsock.enabled()) {
        fallbackArmed_ = false;
        client_->close();
        client_->setRemotePort(services_.fallbackPort);
        try {
            client_->connect();
            return;
        } catch (const Failure&) {
            // Fall through: the refusal on the game's port is what the player is told.
        }
    }
    showSocketError(number, description);
}

void Connection::dataArrived(int element) {
    Socket& socket = element < 0 ? *client_ : *servers_.at(static_cast<std::size_t>(element));
    const std::string text = socket.getData();
    if (text.empty()) return;
    if (element < 0) {
        if (onJoinerData) onJoinerData(text);
    } else if (onHostData) {
        onHostData(element, text);
    }
}

// ---- Closing and listening --------------------------------------------------------------

void Connection::CloseSockets(bool listenAgain) {
    // Sockets close at once (their state is closed when close() returns), so there is
    // nothing to wait for here.
    if (isOpen(*client_)) client_->close();
    for (std::size_t i = 0; i <= static_cast<std::size_t>(intMaxServer) && i < servers_.size(); ++i) {
        if (isOpen(*servers_[i])) servers_[i]->close();
    }
    if (listenAgain) this->listenAgain();
}

bool Connection::listenOnGamePort() {
    Socket& listener = *servers_[0];
    listener.setLocalPort(services_.port);
    try {
        listener.listen();
        return false;
    } catch (const Failure& failure) {
        const bool fallback = services_.fallbackPort != 0 && services_.fallbackPort != services_.port;
        if (failure.number() != failures::kPortProtected || !fallback) throw;
    }
    listener.setLocalPort(services_.fallbackPort);
    listener.listen();
    return true;
}

void Connection::listenAgain() {
    ++listenAttempts_;
    if (servers_[0]->state() == socket_state::kListening) return;
    try {
        listenOnGamePort();
    } catch (const Failure& failure) {
        // Another program holds the port: the copy stays not connected, and is told once.
        listenFailure_ = failure;
    }
}

void Connection::showListenFailure() {
    if (!listenFailure_) return;
    const Failure failure = *std::exchange(listenFailure_, std::nullopt);
    showSocketError(failure.number(), failure.description());
}

// ---- Connecting out ---------------------------------------------------------------------

void Connection::cmdConnect_Click() {
    services_.errors.guard("Main.cmdConnect", [&] {
        if (isConnected(*client_)) return;
        form_.cmdConnect.setEnabled(false);
        const std::string typed = form_.cmbConnectTo.text();
        game_.AddOutput("* Attempting connection with " + typed, false);
        // The ten seconds count from this attempt, also when an earlier one was still waiting.
        form_.tmrWinsock.setEnabled(false);
        form_.tmrWinsock.setEnabled(true);
        CloseSockets(false);

        // A connect refused at once (no host, a port that is not a number) is reported
        // here; the timeout still brings the copy back to listening.
        const HostAndPort target = parseHostText(typed);
        if (!target.valid)
            throw Failure(kInvalidArgument, "Invalid argument: \"" + typed + "\" has no port from 1 to 65535");
        client_->setRemoteHost(target.host);
        client_->setRemotePort(target.port != 0 ? target.port : services_.port);
        fallbackArmed_ = target.port == 0 && services_.fallbackPort != 0 && services_.fallbackPort != services_.port;
        clientSerial_ = nextSerial_++;
        client_->connect();
    });
}

void Connection::connectionCompleted() {
    // An attempt overtaken by the timeout, by single player or by a closing window has
    // closed this socket already; one that still finds itself here without a live attempt
    // is closed without a word.
    if (!form_.tmrWinsock.enabled() || state_.lngGameType != 1) {
        client_->close();
        return;
    }
    form_.tmrWinsock.setEnabled(false);
    client_->sendData(protocol::connectionRequest(state_.strPlayerName));
    services_.lists.SaveListItem(kConnectToFile, form_.cmbConnectTo);
    services_.store.write(kTitle, kLastIpSection, kLastIpKey, form_.cmbConnectTo.text());
}

void Connection::tmrWinsock_Timer() {
    services_.errors.guard("Main.tmrWinsock", [&] {
        if (state_.lngGameType != 1) return;
        form_.tmrWinsock.setEnabled(false);
        game_.AddOutput("* Connection failed", false);
        form_.cmdConnect.setEnabled(true);
        form_.cmdDisconnect.setEnabled(false);
        CloseSockets(true);
        showListenFailure();
    });
}

// ---- Accepting --------------------------------------------------------------------------

void Connection::connectionRequest(std::int64_t requestId) {
    form_.cmdConnect.setEnabled(false);
    // Everything but the listener closes; it keeps listening so the request can be taken.
    if (isOpen(*client_)) client_->close();
    for (std::size_t i = 1; i < servers_.size(); ++i) {
        if (isOpen(*servers_[i])) servers_[i]->close();
    }
    std::size_t element = 1;
    while (element < servers_.size() && isOpen(*servers_[element])) ++element;
    if (element == servers_.size()) {
        intMaxServer = checkedAdd<std::int16_t>(intMaxServer, 1);
        servers_.push_back(services_.sockets.create());
        serverSerials_.push_back(0);
        bindEvents(*servers_.back(), static_cast<int>(element));
    }
    Socket& taker = *servers_[element];
    taker.setLocalPort(0);
    serverSerials_[element] = nextSerial_++;
    taker.accept(requestId);
    intActiveServer = static_cast<std::int16_t>(element);
    // The host stops listening while it has an opponent.
    if (isOpen(*servers_[0])) servers_[0]->close();
}

// ---- Disconnecting ----------------------------------------------------------------------

void Connection::cmdDisconnect_Click() {
    services_.errors.guard("Main.cmdDisconnect", [&] { Disconnect(); });
}

void Connection::Disconnect() {
    form_.tmrWinsock.setEnabled(false);
    // A countdown in progress ends with the link: no game may start without an opponent.
    form_.tmrReady.setEnabled(false);
    Socket& active = WinsockServer(intActiveServer);
    if (isConnected(active)) {
        try {
            active.sendData(protocol::disconnecting());
        } catch (const Failure&) {
            // The connection is closing anyway; a goodbye that cannot go changes nothing.
        }
        CloseSockets(true);
    }
    if (isOpen(*client_)) CloseSockets(true);
    game_.AddOutput("* Disconnected", false);
    form_.cmdStart.setCaption(start_button::kStop);
    game_.cmdStart_Click();
    UpdateLinkControls(false);
    form_.cmdSetup.setEnabled(true);
    form_.mnuGGameSelect.setEnabled(true);
    showListenFailure();
}

void Connection::peerClosed() {
    const int attemptsBefore = listenAttempts_;
    Disconnect();
    // The copy listens again; if the disconnect already tried (and told the player why it
    // could not), it is not tried a second time.
    if (listenAttempts_ == attemptsBefore && state_.lngGameType == 1) {
        listenAgain();
        showListenFailure();
    }
}

void Connection::UpdateLinkControls(bool connected) {
    kestrin::UpdateLinkControls(form_, state_.lngGameType, connected);
}

// ---- Sending ----------------------------------------------------------------------------

bool Connection::peerConnected() {
    const auto active = static_cast<std::size_t>(intActiveServer);
    return isConnected(*client_) || (active < servers_.size() && isConnected(*servers_[active]));
}

void Connection::sendToConnected(const std::string& message) {
    const auto active = static_cast<std::size_t>(intActiveServer);
    if (active < servers_.size() && isConnected(*servers_[active])) servers_[active]->sendData(message);
    if (isConnected(*client_)) client_->sendData(message);
}

void Connection::replyFromHost(int element, const std::string& message) {
    const auto index = static_cast<std::size_t>(element);
    if (index < servers_.size() && isConnected(*servers_[index])) servers_[index]->sendData(message);
}

void Connection::replyFromJoiner(const std::string& message) {
    if (isConnected(*client_)) client_->sendData(message);
}

std::uint64_t Connection::serverSerial(int element) const {
    return serverSerials_.at(static_cast<std::size_t>(element));
}

bool Connection::isCurrentServer(int element, std::uint64_t serial) {
    const auto index = static_cast<std::size_t>(element);
    return index < servers_.size() && serverSerials_[index] == serial && isConnected(*servers_[index]);
}

bool Connection::isCurrentClient(std::uint64_t serial) { return clientSerial_ == serial && isConnected(*client_); }

}  // namespace kestrin
