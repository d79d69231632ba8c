// The IP addresses dialog: lists the machine's IPv4 addresses, in ascending order, so that a
// host can tell the opponent where to connect.
#pragma once

#include "platform/forms.h"
#include "platform/services.h"
#include "shell/error_reporter.h"

namespace kestrin {

struct IpForm : forms::Form {
    IpForm();
    forms::TextBox txtIP{*this, "txtIP"};
    forms::Button cmdOK{*this, "cmdOK"};
};

class IpDialog {
public:
    IpDialog(IpForm& form, AddressTable& addresses, ErrorReporter& errors);
    void Load();  // guarded as "IP.Load"
    void cmdOK_Click() { form_.close(); }

private:
    IpForm& form_;
    AddressTable& addresses_;
    ErrorReporter& errors_;
};

}  // namespace kestrin
