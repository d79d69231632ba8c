// An in-memory TCP network: copies of the game in one process talk through it as through real sockets. Each factory is
// one machine; "localhost" and "127.0.0.1" are the caller's own, a dotted address no machine has is one where nothing
// listens, another unknown name is not found. Events wait in one queue, in the order they were caused, until deliver()
// runs; otherwise the sockets keep the rules test_socket_contract.cpp checks on the Qt sockets.
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
        std::string from, to, text;
    };
    MemoryNetwork();
    ~MemoryNetwork();
    MemoryNetwork(const MemoryNetwork&) = delete;
    MemoryNetwork& operator=(const MemoryNetwork&) = delete;
    std::unique_ptr<SocketFactory> factoryFor(std::string hostAddress);
    // Listening on the port needs a privilege (as port 600 for an ordinary user).
    void protectPort(const std::string& hostAddress, int port);
    // Every send of the machine fails from now on, as on a connection that breaks then.
    void failSends(const std::string& hostAddress);
    // Delivers queued events, also those caused meanwhile, at most kDeliveryLimit (so that a
    // ping-pong ends), and returns how many reached a socket.
    std::size_t deliver();
    static constexpr std::size_t kDeliveryLimit = 10000;
    std::size_t pendingEvents() const;
    const std::vector<Sent>& sent() const;  // oldest first
    std::vector<std::string> sentLog() const;
    void clearSentLog();
    struct Core;

private:
    std::shared_ptr<Core> core_;
};

}  // namespace kestrin::testing
