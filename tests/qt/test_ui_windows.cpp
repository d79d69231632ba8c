// The windows on the offscreen platform: at the reference font every control in its place, inside
// its frame, clear of its neighbours, its caption showing; model changes show at once; keys reach
// their handlers; the windows open and close in order, placed and modal as they should be.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/output_log.h"
#include "platform/qt/display_check.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_timer_driver.h"
#include "tests/support/rig.h"
#include "ui/about_view.h"
#include "ui/colours.h"
#include "ui/ip_view.h"
#include "ui/look.h"
#include "ui/main_window_view.h"
#include "ui/setup_dialog_view.h"
#include "ui/stats_view.h"
#include "ui/widgets.h"
#include "ui/windows.h"

namespace kestrin::testing {
namespace {

// Lets windows closed by their own handlers go.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QPalette themePalette(QColor window, QColor text) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    return palette;
}

// The window's own widgets, those the game named, not Qt's inner parts or other windows.
QList<QWidget*> named(QWidget* window) {
    QList<QWidget*> widgets;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!widget->isWindow() && !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"))) widgets.append(widget);
    }
    return widgets;
}

// The structure of a window: every control lies inside its frame (a pixel of twips rounding
// aside), no two neighbours overlap (but the time bar in its outline, and the tick and the
// cross, which take turns), and every label and button shows its whole caption.
void expectTidy(QWidget* window) {
    const QStringList overlapping = {QStringLiteral("shpOutline shpTimeLeft"), QStringLiteral("imgCorrect imgWrong")};
    for (QWidget* widget : named(window)) {
        const std::string name = widget->objectName().toStdString();
        const int slack = std::max(1, ui::px(15));
        const QRect room = widget->parentWidget()->rect().adjusted(-slack, -slack, slack, slack);
        EXPECT_TRUE(room.contains(widget->geometry()))
            << name << " leaves its frame " << widget->x() << "," << widget->y() << " " << widget->width() << "x"
            << widget->height() << " in " << room.width() << "x" << room.height();
        for (QWidget* other : named(window)) {
            const QString pair = widget->objectName() + " " + other->objectName();
            const bool allowed =
                overlapping.contains(pair) || overlapping.contains(other->objectName() + " " + widget->objectName());
            const bool neighbours = other->parentWidget() == widget->parentWidget() && widget < other;
            EXPECT_FALSE(neighbours && !allowed && widget->geometry().intersects(other->geometry()))
                << pair.toStdString();
        }
        const QFontMetrics metrics(widget->font());
        if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << name;
            EXPECT_LE(label->sizeHint().height(), label->height() + 2) << name;  // digits need no descent
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const QString shown =
                button->text().replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
            // A wrapping button may use two lines; any other has one.
            const int lines = dynamic_cast<ui::WrappingButton*>(button) ? 2 : 1;
            const QRect inside = button->rect().adjusted(qobject_cast<QCheckBox*>(button) ? 20 : 3, 2, -3, -2);
            const int flags = Qt::AlignCenter | Qt::TextWordWrap;
            const QRect needed = metrics.boundingRect(inside, flags, shown);
            EXPECT_LE(needed.width(), inside.width()) << name;
            const QString most = lines == 2 ? QStringLiteral("X\nX") : QStringLiteral("X");
            EXPECT_LE(needed.height(), std::min(inside.height(), metrics.boundingRect(inside, flags, most).height()))
                << name;
        }
    }
}

