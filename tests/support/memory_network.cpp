#include "tests/support/memory_network.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "platform/failure.h"

namespace kestrin::testing {

namespace {

using namespace failures;

class MemorySocket;
using Life = std::weak_ptr<int>;      // one connection of a socket: gone once it closes or dies
using Event = std::function<bool()>;  // true when it reached a socket's handler

}  // namespace

struct MemoryNetwork::Core {
    struct Request {
        MemorySocket* client;
        Life clientLife;
        MemorySocket* listener;
    };
    std::map<std::pair<std::string, int>, MemorySocket*> listeners;  // (host, port)
    std::set<std::pair<std::string, int>> protectedPorts;
    std::set<std::string> hosts, failingSenders;
    std::map<std::int64_t, Request> requests;
    std::deque<std::pair<Life, Event>> queue;  // an event of a connection that ended is dropped
    std::vector<Sent> sent;
    std::int64_t nextRequest = 1;
    int nextPort = 49152;  // where the free ports begin
};

namespace {

class MemorySocket final : public Socket {
public:
    MemorySocket(std::shared_ptr<MemoryNetwork::Core> core, std::string host)
        : core_(std::move(core)), host_(std::move(host)) {}
    ~MemorySocket() override { close(); }
    SocketState state() const override { return state_; }
    void setRemoteHost(const std::string& host) override { remoteHost_ = host; }
    void setRemotePort(int port) override { remotePort_ = port; }
    void setLocalPort(int port) override { localPort_ = port; }
    int localPort() const override { return localPort_; }
    std::string remoteHostIP() const override { return remoteIp_; }
    void connect() override {
        if (state_ != SocketState::Closed) throw Failure(kInvalidOperation, "Invalid operation at current state");
        if (remoteHost_.empty()) throw Failure(kHostNotFound, "Host not found: no host name was given");
        state_ = SocketState::Connecting;
        const std::string address = resolve(remoteHost_);
        const auto listener = core_->listeners.find({address, remotePort_});
        if (address.empty()) {
            queue(failure(this, kHostNotFound, "Host not found"));
        } else if (listener == core_->listeners.end()) {
            queue(failure(this, kConnectionRefused, "Connection refused"));
        } else {
            const std::int64_t request = core_->nextRequest++;
            MemorySocket* host = listener->second;
            core_->requests[request] = {this, life_, host};
            host->queue([host, request] { return call(host->onConnectionRequest, request); });
        }
    }
    void listen() override {
        if (state_ != SocketState::Closed) throw Failure(kInvalidOperation, "Invalid operation at current state");
        const int port = localPort_ == 0 ? core_->nextPort++ : localPort_;
        if (core_->protectedPorts.count({host_, port})) throw Failure(kPortProtected, "The address is protected");
        if (core_->listeners.count({host_, port})) throw Failure(kNotListening, "The bound address is already in use");
        core_->listeners[{host_, port}] = this;
        localPort_ = port;
        state_ = SocketState::Listening;
    }
    void accept(std::int64_t requestId) override {
        const auto request = core_->requests.at(requestId);
        core_->requests.erase(requestId);
        const int port = request.listener->localPort_;
        close();
        state_ = SocketState::Connected;
        localPort_ = port;
        MemorySocket* client = request.client;
        if (request.clientLife.expired() || client->state_ != SocketState::Connecting) {
            queue(peerClosed());  // the caller gave up before the request was taken
            return;
        }
        client->state_ = SocketState::Connected;
        client->localPort_ = core_->nextPort++;
        client->remoteIp_ = host_;
        client->peer_ = this;
        client->peerLife_ = life_;
        peer_ = client;
        peerLife_ = client->life_;
        remoteIp_ = client->host_;
        client->queue([client] { return call(client->onConnected); });
    }
    void sendData(const std::string& text) override {
        if (state_ != SocketState::Connected)
            throw Failure(kWrongState, "Wrong protocol or connection state for the requested transaction or request");
        if (core_->failingSenders.count(host_)) throw Failure(10053, "Software caused connection abort");
        core_->sent.push_back({host_, remoteIp_, text});
        if (MemorySocket* peer = connectedPeer()) {
            peer->input_ += text;
            peer->queue([peer] { return !peer->input_.empty() && call(peer->onDataArrival); });
        }
    }
    std::string getData() override { return std::exchange(input_, std::string()); }
    void close() override {
        if (MemorySocket* peer = connectedPeer()) peer->queue(peer->peerClosed());
        if (state_ == SocketState::Listening) {
            core_->listeners.erase({host_, localPort_});
            // Requests not yet taken go with the listener; their callers are refused.
            std::erase_if(core_->requests, [&](const auto& entry) {
                const auto& r = entry.second;
                if (r.listener == this)
                    core_->queue.emplace_back(r.clientLife,
                                              failure(r.client, kConnectionRefused, "Connection refused"));
                return r.listener == this;
            });
        }
        life_ = std::make_shared<int>();
        state_ = SocketState::Closed;
        peer_ = nullptr;
        input_.clear();
        remoteIp_.clear();
    }

private:
    void queue(Event event) { core_->queue.emplace_back(life_, std::move(event)); }
    static Event failure(MemorySocket* socket, int number, const std::string& description) {
        return [=] {
            socket->state_ = SocketState::Error;
            return call(socket->onError, number, description);
        };
    }
    Event peerClosed() {
        return [this] {
            if (state_ != SocketState::Connected && state_ != SocketState::Error) return false;
            state_ = SocketState::Closing;
            return call(onPeerClosed);
        };
    }
    template <typename Handler, typename... Args>
    static bool call(const Handler& handler, Args&&... args) {
        const auto copy = handler;  // the handler may replace itself or delete the socket
        if (copy) copy(std::forward<Args>(args)...);
        return true;
    }
    std::string resolve(const std::string& host) const {
        if (host == "localhost" || host == "127.0.0.1") return host_;
        // A dotted address of a machine not on this network: nothing listens there.
        const bool dotted =
            std::all_of(host.begin(), host.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
        return core_->hosts.count(host) || dotted ? host : std::string();
    }
    MemorySocket* connectedPeer() const { return peerLife_.expired() ? nullptr : peer_; }
    std::shared_ptr<MemoryNetwork::Core> core_;
    std::string host_;
    std::shared_ptr<int> life_ = std::make_shared<int>();
    SocketState state_ = SocketState::Closed;
    std::string remoteHost_;
    int remotePort_ = 0;
    int localPort_ = 0;
    std::string remoteIp_;
    MemorySocket* peer_ = nullptr;  // the connected socket, while its connection lives
    Life peerLife_;
    std::string input_;
};

struct MemorySocketFactory final : SocketFactory {
    MemorySocketFactory(std::shared_ptr<MemoryNetwork::Core> network, std::string address)
        : core(std::move(network)), host(std::move(address)) {}
    std::unique_ptr<Socket> create() override { return std::make_unique<MemorySocket>(core, host); }
    std::shared_ptr<MemoryNetwork::Core> core;
    std::string host;
};

}  // namespace

MemoryNetwork::MemoryNetwork() : core_(std::make_shared<Core>()) {}
MemoryNetwork::~MemoryNetwork() = default;

std::unique_ptr<SocketFactory> MemoryNetwork::factoryFor(std::string hostAddress) {
    core_->hosts.insert(hostAddress);
    return std::make_unique<MemorySocketFactory>(core_, std::move(hostAddress));
}

void MemoryNetwork::protectPort(const std::string& hostAddress, int port) {
    core_->protectedPorts.insert({hostAddress, port});
}

std::size_t MemoryNetwork::deliver() {
    // The core is held here too: a handler may destroy the last socket or factory.
    const auto core = core_;
    std::size_t delivered = 0;
    while (!core->queue.empty() && delivered < kDeliveryLimit) {
        const auto [life, event] = std::move(core->queue.front());
        core->queue.pop_front();
        if (!life.expired() && event()) ++delivered;
    }
    return delivered;
}

void MemoryNetwork::failSends(const std::string& hostAddress) { core_->failingSenders.insert(hostAddress); }

std::size_t MemoryNetwork::pendingEvents() const { return core_->queue.size(); }

std::vector<std::string> MemoryNetwork::sentLog() const {
    std::vector<std::string> texts;
    for (const Sent& sent : core_->sent) texts.push_back(sent.text);
    return texts;
}

const std::vector<MemoryNetwork::Sent>& MemoryNetwork::sent() const { return core_->sent; }

void MemoryNetwork::clearSentLog() { core_->sent.clear(); }

}  // namespace kestrin::testing
