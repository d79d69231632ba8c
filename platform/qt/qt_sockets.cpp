#include "platform/qt/qt_sockets.h"

#include "platform/failure.h"
#include "platform/qt/utf8.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QObject>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtGlobal>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <exception>
#include <map>
#include <utility>
#include <vector>

namespace kestrin {

namespace {

using namespace failures;

// Winsock-style numbers for Qt's socket errors.
int errorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return kConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return kHostNotFound;
    case QAbstractSocket::SocketAccessError: return kPortProtected;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::AddressInUseError: return kNotListening;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    default: return 10100 + static_cast<int>(error);  // stable, clear of the codes above
    }
}

// Dotted form; an IPv4 address seen through a dual-stack socket loses its "::ffff:".
std::string dotted(const QHostAddress& address) {
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4) return QHostAddress(ipv4).toString().toStdString();
    return address.toString().toStdString();
}

// The dual-stack listener could not be made because the machine has no IPv6.
bool withoutIpv6(QAbstractSocket::SocketError error) {
    return error == QAbstractSocket::UnsupportedSocketOperationError ||
           error == QAbstractSocket::SocketAddressNotAvailableError;
}

// Text on the wire is in the system's 8-bit encoding, as the seam says. Qt takes that to be
// UTF-8 on Linux and every other Unix whatever LANG or LC_ALL say (also under the C locale),
// so names such as "Müller" or "Zoë" cross between two copies on Linux unchanged; on Windows
// it is the ANSI code page.
constexpr auto kWireEncoding = QStringConverter::System;

// One receive hands out at most this many bytes; the rest follows in further receives, so a
// flood is read in pieces of a bounded size.
constexpr qint64 kLongestReceive = qint64{64} * 1024;
// What Qt keeps of a peer's text that the game has not taken yet (while a box is open, say),
// set on every Qt socket as it is made or accepted. When it is full, Qt stops reading and
// TCP's flow control holds the peer back.
constexpr qint64 kReadBufferBytes = qint64{64} * 1024;
// While more than this waits to go to a peer, nothing more is read from it: a peer that keeps
// asking and never reads cannot make the answers pile up here.
constexpr qint64 kMostUnsent = qint64{64} * 1024;

// A peer that vanishes (switched off, its cable or Wi-Fi gone) closes nothing. On an idle
// connection keepalive probes go out after 10 silent seconds, every 5 seconds; while sent text
// waits for an acknowledgement the probes stop and retransmissions go out instead. Either
// way the user timeout ends the connection once 20 seconds have passed without an answer,
// so that a bank sent just after the peer vanished is noticed well within half a minute, and
// the socket reports a timeout.
void probeForVanishedPeer(qintptr descriptor) {
    if (descriptor < 0) return;
    const int fd = static_cast<int>(descriptor);
    const auto set = [fd](int level, int option, int value) {
        if (setsockopt(fd, level, option, &value, sizeof value) != 0)
            qWarning("Kestrin: a socket option (%d) could not be set", option);
    };
    set(SOL_SOCKET, SO_KEEPALIVE, 1);
    set(IPPROTO_TCP, TCP_KEEPIDLE, 10);
    set(IPPROTO_TCP, TCP_KEEPINTVL, 5);
    set(IPPROTO_TCP, TCP_KEEPCNT, 3);
    set(IPPROTO_TCP, TCP_USER_TIMEOUT, 20'000);
}

// Errors of an established connection that mean the peer has vanished (the probes or the user
// timeout gave up, the route went): they end the link as the peer's close does.
bool peerVanished(QAbstractSocket::SocketError error) {
    return error == QAbstractSocket::SocketTimeoutError || error == QAbstractSocket::NetworkError;
}

}  // namespace

// Whether the socket still exists and which connection it is on. Queued events carry the
// generation they were made for and are dropped when it has moved on (after close()).
struct SocketLife {
    bool alive = true;
    std::uint64_t generation = 0;
    int dispatching = 0;
    int arriving = 0;  // inside a data arrival announced directly by the Qt socket
};

