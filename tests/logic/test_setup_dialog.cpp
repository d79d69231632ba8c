// The set-up dialog: first start, confirming, auto-start, and stored values the program never
// writes.
#include <gtest/gtest.h>

#include "records/player_stats.h"
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
        dialog = std::make_unique<SetupDialog>(*form, state, store, lists, messageBox, errors, target);
        dialog->Load();
    }
    std::optional<std::string> setting(const std::string& section, const std::string& key) {
        return store.get("Kestrin", section, key);
    }

    RecordingTarget target;
    std::unique_ptr<GameSelectForm> form;
    std::unique_ptr<SetupDialog> dialog;
    bool closed = false;
};

TEST_F(SetupDialogTest, FirstStartShowsDefaultsAndConfirmingStoresThem) {
    open();
    EXPECT_EQ(form->cmbPlayerName.text(), "Anonymous");
    EXPECT_EQ(form->cmbGameSelect.listIndex(), 0);
    EXPECT_EQ(form->chkGameSelect.value(), 0);
    EXPECT_EQ(form->cmbPlayerName.listCount(), 0u);
    EXPECT_FALSE(form->cmbGameSelect.editable);                   // a game type is chosen, never typed
    EXPECT_TRUE(files.files.at("/game/PlayerName.dat").empty());  // created empty
    EXPECT_FALSE(closed);
    EXPECT_TRUE(target.calls.empty());

    form->cmdOK.click();
    EXPECT_EQ(setting("Scores", "LastName"), "Anonymous");
    EXPECT_EQ(setting("Program", "GameSelect"), "0");
    EXPECT_EQ(setting("Program", "AutoStart"), "0");
    EXPECT_EQ(setting("Profiles\\Anonymous", "Statistics"), "0|0|0|0|0|0|0|0|0|0|0|0");
    EXPECT_EQ(store.operationCount, 1) << "the choice and the zero record are saved as one";
    EXPECT_EQ(files.files.at("/game/PlayerName.dat"), std::vector<std::string>{"Anonymous"});
    EXPECT_EQ(target.calls, (std::vector<std::string>{"show", "apply"}));
    EXPECT_EQ(state.lngGameType, 0);  // single player, as chosen
    EXPECT_TRUE(state.MainWindowShown);
    EXPECT_TRUE(closed);
}

TEST_F(SetupDialogTest, ConfirmingKeepsAnExistingRecordAndNeverOpensASecondWindow) {
    store.set("Kestrin", "Profiles\\Bob", "Statistics", "1|2|3|4|5|6|7|8|9|10|11|12");
    state.MainWindowShown = true;
    open();
    form->cmbPlayerName.setText("Bob");
    form->cmbGameSelect.setListIndex(1);
    form->cmbPlayerName.keyPress(13);  // Enter in the name box confirms
    EXPECT_EQ(setting("Profiles\\Bob", "Statistics"), "1|2|3|4|5|6|7|8|9|10|11|12");
    EXPECT_EQ(setting("Program", "GameSelect"), "1");
    EXPECT_EQ(store.operationCount, 1);
    EXPECT_EQ(target.calls, std::vector<std::string>{"apply"});
    EXPECT_EQ(state.strPlayerName, "Bob");
    EXPECT_EQ(state.lngGameType, 1);
}

TEST_F(SetupDialogTest, EmptyNameIsRefusedAndNothingStored) {
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

TEST_F(SetupDialogTest, AutoStartAppliesTheStoredChoiceOnlyAtProgramStart) {
    store.set("Kestrin", "Scores", "LastName", "Cy");
    store.set("Kestrin", "Program", "GameSelect", "1");
    store.set("Kestrin", "Program", "AutoStart", "1");
    open();
    EXPECT_TRUE(closed);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"show", "apply"}));
    EXPECT_EQ(state.strPlayerName, "Cy");
    EXPECT_EQ(state.lngGameType, 1);
    EXPECT_EQ(store.writeCount, 0);  // nothing is saved by an automatic start

    open();  // reopened from the main window: shown, with the box ticked
    EXPECT_FALSE(closed);
    EXPECT_EQ(form->chkGameSelect.value(), 1);
    form->chkGameSelect.setValue(0);
    form->cmdOK.click();
    EXPECT_EQ(setting("Program", "AutoStart"), "0");
}

