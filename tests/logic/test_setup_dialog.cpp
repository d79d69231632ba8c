// The set-up dialog: first start, confirming, auto-start, stored values the program never
// writes, and saves that fail.
#include <gtest/gtest.h>

#include "shell/setup_dialog.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

struct RecordingTarget : GameSelectTarget {
    void showMainWindow() override { calls.push_back("show"); }
    void NewGameSelect() override {
        calls.push_back("apply");
        if (onApply) onApply();
    }
    std::vector<std::string> calls;
    std::function<void()> onApply;
};

class SetupDialogTest : public ::testing::Test, public Doubles {
protected:
    // Shows the dialog afresh, as each opening does.
    void open() {
        form = std::make_unique<GameSelectForm>();
        form->onCloseRequested = [this] { closed = true; };
        closed = false;
        target.calls.clear();
        dialog = std::make_unique<SetupDialog>(*form, state, store, lists, messageBox, errors, target);
        dialog->Load();
    }
    std::string setting(const std::string& section, const std::string& key) {
        return store.get("Kestrin", section, key).value_or("<none>");
    }
    // The three choices as stored: "LastName GameSelect AutoStart".
    std::string choices() {
        return setting("Scores", "LastName") + " " + setting("Program", "GameSelect") + " " +
               setting("Program", "AutoStart");
    }

    RecordingTarget target;
    std::unique_ptr<GameSelectForm> form;
    std::unique_ptr<SetupDialog> dialog;
    bool closed = false;
};

TEST_F(SetupDialogTest, FirstStartShowsDefaultsAndConfirmingStoresThemAsOneSave) {
    open();
    EXPECT_EQ(form->cmbPlayerName.text(), "Anonymous");
    EXPECT_EQ(form->cmbGameSelect.listIndex(), 0);
    EXPECT_EQ(form->chkGameSelect.value(), 0);
    EXPECT_EQ(form->cmbPlayerName.listCount(), 0u);
    EXPECT_TRUE(files.files.at("/game/PlayerName.dat").empty());  // created empty
    EXPECT_FALSE(closed);
    EXPECT_EQ(target.calls, std::vector<std::string>{});

    form->cmdOK.click();
    EXPECT_EQ(choices(), "Anonymous 0 0");
    EXPECT_EQ(setting("Profiles\\Anonymous", "Statistics"), "0|0|0|0|0|0|0|0|0|0|0|0");
    EXPECT_EQ(store.saves, 1) << "the choice and the zero record are saved as one";
    EXPECT_EQ(files.files.at("/game/PlayerName.dat"), std::vector<std::string>{"Anonymous"});
    EXPECT_EQ(target.calls, (std::vector<std::string>{"show", "apply"}));
    EXPECT_EQ(state.strPlayerName + std::to_string(state.lngGameType), "Anonymous0");
    EXPECT_TRUE(state.MainWindowShown && closed);

    // Reopened from the main window: Enter in the name box confirms, an existing record is
    // kept, and no second main window opens.
    store.set("Kestrin", "Profiles\\Bob", "Statistics", "1|2|3|4|5|6|7|8|9|10|11|12");
    open();
    form->cmbPlayerName.setText("Bob");
    form->cmbGameSelect.setListIndex(1);
    form->chkGameSelect.setValue(1);
    form->cmbPlayerName.keyPress(kKeyEnter);
    EXPECT_EQ(choices(), "Bob 1 1");
    EXPECT_EQ(setting("Profiles\\Bob", "Statistics"), "1|2|3|4|5|6|7|8|9|10|11|12");
    EXPECT_EQ(target.calls, std::vector<std::string>{"apply"});
    EXPECT_EQ(state.strPlayerName + std::to_string(state.lngGameType), "Bob1");
    EXPECT_EQ(form->cmbPlayerName.items(), (std::vector<std::string>{"Anonymous", "Bob"}));
    form->cmbPlayerName.keyPress('x');  // other keys confirm nothing
    EXPECT_EQ(target.calls, std::vector<std::string>{"apply"});
}

TEST_F(SetupDialogTest, AnEmptyNameIsRefusedAndNothingStored) {
    open();
    form->cmbPlayerName.setText("");
    form->cmdOK.click();
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, "Player Name Required");
    EXPECT_EQ(messageBox.shown[0].text, "Please select a player or enter a new player name");
    EXPECT_EQ(messageBox.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(form->cmbPlayerName.hasFocus());
    EXPECT_EQ(store.size(), 0u);
    EXPECT_FALSE(closed);

    form->cmbPlayerName.setText("   ");  // blanks are a name
    form->cmdOK.click();
    EXPECT_EQ(setting("Scores", "LastName"), "   ");
}

