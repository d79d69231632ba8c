// The controls that follow the game type and the state of the link: the start button's
// phase, the host box, Connect and Disconnect, the chat line and Setup.
#pragma once

#include <cstdint>

#include "core/main_form.h"

namespace kestrin {

// Single player: "&Start" and the link controls off. Multi player, not connected: "&Ready"
// (disabled), the host box and Setup available, Connect when the host box holds text.
// Multi player, connected: "&Ready" with the focus, chat and Disconnect available, the host
// box, Connect and Setup not. Any other game type changes nothing.
void UpdateLinkControls(MainForm& form, std::int32_t gameType, bool connected);

// Host box edits: Connect is enabled exactly when the box holds text.
void cmbConnectTo_Change(MainForm& form);

}  // namespace kestrin
