#include "shell/about_dialog.h"

#include "shell/identity.h"

namespace kestrin {

namespace {
constexpr forms::Rgb kPressedRed{255, 0, 0};
constexpr std::string_view kVersionMarker = "<ProductVersion>";
}  // namespace

AboutForm::AboutForm() : forms::Form("frmAbout") {
    setCaption("About Kestrin");
    lblProductName.setCaption("Vellam Kestrin");
    lblVersion.setCaption("Version <ProductVersion>");
    Label2.setCaption(identity::kNotice);
    lblHyperlink[0].setCaption(identity::kSupportEmail);
    lblHyperlink[1].setCaption(identity::kWebSite);
    for (auto& link : lblHyperlink) link.setForeColor(forms::kBlue);
    cmdDonate.setCaption("Donate");
    cmdDonate.setTooltip("Donate to support Kestrin");
    cmdOK.setCaption("OK");
}

AboutDialog::AboutDialog(AboutForm& form, HelpCommands& help, std::function<void()> donate)
    : form_(form), help_(help), donate_(std::move(donate)) {
    form_.cmdOK.onClick = [this] { cmdOK_Click(); };
    form_.cmdDonate.onClick = [this] { cmdDonate_Click(); };
}

void AboutDialog::Load() {
    std::string caption = form_.lblVersion.caption();
    const std::string version = identity::versionText();
    for (std::size_t at = caption.find(kVersionMarker); at != std::string::npos;
         at = caption.find(kVersionMarker, at + version.size())) {
        caption.replace(at, kVersionMarker.size(), version);
    }
    form_.lblVersion.setCaption(std::move(caption));
}

void AboutDialog::cmdDonate_Click() {
    // Closing may destroy this dialog, so the command is taken out first.
    const std::function<void()> donate = donate_;
    form_.close();
    if (donate) donate();
}

void AboutDialog::lblHyperlink_MouseDown(int index) {
    if (index == 0 || index == 1) form_.lblHyperlink[static_cast<std::size_t>(index)].setForeColor(kPressedRed);
}

void AboutDialog::lblHyperlink_MouseUp(int index) {
    if (index == 0 || index == 1) form_.lblHyperlink[static_cast<std::size_t>(index)].setForeColor(forms::kBlue);
}

void AboutDialog::lblHyperlink_Click(int index) {
    if (index == 0) help_.open(targets::email());
    if (index == 1) help_.open(form_.lblHyperlink[1].caption());
}

}  // namespace kestrin
