// TCP sockets on Qt Network. A socket element that listens holds a QTcpServer; one that
// connects out or takes an accepted connection holds a QTcpSocket. Connections announced by
// a listening element wait in a registry shared by every socket of one factory, so that
// accept() on another element can take them; a listening element that closes drops the
// requests it announced and nobody took. accept() on an element that is not closed closes
// it first.
//
// Every Qt signal but arriving text reaches the socket through a queued connection; arriving
// text is announced directly from the Qt socket's read notifier. So events always arrive from
// the event loop, never from inside a call. One receive (getData) takes at most 64 KiB; what
// is left is announced again. close() drops the connection at once and
// discards every event of it still waiting; a socket may be deleted at any time, also from
// inside one of its own event handlers. An exception escaping a handler cannot cross Qt's
// event loop: it is logged with qWarning and dropped.
//
// States: 0 closed, 2 listening, 4 resolving the host name, 6 connecting, 7 connected,
// 8 closing (the peer closed; until close()), 9 error. An error on an established connection
// gives 9 and, when the connection is gone as well, a peer-closed event and 8 after it.
//
// A listening element takes joiners over IPv4 and IPv6 alike (IPv4 alone on a machine
// without IPv6); remoteHostIP() shows an IPv4 peer dotted ("127.0.0.1"), an IPv6 peer in
// IPv6 form ("::1"). connect() takes a host name, a dotted address or a bare IPv6 address.
// Text goes out in the system's encoding (UTF-8 on Linux whatever the locale); a character
// split between two receives comes out of getData() whole.
//
// Failure numbers follow the Winsock codes the game knows, with Qt's reason as the
// description: 10013 the port needs a privilege ("The address is protected"), 10048
// listening failed for any other reason, 10061 connection refused, 11001 host not found,
// 10022 bad argument (a port out of range, a request no longer pending), 40006 wrong state
// for sending, 40020 wrong state for connect or listen.
#pragma once

#include "platform/sockets.h"

#include <cstdint>
#include <memory>
#include <string>

class QObject;
class QTcpServer;
class QTcpSocket;
class QStringDecoder;

namespace kestrin {

class PendingConnections;
struct SocketLife;

class QtSocket final : public Socket {
public:
    explicit QtSocket(std::shared_ptr<PendingConnections> pending);
    ~QtSocket() override;
    QtSocket(const QtSocket&) = delete;
    QtSocket& operator=(const QtSocket&) = delete;

    SocketState state() const override;
    void setRemoteHost(const std::string& host) override { remoteHost_ = host; }
    void setRemotePort(int port) override { remotePort_ = port; }
    void setLocalPort(int port) override { localPort_ = port; }
    // While listening, the port actually taken (the real one after listening on port 0).
    int localPort() const override;
    std::string remoteHostIP() const override;

    void connect() override;
    void listen() override;
    void accept(std::int64_t requestId) override;
    void sendData(const std::string& text) override;
    std::string getData() override;
    void close() override;

private:
    void takeConnection(std::unique_ptr<QTcpSocket> socket);
    void wireSocket();
    // Made once the connection is up: the peer's address, no delay for small writes, and the
    // probes that notice a peer that vanished without closing.
    void settleConnection();
    template <typename Body>
    void post(Body body);
    void takePendingConnections();
    // Announces arrived text to the handler, and again later for what it leaves.
    void arrive();
    // Calls a handler (a copy of it: the handler may replace itself or delete this socket).
    template <typename Handler, typename... Args>
    void dispatch(const Handler& handler, Args&&... args);

    std::shared_ptr<PendingConnections> pending_;
    std::shared_ptr<SocketLife> life_;   // shared with queued events, which check it
    std::unique_ptr<QObject> receiver_;  // context of the queued connections
    std::unique_ptr<QTcpServer> server_;
    std::unique_ptr<QTcpSocket> socket_;
    std::unique_ptr<QStringDecoder> decoder_;
    SocketState state_ = SocketState::Closed;
    bool wasConnected_ = false;
    std::string remoteHost_;
    int remotePort_ = 0;
    int localPort_ = 0;
    std::string remoteIp_;
    std::uint64_t taken_ = 0;     // bytes handed out by getData() so far
    bool heldForUnsent_ = false;  // text waits until what waits to be sent has gone
};

class QtSocketFactory final : public SocketFactory {
public:
    QtSocketFactory();
    ~QtSocketFactory() override;
    std::unique_ptr<Socket> create() override;

private:
    std::shared_ptr<PendingConnections> pending_;
};

}  // namespace kestrin
