#include "ui/windows.h"

#include <algorithm>
#include <memory>

#include "platform/qt/qt_timer_driver.h"
#include "shell/about_dialog.h"
#include "shell/ip_dialog.h"
#include "shell/stats_viewer.h"
#include "ui/about_view.h"
#include "ui/binding.h"
#include "ui/ip_view.h"
#include "ui/main_window_view.h"
#include "ui/setup_dialog_view.h"
#include "ui/stats_view.h"

namespace kestrin::ui {

// Each open window is a bundle of its form model, its logic and its view. The view goes
// first when a bundle ends, while the model it shows is still there (a view owned by another
// window may have gone with it already, hence the guarded pointer). A bundle is a QObject so
// that a window that closed inside one of its own handlers is let go only after that handler
// has returned.

struct Windows::MainBundle : QObject {
    MainBundle(ProgramState& state, const GameServices& game, const LinkServices& link, DesktopShell& shell,
               QtTimerDriver& driver, WindowOpener& opener)
        : logic(state, game, link, shell, &opener), timers(driver) {
        for (forms::Timer* timer : logic.form().timers()) timers.bind(*timer);
    }
    ~MainBundle() override {
        delete view.data();
        for (forms::Timer* timer : logic.form().timers()) timers.unbind(*timer);
    }

    MainWindow logic;
    QtTimerDriver& timers;
    QPointer<MainWindowView> view;
};

struct Windows::SetupBundle : QObject {
    SetupBundle(ProgramState& state, const GameServices& game, const LinkServices& link, GameSelectTarget& target)
        : logic(form, state, game.store, link.lists, game.messageBox, game.errors, target) {}
    ~SetupBundle() override { delete view.data(); }

    GameSelectForm form;
    SetupDialog logic;
    QPointer<SetupDialogView> view;
};

struct Windows::StatsBundle : QObject {
    StatsBundle(ProgramState& state, ErrorReporter& errors) : logic(form, state, errors) {}
    ~StatsBundle() override { delete view.data(); }

    StatsForm form;
    StatsViewer logic;
    QPointer<StatsView> view;
};

struct Windows::IpBundle : QObject {
    IpBundle(AddressTable& addresses, ErrorReporter& errors) : logic(form, addresses, errors) {}
    ~IpBundle() override { delete view.data(); }

    IpForm form;
    IpDialog logic;
    QPointer<IpView> view;
};

struct Windows::AboutBundle : QObject {
    AboutBundle(HelpCommands& help, std::function<void()> donate) : logic(form, help, std::move(donate)) {}
    ~AboutBundle() override { delete view.data(); }