// Where each control of the five windows is, in twips, inside its frame's panel or window.
struct Place {
    const char* name;
    int left, top, width, height;
};
// clang-format off
const std::vector<Place> kMainPlaces = {
    {"fraCurrent", 105, 105, 840, 3375}, {"picContainer(1)", 45, 195, 750, 3135}, {"lblCurrent(0)", -15, 2805, 765, 315},
    {"lblCurrent(1)", -15, 2415, 765, 315}, {"lblCurrent(2)", -15, 2010, 765, 315}, {"lblCurrent(3)", -15, 1620, 765, 315},
    {"lblCurrent(4)", -15, 1230, 765, 315}, {"lblCurrent(5)", -15, 840, 765, 315}, {"lblCurrent(6)", -15, 435, 765, 315},
    {"lblCurrent(7)", -15, 45, 765, 315}, {"fraGame", 1020, 105, 2955, 1005}, {"picContainer(2)", 45, 195, 2865, 765},
    {"cmdStart", 75, 60, 1125, 315}, {"cmdSetup", 1305, 60, 1125, 315}, {"shpOutline", 75, 435, 2355, 225},
    {"shpTimeLeft", 90, 450, 2340, 225}, {"lblTimeLeft", 2490, 435, 300, 270}, {"fraPlay", 1020, 1170, 2955, 1140},
    {"picContainer(4)", 45, 195, 2865, 900}, {"cmdGuess(0)", 75, 75, 1125, 315}, {"cmdGuess(1)", 75, 495, 1125, 315},
    {"lblRandom", 1290, 105, 285, 345}, {"imgCorrect", 1335, 555, 330, 330}, {"imgWrong", 1335, 555, 330, 330},
    {"cmdBank", 1665, 75, 1125, 735}, {"Frame1", 1020, 2355, 2955, 1125}, {"picContainer(3)", 45, 195, 2865, 885},
    {"lblLabel(1)", 75, 135, 825, 195}, {"cmbConnectTo", 975, 75, 1845, 315}, {"cmdConnect", 75, 495, 1125, 315},
    {"cmdDisconnect", 1275, 495, 1125, 315}, {"fraScores", 4050, 105, 1395, 3375}, {"picContainer(5)", 45, 195, 1305, 3135},
    {"lblCaption(1)", 75, 75, 900, 195}, {"lblCurrentScore", 75, 285, 1230, 300}, {"lblCaption(3)", 75, 615, 1170, 195},
    {"lblOpponentScore", 75, 855, 1230, 300}, {"Line1", 75, 1245, 1155, 15}, {"lblCaption(2)", 75, 1395, 1050, 195},
    {"lblHighScore", 75, 1605, 1230, 300}, {"lblCaption(4)", 75, 1935, 1080, 195}, {"lblHighScore2", 75, 2145, 1230, 300},
    {"cmdHighScores", 75, 2505, 1155, 525}, {"fraChat", 105, 3540, 5340, 1875}, {"picContainer(0)", 45, 195, 5250, 1635},
    {"txtOutput", 90, 75, 5055, 1095}, {"txtChat", 90, 1245, 3885, 315}, {"cmdSend", 4050, 1245, 1095, 315}};
const std::vector<Place> kSetupPlaces = {
    {"lblCaption(0)", 60, 150, 1050, 195}, {"lblCaption(1)", 60, 570, 1050, 195}, {"cmbPlayerName", 1200, 120, 2505, 315},
    {"cmbGameSelect", 1200, 510, 2505, 315}, {"chkGameSelect", 120, 930, 2655, 255}, {"cmdOK", 1350, 1320, 1125, 375}};
const std::vector<Place> kStatsPlaces = {
    {"lstPage", 120, 120, 1365, 3765}, {"fraFrame", 1590, 30, 4275, 3855}, {"picContainer(0)", 45, 135, 4185, 3675},
    {"txtStats", 90, 75, 4005, 3540}, {"cmdRefresh", 3510, 3990, 1125, 345}, {"cmdClose", 4710, 3990, 1125, 345}};
const std::vector<Place> kIpPlaces = {
    {"Label1", 120, 120, 1680, 195}, {"txtIP", 90, 390, 3105, 1155}, {"cmdOK", 1088, 1650, 1185, 345}};
const std::vector<Place> kAboutPlaces = {
    {"Picture1", 180, 120, 480, 480}, {"lblProductName", 840, 120, 1125, 195}, {"lblVersion", 840, 360, 1830, 195},
    {"Label2", 840, 600, 1815, 195}, {"lblLabel(1)", 405, 1920, 720, 195}, {"lblLabel(0)", 405, 2190, 720, 195},
    {"lblHyperlink(0)", 1185, 1920, 1590, 195}, {"lblHyperlink(1)", 1185, 2190, 1770, 195},
    {"cmdDonate", 180, 2580, 1275, 375}, {"cmdOK", 2040, 2580, 1275, 375}};
// clang-format on

