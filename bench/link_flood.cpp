// A copy of the game under a flood from its opponent: one whole copy (the main window's logic
// on Qt sockets, Qt timers and the Qt event loop; test doubles for settings and message boxes,
// which answer at once) connected over loopback to a raw QTcpSocket peer in the same process
// that speaks the wire format by hand. The peer hosts (the copy joins) or joins (the copy
// hosts). Once connected and idle, the peer sends one of these floods:
//   big     "MSG" and 10 MiB of 'x' in one go
//   scores  "SCU 1" 100,000 times back to back, each written and flushed on its own
//   lines   "MSGline" 100,000 times back to back, each written and flushed on its own (the
//           copy's receives hold many of them; a chat line runs to the end of its receive)
//   chat    100,000 chat lines "MSGline", each sent as soon as the copy has taken the one
//           before, so that each is a receive of its own and a line of the copy's log
//   long    10,000 chat lines of 2,000 characters (the longest the copy shows), sent the
//           same way: how the log grows with what a peer sends
// The peer keeps at most 64 KiB waiting in its own write buffer, so the process's memory is
// the copy's. The flood is drained when the copy has taken every byte of it (a counting
// wrapper around the copy's sockets tells) and its handler has returned.
//
// Then the copy must still be responsive: a zero-length QTimer must run, and a chat line sent
// from the copy must reach the peer, each within 5 s.
//
// Prints one "name value" pair a line:
//   flood, role                     what was sent, and the copy's side of the connection
//   bytes, messages                 the flood's size
//   idle-peak-kib, idle-rss-kib     VmHWM and VmRSS once connected and idle, before the flood
//   flood-peak-kib, after-rss-kib   VmHWM once the flood is drained, and VmRSS then
//   peak-growth-kib                 flood peak - idle peak
//   drained                         1 when the copy took the whole flood within 120 s
//   drain-ms, drain-cpu-ms          from the first byte sent until the copy took the last; the
//                                   processor time of the process (peer included) meanwhile
//   receives, largest-receive-kib, notices, log-kib, log-lines   the copy's data-arrival
//                                   events and the largest text one of them held, the
//                                   unrecognised data notices it opened, the size and lines of
//                                   its log
//   timer-ms, chat-ms               the responsiveness checks (-1: did not happen in 5 s)
//   connected                       1 when the copy is still connected afterwards
//
// Usage: bench_link_flood big|scores|lines|chat|long [joiner|host] [MESSAGES]
//   joiner (the default): the copy joins the peer; host: the peer joins the copy
//   MESSAGES: another number of messages for scores, lines, chat or long (1 to 10,000,000)
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "bench/link_copy.h"

using namespace kestrin;
using namespace kestrin::bench;

namespace {

constexpr int kStepLimitMs = 5000;
constexpr int kDrainLimitMs = 120000;
constexpr qint64 kPeerBufferLimit = 64 * 1024;
constexpr qint64 kBigBytes = 10 * 1024 * 1024;
constexpr int kMessages = 100000;
constexpr int kLongMessages = 10000;
constexpr int kLongLine = 2000;

int fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const std::string flood = argc > 1 ? argv[1] : "";
    const std::string role = argc > 2 ? argv[2] : "joiner";
    const long messagesGiven = argc > 3 ? std::atol(argv[3]) : 0;
    if ((flood != "big" && flood != "scores" && flood != "lines" && flood != "chat" && flood != "long") ||
        (role != "joiner" && role != "host") || (argc > 3 && (messagesGiven < 1 || messagesGiven > 10000000))) {
        std::fprintf(stderr, "usage: bench_link_flood big|scores|lines|chat|long [joiner|host] [MESSAGES]\n");
        return 2;
    }

    QtSocketFactory qtSockets;
    CountingSockets sockets(qtSockets);
    BenchCopy copy("Ann", sockets);