TEST_F(SetupDialogTest, StoredValuesTheProgramNeverWritesReadAsDefaults) {
    for (const char* odd : {"2", "-1", "abc", "", "99999999999", "1.5", "1.4", " 1 ", "+1", "1e0", "01", "1\t"}) {
        store.set("Kestrin", "Program", "GameSelect", odd);
        store.set("Kestrin", "Program", "AutoStart", odd);
        open();
        EXPECT_EQ(form->cmbGameSelect.listIndex(), 0) << odd;
        EXPECT_EQ(form->chkGameSelect.value(), 0) << odd;
        EXPECT_FALSE(closed) << odd;
    }
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(SetupDialogTest, SettingsThatCannotBeSavedAreReportedAndTheGameStillStarts) {
    open();
    store.failWrites = true;
    form->cmdOK.click();
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, "Kestrin Error 75 in GameSelect.cmdOK");
    EXPECT_EQ(target.calls, (std::vector<std::string>{"show", "apply"}));
    EXPECT_EQ(state.strPlayerName, "Anonymous");
}

// Ann has played; Bob is new. However the name list fails, the choice and Bob's zero record
// are saved, and Bob starts from zeros: nothing of Ann's reaches Bob's record.
TEST_F(SetupDialogTest, NoFailureCarriesOnePlayersCountersToAnother) {
    const std::string annRecord = "1460|146|146|278|0|132|0|0|0|0|6|1460";
    const std::vector<std::string> fullList(ListFiles::kMaxEntries, "someone");
    const struct {
        const char* how;
        std::function<void()> breakTheList;
        std::int32_t failure;
    } cases[] = {
        {"unwritable", [&] { files.failWrites = true; }, failures::kPathFileAccess},
        {"full", [&] { files.files["/game/PlayerName.dat"] = fullList; }, failures::kOverflow},
    };
    target.onApply = [&] { ReadStats(store, state.strPlayerName, state.stats); };
    for (const auto& c : cases) {
        store = MemorySettingsStore{};
        files = MemoryFiles{};
        messageBox.shown.clear();
        store.set("Kestrin", "Profiles\\Ann", "Statistics", annRecord);
        open();
        form->cmbPlayerName.setText("Ann");
        form->cmdOK.click();
        ASSERT_EQ(StatsRecord(state.stats), annRecord) << c.how;

        c.breakTheList();
        open();
        form->cmbPlayerName.setText("Bob");
        form->chkGameSelect.setValue(1);
        form->cmdOK.click();
        ASSERT_EQ(messageBox.shown.size(), 1u) << c.how;
        EXPECT_EQ(messageBox.shown[0].title, "Kestrin Error " + std::to_string(c.failure) + " in GameSelect.cmdOK");
        EXPECT_EQ(setting("Scores", "LastName"), "Bob") << c.how;
        EXPECT_EQ(setting("Program", "AutoStart"), "1") << c.how;
        EXPECT_EQ(setting("Profiles\\Bob", "Statistics"), "0|0|0|0|0|0|0|0|0|0|0|0") << c.how;
        EXPECT_EQ(state.strPlayerName, "Bob");
        EXPECT_EQ(state.stats, PlayerStats{}) << c.how;
        EXPECT_EQ(setting("Profiles\\Ann", "Statistics"), annRecord);
    }

    // The name the dialog offers is not the player until it is applied: another copy that
    // saved "Cy" as the last name does not turn Bob's counters into Cy's when the dialog is
    // opened and closed again.
    state.stats.BanksMade = 3;
    store.set("Kestrin", "Scores", "LastName", "Cy");
    open();
    EXPECT_EQ(form->cmbPlayerName.text(), "Cy");
    form->close();
    EXPECT_EQ(state.strPlayerName, "Bob");
    EXPECT_EQ(state.stats.BanksMade, 3);
}

}  // namespace
}  // namespace kestrin::testing
