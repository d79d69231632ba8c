// The windows on the offscreen platform: they build with their controls in place and their
// captions readable, keys reach the main window's handler whichever control has the focus,
// model changes show at once, and the windows open and close in the right order.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/qt/qt_timer_driver.h"
#include "shell/about_dialog.h"
#include "shell/ip_dialog.h"
#include "shell/stats_viewer.h"
#include "tests/support/rig.h"
#include "ui/about_view.h"
#include "ui/ip_view.h"
#include "ui/look.h"
#include "ui/main_window_view.h"
#include "ui/qt_message_box.h"
#include "ui/setup_dialog_view.h"
#include "ui/stats_view.h"
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

class MainWindowViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::setFont(ui::applicationFont());
        view = std::make_unique<ui::MainWindowView>(rig.form(), QString());
        view->show();
        QApplication::setActiveWindow(view.get());
    }
    void TearDown() override { view.reset(); }

    template <typename W = QWidget>
    W* widget(const forms::Control& control) {
        return qobject_cast<W*>(view->widgetFor(control));
    }
    QWidget* named(const char* name) { return view->findChild<QWidget*>(QString::fromLatin1(name)); }

    MemoryNetwork network;
    Rig rig{network};
    std::unique_ptr<ui::MainWindowView> view;
};

TEST_F(MainWindowViewTest, ControlsSitOnTheirFramePanelsAtTheirPlaces) {
    MainForm& f = rig.form();
    const auto frameOf = [](QWidget* control) { return control->parentWidget()->parentWidget(); };

    QWidget* start = widget(f.cmdStart);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->geometry(), twips(75, 60, 1125, 315));
    EXPECT_EQ(start->parentWidget()->geometry(), twips(45, 195, 2865, 765));
    EXPECT_EQ(frameOf(start)->objectName(), "fraGame");
    EXPECT_EQ(frameOf(start)->geometry(), twips(1020, 105, 2955, 1005));
    EXPECT_EQ(frameOf(widget(f.cmdBank))->objectName(), "fraPlay");
    EXPECT_EQ(widget(f.cmdBank)->geometry(), twips(1665, 75, 1125, 735));
    EXPECT_EQ(frameOf(widget(f.cmbConnectTo))->objectName(), "Frame1");
    EXPECT_EQ(widget(f.cmdDisconnect)->geometry(), twips(1275, 495, 1125, 315));
    EXPECT_EQ(frameOf(widget(f.txtChat))->geometry(), twips(105, 3540, 5340, 1875));
    EXPECT_EQ(widget(f.cmdSend)->geometry(), twips(4050, 1245, 1095, 315));
    EXPECT_EQ(widget(f.shpTimeLeft)->geometry(), twips(90, 450, 2340, 225));

    // The levels stand in one column, 10 at the bottom and 1000 at the top.
    EXPECT_EQ(widget<QLabel>(f.lblCurrent[0])->text(), "10");
    EXPECT_EQ(widget<QLabel>(f.lblCurrent[7])->text(), "1000");
    EXPECT_GT(widget(f.lblCurrent[0])->y(), widget(f.lblCurrent[1])->y());
    EXPECT_EQ(widget(f.lblCurrent[7])->y(), ui::px(45));
    EXPECT_FALSE(widget(f.lblCurrent[0])->isEnabled());

    EXPECT_EQ(widget<QPushButton>(f.cmdGuess[1])->text(), "&Lower");
    EXPECT_EQ(widget(f.cmdGuess[1])->toolTip(), "Make a lower guess (Key: Page Down)");
    EXPECT_EQ(qobject_cast<QLabel*>(named("lblCaption(3)"))->text(), "Opponent Score");
    EXPECT_EQ(qobject_cast<QGroupBox*>(named("fraScores"))->title(), "Scores");
    EXPECT_EQ(qobject_cast<QGroupBox*>(named("fraChat"))->title(), "Status and Chat");

    // Menus in order, separators included, no shortcut keys.
    QStringList titles;
    for (QAction* action : view->menuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, (QStringList{"Kestrin", "Help"}));
    QStringList help;
    for (QAction* action : view->findChild<QMenu*>("mnuHelp")->actions()) {
        help << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
    EXPECT_EQ(help, (QStringList{"Read Me", "-", "Check for Update", "Vellam on the Web", "-", "Donate!", "About..."}));
}

