#include "shell/setup_dialog.h"

#include <algorithm>
#include <vector>

#include "platform/failure.h"
#include "records/player_stats.h"

namespace kestrin {

namespace {
constexpr const char* kLastNameSection = "Scores";
constexpr const char* kLastNameKey = "LastName";
constexpr const char* kProgramSection = "Program";
constexpr const char* kGameSelectKey = "GameSelect";
constexpr const char* kAutoStartKey = "AutoStart";

// The program writes "0" or "1"; only exactly "1" is 1, any other text reads as 0.
int readZeroOrOne(SettingsStore& store, const char* key) {
    return store.read(kTitle, kProgramSection, key, "0") == "1" ? 1 : 0;
}
}  // namespace

GameSelectForm::GameSelectForm() : forms::Form("frmGameSelect") {
    setCaption("Kestrin - Game Setup");
    cmbPlayerName.setTooltip("Type your name here");
    cmbGameSelect.editable = false;
    cmbGameSelect.addItem("Single Player");
    cmbGameSelect.addItem("Multi Player");
    cmbGameSelect.setTooltip("Select from single or multi player game modes");
    chkGameSelect.setCaption("Auto-start with these settings");
    chkGameSelect.setTooltip("If checked Kestrin will auto-start with these settings in future");
    cmdOK.setCaption("&OK");
    cmdOK.setTooltip("Confirm these settings");
}

SetupDialog::SetupDialog(GameSelectForm& form, ProgramState& state, SettingsStore& store, ListFiles& lists,
                         MessageBox& messageBox, ErrorReporter& errors, GameSelectTarget& target)
    : form_(form),
      state_(state),
      store_(store),
      lists_(lists),
      messageBox_(messageBox),
      errors_(errors),
      target_(target) {
    form_.cmdOK.onClick = [this] { cmdOK_Click(); };
    form_.cmbPlayerName.onKeyPress = [this](int code) { cmbPlayerName_KeyPress(code); };
}

void SetupDialog::Load() {
    // A name list that cannot be read or created is reported; the dialog still works.
    errors_.guard("GameSelect.Load", [&] { lists_.LoadList(kPlayerNameFile, form_.cmbPlayerName); });
    // The stored name is only offered: the player (and the counters that belong to the
    // player) change when a choice is applied, never by opening the dialog and closing it.
    const std::string lastName = store_.read(kTitle, kLastNameSection, kLastNameKey, "Anonymous");
    form_.cmbPlayerName.setText(lastName);
    form_.cmbGameSelect.setListIndex(readZeroOrOne(store_, kGameSelectKey));
    form_.chkGameSelect.setValue(readZeroOrOne(store_, kAutoStartKey));
    if (!state_.MainWindowShown && form_.chkGameSelect.value() == 1) ApplySelection(lastName);
}

void SetupDialog::cmdOK_Click() { Confirm(); }

void SetupDialog::cmbPlayerName_KeyPress(int code) {
    if (code == kKeyEnter) Confirm();
}

void SetupDialog::Confirm() {
    const std::string name = form_.cmbPlayerName.text();
    if (name.empty()) {
        messageBox_.show("Please select a player or enter a new player name", "Player Name Required",
                         MessageButtons::Ok, MessageIcon::Critical);
        form_.cmbPlayerName.setFocus();
        return;
    }
    // The name list and the settings are saved apart, each reported when it cannot be: a
    // list that cannot take the name still leaves the choice and the new player's zero
    // record saved. The game starts with the choice either way.
    errors_.guard("GameSelect.cmdOK", [&] { lists_.SaveListItem(kPlayerNameFile, form_.cmbPlayerName); });
    errors_.guard("GameSelect.cmdOK", [&] {
        std::vector<SettingsStore::Write> writes{
            {kLastNameSection, kLastNameKey, name},
            {kProgramSection, kGameSelectKey, decimal(std::max(0, form_.cmbGameSelect.listIndex()))},
            {kProgramSection, kAutoStartKey, decimal(form_.chkGameSelect.value())},
        };
        if (auto record = NewPlayerRecord(store_, name)) writes.push_back(std::move(*record));
        store_.writeAll(kTitle, writes);
    });
    ApplySelection(name);
}

void SetupDialog::ApplySelection(const std::string& playerName) {
    state_.strPlayerName = playerName;
    state_.lngGameType = std::max(0, form_.cmbGameSelect.listIndex());
    if (!state_.MainWindowShown) {
        target_.showMainWindow();
        state_.MainWindowShown = true;
    }
    target_.NewGameSelect();
    applied_ = true;
    form_.close();
}

}  // namespace kestrin
