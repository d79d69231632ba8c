// The TCP socket seam: one socket object stands for the outgoing socket or one element of
// the listening socket array. States keep the numbers the game's link has always used.
//
// All events arrive on the user-interface thread, after the call that caused them has
// returned (never from inside connect(), listen(), sendData() or close()).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kestrin {

// Any state but Closed counts as open; only Connected carries messages.
enum class SocketState {
    Closed = 0,
    Listening = 2,
    ResolvingHost = 4,
    Connecting = 6,
    Connected = 7,
    Closing = 8,  // the peer closed; until close()
    Error = 9,
};

class Socket {
public:
    virtual ~Socket() = default;

    virtual SocketState state() const = 0;
    virtual void setRemoteHost(const std::string& host) = 0;
    virtual void setRemotePort(int port) = 0;
    virtual void setLocalPort(int port) = 0;
    virtual int localPort() const = 0;
    // The peer's address in dotted form, on a connected socket; empty otherwise.
    virtual std::string remoteHostIP() const = 0;

    // Starts connecting to remoteHost:remotePort. A connect that is refused at once (an
    // empty host, a socket that is not closed) throws a Failure; later failures arrive as
    // onError.
    virtual void connect() = 0;
    // Starts listening on localPort. Throws a Failure that names the system's reason
    // ("The address is protected", "The bound address is already in use") when it cannot.
    virtual void listen() = 0;
    // Takes the pending connection requestId (announced by onConnectionRequest on the
    // listening element) onto this socket, which becomes connected.
    virtual void accept(std::int64_t requestId) = 0;
    // Sends the text (UTF-8 inside the program, the system's 8-bit code page on the wire)
    // in one piece; returns at once. Sending on a socket that is not connected throws.
    virtual void sendData(const std::string& text) = 0;
    // All text received and not yet taken.
    virtual std::string getData() = 0;
    // Closes the socket at once: afterwards state() is closed.
    virtual void close() = 0;

    std::function<void(std::int64_t requestId)> onConnectionRequest;
    std::function<void()> onConnected;
    std::function<void()> onDataArrival;
    std::function<void()> onPeerClosed;
    std::function<void(int number, const std::string& description)> onError;
};

// Makes sockets: the outgoing socket and each element of the listening array.
class SocketFactory {
public:
    virtual ~SocketFactory() = default;
    virtual std::unique_ptr<Socket> create() = 0;
};

}  // namespace kestrin
