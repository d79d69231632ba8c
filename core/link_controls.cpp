#include "core/link_controls.h"

#include "core/start_button.h"

namespace kestrin {

void UpdateLinkControls(MainForm& form, std::int32_t gameType, bool connected) {
    if (gameType == 0) {
        form.cmdStart.setCaption(start_button::kStart);
        form.cmdStart.setTooltip(start_button::kStartTooltip);
        form.cmdStart.setEnabled(true);
        form.cmdDisconnect.setEnabled(false);
        form.cmdConnect.setEnabled(false);
        form.cmbConnectTo.setEnabled(false);
    } else if (gameType == 1 && !connected) {
        form.cmdStart.setCaption(start_button::kReady);
        form.cmdStart.setTooltip(start_button::kReadyTooltip);
        form.cmbConnectTo.setEnabled(true);
        form.cmdDisconnect.setEnabled(false);
        cmbConnectTo_Change(form);
        form.cmdStart.setEnabled(false);
        form.txtChat.setEnabled(false);
        form.cmdSend.setEnabled(false);
        form.cmdSetup.setEnabled(true);
    } else if (gameType == 1) {
        form.cmdStart.setCaption(start_button::kReady);
        form.cmdStart.setTooltip(start_button::kReadyTooltip);
        form.cmbConnectTo.setEnabled(false);
        form.cmdDisconnect.setEnabled(true);
        form.cmdConnect.setEnabled(false);
        form.cmdStart.setEnabled(true);
        form.txtChat.setEnabled(true);
        form.cmdSend.setEnabled(true);
        form.cmdSetup.setEnabled(false);
        form.cmdStart.setFocus();
    }
}

void cmbConnectTo_Change(MainForm& form) { form.cmdConnect.setEnabled(!form.cmbConnectTo.text().empty()); }

}  // namespace kestrin
