// The UDP seam of finding games nearby: datagram sockets, and what the machine's interfaces
// say about where a broadcast goes and which addresses are its own. IPv4 only.
//
// As with the stream sockets, every event arrives on the user-interface thread after the call
// that caused it has returned.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrin {

class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    // Binds to the port (0: one the system picks). A shared port may be bound by other
    // programs too, and each of them receives what is broadcast to it (a datagram sent to one
    // address reaches only one of them). Throws a Failure that names the system's reason.
    virtual void bind(int port, bool shared) = 0;
    virtual int localPort() const = 0;
    // Sends one datagram (broadcast addresses included); false when the system refused it. A
    // datagram may be lost on the way without a word: that is UDP.
    virtual bool send(const std::string& address, int port, const std::string& text) = 0;

    // A datagram arrived: its source address (dotted) and port, and its bytes read as UTF-8
    // (bytes that are no text become U+FFFD).
    std::function<void(const std::string& address, int port, const std::string& text)> onDatagram;
};

class DatagramNetwork {
public:
    virtual ~DatagramNetwork() = default;
    virtual std::unique_ptr<DatagramSocket> create() = 0;
    // Each distinct IPv4 broadcast address of the interfaces that are up (loopback's
    // counts as 127.255.255.255, so that two copies on one machine find each other).
    virtual std::vector<std::string> broadcastAddresses() = 0;
    // This machine's own IPv4 addresses, loopback's included.
    virtual std::vector<std::string> ownAddresses() = 0;
};

}  // namespace kestrin
