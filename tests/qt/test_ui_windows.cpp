// The windows on the offscreen platform: they build with their controls in place and their
// captions readable, keys reach the main window's handler whichever control has the focus,
// model changes show at once, the windows open and close in the right order, in their places
// and with the right modality; the message box; the check for a display before start.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "platform/qt/display_check.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_timer_driver.h"
#include "tests/support/rig.h"
#include "ui/about_view.h"
#include "ui/ip_view.h"
#include "ui/look.h"
#include "ui/main_window_view.h"
#include "ui/setup_dialog_view.h"
#include "ui/stats_view.h"
#include "ui/widgets.h"
#include "ui/windows.h"

namespace kestrin::testing {
namespace {

using ui::twips;

// Lets windows closed by their own handlers go.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Every label, check box and button of a window shows its whole caption.
void expectCaptionsFit(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->pixmap().isNull() && !label->text().isEmpty()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        QString shown = button->text();
        shown.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
        shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        const QFontMetrics metrics(button->font());
        // A wrapping button may use two lines; any other has one.
        const int lines = dynamic_cast<ui::WrappingButton*>(button) ? 2 : 1;
        const QRect room = button->rect().adjusted(qobject_cast<QCheckBox*>(button) ? 20 : 3, 2, -3, -2);
        const int flags = Qt::AlignCenter | Qt::TextWordWrap;
        const QRect needed = metrics.boundingRect(room, flags, shown);
        const int line = metrics.boundingRect(room, flags, QStringLiteral("X")).height();
        EXPECT_LE(needed.width(), room.width()) << shown.toStdString();
        EXPECT_LE(needed.height(), std::min(room.height(), line * lines)) << shown.toStdString();
    }
}

// What a control shows: a caption, a frame's title or a text box's text.
QString shownText(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) return text->toPlainText();
    return QStringLiteral("<not shown>");
}

class MainWindowViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::setFont(ui::applicationFont());
        view = std::make_unique<ui::MainWindowView>(rig.form(), QString());
        view->show();
        QApplication::setActiveWindow(view.get());
    }
    template <typename W = QWidget>
    W* widget(const forms::Control& control) {
        return qobject_cast<W*>(view->widgetFor(control));
    }
    QWidget* named(const char* name) { return view->findChild<QWidget*>(QString::fromLatin1(name)); }

    MemoryNetwork network;
    Rig rig{&network};
    std::unique_ptr<ui::MainWindowView> view;
};

TEST_F(MainWindowViewTest, ModelChangesShowAtOnceAndTheHeightFollowsTheGameType) {
    MainForm& f = rig.form();
    f.lblCurrent[7].setEnabled(true);
    f.lblCurrent[7].setForeColor(forms::kDarkRed);
    EXPECT_TRUE(widget(f.lblCurrent[7])->isEnabled());
    EXPECT_EQ(widget(f.lblCurrent[7])->palette().color(QPalette::Active, QPalette::WindowText), QColor(192, 0, 0));
    f.shpTimeLeft.setWidth(-0.0001);  // the time bar never draws a negative width
    EXPECT_EQ(static_cast<ui::BarWidget*>(widget(f.shpTimeLeft))->barWidth(), 0);

    // The output log: lines end in CR LF in the model and the caret follows the model.
    f.txtOutput.setText("* one\r\n* two");
    f.txtOutput.setSelStart(f.txtOutput.text().size());
    auto* log = widget<QPlainTextEdit>(f.txtOutput);
    EXPECT_EQ(log->toPlainText(), "* one\n* two");
    EXPECT_EQ(log->textCursor().position(), log->toPlainText().size());
    // Lines added to the log follow as further lines, the caret after them; a CR LF split
    // over two additions is still one line break.
    f.txtOutput.append("\r\n* three\r");
    f.txtOutput.append("\n* four");
    EXPECT_EQ(log->toPlainText(), "* one\n* two\n* three\n* four");
    EXPECT_EQ(log->textCursor().position(), log->toPlainText().size());

    // The window ends just below its last frame: the scores alone, or the chat too.
    const auto endsJustBelow = [&](const char* frame) {
        const int bottom = named(frame)->mapTo(view.get(), QPoint(0, named(frame)->height())).y();
        return view->height() >= bottom && view->height() <= bottom + 20;
    };
    rig.choose("Ann", 0);
    EXPECT_FALSE(named("fraChat")->isVisible());
    EXPECT_TRUE(endsJustBelow("fraScores"));
    rig.choose("Ann", 1);
    EXPECT_TRUE(named("fraChat")->isVisible());
    EXPECT_TRUE(endsJustBelow("fraChat"));
    EXPECT_EQ(view->minimumSize(), view->maximumSize());  // not resizable
}