    AboutForm form;
    AboutDialog logic;
    QPointer<AboutView> view;
};

Windows::Windows(ProgramState& state, GameServices game, LinkServices link, DesktopShell& shell,
                 AddressTable& addresses, QtTimerDriver& timers)
    : state_(state),
      game_(std::move(game)),
      link_(link),
      shell_(shell),
      addresses_(addresses),
      timers_(timers),
      help_(shell, game_.programFolder) {}

Windows::~Windows() {
    // Views before the main window: a dialog may be owned by it.
    delete about_.data();
    delete ip_.data();
    delete setup_.data();
    delete stats_.data();
    delete main_.data();
    for (const auto& bundle : retired_) delete bundle.data();
}

template <typename Bundle, typename View>
void Windows::forgetWhenClosed(QPointer<Bundle>& slot, Bundle* bundle, View* view) {
    QObject::connect(view, &View::closed, bundle, [this, &slot, bundle] {
        if (slot == bundle) slot = nullptr;
        retire(bundle);
    });
}

void Windows::retire(QObject* bundle) {
    retired_.erase(std::remove_if(retired_.begin(), retired_.end(), [](const auto& p) { return p.isNull(); }),
                   retired_.end());
    retired_.emplace_back(bundle);
    bundle->deleteLater();
}

void Windows::start() {
    auto bundle = std::make_unique<SetupBundle>(state_, game_, link_, *this);
    bundle->logic.Load();
    // With auto-start the choice is applied inside the load: the dialog is never seen.
    if (bundle->logic.applied()) return;
    setup_ = bundle.release();
    openSetup(nullptr);
}

void Windows::openSetup() {
    if (setup_) {
        if (setup_->view) setup_->view->raise();
        return;
    }
    setup_ = new SetupBundle(state_, game_, link_, *this);
    setup_->logic.Load();
    // Auto-start acts only at program start; still, a dialog that has closed is never shown.
    if (setup_->logic.applied()) {
        retire(setup_);
        setup_ = nullptr;
        return;
    }
    openSetup(mainView());
}

void Windows::openSetup(QWidget* owner) {
    SetupBundle* bundle = setup_;
    bundle->view = new SetupDialogView(bundle->form, owner);
    // Opened from the main window it is modal to it; at start it is the only window.
    if (owner) bundle->view->setWindowModality(Qt::WindowModal);
    forgetWhenClosed(setup_, bundle, bundle->view.data());
    bundle->view->showCentred();
}

void Windows::showMainWindow() {
    if (main_) {
        if (main_->view) main_->view->show();
        return;
    }
    auto* bundle = new MainBundle(state_, game_, link_, shell_, timers_, *this);
    main_ = bundle;
    MainForm& form = bundle->logic.form();
    bundle->logic.Load();
    bundle->view = new MainWindowView(form, toQString(game_.programFolder));
    forgetWhenClosed(main_, bundle, bundle->view.data());
    // Placed for the shape the chosen game type is about to give it.
    bundle->view->showCentred(state_.lngGameType == kMultiPlayer ? kMultiPlayerHeightTwips : kSinglePlayerHeightTwips);
}

void Windows::NewGameSelect() {
    if (main_) main_->logic.NewGameSelect();
}

void Windows::openStats() {
    if (stats_ && stats_->view) {
        // Only brought forward; its page is not rebuilt.
        StatsView* view = stats_->view;
        if (view->isMinimized()) view->showNormal();
        view->raise();
        view->activateWindow();
        return;
    }
    auto* bundle = new StatsBundle(state_, game_.errors);
    stats_ = bundle;
    bundle->logic.Load();
    bundle->view = new StatsView(bundle->form);
    forgetWhenClosed(stats_, bundle, bundle->view.data());
    // Beside the game, not over it.
    bundle->view->showBeside(mainView());
}

void Windows::openIp() {
    if (ip_) return;
    auto* bundle = new IpBundle(addresses_, game_.errors);
    ip_ = bundle;
    bundle->logic.Load();
    // Modal to the main window only: a statistics viewer stays usable.
    bundle->view = new IpView(bundle->form, mainView());
    bundle->view->setWindowModality(Qt::WindowModal);
    forgetWhenClosed(ip_, bundle, bundle->view.data());
    bundle->view->showCentred();
}

void Windows::openAbout() {
    if (about_) return;
    // Donate closes the dialog, then opens the donation page as the Help menu does.
    auto* bundle = new AboutBundle(help_, [this] {
        if (main_)
            main_->logic.help().mnuHelpDonate_Click();
        else
            help_.mnuHelpDonate_Click();
    });
    about_ = bundle;
    bundle->logic.Load();
    bundle->view = new AboutView(bundle->form, bundle->logic, toQString(game_.programFolder), mainView());
    bundle->view->setWindowModality(Qt::WindowModal);
    forgetWhenClosed(about_, bundle, bundle->view.data());
    bundle->view->showCentred();
}

void Windows::closeMainWindow() {
    if (main_ && main_->view) main_->view->close();
}

MainWindow* Windows::mainWindow() const { return main_ ? &main_->logic : nullptr; }
MainWindowView* Windows::mainView() const { return main_ ? main_->view.data() : nullptr; }
GameSelectForm* Windows::setupForm() const { return setup_ ? &setup_->form : nullptr; }
SetupDialogView* Windows::setupView() const { return setup_ ? setup_->view.data() : nullptr; }
StatsForm* Windows::statsForm() const { return stats_ ? &stats_->form : nullptr; }
StatsView* Windows::statsView() const { return stats_ ? stats_->view.data() : nullptr; }
IpForm* Windows::ipForm() const { return ip_ ? &ip_->form : nullptr; }
IpView* Windows::ipView() const { return ip_ ? ip_->view.data() : nullptr; }
AboutForm* Windows::aboutForm() const { return about_ ? &about_->form : nullptr; }
AboutView* Windows::aboutView() const { return about_ ? about_->view.data() : nullptr; }

}  // namespace kestrin::ui
