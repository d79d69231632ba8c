// The statistics viewer: a list of three pages (the two high score tables and the player's
// statistics) and a read-only text box that shows the chosen page.
#pragma once

#include "platform/forms.h"
#include "records/program_state.h"
#include "shell/error_reporter.h"

namespace kestrin {

struct StatsForm : forms::Form {
    StatsForm();
    forms::ListBox lstPage{*this, "lstPage"};
    forms::TextBox txtStats{*this, "txtStats"};
    forms::Button cmdRefresh{*this, "cmdRefresh"};
    forms::Button cmdClose{*this, "cmdClose"};
};

class StatsViewer {
public:
    // Binds the form's handlers; Load() selects the first page.
    StatsViewer(StatsForm& form, ProgramState& state, ErrorReporter& errors);
    void Load();
    void lstPage_Click();  // guarded as "Stats.lstPage"
    void cmdRefresh_Click() { lstPage_Click(); }
    void cmdClose_Click() { form_.close(); }

private:
    StatsForm& form_;
    ProgramState& state_;
    ErrorReporter& errors_;
};

}  // namespace kestrin