TEST_F(MainWindowViewTest, KeysReachTheWindowHandlerWhateverHasTheFocus) {
    MainForm& f = rig.form();
    std::vector<int> codes;
    f.onKeyUp = [&](int code) { codes.push_back(code); };
    rig.choose("Ann", 1);  // shows the chat frame
    f.txtChat.setEnabled(true);
    auto* chat = widget<QLineEdit>(f.txtChat);
    f.txtChat.setFocus();
    EXPECT_EQ(QApplication::focusWidget(), chat);

    QTest::keyRelease(view.get(), Qt::Key_PageUp);
    QTest::keyRelease(widget(f.cmdStart), Qt::Key_PageDown);
    QTest::keyClick(chat, Qt::Key_B);  // typed into the chat box, and still the bank key
    QTest::keyRelease(chat, Qt::Key_A);
    EXPECT_EQ(codes, (std::vector<int>{33, 34, 66}));
    EXPECT_EQ(f.txtChat.text(), "b");
}

TEST_F(MainWindowViewTest, EnterInTheHostBoxConnectsAndLeavesConnectDisabled) {
    MainForm& f = rig.form();
    f.cmbConnectTo.addItem("10.0.0.7");  // a recent host, typed again by hand
    rig.choose("Ann", 1);
    auto* box = widget<QComboBox>(f.cmbConnectTo);
    box->setFocus();
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "10.0.0.7");
    EXPECT_TRUE(f.cmdConnect.enabled());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(f.txtOutput.text().substr(f.txtOutput.text().rfind('*')), "* Attempting connection with 10.0.0.7");
    EXPECT_FALSE(f.cmdConnect.enabled());
    EXPECT_FALSE(widget(f.cmdConnect)->isEnabled());
}

