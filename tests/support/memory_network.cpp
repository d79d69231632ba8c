#include "tests/support/memory_network.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <utility>

#include "platform/failure.h"

namespace kestrin::testing {

namespace {

using namespace failures;

class MemorySocket;
enum class EventKind { ConnectionRequest, Connected, DataArrival, PeerClosed, Error };

struct Event {
    int socket;                // which socket it is for,
    std::uint64_t generation;  // and which of its connections: stale events are dropped
    EventKind kind;
    std::int64_t requestId = 0;
    int number = 0;
    std::string description;
};

}  // namespace

struct MemoryNetwork::Core {
    struct Request {
        int client;
        std::uint64_t clientGeneration;
        int listener;
    };
    std::map<int, MemorySocket*> sockets;
    std::map<std::pair<std::string, int>, int> listeners;  // (host, port) -> socket
    std::set<std::pair<std::string, int>> protectedPorts;
    std::set<std::string> hosts;
    std::map<std::int64_t, Request> requests;
    std::deque<Event> queue;
    std::vector<Sent> sent;
    int nextSocket = 1;
    std::int64_t nextRequest = 1;
    int nextPort = 49152;  // where the free ports begin
    std::set<std::string> failingSenders;
    MemorySocket* find(int id) const {
        const auto found = sockets.find(id);
        return found == sockets.end() ? nullptr : found->second;
    }
};

namespace {

class MemorySocket final : public Socket {
public:
    MemorySocket(std::shared_ptr<MemoryNetwork::Core> core, std::string host)
        : core_(std::move(core)), host_(std::move(host)), id_(core_->nextSocket++) {
        core_->sockets[id_] = this;
    }
    ~MemorySocket() override {
        close();
        core_->sockets.erase(id_);
    }
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
            queue(id_, EventKind::Error, 0, kHostNotFound, "Host not found");
        } else if (listener == core_->listeners.end()) {
            queue(id_, EventKind::Error, 0, kConnectionRefused, "Connection refused");
        } else {
            const std::int64_t request = core_->nextRequest++;
            core_->requests[request] = {id_, generation_, listener->second};
            queue(listener->second, EventKind::ConnectionRequest, request);
        }
    }
    void listen() override {
        if (state_ != SocketState::Closed) throw Failure(kInvalidOperation, "Invalid operation at current state");
        const int port = localPort_ == 0 ? core_->nextPort++ : localPort_;
        if (core_->protectedPorts.count({host_, port})) throw Failure(kPortProtected, "The address is protected");
        if (core_->listeners.count({host_, port})) throw Failure(kNotListening, "The bound address is already in use");
        core_->listeners[{host_, port}] = id_;
        localPort_ = port;
        state_ = SocketState::Listening;
    }
    void accept(std::int64_t requestId) override {
        const auto request = core_->requests.at(requestId);
        core_->requests.erase(requestId);
        const int port = core_->find(request.listener)->localPort_;
        close();
        state_ = SocketState::Connected;
        localPort_ = port;
        MemorySocket* client = core_->find(request.client);
        if (!client || client->generation_ != request.clientGeneration || client->state_ != SocketState::Connecting) {
            queue(id_, EventKind::PeerClosed);  // the caller gave up before the request was taken
            return;
        }
        client->state_ = SocketState::Connected;
        client->localPort_ = core_->nextPort++;
        client->peer_ = {id_, generation_};
        client->remoteIp_ = host_;
        peer_ = {client->id_, client->generation_};
        remoteIp_ = client->host_;
        queue(client->id_, EventKind::Connected);
    }
    void sendData(const std::string& text) override {
        if (state_ != SocketState::Connected)
            throw Failure(kWrongState, "Wrong protocol or connection state for the requested transaction or request");
        if (core_->failingSenders.count(host_)) throw Failure(10053, "Software caused connection abort");
        core_->sent.push_back({host_, remoteIp_, text});
        if (MemorySocket* peer = connectedPeer()) {
            peer->input_ += text;
            queue(peer->id_, EventKind::DataArrival);
        }
    }
    std::string getData() override { return std::exchange(input_, std::string()); }
    void close() override {
        if (MemorySocket* peer = connectedPeer()) queue(peer->id_, EventKind::PeerClosed);
        if (state_ == SocketState::Listening) {
            core_->listeners.erase({host_, localPort_});
            // Requests not yet taken go with the listener; their callers are refused.
            std::erase_if(core_->requests, [&](const auto& entry) {
                const auto& r = entry.second;
                if (r.listener == id_)
                    core_->queue.push_back(
                        {r.client, r.clientGeneration, EventKind::Error, 0, kConnectionRefused, "Connection refused"});
                return r.listener == id_;
            });
        }
        ++generation_;
        state_ = SocketState::Closed;
        peer_ = {};
        input_.clear();
        remoteIp_.clear();
    }
    // Runs one queued event for this socket; false when it had nothing to do.
    bool handle(const Event& event) {
        switch (event.kind) {
        case EventKind::ConnectionRequest:
            if (state_ != SocketState::Listening || !core_->requests.count(event.requestId)) return false;
            return call(onConnectionRequest, event.requestId);
        case EventKind::Connected: return call(onConnected);
        case EventKind::DataArrival: return !input_.empty() && call(onDataArrival);
        case EventKind::PeerClosed:
            if (state_ != SocketState::Connected && state_ != SocketState::Error) return false;
            state_ = SocketState::Closing;
            return call(onPeerClosed);
        case EventKind::Error: state_ = SocketState::Error; return call(onError, event.number, event.description);
        }
        return false;
    }
    std::uint64_t generation() const { return generation_; }

private:
    void queue(int socket, EventKind kind, std::int64_t request = 0, int number = 0, std::string description = {}) {
        const MemorySocket* target = core_->find(socket);
        core_->queue.push_back({socket, target->generation_, kind, request, number, std::move(description)});
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
    MemorySocket* connectedPeer() const {
        MemorySocket* peer = core_->find(peer_.first);
        return peer && peer->generation_ == peer_.second ? peer : nullptr;
    }
    std::shared_ptr<MemoryNetwork::Core> core_;
    std::string host_;
    int id_;
    std::uint64_t generation_ = 0;
    SocketState state_ = SocketState::Closed;
    std::string remoteHost_;
    int remotePort_ = 0;
    int localPort_ = 0;
    std::string remoteIp_;
    std::pair<int, std::uint64_t> peer_;  // the connected socket and its connection; socket 0: none
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
        const Event event = std::move(core->queue.front());
        core->queue.pop_front();
        MemorySocket* socket = core->find(event.socket);
        if (socket && socket->generation() == event.generation && socket->handle(event)) ++delivered;
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
