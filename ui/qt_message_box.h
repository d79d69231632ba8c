// The modal message box on QMessageBox. Its own event loop keeps the timers and the sockets
// running while it is open, as the game expects.
#pragma once

#include "platform/services.h"

namespace kestrin::ui {

class QtMessageBox final : public MessageBox {
public:
    // The box is owned by the active window, if any. A carriage return in the text starts a
    // new line.
    MessageResult show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override;
};

}  // namespace kestrin::ui