TEST_F(MainWindowViewTest, EnterOnTheFocusedBankButtonBanksAndAWrongGuessLeavesNoFocus) {
    MainForm& f = rig.form();
    rig.choose("Ann", 0);
    rig.random.queueDigits({5});
    QTest::mouseClick(widget(f.cmdStart), Qt::LeftButton);
    EXPECT_EQ(widget<QPushButton>(f.cmdStart)->text(), "&Stop");

    rig.random.queueDigits({8});
    QTest::keyRelease(view.get(), Qt::Key_PageUp);  // higher: correct
    EXPECT_EQ(QApplication::focusWidget(), widget(f.cmdBank));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(widget<QLabel>(f.lblCurrentScore)->text(), "10");
    EXPECT_FALSE(widget(f.cmdBank)->isEnabled());

    // After a wrong guess the focus does not wander on to another button, so Enter opens nothing.
    rig.random.queueDigits({9, 2});
    QTest::keyRelease(view.get(), Qt::Key_PageUp);
    QTest::keyRelease(view.get(), Qt::Key_PageUp);
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

// ---- All the windows and their order ----

class WindowsTest : public ::testing::Test, public Doubles {
protected:
    WindowsTest() { QApplication::setQuitOnLastWindowClosed(false); }
    ~WindowsTest() override {
        windows.reset();
        QApplication::setQuitOnLastWindowClosed(true);
    }
    void start() {
        windows = std::make_unique<ui::Windows>(state, gameServices(), linkServices(), shell, addresses, timers);
        windows->start();
    }
    template <typename W = QWidget>
    W* in(QWidget* window, const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }

    QtTimerDriver timers;
    std::unique_ptr<ui::Windows> windows;
};

TEST_F(WindowsTest, EveryWindowBuildsWithItsControlsInPlaceAndItsCaptionsFit) {
    QApplication::setFont(ui::applicationFont());
    store.set("Kestrin", "Program", "AutoStart", "1");
    addresses.addresses = {{192, 168, 1, 5}, {127, 0, 0, 1}};
    start();
    MainForm& f = windows->mainWindow()->form();
    f.lblCurrentScore.setCaption("-32768");  // the widest numbers
    f.lblOpponentScore.setCaption("-32768");
    f.lblHighScore.setCaption("32767");
    f.cmdStart.setCaption("5 Seconds");

    const struct {
        forms::Button* opener;  // none: the main window itself
        std::function<QWidget*()> window;
        QString title;
        std::vector<std::pair<const char*, QString>> shows;
    } cases[] = {
        {nullptr,
         [&]() -> QWidget* { return windows->mainView(); },
         "Kestrin - Playing as Anonymous",
         {{"lblCurrent(7)", "1000"}, {"fraScores", "Scores"}, {"cmdHighScores", "High Scores && Statistics"}}},
        {&f.cmdSetup,
         [&]() -> QWidget* { return windows->setupView(); },
         "Kestrin - Game Setup",
         {{"chkGameSelect", "Auto-start with these settings"}}},
        {&f.cmdHighScores,
         [&]() -> QWidget* { return windows->statsView(); },
         "High Scores & Statistics",
         {{"cmdRefresh", "&Refresh"}}},
        {&f.mnuIP,
         [&]() -> QWidget* { return windows->ipView(); },
         "IP Addresses",
         {{"txtIP", "127.0.0.1\n192.168.1.5\n"}}},
        {&f.mnuHelpAbout,
         [&]() -> QWidget* { return windows->aboutView(); },
         "About Kestrin",
         {{"lblVersion", "Version 2.11 (Build 210)"}}},
    };
    for (const auto& c : cases) {
        if (c.opener) c.opener->click();
        QWidget* window = c.window();
        ASSERT_NE(window, nullptr) << c.title.toStdString();
        EXPECT_EQ(window->windowTitle(), c.title);
        for (const auto& [name, text] : c.shows)
            EXPECT_EQ(in(window, name) ? shownText(in(window, name)) : QString("<missing>"), text) << name;
        expectCaptionsFit(window);
        if (window != windows->mainView()) window->close();
        settle();
    }

    // The main window's controls sit on their frames' panels at their places.
    const std::pair<const char*, QRect> places[] = {
        {"cmdStart", twips(75, 60, 1125, 315)},    {"fraGame", twips(1020, 105, 2955, 1005)},
        {"cmdBank", twips(1665, 75, 1125, 735)},   {"cmdDisconnect", twips(1275, 495, 1125, 315)},
        {"fraChat", twips(105, 3540, 5340, 1875)}, {"cmdSend", twips(4050, 1245, 1095, 315)},
        {"shpTimeLeft", twips(90, 450, 2340, 225)}};
    for (const auto& [name, place] : places) {
        QWidget* control = in(windows->mainView(), name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), place) << name;
    }
    EXPECT_EQ(in(windows->mainView(), "lblCurrent(7)")->y(), ui::px(45));  // 1000 at the top of the column
}

TEST_F(WindowsTest, SetupComesFirstOrAutoStartsAndTheOneStatisticsViewerOutlivesExit) {
    start();
    ASSERT_NE(windows->setupView(), nullptr);
    EXPECT_EQ(windows->mainView(), nullptr);
    auto* name = in<QComboBox>(windows->setupView(), "cmbPlayerName");
    in<QComboBox>(windows->setupView(), "cmbGameSelect")->setCurrentIndex(1);  // Multi Player
    in<QCheckBox>(windows->setupView(), "chkGameSelect")->setChecked(true);
    name->lineEdit()->clear();
    QTest::keyClicks(name, "Bo");
    QTest::keyClick(name, Qt::Key_Return);  // Enter in the name box is OK
    settle();
    EXPECT_EQ(windows->setupView(), nullptr);
    ASSERT_NE(windows->mainView(), nullptr);
    EXPECT_TRUE(windows->mainView()->isVisible());
    EXPECT_EQ(store.get("Kestrin", "Program", "GameSelect"), "1");

    // The next run applies the stored choice and never shows the dialog.
    windows.reset();
    state.MainWindowShown = false;
    start();
    EXPECT_EQ(windows->setupView(), nullptr);
    ASSERT_NE(windows->mainView(), nullptr);
    EXPECT_EQ(windows->mainView()->windowTitle(), "Kestrin - Playing as Bo");

    MainForm& form = windows->mainWindow()->form();
    form.cmdHighScores.click();
    ui::StatsView* stats = windows->statsView();
    ASSERT_NE(stats, nullptr);
    auto* page = in<QPlainTextEdit>(stats, "txtStats");
    EXPECT_TRUE(page->toPlainText().startsWith("Single Player High Scores\n\n"));
    in<QListWidget>(stats, "lstPage")->setCurrentRow(2);
    form.cmdHighScores.click();  // only brought forward, not rebuilt
    EXPECT_EQ(windows->statsView(), stats);
    EXPECT_TRUE(page->toPlainText().startsWith("Statistics for "));

    form.mnuGameExit.click();
    settle();
    EXPECT_EQ(windows->mainView(), nullptr);
    EXPECT_TRUE(stats->isVisible());
    QTest::mouseClick(in<QPushButton>(stats, "cmdClose"), Qt::LeftButton);
    settle();
    EXPECT_EQ(windows->statsView(), nullptr);
}

