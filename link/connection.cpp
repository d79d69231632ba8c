#include "link/connection.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "link/protocol.h"
#include "platform/failure.h"

namespace kestrin {

namespace {

// The one context of the Connect action's two halves: the click and the connection made.
constexpr const char* kConnectContext = "Main.cmdConnect";

std::optional<int> portNumber(std::string_view text) {
    int port{};  // stays 0 when the text is no number
    const char* end = text.data() + text.size();
    if (std::from_chars(text.data(), end, port).ptr != end || port < 1 || port > 65535) return std::nullopt;
    return port;
}

}  // namespace

HostAndPort parseHostText(const std::string& text) {
    HostAndPort result;
    if (text.starts_with('[')) {
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

Connection::Connection(MainForm& form, ProgramState& state, Game& game, OutputLog& log, LinkServices services)
    : form_(form), state_(state), game_(game), log_(log), services_(services), client_(services_.sockets.create()) {
    // The sockets close as they go with the window, and none calls a handler from inside that.
    bindConnection(*client_, kWinsockClient);
    client_->onConnected = [this] { services_.errors.guard(kConnectContext, [&] { connectionCompleted(); }); };
    servers_.push_back({services_.sockets.create()});
    servers_[0].socket->onError = [this](int number, const std::string& description) {
        socketError(number, description);
    };
    servers_[0].socket->onConnectionRequest = [this](std::int64_t requestId) {
        services_.errors.guard("Main.WinsockServer_ConnectionRequest", [&] { connectionRequest(requestId); });
    };
    form_.tmrWinsock.onTick = [this] { tmrWinsock_Timer(); };
    form_.tmrSilent.onTick = [this] { tmrSilent_Timer(); };
    form_.cmdConnect.onClick = [this] { cmdConnect_Click(); };
    form_.cmdDisconnect.onClick = [this] { cmdDisconnect_Click(); };
    form_.cmbConnectTo.onChange = [this] { cmbConnectTo_Change(); };
    form_.cmbConnectTo.onKeyPress = [this](int code) {
        if (code == kKeyEnter) cmdConnect_Click();
        // Down picks the first game found nearby, whatever the box holds.
        if (code == kKeyDown && !form_.cmbConnectTo.found().empty()) form_.cmbConnectTo.setListIndex(0);
    };
}

Socket& Connection::socketAt(int socket) const {
    return socket == kWinsockClient ? *client_ : *servers_.at(static_cast<std::size_t>(socket)).socket;
}

bool Connection::hasFallback() const { return services_.fallbackPort != 0 && services_.fallbackPort != services_.port; }

void Connection::bindConnection(Socket& socket, int number) {
    socket.onError = [this](int error, const std::string& description) { socketError(error, description); };
    socket.onDataArrival = [this, number] { onData(number, socketAt(number).getData()); };
    // Nothing the peer's close sets off can fail: no guard is needed.
    socket.onPeerClosed = [this] { peerClosed(); };
}

// A socket error is shown and nothing else changes: the sockets, the controls and any wait
// in progress stay as they are.
void Connection::showSocketError(int number, const std::string& description) {
    services_.messageBox.show("Error " + decimal(number) + " - " + description, kTitle, MessageButtons::Ok,
                              MessageIcon::Critical);
}

void Connection::socketError(int number, const std::string& description) {
    // A joiner that typed no port and was refused on the game's port tries the fallback
    // port once, quietly: the host may be a copy that could not listen on the game's port.
    // Only an attempt to connect is refused.
    if (number == failures::kConnectionRefused && fallbackArmed_) {
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

// ---- Closing and listening --------------------------------------------------------------

void Connection::CloseSockets(bool listenAgain) {
    // Sockets close at once (their state is closed when close() returns), so there is
    // nothing to wait for here.
    form_.tmrSilent.setEnabled(false);
    client_->close();
    for (std::size_t i = 0; i <= static_cast<std::size_t>(intMaxServer); ++i) servers_[i].socket->close();
    if (listenAgain) this->listenAgain();
}

bool Connection::listenOnGamePort() {
    Socket& listener = *servers_[0].socket;
    listener.setLocalPort(services_.port);
    try {
        listener.listen();
        return false;
    } catch (const Failure& failure) {
        if (failure.number() != failures::kPortProtected || !hasFallback()) throw;
    }
    listener.setLocalPort(services_.fallbackPort);
    listener.listen();
    return true;
}

void Connection::listenForOpponent() {
    if (WinsockServer(0).state() == SocketState::Listening) return;
    if (listenOnGamePort())
        log_.AddOutput("* Port " + decimal(services_.port) + " is not open to this program; listening on port " +
                           decimal(services_.fallbackPort),
                       false);
}

void Connection::closeForSinglePlayer() {
    form_.tmrWinsock.setEnabled(false);
    CloseSockets(false);
}

void Connection::listenAgain() {
    ++listenAttempts_;
    if (WinsockServer(0).state() == SocketState::Listening) return;
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

void Connection::cmbConnectTo_Change() { form_.cmdConnect.setEnabled(!form_.cmbConnectTo.text().empty()); }

void Connection::cmdConnect_Click() {
    services_.errors.guard(kConnectContext, [&] {
        if (client_->state() == SocketState::Connected) return;
        form_.cmdConnect.setEnabled(false);
        const std::string typed = form_.cmbConnectTo.text();
        log_.AddOutput("* Attempting connection with " + typed, false);
        // The ten seconds count from this attempt, also when an earlier one was still waiting.
        form_.tmrWinsock.setEnabled(false);
        form_.tmrWinsock.setEnabled(true);
        CloseSockets(false);

        // An empty host box or a port that is no port is the player's slip: it is shown as
        // the sockets' errors are, and the attempt ends at once.
        const HostAndPort target = parseHostText(typed);
        if (target.host.empty() || !target.valid) {
            form_.tmrWinsock.setEnabled(false);
            if (target.host.empty()) {
                showSocketError(failures::kHostNotFound, "Host not found: no host name was given");
            } else {
                showSocketError(failures::kInvalidArgument,
                                "Invalid argument: \"" + typed + "\" has no port from 1 to 65535");
            }
            connectFailed();
            return;
        }
        client_->setRemoteHost(target.host);
        client_->setRemotePort(target.port != 0 ? target.port : services_.port);
        fallbackArmed_ = target.port == 0 && hasFallback();
        clientSerial_ = nextSerial_++;
        client_->connect();
        // Until the version check, the player may give up on a host that does not answer.
        form_.cmdDisconnect.setEnabled(true);
        situationChanged();
    });
}

void Connection::connectionCompleted() {
    // Whatever ends a wait (the timeout, single player, a connection taken, the window
    // closing) closes this socket, and with it this event: here the wait is still on.
    form_.tmrWinsock.setEnabled(false);
    client_->sendData(protocol::connectionRequest(state_.strPlayerName));
    services_.lists.SaveListItem(kConnectToFile, form_.cmbConnectTo);
    services_.store.write(kTitle, kLastIpSection, kLastIpKey, form_.cmbConnectTo.text());
}

void Connection::tmrWinsock_Timer() {
    services_.errors.guard("Main.tmrWinsock", [&] {
        if (state_.lngGameType == kMultiPlayer) connectFailed();
    });
}

void Connection::connectFailed() {
    form_.tmrWinsock.setEnabled(false);
    log_.AddOutput("* Connection failed", false);
    form_.cmdConnect.setEnabled(true);
    form_.cmdDisconnect.setEnabled(false);
    CloseSockets(true);
    situationChanged();
    showListenFailure();
}

// ---- Accepting --------------------------------------------------------------------------

void Connection::connectionRequest(std::int64_t requestId) {
    form_.cmdConnect.setEnabled(false);
    // Taking a connection ends any wait of this copy's own to connect out.
    form_.tmrWinsock.setEnabled(false);
    client_->close();
    // Every element but the listener is closed before it takes a connection (taking one
    // replaces what the element had), so the lowest closed one is element 1, made at the
    // first request and taken again by every later one.
    if (servers_.size() == 1) {
        intMaxServer = 1;
        servers_.push_back({services_.sockets.create()});
        bindConnection(*servers_[1].socket, 1);
    }
    servers_[1].serial = nextSerial_++;
    servers_[1].socket->accept(requestId);
    intActiveServer = 1;
    // The host stops listening while it has an opponent.
    WinsockServer(0).close();
    // Counted from this connection: it has ten seconds to ask with "CON".
    form_.tmrSilent.setEnabled(false);
    form_.tmrSilent.setEnabled(true);
    situationChanged();
}

void Connection::introduced() { form_.tmrSilent.setEnabled(false); }

void Connection::tmrSilent_Timer() {
    services_.errors.guard("Main.tmrSilent", [&] {
        // Nobody was asked about this connection, so nobody is told of its end: it closes and
        // the host listens again, as before it came.
        CloseSockets(true);
        cmbConnectTo_Change();
        situationChanged();
        showListenFailure();
    });
}

// ---- Disconnecting ----------------------------------------------------------------------

void Connection::cmdDisconnect_Click() {
    services_.errors.guard("Main.cmdDisconnect", [&] { Disconnect(); });
}

void Connection::Disconnect() {
    // A countdown in progress ends with the link: no game may start without an opponent; so
    // does an attempt to connect that the player gave up on.
    form_.tmrReady.setEnabled(false);
    form_.tmrWinsock.setEnabled(false);
    Socket& active = WinsockServer(intActiveServer);
    if (active.state() == SocketState::Connected) {
        try {
            active.sendData(protocol::disconnecting());
        } catch (const Failure&) {
            // The connection is closing anyway; a goodbye that cannot go changes nothing.
        }
        CloseSockets(true);
    }
    if (client_->state() != SocketState::Closed) CloseSockets(true);
    log_.AddOutput("* Disconnected", false);
    game_.StopGame();
    UpdateLinkControls(false);
    form_.mnuGGameSelect.setEnabled(true);
    showListenFailure();
}

void Connection::peerClosed() {
    const int attemptsBefore = listenAttempts_;
    Disconnect();
    // The copy listens again; if the disconnect already tried (and told the player why it
    // could not), it is not tried a second time.
    if (listenAttempts_ == attemptsBefore && state_.lngGameType == kMultiPlayer) {
        listenAgain();
        situationChanged();
        showListenFailure();
    }
}

void Connection::UpdateLinkControls(bool connected) {
    if (state_.lngGameType == kSinglePlayer) {
        game_.setPhase(Phase::Start);
        form_.cmdStart.setEnabled(true);
        form_.cmdDisconnect.setEnabled(false);
        form_.cmdConnect.setEnabled(false);
        form_.cmbConnectTo.setEnabled(false);
    } else if (state_.lngGameType == kMultiPlayer) {
        game_.setPhase(Phase::Ready);
        form_.cmbConnectTo.setEnabled(!connected);
        form_.cmdDisconnect.setEnabled(connected);
        if (connected) {
            form_.cmdConnect.setEnabled(false);
        } else {
            cmbConnectTo_Change();
        }
        form_.cmdStart.setEnabled(connected);
        form_.txtChat.setEnabled(connected);
        form_.cmdSend.setEnabled(connected);
        // The menu's Setup... follows the button: changing the game while connected would leave
        // a half-open link behind.
        form_.cmdSetup.setEnabled(!connected);
        form_.mnuGGameSelect.setEnabled(!connected);
        if (connected) form_.cmdStart.setFocus();
    }
    situationChanged();
}

// ---- Sending ----------------------------------------------------------------------------

void Connection::sendToConnected(const std::string& message) {
    for (Socket* socket : {&WinsockServer(intActiveServer), client_.get()}) {
        if (socket->state() == SocketState::Connected) socket->sendData(message);
    }
}

void Connection::reply(int socket, const std::string& message) {
    if (socketAt(socket).state() == SocketState::Connected) socketAt(socket).sendData(message);
}

void Connection::situationChanged() {
    if (onSituationChanged) onSituationChanged();
}

bool Connection::busy() const {
    // A socket whose peer closed, or that failed, waits to be closed or taken again: it
    // carries no connection.
    const auto live = [](const Socket& socket) {
        const SocketState state = socket.state();
        return state == SocketState::ResolvingHost || state == SocketState::Connecting ||
               state == SocketState::Connected;
    };
    return live(*client_) || std::any_of(servers_.begin() + 1, servers_.end(),
                                         [&](const Element& element) { return live(*element.socket); });
}

int Connection::listeningPort() const {
    const Socket& listener = *servers_[0].socket;
    return listener.state() == SocketState::Listening ? listener.localPort() : 0;
}

std::uint64_t Connection::serial(int socket) const {
    return socket == kWinsockClient ? clientSerial_ : servers_.at(static_cast<std::size_t>(socket)).serial;
}

bool Connection::isCurrent(int socket, std::uint64_t number) const {
    return serial(socket) == number && socketAt(socket).state() == SocketState::Connected;
}

}  // namespace kestrin
