#include "platform/qt/display_check.h"

#include <QtGlobal>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kestrin {

std::optional<std::string> missingDisplay(const DisplaySetting& setting) {
    // The platform is a list of "name" or "name:options" entries separated by ";", tried in
    // turn. Only a list of X11 entries, or none at all, is known to need DISPLAY.
    bool onlyX11 = true;
    bool any = false;
    std::string_view rest = setting.platform;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        std::string_view entry = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        entry = entry.substr(0, entry.find(':'));
        if (entry.empty()) continue;
        any = true;
        if (entry != "xcb") onlyX11 = false;
    }
    if (!onlyX11 || !setting.display.empty()) return std::nullopt;
    // Qt's own choice may be Wayland when its display is there.
    if (!any && !setting.waylandDisplay.empty()) return std::nullopt;
    return "Kestrin: no display found (DISPLAY is not set); start it from a desktop session.";
}

std::optional<std::string> missingDisplay(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    DisplaySetting setting{variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY")};
    // Qt takes "-platform name" (or "--platform name", the last one given) before the
    // environment.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            setting.platform = argv[++i];
        }
    }
    return missingDisplay(setting);
#else
    (void)argc;
    (void)argv;
    return std::nullopt;
#endif
}

}  // namespace kestrin
