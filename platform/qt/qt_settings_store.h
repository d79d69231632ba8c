// The per-user settings store on QSettings: one INI file per application name in the user's
// configuration folder, organisation folder "Kestrin" (on Linux
// $XDG_CONFIG_HOME/Kestrin/Kestrin.ini and .../KestrinSolo.ini).
//
// Section and key are each percent-encoded from UTF-8 (only A-Z a-z 0-9 - . _ ~ stay as they
// are) before QSettings sees them, and handed over as one group and one key. QSettings thus
// never meets a '/' or '\' of a player's name, and "Profiles\a/b" stays apart from
// "Profiles\a". An empty key is stored as "%", which no encoded name can be.
//
// Every write or writeAll is one save of the file: it reaches the disk, or the call throws a
// Failure (75). A value that could not be saved stays in memory (it reads back) and goes to
// the disk with the next save that succeeds. A hand-edited line QSettings cannot read is
// dropped by the next save and never makes a save look failed.
#pragma once

#include "platform/services.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class QSettings;

namespace kestrin {

class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    // Saves at once; throws a Failure (75) when the file cannot be written.
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    // Saves every value with one rewrite of the file; throws a Failure (75) when the file
    // cannot be written.
    void writeAll(const std::string& application, const std::vector<Write>& writes) override;

    // The file that holds an application's settings.
    std::string fileName(const std::string& application);

    // The name under which the store keeps a section or key (percent-encoded UTF-8).
    static std::string encodeName(const std::string& name);

private:
    QSettings& settingsFor(const std::string& application);

    // One QSettings per application for the whole run: it keeps the file read once, and the
    // short-lived QSettings of each save share what it read.
    std::map<std::string, std::unique_ptr<QSettings>> files_;
};

}  // namespace kestrin