    // ---- The raw peer and the handshake, by hand ----------------------------------------
    QTcpServer server;
    std::unique_ptr<QTcpSocket> outgoing;
    QTcpSocket* peer = nullptr;
    QByteArray received;
    const auto wire = [&] {
        peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [&] { received += peer->readAll(); });
    };
    const auto send = [&](const QByteArray& text) {
        peer->write(text);
        peer->flush();
    };
    const auto receivedExactly = [&](const char* text) {
        return waitFor([&] { return received == QByteArray(text); }, kStepLimitMs);
    };

    if (role == "joiner") {
        // The peer hosts: the copy sends "CON<name>", the peer answers "NAM<name>", the copy
        // gives its version "VER1" and the peer gives its own.
        if (!server.listen(QHostAddress::LocalHost, 0)) return fail("the peer cannot listen");
        copy.connectTo(server.serverPort());
        if (!waitFor([&] { return server.hasPendingConnections(); }, kStepLimitMs))
            return fail("the copy did not connect to the peer");
        peer = server.nextPendingConnection();
        wire();
        if (!receivedExactly("CONAnn")) return fail("no CONAnn from the copy: " + received.toStdString());
        received.clear();
        send("NAMPeer");
        if (!receivedExactly("VER1")) return fail("no VER1 from the copy: " + received.toStdString());
        received.clear();
        send("VER1");
    } else {
        // The peer joins: it sends "CON<name>", the copy (its question answered Yes) sends
        // "NAM<name>", the peer gives its version and the copy answers with its own.
        outgoing = std::make_unique<QTcpSocket>();
        peer = outgoing.get();
        peer->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(copy.listeningPort()));
        if (!waitFor([&] { return peer->state() == QAbstractSocket::ConnectedState; }, kStepLimitMs))
            return fail("the peer did not connect to the copy");
        wire();
        send("CONPeer");
        if (!receivedExactly("NAMAnn")) return fail("no NAMAnn from the copy: " + received.toStdString());
        received.clear();
        send("VER1");
        if (!receivedExactly("VER1")) return fail("no VER1 from the copy: " + received.toStdString());
        received.clear();
    }
    if (!waitFor([&] { return copy.connected(); }, kStepLimitMs)) return fail("the copy did not show itself connected");
    waitFor([] { return false; }, 300);  // let everything settle

    const long idlePeak = statusKib("VmHWM");
    const long idleRss = statusKib("VmRSS");
    const std::size_t noticesBefore = copy.messageBox.shown.size();
    const std::uint64_t arrivalsBefore = sockets.count.arrivals;
    sockets.count.largest = 0;

    // ---- The flood ----------------------------------------------------------------------
    const QByteArray scoreMessage("SCU 1");
    const bool paced = flood == "chat" || flood == "long";
    const QByteArray chatMessage = flood == "long" ? "MSG" + QByteArray(kLongLine, 'y') : QByteArray("MSGline");
    const int count = messagesGiven > 0 ? static_cast<int>(messagesGiven) : flood == "long" ? kLongMessages : kMessages;
    const QByteArray xs(16 * 1024, 'x');
    qint64 bytes = 0;
    int messages = 0;
    if (flood == "big") {
        bytes = 3 + kBigBytes;
        messages = 1;
    } else {
        const QByteArray& one = flood == "scores" ? scoreMessage : chatMessage;
        bytes = static_cast<qint64>(one.size()) * count;
        messages = count;
    }

    // The pieces the peer writes, in order; each is flushed on its own.
    int piecesSent = 0;
    qint64 bigSent = 0;
    const auto nextPiece = [&]() -> QByteArray {
        if (flood == "big") {
            if (bigSent == 0) {
                bigSent = 3;
                return QByteArray("MSG");
            }
            const qint64 size = std::min<qint64>(xs.size(), 3 + kBigBytes - bigSent);
            bigSent += size;
            return size == xs.size() ? xs : xs.left(size);
        }
        ++piecesSent;
        return flood == "scores" ? scoreMessage : chatMessage;
    };
    const auto morePieces = [&] {
        if (flood == "big") return bigSent < 3 + kBigBytes;
        return piecesSent < count;
    };

    const std::uint64_t target = sockets.count.taken + static_cast<std::uint64_t>(bytes);
    bool drained = false;
    Clock::time_point drainedAt;
    bool pumping = false;
    const auto pump = [&] {
        if (pumping) return;  // a flush may report bytes written from inside the loop below
        pumping = true;
        while (morePieces() && peer->bytesToWrite() < kPeerBufferLimit) send(nextPiece());
        pumping = false;
    };
    sockets.count.afterArrival = [&] {
        if (!drained && sockets.count.taken >= target) {
            drained = true;
            drainedAt = Clock::now();
        }
        // The paced chat: the next line goes once the copy has taken the one before.
        if (paced && !drained && morePieces() &&
            sockets.count.taken >= target - static_cast<std::uint64_t>(bytes) +
                                       static_cast<std::uint64_t>(piecesSent) * chatMessage.size())
            send(nextPiece());
    };

    const double cpuBefore = processCpuMs();
    const Clock::time_point started = Clock::now();
    if (paced) {
        send(nextPiece());
    } else {
        QObject::connect(peer, &QTcpSocket::bytesWritten, peer, [&] { pump(); });
        pump();
    }
    waitFor([&] { return drained; }, kDrainLimitMs);
    const double drainCpu = processCpuMs() - cpuBefore;
    const double drainMs = microsecondsBetween(started, drained ? drainedAt : Clock::now()) / 1000.0;
    sockets.count.afterArrival = nullptr;
    QObject::disconnect(peer, &QTcpSocket::bytesWritten, nullptr, nullptr);

    const long floodPeak = statusKib("VmHWM");
    const long afterRss = statusKib("VmRSS");

    // ---- Still responsive? --------------------------------------------------------------
    bool timerRan = false;
    Clock::time_point timerAt;
    const Clock::time_point timerSet = Clock::now();
    QTimer::singleShot(0, [&] {
        timerRan = true;
        timerAt = Clock::now();
    });
    const bool timerOk = waitFor([&] { return timerRan; }, kStepLimitMs);

    received.clear();
    const Clock::time_point chatSent = Clock::now();
    Clock::time_point chatAt;
    copy.form().txtChat.setText("still here");
    copy.form().txtChat.keyPress(kKeyEnter);
    const bool chatOk = waitFor(
        [&] {
            if (!received.contains("MSGstill here")) return false;
            chatAt = Clock::now();
            return true;
        },
        kStepLimitMs);

    const std::string& log = copy.form().txtOutput.text();
    std::size_t logLines = log.empty() ? 0 : 1;
    for (std::size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) ++logLines;

    std::printf("%-16s %s\n", "flood", flood.c_str());
    std::printf("%-16s %s\n", "role", role.c_str());
    std::printf("%-16s %lld\n", "bytes", static_cast<long long>(bytes));
    std::printf("%-16s %d\n", "messages", messages);
    std::printf("%-16s %ld\n", "idle-peak-kib", idlePeak);
    std::printf("%-16s %ld\n", "idle-rss-kib", idleRss);
    std::printf("%-16s %ld\n", "flood-peak-kib", floodPeak);
    std::printf("%-16s %ld\n", "after-rss-kib", afterRss);
    std::printf("%-16s %ld\n", "peak-growth-kib", floodPeak - idlePeak);
    std::printf("%-16s %d\n", "drained", drained ? 1 : 0);
    std::printf("%-16s %.1f\n", "drain-ms", drainMs);
    std::printf("%-16s %.1f\n", "drain-cpu-ms", drainCpu);
    std::printf("%-16s %llu\n", "receives", static_cast<unsigned long long>(sockets.count.arrivals - arrivalsBefore));
    std::printf("%-16s %llu\n", "largest-receive-kib", static_cast<unsigned long long>(sockets.count.largest / 1024));
    std::printf("%-16s %zu\n", "notices", copy.messageBox.shown.size() - noticesBefore);
    std::printf("%-16s %zu\n", "log-kib", log.size() / 1024);
    std::printf("%-16s %zu\n", "log-lines", logLines);
    std::printf("%-16s %.3f\n", "timer-ms", timerOk ? microsecondsBetween(timerSet, timerAt) / 1000.0 : -1.0);
    std::printf("%-16s %.3f\n", "chat-ms", chatOk ? microsecondsBetween(chatSent, chatAt) / 1000.0 : -1.0);
    std::printf("%-16s %d\n", "connected", copy.connected() ? 1 : 0);

    const bool ok = drained && timerOk && chatOk && copy.connected() && copy.errorTitles().empty();
    if (!copy.errorTitles().empty())
        for (const auto& title : copy.errorTitles()) std::fprintf(stderr, "error box: %s\n", title.c_str());
    return ok ? 0 : 1;
}
