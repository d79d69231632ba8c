// Start-up probe shared by the game and the bare reference dialog, so that both are measured
// the same way. When the environment variable KESTRIN_BENCH_FIRST_PAINT is set, the probe
// watches every event of the application; at the first paint of a widget in a shown top-level
// window it waits for that paint pass to finish (a zero timer runs after the window has been
// painted and flushed), prints two lines to standard output
//
//     first-paint <milliseconds since the process started>
//     peak-memory-kib <peak resident memory so far (VmHWM), for machines without /usr/bin/time>
//
// and quits the application. Without the variable it does nothing.
//
// The time counts from the moment the kernel created the process (the start time in
// /proc/self/stat), so loading the shared libraries and static initialisation are included.
// That start time has the kernel's clock-tick resolution (usually 10 ms); the benchmark takes
// medians over many runs. Where /proc is unavailable the time counts from install().
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

// Seconds since boot now, on the clock the kernel uses for process start times.
inline double nowSinceBoot() {
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1.0;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class FirstPaintProbe : public QObject {
public:
    static constexpr const char* kVariable = "KESTRIN_BENCH_FIRST_PAINT";

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
    explicit FirstPaintProbe(QObject* parent) : QObject(parent), startBoot_(processStartSinceBoot()) {
        sinceInstall_.start();
    }

    void report() {
        double milliseconds = -1.0;
        const double now = nowSinceBoot();
        if (startBoot_ >= 0.0 && now >= startBoot_) milliseconds = (now - startBoot_) * 1000.0;
        if (milliseconds < 0.0) milliseconds = static_cast<double>(sinceInstall_.elapsed());
        std::printf("first-paint %.0f\npeak-memory-kib %ld\n", milliseconds, peakMemoryKib());
        std::fflush(stdout);
        // Leave the event loop at once; closing the windows first would run their close
        // handlers, which are not part of start-up.
        QCoreApplication::exit(0);
    }

    double startBoot_;
    QElapsedTimer sinceInstall_;
    bool seen_ = false;
};

}  // namespace kestrin
