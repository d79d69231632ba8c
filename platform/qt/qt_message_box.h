// The modal message box on QMessageBox. Its own event loop keeps the timers and the sockets
// running while it is open, as the game expects.
#pragma once

#include "platform/services.h"

namespace kestrin {

class QtMessageBox final : public MessageBox {
public:
    // The box is owned by the active window, if any. The text is plain text; a carriage
    // return in it starts a new line. Yes/No boxes answer Yes to Enter and No to Escape.
    MessageResult show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override;
};

}  // namespace kestrin