// A click as the windowing system delivers it, so that a window blocked by a modal dialog
// does not get it.
void clickThroughWindow(QWidget* control) {
    QWidget* window = control->window();
    ASSERT_NE(window->windowHandle(), nullptr);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      control->mapTo(window, control->rect().center()));
}

// The key to whatever control of the window has the focus, or to the window.
void pressIn(QWidget* window, Qt::Key key) {
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key);
}

TEST_F(WindowsTest, TheViewerOpensBesideTheGameAndTheMenuDialogsBlockOnlyTheGame) {
    store.set("Kestrin", "Program", "AutoStart", "1");
    start();
    ui::MainWindowView* main = windows->mainView();
    ASSERT_NE(main, nullptr);
    const QRect area = main->screen()->availableGeometry();
    main->move(area.topLeft());  // room on the right
    MainForm& f = windows->mainWindow()->form();
    f.cmdHighScores.click();
    ui::StatsView* stats = windows->statsView();
    ASSERT_NE(stats, nullptr);
    EXPECT_FALSE(stats->frameGeometry().intersects(main->frameGeometry()));
    EXPECT_GE(stats->x(), main->frameGeometry().right());
    EXPECT_EQ(stats->y(), main->frameGeometry().y());

    auto* setupButton = in(main, "cmdSetup");
    auto* page = in<QPlainTextEdit>(stats, "txtStats");
    const std::pair<forms::Button*, std::function<QWidget*()>> dialogs[] = {
        {&f.mnuIP, [&]() -> QWidget* { return windows->ipView(); }},
        {&f.mnuHelpAbout, [&]() -> QWidget* { return windows->aboutView(); }}};
    for (const auto& [opener, opened] : dialogs) {
        opener->click();
        QWidget* dialog = opened();
        ASSERT_NE(dialog, nullptr);
        const std::string leader = opener->name();  // a new best player for each dialog
        clickThroughWindow(setupButton);            // the game is blocked
        EXPECT_EQ(windows->setupView(), nullptr);
        store.set("KestrinSolo", "Scores\\", "1name", leader);
        store.set("KestrinSolo", "Scores\\", "1score", "900");
        clickThroughWindow(in(stats, "cmdRefresh"));  // the viewer is not
        EXPECT_TRUE(page->toPlainText().contains(QString::fromStdString(leader))) << leader;
        dialog->close();
        settle();
    }
    clickThroughWindow(setupButton);  // with the dialog gone the game takes clicks again
    EXPECT_NE(windows->setupView(), nullptr);
}

