// The shell around the game: error reports, the list files, the help commands, the small
// dialogs and the digits' random source.
#include <gtest/gtest.h>

#include <new>

#include "platform/random.h"
#include "shell/about_dialog.h"
#include "shell/ip_dialog.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

class ErrorReporterTest : public ::testing::Test, public Doubles {
protected:
    std::vector<std::string>& log() { return files.files["/game/ErrorLog.txt"]; }
};

TEST_F(ErrorReporterTest, ShowsACriticalBoxThenLogsInOrderAndGuardsCatchEveryKindOfFailure) {
    messageBox.duringShow = [&] {
        EXPECT_FALSE(files.exists("/game/ErrorLog.txt")) << "the log waits for the box";
        calendar.text = "05/12/2026 17:50:46";  // the moment it was dismissed
    };
    errors.ReportError("Main.tmrGame", 0, "");
    errors.ReportError("Main.tmrGame", 20, "Resume without error");  // neither is shown nor logged
    errors.ReportError("Main.cmdGuess", Failure(failures::kOverflow, "Overflow"));
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(lastBox(),
              "The following error has occured:\r[ Overflow ]\rPlease report errors to support@vellam.example\r");
    messageBox.duringShow = nullptr;
    errors.ReportError("", 13, "Type mismatch");
    errors.setExecutableName("Kestrin2");  // a renamed copy names itself
    errors.ReportError("IP.Load", -5, "Odd");
    errors.setExecutableName("");
    errors.ReportError("Main.tmrGame", 21, "y");
    EXPECT_EQ(errorTitles(),
              (std::vector<std::string>{"Kestrin Error 6 in Main.cmdGuess", "Kestrin Error 13 in Unknown",
                                        "Kestrin Error 21 in Main.tmrGame"}));
    EXPECT_EQ(messageBox.shown[2].title, "Kestrin2 Error -5 in IP.Load");
    // A description with line breaks keeps them in the box; its log entry stays one line.
    errors.ReportError("Main.sckClient", 10053, "Connection\r\nreset\nby\rpeer\r\n");
    EXPECT_NE(lastBox().find("[ Connection\r\nreset\nby\rpeer\r\n ]"), std::string::npos);
    EXPECT_FALSE(errors.guard("Main.cmdBank", [] { throwDivisionByZero(); }));
    EXPECT_FALSE(errors.guard("Main.tmrBank", [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(errors.guard("Main.cmdSend", [] { throw std::logic_error("broken"); }));
    const std::string at = "05/12/2026 17:50:46 Error ";
    EXPECT_EQ(log(),
              (std::vector<std::string>{at + "6 in Main.cmdGuess - Overflow", at + "13 in Unknown - Type mismatch",
                                        at + "-5 in IP.Load - Odd", at + "21 in Main.tmrGame - y",
                                        at + "10053 in Main.sckClient - Connection reset by peer ",
                                        at + "11 in Main.cmdBank - Division by zero",
                                        at + "7 in Main.tmrBank - Out of memory", at + "51 in Main.cmdSend - broken"}));
    files.failWrites = true;  // an unwritable log: the box still shows, nothing escapes
    EXPECT_NO_THROW(errors.ReportError("Main.Load", failures::kPathFileAccess, "Path/File access error"));
    EXPECT_EQ(messageBox.shown.size(), 9u);
}

TEST(ListFiles, KeepEveryLineSaveOnlyNewTextsAndHoldAtMost32767Entries) {
    MemoryFiles files;
    ListFiles lists{files, "/prog"};
    forms::Form form{"frmGameSelect"};
    forms::ComboBox combo{form, "cmbPlayerName"};
    auto& file = files.files["/prog/PlayerName.dat"];
    const auto save = [&](const std::string& text) {
        combo.setText(text);
        lists.SaveListItem(kPlayerNameFile, combo);
    };
    file = {"Ann", "", "Ann"};
    combo.addItem("stale");  // loading replaces what the box held
    lists.LoadList(kPlayerNameFile, combo);
    // Exact, case-sensitive comparison; a text with a line break would come back as other
    // entries, so neither list nor file takes it, however often it is confirmed.
    for (const char* text : {"Ann", "", "ann", "Ann\nBob", "Ann\r\nBob", "Ann\rBob", "ann"}) save(text);
    const std::vector<std::string> expected{"Ann", "", "Ann", "ann"};
    EXPECT_EQ(combo.items(), expected);
    for (int i = 0; file.size() < 40'000; ++i) file.push_back("host" + std::to_string(i));
    EXPECT_EQ(failureNumber([&] { lists.LoadList(kPlayerNameFile, combo); }), failures::kOverflow);
    save("host5");  // a full list still knows its entries, but takes no new one
    EXPECT_EQ(failureNumber([&] { save("newcomer"); }), failures::kOverflow);
    file.resize(ListFiles::kMaxEntries);  // exactly full loads without a failure
    EXPECT_EQ(failureNumber([&] { lists.LoadList(kPlayerNameFile, combo); }), 0);
}

TEST(SmallDialogs, HelpIPAddressesAndAboutShowWhatTheyShouldAndOpenTheirTargets) {
    Doubles doubles;
    HelpCommands help(doubles.shell, "/opt/kestrin");
    doubles.addresses.addresses = {{192, 168, 1, 20}, {10, 0, 0, 5},  {127, 0, 0, 1},
                                   {10, 0, 0, 5},     {9, 255, 0, 1}, {10, 0, 0, 40}};
    IpForm ip;
    IpDialog dialog(ip, doubles.addresses, doubles.errors);
    dialog.Load();
    dialog.Load();
    EXPECT_EQ(ip.txtIP.text(), "9.255.0.1\r\n10.0.0.5\r\n10.0.0.5\r\n10.0.0.40\r\n127.0.0.1\r\n192.168.1.20\r\n");
    std::vector<std::string> events;
    ip.onCloseRequested = [&] { events.push_back("ip closed"); };
    ip.cmdOK.click();
    struct BrokenTable : AddressTable {
        std::vector<std::array<std::uint8_t, 4>> ipv4Addresses() override { throw Failure(57, "Device I/O error"); }
    } broken;
    IpForm other;
    IpDialog(other, broken, doubles.errors).Load();
    EXPECT_EQ(doubles.errorTitles(), std::vector<std::string>{"Kestrin Error 57 in IP.Load"});
    AboutForm about;
    auto logic = std::make_unique<AboutDialog>(about, help, [&] { events.push_back("donate"); });
    about.lblVersion.setCaption("<ProductVersion> and <ProductVersion>");
    logic->Load();
    EXPECT_EQ(about.lblVersion.caption(), "2.11 (Build 210) and 2.11 (Build 210)");
    std::string colours;  // only the pressed link turns red
    for (int link : {0, 1}) {
        logic->lblHyperlink_MouseDown(link);
        for (const auto& label : about.lblHyperlink) colours += label.foreColor() == forms::Rgb{255, 0, 0} ? "r" : "b";
        logic->lblHyperlink_MouseUp(link);
    }
    for (const auto& label : about.lblHyperlink) colours += label.foreColor() == forms::kBlue ? "b" : "r";
    EXPECT_EQ(colours, "rbbrbb");
    about.lblHyperlink[1].setCaption("http://elsewhere.example/page");
    logic->lblHyperlink_Click(1);
    logic->lblHyperlink_Click(0);
    EXPECT_EQ(doubles.shell.opened.end()[-2] + " " + doubles.shell.opened.back(),
              "http://elsewhere.example/page mailto:support@vellam.example?subject=Kestrin%20v2.11%20(Build%20210)");
    about.onCloseRequested = [&] { events.push_back("about closed"); };
    about.cmdOK.click();
    // The view destroys the dialog as it closes; the donation must still run.
    about.onCloseRequested = [&] {
        events.push_back("about closed");
        logic.reset();
    };
    about.cmdDonate.click();
    EXPECT_EQ(events, (std::vector<std::string>{"ip closed", "about closed", "about closed", "donate"}));
}

TEST(TimeSeededRandom, DrawsStayInRangeAndSpreadEvenly) {
    TimeSeededRandom random;
    int tenths[10] = {};
    for (int i = 0; i < 20'000; ++i) {
        const float value = random.next();
        ASSERT_TRUE(value >= 0.0F && value < 1.0F) << value;
        ++tenths[static_cast<int>(value * 10.0F)];
    }
    for (const int count : tenths) EXPECT_TRUE(count > 1600 && count < 2400) << count;  // 2000 expected
}

}  // namespace
}  // namespace kestrin::testing
