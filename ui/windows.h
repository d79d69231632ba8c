// The program's five windows and when they open and close.
//
// At start the set-up dialog is the first window; with auto-start it applies the stored
// choice inside its load and is never seen. Applying the choice shows the main window the
// first time. From the main window, Setup opens the set-up dialog again (modal, owned by the
// main window), High Scores opens the statistics viewer (modeless, no owner, at most one,
// beside the main window), and the menus open the IP addresses and about dialogs (modal to
// the main window, so that the viewer stays usable). Each window is made fresh
// when it opens and let go once it has closed; the program ends when none is left open.
#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

#include "shell/setup_dialog.h"
#include "window/main_window.h"

namespace kestrin {
class QtTimerDriver;
struct GameSelectForm;
struct StatsForm;
struct IpForm;
struct AboutForm;
}  // namespace kestrin

namespace kestrin::ui {

class MainWindowView;
class SetupDialogView;
class StatsView;
class IpView;
class AboutView;

class Windows final : public GameSelectTarget, public WindowOpener {
public:
    Windows(ProgramState& state, GameServices game, LinkServices link, DesktopShell& shell, AddressTable& addresses,
            QtTimerDriver& timers);
    ~Windows() override;
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    // Opens the set-up dialog as the first window, unless auto-start applies the choice.
    void start();

    // GameSelectTarget: applying the set-up dialog's choice.
    void showMainWindow() override;
    void NewGameSelect() override;

    // WindowOpener: the main window's commands.
    void openSetup() override;        // the set-up dialog, modal
    void openStats() override;        // the viewer, or the open one brought forward
    void openIp() override;           // modal to the main window
    void openAbout() override;        // modal to the main window
    void closeMainWindow() override;  // Exit

    // What is open now (null when it is not).
    MainWindow* mainWindow() const;
    MainWindowView* mainView() const;
    GameSelectForm* setupForm() const;
    SetupDialogView* setupView() const;
    StatsForm* statsForm() const;
    StatsView* statsView() const;
    IpForm* ipForm() const;
    IpView* ipView() const;
    AboutForm* aboutForm() const;
    AboutView* aboutView() const;

private:
    struct MainBundle;
    struct SetupBundle;
    struct StatsBundle;
    struct IpBundle;
    struct AboutBundle;

    void openSetup(QWidget* owner);
    // Once the window's view has closed, its bundle leaves `slot` and is let go.
    template <typename Bundle, typename View>
    void forgetWhenClosed(QPointer<Bundle>& slot, Bundle* bundle, View* view);
    // Lets a closed window go once the event that closed it is over.
    void retire(QObject* bundle);

    ProgramState& state_;
    GameServices game_;
    LinkServices link_;
    DesktopShell& shell_;
    AddressTable& addresses_;
    QtTimerDriver& timers_;
    HelpCommands help_;

    QPointer<MainBundle> main_;
    QPointer<SetupBundle> setup_;
    QPointer<StatsBundle> stats_;
    QPointer<IpBundle> ip_;
    QPointer<AboutBundle> about_;
    std::vector<QPointer<QObject>> retired_;
};

}  // namespace kestrin::ui
