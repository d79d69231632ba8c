#include "ui/widgets.h"

#include <QPainter>

#include "ui/binding.h"
#include "ui/look.h"

namespace kestrin::ui {

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QWidget* panel(QGroupBox* frame, int index, int widthTwips, int heightTwips, int topTwips) {
    auto* inner = new QWidget(frame);
    inner->setObjectName(QStringLiteral("picContainer(%1)").arg(index));
    inner->setGeometry(twips(45, topTwips, widthTwips, heightTwips));
    return inner;
}

QLabel* staticLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                    Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAlignment(alignment);
    label->setGeometry(geometry);
    widenToFit(label);
    return label;
}

void OutlineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace kestrin::ui