class WindowsTest : public ::testing::Test, public Doubles {
protected:
    WindowsTest() {
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setFont(ui::referenceFont());  // the reference font
    }
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

// What a screen reader learns of a window: its role and caption, and for every control that
// takes the focus a name that says what the control is, never what it holds.
void expectAccessible(QWidget* window, QAccessible::Role role) {
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(window);
    EXPECT_EQ(shown->role(), role);
    EXPECT_EQ(shown->text(QAccessible::Name), window->windowTitle());
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(window)) continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        const QString name = control->text(QAccessible::Name);
        // (Qt gives a list its name as its value, too.)
        const QString value = control->role() == QAccessible::List ? QString() : control->text(QAccessible::Value);
        EXPECT_TRUE(!name.isEmpty() && name != value) << widget->objectName().toStdString();
    }
}

// The reference font (no points); the desktop's font at sizes from 6 to 24 points, the largest
// capped by the screen.
class WindowsAtFont : public WindowsTest, public ::testing::WithParamInterface<std::pair<const char*, int>> {};
INSTANTIATE_TEST_SUITE_P(DesktopFonts, WindowsAtFont,
                         ::testing::Values(std::pair("", 0), std::pair("DejaVu Sans", 6), std::pair("Sans Serif", 9),
                                           std::pair("DejaVu Sans", 24)));

TEST_P(WindowsAtFont, EveryWindowIsTidyAndAccessibleAndAtTheReferenceFontEachControlIsInItsPlace) {
    store.set("Kestrin", "Program", "AutoStart", "1");
    store.set("Kestrin", "Program", "GameSelect", "1");
    addresses.addresses = {{192, 168, 1, 5}, {127, 0, 0, 1}};
    const bool reference = GetParam().second == 0;
    if (!reference) QApplication::setFont(QFont(QString::fromLatin1(GetParam().first), GetParam().second));
    start();
    MainForm& f = windows->mainWindow()->form();
    f.lblCurrentScore.setCaption("-32768");  // the widest numbers and captions
    f.lblOpponentScore.setCaption("-32768");
    f.lblHighScore.setCaption("32767");
    f.lblHighScore2.setCaption("32767");
    f.imgCorrect.setVisible(true);
    windows->mainWindow()->game().StartCountdown();
    const struct {
        forms::Button* opener;  // none: the main window itself
        std::function<QWidget*()> window;
        QString title;
        const std::vector<Place>& places;
    } cases[] = {
        {nullptr, [&]() -> QWidget* { return windows->mainView(); }, "Kestrin - Playing as Anonymous", kMainPlaces},
        {&f.cmdSetup, [&]() -> QWidget* { return windows->setupView(); }, "Kestrin - Game Setup", kSetupPlaces},
        {&f.cmdHighScores, [&]() -> QWidget* { return windows->statsView(); }, "High Scores & Statistics",
         kStatsPlaces},
        {&f.mnuIP, [&]() -> QWidget* { return windows->ipView(); }, "IP Addresses", kIpPlaces},
        {&f.mnuHelpAbout, [&]() -> QWidget* { return windows->aboutView(); }, "About Kestrin", kAboutPlaces}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        if (c.opener) c.opener->click();
        QWidget* window = c.window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), c.title);
        expectTidy(window);
        expectAccessible(window, c.opener ? QAccessible::Dialog : QAccessible::Window);
        EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
        for (const Place& place : c.places) {
            if (!reference) break;
            QWidget* control = in(window, place.name);
            ASSERT_NE(control, nullptr) << place.name;
            // A label may have grown to the right to show its whole caption in the reference font.
            const QRect designed = ui::twips(place.left, place.top, place.width, place.height);
            QRect shown = control->geometry();
            if (qobject_cast<QLabel*>(control) && shown.width() > designed.width()) shown.setWidth(designed.width());
            EXPECT_EQ(shown, designed) << place.name << " at " << control->x() << "," << control->y() << " "
                                       << control->width() << "x" << control->height();
        }
        if (window != windows->mainView()) window->close();
        settle();
    }
    // The time bar fills its outline at every scale.
    auto* bar = in<ui::BarWidget>(windows->mainView(), "shpTimeLeft");
    EXPECT_NEAR(bar->barWidth(), bar->width(), 1);
    // The values: named by the value, described by what they show, labelled by their captions.
    QAccessibleInterface* score = QAccessible::queryAccessibleInterface(in(windows->mainView(), "lblCurrentScore"));
    EXPECT_EQ(score->text(QAccessible::Name) + " " + score->text(QAccessible::Description), "-32768 Player score");
    const auto labels = score->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object()->objectName(), "lblCaption(1)");
    QStringList names;
    for (const char* control : {"cmdBank", "cmbConnectTo", "txtChat", "txtOutput", "imgCorrect", "imgWrong"})
        names << QAccessible::queryAccessibleInterface(in(windows->mainView(), control))->text(QAccessible::Name);
    EXPECT_EQ(names.join(", "), "Bank, Connect to, Chat, Output log, Correct guess, Wrong guess");
}