TEST_F(WindowsTest, EscapeClosesTheDialogsOfTheMainWindowAndEnterTheIpDialog) {
    start();
    // At start closing the set-up dialog would end the program: Escape leaves it open.
    pressIn(windows->setupView(), Qt::Key_Escape);
    settle();
    ASSERT_NE(windows->setupView(), nullptr);
    QTest::mouseClick(in(windows->setupView(), "cmdOK"), Qt::LeftButton);
    settle();
    ASSERT_NE(windows->mainView(), nullptr);
    MainForm& f = windows->mainWindow()->form();

    // Reopened, Escape closes it as the close box does: nothing typed is kept.
    f.cmdSetup.click();
    auto* name = in<QComboBox>(windows->setupView(), "cmbPlayerName");
    name->lineEdit()->clear();
    QTest::keyClicks(name->lineEdit(), "Zed");
    QTest::keyClick(name->lineEdit(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(windows->setupView(), nullptr);
    EXPECT_EQ(store.get("Kestrin", "Scores", "LastName"), "Anonymous");
    EXPECT_EQ(windows->mainView()->windowTitle(), "Kestrin - Playing as Anonymous");

    f.cmdHighScores.click();
    ASSERT_NE(windows->statsView(), nullptr);
    QTest::keyClick(in(windows->statsView(), "lstPage"), Qt::Key_Escape);
    settle();
    EXPECT_EQ(windows->statsView(), nullptr);

    f.mnuHelpAbout.click();
    ASSERT_NE(windows->aboutView(), nullptr);
    pressIn(windows->aboutView(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(windows->aboutView(), nullptr);

    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        f.mnuIP.click();
        ASSERT_NE(windows->ipView(), nullptr);
        EXPECT_EQ(windows->ipView()->focusWidget(), in(windows->ipView(), "cmdOK"));
        pressIn(windows->ipView(), key);
        settle();
        EXPECT_EQ(windows->ipView(), nullptr) << key;
    }
}

TEST(WindowPlaceTest, AWindowGoesRightOfAnotherElseLeftElseNowhere) {
    const QRect area(0, 30, 1000, 700);  // the screen's free area below a panel
    const QSize outer(300, 200);
    EXPECT_EQ(ui::besidePlace(QRect(100, 100, 400, 300), outer, area), QPoint(500, 100));
    EXPECT_EQ(ui::besidePlace(QRect(350, 100, 400, 300), outer, area), QPoint(50, 100));
    EXPECT_EQ(ui::besidePlace(QRect(0, 100, 700, 300), outer, area), QPoint(700, 100));  // just fits
    EXPECT_EQ(ui::besidePlace(QRect(250, 100, 500, 300), outer, area), std::nullopt);
    // Level with the other's top, but kept within the area.
    EXPECT_EQ(ui::besidePlace(QRect(100, 600, 400, 100), outer, area), QPoint(500, 530));
    EXPECT_EQ(ui::besidePlace(QRect(100, 0, 400, 100), outer, area), QPoint(500, 30));
}

TEST(DisplayCheckTest, OnlyAnX11StartWithoutADisplayIsRefused) {
    const std::string refusal = "Kestrin: no display found (DISPLAY is not set); start it from a desktop session.";
    const struct {
        DisplaySetting setting;
        bool refused;
    } cases[] = {
        {{"", "", ""}, true},
        {{"", ":0", ""}, false},
        {{"", "", "wayland-0"}, false},
        {{"xcb", "", ""}, true},
        {{"xcb", "", "wayland-0"}, true},  // X11 asked for by name needs DISPLAY
        {{"xcb:nograb", ":1", ""}, false},
        {{"offscreen", "", ""}, false},
        {{"minimal", "", ""}, false},
        {{"wayland;xcb", "", ""}, false},  // Wayland may find its display by itself
        {{";xcb;", "", ""}, true},
    };
    for (const auto& c : cases) {
        const auto message = missingDisplay(c.setting);
        EXPECT_EQ(message.value_or(""), c.refused ? refusal : "") << c.setting.platform << " / " << c.setting.display;
    }
}

TEST(QtMessageBoxTest, PlainTextWithLineBreaksYesByDefaultEscapeNo) {
    const struct {
        std::function<void(QMessageBox*)> answer;
        MessageResult expected;
    } cases[] = {
        {[](QMessageBox* box) { box->button(QMessageBox::No)->click(); }, MessageResult::No},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, MessageResult::No},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, MessageResult::Yes},
    };
    for (const auto& c : cases) {
        QString shownText;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shownText = box->text();
            format = box->textFormat();
            c.answer(box);
        });
        const MessageResult answer = QtMessageBox().show("Accept?\r\nFrom <b>Ann</b>\rnow", "Request",
                                                         MessageButtons::YesNo, MessageIcon::Question);
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(shownText, "Accept?\nFrom <b>Ann</b>\nnow");
        EXPECT_EQ(format, Qt::PlainText);
    }
}

}  // namespace
}  // namespace kestrin::testing
