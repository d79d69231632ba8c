// Text files beside the program: the system's 8-bit encoding on disk, UTF-8 inside the
// program, CR LF line ends. Every call opens and closes the file.
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
