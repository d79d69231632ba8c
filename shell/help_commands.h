// The Help menu's commands: each composes a target (the read-me page, a page of the maker's
// web site, a support e-mail) and hands it to the desktop shell. Failures are ignored.
#pragma once

#include <string>

#include "platform/services.h"

namespace kestrin {

namespace targets {
std::string readMe(const std::string& programFolder);  // program folder + "Read Me.html"
std::string checkForUpdate();                          // site + "/?p=vercheck&app=Kestrin&ver=2.11"
std::string donate();                                  // site + "/?p=donate&app=Kestrin"
std::string website();                                 // site
std::string forums();                                  // site + "/forums"
std::string email();                                   // mailto: … ?subject=Kestrin%20v2.11%20(Build%20210)
}  // namespace targets

class HelpCommands {
public:
    HelpCommands(DesktopShell& shell, std::string programFolder)
        : shell_(shell), programFolder_(std::move(programFolder)) {}

    void mnuHelpReadMe_Click() { open(targets::readMe(programFolder_)); }
    void mnuHelpCheckUpdate_Click() { open(targets::checkForUpdate()); }
    void mnuHelpDonate_Click() { open(targets::donate()); }
    void mnuWebWebsite_Click() { open(targets::website()); }
    void mnuWebForums_Click() { open(targets::forums()); }
    void mnuWebEmail_Click() { open(targets::email()); }
    // Opens any target the same way (the about dialog's links).
    void open(const std::string& target);

private:
    DesktopShell& shell_;
    std::string programFolder_;
};

}  // namespace kestrin
