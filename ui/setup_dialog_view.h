// The set-up dialog: player name, game type and the auto-start box.
#pragma once

#include "shell/setup_dialog.h"
#include "ui/dialog_view.h"

namespace kestrin::ui {

class SetupDialogView : public DialogView {
    Q_OBJECT
public:
    // owner: the main window when the dialog is opened from it; none at start.
    explicit SetupDialogView(GameSelectForm& form, QWidget* owner = nullptr);
};

}  // namespace kestrin::ui
