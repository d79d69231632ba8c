// How long a bank takes to reach the opponent: two whole copies of the game in one process,
// connected over loopback with Qt sockets, Qt timers and one Qt event loop. Ann banks the first
// level (10 points) again and again; each sample is the time from the click on Ann's Kestrin!
// button to the moment Bob's opponent score label changes (an observer on the label's model
// stamps it). Between samples the event loop handles everything waiting, so no sample carries
// the previous one's work.
//
// In the same run, alternating with the banks, the reference: two bare QTcpSockets on
// loopback with LowDelay (no Nagle), as the game's sockets have it, one thread, event-driven;
// one sends 5 bytes ("SCU 1", the size of a small score message) and flushes, as the game
// sends; each sample is the time until the other's readyRead handler has read all 5 bytes.
// Then the same back the other way (the pong, printed for information).
//
// For information, a third kind: the same bare send, but with the receiver's readyRead
// reaching its handler through a queued connection, as the game's socket adapter passes every
// socket signal on (one more trip through the event loop before the text is read).
//
// Both kinds of sample wait in the event loop, bounded (2 s), until their receiver has
// acted; a sample that does not arrive in time is counted as lost, not as a figure.
//
// Prints one "name value" pair a line (times in microseconds):
//   banks, lost-banks, restarts        samples taken, samples lost, games restarted on the way
//   game-median-us, game-p99-us         bank click on Ann -> score shown on Bob
//   bare-median-us, bare-p99-us         bare 5-byte send -> read on the other socket
//   bare-pong-median-us, bare-pong-p99-us   the same, back
//   ratio                               game median / bare median
//   bare-queued-median-us, bare-queued-p99-us   bare send -> read through a queued readyRead
//   queued-ratio                        game median / bare-queued median
//   game-click-to-send-us ... (medians) where a bank's time goes: from the click until the
//       score is handed to the socket, the send itself (write and flush), from the send's
//       return until Bob's copy takes the text, from there until the label changes
//   bare-send-us, bare-send-to-read-us  the bare send (write and flush), and from its return
//       to the read
//
// Usage: bench_link_latency [BANKS]   (default 2000, at least 1000)
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/link_copy.h"

using namespace kestrin;
using namespace kestrin::bench;

namespace {

constexpr int kSampleLimitMs = 2000;
constexpr int kConnectLimitMs = 5000;
// A score is 16 bits: a game is started afresh after this many banks of 10 points.
constexpr int kBanksPerGame = 1000;
constexpr int kWarmUpBanks = 50;

void print(const char* name, double value) { std::printf("%-26s %.1f\n", name, value); }

struct Figures {
    std::vector<double> total, clickToSend, send, sendToTaken, takenToShown;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int banks = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (banks < 1000 || banks > 1000000) {
        std::fprintf(stderr, "usage: bench_link_latency [BANKS]  (1000 to 1000000, default 2000)\n");
        return 2;
    }

    // ---- The two copies: Bob joins Ann -----------------------------------------------
    QtSocketFactory qtSockets;
    CountingSockets annSockets(qtSockets);
    CountingSockets bobSockets(qtSockets);
    BenchCopy ann("Ann", annSockets);
    BenchCopy bob("Bob", bobSockets);
    if (ann.listeningPort() <= 0) {
        std::fprintf(stderr, "Ann's copy is not listening\n");
        return 1;
    }
    bob.connectTo(ann.listeningPort());
    if (!waitFor([&] { return ann.connected() && bob.connected(); }, kConnectLimitMs)) {
        std::fprintf(stderr, "the copies did not connect within %d ms\nAnn: %s\nBob: %s\n", kConnectLimitMs,
                     ann.form().txtOutput.text().c_str(), bob.form().txtOutput.text().c_str());
        return 1;
    }

    bool shown = false;
    Clock::time_point shownAt;
    bob.form().lblOpponentScore.observers().add([&] {
        shownAt = Clock::now();
        shown = true;
    });

