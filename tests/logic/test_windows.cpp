// The windows' form models: every control's own texts and first state, each control of the main window reaching its
// handler, what the models tell the views, and applying a player and a game type to the main window: its caption and
// shape, the link, both best scores and the player's statistics; and the recent hosts loaded with the window.
#include <gtest/gtest.h>

#include "shell/about_dialog.h"
#include "shell/ip_dialog.h"
#include "shell/setup_dialog.h"
#include "shell/stats_viewer.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

std::string listed(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? " {" : "|") + item;
    return out.empty() ? out : out + "}";
}

// A window as the player first sees it: its caption, then each control with its caption,
// entries, tooltip, colour and limits, and "off" or "hidden" where it is disabled or hidden.
std::string shown(const forms::Form& form) {
    std::string out = form.name() + " '" + form.caption() + "':";
    for (const forms::Control* control : form.controls()) {
        out += " " + control->name();
        const auto* captioned = dynamic_cast<const forms::CaptionControl*>(control);
        if (captioned && !captioned->caption().empty()) out += " '" + captioned->caption() + "'";
        if (const auto* combo = dynamic_cast<const forms::ComboBox*>(control)) out += listed(combo->items());
        if (const auto* list = dynamic_cast<const forms::ListBox*>(control)) out += listed(list->items());
        if (const auto* box = dynamic_cast<const forms::TextBox*>(control); box && box->maxLength > 0)
            out += " max " + std::to_string(box->maxLength);
        if (const auto* bar = dynamic_cast<const forms::Shape*>(control))
            out +=
                " " + std::to_string(bar->width()).substr(0, 3) + " wide, fill " + std::to_string(bar->fillColor().b);
        if (!control->tooltip().empty()) out += " [" + control->tooltip() + "]";
        if (const forms::Rgb c = control->foreColor(); c != forms::kBlack)
            out += " rgb " + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
        if (!control->enabled()) out += " off";
        if (!control->visible()) out += " hidden";
        out += ";";
    }
    return out;
}

TEST(Windows, EveryControlShowsItsOwnTextsAndFirstState) {
    Rig rig;
    EXPECT_EQ(
        shown(rig.form()),
        "frmMain 'Kestrin': fraCurrent 'Bank'; lblCurrent(0) '10' off; lblCurrent(1) '20' off; lblCurrent(2) '50' off; "
        "lblCurrent(3) '100' off; lblCurrent(4) '250' off; lblCurrent(5) '500' off; lblCurrent(6) '750' off; "
        "lblCurrent(7) '1000' off; cmdStart '&Start' [Start the game]; "
        "cmdSetup 'S&etup' [Select player name and game type]; shpTimeLeft 156 wide, fill 192; "
        "lblTimeLeft '60'; cmdGuess(0) '&Higher' [Make a higher guess (Key: Page Up)] off; "
        "cmdGuess(1) '&Lower' [Make a lower guess (Key: Page Down)] off; lblRandom '0'; imgCorrect hidden; "
        "imgWrong hidden; cmdBank '&Kestrin!' [Add bank points to score (Key: Enter)] off; "
        "cmbConnectTo [IP address or network name to connect to]; "
        "cmdConnect '&Connect' [Connect to opponent] off; "
        "cmdDisconnect 'D&isconnect' [Disconnect from opponent] off; lblCurrentScore '0'; "
        "lblOpponentScore '0'; lblHighScore '0' rgb 0,0,255; lblHighScore2 '0' rgb 0,0,255; "
        "cmdHighScores 'High Scores && Statistics' [View game statistics and high scores]; "
        "fraChat 'Status and Chat'; txtOutput; txtChat max 150 off; "
        "cmdSend 'Sen&d' [Send message to opponent] off; mnuGGameSelect 'Setup...'; mnuIP 'IP Addresses...'; "
        "mnuGameExit 'Exit'; mnuHelpReadMe 'Read Me'; mnuHelpCheckUpdate 'Check for Update'; "
        "mnuWebWebsite 'Vellam Website'; mnuWebForums 'Vellam Forums'; mnuWebEmail 'E-mail Vellam'; "
        "mnuHelpDonate 'Donate!'; mnuHelpAbout 'About...';");
    EXPECT_EQ(shown(GameSelectForm()),
              "frmGameSelect 'Kestrin - Game Setup': cmbPlayerName [Type your name here]; "
              "cmbGameSelect {Single Player|Multi Player} [Select from single or multi player game modes]; "
              "chkGameSelect 'Auto-start with these settings' [If checked Kestrin will auto-start with these "
              "settings in future]; "
              "cmdOK '&OK' [Confirm these settings];");
    EXPECT_FALSE(GameSelectForm().cmbGameSelect.editable);  // a game type is chosen, never typed
    EXPECT_EQ(shown(StatsForm()),
              "frmStats 'High Scores & Statistics': lstPage {SP High Scores|MP High Scores|Statistics}; txtStats; "
              "cmdRefresh '&Refresh' [Reload statistics and high scores]; "
              "cmdClose 'Close' [Close scores & stats dialog];");
    EXPECT_EQ(shown(IpForm()), "frmIP 'IP Addresses': txtIP; cmdOK 'OK' [Close IP dialog];");
    EXPECT_EQ(shown(AboutForm()),
              "frmAbout 'About Kestrin': lblProductName 'Vellam Kestrin'; lblVersion 'Version <ProductVersion>'; "
              "Label2 'Copyright (C) 2026 Vellam'; lblHyperlink(0) 'support@vellam.example' rgb 0,0,255; "
              "lblHyperlink(1) 'https://www.vellam.example' rgb 0,0,255; "
              "cmdDonate 'Donate' [Donate to support Kestrin]; cmdOK 'OK';");
}

