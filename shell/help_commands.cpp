#include "shell/help_commands.h"

#include "shell/identity.h"

namespace kestrin {

namespace targets {

namespace {
std::string site() { return identity::kWebSite; }
std::string majorMinor() { return std::to_string(identity::kMajor) + "." + std::to_string(identity::kMinor); }
}  // namespace

std::string readMe(const std::string& programFolder) { return joinPath(programFolder, "Read Me.html"); }
std::string checkForUpdate() { return site() + "/?p=vercheck&app=Kestrin&ver=" + majorMinor(); }
std::string donate() { return site() + "/?p=donate&app=Kestrin"; }
std::string website() { return site(); }
std::string forums() { return site() + "/forums"; }
std::string email() {
    return std::string("mailto:") + identity::kSupportEmail + "?subject=Kestrin%20v" + majorMinor() + "%20(Build%20" +
           std::to_string(identity::kRevision) + ")";
}

}  // namespace targets

void HelpCommands::open(const std::string& target) {
    // A missing document or no program for the target: the shell's answer is not examined
    // and the program shows nothing of its own.
    try {
        shell_.open(target, programFolder_);
    } catch (...) {
    }
}

}  // namespace kestrin
