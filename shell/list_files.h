// The recent-entry lists: PlayerName.dat and ConnectTo.dat in the write folder, one entry a
// line, oldest first, backing an editable drop-down list.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/services.h"

namespace kestrin {

inline constexpr const char* kPlayerNameFile = "PlayerName.dat";
inline constexpr const char* kConnectToFile = "ConnectTo.dat";

class ListFiles {
public:
    // A list holds at most this many entries; further lines of a file are not loaded.
    static constexpr std::size_t kMaxEntries = 32767;

    ListFiles(TextFiles& files, std::string folder) : files_(files), folder_(std::move(folder)) {}

    bool FileExists(const std::string& path) { return files_.exists(path); }
    // Fills the list from the file (every line an entry, in file order), or creates the
    // file empty when there is none. A file longer than the list can hold fills the list
    // and then fails with an overflow.
    void LoadList(const std::string& fileName, forms::ComboBox& control);
    // Adds the control's text to the list and to the end of the file, unless an entry is
    // exactly equal to it already. A text holding a line break (CR or LF) is added to
    // neither: it would not come back from the file as that one entry.
    void SaveListItem(const std::string& fileName, forms::ComboBox& control);

    std::string pathOf(const std::string& fileName) const { return joinPath(folder_, fileName); }

private:
    TextFiles& files_;
    std::string folder_;
};

}  // namespace kestrin
