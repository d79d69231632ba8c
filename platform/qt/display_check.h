// Whether the windowing system can start, asked before the application object is made:
// without a display Qt would abort with a message about its platform plug-ins instead.
#pragma once

#include <optional>
#include <string>

namespace kestrin {

// What decides whether a display can be reached.
struct DisplaySetting {
    std::string platform;        // from a "-platform" argument, else QT_QPA_PLATFORM; may be empty
    std::string display;         // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
};

// The one line that tells the player there is no display, or nothing when there may be one.
// Only the X11 platform (asked for, or Qt's default when none is asked for) is judged; any
// other platform (offscreen, say) is left to Qt.
std::optional<std::string> missingDisplay(const DisplaySetting& setting);

// The same for this process's arguments and environment; always nothing where the desktop
// needs no display variable (Windows, macOS).
std::optional<std::string> missingDisplay(int argc, char** argv);

}  // namespace kestrin
