// Shared pieces of the link benchmarks (bench_link_latency, bench_link_cpu, bench_link_flood).
//
// BenchCopy is one whole copy of the game as the two-window test plays it (QtCopy in
// tests/support/qt_copy.h).
//
// CountingSockets wraps a socket factory and counts the bytes of received text the copy takes
// (getData), so that a benchmark can tell when a copy has taken everything a peer sent; it
// changes nothing else.
//
// Also: the peak and current resident memory of this process, its processor time, percentiles
// of a list of samples, and a bounded wait in the event loop.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "tests/support/qt_copy.h"

namespace kestrin::bench {

using Clock = std::chrono::steady_clock;

inline double microsecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// ---- Counting the text a copy takes -------------------------------------------------------

struct ByteCount {
    std::uint64_t taken = 0;     // bytes of text the copy's sockets handed to the game
    std::uint64_t arrivals = 0;  // data-arrival events the game handled
    std::uint64_t largest = 0;   // bytes of the largest single receive
    // Runs after each data-arrival handler of the game has returned.
    std::function<void()> afterArrival;
    // When the latest send began and returned, and when the latest receive was taken.
    Clock::time_point sendStarted, sendReturned, dataTaken;
};

// A socket that passes everything to the socket it wraps and counts what getData() returns.
class CountingSocket final : public Socket {
public:
    CountingSocket(std::unique_ptr<Socket> inner, ByteCount& count) : inner_(std::move(inner)), count_(count) {
        inner_->onConnectionRequest = [this](std::int64_t id) {
            if (onConnectionRequest) onConnectionRequest(id);
        };
        inner_->onConnected = [this] {
            if (onConnected) onConnected();
        };
        inner_->onDataArrival = [this] {
            if (onDataArrival) onDataArrival();
            ++count_.arrivals;
            if (count_.afterArrival) count_.afterArrival();
        };
        inner_->onPeerClosed = [this] {
            if (onPeerClosed) onPeerClosed();
        };
        inner_->onError = [this](int number, const std::string& description) {
            if (onError) onError(number, description);
        };
    }

    SocketState state() const override { return inner_->state(); }
    void setRemoteHost(const std::string& host) override { inner_->setRemoteHost(host); }
    void setRemotePort(int port) override { inner_->setRemotePort(port); }
    void setLocalPort(int port) override { inner_->setLocalPort(port); }
    int localPort() const override { return inner_->localPort(); }
    std::string remoteHostIP() const override { return inner_->remoteHostIP(); }
    void connect() override { inner_->connect(); }
    void listen() override { inner_->listen(); }
    void accept(std::int64_t requestId) override { inner_->accept(requestId); }
    void sendData(const std::string& text) override {
        count_.sendStarted = Clock::now();
        inner_->sendData(text);
        count_.sendReturned = Clock::now();
    }
    std::string getData() override {
        count_.dataTaken = Clock::now();
        std::string text = inner_->getData();
        count_.taken += text.size();
        count_.largest = std::max<std::uint64_t>(count_.largest, text.size());
        return text;
    }
    void close() override { inner_->close(); }

private:
    std::unique_ptr<Socket> inner_;
    ByteCount& count_;
};

class CountingSockets final : public SocketFactory {
public:
    explicit CountingSockets(SocketFactory& inner) : inner_(inner) {}
    std::unique_ptr<Socket> create() override { return std::make_unique<CountingSocket>(inner_.create(), count); }
    ByteCount count;

private:
    SocketFactory& inner_;
};

// ---- One copy of the game -------------------------------------------------------------------

using BenchCopy = testing::QtCopy;

// ---- Waiting in the event loop ------------------------------------------------------------

// Runs the event loop until done() holds, checked after every event the loop handles, or
// until limitMs have passed; says whether done() held. Nothing spins: the loop sleeps
// between events.
inline bool waitFor(const std::function<bool()>& done, int limitMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer limit;  // wakes the loop when nothing else does
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        // A timer may fire a little before the deadline: it is started again for the rest.
        if (!limit.isActive()) limit.start(static_cast<int>(left) + 1);
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

// Handles every event already waiting, a bounded number of rounds.
inline void drainEvents() {
    for (int round = 0; round < 50; ++round) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// ---- Figures ------------------------------------------------------------------------------

// Nearest-rank percentile (0 < p <= 100) of the samples; 0 when there are none.
inline double percentile(std::vector<double> samples, double p) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

// A "Vm...:" figure of /proc/self/status in KiB (VmHWM: peak resident memory, VmRSS: now).
inline long statusKib(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    }
    return -1;
}

// User plus system processor time of this process so far, in milliseconds.
inline double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace kestrin::bench
