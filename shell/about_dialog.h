// The about dialog: product name, version, the maker's notice and two links.
#pragma once

#include <array>
#include <functional>

#include "platform/forms.h"
#include "shell/help_commands.h"

namespace kestrin {

struct AboutForm : forms::Form {
    AboutForm();
    forms::Label lblProductName{*this, "lblProductName"};
    forms::Label lblVersion{*this, "lblVersion"};
    forms::Label Label2{*this, "Label2"};
    std::array<forms::Label, 2> lblHyperlink{{{*this, "lblHyperlink(0)"}, {*this, "lblHyperlink(1)"}}};
    forms::Button cmdDonate{*this, "cmdDonate"};
    forms::Button cmdOK{*this, "cmdOK"};
};

class AboutDialog {
public:
    // donate runs the main window's Donate command after the dialog has closed.
    AboutDialog(AboutForm& form, HelpCommands& help, std::function<void()> donate);
    void Load();  // puts the version into lblVersion
    void cmdOK_Click() { form_.close(); }
    void cmdDonate_Click();
    void lblHyperlink_MouseDown(int index);  // text turns red
    void lblHyperlink_MouseUp(int index);    // blue again
    void lblHyperlink_Click(int index);      // 0: the e-mail target, 1: the label's own text

private:
    AboutForm& form_;
    HelpCommands& help_;
    std::function<void()> donate_;
};

}  // namespace kestrin
