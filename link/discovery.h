// Finding games nearby, on the local network, without an address.
//
// A copy that waits for an opponent can be found: it answers the query "KESTRIN FIND <version>"
// (UDP, port 10600) with "KESTRIN HERE 1 <port> <name>", sent back to where the query came
// from. A copy that looks for an opponent broadcasts the query at once and every three
// seconds, and lists who answered. Two sockets per copy: the shared one bound to 10600 hears
// queries and sends answers; one on a port of the system's choosing sends queries and hears
// answers (a query sent from the shared port would reach only one of the programs sharing it).
//
// Time is counted in the ticks of a one-second timer: the answers allowed per second, the
// three seconds between queries, the ten seconds after which a game not heard is dropped.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/datagrams.h"
#include "platform/forms.h"

namespace kestrin {

inline constexpr int kDiscoveryPort = 10600;
inline constexpr int kMostGamesFound = 20;
inline constexpr int kMostAnswersPerSecond = 20;
inline constexpr int kSecondsBetweenQueries = 3;
inline constexpr int kSecondsAGameIsKept = 10;
// The longest name an answer carries, in characters.
inline constexpr std::size_t kLongestFoundName = 100;

struct FoundGame {
    std::string name;     // as it may be shown
    std::string address;  // where it answered from; a game on this machine as 127.0.0.1
    int port = 0;         // where it listens
    int silentSeconds = 0;
    // "<name> — <address>", as the list shows it.
    std::string shown() const;
    // What picking it puts in the host box: the address, with ":<port>" unless the port is the
    // game's own.
    std::string value(int gamePort) const;
};

class Discovery {
public:
    // What the copy is doing, as far as being found and finding goes.
    struct Situation {
        bool multiPlayer = false;
        int listeningPort = 0;  // 0: not listening
        bool busy = false;      // connected, connecting, or asking its player the accept question
    };

    // The timer is the discovery's own, with a one-second interval.
    Discovery(DatagramNetwork& network, forms::Timer& timer, std::function<std::string()> playerName,
              int port = kDiscoveryPort);
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    // Follows the copy's situation: answers while it waits for an opponent, asks while it
    // looks for one (the first query at once), and does nothing at all outside multi player.
    void update(const Situation& situation);
    const std::vector<FoundGame>& games() const { return games_; }

    std::function<void()> onGamesChanged;
    // A socket could not be bound: said once for each of the two, with the system's reason.
    std::function<void(const std::string& problem)> onProblem;

private:
    void tick();
    void ensureSockets();
    void sendQuery();
    void queryHeard(const std::string& address, int port, const std::string& text);
    void answerHeard(const std::string& address, int port, const std::string& text);
    bool ownAddress(const std::string& address) const;

    DatagramNetwork& network_;
    forms::Timer& timer_;
    std::function<std::string()> playerName_;
    int port_;
    std::unique_ptr<DatagramSocket> shared_;  // on the discovery port: queries in, answers out
    std::unique_ptr<DatagramSocket> asking_;  // on a port of the system's choosing
    bool sharedProblemSaid_ = false;
    bool askingProblemSaid_ = false;
    Situation situation_;
    bool looking_ = false;
    int secondsSinceQuery_ = 0;
    int answersLeft_ = kMostAnswersPerSecond;
    std::vector<FoundGame> games_;
    std::vector<std::string> ownAddresses_;  // as read at the latest query
};

}  // namespace kestrin