TEST_F(MainWindowViewTest, EveryCaptionAndTheWidestNumbersFit) {
    MainForm& f = rig.form();
    f.lblCurrentScore.setCaption("-32768");
    f.lblOpponentScore.setCaption("-32768");
    f.lblHighScore.setCaption("32767");
    f.lblTimeLeft.setCaption("60");
    f.cmdStart.setCaption("5 Seconds");
    expectCaptionsFit(view.get());
    // Its caption is written with a doubled ampersand and shown with one, on two lines.
    EXPECT_EQ(widget<QPushButton>(f.cmdHighScores)->text(), "High Scores && Statistics");
}

TEST_F(MainWindowViewTest, ModelChangesShowAtOnceAndInputReachesTheModelFirst) {
    MainForm& f = rig.form();
    f.lblRandom.setCaption("7");
    EXPECT_EQ(widget<QLabel>(f.lblRandom)->text(), "7");
    f.lblCurrent[7].setEnabled(true);
    f.lblCurrent[7].setForeColor(forms::kDarkRed);
    EXPECT_TRUE(widget(f.lblCurrent[7])->isEnabled());
    EXPECT_EQ(widget(f.lblCurrent[7])->palette().color(QPalette::Active, QPalette::WindowText), QColor(192, 0, 0));
    f.imgCorrect.setVisible(true);
    EXPECT_TRUE(widget(f.imgCorrect)->isVisible());

    // The time bar never draws a negative width.
    f.shpTimeLeft.setWidth(-0.0001);
    EXPECT_EQ(static_cast<ui::BarWidget*>(widget(f.shpTimeLeft))->barWidth(), 0);

    // The output log: lines end in CR LF in the model and the caret follows the model.
    f.txtOutput.setText("* one\r\n* two");
    f.txtOutput.setSelStart(f.txtOutput.text().size());
    auto* log = widget<QPlainTextEdit>(f.txtOutput);
    EXPECT_EQ(log->toPlainText(), "* one\n* two");
    EXPECT_EQ(log->textCursor().position(), log->toPlainText().size());
    f.txtOutput.setText(f.txtOutput.text() + "\r\n* three");
    EXPECT_EQ(log->toPlainText(), "* one\n* two\n* three");

    // Typing into the host box updates the model before its change handler runs; Enter is
    // passed on as character 13.
    std::string seenByHandler;
    std::vector<int> keys;
    f.cmbConnectTo.onChange = [&] { seenByHandler = f.cmbConnectTo.text(); };
    f.cmbConnectTo.onKeyPress = [&](int code) { keys.push_back(code); };
    auto* host = widget<QComboBox>(f.cmbConnectTo);
    EXPECT_EQ(host->lineEdit()->focusProxy(), host);  // so keys come to the box itself
    QTest::keyClicks(host, "pc7");
    EXPECT_EQ(seenByHandler, "pc7");
    EXPECT_EQ(host->count(), 0);  // nothing typed is added to the list by itself
    QTest::keyClick(host, Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<int>{13});
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
    EXPECT_EQ(chat->text(), "b");
    EXPECT_EQ(f.txtChat.text(), "b");
}

TEST_F(MainWindowViewTest, AGameIsPlayedWithTheKeysAndEnterBanksOnTheFocusedBankButton) {
    MainForm& f = rig.form();
    rig.choose("Ann", 0);
    rig.random.queueDigits({5});
    QTest::mouseClick(widget(f.cmdStart), Qt::LeftButton);
    EXPECT_EQ(widget<QPushButton>(f.cmdStart)->text(), "&Stop");

    rig.random.queueDigits({8});
    QTest::keyRelease(view.get(), Qt::Key_PageUp);  // higher: correct
    EXPECT_EQ(widget<QLabel>(f.lblRandom)->text(), "8");
    EXPECT_TRUE(widget(f.imgCorrect)->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), widget(f.cmdBank));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(widget<QLabel>(f.lblCurrentScore)->text(), "10");
    EXPECT_FALSE(widget(f.cmdBank)->isEnabled());

    // A wrong guess after a correct one closes the bank window; the focus does not wander
    // on to another button, so Enter opens nothing.
    rig.random.queueDigits({9});
    QTest::keyRelease(view.get(), Qt::Key_PageUp);
    rig.random.queueDigits({2});
    QTest::keyRelease(view.get(), Qt::Key_PageUp);
    EXPECT_TRUE(widget(f.imgWrong)->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), nullptr);

    rig.random.queueDigits({2});
    QTest::keyRelease(view.get(), Qt::Key_PageDown);  // equal digits count as correct
    QTest::keyRelease(view.get(), Qt::Key_B);
    EXPECT_EQ(widget<QLabel>(f.lblCurrentScore)->text(), "20");
}

