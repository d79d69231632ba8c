// An in-memory UDP network for finding games nearby: machines a.b.c.d on one LAN (broadcast
// a.b.c.255), each with loopback. A broadcast to 127.255.255.255 reaches every socket on its
// port on the sending machine, one to a.b.c.255 every such socket on every machine; a datagram
// to an address reaches only the socket bound last to that port there, as on Linux with a
// shared port. Datagrams wait until deliver().
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/datagrams.h"
#include "platform/failure.h"

namespace kestrin::testing {

class MemoryDatagrams {
    struct Bound {
        DatagramSocket* socket;
        std::string machine;
        int port;
        bool shared;
        std::shared_ptr<bool> alive;
    };
    std::vector<Bound> bound_;
    std::deque<std::function<void()>> queue_;
    int nextPort_ = 40000;

    class Socket final : public DatagramSocket {
    public:
        Socket(MemoryDatagrams& net, std::string machine) : net_(net), machine_(std::move(machine)) {}
        ~Socket() override {
            *alive_ = false;
            std::erase_if(net_.bound_, [this](const Bound& b) { return b.socket == this; });
        }
        void bind(int port, bool shared) override {
            if (port == 0) port = net_.nextPort_++;
            for (const Bound& b : net_.bound_)
                if (b.machine == machine_ && b.port == port && !(shared && b.shared))
                    throw Failure(failures::kNotListening, "The bound address is already in use");
            port_ = port;
            net_.bound_.push_back({this, machine_, port, shared, alive_});
        }
        int localPort() const override { return port_; }
        bool send(const std::string& address, int port, const std::string& text) override {
            const bool loopback = address.starts_with("127.");
            const bool broadcast = address.ends_with(".255");
            const std::string from = loopback ? "127.0.0.1" : machine_;
            std::vector<Bound> to;
            for (const Bound& b : net_.bound_)
                if (b.port == port && ((broadcast && !loopback) || b.machine == (loopback ? machine_ : address)))
                    to.push_back(b);
            if (!broadcast && to.size() > 1) to.erase(to.begin(), to.end() - 1);
            for (const Bound& b : to)
                net_.queue_.push_back([b, from, source = port_, text] {
                    if (*b.alive && b.socket->onDatagram) b.socket->onDatagram(from, source, text);
                });
            return true;
        }

    private:
        MemoryDatagrams& net_;
        std::string machine_;
        std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
        int port_ = 0;
    };

    class Machine final : public DatagramNetwork {
    public:
        Machine(MemoryDatagrams& net, std::string address) : net_(net), address_(std::move(address)) {}
        std::unique_ptr<DatagramSocket> create() override { return std::make_unique<Socket>(net_, address_); }
        std::vector<std::string> broadcastAddresses() override {
            return {"127.255.255.255", address_.substr(0, address_.rfind('.')) + ".255"};
        }
        std::vector<std::string> ownAddresses() override { return {"127.0.0.1", address_}; }

    private:
        MemoryDatagrams& net_;
        std::string address_;
    };

public:
    std::unique_ptr<DatagramNetwork> machine(const std::string& address) {
        return std::make_unique<Machine>(*this, address);
    }
    void deliver() {
        for (int i = 0; i < 10000 && !queue_.empty(); ++i) {
            auto next = std::move(queue_.front());
            queue_.pop_front();
            next();
        }
    }
};

}  // namespace kestrin::testing
