// Chooses the program folder and the write folder once at start (needs the application
// object). The program folder is the folder of the real executable, found through any
// symbolic link, so a "kestrin" command linked to it finds the sounds and pictures.
//
// The write folder is the program folder when a file can be created there, as for a copy
// unpacked into a folder of its own. An installed copy (its program folder holds the file
// named by kInstalledMarker, which the install step puts there) and a copy whose folder is not
// writable write to the per-user data folder instead, which is created when missing: so an
// installed game run by root leaves no file among the installed ones.
#pragma once

#include <QString>

#include "platform/services.h"

namespace kestrin {

inline constexpr const char* kInstalledMarker = "installed";

Folders chooseFolders();
Folders chooseFolders(const QString& programFolder);  // the same, for a given program folder

}  // namespace kestrin
