// Start-up probe shared by the game and the bare reference dialog, so that both are measured
// the same way. When the environment variable KESTRIN_BENCH_FIRST_PAINT is set, the probe
// watches every event of the application; at the first paint of a widget in a shown top-level
// window it waits for that paint pass to finish (a zero timer runs after the window has been
// painted and flushed), prints three lines to standard output
//
//     first-paint <milliseconds from the start reference, to a tenth of a millisecond>
//     first-paint-from <exec | process-start | probe-install: the start reference used>
//     peak-memory-kib <peak resident memory so far (VmHWM), for machines without /usr/bin/time>
//
// and quits the application. Without the variable it does nothing.
//
// The start reference, best first:
//   exec           KESTRIN_BENCH_T0, the wall clock (CLOCK_REALTIME) in nanoseconds since the
//                  epoch, taken by whoever starts the program immediately before it execs it
//                  (bench/startup.sh takes bash's $EPOCHREALTIME, microseconds, in the shell
//                  that then execs the program). Included: the exec, loading and relocating the
//                  shared libraries, static initialisation, everything in main up to the first
//                  painted window. Not included: the fork and whatever ran before the stamp.
//                  A stamp later than now, or earlier than the kernel's start time of this
//                  process (so inherited from an earlier program), is ignored.
//   process-start  the moment the kernel created the process (the start time in
//                  /proc/self/stat), so the fork and any exec before the program's own are
//                  included too. That start time has the kernel's clock-tick resolution
//                  (usually 10 ms); only medians over many runs mean anything then.
//   probe-install  where /proc is unavailable as well, the time counts from install().
//
// Use, early in main, right after the QApplication exists:
//     kestrin::FirstPaintProbe::installIfRequested();
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <time.h>
#include <unistd.h>

namespace kestrin {

// Seconds since boot at which this process was started, or a negative value when unknown.
inline double processStartSinceBoot() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    if (!std::getline(stat, line)) return -1.0;
    // The command name (field 2) is in parentheses and may hold blanks: count from its end.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return -1.0;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // After the name come field 3 (state) onwards; the start time is field 22.
    for (int number = 3; number <= 22; ++number) {
        if (!(fields >> field)) return -1.0;
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (ticksPerSecond <= 0) return -1.0;
    try {
        return static_cast<double>(std::stoull(field)) / static_cast<double>(ticksPerSecond);
    } catch (...) {
        return -1.0;
    }
}

// The peak resident memory of this process so far in KiB (VmHWM), or -1 when unknown.
inline long peakMemoryKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            try {
                return std::stol(line.substr(6));
            } catch (...) {
                return -1;
            }
        }
    }
    return -1;
}

// Nanoseconds on CLOCK now, or a negative value when unknown.
inline long long nanosecondsOn(clockid_t clock) {
    timespec now{};
    if (clock_gettime(clock, &now) != 0) return -1;
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// Seconds since boot now, on the clock the kernel uses for process start times.
inline double nowSinceBoot() {
    const long long now = nanosecondsOn(CLOCK_BOOTTIME);
    return now < 0 ? -1.0 : static_cast<double>(now) / 1e9;
}

// The stamp in VARIABLE (nanoseconds since the epoch, nothing else), or a negative value.
inline long long stampFromEnvironment(const char* variable) {
    const char* text = std::getenv(variable);
    if (text == nullptr || *text < '0' || *text > '9') return -1;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > static_cast<unsigned long long>(LLONG_MAX)) return -1;
    return static_cast<long long>(value);
}

class FirstPaintProbe : public QObject {
public:
    static constexpr const char* kVariable = "KESTRIN_BENCH_FIRST_PAINT";
    // The wall clock in nanoseconds since the epoch, taken just before the program was exec'd.
    static constexpr const char* kStartVariable = "KESTRIN_BENCH_T0";

    // Installs the probe on the application when the variable is set; returns whether it did.
    static bool installIfRequested() {
        if (std::getenv(kVariable) == nullptr || QCoreApplication::instance() == nullptr) return false;
        auto* probe = new FirstPaintProbe(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(probe);
        return true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QWidget* window = static_cast<QWidget*>(watched)->window();
            if (window != nullptr && window->isVisible()) {
                seen_ = true;
                // Runs once the current paint pass, which paints and flushes the whole window,
                // has returned to the event loop.
                QTimer::singleShot(0, this, [this] { report(); });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit FirstPaintProbe(QObject* parent)
        : QObject(parent), startBoot_(processStartSinceBoot()), execStamp_(stampFromEnvironment(kStartVariable)) {
        sinceInstall_.start();
        // A stamp from the future, or from before the kernel created this process (one an
        // earlier program left in the environment), is not this program's exec.
        const long long nowReal = nanosecondsOn(CLOCK_REALTIME);
        if (execStamp_ >= 0 && (nowReal < 0 || execStamp_ > nowReal)) execStamp_ = -1;
        const double nowBoot = nowSinceBoot();
        if (execStamp_ >= 0 && startBoot_ >= 0.0 && nowBoot >= startBoot_) {
            // The process start on the wall clock; the start time is rounded down to a clock
            // tick, so a true stamp is never earlier. A millisecond allows for reading two clocks.
            const double processStartReal = static_cast<double>(nowReal) - (nowBoot - startBoot_) * 1e9;
            if (static_cast<double>(execStamp_) < processStartReal - 1e6) execStamp_ = -1;
        }
    }

    void report() {
        double milliseconds = -1.0;
        const char* from = "probe-install";
        if (execStamp_ >= 0) {
            const long long nowReal = nanosecondsOn(CLOCK_REALTIME);
            if (nowReal >= execStamp_) {
                milliseconds = static_cast<double>(nowReal - execStamp_) / 1e6;
                from = "exec";
            }
        }
        if (milliseconds < 0.0) {
            const double now = nowSinceBoot();
            if (startBoot_ >= 0.0 && now >= startBoot_) {
                milliseconds = (now - startBoot_) * 1000.0;
                from = "process-start";
            }
        }
        if (milliseconds < 0.0) milliseconds = static_cast<double>(sinceInstall_.nsecsElapsed()) / 1e6;
        std::printf("first-paint %.1f\nfirst-paint-from %s\npeak-memory-kib %ld\n", milliseconds, from,
                    peakMemoryKib());
        std::fflush(stdout);
        // Leave the event loop at once; closing the windows first would run their close
        // handlers, which are not part of start-up.
        QCoreApplication::exit(0);
    }

    double startBoot_;
    long long execStamp_;
    QElapsedTimer sinceInstall_;
    bool seen_ = false;
};

}  // namespace kestrin