TEST_F(MainWindowViewTest, SingleAndMultiPlayerShapes) {
    const auto bottomOf = [&](const char* frame) {
        QWidget* w = named(frame);
        return w->mapTo(view.get(), QPoint(0, w->height())).y();
    };
    rig.choose("Ann", 0);
    const int single = view->height();
    EXPECT_FALSE(named("fraChat")->isVisible());
    EXPECT_GE(view->height(), bottomOf("fraScores"));
    EXPECT_LE(view->height(), bottomOf("fraScores") + 20);

    rig.choose("Ann", 1);
    EXPECT_TRUE(named("fraChat")->isVisible());
    EXPECT_GT(view->height(), single);
    EXPECT_GE(view->height(), bottomOf("fraChat"));
    EXPECT_LE(view->height(), bottomOf("fraChat") + 20);
    EXPECT_EQ(view->minimumSize(), view->maximumSize());  // not resizable
    EXPECT_EQ(view->windowTitle(), "Kestrin - Playing as Ann");
}

// ---- The dialogs and the order of the windows ----

class WindowsTest : public ::testing::Test {
protected:
    WindowsTest() { QApplication::setQuitOnLastWindowClosed(false); }
    ~WindowsTest() override {
        windows.reset();
        QApplication::setQuitOnLastWindowClosed(true);
    }
    void start() {
        windows = std::make_unique<ui::Windows>(
            state, GameServices{random, sound, messageBox, errors, store, kProgramFolder},
            LinkServices{*sockets, store, lists, messageBox, errors, 600}, shell, addresses, timers);
        windows->start();
    }
    template <typename W>
    W* in(QWidget* window, const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }

    MemoryNetwork network;
    std::unique_ptr<SocketFactory> sockets = network.factoryFor("10.0.0.1");
    MemorySettingsStore store;
    ScriptedMessageBox messageBox;
    MemoryFiles files;
    FixedCalendar calendar;
    RecordingSound sound;
    RecordingShell shell;
    FixedAddressTable addresses;
    ScriptedRandom random;
    QtTimerDriver timers;
    ErrorReporter errors{messageBox, files, calendar, kProgramFolder};
    ListFiles lists{files, kProgramFolder};
    ProgramState state{store};
    std::unique_ptr<ui::Windows> windows;
};

TEST_F(WindowsTest, TheSetupDialogComesFirstAndEnterInTheNameBoxOpensTheMainWindow) {
    start();
    ui::SetupDialogView* setup = windows->setupView();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(windows->mainView(), nullptr);
    EXPECT_EQ(setup->windowTitle(), "Kestrin - Game Setup");
    EXPECT_EQ(setup->size(), QSize(255, 120));
    expectCaptionsFit(setup);

    auto* name = in<QComboBox>(setup, "cmbPlayerName");
    auto* type = in<QComboBox>(setup, "cmbGameSelect");
    auto* autoStart = in<QCheckBox>(setup, "chkGameSelect");
    auto* ok = in<QPushButton>(setup, "cmdOK");
    EXPECT_EQ(name->currentText(), "Anonymous");
    EXPECT_EQ(type->currentText(), "Single Player");
    QApplication::setActiveWindow(setup);
    EXPECT_EQ(QApplication::focusWidget(), name);
    for (QWidget* next : std::initializer_list<QWidget*>{type, autoStart, ok, name}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }

    type->setCurrentIndex(1);  // the player picks Multi Player
    name->lineEdit()->clear();
    QTest::keyClicks(name, "Bo");
    QTest::keyClick(name, Qt::Key_Return);
    settle();
    EXPECT_EQ(windows->setupView(), nullptr);
    ASSERT_NE(windows->mainView(), nullptr);
    EXPECT_TRUE(windows->mainView()->isVisible());
    EXPECT_EQ(windows->mainView()->windowTitle(), "Kestrin - Playing as Bo");
    EXPECT_EQ(store.get("Kestrin", "Program", "GameSelect"), "1");
    EXPECT_TRUE(windows->mainView()->findChild<QWidget*>("fraChat")->isVisible());
}

TEST_F(WindowsTest, AutoStartNeverShowsTheDialogAndSetupReopensItModal) {
    store.set("Kestrin", "Program", "AutoStart", "1");
    store.set("Kestrin", "Scores", "LastName", "Cy");
    start();
    EXPECT_EQ(windows->setupView(), nullptr);
    ASSERT_NE(windows->mainView(), nullptr);

    // Setup from the main window: modal to it; its close box changes nothing.
    windows->mainWindow()->form().cmdSetup.click();
    ui::SetupDialogView* setup = windows->setupView();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->windowModality(), Qt::WindowModal);
    EXPECT_EQ(setup->parentWidget(), windows->mainView());
    EXPECT_EQ(in<QCheckBox>(setup, "chkGameSelect")->isChecked(), true);
    setup->close();
    settle();
    EXPECT_EQ(windows->setupView(), nullptr);
    EXPECT_EQ(windows->mainView()->windowTitle(), "Kestrin - Playing as Cy");
}

