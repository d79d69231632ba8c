// The desktop shell: hands a file, a web address or a mailto: address to the program the
// user has chosen for it.
#pragma once

#include "platform/services.h"

namespace kestrin {

class QtDesktopShell final : public DesktopShell {
public:
    bool open(const std::string& target, const std::string& workingFolder) override;
};

}  // namespace kestrin