// Every control of the main window reaches its handler, the other windows included.
TEST(Windows, EveryMenuAndButtonOfTheMainWindowOpensWhatItNames) {
    struct Opener : WindowOpener {
        void openSetup() override { opened.push_back("setup"); }
        void openStats() override { opened.push_back("stats"); }
        void openIp() override { opened.push_back("ip"); }
        void openAbout() override { opened.push_back("about"); }
        void closeMainWindow() override { opened.push_back("exit"); }
        std::vector<std::string> opened;
    } opener;
    Rig rig(nullptr, nullptr, "10.0.0.1", &opener);
    MainForm& f = rig.form();
    for (forms::Button* control :
         {&f.cmdSetup, &f.mnuGGameSelect, &f.cmdHighScores, &f.mnuIP, &f.mnuHelpAbout, &f.mnuGameExit, &f.mnuHelpReadMe,
          &f.mnuHelpCheckUpdate, &f.mnuWebWebsite, &f.mnuWebForums, &f.mnuWebEmail, &f.mnuHelpDonate})
        control->click();
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"setup", "setup", "stats", "ip", "about", "exit"}));
    EXPECT_EQ(rig.shell.opened, (std::vector<std::string>{
                                    "/game/Read Me.html", "https://www.vellam.example/?p=vercheck&app=Kestrin&ver=2.11",
                                    "https://www.vellam.example", "https://www.vellam.example/forums",
                                    "mailto:support@vellam.example?subject=Kestrin%20v2.11%20(Build%20210)",
                                    "https://www.vellam.example/?p=donate&app=Kestrin"}));
}

// A view learns of every change a handler makes to a form model, and of nothing that did not
// change; a text box tells a view how much of its text stayed.
TEST(Windows, FormModelsTellTheirViewsOfEveryChange) {
    forms::Form form("frmTest");
    int formNotes = 0;
    form.observers().add([&] { ++formNotes; });
    form.setHeightTwips(4365);
    form.setHeightTwips(4365);
    form.setCaption("Kestrin");
    form.setCaption("Kestrin");
    EXPECT_EQ(formNotes, 2);
    forms::ComboBox box(form, "cmbConnectTo");
    int notes = 0;
    int changes = 0;
    box.observers().add([&] { ++notes; });
    box.onChange = [&] { ++changes; };
    box.addItem("10.0.0.1");
    box.setText("10.0.0.9");  // the program's change: the view hears of it, the handler does not
    box.setText("10.0.0.9");
    EXPECT_EQ(std::make_pair(notes, changes), std::make_pair(2, 0));
    box.type("10.0.0.");  // the player's edits and picks run the handler
    box.setListIndex(0);
    EXPECT_EQ(box.text(), "10.0.0.1");
    EXPECT_EQ(std::make_pair(notes, changes), std::make_pair(4, 2));
    box.setListIndex(7);  // no such entry: nothing chosen, the text stays
    EXPECT_EQ(box.text() + std::to_string(box.listIndex()), "10.0.0.1-1");
    box.clear();
    EXPECT_EQ(box.text() + std::to_string(box.listCount()), "0");
    forms::TextBox log(form, "txtOutput");
    std::vector<std::size_t> kept;
    log.textObservers().add([&](std::size_t bytes) { kept.push_back(bytes); });
    log.append("* one");
    log.append("\r\n* two");
    log.append("");  // nothing to add: nobody hears of it
    log.setText(log.text() + "!");
    log.setText("other");
    log.setSelStart(3);
    log.append("s");  // a caret before the end stays where it is
    EXPECT_EQ(kept, (std::vector<std::size_t>{0, 5, 12, 0, 5}));
    EXPECT_EQ(log.selStart(), 3u);
    log.setText("ab");  // a caret beyond a shorter text moves to its end
    EXPECT_EQ(log.selStart(), 2u);
    log.maxLength = 3;  // characters, never cut in two
    log.setText("Zoë Ann");
    EXPECT_EQ(log.text(), "Zoë");
    EXPECT_EQ(kept.back(), 0u);  // longer, but not what was there with more added
    box.setVisible(false);       // a hidden control takes no focus
    box.setFocus();
    EXPECT_FALSE(box.hasFocus());
}

