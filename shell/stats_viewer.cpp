#include "shell/stats_viewer.h"

#include "records/stats_page.h"

namespace kestrin {

StatsForm::StatsForm() : forms::Form("frmStats") {
    setCaption("High Scores & Statistics");
    lstPage.addItem("SP High Scores");
    lstPage.addItem("MP High Scores");
    lstPage.addItem("Statistics");
    cmdRefresh.setCaption("&Refresh");
    cmdRefresh.setTooltip("Reload statistics and high scores");
    cmdClose.setCaption("Close");
    cmdClose.setTooltip("Close scores & stats dialog");
}

StatsViewer::StatsViewer(StatsForm& form, ProgramState& state, ErrorReporter& errors)
    : form_(form), state_(state), errors_(errors) {
    form_.lstPage.onClick = [this] { lstPage_Click(); };
    form_.cmdRefresh.onClick = [this] { cmdRefresh_Click(); };
    form_.cmdClose.onClick = [this] { cmdClose_Click(); };
}

void StatsViewer::Load() { form_.lstPage.setListIndex(0); }

void StatsViewer::lstPage_Click() {
    errors_.guard("Stats.lstPage", [this] {
        const auto showTable = [this](const char* tableName, const char* title) {
            HighScore& table = state_.objHighScore;
            table.setTableName(tableName);
            table.ReadScores();
            form_.txtStats.setText(std::string(title) + "\r\n\r\n" + table.MakeScores());
        };
        switch (form_.lstPage.listIndex()) {
        case 0: showTable(kSoloTable, "Single Player High Scores"); break;
        case 1: showTable(kMultiTable, "Multiplayer High Scores"); break;
        case 2: {
            // Built whole before the first write, so a failure leaves the old page up.
            const StatsPageText page = MakeStatsPage(state_.stats, state_.strPlayerName);
            form_.txtStats.setText(page.games);
            form_.txtStats.setText(form_.txtStats.text() + page.bankingAndGuessing);
            break;
        }
        default: break;  // nothing chosen
        }
    });
}

}  // namespace kestrin