TEST_F(SetupDialogTest, AutoStartAppliesTheStoredChoiceOnlyAtProgramStartAndOnlyExactlyOneIsOne) {
    store.set("Kestrin", "Scores", "LastName", "Cy");
    store.set("Kestrin", "Program", "GameSelect", "1");
    store.set("Kestrin", "Program", "AutoStart", "1");
    open();
    EXPECT_TRUE(closed);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"show", "apply"}));
    EXPECT_EQ(state.strPlayerName + std::to_string(state.lngGameType), "Cy1");
    EXPECT_EQ(store.saves, 0);  // nothing is saved by an automatic start

    open();  // reopened from the main window: shown, with the box ticked
    EXPECT_FALSE(closed);
    EXPECT_EQ(form->chkGameSelect.value(), 1);
    EXPECT_EQ(form->cmbGameSelect.listIndex(), 1);

    for (const char* odd : {"2", "-1", "abc", "", "99999999999", "1.5", " 1 ", "+1", "1e0", "01", "1\t"}) {
        store.set("Kestrin", "Program", "GameSelect", odd);
        store.set("Kestrin", "Program", "AutoStart", odd);
        state.MainWindowShown = false;
        open();
        EXPECT_EQ(form->cmbGameSelect.listIndex(), 0) << odd;
        EXPECT_EQ(form->chkGameSelect.value(), 0) << odd;
        EXPECT_FALSE(closed) << odd;
    }
    EXPECT_TRUE(messageBox.shown.empty());
}

// Ann has played; Bob is new. However the saves fail, the game starts with the choice, and
// Bob starts from zeros: nothing of Ann's reaches Bob's record.
TEST_F(SetupDialogTest, FailedSavesAreReportedAndCarryNoPlayersCountersToAnother) {
    const std::string annRecord = "1460|146|146|278|0|132|0|0|0|0|6|1460";
    const struct {
        const char* how;
        std::function<void()> breakIt;
        const char* title;
        const char* stored;
    } cases[] = {
        {"unwritable list", [&] { files.failWrites = true; }, "Kestrin Error 75 in GameSelect.cmdOK", "Bob 0 1"},
        {"full list",
         [&] { files.files["/game/PlayerName.dat"] = std::vector<std::string>(ListFiles::kMaxEntries, "someone"); },
         "Kestrin Error 6 in GameSelect.cmdOK", "Bob 0 1"},
        {"unwritable settings", [&] { store.failWrites = true; }, "Kestrin Error 75 in GameSelect.cmdOK", "Ann 0 0"}};
    target.onApply = [&] { ReadStats(store, state.strPlayerName, state.stats); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        store = MemorySettingsStore{};
        files = MemoryFiles{};
        messageBox.shown.clear();
        store.set("Kestrin", "Profiles\\Ann", "Statistics", annRecord);
        open();
        form->cmbPlayerName.setText("Ann");
        form->cmdOK.click();
        ASSERT_EQ(StatsRecord(state.stats), annRecord);

        c.breakIt();
        open();
        form->cmbPlayerName.setText("Bob");
        form->chkGameSelect.setValue(1);
        form->cmdOK.click();
        EXPECT_EQ(errorTitles(), std::vector<std::string>{c.title});
        EXPECT_EQ(choices(), c.stored);
        EXPECT_EQ(state.strPlayerName, "Bob");
        EXPECT_EQ(state.stats, PlayerStats{});
        EXPECT_TRUE(closed);
        EXPECT_EQ(setting("Profiles\\Ann", "Statistics"), annRecord);
    }

    // The name the dialog offers is not the player until it is applied: another copy that
    // saved "Cy" as the last name does not turn Bob's counters into Cy's when the dialog is
    // opened and closed again.
    state.stats.BanksMade = 3;
    store.failWrites = false;
    store.set("Kestrin", "Scores", "LastName", "Cy");
    open();
    EXPECT_EQ(form->cmbPlayerName.text(), "Cy");
    form->close();
    EXPECT_EQ(state.strPlayerName, "Bob");
    EXPECT_EQ(state.stats.BanksMade, 3);
}

}  // namespace
}  // namespace kestrin::testing
