// An in-memory TCP network for tests: two copies of the game in one process talk through
// it as through real sockets, and the test decides when events arrive.
//
// Each factory made by factoryFor(address) stands for one machine; its sockets have that
// address. "localhost" and "127.0.0.1" resolve to the connecting machine itself.
//
// Nothing reaches a handler until deliver() runs: connection requests, connections made,
// arrivals, peer closes and errors wait in one queue, in the order they were caused.
//
// Behaviour, as the real sockets:
// - listen() on a port another socket of the same machine listens on throws Failure 10048
//   "The bound address is already in use" (Qt's words for it); on a port marked with
//   protectPort() (one that needs a privilege, as port 600 for an ordinary user) it throws
//   10013 "The address is protected". Listening on port 0 takes a free port from 49152 up.
// - connect() to a machine and port where something listens queues onConnectionRequest on
//   the listening socket; accept(id) on any socket of that machine connects both ends at
//   once (state 7 both) and queues onConnected for the connecting socket. Connecting where
//   nothing listens, or a request dropped because its listener closed, queues
//   onError(10061, "Connection refused"); an unknown host name queues
//   onError(11001, "Host not found"). The socket stays connecting (6) until that error is
//   delivered and is in the error state (9) from then on.
// - sendData() puts the text in the peer's input at once and queues one arrival; getData()
//   returns all text queued so far, so two sends before the peer reads come out joined. An
//   arrival finding no text left is skipped.
// - close() returns the socket to state 0 at once and drops every event still queued for
//   it; the peer then gets onPeerClosed and is in the closing state (8) until it closes.
//   Deleting a socket closes it.
#pragma once

#include "platform/sockets.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kestrin::testing {

class MemoryNetwork {
public:
    // What crossed the wire: the sending and receiving machine, and the text.
    struct Sent {
        std::string from;
        std::string to;
        std::string text;
    };

    MemoryNetwork();
    ~MemoryNetwork();
    MemoryNetwork(const MemoryNetwork&) = delete;
    MemoryNetwork& operator=(const MemoryNetwork&) = delete;

    std::unique_ptr<SocketFactory> factoryFor(std::string hostAddress);

    void protectPort(const std::string& hostAddress, int port);

    // Delivers every queued event, also those caused while delivering, and returns how many
    // reached a socket. At most kDeliveryLimit per call, so a ping-pong cannot run forever.
    std::size_t deliver();
    static constexpr std::size_t kDeliveryLimit = 10000;
    std::size_t pendingEvents() const;

    // Every text sent, oldest first.
    std::vector<std::string> sentLog() const;
    const std::vector<Sent>& sent() const;
    void clearSentLog();

    struct Core;

private:
    std::shared_ptr<Core> core_;
};

}  // namespace kestrin::testing
