// The set-up dialog: first start, confirming, saves that fail, auto-start, and stored values the program never writes.
#include <gtest/gtest.h>

#include "shell/setup_dialog.h"
#include "tests/support/rig.h"

namespace kestrin::testing {
namespace {

class SetupDialogTest : public ::testing::Test, public Doubles, public GameSelectTarget {
protected:
    void showMainWindow() override { calls += "show "; }
    void NewGameSelect() override {
        calls += "apply ";
        ReadStats(store, state.strPlayerName, state.stats);
    }
    // Shows the dialog afresh, as each opening does.
    void open() {
        form = std::make_unique<GameSelectForm>();
        form->onCloseRequested = [this] { calls += "closed "; };
        calls.clear();
        dialog = std::make_unique<SetupDialog>(*form, state, store, lists, messageBox, errors, *this);
        dialog->Load();
    }
    // What the dialog shows, then the choices stored, then the player chosen and what the
    // dialog did: "Anonymous 0 0 | Anonymous 0 0 | Anonymous 0 | show apply closed".
    std::string seen() {
        const auto setting = [&](const char* section, const char* key) {
            return store.get("Kestrin", section, key).value_or("-");
        };
        return form->cmbPlayerName.text() + " " + std::to_string(form->cmbGameSelect.listIndex()) + " " +
               std::to_string(form->chkGameSelect.value()) + " | " + setting("Scores", "LastName") + " " +
               setting("Program", "GameSelect") + " " + setting("Program", "AutoStart") + " | " + state.strPlayerName +
               " " + std::to_string(state.lngGameType) + " | " + calls + (dialog->applied() ? "(applied)" : "");
    }
    std::string calls;
    std::unique_ptr<GameSelectForm> form;
    std::unique_ptr<SetupDialog> dialog;
};

TEST_F(SetupDialogTest, FirstStartDefaultsOneSaveFailedSavesAndAutoStart) {
    open();
    EXPECT_EQ(seen(), "Anonymous 0 0 | - - - |  0 | ");
    form->cmdOK.click();
    EXPECT_EQ(seen(), "Anonymous 0 0 | Anonymous 0 0 | Anonymous 0 | show apply closed (applied)");
    EXPECT_EQ(store.saves, 1) << "the choice and the zero record are saved as one";
    // Reopened from the main window: Enter in the name box confirms, an existing record is
    // kept, and no second main window opens.
    store.set("Kestrin", "Profiles\\Bob", "Statistics", "1|2|3|4|5|6|7|8|9|10|11|12");
    open();
    form->cmbPlayerName.setText("Bob");
    form->cmbGameSelect.setListIndex(1);
    form->chkGameSelect.setValue(1);
    form->cmbPlayerName.keyPress('x');  // other keys confirm nothing
    EXPECT_EQ(calls, "");
    form->cmbPlayerName.keyPress(kKeyEnter);
    EXPECT_EQ(seen(), "Bob 1 1 | Bob 1 1 | Bob 1 | apply closed (applied)");
    EXPECT_EQ(StatsRecord(state.stats), "1|2|3|4|5|6|7|8|9|10|11|12");
    EXPECT_EQ(form->cmbPlayerName.items(), (std::vector<std::string>{"Anonymous", "Bob"}));
    // However the saves fail, the choice applies and a new player starts from zeros: nothing
    // of Bob's reaches Carl, and Bob's record stays as it was.
    store.failWrites = true;
    open();
    form->cmbPlayerName.setText("Carl");
    form->cmdOK.click();
    EXPECT_EQ(errorTitles(), std::vector<std::string>{"Kestrin Error 75 in GameSelect.cmdOK"});
    EXPECT_EQ(seen(), "Carl 1 1 | Bob 1 1 | Carl 1 | apply closed (applied)");
    EXPECT_EQ(state.stats, PlayerStats{});
    EXPECT_EQ(store.get("Kestrin", "Profiles\\Bob", "Statistics"), "1|2|3|4|5|6|7|8|9|10|11|12");
    store.failWrites = false;
    // An empty name is refused and nothing is stored; blanks are a name.
    open();
    form->cmbPlayerName.setText("");
    form->cmdOK.click();
    EXPECT_EQ(seen(), " 1 1 | Bob 1 1 | Carl 1 | ");
    EXPECT_EQ(messageBox.shown.back().title + ": " + lastBox(),
              "Player Name Required: Please select a player or enter a new player name");
    EXPECT_TRUE(form->cmbPlayerName.hasFocus());
    form->cmbPlayerName.setText("   ");
    form->cmdOK.click();
    EXPECT_EQ(seen(), "    1 1 |     1 1 |     1 | apply closed (applied)");
    // The next program start applies the stored choice without a save; only exactly "1" is one.
    state.MainWindowShown = false;
    const int saves = store.saves;
    open();
    EXPECT_EQ(seen(), "    1 1 |     1 1 |     1 | show apply closed (applied)");
    EXPECT_EQ(store.saves, saves);
    for (const char* odd : {"2", "-1", "abc", "", "1.5", " 1 ", "+1", "01"}) {
        store.set("Kestrin", "Program", "GameSelect", odd);
        store.set("Kestrin", "Program", "AutoStart", odd);
        state.MainWindowShown = false;
        open();
        EXPECT_EQ(calls, "") << odd;
    }
}

}  // namespace
}  // namespace kestrin::testing
