// An in-memory TCP network for tests: copies of the game in one process talk through it as
// through real sockets, and the test decides when events arrive.
//
// Each factory made by factoryFor(address) stands for one machine; its sockets have that
// address. "localhost" and "127.0.0.1" are the connecting machine itself; a dotted address no
// machine has is a machine where nothing listens; any other unknown name is not found.
//
// Nothing reaches a handler until deliver() runs: connection requests, connections made,
// arrivals, peer closes and errors wait in one queue, in the order they were caused. Beyond
// that the sockets keep the rules the Qt sockets keep (tests/qt/test_socket_contract.cpp):
// listening on a taken port fails with 10048, on a protected one with 10013, on port 0 it
// takes a free port; connecting where nothing listens ends in error 10061 "Connection
// refused", to an unknown name in 11001 "Host not found"; text sent before the peer reads
// comes out joined; close() is at once, drops every event still queued for the socket and
// tells the peer, which is closing (8) until it closes too. Deleting a socket closes it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/sockets.h"

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
    // Listening on the port needs a privilege (as port 600 for an ordinary user).
    void protectPort(const std::string& hostAddress, int port);
    // Delivers every queued event, also those caused while delivering, and returns how many
    // reached a socket. At most kDeliveryLimit per call, so a ping-pong cannot run forever.
    std::size_t deliver();
    static constexpr std::size_t kDeliveryLimit = 10000;
    std::size_t pendingEvents() const;
    // Every send of the machine fails from now on, as on a connection that breaks at that moment.
    void failSends(const std::string& hostAddress);

    // Every text sent, oldest first.
    std::vector<std::string> sentLog() const;
    const std::vector<Sent>& sent() const;
    void clearSentLog();
    struct Core;

private:
    std::shared_ptr<Core> core_;
};

}  // namespace kestrin::testing
