#include "shell/setup_dialog.h"

#include <algorithm>

#include "platform/failure.h"
#include "records/player_stats.h"

namespace kestrin {

namespace {
constexpr const char* kLastNameSection = "Scores";
constexpr const char* kLastNameKey = "LastName";
constexpr const char* kProgramSection = "Program";
constexpr const char* kGameSelectKey = "GameSelect";
constexpr const char* kAutoStartKey = "AutoStart";
constexpr const char* kStatisticsKey = "Statistics";

// A stored "0" or "1"; anything else the program never writes reads as 0.
int readZeroOrOne(SettingsStore& store, const char* key) {
    try {
        const int value = textTo<int>(store.read(kTitle, kProgramSection, key, "0"));
        return value == 1 ? 1 : 0;
    } catch (const Failure&) {
        return 0;
    }
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
    : form_(form), state_(state), store_(store), lists_(lists), messageBox_(messageBox), errors_(errors),
      target_(target) {
    form_.cmdOK.onClick = [this] { cmdOK_Click(); };
    form_.cmbPlayerName.onKeyPress = [this](int code) { cmbPlayerName_KeyPress(code); };
}

void SetupDialog::Load() {
    // A name list that cannot be read or created is reported; the dialog still works.
    errors_.guard("GameSelect.Load", [&] { lists_.LoadList(kPlayerNameFile, form_.cmbPlayerName); });
    state_.strPlayerName = store_.read(kTitle, kLastNameSection, kLastNameKey, "Anonymous");
    form_.cmbPlayerName.setText(state_.strPlayerName);
    form_.cmbGameSelect.setListIndex(readZeroOrOne(store_, kGameSelectKey));
    form_.chkGameSelect.setValue(readZeroOrOne(store_, kAutoStartKey));
    if (!state_.MainWindowShown && form_.chkGameSelect.value() == 1) ApplySelection();
}

void SetupDialog::cmdOK_Click() { Confirm(); }

void SetupDialog::cmbPlayerName_KeyPress(int code) {
    if (code == 13) Confirm();
}

void SetupDialog::Confirm() {
    const std::string name = form_.cmbPlayerName.text();
    if (name.empty()) {
        messageBox_.show("Please select a player or enter a new player name", "Player Name Required",
                         MessageButtons::Ok, MessageIcon::Critical);
        form_.cmbPlayerName.setFocus();
        return;
    }
    // Settings that cannot be saved are reported; the game still starts with the choice.
    errors_.guard("GameSelect.cmdOK", [&] {
        lists_.SaveListItem(kPlayerNameFile, form_.cmbPlayerName);
        store_.write(kTitle, kLastNameSection, kLastNameKey, name);
        store_.write(kTitle, kProgramSection, kGameSelectKey, std::to_string(std::max(0, form_.cmbGameSelect.listIndex())));
        store_.write(kTitle, kProgramSection, kAutoStartKey, std::to_string(form_.chkGameSelect.value()));
        if (store_.read(kTitle, profileSection(name), kStatisticsKey, "").empty())
            store_.write(kTitle, profileSection(name), kStatisticsKey, kZeroStatistics);
    });
    state_.strPlayerName = name;
    ApplySelection();
}

void SetupDialog::ApplySelection() {
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