    // ---- The bare pair -------------------------------------------------------------------
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "the bare server cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QTcpSocket left;
    left.connectToHost(QHostAddress::LocalHost, server.serverPort());
    if (!waitFor([&] { return left.state() == QAbstractSocket::ConnectedState && server.hasPendingConnections(); },
                 kConnectLimitMs)) {
        std::fprintf(stderr, "the bare sockets did not connect\n");
        return 1;
    }
    QTcpSocket* right = server.nextPendingConnection();
    left.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    right->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QByteArray message("SCU 1");
    QByteArray rightGot;
    QByteArray leftGot;
    Clock::time_point rightReadAt;
    Clock::time_point leftReadAt;
    QObject::connect(right, &QTcpSocket::readyRead, right, [&] {
        rightGot += right->readAll();
        if (rightGot.size() >= message.size()) rightReadAt = Clock::now();
    });
    QObject::connect(&left, &QTcpSocket::readyRead, &left, [&] {
        leftGot += left.readAll();
        if (leftGot.size() >= message.size()) leftReadAt = Clock::now();
    });

    // The bare pair with a queued readyRead on the receiving side.
    QTcpSocket queuedLeft;
    queuedLeft.connectToHost(QHostAddress::LocalHost, server.serverPort());
    if (!waitFor(
            [&] { return queuedLeft.state() == QAbstractSocket::ConnectedState && server.hasPendingConnections(); },
            kConnectLimitMs)) {
        std::fprintf(stderr, "the bare sockets did not connect\n");
        return 1;
    }
    QTcpSocket* queuedRight = server.nextPendingConnection();
    queuedLeft.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    queuedRight->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject queuedReceiver;
    QByteArray queuedGot;
    Clock::time_point queuedReadAt;
    QObject::connect(
        queuedRight, &QTcpSocket::readyRead, &queuedReceiver,
        [&] {
            queuedGot += queuedRight->readAll();
            if (queuedGot.size() >= message.size()) queuedReadAt = Clock::now();
        },
        Qt::QueuedConnection);

    // ---- One sample of each ----------------------------------------------------------------
    int banksThisGame = kBanksPerGame;  // start a game before the first bank
    int restarts = 0;
    int lost = 0;
    int wrongScores = 0;
    Figures game;
    std::vector<double> bare;
    std::vector<double> bareSend;
    std::vector<double> bareSendToRead;
    std::vector<double> pong;
    std::vector<double> queued;

    const auto bankOnce = [&](bool keep) {
        if (banksThisGame >= kBanksPerGame || !ann.form().tmrGame.enabled()) {
            ann.startGame();
            bob.startGame();
            banksThisGame = 0;
            ++restarts;
        }
        // A 7 after the digit shown (5, or the 7 of the last guess) makes "higher" right.
        ann.random.queueDigits({7});
        ann.form().cmdGuess[0].click();
        if (!ann.form().cmdBank.enabled()) {
            std::fprintf(stderr, "a scripted guess was not right; the bank cannot be made\n");
            std::exit(1);
        }
        drainEvents();
        shown = false;
        const Clock::time_point clicked = Clock::now();
        ann.form().cmdBank.click();
        ++banksThisGame;
        if (!waitFor([&] { return shown; }, kSampleLimitMs)) {
            ++lost;
            return;
        }
        if (bob.form().lblOpponentScore.caption() != std::to_string(ann.main->game().intPlayerScore)) ++wrongScores;
        if (!keep) return;
        game.total.push_back(microsecondsBetween(clicked, shownAt));
        game.clickToSend.push_back(microsecondsBetween(clicked, annSockets.count.sendStarted));
        game.send.push_back(microsecondsBetween(annSockets.count.sendStarted, annSockets.count.sendReturned));
        game.sendToTaken.push_back(microsecondsBetween(annSockets.count.sendReturned, bobSockets.count.dataTaken));
        game.takenToShown.push_back(microsecondsBetween(bobSockets.count.dataTaken, shownAt));
    };

