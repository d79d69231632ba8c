#include "ui/ip_view.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/accessibility.h"
#include "ui/look.h"
#include "ui/widgets.h"

namespace kestrin::ui {

IpView::IpView(IpForm& form, QWidget* owner) : DialogView(form, 3360, 2115, false, owner) {
    QLabel* caption = staticLabel(this, "Label1", QStringLiteral("Detected IP Addresses:"), twips(120, 120, 1680, 195));
    auto* text = new QPlainTextEdit(this);
    text->setGeometry(twips(90, 390, 3105, 1155));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    binder().bind(form.txtIP, text);
    nameControl(text, QStringLiteral("Detected IP addresses"));
    caption->setBuddy(text);
    auto* ok = new QPushButton(this);
    ok->setGeometry(twips(1088, 1650, 1185, 345));
    binder().bind(form.cmdOK, ok);
    ok->setFocus();  // Enter closes the dialog
}

}  // namespace kestrin::ui
