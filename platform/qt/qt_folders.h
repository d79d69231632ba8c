// Chooses the program folder and the write folder once at start (needs the application
// object): the write folder is the program folder when a file can be created there, else the
// per-user data folder, which is created when missing.
#pragma once

#include "platform/services.h"

namespace kestrin {

Folders chooseFolders();

}  // namespace kestrin
