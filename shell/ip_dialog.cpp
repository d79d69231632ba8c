#include "shell/ip_dialog.h"

#include <algorithm>

namespace kestrin {

IpForm::IpForm() : forms::Form("frmIP") {
    setCaption("IP Addresses");
    cmdOK.setCaption("OK");
    cmdOK.setTooltip("Close IP dialog");
}

IpDialog::IpDialog(IpForm& form, AddressTable& addresses, ErrorReporter& errors)
    : form_(form), addresses_(addresses), errors_(errors) {
    form_.cmdOK.onClick = [this] { cmdOK_Click(); };
}

void IpDialog::Load() {
    errors_.guard("IP.Load", [this] {
        auto addresses = addresses_.ipv4Addresses();
        // Octets first to last compare as the address does: ascending numeric order.
        std::sort(addresses.begin(), addresses.end());
        std::string text;
        for (const auto& octets : addresses) {
            text += std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2]) +
                    "." + std::to_string(octets[3]) + "\r\n";
        }
        // The whole list replaces whatever the box held, so loading again never doubles it.
        form_.txtIP.setText(text);
    });
}

}  // namespace kestrin
