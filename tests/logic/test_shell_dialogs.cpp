#include <gtest/gtest.h>

#include <memory>

#include "shell/about_dialog.h"
#include "shell/help_commands.h"
#include "shell/ip_dialog.h"
#include "shell/setup_dialog.h"
#include "shell/stats_viewer.h"
#include "tests/support/doubles.h"

namespace kestrin {
namespace {

const std::string kEmail = "mailto:support@vellam.example?subject=Kestrin%20v2.11%20(Build%20210)";

TEST(HelpCommands, EachCommandOpensItsTargetAndIgnoresFailures) {
    testing::RecordingShell shell;
    HelpCommands help(shell, "/opt/kestrin");
    help.mnuHelpReadMe_Click();
    help.mnuHelpCheckUpdate_Click();
    help.mnuHelpDonate_Click();
    help.mnuWebWebsite_Click();
    help.mnuWebForums_Click();
    help.mnuWebEmail_Click();
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"/opt/kestrin/Read Me.html",
                                        "https://www.vellam.example/?p=vercheck&app=Kestrin&ver=2.11",
                                        "https://www.vellam.example/?p=donate&app=Kestrin",
                                        "https://www.vellam.example", "https://www.vellam.example/forums", kEmail}));
    EXPECT_EQ(shell.folders, std::vector<std::string>(6, "/opt/kestrin"));

    struct ThrowingShell : DesktopShell {
        bool open(const std::string&, const std::string&) override { throw Failure(53, "File not found"); }
    } throwing;
    EXPECT_NO_THROW(HelpCommands(throwing, "/opt/kestrin").mnuHelpReadMe_Click());
}

struct Reporting {
    testing::ScriptedMessageBox boxes;
    testing::MemoryFiles files;
    testing::FixedCalendar calendar;
    ErrorReporter errors{boxes, files, calendar, "/prog"};
};

TEST(IpDialog, ListsEveryAddressInNumericOrderOnce) {
    Reporting reporting;
    testing::FixedAddressTable table;
    table.addresses = {{192, 168, 1, 20}, {10, 0, 0, 5}, {127, 0, 0, 1}, {10, 0, 0, 5}, {9, 255, 0, 1}, {10, 0, 0, 40}};
    IpForm form;
    IpDialog dialog(form, table, reporting.errors);
    dialog.Load();
    dialog.Load();
    EXPECT_EQ(form.txtIP.text(), "9.255.0.1\r\n10.0.0.5\r\n10.0.0.5\r\n10.0.0.40\r\n127.0.0.1\r\n192.168.1.20\r\n");

    struct BrokenTable : AddressTable {
        std::vector<std::array<std::uint8_t, 4>> ipv4Addresses() override { throw Failure(57, "Device I/O error"); }
    } broken;
    IpForm other;
    IpDialog(other, broken, reporting.errors).Load();
    ASSERT_EQ(reporting.boxes.shown.size(), 1u);
    EXPECT_EQ(reporting.boxes.shown[0].title, "Kestrin Error 57 in IP.Load");
    EXPECT_EQ(other.txtIP.text(), "");
}

TEST(AboutDialog, ShowsTheVersionOpensItsLinksAndDonatesAfterClosing) {
    testing::RecordingShell shell;
    HelpCommands help{shell, "/opt/kestrin"};
    AboutForm form;
    std::vector<std::string> events;
    auto dialog = std::make_unique<AboutDialog>(form, help, [&] { events.push_back("donate"); });
    dialog->Load();
    EXPECT_EQ(form.lblVersion.caption(), "Version 2.11 (Build 210)");

    dialog->lblHyperlink_MouseDown(0);
    EXPECT_EQ(form.lblHyperlink[0].foreColor(), (forms::Rgb{255, 0, 0}));
    EXPECT_EQ(form.lblHyperlink[1].foreColor(), forms::kBlue);  // only the pressed link turns red
    dialog->lblHyperlink_MouseUp(0);
    dialog->lblHyperlink_MouseDown(1);
    EXPECT_EQ(form.lblHyperlink[0].foreColor(), forms::kBlue);
    EXPECT_EQ(form.lblHyperlink[1].foreColor(), (forms::Rgb{255, 0, 0}));
    dialog->lblHyperlink_MouseUp(1);
    EXPECT_EQ(form.lblHyperlink[1].foreColor(), forms::kBlue);
    form.lblHyperlink[1].setCaption("http://elsewhere.example/page");
    dialog->lblHyperlink_Click(1);
    dialog->lblHyperlink_Click(0);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://elsewhere.example/page", kEmail}));

    // The view destroys the dialog as it closes; the donation must still run.
    form.onCloseRequested = [&] {
        events.push_back("closed");
        dialog.reset();
    };
    form.cmdDonate.click();
    EXPECT_EQ(events, (std::vector<std::string>{"closed", "donate"}));
}

// The set-up dialog and the statistics viewer show their designed captions and tooltips.
TEST(DialogForms, ShowTheirCaptionsAndTooltips) {
    GameSelectForm setup;
    EXPECT_EQ(setup.caption(), "Kestrin - Game Setup");
    EXPECT_EQ(setup.cmbPlayerName.tooltip(), "Type your name here");
    EXPECT_EQ(setup.cmbGameSelect.items(), (std::vector<std::string>{"Single Player", "Multi Player"}));
    EXPECT_FALSE(setup.cmbGameSelect.editable);
    EXPECT_EQ(setup.cmbGameSelect.tooltip(), "Select from single or multi player game modes");
    EXPECT_EQ(setup.chkGameSelect.caption(), "Auto-start with these settings");
    EXPECT_EQ(setup.chkGameSelect.tooltip(), "If checked Kestrin will auto-start with these settings in future");
    EXPECT_EQ(setup.cmdOK.caption(), "&OK");
    EXPECT_EQ(setup.cmdOK.tooltip(), "Confirm these settings");

    StatsForm stats;
    EXPECT_EQ(stats.caption(), "High Scores & Statistics");
    EXPECT_EQ(stats.lstPage.items(), (std::vector<std::string>{"SP High Scores", "MP High Scores", "Statistics"}));
    EXPECT_EQ(stats.cmdRefresh.caption(), "&Refresh");
    EXPECT_EQ(stats.cmdRefresh.tooltip(), "Reload statistics and high scores");
    EXPECT_EQ(stats.cmdClose.caption(), "Close");
    EXPECT_EQ(stats.cmdClose.tooltip(), "Close scores & stats dialog");
}

}  // namespace
}  // namespace kestrin
