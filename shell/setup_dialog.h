// The set-up dialog: chooses who plays and in which mode, remembers the choice, and hands it
// to the main window. At start-up it is the first window; with auto-start ticked it applies
// the stored choice at once and is never seen.
#pragma once

#include "platform/forms.h"
#include "platform/services.h"
#include "records/program_state.h"
#include "shell/error_reporter.h"
#include "shell/list_files.h"

namespace kestrin {

struct GameSelectForm : forms::Form {
    GameSelectForm();
    forms::ComboBox cmbPlayerName{*this, "cmbPlayerName"};
    forms::ComboBox cmbGameSelect{*this, "cmbGameSelect"};
    forms::CheckBox chkGameSelect{*this, "chkGameSelect"};
    forms::Button cmdOK{*this, "cmdOK"};
};

// What applying the choice does to the main window.
class GameSelectTarget {
public:
    virtual ~GameSelectTarget() = default;
    virtual void showMainWindow() = 0;
    virtual void NewGameSelect() = 0;
};

class SetupDialog {
public:
    SetupDialog(GameSelectForm& form, ProgramState& state, SettingsStore& store, ListFiles& lists,
                MessageBox& messageBox, ErrorReporter& errors, GameSelectTarget& target);

    // Fills the dialog from the name list and the settings; at program start with auto-start
    // ticked it applies the stored choice and closes the dialog. The stored name is only
    // shown: the player changes when a choice is applied.
    void Load();
    void cmdOK_Click();
    void cmbPlayerName_KeyPress(int code);  // Enter confirms
    // True once the choice has been applied and the dialog closed.
    bool applied() const { return applied_; }

private:
    void Confirm();
    void ApplySelection(const std::string& playerName);

    GameSelectForm& form_;
    ProgramState& state_;
    SettingsStore& store_;
    ListFiles& lists_;
    MessageBox& messageBox_;
    ErrorReporter& errors_;
    GameSelectTarget& target_;
    bool applied_ = false;
};

}  // namespace kestrin
