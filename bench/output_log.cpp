// The output log under a chat flood: a text box model bound to the read-only QPlainTextEdit
// the main window shows it in, and a long run of chat lines added the way the game adds a
// line to the log (the line, then the caret to the end). Events are processed after every
// block of lines so that the widget lays out and paints as it does on screen.
//
// Prints, one "name value" pair a line (times in milliseconds; "cpu" is the processor time of
// the program's one thread, which other work on a busy machine does not lengthen, "wall" the
// time on the clock):
//   lines, block               the lines added and the lines per measured block
//   first-block-cpu-ms         the first block of lines
//   last-block-cpu-ms          the last block of lines
//   ratio                      last / first, processor time (a log that keeps its pace stays
//                              near 1)
//   first-block-wall-ms, last-block-wall-ms, wall-ratio   the same on the clock
//   total-cpu-ms, total-wall-ms   all the lines
//   peak-memory-kib            VmHWM of the process when done
//
// Usage: bench_output_log [LINES] [BLOCK] [--replace]
//   LINES    lines to add (default 100000)
//   BLOCK    lines per block (default 1000)
//   --replace  give the model the whole log with the new line at its end (setText with a
//              copy), as the game did before the log could be added to
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "ui/binding.h"

namespace {

// Processor time of this thread, in milliseconds.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

long peakMemoryKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    long lines = 100000;
    long block = 1000;
    bool replace = false;
    std::vector<long> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--replace") == 0) {
            replace = true;
        } else {
            numbers.push_back(std::strtol(argv[i], nullptr, 10));
        }
    }
    if (numbers.size() > 0) lines = numbers[0];
    if (numbers.size() > 1) block = numbers[1];
    if (lines <= 0 || block <= 0 || lines < 2 * block) {
        std::fprintf(stderr, "usage: bench_output_log [LINES] [BLOCK] [--replace]  (LINES >= 2 * BLOCK)\n");
        return 2;
    }

    // The log as the main window has it: a read-only plain text box in a window of its own.
    kestrin::forms::Form form("frmBench");
    kestrin::forms::TextBox log(form, "txtOutput");
    QWidget window;
    window.resize(400, 120);
    auto* edit = new QPlainTextEdit(&window);
    edit->setGeometry(6, 5, 337, 73);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    kestrin::ui::FormBinder binder(form, &window);
    binder.bind(log, edit);
    window.show();
    QCoreApplication::processEvents();

    // One line, as the game adds it: after a line break unless the log is empty.
    const auto addLine = [&](long number) {
        const std::string text = "<Bob> hello there, line " + std::to_string(number);
        if (replace) {
            std::string all = log.text();
            if (!all.empty()) all += "\r\n";
            all += text;
            log.setText(std::move(all));
        } else {
            log.append(log.text().empty() ? text : "\r\n" + text);
        }
        log.setSelStart(log.text().size());
    };

    QElapsedTimer total;
    total.start();
    const double totalCpuStart = cpuMs();
    double firstCpu = 0.0, lastCpu = 0.0, firstWall = 0.0, lastWall = 0.0;
    for (long start = 0; start < lines; start += block) {
        QElapsedTimer wall;
        wall.start();
        const double cpuStart = cpuMs();
        const long end = std::min(lines, start + block);
        for (long number = start; number < end; ++number) addLine(number);
        QCoreApplication::processEvents();
        const double cpu = cpuMs() - cpuStart;
        const double ms = static_cast<double>(wall.nsecsElapsed()) / 1e6;
        if (start == 0) {
            firstCpu = cpu;
            firstWall = ms;
        }
        lastCpu = cpu;
        lastWall = ms;
    }
    const double totalCpu = cpuMs() - totalCpuStart;
    const double totalWall = static_cast<double>(total.nsecsElapsed()) / 1e6;

    // The widget really shows the whole log, its caret at the end.
    const int blocks = edit->document()->blockCount();
    const bool atEnd = edit->textCursor().atEnd();
    if (blocks != lines || !atEnd) {
        std::fprintf(stderr, "the widget shows %d lines (expected %ld), caret %s\n", blocks, lines,
                     atEnd ? "at the end" : "not at the end");
        return 1;
    }

    std::printf("lines %ld\nblock %ld\n", lines, block);
    std::printf("first-block-cpu-ms %.2f\nlast-block-cpu-ms %.2f\nratio %.2f\n", firstCpu, lastCpu, lastCpu / firstCpu);
    std::printf("first-block-wall-ms %.2f\nlast-block-wall-ms %.2f\nwall-ratio %.2f\n", firstWall, lastWall,
                lastWall / firstWall);
    std::printf("total-cpu-ms %.0f\ntotal-wall-ms %.0f\n", totalCpu, totalWall);
    std::printf("peak-memory-kib %ld\n", peakMemoryKib());
    return 0;
}
