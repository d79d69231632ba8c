// Text files beside the program: the system's 8-bit encoding on disk, UTF-8 inside the
// program, CR LF line ends. Every call opens and closes the file.
//
// Only plain files are opened: a FIFO, a folder or a device under the file's name is a
// Path/File access failure (75) and is never opened, so it cannot hold the program up.
// A line that is not valid in the system encoding (UTF-8) is read byte for byte as
// Windows-1252, the encoding older copies wrote, so no byte of it is lost or changed.
// Appending to a file whose last line has no line end first ends that line.
#pragma once

#include "platform/services.h"

namespace kestrin {

class QtTextFiles final : public TextFiles {
public:
    bool exists(const std::string& path) override;
    std::vector<std::string> readLines(const std::string& path) override;
    void createEmpty(const std::string& path) override;
    void appendLine(const std::string& path, const std::string& text) override;
};

}  // namespace kestrin