// Accepted-but-not-yet-taken connections, by request identifier, with the listening element
// that announced them.
class PendingConnections {
public:
    ~PendingConnections() {
        for (auto& [id, entry] : entries_) entry.socket->abort();
    }
    std::int64_t add(std::unique_ptr<QTcpSocket> socket, const void* listener) {
        const std::int64_t id = next_++;
        entries_.emplace(id, Entry{std::move(socket), listener});
        return id;
    }
    bool contains(std::int64_t id) const { return entries_.count(id) != 0; }
    std::unique_ptr<QTcpSocket> take(std::int64_t id) {
        const auto found = entries_.find(id);
        if (found == entries_.end()) return nullptr;
        auto socket = std::move(found->second.socket);
        entries_.erase(found);
        return socket;
    }
    // A listening element that closes takes its unaccepted requests with it.
    void dropFrom(const void* listener) {
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (it->second.listener == listener) {
                it->second.socket->abort();
                it = entries_.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    struct Entry {
        std::unique_ptr<QTcpSocket> socket;
        const void* listener;
    };
    std::map<std::int64_t, Entry> entries_;
    std::int64_t next_ = 1;
};

// --- QtSocket ---------------------------------------------------------------------------

QtSocket::QtSocket(std::shared_ptr<PendingConnections> pending)
    : pending_(std::move(pending)), life_(std::make_shared<SocketLife>()), receiver_(std::make_unique<QObject>()) {}

QtSocket::~QtSocket() {
    close();
    life_->alive = false;
    // Deleted from inside one of its own handlers: the receiver is still delivering that
    // event, so it goes once the event loop gets back.
    if (life_->dispatching > 0) receiver_.release()->deleteLater();
}

template <typename Handler, typename... Args>
void QtSocket::dispatch(const Handler& handler, Args&&... args) {
    if (!handler) return;
    const auto copy = handler;
    const auto life = life_;  // outlives this socket if the handler deletes it
    ++life->dispatching;
    try {
        copy(std::forward<Args>(args)...);
    } catch (const std::exception& error) {
        // Nothing may cross Qt's event loop; the game's handlers report their own failures.
        qWarning("Kestrin: a socket event handler failed: %s", error.what());
    } catch (...) {
        qWarning("Kestrin: a socket event handler failed");
    }
    --life->dispatching;
}

template <typename Body>
void QtSocket::post(Body body) {
    const std::weak_ptr<SocketLife> life = life_;
    const std::uint64_t generation = life_->generation;
    QMetaObject::invokeMethod(
        receiver_.get(),
        [life, generation, body] {
            const auto current = life.lock();
            if (current && current->alive && current->generation == generation) body();
        },
        Qt::QueuedConnection);
}

SocketState QtSocket::state() const {
    if (state_ == SocketState::Connecting && socket_ && socket_->state() == QAbstractSocket::HostLookupState)
        return SocketState::ResolvingHost;
    return state_;
}

int QtSocket::localPort() const {
    if (server_) return server_->serverPort();
    if (socket_ && socket_->localPort() != 0) return socket_->localPort();
    return localPort_;
}

std::string QtSocket::remoteHostIP() const { return remoteIp_; }

void QtSocket::wireSocket() {
    QTcpSocket* socket = socket_.get();
    QObject* receiver = receiver_.get();
    const std::weak_ptr<SocketLife> life = life_;
    const std::uint64_t generation = life_->generation;
    const auto current = [life, generation] {
        const auto alive = life.lock();
        return alive && alive->alive && alive->generation == generation;
    };

    QObject::connect(
        socket, &QTcpSocket::connected, receiver,
        [this, current] {
            if (!current() || state_ != SocketState::Connecting) return;
            state_ = SocketState::Connected;
            wasConnected_ = true;
            settleConnection();
            dispatch(onConnected);
        },
        Qt::QueuedConnection);
    // Arriving text is announced at once, not through the event queue: the Qt socket only
    // signals it from its read notifier, never from inside one of our calls, and the opponent's
    // score shows one pass of the event loop sooner.
    QObject::connect(
        socket, &QTcpSocket::readyRead, receiver,
        [this, current] {
            if (current()) arrive();
        },
        Qt::DirectConnection);
    // Reading resumes once what waited to be sent has mostly gone.
    QObject::connect(
        socket, &QTcpSocket::bytesWritten, receiver,
        [this, current] {
            if (!current() || !heldForUnsent_ || socket_->bytesToWrite() > kMostUnsent) return;
            heldForUnsent_ = false;
            post([this] { arrive(); });
        },
        Qt::QueuedConnection);
    QObject::connect(
        socket, &QTcpSocket::disconnected, receiver,
        [this, current] {
            if (!current() || !wasConnected_ || state_ == SocketState::Closing) return;
            state_ = SocketState::Closing;
            dispatch(onPeerClosed);
        },
        Qt::QueuedConnection);
    QObject::connect(
        socket, &QTcpSocket::errorOccurred, receiver,
        [this, current](QAbstractSocket::SocketError error) {
            if (!current()) return;
            // The peer closing an established connection is reported as peer closed when the
            // Qt socket reports the disconnection; a peer that vanished, at once. No error box.
            if (wasConnected_ && error == QAbstractSocket::RemoteHostClosedError) return;
            if (wasConnected_ && peerVanished(error)) {
                if (state_ != SocketState::Connected) return;
                state_ = SocketState::Closing;
                dispatch(onPeerClosed);
                return;
            }
            state_ = SocketState::Error;
            dispatch(onError, errorNumber(error), socket_->errorString().toStdString());
        },
        Qt::QueuedConnection);
}

void QtSocket::takeConnection(std::unique_ptr<QTcpSocket> socket) {
    socket_ = std::move(socket);
    decoder_ = std::make_unique<QStringDecoder>(kWireEncoding);
    settleConnection();
    state_ = SocketState::Connected;
    wasConnected_ = true;
    wireSocket();
    // What happened while the connection waited to be taken raised no event here yet.
    if (socket_->bytesAvailable() > 0) post([this] { arrive(); });
    if (socket_->state() != QAbstractSocket::ConnectedState)
        post([this] {
            if (state_ != SocketState::Connected) return;
            state_ = SocketState::Closing;
            dispatch(onPeerClosed);
        });
}

void QtSocket::settleConnection() {
    remoteIp_ = dotted(socket_->peerAddress());
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    probeForVanishedPeer(socket_->socketDescriptor());
}

void QtSocket::arrive() {
    // An earlier arrival may already have taken the text; while too much waits to be sent,
    // the text waits (bytesWritten brings it back).
    if (!socket_ || socket_->bytesAvailable() == 0) return;
    if (socket_->bytesToWrite() > kMostUnsent) {
        heldForUnsent_ = true;
        return;
    }
    const auto life = life_;  // outlives this socket if the handler deletes it
    const std::uint64_t generation = life->generation;
    const std::uint64_t takenBefore = taken_;
    ++life->arriving;
    dispatch(onDataArrival);
    --life->arriving;
    if (!life->alive || life->generation != generation || !socket_) return;
    // Qt announces no further text while a handler is still inside an arrival (a message
    // box's nested event loop), and one receive takes at most kLongestReceive bytes: what is
    // left gets an arrival of its own, as long as the handler takes what it is given.
    if (socket_->bytesAvailable() > 0 && taken_ != takenBefore) post([this] { arrive(); });
}

void QtSocket::takePendingConnections() {
    std::vector<std::int64_t> ids;
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        if (!socket) break;
        socket->setParent(nullptr);
        socket->setReadBufferSize(kReadBufferBytes);
        ids.push_back(pending_->add(std::unique_ptr<QTcpSocket>(socket), this));
    }
    const std::weak_ptr<SocketLife> life = life_;
    const std::uint64_t generation = life_->generation;
    for (const std::int64_t id : ids) {
        // A handler may have closed or deleted this element, or taken the request already.
        const auto alive = life.lock();
        if (!alive || !alive->alive || alive->generation != generation) return;
        if (pending_->contains(id)) dispatch(onConnectionRequest, id);
    }
}

void QtSocket::connect() {
    if (state_ != SocketState::Closed) throw Failure(kInvalidOperation, "Invalid operation at current state");
    const QString host = toQString(remoteHost_).trimmed();
    if (host.isEmpty()) throw Failure(kHostNotFound, "Host not found: no host name was given");
    if (remotePort_ < 1 || remotePort_ > 65535)
        throw Failure(kInvalidArgument, "Invalid argument: remote port " + std::to_string(remotePort_));

    socket_ = std::make_unique<QTcpSocket>();
    socket_->setReadBufferSize(kReadBufferBytes);
    decoder_ = std::make_unique<QStringDecoder>(kWireEncoding);
    wasConnected_ = false;
    remoteIp_.clear();
    state_ = SocketState::Connecting;
    wireSocket();
    socket_->connectToHost(host, static_cast<quint16>(remotePort_));
}

void QtSocket::listen() {
    if (state_ != SocketState::Closed) throw Failure(kInvalidOperation, "Invalid operation at current state");
    if (localPort_ < 0 || localPort_ > 65535)
        throw Failure(kInvalidArgument, "Invalid argument: local port " + std::to_string(localPort_));

    // One socket takes joiners over IPv4 and IPv6 (an IPv4 joiner arrives as a mapped
    // address); a machine without IPv6 listens on IPv4 alone.
    const auto port = static_cast<quint16>(localPort_);
    auto server = std::make_unique<QTcpServer>();
    if (!server->listen(QHostAddress::Any, port) && withoutIpv6(server->serverError())) {
        server = std::make_unique<QTcpServer>();
        server->listen(QHostAddress::AnyIPv4, port);
    }
    if (!server->isListening()) {
        const std::string reason = server->errorString().toStdString();
        // A port below the system's unprivileged range (the game's port 600 for an ordinary user).
        if (server->serverError() == QAbstractSocket::SocketAccessError) throw Failure(kPortProtected, reason);
        throw Failure(kNotListening, reason);
    }

    server_ = std::move(server);
    state_ = SocketState::Listening;
    const std::weak_ptr<SocketLife> life = life_;
    const std::uint64_t generation = life_->generation;
    QObject::connect(
        server_.get(), &QTcpServer::newConnection, receiver_.get(),
        [this, life, generation] {
            const auto alive = life.lock();
            if (alive && alive->alive && alive->generation == generation) takePendingConnections();
        },
        Qt::QueuedConnection);
}

void QtSocket::accept(std::int64_t requestId) {
    auto socket = pending_->take(requestId);
    if (!socket)
        throw Failure(kInvalidArgument,
                      "Invalid argument: connection request " + std::to_string(requestId) + " is not pending");
    // Taking a connection replaces whatever this element had.
    if (state_ != SocketState::Closed) close();
    takeConnection(std::move(socket));
}

void QtSocket::sendData(const std::string& text) {
    if (state_ != SocketState::Connected || !socket_)
        throw Failure(kWrongState, "Wrong protocol or connection state for the requested transaction or request");
    QStringEncoder encode(kWireEncoding);
    const QByteArray bytes = encode(toQString(text));
    if (socket_->write(bytes) != bytes.size())
        throw Failure(errorNumber(socket_->error()), socket_->errorString().toStdString());
    socket_->flush();
}

std::string QtSocket::getData() {
    if (!socket_ || !decoder_) return {};
    // The decoder keeps the start of a character split between two receives until the rest
    // arrives; bytes that are no text become U+FFFD.
    const QByteArray bytes = socket_->read(kLongestReceive);
    taken_ += static_cast<std::uint64_t>(bytes.size());
    const QString text = decoder_->decode(bytes);
    return text.toStdString();
}

void QtSocket::close() {
    ++life_->generation;
    if (server_) {
        QObject::disconnect(server_.get(), nullptr, receiver_.get(), nullptr);
        server_->close();
        server_.reset();
    }
    pending_->dropFrom(this);
    if (socket_) {
        QObject::disconnect(socket_.get(), nullptr, receiver_.get(), nullptr);
        socket_->abort();
        // Closed from inside an arrival that the Qt socket is still announcing: it goes once
        // the event loop gets back.
        if (life_->arriving > 0)
            socket_.release()->deleteLater();
        else
            socket_.reset();
    }
    if (receiver_) QCoreApplication::removePostedEvents(receiver_.get(), QEvent::MetaCall);
    decoder_.reset();
    state_ = SocketState::Closed;
    wasConnected_ = false;
    heldForUnsent_ = false;
    remoteIp_.clear();
}

// --- QtSocketFactory ----------------------------------------------------------------------

QtSocketFactory::QtSocketFactory() : pending_(std::make_shared<PendingConnections>()) {}
QtSocketFactory::~QtSocketFactory() = default;

std::unique_ptr<Socket> QtSocketFactory::create() { return std::make_unique<QtSocket>(pending_); }

}  // namespace kestrin
