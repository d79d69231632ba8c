#include "tests/support/memory_network.h"

#include "platform/failure.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <utility>

namespace kestrin::testing {

namespace {

using namespace failures;
constexpr int kFirstEphemeralPort = 49152;

class MemorySocket;

enum class EventKind { ConnectionRequest, Connected, DataArrival, PeerClosed, Error };

struct Event {
    int socket;                // which socket it is for
    std::uint64_t generation;  // and which of its connections; stale events are dropped
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
        std::uint64_t listenerGeneration;
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
    int nextPort = kFirstEphemeralPort;

    int freePort(const std::string& host) {
        for (;;) {
            const int port = nextPort++;
            if (nextPort > 65535) nextPort = kFirstEphemeralPort;
            if (!listeners.count({host, port}) && !protectedPorts.count({host, port})) return port;
        }
    }
    MemorySocket* find(int id) const {
        const auto found = sockets.find(id);
        return found == sockets.end() ? nullptr : found->second;
    }
    void refuse(int client, std::uint64_t generation) {
        queue.push_back({client, generation, EventKind::Error, 0, kConnectionRefused, "Connection refused"});
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
        if (remotePort_ < 1 || remotePort_ > 65535)
            throw Failure(kInvalidArgument, "Invalid argument: remote port " + std::to_string(remotePort_));

        state_ = SocketState::Connecting;
        const std::string address = resolve(remoteHost_);
        if (address.empty()) {
            core_->queue.push_back({id_, generation_, EventKind::Error, 0, kHostNotFound, "Host not found"});
            return;
        }
        const auto listener = core_->listeners.find({address, remotePort_});
        if (listener == core_->listeners.end()) {
            core_->refuse(id_, generation_);
            return;
        }
        MemorySocket* server = core_->find(listener->second);
        const std::int64_t request = core_->nextRequest++;
        core_->requests[request] = {id_, generation_, server->id_, server->generation_};
        core_->queue.push_back({server->id_, server->generation_, EventKind::ConnectionRequest, request, 0, {}});
    }

    void listen() override {
        if (state_ != SocketState::Closed) throw Failure(kInvalidOperation, "Invalid operation at current state");
        if (localPort_ < 0 || localPort_ > 65535)
            throw Failure(kInvalidArgument, "Invalid argument: local port " + std::to_string(localPort_));
        const int port = localPort_ == 0 ? core_->freePort(host_) : localPort_;
        if (core_->protectedPorts.count({host_, port})) throw Failure(kPortProtected, "The address is protected");
        if (core_->listeners.count({host_, port})) throw Failure(kNotListening, "The bound address is already in use");
        core_->listeners[{host_, port}] = id_;
        localPort_ = port;
        state_ = SocketState::Listening;
    }

    void accept(std::int64_t requestId) override {
        const auto found = core_->requests.find(requestId);
        if (found == core_->requests.end())
            throw Failure(kInvalidArgument,
                          "Invalid argument: connection request " + std::to_string(requestId) + " is not pending");
        const auto request = found->second;
        core_->requests.erase(found);
        int port = localPort_;
        if (const MemorySocket* server = core_->find(request.listener)) port = server->localPort_;
        if (state_ != SocketState::Closed) close();

        state_ = SocketState::Connected;
        localPort_ = port;
        MemorySocket* client = core_->find(request.client);
        if (!client || client->generation_ != request.clientGeneration || client->state_ != SocketState::Connecting) {
            // The caller gave up before the request was taken: the connection closes at once.
            core_->queue.push_back({id_, generation_, EventKind::PeerClosed, 0, 0, {}});
            return;
        }
        client->state_ = SocketState::Connected;
        client->localPort_ = core_->freePort(client->host_);
        client->peer_ = id_;
        client->peerGeneration_ = generation_;
        client->remoteIp_ = host_;
        peer_ = client->id_;
        peerGeneration_ = client->generation_;
        remoteIp_ = client->host_;
        core_->queue.push_back({client->id_, client->generation_, EventKind::Connected, 0, 0, {}});
    }

    void sendData(const std::string& text) override {
        if (state_ != SocketState::Connected)
            throw Failure(kWrongState, "Wrong protocol or connection state for the requested transaction or request");
        core_->sent.push_back({host_, remoteIp_, text});
        MemorySocket* peer = connectedPeer();
        if (!peer) return;  // the peer is gone; its close is on the way
        peer->input_ += text;
        core_->queue.push_back({peer->id_, peer->generation_, EventKind::DataArrival, 0, 0, {}});
    }

    std::string getData() override { return std::exchange(input_, std::string()); }

    void close() override {
        if (MemorySocket* peer = connectedPeer())
            core_->queue.push_back({peer->id_, peer->generation_, EventKind::PeerClosed, 0, 0, {}});
        if (state_ == SocketState::Listening) {
            core_->listeners.erase({host_, localPort_});
            // Requests not yet taken go with the listener; their callers are refused.
            for (auto it = core_->requests.begin(); it != core_->requests.end();) {
                if (it->second.listener == id_) {
                    core_->refuse(it->second.client, it->second.clientGeneration);
                    it = core_->requests.erase(it);
                } else {
                    ++it;
                }
            }
        }
        ++generation_;
        state_ = SocketState::Closed;
        peer_ = 0;
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
        case EventKind::DataArrival:
            if (input_.empty()) return false;
            return call(onDataArrival);
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
    template <typename Handler, typename... Args>
    static bool call(const Handler& handler, Args&&... args) {
        if (!handler) return true;
        const auto copy = handler;  // the handler may replace itself or delete the socket
        copy(std::forward<Args>(args)...);
        return true;
    }

    std::string resolve(const std::string& host) const {
        if (host == "localhost" || host == "127.0.0.1") return host_;
        if (core_->hosts.count(host)) return host;
        // A dotted address of a machine not on this network: nothing listens there.
        const bool dotted = !host.empty() && std::all_of(host.begin(), host.end(),
                                                         [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
        return dotted ? host : std::string();
    }

    MemorySocket* connectedPeer() const {
        if (peer_ == 0) return nullptr;
        MemorySocket* peer = core_->find(peer_);
        if (!peer || peer->generation_ != peerGeneration_) return nullptr;
        return peer;
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
    int peer_ = 0;
    std::uint64_t peerGeneration_ = 0;
    std::string input_;
};

class MemorySocketFactory final : public SocketFactory {
public:
    MemorySocketFactory(std::shared_ptr<MemoryNetwork::Core> core, std::string host)
        : core_(std::move(core)), host_(std::move(host)) {}
    std::unique_ptr<Socket> create() override { return std::make_unique<MemorySocket>(core_, host_); }

private:
    std::shared_ptr<MemoryNetwork::Core> core_;
    std::string host_;
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
        if (!socket || socket->generation() != event.generation) continue;
        if (socket->handle(event)) ++delivered;
    }
    return delivered;
}

std::size_t MemoryNetwork::pendingEvents() const { return core_->queue.size(); }

std::vector<std::string> MemoryNetwork::sentLog() const {
    std::vector<std::string> texts;
    texts.reserve(core_->sent.size());
    for (const Sent& sent : core_->sent) texts.push_back(sent.text);
    return texts;
}

const std::vector<MemoryNetwork::Sent>& MemoryNetwork::sent() const { return core_->sent; }

void MemoryNetwork::clearSentLog() { core_->sent.clear(); }

}  // namespace kestrin::testing
