#include "ui/main_window_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

#include <tuple>

#include "ui/accessibility.h"
#include "ui/colours.h"
#include "ui/look.h"
#include "ui/widgets.h"

namespace kestrin::ui {

namespace {

constexpr int kClientWidthTwips = 5550;
constexpr int kDesignClientHeightTwips = 6000;
// The part of an outer window height that is title bar, menu bar and borders.
constexpr int kNonClientTwips = 735;

}  // namespace

MainWindowView::MainWindowView(MainForm& form, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form) {
    setObjectName(QStringLiteral("frmMain"));
    installAccessibility();
    if (windowFont() != font()) setFont(windowFont());
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    binder_ = new FormBinder(form_, this);
    build(programFolder);
    buildMenus();
    binder_->setHeightHandler([this](int heightTwips) { applyHeight(heightTwips); });
    // Key preview: the window's key handler sees key releases before the focused control.
    qApp->installEventFilter(this);
}

MainWindowView::~MainWindowView() { qApp->removeEventFilter(this); }

int MainWindowView::clientHeight(int heightTwips) {
    if (heightTwips <= 0) return px(kDesignClientHeightTwips);
    return std::max(0, px(heightTwips - kNonClientTwips));
}

void MainWindowView::applyHeight(int heightTwips) {
    const int width = px(kClientWidthTwips);
    const int height = clientHeight(heightTwips);
    client_->setFixedSize(width, height);
    setFixedSize(width, menuBar()->sizeHint().height() + height);
}

void MainWindowView::showCentred(int heightTwips) {
    const QSize outer(px(kClientWidthTwips), menuBar()->sizeHint().height() + clientHeight(heightTwips));
    centreOnScreen(this, outer + (outerSize(this) - size()));
    show();
}

int MainWindowView::keyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_PageUp: return kKeyPageUp;
    case Qt::Key_PageDown: return kKeyPageDown;
    case Qt::Key_B: return kKeyB;
    default: return 0;
    }
}

bool MainWindowView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = keyCode(key->key());
        if (code != 0 && !key->isAutoRepeat()) {
            // Taken here, so that the release does not travel on to the parents and come by
            // this filter again.
            form_.keyUp(code);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_) return;
    closing_ = true;
    // The unload closes every connection; it asks nothing and never cancels the close.
    if (form_.onUnload) form_.onUnload();
    emit closed();
}

