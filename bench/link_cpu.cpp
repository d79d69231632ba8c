// Processor time of the link at rest: whole copies of the game (the main window's logic on Qt
// sockets, Qt timers and the Qt event loop, test doubles for settings and message boxes) in
// one of these states, measured by the process itself (getrusage: user + system time of every
// thread) over a period in which only the event loop runs:
//   listening   one copy in multi player mode, listening for an opponent
//   refused     one copy whose connect to 127.0.0.1 was refused (nothing listens on the port):
//               its error box has been shown (the test double answers at once) and it waits for
//               the ten-second connect timeout; the period ends half a second before the timeout
//               is due, and afterwards the program checks that the timeout came and the copy
//               listens again
//   connected   two copies connected to each other and idle (the figure is for both together)
//   loop        no copy at all: the bare Qt event loop, for reference
// Set-up is not measured: the period starts once the state is reached.
//
// Prints one "name value" pair a line: state, period-ms (on the clock), cpu-ms, cpu-percent
// (share of one core), wakeups (voluntary context switches: how often the process slept and
// was woken) and, for "refused", timeout-came (1 or 0).
//
// Usage: bench_link_cpu STATE SECONDS   (SECONDS 1 to 60; "refused" measures at most 9.5 s
//                                         from the click on Connect)
#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sys/resource.h>

#include "bench/link_copy.h"

using namespace kestrin;
using namespace kestrin::bench;

namespace {

constexpr int kConnectLimitMs = 5000;
// The connect timeout (tmrWinsock) runs out ten seconds after the click on Connect.
constexpr double kRefusedWindowMs = 9500.0;

long wakeups() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// Runs the event loop alone for the period and prints what it cost.
void measure(const char* state, double periodMs) {
    const double cpuBefore = processCpuMs();
    const long wakeupsBefore = wakeups();
    const Clock::time_point start = Clock::now();
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    end.start(static_cast<int>(periodMs));
    loop.exec();
    const double wallMs = microsecondsBetween(start, Clock::now()) / 1000.0;
    const double cpuMs = processCpuMs() - cpuBefore;
    std::printf("%-14s %s\n", "state", state);
    std::printf("%-14s %.0f\n", "period-ms", wallMs);
    std::printf("%-14s %.1f\n", "cpu-ms", cpuMs);
    std::printf("%-14s %.3f\n", "cpu-percent", 100.0 * cpuMs / wallMs);
    std::printf("%-14s %ld\n", "wakeups", wakeups() - wakeupsBefore);
}

int fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const std::string state = argc > 1 ? argv[1] : "";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    if ((state != "listening" && state != "refused" && state != "connected" && state != "loop") || seconds < 1 ||
        seconds > 60) {
        std::fprintf(stderr, "usage: bench_link_cpu listening|refused|connected|loop SECONDS  (1 to 60)\n");
        return 2;
    }
    const double periodMs = seconds * 1000.0;
    QtSocketFactory sockets;

    if (state == "loop") {
        waitFor([] { return false; }, 500);
        measure("loop", periodMs);
        return 0;
    }

    if (state == "listening") {
        BenchCopy ann("Ann", sockets);
        if (ann.main->link().connection().WinsockServer(0).state() != SocketState::Listening ||
            ann.listeningPort() <= 0)
            return fail("the copy is not listening");
        waitFor([] { return false; }, 500);  // let start-up settle
        measure("listening", periodMs);
        return ann.errorTitles().empty() ? 0 : fail("the copy reported an error");
    }

    if (state == "refused") {
        // A port on loopback that nothing listens on: taken from the system, then given back.
        quint16 deadPort = 0;
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0)) return fail("no free port for the refused connect");
            deadPort = probe.serverPort();
        }
        BenchCopy ann("Ann", sockets);
        const Clock::time_point clicked = Clock::now();
        ann.connectTo(deadPort);
        const auto refusedShown = [&] {
            for (const auto& box : ann.messageBox.shown) {
                if (box.text.rfind("Error 10061", 0) == 0) return true;
            }
            return false;
        };
        if (!waitFor(refusedShown, 3000)) return fail("the connect was not refused within 3 s");
        if (!ann.form().tmrWinsock.enabled()) return fail("the copy is not waiting for the connect timeout");
        const double left = kRefusedWindowMs - microsecondsBetween(clicked, Clock::now()) / 1000.0;
        measure("refused", std::min(periodMs, left));
        const bool timedOut = waitFor(
            [&] {
                const std::string& log = ann.form().txtOutput.text();
                return log.find("* Connection failed") != std::string::npos &&
                       ann.main->link().connection().WinsockServer(0).state() == SocketState::Listening;
            },
            3000);
        std::printf("%-14s %d\n", "timeout-came", timedOut ? 1 : 0);
        std::printf("%-14s %.0f\n", "timeout-at-ms", microsecondsBetween(clicked, Clock::now()) / 1000.0);
        return timedOut ? 0 : fail("the connect timeout did not bring the copy back to listening");
    }

    // connected: Bob joins Ann; both sit idle.
    BenchCopy ann("Ann", sockets);
    BenchCopy bob("Bob", sockets);
    bob.connectTo(ann.listeningPort());
    if (!waitFor([&] { return ann.connected() && bob.connected(); }, kConnectLimitMs))
        return fail("the copies did not connect");
    waitFor([] { return false; }, 500);
    measure("connected", periodMs);
    if (!ann.connected() || !bob.connected()) return fail("the copies did not stay connected");
    return ann.errorTitles().empty() && bob.errorTitles().empty() ? 0 : fail("a copy reported an error");
}
