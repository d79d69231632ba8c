// The UDP seam on Qt: QUdpSocket on IPv4, and the machine's interfaces from
// QNetworkInterface.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/datagrams.h"

class QUdpSocket;

namespace kestrin {

class QtDatagramSocket final : public DatagramSocket {
public:
    QtDatagramSocket();
    ~QtDatagramSocket() override;
    void bind(int port, bool shared) override;
    int localPort() const override;
    bool send(const std::string& address, int port, const std::string& text) override;

private:
    void readPending();
    std::unique_ptr<QUdpSocket> socket_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class QtDatagramNetwork final : public DatagramNetwork {
public:
    // Loopback only: queries go to 127.255.255.255 alone, so nothing leaves the machine (what
    // the tests and the scripts that start copies use).
    explicit QtDatagramNetwork(bool loopbackOnly) : loopbackOnly_(loopbackOnly) {}
    std::unique_ptr<DatagramSocket> create() override;
    std::vector<std::string> broadcastAddresses() override;
    std::vector<std::string> ownAddresses() override;

private:
    bool loopbackOnly_;
};

}  // namespace kestrin