TEST(ApplyChoices, EachGameTypeShapesTheWindowAndTheLinkAndShowsBothBestScores) {
    Rig rig;
    MainForm& form = rig.form();
    // The caption, height and chat frame; both best scores and the opponent's; the host box;
    // the log's last line; whether the copy listens.
    const auto window = [&] {
        return form.caption() + " | " + std::to_string(form.heightTwips()) + (form.fraChat.visible() ? " chat" : "") +
               " | " + form.lblHighScore.caption() + " " + form.lblHighScore2.caption() + " " +
               form.lblOpponentScore.caption() + " | " + form.cmbConnectTo.text() + " | " + form.txtOutput.text() +
               (rig.listening() ? " | listening" : "");
    };
    rig.store.set("KestrinSolo", "Scores\\", "1score", "250");
    rig.store.set("Kestrin", "Scores\\", "1score", "90");
    rig.store.set("Kestrin", "Profiles\\Ann", "Statistics", "120|3|8|7|5|4|1|2|300|1|4|500");
    rig.store.set("Kestrin", "Player", "LastIP", "10.0.0.9");
    form.txtOutput.setText("* an old line");
    rig.state.objHighScore.setScoreType(1);
    rig.choose("Ann", kSinglePlayer);  // only multi player empties the log
    EXPECT_EQ(window(), "Kestrin - Playing as Ann | 4365 | 250 90 N/A |  | * an old line");
    EXPECT_EQ(rig.state.objHighScore.ScoreType(), 0);  // higher scores first, whatever was set
    EXPECT_EQ(StatsRecord(rig.state.stats), "120|3|8|7|5|4|1|2|300|1|4|500");
    rig.choose("Bob", kMultiPlayer);  // the last host, for an empty host box
    EXPECT_EQ(window(),
              "Kestrin - Playing as Bob | 6300 chat | 250 90 N/A | 10.0.0.9 | * Waiting for connection to another "
              "player | listening");
    EXPECT_EQ(rig.state.stats, PlayerStats{});  // Bob has no record: nothing of Ann's stays
    form.cmbConnectTo.type("x");
    form.txtOutput.setText("* an old line");
    rig.choose("Bob", kMultiPlayer);  // applied again: a typed host is kept, the log starts afresh
    EXPECT_EQ(window(),
              "Kestrin - Playing as Bob | 6300 chat | 250 90 N/A | x | * Waiting for connection to another player | "
              "listening");
    rig.choose("Bob", kSinglePlayer);  // back to single player: nothing listens, the host box empties
    EXPECT_EQ(window(), "Kestrin - Playing as Bob | 4365 | 250 90 N/A |  | * Waiting for connection to another player");
}

TEST(ApplyChoices, AProtectedPortFallsBackQuietlyAndAPortThatCannotBeTakenIsReported) {
    Rig rig;
    rig.network.protectPort("10.0.0.1", 600);
    rig.choose("Ann", kMultiPlayer);
    EXPECT_TRUE(rig.messageBox.shown.empty());
    EXPECT_EQ(rig.lastLine(), "* Port 600 is not open to this program; listening on port 10600");
    // No port open to it (the fallback port closed too, or none given): reported once, and the rest still applies.
    for (const int fallback : {10600, 0}) {
        Doubles blocked;
        blocked.network.protectPort("10.0.0.1", 600);
        blocked.network.protectPort("10.0.0.1", 10600);
        MainWindow main(blocked.state, blocked.gameServices(), blocked.linkServices(600, fallback), blocked.shell);
        blocked.state.strPlayerName = "Ann";
        blocked.state.lngGameType = kMultiPlayer;
        main.NewGameSelect();
        ASSERT_EQ(blocked.errorTitles(), std::vector<std::string>{"Kestrin Error 10013 in Main.NewGameSelect"});
        EXPECT_EQ(main.form().cmdStart.caption(), "&Ready");
    }
}

TEST(ApplyChoices, RecentHostsLoadWithTheWindowAndTheWindowUnloadsEverything) {
    Rig rig;
    rig.files.files["/game/ConnectTo.dat"] = {"10.0.0.2", "", "10.0.0.2"};
    rig.main->Load();
    EXPECT_EQ(rig.form().cmbConnectTo.items(), (std::vector<std::string>{"10.0.0.2", "", "10.0.0.2"}));
    rig.files.failWrites = true;
    rig.files.files.clear();
    rig.main->Load();
    EXPECT_EQ(rig.errorTitles(), std::vector<std::string>{"Kestrin Error 75 in Main.Load"});
    rig.choose("Ann", kMultiPlayer);
    for (forms::Timer* timer : rig.form().timers()) timer->setEnabled(true);
    rig.main->Unload();  // the timers go with the window, and every socket closes for good
    EXPECT_EQ(rig.controls(), "&Ready, Signal ready to play | cmdSetup mnuGGameSelect cmbConnectTo");
    EXPECT_FALSE(rig.listening());
}

}  // namespace
}  // namespace kestrin::testing
