// The statistics viewer: the page list, the page text in a fixed-width font, Refresh, Close.
#pragma once

#include "shell/stats_viewer.h"
#include "ui/dialog_view.h"

namespace kestrin::ui {

class StatsView : public DialogView {
    Q_OBJECT
public:
    explicit StatsView(StatsForm& form, QWidget* owner = nullptr);
};

}  // namespace kestrin::ui