TEST_F(WindowsTest, TheStatisticsViewerIsOpenedOnceAndOutlivesTheMainWindow) {
    store.set("Kestrin", "Program", "AutoStart", "1");
    start();
    MainForm& form = windows->mainWindow()->form();
    form.cmdHighScores.click();
    ui::StatsView* stats = windows->statsView();
    ASSERT_NE(stats, nullptr);
    EXPECT_EQ(stats->size(), QSize(397, 296));
    expectCaptionsFit(stats);
    auto* page = in<QPlainTextEdit>(stats, "txtStats");
    EXPECT_TRUE(page->toPlainText().startsWith("Single Player High Scores\n\n"));
    EXPECT_TRUE(QFontInfo(page->font()).fixedPitch());
    QApplication::setActiveWindow(stats);
    EXPECT_EQ(QApplication::focusWidget(), in<QPushButton>(stats, "cmdClose"));  // first in the tab order

    // Choosing a page in the list shows it.
    in<QListWidget>(stats, "lstPage")->setCurrentRow(2);
    EXPECT_TRUE(page->toPlainText().startsWith("Statistics for "));
    form.cmdHighScores.click();  // only brought forward, not rebuilt
    EXPECT_EQ(windows->statsView(), stats);
    EXPECT_TRUE(page->toPlainText().startsWith("Statistics for "));

    form.mnuGameExit.click();
    settle();
    EXPECT_EQ(windows->mainView(), nullptr);
    EXPECT_EQ(windows->statsView(), stats);
    EXPECT_TRUE(stats->isVisible());
    QTest::mouseClick(in<QPushButton>(stats, "cmdClose"), Qt::LeftButton);
    settle();
    EXPECT_EQ(windows->statsView(), nullptr);
}

TEST_F(WindowsTest, IpAndAboutDialogsAreModalAndTheirLinksRespondToTheMouse) {
    store.set("Kestrin", "Program", "AutoStart", "1");
    addresses.addresses = {{192, 168, 1, 5}, {127, 0, 0, 1}};
    start();
    MainForm& form = windows->mainWindow()->form();

    form.mnuIP.click();
    ASSERT_NE(windows->ipView(), nullptr);
    EXPECT_EQ(windows->ipView()->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(in<QPlainTextEdit>(windows->ipView(), "txtIP")->toPlainText(), "127.0.0.1\n192.168.1.5\n");
    expectCaptionsFit(windows->ipView());
    QTest::mouseClick(in<QPushButton>(windows->ipView(), "cmdOK"), Qt::LeftButton);
    settle();
    EXPECT_EQ(windows->ipView(), nullptr);

    form.mnuHelpAbout.click();
    ui::AboutView* about = windows->aboutView();
    ASSERT_NE(about, nullptr);
    expectCaptionsFit(about);
    EXPECT_EQ(in<QLabel>(about, "lblVersion")->text(), "Version 2.11 (Build 210)");
    auto* site = in<QLabel>(about, "lblHyperlink(1)");
    EXPECT_EQ(site->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(site, Qt::LeftButton);
    EXPECT_EQ(site->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    QTest::mouseRelease(site, Qt::LeftButton);
    EXPECT_EQ(site->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 255));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], site->text().toStdString());

    // Donate closes the dialog first, then opens the donation page.
    QTest::mouseClick(in<QPushButton>(about, "cmdDonate"), Qt::LeftButton);
    settle();
    EXPECT_EQ(windows->aboutView(), nullptr);
    EXPECT_EQ(shell.opened.size(), 2u);
}

TEST(QtMessageBoxTest, ShowsCarriageReturnsAsLineBreaksAndReturnsTheAnswer) {
    QString shownText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        box->button(QMessageBox::No)->click();
    });
    ui::QtMessageBox messageBox;
    const MessageResult answer =
        messageBox.show("Accept?\rFrom <Ann>", "Request", MessageButtons::YesNo, MessageIcon::Question);
    EXPECT_EQ(answer, MessageResult::No);
    EXPECT_EQ(shownText, "Accept?\nFrom <Ann>");
}

}  // namespace
}  // namespace kestrin::testing