void MainWindowView::build(const QString& programFolder) {
    MainForm& f = form_;
    FormBinder& b = *binder_;
    const QFont large = largeFont();

    // Bank: eight levels, index 0 at the bottom.
    auto* fraCurrent = new QGroupBox(client_);
    fraCurrent->setGeometry(twips(105, 105, 840, 3375));
    b.bind(f.fraCurrent, fraCurrent);
    QWidget* bank = panel(fraCurrent, 1, 750, 3135);
    const int levelTops[] = {2805, 2415, 2010, 1620, 1230, 840, 435, 45};
    for (std::size_t i = 0; i < f.lblCurrent.size(); ++i) {
        auto* level = new QLabel(bank);
        level->setFont(large);
        level->setAlignment(Qt::AlignCenter);
        level->setGeometry(twips(-15, levelTops[i], 765, 315));
        b.bind(f.lblCurrent[i], level);
    }

    // Game: start, set-up, the time bar and the clock.
    QWidget* game = panel(frame(client_, "fraGame", "Game", twips(1020, 105, 2955, 1005)), 2, 2865, 765);
    auto* cmdStart = new QPushButton(game);
    cmdStart->setGeometry(twips(75, 60, 1125, 315));
    b.bind(f.cmdStart, cmdStart);
    auto* cmdSetup = new QPushButton(game);
    cmdSetup->setGeometry(twips(1305, 60, 1125, 315));
    b.bind(f.cmdSetup, cmdSetup);
    auto* shpOutline = new ShapeWidget(forms::kBlack, false, game);
    shpOutline->setObjectName(QStringLiteral("shpOutline"));
    shpOutline->setGeometry(twips(75, 435, 2355, 225));
    auto* shpTimeLeft = new BarWidget(game);
    shpTimeLeft->setGeometry(twips(90, 450, 2340, 225));
    b.bind(f.shpTimeLeft, shpTimeLeft);
    auto* lblTimeLeft = new QLabel(game);
    lblTimeLeft->setFont(large);
    lblTimeLeft->setGeometry(twips(2490, 435, 300, 270));
    b.bind(f.lblTimeLeft, lblTimeLeft);
    describeValue(lblTimeLeft, QStringLiteral("Time left"));

    // Controls: the guesses, the digit, the result of the last guess and the bank button.
    QWidget* play = panel(frame(client_, "fraPlay", "Controls", twips(1020, 1170, 2955, 1140)), 4, 2865, 900);
    auto* higher = new QPushButton(play);
    higher->setGeometry(twips(75, 75, 1125, 315));
    b.bind(f.cmdGuess[0], higher);
    auto* lower = new QPushButton(play);
    lower->setGeometry(twips(75, 495, 1125, 315));
    b.bind(f.cmdGuess[1], lower);
    auto* lblRandom = new QLabel(play);
    lblRandom->setFont(large);
    lblRandom->setAlignment(Qt::AlignCenter);
    lblRandom->setGeometry(twips(1290, 105, 285, 345));
    b.bind(f.lblRandom, lblRandom);
    describeValue(lblRandom, QStringLiteral("Digit"));
    // The 32 x 32 place of the pictures reaches below the panel and under the bank button;
    // the picture is scaled into the part of it that shows.
    const QRect mark = twips(1335, 555, 480, 480).intersected(QRect(0, 0, px(1665), px(900)));
    const int side = std::min(mark.width(), mark.height());
    for (auto [image, name, meaning] :
         {std::tuple{&f.imgCorrect, "tick", "Correct guess"}, std::tuple{&f.imgWrong, "cross", "Wrong guess"}}) {
        auto* label = new QLabel(play);
        label->setAccessibleName(QString::fromLatin1(meaning));
        label->setGeometry(QRect(mark.topLeft(), QSize(side, side)));
        label->setAlignment(Qt::AlignCenter);
        const QPixmap drawn = picture(programFolder, QString::fromLatin1(name))
                                  .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        b.bind(*image, label);
        b.followPalette([label, drawn] { label->setPixmap(themed(drawn, QGuiApplication::palette())); });
    }
    auto* cmdBank = new QPushButton(play);
    cmdBank->setGeometry(twips(1665, 75, 1125, 735));
    b.bind(f.cmdBank, cmdBank);
    nameControl(cmdBank, QStringLiteral("Bank"));

    // Multiplayer: the host to connect to and the link buttons.
    QWidget* link = panel(frame(client_, "Frame1", "Multiplayer", twips(1020, 2355, 2955, 1125)), 3, 2865, 885);
    QLabel* connectCaption = staticLabel(link, "lblLabel(1)", "Connect to:", twips(75, 135, 825, 195));
    auto* cmbConnectTo = new DropDownBox(link);
    cmbConnectTo->setGeometry(twips(975, 75, 1845, 315));
    b.bind(f.cmbConnectTo, cmbConnectTo);
    nameControl(cmbConnectTo, QStringLiteral("Connect to"));
    connectCaption->setBuddy(cmbConnectTo);
    auto* cmdConnect = new QPushButton(link);
    cmdConnect->setGeometry(twips(75, 495, 1125, 315));
    b.bind(f.cmdConnect, cmdConnect);
    auto* cmdDisconnect = new QPushButton(link);
    cmdDisconnect->setGeometry(twips(1275, 495, 1125, 315));
    b.bind(f.cmdDisconnect, cmdDisconnect);

    // Scores. The numbers get the whole width of the panel: "-32768" does not fit 150 twips.
    QWidget* scores = panel(frame(client_, "fraScores", "Scores", twips(4050, 105, 1395, 3375)), 5, 1305, 3135);
    const int numberWidth = 1305 - 75;
    const auto number = [&](forms::Label& model, int top, QLabel* caption, const char* meaning) {
        auto* label = new QLabel(scores);
        label->setFont(large);
        label->setGeometry(twips(75, top, numberWidth, 300));
        b.bind(model, label);
        describeValue(label, QString::fromLatin1(meaning), caption);
    };
    number(f.lblCurrentScore, 285, staticLabel(scores, "lblCaption(1)", "Player Score", twips(75, 75, 900, 195)),
           "Player score");
    number(f.lblOpponentScore, 855, staticLabel(scores, "lblCaption(3)", "Opponent Score", twips(75, 615, 1170, 195)),
           "Opponent score");
    auto* line = new ShapeWidget({128, 128, 128}, true, scores);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(twips(75, 1245, 1155, 15));
    number(f.lblHighScore, 1605, staticLabel(scores, "lblCaption(2)", "SP High Score", twips(75, 1395, 1050, 195)),
           "Single player high score");
    number(f.lblHighScore2, 2145, staticLabel(scores, "lblCaption(4)", "MP High Score", twips(75, 1935, 1080, 195)),
           "Multi player high score");
    auto* cmdHighScores = new WrappingButton(scores);
    cmdHighScores->setGeometry(twips(75, 2505, 1155, 525));
    b.bind(f.cmdHighScores, cmdHighScores);

    // Status and Chat: the output log, the chat line and its button.
    auto* fraChat = new QGroupBox(client_);
    fraChat->setGeometry(twips(105, 3540, 5340, 1875));
    b.bind(f.fraChat, fraChat);
    QWidget* chat = panel(fraChat, 0, 5250, 1635);
    auto* txtOutput = new QPlainTextEdit(chat);
    txtOutput->setGeometry(twips(90, 75, 5055, 1095));
    txtOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    b.bind(f.txtOutput, txtOutput);
    nameControl(txtOutput, QStringLiteral("Output log"));
    auto* txtChat = new QLineEdit(chat);
    txtChat->setGeometry(twips(90, 1245, 3885, 315));
    b.bind(f.txtChat, txtChat);
    nameControl(txtChat, QStringLiteral("Chat"));
    auto* cmdSend = new QPushButton(chat);
    cmdSend->setGeometry(twips(4050, 1245, 1095, 315));
    b.bind(f.cmdSend, cmdSend);
}

void MainWindowView::buildMenus() {
    MainForm& f = form_;
    const auto item = [this](QMenu* menu, forms::MenuItem& model) {
        QAction* action = menu->addAction(QString());
        binder_->bind(model, action);
    };
    QMenu* game = menuBar()->addMenu(QStringLiteral("Kestrin"));
    game->setObjectName(QStringLiteral("mnuGame"));
    item(game, f.mnuGGameSelect);
    game->addSeparator();
    item(game, f.mnuIP);
    game->addSeparator();
    item(game, f.mnuGameExit);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    item(help, f.mnuHelpReadMe);
    help->addSeparator();
    item(help, f.mnuHelpCheckUpdate);
    QMenu* web = help->addMenu(QStringLiteral("Vellam on the Web"));
    web->setObjectName(QStringLiteral("mnuHelpWeb"));
    item(web, f.mnuWebWebsite);
    item(web, f.mnuWebForums);
    item(web, f.mnuWebEmail);
    help->addSeparator();
    item(help, f.mnuHelpDonate);
    item(help, f.mnuHelpAbout);
}

}  // namespace kestrin::ui
