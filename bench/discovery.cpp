// Finding games nearby: how long a copy that starts looking takes to list a waiting one.
// A waiting copy's search and, TRIALS times, a fresh joiner's search run in this process on
// Qt's datagram sockets over loopback only (127.255.255.255) and Qt timers, as in the game;
// each trial times from the joiner entering multi player (its first query goes at once) to the
// host in its list. Prints every trial in milliseconds, then the median and the slowest.
//
// Usage: bench_discovery [TRIALS] (default 20)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/discovery.h"
#include "platform/qt/qt_datagrams.h"
#include "platform/qt/qt_timer_driver.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? std::atoi(argv[1]) : 20;
    if (trials < 1 || trials > 1000) {
        std::fprintf(stderr, "TRIALS must be from 1 to 1000\n");
        return 2;
    }
    kestrin::QtDatagramNetwork loopback(true);
    kestrin::QtTimerDriver driver;
    kestrin::forms::Timer hostTimer{"tmrDiscovery", 1000};
    driver.bind(hostTimer);
    kestrin::Discovery host(loopback, hostTimer, [] { return std::string("Host"); });
    host.update({true, 600, false});

    std::vector<double> times;
    for (int trial = 1; trial <= trials; ++trial) {
        kestrin::forms::Timer timer{"tmrDiscovery", 1000};
        driver.bind(timer);
        double ms = -1;
        {
            kestrin::Discovery joiner(loopback, timer, [] { return std::string("Joiner"); });
            QEventLoop loop;
            QElapsedTimer clock;
            joiner.onGamesChanged = [&] {
                if (!joiner.games().empty() && ms < 0) {
                    ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
                    loop.quit();
                }
            };
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // a lost query: the next is 3 s later
            clock.start();
            joiner.update({true, 0, false});
            if (ms < 0) loop.exec();
            joiner.update({false, 0, false});
        }
        driver.unbind(timer);
        if (ms < 0) {
            std::fprintf(stderr, "trial %d: the host was not found within 5 s\n", trial);
            return 1;
        }
        std::printf("trial %2d: %.3f ms\n", trial, ms);
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("median %.3f ms, slowest %.3f ms over %zu trials (goal: median under 100 ms)\n", median, times.back(),
                n);
    driver.unbind(hostTimer);
    return 0;
}