    const auto pingOnce = [&](bool keep) {
        drainEvents();
        rightGot.clear();
        const Clock::time_point sent = Clock::now();
        left.write(message);
        left.flush();
        const Clock::time_point returned = Clock::now();
        if (!waitFor([&] { return rightGot.size() >= message.size(); }, kSampleLimitMs)) {
            ++lost;
            return;
        }
        if (keep) {
            bare.push_back(microsecondsBetween(sent, rightReadAt));
            bareSend.push_back(microsecondsBetween(sent, returned));
            bareSendToRead.push_back(microsecondsBetween(returned, rightReadAt));
        }
        drainEvents();
        leftGot.clear();
        const Clock::time_point back = Clock::now();
        right->write(message);
        right->flush();
        if (!waitFor([&] { return leftGot.size() >= message.size(); }, kSampleLimitMs)) {
            ++lost;
            return;
        }
        if (keep) pong.push_back(microsecondsBetween(back, leftReadAt));
    };

    const auto queuedOnce = [&](bool keep) {
        drainEvents();
        queuedGot.clear();
        const Clock::time_point sent = Clock::now();
        queuedLeft.write(message);
        queuedLeft.flush();
        if (!waitFor([&] { return queuedGot.size() >= message.size(); }, kSampleLimitMs)) {
            ++lost;
            return;
        }
        if (keep) queued.push_back(microsecondsBetween(sent, queuedReadAt));
    };

    for (int i = 0; i < kWarmUpBanks; ++i) {
        bankOnce(false);
        pingOnce(false);
        queuedOnce(false);
    }
    // Alternate, so that whatever else the machine does touches every kind alike.
    for (int i = 0; i < banks; ++i) {
        bankOnce(true);
        pingOnce(true);
        queuedOnce(true);
    }

    const double gameMedian = percentile(game.total, 50);
    const double bareMedian = percentile(bare, 50);
    std::printf("%-26s %d\n", "banks", static_cast<int>(game.total.size()));
    std::printf("%-26s %d\n", "lost-samples", lost);
    std::printf("%-26s %d\n", "wrong-scores", wrongScores);
    std::printf("%-26s %d\n", "restarts", restarts);
    print("game-median-us", gameMedian);
    print("game-p99-us", percentile(game.total, 99));
    print("bare-median-us", bareMedian);
    print("bare-p99-us", percentile(bare, 99));
    print("bare-pong-median-us", percentile(pong, 50));
    print("bare-pong-p99-us", percentile(pong, 99));
    std::printf("%-26s %.2f\n", "ratio", bareMedian > 0 ? gameMedian / bareMedian : 0.0);
    print("bare-queued-median-us", percentile(queued, 50));
    print("bare-queued-p99-us", percentile(queued, 99));
    std::printf("%-26s %.2f\n", "queued-ratio", percentile(queued, 50) > 0 ? gameMedian / percentile(queued, 50) : 0.0);
    print("game-click-to-send-us", percentile(game.clickToSend, 50));
    print("game-send-us", percentile(game.send, 50));
    print("game-send-to-taken-us", percentile(game.sendToTaken, 50));
    print("game-taken-to-shown-us", percentile(game.takenToShown, 50));
    print("bare-send-us", percentile(bareSend, 50));
    print("bare-send-to-read-us", percentile(bareSendToRead, 50));

    bob.form().lblOpponentScore.observers().clear();
    const bool clean = lost == 0 && wrongScores == 0 && ann.errorTitles().empty() && bob.errorTitles().empty();
    if (!clean) {
        for (const auto& title : ann.errorTitles()) std::fprintf(stderr, "Ann: %s\n", title.c_str());
        for (const auto& title : bob.errorTitles()) std::fprintf(stderr, "Bob: %s\n", title.c_str());
    }
    return clean ? 0 : 1;
}
