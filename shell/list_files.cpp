#include "shell/list_files.h"

#include <algorithm>

#include "platform/failure.h"

namespace kestrin {

void ListFiles::LoadList(const std::string& fileName, forms::ComboBox& control) {
    const std::string path = pathOf(fileName);
    control.clear();
    if (!FileExists(path)) {
        // From now on the file exists, so later saves only ever append.
        files_.createEmpty(path);
        return;
    }
    const std::vector<std::string> lines = files_.readLines(path);
    const std::size_t count = std::min(lines.size(), kMaxEntries);
    for (std::size_t i = 0; i < count; ++i) control.addItem(lines[i]);
    if (lines.size() > kMaxEntries) throwOverflow();
}

void ListFiles::SaveListItem(const std::string& fileName, forms::ComboBox& control) {
    const std::string text = control.text();
    // Exact, case-sensitive comparison with every entry; blanks count.
    const auto& items = control.items();
    if (std::find(items.begin(), items.end(), text) != items.end()) return;
    // An entry is one line of the file. A text holding a line break (a CR alone ends a line
    // too for many programs) would come back as two other entries and be saved again at
    // every confirm, so it is not remembered; the settings store keeps such a name whole.
    if (text.find_first_of("\r\n") != std::string::npos) return;
    if (control.listCount() >= kMaxEntries) throwOverflow();
    control.addItem(text);
    files_.appendLine(pathOf(fileName), text);
}

}  // namespace kestrin
