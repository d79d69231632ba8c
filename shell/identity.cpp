#include "shell/identity.h"

namespace kestrin::identity {

std::string versionText() {
    return std::to_string(kMajor) + "." + std::to_string(kMinor) + " (Build " + std::to_string(kRevision) + ")";
}

}  // namespace kestrin::identity