// A click as the windowing system delivers it, so that a window blocked by a modal dialog does not get it.
void clickThroughWindow(QWidget* control) {
    QWidget* window = control->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, control->mapTo(window, control->rect().center()));
}

// The key to whatever control of the window has the focus, or to the window.
void pressIn(QWidget* window, Qt::Key key) {
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key);
}

TEST_F(WindowsTest, SetupComesFirstTheViewerOpensBesideTheGameAndOutlivesItAndDialogsBlockOnlyTheGame) {
    start();
    ASSERT_NE(windows->setupView(), nullptr);
    EXPECT_EQ(windows->mainView(), nullptr);
    pressIn(windows->setupView(), Qt::Key_Escape);  // at start, closing it would end the program
    settle();
    ASSERT_NE(windows->setupView(), nullptr);
    auto* name = in<QComboBox>(windows->setupView(), "cmbPlayerName");
    QTest::keyClicks(name, "Bo");           // replaces the name shown
    QTest::keyClick(name, Qt::Key_Return);  // Enter in the name box is OK
    settle();
    EXPECT_EQ(windows->setupView(), nullptr);
    ui::MainWindowView* main = windows->mainView();
    ASSERT_TRUE(main && main->isVisible());
    EXPECT_EQ(main->windowTitle(), "Kestrin - Playing as Bo");

    main->move(main->screen()->availableGeometry().topLeft());  // room on the right
    MainForm& f = windows->mainWindow()->form();
    f.cmdHighScores.click();
    ui::StatsView* stats = windows->statsView();
    ASSERT_NE(stats, nullptr);
    EXPECT_EQ(stats->pos(), QPoint(main->frameGeometry().right() + 1, main->frameGeometry().y()));
    auto* page = in<QPlainTextEdit>(stats, "txtStats");
    in<QListWidget>(stats, "lstPage")->setCurrentRow(2);
    f.cmdHighScores.click();  // only brought forward, not rebuilt
    EXPECT_EQ(windows->statsView(), stats);
    EXPECT_TRUE(page->toPlainText().startsWith("Statistics for Bo\n"));

    const std::pair<forms::Button*, std::function<QWidget*()>> dialogs[] = {
        {&f.mnuIP, [&]() -> QWidget* { return windows->ipView(); }},
        {&f.mnuHelpAbout, [&]() -> QWidget* { return windows->aboutView(); }}};
    for (const auto& [opener, opened] : dialogs) {
        opener->click();
        ASSERT_NE(opened(), nullptr);
        clickThroughWindow(in(main, "cmdSetup"));  // the game is blocked
        EXPECT_EQ(windows->setupView(), nullptr);
        store.set("KestrinSolo", "Scores\\", "1name", opener->name());
        in<QListWidget>(stats, "lstPage")->setCurrentRow(0);
        clickThroughWindow(in(stats, "cmdRefresh"));  // the viewer is not
        EXPECT_TRUE(page->toPlainText().contains(QString::fromStdString(opener->name())));
        pressIn(opened(), Qt::Key_Escape);
        settle();
        EXPECT_EQ(opened(), nullptr) << opener->name();
    }
    clickThroughWindow(in(main, "cmdSetup"));  // with the dialogs gone the game takes clicks again
    ASSERT_NE(windows->setupView(), nullptr);
    // Reopened, Escape closes the set-up dialog as the close box does: nothing typed is kept.
    QLineEdit* typed = in<QComboBox>(windows->setupView(), "cmbPlayerName")->lineEdit();
    QTest::keyClicks(typed, "Zed");
    QTest::keyClick(typed, Qt::Key_Escape);
    settle();
    EXPECT_EQ(windows->setupView(), nullptr);
    EXPECT_EQ(main->windowTitle(), "Kestrin - Playing as Bo");

    f.mnuGameExit.click();  // the viewer outlives the game, until it closes itself
    settle();
    EXPECT_EQ(windows->mainView(), nullptr);
    EXPECT_TRUE(stats->isVisible());
    QTest::keyClick(in(stats, "lstPage"), Qt::Key_Escape);
    settle();
    EXPECT_EQ(windows->statsView(), nullptr);
}

