// The IP addresses dialog: the machine's IPv4 addresses, one a line.
#pragma once

#include "shell/ip_dialog.h"
#include "ui/dialog_view.h"

namespace kestrin::ui {

class IpView : public DialogView {
    Q_OBJECT
public:
    explicit IpView(IpForm& form, QWidget* owner = nullptr);
};

}  // namespace kestrin::ui
