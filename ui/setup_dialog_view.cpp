#include "ui/setup_dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/accessibility.h"
#include "ui/look.h"
#include "ui/widgets.h"

namespace kestrin::ui {

SetupDialogView::SetupDialogView(GameSelectForm& form, QWidget* owner) : DialogView(form, 3825, 1800, false, owner) {
    // Opened from the main window, Escape closes it unconfirmed, changing nothing; at start
    // closing it would end the program, so there only the close box does.
    setEscapeCloses(owner != nullptr);
    const auto rightAligned = Qt::AlignRight | Qt::AlignVCenter;
    QLabel* nameCaption =
        staticLabel(this, "lblCaption(0)", QStringLiteral("Player Name:"), twips(60, 150, 1050, 195), rightAligned);
    QLabel* typeCaption =
        staticLabel(this, "lblCaption(1)", QStringLiteral("Game Type:"), twips(60, 570, 1050, 195), rightAligned);

    // Made in the tab order: name, game type, auto-start, OK.
    auto* name = new QComboBox(this);
    name->setGeometry(twips(1200, 120, 2505, 315));
    binder().bind(form.cmbPlayerName, name);
    nameControl(name, QStringLiteral("Player name"));
    nameCaption->setBuddy(name);
    auto* type = new QComboBox(this);
    type->setGeometry(twips(1200, 510, 2505, 315));
    binder().bind(form.cmbGameSelect, type);
    nameControl(type, QStringLiteral("Game type"));
    typeCaption->setBuddy(type);
    auto* autoStart = new QCheckBox(this);
    autoStart->setGeometry(twips(120, 930, 2655, 255));
    binder().bind(form.chkGameSelect, autoStart);
    auto* ok = new QPushButton(this);
    ok->setGeometry(twips(1350, 1320, 1125, 375));
    binder().bind(form.cmdOK, ok);
    // The name is selected, so that what the player types replaces it.
    if (QLineEdit* typed = name->lineEdit()) typed->selectAll();
}

}  // namespace kestrin::ui