// The main window's view on a rig: model changes show at once, keys reach their handlers.
TEST(MainWindowView, ModelChangesShowAtOnceKeysReachTheirHandlersAndTheChatBoxCountsCharacters) {
    QApplication::setFont(ui::referenceFont());
    Rig rig;
    MainForm& f = rig.form();
    ui::MainWindowView view(f, QString());
    view.show();
    QApplication::setActiveWindow(&view);
    const auto widget = [&](const forms::Control& control) { return view.widgetFor(control); };
    f.lblCurrent[7].setEnabled(true);
    f.lblCurrent[7].setForeColor(forms::kDarkRed);
    EXPECT_TRUE(widget(f.lblCurrent[7])->isEnabled());
    // A change of the desktop's theme is followed, to dark and back.
    const auto levelColour = [&] { return widget(f.lblCurrent[7])->palette().color(QPalette::WindowText); };
    EXPECT_EQ(levelColour(), QColor(192, 0, 0));
    const QPalette before = QApplication::palette();
    QApplication::setPalette(themePalette(QColor(53, 53, 53), QColor(238, 238, 236)));
    QCoreApplication::processEvents();
    EXPECT_GE(ui::contrast(levelColour(), QColor(53, 53, 53)), 4.5);
    EXPECT_EQ(static_cast<ui::BarWidget*>(widget(f.shpTimeLeft))->colour(),
              ui::themed(forms::kDarkBlue, ui::Ink::Graphic));
    QApplication::setPalette(before);
    QCoreApplication::processEvents();
    EXPECT_EQ(levelColour(), QColor(192, 0, 0));
    // The output log: lines end in CR LF in the model; lines added follow as further lines
    // (a CR LF split over two additions is still one line break), the caret after them.
    f.txtOutput.setText("* one\r\n* two");
    auto* log = qobject_cast<QPlainTextEdit*>(widget(f.txtOutput));
    f.txtOutput.append("\r\n* three\r");
    f.txtOutput.append("\n* fourü");
    f.txtOutput.setSelStart(f.txtOutput.text().size());
    EXPECT_EQ(log->toPlainText(), "* one\n* two\n* three\n* fourü");
    EXPECT_EQ(log->textCursor().position(), log->toPlainText().size());
    f.txtOutput.setSelStart(7);  // the caret counts the model's bytes and the widget's characters
    EXPECT_EQ(log->textCursor().position(), 6);
    // Received text is set apart in the view only; the caret counts the marks around it.
    OutputLog(f.txtOutput, f.txtChat).AddOutput({"<", written("Eve"), "> ", written("hi")}, false);
    EXPECT_EQ(log->toPlainText().section('\n', -1), "<\u2068Eve\u2069> \u2068hi\u2069");
    EXPECT_TRUE(f.txtOutput.text().ends_with("\r\n<Eve> hi"));
    f.txtOutput.setSelStart(f.txtOutput.text().size() - 1);  // before the "i"
    EXPECT_EQ(log->textCursor().position(), log->toPlainText().size() - 2);
    // The window ends just below its last frame: the scores alone, or the chat too.
    const auto endsJustBelow = [&](const char* frame) {
        QWidget* shown = view.findChild<QWidget*>(QString::fromLatin1(frame));
        const int bottom = shown->mapTo(&view, QPoint(0, shown->height())).y();
        return view.height() >= bottom && view.height() <= bottom + 20;
    };
    rig.choose("Ann", kSinglePlayer);
    EXPECT_FALSE(widget(f.fraChat)->isVisible());
    EXPECT_TRUE(endsJustBelow("fraScores"));
    rig.random.queueDigits({5, 8, 9, 2});
    QTest::mouseClick(widget(f.cmdStart), Qt::LeftButton);
    EXPECT_EQ(widget(f.cmdStart)->toolTip(), "Stop the game");
    EXPECT_EQ(QApplication::focusWidget(), widget(f.cmdGuess[0]));  // Enter no longer ends the game
    QTest::keyRelease(&view, Qt::Key_PageUp);                       // higher: correct
    EXPECT_EQ(QApplication::focusWidget(), widget(f.cmdBank));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(qobject_cast<QLabel*>(widget(f.lblCurrentScore))->text(), "10");
    // After a wrong guess the focus does not wander on to another button, so Enter opens nothing.
    QTest::keyRelease(widget(f.cmdStart), Qt::Key_PageUp);  // right, whatever has the focus
    QTest::keyRelease(&view, Qt::Key_PageUp);               // wrong
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(rig.state.stats.HighGuesses, 3);

    rig.choose("Ann", kMultiPlayer);  // shows the chat frame
    EXPECT_TRUE(widget(f.fraChat)->isVisible());
    EXPECT_TRUE(endsJustBelow("fraChat"));
    EXPECT_EQ(view.minimumSize(), view.maximumSize());  // not resizable
    std::vector<int> codes;
    f.onKeyUp = [&](int code) { codes.push_back(code); };
    f.txtChat.setEnabled(true);
    f.txtChat.setFocus();
    auto* chat = qobject_cast<QLineEdit*>(widget(f.txtChat));
    QTest::keyClick(chat, Qt::Key_B);  // typed into the chat box, and still the bank key
    QTest::keyRelease(chat, Qt::Key_A);
    EXPECT_EQ(codes, std::vector<int>{66});
    // 150 characters, whatever their size in bytes or in Qt's units; what is typed or pasted
    // beyond them is cut at the caret, never what was there.
    chat->insert(QString(146, QChar(0xE4)));
    chat->insert(QStringLiteral("🦅🦅xyz"));
    const QString full = QStringLiteral("b") + QString(146, QChar(0xE4)) + QStringLiteral("🦅🦅x");
    EXPECT_EQ(chat->text(), full);
    EXPECT_EQ(QString::fromStdString(f.txtChat.text()), full);
    chat->setCursorPosition(0);
    chat->insert(QStringLiteral("pasted"));
    EXPECT_EQ(chat->text(), full);
    // Enter in the host box connects, even with a recent host typed again by hand.
    f.cmbConnectTo.addItem("10.0.0.7");
    auto* box = qobject_cast<QComboBox*>(widget(f.cmbConnectTo));
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "10.0.0.7");
    EXPECT_TRUE(f.cmdConnect.enabled());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(rig.lastLine(), "* Attempting connection with 10.0.0.7");
    EXPECT_FALSE(widget(f.cmdConnect)->isEnabled());
    // Games found head the list; picking one, or Down, puts its value in the box.
    f.cmbConnectTo.setFound({{"Zed \u2014 10.0.0.3", "10.0.0.3:10600"}});
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), QStringLiteral("Zed \u2014 10.0.0.3"));
    box->lineEdit()->clear();
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(box->currentText(), QStringLiteral("10.0.0.3:10600"));
    box->showPopup();
    f.cmbConnectTo.setFound({});
    EXPECT_EQ(box->count(), 2);  // no row moves while the list is open
    box->hidePopup();
    EXPECT_EQ(box->count(), 1);
}

