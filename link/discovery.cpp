#include "link/discovery.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <string_view>

#include "link/connection.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace kestrin {

namespace {

constexpr std::string_view kFind = "KESTRIN FIND ";
constexpr std::string_view kHere = "KESTRIN HERE ";
constexpr int kOwnVersion = 1;
constexpr const char* kLoopback = "127.0.0.1";

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole number of at most nine digits.
std::optional<int> smallNumber(std::string_view text) {
    if (!allDigits(text) || text.size() > 9) return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Answer {
    int version;
    int port;
    std::string name;
};

// "KESTRIN HERE <version> <port> <name>": the name is everything after the fourth blank.
std::optional<Answer> readAnswer(std::string_view text) {
    if (!text.starts_with(kHere)) return std::nullopt;
    text.remove_prefix(kHere.size());
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const auto secondBlank = text.find(' ', blank + 1);
    if (secondBlank == std::string_view::npos) return std::nullopt;
    const auto version = smallNumber(text.substr(0, blank));
    const auto port = smallNumber(text.substr(blank + 1, secondBlank - blank - 1));
    if (!version || !port || *port < 1 || *port > 65535) return std::nullopt;
    return Answer{*version, *port, std::string(text.substr(secondBlank + 1))};
}

}  // namespace

std::string FoundGame::shown() const { return name + " \u2014 " + address; }

std::string FoundGame::value(int gamePort) const {
    return port == gamePort ? address : address + ":" + std::to_string(port);
}

Discovery::Discovery(DatagramNetwork& network, forms::Timer& timer, std::function<std::string()> playerName, int port)
    : network_(network), timer_(timer), playerName_(std::move(playerName)), port_(port) {
    timer_.onTick = [this] { tick(); };
}

void Discovery::update(const Situation& situation) {
    situation_ = situation;
    if (!situation.multiPlayer) {
        timer_.setEnabled(false);
        shared_.reset();
        asking_.reset();
        looking_ = false;
        if (!games_.empty()) {
            games_.clear();
            if (onGamesChanged) onGamesChanged();
        }
        return;
    }
    ensureSockets();
    timer_.setEnabled(true);
    const bool looking = !situation.busy;
    if (looking && !looking_) {
        sendQuery();
        secondsSinceQuery_ = 0;
    }
    looking_ = looking;
}

void Discovery::ensureSockets() {
    const auto bind = [this](std::unique_ptr<DatagramSocket>& socket, int port, bool& said, auto heard) {
        if (socket) return;
        auto made = network_.create();
        try {
            made->bind(port, port != 0);
        } catch (const Failure& failure) {
            if (!said && onProblem) onProblem(failure.description());
            said = true;
            return;
        }
        made->onDatagram = [this, heard](const std::string& address, int from, const std::string& text) {
            (this->*heard)(address, from, text);
        };
        socket = std::move(made);
    };
    bind(shared_, port_, sharedProblemSaid_, &Discovery::queryHeard);
    bind(asking_, 0, askingProblemSaid_, &Discovery::answerHeard);
}

void Discovery::tick() {
    answersLeft_ = kMostAnswersPerSecond;
    for (FoundGame& game : games_) ++game.silentSeconds;
    const auto gone = std::remove_if(games_.begin(), games_.end(),
                                     [](const FoundGame& game) { return game.silentSeconds >= kSecondsAGameIsKept; });
    if (gone != games_.end()) {
        games_.erase(gone, games_.end());
        if (onGamesChanged) onGamesChanged();
    }
    if (looking_ && ++secondsSinceQuery_ >= kSecondsBetweenQueries) {
        sendQuery();
        secondsSinceQuery_ = 0;
    }
}

void Discovery::sendQuery() {
    if (!asking_) return;
    // The machine's addresses are read with each query, not with each datagram heard.
    ownAddresses_ = network_.ownAddresses();
    const std::vector<std::string> addresses = network_.broadcastAddresses();
    for (const std::string& address : std::set<std::string>(addresses.begin(), addresses.end()))
        asking_->send(address, port_, std::string(kFind) + std::to_string(kOwnVersion));
}

bool Discovery::ownAddress(const std::string& address) const {
    return std::find(ownAddresses_.begin(), ownAddresses_.end(), address) != ownAddresses_.end();
}

void Discovery::queryHeard(const std::string& address, int port, const std::string& text) {
    // Only a copy that waits for an opponent answers, and never its own query.
    if (!situation_.multiPlayer || situation_.busy || situation_.listeningPort == 0) return;
    const std::string_view query(text);
    if (!query.starts_with(kFind) || !allDigits(query.substr(kFind.size()))) return;
    if (asking_ && port == asking_->localPort() && ownAddress(address)) return;
    if (answersLeft_ == 0) return;
    --answersLeft_;
    shared_->send(address, port,
                  std::string(kHere) + std::to_string(kOwnVersion) + " " + std::to_string(situation_.listeningPort) +
                      " " + firstCharacters(playerName_(), kLongestFoundName));
}

void Discovery::answerHeard(const std::string& address, int /*port*/, const std::string& text) {
    const auto answer = readAnswer(text);
    if (!answer || answer->version != kOwnVersion) return;
    // The host is where the answer came from, whatever its text says; a game on this machine
    // is heard on loopback and on each of its own addresses, and listed once.
    const std::string where = ownAddress(address) ? kLoopback : address;
    const std::string name = visibleText(firstCharacters(answer->name, kLongestFoundName));
    const auto known = std::find_if(games_.begin(), games_.end(), [&](const FoundGame& game) {
        return game.address == where && game.port == answer->port;
    });
    if (known != games_.end()) {
        known->silentSeconds = 0;
        if (known->name == name) return;
        known->name = name;
    } else if (games_.size() < static_cast<std::size_t>(kMostGamesFound)) {
        games_.push_back({name, where, answer->port});
    } else {
        return;
    }
    if (onGamesChanged) onGamesChanged();
}

}  // namespace kestrin
