// Kestrin: wires the Qt implementations of the platform services to the game and opens the
// first window. Nothing else happens here.
#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/qt/display_check.h"
#include "platform/qt/first_paint_probe.h"
#include "platform/qt/qt_address_table.h"
#include "platform/qt/qt_calendar.h"
#include "platform/qt/qt_datagrams.h"
#include "platform/qt/qt_desktop_shell.h"
#include "platform/qt/qt_folders.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_sockets.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/qt_text_files.h"
#include "platform/qt/qt_timer_driver.h"
#include "platform/random.h"
#include "records/program_state.h"
#include "shell/error_reporter.h"
#include "shell/list_files.h"
#include "ui/look.h"
#include "ui/windows.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
    // Without a display Qt would abort with a message about its plug-ins: say it plainly.
    if (const auto missing = kestrin::missingDisplay(argc, argv)) {
        std::fprintf(stderr, "%s\n", missing->c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrin"));
    QApplication::setOrganizationName(QStringLiteral("Kestrin"));
    // Ties the windows to the installed menu entry, so the desktop shows its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.vellam.Kestrin"));
    // Start-up benchmark only: does nothing unless KESTRIN_BENCH_FIRST_PAINT is set.
    kestrin::FirstPaintProbe::installIfRequested();

    const kestrin::Folders folders = kestrin::chooseFolders();
    kestrin::ui::setIconAfterFirstPaint(QString::fromStdString(folders.program));

    kestrin::QtSettingsStore store;
    kestrin::QtTextFiles files;
    kestrin::QtCalendar calendar;
    kestrin::QtSound sound;
    kestrin::QtDesktopShell shell;
    kestrin::QtAddressTable addresses;
    kestrin::QtSocketFactory sockets;
    // KESTRIN_DISCOVERY=loopback keeps the search for games nearby on this machine (for tests
    // and scripts that start copies).
    const char* discovery = std::getenv("KESTRIN_DISCOVERY");
    kestrin::QtDatagramNetwork datagrams(discovery != nullptr && std::string(discovery) == "loopback");
    kestrin::QtTimerDriver timers;
    kestrin::TimeSeededRandom random;
    kestrin::QtMessageBox messageBox;

    kestrin::ErrorReporter errors(messageBox, files, calendar, folders.write);
    // Error boxes are titled with the executable's own name ("Kestrin2" for a renamed copy).
    errors.setExecutableName(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString());
    kestrin::ListFiles lists(files, folders.write);
    kestrin::ProgramState state(store);

    kestrin::GameServices game{random, sound, messageBox, errors, store, folders.program};
    kestrin::LinkServices link{sockets,   store, lists, messageBox, errors, kestrin::kGamePort, kestrin::kFallbackPort,
                               &datagrams};

    kestrin::ui::Windows windows(state, game, link, shell, addresses, timers);
    windows.start();
    return QApplication::exec();
}