// In a light theme the game's own colours; in dark ones black is the theme's text and every
// other colour keeps its hue, lightened only until it stands out as WCAG 2 AA asks.
TEST(Colours, ExactInLightThemesAndStandingOutInDarkOnes) {
    const forms::Rgb colours[] = {forms::kDarkRed, forms::kDarkBlue, forms::kLeaderGreen, forms::kTrailerRed,
                                  forms::kBlue,    {255, 0, 0},      {128, 128, 128}};
    const QPalette light = themePalette(QColor(239, 239, 239), Qt::black);
    EXPECT_EQ(ui::themed(forms::kBlack, ui::Ink::Text, light), Qt::black);
    EXPECT_EQ(ui::themedDisabledText(light), light.color(QPalette::Disabled, QPalette::WindowText));
    for (const forms::Rgb colour : colours)
        EXPECT_EQ(ui::themed(colour, ui::Ink::Graphic, light), ui::toQColor(colour));
    EXPECT_NEAR(ui::contrast(ui::toQColor(forms::kLeaderGreen), light.color(QPalette::Window)), 3.4, 0.05);

    for (const QPalette& dark :
         {themePalette(QColor(53, 53, 53), QColor(238, 238, 236)), themePalette(Qt::black, Qt::white),
          themePalette(QColor(70, 70, 90), QColor(230, 230, 230))}) {
        const QColor window = dark.color(QPalette::Window);
        SCOPED_TRACE(window.name().toStdString());
        EXPECT_EQ(ui::themed(forms::kBlack, ui::Ink::Graphic, dark), dark.color(QPalette::WindowText));
        // Lit bank levels (the text colour) clearly brighter than unlit ones, which stay readable.
        const QColor unlit = ui::themedDisabledText(dark);
        EXPECT_GT(ui::luminance(dark.color(QPalette::WindowText)), ui::luminance(unlit) * 2);
        EXPECT_GT(ui::contrast(unlit, window), 3);
        for (const forms::Rgb colour : colours) {
            const QColor given = ui::toQColor(colour);
            for (const auto& [ink, needed] : {std::pair{ui::Ink::Text, 4.5}, std::pair{ui::Ink::Graphic, 3.0}}) {
                const QColor shown = ui::themed(colour, ink, dark);
                const double ratio = ui::contrast(shown, window);
                EXPECT_GE(ratio, needed) << given.name().toStdString();
                EXPECT_LT(ratio, std::max(needed + 0.5, ui::contrast(given, window) + 0.01))
                    << given.name().toStdString();
                EXPECT_NEAR(shown.hslHueF(), given.hslHueF(), 0.01) << given.name().toStdString();
            }
        }
        // The drawn cross (dark red): its strokes stand out, its transparent parts stay so.
        const QImage cross = ui::themed(ui::picture(QString(), QStringLiteral("cross")), dark).toImage();
        EXPECT_GE(ui::contrast(cross.pixelColor(16, 16), window), 3.0);
        EXPECT_EQ(cross.pixelColor(16, 2).alpha(), 0);
    }
}

