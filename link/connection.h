// The main window's sockets and what happens to them: listening for an opponent, connecting
// out with a ten-second limit, taking a connection request, disconnecting for every reason,
// a peer that closes, a socket that reports an error, the last host connected to, and the
// controls that follow the state of the link.
//
// WinsockClient is the joiner's outgoing socket. WinsockServer is an array whose element 0
// listens; elements 1, 2, … are made one at a time to take accepted connections and are
// reused once closed. At most one connection is up at a time. Where one number stands for a
// socket, the outgoing socket is kWinsockClient and the others their element.
//
// Sockets close at once, so nothing here waits. Connecting is asynchronous: the Connect
// action starts the attempt, the socket's connected event finishes it, and the timeout
// (tmrWinsock) ends an attempt that has not finished within ten seconds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/game.h"
#include "platform/datagrams.h"
#include "platform/failure.h"
#include "platform/sockets.h"
#include "shell/list_files.h"

namespace kestrin {

inline constexpr int kGamePort = 600;
// Where a copy listens when port 600 needs a privilege it lacks, and where a joiner that
// typed no port tries once more when port 600 refuses it.
inline constexpr int kFallbackPort = 10600;
// The settings value that remembers the last host connected to.
inline constexpr const char* kLastIpSection = "Player";
inline constexpr const char* kLastIpKey = "LastIP";
// The outgoing socket, where a number stands for one of the sockets.
inline constexpr int kWinsockClient = -1;

struct LinkServices {
    SocketFactory& sockets;
    SettingsStore& store;
    ListFiles& lists;
    MessageBox& messageBox;
    ErrorReporter& errors;
    int port = kGamePort;                  // the game's TCP port; tests use another
    int fallbackPort = kFallbackPort;      // 0: none
    DatagramNetwork* datagrams = nullptr;  // finding games nearby; none: not looked for
};

// A host box text read as host and port: "host", "host:port", "[v6 address]:port", or a bare
// v6 address ("::1"). Without a port, port is 0.
struct HostAndPort {
    std::string host;
    int port = 0;
    bool valid = true;  // false when a port is given that is not a number from 1 to 65535
};
HostAndPort parseHostText(const std::string& text);

class Connection {
public:
    Connection(MainForm& form, ProgramState& state, Game& game, OutputLog& log, LinkServices services);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // What a receive holds, as text, with the socket it came on.
    std::function<void(int socket, const std::string& text)> onData;
    // The link began or ended listening, connecting or a connection (for finding games nearby).
    std::function<void()> onSituationChanged;
    // Whether a connection is up or being made (the outgoing socket or a taken one).
    bool busy() const;
    // The port element 0 listens on; 0 when it does not listen.
    int listeningPort() const;

    // ---- Handlers ----
    void cmdConnect_Click();     // the Connect action; also Enter in the host box
    void cmdDisconnect_Click();  // the disconnect action, guarded
    void tmrWinsock_Timer();     // the connect timeout
    void tmrSilent_Timer();      // a taken connection that never asked is dropped
    void cmbConnectTo_Change();  // Connect is enabled exactly when the host box holds text

    // ---- Procedures ----
    void CloseSockets(bool listenAgain);
    // The disconnect action: "DIS" from a host, every socket closed, listening again, the
    // game stopped, the not-connected controls.
    void Disconnect();
    // Single player: "&Start" and the link controls off. Multi player, not connected:
    // "&Ready" (disabled), the host box and Setup available, Connect when the host box holds
    // text. Multi player, connected: "&Ready" with the focus, chat and Disconnect available,
    // the host box, Connect and Setup not. Any other game type changes nothing.
    void UpdateLinkControls(bool connected);
    // Multi player chosen: element 0 listens, unless it does already, on the game's port or,
    // when that port needs a privilege, on the fallback port (said in the log). Throws when
    // it cannot listen.
    void listenForOpponent();
    // Single player chosen: an attempt in progress ends without a word, every socket closes
    // and nothing listens.
    void closeForSinglePlayer();

    // ---- Sending ----
    // The joiner on the host's connection asked with "CON": it is no silent stranger.
    void introduced();

    // A message that is not a reply goes on every connected socket.
    void sendToConnected(const std::string& message);
    // A reply goes back on the socket the message came from, if that connection is still
    // up; on a connection that has gone it is dropped.
    void reply(int socket, const std::string& message);

    // Each connection a socket takes gets a new number, so that an answer decided while a box
    // was open reaches only the connection it was meant for.
    std::uint64_t serial(int socket) const;
    bool isCurrent(int socket, std::uint64_t serial) const;

    Socket& WinsockClient() { return *client_; }
    Socket& WinsockServer(int index) { return socketAt(index); }
    std::int16_t intMaxServer = 0;
    std::int16_t intActiveServer = 0;

private:
    Socket& socketAt(int socket) const;
    // The events of a socket that carries a connection: an accepted element or the outgoing
    // socket.
    void bindConnection(Socket& socket, int number);
    bool hasFallback() const;
    void showSocketError(int number, const std::string& description);
    void socketError(int number, const std::string& description);
    void connectionCompleted();
    void connectionRequest(std::int64_t requestId);
    void peerClosed();
    // The attempt is abandoned: "* Connection failed", Connect again, listening again.
    void connectFailed();
    // Element 0 listens on the game's port, or on the fallback port when the game's port
    // needs a privilege. Throws when it cannot listen; returns true when it fell back.
    bool listenOnGamePort();
    // Listens again after a disconnect or a timeout. A failure is kept and shown once in the
    // socket error box by showListenFailure(), when the handler has finished its steps, so
    // that the box finds the window in its new state.
    void listenAgain();
    void showListenFailure();
    // Tells onSituationChanged.
    void situationChanged();

    MainForm& form_;
    ProgramState& state_;
    Game& game_;
    OutputLog& log_;
    LinkServices services_;
    std::unique_ptr<Socket> client_;
    struct Element {
        std::unique_ptr<Socket> socket;
        std::uint64_t serial = 0;  // of the connection it holds
    };
    std::vector<Element> servers_;
    std::uint64_t clientSerial_ = 0;
    std::uint64_t nextSerial_ = 1;
    // The joiner typed no port and has not yet tried the fallback port.
    bool fallbackArmed_ = false;
    // How many times listening again was tried, so that a peer that closed tries it once.
    int listenAttempts_ = 0;
    std::optional<Failure> listenFailure_;
};

}  // namespace kestrin
