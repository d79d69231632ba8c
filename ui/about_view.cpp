#include "ui/about_view.h"

#include <QMouseEvent>
#include <QPushButton>

#include "ui/look.h"
#include "ui/widgets.h"

namespace kestrin::ui {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
    down_ = true;
    emit pressed();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !down_) return QLabel::mouseReleaseEvent(event);
    down_ = false;
    const bool over = rect().contains(event->position().toPoint());
    emit released();
    if (over) emit clicked();
}

AboutView::AboutView(AboutForm& form, AboutDialog& dialog, const QString& programFolder, QWidget* owner)
    : DialogView(form, 3495, 3090, false, owner) {
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Picture1"));
    icon->setGeometry(twips(180, 120, 480, 480));
    icon->setPixmap(programIcon(programFolder).pixmap(px(480), px(480)));

    const auto label = [this](forms::Label& model, const QRect& geometry) {
        auto* widget = new QLabel(this);
        widget->setGeometry(geometry);
        binder().bind(model, widget);
        return widget;
    };
    label(form.lblProductName, twips(840, 120, 1125, 195));
    label(form.lblVersion, twips(840, 360, 1830, 195));
    label(form.Label2, twips(840, 600, 1815, 195));

    const auto rightAligned = Qt::AlignRight | Qt::AlignVCenter;
    staticLabel(this, "lblLabel(1)", QStringLiteral("E-mail:"), twips(405, 1920, 720, 195), rightAligned);
    staticLabel(this, "lblLabel(0)", QStringLiteral("Website:"), twips(405, 2190, 720, 195), rightAligned);
    const QRect places[] = {twips(1185, 1920, 1590, 195), twips(1185, 2190, 1770, 195)};
    for (int index = 0; index < 2; ++index) {
        auto* link = new LinkLabel(this);
        link->setGeometry(places[index]);
        binder().bind(form.lblHyperlink[static_cast<std::size_t>(index)], link);
        connect(link, &LinkLabel::pressed, this, [&dialog, index] { dialog.lblHyperlink_MouseDown(index); });
        connect(link, &LinkLabel::released, this, [&dialog, index] { dialog.lblHyperlink_MouseUp(index); });
        connect(link, &LinkLabel::clicked, this, [&dialog, index] { dialog.lblHyperlink_Click(index); });
    }

    auto* donate = new QPushButton(this);
    donate->setGeometry(twips(180, 2580, 1275, 375));
    binder().bind(form.cmdDonate, donate);
    auto* ok = new QPushButton(this);
    ok->setGeometry(twips(2040, 2580, 1275, 375));
    binder().bind(form.cmdOK, ok);
    ok->setFocus();
}

}  // namespace kestrin::ui