TEST(SmallPieces, WindowsGoBesideTheGameOnlyX11WithoutADisplayIsRefusedAndMessageBoxesShowPlainText) {
    const QRect area(0, 30, 1000, 700);  // the screen's free area below a panel: right, else left, level
    const QSize outer(300, 200);         // with the other's top but within the area, else nowhere
    // clang-format off
    const std::pair<QRect, std::optional<QPoint>> places[] = {
        {{100, 100, 400, 300}, QPoint(500, 100)}, {{350, 100, 400, 300}, QPoint(50, 100)},
        {{0, 100, 700, 300}, QPoint(700, 100)}, {{250, 100, 500, 300}, std::nullopt},
        {{100, 600, 400, 100}, QPoint(500, 530)}, {{100, 0, 400, 100}, QPoint(500, 30)}};
    // clang-format on
    for (const auto& [anchor, place] : places) EXPECT_EQ(ui::besidePlace(anchor, outer, area), place);

    const std::string refusal = "Kestrin: no display found (DISPLAY is not set); start it from a desktop session.";
    // X11 asked for by name needs DISPLAY; Wayland may find its display by itself.
    // clang-format off
    const std::pair<DisplaySetting, bool> displays[] = {
        {{"", "", ""}, true}, {{"", ":0", ""}, false}, {{"", "", "wayland-0"}, false}, {{"xcb", "", ""}, true},
        {{"xcb", "", "wayland-0"}, true}, {{"xcb:nograb", ":1", ""}, false}, {{"offscreen", "", ""}, false},
        {{"minimal", "", ""}, false}, {{"wayland;xcb", "", ""}, false}, {{";xcb;", "", ""}, true}};
    // clang-format on
    for (const auto& [setting, refused] : displays)
        EXPECT_EQ(missingDisplay(setting).value_or(""), refused ? refusal : "") << setting.platform << setting.display;

    const std::pair<std::function<void(QMessageBox*)>, MessageResult> answers[] = {
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, MessageResult::No},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, MessageResult::Yes}};
    for (const auto& [answer, expected] : answers) {
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->text() + (box->textFormat() == Qt::PlainText ? " (plain)" : "");
            answer(box);
        });
        EXPECT_EQ(QtMessageBox().show("Accept?\r\nFrom <b>Ann</b>\rnow", "Request", MessageButtons::YesNo,
                                      MessageIcon::Question),
                  expected);
        EXPECT_EQ(shown, "Accept?\nFrom <b>Ann</b>\nnow (plain)");
    }
}

}  // namespace
}  // namespace kestrin::testing
