// The shell around the game: error reports, the list files, the help commands and the small
// dialogs.
#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "shell/about_dialog.h"
#include "shell/ip_dialog.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

class ErrorReporterTest : public ::testing::Test, public Doubles {
protected:
    std::vector<std::string> log() const {
        const auto found = files.files.find("/game/ErrorLog.txt");
        return found == files.files.end() ? std::vector<std::string>{"<no log>"} : found->second;
    }
};

TEST_F(ErrorReporterTest, ShowsACriticalBoxThenLogsTheMomentItWasDismissed) {
    calendar.text = "05/12/2026 17:50:40";
    messageBox.duringShow = [&] {
        EXPECT_EQ(log(), std::vector<std::string>{"<no log>"}) << "the log waits for the box";
        calendar.text = "05/12/2026 17:50:45";
    };
    errors.ReportError("Main.cmdGuess", Failure(failures::kOverflow, "Overflow"));
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, "Kestrin Error 6 in Main.cmdGuess");
    EXPECT_EQ(lastBox(),
              "The following error has occured:\r[ Overflow ]\rPlease report errors to support@vellam.example\r");
    EXPECT_EQ(messageBox.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(messageBox.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(log(), std::vector<std::string>{"05/12/2026 17:50:45 Error 6 in Main.cmdGuess - Overflow"});
}

TEST_F(ErrorReporterTest, ReportsAppendInOrderSkipZeroAndTwentyAndGuardsCatchEveryKindOfFailure) {
    errors.ReportError("Main.tmrGame", 0, "");
    errors.ReportError("Main.tmrGame", 20, "Resume without error");
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_EQ(log(), std::vector<std::string>{"<no log>"}) << "not even created";

    files.files["/game/ErrorLog.txt"] = {"earlier line"};
    errors.ReportError("", 13, "Type mismatch");
    errors.ReportError("IP.Load", -5, "Odd");
    errors.setExecutableName("Kestrin2");  // a renamed copy names itself
    errors.ReportError("Main.tmrGame", 19, "x");
    errors.setExecutableName("");
    errors.ReportError("Main.tmrGame", 21, "y");
    EXPECT_EQ(errorTitles(), (std::vector<std::string>{"Kestrin Error 13 in Unknown", "Kestrin Error -5 in IP.Load",
                                                       "Kestrin Error 21 in Main.tmrGame"}));
    EXPECT_EQ(messageBox.shown[2].title, "Kestrin2 Error 19 in Main.tmrGame");

    // A description with line breaks keeps them in the box; its log entry stays one line.
    errors.ReportError("Main.sckClient", 10053, "Connection\r\nreset\nby\rpeer\r\n");
    EXPECT_NE(lastBox().find("[ Connection\r\nreset\nby\rpeer\r\n ]"), std::string::npos);
    EXPECT_TRUE(errors.guard("Main.cmdBank", [] {}));
    EXPECT_FALSE(errors.guard("Main.cmdBank", [] { throwDivisionByZero(); }));
    EXPECT_FALSE(errors.guard("Main.tmrBank", [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(errors.guard("Main.cmdSend", [] { throw std::logic_error("broken"); }));
    EXPECT_EQ(log(),
              (std::vector<std::string>{"earlier line", "05/12/2026 17:50:45 Error 13 in Unknown - Type mismatch",
                                        "05/12/2026 17:50:45 Error -5 in IP.Load - Odd",
                                        "05/12/2026 17:50:45 Error 19 in Main.tmrGame - x",
                                        "05/12/2026 17:50:45 Error 21 in Main.tmrGame - y",
                                        "05/12/2026 17:50:45 Error 10053 in Main.sckClient - Connection reset by peer ",
                                        "05/12/2026 17:50:45 Error 11 in Main.cmdBank - Division by zero",
                                        "05/12/2026 17:50:45 Error 7 in Main.tmrBank - Out of memory",
                                        "05/12/2026 17:50:45 Error 51 in Main.cmdSend - broken"}));

    files.failWrites = true;  // an unwritable log: the box still shows, nothing escapes
    EXPECT_NO_THROW(errors.ReportError("Main.Load", failures::kPathFileAccess, "Path/File access error"));
    EXPECT_EQ(messageBox.shown.size(), 9u);
}

class ListFilesTest : public ::testing::Test {
protected:
    std::vector<std::string>& file() { return files.files["/prog/PlayerName.dat"]; }
    void save(const std::string& text) {
        combo.setText(text);
        lists.SaveListItem(kPlayerNameFile, combo);
    }
    MemoryFiles files;
    ListFiles lists{files, "/prog"};
    forms::Form form{"frmGameSelect"};
    forms::ComboBox combo{form, "cmbPlayerName"};
};

TEST_F(ListFilesTest, AMissingFileIsCreatedEmptyEveryLineIsKeptAndOnlyNewTextsAreSaved) {
    combo.addItem("stale");
    combo.setText("typed");
    lists.LoadList(kConnectToFile, combo);
    EXPECT_EQ(combo.listCount() + combo.text().size(), 0u);
    EXPECT_EQ(files.files.at("/prog/ConnectTo.dat").size(), 0u);

    file() = {"Ann", "", "Ann", std::string("\xff\0x", 3)};
    lists.LoadList(kPlayerNameFile, combo);
    EXPECT_EQ(combo.items(), file());
    // Exact, case-sensitive comparison; a text with a line break would come back as other
    // entries, so neither list nor file takes it, however often it is confirmed.
    for (const char* text : {"Ann", "", "ann", "Ann ", "ann", "Ann\nBob", "Ann\r\nBob", "Ann\rBob", "\n"}) save(text);
    const std::vector<std::string> expected{"Ann", "", "Ann", std::string("\xff\0x", 3), "ann", "Ann "};
    EXPECT_EQ(combo.items(), expected);
    EXPECT_EQ(file(), expected);

    files.failWrites = true;  // an unwritable folder is the caller's failure
    files.files.clear();
    EXPECT_EQ(failureNumber([&] { lists.LoadList(kConnectToFile, combo); }), failures::kPathFileAccess);
}

TEST_F(ListFilesTest, AnOverlongFileFillsTheListThenOverflows) {
    for (int i = 0; i < 40'000; ++i) file().push_back("host" + std::to_string(i));
    EXPECT_EQ(failureNumber([&] { lists.LoadList(kPlayerNameFile, combo); }), failures::kOverflow);
    ASSERT_EQ(combo.listCount(), ListFiles::kMaxEntries);
    EXPECT_EQ(combo.list(ListFiles::kMaxEntries - 1), "host32766");
    save("host5");  // a full list still knows its entries, but takes no new one
    EXPECT_EQ(failureNumber([&] { save("newcomer"); }), failures::kOverflow);
    EXPECT_EQ(file().size(), 40'000u);
    file().resize(ListFiles::kMaxEntries);  // exactly full loads without a failure
    EXPECT_EQ(failureNumber([&] { lists.LoadList(kPlayerNameFile, combo); }), 0);
}

TEST(HelpCommands, OpenInTheProgramFolderAndIgnoreFailures) {
    RecordingShell shell;
    HelpCommands(shell, "/opt/kestrin").mnuHelpReadMe_Click();
    EXPECT_EQ(shell.opened, std::vector<std::string>{"/opt/kestrin/Read Me.html"});
    EXPECT_EQ(shell.folders, std::vector<std::string>{"/opt/kestrin"});
    struct ThrowingShell : DesktopShell {
        bool open(const std::string&, const std::string&) override { throw Failure(53, "File not found"); }
    } throwing;
    EXPECT_NO_THROW(HelpCommands(throwing, "/opt/kestrin").mnuHelpReadMe_Click());
    EXPECT_EQ(joinPath("/opt/kestrin/", "x") + " " + joinPath("", "x"), "/opt/kestrin/x x");
}

TEST(IpDialog, ListsEveryAddressInNumericOrderOnce) {
    Doubles doubles;
    doubles.addresses.addresses = {{192, 168, 1, 20}, {10, 0, 0, 5},  {127, 0, 0, 1},
                                   {10, 0, 0, 5},     {9, 255, 0, 1}, {10, 0, 0, 40}};
    IpForm form;
    IpDialog dialog(form, doubles.addresses, doubles.errors);
    dialog.Load();
    dialog.Load();
    EXPECT_EQ(form.txtIP.text(), "9.255.0.1\r\n10.0.0.5\r\n10.0.0.5\r\n10.0.0.40\r\n127.0.0.1\r\n192.168.1.20\r\n");
    bool closed = false;
    form.onCloseRequested = [&] { closed = true; };
    form.cmdOK.click();
    EXPECT_TRUE(closed);

    struct BrokenTable : AddressTable {
        std::vector<std::array<std::uint8_t, 4>> ipv4Addresses() override { throw Failure(57, "Device I/O error"); }
    } broken;
    IpForm other;
    IpDialog(other, broken, doubles.errors).Load();
    EXPECT_EQ(doubles.errorTitles(), std::vector<std::string>{"Kestrin Error 57 in IP.Load"});
    EXPECT_EQ(other.txtIP.text(), "");
}

TEST(AboutDialog, ShowsTheVersionOpensItsLinksAndDonatesAfterClosing) {
    RecordingShell shell;
    HelpCommands help{shell, "/opt/kestrin"};
    AboutForm form;
    std::vector<std::string> events;
    auto dialog = std::make_unique<AboutDialog>(form, help, [&] { events.push_back("donate"); });
    form.lblVersion.setCaption("<ProductVersion> and <ProductVersion>");
    dialog->Load();
    EXPECT_EQ(form.lblVersion.caption(), "2.11 (Build 210) and 2.11 (Build 210)");

    const auto colours = [&] {
        std::string shown;
        for (const auto& link : form.lblHyperlink) shown += link.foreColor() == forms::kBlue ? "blue " : "red ";
        return shown;
    };
    dialog->lblHyperlink_MouseDown(0);
    EXPECT_EQ(colours(), "red blue ");  // only the pressed link turns red
    dialog->lblHyperlink_MouseUp(0);
    dialog->lblHyperlink_MouseDown(1);
    EXPECT_EQ(colours(), "blue red ");
    dialog->lblHyperlink_MouseUp(1);
    EXPECT_EQ(colours(), "blue blue ");
    EXPECT_EQ(form.lblHyperlink[1].foreColor(), (forms::Rgb{0, 0, 255}));
    form.lblHyperlink[1].setCaption("http://elsewhere.example/page");
    dialog->lblHyperlink_Click(1);
    dialog->lblHyperlink_Click(0);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"http://elsewhere.example/page",
                                        "mailto:support@vellam.example?subject=Kestrin%20v2.11%20(Build%20210)"}));

    // The view destroys the dialog as it closes; the donation must still run.
    form.onCloseRequested = [&] {
        events.push_back("closed");
        dialog.reset();
    };
    form.cmdDonate.click();
    EXPECT_EQ(events, (std::vector<std::string>{"closed", "donate"}));
    AboutForm again;
    AboutDialog second(again, help, {});
    bool closed = false;
    again.onCloseRequested = [&] { closed = true; };
    again.cmdOK.click();
    EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace kestrin::testing
